#include "reminder/Reminder.h"
#include "reminder/TagButton.h"
#include "reminder/jihua.h"

#include "fakes/FakeAgent.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeSpeechEngine.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace lirondo;
using namespace lirondo::test;

namespace {

QTime at(const QString& text)
{
    return QTime::fromString(text, QStringLiteral("hh:mm:ss"));
}

// A reminder window with fakes around it, and the main window's ten-second tick.
struct Harness
{
    FakeClock clock;
    FakeMessageBox messages;
    FakeSpeechEngine eVoice;
    FakeAgentCharacter character;
    bool hasCharacter = true;
    QPointer<jihua> window;

    Harness() { create(); }
    ~Harness() { delete window; }

    void create()
    {
        window = new jihua(clock, messages, eVoice, [this]() -> AgentCharacter* {
            return hasCharacter ? &character : nullptr;
        });
    }

    void confirm(const QString& message, const QString& time)
    {
        window->Text1->setPlainText(message);
        window->Text2->setText(time);
        window->Command1->click();
    }

    // One clock tick a second, up to and including `until`.
    void runClockTo(QTime until)
    {
        while (clock.now != until) {
            clock.now = clock.now.addSecs(1);
            window->Timer1_Timer();
        }
    }

    void mainTick()
    {
        if (window->isDue())
            window->announce();
    }
};

} // namespace

class TestReminder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parseTime_data();
    void parseTime();
    void goesDue_data();
    void goesDue();
    void confirm_data();
    void confirm();
    void dueAnnouncesEveryTickUntilAttended();
    void announcement_data();
    void announcement();
    void cancelDiscards();
};

void TestReminder::parseTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected"); // empty: rejected

    const auto row = [](const char* name, const char* text, const char* expected) {
        QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(expected);
    };
    row("design value", " 00:00:00", "00:00:00");
    row("H:mm", "8:05", "08:05:00");
    row("H:mm:ss", "8:05:07", "08:05:07");
    row("blanks around", "\t 23:59:59  ", "23:59:59");
    row("full-width colons, as in the hint", "08：05：00", "08:05:00");
    row("PM", "8:05 PM", "20:05:00");
    row("12 AM", "12:30:00 am", "00:30:00");
    row("下午", "下午 3:00", "15:00:00");
    row("date and time", "2026-12-07 8:05:00", "08:05:00");
    row("slashed date", "2026/12/7 08:05", "08:05:00");
    row("date alone is midnight", "2028-02-29", "00:00:00");

    row("blanks", "   ", "");
    row("words", "tomorrow", "");
    row("hour alone", "8", "");
    row("no minutes", "8:", "");
    row("hour 24", "24:00", "");
    row("minute 60", "8:60", "");
    row("second 60", "8:05:60", "");
    row("three digits", "008:05", "");
    row("four fields", "8:05:00:00", "");
    row("13 PM", "13:00 PM", "");
    row("trailing garbage", "8:05 x", "");
    row("no such day", "2026-02-30 8:00", "");
    row("mixed separators", "2026-12/07 8:00", "");
    row("full-width digits", "８:05", "");
}

void TestReminder::parseTime()
{
    QFETCH(QString, text);
    const std::optional<QTime> time = Reminder::parseTime(text);
    QTEST(time ? Reminder::clockText(*time) : QString(), "expected");
}

