// The window chrome alone on a bare frameless window: the caption bar and its buttons,
// the grips, the skin and the outline.
#include "fakes/MainWindowFakes.h"
#include "shell/Outline.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QSignalSpy>

using namespace lirondo;
using namespace lirondo::test;

namespace {

// What the main window does with its chrome: a layout pass on every resize.
struct Window : QWidget
{
    Window() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    {
        resize(554, 408);
        chrome.layOut();
    }
    bool show()
    {
        move(100, 50);
        QWidget::show();
        return QTest::qWaitForWindowExposed(this);
    }
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        chrome.layOut();
    }
    WindowChrome& chrome = *new WindowChrome(*this);
};

void send(QWidget* widget, QEvent::Type type, QPoint at = {2, 2})
{
    const bool move = type == QEvent::MouseMove;
    const bool held = !move && type != QEvent::MouseButtonRelease;
    QMouseEvent event(type, at, widget->mapToGlobal(at), move ? Qt::NoButton : Qt::LeftButton,
                      held ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

class TestWindowChrome : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layoutAndOutlineAtSizes_data()
    {
        QTest::addColumn<QSize>("client");
        QTest::newRow("start size") << QSize(554, 408);
        QTest::newRow("large") << QSize(1917, 1043);
    }
    void layoutAndOutlineAtSizes()
    {
        QFETCH(QSize, client);
        Window w;
        w.resize(client);
        w.chrome.layOut();
        const int width = client.width();
        for (const auto& [name, fromRight] :
             {std::pair{"Immin", 71}, {"Immax", 50}, {"Imclose", 30}})
            QCOMPARE(control(w, name)->pos(), QPoint(width - fromRight, 9));
        QCOMPARE(control(w, "Pjiao")->geometry().bottomRight(),
                 QPoint(width - 1, client.height() - 1));
        const QRegion outline = w.mask();
        QCOMPARE(outline, outlineShape(width, client.height()));
        const QImage surface = w.chrome.backingSurface().toImage();
        const QRegion red(
            QBitmap::fromImage(surface.createMaskFromColor(qRgb(255, 0, 0), Qt::MaskOutColor)));
        QVERIFY(!red.isEmpty()); // the skin's corners are red: the outline must hide them
        QCOMPARE(red.intersected(outline), QRegion());
    }

    // Clicks on the caption bar, one after another: only the left button counts, and the
    // maximize button's accessible name and the edge grips follow the state.
    void captionClicks_data()
    {
        QTest::addColumn<QString>("clicks"); // control:button
        QTest::addColumn<QString>("after");  // state, maximize button's name, grips shown
        const QString normal = u"normal 最大化 3"_qs, maximized = u"maximized 还原 1"_qs;
        QTest::newRow("close, right") << u"Imclose:right"_qs << normal;
        QTest::newRow("minimize, middle") << u"Immin:middle"_qs << normal;
        QTest::newRow("maximize, right") << u"Immax:right"_qs << normal;
        QTest::newRow("maximize, left") << u"Immax:left"_qs << maximized;
        QTest::newRow("maximize, then restore") << u"Immax:left Immax:left"_qs << normal;
        QTest::newRow("double click on the caption") << u"IMBar:double"_qs << maximized;
        QTest::newRow("and another") << u"IMBar:double IMBar:double"_qs << normal;
    }
    void captionClicks()
    {
        QFETCH(QString, clicks);
        Window w;
        QVERIFY(w.show());
        QSignalSpy closes(&w.chrome, &WindowChrome::closeClicked);
        for (const QString& click : clicks.split(u' ')) {
            QWidget* target = control(w, qPrintable(click.section(u':', 0, 0)));
            const QString button = click.section(u':', 1);
            const Qt::MouseButton mouse = button == u"right"    ? Qt::RightButton
                                          : button == u"middle" ? Qt::MiddleButton
                                                                : Qt::LeftButton;
            if (button == u"double")
                send(target, QEvent::MouseButtonDblClick);
            else
                QTest::mouseClick(target, mouse);
            QCoreApplication::processEvents();
        }
        QCOMPARE(closes.count(), 0);
        const Qt::WindowStates state = w.windowState();
        int grips = 0;
        for (const char* grip : {"Pbottom", "Pright", "Pjiao"})
            grips += control(w, grip)->isHidden() ? 0 : 1;
        QTEST(u"%1 %2 %3"_qs
                  .arg(state.testFlag(Qt::WindowMaximized)   ? u"maximized"_qs
                       : state.testFlag(Qt::WindowMinimized) ? u"minimized"_qs
                                                             : u"normal"_qs)
                  .arg(control(w, "Immax")->accessibleName())
                  .arg(grips),
              "after");
        QCOMPARE(w.chrome.state(), state.testFlag(Qt::WindowMaximized) ? WindowState::Maximized
                                                                       : WindowState::Normal);
    }

    void hoverPicturesClearOnTheBareWindow()
    {
        Window w;
        auto* close = control<CaptionButton>(w, "Imclose");
        send(close, QEvent::MouseMove);
        QVERIFY(close->hasPicture() && close->hoverShown());
        send(close, QEvent::MouseButtonPress); // released outside: no click, no picture
        send(close, QEvent::MouseButtonRelease, {50, 50});
        QVERIFY(!close->hasPicture() && !close->hoverShown());
        // The bare window clears the pictures the hover lit, and only those.
        send(close, QEvent::MouseMove);
        control<CaptionButton>(w, "Immax")->setPicture(QPixmap(4, 4));
        w.chrome.clearCaptionHover();
        QVERIFY(!close->hasPicture() && !close->hoverShown());
        QVERIFY(control<CaptionButton>(w, "Immax")->hasPicture());
    }

    void grips_data()
    {
        QTest::addColumn<QString>("grip");
        QTest::addColumn<QPoint>("pointer"); // relative to the window's top-left corner
        QTest::addColumn<bool>("released");  // before the move
        QTest::addColumn<QSize>("size");     // empty: maximized first, and nothing changes
        const QSize start(554, 408);
        QTest::newRow("bottom grows")
            << u"Pbottom"_qs << QPoint(0, 450) << false << QSize(554, 450);
        QTest::newRow("right grows") << u"Pright"_qs << QPoint(700, 0) << false << QSize(700, 408);
        QTest::newRow("corner too narrow, height still set")
            << u"Pjiao"_qs << QPoint(500, 480) << false << QSize(554, 480);
        QTest::newRow("move after the release") << u"Pjiao"_qs << QPoint(640, 480) << true << start;
        QTest::newRow("maximized") << u"Pjiao"_qs << QPoint(300, 300) << false << QSize();
    }
    void grips()
    {
        QFETCH(QString, grip);
        QFETCH(QPoint, pointer);
        QFETCH(bool, released);
        QFETCH(QSize, size);
        Window w;
        QVERIFY(w.show());
        if (size.isEmpty()) {
            w.chrome.toggleMaximized();
            QTRY_VERIFY(w.windowState().testFlag(Qt::WindowMaximized));
            QCoreApplication::processEvents();
            size = w.size();
        }
        auto* g = control<Grip>(w, qPrintable(grip));
        send(g, QEvent::MouseButtonPress);
        QVERIFY(g->held());
        if (released)
            send(g, QEvent::MouseButtonRelease);
        QCursor::setPos(w.pos() + pointer);
        // A button held, or Qt would not deliver the move to the grip at all.
        QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(g, &move);
        QCoreApplication::processEvents();
        QTRY_COMPARE(w.size(), size);
    }
};

QTEST_MAIN(TestWindowChrome)
#include "tst_window_chrome.moc"
