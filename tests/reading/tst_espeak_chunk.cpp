#include "reading/espeak/EspeakChunk.h"

#include <QTest>

using namespace lirondo;
using namespace Qt::StringLiterals;

class TestEspeakChunk : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cutsWhereSpeechPauses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("begin");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("atBreak");

        // Limits in these rows: at least 4, at most 10 characters.
        QTest::newRow("short rest is one chunk") << u"Hi there."_s << 0 << 9 << false;
        QTest::newRow("after the last sentence end") << u"Ab. Cd. Ef gh ij"_s << 0 << 7 << true;
        QTest::newRow("sentence end needs a blank after it")
            << u"Abc 3.14159 x"_s << 0 << 4 << false;
        QTest::newRow("after a line break") << u"abcde\nfghijklmnop"_s << 0 << 6 << true;
        QTest::newRow("Chinese full stop needs no blank")
            << u"你好世界。我们走吧好吗"_s << 0 << 5 << true;
        QTest::newRow("else after the last blank") << u"abcd efg hijklmnop"_s << 0 << 9 << false;
        QTest::newRow("else at the limit") << u"abcdefghijklmnop"_s << 0 << 10 << false;
        QTest::newRow("never inside a surrogate pair") << u"abcdefghi😀jklmn"_s << 0 << 9 << false;
        QTest::newRow("counted from begin") << u"xx. abcd. efgh ijkl"_s << 4 << 9 << true;
    }
    void cutsWhereSpeechPauses()
    {
        QFETCH(QString, text);
        QFETCH(int, begin);
        QFETCH(bool, atBreak);
        bool gotBreak = !atBreak;
        QTEST(int(chunkEnd(text, begin, 4, 10, &gotBreak)), "expected");
        QCOMPARE(gotBreak, atBreak);
    }

    void mapsCodePointsToUtf16_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("begin");
        QTest::addColumn<QList<int>>("offsets"); // of code points 1, 2, ... and the end

        QTest::newRow("ascii") << u"xxabc"_s << 2 << QList<int>{2, 3, 4, 5};
        QTest::newRow("pair counts once") << u"a😀b"_s << 0 << QList<int>{0, 1, 3, 4};
        QTest::newRow("lone surrogate counts once")
            << (u"a"_s + QChar(0xD800) + u"b"_s) << 0 << QList<int>{0, 1, 2, 3};
        // espeak would take a NUL for the end of the text.
        QTest::newRow("embedded NUL")
            << (u"ab"_s + QChar(0) + u"cd"_s) << 0 << QList<int>{0, 1, 2, 3, 4, 5};
        QTest::newRow("empty") << QString() << 0 << QList<int>{0};
    }
    void mapsCodePointsToUtf16()
    {
        QFETCH(QString, text);
        QFETCH(int, begin);
        QFETCH(QList<int>, offsets);
        const EspeakChunk chunk = makeChunk(text, begin, text.size());
        QCOMPARE(qsizetype(chunk.cpOffsets.size()), offsets.size());
        for (int i = 0; i < offsets.size(); ++i)
            QCOMPARE(chunk.offsetOf(i + 1), qsizetype(offsets.at(i)));
        // The UTF-8 text has as many code points as the map says.
        QVERIFY(!chunk.utf8.contains('\0'));
        QCOMPARE(QString::fromUtf8(chunk.utf8).toUcs4().size(), offsets.size() - 1);
    }
};

QTEST_GUILESS_MAIN(TestEspeakChunk)
#include "tst_espeak_chunk.moc"
