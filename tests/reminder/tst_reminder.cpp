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
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace lirondo;
using namespace lirondo::test;

namespace {

QTime at(const char* text)
{
    return QTime::fromString(QString::fromLatin1(text), QStringLiteral("hh:mm:ss"));
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

    bool confirm(const QString& message, const QString& time)
    {
        window->Text1->setPlainText(message);
        window->Text2->setText(time);
        window->Command1->click();
        return window->state() == QStringLiteral("a");
    }

    // Clock ticks, one a second, up to and including `until`.
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
    void rejectedTimeKeepsState();
    void dueAnnouncesEveryTickUntilAttended();
    void announcement_data();
    void announcement();
    void cancelDiscards();
};

void TestReminder::parseTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected"); // empty: rejected

    QTest::newRow("design value") << QStringLiteral(" 00:00:00") << QStringLiteral("00:00:00");
    QTest::newRow("H:mm") << QStringLiteral("8:05") << QStringLiteral("08:05:00");
    QTest::newRow("H:mm:ss") << QStringLiteral("8:05:00") << QStringLiteral("08:05:00");
    QTest::newRow("hh:mm:ss") << QStringLiteral("08:05:07") << QStringLiteral("08:05:07");
    QTest::newRow("blanks around") << QStringLiteral("\t 23:59:59  ") << QStringLiteral("23:59:59");
    QTest::newRow("full-width colons")
        << QStringLiteral("08：05：00") << QStringLiteral("08:05:00");
    QTest::newRow("PM") << QStringLiteral("8:05 PM") << QStringLiteral("20:05:00");
    QTest::newRow("12 AM") << QStringLiteral("12:30:00 am") << QStringLiteral("00:30:00");
    QTest::newRow("下午") << QStringLiteral("下午 3:00") << QStringLiteral("15:00:00");
    QTest::newRow("date and time")
        << QStringLiteral("2026-12-07 8:05:00") << QStringLiteral("08:05:00");
    QTest::newRow("slashed date") << QStringLiteral("2026/12/7 08:05")
                                  << QStringLiteral("08:05:00");
    QTest::newRow("date alone is midnight")
        << QStringLiteral("2026-12-07") << QStringLiteral("00:00:00");
    QTest::newRow("leap day") << QStringLiteral("2028-02-29 7:00") << QStringLiteral("07:00:00");

    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("blanks") << QStringLiteral("   ") << QString();
    QTest::newRow("words") << QStringLiteral("tomorrow") << QString();
    QTest::newRow("hour alone") << QStringLiteral("8") << QString();
    QTest::newRow("no minutes") << QStringLiteral("8:") << QString();
    QTest::newRow("no hour") << QStringLiteral(":05") << QString();
    QTest::newRow("hour 24") << QStringLiteral("24:00") << QString();
    QTest::newRow("minute 60") << QStringLiteral("8:60") << QString();
    QTest::newRow("second 60") << QStringLiteral("8:05:60") << QString();
    QTest::newRow("three digits") << QStringLiteral("008:05") << QString();
    QTest::newRow("four fields") << QStringLiteral("8:05:00:00") << QString();
    QTest::newRow("13 PM") << QStringLiteral("13:00 PM") << QString();
    QTest::newRow("trailing garbage") << QStringLiteral("8:05 x") << QString();
    QTest::newRow("no such day") << QStringLiteral("2026-02-30 8:00") << QString();
    QTest::newRow("mixed date separators") << QStringLiteral("2026-12/07 8:00") << QString();
    QTest::newRow("full-width digits") << QStringLiteral("８:05") << QString();
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
    QTest::addColumn<QStringList>("ticks");
    QTest::addColumn<int>("dueAtTick"); // -1: never

