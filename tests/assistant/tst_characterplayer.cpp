#include "ScriptedRandom.h"
#include "TestCharacter.h"
#include "assistant/CharacterPlayer.h"

#include <QTest>

using namespace lirondo;
using namespace lirondo::test;

namespace {

// Records the frames shown ("Greet:1|Greet:2") and drives the player as its timer
// would, without waiting.
struct Harness
{
    explicit Harness(QList<double> draws = {}, bool shown = true)
        : random(std::move(draws)), player(makeTestCharacter(), random)
    {
        QObject::connect(&player, &CharacterPlayer::frameChanged, [this] {
            frames.append(player.character().animations.at(player.animationIndex()).name + u':' +
                          QString::number(player.frameIndex()));
        });
        if (shown) {
            player.requestShow();
            run();
            frames.clear();
        }
    }

    // Steps until the player rests; the time that would have passed, -1 if it never rests.
    qint64 run(int maxSteps = 1000)
    {
        qint64 elapsed = 0;
        for (int i = 0; i < maxSteps; ++i) {
            const int delay = player.advance();
            if (delay < 0)
                return elapsed;
            elapsed += delay;
        }
        return -1;
    }
    QString shown() const { return frames.join(u'|'); }

    ScriptedRandom random;
    CharacterPlayer player;
    QStringList frames;
};

} // namespace

class TestCharacterPlayer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void playsInOrder_data()
    {
        QTest::addColumn<QStringList>("animations");
        QTest::addColumn<QString>("expected"); // ends in the rest pose, Show:1
        QTest::newRow("animation then its return")
            << QStringList{QStringLiteral("Greet"), QStringLiteral("GreetReturn")}
            << QStringLiteral("Greet:0|Greet:1|Greet:2|GreetReturn:0|Show:1");
        QTest::newRow("any case, unknown skipped")
            << QStringList{QStringLiteral("Nope"), QStringLiteral("greetRETURN")}
            << QStringLiteral("GreetReturn:0|Show:1");
        QTest::newRow("zero-length frames")
            << QStringList{QStringLiteral("Quick")} << QStringLiteral("Quick:0|Quick:1|Show:1");
    }
    void playsInOrder()
    {
        QFETCH(QStringList, animations);
        QFETCH(QString, expected);
        Harness h;
        for (const QString& name : animations)
            QCOMPARE(h.player.requestPlay(name), name != QStringLiteral("Nope"));
        QVERIFY(h.run() > 0);
        QCOMPARE(h.shown(), expected);
    }

    void movesOneAfterTheOther()
    {
        Harness h;
        h.player.setPosition({700, 500}); // dragged there by the user
        QList<QPoint> path;
        QObject::connect(&h.player, &CharacterPlayer::positionChanged,
                         [&path](QPoint p) { path.append(p); });
        h.player.requestMoveTo(0, 200);
        h.player.requestMoveTo(400, 200);
        h.run();
        const qsizetype corner = path.indexOf(QPoint(0, 200));
        QVERIFY(corner > 0);
        for (qsizetype i = corner; i < path.size(); ++i) // then along at the same height
            QCOMPARE(path.at(i).y(), 200);
        QCOMPARE(path.last(), QPoint(400, 200));
    }

    // A hidden character completes its requests at once: no timer, no backlog.
    void hiddenCompletesAtOnce()
    {
        Harness h({}, false);
        h.player.requestPlay(QStringLiteral("Greet"));
        h.player.requestSpeak(QStringLiteral("hello"));
        h.player.requestMoveTo(40, 50);
        QVERIFY(!h.player.requestMoveTo(40000, 50)); // no 16-bit screen position
        QCOMPARE(h.player.advance(), -1);
        QVERIFY(h.player.idle());
        QVERIFY(h.frames.isEmpty());
        QCOMPARE(h.player.position(), QPoint(40, 50));
    }

    void balloonTime_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expectedMs");
        QTest::newRow("empty says nothing") << QString() << 0;
        QTest::newRow("sentence") << QStringLiteral("Hello! What can I do For you ?") << 3800;
        QTest::newRow("capped") << QString(500, u'字') << 10000;
    }
    void balloonTime()
    {
        QFETCH(QString, text);
        QFETCH(int, expectedMs);
        Harness h;
        h.player.requestSpeak(text);
        qint64 shownFor = 0;
        for (int delay = h.player.advance(); delay >= 0; delay = h.player.advance()) {
            QCOMPARE(h.player.balloonText(), text);
            shownFor += delay;
        }
        QCOMPARE(shownFor, expectedMs);
        QVERIFY(h.player.balloonText().isEmpty());
    }

    // A looping animation goes on until a request waits, then leaves by its exit branch.
    void loopLeavesByExitBranch()
    {
        Harness h;
        h.player.requestPlay(QStringLiteral("Loop"));
        for (int i = 0; i < 6; ++i)
            QVERIFY(h.player.advance() > 0);
        QCOMPARE(h.shown(), QStringLiteral("Loop:0|Loop:1|Loop:0|Loop:1|Loop:0|Loop:1"));
        h.frames.clear();
        h.player.requestPlay(QStringLiteral("GreetReturn"));
        h.run();
        QCOMPARE(h.shown(), QStringLiteral("Loop:2|GreetReturn:0|Show:1"));
    }

    // A file whose exit branch leads back to itself must not hang the character.
    void loopingExitIsCutOff()
    {
        Harness h;
        h.player.requestPlay(QStringLiteral("Stuck"));
        h.player.advance();
        h.player.requestPlay(QStringLiteral("GreetReturn"));
        QVERIFY(h.run(20) >= 0);
        QVERIFY(h.shown().endsWith(QStringLiteral("GreetReturn:0|Show:1")));
    }

    void branchProbability_data()
    {
        QTest::addColumn<double>("draw");
        QTest::addColumn<QString>("expected");
        QTest::newRow("lowest draw branches") << 0.0 << QStringLiteral("Chance:0|Chance:2|Show:1");
        QTest::newRow("49 of 100 branches") << 0.495 << QStringLiteral("Chance:0|Chance:2|Show:1");
        QTest::newRow("50 of 100 goes on")
            << 0.5 << QStringLiteral("Chance:0|Chance:1|Chance:2|Show:1");
    }
    void branchProbability()
    {
        QFETCH(double, draw);
        QFETCH(QString, expected);
        Harness h({draw});
        h.player.requestPlay(QStringLiteral("Chance"));
        h.run();
        QCOMPARE(h.shown(), expected);
    }

    // Sentences handed over faster than balloons can show them must not pile up without end.
    void queueIsBounded()
    {
        Harness h({}, false);
        for (int i = 0; i < CharacterPlayer::kMaxQueued; ++i)
            QVERIFY(h.player.requestSpeak(QStringLiteral("x")));
        QVERIFY(!h.player.requestSpeak(QStringLiteral("x")));
        QVERIFY(!h.player.requestShow());
        QVERIFY(!h.player.visible());
        QCOMPARE(h.run(), 0);
        QVERIFY(h.player.requestSpeak(QStringLiteral("x")));
    }
};

QTEST_GUILESS_MAIN(TestCharacterPlayer)
#include "tst_characterplayer.moc"
