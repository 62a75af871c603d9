#include "FakeTrayWindow.h"
#include "fakes/FakeTrayIcon.h"
#include "tray/tuo_pan.h"
#include "tray/tuopan.h"

#include <QTest>

using namespace lirondo;
using FakeWindow = lirondo::test::FakeTrayWindow;
using lirondo::test::FakeTrayIcon;
using Activation = TrayIconPort::Activation;

class TestTray : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void add_data();
    void add();
    void activation_data();
    void activation();
    void contextMenuAfterMenuFormUnloaded();
    void removeStopsHandling();
    void tipIsCutToField_data();
    void tipIsCutToField();
    void enabledByWindowState_data();
    void enabledByWindowState();
    void menuItem_data();
    void menuItem();
};

void TestTray::add_data()
{
    QTest::addColumn<bool>("available");
    QTest::newRow("notification area") << true;
    QTest::newRow("none: runs without an icon") << false;
}

void TestTray::add()
{
    QFETCH(bool, available);
    FakeTrayIcon icon;
    icon.available = available;
    FakeWindow window;
    tuopan tray(icon);
    QCOMPARE(tray.TrayAdd(window, nullptr), available);
    QCOMPARE(icon.visible, available);
    QVERIFY(icon.toolTip.isEmpty());
    tray.TrayTip(QStringLiteral("Lirondo"));
    QCOMPARE(icon.toolTip, available ? QStringLiteral("Lirondo") : QString());
}

void TestTray::activation_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("lastState");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<Activation>("reason");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<int>("popups");

    const QStringList none;
    const auto restore = [](int s) {
        return QStringList{QStringLiteral("show"), QStringLiteral("state %1").arg(s),
                           QStringLiteral("focus")};
    };
    QTest::newRow("left, normal: nothing") << 0 << 0 << true << Activation::Trigger << none << 0;
    QTest::newRow("left, maximized: nothing") << 2 << 2 << true << Activation::Trigger << none << 0;
    QTest::newRow("left, hidden from normal")
        << 1 << 0 << false << Activation::Trigger << restore(0) << 0;
    QTest::newRow("left, hidden from maximized")
        << 1 << 2 << false << Activation::Trigger << restore(2) << 0;
    QTest::newRow("left, minimized from the menu")
        << 1 << 2 << true << Activation::Trigger << restore(2) << 0;
    QTest::newRow("double click") << 1 << 0 << false << Activation::DoubleClick << none << 0;
    QTest::newRow("middle click") << 1 << 0 << false << Activation::MiddleClick << none << 0;
    QTest::newRow("right, minimized") << 1 << 0 << false << Activation::Context << none << 1;
    QTest::newRow("right, normal") << 0 << 0 << true << Activation::Context << none << 1;
}

void TestTray::activation()
{
    QFETCH(Activation, reason);
    FakeTrayIcon icon;
    FakeWindow window;
    QFETCH(int, state);
    QFETCH(int, lastState);
    QFETCH(bool, visible);
    window.state = state;
    window.lastState = lastState;
    window.visible = visible;
    tuo_pan menuForm(window, window);
    tuopan tray(icon);
    tray.TrayAdd(window, menuForm.mnuTray());

    icon.click(reason);

    QTEST(window.log, "log");
    QTEST(int(icon.popups.size()), "popups");
    QVERIFY(icon.popups.isEmpty() || icon.popups.first() == menuForm.mnuTray());
    QCOMPARE(window.visible, visible || !window.log.isEmpty());
}

void TestTray::contextMenuAfterMenuFormUnloaded()
{
    FakeTrayIcon icon;
    FakeWindow window;
    tuopan tray(icon);
    auto* menuForm = new tuo_pan(window, window);
    tray.TrayAdd(window, menuForm->mnuTray());
    delete menuForm;
    icon.click(Activation::Context);
    QVERIFY(icon.popups.isEmpty());
}

