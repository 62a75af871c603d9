// The window chrome alone on a bare frameless window: the caption bar and its buttons,
// the grips, the skin and the outline.

#include "shell/CaptionButton.h"
#include "shell/Grip.h"
#include "shell/LayoutPass.h"
#include "shell/Outline.h"
#include "shell/WindowChrome.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

using namespace lirondo;

namespace {

// What the main window does with its chrome: a layout pass on every resize.
struct Window : QWidget
{
    Window() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    {
        resize(554, 408);
        chrome.layOut();
    }
    void show()
    {
        move(100, 50);
        QWidget::show();
        QVERIFY(QTest::qWaitForWindowExposed(this));
    }
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        chrome.layOut();
    }
    template <typename T> T* find(const char* name)
    {
        T* found = findChild<T*>(QLatin1String(name));
        Q_ASSERT(found);
        return found;
    }

    WindowChrome& chrome = *new WindowChrome(*this);
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

} // namespace

class TestWindowChrome : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layoutAndOutlineAtSizes_data();
    void layoutAndOutlineAtSizes();
    void captionButtonsTakeOnlyTheLeftButton_data();
    void captionButtonsTakeOnlyTheLeftButton();
    void hoverPicturesClearOnTheBareWindow();
    void maximizeRestore_data();
    void maximizeRestore();
    void grips_data();
    void grips();
};

void TestWindowChrome::layoutAndOutlineAtSizes_data()
{
    QTest::addColumn<QSize>("client");
    QTest::newRow("start size") << QSize(554, 408);
    QTest::newRow("large") << QSize(1917, 1043);
}

void TestWindowChrome::layoutAndOutlineAtSizes()
{
    QFETCH(QSize, client);
    Window w;
    w.resize(client);
    w.chrome.layOut();
    const int width = client.width();
    for (const auto& [name, fromRight] :
         {std::pair{"Immin", 71}, std::pair{"Immax", 50}, std::pair{"Imclose", 30}}) {
        const CaptionButton* button = w.find<CaptionButton>(name);
        QCOMPARE(button->y(), 9);
        QCOMPARE(width - button->x(), fromRight);
    }
    QCOMPARE(w.find<Grip>("Pjiao")->geometry().bottomRight(),
             QPoint(width - 1, client.height() - 1));

    const QRegion outline = w.mask();
    QCOMPARE(outline, outlineShape(width, client.height()));
    const QImage surface = w.chrome.backingSurface().toImage();
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
}

void TestWindowChrome::captionButtonsTakeOnlyTheLeftButton_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<Qt::MouseButton>("mouse");
    QTest::newRow("close, right") << "Imclose" << Qt::RightButton;
    QTest::newRow("minimize, middle") << "Immin" << Qt::MiddleButton;
    QTest::newRow("maximize, right") << "Immax" << Qt::RightButton;
    QTest::newRow("maximize, left") << "Immax" << Qt::LeftButton;
}

void TestWindowChrome::captionButtonsTakeOnlyTheLeftButton()
{
    QFETCH(QString, button);
    QFETCH(Qt::MouseButton, mouse);
    Window w;
    w.show();
    QSignalSpy closes(&w.chrome, &WindowChrome::closeClicked);
    auto* b = w.find<CaptionButton>(button.toLatin1().constData());
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

void TestWindowChrome::hoverPicturesClearOnTheBareWindow()
{
    Window w;
    auto* close = w.find<CaptionButton>("Imclose");
    auto* maximize = w.find<CaptionButton>("Immax");
    send(close, QEvent::MouseMove);
    QVERIFY(close->hasPicture() && close->hoverShown());
    // Released outside: no click, and the picture goes.
    send(close, QEvent::MouseButtonPress);
    send(close, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(50, 50));
    QVERIFY(!close->hasPicture() && !close->hoverShown());

    // The bare window clears the pictures the hover lit, and only those.
    send(close, QEvent::MouseMove);
    maximize->setPicture(QPixmap(4, 4));
    w.chrome.clearCaptionHover();
    QVERIFY(!close->hasPicture() && !close->hoverShown());
    QVERIFY(maximize->hasPicture());
}

void TestWindowChrome::maximizeRestore_data()
{
    QTest::addColumn<bool>("byDoubleClick");
    QTest::newRow("maximize button") << false;
    QTest::newRow("double click on the caption") << true;
}

void TestWindowChrome::maximizeRestore()
{
    QFETCH(bool, byDoubleClick);
    Window w;
    w.show();
    auto* maximize = w.find<CaptionButton>("Immax");
    for (const bool maximized : {true, false}) {
        if (byDoubleClick) {
            send(w.find<QWidget>("IMBar"), QEvent::MouseButtonDblClick);
        } else {
            send(maximize, QEvent::MouseButtonPress);
            send(maximize, QEvent::MouseButtonRelease);
        }
        QCoreApplication::processEvents();
        QCOMPARE(w.windowState().testFlag(Qt::WindowMaximized), maximized);
        QCOMPARE(w.chrome.state(), maximized ? WindowState::Maximized : WindowState::Normal);
        QCOMPARE(maximize->accessibleName(),
                 maximized ? QStringLiteral("还原") : QStringLiteral("最大化"));
        QCOMPARE(w.find<Grip>("Pbottom")->isHidden(), maximized);
        QCOMPARE(w.find<Grip>("Pright")->isHidden(), maximized);
        QVERIFY(!w.find<Grip>("Pjiao")->isHidden());
    }
}

void TestWindowChrome::grips_data()
{
    QTest::addColumn<QString>("grip");
    QTest::addColumn<QPoint>("pointer"); // relative to the window's top-left corner
    QTest::addColumn<int>("presses");    // 1: held, 2: pressed and released
    QTest::addColumn<QSize>("size");     // empty: maximized first, and nothing changes
    const QSize start(554, 408);
    QTest::newRow("bottom grows") << "Pbottom" << QPoint(0, 450) << 1 << QSize(554, 450);
    QTest::newRow("right grows") << "Pright" << QPoint(700, 0) << 1 << QSize(700, 408);
    QTest::newRow("corner too narrow, height still set")
        << "Pjiao" << QPoint(500, 480) << 1 << QSize(554, 480);
    QTest::newRow("move after the release") << "Pjiao" << QPoint(640, 480) << 2 << start;
    QTest::newRow("maximized") << "Pjiao" << QPoint(300, 300) << 1 << QSize();
}

void TestWindowChrome::grips()
{
    QFETCH(QString, grip);
    QFETCH(QPoint, pointer);
    QFETCH(int, presses);
    QFETCH(QSize, size);
    Window w;
    w.show();
    if (size.isEmpty()) {
        w.chrome.toggleMaximized();
        QTRY_VERIFY(w.windowState().testFlag(Qt::WindowMaximized));
        QCoreApplication::processEvents();
        size = w.size();
    }
    auto* g = w.find<Grip>(grip.toLatin1().constData());
    send(g, QEvent::MouseButtonPress);
    QVERIFY(g->held());
    if (presses > 1)
        send(g, QEvent::MouseButtonRelease);
    QCursor::setPos(w.pos() + pointer);
    QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(), Qt::NoButton,
                     presses == 1 ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(g, &move);
    QCoreApplication::processEvents();
    QTRY_COMPARE(w.size(), size);
}

QTEST_MAIN(TestWindowChrome)
#include "tst_window_chrome.moc"
