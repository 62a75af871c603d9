#include "reminder/Reminder.h"
#include "reminder/ReminderWindow.h"

#include "fakes/FakeAgent.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeSpeechEngine.h"

#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace lirondo;
using namespace lirondo::test;
using namespace Qt::StringLiterals;

namespace {

QTime at(const QString& text)
{
    return QTime::fromString(text, u"hh:mm:ss"_s);
}

// A reminder window with fakes around it, and the main window's ten-second tick.
struct Harness
{
    FakeClock clock;
    FakeMessageBox messages;
    FakeSpeechEngine engine;
    FakeAgentCharacter character;
    bool hasCharacter = true;
    QPointer<ReminderWindow> window =
        new ReminderWindow(clock, messages, engine, [this]() -> AgentCharacter* {
            return hasCharacter ? &character : nullptr;
        });

    Harness() { clock.now = QTime(8, 4, 50); }
    ~Harness() { delete window; }
    void confirm(const QString& message, const QString& time)
    {
        window->setMessage(message);
        window->setTimeText(time);
        window->findChild<QPushButton*>(u"confirmButton"_s)->click();
    }
    // One clock tick a second, up to and including `until`, then the main window's tick.
    void runClockTo(const QString& until)
    {
        while (clock.now != at(until)) {
            clock.now = clock.now.addSecs(1);
            window->tick();
        }
        if (window->isDue())
            window->announce();
    }
};

} // namespace

class TestReminder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parseTime_data()
    {
        QTest::addColumn<QString>("expected"); // the tag is the text; empty: rejected
        QTest::newRow("8:05") << "08:05:00";
        QTest::newRow("08：05：00") << "08:05:00";
        QTest::newRow("下午 3:00") << "15:00:00";
        QTest::newRow("2026-12-07 8:05:00") << "08:05:00";
        QTest::newRow("   ") << "";
        QTest::newRow("24:00") << "";
        QTest::newRow("8:05 x") << "";
        QTest::newRow("2026-02-30 8:00") << "";
    }
    void parseTime()
    {
        const std::optional<QTime> time =
            Reminder::parseTime(QString::fromUtf8(QTest::currentDataTag()));
        QTEST(time ? Reminder::clockText(*time) : QString(), "expected");
    }

    void goesDue_data()
    {
        QTest::addColumn<QString>("time");  // as typed
        QTest::addColumn<int>("dueAtTick"); // -1: never
        QTest::addColumn<QString>("ticks"); // the first arms it
        QTest::newRow("its second skipped") << "08:05:00" << 2 << "08:04:50 08:04:58 08:05:09";
        QTest::newRow("not before") << "08:05:00" << -1 << "08:04:50 08:04:58 08:04:59";
        QTest::newRow("midnight") << " 00:00:00" << 2 << "23:59:50 23:59:59 00:00:01";
        QTest::newRow("clock set back is no day passing")
            << "08:05:00" << 4 << "08:04:00 08:04:01 07:00:00 08:04:59 08:05:00";
        QTest::newRow("armed just after its time: tomorrow")
            << "08:05:00" << 4 << "08:05:01 18:00:00 04:00:00 08:04:59 08:05:00";
    }
    void goesDue()
    {
        QFETCH(QString, time);
        QFETCH(QString, ticks);
        const QStringList times = ticks.split(u' ');
        FakeClock clock;
        Reminder reminder(clock);
        clock.now = at(times.first());
        reminder.arm(Reminder::parseTime(time).value());
        int dueAt = -1;
        for (int i = 1; i < times.size() && dueAt < 0; ++i) {
            clock.now = at(times.at(i));
            QCOMPARE(reminder.tick(), times.at(i));
            dueAt = reminder.isDue() ? i : -1;
        }
        QTEST(dueAt, "dueAtTick");
    }

    void confirm_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("box");
        QTest::newRow("design message") << u" "_s << u"8:05"_s << u"消息不能为空"_s;
        QTest::newRow("checked first") << u" \n\t"_s << u"nonsense"_s << u"消息不能为空"_s;
        QTest::newRow("bad time") << u"开会"_s << u"25:00"_s << u"时间格式不对"_s;
        QTest::newRow("design time") << u"开会"_s << u" 00:00:00"_s << u"设置成功！"_s;
    }
    void confirm()
    {
        QFETCH(QString, message);
        QFETCH(QString, time);
        QFETCH(QString, box);
        Harness h;
        h.window->showAndAttend();
        h.confirm(message, time);

        QCOMPARE(h.messages.texts(), QStringList{box});
        QCOMPARE(h.window->message(), message);
        const bool accepted = box == u"设置成功！"_s;
        // Refused, nothing changes: the state stays "attended" and the time as typed.
        QCOMPARE(h.window->state(), accepted ? Reminder::State::Armed : Reminder::State::Attended);
        QCOMPARE(h.window->timeText(), accepted ? u"00:00:00"_s : time);
        QCOMPARE(h.window->isVisible(), !accepted);
        if (box == u"消息不能为空"_s)
            QCOMPARE(h.window->focusWidget()->accessibleName(), u"提醒内容"_s);
    }

    void dueAnnouncesEveryTickUntilAttended_data()
    {
        QTest::addColumn<bool>("hasCharacter");
        QTest::addColumn<bool>("characterRefuses");
        QTest::newRow("character") << true << false;
        QTest::newRow("no character: only the speech") << false << false;
        QTest::newRow("character refuses") << true << true;
    }
    void dueAnnouncesEveryTickUntilAttended()
    {
        QFETCH(bool, hasCharacter);
        QFETCH(bool, characterRefuses);
        Harness h;
        h.hasCharacter = hasCharacter;
        h.character.refuseAll = characterRefuses;
        const QString message = u"该开会了"_s;
        h.confirm(message, u"8:05:00"_s);
        for (const QString& tick : {u"08:05:00"_s, u"08:05:10"_s, u"08:05:20"_s})
            h.runClockTo(tick);
        // Each announcement first drops what is being spoken, its own last one included.
        QCOMPARE(h.engine.calls.size(), 6);
        for (int i = 0; i < 6; i += 2) {
            QCOMPARE(h.engine.calls.at(i).flags.toInt(), int(SpeechEngine::PurgeBeforeSpeak));
            QCOMPARE(h.engine.calls.at(i + 1).text, message);
            QCOMPARE(h.engine.calls.at(i + 1).flags.toInt(), int(SpeechEngine::Async));
        }
        const bool speaks = hasCharacter && !characterRefuses;
        QCOMPARE(h.character.requests.count(u"Speak "_s + message), speaks ? 3 : 0);

        // A right click on the character shows the window as it is and ends the repeats.
        h.window->showAndAttend();
        QCOMPARE(h.window->message(), message);
        h.runClockTo(u"08:05:30"_s);
        QCOMPARE(h.engine.calls.size(), 6);
    }
};

QTEST_MAIN(TestReminder)
#include "tst_reminder.moc"
