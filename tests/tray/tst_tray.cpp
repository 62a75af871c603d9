// The tray module around a fake main window, with a fake notification area and against a
// real one: an X server of its own (Xvfb) with trayer as the tray host, and xdotool clicking
// the icon as a user would.
#include "fakes/FakeTrayIcon.h"
#include "fakes/MainWindowFakes.h"
#include "tray/TrayIcon.h"
#include "tray/TrayMenu.h"
#include "tray/TrayWindow.h"
#include "tray/qt/QtTrayIconPort.h"

#include <QApplication>
#include <QPixmap>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <memory>

using namespace lirondo;
using Activation = TrayIconPort::Activation;

namespace {

// Records what the tray asks of the main window, and keeps LastState as the main
// window's layout pass does: every state but minimized is recorded.
class FakeTrayWindow final : public TrayWindow, public TrayMenuActions
{
public:
    explicit FakeTrayWindow(int s = 0, int last = 0) : state(s), lastState(last) {}

    int state;
    int lastState;
    QStringList log;

    WindowState trayWindowState() const override { return WindowState(state); }
    void setTrayWindowState(WindowState newState) override
    {
        const int s = int(newState);
        state = s;
        lastState = s == 1 ? lastState : s;
        log.append(QStringLiteral("state %1").arg(s));
    }
    void trayShow() override { log.append(QStringLiteral("show")); }
    void trayFocus() override { log.append(QStringLiteral("focus")); }
    WindowState trayLastState() const override { return WindowState(lastState); }
    QIcon trayIcon() const override
    {
        QPixmap pixmap(22, 22);
        pixmap.fill(Qt::red);
        return QIcon(pixmap);
    }
    void unloadTrayMenu() override { log.append(QStringLiteral("unload TrayMenu")); }
    void unloadMainWindow() override { log.append(QStringLiteral("unload MainWindow")); }
    void unloadReminderWindow() override { log.append(QStringLiteral("unload ReminderWindow")); }
    void showAbout() override { log.append(QStringLiteral("about")); }
    void readClipboard() override { log.append(QStringLiteral("read the clipboard")); }
    void pauseOrResume() override { log.append(QStringLiteral("pause or resume")); }
};

// The tray module with its menu form, around a main window in `state`.
struct Tray
{
    explicit Tray(int state, int lastState = 0) : window(state, lastState) {}
    bool add() { return tray.install(window, menuForm->menu()); }

    test::FakeTrayIcon icon;
    FakeTrayWindow window;
    std::unique_ptr<TrayMenu> menuForm = std::make_unique<TrayMenu>(window, window);
    TrayIcon tray{icon};
};

QProcess server;
QProcess trayHost;
QString skipReason;

QStringList words(const char* line)
{
    return QString::fromLatin1(line).split(u' ');
}

// Starts the X server and the tray host before the application; an empty result
// means the test can run.
QString startDesktop()
{
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        return QStringLiteral("xdotool is not installed");
    // -displayfd 1: the server picks a free display and writes its number when ready.
    server.start(QStringLiteral("Xvfb"), words("-displayfd 1 -nolisten tcp -screen 0 800x600x24"));
    if (!server.waitForStarted(10000) || !server.waitForReadyRead(20000))
        return QStringLiteral("Xvfb is missing or did not start");
    qputenv("DISPLAY", ':' + server.readAllStandardOutput().trimmed());
    qputenv("QT_QPA_PLATFORM", "xcb");
    trayHost.start(QStringLiteral("trayer"),
                   words("--edge top --align right --widthtype pixel --width 64 --height 32"));
    return trayHost.waitForStarted(10000) ? QString() : QStringLiteral("trayer is missing");
}

bool clickAt(QPoint at, int button)
{
    const QString line = QStringLiteral("mousemove %1 %2 click %3").arg(at.x()).arg(at.y());
    return QProcess::execute(QStringLiteral("xdotool"), line.arg(button).split(u' ')) == 0;
}

} // namespace

