#include "common/Gbk.h"
#include "reading/modfenkai.h"

#include <QRandomGenerator>
#include <QTest>

using lirondo::GbkCodePage;
using lirondo::modfenkai;
using namespace Qt::StringLiterals;

namespace {

constexpr int kChinese = 3;
constexpr int kEnglish = 7;

// The runs as the two arrays of n entries each, filled one character at a time: the model
// the compact storage must be indistinguishable from.
struct ArrayModel
{
    QStringList runtext;
    QList<int> runvoice;
    int lastlang = 0;
};

ArrayModel splitIntoArrays(const GbkCodePage& gbk, const QString& text, qsizetype start,
                           int chinese, int english)
{
    ArrayModel m;
    const qsizetype n = text.size() - start;
    if (start < 0 || n <= 0)
        return m;
    m.runtext = QStringList(n, QString());
    m.runvoice = QList<int>(n, -1);
    qsizetype fill = 0;
    for (QChar ch : QStringView(text).sliced(start)) {
        switch (gbk.classify(ch.unicode())) {
        case GbkCodePage::CharClass::English:
            if (m.lastlang == 1)
                ++fill;
            m.lastlang = 2;
            m.runvoice[fill] = english;
            break;
        case GbkCodePage::CharClass::Chinese:
            if (m.lastlang == 2)
                ++fill;
            m.lastlang = 1;
            m.runvoice[fill] = chinese;
            break;
        case GbkCodePage::CharClass::Neutral:
            break;
        }
        m.runtext[fill].append(ch);
    }
    return m;
}

} // namespace

class tst_modfenkai : public QObject
{
    Q_OBJECT

    GbkCodePage m_gbk;