    QTest::newRow("on its second")
        << QStringLiteral("08:05:00") << QStringLiteral("08:04:50")
        << QStringList{QStringLiteral("08:04:59"), QStringLiteral("08:05:00")} << 1;
    QTest::newRow("its second skipped")
        << QStringLiteral("08:05:00") << QStringLiteral("08:04:50")
        << QStringList{QStringLiteral("08:04:59"), QStringLiteral("08:05:01")} << 1;
    QTest::newRow("several seconds skipped")
        << QStringLiteral("08:05:00") << QStringLiteral("08:04:50")
        << QStringList{QStringLiteral("08:04:58"), QStringLiteral("08:05:09")} << 1;
    QTest::newRow("not before its time")
        << QStringLiteral("08:05:00") << QStringLiteral("08:04:50")
        << QStringList{QStringLiteral("08:04:58"), QStringLiteral("08:04:59"),
                       QStringLiteral("08:04:59")}
        << -1;
    QTest::newRow("midnight skipped")
        << QStringLiteral("00:00:00") << QStringLiteral("23:59:50")
        << QStringList{QStringLiteral("23:59:59"), QStringLiteral("00:00:01")} << 1;
    QTest::newRow("set for the current second")
        << QStringLiteral("08:05:00") << QStringLiteral("08:05:00")
        << QStringList{QStringLiteral("08:05:00")} << 0;
    QTest::newRow("set for a time just past: tomorrow")
        << QStringLiteral("08:05:00") << QStringLiteral("08:05:30")
        << QStringList{QStringLiteral("08:05:31"), QStringLiteral("18:00:00"),
                       QStringLiteral("23:59:59"), QStringLiteral("00:00:00"),
                       QStringLiteral("08:04:59"), QStringLiteral("08:05:00")}
        << 5;
    QTest::newRow("clock set back is not a day passing")
        << QStringLiteral("08:05:00") << QStringLiteral("08:04:00")
        << QStringList{QStringLiteral("08:04:01"), QStringLiteral("07:00:00"),
                       QStringLiteral("08:04:59"), QStringLiteral("08:05:00")}
        << 3;
}

void TestReminder::goesDue()
{
    QFETCH(QString, time);
    QFETCH(QString, armedAt);
    QFETCH(QStringList, ticks);
    QFETCH(int, dueAtTick);

    FakeClock clock;
    Reminder reminder(clock);
    clock.now = QTime::fromString(armedAt, QStringLiteral("hh:mm:ss"));
    reminder.arm(QTime::fromString(time, QStringLiteral("hh:mm:ss")));

    int dueAt = -1;
    for (int i = 0; i < ticks.size() && dueAt < 0; ++i) {
        clock.now = QTime::fromString(ticks.at(i), QStringLiteral("hh:mm:ss"));
        QCOMPARE(reminder.tick(), ticks.at(i));
        if (reminder.isDue())
            dueAt = i;
    }
    QCOMPARE(dueAt, dueAtTick);
}

void TestReminder::confirm_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("timeBox");

    const QString empty = QStringLiteral("消息不能为空");
    const QString bad = QStringLiteral("时间格式不对");
    const QString ok = QStringLiteral("设置成功！");
    QTest::newRow("design message") << QStringLiteral(" ") << QStringLiteral("8:05") << empty
                                    << QString() << QStringLiteral("8:05");
    QTest::newRow("blank lines") << QStringLiteral(" \n\t\n ") << QStringLiteral("8:05") << empty
                                 << QString() << QStringLiteral("8:05");
    QTest::newRow("message is checked first") << QString() << QStringLiteral("nonsense") << empty
                                              << QString() << QStringLiteral("nonsense");
    QTest::newRow("bad time") << QStringLiteral("开会") << QStringLiteral("25:00") << bad
                              << QString() << QStringLiteral("25:00");
    QTest::newRow("design time") << QStringLiteral("开会") << QStringLiteral(" 00:00:00") << ok
                                 << QStringLiteral("a") << QStringLiteral("00:00:00");
    QTest::newRow("short time") << QStringLiteral(" 开会 ") << QStringLiteral("8:05") << ok
                                << QStringLiteral("a") << QStringLiteral("08:05:00");
    QTest::newRow("with a date") << QStringLiteral("开会") << QStringLiteral("2026-12-07 8:05:00")
                                 << ok << QStringLiteral("a") << QStringLiteral("08:05:00");
}

void TestReminder::confirm()
{
    QFETCH(QString, message);
    QFETCH(QString, time);
    QFETCH(QString, box);

    Harness h;
    h.window->show();
    h.confirm(message, time);

    QCOMPARE(h.messages.texts(), QStringList{box});
    QCOMPARE(h.messages.shown.first().icon, MessageBoxPort::Icon::None);
    QVERIFY(h.messages.shown.first().title.isEmpty()); // the program's title
    QTEST(h.window->state(), "state");
    QTEST(h.window->Text2->text(), "timeBox");
    QCOMPARE(h.window->Text1->toPlainText(), message); // kept as typed

    const bool accepted = box == QStringLiteral("设置成功！");
    QCOMPARE(h.window->isVisible(), !accepted);
    QCOMPARE(h.character.requests, accepted ? QStringList{QStringLiteral("Hide")} : QStringList{});
    if (box == QStringLiteral("消息不能为空"))
        QCOMPARE(h.window->focusWidget(), h.window->Text1);
}

