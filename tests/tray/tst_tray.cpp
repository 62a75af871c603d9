#include "tray/TrayWindow.h"
#include "tray/qt/QtTrayIconPort.h"
#include "tray/tuo_pan.h"
#include "tray/tuopan.h"

#include <QApplication>
#include <QPixmap>
#include <QTest>

#include <optional>

using namespace lirondo;
using Activation = TrayIconPort::Activation;

namespace {

class FakeTrayIcon final : public TrayIconPort
{
public:
    bool available = true;
    bool visible = false;
    QString toolTip;
    bool iconSet = false;
    QList<QMenu*> popups;

    bool isAvailable() const override { return available; }
    void setIcon(const QIcon& icon) override { iconSet = !icon.isNull(); }
    void setToolTip(const QString& text) override { toolTip = text; }
    void setVisible(bool v) override { visible = v; }
    void popUpMenu(QMenu* menu) override { popups.append(menu); }

    void click(Activation reason) { Q_EMIT activated(reason); }
};

// Keeps LastState the way the main window's layout pass does: every state change
// other than minimizing records the state.
class FakeWindow final : public TrayWindow
{
public:
    int state = 0;
    int lastState = 0;
    bool visible = true;
    int focusCalls = 0;
    QStringList log;

    int trayWindowState() const override { return state; }
    void setTrayWindowState(int s) override
    {
        state = s;
        if (s != 1)
            lastState = s;
        log.append(QStringLiteral("state %1").arg(s));
    }
    void trayShow() override
    {
        visible = true;
        log.append(QStringLiteral("show"));
    }
    void trayFocus() override
    {
        ++focusCalls;
        log.append(QStringLiteral("focus"));
    }
    int trayLastState() const override { return lastState; }
    QIcon trayIcon() const override
    {
        QPixmap pixmap(32, 32);
        pixmap.fill(Qt::green);
        return QIcon(pixmap);
    }

    // The caption's minimize button: minimized and hidden.
    void minimizeToTray()
    {
        setTrayWindowState(1);
        visible = false;
    }
};

class FakeActions final : public TrayMenuActions
{
public:
    QStringList calls;
    void unloadTuoPan() override { calls.append(QStringLiteral("tuo_pan")); }
    void unloadForm1() override { calls.append(QStringLiteral("Form1")); }
    void unloadJihua() override { calls.append(QStringLiteral("jihua")); }
    void showAbout() override { calls.append(QStringLiteral("about")); }
};

} // namespace

class TestTray : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addShowsIconWithoutTip();
    void addWithoutNotificationArea();
    void realPortWithoutNotificationArea();
    void leftClick_data();
    void leftClick();
    void rightClickOpensMenu();
    void rightClickAfterMenuFormUnloaded();
    void removeStopsHandling();
    void tipIsCutToField_data();
    void tipIsCutToField();
    void menuItems();
    void enabledByWindowState_data();
    void enabledByWindowState();
    void maximizeSetsStateThenShows();
    void minimizeFromMenuKeepsWindowVisible();
    void closeUnloadsInOrder();
    void aboutShowsFeedbackForm();
};

void TestTray::addShowsIconWithoutTip()
{
    FakeTrayIcon icon;
    FakeWindow window;
    tuopan tray(icon);
    QVERIFY(tray.TrayAdd(window, nullptr));
    QVERIFY(icon.visible);
    QVERIFY(icon.iconSet);
    QVERIFY(icon.toolTip.isEmpty());
    tray.TrayTip(QStringLiteral("Lirondo"));
    QCOMPARE(icon.toolTip, QStringLiteral("Lirondo"));
}

void TestTray::addWithoutNotificationArea()
{
    FakeTrayIcon icon;
    icon.available = false;
    FakeWindow window;
    tuopan tray(icon);
    QVERIFY(!tray.TrayAdd(window, nullptr));
    QVERIFY(!tray.hasIcon());
    tray.TrayTip(QStringLiteral("Lirondo"));
    QVERIFY(!icon.visible);
    QVERIFY(icon.toolTip.isEmpty());
}

void TestTray::realPortWithoutNotificationArea()
{
    // The offscreen platform has no notification area, like a desktop without one.
    QtTrayIconPort icon;
    FakeWindow window;
    tuopan tray(icon);
    QCOMPARE(tray.TrayAdd(window, nullptr), QSystemTrayIcon::isSystemTrayAvailable());
    tray.TrayTip(QStringLiteral("Lirondo"));
    tray.TrayRemove();
}

