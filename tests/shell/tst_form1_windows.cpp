#include "fakes/Form1Fakes.h"
#include "mail/FeedbackForm.h"
#include "reading/ReadingController.h"
#include "reminder/ReminderWindow.h"
#include "shell/Form1.h"
#include "tray/TrayMenu.h"

#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace lirondo;
using namespace lirondo::test;
using Activation = TrayIconPort::Activation;

namespace {

// The main window with the tray, the character service and the browser faked.
struct Harness : Form1Fakes
{
    Harness()
    {
        form.onProgramEnd = [this] { ++programEnds; };
    }

    FakeAgentCharacter* loadCharacter()
    {
        agent.loadablePaths.insert(QStringLiteral("/opt/lirondo/share/lirondo/chars/merlin.acs"));
        form.runCommand(ReadingController::ShowCharacter);
        return agent.character(QStringLiteral("merlin"));
    }

    int programEnds = 0;
    Form1 form{services(), desktop()};
};

void tick(Form1& form)
{
    form.Timer1_Timer();
}

} // namespace

class TestForm1Windows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void trayIconAtStartUp();
    void minimizeToTrayAndBack_data();
    void minimizeToTrayAndBack();
    void dueReminderIsAnnouncedEachTickUntilRightClick();
    void aboutOpensOneFeedbackForm();
    void trayExitEndsUnlessTheFeedbackFormIsOpen();
    void closeButtonStopsSpeechAndClosesTheOtherWindows();
    void fieldsAreNamed_data();
    void fieldsAreNamed();
};

void TestForm1Windows::trayIconAtStartUp()
{
    Harness h;
    QVERIFY(h.tray.visible);
    QCOMPARE(h.tray.toolTip, QStringLiteral("Lirondo"));
    QVERIFY(h.form.trayIconPresent);
    h.tray.click(Activation::Context);
    QCOMPARE(h.tray.popups.size(), 1);
    QCOMPARE(h.tray.popups.first(), h.form.trayMenu()->mnuTray());
}

void TestForm1Windows::minimizeToTrayAndBack_data()
{
    QTest::addColumn<bool>("maximizedFirst");
    QTest::newRow("normal") << false;
    QTest::newRow("maximized") << true;
}

void TestForm1Windows::minimizeToTrayAndBack()
{
    QFETCH(bool, maximizedFirst);
    Harness h;
    h.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.form));
    if (maximizedFirst)
        h.form.Immax_Click();
    const Qt::WindowStates before = h.form.windowState();

    h.tray.click(Activation::Trigger); // visible and not minimized: nothing
    QCOMPARE(h.form.windowState(), before);

    h.form.Immin_Click();
    QVERIFY(h.form.isHidden());
    QVERIFY(!h.form.trayMenu()->mnuTrayMinimize->isEnabled());
    h.tray.click(Activation::Trigger);
    QVERIFY(h.form.isVisible());
    QCOMPARE(h.form.windowState().testFlag(Qt::WindowMaximized), maximizedFirst);
    QVERIFY(!h.form.windowState().testFlag(Qt::WindowMinimized));
}

void TestForm1Windows::dueReminderIsAnnouncedEachTickUntilRightClick()
{
    Harness h;
    FakeAgentCharacter* genie = h.loadCharacter();
    QVERIFY(genie);
    tick(h.form); // the first tick makes the reminder window, hidden
    ReminderWindow* reminder = h.form.reminderWindow();
    QVERIFY(reminder && reminder->isHidden());
    h.clock.now = QTime(8, 4, 50);
    Q_EMIT h.agent.Click(QStringLiteral("merlin"), Qt::RightButton, {}, 10, 10);
    QCOMPARE(h.form.reminderWindow(), reminder);
    QVERIFY(reminder->isVisible());
    QCOMPARE(reminder->state(), Reminder::State::Attended);
    reminder->setMessage(QStringLiteral("开会"));
    reminder->setTimeText(QStringLiteral("8:05"));
    reminder->confirm();

    h.clock.now = QTime(8, 5, 0);
    reminder->tick();
    tick(h.form);
    QCOMPARE(h.engine.spoken().size(), 1);
    QCOMPARE(h.engine.spoken().last().text, QStringLiteral("开会"));
    QVERIFY(genie->requests.contains(QStringLiteral("Speak 开会")));

    Q_EMIT h.agent.Click(QStringLiteral("merlin"), Qt::LeftButton, {}, 10, 10); // left: nothing
    QVERIFY(reminder->isDue());
    Q_EMIT h.agent.Click(QStringLiteral("merlin"), Qt::RightButton, {}, 10, 10);
    QCOMPARE(reminder->state(), Reminder::State::Attended);
    tick(h.form);
    QCOMPARE(h.engine.spoken().size(), 1);
}

void TestForm1Windows::aboutOpensOneFeedbackForm()
{
    Harness h;
    h.form.runCommand(ReadingController::About);
    QPointer<FeedbackForm> first = h.form.feedbackForm();
    QVERIFY(first);
    QVERIFY(first->isVisible());
    h.form.showAbout(); // the tray's "关于"
    QCOMPARE(h.form.feedbackForm(), first.data());
    first->close();
    QTRY_VERIFY(!first);
    h.form.showAbout();
    QVERIFY(h.form.feedbackForm());
    QVERIFY(h.form.feedbackForm() != first.data());
}

