// The reading panel's state as the reading and the session see it, and its hover
// feedback.

#include "common/VbMath.h"
#include "shell/CommandLabel.h"
#include "shell/HoverFrame.h"
#include "shell/ReadingPanel.h"
#include "shell/VolumePopUp.h"
#include "shell/WordFit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>

namespace lirondo {

namespace {

const QColor kLitText(0, 0, 255);
const QColor kUnlitText(0, 0, 0);

// Disabled text keeps its greyed look: only the normal colour groups change.
void setLabelColour(QWidget* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, colour);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    label->setPalette(palette);
}

bool validCommand(int index)
{
    return index >= 0 && index < 5;
}

} // namespace

bool ReadingPanel::commandEnabled(int index) const
{
    return validCommand(index) && m_commands[index]->isEnabled();
}

void ReadingPanel::setCommandEnabled(int index, bool enabled)
{
    if (!validCommand(index))
        return;
    m_commands[index]->setEnabled(enabled);
    Q_EMIT commandEnabledChanged(index, enabled);
}

void ReadingPanel::setCommandCaption(int index, const QString& caption)
{
    if (!validCommand(index))
        return;
    m_commands[index]->setText(caption);
    m_commands[index]->setAccessibleName(caption);
    m_commands[index]->adjustSize();
}

void ReadingPanel::setCommandToolTip(int index, const QString& tip)
{
    if (validCommand(index))
        m_commands[index]->setToolTip(tip);
}

bool ReadingPanel::loopReading() const
{
    return m_loopCheck->isChecked();
}

void ReadingPanel::setLoopReading(bool on)
{
    m_loopCheck->setChecked(on);
}

bool ReadingPanel::mixedReading() const
{
    return m_mixedCheck->isChecked();
}

void ReadingPanel::setMixedReading(bool on)
{
    m_mixedCheck->setChecked(on);
}

bool ReadingPanel::mixedReadingEnabled() const
{
    return m_mixedCheck->isEnabled();
}

void ReadingPanel::setMixedReadingEnabled(bool enabled)
{
    m_mixedCheck->setEnabled(enabled);
}

void ReadingPanel::addVoice(const QString& description)
{
    m_voiceList->addItem(description);
    // Until a voice is chosen the list shows no text.
    if (m_voiceList->count() == 1)
        m_voiceList->setCurrentIndex(-1);
}

void ReadingPanel::setVoiceText(const QString& text)
{
    const int index = m_voiceList->findText(text);
    if (index >= 0)
        m_voiceList->setCurrentIndex(index);
}

int ReadingPanel::voiceIndex() const
{
    return m_voiceList->currentIndex();
}

void ReadingPanel::chooseVoice(int index)
{
    if (index < 0 || index >= m_voiceList->count())
        return;
    m_voiceList->setCurrentIndex(index);
    Q_EMIT voiceChosen(index);
}

int ReadingPanel::rate() const
{
    return m_rateSlider->value();
}

void ReadingPanel::setRate(int rate)
{
    m_rateSlider->setValue(rate);
}

int ReadingPanel::volume() const
{
    return m_volumePopUp->volume();
}

void ReadingPanel::setVolume(int volume)
{
    m_volumePopUp->setVolume(volume);
}

void ReadingPanel::setRateToolTip(const QString& tip)
{
    m_rateSlider->setToolTip(tip);
}

void ReadingPanel::setVolumeToolTip(const QString& tip)
{
    m_volumePopUp->setSliderToolTip(tip);
    m_speaker->setToolTip(tip);
}

void ReadingPanel::setVolumeCaption(const QString& caption)
{
    m_volumePopUp->setCaption(caption);
}

void ReadingPanel::setWordCaption(const QString& caption)
{
    m_word = caption;
    m_wordLabel->setAccessibleDescription(caption);
    fitWord();
}

void ReadingPanel::fitWord()
{
    constexpr int kRightMargin = 4;
    const WordFit fit = lirondo::fitWord(m_word, m_wordFont, m_wordDesignWidth,
                                         width() - m_wordLabel->x() - kRightMargin);
    QFont font = m_wordFont;
    font.setPointSize(fit.pointSize);
    m_wordLabel->setFont(font);
    m_wordLabel->setText(fit.text);
    m_wordLabel->resize(fit.width, m_wordLabel->height());
}

int ReadingPanel::speakerTop() const
{
    return m_speaker->y();
}

void ReadingPanel::moveVolumePopUp(int top)
{
    m_volumePopUp->move(m_volumePopUp->x(), top);
}

void ReadingPanel::hideVolumePopUp()
{
    m_volumePopUp->hide();
}

bool ReadingPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_knob)
        return knobEvent(event);
    if (watched == m_speaker && event->type() == QEvent::FocusIn) {
        speakerFocused(static_cast<QFocusEvent*>(event)->reason());
        return false;
    }
    if (event->type() != QEvent::MouseMove)
        return false;
    if (watched == this)
        clearHover();
    else if (watched == m_speaker)
        m_volumePopUp->show();
    else if (auto* label = qobject_cast<CommandLabel*>(watched); label && !label->isEnabled())
        clearHover(); // a disabled label is not there for the pointer
    return false;
}

void ReadingPanel::speakerFocused(Qt::FocusReason reason)
{
    // Shift+Tab from the slider lands here: go on past the speaker.
    if (reason == Qt::BacktabFocusReason && m_volumePopUp->isVisible()) {
        m_volumePopUp->hide();
        focusNextPrevChild(false);
        return;
    }
    m_volumePopUp->show();
    m_volumePopUp->focusSlider(reason == Qt::BacktabFocusReason ? reason : Qt::TabFocusReason);
}

void ReadingPanel::lightCommand(int index)
{
    if (!validCommand(index))
        return;
    CommandLabel* label = m_commands[index];
    setLabelColour(label, kLitText);
    const std::array<QRect, 4> lines = hoverFrameLines(label->geometry());
    for (std::size_t i = 0; i < m_hoverLines.size(); ++i)
        m_hoverLines[i]->setGeometry(lines[i]);
    for (QWidget* line : m_hoverLines) {
        line->show();
        line->raise();
    }
}

void ReadingPanel::clearHover()
{
    setKnobColour(QColor(0, 255, 0)); // the knob's rest colour
    for (QWidget* line : m_hoverLines)
        line->hide();
    for (CommandLabel* label : m_commands)
        setLabelColour(label, kUnlitText);
    m_volumePopUp->hide();
}

} // namespace lirondo