void TestTray::leftClick_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("lastState");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<int>("activation");
    QTest::addColumn<int>("expectedState");
    QTest::addColumn<bool>("expectedVisible");
    QTest::addColumn<int>("expectedFocus");

    const int trigger = int(Activation::Trigger);
    QTest::newRow("normal and visible: nothing") << 0 << 0 << true << trigger << 0 << true << 0;
    QTest::newRow("maximized and visible: nothing") << 2 << 2 << true << trigger << 2 << true << 0;
    QTest::newRow("hidden to tray from normal") << 1 << 0 << false << trigger << 0 << true << 1;
    QTest::newRow("hidden to tray from maximized") << 1 << 2 << false << trigger << 2 << true << 1;
    QTest::newRow("minimized but visible") << 1 << 2 << true << trigger << 2 << true << 1;
    QTest::newRow("double click is not a restore")
        << 1 << 0 << false << int(Activation::DoubleClick) << 1 << false << 0;
    QTest::newRow("middle click is not a restore")
        << 1 << 0 << false << int(Activation::MiddleClick) << 1 << false << 0;
}

void TestTray::leftClick()
{
    QFETCH(int, state);
    QFETCH(int, lastState);
    QFETCH(bool, visible);
    QFETCH(int, activation);

    FakeTrayIcon icon;
    FakeWindow window;
    window.state = state;
    window.lastState = lastState;
    window.visible = visible;
    tuopan tray(icon);
    tray.TrayAdd(window, nullptr);

    icon.click(Activation(activation));

    QTEST(window.state, "expectedState");
    QTEST(window.visible, "expectedVisible");
    QTEST(window.focusCalls, "expectedFocus");
    QVERIFY(icon.popups.isEmpty());
}

void TestTray::rightClickOpensMenu()
{
    FakeTrayIcon icon;
    FakeWindow window;
    FakeActions actions;
    tuo_pan menuForm(window, actions);
    tuopan tray(icon);
    tray.TrayAdd(window, menuForm.mnuTray());

    icon.click(Activation::Context);

    QCOMPARE(icon.popups, QList<QMenu*>{menuForm.mnuTray()});
    QVERIFY(window.log.isEmpty());
}

void TestTray::rightClickAfterMenuFormUnloaded()
{
    FakeTrayIcon icon;
    FakeWindow window;
    FakeActions actions;
    tuopan tray(icon);
    {
        tuo_pan menuForm(window, actions);
        tray.TrayAdd(window, menuForm.mnuTray());
    }
    icon.click(Activation::Context);
    QVERIFY(icon.popups.isEmpty());
}

void TestTray::removeStopsHandling()
{
    FakeTrayIcon icon;
    FakeWindow window;
    FakeActions actions;
    tuo_pan menuForm(window, actions);
    {
        tuopan tray(icon);
        tray.TrayAdd(window, menuForm.mnuTray());
        tray.TrayRemove();
        QVERIFY(!icon.visible);
        window.minimizeToTray();
        icon.click(Activation::Trigger);
        icon.click(Activation::Context);
        QCOMPARE(window.state, 1);
        QVERIFY(icon.popups.isEmpty());

        tray.TrayAdd(window, menuForm.mnuTray());
        QVERIFY(icon.visible);
    }
    // The module going away takes the icon with it.
    QVERIFY(!icon.visible);
}

void TestTray::tipIsCutToField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    const QString han = QStringLiteral("朗");
    const QString emoji = QStringLiteral("\U0001F600");
    QTest::newRow("short") << QStringLiteral("Lirondo") << QStringLiteral("Lirondo");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("63 ASCII fit") << QString(63, u'x') << QString(63, u'x');
    QTest::newRow("64 ASCII: last makes way for the terminator")
        << QString(64, u'x') << QString(63, u'x');
    QTest::newRow("long ASCII") << QString(200, u'x') << QString(63, u'x');
    QTest::newRow("Chinese: 31 characters, 62 bytes") << han.repeated(40) << han.repeated(31);
    QTest::newRow("odd lead byte: 1 + 31 x 2 bytes")
        << QStringLiteral("a") + han.repeated(40) << QStringLiteral("a") + han.repeated(31);
    QTest::newRow("no half character at the end")
        << QStringLiteral("ab") + han.repeated(40) << QStringLiteral("ab") + han.repeated(30);
    QTest::newRow("stops at NUL") << QStringLiteral("ab") + QChar(u'\0') + QStringLiteral("cd")
                                  << QStringLiteral("ab");
    QTest::newRow("no half surrogate pair") << emoji.repeated(40) << emoji.repeated(31);
    QTest::newRow("full-width punctuation is double-byte")
        << QStringLiteral("，").repeated(33) << QStringLiteral("，").repeated(31);
}