class TestTray : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void activation_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("lastState");
        QTest::addColumn<Activation>("reason");
        QTest::addColumn<QString>("log");
        QTest::newRow("left, normal: nothing") << 0 << 0 << Activation::Trigger << "";
        QTest::newRow("left, maximized: nothing") << 2 << 2 << Activation::Trigger << "";
        QTest::newRow("left, hidden") << 1 << 0 << Activation::Trigger << "show, state 0, focus";
        QTest::newRow("left, minimized from the menu")
            << 1 << 2 << Activation::Trigger << "show, state 2, focus";
        QTest::newRow("double click") << 1 << 0 << Activation::DoubleClick << "";
        QTest::newRow("right: the menu") << 1 << 0 << Activation::Context << "";
    }
    void activation()
    {
        QFETCH(int, state);
        QFETCH(int, lastState);
        QFETCH(Activation, reason);
        Tray t(state, lastState);
        QVERIFY(t.add());
        t.icon.click(reason);
        QTEST(t.window.log.join(QStringLiteral(", ")), "log");
        const QList<QMenu*> menu{t.menuForm->menu()};
        QCOMPARE(t.icon.popups, reason == Activation::Context ? menu : QList<QMenu*>());
    }

    // The menu form may be unloaded before the module; the module may be removed
    // before the main window goes.
    void clicksIgnoredOnceUnloaded()
    {
        Tray t(1);
        t.add();
        t.menuForm.reset();
        t.icon.click(Activation::Context);
        QVERIFY(t.icon.popups.isEmpty());
        t.tray.remove();
        t.icon.click(Activation::Trigger);
        QVERIFY(!t.icon.visible && t.window.log.isEmpty());
    }

    void tipIsCutToField_data()
    {
        QTest::addColumn<bool>("available"); // a notification area
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString han = QStringLiteral("朗");
        const QString emoji = QStringLiteral("\U0001F600");
        QTest::newRow("none: runs without an icon") << false << "Lirondo" << QString();
        QTest::newRow("63 ASCII fit") << true << QString(63, u'x') << QString(63, u'x');
        QTest::newRow("64th makes way for the NUL")
            << true << QString(64, u'x') << QString(63, u'x');
        QTest::newRow("Chinese: no half character")
            << true << QStringLiteral("ab") + han.repeated(40)
            << QStringLiteral("ab") + han.repeated(30);
        QTest::newRow("no half surrogate pair") << true << emoji.repeated(40) << emoji.repeated(31);
    }
    void tipIsCutToField()
    {
        QFETCH(bool, available);
        QFETCH(QString, text);
        Tray t(0);
        t.icon.available = available;
        QCOMPARE(t.add(), available);
        t.tray.setToolTip(text);
        QCOMPARE(t.icon.visible, available);
        QTEST(t.icon.toolTip, "expected");
    }

    // On a real tray host, clicked as a user would.
    void clicksOnTheIcon()
    {
        if (!skipReason.isEmpty())
            QSKIP(qPrintable(skipReason));
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 20000);
        FakeTrayWindow window(1, 2);
        TrayMenu menuForm(window, window);
        QtTrayIconPort icon;
        TrayIcon tray(icon);
        QVERIFY(tray.install(window, menuForm.menu()));
        // The icon sits at the screen's origin until the tray host has embedded it.
        QTRY_VERIFY_WITH_TIMEOUT(icon.geometry().left() > 400, 20000);
        const QPoint centre = icon.geometry().center();

        // Left click on the minimized window's icon: back in its last state.
        QVERIFY(clickAt(centre, 1));
        QTRY_COMPARE_WITH_TIMEOUT(window.log.join(u' '), QStringLiteral("show state 2 focus"),
                                  20000);

        // Right click: the menu opens, and its items work.
        QVERIFY(clickAt(centre, 3));
        QMenu* menu = menuForm.menu();
        QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), 20000);
        QVERIFY(clickAt(menu->mapToGlobal(
                            menu->actionGeometry(menuForm.action(TrayMenu::Item::About)).center()),
                        1));
        QTRY_COMPARE_WITH_TIMEOUT(window.log.last(), QStringLiteral("about"), 20000);
    }

    // With no window manager nothing iconifies a window, and Qt keeps its minimized
    // flag after a restore: the menu follows what is on the screen, not the flag.
    void menuFollowsTheWindowOnScreen()
    {
        if (!skipReason.isEmpty())
            QSKIP(qPrintable(skipReason));
        test::MainWindowFakes fakes;
        QtTrayIconPort icon;
        MainWindow form(fakes.services(), {&icon, &fakes.browser, {}});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const TrayMenu* menu = form.sideWindows().trayMenu();
        const auto items = [menu] {
            return QString::number(menu->action(TrayMenu::Item::Maximize)->isEnabled()) +
                   QString::number(menu->action(TrayMenu::Item::Minimize)->isEnabled());
        };
        form.chrome().minimize();
        QTRY_VERIFY(!form.windowHandle()->isExposed());
        QCOMPARE(items(), QStringLiteral("10"));
        Q_EMIT icon.activated(Activation::Trigger);
        QTRY_VERIFY(form.windowHandle()->isExposed());
        QTest::qWait(300); // the X server's answers to the restore
        QCOMPARE(items(), QStringLiteral("11"));
        form.chrome().toggleMaximized();
        QTRY_COMPARE(items(), QStringLiteral("01"));
        form.chrome().toggleMaximized();
        QTRY_COMPARE(items(), QStringLiteral("11"));
    }
};

int main(int argc, char** argv)
{
    skipReason = startDesktop();
    if (!skipReason.isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int result = 0;
    {
        QApplication app(argc, argv);
        TestTray test;
        result = QTest::qExec(&test, argc, argv);
    }
    for (QProcess* process : {&trayHost, &server}) {
        process->kill();
        process->waitForFinished(5000);
    }
    return result;
}

#include "tst_tray.moc"
