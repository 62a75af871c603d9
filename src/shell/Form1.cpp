#include "shell/Form1.h"

#include "assistant/Agent.h"
#include "assistant/CharacterCommand.h"
#include "assistant/CharacterLoader.h"
#include "assistant/IdleBehaviour.h"
#include "common/CommonDialog.h"
#include "common/Gbk.h"
#include "common/MessageBoxPort.h"
#include "common/VbMath.h"
#include "mail/FeedbackForm.h"
#include "reading/ReadingController.h"
#include "reading/SpeechEngine.h"
#include "reminder/ReminderWindow.h"
#include "shell/AudioExportCommand.h"
#include "shell/CommandLabel.h"
#include "shell/LayoutPass.h"
#include "shell/ReadingShortcuts.h"
#include "shell/TextenEdit.h"
#include "tray/TrayIcon.h"
#include "tray/TrayMenu.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>

namespace lirondo {

namespace {

void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

const QColor kWindowBackground(192, 255, 192);
const QColor kMagenta(255, 0, 255);

QString usageNote()
{
    return QStringLiteral(
        "Lirondo 使用说明\n"
        "\n"
        "一、需要安装的组件\n"
        "    朗读需要语音引擎和至少一种语音。本程序使用 espeak-ng 语音引擎，"
        "它自带中文（普通话）和英文语音；还需要一个声音服务（PulseAudio 或 PipeWire）。\n"
        "\n"
        "二、联系我们\n"
        "    有问题或建议，请点击下方的“关于”，在窗口里点“给我发信息”给我们写信。\n"
        "\n"
        "三、使用方法\n"
        "    1. 在这个文本框里输入或粘贴文字，或者点击“打开文本”打开一个文本文件，"
        "也可以把文本文件拖到这里。\n"
        "    2. 在“语音选项”里选择一种语音。\n"
        "    3. 点击“朗读”开始朗读，“暂停”“继续”“停止”控制朗读。\n"
        "    4. 朗读中文时，请把朗读速度调到最慢。\n"
        "    5. 同时有中文和英文语音时，勾选“中英文混读”，中文和英文会各用各的语音朗读。\n");
}

} // namespace

Form1::Form1(const Form1Services& services, const Form1Desktop& desktop, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_desktop(desktop),
      m_services(services), m_commonDialog1(std::make_unique<CommonDialog>(services.fileDialog))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Lirondo"));
    resize(vbRoundToInt(8304.0 / kTwipsPerPixel), vbRoundToInt(6120.0 / kTwipsPerPixel));
    QPalette background = palette();
    background.setColor(QPalette::Window, kWindowBackground);
    setPalette(background);
    setAutoFillBackground(true);

    createControls();
    setUpDocuments();
    setUpShell();
    m_reading = std::make_unique<ReadingController>(
        services.eVoice, static_cast<ReadingView&>(*this), services.messages, services.gbk);
    m_characterLoader = std::make_unique<CharacterLoader>(services.MyAgent, services.messages,
                                                          *m_commonDialog1, services.appDir);
    m_idle = std::make_unique<IdleBehaviour>();
    m_character = std::make_unique<CharacterCommand>(*m_characterLoader);
    connect(m_character.get(), &CharacterCommand::captionChanged, this,
            [this](const QString& caption) {
                setCommandCaption(ReadingController::ShowCharacter, caption);
            });
    connect(m_character.get(), &CharacterCommand::loaded, this, [this](AgentCharacter* character) {
        m_idle->setCharacter(character);
        m_reading->setFollowsSentences(true);
    });
    connect(m_reading.get(), &ReadingController::sentenceHeard, m_character.get(),
            &CharacterCommand::speakSentence);
    connect(m_reading.get(), &ReadingController::sentenceEnded, m_character.get(),
            &CharacterCommand::endSentence);
    setUpWindows();
    m_shortcuts = std::make_unique<ReadingShortcuts>(*this);
    setUpAudioExport();
    Form_Load();
}

void Form1::setUpAudioExport()
{
    // From the reading start to the end, or the selection, as it would be read.
    m_audioExport = new AudioExportCommand(m_services.fileDialog, m_services.messages, this);
    m_audioExport->program = m_services.appDir + QStringLiteral("/lirondo");
    m_audioExport->request = [this] {
        AudioExportRequest r;
        // While reading, the selection is the word being heard, not the user's.
        const bool selection = Texten->textCursor().hasSelection() && m_reading->isStopped();
        r.text = selection ? selectedText() : text().mid(m_reading->readingStart());
        const int item = Combo1->currentIndex();
        if (item >= 0 && item < m_reading->voiceTable().size())
            r.voiceId =
                m_services.eVoice.voices().value(m_reading->voiceTable().voiceindex.at(item)).id;
        r.rate = Slider1->value();
        r.volume = Slider2->value();
        r.mixed = Check2->isChecked();
        return r;
    };
    Texten->addContextAction(m_audioExport->action());
    addAction(m_audioExport->action());
}

Form1::~Form1()
{
    // The box emits textChanged while Qt deletes it, after this object has become a
    // bare QWidget: its handlers must not run then.
    Texten->disconnect(this);
    // The side windows are top-level windows of their own.
    delete m_reminderWindow;
    delete m_feedbackForm;
}

void Form1::createControls()
{
    Texten = new TextenEdit(this);
    Texten->setObjectName(QStringLiteral("Texten"));
    Texten->setAccessibleName(QStringLiteral("朗读文本"));
    Texten->setGeometry(twipsRect(2640, 480, 5412, 3012));
    Texten->setPlainText(usageNote()); // the design text: nothing before it to undo to
    connect(Texten, &QPlainTextEdit::textChanged, this, [this] { m_textCacheValid = false; });
    connect(Texten, &TextenEdit::documentReplaced, this, [this] {
        m_textCacheValid = false;
        // A new document reads from its start: the knob goes back to the left end.
        if (m_reading) {
            m_reading->newDocument();
            Cmdlength->setToolTip(QString());
        }
    });

    Frame1 = new QGroupBox(QStringLiteral("朗读列表"), this);
    Frame1->setGeometry(twipsRect(240, 480, 2172, 3252));
    ListView1 = new QTreeWidget(Frame1);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setAccessibleName(QStringLiteral("朗读列表"));
    ListView1->setGeometry(twipsRect(120, 720, 1932, 2412));
    ListView1->setRootIsDecorated(false);
    ListView1->setColumnCount(2);
    Label5 = new CommandLabel(QStringLiteral("打开文本"), 0, Frame1);
    Label5->setGeometry(twipsRect(960, 240, 1152, 276));

    Picture2 = new QWidget(this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setGeometry(twipsRect(240, 3840, 7692, 2052));
    Picture2->setMouseTracking(true);

    Label6 = new QLabel(QStringLiteral("朗读光标定位："), Picture2);
    Label6->setGeometry(twipsRect(0, 120, 1260, 180));
    setTextColour(Label6, kMagenta);
    Labtxtlength = new QLabel(QStringLiteral(" "), Picture2);
    Labtxtlength->setGeometry(twipsRect(2280, 120, 2892, 60));
    Labtxtlength->setFrameShape(QFrame::Box);
    Cmdlength = new QPushButton(QStringLiteral(" "), Picture2);
    Cmdlength->setObjectName(QStringLiteral("Cmdlength"));
    Cmdlength->setAccessibleName(QStringLiteral("朗读光标"));
    Cmdlength->setGeometry(twipsRect(2280, 0, 156, 312));
    Cmdlength->setStyleSheet(QStringLiteral("background-color: rgb(0, 255, 0); border: none;"));

    // Left to right: read, stop, pause, show character, about.
    const std::array<QString, 5> captions = {QStringLiteral("朗读"), QStringLiteral("停止"),
                                             QStringLiteral("显示精灵"), QStringLiteral("暂停"),
                                             QStringLiteral("关于")};
    const std::array<int, 5> lefts = {120, 1200, 3360, 2280, 5040};
    for (int i = 0; i < 5; ++i) {
        Label2[i] = new CommandLabel(captions[i], i, Picture2);
        QFont font(QStringList{QStringLiteral("楷体_GB2312"), QStringLiteral("KaiTi"),
                               QStringLiteral("AR PL UKai CN")});
        font.setBold(true);
        font.setPointSize(18);
        Label2[i]->setFont(font);
        Label2[i]->adjustSize();
        Label2[i]->move(twipsToPixels(lefts[i]), twipsToPixels(360));
        connect(Label2[i], &CommandLabel::clicked, this, &Form1::runCommand);
    }
    Label2[1]->setEnabled(false);
    Label2[3]->setEnabled(false);

    Label3[1] = new QLabel(QStringLiteral("朗读速度:"), Picture2);
    Label3[1]->setGeometry(twipsRect(0, 1080, 972, 252));
    Label3[0] = new QLabel(QStringLiteral("语音选项:"), Picture2);
    Label3[0]->setGeometry(twipsRect(0, 1560, 972, 252));
    for (QLabel* label : Label3)
        setTextColour(label, kMagenta);

    Slider1 = new QSlider(Qt::Horizontal, Picture2);
    Slider1->setAccessibleName(QStringLiteral("朗读速度"));
    Slider1->setGeometry(twipsRect(960, 840, 3132, 588));
    Slider1->setRange(-10, 10);
    Slider1->setValue(-1);
    Slider1->setSingleStep(1);
    Slider1->setPageStep(5);
    Slider1->setTickInterval(1);
    Slider1->setTickPosition(QSlider::TicksBelow);
    connect(Slider1, &QSlider::valueChanged, this,
            [this](int value) { m_reading->setRate(value); });

    Check2 = new QCheckBox(QStringLiteral("中英文混读"), Picture2);
    Check2->setGeometry(twipsRect(4440, 1080, 1212, 252));
    Check2->setEnabled(false);
    setTextColour(Check2, kMagenta);

    Combo1 = new QComboBox(Picture2);
    Combo1->setAccessibleName(QStringLiteral("语音选项"));
    Combo1->setGeometry(twipsRect(960, 1560, 3132, 276));
    connect(Combo1, &QComboBox::activated, this,
            [this](int index) { m_reading->chooseVoice(index); });

    Check1 = new QCheckBox(QStringLiteral("循环朗读"), Picture2);
    Check1->setGeometry(twipsRect(4440, 1560, 1092, 252));
    setTextColour(Check1, kMagenta);

    Imavoice = new QLabel(Picture2);
    Imavoice->setAccessibleName(QStringLiteral("音量"));
    Imavoice->setGeometry(twipsRect(6000, 840, 264, 228));

    Label1 = new QLabel(QStringLiteral(" "), Picture2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twipsRect(6480, 960, 852, 900));
    QFont wordFont(QStringList{QStringLiteral("宋体"), QStringLiteral("SimSun"),
                               QStringLiteral("AR PL UMing CN")});
    wordFont.setBold(true);
    wordFont.setPointSize(42);
    Label1->setFont(wordFont);
    Label1->setAutoFillBackground(true);
    QPalette wordBackground = Label1->palette();
    wordBackground.setColor(QPalette::Window, QColor(128, 255, 128));
    Label1->setPalette(wordBackground);

    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(twipsRect(6120, 3360, 1092, 1572));
    Picture1->setAutoFillBackground(true);
    Label4 = new QLabel(QStringLiteral("音量："), Picture1);
    Label4->setGeometry(twipsRect(120, 0, 972, 252));
    Slider2 = new QSlider(Qt::Vertical, Picture1);
    Slider2->setAccessibleName(QStringLiteral("音量"));
    Slider2->setGeometry(twipsRect(120, 360, 672, 1212));
    Slider2->setRange(0, 100);
    Slider2->setValue(100);
    Slider2->setSingleStep(1);
    Slider2->setPageStep(5);
    Slider2->setTickInterval(20);
    Slider2->setTickPosition(QSlider::TicksBothSides);
    connect(Slider2, &QSlider::valueChanged, this,
            [this](int value) { m_reading->setVolume(value); });
    Picture1->raise();

    Timer1 = new QTimer(this);
    Timer1->setInterval(10000);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
}

void Form1::runCommand(int index)
{
    switch (index) {
    case ReadingController::Read:
        m_reading->read();
        break;
    case ReadingController::Stop:
        m_reading->stop();
        break;
    case ReadingController::ShowCharacter:
        m_character->showOrHide();
        break;
    case ReadingController::PauseResume:
        m_reading->pauseOrResume();
        break;
    case ReadingController::About:
        showAbout();
        break;
    default:
        break;
    }
}

void Form1::Form_Load()
{
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Lirondo"));

    // The reading list: file name over two thirds of the list's width, path over all of it.
    const int listWidth = ListView1->width();
    ListView1->setHeaderLabels({QStringLiteral("文件名"), QStringLiteral("路径")});
    ListView1->header()->setStretchLastSection(false);
    ListView1->setColumnWidth(0, vbRoundToInt(2.0 * listWidth) / 3);
    ListView1->setColumnWidth(1, listWidth);

    if (!m_reading->setUpVoices()) {
        m_services.messages.info(QStringLiteral("发生错误，可能你还未安装语音引擎"));
        Timer1->start();
        return;
    }
    LastState = windowState().testFlag(Qt::WindowMinimized)
                    ? 0
                    : (windowState().testFlag(Qt::WindowMaximized) ? 2 : 0);
    installTray();
    Timer1->start();
}

void Form1::Timer1_Timer()
{
    // Reading the reminder's state brings its window into being, hidden.
    if (ReminderWindow* reminder = reminderWindow(); reminder->isDue()) {
        m_reading->interruptForAnnouncement();
        reminder->announce();
    }
    m_idle->tick();
}

void Form1::showNotice(const QString& text)
{
    if (!m_notice) {
        m_notice = new QLabel(Texten);
        m_notice->setObjectName(QStringLiteral("notice"));
        m_notice->setAccessibleName(QStringLiteral("提示"));
        m_notice->setAutoFillBackground(true);
        m_notice->setStyleSheet(
            QStringLiteral("background: #fff3c0; color: #5a3c00; padding: 2px;"));
        m_notice->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    m_notice->setText(text);
    const int height = m_notice->sizeHint().height();
    // Over the foot of the text, clear of the scroll bar.
    const QRect box = Texten->viewport()->geometry();
    m_notice->setGeometry(box.left(), box.bottom() + 1 - height, box.width(), height);
    m_notice->setVisible(!text.isEmpty());
}

QString Form1::documentText() const
{
    return text();
}

QString Form1::text() const
{
    // Taken from the box when asked for, not on every load: a large document is not held
    // twice while nobody reads it.
    if (!m_textCacheValid) {
        m_textCache = Texten->toPlainText();
        m_textCacheValid = true;
    }
    return m_textCache;
}

int Form1::textLength() const
{
    return Texten->document()->characterCount() - 1;
}

void Form1::setSelection(int start, int length)
{
    const int size = textLength();
    const int from = std::clamp(start, 0, size);
    const int to =
        std::clamp(static_cast<int>(std::min<qint64>(qint64(from) + length, size)), from, size);
    QTextCursor cursor = Texten->textCursor();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    Texten->setTextCursor(cursor);
}

int Form1::selectionStart() const
{
    return Texten->textCursor().selectionStart();
}

QString Form1::selectedText() const
{
    // As toPlainText() has them: the box keeps line breaks as separators.
    QString selected = Texten->textCursor().selectedText();
    for (QChar& c : selected) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
    }
    return selected;
}

void Form1::setCommandEnabled(int index, bool enabled)
{
    if (index >= 0 && index < 5)
        Label2[index]->setEnabled(enabled);
}

void Form1::setCommandCaption(int index, const QString& caption)
{
    if (index < 0 || index >= 5)
        return;
    Label2[index]->setText(caption);
    Label2[index]->setAccessibleName(caption);
    Label2[index]->adjustSize();
}

bool Form1::loopReading() const
{
    return Check1->isChecked();
}

bool Form1::mixedReading() const
{
    return Check2->isChecked();
}

void Form1::setMixedReadingEnabled(bool enabled)
{
    Check2->setEnabled(enabled);
}

void Form1::addVoice(const QString& description)
{
    Combo1->addItem(description);
    // Until a voice is chosen the list shows no text.
    if (Combo1->count() == 1)
        Combo1->setCurrentIndex(-1);
}

void Form1::setVoiceText(const QString& text)
{
    const int index = Combo1->findText(text);
    if (index >= 0)
        Combo1->setCurrentIndex(index);
}

void Form1::setWordCaption(const QString& caption)
{
    m_word = caption;
    Label1->setAccessibleDescription(caption);
    fitWordLabel();
}

void Form1::setVolumeCaption(const QString& caption)
{
    Label4->setText(caption);
}

int Form1::trackLeft() const
{
    return Labtxtlength->x();
}

int Form1::trackWidth() const
{
    return Labtxtlength->width();
}

void Form1::setKnobLeft(int left)
{
    Cmdlength->move(left, Cmdlength->y());
}

} // namespace lirondo
