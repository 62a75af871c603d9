#include "shell/PlainTextDocument.h"

#include <QFont>
#include <QPlainTextDocumentLayout>
#include <QTextCursor>
#include <QTextDocument>

namespace lirondo {

namespace {

// A block ends after this many lines, or at the first line break past this many
// characters, so a block stays quick to lay out on its own.
constexpr int kLinesPerBlock = 16;
constexpr int kCharsPerBlock = 4096;
// Text goes in a piece at a time, so a stop is seen soon.
constexpr qsizetype kPieceChars = 256 * 1024;

} // namespace

std::unique_ptr<QTextDocument> makePlainTextDocument(QStringView text, const QFont& font,
                                                     const std::function<bool(double)>& step)
{
    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(font);
    document->setDocumentLayout(new QPlainTextDocumentLayout(document.get()));
    QTextCursor cursor(document.get());

    QString piece;
    piece.reserve(kPieceChars + kCharsPerBlock);
    int lines = 0;
    qsizetype blockStart = 0; // in piece
    qsizetype runStart = 0;   // in text
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text[i].unicode();
        // The line breaks setPlainText starts a block at; CR LF is one.
        if (unit != u'\n' && unit != u'\r' && unit != QChar::ParagraphSeparator)
            continue;
        piece.append(text.sliced(runStart, i - runStart));
        if (unit == u'\r' && i + 1 < size && text[i + 1] == u'\n')
            ++i;
        runStart = i + 1;
        if (++lines >= kLinesPerBlock || piece.size() - blockStart >= kCharsPerBlock) {
            piece.append(u'\n');
            lines = 0;
            blockStart = piece.size();
        } else {
            piece.append(QChar::LineSeparator);
        }
        if (piece.size() >= kPieceChars) {
            cursor.insertText(piece);
            piece.clear();
            blockStart = 0;
            if (step && !step(double(i) / double(size)))
                return nullptr;
        }
    }
    piece.append(text.sliced(runStart));
    cursor.insertText(piece);
    document->setUndoRedoEnabled(true);
    return document;
}

} // namespace lirondo
