#include "documents/TextDecoder.h"

#include "common/Gbk.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QStringDecoder>

#include <new>

namespace lirondo {

namespace {

struct Bom
{
    QByteArrayView mark;
    QStringConverter::Encoding encoding;
};

QString decodeUnicode(QByteArrayView bytes, QStringConverter::Encoding encoding)
{
    // Stateless: a sequence cut off at the end of the file becomes U+FFFD instead of being
    // held back and lost. ConvertInitialBom: the mark is already gone, so a second one is
    // a real character of the text.
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless |
                                         QStringConverter::Flag::ConvertInitialBom);
    if (encoding == QStringConverter::Utf8)
        return decoder.decode(bytes);
    // Qt's UTF-16 decoder drops a lone odd byte at the end; it stands for a lost character.
    const bool odd = bytes.size() % 2 != 0;
    QString text = decoder.decode(bytes.first(bytes.size() - (odd ? 1 : 0)));
    if (odd)
        text.append(QChar::ReplacementCharacter);
    return text;
}

} // namespace

QString decodeTextFile(QByteArrayView bytes, const GbkCodePage& gbk)
{
    static constexpr Bom kBoms[] = {
        {QByteArrayView("\xEF\xBB\xBF", 3), QStringConverter::Utf8},
        {QByteArrayView("\xFF\xFE", 2), QStringConverter::Utf16LE},
        {QByteArrayView("\xFE\xFF", 2), QStringConverter::Utf16BE},
    };
    for (const Bom& bom : kBoms) {
        if (bytes.startsWith(bom.mark))
            return decodeUnicode(bytes.sliced(bom.mark.size()), bom.encoding);
    }
    return gbk.decode(bytes);
}

TextFileResult readTextFile(const QString& path, const GbkCodePage& gbk, qint64 maxBytes)
{
    // Only an ordinary file: opening a pipe would block the reader until someone writes
    // to it, and a device has no length to read.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return {TextFileStatus::NotAFile, {}};

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {TextFileStatus::CannotOpen, {}};

    // The length of the file as opened, not as its directory entry said a moment ago.
    const qint64 size = file.size();
    if (size < 0 || size > maxBytes)
        return {TextFileStatus::TooLarge, {}};

    try {
        QByteArray bytes(qsizetype(size), Qt::Uninitialized);
        qint64 got = 0;
        while (got < size) {
            const qint64 n = file.read(bytes.data() + got, size - got);
            if (n < 0)
                return {TextFileStatus::ReadError, {}};
            if (n == 0)
                break; // shrank while we read: keep what was there
            got += n;
        }
        bytes.truncate(qsizetype(got));
        return {TextFileStatus::Ok, decodeTextFile(bytes, gbk)};
    } catch (const std::bad_alloc&) {
        return {TextFileStatus::TooLarge, {}};
    }
}

TextFileReader::TextFileReader(const GbkCodePage& gbk, QObject* parent, qint64 maxBytes)
    : QObject(parent), m_gbk(gbk), m_maxBytes(maxBytes)
{
    m_pool.setMaxThreadCount(1);
}

TextFileReader::~TextFileReader()
{
    m_pool.waitForDone();
}

void TextFileReader::read(const QString& path)
{
    // The destructor waits for the pool, so the job may use this; the queued call is
    // dropped by Qt if the reader is gone before it is delivered.
    m_pool.start([this, path] {
        const TextFileResult result = readTextFile(path, m_gbk, m_maxBytes);
        QMetaObject::invokeMethod(
            this, [this, path, result] { Q_EMIT finished(path, result); }, Qt::QueuedConnection);
    });
}

} // namespace lirondo
