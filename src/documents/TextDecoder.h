#pragma once

#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <QThreadPool>

namespace lirondo {

class GbkCodePage;

// Decodes the bytes of a text file for the text box. Bytes are GBK unless the file starts
// with a UTF-8 or UTF-16 byte-order mark, in which case they are decoded in that encoding
// and the mark is dropped. Invalid sequences become U+FFFD.
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

// Reads text files on a worker thread. Results arrive through finished() on the thread
// that owns the reader, in the order the reads were asked for, so the last file asked
// for is the last one delivered.
class TextFileReader : public QObject
{
    Q_OBJECT
public:
    // gbk must outlive the reader.
    explicit TextFileReader(const GbkCodePage& gbk, QObject* parent = nullptr,
                            qint64 maxBytes = kMaxTextFileBytes);
    // Waits for a read under way to end.
    ~TextFileReader() override;

    // Returns at once; finished() follows.
    void read(const QString& path);

Q_SIGNALS:
    void finished(const QString& path, const lirondo::TextFileResult& result);

private:
    const GbkCodePage& m_gbk;
    const qint64 m_maxBytes;
    QThreadPool m_pool; // one thread, so reads end in the order they were asked for
};

} // namespace lirondo
