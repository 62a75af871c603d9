#include "fakes/MainWindowFakes.h"
#include "mail/FeedbackForm.h"
#include "reading/ReadingController.h"
#include "reminder/ReminderWindow.h"
#include "shell/MainWindow.h"
#include "shell/Outline.h"
#include "tray/TrayMenu.h"

#include <QAccessible>
#include <QApplication>
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
struct Harness : MainWindowFakes
{
    Harness()
    {
        QObject::connect(&form, &MainWindow::programEnded, [this] { ++programEnds; });
    }

    FakeAgentCharacter* loadCharacter()
    {
        agent.loadablePaths.insert(QStringLiteral("/opt/lirondo/share/lirondo/chars/merlin.acs"));
        form.runCommand(ReadingController::ShowCharacter);
        return agent.character(QStringLiteral("merlin"));
    }

    int programEnds = 0;
    MainWindow form{services(), desktop()};
};

void tick(MainWindow& form)
{
    form.tick();
}

} // namespace

class TestMainWindow : public QObject
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
    void keyboardFocus_data();
    void keyboardFocus();
    void layoutPlacesThePanels();
    void characterLoadedFollowsSentences();
    void knobStopsTheReadingAndSetsItsStart();
    void textBoxClosesTheVolumePopUp();
};

void TestMainWindow::trayIconAtStartUp()
{
    Harness h;
    QVERIFY(h.tray.visible);
    QCOMPARE(h.tray.toolTip, QStringLiteral("Lirondo"));
    h.tray.click(Activation::Context);
    QCOMPARE(h.tray.popups.size(), 1);
    QCOMPARE(h.tray.popups.first(), h.form.sideWindows().trayMenu()->menu());
}

void TestMainWindow::minimizeToTrayAndBack_data()
{
    QTest::addColumn<bool>("maximizedFirst");
    QTest::newRow("normal") << false;
    QTest::newRow("maximized") << true;
}

void TestMainWindow::minimizeToTrayAndBack()
{
    QFETCH(bool, maximizedFirst);
    Harness h;
    h.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.form));
    if (maximizedFirst)
        h.form.chrome().toggleMaximized();
    const Qt::WindowStates before = h.form.windowState();

    h.tray.click(Activation::Trigger); // visible and not minimized: nothing
    QCOMPARE(h.form.windowState(), before);

    h.form.chrome().minimize();
    QVERIFY(h.form.isHidden());
    QVERIFY(!h.form.sideWindows().trayMenu()->action(TrayMenu::Item::Minimize)->isEnabled());
    h.tray.click(Activation::Trigger);
    QVERIFY(h.form.isVisible());
    QCOMPARE(h.form.windowState().testFlag(Qt::WindowMaximized), maximizedFirst);
    QVERIFY(!h.form.windowState().testFlag(Qt::WindowMinimized));
}

void TestMainWindow::dueReminderIsAnnouncedEachTickUntilRightClick()
{
    Harness h;
    FakeAgentCharacter* genie = h.loadCharacter();
    QVERIFY(genie);
    tick(h.form); // the first tick makes the reminder window, hidden
    ReminderWindow* reminder = h.form.sideWindows().reminderWindow();
    QVERIFY(reminder && reminder->isHidden());
    h.clock.now = QTime(8, 4, 50);
    Q_EMIT h.agent.clicked(QStringLiteral("merlin"), Qt::RightButton, {}, 10, 10);
    QCOMPARE(h.form.sideWindows().reminderWindow(), reminder);
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

    Q_EMIT h.agent.clicked(QStringLiteral("merlin"), Qt::LeftButton, {}, 10, 10); // left: nothing
    QVERIFY(reminder->isDue());
    Q_EMIT h.agent.clicked(QStringLiteral("merlin"), Qt::RightButton, {}, 10, 10);
    QCOMPARE(reminder->state(), Reminder::State::Attended);
    tick(h.form);
    QCOMPARE(h.engine.spoken().size(), 1);
}

void TestMainWindow::aboutOpensOneFeedbackForm()
{
    Harness h;
    h.form.runCommand(ReadingController::About);
    QPointer<FeedbackForm> first = h.form.sideWindows().feedbackForm();
    QVERIFY(first);
    QVERIFY(first->isVisible());
    h.form.sideWindows().showAbout(); // the tray's "关于"
    QCOMPARE(h.form.sideWindows().feedbackForm(), first.data());
    first->close();
    QTRY_VERIFY(!first);
    h.form.sideWindows().showAbout();
    QVERIFY(h.form.sideWindows().feedbackForm());
    QVERIFY(h.form.sideWindows().feedbackForm() != first.data());
}

