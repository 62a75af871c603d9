// The main window's shell: the resize pass, the skin, the outline, the caption bar and
// its buttons, the resize grips, the hover feedback and the keyboard and screen-reader
// names of the controls.

#include "shell/Form1.h"

#include "common/VbMath.h"
#include "reading/SpeechEngine.h"
#include "shell/CaptionButton.h"
#include "shell/CommandLabel.h"
#include "shell/EdgeResize.h"
#include "shell/EventHook.h"
#include "shell/Grip.h"
#include "shell/HoverFrame.h"
#include "shell/LayoutPass.h"
#include "shell/Outline.h"
#include "shell/SkinPainter.h"
#include "shell/TextenEdit.h"
#include "shell/WordFit.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QTreeWidget>
#include <QWindow>

// Resources of a static library are registered by hand.
static void initSkinResources()
{
    Q_INIT_RESOURCE(skin);
}

namespace lirondo {

namespace {

const QColor kLitText(0, 0, 255);
const QColor kUnlitText(0, 0, 0);
// The hover frame's raised look: light top and left, dark bottom and right.
const QColor kFrameLight(255, 255, 255);
const QColor kFrameDark(0, 0, 0);

QPixmap skinPicture(const char* name)
{
    return QPixmap(QStringLiteral(":/skin/") + QLatin1String(name) + QStringLiteral(".png"));
}

// Disabled text keeps its greyed look: only the normal colour groups change.
void setLabelColour(QWidget* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, colour);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    label->setPalette(palette);
}

QWidget* makeLine(QWidget* parent, const QColor& colour, const QString& name)
{
    auto* line = new QWidget(parent);
    line->setObjectName(name);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    line->hide();
    return line;
}

} // namespace

void Form1::setUpShell()
{
    initSkinResources();
    Pmain = skinPicture("Pmain");
    ImMin1 = skinPicture("ImMin1");
    ImMin2 = skinPicture("ImMin2");
    Immax1 = skinPicture("Immax1");
    Immax2 = skinPicture("Immax2");
    ImClose1 = skinPicture("ImClose1");
    ImClose2 = skinPicture("ImClose2");
    IMus0 = skinPicture("IMus0");
    IMus1 = skinPicture("IMus1");
    IMus2 = skinPicture("IMus2");
    Imico = skinPicture("Imico");
    setWindowIcon(QIcon(Imico));
    Imavoice->setPixmap(skinPicture("Imavoice"));

    m_word = Label1->text();
    m_wordFont = Label1->font();
    m_wordDesignWidth = Label1->width();
    createShellControls();
    setUpHover();
    setUpAccessibility();
    // The backing surface exists before the first show.
    Form_Resize();
}

