#include "reading/audio/QtAudioOutput.h"

#include <QAudioFormat>
#include <QAudioSink>

#include <algorithm>

namespace lirondo {

namespace {
// Kept short so that a gain change and a flush are heard at once; the engine keeps its
// own queue further ahead.
constexpr int kBufferMs = 150;
constexpr int kTickMs = 10;
} // namespace

QtAudioOutput::QtAudioOutput(const QAudioDevice& device, QObject* parent)
    : AudioOutput(parent), m_device(device)
{
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, [this] {
        if (m_writerWaiting && bytesFree() > 0) {
            m_writerWaiting = false;
            Q_EMIT writable();
        }
        updateTick();
    });
}

QtAudioOutput::~QtAudioOutput()
{
    if (m_sink)
        m_sink->stop();
}

bool QtAudioOutput::start(int sampleRate)
{
    if (sampleRate <= 0)
        return false;
    m_sampleRate = sampleRate;
    return open();
}

bool QtAudioOutput::open()
{
    if (m_sink)
        m_sink->stop();
    QAudioFormat format;
    format.setSampleRate(m_sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!m_device.isFormatSupported(format))
        return false;
    m_sink = std::make_unique<QAudioSink>(m_device, format);
    m_sink->setBufferSize(static_cast<qsizetype>(m_sampleRate) * 2 * kBufferMs / 1000);
    m_sink->setVolume(m_gain);
    m_io = m_sink->start();
    m_writtenBytes = 0;
    m_writerWaiting = false;
    if (!m_io)
        return false;
    if (m_suspended)
        m_sink->suspend();
    updateTick();
    return true;
}

qint64 QtAudioOutput::write(const char* data, qint64 bytes)
{
    if (!m_io || bytes <= 0)
        return 0;
    const qint64 take = std::min(bytes, bytesFree()) / 2 * 2;
    const qint64 done = take > 0 ? std::max<qint64>(0, m_io->write(data, take)) : 0;
    m_writtenBytes += done;
    m_writerWaiting = m_writerWaiting || done < bytes;
    updateTick();
    return done;
}

qint64 QtAudioOutput::bytesFree() const
{
    return m_sink ? std::max<qsizetype>(0, m_sink->bytesFree()) : 0;
}

void QtAudioOutput::flush()
{
    if (m_sampleRate > 0)
        open();
}

void QtAudioOutput::suspend()
{
    if (m_suspended)
        return;
    m_suspended = true;
    if (m_sink)
        m_sink->suspend();
    updateTick();
}

void QtAudioOutput::resume()
{
    if (!m_suspended)
        return;
    m_suspended = false;
    if (m_sink)
        m_sink->resume();
    updateTick();
}

qint64 QtAudioOutput::writtenUSecs() const
{
    return m_sampleRate > 0 ? m_writtenBytes / 2 * 1000000 / m_sampleRate : 0;
}

qint64 QtAudioOutput::playedUSecs() const
{
    if (!m_sink)
        return 0;
    return std::min(m_sink->processedUSecs(), writtenUSecs());
}

void QtAudioOutput::setGain(double gain)
{
    m_gain = std::clamp(gain, 0.0, 1.0);
    if (m_sink)
        m_sink->setVolume(m_gain);
}

void QtAudioOutput::updateTick()
{
    // The clock may run ahead of the sink's own buffer, so "active" (not yet run dry)
    // counts too.
    const bool playing = m_sink && !m_suspended &&
                         (m_sink->state() == QAudio::ActiveState || playedUSecs() < writtenUSecs());
    if (playing && !m_tick.isActive())
        m_tick.start();
    else if (!playing)
        m_tick.stop();
}

} // namespace lirondo
