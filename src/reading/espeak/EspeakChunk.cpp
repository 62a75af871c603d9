#include "reading/espeak/EspeakChunk.h"

#include <algorithm>

namespace lirondo {

namespace {

bool isSentenceEnd(char16_t c)
{
    switch (c) {
    case u'.':
    case u'!':
    case u'?':
    case u'\u3002': // 。
    case u'\uFF01': // ！
    case u'\uFF1F': // ？
    case u'\uFF1B': // ；
        return true;
    default:
        return false;
    }
}

bool isLineBreak(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == u'\u2029';
}

} // namespace

qsizetype chunkEnd(QStringView text, qsizetype begin, qsizetype minChars, qsizetype maxChars,
                   bool* atBreak)
{
    const qsizetype size = text.size();
    begin = std::clamp<qsizetype>(begin, 0, size);
    minChars = std::max<qsizetype>(1, minChars);
    maxChars = std::max(minChars, maxChars);
    if (atBreak)
        *atBreak = false;
    if (size - begin <= maxChars)
        return size;

    const qsizetype lo = begin + minChars;
    const qsizetype hi = begin + maxChars; // the cut lies in [lo, hi]
    qsizetype blank = -1;
    for (qsizetype i = hi; i >= lo; --i) {
        const char16_t before = text[i - 1].unicode();
        const char16_t after = text[i].unicode();
        const bool afterIsBlank = QChar::isSpace(after);
        if (isLineBreak(before) || (isSentenceEnd(before) && (afterIsBlank || before > 0x2FFF))) {
            if (atBreak)
                *atBreak = true;
            return i;
        }
        if (blank < 0 && QChar::isSpace(before))
            blank = i;
    }
    if (blank > 0)
        return blank;
    qsizetype cut = hi;
    if (QChar::isLowSurrogate(text[cut].unicode()) &&
        QChar::isHighSurrogate(text[cut - 1].unicode()))
        --cut;
    return cut;
}

EspeakChunk makeChunk(QStringView text, qsizetype begin, qsizetype end)
{
    EspeakChunk chunk;
    chunk.begin = std::clamp<qsizetype>(begin, 0, text.size());
    chunk.end = std::clamp<qsizetype>(end, chunk.begin, text.size());
    const QStringView part = text.sliced(chunk.begin, chunk.end - chunk.begin);
    chunk.utf8 = part.toUtf8();
    // espeak reads a C string: an embedded NUL would end the text early.
    chunk.utf8.replace('\0', ' ');

    chunk.cpOffsets.reserve(static_cast<size_t>(part.size()) + 1);
    for (qsizetype i = 0; i < part.size(); ++i) {
        chunk.cpOffsets.push_back(chunk.begin + i);
        // A lone surrogate becomes one U+FFFD in UTF-8, so it is one code point too.
        if (QChar::isHighSurrogate(part[i].unicode()) && i + 1 < part.size() &&
            QChar::isLowSurrogate(part[i + 1].unicode()))
            ++i;
    }
    chunk.cpOffsets.push_back(chunk.end);
    return chunk;
}

qsizetype EspeakChunk::offsetOf(int position1) const
{
    const auto count = static_cast<qsizetype>(cpOffsets.size());
    const qsizetype index = std::clamp<qsizetype>(qsizetype(position1) - 1, 0, count - 1);
    return cpOffsets[static_cast<size_t>(index)];
}

} // namespace lirondo
