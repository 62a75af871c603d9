#pragma once

#include <QFont>
#include <QString>

namespace lirondo {

// How the word label shows a word: in its design font where the word fits, widened
// from its design width up to the room beside it; in a smaller font for a longer
// word; cut with an ellipsis only when even the smallest font leaves it too wide.
struct WordFit
{
    int pointSize = 0;
    int width = 0;
    QString text;
};

inline constexpr int kWordMinPointSize = 9;

// `font` is the design font; `room` the width the label may take, in pixels.
WordFit fitWord(const QString& word, const QFont& font, int designWidth, int room);

} // namespace lirondo
