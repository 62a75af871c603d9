// The window chrome alone on a bare frameless window: the caption bar and its buttons,
// the grips, the skin and the outline.
#include "fakes/MainWindowFakes.h"
#include "shell/Outline.h"

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
        int redOutside = 0;
        for (int y = 0; y < surface.height(); ++y) {
            for (int x = 0; x < surface.width(); ++x) {
                const bool red = surface.pixel(x, y) == qRgb(255, 0, 0);
                if (red && outline.contains(QPoint(x, y)))
                    QFAIL(qPrintable(u"red inside at %1, %2"_qs.arg(x).arg(y)));
                redOutside += red ? 1 : 0;
            }
        }
        QVERIFY(redOutside > 400); // the skin's corners are red: the outline hides them
    }

    void captionButtonsTakeOnlyTheLeftButton_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<Qt::MouseButton>("mouse");
        QTest::newRow("close, right") << u"Imclose"_qs << Qt::RightButton;
        QTest::newRow("minimize, middle") << u"Immin"_qs << Qt::MiddleButton;
        QTest::newRow("maximize, right") << u"Immax"_qs << Qt::RightButton;
        QTest::newRow("maximize, left") << u"Immax"_qs << Qt::LeftButton;
    }
    void captionButtonsTakeOnlyTheLeftButton()
    {
        QFETCH(QString, button);
        QFETCH(Qt::MouseButton, mouse);
        Window w;
        QVERIFY(w.show());
        QSignalSpy closes(&w.chrome, &WindowChrome::closeClicked);
        auto* b = control<CaptionButton>(w, qPrintable(button));
        QSignalSpy clicks(b, &CaptionButton::clicked);
        QTest::mousePress(b, mouse);
        QCOMPARE(b->hasPicture(), mouse == Qt::LeftButton);
        QTest::mouseRelease(b, mouse);
        QCoreApplication::processEvents();
        QCOMPARE(clicks.count(), mouse == Qt::LeftButton ? 1 : 0);
        QCOMPARE(closes.count(), 0);
        QVERIFY(w.isVisible());
        QCOMPARE(w.windowState().testFlag(Qt::WindowMaximized), mouse == Qt::LeftButton);
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

    void maximizeRestore_data()
    {
        QTest::addColumn<bool>("byDoubleClick");
        QTest::newRow("maximize button") << false;
        QTest::newRow("double click on the caption") << true;
    }
    void maximizeRestore()
    {
        QFETCH(bool, byDoubleClick);
        Window w;
        QVERIFY(w.show());
        auto* maximize = control<CaptionButton>(w, "Immax");
        for (const bool maximized : {true, false}) {
            if (byDoubleClick) {
                send(control(w, "IMBar"), QEvent::MouseButtonDblClick);
            } else {
                send(maximize, QEvent::MouseButtonPress);
                send(maximize, QEvent::MouseButtonRelease);
            }
            QCoreApplication::processEvents();
            QCOMPARE(w.windowState().testFlag(Qt::WindowMaximized), maximized);
            QCOMPARE(w.chrome.state(), maximized ? WindowState::Maximized : WindowState::Normal);
            QCOMPARE(maximize->accessibleName(), maximized ? u"还原"_qs : u"最大化"_qs);
            QCOMPARE(control(w, "Pbottom")->isHidden(), maximized);
            QCOMPARE(control(w, "Pright")->isHidden(), maximized);
            QVERIFY(!control(w, "Pjiao")->isHidden());
        }
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
        QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(), Qt::NoButton,
                         released ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(g, &move);
        QCoreApplication::processEvents();
        QTRY_COMPARE(w.size(), size);
    }
};

QTEST_MAIN(TestWindowChrome)
#include "tst_window_chrome.moc"
