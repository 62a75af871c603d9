#include "reading/modfenkai.h"

#include "common/Gbk.h"

namespace lirondo {

modfenkai::modfenkai(const GbkCodePage& gbk) : m_gbk(gbk) {}

void modfenkai::clear()
{
    m_text.clear();
    m_start = 0;
    m_count = 0;
    m_runStarts.clear();
    m_firstLang = None;
    m_lastlang = None;
}

bool modfenkai::SplitText(const QString& text, qsizetype start, int chinese, int english)
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

    using CharClass = GbkCodePage::CharClass;
    int lastlang = None;
    const QChar* const data = text.constData();
    for (qsizetype i = start, end = text.size(); i < end; ++i) {
        switch (m_gbk.classify(data[i].unicode())) {
        case CharClass::English:
            if (lastlang == Chinese)
                m_runStarts.push_back(i);
            lastlang = English;
            break;
        case CharClass::Chinese:
            if (lastlang == English)
                m_runStarts.push_back(i);
            lastlang = Chinese;
            break;
        case CharClass::Neutral:
            break;
        }
        if (m_firstLang == None)
            m_firstLang = lastlang;
    }
    m_lastlang = lastlang;
    return true;
}

QStringView modfenkai::runView(qsizetype k) const
{
    const qsizetype runs = runCount();
    if (k < 0 || k >= runs)
        return {};
    const qsizetype begin = m_runStarts[size_t(k)];
    const qsizetype end = k + 1 < runs ? m_runStarts[size_t(k + 1)] : m_text.size();
    return QStringView(m_text).sliced(begin, end - begin);
}

int modfenkai::runvoice(qsizetype k) const
{
    if (k < 0 || k >= runCount() || m_firstLang == None)
        return -1;
    const bool sameAsFirst = k % 2 == 0;
    const int lang = sameAsFirst ? m_firstLang : (m_firstLang == Chinese ? English : Chinese);
    return lang == Chinese ? m_chinese : m_english;
}

qsizetype modfenkai::runOffset(qsizetype k) const
{
    if (k < 0 || k >= runCount())
        return -1;
    return m_runStarts[size_t(k)] - m_start;
}

} // namespace lirondo
