#pragma once

#include "reading/ReadingView.h"
#include "shell/DocumentPanel.h"
#include "shell/ReadingPanel.h"

namespace lirondo {

// What the reading needs of the window, joined from its two halves: the text of the
// document panel and the controls of the reading panel.
class PanelReadingView : public ReadingView
{
public:
    PanelReadingView(DocumentPanel& document, ReadingPanel& panel)
        : m_document(document), m_panel(panel)
    {}

    QString text() const override { return m_document.text(); }
    int textLength() const override { return m_document.textLength(); }
    void setSelection(int start, int length) override { m_document.setSelection(start, length); }
    int selectionStart() const override { return m_document.selectionStart(); }
    QString selectedText() const override { return m_document.selectedText(); }

    void setCommandEnabled(int index, bool enabled) override
    {
        m_panel.setCommandEnabled(index, enabled);
    }
    void setCommandCaption(int index, const QString& caption) override
    {
        m_panel.setCommandCaption(index, caption);
    }
    bool loopReading() const override { return m_panel.loopReading(); }
    bool mixedReading() const override { return m_panel.mixedReading(); }
    void setMixedReadingEnabled(bool enabled) override { m_panel.setMixedReadingEnabled(enabled); }
    void addVoice(const QString& description) override { m_panel.addVoice(description); }
    void setVoiceText(const QString& text) override { m_panel.setVoiceText(text); }
    void setWordCaption(const QString& caption) override { m_panel.setWordCaption(caption); }
    void setVolumeCaption(const QString& caption) override { m_panel.setVolumeCaption(caption); }
    int trackLeft() const override { return m_panel.trackLeft(); }
    int trackWidth() const override { return m_panel.trackWidth(); }
    void setKnobLeft(int left) override { m_panel.setKnobLeft(left); }

private:
    DocumentPanel& m_document;
    ReadingPanel& m_panel;
};

} // namespace lirondo
