#include "FakeTrayWindow.h"
#include "fakes/FakeTrayIcon.h"
#include "tray/TrayIcon.h"
#include "tray/TrayMenu.h"

#include <QTest>

#include <memory>

using namespace lirondo;
using Activation = TrayIconPort::Activation;

namespace {

// The tray module with its menu form, around a main window in `state`.
struct Tray
{
    explicit Tray(int state, int lastState = 0) : window(state, lastState) {}
    bool add() { return tray.install(window, menuForm->menu()); }

    test::FakeTrayIcon icon;
    test::FakeTrayWindow window;
    std::unique_ptr<TrayMenu> menuForm = std::make_unique<TrayMenu>(window, window);
    TrayIcon tray{icon};
};

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
};

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