void TestReminder::goesDue_data()
{
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("armedAt");
    QTest::addColumn<QString>("ticks");
    QTest::addColumn<int>("dueAtTick"); // -1: never

    const auto row = [](const char* name, const char* time, const char* armedAt, const char* ticks,
                        int due) {
        QTest::newRow(name) << QString::fromLatin1(time) << QString::fromLatin1(armedAt)
                            << QString::fromLatin1(ticks) << due;
    };
    row("on its second", "08:05:00", "08:04:50", "08:04:59 08:05:00", 1);
    row("its second skipped", "08:05:00", "08:04:50", "08:04:59 08:05:01", 1);
    row("seconds skipped", "08:05:00", "08:04:50", "08:04:58 08:05:09", 1);
    row("not before", "08:05:00", "08:04:50", "08:04:58 08:04:59 08:04:59", -1);
    row("midnight skipped", "00:00:00", "23:59:50", "23:59:59 00:00:01", 1);
    row("set for the current second", "08:05:00", "08:05:00", "08:05:00", 0);
    row("just past: tomorrow", "08:05:00", "08:05:30",
        "08:05:31 18:00:00 23:59:59 00:00:00 08:04:59 08:05:00", 5);
    row("clock set back is no day passing", "08:05:00", "08:04:00",
        "08:04:01 07:00:00 08:04:59 08:05:00", 3);
}

void TestReminder::goesDue()
{
    QFETCH(QString, ticks);
    FakeClock clock;
    Reminder reminder(clock);
    QFETCH(QString, armedAt);
    clock.now = at(armedAt);
    QFETCH(QString, time);
    reminder.arm(at(time));

    int dueAt = -1;
    const QStringList times = ticks.split(u' ');
    for (int i = 0; i < times.size() && dueAt < 0; ++i) {
        clock.now = at(times.at(i));
        QCOMPARE(reminder.tick(), times.at(i));
        dueAt = reminder.isDue() ? i : -1;
    }
    QTEST(dueAt, "dueAtTick");
}

void TestReminder::confirm_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("state"); // starting from "c"
    QTest::addColumn<QString>("timeBox");

    const auto row = [](const char* name, const char* message, const char* time, const char* box,
                        const char* state, const char* timeBox) {
        QTest::newRow(name) << QString::fromUtf8(message) << QString::fromUtf8(time)
                            << QString::fromUtf8(box) << QString::fromUtf8(state)
                            << QString::fromUtf8(timeBox);
    };
    row("design message", " ", "8:05", "消息不能为空", "c", "8:05");
    row("blank lines", " \n\t\n ", "8:05", "消息不能为空", "c", "8:05");
    row("message checked first", "", "nonsense", "消息不能为空", "c", "nonsense");
    row("bad time", "开会", "25:00", "时间格式不对", "c", "25:00");
    row("design time", "开会", " 00:00:00", "设置成功！", "a", "00:00:00");
    row("short time", " 开会 ", "8:05", "设置成功！", "a", "08:05:00");
    row("with a date", "开会", "2026-12-07 8:05:00", "设置成功！", "a", "08:05:00");
}

void TestReminder::confirm()
{
    QFETCH(QString, message);
    QFETCH(QString, time);
    QFETCH(QString, box);

    Harness h;
    h.window->showAndAttend();
    h.confirm(message, time);

    QCOMPARE(h.messages.texts(), QStringList{box});
    QCOMPARE(h.messages.shown.first().icon, MessageBoxPort::Icon::None);
    QVERIFY(h.messages.shown.first().title.isEmpty()); // the program's title
    QTEST(h.window->state(), "state");
    QTEST(h.window->Text2->text(), "timeBox");
    QCOMPARE(h.window->Text1->toPlainText(), message); // kept as typed

    const bool accepted = h.window->state() == QStringLiteral("a");
    QCOMPARE(h.window->isVisible(), !accepted);
    QCOMPARE(h.character.requests, accepted ? QStringList{QStringLiteral("Hide")} : QStringList{});
    if (box == QStringLiteral("消息不能为空"))
        QCOMPARE(h.window->focusWidget(), h.window->Text1);
}

