#pragma once

#include "documents/Locator.h"
#include "documents/TextLoader.h"
#include "mail/MailSettings.h"
#include "reading/ReadingView.h"
#include "tray/TrayWindow.h"

#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
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
class AudioExportCommand;
class CaptionButton;
class Grip;
class CharacterCommand;
class CharacterLoader;
class Clock;
class IdleBehaviour;
class CommandLabel;
class CommonDialog;
class FileDialogPort;
class GbkCodePage;
class MessageBoxPort;
class ReadingController;
class ReadingShortcuts;
class SpeechEngine;
class TextenEdit;
class TrayIconPort;
class UrlOpener;
class FeedbackForm;
class ReminderWindow;
class TrayMenu;
class TrayIcon;

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

// The desktop around the main window: the notification area and the web browser.
// Without them the window runs without a tray icon and "关于" opens nothing.
struct Form1Desktop
{
    TrayIconPort* trayIcon = nullptr;
    UrlOpener* urlOpener = nullptr;
    MailSettings mail{};
};

// The main window.
class Form1 : public QWidget, private ReadingView, private TrayWindow, private TrayMenuActions
{
    Q_OBJECT
public:
    explicit Form1(const Form1Services& services, const Form1Desktop& desktop = {},
                   QWidget* parent = nullptr);
    ~Form1() override;

    ReadingController& reading() { return *m_reading; }
    // The command row `Label2`: index 0..4 (ReadingController::Command); others do nothing.
    void runCommand(int index);
    AudioExportCommand& audioExport() { return *m_audioExport; }
    // The ten-second tick: the reminder's announcement, then an idle behaviour.
    void Timer1_Timer();
    QString documentText() const;
    // A one-line notice over the foot of the text box (the sound output lost, say); an
    // empty text takes it away.
    void showNotice(const QString& text);
    // Replaces the document, as a text drop does: one step that Ctrl+Z takes back.
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
    // Reads the file off the UI thread and shows it once read whole (a large file's start
    // first); the box takes no edits meanwhile. Of loads still under way the last one asked
    // for wins; one that fails leaves the document as it was.
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
    bool Cmdlength_KeyDown(int key); // arrows, Home and End; false for other keys
    // The knob's rest colour, for the hover reset of the bare panel.
    void knobToGreen();
    bool documentLoadPending() const;
    // Sets where the next reading starts as a release of the knob does, with the knob
    // placed for that offset; the knob's tooltip shows `tip`, or else the offset.
    void setReadingStart(int offset, const QString& tip = {});
    // Files offered in the open dialog's history, newest first.
    std::function<QStringList()> openHistory;

Q_SIGNALS:
    // A file that was read whole is now the document.
    void fileShown(const QString& path);

private:
    void setUpDocuments();
    void startLoad(const QString& path, std::function<void()> onRead = {});
    void loadFailed(TextFileStatus status, qint64 size);
    void setKnobColour(const QColor& colour);
    std::unique_ptr<TextLoader> m_textLoader;
    Locator m_locator;
    QString m_loadingPath; // the last load asked for: the one a finished load shows
    // ---- end of documents ----

    // ---- Window shell: layout pass, skin, outline, caption bar, grips, hover (Form1Shell.cpp)
    // ----
public:
    // Set by the tray: the pass enables the tray menu's items by the window state (0, 1, 2).
    std::function<void(int windowState)> onTrayItemsUpdate;
    // Set by the composition root: the close button unloads the other windows through it.
    std::function<void()> onUnloadOtherWindows;
    // Set by the tray when its icon exists: only then does minimizing hide the window.
    bool trayIconPresent = false;

    // The resize pass for the current size and state, and for a given state.
    void Form_Resize();
    void layoutPass(int windowState);
    void RMe();
    int shellWindowState() const;
    const QPixmap& backingSurface() const { return m_backing; }

    void Immin_Click();
    void Immax_Click();
    void Imclose_Click();

