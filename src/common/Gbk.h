#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <bitset>
#include <memory>

namespace lirondo {

// The GBK code page (Windows code page 936) as the program uses it: decoding file
// bytes and telling which UTF-16 code units GBK encodes with two bytes.
class GbkCodePage
{
public:
    // Builds the double-byte table by decoding every lead/trail pair once.
    GbkCodePage();

    bool isValid() const { return m_valid; }

    // Decodes GBK bytes; invalid sequences become U+FFFD.
    QString decode(QByteArrayView bytes) const;
    QByteArray encode(QStringView text) const;

    // True when GBK writes this code unit as a lead/trail byte pair.
    bool isDoubleByte(char16_t unit) const { return m_doubleByte.test(unit); }

    enum class CharClass
    {
        Neutral,
        Chinese,
        English
    };
    CharClass classify(char16_t unit) const
    {
        if ((unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z'))
            return CharClass::English;
        return isDoubleByte(unit) ? CharClass::Chinese : CharClass::Neutral;
    }

private:
    bool m_valid = false;
    std::bitset<65536> m_doubleByte;
};

} // namespace lirondo
