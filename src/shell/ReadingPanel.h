#pragma once

#include "documents/Locator.h"

#include <QFont>
#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace lirondo {

class CommandLabel;
class VolumePopUp;

// The bottom panel (the form's `Picture2`): the command row, the rate slider, the voice
// list, the loop and mixed boxes, the word being read, the reading-position locator and,
// over the speaker icon, the volume pop-up. The view half of what the reading needs
// (ReadingView); what the user does here it reports by signals.
class ReadingPanel : public QWidget
{
    Q_OBJECT
public:
    // The volume pop-up goes onto `window`; `textLength` is the document's length, for
    // the locator.
    ReadingPanel(QWidget* window, std::function<int()> textLength);
    ~ReadingPanel() override;

    // The command row, indexes 0 to 4 (ReadingController's commands).
    bool commandEnabled(int index) const;
    void setCommandEnabled(int index, bool enabled);
    void setCommandCaption(int index, const QString& caption);
    void setCommandToolTip(int index, const QString& tip);

    bool loopReading() const;
    void setLoopReading(bool on);
    bool mixedReading() const;
    void setMixedReading(bool on);
    bool mixedReadingEnabled() const;
    void setMixedReadingEnabled(bool enabled);

    void addVoice(const QString& description);
    void setVoiceText(const QString& text);
    int voiceIndex() const;
    void chooseVoice(int index); // as a pick from the list does

    int rate() const;
    void setRate(int rate);
    int volume() const;
    void setVolume(int volume);
    void setRateToolTip(const QString& tip);
    void setVolumeToolTip(const QString& tip);
    void setVolumeCaption(const QString& caption);

    // The word being spoken, fitted whole into the panel's width as far as it goes.
    void setWordCaption(const QString& caption);
    void fitWord();

    // The locator, in panel pixels.
    int trackLeft() const;
    int trackWidth() const;
    void setKnobLeft(int left);
    // The knob where `offset` of a text of `length` stands, with `tip` as its tooltip.
    void placeKnob(int offset, int length, const QString& tip);
    void clearKnobToolTip();

    // The layout pass: the speaker's top, and the pop-up's top in the window.
    int speakerTop() const;
    void moveVolumePopUp(int top);
    void hideVolumePopUp();

Q_SIGNALS:
    void commandClicked(int index);
    void commandEnabledChanged(int index, bool enabled);
    void rateChanged(int rate);
    void voiceChosen(int index);
    void volumeChanged(int volume);
    // The knob was pressed (or moved by a key): the reading stops.
    void knobPressed();
    // The knob was let go (`released`) or moved by a key at this reading start.
    void readingStartChosen(int offset, bool released);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createCommandRow();
    void createSettings();
    void createLocator();
    void createHoverFrame();
    bool knobEvent(QEvent* event);
    void setKnobColour(const QColor& colour);
    Locator::Geometry trackGeometry() const;
    void lightCommand(int index);
    void clearHover(); // the form's `Picture2_MouseMove`
    void speakerFocused(Qt::FocusReason reason);

    std::function<int()> m_textLength;
    std::array<CommandLabel*, 5> m_commands{}; // Label2
    QLabel* m_rateCaption = nullptr;           // Label3(1)
    QLabel* m_voiceCaption = nullptr;          // Label3(0)
    QSlider* m_rateSlider = nullptr;           // Slider1
    QCheckBox* m_mixedCheck = nullptr;         // Check2
    QComboBox* m_voiceList = nullptr;          // Combo1
    QCheckBox* m_loopCheck = nullptr;          // Check1
    QLabel* m_speaker = nullptr;               // Imavoice
    QLabel* m_wordLabel = nullptr;             // Label1
    QLabel* m_locatorCaption = nullptr;        // Label6
    QLabel* m_track = nullptr;                 // Labtxtlength
    QPushButton* m_knob = nullptr;             // Cmdlength
    std::array<QWidget*, 4> m_hoverLines{};    // Line1 to Line4
    VolumePopUp* m_volumePopUp = nullptr;      // Picture1
    Locator m_locator;
    QString m_word; // the word the label shows, whole
    QFont m_wordFont;
    int m_wordDesignWidth = 0;
};

} // namespace lirondo
