#include "common/Gbk.h"

#include <QTest>

using lirondo::GbkCodePage;
using CharClass = GbkCodePage::CharClass;
using namespace Qt::StringLiterals;

class TestGbk : public QObject
{
    Q_OBJECT

    GbkCodePage m_gbk;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_gbk.isValid()); }

    void classify_data()
    {
        QTest::addColumn<QString>("units"); // each of them in the class
        QTest::addColumn<CharClass>("expected");

        QTest::newRow("ASCII letters, first and last") << u"AZaz"_s << CharClass::English;
        QTest::newRow("ASCII next to the letters") << u"@[`{"_s + QChar(0) << CharClass::Neutral;
        // Full-width forms, the ideographic space, A1A4 middle dot, em dash, A8A6 pinyin é.
        QTest::newRow("double-byte GBK")
            << u"汉！ｈ\u3000\u00B7\u2014\u00E9"_s << CharClass::Chinese;
        // The euro is the single byte 80; ñ and the Latin-1 no-break space are not in GBK.
        QTest::newRow("not double-byte")
            << u"\u20AC\u00F1\u00A0"_s + QChar(0xD83D) << CharClass::Neutral;
    }
    void classify()
    {
        QFETCH(QString, units);
        QFETCH(CharClass, expected);
        for (QChar unit : units)
            QVERIFY2(m_gbk.classify(unit.unicode()) == expected,
                     qPrintable(QString::number(unit.unicode(), 16)));
    }

    // The table is built by decoding; what classification must follow is how the text
    // would be encoded. Every unit must agree with the encoder.
    void tableMatchesEncoder()
    {
        int doubleBytes = 0;
        for (int u = 0; u < 0x10000; ++u) {
            const QChar ch{char16_t(u)};
            const bool surrogate = ch.isSurrogate();
            const bool twoBytes = !surrogate && m_gbk.encode(QStringView(&ch, 1)).size() == 2;
            if (twoBytes != m_gbk.isDoubleByte(char16_t(u)))
                QFAIL(qPrintable(u"U+%1 disagrees with the encoder"_s.arg(u, 4, 16, QChar(u'0'))));
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
        QTest::newRow("NUL kept") << QByteArray("a\0b", 3) << QString::fromUtf16(u"a\0b", 3);
        QTest::newRow("mixed") << QByteArray("Hi\xCA\xC0\xBD\xE7") << u"Hi世界"_s;
        QTest::newRow("full-width ! A3A1") << QByteArray("\xA3\xA1") << u"！"_s;
        QTest::newRow("euro 80") << QByteArray("\x80") << u"€"_s;
        QTest::newRow("lone lead byte at end") << QByteArray("ab\xB0") << u"ab\uFFFD"_s;
        QTest::newRow("lead byte before ASCII keeps the ASCII") << QByteArray("\x81"
                                                                              "0x")
                                                                << u"\uFFFD0x"_s;
        QTest::newRow("lead byte before DEL") << QByteArray("\xA1\x7F") << u"\uFFFD\x7F"_s;
        QTest::newRow("valid after invalid") << QByteArray("\x81\x0A\xBA\xBA") << u"\uFFFD\n汉"_s;
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QTEST(m_gbk.decode(bytes), "expected");
    }
};

QTEST_GUILESS_MAIN(TestGbk)
#include "tst_gbk.moc"
