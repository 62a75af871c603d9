// The main window's shell on real widgets: the resize pass, the outline, the caption
// bar, the grips, the hover feedback and what assistive technology sees.

#include "common/Gbk.h"
#include "fakes/FakeAgent.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeFileDialog.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeSpeechEngine.h"
#include "shell/CaptionButton.h"
#include "shell/CommandLabel.h"
#include "shell/Form1.h"
#include "shell/Grip.h"
#include "shell/Outline.h"
#include "shell/TextenEdit.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

using namespace lirondo;
using namespace lirondo::test;

namespace {

struct Harness
{
    Harness()
        : engine(voicesNamed(
              {QStringLiteral("Microsoft Simplified Chinese"), QStringLiteral("Microsoft Mike")})),
          form(Form1Services{engine, messages, dialog, agent, clock, gbk, QStringLiteral("/opt")})
    {}

    // Shown at a known place, for the tests that need the pointer and the window system.
    void show()
    {
        form.move(100, 50);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }

    GbkCodePage gbk;
    FakeSpeechEngine engine;
    FakeMessageBox messages;
    FakeFileDialog dialog;
    FakeAgentService agent;
    FakeClock clock;
    Form1 form;
};

void send(QWidget* widget, QEvent::Type type, Qt::MouseButton button = Qt::LeftButton,
          QPoint at = QPoint(2, 2))
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, at, widget->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : button,
                      type == QEvent::MouseMove ? Qt::MouseButtons() : held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// The pointer moved over a point of the window, delivered as the window system would.
void hover(Form1& form, QPoint at)
{
    // Twice: a move to where the pointer already is would not be reported.
    QTest::mouseMove(&form, at + QPoint(0, 1));
    QTest::mouseMove(&form, at);
    QCoreApplication::processEvents();
}

QPoint centreIn(Form1& form, QWidget* widget)
{
    return widget->mapTo(&form, widget->rect().center());
}

// A point of the panel (window coordinates) that no control covers.
QPoint barePanel(Form1& form)
{
    for (int y = 2; y < form.Picture2->height(); y += 3) {
        for (int x = 2; x < form.Picture2->width(); x += 3) {
            if (!form.Picture2->childAt(x, y))
                return form.Picture2->mapTo(&form, QPoint(x, y));
        }
    }
    return {};
}

QColor textColour(QWidget* widget)
{
    return widget->palette().color(QPalette::Active, QPalette::WindowText);
}

bool samePicture(const QPixmap& a, const QPixmap& b)
{
    return !a.isNull() && a.toImage().convertToFormat(QImage::Format_RGB32) ==
                              b.toImage().convertToFormat(QImage::Format_RGB32);
}

const QColor kBlue(0, 0, 255);
const QColor kBlack(0, 0, 0);

} // namespace

class TestShellForm1 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layoutAtSizes_data();
    void layoutAtSizes();
    void lastStateAndTrayItems_data();
    void lastStateAndTrayItems();
    void skinAndOutline_data();
    void skinAndOutline();
    void captionButtonPictures_data();
    void captionButtonPictures();
    void maximizeRestore_data();
    void maximizeRestore();
    void minimize_data();
    void minimize();
    void closePurgesSpeechFirst();
    void captionDragFollowsThePointer();
    void grips_data();
    void grips();
    void hoverCommandRow();
    void hoverVolumePopUp_data();
    void hoverVolumePopUp();
    void bareWindowClearsOnlyLitButtons();
    void openCommandHover();
    void commandLabelsAreButtons_data();
    void commandLabelsAreButtons();
    void everyControlHasAName();
    void keyboardWalksTheRowAndMarksTheFocus();
};

void TestShellForm1::layoutAtSizes_data()
{
    QTest::addColumn<QSize>("client");
    QTest::newRow("start size") << QSize(554, 408);
    QTest::newRow("wider") << QSize(900, 408);
    QTest::newRow("taller") << QSize(600, 700);
    QTest::newRow("large") << QSize(1400, 1000);
}

