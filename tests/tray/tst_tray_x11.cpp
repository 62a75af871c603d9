// The tray against a real notification area: an X server of its own (Xvfb) with
// trayer as the tray host, and xdotool clicking the icon as a user would.
#include "FakeTrayWindow.h"
#include "fakes/MainWindowFakes.h"
#include "tray/TrayIcon.h"
#include "tray/TrayMenu.h"
#include "tray/qt/QtTrayIconPort.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace lirondo;

namespace {

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

class TestTrayX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!skipReason.isEmpty())
            QSKIP(qPrintable(skipReason));
    }

    void clicksOnTheIcon()
    {
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 20000);
        test::FakeTrayWindow window(1, 2);
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
        Q_EMIT icon.activated(TrayIconPort::Activation::Trigger);
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
        TestTrayX11 test;
        result = QTest::qExec(&test, argc, argv);
    }
    for (QProcess* process : {&trayHost, &server}) {
        process->kill();
        process->waitForFinished(5000);
    }
    return result;
}

#include "tst_tray_x11.moc"