void TestReminder::rejectedTimeKeepsState()
{
    Harness h;
    QVERIFY(h.confirm(QStringLiteral("开会"), QStringLiteral("8:05")));
    h.window->showAndAttend();
    QVERIFY(!h.confirm(QStringLiteral("开会"), QStringLiteral("8:5x")));
    QCOMPARE(h.window->state(), QStringLiteral("c"));
    QCOMPARE(h.window->Text2->text(), QStringLiteral("8:5x"));
}

void TestReminder::dueAnnouncesEveryTickUntilAttended()
{
    Harness h;
    const QString message = QStringLiteral("该开会了");
    h.clock.now = at("08:04:50");
    QVERIFY(h.confirm(message, QStringLiteral("8:05:00")));
    QVERIFY(!h.window->isVisible());
    h.character.requests.clear();

    h.runClockTo(at("08:04:59"));
    h.mainTick();
    QVERIFY(h.eVoice.calls.isEmpty());

    h.runClockTo(at("08:05:00"));
    QCOMPARE(h.window->Label2->text(), QStringLiteral("08:05:00"));
    QCOMPARE(h.window->state(), QStringLiteral("b"));

    // The main window's tick repeats it every ten seconds while it is due.
    for (int i = 0; i < 3; ++i) {
        h.runClockTo(h.clock.now.addSecs(10));
        h.mainTick();
    }
    QCOMPARE(h.eVoice.spoken().size(), 3);
    QCOMPARE(h.character.requests.count(QStringLiteral("Speak ") + message), 3);

    // A right click on the character shows the window and ends the repeats.
    h.window->showAndAttend();
    QVERIFY(h.window->isVisible());
    QCOMPARE(h.window->Text1->toPlainText(), message);
    QCOMPARE(h.window->state(), QStringLiteral("c"));
    h.runClockTo(h.clock.now.addSecs(10));
    h.mainTick();
    QCOMPARE(h.eVoice.spoken().size(), 3);

    // Confirming again arms the same time, which has just passed: tomorrow.
    QVERIFY(h.confirm(message, h.window->Text2->text()));
    h.runClockTo(at("08:04:59"));
    QCOMPARE(h.window->state(), QStringLiteral("a"));
    h.runClockTo(at("08:05:00"));
    QCOMPARE(h.window->state(), QStringLiteral("b"));
}

void TestReminder::announcement_data()
{
    QTest::addColumn<bool>("hasCharacter");
    QTest::addColumn<bool>("characterRefuses");
    QTest::addColumn<QStringList>("characterRequests");

    const QString message = QStringLiteral("吃药 now");
    QTest::newRow("character") << true << false
                               << QStringList{QStringLiteral("Show"),
                                              QStringLiteral("Speak ") + message};
    QTest::newRow("no character") << false << false << QStringList{};
    QTest::newRow("character refuses") << true << true << QStringList{};
}

void TestReminder::announcement()
{
    QFETCH(bool, hasCharacter);
    QFETCH(bool, characterRefuses);
    const QString message = QStringLiteral("吃药 now");

    Harness h;
    h.hasCharacter = hasCharacter;
    h.character.refuseAll = characterRefuses;
    h.window->Text1->setPlainText(message);
    h.eVoice.speak(QStringLiteral("a reading under way"), SpeechEngine::Async);
    h.eVoice.calls.clear();

    h.window->announce();
    h.window->announce();

    QTEST(h.character.requests.mid(0, 2), "characterRequests");
    // Each announcement drops what is being spoken, its own earlier one included.
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
    h.clock.now = at("08:04:50");
    QVERIFY(h.confirm(QStringLiteral("开会"), QStringLiteral("08:05:00")));
    h.runClockTo(at("08:05:00"));
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
    QCOMPARE(h.window->Label2->text(), QStringLiteral(" "));
    h.runClockTo(at("08:05:10"));
    h.mainTick();
    QVERIFY(h.eVoice.calls.isEmpty());
}

QTEST_MAIN(TestReminder)
#include "tst_reminder.moc"
