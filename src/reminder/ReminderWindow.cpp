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
    setWindowTitle(tr("添加计划"));
    setFixedSize(twipsToPixels(4536), twipsToPixels(4464));

    m_noteLabel = new QLabel(tr("这是一个定时提醒的功能，在文本框里填入要提醒的内容，同时选定的"
                                "时间则到了设定的时间，程序就会提醒你。"),
                             this);
    m_noteLabel->setWordWrap(true);
    m_noteLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeTwips(m_noteLabel, 0, 240, 4332, 732);

    m_messageEdit = new QPlainTextEdit(this);
    m_messageEdit->setObjectName(QStringLiteral("messageEdit"));
    m_messageEdit->setPlainText(QStringLiteral(" "));
    placeTwips(m_messageEdit, 120, 960, 2772, 3372);

    m_clockLabel = new QLabel(QStringLiteral(" "), this);
    placeTwips(m_clockLabel, 3120, 1080, 1212, 372);

    m_formatLabel = new QLabel(tr("填入如同    00：00：00    格式的时间 "), this);
    m_formatLabel->setWordWrap(true);
    m_formatLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeTwips(m_formatLabel, 3120, 1560, 1212, 612);

    m_timeEdit = new QLineEdit(QStringLiteral(" 00:00:00"), this);
    m_timeEdit->setObjectName(QStringLiteral("timeEdit"));
    placeTwips(m_timeEdit, 3000, 2280, 1212, 264);

    m_cancelButton = new QPushButton(tr("取消"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    placeTwips(m_cancelButton, 3000, 2880, 1332, 612);

    m_confirmButton = new QPushButton(tr(" 确定"), this);
    m_confirmButton->setObjectName(QStringLiteral("confirmButton"));
    placeTwips(m_confirmButton, 3000, 3600, 1332, 612);

    // The design's captions carry blanks and the fields have none: say what each is.
    m_messageEdit->setAccessibleName(tr("提醒内容"));
    m_timeEdit->setAccessibleName(tr("提醒时间"));
    m_timeEdit->setAccessibleDescription(m_formatLabel->text().simplified());
    m_confirmButton->setAccessibleName(m_confirmButton->text().trimmed());

    connect(m_confirmButton, &QPushButton::clicked, this, &ReminderWindow::confirm);
    connect(m_cancelButton, &QPushButton::clicked, this, &ReminderWindow::cancel);

    m_clockTimer = new QTimer(this);
    m_clockTimer->setObjectName(QStringLiteral("clockTimer"));
    m_clockTimer->setInterval(1000);
    connect(m_clockTimer, &QTimer::timeout, this, &ReminderWindow::tick);
    m_clockTimer->start();
}

ReminderWindow::~ReminderWindow() = default;

QString ReminderWindow::message() const
{
    return m_messageEdit->toPlainText();
}

void ReminderWindow::setMessage(const QString& message)
{
    m_messageEdit->setPlainText(message);
}

QString ReminderWindow::timeText() const
{
    return m_timeEdit->text();
}

void ReminderWindow::setTimeText(const QString& text)
{
    m_timeEdit->setText(text);
}

void ReminderWindow::announce()
{
    Reminder::announce(message(), m_character ? m_character() : nullptr, m_engine);
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
    if (Reminder::isBlankMessage(message())) {
        m_messages.info(tr("消息不能为空"));
        m_messageEdit->setFocus();
        return;
    }
    const std::optional<QTime> time = Reminder::parseTime(m_timeEdit->text());
    if (!time) {
        m_messages.info(tr("时间格式不对"));
        return;
    }
    // The box shows the time as the clock writes it, which is the time that fires.
    m_timeEdit->setText(Reminder::clockText(*time));
    // Armed before the box is answered, so a time that comes while it is open
    // still fires.
    m_reminder.arm(*time);
    m_messages.info(tr("设置成功！"));
    if (AgentCharacter* shown = m_character ? m_character() : nullptr)
        shown->hide();
    hide();
}

void ReminderWindow::cancel()
{
    close();
}

void ReminderWindow::tick()
{
    m_clockLabel->setText(m_reminder.tick());
}

void ReminderWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_clockTimer->stop();
    m_reminder.discard();
    Q_EMIT unloaded();
}

} // namespace lirondo