void TestShellForm1::layoutAtSizes()
{
    QFETCH(QSize, client);
    Harness h;
    Form1& f = h.form;
    const QRect designFrame = f.Frame1->geometry();
    const QPoint textenPos = f.Texten->pos();
    const int pbottomLeft = f.Pbottom->x();
    const int picture2Height = f.Picture2->height();

    f.resize(client);
    f.layoutPass(0);
    const int w = client.width();
    const int h2 = client.height();
    for (const auto& [button, fromRight] :
         {std::pair{f.Immin, 71}, std::pair{f.Immax, 50}, std::pair{f.Imclose, 30}}) {
        QCOMPARE(button->y(), 9);
        QCOMPARE(w - button->x(), fromRight);
    }
    QCOMPARE(f.IMBar->geometry(), QRect(0, 0, w, 32));
    QCOMPARE(f.Texten->pos(), textenPos);
    QCOMPARE(f.Texten->geometry().bottom() + 1, f.Picture2->y() - 10);
    QCOMPARE(f.Texten->geometry().right() + 1, w - 30);
    QCOMPARE(f.Picture2->geometry().bottom() + 1, h2 - 50);
    QCOMPARE(f.Picture2->width(), w - 30);
    QCOMPARE(f.Picture2->height(), picture2Height);
    QCOMPARE(f.Picture2->x(), 16);
    QCOMPARE(f.Picture1->y(), f.Picture2->y() + f.Imavoice->y() - 100);
    QCOMPARE(f.Frame1->geometry().topLeft(), designFrame.topLeft());
    QCOMPARE(f.Frame1->geometry().bottom() + 1, f.Picture2->y());
    QCOMPARE(f.ListView1->height(), f.Frame1->height() - 60);
    // The grips run along the edges, inside the window.
    QCOMPARE(f.Pbottom->geometry(), QRect(pbottomLeft, h2 - 13, w - 100, 13));
    QCOMPARE(f.Pright->geometry(), QRect(w - 17, 32, 17, h2 - 100));
    QCOMPARE(f.Pjiao->geometry().bottomRight(), QPoint(w - 1, h2 - 1));
}

void TestShellForm1::lastStateAndTrayItems_data()
{
    QTest::addColumn<QList<int>>("states");
    QTest::addColumn<int>("lastState");
    QTest::newRow("maximize") << QList<int>{2} << 2;
    QTest::newRow("maximize then minimize") << QList<int>{2, 1} << 2;
    QTest::newRow("minimize from normal") << QList<int>{1} << 0;
    QTest::newRow("maximize then restore") << QList<int>{2, 0} << 0;
}

void TestShellForm1::lastStateAndTrayItems()
{
    QFETCH(QList<int>, states);
    QFETCH(int, lastState);
    Harness h;
    QList<int> told;
    h.form.onTrayItemsUpdate = [&told](int state) { told.append(state); };
    for (int state : states)
        h.form.layoutPass(state);
    QCOMPARE(h.form.LastState, lastState);
    QCOMPARE(told, states);
}

void TestShellForm1::skinAndOutline_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<bool>("maximized");
    QTest::newRow("start size") << QSize(554, 408) << false;
    QTest::newRow("grown") << QSize(731, 517) << false;
    QTest::newRow("large") << QSize(1917, 1043) << false;
    QTest::newRow("maximized with the restore glyph") << QSize(554, 408) << true;
}

void TestShellForm1::skinAndOutline()
{
    QFETCH(QSize, client);
    QFETCH(bool, maximized);
    Harness h;
    Form1& f = h.form;
    f.resize(client);
    f.layoutPass(0);
    if (maximized) {
        f.Immax_Click();
        QCoreApplication::processEvents();
        client = f.size();
    }
    QCOMPARE(f.mask(), outlineShape(client.width(), client.height()));

    const QImage surface = f.backingSurface().toImage();
    QCOMPARE(surface.size(), client);
    const QRegion outline = f.mask();
    int redOutside = 0;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            const bool red = surface.pixel(x, y) == qRgb(255, 0, 0);
            if (red && outline.contains(QPoint(x, y)))
                QFAIL(qPrintable(QStringLiteral("red inside at %1, %2").arg(x).arg(y)));
            redOutside += red ? 1 : 0;
        }
    }
    // The skin's corners do bring their red: it is the outline that hides it.
    QVERIFY(redOutside > 400);
    // The window background fills the middle; the title is printed in its colour.
    QCOMPARE(surface.pixelColor(client.width() / 2, 30), QColor(192, 255, 192));
    bool title = false;
    for (int y = 9; y < 28 && !title; ++y)
        for (int x = 50; x < 150 && !title; ++x)
            title = surface.pixelColor(x, y) == QColor(31, 96, 169);
    QVERIFY(title);
    // Once maximized the restore glyph covers the maximize glyph under the button.
    if (maximized) {
        const QImage glyph = surface.copy(QRect(f.Immax->pos(), QSize(17, 16)));
        QCOMPARE(glyph.convertToFormat(QImage::Format_RGB32),
                 f.IMus0.toImage().convertToFormat(QImage::Format_RGB32));
    }
}

