#pragma once

#include "reading/ReadingView.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace lirondo::test {

// The window's controls as plain values; the selection clamps to the text as a text box
// does.
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
    void setCommandCaption(int index, const QString& caption) override
    {
        captions.at(std::size_t(index)) = caption;
    }
    bool loopReading() const override { return loop; }
    bool mixedReading() const override { return mixed; }
    void setMixedReadingEnabled(bool on) override { mixedEnabled = on; }
    void addVoice(const QString& description) override { voices.append(description); }
    void setVoiceText(const QString& text) override { voiceText = text; }
    void setWordCaption(const QString& caption) override { word = caption; }
    void setVolumeCaption(const QString& caption) override { volumeCaption = caption; }
    int trackLeft() const override { return track.first; }
    int trackWidth() const override { return track.second; }
    void setKnobLeft(int left) override { knob = left; }

    // Read, stop and pause enabled, as "011".
    QString commandRow() const
    {
        QString row;
        for (std::size_t i : {0, 1, 3})
            row += enabled.at(i) ? u'1' : u'0';
        return row;
    }

    QString document;
    int selStart = 0;
    int selLength = 0;
    std::array<bool, 5> enabled{true, false, true, false, true};
    std::array<QString, 5> captions{QStringLiteral("朗读"), QStringLiteral("停止"),
                                    QStringLiteral("显示精灵"), QStringLiteral("暂停"),
                                    QStringLiteral("关于")};
    bool loop = false;
    bool mixed = false;
    bool mixedEnabled = false;
    QStringList voices;
    QString voiceText;
    QString word;
    QString volumeCaption;
    std::pair<int, int> track{152, 192};
    int knob = 152;
};

} // namespace lirondo::test