void Form1::createShellControls()
{
    IMBar = new QWidget(this);
    IMBar->setObjectName(QStringLiteral("IMBar"));
    IMBar->setGeometry(twipsRect(600, 0, 5880, 480));

    const auto makeButton = [this](const QString& name, const QString& tip, int left) {
        auto* button = new CaptionButton(tip, this);
        button->setObjectName(name);
        button->setToolTip(tip);
        button->setGeometry(twipsRect(left, 180, 252, 240));
        connect(button, &CaptionButton::pointerMoved, this,
                [this, button] { captionButtonMoved(button); });
        connect(button, &CaptionButton::pressed, this,
                [this, button] { captionButtonPressed(button); });
        connect(button, &CaptionButton::released, this,
                [this, button] { captionButtonReleased(button); });
        return button;
    };
    Immin = makeButton(QStringLiteral("Immin"), QStringLiteral("最小化"), 7080);
    Immax = makeButton(QStringLiteral("Immax"), QStringLiteral("最大化"), 7440);
    Imclose = makeButton(QStringLiteral("Imclose"), QStringLiteral("关闭"), 7800);
    connect(Immin, &CaptionButton::clicked, this, &Form1::Immin_Click);
    connect(Immax, &CaptionButton::clicked, this, &Form1::Immax_Click);
    connect(Imclose, &CaptionButton::clicked, this, &Form1::Imclose_Click);

    Pbottom = new Grip(GripKind::Bottom, QStringLiteral("Pbottom"), this);
    Pbottom->setGeometry(twipsRect(360, 8040, 7305, 195));
    Pright = new Grip(GripKind::Right, QStringLiteral("Pright"), this);
    Pright->setGeometry(twipsRect(8040, 480, 255, 5535));
    Pjiao = new Grip(GripKind::Corner, QStringLiteral("Pjiao"), this);
    Pjiao->setGeometry(twipsRect(7080, 9240, 252, 252));
    for (Grip* grip : {Pbottom, Pright, Pjiao}) {
        connect(grip, &Grip::pressed, this, [grip] { grip->Tag = QStringLiteral("1"); });
        connect(grip, &Grip::released, this, [grip] { grip->Tag.clear(); });
        connect(grip, &Grip::moved, this, [this, grip] { gripMoved(grip); });
        grip->raise();
    }

    Line1 = makeLine(Picture2, kFrameLight, QStringLiteral("Line1"));
    Line2 = makeLine(Picture2, kFrameLight, QStringLiteral("Line2"));
    Line3 = makeLine(Picture2, kFrameDark, QStringLiteral("Line3"));
    Line4 = makeLine(Picture2, kFrameDark, QStringLiteral("Line4"));
    // The volume pop-up's two decoration lines, one on each side of its slider.
    const QRect slider = Slider2->geometry();
    Line5 = makeLine(Picture1, kFrameDark, QStringLiteral("Line5"));
    Line5->setGeometry(slider.left() - 3, slider.top(), 1, slider.height());
    Line6 = makeLine(Picture1, kFrameDark, QStringLiteral("Line6"));
    Line6->setGeometry(slider.right() + 3, slider.top(), 1, slider.height());
    Line5->show();
    Line6->show();

    // The open command's design font; the command row's is set with the row.
    QFont openFont(QStringList{QStringLiteral("宋体"), QStringLiteral("SimSun"),
                               QStringLiteral("AR PL UMing CN")});
    openFont.setBold(true);
    Label5->setFont(openFont);
}

void Form1::setUpHover()
{
    m_shellFilter = std::make_unique<EventHook>(
        [this](QObject* watched, QEvent* event) { return shellEvent(watched, event); });
    auto* hook = static_cast<EventHook*>(m_shellFilter.get());

    // Each control's moves are its own: none reaches the surface beneath it, which
    // would undo at once what the control just lit.
    const QList<QWidget*> all = findChildren<QWidget*>();
    for (QWidget* widget : all)
        widget->setAttribute(Qt::WA_NoMousePropagation);

    for (QWidget* surface : {static_cast<QWidget*>(this), Picture2, static_cast<QWidget*>(Frame1),
                             static_cast<QWidget*>(Imavoice)}) {
        surface->setMouseTracking(true);
        hook->watch(surface);
    }
    for (CommandLabel* label : Label2) {
        hook->watch(label);
        connect(label, &CommandLabel::pointerMoved, this, &Form1::Label2_MouseMove);
    }
    connect(Label5, &CommandLabel::pointerMoved, this, [this] { Label5_MouseMove(); });
    connect(Texten, &TextenEdit::pointerMoved, this, &Form1::Texten_MouseMove);
    hook->watch(IMBar);
    hook->watch(Slider2);
}

void Form1::setUpAccessibility()
{
    IMBar->setAccessibleName(QStringLiteral("标题栏"));
    IMBar->setAccessibleDescription(QStringLiteral("拖动可移动窗口，双击可最大化或还原"));
    Pbottom->setAccessibleName(QStringLiteral("调整窗口高度"));
    Pright->setAccessibleName(QStringLiteral("调整窗口宽度"));
    Pjiao->setAccessibleName(QStringLiteral("调整窗口大小"));
    Picture2->setAccessibleName(QStringLiteral("朗读控制"));
    Picture1->setAccessibleName(QStringLiteral("音量调节"));
    Labtxtlength->setAccessibleName(QStringLiteral("朗读光标定位"));
    Label1->setAccessibleName(QStringLiteral("正在朗读的词"));
    for (QWidget* line : {Line1, Line2, Line3, Line4})
        line->setAccessibleName(QStringLiteral("悬停框线"));
    // The speaker stands in the tab chain for the volume slider, hidden in its pop-up.
    Imavoice->setFocusPolicy(Qt::TabFocus);
    setTabOrder(Imavoice, Slider2);
    // The keyboard walks the command row as it is laid out, left to right.
    setTabOrder(Label2[0], Label2[1]);
    setTabOrder(Label2[1], Label2[3]);
    setTabOrder(Label2[3], Label2[2]);
    setTabOrder(Label2[2], Label2[4]);
}

