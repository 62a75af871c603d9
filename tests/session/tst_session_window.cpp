// The main window with what it remembers, its keys and its reading commands, driven
// through the real reading controller with the fake engine.
#include "fakes/MainWindowFakes.h"
#include "reading/ReadingController.h"
#include "session/SessionStore.h"
#include "shell/CommandLabel.h"
#include "shell/MainWindow.h"
#include "shell/ReadingTextEdit.h"
#include "shell/SessionKeeper.h"
#include "tray/TrayMenu.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace lirondo;
using namespace lirondo::test;

namespace {

const QString kText = QStringLiteral("Hello world. Second one. Third.");

// One run of the program: the fakes, the window and its keeper over the settings the
// command line picks.
struct Run : MainWindowFakes
{
    explicit Run(QStringList arguments = {})
        : store(SessionStore::forRun(arguments)), keeper(form, engine, store)
    {}
    ~Run() { form.close(); }

    ReadingController& reading() { return form.reading(); }
    void open(const QString& path)
    {
        dialog.answers.append(path);
        form.documents().openFile();
        QTRY_VERIFY(!form.documents().loadPending());
    }
    QString lastSpoken() const
    {
        const auto spoken = engine.spoken();
        return spoken.isEmpty() ? QString() : spoken.last().text;
    }
    QStringList listed() const
    {
        QStringList paths;
        for (int i = 0; i < readingListView(form)->topLevelItemCount(); ++i)
            paths.append(readingListView(form)->topLevelItem(i)->text(1));
        return paths;
    }

    SessionStore store;
    MainWindow form{services()};
    SessionKeeper keeper;
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestSessionWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config; // the XDG config location of the runs
    QTemporaryDir m_files;

    QString file(const QString& name) const { return m_files.filePath(name); }
    QStringList configFiles() const
    {
        return QDir(m_config.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_config.path());
    }
    void init() { QDir(m_config.path() + QStringLiteral("/lirondo")).removeRecursively(); }

    void settingsRoundTrip()
    {
        const QString book = file(QStringLiteral("book.txt"));
        const QString gone = file(QStringLiteral("gone.txt"));
        writeFile(book, kText.toUtf8());
        writeFile(gone, "x");
        {
            Run first;
            first.form.readingPanel().chooseVoice(1);
            control<QSlider>(first.form, "Slider1")->setValue(4);
            control<QSlider>(first.form, "Slider2")->setValue(30);
            control<QCheckBox>(first.form, "Check1")->setChecked(true);
            control<QCheckBox>(first.form, "Check2")->setChecked(true);
            first.form.resize(700, 500);
            first.form.documents().addToReadingList(gone);
            first.open(book);
            control<QCheckBox>(first.form, "Check2")->setChecked(false);
            first.reading().read();
            first.engine.raiseWord(13, 6); // "Second" is being heard
        }
        QFile::remove(gone);
        Run second;
        QCOMPARE(control<QComboBox>(second.form, "Combo1")->currentIndex(), 1);
        QCOMPARE(second.engine.currentVoice(), 1);
        QCOMPARE(second.engine.rate(), 4);
        QCOMPARE(second.engine.volume(), 30);
        QVERIFY(control<QCheckBox>(second.form, "Check1")->isChecked());
        QVERIFY(!control<QCheckBox>(second.form, "Check2")->isChecked());
        QCOMPARE(second.form.size(), QSize(700, 500));
        QCOMPARE(second.listed(), QStringList(book)); // the vanished file left quietly
        second.open(book);
        QCOMPARE(second.dialog.requests.last().history, QStringList(book));
        QCOMPARE(second.reading().readingStart(), 13);
        QVERIFY(control<QPushButton>(second.form, "Cmdlength")->toolTip().contains(u"13"));
        QVERIFY(control<QPushButton>(second.form, "Cmdlength")->x() >
                control<QLabel>(second.form, "Labtxtlength")->x());
        second.reading().read();
        QCOMPARE(second.lastSpoken(), kText.mid(13));
    }

