#pragma once

#include <QByteArrayView>
#include <QString>

namespace lirondo {

class GbkCodePage;

enum class TextEncoding
{
    Utf8,
    Utf16LE,
    Utf16BE,
    Gbk,
};

struct DetectedEncoding
{
    TextEncoding encoding = TextEncoding::Gbk;
    qsizetype markLength = 0; // the byte-order mark to skip, 0 when there is none
};

// How the bytes of a text file are encoded. A byte-order mark decides. Without one: UTF-16
// when its zero bytes make it plain (a third or more of the bytes at one parity are zero and
// almost none at the other: text files in the other encodings hold no zero bytes); UTF-8
// when the bytes are valid UTF-8 from the first to the last (a sequence cut off by the end
// of the file is allowed once real multi-byte characters came before it), so a short run
// of GBK that happens to look like UTF-8 does not decide; GBK, the Windows code page
// Chinese text files come in, otherwise. Pure ASCII reads the same either way.
DetectedEncoding detectTextEncoding(QByteArrayView bytes);

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing
// above U+10FFFF). With allowCutTail, an incomplete sequence at the very end is accepted.
bool isValidUtf8(QByteArrayView bytes, bool allowCutTail = false);

// Decodes the bytes of a text file for the text box, in the encoding detectTextEncoding
// finds, without the mark. Invalid sequences become U+FFFD.
QString decodeTextFile(QByteArrayView bytes, const GbkCodePage& gbk);

enum class TextFileStatus
{
    Ok,
    NotAFile,   // missing, a directory, a dangling link, a device or a pipe
    CannotOpen, // no read permission, or gone before it could be opened
    ReadError,
    TooLarge, // more than we are prepared to hold in memory
};

struct TextFileResult
{
    TextFileStatus status = TextFileStatus::NotAFile;
    QString text;
    bool ok() const { return status == TextFileStatus::Ok; }
};

// Twice this much again is needed for the decoded text, and the text box needs its own.
inline constexpr qint64 kMaxTextFileBytes = qint64(1) << 30;

// Reads a whole file in one piece and decodes it. Blocks: call it off the UI thread.
TextFileResult readTextFile(const QString& path, const GbkCodePage& gbk,
                            qint64 maxBytes = kMaxTextFileBytes);

} // namespace lirondo
