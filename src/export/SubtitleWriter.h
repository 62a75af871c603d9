#pragma once

#include "export/OutputFile.h"

#include <QFile>
#include <QString>

#include <memory>
#include <vector>

namespace lirondo {

// One sentence of a reading with its words, timed in samples of the audio.
struct TimedSentence
{
    struct Word
    {
        qsizetype offset = 0; // within `text`
        qsizetype length = 0;
        qint64 sample = 0;
    };
    QString text; // the sentence as it stands in the text, blanks and line breaks included
    qint64 start = 0;
    qint64 end = 0;
    std::vector<Word> words;
};

// Writes the subtitles beside an export's audio, one sentence at a time so a long text
// never waits in memory: BASE.lrc ([mm:ss.xx] a line), BASE.srt and BASE.vtt (a cue a
// sentence), and BASE.words.vtt, whose cues carry WebVTT's inline timestamps before each
// word so that a player can follow the words.
class SubtitleWriter
{
public:
    // `basePath` is the audio file's path without its extension.
    SubtitleWriter(const QString& basePath, int sampleRate);
    ~SubtitleWriter();

    bool open();
    void add(const TimedSentence& sentence);
    // False when a file could not be written; error() says which.
    bool commit();
    void discard();
    QString error() const { return m_error; }
    QStringList paths() const;

    // The cue times: "[01:02.35]", "00:01:02,345", "00:01:02.345".
    static QString lrcTime(qint64 ms);
    static QString srtTime(qint64 ms);
    static QString vttTime(qint64 ms);
    // The cue text with "<00:01:02.345>" before every word that starts after the cue.
    static QString wordCueText(const TimedSentence& sentence, int sampleRate);

private:
    struct Target
    {
        std::unique_ptr<OutputFile> output;
        QFile file;
    };
    void put(Target& target, const QString& text);
    qint64 ms(qint64 sample) const;

    int m_rate;
    Target m_lrc, m_srt, m_vtt, m_words;
    int m_cues = 0;
    qint64 m_lastEnd = 0;
    bool m_failed = false;
    QString m_error;
};

} // namespace lirondo
