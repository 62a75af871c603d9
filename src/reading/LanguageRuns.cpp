#include "reading/LanguageRuns.h"

#include "common/Gbk.h"

#include <algorithm>
#include <array>

namespace lirondo {

LanguageRuns::LanguageRuns(const GbkCodePage& gbk) : m_gbk(gbk) {}

void LanguageRuns::clear()
{
    m_text.clear();
    m_start = 0;
    m_count = 0;
    m_runStarts.clear();
    m_firstLang = None;
    m_lastLanguage = None;
}

bool LanguageRuns::split(const QString& text, qsizetype start, int chinese, int english)
{
    clear();
    m_chinese = chinese;
    m_english = english;
    if (start < 0 || start >= text.size())
        return false;

    m_text = text;
    m_start = start;
    m_count = text.size() - start;
    // Leading neutral characters belong to run 0, whatever language it turns out to be.
    m_runStarts.push_back(start);

    // Mixed text changes language every few characters, so a branch per character would
    // mispredict all the time. A run starts where a character's language and the last
    // language are Chinese (1) and English (2) in either order, i.e. OR to 3; neutral
    // characters (0) keep the last language. Run starts are gathered a block at a time.
    const char16_t* const units = reinterpret_cast<const char16_t*>(text.constData());
    std::array<qsizetype, 1024> found;
    std::uint8_t last = None;
    for (qsizetype i = start, end = text.size(); i < end;) {
        const qsizetype blockEnd = std::min(end, i + qsizetype(found.size()));
        size_t n = 0;
        for (; i < blockEnd; ++i) {
            // GbkCodePage::classify without its branches: letters are single-byte.
            const char16_t unit = units[i];
            const bool letter = unsigned((unit | 0x20) - u'a') < 26u;
            const std::uint8_t lang = std::uint8_t(letter << 1 | m_gbk.isDoubleByte(unit));
            found[n] = i;
            n += (lang | last) == 3;
            last = lang ? lang : last;
        }
        m_runStarts.insert(m_runStarts.end(), found.begin(), found.begin() + n);
    }
    m_lastLanguage = last;
    // Runs alternate, so the last language and the parity of the count give the first.
    const bool oddCount = m_runStarts.size() % 2 != 0;
    const int other = last == Chinese ? English : Chinese;
    m_firstLang = last == None ? int(None) : oddCount ? int(last) : other;
    return true;
}

QStringView LanguageRuns::runView(qsizetype k) const
{
    const qsizetype runs = runCount();
    if (k < 0 || k >= runs)
        return {};
    const qsizetype begin = m_runStarts[size_t(k)];
    const qsizetype end = k + 1 < runs ? m_runStarts[size_t(k + 1)] : m_text.size();
    return QStringView(m_text).sliced(begin, end - begin);
}

int LanguageRuns::runVoice(qsizetype k) const
{
    if (k < 0 || k >= runCount() || m_firstLang == None)
        return -1;
    const bool sameAsFirst = k % 2 == 0;
    const int lang = sameAsFirst ? m_firstLang : (m_firstLang == Chinese ? English : Chinese);
    return lang == Chinese ? m_chinese : m_english;
}

qsizetype LanguageRuns::runOffset(qsizetype k) const
{
    if (k < 0 || k >= runCount())
        return -1;
    return m_runStarts[size_t(k)] - m_start;
}

} // namespace lirondo