void TestReminder::dueAnnouncesEveryTickUntilAttended()
{
    Harness h;
    const QString message = QStringLiteral("该开会了");
    h.clock.now = at(QStringLiteral("08:04:50"));
    h.confirm(message, QStringLiteral("08:05:00"));
    h.runClockTo(at(QStringLiteral("08:04:59")));
    h.mainTick();
    QVERIFY(h.eVoice.calls.isEmpty());

    h.runClockTo(at(QStringLiteral("08:05:00")));
    QCOMPARE(h.window->Label2->text(), QStringLiteral("08:05:00"));
    QCOMPARE(h.window->state(), QStringLiteral("b"));
    for (int i = 0; i < 3; ++i) {
        h.runClockTo(h.clock.now.addSecs(10));
        h.mainTick();
    }
    QCOMPARE(h.eVoice.spoken().size(), 3);
    QCOMPARE(h.character.requests.count(QStringLiteral("Speak ") + message), 3);

    // A right click on the character shows the window as it is and ends the repeats.
    h.window->showAndAttend();
    QVERIFY(h.window->isVisible());
    QCOMPARE(h.window->Text1->toPlainText(), message);
    h.runClockTo(h.clock.now.addSecs(10));
    h.mainTick();
    QCOMPARE(h.eVoice.spoken().size(), 3);

    // Confirmed again, the same time has just passed: it fires tomorrow.
    h.confirm(message, h.window->Text2->text());
    h.runClockTo(at(QStringLiteral("08:04:59")));
    QCOMPARE(h.window->state(), QStringLiteral("a"));
    h.runClockTo(at(QStringLiteral("08:05:00")));
    QCOMPARE(h.window->state(), QStringLiteral("b"));
}

void TestReminder::announcement_data()
{
    QTest::addColumn<bool>("hasCharacter");
    QTest::addColumn<bool>("characterRefuses");
    QTest::addColumn<QStringList>("characterRequests");

    QTest::newRow("character") << true << false
                               << QStringList{QStringLiteral("Show"),
                                              QStringLiteral("Speak 吃药 now")};
    QTest::newRow("no character") << false << false << QStringList{};
    QTest::newRow("character refuses") << true << true << QStringList{};
}

void TestReminder::announcement()
{
    const QString message = QStringLiteral("吃药 now");
    Harness h;
    QFETCH(bool, hasCharacter);
    QFETCH(bool, characterRefuses);
    h.hasCharacter = hasCharacter;
    h.character.refuseAll = characterRefuses;
    h.window->Text1->setPlainText(message);

    h.window->announce();
    h.window->announce();

    QTEST(h.character.requests.mid(0, 2), "characterRequests");
    // Each announcement first drops what is being spoken, its own last one included.
    QCOMPARE(h.eVoice.calls.size(), 4);
    for (int i = 0; i < 4; i += 2) {
        QCOMPARE(h.eVoice.calls.at(i).text, QString());
        QCOMPARE(h.eVoice.calls.at(i).flags, int(SpeechEngine::PurgeBeforeSpeak));
        QCOMPARE(h.eVoice.calls.at(i + 1).text, message);
        QCOMPARE(h.eVoice.calls.at(i + 1).flags, int(SpeechEngine::Async));
    }
}

void TestReminder::cancelDiscards()
{
    Harness h;
    h.clock.now = at(QStringLiteral("08:04:50"));
    h.confirm(QStringLiteral("开会"), QStringLiteral("08:05:00"));
    h.runClockTo(at(QStringLiteral("08:05:00")));
    QVERIFY(h.window->isDue());
    h.window->showAndAttend();

    QSignalSpy unloaded(h.window.data(), &jihua::unloaded);
    h.window->Command2->click();
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(!h.window->isDue());
    QVERIFY(!h.window->Timer1->isActive());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(h.window.isNull());

    // The owner makes a fresh one, with nothing of the old reminder.
    h.create();
    h.window->showAndAttend();
    QCOMPARE(h.window->Text1->toPlainText(), QStringLiteral(" "));
    QCOMPARE(h.window->Text2->text(), QStringLiteral(" 00:00:00"));
    h.runClockTo(at(QStringLiteral("08:05:10")));
    h.mainTick();
    QVERIFY(h.eVoice.calls.isEmpty());
}

QTEST_MAIN(TestReminder)
#include "tst_reminder.moc"
