#pragma once

#include "documents/Locator.h"
#include "documents/TextLoader.h"
#include "reading/ReadingView.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QColor;
class QComboBox;
class QGroupBox;
class QLabel;
class QPoint;
class QPushButton;
class QSlider;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace lirondo {

class AgentService;
class CharacterLoader;
class Clock;
class IdleBehaviour;
class CommandLabel;
class CommonDialog;
class FileDialogPort;
class GbkCodePage;
class MessageBoxPort;
class ReadingController;
class SpeechEngine;
class TextenEdit;

// What the composition root hands the main window.
struct Form1Services
{
    SpeechEngine& eVoice;
    MessageBoxPort& messages;
    FileDialogPort& fileDialog;
    AgentService& MyAgent;
    const Clock& clock;
    const GbkCodePage& gbk;
    QString appDir; // the program's own directory
};

// The main window.
class Form1 : public QWidget, private ReadingView
{
    Q_OBJECT
public:
    explicit Form1(const Form1Services& services, QWidget* parent = nullptr);
    ~Form1() override;

    ReadingController& reading() { return *m_reading; }
    QString documentText() const;
    void setDocumentText(const QString& text);

    int LastState = 0;

    // Controls, by their design names.
    TextenEdit* Texten = nullptr;
    QGroupBox* Frame1 = nullptr;
    QTreeWidget* ListView1 = nullptr;
    CommandLabel* Label5 = nullptr;
    QWidget* Picture2 = nullptr;
    std::array<CommandLabel*, 5> Label2{};
    std::array<QLabel*, 2> Label3{};
    QComboBox* Combo1 = nullptr;
    QSlider* Slider1 = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Labtxtlength = nullptr;
    QPushButton* Cmdlength = nullptr;
    QLabel* Imavoice = nullptr;
    QWidget* Picture1 = nullptr;
    QSlider* Slider2 = nullptr;
    QLabel* Label4 = nullptr;
    QTimer* Timer1 = nullptr;

    // ---- Documents: text loading, the reading list, the locator (Form1Documents.cpp) ----
public:
    // Empties the document, reads the file off the UI thread and shows it when read; of
    // loads still under way the last one asked for wins.
    void LoadTextFile(const QString& path);
    void AddToReadingList(const QString& path);
    void Label5_Click(); // the open command "打开文本"
    // A drop onto Texten; the command line hands its files to Texten_FilesDropped too.
    void Texten_TextDropped(const QString& text);
    void Texten_FilesDropped(const QStringList& paths);
    void ListView1_ItemClick(QTreeWidgetItem* item);
    void ListView1_RightPress(const QPoint& viewportPos);
    void ListView1_FilesDropped(const QStringList& paths);
    void Cmdlength_MouseDown();
    void Cmdlength_MouseMove(int pointerX); // pointer x in Picture2's pixels
    void Cmdlength_MouseUp();
    // The knob's rest colour, for the hover reset of the bare panel.
    void knobToGreen();
    bool documentLoadPending() const;

private:
    void setUpDocuments();
    void setKnobColour(const QColor& colour);
    std::unique_ptr<TextLoader> m_textLoader;
    Locator m_locator;
    // ---- end of documents ----

private:
    void createControls();
    void Form_Load();
    void Timer1_Timer();

    // ReadingView
    QString text() const override;
    int textLength() const override;
    void setSelection(int start, int length) override;
    int selectionStart() const override;
    QString selectedText() const override;
    void setCommandEnabled(int index, bool enabled) override;
    bool commandEnabled(int index) const override;
    void setCommandCaption(int index, const QString& caption) override;
    bool loopReading() const override;
    bool mixedReading() const override;
    void setMixedReadingEnabled(bool enabled) override;
    void addVoice(const QString& description) override;
    void setVoiceText(const QString& text) override;
    void setWordCaption(const QString& caption) override;
    void setVolumeCaption(const QString& caption) override;
    int trackLeft() const override;
    int trackWidth() const override;
    void setKnobLeft(int left) override;

    Form1Services m_services;
    std::unique_ptr<CommonDialog> m_commonDialog1;
    std::unique_ptr<ReadingController> m_reading;
    std::unique_ptr<CharacterLoader> m_characterLoader;
    std::unique_ptr<IdleBehaviour> m_idle;
    mutable QString m_textCache;
    mutable bool m_textCacheValid = false;
};

} // namespace lirondo
