#include "common/Gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace lirondo {

namespace {
constexpr const char* kCodecName = "GBK";
}

GbkCodePage::GbkCodePage()
{
    QStringDecoder decoder(kCodecName);
    if (!decoder.isValid())
        return;
    m_valid = true;

    // Every pair, each followed by '\n', decoded in one call. A trail byte is never
    // 0x0A, so the output splits back into one piece per pair even where a pair is
    // invalid and decodes to more than one unit.
    QByteArray pairs;
    pairs.reserve(126 * 191 * 3);
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue;
            pairs.append(static_cast<char>(lead));
            pairs.append(static_cast<char>(trail));
            pairs.append('\n');
        }
    }
    const QString decoded = decoder.decode(pairs);
    qsizetype start = 0;
    while (start < decoded.size()) {
        qsizetype end = decoded.indexOf(u'\n', start);
        if (end < 0)
            end = decoded.size();
        if (end - start == 1) {
            const char16_t unit = decoded.at(start).unicode();
            if (unit != 0xFFFD)
                m_doubleByte.set(unit);
        }
        start = end + 1;
    }
}

QString GbkCodePage::decode(QByteArrayView bytes) const
{
    QStringDecoder decoder(kCodecName);
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    QString text = decoder.decode(bytes);
    // The converter holds back a lead byte at the very end, waiting for its trail byte,
    // and would drop it. A line feed (never a trail byte) pushes it out as U+FFFD.
    QString tail = decoder.decode(QByteArrayView("\n", 1));
    if (tail.size() > 1) {
        tail.chop(1);
        text.append(tail);
    }
    return text;
}

QByteArray GbkCodePage::encode(QStringView text) const
{
    QStringEncoder encoder(kCodecName);
    if (!encoder.isValid())
        return text.toLatin1();
    return encoder.encode(text);
}

} // namespace lirondo
