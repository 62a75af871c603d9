#include "export/AudioFileWriter.h"

#include <sndfile.h>

#include <QFile>
#include <QFileInfo>

namespace lirondo {

using namespace Qt::StringLiterals;

std::optional<AudioFileWriter::Format> AudioFileWriter::formatFor(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == u"wav")
        return Format{SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0};
    if (ext == u"flac")
        return Format{SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 0};
    if (ext == u"ogg" || ext == u"oga")
        return Format{SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0};
    // Opus stores 8, 12, 16, 24 or 48 kHz only.
    if (ext == u"opus")
        return Format{SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000};
    if (ext == u"mp3")
        return Format{SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 0};
    return std::nullopt;
}

QStringList AudioFileWriter::extensions()
{
    return {u"mp3"_s, u"flac"_s, u"ogg"_s, u"opus"_s, u"wav"_s};
}

AudioFileWriter::AudioFileWriter(QString path, int sourceRate)
    : m_file(std::move(path)), m_sourceRate(sourceRate)
{}

AudioFileWriter::~AudioFileWriter()
{
    discard();
}

QString AudioFileWriter::open()
{
    const auto format = formatFor(m_file.finalPath());
    if (!format)
        return m_error = u"unsupported format"_s;
    m_format = *format;
    const int rate = m_format.sampleRate ? m_format.sampleRate : m_sourceRate;
    if (!m_file.create())
        return m_error = u"cannot create a file in that folder"_s;
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = m_format.sndfileFormat;
    m_sndfile = sf_open(QFile::encodeName(m_file.tempPath()).constData(), SFM_WRITE, &info);
    if (!m_sndfile) {
        m_error = QString::fromUtf8(sf_strerror(nullptr));
        m_file.discard();
        return m_error;
    }
    if (rate != m_sourceRate)
        m_resampler = std::make_unique<Resampler>(m_sourceRate, rate);
    // Speech is quiet next to music: let the encoders favour size where they can.
    double quality = 0.4;
    sf_command(m_sndfile, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
    // FLAC's higher levels cost more time than espeak-ng's synthesis for a few percent of
    // size on speech: its fastest level keeps the export near the engine's own speed.
    if ((m_format.sndfileFormat & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC) {
        double level = 0.0;
        sf_command(m_sndfile, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
    }
    return {};
}

bool AudioFileWriter::write(const short* samples, size_t count, float gain)
{
    if (!m_sndfile)
        return false;
    m_in.resize(count);
    const float scale = gain / 32768.0f;
    for (size_t i = 0; i < count; ++i)
        m_in[i] = float(samples[i]) * scale;
    if (!m_resampler)
        return writeFloats(m_in.data(), count);
    m_out.clear();
    m_resampler->process(m_in.data(), int(count), m_out);
    return writeFloats(m_out.data(), m_out.size());
}

bool AudioFileWriter::writeFloats(const float* samples, size_t count)
{
    if (count == 0)
        return true;
    if (sf_write_float(m_sndfile, samples, sf_count_t(count)) != sf_count_t(count)) {
        m_error = QString::fromUtf8(sf_strerror(m_sndfile));
        return false;
    }
    return true;
}

bool AudioFileWriter::closeFile()
{
    if (!m_sndfile)
        return false;
    bool ok = true;
    if (m_resampler) {
        m_out.clear();
        m_resampler->finish(m_out);
        ok = writeFloats(m_out.data(), m_out.size());
    }
    // The headers and the encoders' last frames are written on close.
    const int closed = sf_close(m_sndfile);
    m_sndfile = nullptr;
    if (ok && closed != 0) {
        m_error = QString::fromUtf8(sf_error_number(closed));
        ok = false;
    }
    return ok;
}

bool AudioFileWriter::commit()
{
    if (!closeFile() || !m_file.commit()) {
        if (m_error.isEmpty())
            m_error = u"cannot rename the file into place"_s;
        discard();
        return false;
    }
    return true;
}

void AudioFileWriter::discard()
{
    if (m_sndfile) {
        sf_close(m_sndfile);
        m_sndfile = nullptr;
    }
    m_file.discard();
}

QString AudioFileWriter::error() const
{
    return m_error;
}

} // namespace lirondo