    void compareWithArrays(const modfenkai& split, const QString& text, qsizetype start)
    {
        const ArrayModel model = splitIntoArrays(m_gbk, text, start, kChinese, kEnglish);
        QCOMPARE(split.count(), model.runtext.size());
        for (qsizetype k = 0; k < split.count(); ++k) {
            QVERIFY(split.inRange(k));
            QCOMPARE(split.runtext(k), model.runtext[k]);
            QCOMPARE(split.runvoice(k), model.runvoice[k]);
        }
        QVERIFY(!split.inRange(split.count()));
        QVERIFY(!split.inRange(-1));
        QCOMPARE(split.lastlang(), model.lastlang);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_gbk.isValid()); }

    // Runs are written joined by '|'; voices one letter a run: Z Chinese, E English, - none.
    void samples_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("runs");
        QTest::addColumn<QString>("voices");

        QTest::newRow("Hello世界, OK!")
            << u"Hello世界, OK!"_s << 0 << u"Hello|世界, |OK!"_s << u"EZE"_s;
        QTest::newRow("2003年") << u"2003年"_s << 0 << u"2003年"_s << u"Z"_s;
        QTest::newRow("space stays with Chinese")
            << u"中文 English"_s << 0 << u"中文 |English"_s << u"ZE"_s;
        QTest::newRow("full-width ! is Chinese") << u"你好！Hi"_s << 0 << u"你好！|Hi"_s << u"ZE"_s;
        QTest::newRow("full-width letters are Chinese") << u"ｈｉ"_s << 0 << u"ｈｉ"_s << u"Z"_s;
        QTest::newRow("no letters: one run, no voice")
            << u"123, 456."_s << 0 << u"123, 456."_s << u"-"_s;
        QTest::newRow("CR LF joins the run before")
            << u"Hi\r\n你好\r\nOK"_s << 0 << u"Hi\r\n|你好\r\n|OK"_s << u"EZE"_s;
        QTest::newRow("leading neutrals join the first run")
            << u" (1) 中文abc"_s << 0 << u" (1) 中文|abc"_s << u"ZE"_s;
        QTest::newRow("start inside the text")
            << u"Hello世界, OK!"_s << 5 << u"世界, |OK!"_s << u"ZE"_s;
        QTest::newRow("pinyin letters are Chinese") << u"café"_s << 0 << u"caf|é"_s << u"EZ"_s;
        QTest::newRow("emoji pair stays whole") << u"a😀中"_s << 0 << u"a😀|中"_s << u"EZ"_s;
        QTest::newRow("lone surrogate is neutral") << u"中\xD800"
                                                      u"b"_s
                                                   << 0
                                                   << u"中\xD800"
                                                      u"|b"_s
                                                   << u"ZE"_s;
    }
    void samples()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(QString, runs);
        QFETCH(QString, voices);

        modfenkai split(m_gbk);
        QVERIFY(split.SplitText(text, start, kChinese, kEnglish));
        QCOMPARE(split.selectionStart(), start);
        QCOMPARE(split.count(), text.size() - start);
        const QStringList expected = runs.split(u'|');
        QCOMPARE(split.runCount(), expected.size());
        for (qsizetype k = 0; k < expected.size(); ++k) {
            QCOMPARE(split.runtext(k), expected[k]);
            const QChar v = voices.at(k);
            QCOMPARE(split.runvoice(k), v == u'Z' ? kChinese : v == u'E' ? kEnglish : -1);
        }
        compareWithArrays(split, text, start);
    }

    void nothingToSplit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");

        QTest::newRow("empty text") << QString() << 0;
        QTest::newRow("start at the end") << QStringLiteral("abc") << 3;
        QTest::newRow("start past the end") << QStringLiteral("abc") << 10;
        QTest::newRow("negative start") << QStringLiteral("abc") << -1;
    }
    void nothingToSplit()
    {
        QFETCH(QString, text);
        QFETCH(int, start);

        modfenkai split(m_gbk);
        // Runs of an earlier split must not survive a split that has nothing to cut.
        QVERIFY(split.SplitText(QStringLiteral("Hi你好"), 0, kChinese, kEnglish));
        QVERIFY(!split.SplitText(text, start, kChinese, kEnglish));
        QCOMPARE(split.count(), 0);
        QCOMPARE(split.runCount(), 0);
        QVERIFY(!split.inRange(0));
        QCOMPARE(split.runtext(0), QString());
        QCOMPARE(split.runvoice(0), -1);
        QCOMPARE(split.runOffset(0), -1);
        QCOMPARE(split.lastlang(), 0);
    }

    void everyCharacterChangesLanguage()
    {
        const QString text = QStringLiteral("a中b文c字");
        modfenkai split(m_gbk);
        QVERIFY(split.SplitText(text, 0, kChinese, kEnglish));
        QCOMPARE(split.runCount(), 6);
        compareWithArrays(split, text, 0);
    }

    void secondSplitStartsAfresh()
    {
        modfenkai split(m_gbk);
        QVERIFY(split.SplitText(QStringLiteral("我说 English"), 0, kChinese, kEnglish));
        QCOMPARE(split.lastlang(), 2);

        // Had the language of the first split carried over, 中 would open run 1.
        QVERIFY(split.SplitText(QStringLiteral("中文abc"), 0, 1, 2));
        QCOMPARE(split.runCount(), 2);
        QCOMPARE(split.runtext(0), QStringLiteral("中文"));
        QCOMPARE(split.runvoice(0), 1);
        QCOMPARE(split.runvoice(1), 2);
        QCOMPARE(split.count(), 5);

        QVERIFY(split.SplitText(QStringLiteral("42!"), 0, 1, 2));
        QCOMPARE(split.runvoice(0), -1);
        QCOMPARE(split.lastlang(), 0);
    }

    void randomMixedTexts()
    {
        // Letters, Chinese, full-width forms, neutrals, line breaks, a surrogate pair half.
        const QString alphabet =
            QStringLiteral("aZq中文，。ｈ１ 1,.\r\n€é") + QChar(char16_t(0xD83D));
        QRandomGenerator rng(20260101);
        modfenkai split(m_gbk);
        for (int round = 0; round < 500; ++round) {
            QString text;
            const int length = rng.bounded(0, 200);
            // Long stretches of one kind as well as single characters.
            while (text.size() < length) {
                const QChar ch = alphabet.at(rng.bounded(int(alphabet.size())));
                text.append(QString(rng.bounded(1, 6), ch));
            }
            const int start = text.isEmpty() ? 0 : rng.bounded(int(text.size()) + 1);
            const bool ok = split.SplitText(text, start, kChinese, kEnglish);
            QCOMPARE(ok, start < text.size());

            QString joined;
            for (qsizetype k = 0; k < split.runCount(); ++k) {
                QVERIFY(!split.runtext(k).isEmpty());
                QCOMPARE(split.runOffset(k), joined.size());
                if (k > 0)
                    QVERIFY(split.runvoice(k) != split.runvoice(k - 1));
                joined += split.runtext(k);
            }
            QCOMPARE(joined, text.mid(start));
            compareWithArrays(split, text, start);
        }
    }
};

QTEST_GUILESS_MAIN(tst_modfenkai)
#include "tst_modfenkai.moc"
