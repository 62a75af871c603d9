#include "common/Gbk.h"
#include "reading/modfenkai.h"

#include <QRandomGenerator>
#include <QTest>

using lirondo::GbkCodePage;
using lirondo::modfenkai;

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

    void samples_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<QStringList>("runs");
        QTest::addColumn<QList<int>>("voices");
        QTest::addColumn<int>("lastlang");

        const int zh = kChinese, en = kEnglish;
        QTest::newRow("Hello世界, OK!")
            << QStringLiteral("Hello世界, OK!") << 0
            << QStringList{QStringLiteral("Hello"), QStringLiteral("世界, "), QStringLiteral("OK!")}
            << QList<int>{en, zh, en} << 2;
        QTest::newRow("2003年") << QStringLiteral("2003年") << 0
                                << QStringList{QStringLiteral("2003年")} << QList<int>{zh} << 1;
        QTest::newRow("space stays with Chinese")
            << QStringLiteral("中文 English") << 0
            << QStringList{QStringLiteral("中文 "), QStringLiteral("English")} << QList<int>{zh, en}
            << 2;
        QTest::newRow("full-width ! is Chinese")
            << QStringLiteral("你好！Hi") << 0
            << QStringList{QStringLiteral("你好！"), QStringLiteral("Hi")} << QList<int>{zh, en}
            << 2;
        QTest::newRow("full-width letters are Chinese")
            << QStringLiteral("ｈｉ") << 0 << QStringList{QStringLiteral("ｈｉ")} << QList<int>{zh}
            << 1;
        QTest::newRow("no letters: one run without voice")
            << QStringLiteral("123, 456.") << 0 << QStringList{QStringLiteral("123, 456.")}
            << QList<int>{-1} << 0;
        QTest::newRow("CR LF joins the run before")
            << QStringLiteral("Hi\r\n你好\r\nOK") << 0
            << QStringList{QStringLiteral("Hi\r\n"), QStringLiteral("你好\r\n"),
                           QStringLiteral("OK")}
            << QList<int>{en, zh, en} << 2;
        QTest::newRow("leading neutrals join the first run")
            << QStringLiteral(" (1) 中文abc") << 0
            << QStringList{QStringLiteral(" (1) 中文"), QStringLiteral("abc")} << QList<int>{zh, en}
            << 2;
        QTest::newRow("start inside the text")
            << QStringLiteral("Hello世界, OK!") << 5
            << QStringList{QStringLiteral("世界, "), QStringLiteral("OK!")} << QList<int>{zh, en}
            << 2;
        QTest::newRow("start at the last character")
            << QStringLiteral("中文a") << 2 << QStringList{QStringLiteral("a")} << QList<int>{en}
            << 2;
        QTest::newRow("euro and n tilde are neutral")
            << QStringLiteral("€5 año") << 0 << QStringList{QStringLiteral("€5 año")}
            << QList<int>{en} << 2;
        QTest::newRow("pinyin letters are Chinese")
            << QStringLiteral("café") << 0
            << QStringList{QStringLiteral("caf"), QStringLiteral("é")} << QList<int>{en, zh} << 1;
        QTest::newRow("emoji pair stays whole in the run before")
            << QStringLiteral("a😀中") << 0
            << QStringList{QStringLiteral("a😀"), QStringLiteral("中")} << QList<int>{en, zh} << 1;
        QTest::newRow("lone surrogate is neutral")
            << (QStringLiteral("中") + QChar(char16_t(0xD800)) + QStringLiteral("b")) << 0
            << QStringList{QStringLiteral("中") + QChar(char16_t(0xD800)), QStringLiteral("b")}
            << QList<int>{zh, en} << 2;
    }
    void samples()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(QStringList, runs);
        QFETCH(QList<int>, voices);
        QFETCH(int, lastlang);

        modfenkai split(m_gbk);
        QVERIFY(split.SplitText(text, start, kChinese, kEnglish));
        QCOMPARE(split.selectionStart(), start);
        QCOMPARE(split.count(), text.size() - start);
        QCOMPARE(split.runCount(), runs.size());
        qsizetype offset = 0;
        for (qsizetype k = 0; k < runs.size(); ++k) {
            QCOMPARE(split.runtext(k), runs[k]);
            QCOMPARE(split.runvoice(k), voices[k]);
            QCOMPARE(split.runOffset(k), offset);
            offset += runs[k].size();
        }
        QCOMPARE(split.lastlang(), lastlang);
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
        QCOMPARE(split.count(), 6);
        QCOMPARE(split.runCount(), 6);
        for (qsizetype k = 0; k < 6; ++k) {
            QCOMPARE(split.runtext(k), text.mid(k, 1));
            QCOMPARE(split.runvoice(k), k % 2 ? kChinese : kEnglish);
        }
        QVERIFY(!split.inRange(6));
        QCOMPARE(split.runtext(6), QString());
        QCOMPARE(split.runvoice(6), -1);
    }

    void entriesAfterTheLastRunAreEmpty()
    {
        modfenkai split(m_gbk);
        QVERIFY(split.SplitText(QStringLiteral("Hello世界"), 0, kChinese, kEnglish));
        QCOMPARE(split.runCount(), 2);
        for (qsizetype k = 2; k < split.count(); ++k) {
            QVERIFY(split.inRange(k));
            QCOMPARE(split.runtext(k), QString());
            QCOMPARE(split.runvoice(k), -1);
        }
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

    void runsDoNotFollowLaterEditsOfTheText()
    {
        QString text = QStringLiteral("abc中文");
        modfenkai split(m_gbk);
        QVERIFY(split.SplitText(text, 0, kChinese, kEnglish));
        text[0] = u'x';
        text.clear();
        QCOMPARE(split.runtext(0), QStringLiteral("abc"));
        QCOMPARE(split.runtext(1), QStringLiteral("中文"));
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
