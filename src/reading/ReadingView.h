#pragma once

#include <QString>

namespace lirondo {

// What the reading commands and the engine-event handlers need of the main
// window's controls. The main window implements it with its widgets.
class ReadingView
{
public:
    virtual ~ReadingView() = default;

    // `Texten`. Offsets and lengths in UTF-16 code units; setters clamp to the text
    // as a text box does.
    virtual QString text() const = 0;
    virtual int textLength() const = 0;
    virtual void setSelection(int start, int length) = 0;
    virtual int selectionStart() const = 0;
    virtual QString selectedText() const = 0;

    // The command row `Label2`, indexes 0 to 4.
    virtual void setCommandEnabled(int index, bool enabled) = 0;
    virtual void setCommandCaption(int index, const QString& caption) = 0;

    virtual bool loopReading() const = 0;  // `Check1` ticked
    virtual bool mixedReading() const = 0; // `Check2` ticked
    virtual void setMixedReadingEnabled(bool enabled) = 0;

    // `Combo1`.
    virtual void addVoice(const QString& description) = 0;
    virtual void setVoiceText(const QString& text) = 0;

    // `Label1`, the word being spoken; `Label4`, the volume caption.
    virtual void setWordCaption(const QString& caption) = 0;
    virtual void setVolumeCaption(const QString& caption) = 0;

    // The locator: track `Labtxtlength` and knob `Cmdlength`, panel pixels.
    virtual int trackLeft() const = 0;
    virtual int trackWidth() const = 0;
    virtual void setKnobLeft(int left) = 0;
};

} // namespace lirondo