int Form1::shellWindowState() const
{
    const Qt::WindowStates states = windowState();
    // Qt's flag alone is not the truth: where nothing iconifies the window (X11 with no
    // window manager) the flag stays set after a restore while the window is on screen.
    const QWindow* window = windowHandle();
    const bool offScreen = !isVisible() || !window || !window->isExposed();
    if (states.testFlag(Qt::WindowMinimized) && offScreen)
        return kStateMinimized;
    if (states.testFlag(Qt::WindowMaximized) || states.testFlag(Qt::WindowFullScreen))
        return kStateMaximized;
    return kStateNormal;
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Form1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void Form1::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawPixmap(0, 0, m_backing);
}

void Form1::Form_Resize()
{
    if (!IMBar)
        return; // the shell is not built yet
    const int state = shellWindowState();
    layoutPass(state);
    // The window system may deliver the maximized size after the state change, and
    // that pass repaints the skin: keep the restore glyph while maximized by the button.
    if (m_restoreGlyphShown && state == kStateMaximized)
        paintRestoreGlyph();
}

void Form1::layoutPass(int windowState)
{
    const QSize client = size();

    const CaptionPlaces caption = captionPlaces(client.width());
    if (caption.IMBarWidth)
        IMBar->setGeometry(0, 0, *caption.IMBarWidth, IMBar->height());
    Immax->move(caption.ImmaxLeft, caption.buttonTop);
    Immin->move(caption.IMminLeft, caption.buttonTop);
    Imclose->move(caption.ImcloseLeft, caption.buttonTop);

    const GripPlaces grips =
        gripPlaces(client, {Pbottom->height(), Pright->width(), Pjiao->size()});
    if (grips.PbottomTop)
        Pbottom->move(Pbottom->x(), *grips.PbottomTop);
    if (grips.PbottomWidth)
        Pbottom->resize(*grips.PbottomWidth, Pbottom->height());
    if (grips.PrightLeft)
        Pright->move(*grips.PrightLeft, Pright->y());
    if (grips.PrightHeight)
        Pright->resize(Pright->width(), *grips.PrightHeight);
    if (grips.PjiaoLeft && grips.PjiaoTop)
        Pjiao->move(*grips.PjiaoLeft, *grips.PjiaoTop);

    if (!client.isEmpty()) {
        if (m_backing.size() != client)
            m_backing = QPixmap(client);
        QPainter painter(&m_backing);
        paintSkin(painter, client, Pmain, Imico);
        paintTitle(painter, font(), windowTitle());
    }

    RMe();

    const ContentPlaces content =
        contentPlaces(client, {Picture2->height(), Texten->pos(), Imavoice->y(), Frame1->y()});
    if (content.Picture2Top)
        Picture2->move(Picture2->x(), *content.Picture2Top);
    if (content.Picture2Width)
        Picture2->resize(*content.Picture2Width, Picture2->height());
    if (content.TextenHeight)
        Texten->resize(Texten->width(), *content.TextenHeight);
    if (content.TextenWidth)
        Texten->resize(*content.TextenWidth, Texten->height());
    if (content.Picture1Top)
        Picture1->move(Picture1->x(), *content.Picture1Top);
    if (content.Frame1Height)
        Frame1->resize(Frame1->width(), *content.Frame1Height);
    if (content.ListView1Height)
        ListView1->resize(ListView1->width(), *content.ListView1Height);

    fitWordLabel(); // the panel's width sets the word's room

    if (onTrayItemsUpdate)
        onTrayItemsUpdate(windowState);

    // A minimize under way (flagged, the window still on screen) keeps the state it left.
    const bool minimizing = QWidget::windowState().testFlag(Qt::WindowMinimized);
    LastState = nextLastState(LastState, minimizing ? kStateMinimized : windowState);
    update();
}

