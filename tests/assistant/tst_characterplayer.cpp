#include "TestCharacter.h"
#include "assistant/CharacterPlayer.h"
#include "assistant/RandomSource.h"

#include <QTest>

using namespace lirondo;
using namespace lirondo::test;
using namespace Qt::StringLiterals;

namespace {

// Every draw gives the same number.
struct FixedRandom final : RandomSource
{
    double value = 0;
    double uniform() override { return value; }
};

// Records the frames shown ("Greet:1|Greet:2") and the balloons ("Hello@0", at the
// fake clock's time), and drives the player as its timer would, without waiting.
struct Harness
{
    explicit Harness(double draw = 0, bool shown = true) : player(makeTestCharacter(), random)
    {
        random.value = draw;
        QObject::connect(&player, &CharacterPlayer::frameChanged, [this] {
            frames.append(player.character().animations.at(player.animationIndex()).name + u':' +
                          QString::number(player.frameIndex()));
        });
        QObject::connect(&player, &CharacterPlayer::balloonChanged, [this](const QString& text) {
            if (!text.isEmpty())
                balloons.append(text + u'@' + QString::number(now));
        });
        QObject::connect(&player, &CharacterPlayer::wake, [this] { due = now; });
        if (shown) {
            player.requestShow();
            run();
            frames.clear();
        }
        due = -1;
    }

    // The fake clock moves on by ms, firing the player's timer whenever it is due.
    void runFor(qint64 ms)
    {
        const qint64 until = now + ms;
        while (due >= 0 && due <= until) {
            now = due;
            const int delay = player.advance();
            due = delay < 0 ? -1 : now + delay;
        }
        now = until;
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

    FixedRandom random;
    CharacterPlayer player;
    QStringList frames;
    QStringList balloons;
    qint64 now = 0;
    qint64 due = -1; // when the timer fires next; -1 stopped
};

} // namespace

class TestCharacterPlayer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Requests made back to back play in order; each run ends in the rest pose, Show:1.
    // "+n" lets n frames play before the next request.
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
        // The return waiting behind does not cut the loop short.
        row("loop plays before its exit", "Wave GreetReturn", 0.5,
            "Wave:0|Wave:1|Wave:2|Wave:3|Wave:4|GreetReturn:0|Show:1");
        // A loop goes on until a request waits, then leaves by its exit branch.
        row("loop until asked to exit", "Loop +6 GreetReturn", 0,
            "Loop:0|Loop:1|Loop:0|Loop:1|Loop:0|Loop:1|Loop:2|GreetReturn:0|Show:1");
    }
    void playsInOrder()
    {
        QFETCH(QString, animations);
        QFETCH(double, draw);
        QFETCH(QString, expected);
        Harness h(draw);
        for (const QString& name : animations.split(u' ')) {
            for (int i = name.startsWith(u'+') ? name.mid(1).toInt() : 0; i > 0; --i)
                QVERIFY(h.player.advance() > 0);
            if (!name.startsWith(u'+'))
                QCOMPARE(h.player.requestPlay(name), name != QStringLiteral("Nope"));
        }
        QVERIFY(h.run() > 0);
        QCOMPARE(h.frames.join(u'|'), expected);
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

    // The balloon says what is being read now, never a backlog; Show and Hide drop what
    // is queued (Hide keeps its farewell); what remains keeps its order. Script: "+ms" lets
    // the fake clock run, "say:" a sentence, "end" its end, "speak:" a balloon.
    void balloonsFollowTheReading_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("balloons");
        QTest::addColumn<int>("restsWithinMs"); // after the script
        QTest::addColumn<bool>("onScreen");
        const auto row = [](const char* name, const QString& script, const QString& balloons,
                            int restsWithinMs, bool onScreen = true) {
            QTest::newRow(name) << script << balloons << restsWithinMs << onScreen;
        };
        row("a sentence not yet shown is replaced",
            u"speak:Hello|say:One.|say:Two.|say:Three.|+2400|end"_s, u"Hello@0|Three.@2300"_s, 0);
        row("the next sentence ends the one showing, end ends the last",
            u"say:One.|+300|say:Two.|+300|end"_s, u"One.@0|Two.@300"_s, 0);
        row("a replaced sentence keeps its place", u"say:One.|play:Greet|say:Two.|+1000|end"_s,
            u"Two.@0"_s, 300);
        row("Show drops the backlog and cuts the balloon short",
            u"say:One.|+10|play:Greet|say:Two.|show|speak:Meeting"_s, u"One.@0|Meeting@10"_s, 2420);
        row("Hide drops the backlog but keeps its farewell",
            u"play:Greet|say:One.|+50|play:GreetReturn|say:Two.|speak:Bye|hide"_s, u"Bye@250"_s,
            200 + 2180 + 100, false);
        QString reading;
        QString heard;
        for (int i = 0; i < 60; ++i) {
            reading += u"say:Sentence %1.|+700|"_s.arg(i);
            heard += u"Sentence %1.@%2|"_s.arg(i).arg(i * 700);
        }
        row("60 sentences, then Hide leaves at once", reading + u"speak:See you next time !|hide"_s,
            heard + u"See you next time !@42000"_s, 2000 + 19 * 60 + 100, false);
    }
    void balloonsFollowTheReading()
    {
        QFETCH(QString, script);
        QFETCH(QString, balloons);
        QFETCH(int, restsWithinMs);
        QFETCH(bool, onScreen);
        Harness h;
        for (const QString& step : script.split(u'|')) {
            const QString arg = step.section(u':', 1);
            if (step.startsWith(u'+'))
                h.runFor(step.mid(1).toInt());
            else if (step.startsWith(u"say:"))
                QVERIFY(h.player.requestSentence(arg));
            else if (step == u"end")
                h.player.endSentence();
            else if (step.startsWith(u"speak:"))
                QVERIFY(h.player.requestSpeak(arg));
            else if (step.startsWith(u"play:"))
                QVERIFY(h.player.requestPlay(arg));
            else
                QVERIFY(step == u"show" ? h.player.requestShow() : h.player.requestHide());
        }
        h.runFor(restsWithinMs);
        QCOMPARE(h.balloons.join(u'|'), balloons);
        QVERIFY2(h.due < 0, "still busy");
        QCOMPARE(h.player.onScreen(), onScreen);
        QCOMPARE(h.player.visible(), onScreen);
    }

    // Balloons asked for faster than they can show must not pile up without end.
    void queueIsBounded()
    {
        Harness h(0, false);
        for (int i = 0; i < CharacterPlayer::kMaxQueued; ++i)
            QVERIFY(h.player.requestSpeak(QStringLiteral("x")));
        QVERIFY(!h.player.requestSpeak(QStringLiteral("x")));
        QCOMPARE(h.run(), 0);
        QVERIFY(h.player.requestSpeak(QStringLiteral("x")));
    }
};

QTEST_GUILESS_MAIN(TestCharacterPlayer)
#include "tst_characterplayer.moc"