void TestForm1Windows::trayExitEndsUnlessTheFeedbackFormIsOpen()
{
    {
        Harness h;
        h.form.show();
        h.form.mnuTrayClose_Click();
        QVERIFY(!h.tray.visible);
        QVERIFY(h.form.isHidden());
        QTRY_COMPARE(h.programEnds, 1);
        QVERIFY(h.engine.calls.isEmpty()); // speech is not stopped by the tray's exit
    }
    {
        Harness h;
        h.form.show();
        h.form.showAbout();
        h.form.mnuTrayClose_Click();
        QVERIFY(!h.tray.visible);
        QTest::qWait(20);
        QCOMPARE(h.programEnds, 0);
        QVERIFY(h.form.feedbackForm()->isVisible());
        h.form.feedbackForm()->close();
        QTRY_COMPARE(h.programEnds, 1);
    }
}

void TestForm1Windows::closeButtonStopsSpeechAndClosesTheOtherWindows()
{
    Harness h;
    h.form.show();
    h.form.showAbout();
    tick(h.form);
    QPointer<FeedbackForm> about = h.form.feedbackForm();
    QPointer<ReminderWindow> reminder = h.form.reminderWindow();
    h.form.reading().read();
    const int callsBefore = int(h.engine.calls.size());
    int callsWhenTheFormWent = -1; // the speech is purged before the other windows go
    connect(about, &QObject::destroyed, this,
            [&] { callsWhenTheFormWent = int(h.engine.calls.size()); });

    h.form.Imclose_Click();
    QCOMPARE(h.engine.calls.size(), callsBefore + 1);
    QCOMPARE(h.engine.calls.last().flags.toInt(), int(SpeechEngine::PurgeBeforeSpeak));
    QVERIFY(h.form.isHidden());
    QVERIFY(!h.tray.visible);
    QTRY_VERIFY(!about);
    QTRY_VERIFY(!reminder);
    QTRY_COMPARE(h.programEnds, 1);
    QCOMPARE(callsWhenTheFormWent, callsBefore + 1);
}

void TestForm1Windows::fieldsAreNamed_data()
{
    QTest::addColumn<QString>("field"); // window/control
    QTest::addColumn<QString>("name");
    QTest::newRow("voice list, not its voice") << "Form1/Combo1"
                                               << "语音选项";
    QTest::newRow("reminder message") << "ReminderWindow/Text1"
                                      << "提醒内容";
    QTest::newRow("reminder time") << "ReminderWindow/Text2"
                                   << "提醒时间";
    QTest::newRow("reminder OK, no blank") << "ReminderWindow/Command1"
                                           << "确定";
    QTest::newRow("subject") << "FeedbackForm/txtSubject"
                             << "主题";
    QTest::newRow("name") << "FeedbackForm/txtfromname"
                          << "你的名字";
    QTest::newRow("address") << "FeedbackForm/txtFromAddress"
                             << "你的邮箱";
    QTest::newRow("body") << "FeedbackForm/txtBody"
                          << "信件内容";
}

void TestForm1Windows::fieldsAreNamed()
{
    QFETCH(QString, field);
    QFETCH(QString, name);
    Harness h;
    h.form.showAbout();
    const ReminderWindow* reminder = h.form.reminderWindow();
    const FeedbackForm* about = h.form.feedbackForm();
    const QHash<QString, QWidget*> widgets{
        {u"Form1/Combo1"_qs, h.form.Combo1},
        {u"ReminderWindow/Text1"_qs, reminder->findChild<QWidget*>(u"messageEdit"_qs)},
        {u"ReminderWindow/Text2"_qs, reminder->findChild<QWidget*>(u"timeEdit"_qs)},
        {u"ReminderWindow/Command1"_qs, reminder->findChild<QWidget*>(u"confirmButton"_qs)},
        {u"FeedbackForm/txtSubject"_qs, about->findChild<QWidget*>(u"subjectEdit"_qs)},
        {u"FeedbackForm/txtfromname"_qs, about->findChild<QWidget*>(u"senderNameEdit"_qs)},
        {u"FeedbackForm/txtFromAddress"_qs, about->findChild<QWidget*>(u"senderAddressEdit"_qs)},
        {u"FeedbackForm/txtBody"_qs, about->findChild<QWidget*>(u"bodyEdit"_qs)}};
    QWidget* widget = widgets.value(field);
    QVERIFY(widget);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(a);
    QCOMPARE(a->text(QAccessible::Name), name);
    if (widget == h.form.Combo1) {
        QVERIFY(!h.form.Combo1->currentText().isEmpty());
        QCOMPARE(a->text(QAccessible::Value), h.form.Combo1->currentText());
        QCOMPARE(a->childCount(), 1);
    }
}

QTEST_MAIN(TestForm1Windows)
#include "tst_form1_windows.moc"
