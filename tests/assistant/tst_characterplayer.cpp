#include "TestCharacter.h"
#include "assistant/CharacterPlayer.h"
#include "assistant/RandomSource.h"

#include <QTest>

using namespace lirondo;
using namespace lirondo::test;

namespace {

// Every draw gives the same number.
class FixedRandom final : public RandomSource
{
public:
    explicit FixedRandom(double value) : m_value(value) {}
    double uniform() override { return m_value; }

private:
    double m_value;
};

// Records the frames shown ("Greet:1|Greet:2") and drives the player as its timer
// would, without waiting.
struct Harness
{
    explicit Harness(double draw = 0, bool shown = true)
        : random(draw), player(makeTestCharacter(), random)
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
        for (int i = 0, delay = 0; i < maxSteps; ++i, elapsed += delay) {
            if ((delay = player.advance()) < 0)
                return elapsed;
        }
        return -1;
    }
    QString shown() const { return frames.join(u'|'); }

    FixedRandom random;
    CharacterPlayer player;
    QStringList frames;
};

} // namespace

class TestCharacterPlayer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Requests made back to back play in order; each run ends in the rest pose, Show:1.
    void playsInOrder_data()
    {
        QTest::addColumn<QString>("animations");
        QTest::addColumn<double>("draw"); // for branches: 1..100 is this × 100 + 1
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* animations, double draw,
                            const char* expected) {
            QTest::newRow(name) << QString::fromUtf8(animations) << draw
                                << QString::fromUtf8(expected);
        };
        row("animation then its return", "Greet GreetReturn", 0,
            "Greet:0|Greet:1|Greet:2|GreetReturn:0|Show:1");
        row("any case, unknown skipped", "Nope greetRETURN", 0, "GreetReturn:0|Show:1");
        row("zero-length frames", "Quick", 0, "Quick:0|Quick:1|Show:1");
        row("49 of 100 takes a 50 % branch", "Chance", 0.495, "Chance:0|Chance:2|Show:1");
        row("50 of 100 goes on", "Chance", 0.5, "Chance:0|Chance:1|Chance:2|Show:1");
        // An exit path that loops would never leave: it is cut off after one step a frame.
        row("looping exit is cut off", "Stuck GreetReturn", 0,
            "Stuck:0|Stuck:0|GreetReturn:0|Show:1");
    }
    void playsInOrder()
    {
        QFETCH(QString, animations);
        QFETCH(double, draw);
        QFETCH(QString, expected);
        Harness h(draw);
        for (const QString& name : animations.split(u' '))
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

    // A looping animation goes on until a request waits, then leaves by its exit branch.
    void loopsUntilAskedToExit()
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

    // Sentences handed over faster than balloons can show them must not pile up without end.
    void queueIsBounded()
    {
        Harness h(0, false);
        for (int i = 0; i < CharacterPlayer::kMaxQueued; ++i)
            QVERIFY(h.player.requestSpeak(QStringLiteral("x")));
        QVERIFY(!h.player.requestSpeak(QStringLiteral("x")));
        QVERIFY(!h.player.requestShow());
        QCOMPARE(h.run(), 0);
        QVERIFY(h.player.requestSpeak(QStringLiteral("x")));
    }
};

QTEST_GUILESS_MAIN(TestCharacterPlayer)
#include "tst_characterplayer.moc"
