#include "documents/TextDecoder.h"

#include "common/Gbk.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cstdint>
#include <cstring>
#include <new>

namespace lirondo {

namespace {

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

bool isValidUtf8(QByteArrayView bytes, bool allowCutTail)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        // Eight ASCII bytes at a time: most text files are mostly ASCII.
        if (end - p >= 8) {
            std::uint64_t block;
            std::memcpy(&block, p, sizeof block);
            if ((block & 0x8080808080808080ULL) == 0) {
                p += 8;
                continue;
            }
        }
        const unsigned char lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        int trail;
        unsigned char lo = 0x80, hi = 0xBF; // the range of the first trail byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            trail = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            trail = 2;
            if (lead == 0xE0)
                lo = 0xA0; // overlong
            else if (lead == 0xED)
                hi = 0x9F; // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            trail = 3;
            if (lead == 0xF0)
                lo = 0x90; // overlong
            else if (lead == 0xF4)
                hi = 0x8F; // above U+10FFFF
        } else {
            return false;
        }
        for (int i = 1; i <= trail; ++i) {
            if (p + i == end)
                return allowCutTail;
            const unsigned char b = p[i];
            if (i == 1 ? (b < lo || b > hi) : (b < 0x80 || b > 0xBF))
                return false;
        }
        p += trail + 1;
    }
    return true;
}

namespace {

bool hasMultiByteCharacter(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0xC2)
            return true;
    }
    return false;
}

// The byte order of UTF-16 without a mark, judged from the first 64 KB: LE text has its
// zero bytes at odd offsets (the high bytes of ASCII characters), BE at even ones.
DetectedEncoding detectUnmarkedUtf16(QByteArrayView bytes)
{
    const QByteArrayView sample = bytes.first(qMin<qsizetype>(bytes.size(), 64 * 1024) & ~1);
    const qsizetype pairs = sample.size() / 2;
    if (pairs < 2)
        return {TextEncoding::Gbk, 0};
    qsizetype zeroEven = 0, zeroOdd = 0;
    for (qsizetype i = 0; i < sample.size(); i += 2) {
        zeroEven += sample[i] == 0;
        zeroOdd += sample[i + 1] == 0;
    }
    const auto plain = [pairs](qsizetype many, qsizetype few) {
        return many * 3 >= pairs && few * 20 <= pairs;
    };
    if (plain(zeroOdd, zeroEven))
        return {TextEncoding::Utf16LE, 0};
    if (plain(zeroEven, zeroOdd))
        return {TextEncoding::Utf16BE, 0};
    return {TextEncoding::Gbk, 0};
}

} // namespace

DetectedEncoding detectTextEncoding(QByteArrayView bytes)
{
    struct Bom
    {
        QByteArrayView mark;
        TextEncoding encoding;
    };
    static constexpr Bom kBoms[] = {
        {QByteArrayView("\xEF\xBB\xBF", 3), TextEncoding::Utf8},
        {QByteArrayView("\xFF\xFE", 2), TextEncoding::Utf16LE},
        {QByteArrayView("\xFE\xFF", 2), TextEncoding::Utf16BE},
    };
    for (const Bom& bom : kBoms) {
        if (bytes.startsWith(bom.mark))
            return {bom.encoding, bom.mark.size()};
    }
    if (const DetectedEncoding utf16 = detectUnmarkedUtf16(bytes);
        utf16.encoding != TextEncoding::Gbk)
        return utf16;
    // The whole file, not a prefix: GBK pairs such as "学" (D1 A7) are valid UTF-8 on
    // their own. The check stops at the first byte that is not UTF-8, which in a GBK file
    // is almost always within its first few characters.
    // A cut tail is at most three bytes; a real character must come before it.
    if (isValidUtf8(bytes) || (isValidUtf8(bytes, true) && hasMultiByteCharacter(bytes.chopped(
                                                               qMin<qsizetype>(bytes.size(), 3)))))
        return {TextEncoding::Utf8, 0};
    return {TextEncoding::Gbk, 0};
}

QString decodeTextFile(QByteArrayView bytes, const GbkCodePage& gbk)
{
    const DetectedEncoding detected = detectTextEncoding(bytes);
    const QByteArrayView body = bytes.sliced(detected.markLength);
    switch (detected.encoding) {
    case TextEncoding::Utf8:
        return decodeUnicode(body, QStringConverter::Utf8);
    case TextEncoding::Utf16LE:
        return decodeUnicode(body, QStringConverter::Utf16LE);
    case TextEncoding::Utf16BE:
        return decodeUnicode(body, QStringConverter::Utf16BE);
    case TextEncoding::Gbk:
        break;
    }
    return gbk.decode(body);
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

} // namespace lirondo
