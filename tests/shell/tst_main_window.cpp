// The main window with its side windows: the tray, the reminder, the feedback form, closing,
// keyboard focus and accessible names, the layout, the character and the knob.
#include "fakes/MainWindowFakes.h"
#include "mail/FeedbackForm.h"
#include "reminder/ReminderWindow.h"
#include "shell/Outline.h"
#include "tray/TrayMenu.h"

#include <QAccessible>
#include <QApplication>

using namespace lirondo;
using namespace lirondo::test;

namespace {

FakeAgentCharacter* loadCharacter(MainWindowHarness& h)
{
    h.agent.loadablePaths.insert(u"/opt/lirondo/share/lirondo/chars/merlin.acs"_qs);
    h.form.runCommand(ReadingController::ShowCharacter);
    return h.agent.character(u"merlin"_qs);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void minimizeToTrayAndBack_data()
    {
        QTest::addColumn<bool>("maximized");
        QTest::newRow("normal") << false;
        QTest::newRow("maximized") << true;
    }
    void minimizeToTrayAndBack()
    {
        QFETCH(bool, maximized);
        MainWindowHarness h;
        QVERIFY(h.show());
        QVERIFY(h.tray.visible);
        if (maximized)
            h.form.chrome().toggleMaximized();
        h.form.chrome().minimize();
        QVERIFY(h.form.isHidden());
        QVERIFY(!h.form.sideWindows().trayMenu()->action(TrayMenu::Item::Minimize)->isEnabled());
        h.tray.click(TrayIconPort::Activation::Trigger); // back in the state it was minimized from
        QVERIFY(h.form.isVisible());
        QCOMPARE(h.form.windowState().testFlag(Qt::WindowMaximized), maximized);
        QVERIFY(!h.form.windowState().testFlag(Qt::WindowMinimized));
    }

    void dueReminderIsAnnouncedEachTickUntilRightClick()
    {
        MainWindowHarness h;
        FakeAgentCharacter* genie = loadCharacter(h);
        QVERIFY(genie);
        h.clock.now = QTime(8, 4, 50);
        Q_EMIT h.agent.clicked(u"merlin"_qs, Qt::RightButton, {}, 10, 10);
        ReminderWindow* reminder = h.form.sideWindows().reminderWindow();
        QVERIFY(reminder->isVisible());
        reminder->setMessage(u"开会"_qs);
        reminder->setTimeText(u"8:05"_qs);
        reminder->confirm();
        h.clock.now = QTime(8, 5, 0);
        reminder->tick();
        h.form.tick();
        QCOMPARE(h.lastSpoken(), u"开会"_qs);
        QVERIFY(genie->requests.contains(u"Speak 开会"_qs));
        h.form.tick();
        QCOMPARE(h.engine.spoken().size(), 2);
        // The left button leaves it due.
        Q_EMIT h.agent.clicked(u"merlin"_qs, Qt::LeftButton, {}, 10, 10);
        QVERIFY(reminder->isDue());
        Q_EMIT h.agent.clicked(u"merlin"_qs, Qt::RightButton, {}, 10, 10);
        QCOMPARE(reminder->state(), Reminder::State::Attended);
        h.form.tick();
        QCOMPARE(h.engine.spoken().size(), 2);
    }

    void aboutOpensOneFeedbackForm()
    {
        MainWindowHarness h;
        h.form.runCommand(ReadingController::About);
        QPointer<FeedbackForm> first = h.form.sideWindows().feedbackForm();
        QVERIFY(first && first->isVisible());
        h.form.sideWindows().showAbout(); // the tray's "关于"
        QCOMPARE(h.form.sideWindows().feedbackForm(), first.data());
        first->close();
        QTRY_VERIFY(!first);
        h.form.sideWindows().showAbout();
        QVERIFY(h.form.sideWindows().feedbackForm());
    }

    // The tray's "退出" leaves the speech alone and waits for an open feedback form; the
    // close button purges the speech first, then closes the other windows.
    void ending_data()
    {
        QTest::addColumn<bool>("closeButton");
        QTest::addColumn<bool>("feedbackOpen");
        QTest::newRow("tray exit") << false << false;
        QTest::newRow("tray exit, feedback form open") << false << true;
        QTest::newRow("close button, feedback form open") << true << true;
    }
    void ending()
    {
        QFETCH(bool, closeButton);
        QFETCH(bool, feedbackOpen);
        MainWindowHarness h;
        int programEnds = 0;
        connect(&h.form, &MainWindow::programEnded, this, [&] { ++programEnds; });
        h.form.show();
        if (feedbackOpen)
            h.form.sideWindows().showAbout();
        QPointer<FeedbackForm> about = h.form.sideWindows().feedbackForm();
        QPointer<ReminderWindow> reminder = h.form.sideWindows().reminderWindow();
        h.reading().read();
        const qsizetype calls = h.engine.calls.size() + (closeButton ? 1 : 0);
        qsizetype callsWhenTheFormWent = calls;
        if (about)
            connect(about, &QObject::destroyed, this,
                    [&] { callsWhenTheFormWent = h.engine.calls.size(); });
        if (closeButton)
            Q_EMIT h.form.chrome().closeClicked();
        else
            h.form.sideWindows().trayMenu()->exit();
        QVERIFY(h.form.isHidden() && !h.tray.visible);
        QCOMPARE(h.engine.calls.size(), calls);
        if (closeButton)
            QCOMPARE(h.engine.calls.last().flags.toInt(), int(SpeechEngine::PurgeBeforeSpeak));
        if (feedbackOpen && !closeButton) {
            QTest::qWait(20);
            QCOMPARE(programEnds, 0);
            about->close();
        }
        QTRY_VERIFY(!about && !reminder);
        QTRY_COMPARE(programEnds, 1);
        QCOMPARE(callsWhenTheFormWent, calls);
    }

    void fieldsAreNamed_data()
    {
        QTest::addColumn<QString>("field"); // in the main window, the reminder or the form
        QTest::addColumn<QString>("name");
        QTest::newRow("voice list, not its voice") << u"Combo1"_qs << u"语音选项"_qs;
        QTest::newRow("reminder message") << u"messageEdit"_qs << u"提醒内容"_qs;
        QTest::newRow("reminder time") << u"timeEdit"_qs << u"提醒时间"_qs;
        QTest::newRow("reminder OK, no blank") << u"confirmButton"_qs << u"确定"_qs;
        QTest::newRow("subject") << u"subjectEdit"_qs << u"主题"_qs;
        QTest::newRow("name") << u"senderNameEdit"_qs << u"你的名字"_qs;
        QTest::newRow("address") << u"senderAddressEdit"_qs << u"你的邮箱"_qs;
        QTest::newRow("body") << u"bodyEdit"_qs << u"信件内容"_qs;
    }
    void fieldsAreNamed()
    {
        QFETCH(QString, field);
        MainWindowHarness h;
        h.form.sideWindows().showAbout();
        h.form.sideWindows().reminderWindow();
        QWidget* widget = nullptr;
        for (QWidget* candidate : QApplication::allWidgets())
            widget = candidate->objectName() == field ? candidate : widget;
        QVERIFY(widget);
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget);
        QTEST(a->text(QAccessible::Name), "name");
        if (auto* voices = qobject_cast<QComboBox*>(widget)) {
            QVERIFY(!voices->currentText().isEmpty());
            QCOMPARE(a->text(QAccessible::Value), voices->currentText());
            QCOMPARE(a->childCount(), 1);
        }
    }

