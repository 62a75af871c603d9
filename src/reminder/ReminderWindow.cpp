#include "reminder/ReminderWindow.h"

#include "assistant/Agent.h"
#include "common/MessageBoxPort.h"
#include "common/VbMath.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace lirondo {

namespace {

void placeTwips(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                        twipsToPixels(height));
}

} // namespace

ReminderWindow::ReminderWindow(const Clock& clock, MessageBoxPort& messages, SpeechEngine& engine,
                               std::function<AgentCharacter*()> character, QWidget* parent)
    : QWidget(parent, Qt::Window), m_messages(messages), m_engine(engine),
      m_character(std::move(character)), m_reminder(clock)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("添加计划"));
    setFixedSize(twipsToPixels(4536), twipsToPixels(4464));

    noteLabel =
        new QLabel(QStringLiteral("这是一个定时提醒的功能，在文本框里填入要提醒的内容，同时选定的"
                                  "时间则到了设定的时间，程序就会提醒你。"),
                   this);
    noteLabel->setWordWrap(true);
    noteLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeTwips(noteLabel, 0, 240, 4332, 732);

    messageEdit = new QPlainTextEdit(this);
    messageEdit->setPlainText(QStringLiteral(" "));
    placeTwips(messageEdit, 120, 960, 2772, 3372);

    clockLabel = new QLabel(QStringLiteral(" "), this);
    placeTwips(clockLabel, 3120, 1080, 1212, 372);

    formatLabel = new QLabel(QStringLiteral("填入如同    00：00：00    格式的时间 "), this);
    formatLabel->setWordWrap(true);
    formatLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeTwips(formatLabel, 3120, 1560, 1212, 612);

    timeEdit = new QLineEdit(QStringLiteral(" 00:00:00"), this);
    placeTwips(timeEdit, 3000, 2280, 1212, 264);

    cancelButton = new QPushButton(QStringLiteral("取消"), this);
    placeTwips(cancelButton, 3000, 2880, 1332, 612);

    confirmButton = new QPushButton(QStringLiteral(" 确定"), this);
    placeTwips(confirmButton, 3000, 3600, 1332, 612);

    // The design's captions carry blanks and the fields have none: say what each is.
    messageEdit->setAccessibleName(QStringLiteral("提醒内容"));
    timeEdit->setAccessibleName(QStringLiteral("提醒时间"));
    timeEdit->setAccessibleDescription(formatLabel->text().simplified());
    confirmButton->setAccessibleName(confirmButton->text().trimmed());

    connect(confirmButton, &QPushButton::clicked, this, &ReminderWindow::confirm);
    connect(cancelButton, &QPushButton::clicked, this, &ReminderWindow::cancel);

    clockTimer = new QTimer(this);
    clockTimer->setInterval(1000);
    connect(clockTimer, &QTimer::timeout, this, &ReminderWindow::tick);
    clockTimer->start();
}

ReminderWindow::~ReminderWindow() = default;

void ReminderWindow::announce()
{
    Reminder::announce(messageEdit->toPlainText(), m_character ? m_character() : nullptr, m_engine);
}

void ReminderWindow::showAndAttend()
{
    m_reminder.attend();
    show();
    raise();
    activateWindow();
}

void ReminderWindow::confirm()
{
    if (Reminder::isBlankMessage(messageEdit->toPlainText())) {
        m_messages.info(QStringLiteral("消息不能为空"));
        messageEdit->setFocus();
        return;
    }
    const std::optional<QTime> time = Reminder::parseTime(timeEdit->text());
    if (!time) {
        m_messages.info(QStringLiteral("时间格式不对"));
        return;
    }
    // The box shows the time as the clock writes it, which is the time that fires.
    timeEdit->setText(Reminder::clockText(*time));
    // Armed before the box is answered, so a time that comes while it is open
    // still fires.
    m_reminder.arm(*time);
    m_messages.info(QStringLiteral("设置成功！"));
    if (AgentCharacter* shown = m_character ? m_character() : nullptr)
        shown->Hide();
    hide();
}

void ReminderWindow::cancel()
{
    close();
}

void ReminderWindow::tick()
{
    clockLabel->setText(m_reminder.tick());
}

void ReminderWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (m_unloaded)
        return;
    m_unloaded = true;
    clockTimer->stop();
    m_reminder.discard();
    Q_EMIT unloaded();
}

} // namespace lirondo
