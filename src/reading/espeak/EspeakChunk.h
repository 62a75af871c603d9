#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <vector>

namespace lirondo {

// One piece of a spoken text as espeak-ng gets it: UTF-8, plus the map from espeak's
// code-point positions back to UTF-16 offsets of the whole text.
struct EspeakChunk
{
    qsizetype begin = 0; // UTF-16 offset of the chunk in the spoken text
    qsizetype end = 0;
    bool endsAtBreak = false; // cut after a sentence end or a line break
    QByteArray utf8;
    std::vector<qsizetype> cpOffsets; // UTF-16 offset in the text of each code point, and end

    // The UTF-16 span [first, last) of espeak's 1-based code-point position and length,
    // clamped to the chunk; never inside a surrogate pair.
    qsizetype offsetOf(int position1) const;
};

// Where the chunk starting at `begin` should end: after the last sentence end or line
// break between `minChars` and `maxChars` on, else after the last blank, else at
// `maxChars` (moved off a surrogate pair). The rest of the text when it is short enough.
qsizetype chunkEnd(QStringView text, qsizetype begin, qsizetype minChars = 1000,
                   qsizetype maxChars = 4000, bool* atBreak = nullptr);

// Builds the chunk [begin, end) of `text`.
EspeakChunk makeChunk(QStringView text, qsizetype begin, qsizetype end);

} // namespace lirondo