    void keyboardFocus_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("focus"); // empty: anywhere but the text box
        QTest::newRow("Tab types a tab") << u"Texten"_qs << u"Tab"_qs << u"Texten"_qs;
        QTest::newRow("Ctrl+Tab leaves") << u"Texten"_qs << u"Ctrl+Tab"_qs << QString();
        // Backwards from the first control: round to the chain's end, the volume slider.
        QTest::newRow("Ctrl+Shift+Tab leaves")
            << u"Texten"_qs << u"Ctrl+Shift+Tab"_qs << u"Slider2"_qs;
        QTest::newRow("Tab reaches the volume slider")
            << u"Check1"_qs << u"Tab"_qs << u"Slider2"_qs;
        QTest::newRow("and Shift+Tab goes back")
            << u"Check1"_qs << u"Tab Shift+Tab"_qs << u"Check1"_qs;
    }
    void keyboardFocus()
    {
        QFETCH(QString, start);
        QFETCH(QString, keys);
        QFETCH(QString, focus);
        MainWindowHarness h;
        QVERIFY(h.show());
        QWidget* popUp = control(h.form, "Picture1");
        popUp->hide();
        control(h.form, qPrintable(start))->setFocus(Qt::OtherFocusReason);
        textEdit(h.form)->setPlainText(u"ab"_qs);
        for (const QString& key : keys.split(u' '))
            QTest::keySequence(QApplication::focusWidget(), QKeySequence(key));
        QWidget* now = QApplication::focusWidget();
        if (focus.isEmpty())
            QVERIFY(now && now != textEdit(h.form));
        else
            QCOMPARE(now, control(h.form, qPrintable(focus)));
        QCOMPARE(textEdit(h.form)->toPlainText(), focus == u"Texten" ? u"\tab"_qs : u"ab"_qs);
        QCOMPARE(popUp->isVisible(), focus == u"Slider2"); // the slider brings its pop-up
    }

    void layoutPlacesThePanels()
    {
        MainWindowHarness h;
        ReadingTextEdit* text = textEdit(h.form);
        QWidget* panel = control(h.form, "Picture2");
        const QPoint textPos = text->pos();
        h.form.resize(900, 500);
        h.form.layoutPass(WindowState::Normal);
        QCOMPARE(text->pos(), textPos);
        // The text box's bottom and right edges, the panel's bottom and its width.
        QCOMPARE(std::tuple(text->geometry().bottom() + 1, text->geometry().right() + 1,
                            panel->geometry().bottom() + 1, panel->width()),
                 std::tuple(panel->y() - 10, 900 - 30, 500 - 50, 900 - 30));
        QCOMPARE(h.form.mask(), outlineShape(900, 500));
    }

    void characterLoadedFollowsSentences()
    {
        MainWindowHarness h;
        FakeAgentCharacter* genie = loadCharacter(h);
        QVERIFY(genie);
        h.form.runCommand(ReadingController::ShowCharacter); // hidden, it still follows
        h.form.documents().setDocumentText(u"First one. Second one."_qs);
        h.reading().read();
        const auto selected = [&h] { return textEdit(h.form)->textCursor().selectedText(); };
        textEdit(h.form)->moveCursor(QTextCursor::Start);
        h.engine.raiseWord(0, 5);
        QCOMPARE(selected(), QString()); // the words are not followed
        h.engine.raiseSentence(11, 11);
        QCOMPARE(selected(), u"Second one."_qs);
        QCOMPARE(genie->requests.last(), u"Sentence Second one."_qs);
        h.engine.raiseSentence(0, 5, h.engine.lastStream() + 1); // speech the reading did not start
        QCOMPARE(selected(), u"Second one."_qs);
        QCOMPARE(genie->requests.last(), u"Sentence Second one."_qs);
        h.engine.raiseEndStream(); // its balloon goes when the sentence is no longer heard
        QCOMPARE(genie->requests.last(), u"EndSentence"_qs);
        genie->requests.clear();
        h.reading().stop();
        QCOMPARE(genie->requests, QStringList{u"EndSentence"_qs});
    }

    // Its press stops the reading (a paused one stays "继续" and is not resumed), its release
    // sets where the next reading starts.
    void knobStopsTheReadingAndSetsItsStart()
    {
        MainWindowHarness h;
        h.form.documents().setDocumentText(QString(128, u'字'));
        control<QLabel>(h.form, "Labtxtlength")->setGeometry(100, 8, 256, 4);
        auto* knob = control<QPushButton>(h.form, "Cmdlength");
        knob->setGeometry(100, 0, 10, 21);
        h.reading().read();
        h.reading().pauseOrResume();
        const qsizetype calls = h.engine.calls.size();
        QTest::mousePress(knob, Qt::RightButton, {}, {2, 2});
        QVERIFY(h.reading().isStopped());
        QCOMPARE(h.engine.calls.size(), calls + 1);
        QCOMPARE(h.engine.resumeCalls(), 0);
        QCOMPARE(command(h.form, 3)->text(), u"继续"_qs);
        QTest::mouseMove(knob, {200 - knob->x(), 5});
        QTest::mouseRelease(knob, Qt::RightButton, {}, {2, 2});
        QCOMPARE(h.reading().readingStart(), 52);
        QCOMPARE(textEdit(h.form)->textCursor().position(), 52);
    }

    void textBoxClosesTheVolumePopUp()
    {
        MainWindowHarness h;
        QVERIFY(h.show());
        QWidget* popUp = control(h.form, "Picture1");
        QCoreApplication::processEvents(); // the window's own first moves are through
        popUp->show();
        QCoreApplication::processEvents();
        const QPoint inText = textEdit(h.form)->geometry().center();
        QTest::mouseMove(&h.form, inText + QPoint(0, 1)); // twice: a move must be a move
        QTest::mouseMove(&h.form, inText);
        QTRY_VERIFY(!popUp->isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
