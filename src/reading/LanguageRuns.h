#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace lirondo {

class GbkCodePage;

// The language splitter (the module `modfenkai`). Cuts the text to be read into runs of one
// language, each tagged with the voice that speaks it. One instance per program, owned by the main
// window; every split replaces the runs of the one before.
//
// Callers see the runs as two arrays indexed 0..count()-1, one entry per character split:
// entries 0..runCount()-1 hold the runs, every later entry is an empty text with voice -1,
// and an index outside 0..count()-1 means there are no more runs. Only the run boundaries
// are stored, so memory grows with the number of runs, not with the length of the text.
class LanguageRuns
{
public:
    enum Language : int
    {
        None = 0,
        Chinese = 1,
        English = 2
    };

    // gbk must outlive the object.
    explicit LanguageRuns(const GbkCodePage& gbk);

    // Splits text from start to its end. chinese and english are the voice-table indexes
    // that tag Chinese and English runs. A start outside the text (n <= 0, or a negative
    // start) leaves no runs: count() is 0 and the function returns false.
    bool split(const QString& text, qsizetype start, int chinese, int english);

    // The number of characters split: the size of the arrays.
    qsizetype count() const { return m_count; }
    bool inRange(qsizetype k) const { return k >= 0 && k < m_count; }
    // Runs in use, 0..runCount()-1.
    qsizetype runCount() const { return qsizetype(m_runStarts.size()); }

    QString runText(qsizetype k) const { return runView(k).toString(); }
    QStringView runView(qsizetype k) const;
    int runVoice(qsizetype k) const;
    // Offset of run k within the split text (the sum of the lengths of the runs before
    // it); -1 for an entry that holds no run.
    qsizetype runOffset(qsizetype k) const;

    // Language of the last English letter or Chinese character met by the last split.
    int lastLanguage() const { return m_lastLanguage; }

private:
    void clear();

    const GbkCodePage& m_gbk;
    QString m_text; // shares the caller's string; the runs point into it
    qsizetype m_start = 0;
    qsizetype m_count = 0;
    // Offsets (into m_text) where each run starts; a run ends where the next begins.
    std::vector<qsizetype> m_runStarts;
    // Runs alternate language, so the language of run 0 gives every run's voice.
    int m_firstLang = None;
    int m_chinese = -1;
    int m_english = -1;
    int m_lastLanguage = None;
};

} // namespace lirondo
