#include "ScriptedRandom.h"
#include "TestCharacter.h"
#include "assistant/CharacterPlayer.h"

#include <QSignalSpy>
#include <QTest>

using namespace lirondo;
using namespace lirondo::test;

namespace {

// Records the frames shown as "Animation:frame" and drives the player as its timer
// would, without waiting.
struct Harness
{
    explicit Harness(QList<double> draws = {})
        : random(std::move(draws)), player(makeTestCharacter(), random)
    {
        QObject::connect(&player, &CharacterPlayer::frameChanged, [this] {
            frames.append(player.character().animations.at(player.animationIndex()).name + u':' +
                          QString::number(player.frameIndex()));
        });
    }

    // Steps until the player rests; returns the time that would have passed, or -1
    // when it still animates after maxSteps.
    qint64 runToRest(int maxSteps = 1000)
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

    void showAndSettle()
    {
        player.requestShow();
        runToRest();
        frames.clear();
    }

    ScriptedRandom random;
    CharacterPlayer player;
    QStringList frames;
};

} // namespace

class TestCharacterPlayer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void showPlaysShowingAnimationThenRests()
    {
        Harness h;
        QSignalSpy wake(&h.player, &CharacterPlayer::wake);
        QVERIFY(!h.player.visible());
        QVERIFY(h.player.requestShow());
        QVERIFY(h.player.visible()); // answers for the request at once
        QCOMPARE(wake.count(), 1);
        QVERIFY(!h.player.onScreen());
        QCOMPARE(h.runToRest(), 200);
        QVERIFY(h.player.onScreen());
        QCOMPARE(h.frames, QStringList({QStringLiteral("Show:0"), QStringLiteral("Show:1")}));
        // Resting pose: the figure as it stands after appearing.
        QCOMPARE(h.player.animationIndex(),
                 h.player.character().animationIndex(QStringLiteral("Show")));
        QCOMPARE(h.player.frameIndex(), 1);
    }

    void requestsRunInOrder_data()
    {
        QTest::addColumn<QStringList>("animations");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("animation then its return")
            << QStringList{QStringLiteral("Greet"), QStringLiteral("GreetReturn")}
            << QStringList{QStringLiteral("Greet:0"), QStringLiteral("Greet:1"),
                           QStringLiteral("Greet:2"), QStringLiteral("GreetReturn:0"),
                           QStringLiteral("Show:1")};
        QTest::newRow("names ignore case")
            << QStringList{QStringLiteral("greetreturn"), QStringLiteral("GREETRETURN")}
            << QStringList{QStringLiteral("GreetReturn:0"), QStringLiteral("GreetReturn:0"),
                           QStringLiteral("Show:1")};
        QTest::newRow("unknown name skipped")
            << QStringList{QStringLiteral("Nope"), QStringLiteral("GreetReturn")}
            << QStringList{QStringLiteral("GreetReturn:0"), QStringLiteral("Show:1")};
        QTest::newRow("zero-length frames")
            << QStringList{QStringLiteral("Quick")}
            << QStringList{QStringLiteral("Quick:0"), QStringLiteral("Quick:1"),
                           QStringLiteral("Show:1")};
    }
    void requestsRunInOrder()
    {
        QFETCH(QStringList, animations);
        QFETCH(QStringList, expected);
        Harness h;
        h.showAndSettle();
        for (const QString& name : animations)
            QCOMPARE(h.player.requestPlay(name), name != QStringLiteral("Nope"));
        QVERIFY(h.runToRest() > 0);
        QCOMPARE(h.frames, expected);
    }

    void movesRunOneAfterTheOther()
    {
        Harness h;
        h.showAndSettle();
        h.player.setPosition({700, 500}); // dragged there by the user
        QList<QPoint> path;
        connect(&h.player, &CharacterPlayer::positionChanged,
                [&path](QPoint p) { path.append(p); });
        QVERIFY(h.player.requestMoveTo(0, 200));
        QVERIFY(h.player.requestMoveTo(400, 200));
        QVERIFY(h.runToRest() >= 0);

        QCOMPARE(h.player.position(), QPoint(400, 200));
        const qsizetype corner = path.indexOf(QPoint(0, 200));
        QVERIFY(corner > 0);
        // First all the way to the left edge, then along to x = 400.
        for (qsizetype i = 0; i < path.size(); ++i) {
            if (i < corner)
                QVERIFY(path.at(i).x() < 700 && path.at(i).y() < 500);
            else
                QCOMPARE(path.at(i).y(), 200);
        }
        QCOMPARE(path.last(), QPoint(400, 200));
    }

    // A hidden character completes its requests at once and leaves no timer running.
    void hiddenCharacterDoesNotAnimate()
    {
        Harness h;
        QVERIFY(h.player.requestPlay(QStringLiteral("Greet")));
        QVERIFY(h.player.requestSpeak(QStringLiteral("hello")));
        QVERIFY(h.player.requestMoveTo(40, 50));
        QCOMPARE(h.player.advance(), -1);
        QVERIFY(h.player.idle());
        QVERIFY(h.frames.isEmpty());
        QVERIFY(h.player.balloonText().isEmpty());
        QCOMPARE(h.player.position(), QPoint(40, 50));
    }

    void hideLeavesTheScreenAfterItsAnimation()
    {
        Harness h;
        h.showAndSettle();
        QVERIFY(h.player.requestSpeak(QStringLiteral("See you next time !")));
        QVERIFY(h.player.requestHide());
        QVERIFY(!h.player.visible());
        QVERIFY(h.player.onScreen());
        QVERIFY(h.runToRest() > 0);
        QVERIFY(!h.player.onScreen());
        QCOMPARE(h.frames.last(), QStringLiteral("Hide:0"));
        QVERIFY(h.player.balloonText().isEmpty());
        // Shown again: the show animation plays again.
        h.frames.clear();
        h.player.requestShow();
        h.runToRest();
        QCOMPARE(h.frames.first(), QStringLiteral("Show:0"));
    }

    void balloonLastsForTheText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expectedMs");
        QTest::newRow("empty says nothing") << QString() << 0;
        QTest::newRow("short") << QStringLiteral("Hi") << 2120;
        QTest::newRow("sentence") << QStringLiteral("Hello! What can I do For you ?") << 3800;
        QTest::newRow("capped") << QString(500, u'字') << 10000;
    }
    void balloonLastsForTheText()
    {
        QFETCH(QString, text);
        QFETCH(int, expectedMs);
        Harness h;
        h.showAndSettle();
        QSignalSpy balloon(&h.player, &CharacterPlayer::balloonChanged);
        QVERIFY(h.player.requestSpeak(text));

        qint64 shownFor = 0;
        for (int i = 0; i < 1000; ++i) {
            const int delay = h.player.advance();
            if (delay < 0)
                break;
            QCOMPARE(h.player.balloonText(), text);
            shownFor += delay;
        }
        QCOMPARE(shownFor, expectedMs);
        QVERIFY(h.player.balloonText().isEmpty());
        QCOMPARE(balloon.count(), text.isEmpty() ? 0 : 2);
        if (!text.isEmpty())
            QCOMPARE(h.frames.first(), QStringLiteral("Talk:0"));
    }

    // A looping animation goes on until another request waits, then leaves by its
    // exit branch.
    void loopEndsByItsExitBranch()
    {
        Harness h;
        h.showAndSettle();
        QVERIFY(h.player.requestPlay(QStringLiteral("Loop")));
        for (int i = 0; i < 6; ++i) // ends on frame 1, whose exit branch leads to 2
            QVERIFY(h.player.advance() > 0);
        QCOMPARE(h.frames.mid(0, 4),
                 QStringList({QStringLiteral("Loop:0"), QStringLiteral("Loop:1"),
                              QStringLiteral("Loop:0"), QStringLiteral("Loop:1")}));
        QVERIFY(!h.frames.contains(QStringLiteral("Loop:2")));
        h.frames.clear();
        QVERIFY(h.player.requestPlay(QStringLiteral("GreetReturn")));
        QVERIFY(h.runToRest() > 0);
        QCOMPARE(h.frames, QStringList({QStringLiteral("Loop:2"), QStringLiteral("GreetReturn:0"),
                                        QStringLiteral("Show:1")}));
    }

    void exitThatLoopsIsCutOff()
    {
        Harness h;
        h.showAndSettle();
        QVERIFY(h.player.requestPlay(QStringLiteral("Stuck")));
        QVERIFY(h.player.advance() > 0);
        QVERIFY(h.player.requestPlay(QStringLiteral("GreetReturn")));
        QVERIFY(h.runToRest(20) >= 0);
        QCOMPARE(h.frames.mid(h.frames.size() - 2),
                 QStringList({QStringLiteral("GreetReturn:0"), QStringLiteral("Show:1")}));
    }

    void branchFollowsItsProbability_data()
    {
        QTest::addColumn<double>("draw");
        QTest::addColumn<QString>("second");
        QTest::newRow("lowest draw branches") << 0.0 << QStringLiteral("Chance:2");
        QTest::newRow("49 of 100 branches") << 0.495 << QStringLiteral("Chance:2");
        QTest::newRow("50 of 100 goes on") << 0.5 << QStringLiteral("Chance:1");
        QTest::newRow("highest goes on") << 0.999 << QStringLiteral("Chance:1");
    }
    void branchFollowsItsProbability()
    {
        QFETCH(double, draw);
        QFETCH(QString, second);
        Harness h({draw});
        h.showAndSettle();
        h.player.requestPlay(QStringLiteral("Chance"));
        h.runToRest();
        QCOMPARE(h.frames.value(1), second);
    }

    void sizeLimits_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("0") << 0 << false;
        QTest::newRow("negative") << -5 << false;
        QTest::newRow("1") << 1 << true;
        QTest::newRow("largest") << CharacterPlayer::kMaxSize << true;
        QTest::newRow("too large") << CharacterPlayer::kMaxSize + 1 << false;
    }
    void sizeLimits()
    {
        QFETCH(int, size);
        QFETCH(bool, accepted);
        Harness h;
        QCOMPARE(h.player.size(), QSize(4, 4));
        QCOMPARE(h.player.setWidth(size), accepted);
        QCOMPARE(h.player.setHeight(size), accepted);
        QCOMPARE(h.player.size(), accepted ? QSize(size, size) : QSize(4, 4));
    }

    // Sentences handed over faster than balloons can show them must not pile up
    // without end.
    void queueIsBounded()
    {
        Harness h;
        for (int i = 0; i < CharacterPlayer::kMaxQueued; ++i)
            QVERIFY(h.player.requestSpeak(QStringLiteral("x")));
        QVERIFY(!h.player.requestSpeak(QStringLiteral("x")));
        QVERIFY(!h.player.requestShow());
        QVERIFY(!h.player.visible()); // a refused Show changes nothing
        QCOMPARE(h.runToRest(), 0);   // hidden: all done at once
        QVERIFY(h.player.requestSpeak(QStringLiteral("x")));
    }
};

QTEST_GUILESS_MAIN(TestCharacterPlayer)
#include "tst_characterplayer.moc"
