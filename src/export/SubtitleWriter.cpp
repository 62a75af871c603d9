#include "export/SubtitleWriter.h"

namespace lirondo {

using namespace Qt::StringLiterals;

namespace {

// Blanks and line breaks as one space: a cue is one line, and an empty line would end it.
QString oneLine(const QString& text)
{
    QString out;
    out.reserve(text.size());
    bool blank = false;
    for (QChar c : text) {
        if (c.isSpace() || c.category() == QChar::Other_Control) {
            blank = !out.isEmpty();
            continue;
        }
        if (blank)
            out.append(u' ');
        blank = false;
        out.append(c);
    }
    return out;
}

QString vttEscaped(const QString& text)
{
    QString out = text;
    out.replace(u'&', u"&amp;"_s).replace(u'<', u"&lt;"_s).replace(u'>', u"&gt;"_s);
    return out;
}

QString twoDigits(qint64 v)
{
    return QString::number(v).rightJustified(2, u'0');
}

QString clock(qint64 ms, QChar separator)
{
    return twoDigits(ms / 3600000) + u':' + twoDigits(ms / 60000 % 60) + u':' +
           twoDigits(ms / 1000 % 60) + separator +
           QString::number(ms % 1000).rightJustified(3, u'0');
}

} // namespace

SubtitleWriter::SubtitleWriter(const QString& basePath, int sampleRate) : m_rate(sampleRate)
{
    m_lrc.output = std::make_unique<OutputFile>(basePath + u".lrc"_s);
    m_srt.output = std::make_unique<OutputFile>(basePath + u".srt"_s);
    m_vtt.output = std::make_unique<OutputFile>(basePath + u".vtt"_s);
    m_words.output = std::make_unique<OutputFile>(basePath + u".words.vtt"_s);
}

SubtitleWriter::~SubtitleWriter()
{
    discard();
}

QStringList SubtitleWriter::paths() const
{
    return {m_lrc.output->finalPath(), m_srt.output->finalPath(), m_vtt.output->finalPath(),
            m_words.output->finalPath()};
}

bool SubtitleWriter::open()
{
    for (Target* t : {&m_lrc, &m_srt, &m_vtt, &m_words}) {
        if (!t->output->create()) {
            m_error = t->output->finalPath();
            discard();
            return false;
        }
        t->file.setFileName(t->output->tempPath());
        if (!t->file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            m_error = t->output->finalPath();
            discard();
            return false;
        }
    }
    put(m_vtt, u"WEBVTT\n\n"_s);
    put(m_words, u"WEBVTT\n\n"_s);
    return true;
}

qint64 SubtitleWriter::ms(qint64 sample) const
{
    return (sample * 1000 + m_rate / 2) / m_rate;
}

QString SubtitleWriter::lrcTime(qint64 ms)
{
    const qint64 cs = (ms + 5) / 10;
    return u'[' + twoDigits(cs / 6000) + u':' + twoDigits(cs / 100 % 60) + u'.' +
           twoDigits(cs % 100) + u']';
}

QString SubtitleWriter::srtTime(qint64 ms)
{
    return clock(ms, u',');
}

QString SubtitleWriter::vttTime(qint64 ms)
{
    return clock(ms, u'.');
}

QString SubtitleWriter::wordCueText(const TimedSentence& sentence, int sampleRate)
{
    const auto toMs = [sampleRate](qint64 s) { return (s * 1000 + sampleRate / 2) / sampleRate; };
    const qint64 endMs = toMs(sentence.end);
    qint64 lastMs = toMs(sentence.start);
    QString out;
    qsizetype at = 0;
    for (const TimedSentence::Word& word : sentence.words) {
        if (word.offset < at || word.offset + word.length > sentence.text.size())
            continue;
        out += vttEscaped(sentence.text.mid(at, word.offset - at));
        const qint64 t = toMs(word.sample);
        // Inline times must rise, and lie inside the cue.
        if (t > lastMs && t < endMs) {
            out += u'<' + vttTime(t) + u'>';
            lastMs = t;
        }
        out += vttEscaped(sentence.text.mid(word.offset, word.length));
        at = word.offset + word.length;
    }
    out += vttEscaped(sentence.text.mid(at));
    return oneLine(out);
}

void SubtitleWriter::add(const TimedSentence& sentence)
{
    const QString line = oneLine(sentence.text);
    if (line.isEmpty() || m_failed)
        return;
    const qint64 start = ms(sentence.start);
    const qint64 end = std::max(ms(sentence.end), start + 1);
    ++m_cues;
    m_lastEnd = end;
    put(m_lrc, lrcTime(start) + line + u'\n');
    put(m_srt, QString::number(m_cues) + u'\n' + srtTime(start) + u" --> "_s + srtTime(end) +
                   u'\n' + line + u"\n\n"_s);
    const QString times = vttTime(start) + u" --> "_s + vttTime(end) + u'\n';
    put(m_vtt, times + vttEscaped(line) + u"\n\n"_s);
    put(m_words, times + wordCueText(sentence, m_rate) + u"\n\n"_s);
}

void SubtitleWriter::put(Target& target, const QString& text)
{
    if (m_failed)
        return;
    const QByteArray bytes = text.toUtf8();
    if (target.file.write(bytes) != bytes.size()) {
        m_failed = true;
        m_error = target.output->finalPath();
    }
}

bool SubtitleWriter::commit()
{
    // A last empty line clears the lyrics when the audio ends.
    if (m_cues > 0)
        put(m_lrc, lrcTime(m_lastEnd) + u'\n');
    for (Target* t : {&m_lrc, &m_srt, &m_vtt, &m_words}) {
        if (m_failed)
            break;
        const bool flushed = t->file.flush();
        t->file.close();
        if (!flushed || t->file.error() != QFileDevice::NoError) {
            m_failed = true;
            m_error = t->output->finalPath();
        }
    }
    if (m_failed) {
        discard();
        return false;
    }
    for (Target* t : {&m_lrc, &m_srt, &m_vtt, &m_words}) {
        if (!t->output->commit()) {
            m_error = t->output->finalPath();
            discard();
            return false;
        }
    }
    return true;
}

void SubtitleWriter::discard()
{
    for (Target* t : {&m_lrc, &m_srt, &m_vtt, &m_words}) {
        t->file.close();
        t->output->discard();
    }
}

} // namespace lirondo
