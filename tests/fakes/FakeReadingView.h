#pragma once

#include "reading/ReadingView.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace lirondo::test {

// The text box and the reading panel as plain values; the selection clamps to the text as
// a text box does.
struct FakeReadingView : ReadingView
{
    QString text() const override { return document; }
    int textLength() const override { return int(document.size()); }
    void setSelection(int start, int length) override
    {
        selStart = std::clamp(start, 0, textLength());
        selLength = std::clamp(length, 0, textLength() - selStart);
    }
    int selectionStart() const override { return selStart; }
    QString selectedText() const override { return document.mid(selStart, selLength); }
    void setCommandEnabled(int index, bool on) override { enabled.at(std::size_t(index)) = on; }
    void setCommandCaption(int i, const QString& s) override { captions.at(std::size_t(i)) = s; }
    bool loopReading() const override { return loop; }
    bool mixedReading() const override { return mixed; }
    void setMixedReadingEnabled(bool on) override { mixedEnabled = on; }
    void addVoice(const QString& description) override { voices.append(description); }
    void setVoiceText(const QString& text) override { voiceText = text; }
    void setWordCaption(const QString& caption) override { word = caption; }
    void setVolumeCaption(const QString& caption) override { volumeCaption = caption; }
    int trackLeft() const override { return 100; }
    int trackWidth() const override { return 240; }
    void setKnobLeft(int left) override { knob = left; }

    QString document, voiceText, word, volumeCaption;
    QStringList voices;
    int selStart = 0, selLength = 0, knob = 100;
    std::array<bool, 5> enabled{true, false, true, false, true}; // as the panel starts
    std::array<QString, 5> captions;
    bool loop = false, mixed = false, mixedEnabled = false;
};

} // namespace lirondo::test