void TestTray::removeStopsHandling()
{
    FakeTrayIcon icon;
    FakeWindow window;
    tuo_pan menuForm(window, window);
    window.state = 1;
    {
        tuopan tray(icon);
        tray.TrayAdd(window, menuForm.mnuTray());
        tray.TrayRemove();
        QVERIFY(!icon.visible);
        icon.click(Activation::Trigger);
        icon.click(Activation::Context);
        QVERIFY(window.log.isEmpty());
        QVERIFY(icon.popups.isEmpty());
        tray.TrayAdd(window, menuForm.mnuTray());
        QVERIFY(icon.visible);
    }
    QVERIFY(!icon.visible); // the module takes its icon with it
}

void TestTray::tipIsCutToField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    const QString han = QStringLiteral("朗");
    const QString emoji = QStringLiteral("\U0001F600");
    QTest::newRow("63 ASCII fit") << QString(63, u'x') << QString(63, u'x');
    QTest::newRow("64th makes way for the NUL") << QString(64, u'x') << QString(63, u'x');
    QTest::newRow("Chinese: 31, 62 bytes") << han.repeated(40) << han.repeated(31);
    QTest::newRow("1 + 31 x 2 bytes") << u'a' + han.repeated(40) << u'a' + han.repeated(31);
    QTest::newRow("no half character")
        << QStringLiteral("ab") + han.repeated(40) << QStringLiteral("ab") + han.repeated(30);
    QTest::newRow("full-width comma")
        << QStringLiteral("，").repeated(33) << QStringLiteral("，").repeated(31);
    QTest::newRow("no half surrogate pair") << emoji.repeated(40) << emoji.repeated(31);
    QTest::newRow("ends at NUL") << QStringLiteral("ab") + QChar(u'\0') + QStringLiteral("cd")
                                 << QStringLiteral("ab");
}

void TestTray::tipIsCutToField()
{
    QFETCH(QString, text);
    FakeTrayIcon icon;
    FakeWindow window;
    tuopan tray(icon);
    tray.TrayAdd(window, nullptr);
    tray.TrayTip(text);
    QTEST(icon.toolTip, "expected");
    GbkCodePage gbk;
    QVERIFY(gbk.encode(icon.toolTip).size() < tuopan::kTipFieldBytes);
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
    tuo_pan menuForm(window, window);
    menuForm.enableForWindowState(state == 2 ? 1 : 2); // so that a stale value shows
    menuForm.enableForWindowState(state);
    QTEST(menuForm.mnuTrayMaximize->isEnabled(), "maximize");
    QTEST(menuForm.mnuTrayMinimize->isEnabled(), "minimize");
    QVERIFY(menuForm.mnuTrayClose->isEnabled() && menuForm.guanyu->isEnabled());
}

void TestTray::menuItem_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<bool>("visible");

    QTest::newRow("maximize, then show")
        << QStringLiteral("最大化")
        << QStringList{QStringLiteral("state 2"), QStringLiteral("show")} << true;
    QTest::newRow("minimize stays hidden")
        << QStringLiteral("最小化") << QStringList{QStringLiteral("state 1")} << false;
    QTest::newRow("exit unloads in order")
        << QStringLiteral("退出")
        << QStringList{QStringLiteral("unload tuo_pan"), QStringLiteral("unload Form1"),
                       QStringLiteral("unload tuo_pan"), QStringLiteral("unload jihua")}
        << false;
    QTest::newRow("about") << QStringLiteral("关于") << QStringList{QStringLiteral("about")}
                           << false;
}

void TestTray::menuItem()
{
    QFETCH(QString, caption);
    FakeWindow window;
    window.state = 1;
    window.visible = false;
    tuo_pan menuForm(window, window);
    QAction* item = nullptr;
    for (QAction* action : menuForm.mnuTray()->actions())
        item = action->text() == caption ? action : item;
    QVERIFY(item);
    item->trigger();
    QTEST(window.log, "log");
    QTEST(window.visible, "visible");
}

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
