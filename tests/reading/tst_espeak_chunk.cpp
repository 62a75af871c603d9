#include "reading/espeak/EspeakChunk.h"

#include <QTest>

using namespace lirondo;

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
        QTest::newRow("short rest is one chunk") << QStringLiteral("Hi there.") << 0 << 9 << false;
        QTest::newRow("after the last sentence end")
            << QStringLiteral("Ab. Cd. Ef gh ij") << 0 << 7 << true;
        QTest::newRow("sentence end needs a blank after it")
            << QStringLiteral("Abc 3.14159 x") << 0 << 4 << false;
        QTest::newRow("after a line break")
            << QStringLiteral("abcde\nfghijklmnop") << 0 << 6 << true;
        QTest::newRow("Chinese full stop needs no blank")
            << QStringLiteral("你好世界。我们走吧好吗") << 0 << 5 << true;
        QTest::newRow("else after the last blank")
            << QStringLiteral("abcd efg hijklmnop") << 0 << 9 << false;
        QTest::newRow("else at the limit")
            << QStringLiteral("abcdefghijklmnop") << 0 << 10 << false;
        QTest::newRow("never inside a surrogate pair")
            << QStringLiteral("abcdefghi😀jklmn") << 0 << 9 << false;
        QTest::newRow("counted from begin")
            << QStringLiteral("xx. abcd. efgh ijkl") << 4 << 9 << true;
    }

    void cutsWhereSpeechPauses()
    {
        QFETCH(QString, text);
        QFETCH(int, begin);
        QFETCH(int, expected);
        QFETCH(bool, atBreak);
        bool gotBreak = !atBreak;
        QCOMPARE(chunkEnd(text, begin, 4, 10, &gotBreak), qsizetype(expected));
        QCOMPARE(gotBreak, atBreak);
    }

    void chunksCoverTheText()
    {
        QString text;
        for (int i = 0; i < 500; ++i)
            text += QStringLiteral("Word 😀 wörd 𝒜%1. ").arg(i);
        qsizetype begin = 0;
        QString joined;
        while (begin < text.size()) {
            const qsizetype end = chunkEnd(text, begin);
            QVERIFY(end > begin);
            joined += text.mid(begin, end - begin);
            begin = end;
        }
        QCOMPARE(joined, text);
    }

    void mapsCodePointsToUtf16_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("begin");
        QTest::addColumn<QList<int>>("offsets"); // of code points 1, 2, ... and the end

        QTest::newRow("ascii") << QStringLiteral("xxabc") << 2 << QList<int>{2, 3, 4, 5};
        QTest::newRow("pair counts once") << QStringLiteral("a😀b") << 0 << QList<int>{0, 1, 3, 4};
        QTest::newRow("lone surrogate counts once")
            << (QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b")) << 0
            << QList<int>{0, 1, 2, 3};
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
        const QString back = QString::fromUtf8(chunk.utf8);
        QCOMPARE(qsizetype(back.toUcs4().size()), qsizetype(offsets.size() - 1));
    }

    void embeddedNulDoesNotEndTheText()
    {
        const QString text = QStringLiteral("ab") + QChar(0) + QStringLiteral("cd");
        const EspeakChunk chunk = makeChunk(text, 0, text.size());
        QCOMPARE(chunk.utf8, QByteArray("ab cd"));
    }
};

QTEST_GUILESS_MAIN(TestEspeakChunk)
#include "tst_espeak_chunk.moc"
