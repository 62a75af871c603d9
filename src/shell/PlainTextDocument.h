#pragma once

#include <QStringView>

#include <functional>
#include <memory>

class QFont;
class QTextDocument;

namespace lirondo {

// The text box's document for a plain text, as setPlainText would make it, but with
// consecutive lines sharing one block, joined by U+2028: the character positions and
// toPlainText() stay the same, and the layout has a fraction of the blocks to go
// through, which is what makes a large file slow. Safe on a worker thread.
// step reports the share done and says whether to go on; null when it said stop.
std::unique_ptr<QTextDocument> makePlainTextDocument(QStringView text, const QFont& font,
                                                     const std::function<bool(double)>& step = {});

} // namespace lirondo