    QWidget* IMBar = nullptr;
    CaptionButton* Immin = nullptr;
    CaptionButton* Immax = nullptr;
    CaptionButton* Imclose = nullptr;
    Grip* Pbottom = nullptr;
    Grip* Pright = nullptr;
    Grip* Pjiao = nullptr;
    QWidget* Line1 = nullptr;
    QWidget* Line2 = nullptr;
    QWidget* Line3 = nullptr;
    QWidget* Line4 = nullptr;
    QWidget* Line5 = nullptr;
    QWidget* Line6 = nullptr;

    // The hidden pictures: the skin atlas, the caption buttons' hover and pressed
    // pictures, the restore glyph and the window icon.
    QPixmap Pmain, ImMin1, ImMin2, Immax1, Immax2, ImClose1, ImClose2, IMus0, IMus1, IMus2, Imico;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setUpShell();
    void createShellControls();
    void setUpHover();
    void setUpAccessibility();
    void updateTrayItems(); // by the window's state as it is on screen
    void fitWordLabel();    // the whole word in Label1, as far as the panel's width allows
    bool shellEvent(QObject* watched, QEvent* event);
    void captionButtonMoved(CaptionButton* button);
    void captionButtonPressed(CaptionButton* button);
    void captionButtonReleased(CaptionButton* button);
    void IMBar_MouseDown();
    void gripMoved(Grip* grip);
    void paintRestoreGlyph();
    void Label2_MouseMove(int index);
    void Picture2_MouseMove();
    void Label5_MouseMove();
    void Frame1_MouseMove();
    void Imavoice_MouseMove();
    void speakerFocused(Qt::FocusReason reason);
    void Texten_MouseMove();
    void Form_MouseMove();

    QPixmap m_backing;
    QString m_word; // the word Label1 shows, whole
    QFont m_wordFont;
    int m_wordDesignWidth = 0;
    bool m_restoreGlyphShown = false;
    bool m_manualMove = false;
    QPoint m_moveOffset;
    std::unique_ptr<QObject> m_shellFilter;
    // ---- end of window shell ----

    // ---- Side windows and the tray (Form1Windows.cpp) ----
public:
    // The side windows are made on first use and made afresh after they were unloaded.
    TrayMenu* trayMenu();
    ReminderWindow* reminderWindow();
    FeedbackForm* feedbackForm() const;
    void showAbout() override; // the feedback form, not modal
    void mnuTrayClose_Click();
    // Set by the composition root: ends the program once no window is left.
    std::function<void()> onProgramEnd;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setUpWindows();
    void installTray();
    void MyAgent_Click(const QString& characterId, Qt::MouseButton button,
                       Qt::KeyboardModifiers modifiers, int x, int y);
    void endProgramIfNoWindowIsLeft();
    // TrayWindow
    int trayWindowState() const override;
    void setTrayWindowState(int state) override;
    void trayShow() override;
    void trayFocus() override;
    int trayLastState() const override;
    QIcon trayIcon() const override;
    // TrayMenuActions
    void unloadTrayMenu() override;
    void unloadForm1() override;
    void unloadReminderWindow() override;
    void readClipboard() override;
    void pauseOrResume() override;

    Form1Desktop m_desktop;
    std::unique_ptr<TrayIcon> m_trayIcon;
    QPointer<TrayMenu> m_trayMenu;
    QPointer<ReminderWindow> m_reminderWindow;
    QPointer<FeedbackForm> m_feedbackForm;
    bool m_unloaded = false;
    // ---- end of side windows ----

private:
    void createControls();
    void setUpAudioExport();
    void Form_Load();

    // ReadingView
    QString text() const override;
    int textLength() const override;
    void setSelection(int start, int length) override;
    int selectionStart() const override;
    QString selectedText() const override;
    void setCommandEnabled(int index, bool enabled) override;
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
    std::unique_ptr<CharacterCommand> m_character;
    std::unique_ptr<IdleBehaviour> m_idle;
    std::unique_ptr<ReadingShortcuts> m_shortcuts;
    AudioExportCommand* m_audioExport = nullptr;
    mutable QString m_textCache;
    mutable bool m_textCacheValid = false;
    QLabel* m_notice = nullptr;
};

} // namespace lirondo
