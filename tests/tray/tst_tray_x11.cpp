// The tray against a real notification area: an X server of its own (Xvfb) with
// trayer as the tray host, and xdotool clicking the icon as a user would.
#include "FakeTrayWindow.h"
#include "tray/qt/QtTrayIconPort.h"
#include "tray/tuo_pan.h"
#include "tray/tuopan.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace lirondo;

namespace {

QStringList arguments(const char* line)
{
    return QString::fromLatin1(line).split(u' ');
}

// The X server and the tray host, started before the application and ended by
// the processes' own handles.
struct Desktop
{
    QProcess server;
    QProcess trayHost;
    QString skipReason;

    bool start()
    {
        for (const char* tool : {"Xvfb", "trayer", "xdotool"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
                skipReason = QString::fromLatin1(tool) + QStringLiteral(" is not installed");
                return false;
            }
        }
        // -displayfd 1: the server picks a free display and writes its number when ready.
        server.start(QStringLiteral("Xvfb"),
                     arguments("-displayfd 1 -nolisten tcp -screen 0 800x600x24"));
        if (!server.waitForStarted(10000) || !server.waitForReadyRead(20000)) {
            skipReason = QStringLiteral("Xvfb did not start");
            return false;
        }
        const QByteArray display = ':' + server.readAllStandardOutput().trimmed();
        qputenv("DISPLAY", display);
        qputenv("QT_QPA_PLATFORM", "xcb");
        trayHost.start(
            QStringLiteral("trayer"),
            arguments("--edge top --align right --widthtype pixel --width 64 --height 32"));
        return trayHost.waitForStarted(10000);
    }

    ~Desktop()
    {
        for (QProcess* process : {&trayHost, &server}) {
            process->terminate();
            if (!process->waitForFinished(5000))
                process->kill();
            process->waitForFinished(5000);
        }
    }
};

bool xdotool(const QStringList& arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

bool clickAt(QPoint at, int button)
{
    return xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                    QStringLiteral("click"), QString::number(button)});
}

} // namespace

class TestTrayX11 : public QObject
{
    Q_OBJECT
public:
    explicit TestTrayX11(QString skipReason) : m_skipReason(std::move(skipReason)) {}

private Q_SLOTS:
    void clicksOnTheIcon();

private:
    QString m_skipReason;
};

void TestTrayX11::clicksOnTheIcon()
{
    if (!m_skipReason.isEmpty())
        QSKIP(qPrintable(m_skipReason));
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 20000);

    test::FakeTrayWindow window;
    window.state = 1;
    window.lastState = 2;
    tuo_pan menuForm(window, window);
    QtTrayIconPort icon;
    tuopan tray(icon);
    QVERIFY(tray.TrayAdd(window, menuForm.mnuTray()));
    tray.TrayTip(QStringLiteral("Lirondo"));
    // The icon sits at the screen's origin until the tray host has embedded it at
    // the top right.
    QTRY_VERIFY_WITH_TIMEOUT(icon.geometry().left() > 400, 20000);
    const QPoint centre = icon.geometry().center();

    // Left click on the minimized window's icon: back in its last state.
    QVERIFY(clickAt(centre, 1));
    QTRY_COMPARE_WITH_TIMEOUT(
        window.log,
        (QStringList{QStringLiteral("show"), QStringLiteral("state 2"), QStringLiteral("focus")}),
        20000);

    // Right click: the menu opens at the pointer, and its items work.
    QVERIFY(clickAt(centre, 3));
    QMenu* menu = menuForm.mnuTray();
    QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), 20000);
    QCOMPARE(menu->geometry().top(), centre.y()); // pushed left at the screen's edge only
    window.log.clear();
    QVERIFY(clickAt(menu->mapToGlobal(menu->actionGeometry(menuForm.guanyu).center()), 1));
    QTRY_COMPARE_WITH_TIMEOUT(window.log, QStringList{QStringLiteral("about")}, 20000);
    QTRY_VERIFY(!menu->isVisible());
}

int main(int argc, char** argv)
{
    Desktop desktop;
    if (!desktop.start())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestTrayX11 test(desktop.skipReason);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tray_x11.moc"