void TestMainWindow::trayExitEndsUnlessTheFeedbackFormIsOpen()
{
    {
        Harness h;
        h.form.show();
        h.form.sideWindows().trayMenu()->exit();
        QVERIFY(!h.tray.visible);
        QVERIFY(h.form.isHidden());
        QTRY_COMPARE(h.programEnds, 1);
        QVERIFY(h.engine.calls.isEmpty()); // speech is not stopped by the tray's exit
    }
    {
        Harness h;
        h.form.show();
        h.form.sideWindows().showAbout();
        h.form.sideWindows().trayMenu()->exit();
        QVERIFY(!h.tray.visible);
        QTest::qWait(20);
        QCOMPARE(h.programEnds, 0);
        QVERIFY(h.form.sideWindows().feedbackForm()->isVisible());
        h.form.sideWindows().feedbackForm()->close();
        QTRY_COMPARE(h.programEnds, 1);
    }
}

void TestMainWindow::closeButtonStopsSpeechAndClosesTheOtherWindows()
{
    Harness h;
    h.form.show();
    h.form.sideWindows().showAbout();
    tick(h.form);
    QPointer<FeedbackForm> about = h.form.sideWindows().feedbackForm();
    QPointer<ReminderWindow> reminder = h.form.sideWindows().reminderWindow();
    h.form.reading().read();
    const int callsBefore = int(h.engine.calls.size());
    int callsWhenTheFormWent = -1; // the speech is purged before the other windows go
    connect(about, &QObject::destroyed, this,
            [&] { callsWhenTheFormWent = int(h.engine.calls.size()); });

    Q_EMIT h.form.chrome().closeClicked();
    QCOMPARE(h.engine.calls.size(), callsBefore + 1);
    QCOMPARE(h.engine.calls.last().flags.toInt(), int(SpeechEngine::PurgeBeforeSpeak));
    QVERIFY(h.form.isHidden());
    QVERIFY(!h.tray.visible);
    QTRY_VERIFY(!about);
    QTRY_VERIFY(!reminder);
    QTRY_COMPARE(h.programEnds, 1);
    QCOMPARE(callsWhenTheFormWent, callsBefore + 1);
}