void TestTray::tipIsCutToField()
{
    QFETCH(QString, text);
    GbkCodePage gbk;
    QVERIFY(gbk.isValid());

    const QString fitted = tuopan::fitTipField(gbk, text);
    QTEST(fitted, "expected");
    QVERIFY(gbk.encode(fitted).size() < tuopan::kTipFieldBytes);

    FakeTrayIcon icon;
    FakeWindow window;
    tuopan tray(icon);
    tray.TrayAdd(window, nullptr);
    tray.TrayTip(text);
    QTEST(icon.toolTip, "expected");
}

void TestTray::menuItems()
{
    FakeWindow window;
    FakeActions actions;
    tuo_pan menuForm(window, actions);
    QStringList captions;
    for (QAction* action : menuForm.mnuTray()->actions())
        captions.append(action->text());
    QCOMPARE(captions, (QStringList{QStringLiteral("最大化"), QStringLiteral("最小化"),
                                    QStringLiteral("退出"), QStringLiteral("关于")}));
    QCOMPARE(menuForm.mnuTray()->actions().at(0), menuForm.mnuTrayMaximize);
    QCOMPARE(menuForm.mnuTray()->actions().at(3), menuForm.guanyu);
}

void TestTray::enabledByWindowState_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("maximize");
    QTest::addColumn<bool>("minimize");
    QTest::newRow("normal") << 0 << true << true;
    QTest::newRow("minimized") << 1 << true << false;
    QTest::newRow("maximized") << 2 << false << true;
}

void TestTray::enabledByWindowState()
{
    QFETCH(int, state);
    FakeWindow window;
    FakeActions actions;
    tuo_pan menuForm(window, actions);
    // From the opposite state first, so that a stale value shows.
    menuForm.enableForWindowState(state == 2 ? 1 : 2);
    menuForm.enableForWindowState(state);
    QTEST(menuForm.mnuTrayMaximize->isEnabled(), "maximize");
    QTEST(menuForm.mnuTrayMinimize->isEnabled(), "minimize");
    QVERIFY(menuForm.mnuTrayClose->isEnabled());
    QVERIFY(menuForm.guanyu->isEnabled());
}

void TestTray::maximizeSetsStateThenShows()
{
    FakeWindow window;
    window.minimizeToTray();
    window.log.clear();
    FakeActions actions;
    tuo_pan menuForm(window, actions);
    menuForm.mnuTrayMaximize->trigger();
    QCOMPARE(window.log, (QStringList{QStringLiteral("state 2"), QStringLiteral("show")}));
    QVERIFY(window.visible);
    QVERIFY(actions.calls.isEmpty());
}

void TestTray::minimizeFromMenuKeepsWindowVisible()
{
    FakeTrayIcon icon;
    FakeWindow window;
    window.setTrayWindowState(2);
    FakeActions actions;
    tuo_pan menuForm(window, actions);
    tuopan tray(icon);
    tray.TrayAdd(window, menuForm.mnuTray());

    menuForm.mnuTrayMinimize->trigger();
    QCOMPARE(window.state, 1);
    QVERIFY(window.visible);

    icon.click(Activation::Trigger);
    QCOMPARE(window.state, 2);
    QCOMPARE(window.focusCalls, 1);
}

void TestTray::closeUnloadsInOrder()
{
    FakeWindow window;
    FakeActions actions;
    tuo_pan menuForm(window, actions);
    menuForm.mnuTrayClose->trigger();
    QCOMPARE(actions.calls, (QStringList{QStringLiteral("tuo_pan"), QStringLiteral("Form1"),
                                         QStringLiteral("tuo_pan"), QStringLiteral("jihua")}));
    QVERIFY(window.log.isEmpty());
}

void TestTray::aboutShowsFeedbackForm()
{
    FakeWindow window;
    FakeActions actions;
    tuo_pan menuForm(window, actions);
    menuForm.guanyu->trigger();
    QCOMPARE(actions.calls, QStringList{QStringLiteral("about")});
    QVERIFY(window.log.isEmpty());
}

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
