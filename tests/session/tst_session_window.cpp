// The main window with what it remembers, its keys and its reading commands, driven
// through the real reading controller with the fake engine.
#include "fakes/MainWindowFakes.h"
#include "session/SessionStore.h"
#include "shell/SessionKeeper.h"
#include "tray/TrayMenu.h"

#include <QClipboard>
#include <QMenu>

using namespace lirondo;
using namespace lirondo::test;

namespace {

const QString kText = u"Hello world. Second one. Third."_qs;

// One run of the program: the window and its keeper over the settings the command line picks.
struct Run : MainWindowHarness
{
    explicit Run(QStringList arguments = {}) : store(SessionStore::forRun(arguments)) {}
    ~Run() { form.close(); }

    SessionStore store;
    SessionKeeper keeper{form, engine, store};
};

} // namespace

class TestSessionWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config; // the XDG config location of the runs

private Q_SLOTS:
    void initTestCase()
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_config.path());
    }
    void init()
    {
        QDir(m_config.filePath(u"lirondo"_qs)).removeRecursively();
        Run::write(u"book.txt"_qs, kText.toUtf8());
        Run::write(u"other.txt"_qs, "other");
    }

    void settingsRoundTrip()
    {
        Run::write(u"gone.txt"_qs, "x");
        {
            Run first;
            first.form.readingPanel().chooseVoice(1);
            control<QSlider>(first.form, "Slider1")->setValue(4);
            control<QSlider>(first.form, "Slider2")->setValue(30);
            control<QCheckBox>(first.form, "Check1")->setChecked(true);
            control<QCheckBox>(first.form, "Check2")->setChecked(true);
            first.form.resize(700, 500);
            first.form.documents().addToReadingList(Run::path(u"gone.txt"_qs));
            QVERIFY(first.open(u"book.txt"_qs));
            control<QCheckBox>(first.form, "Check2")->setChecked(false);
        }
        QFile::remove(Run::path(u"gone.txt"_qs));
        Run second;
        // Voice (listed and in use), rate, volume, loop, mixed.
        QCOMPARE(std::tuple(control<QComboBox>(second.form, "Combo1")->currentIndex(),
                            second.engine.currentVoice(), second.engine.rate(),
                            second.engine.volume(),
                            control<QCheckBox>(second.form, "Check1")->isChecked(),
                            control<QCheckBox>(second.form, "Check2")->isChecked()),
                 std::tuple(1, 1, 4, 30, true, false));
        QCOMPARE(second.form.size(), QSize(700, 500));
        QCOMPARE(second.entries(), QStringList(u"book.txt|book.txt"_qs)); // the vanished one left
        QVERIFY(second.open(u"book.txt"_qs));
        QCOMPARE(second.dialog.requests.last().history, QStringList(Run::path(u"book.txt"_qs)));
    }

    // The reading was at "Second" when the first run ended.
    void resumePosition_data()
    {
        QTest::addColumn<QString>("howItEnded");
        QTest::addColumn<int>("expected");
        QTest::newRow("stopped") << u"stop"_qs << 13;
        QTest::newRow("window closed while reading") << u"close"_qs << 13;
        QTest::newRow("another file opened") << u"open"_qs << 13;
        QTest::newRow("read to the end") << u"end"_qs << 0;
        QTest::newRow("file changed since") << u"change"_qs << 0;
    }
    void resumePosition()
    {
        QFETCH(QString, howItEnded);
        QFETCH(int, expected);
        {
            Run first;
            QVERIFY(first.open(u"book.txt"_qs));
            first.reading().read();
            first.engine.raiseWord(13, 6);
            if (howItEnded == u"stop") {
                first.reading().stop();
                textEdit(first.form)->setFocus(); // later clicks in the text change nothing
                first.form.setReadingStart(2);
            } else if (howItEnded == u"open") {
                QVERIFY(first.open(u"other.txt"_qs));
            } else if (howItEnded == u"end") {
                first.engine.raiseEndStream();
            }
        }
        if (howItEnded == u"change")
            Run::write(u"book.txt"_qs, (kText + u" More."_qs).toUtf8());
        Run second;
        QVERIFY(second.open(u"book.txt"_qs));
        QCOMPARE(second.reading().readingStart(), expected);
        const QWidget* knob = control(second.form, "Cmdlength");
        QCOMPARE(knob->x() > control(second.form, "Labtxtlength")->x(), expected > 0);
        QCOMPARE(knob->toolTip().contains(u"13"), expected > 0);
        second.reading().read();
        QCOMPARE(second.lastSpoken(), second.document().mid(expected));
    }

    void freshRunLeavesSettingsUntouched()
    {
        {
            Run saved;
            control<QSlider>(saved.form, "Slider1")->setValue(7);
        }
        QFile ini(m_config.filePath(u"lirondo/lirondo.ini"_qs));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray bytes = ini.readAll();
        ini.close();
        {
            Run fresh({u"--fresh"_qs, u"a.txt"_qs});
            QVERIFY(fresh.store.isFresh());
            QCOMPARE(control<QSlider>(fresh.form, "Slider1")->value(), -1); // not the saved 7
            control<QSlider>(fresh.form, "Slider1")->setValue(2);
            fresh.form.documents().addToReadingList(ini.fileName());
        }
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QCOMPARE(ini.readAll(), bytes);
        QCOMPARE(QDir(m_config.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList(u"lirondo"_qs));
        QStringList arguments{u"--fresh"_qs, u"a.txt"_qs};
        SessionStore::forRun(arguments);
        QCOMPARE(arguments, QStringList(u"a.txt"_qs)); // a file, not an option
    }

    // Each key with the focus in the text box, the text box's two commands and the tray's,
    // with the caret at "Second".
    void commands_data()
    {
        QTest::addColumn<int>("readingFrom"); // -1: idle
        QTest::addColumn<QString>("command"); // a key, "menu:..." or "tray:..."
        QTest::addColumn<QString>("spoken");  // the last text handed to the engine
        QTest::addColumn<QString>("after");   // state, reading start, rate, volume
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, int from, const char* command, const QString& spoken,
                            const char* after, const QString& text = kText) {
            QTest::newRow(name) << from << QString::fromUtf8(command) << spoken
                                << QString::fromLatin1(after) << text;
        };
        const QString all = kText, second = kText.mid(13), clip = u"剪贴板"_qs;
        row("F5 reads", -1, "F5", all, "reading 0 -1 50");
        row("F6 reads from the caret", -1, "F6", second, "reading 13 -1 50");
        row("F8 pauses", 0, "F8", all, "paused 0 -1 50");
        row("Escape stops", 0, "Esc", all, "idle 0 -1 50");
        row("Alt+Right: the next sentence", 0, "Alt+Right", second, "reading 13 -1 50");
        row("Alt+Left: the sentence before", 25, "Alt+Left", second, "reading 13 -1 50");
        row("Ctrl++ faster", -1, "Ctrl++", {}, "idle 0 0 50");
        row("Ctrl+Shift+Up louder", -1, "Ctrl+Shift+Up", {}, "idle 0 -1 55");
        row("Ctrl+Shift+V reads the clipboard", 0, "Ctrl+Shift+V", clip, "reading 0 -1 50", clip);
        row("typing still works", -1, "type", {}, "idle 0 -1 50", kText.left(13) + u'x' + second);
        row("menu: 从光标处朗读", -1, "menu:从光标处朗读", second, "reading 13 -1 50");
        row("menu: 朗读选中文字", -1, "menu:朗读选中文字", u"Second one."_qs, "reading 13 -1 50");
        row("tray: 朗读剪贴板", -1, "tray:朗读剪贴板", clip, "reading 0 -1 50", clip);
        row("tray: 暂停/继续", 0, "tray:暂停/继续", all, "paused 0 -1 50");
    }
    void commands()
    {
        QFETCH(int, readingFrom);
        QFETCH(QString, command);
        Run run({u"--fresh"_qs});
        QVERIFY(run.show());
        run.form.documents().setDocumentText(kText);
        control<QSlider>(run.form, "Slider2")->setValue(50);
        QGuiApplication::clipboard()->setText(u"剪贴板"_qs);
        if (readingFrom >= 0) {
            run.form.setReadingStart(readingFrom);
            run.reading().read();
            run.engine.raiseWord(0, 5);
        }
        ReadingTextEdit* box = textEdit(run.form);
        box->setFocus();
        QTextCursor caret = box->textCursor();
        caret.setPosition(13);
        if (command == u"menu:朗读选中文字")
            caret.setPosition(24, QTextCursor::KeepAnchor); // "Second one."
        box->setTextCursor(caret);
        const std::unique_ptr<QMenu> boxMenu(box->createContextMenu());
        QMenu* menu = command.startsWith(u"menu:")   ? boxMenu.get()
                      : command.startsWith(u"tray:") ? run.form.sideWindows().trayMenu()->menu()
                                                     : nullptr;
        if (command == u"type") {
            QTest::keyClicks(box, u"xy"_qs);
            QTest::keyClick(box, Qt::Key_Backspace);
        } else if (menu) {
            for (QAction* item : menu->actions()) {
                if (command.endsWith(u':' + item->text()))
                    item->trigger();
            }
        } else {
            const QKeyCombination key = QKeySequence::fromString(command)[0];
            QTest::keyClick(box, key.key(), key.keyboardModifiers());
        }
        QTEST(run.lastSpoken(), "spoken");
        const QString state = run.reading().isPaused()    ? u"paused"_qs
                              : run.reading().isStopped() ? u"idle"_qs
                                                          : u"reading"_qs;
        QTEST(u"%1 %2 %3 %4"_qs.arg(state)
                  .arg(run.reading().readingStart())
                  .arg(run.engine.rate())
                  .arg(run.engine.volume()),
              "after");
        QTEST(run.document(), "text");
        if (run.lastSpoken() == u"剪贴板") { // the clipboard's text, one step back
            QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
            QTRY_COMPARE(run.document(), kText);
        }
    }
};

QTEST_MAIN(TestSessionWindow)
#include "tst_session_window.moc"
