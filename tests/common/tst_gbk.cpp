#include "common/Gbk.h"

#include <QTest>

using lirondo::GbkCodePage;
using CharClass = GbkCodePage::CharClass;

class tst_Gbk : public QObject
{
    Q_OBJECT

    GbkCodePage m_gbk;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_gbk.isValid()); }

    void classify_data()
    {
        QTest::addColumn<char16_t>("unit");
        QTest::addColumn<CharClass>("expected");

        QTest::newRow("A") << char16_t(u'A') << CharClass::English;
        QTest::newRow("a") << char16_t(u'a') << CharClass::English;
        QTest::newRow("@ before A") << char16_t(u'@') << CharClass::Neutral;
        QTest::newRow("[ after Z") << char16_t(u'[') << CharClass::Neutral;
        QTest::newRow("` before a") << char16_t(u'`') << CharClass::Neutral;
        QTest::newRow("{ after z") << char16_t(u'{') << CharClass::Neutral;
        QTest::newRow("NUL") << char16_t(0) << CharClass::Neutral;
        QTest::newRow("han") << char16_t(u'汉') << CharClass::Chinese;
        QTest::newRow("full-width !") << char16_t(u'！') << CharClass::Chinese;
        QTest::newRow("full-width h") << char16_t(u'ｈ') << CharClass::Chinese;
        QTest::newRow("ideographic space") << char16_t(0x3000) << CharClass::Chinese;
        QTest::newRow("middle dot A1A4") << char16_t(0x00B7) << CharClass::Chinese;
        QTest::newRow("em dash") << char16_t(0x2014) << CharClass::Chinese;
        QTest::newRow("euro is byte 80") << char16_t(0x20AC) << CharClass::Neutral;
        QTest::newRow("pinyin e acute A8A6") << char16_t(0x00E9) << CharClass::Chinese;
        QTest::newRow("n tilde not in GBK") << char16_t(0x00F1) << CharClass::Neutral;
        QTest::newRow("Latin-1 nbsp") << char16_t(0x00A0) << CharClass::Neutral;
        QTest::newRow("lone high surrogate") << char16_t(0xD83D) << CharClass::Neutral;
    }
    void classify()
    {
        QFETCH(char16_t, unit);
        QFETCH(CharClass, expected);
        QCOMPARE(m_gbk.classify(unit), expected);
    }

    // The table is built by decoding; what classification must follow is how the text
    // would be encoded. Every unit must agree with the encoder.
    void tableMatchesEncoder()
    {
        int doubleBytes = 0;
        for (int u = 0; u < 0x10000; ++u) {
            if (u >= 0xD800 && u <= 0xDFFF) {
                QVERIFY2(!m_gbk.isDoubleByte(char16_t(u)), qPrintable(QString::number(u, 16)));
                continue;
            }
            const QChar ch{char16_t(u)};
            const QByteArray bytes = m_gbk.encode(QStringView(&ch, 1));
            const bool twoBytes = bytes.size() == 2;
            if (twoBytes != m_gbk.isDoubleByte(char16_t(u)))
                QFAIL(qPrintable(QStringLiteral("U+%1 encodes to %2")
                                     .arg(u, 4, 16, QChar(u'0'))
                                     .arg(QString::fromLatin1(bytes.toHex()))));
            doubleBytes += twoBytes;
        }
        // GBK's double-byte repertoire as the Windows code page has it.
        QCOMPARE(doubleBytes, 23940);
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");

        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("ASCII") << QByteArray("Hi, 1!") << QStringLiteral("Hi, 1!");
        QTest::newRow("NUL kept") << QByteArray("a\0b", 3) << QString::fromUtf16(u"a\0b", 3);
        QTest::newRow("han BABA") << QByteArray("\xBA\xBA") << QStringLiteral("汉");
        QTest::newRow("mixed") << QByteArray("Hello\xCA\xC0\xBD\xE7")
                               << QStringLiteral("Hello世界");
        QTest::newRow("full-width ! A3A1") << QByteArray("\xA3\xA1") << QStringLiteral("！");
        QTest::newRow("euro 80") << QByteArray("\x80") << QStringLiteral("€");
        QTest::newRow("lone lead byte at end")
            << QByteArray("ab\xB0") << QStringLiteral("ab\uFFFD");
        QTest::newRow("only a lead byte") << QByteArray("\xB0") << QStringLiteral("\uFFFD");
        QTest::newRow("lead byte before ASCII keeps the ASCII") << QByteArray("\x81"
                                                                              "0x")
                                                                << QStringLiteral("\uFFFD0x");
        QTest::newRow("lead byte before DEL")
            << QByteArray("\xA1\x7F") << QStringLiteral("\uFFFD\x7F");
        QTest::newRow("valid after invalid")
            << QByteArray("\x81\x0A\xBA\xBA") << QStringLiteral("\uFFFD\n汉");
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(m_gbk.decode(bytes), expected);
    }
};

QTEST_GUILESS_MAIN(tst_Gbk)
#include "tst_gbk.moc"