void TestShellForm1::captionButtonPictures_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("minimize") << QStringLiteral("Immin");
    QTest::newRow("maximize") << QStringLiteral("Immax");
    QTest::newRow("close") << QStringLiteral("Imclose");
}

void TestShellForm1::captionButtonPictures()
{
    QFETCH(QString, button);
    Harness h;
    Form1& f = h.form;
    auto* b = f.findChild<CaptionButton*>(button);
    QVERIFY(b);
    const QPixmap hoverPicture = b == f.Immin ? f.ImMin1 : b == f.Immax ? f.Immax1 : f.ImClose1;
    const QPixmap pressedPicture = b == f.Immin ? f.ImMin2 : b == f.Immax ? f.Immax2 : f.ImClose2;
    QSignalSpy clicks(b, &CaptionButton::clicked);

    QVERIFY(b->Tag.isEmpty());
    QVERIFY(!b->hasPicture());
    send(b, QEvent::MouseMove);
    QCOMPARE(b->Tag, QStringLiteral("1"));
    QVERIFY(samePicture(b->pixmap(), hoverPicture));
    // A second move does not load the picture again.
    b->clearPicture();
    send(b, QEvent::MouseMove);
    QVERIFY(!b->hasPicture());

    send(b, QEvent::MouseButtonPress, Qt::RightButton);
    QVERIFY(samePicture(b->pixmap(), pressedPicture));
    QCOMPARE(b->Tag, QStringLiteral("1"));
    send(b, QEvent::MouseButtonRelease, Qt::RightButton, QPoint(50, 50)); // released outside
    QVERIFY(!b->hasPicture());
    QVERIFY(b->Tag.isEmpty());
    QCOMPARE(clicks.count(), 0);
}

void TestShellForm1::maximizeRestore_data()
{
    QTest::addColumn<bool>("byDoubleClick");
    QTest::newRow("maximize button") << false;
    QTest::newRow("double click on the caption") << true;
}

void TestShellForm1::maximizeRestore()
{
    QFETCH(bool, byDoubleClick);
    Harness h;
    h.show();
    Form1& f = h.form;
    const auto toggle = [&] {
        if (byDoubleClick) {
            send(f.IMBar, QEvent::MouseButtonDblClick);
        } else {
            send(f.Immax, QEvent::MouseButtonPress);
            send(f.Immax, QEvent::MouseButtonRelease);
        }
        QCoreApplication::processEvents();
    };

    toggle();
    QVERIFY(f.windowState().testFlag(Qt::WindowMaximized));
    QCOMPARE(f.LastState, 2);
    QVERIFY(f.Pbottom->isHidden());
    QVERIFY(f.Pright->isHidden());
    QVERIFY(!f.Pjiao->isHidden());
    QCOMPARE(f.Immax->toolTip(), QStringLiteral("还原"));
    // Over the restore glyph the hover picture is the restore one.
    send(f.Immax, QEvent::MouseMove);
    QVERIFY(samePicture(f.Immax->pixmap(), f.IMus1));
    send(f.Immax, QEvent::MouseButtonRelease);

    toggle();
    QVERIFY(!f.windowState().testFlag(Qt::WindowMaximized));
    QCOMPARE(f.LastState, 0);
    QVERIFY(!f.Pbottom->isHidden());
    QVERIFY(!f.Pright->isHidden());
    QCOMPARE(f.Immax->toolTip(), QStringLiteral("最大化"));
}

void TestShellForm1::minimize_data()
{
    QTest::addColumn<bool>("trayIcon");
    QTest::newRow("with a tray icon it hides") << true;
    QTest::newRow("without one it stays reachable") << false;
}