void Form1::updateTrayItems()
{
    if (onTrayItemsUpdate && !m_unloaded) // a closed window's menu is gone or going
        onTrayItemsUpdate(shellWindowState());
}

void Form1::fitWordLabel()
{
    constexpr int kRightMargin = 4;
    const WordFit fit = fitWord(m_word, m_wordFont, m_wordDesignWidth,
                                Picture2->width() - Label1->x() - kRightMargin);
    QFont font = m_wordFont;
    font.setPointSize(fit.pointSize);
    Label1->setFont(font);
    Label1->setText(fit.text);
    Label1->resize(fit.width, Label1->height());
}

void Form1::RMe()
{
    const QRegion outline = outlineShape(width(), height());
    if (outline.isEmpty() || outline == mask())
        return;
    setMask(outline);
}

void Form1::paintRestoreGlyph()
{
    if (m_backing.isNull())
        return;
    QPainter painter(&m_backing);
    paintPicture(painter, IMus0, QRect(Immax->pos(), QSize(240, 240)), QRect(0, 0, 240, 240));
    painter.end();
    update();
}

// ---- Caption bar ----

void Form1::captionButtonMoved(CaptionButton* button)
{
    if (!button->Tag.isEmpty())
        return;
    const int state = shellWindowState();
    if (button == Immin) {
        button->setPicture(ImMin1);
    } else if (button == Imclose) {
        button->setPicture(ImClose1);
    } else if (state == kStateNormal) {
        button->setPicture(Immax1);
    } else if (state == kStateMaximized) {
        button->setPicture(IMus1);
    }
    button->Tag = QStringLiteral("1");
}

void Form1::captionButtonPressed(CaptionButton* button)
{
    const int state = shellWindowState();
    if (button == Immin) {
        button->setPicture(ImMin2);
    } else if (button == Imclose) {
        button->setPicture(ImClose2);
    } else if (state == kStateNormal) {
        button->setPicture(Immax2);
    } else if (state == kStateMaximized) {
        button->setPicture(IMus2);
    }
}

void Form1::captionButtonReleased(CaptionButton* button)
{
    button->clearPicture();
    button->Tag.clear();
}

void Form1::Immin_Click()
{
    setWindowState(Qt::WindowMinimized);
    // Hidden, only the tray icon could bring the window back.
    if (trayIconPresent)
        hide();
}

void Form1::Immax_Click()
{
    if (shellWindowState() == kStateMaximized) {
        m_restoreGlyphShown = false;
        setWindowState(Qt::WindowNoState);
        Pbottom->show();
        Pright->show();
        Immax->setToolTip(QStringLiteral("最大化"));
        Immax->setAccessibleName(QStringLiteral("最大化"));
    } else {
        setWindowState(Qt::WindowMaximized);
        Pbottom->hide();
        Pright->hide();
        m_restoreGlyphShown = true;
        paintRestoreGlyph();
        Immax->setToolTip(QStringLiteral("还原"));
        Immax->setAccessibleName(QStringLiteral("还原"));
    }
}

void Form1::Imclose_Click()
{
    // The hook is taken first: nothing that runs below may leave this window usable.
    const std::function<void()> unloadOthers = onUnloadOtherWindows;
    m_services.eVoice.speak(QString(), SpeechEngine::PurgeBeforeSpeak);
    QCoreApplication::processEvents();
    close();
    if (unloadOthers)
        unloadOthers();
}

void Form1::IMBar_MouseDown()
{
    QWindow* window = windowHandle();
    if (window && window->startSystemMove())
        return;
    // No window manager to hand the move to: follow the pointer until the release.
    m_manualMove = true;
    m_moveOffset = QCursor::pos() - pos();
}

// ---- Grips ----

void Form1::gripMoved(Grip* grip)
{
    if (grip->Tag.isEmpty())
        return;
    const QPointF topLeftTwips(pixelsToTwips(x()), pixelsToTwips(y()));
    const GripResize change = gripResize(grip->kind(), QCursor::pos(), topLeftTwips,
                                         shellWindowState() == kStateMaximized);
    if (change.width)
        resize(windowPixels(*change.width), height());
    if (change.height)
        resize(width(), windowPixels(*change.height));
}