void TestMainWindow::fieldsAreNamed_data()
{
    QTest::addColumn<QString>("field"); // window/control
    QTest::addColumn<QString>("name");
    QTest::newRow("voice list, not its voice") << "MainWindow/Combo1"
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

void TestMainWindow::fieldsAreNamed()
{
    QFETCH(QString, field);
    QFETCH(QString, name);
    Harness h;
    h.form.sideWindows().showAbout();
    const ReminderWindow* reminder = h.form.sideWindows().reminderWindow();
    const FeedbackForm* about = h.form.sideWindows().feedbackForm();
    const QHash<QString, QWidget*> widgets{
        {u"MainWindow/Combo1"_qs, control<QComboBox>(h.form, "Combo1")},
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
    if (widget == control<QComboBox>(h.form, "Combo1")) {
        QVERIFY(!control<QComboBox>(h.form, "Combo1")->currentText().isEmpty());
        QCOMPARE(a->text(QAccessible::Value), control<QComboBox>(h.form, "Combo1")->currentText());
        QCOMPARE(a->childCount(), 1);
    }
}

void TestMainWindow::keyboardFocus_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("focus"); // "other": anywhere but the text box
    QTest::addColumn<bool>("popUp");
    QTest::newRow("Tab types a tab") << "Texten"
                                     << "Tab"
                                     << "Texten" << false;
    QTest::newRow("Ctrl+Tab leaves") << "Texten"
                                     << "Ctrl+Tab"
                                     << "other" << false;
    // Backwards from the first control: round to the chain's end, the volume slider.
    QTest::newRow("Ctrl+Shift+Tab leaves") << "Texten"
                                           << "Ctrl+Shift+Tab"
                                           << "Slider2" << true;
    QTest::newRow("Tab reaches the volume slider") << "Check1"
                                                   << "Tab"
                                                   << "Slider2" << true;
    QTest::newRow("and Shift+Tab goes back") << "Check1"
                                             << "Tab Shift+Tab"
                                             << "Check1" << false;
}

void TestMainWindow::keyboardFocus()
{
    QFETCH(QString, start);
    QFETCH(QString, keys);
    QFETCH(QString, focus);
    QFETCH(bool, popUp);
    Harness h;
    MainWindow& f = h.form;
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    const auto named = [&f](const QString& name) -> QWidget* {
        return name == u"Texten"   ? static_cast<QWidget*>(textEdit(f))
               : name == u"Check1" ? static_cast<QWidget*>(control<QCheckBox>(f, "Check1"))
                                   : control<QSlider>(f, "Slider2");
    };
    control(f, "Picture1")->hide();
    named(start)->setFocus(Qt::OtherFocusReason);
    textEdit(f)->setPlainText(QStringLiteral("ab"));
    for (const QString& key : keys.split(u' '))
        QTest::keySequence(QApplication::focusWidget(), QKeySequence(key));
    QWidget* now = QApplication::focusWidget();
    if (focus == u"other")
        QVERIFY(now && now != textEdit(f));
    else
        QCOMPARE(now, named(focus));
    QCOMPARE(textEdit(f)->toPlainText(),
             focus == u"Texten" ? QStringLiteral("\tab") : QStringLiteral("ab"));
    QCOMPARE(control(f, "Picture1")->isVisible(), popUp);
}

void TestMainWindow::layoutPlacesThePanels()
{
    Harness h;
    MainWindow& f = h.form;
    ReadingTextEdit* text = textEdit(f);
    QWidget* panel = control(f, "Picture2");
    const QPoint textPos = text->pos();
    const QSize client(900, 500);
    f.resize(client);
    f.layoutPass(WindowState::Normal);
    QCOMPARE(text->pos(), textPos);
    QCOMPARE(text->geometry().bottom() + 1, panel->y() - 10);
    QCOMPARE(text->geometry().right() + 1, client.width() - 30);
    QCOMPARE(panel->geometry().bottom() + 1, client.height() - 50);
    QCOMPARE(panel->width(), client.width() - 30);
    QCOMPARE(f.mask(), outlineShape(client.width(), client.height()));
    f.layoutPass(WindowState::Maximized);
    QCOMPARE(f.lastState(), WindowState::Maximized);
    f.layoutPass(WindowState::Minimized); // a minimize keeps the state it came from
    QCOMPARE(f.lastState(), WindowState::Maximized);
    f.layoutPass(WindowState::Normal);
    QCOMPARE(f.lastState(), WindowState::Normal);
}

void TestMainWindow::characterLoadedFollowsSentences()
{
    Harness h;
    FakeAgentCharacter* genie = h.loadCharacter();
    QVERIFY(genie);
    h.form.runCommand(ReadingController::ShowCharacter); // hidden, it still follows the reading
    QCOMPARE(command(h.form, 2)->text(), QStringLiteral("显示精灵"));

    h.form.documents().setDocumentText(QStringLiteral("First one. Second one."));
    h.form.reading().read();
    textEdit(h.form)->moveCursor(QTextCursor::Start);
    h.engine.raiseWord(0, 5);
    QVERIFY(!textEdit(h.form)->textCursor().hasSelection()); // no word following
    h.engine.raiseSentence(11, 11);
    QCOMPARE(textEdit(h.form)->textCursor().selectedText(), QStringLiteral("Second one."));
    QCOMPARE(genie->requests.last(), QStringLiteral("Sentence Second one."));
    h.engine.raiseSentence(0, 5, h.engine.lastStream() + 1); // speech the reading did not start
    QCOMPARE(textEdit(h.form)->textCursor().selectedText(), QStringLiteral("Second one."));
    QCOMPARE(genie->requests.last(), QStringLiteral("Sentence Second one."));
    // Its balloon goes when the sentence is no longer heard.
    h.engine.raiseEndStream();
    QCOMPARE(genie->requests.last(), QStringLiteral("EndSentence"));
    genie->requests.clear();
    h.form.reading().stop();
    QCOMPARE(genie->requests, QStringList{QStringLiteral("EndSentence")});
}

// The locator's knob over a reading: its press stops the reading (a paused one stays
// paused in its caption, and is not resumed), its release sets the reading start.
void TestMainWindow::knobStopsTheReadingAndSetsItsStart()
{
    Harness h;
    h.form.documents().setDocumentText(QString(128, u'字'));
    control<QLabel>(h.form, "Labtxtlength")->setGeometry(100, 8, 256, 4);
    auto* knob = control<QPushButton>(h.form, "Cmdlength");
    knob->setGeometry(100, 0, 10, 21);
    h.form.reading().read();
    h.form.reading().pauseOrResume();
    const qsizetype calls = h.engine.calls.size();
    QTest::mousePress(knob, Qt::RightButton, {}, {2, 2});
    QVERIFY(h.form.reading().isStopped());
    QCOMPARE(h.engine.calls.size(), calls + 1);
    QCOMPARE(h.engine.calls.last().flags.toInt(), int(SpeechEngine::PurgeBeforeSpeak));
    QCOMPARE(h.engine.resumeCalls(), 0);
    QCOMPARE(command(h.form, 3)->text(), QStringLiteral("继续"));
    for (int i : {0, 1, 3})
        QCOMPARE(command(h.form, i)->isEnabled(), i == 0);
    QTest::mouseMove(knob, {200 - knob->x(), 5});
    QTest::mouseRelease(knob, Qt::RightButton, {}, {2, 2});
    QCOMPARE(h.form.reading().readingStart(), 52); // 52.5 to even
    QCOMPARE(textEdit(h.form)->textCursor().position(), 52);
    QVERIFY(!textEdit(h.form)->textCursor().hasSelection());
}

// The pointer over the text box closes the volume pop-up.
void TestMainWindow::textBoxClosesTheVolumePopUp()
{
    Harness h;
    h.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.form));
    QWidget* popUp = control(h.form, "Picture1");
    QCoreApplication::processEvents(); // the window's own first moves are through
    popUp->show();
    QCoreApplication::processEvents();
    QVERIFY(popUp->isVisible());
    const QPoint inText = textEdit(h.form)->geometry().center();
    QTest::mouseMove(&h.form, inText + QPoint(0, 1));
    QTest::mouseMove(&h.form, inText);
    QTRY_VERIFY(!popUp->isVisible());
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
