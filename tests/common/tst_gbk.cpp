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

    // Classification follows how the text would be encoded: every unit agrees with the
    // encoder (ASCII letters English, two bytes Chinese, the rest and surrogates neutral).
    void classifyMatchesEncoder()
    {
        int doubleBytes = 0;
        for (int u = 0; u < 0x10000; ++u) {
            const QChar ch{char16_t(u)};
            const bool twoBytes =
                !ch.isSurrogate() && m_gbk.encode(QStringView(&ch, 1)).size() == 2;
            const bool letter = (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
            const CharClass expected = letter     ? CharClass::English
                                       : twoBytes ? CharClass::Chinese
                                                  : CharClass::Neutral;
            if (twoBytes != m_gbk.isDoubleByte(char16_t(u)) ||
                m_gbk.classify(char16_t(u)) != expected)
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
        // A lead byte at the end or before ASCII: the bad-input table, through the window.
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