    void resumePosition_data()
    {
        QTest::addColumn<QString>("howItEnded");
        QTest::addColumn<int>("expected");
        QTest::newRow("stopped") << "stop" << 13;
        QTest::newRow("window closed while reading") << "close" << 13;
        QTest::newRow("another file opened") << "open" << 13;
        QTest::newRow("read to the end") << "end" << 0;
        QTest::newRow("file changed since") << "change" << 0;
    }
    void resumePosition()
    {
        QFETCH(QString, howItEnded);
        const QString book = file(QStringLiteral("resume.txt"));
        const QString other = file(QStringLiteral("other.txt"));
        writeFile(book, kText.toUtf8());
        writeFile(other, "other");
        {
            Run first;
            first.open(book);
            first.reading().read();
            first.engine.raiseWord(13, 6);
            if (howItEnded == u"stop") {
                first.reading().stop();
                textEdit(first.form)->setFocus(); // later clicks in the text change nothing
                first.form.setReadingStart(2);
            } else if (howItEnded == u"open") {
                first.open(other);
            } else if (howItEnded == u"end") {
                first.engine.raiseEndStream();
            }
        }
        if (howItEnded == u"change")
            writeFile(book, (kText + QStringLiteral(" More.")).toUtf8());
        Run second;
        second.open(book);
        QTEST(second.reading().readingStart(), "expected");
    }