// ---- Hover feedback ----

bool Form1::shellEvent(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    const bool mouseEvent = type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
                            type == QEvent::MouseButtonRelease ||
                            type == QEvent::MouseButtonDblClick;
    if (watched == IMBar && mouseEvent) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            IMBar_MouseDown();
        } else if (type == QEvent::MouseMove && m_manualMove) {
            if (mouse->buttons().testFlag(Qt::LeftButton))
                move(QCursor::pos() - m_moveOffset);
            else
                m_manualMove = false;
        } else if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton) {
            m_manualMove = false;
        } else if (type == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton) {
            m_manualMove = false;
            Immax_Click();
        }
        return false;
    }
    // An iconify shows as the window's exposure, which may come after its state change.
    if ((watched == this && (type == QEvent::Show || type == QEvent::Hide)) ||
        (watched == windowHandle() && type == QEvent::Expose)) {
        if (QWindow* window = windowHandle(); window && type == QEvent::Show)
            static_cast<EventHook*>(m_shellFilter.get())->watch(window);
        updateTrayItems();
        return false;
    }
    if (type == QEvent::FocusIn && watched == Imavoice) {
        speakerFocused(static_cast<QFocusEvent*>(event)->reason());
        return false;
    }
    if (type == QEvent::FocusOut && watched == Slider2 &&
        static_cast<QFocusEvent*>(event)->reason() == Qt::TabFocusReason) {
        Picture1->hide();
        return false;
    }
    if (watched == IMBar || type != QEvent::MouseMove)
        return false;
    if (watched == this)
        Form_MouseMove();
    else if (watched == Picture2)
        Picture2_MouseMove();
    else if (watched == Frame1)
        Frame1_MouseMove();
    else if (watched == Imavoice)
        Imavoice_MouseMove();
    else if (auto* label = qobject_cast<CommandLabel*>(watched); label && !label->isEnabled())
        Picture2_MouseMove(); // a disabled label is not there for the pointer
    return false;
}

void Form1::speakerFocused(Qt::FocusReason reason)
{
    // Shift+Tab from the slider lands here: go on past the speaker.
    if (reason == Qt::BacktabFocusReason && Picture1->isVisible()) {
        Picture1->hide();
        focusNextPrevChild(false);
        return;
    }
    Picture1->show();
    Slider2->setFocus(reason == Qt::BacktabFocusReason ? reason : Qt::TabFocusReason);
}

void Form1::Label2_MouseMove(int index)
{
    if (index < 0 || index >= int(Label2.size()))
        return;
    CommandLabel* label = Label2[index];
    setLabelColour(label, kLitText);
    const std::array<QRect, 4> lines = hoverFrameLines(label->geometry());
    const std::array<QWidget*, 4> widgets = {Line1, Line2, Line3, Line4};
    for (std::size_t i = 0; i < widgets.size(); ++i)
        widgets[i]->setGeometry(lines[i]);
    for (QWidget* line : widgets) {
        line->show();
        line->raise();
    }
}

void Form1::Picture2_MouseMove()
{
    knobToGreen();
    for (QWidget* line : {Line1, Line2, Line3, Line4})
        line->hide();
    for (CommandLabel* label : Label2)
        setLabelColour(label, kUnlitText);
    Picture1->hide();
}

void Form1::Label5_MouseMove()
{
    setLabelColour(Label5, kLitText);
}

void Form1::Frame1_MouseMove()
{
    setLabelColour(Label5, kUnlitText);
}

void Form1::Imavoice_MouseMove()
{
    Picture1->show();
}

void Form1::Texten_MouseMove()
{
    Picture1->hide();
}

void Form1::Form_MouseMove()
{
    for (CaptionButton* button : {Imclose, Immin, Immax}) {
        if (!button->Tag.isEmpty()) {
            button->clearPicture();
            button->Tag.clear();
        }
    }
    Picture1->hide();
}

} // namespace lirondo
