#include "common/Gbk.h"
#include "reading/LanguageRuns.h"

#include <QTest>

using lirondo::GbkCodePage;
using lirondo::LanguageRuns;
using namespace Qt::StringLiterals;

namespace {
constexpr int kChinese = 3;
constexpr int kEnglish = 7;
} // namespace

// GBK as the program uses it, and the language runs that follow its character classes.
class TestLanguageRuns : public QObject
{
    Q_OBJECT

    GbkCodePage m_gbk;

    // Every entry past the runs, and every index outside the arrays, reads as no run.
    static void checkUnusedEntries(const LanguageRuns& split)
    {
        for (qsizetype k : {qsizetype(-1), split.runCount(), split.count()}) {
            QCOMPARE(split.inRange(k), k >= 0 && k < split.count());
            QCOMPARE(split.runText(k), QString());
            QCOMPARE(split.runVoice(k), -1);
            QCOMPARE(split.runOffset(k), -1);
        }
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_gbk.isValid()); }

    // Chinese is what GBK writes in two bytes: every unit agrees with the encoder, and
    // surrogates are never Chinese.
    void gbkDoubleBytesMatchTheEncoder()
    {
        int doubleBytes = 0;
        for (int u = 0; u < 0x10000; ++u) {
            const QChar ch{char16_t(u)};
            const bool twoBytes =
                !ch.isSurrogate() && m_gbk.encode(QStringView(&ch, 1)).size() == 2;
            if (twoBytes != m_gbk.isDoubleByte(char16_t(u)))
                QFAIL(qPrintable(u"U+%1 disagrees with the encoder"_s.arg(u, 4, 16, QChar(u'0'))));
            doubleBytes += twoBytes;
        }
        // GBK's double-byte repertoire as the Windows code page has it.
        QCOMPARE(doubleBytes, 23940);
    }

    void gbkDecodes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");

        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("NUL kept") << QByteArray("a\0b", 3) << QString::fromUtf16(u"a\0b", 3);
        QTest::newRow("full-width ! A3A1") << QByteArray("\xA3\xA1") << u"！"_s;
        QTest::newRow("euro 80") << QByteArray("\x80") << u"€"_s;
        // A lead byte at the end or before ASCII: the bad-input table, through the window.
        QTest::newRow("lead byte before DEL") << QByteArray("\xA1\x7F") << u"\uFFFD\x7F"_s;
        QTest::newRow("valid after invalid") << QByteArray("\x81\x0A\xBA\xBA") << u"\uFFFD\n汉"_s;
    }
    void gbkDecodes()
    {
        QFETCH(QByteArray, bytes);
        QTEST(m_gbk.decode(bytes), "expected");
    }

    // Runs are written joined by '|'; voices one letter a run: Z Chinese, E English, - none.
    // An empty `runs` means nothing to split.
    void samples_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("runs");
        QTest::addColumn<QString>("voices");
        QTest::addColumn<int>("lastlang");

        QTest::newRow("Hello世界, OK!")
            << u"Hello世界, OK!"_s << 0 << u"Hello|世界, |OK!"_s << u"EZE"_s << 2;
        QTest::newRow("no letters: one run, no voice")
            << u"123, 456."_s << 0 << u"123, 456."_s << u"-"_s << 0;
        QTest::newRow("CR LF joins the run before")
            << u"Hi\r\n你好\r\nOK"_s << 0 << u"Hi\r\n|你好\r\n|OK"_s << u"EZE"_s << 2;
        QTest::newRow("leading neutrals join the first run")
            << u" (1) 中文abc"_s << 0 << u" (1) 中文|abc"_s << u"ZE"_s << 2;
        QTest::newRow("every character changes language")
            << u"a中b文c字"_s << 0 << u"a|中|b|文|c|字"_s << u"EZEZEZ"_s << 1;
        QTest::newRow("start inside the text")
            << u"Hello世界, OK!"_s << 5 << u"世界, |OK!"_s << u"ZE"_s << 2;
        QTest::newRow("emoji pair stays whole") << u"a😀中"_s << 0 << u"a😀|中"_s << u"EZ"_s << 1;
        const QString surrogate = QChar(0xD800);
        QTest::newRow("lone surrogate is neutral")
            << u"中"_s + surrogate + u"b"_s << 0 << u"中"_s + surrogate + u"|b"_s << u"ZE"_s << 2;
        QTest::newRow("empty text") << QString() << 0 << QString() << QString() << 0;
        QTest::newRow("start past the end") << u"abc"_s << 10 << QString() << QString() << 0;
        QTest::newRow("negative start") << u"abc"_s << -1 << QString() << QString() << 0;
    }
    void samples()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(QString, runs);
        QFETCH(QString, voices);

        // Nothing of an earlier split, its runs or its last language, may carry over.
        LanguageRuns split(m_gbk);
        QVERIFY(split.split(u"我说 English"_s, 0, kChinese, kEnglish));
        QCOMPARE(split.split(text, start, kChinese, kEnglish), !runs.isEmpty());
        const QStringList expected = runs.isEmpty() ? QStringList() : runs.split(u'|');
        QCOMPARE(split.count(), runs.isEmpty() ? 0 : text.size() - start);
        QCOMPARE(split.runCount(), expected.size());
        for (qsizetype k = 0, offset = 0; k < expected.size(); offset += expected[k++].size()) {
            QCOMPARE(split.runText(k), expected[k]);
            QCOMPARE(split.runOffset(k), offset);
            const QChar v = voices.at(k);
            QCOMPARE(split.runVoice(k), v == u'Z' ? kChinese : v == u'E' ? kEnglish : -1);
        }
        QTEST(split.lastLanguage(), "lastlang");
        checkUnusedEntries(split);
    }
};

QTEST_GUILESS_MAIN(TestLanguageRuns)
#include "tst_languageruns.moc"