void TestShellForm1::minimize()
{
    QFETCH(bool, trayIcon);
    Harness h;
    h.show();
    h.form.trayIconPresent = trayIcon;
    h.form.Immin_Click();
    QVERIFY(h.form.windowState().testFlag(Qt::WindowMinimized));
    QCOMPARE(h.form.isHidden(), trayIcon);
    QCOMPARE(h.form.LastState, 0);
}

void TestShellForm1::closePurgesSpeechFirst()
{
    Harness h;
    h.show();
    h.engine.speak(QStringLiteral("还在朗读"), 1);
    QStringList order;
    h.form.onUnloadOtherWindows = [&] {
        order.append(h.form.isVisible() ? QStringLiteral("others before main")
                                        : QStringLiteral("others"));
    };
    send(h.form.Imclose, QEvent::MouseButtonPress);
    send(h.form.Imclose, QEvent::MouseButtonRelease);
    QCOMPARE(order, QStringList{QStringLiteral("others")});
    QVERIFY(!h.form.isVisible());
    QCOMPARE(h.engine.calls.size(), 2);
    QCOMPARE(h.engine.calls.last().text, QString());
    QCOMPARE(h.engine.calls.last().flags, 2);
}

void TestShellForm1::captionDragFollowsThePointer()
{
    // Without a window manager the move is the program's own.
    Harness h;
    h.show();
    Form1& f = h.form;
    const QPoint start = f.pos();
    QCursor::setPos(start + QPoint(200, 10));
    send(f.IMBar, QEvent::MouseButtonPress);
    QCursor::setPos(start + QPoint(260, 40));
    send(f.IMBar, QEvent::MouseMove, Qt::LeftButton);
    QMouseEvent drag(QEvent::MouseMove, QPointF(5, 5), QPointF(), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(f.IMBar, &drag);
    QTRY_COMPARE(f.pos(), start + QPoint(60, 30));
    send(f.IMBar, QEvent::MouseButtonRelease);
    QCursor::setPos(start + QPoint(400, 300));
    QCoreApplication::sendEvent(f.IMBar, &drag);
    QCoreApplication::processEvents();
    QCOMPARE(f.pos(), start + QPoint(60, 30));
}

void TestShellForm1::grips_data()
{
    QTest::addColumn<QString>("grip");
    QTest::addColumn<QPoint>("pointer"); // relative to the window's top-left corner
    QTest::addColumn<QString>(
        "how"); // press: press then move; none: move only; after: after release
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<QSize>("size");

    const QSize start(554, 408);
    QTest::newRow("bottom grows") << "Pbottom" << QPoint(0, 450) << "press" << false
                                  << QSize(554, 450);
    QTest::newRow("right grows") << "Pright" << QPoint(700, 0) << "press" << false
                                 << QSize(700, 408);
    QTest::newRow("corner both") << "Pjiao" << QPoint(640, 480) << "press" << false
                                 << QSize(640, 480);
    QTest::newRow("corner too narrow still sets the height")
        << "Pjiao" << QPoint(500, 480) << "press" << false << QSize(554, 480);
    QTest::newRow("move without a press")
        << "Pjiao" << QPoint(640, 480) << "none" << false << start;
    QTest::newRow("move after the release")
        << "Pjiao" << QPoint(640, 480) << "after" << false << start;
    QTest::newRow("maximized") << "Pjiao" << QPoint(300, 300) << "press" << true << QSize();
}

void TestShellForm1::grips()
{
    QFETCH(QString, grip);
    QFETCH(QPoint, pointer);
    QFETCH(QString, how);
    QFETCH(bool, maximized);
    QFETCH(QSize, size);
    Harness h;
    h.show();
    Form1& f = h.form;
    if (maximized) {
        f.Immax_Click();
        QTRY_VERIFY(f.windowState().testFlag(Qt::WindowMaximized));
        QCoreApplication::processEvents();
        size = f.size();
    }
    auto* g = f.findChild<Grip*>(grip);
    QVERIFY(g);
    if (how != QStringLiteral("none"))
        send(g, QEvent::MouseButtonPress);
    if (how == QStringLiteral("after"))
        send(g, QEvent::MouseButtonRelease);
    QCursor::setPos(f.pos() + pointer);
    QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(), Qt::NoButton,
                     how == QStringLiteral("press") ? Qt::LeftButton : Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(g, &move);
    QCoreApplication::processEvents();
    QTRY_COMPARE(f.size(), size);
    QCOMPARE(g->Tag.isEmpty(), how != QStringLiteral("press"));
    if (!maximized) // the pass ran at the new size
        QCOMPARE(f.Pjiao->geometry().bottomRight(), QPoint(size.width() - 1, size.height() - 1));
}

void TestShellForm1::hoverCommandRow()
{
    Harness h;
    h.show();
    Form1& f = h.form;
    CommandLabel* show = f.Label2[2];
    hover(f, centreIn(f, show));
    QCOMPARE(textColour(show), kBlue);
    const QRect r = show->geometry();
    QCOMPARE(f.Line1->geometry(), QRect(r.left(), r.top(), r.width(), 1));
    QCOMPARE(f.Line2->geometry(), QRect(r.left(), r.top(), 1, r.height()));
    QCOMPARE(f.Line3->geometry(), QRect(r.left(), r.bottom() + 1, r.width(), 1));
    QCOMPARE(f.Line4->geometry(), QRect(r.right() + 1, r.top(), 1, r.height()));
    for (QWidget* line : {f.Line1, f.Line2, f.Line3, f.Line4})
        QVERIFY(line->isVisible());
    // Wider than the frame around a two-character label.
    QVERIFY(f.Line1->width() > f.Label2[0]->width());

    // Straight on to another label: the first stays lit, the frame moves.
    hover(f, centreIn(f, f.Label2[4]));
    QCOMPARE(textColour(show), kBlue);
    QCOMPARE(textColour(f.Label2[4]), kBlue);
    QCOMPARE(f.Line1->x(), f.Label2[4]->x());

    hover(f, barePanel(f));
    for (CommandLabel* label : f.Label2)
        QCOMPARE(textColour(label), kBlack);
    for (QWidget* line : {f.Line1, f.Line2, f.Line3, f.Line4})
        QVERIFY(!line->isVisible());
    QVERIFY(!f.Picture1->isVisible());

    // A disabled label ("停止" at start) is never lit: over it is over the panel.
    QVERIFY(!f.Label2[1]->isEnabled());
    hover(f, centreIn(f, f.Label2[0]));
    QCOMPARE(textColour(f.Label2[0]), kBlue);
    hover(f, centreIn(f, f.Label2[1]));
    QCOMPARE(textColour(f.Label2[1]), kBlack);
    QCOMPARE(textColour(f.Label2[0]), kBlack);
    QVERIFY(!f.Line1->isVisible());
}

void TestShellForm1::hoverVolumePopUp_data()
{
    QTest::addColumn<QString>("then");
    QTest::addColumn<bool>("open");
    QTest::newRow("into the pop-up") << "popup" << true;
    QTest::newRow("text box") << "texten" << false;
    QTest::newRow("bare panel") << "panel" << false;
    QTest::newRow("bare window") << "window" << false;
    QTest::newRow("caption bar") << "caption" << true;
}

void TestShellForm1::hoverVolumePopUp()
{
    QFETCH(QString, then);
    QFETCH(bool, open);
    Harness h;
    h.show();
    Form1& f = h.form;
    hover(f, centreIn(f, f.Texten));
    QVERIFY(!f.Picture1->isVisible());
    hover(f, centreIn(f, f.Imavoice));
    QVERIFY(f.Picture1->isVisible());
    QPoint to;
    if (then == QStringLiteral("popup"))
        to = f.Picture1->geometry().topLeft() + QPoint(3, 3);
    else if (then == QStringLiteral("texten"))
        to = centreIn(f, f.Texten);
    else if (then == QStringLiteral("panel"))
        to = barePanel(f);
    else if (then == QStringLiteral("window"))
        to = QPoint(f.width() / 2, f.Picture2->geometry().bottom() + 20);
    else
        to = QPoint(f.width() / 2, 15);
    hover(f, to);
    QCOMPARE(f.Picture1->isVisible(), open);
}

void TestShellForm1::bareWindowClearsOnlyLitButtons()
{
    Harness h;
    h.show();
    Form1& f = h.form;
    send(f.Imclose, QEvent::MouseMove);
    QVERIFY(f.Imclose->hasPicture());
    // A picture without the flag is not the hover's to clear.
    f.Immax->setPicture(f.Immax2);
    hover(f, QPoint(f.width() / 2, f.Picture2->geometry().bottom() + 20));
    QVERIFY(!f.Imclose->hasPicture());
    QVERIFY(f.Imclose->Tag.isEmpty());
    QVERIFY(f.Immax->hasPicture());
}

void TestShellForm1::openCommandHover()
{
    Harness h;
    h.show();
    Form1& f = h.form;
    hover(f, centreIn(f, f.Label5));
    QCOMPARE(textColour(f.Label5), kBlue);
    hover(f, centreIn(f, f.ListView1)); // the list has no say
    QCOMPARE(textColour(f.Label5), kBlue);
    hover(f, f.Frame1->mapTo(&f, QPoint(3, f.Frame1->height() - 3)));
    QCOMPARE(textColour(f.Label5), kBlack);
}

void TestShellForm1::commandLabelsAreButtons_data()
{
    QTest::addColumn<int>("key"); // 0: the accessible press action
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("clicks");
    QTest::newRow("press action") << 0 << true << 1;
    QTest::newRow("press action while disabled") << 0 << false << 0;
    QTest::newRow("Space") << int(Qt::Key_Space) << true << 1;
    QTest::newRow("Return") << int(Qt::Key_Return) << true << 1;
    QTest::newRow("Enter") << int(Qt::Key_Enter) << true << 1;
    QTest::newRow("Space while disabled") << int(Qt::Key_Space) << false << 0;
    QTest::newRow("another key") << int(Qt::Key_A) << true << 0;
}

void TestShellForm1::commandLabelsAreButtons()
{
    QFETCH(int, key);
    QFETCH(bool, enabled);
    QFETCH(int, clicks);
    Harness h;
    CommandLabel* label = h.form.Label2[4];
    label->setEnabled(enabled);
    QSignalSpy spy(label, &CommandLabel::clicked);

    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(label);
    QVERIFY(a);
    QCOMPARE(a->role(), QAccessible::Button);
    QCOMPARE(a->text(QAccessible::Name), QStringLiteral("关于"));
    QCOMPARE(a->state().disabled, !enabled);
    QVERIFY(label->focusPolicy() & Qt::TabFocus);
    if (key == 0) {
        QAccessibleActionInterface* action = a->actionInterface();
        QVERIFY(action);
        QVERIFY(action->actionNames().contains(QAccessibleActionInterface::pressAction()));
        action->doAction(QAccessibleActionInterface::pressAction());
    } else {
        QTest::keyClick(label, Qt::Key(key));
    }
    QCOMPARE(spy.count(), clicks);
}

void TestShellForm1::everyControlHasAName()
{
    Harness h;
    QStringList unnamed;
    for (QWidget* widget : h.form.findChildren<QWidget*>()) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget);
        const bool part = widget->objectName().startsWith(QStringLiteral("qt_")) ||
                          a->role() == QAccessible::ScrollBar || a->role() == QAccessible::Client;
        if (!part && a->text(QAccessible::Name).trimmed().isEmpty())
            unnamed.append(widget->objectName() + u':' +
                           QLatin1String(widget->metaObject()->className()));
    }
    QCOMPARE(unnamed.join(u' '), QString());
}

void TestShellForm1::keyboardWalksTheRowAndMarksTheFocus()
{
    Harness h;
    h.show();
    Form1& f = h.form;
    for (CommandLabel* label : f.Label2)
        label->setEnabled(true);
    QList<QWidget*> order;
    for (QWidget* w = f.Label2[0]; order.size() < 5; w = w->nextInFocusChain()) {
        if (qobject_cast<CommandLabel*>(w) && w->parent() == f.Picture2)
            order.append(w);
    }
    const QList<QWidget*> leftToRight = {f.Label2[0], f.Label2[1], f.Label2[3], f.Label2[2],
                                         f.Label2[4]};
    QCOMPARE(order, leftToRight);

    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    const auto marked = [](QWidget* label) {
        const QImage image = label->grab().toImage();
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, 0) == QColor(31, 96, 169))
                return true;
        }
        return false;
    };
    QVERIFY(!marked(f.Label2[2]));
    f.Label2[2]->setFocus(Qt::TabFocusReason);
    QVERIFY(f.Label2[2]->hasFocus());
    QVERIFY(marked(f.Label2[2]));
}

QTEST_MAIN(TestShellForm1)
#include "tst_shell_form1.moc"
