#include "shell/WindowChrome.h"

#include "common/VbMath.h"
#include "shell/CaptionButton.h"
#include "shell/EdgeResize.h"
#include "shell/Grip.h"
#include "shell/LayoutPass.h"
#include "shell/Outline.h"
#include "shell/SkinPainter.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>

// Resources of a static library are registered by hand.
static void initSkinResources()
{
    Q_INIT_RESOURCE(skin);
}

namespace lirondo {

QPixmap skinPicture(const char* name)
{
    initSkinResources();
    return QPixmap(QStringLiteral(":/skin/") + QLatin1String(name) + QStringLiteral(".png"));
}

WindowChrome::WindowChrome(QWidget& window)
    : QObject(&window), m_window(window), m_skin(skinPicture("Pmain")),
      m_minimizeHover(skinPicture("ImMin1")), m_minimizePressed(skinPicture("ImMin2")),
      m_maximizeHover(skinPicture("Immax1")), m_maximizePressed(skinPicture("Immax2")),
      m_closeHover(skinPicture("ImClose1")), m_closePressed(skinPicture("ImClose2")),
      m_restoreGlyph(skinPicture("IMus0")), m_restoreHover(skinPicture("IMus1")),
      m_restorePressed(skinPicture("IMus2")), m_windowIcon(skinPicture("Imico"))
{
    window.setWindowIcon(QIcon(m_windowIcon));
    m_captionBar = new QWidget(&window);
    m_captionBar->setObjectName(QStringLiteral("IMBar"));
    m_captionBar->setGeometry(twipsRect(600, 0, 5880, 480));
    m_captionBar->setAccessibleName(tr("标题栏"));
    m_captionBar->setAccessibleDescription(tr("拖动可移动窗口，双击可最大化或还原"));
    m_captionBar->installEventFilter(this);

    m_minimizeButton = makeButton(QStringLiteral("Immin"), tr("最小化"), 7080);
    m_maximizeButton = makeButton(QStringLiteral("Immax"), tr("最大化"), 7440);
    m_closeButton = makeButton(QStringLiteral("Imclose"), tr("关闭"), 7800);
    connect(m_minimizeButton, &CaptionButton::clicked, this, &WindowChrome::minimize);
    connect(m_maximizeButton, &CaptionButton::clicked, this, &WindowChrome::toggleMaximized);
    connect(m_closeButton, &CaptionButton::clicked, this, &WindowChrome::closeClicked);

    m_bottomGrip = new Grip(GripKind::Bottom, QStringLiteral("Pbottom"), &window);
    m_bottomGrip->setGeometry(twipsRect(360, 8040, 7305, 195));
    m_bottomGrip->setAccessibleName(tr("调整窗口高度"));
    m_rightGrip = new Grip(GripKind::Right, QStringLiteral("Pright"), &window);
    m_rightGrip->setGeometry(twipsRect(8040, 480, 255, 5535));
    m_rightGrip->setAccessibleName(tr("调整窗口宽度"));
    m_cornerGrip = new Grip(GripKind::Corner, QStringLiteral("Pjiao"), &window);
    m_cornerGrip->setGeometry(twipsRect(7080, 9240, 252, 252));
    m_cornerGrip->setAccessibleName(tr("调整窗口大小"));
    for (Grip* grip : {m_bottomGrip, m_rightGrip, m_cornerGrip}) {
        connect(grip, &Grip::moved, this, [this, grip] { resizeByGrip(grip); });
        grip->raise();
    }
}

WindowChrome::~WindowChrome() = default;

CaptionButton* WindowChrome::makeButton(const QString& name, const QString& tip, int left)
{
    auto* button = new CaptionButton(tip, &m_window);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setGeometry(twipsRect(left, 180, 252, 240));
    connect(button, &CaptionButton::pointerMoved, this, [this, button] {
        if (button->hoverShown())
            return;
        if (const QPixmap picture = hoverPicture(button, false); !picture.isNull())
            button->setPicture(picture);
        button->setHoverShown(true);
    });
    connect(button, &CaptionButton::pressed, this, [this, button] {
        if (const QPixmap picture = hoverPicture(button, true); !picture.isNull())
            button->setPicture(picture);
    });
    connect(button, &CaptionButton::released, button, &CaptionButton::clearHover);
    return button;
}

QPixmap WindowChrome::hoverPicture(const CaptionButton* button, bool pressed) const
{
    if (button == m_minimizeButton)
        return pressed ? m_minimizePressed : m_minimizeHover;
    if (button == m_closeButton)
        return pressed ? m_closePressed : m_closeHover;
    switch (state()) {
    case WindowState::Normal:
        return pressed ? m_maximizePressed : m_maximizeHover;
    case WindowState::Maximized:
        return pressed ? m_restorePressed : m_restoreHover;
    case WindowState::Minimized:
        break;
    }
    return {};
}

WindowState WindowChrome::state() const
{
    const Qt::WindowStates states = m_window.windowState();
    // Qt's flag alone is not the truth: where nothing iconifies the window (X11 with no
    // window manager) the flag stays set after a restore while the window is on screen.
    const QWindow* window = m_window.windowHandle();
    const bool offScreen = !m_window.isVisible() || !window || !window->isExposed();
    if (states.testFlag(Qt::WindowMinimized) && offScreen)
        return WindowState::Minimized;
    if (states.testFlag(Qt::WindowMaximized) || states.testFlag(Qt::WindowFullScreen))
        return WindowState::Maximized;
    return WindowState::Normal;
}

void WindowChrome::layOut()
{
    const QSize client = m_window.size();

    const CaptionPlaces caption = captionPlaces(client.width());
    if (caption.captionBarWidth)
        m_captionBar->setGeometry(0, 0, *caption.captionBarWidth, m_captionBar->height());
    m_maximizeButton->move(caption.maximizeLeft, caption.buttonTop);
    m_minimizeButton->move(caption.minimizeLeft, caption.buttonTop);
    m_closeButton->move(caption.closeLeft, caption.buttonTop);

    const GripPlaces grips =
        gripPlaces(client, {m_bottomGrip->height(), m_rightGrip->width(), m_cornerGrip->size()});
    if (grips.bottomGripTop)
        m_bottomGrip->move(m_bottomGrip->x(), *grips.bottomGripTop);
    if (grips.bottomGripWidth)
        m_bottomGrip->resize(*grips.bottomGripWidth, m_bottomGrip->height());
    if (grips.rightGripLeft)
        m_rightGrip->move(*grips.rightGripLeft, m_rightGrip->y());
    if (grips.rightGripHeight)
        m_rightGrip->resize(m_rightGrip->width(), *grips.rightGripHeight);
    if (grips.cornerGripLeft && grips.cornerGripTop)
        m_cornerGrip->move(*grips.cornerGripLeft, *grips.cornerGripTop);

    if (!client.isEmpty()) {
        if (m_backing.size() != client)
            m_backing = QPixmap(client);
        QPainter painter(&m_backing);
        paintSkin(painter, client, m_skin, m_windowIcon);
        paintTitle(painter, m_window.font(), m_window.windowTitle());
    }
    setOutline(); // the form's `RMe`
}

void WindowChrome::setOutline()
{
    const QRegion outline = outlineShape(m_window.width(), m_window.height());
    if (outline.isEmpty() || outline == m_window.mask())
        return;
    m_window.setMask(outline);
}

void WindowChrome::keepRestoreGlyph(WindowState state)
{
    // The window system may deliver the maximized size after the state change, and
    // that pass repaints the skin.
    if (m_restoreGlyphShown && state == WindowState::Maximized)
        paintRestoreGlyph();
}

void WindowChrome::paintRestoreGlyph()
{
    if (m_backing.isNull())
        return;
    QPainter painter(&m_backing);
    paintPicture(painter, m_restoreGlyph, QRect(m_maximizeButton->pos(), QSize(240, 240)),
                 QRect(0, 0, 240, 240));
    painter.end();
    m_window.update();
}

void WindowChrome::minimize()
{
    m_window.setWindowState(Qt::WindowMinimized);
    // Hidden, only the tray icon could bring the window back.
    if (m_hidesWhenMinimized)
        m_window.hide();
}

void WindowChrome::toggleMaximized()
{
    if (state() == WindowState::Maximized) {
        m_restoreGlyphShown = false;
        m_window.setWindowState(Qt::WindowNoState);
        m_bottomGrip->show();
        m_rightGrip->show();
        m_maximizeButton->setToolTip(tr("最大化"));
        m_maximizeButton->setAccessibleName(tr("最大化"));
    } else {
        m_window.setWindowState(Qt::WindowMaximized);
        m_bottomGrip->hide();
        m_rightGrip->hide();
        m_restoreGlyphShown = true;
        paintRestoreGlyph();
        m_maximizeButton->setToolTip(tr("还原"));
        m_maximizeButton->setAccessibleName(tr("还原"));
    }
}

void WindowChrome::clearCaptionHover()
{
    for (CaptionButton* button : {m_closeButton, m_minimizeButton, m_maximizeButton}) {
        if (button->hoverShown())
            button->clearHover();
    }
}

void WindowChrome::startMove()
{
    QWindow* window = m_window.windowHandle();
    if (window && window->startSystemMove())
        return;
    // No window manager to hand the move to: follow the pointer until the release.
    m_manualMove = true;
    m_moveOffset = QCursor::pos() - m_window.pos();
}

void WindowChrome::resizeByGrip(const Grip* grip)
{
    if (!grip->held())
        return;
    const QPointF topLeftTwips(pixelsToTwips(m_window.x()), pixelsToTwips(m_window.y()));
    const GripResize change =
        gripResize(grip->kind(), QCursor::pos(), topLeftTwips, state() == WindowState::Maximized);
    if (change.width)
        m_window.resize(windowPixels(*change.width), m_window.height());
    if (change.height)
        m_window.resize(m_window.width(), windowPixels(*change.height));
}

bool WindowChrome::eventFilter(QObject* watched, QEvent* event)
{
    // The caption bar: a drag moves the window, a double click maximizes or restores it.
    if (watched != m_captionBar)
        return false;
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const bool left = mouse->button() == Qt::LeftButton;
    if (type == QEvent::MouseButtonPress && left) {
        startMove();
    } else if (type == QEvent::MouseMove && m_manualMove) {
        if (mouse->buttons().testFlag(Qt::LeftButton))
            m_window.move(QCursor::pos() - m_moveOffset);
        else
            m_manualMove = false;
    } else if (type == QEvent::MouseButtonRelease && left) {
        m_manualMove = false;
    } else if (type == QEvent::MouseButtonDblClick && left) {
        m_manualMove = false;
        toggleMaximized();
    }
    return false;
}

} // namespace lirondo
