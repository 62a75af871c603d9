// Decodes arbitrary bytes as GBK and as a text file, and checks every decoded unit's
// class against what the encoder does with it, and the file decoding against the
// encoding it detected.
#include "common/Gbk.h"
#include "documents/TextDecoder.h"

#include "FuzzRequire.h"
#include <QStringEncoder>

#include <cstdint>

using lirondo::GbkCodePage;
using CharClass = GbkCodePage::CharClass;

namespace {

bool isAsciiLetter(char16_t u)
{
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const GbkCodePage gbk; // the table is built once; it is never written after
    require(gbk.isValid(), "no GBK converter");

    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = gbk.decode(bytes);
    // One unit per single byte or per pair, U+FFFD included: fewer means a byte was lost.
    require(text.size() <= bytes.size(), "more units than bytes");
    require(text.size() >= (bytes.size() + 1) / 2, "bytes lost in decoding");

    // One encoder for the whole input: it holds no state between whole BMP characters.
    // Surrogates are left out, since the encoder would wait for the other half.
    QStringEncoder encoder("GBK");
    for (const QChar ch : text) {
        const char16_t unit = ch.unicode();
        const CharClass cls = gbk.classify(unit);
        if (ch.isSurrogate()) {
            require(cls == CharClass::Neutral, "surrogate not neutral");
            continue;
        }
        const QByteArray encoded = encoder.encode(QStringView(&ch, 1));
        if (isAsciiLetter(unit))
            require(cls == CharClass::English, "ASCII letter not English");
        else if (encoded.size() == 2)
            require(cls == CharClass::Chinese, "double-byte unit not Chinese");
        else
            require(cls == CharClass::Neutral, "single-byte or unencodable unit not neutral");
    }

    const QString fileText = lirondo::decodeTextFile(bytes, gbk);
    const lirondo::TextEncoding detected = lirondo::detectTextEncoding(bytes).encoding;
    if (bytes.startsWith(QByteArrayView("\xEF\xBB\xBF", 3)))
        require(fileText.size() <= bytes.size() - 3, "UTF-8 gave more units than bytes");
    else if (bytes.startsWith(QByteArrayView("\xFF\xFE", 2)) ||
             bytes.startsWith(QByteArrayView("\xFE\xFF", 2)))
        require(fileText.size() == (bytes.size() - 2 + 1) / 2, "UTF-16 unit count");
    else if (detected == lirondo::TextEncoding::Gbk)
        require(fileText == text, "file taken as GBK not decoded as GBK");
    else if (detected == lirondo::TextEncoding::Utf8)
        require(!lirondo::isValidUtf8(bytes) || fileText.toUtf8() == bytes,
                "valid UTF-8 changed by decoding");
    else
        require(fileText.size() == (bytes.size() + 1) / 2, "UTF-16 without a mark unit count");
    return 0;
}
