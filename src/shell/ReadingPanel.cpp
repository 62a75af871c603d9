#include "shell/ReadingPanel.h"

#include "common/VbMath.h"
#include "reading/ReadingController.h"
#include "shell/CommandLabel.h"
#include "shell/LayoutPass.h"
#include "shell/VolumePopUp.h"
#include "shell/WindowChrome.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>

namespace lirondo {

namespace {

const QColor kMagenta(255, 0, 255);
const QColor kKnobYellow(255, 255, 0);

void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

} // namespace

ReadingPanel::ReadingPanel(QWidget* window, std::function<int()> textLength)
    : QWidget(window), m_textLength(std::move(textLength))
{
    setObjectName(QStringLiteral("Picture2"));
    setAccessibleName(tr("朗读控制"));
    setGeometry(twipsRect(240, 3840, 7692, 2052));
    setMouseTracking(true);
    installEventFilter(this);
    createLocator();
    createCommandRow();
    createSettings();
    m_volumePopUp = new VolumePopUp(window);
    connect(m_volumePopUp, &VolumePopUp::volumeChanged, this, &ReadingPanel::volumeChanged);
    m_volumePopUp->raise();
    createHoverFrame();
    // The speaker stands in the tab chain for the volume slider, hidden in its pop-up.
    m_speaker->setFocusPolicy(Qt::TabFocus);
    setTabOrder(m_speaker, m_volumePopUp->focusTarget());
    // The keyboard walks the command row as it is laid out, left to right.
    setTabOrder(m_commands[0], m_commands[1]);
    setTabOrder(m_commands[1], m_commands[3]);
    setTabOrder(m_commands[3], m_commands[2]);
    setTabOrder(m_commands[2], m_commands[4]);
}

ReadingPanel::~ReadingPanel() = default;

void ReadingPanel::createLocator()
{
    m_locatorCaption = new QLabel(tr("朗读光标定位："), this);
    m_locatorCaption->setGeometry(twipsRect(0, 120, 1260, 180));
    setTextColour(m_locatorCaption, kMagenta);
    m_track = new QLabel(QStringLiteral(" "), this);
    m_track->setObjectName(QStringLiteral("Labtxtlength"));
    m_track->setAccessibleName(tr("朗读光标定位"));
    m_track->setGeometry(twipsRect(2280, 120, 2892, 60));
    m_track->setFrameShape(QFrame::Box);
    m_knob = new QPushButton(QStringLiteral(" "), this);
    m_knob->setObjectName(QStringLiteral("Cmdlength"));
    m_knob->setAccessibleName(tr("朗读光标"));
    m_knob->setGeometry(twipsRect(2280, 0, 156, 312));
    m_knob->setStyleSheet(QStringLiteral("background-color: rgb(0, 255, 0); border: none;"));
    // The knob takes every button itself: the press grabs the pointer, so the moves and
    // the release come here even outside it.
    m_knob->setMouseTracking(true);
    m_knob->installEventFilter(this);
}

void ReadingPanel::createCommandRow()
{
    // Left to right: read, stop, pause, show character, about.
    const std::array<QString, 5> captions = {tr("朗读"), tr("停止"), tr("显示精灵"), tr("暂停"),
                                             tr("关于")};
    const std::array<int, 5> lefts = {120, 1200, 3360, 2280, 5040};
    QFont font(QStringList{QStringLiteral("楷体_GB2312"), QStringLiteral("KaiTi"),
                           QStringLiteral("AR PL UKai CN")});
    font.setBold(true);
    font.setPointSize(18);
    for (int i = 0; i < 5; ++i) {
        auto* label = new CommandLabel(captions[i], i, this);
        label->setObjectName(QStringLiteral("Label2_%1").arg(i));
        label->setFont(font);
        label->adjustSize();
        label->move(twipsToPixels(lefts[i]), twipsToPixels(360));
        connect(label, &CommandLabel::clicked, this, &ReadingPanel::commandClicked);
        connect(label, &CommandLabel::pointerMoved, this, &ReadingPanel::lightCommand);
        label->installEventFilter(this);
        m_commands[i] = label;
    }
    m_commands[ReadingController::Stop]->setEnabled(false);
    m_commands[ReadingController::PauseResume]->setEnabled(false);
}

void ReadingPanel::createSettings()
{
    m_rateCaption = new QLabel(tr("朗读速度:"), this);
    m_rateCaption->setGeometry(twipsRect(0, 1080, 972, 252));
    m_voiceCaption = new QLabel(tr("语音选项:"), this);
    m_voiceCaption->setGeometry(twipsRect(0, 1560, 972, 252));
    setTextColour(m_rateCaption, kMagenta);
    setTextColour(m_voiceCaption, kMagenta);

    m_rateSlider = new QSlider(Qt::Horizontal, this);
    m_rateSlider->setObjectName(QStringLiteral("Slider1"));
    m_rateSlider->setAccessibleName(tr("朗读速度"));
    m_rateSlider->setGeometry(twipsRect(960, 840, 3132, 588));
    m_rateSlider->setRange(-10, 10);
    m_rateSlider->setValue(-1);
    m_rateSlider->setSingleStep(1);
    m_rateSlider->setPageStep(5);
    m_rateSlider->setTickInterval(1);
    m_rateSlider->setTickPosition(QSlider::TicksBelow);
    connect(m_rateSlider, &QSlider::valueChanged, this, &ReadingPanel::rateChanged);

    m_mixedCheck = new QCheckBox(tr("中英文混读"), this);
    m_mixedCheck->setObjectName(QStringLiteral("Check2"));
    m_mixedCheck->setGeometry(twipsRect(4440, 1080, 1212, 252));
    m_mixedCheck->setEnabled(false);
    setTextColour(m_mixedCheck, kMagenta);

    m_voiceList = new QComboBox(this);
    m_voiceList->setObjectName(QStringLiteral("Combo1"));
    m_voiceList->setAccessibleName(tr("语音选项"));
    m_voiceList->setGeometry(twipsRect(960, 1560, 3132, 276));
    connect(m_voiceList, &QComboBox::activated, this, &ReadingPanel::voiceChosen);

    m_loopCheck = new QCheckBox(tr("循环朗读"), this);
    m_loopCheck->setObjectName(QStringLiteral("Check1"));
    m_loopCheck->setGeometry(twipsRect(4440, 1560, 1092, 252));
    setTextColour(m_loopCheck, kMagenta);

    m_speaker = new QLabel(this);
    m_speaker->setObjectName(QStringLiteral("Imavoice"));
    m_speaker->setAccessibleName(tr("音量"));
    m_speaker->setGeometry(twipsRect(6000, 840, 264, 228));
    m_speaker->setPixmap(skinPicture("Imavoice"));
    m_speaker->setMouseTracking(true);
    m_speaker->installEventFilter(this);

    m_wordLabel = new QLabel(QStringLiteral(" "), this);
    m_wordLabel->setObjectName(QStringLiteral("Label1"));
    m_wordLabel->setAccessibleName(tr("正在朗读的词"));
    m_wordLabel->setGeometry(twipsRect(6480, 960, 852, 900));
    QFont wordFont(QStringList{QStringLiteral("宋体"), QStringLiteral("SimSun"),
                               QStringLiteral("AR PL UMing CN")});
    wordFont.setBold(true);
    wordFont.setPointSize(42);
    m_wordLabel->setFont(wordFont);
    m_wordLabel->setAutoFillBackground(true);
    QPalette wordBackground = m_wordLabel->palette();
    wordBackground.setColor(QPalette::Window, QColor(128, 255, 128));
    m_wordLabel->setPalette(wordBackground);
    m_word = m_wordLabel->text();
    m_wordFont = wordFont;
    m_wordDesignWidth = m_wordLabel->width();
}

void ReadingPanel::createHoverFrame()
{
    // The raised look: light top and left, dark bottom and right.
    const std::array<QColor, 4> colours = {QColor(255, 255, 255), QColor(255, 255, 255),
                                           QColor(0, 0, 0), QColor(0, 0, 0)};
    for (std::size_t i = 0; i < m_hoverLines.size(); ++i) {
        auto* line = new QWidget(this);
        line->setObjectName(QStringLiteral("Line%1").arg(i + 1));
        line->setAccessibleName(tr("悬停框线"));
        line->setAutoFillBackground(true);
        QPalette palette = line->palette();
        palette.setColor(QPalette::Window, colours[i]);
        line->setPalette(palette);
        line->setAttribute(Qt::WA_TransparentForMouseEvents);
        line->hide();
        m_hoverLines[i] = line;
    }
}

// ---- The locator's track and knob ----

int ReadingPanel::trackLeft() const
{
    return m_track->x();
}

int ReadingPanel::trackWidth() const
{
    return m_track->width();
}

void ReadingPanel::setKnobLeft(int left)
{
    m_knob->move(left, m_knob->y());
}

Locator::Geometry ReadingPanel::trackGeometry() const
{
    return {m_track->x(), m_track->width(), m_knob->width()};
}

void ReadingPanel::placeKnob(int offset, int length, const QString& tip)
{
    setKnobLeft(length > 0 ? vbRoundToInt(double(std::clamp(offset, 0, length)) / length *
                                              m_track->width() +
                                          m_track->x())
                           : m_track->x());
    m_knob->setToolTip(tip);
}

void ReadingPanel::clearKnobToolTip()
{
    m_knob->setToolTip(QString());
}

void ReadingPanel::setKnobColour(const QColor& colour)
{
    // Moves come in bursts; a style sheet set anew restyles the button every time.
    const QString sheet = QStringLiteral("background-color: rgb(%1, %2, %3); border: none;")
                              .arg(colour.red())
                              .arg(colour.green())
                              .arg(colour.blue());
    if (m_knob->styleSheet() != sheet)
        m_knob->setStyleSheet(sheet);
}

bool ReadingPanel::knobEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        m_locator.press();
        Q_EMIT knobPressed();
        return true;
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPointF inPanel = m_knob->mapToParent(mouse->position());
        setKnobColour(kKnobYellow);
        if (const auto left = m_locator.dragTo(vbRoundToInt(inPanel.x()), trackGeometry()))
            setKnobLeft(*left);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const int offset = m_locator.release(m_knob->x(), trackGeometry(), m_textLength());
        Q_EMIT readingStartChosen(offset, true);
        m_knob->setToolTip(QString::number(offset));
        return true;
    }
    case QEvent::KeyPress: {
        const auto left =
            Locator::keyTo(static_cast<QKeyEvent*>(event)->key(), m_knob->x(), trackGeometry());
        if (!left)
            return false;
        // As a press, a move and a release, but the focus stays on the knob for the next key.
        Q_EMIT knobPressed();
        setKnobLeft(*left);
        const int offset = Locator::offsetForKnob(*left, trackGeometry(), m_textLength());
        Q_EMIT readingStartChosen(offset, false);
        m_knob->setToolTip(QString::number(offset));
        return true;
    }
    default:
        return false;
    }
}

} // namespace lirondo