    void freshRunLeavesSettingsUntouched()
    {
        {
            Run saved;
            control<QSlider>(saved.form, "Slider1")->setValue(7);
        }
        const QString ini = m_config.filePath(QStringLiteral("lirondo/lirondo.ini"));
        QFile before(ini);
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray bytes = before.readAll();
        {
            QStringList arguments{QStringLiteral("--fresh"), QStringLiteral("a.txt")};
            Run fresh(arguments);
            QVERIFY(fresh.store.isFresh());
            QCOMPARE(control<QSlider>(fresh.form, "Slider1")->value(),
                     -1); // the design value, not the saved 7
            control<QSlider>(fresh.form, "Slider1")->setValue(2);
            fresh.form.documents().addToReadingList(ini);
        }
        QFile after(ini);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), bytes);
        QCOMPARE(configFiles(), QStringList(QStringLiteral("lirondo")));
        QStringList arguments{QStringLiteral("--fresh"), QStringLiteral("a.txt")};
        SessionStore::forRun(arguments);
        QCOMPARE(arguments, QStringList(QStringLiteral("a.txt"))); // a file, not an option
    }

    // Each key with the focus in the text box, the text box's two commands and the tray's.
    void commands_data()
    {
        QTest::addColumn<QString>("before");  // "reading" from 0, or "idle"
        QTest::addColumn<QString>("command"); // a key, "menu:..." or "tray:..."
        QTest::addColumn<QString>("spoken");  // the last text handed to the engine
        QTest::addColumn<int>("textlength");
        QTest::addColumn<QString>("state"); // reading, paused or idle
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("volume");
        QTest::addColumn<QString>("text");

        const QString all = kText, second = kText.mid(13), none;
        QTest::newRow("F5 reads") << "idle"
                                  << "F5" << all << 0 << "reading" << -1 << 50 << all;
        QTest::newRow("F6 reads from the caret")
            << "idle"
            << "F6" << second << 13 << "reading" << -1 << 50 << all;
        QTest::newRow("F8 pauses") << "reading"
                                   << "F8" << all << 0 << "paused" << -1 << 50 << all;
        QTest::newRow("Escape stops") << "reading"
                                      << "Esc" << all << 0 << "idle" << -1 << 50 << all;
        QTest::newRow("Alt+Right: the next sentence")
            << "reading"
            << "Alt+Right" << second << 13 << "reading" << -1 << 50 << all;
        QTest::newRow("Alt+Left: the sentence before")
            << "reading third"
            << "Alt+Left" << second << 13 << "reading" << -1 << 50 << all;
        QTest::newRow("Ctrl++ faster") << "idle"
                                       << "Ctrl++" << none << 0 << "idle" << 0 << 50 << all;
        QTest::newRow("Ctrl+Shift+Up louder")
            << "idle"
            << "Ctrl+Shift+Up" << none << 0 << "idle" << -1 << 55 << all;
        QTest::newRow("Ctrl+Shift+V reads the clipboard")
            << "reading"
            << "Ctrl+Shift+V"
            << "剪贴板" << 0 << "reading" << -1 << 50 << "剪贴板";
        QTest::newRow("typing still works")
            << "idle"
            << "type" << none << 0 << "idle" << -1 << 50 << kText.left(13) + u'x' + second;
        QTest::newRow("menu: 从光标处朗读")
            << "idle"
            << "menu:从光标处朗读" << second << 13 << "reading" << -1 << 50 << all;
        QTest::newRow("menu: 朗读选中文字") << "idle"
                                            << "menu:朗读选中文字"
                                            << "Second one." << 13 << "reading" << -1 << 50 << all;
        QTest::newRow("tray: 朗读剪贴板") << "idle"
                                          << "tray:朗读剪贴板"
                                          << "剪贴板" << 0 << "reading" << -1 << 50 << "剪贴板";
        QTest::newRow("tray: 暂停/继续")
            << "reading"
            << "tray:暂停/继续" << all << 0 << "paused" << -1 << 50 << all;
    }
    void commands()
    {
        QFETCH(QString, before);
        QFETCH(QString, command);
        QStringList arguments{QStringLiteral("--fresh")};
        Run run(arguments);
        MainWindow& form = run.form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.documents().setDocumentText(kText);
        control<QSlider>(form, "Slider2")->setValue(50);
        QGuiApplication::clipboard()->setText(QStringLiteral("剪贴板"));
        if (before.startsWith(u"reading")) {
            if (before == u"reading third")
                form.setReadingStart(25);
            run.reading().read();
            run.engine.raiseWord(0, 5);
        }
        textEdit(form)->setFocus();
        QTextCursor caret = textEdit(form)->textCursor();
        caret.setPosition(13);
        if (command == u"menu:朗读选中文字")
            caret.setPosition(24, QTextCursor::KeepAnchor); // "Second one."
        textEdit(form)->setTextCursor(caret);

        if (command == u"type") {
            QTest::keyClicks(textEdit(form), QStringLiteral("xy"));
            QTest::keyClick(textEdit(form), Qt::Key_Backspace);
        } else if (command.startsWith(u"menu:")) {
            std::unique_ptr<QMenu> menu(textEdit(form)->createContextMenu());
            const QList<QAction*> items = menu->actions();
            QCOMPARE(items.value(0)->text(), QStringLiteral("从光标处朗读"));
            QCOMPARE(items.value(1)->text(), QStringLiteral("朗读选中文字"));
            QVERIFY(items.value(2)->isSeparator());
            for (QAction* item : items) {
                if (QStringLiteral("menu:") + item->text() == command)
                    item->trigger();
            }
        } else if (command.startsWith(u"tray:")) {
            for (QAction* item : form.sideWindows().trayMenu()->menu()->actions()) {
                if (QStringLiteral("tray:") + item->text() == command)
                    item->trigger();
            }
        } else {
            const QKeyCombination key = QKeySequence::fromString(command)[0];
            QTest::keyClick(textEdit(form), key.key(), key.keyboardModifiers());
        }

        QTEST(run.lastSpoken(), "spoken");
        QTEST(run.reading().readingStart(), "textlength");
        const QString state = run.reading().isPaused()     ? QStringLiteral("paused")
                              : !run.reading().isStopped() ? QStringLiteral("reading")
                                                           : QStringLiteral("idle");
        QTEST(state, "state");
        QTEST(run.engine.rate(), "rate");
        QTEST(run.engine.volume(), "volume");
        QTEST(form.documents().text(), "text");
        if (command.endsWith(u"V") || command == u"tray:朗读剪贴板") {
            QTest::keyClick(textEdit(form), Qt::Key_Z, Qt::ControlModifier); // one step back
            QTRY_COMPARE(form.documents().text(), kText);
        }
    }
};

QTEST_MAIN(TestSessionWindow)
#include "tst_session_window.moc"
