#include "mail/FeedbackForm.h"

#include "common/MessageBoxPort.h"
#include "common/VbMath.h"
#include "mail/UrlOpener.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace lirondo {

namespace {

constexpr int kFormWidthTwips = 5415;
constexpr int kExpandedHeightTwips = 7068;
constexpr int kCollapsedHeightTwips = 3504;

void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                        twipsToPixels(height));
}

// Text starts at the top of its box, as the form's labels are laid out: a
// label taller than its line keeps its text level with the row's box.
QLabel* label(QWidget* parent, const QString& text, int left, int top, int width, int height)
{
    auto* l = new QLabel(text, parent);
    place(l, left, top, width, height);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

// What a failed connection attempt means to the user.
QString connectFailure(int number)
{
    switch (number) {
    case SmtpSocket::kErrorConnectionRefused:
        return FeedbackForm::tr("邮件服务器拒绝连接");
    case SmtpSocket::kErrorHostNotFound:
        return FeedbackForm::tr("找不到邮件服务器");
    case SmtpSocket::kErrorTimedOut:
        return FeedbackForm::tr("连接邮件服务器超时");
    case SmtpSocket::kErrorNetworkUnreachable:
        return FeedbackForm::tr("无法到达邮件服务器");
    default:
        return FeedbackForm::tr("无法连接邮件服务器");
    }
}

QLineEdit* lineEdit(QWidget* parent, const QString& text, int left, int top, int width, int height)
{
    auto* e = new QLineEdit(text, parent);
    place(e, left, top, width, height);
    return e;
}

QPushButton* button(QWidget* parent, const QString& text, int left, int top, int width, int height)
{
    auto* b = new QPushButton(text, parent);
    place(b, left, top, width, height);
    return b;
}

} // namespace

FeedbackForm::FeedbackForm(const MailSettings& settings, MessageBoxPort& messageBox,
                           UrlOpener& urlOpener, QWidget* parent)
    : QWidget(parent, Qt::Window), m_settings(settings), m_messageBox(messageBox),
      m_urlOpener(urlOpener)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("关于"));
    setFixedWidth(twipsToPixels(kFormWidthTwips));

    m_bannerLabel = new QLabel(this);
    place(m_bannerLabel, 0, 0, 5400, 1572);
    m_bannerLabel->setPixmap(QPixmap(QStringLiteral(":/mail/banner.png")));
    m_bannerLabel->setScaledContents(true);
    m_bannerLabel->setCursor(Qt::PointingHandCursor);
    m_bannerLabel->installEventFilter(this);

    m_titleLabel = label(this, tr("Lirondo 开发组"), 0, 1680, 5415, 495);
    m_titleLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_aboutLabel = label(this,
                         tr("Lirondo 是我们的第一个作品，一个把文字读给你听的小程序。"
                            "有意见或建议，请写信到 %1。")
                             .arg(m_settings.recipient),
                         0, 2040, 5415, 615);
    m_aboutLabel->setWordWrap(true);
    // The boxes span the whole width; the text keeps the rows' left margin.
    const int margin = twipsToPixels(120);
    m_titleLabel->setContentsMargins(margin, 0, margin, 0);
    m_aboutLabel->setContentsMargins(margin, 0, margin, 0);

    m_mailFormButton = button(this, tr("给我发信息"), 600, 2640, 1092, 372);
    m_closeButton = button(this, tr("关闭此窗口"), 3480, 2640, 1092, 372);
    m_subjectLabel = label(this, tr("主题："), 120, 3120, 1212, 372);
    m_subjectEdit = lineEdit(this, tr("Lirondo问题"), 1200, 3120, 3492, 264);
    m_senderNameLabel = label(this, tr("你的名字："), 120, 3480, 1212, 372);
    m_senderNameEdit = lineEdit(this, QStringLiteral(" "), 1200, 3480, 3492, 264);
    m_senderAddressLabel = label(this, tr("你的邮箱："), 120, 3840, 1212, 372);
    m_senderAddressEdit = lineEdit(this, m_settings.defaultSender, 1200, 3840, 3492, 264);
    m_bodyLabel = label(this, tr("信件内容:"), 120, 4200, 1212, 492);
    m_sendButton = button(this, tr("发送"), 4440, 4200, 732, 372);
    m_bodyEdit = new QPlainTextEdit(this);
    place(m_bodyEdit, 120, 4560, 5172, 1452);
    // Rounded to pixels the button would reach one row into the body box.
    m_sendButton->setFixedHeight(
        std::min(m_sendButton->height(), m_bodyEdit->y() - m_sendButton->y()));
    m_bodyEdit->setPlainText(tr("为了便于联系你，请把“你的邮箱”栏里的邮件改为你的\n"
                                "邮件地址，或在这里写出你的详细邮箱！谢谢合作！\n"));
    m_statusLabel = label(this, tr("状态："), 120, 6120, 5052, 372);
    for (const auto& [widget, name] : std::initializer_list<std::pair<QWidget*, const char*>>{
             {m_bannerLabel, "bannerLabel"},
             {m_titleLabel, "titleLabel"},
             {m_aboutLabel, "aboutLabel"},
             {m_mailFormButton, "mailFormButton"},
             {m_closeButton, "closeButton"},
             {m_subjectLabel, "subjectLabel"},
             {m_subjectEdit, "subjectEdit"},
             {m_senderNameLabel, "senderNameLabel"},
             {m_senderNameEdit, "senderNameEdit"},
             {m_senderAddressLabel, "senderAddressLabel"},
             {m_senderAddressEdit, "senderAddressEdit"},
             {m_bodyLabel, "bodyLabel"},
             {m_sendButton, "sendButton"},
             {m_bodyEdit, "bodyEdit"},
             {m_statusLabel, "statusLabel"}})
        widget->setObjectName(QLatin1StringView(name));
    // Each field is named by the caption beside it, without its colon.
    for (const auto& [caption, field] :
         {std::pair<QLabel*, QWidget*>{m_subjectLabel, m_subjectEdit},
          {m_senderNameLabel, m_senderNameEdit},
          {m_senderAddressLabel, m_senderAddressEdit},
          {m_bodyLabel, m_bodyEdit}})
        field->setAccessibleName(caption->text().remove(u'：').remove(u':'));

    m_session.setReplyTimeout(m_settings.replyTimeoutMs);
    m_socket.setConnectTimeout(m_settings.replyTimeoutMs);

    connect(m_mailFormButton, &QPushButton::clicked, this, &FeedbackForm::toggleMailForm);
    connect(m_sendButton, &QPushButton::clicked, this, &FeedbackForm::send);
    connect(m_closeButton, &QPushButton::clicked, this, &FeedbackForm::stopOrClose);
    connect(&m_socket, &SmtpSocket::connected, this, &FeedbackForm::onConnected);
    connect(&m_socket, &SmtpSocket::failed, this, &FeedbackForm::onSocketError);
    connect(&m_session, &SmtpSession::greeted, this, [this] { setStatus(tr("发送邮件")); });
    // "发送完成" stays until the user starts on another message.
    const auto edited = [this] {
        if (!m_writing && m_statusLabel->text() == tr("发送完成"))
            setStatus(tr("状态:"));
    };
    for (QLineEdit* field : {m_subjectEdit, m_senderNameEdit, m_senderAddressEdit})
        connect(field, &QLineEdit::textEdited, this, edited);
    connect(m_bodyEdit, &QPlainTextEdit::textChanged, this, edited);

    // Load: the sender-name box shows this machine's name.
    m_senderNameEdit->setText(m_socket.localHostName());
    applyHeight();
}

FeedbackForm::~FeedbackForm()
{
    m_socket.disconnect(this);
}

QString FeedbackForm::status() const
{
    return m_statusLabel->text();
}

bool FeedbackForm::isConnected() const
{
    return m_socket.state() != SmtpSocket::State::Closed;
}

void FeedbackForm::toggleMailForm()
{
    m_expanded = !m_expanded;
    applyHeight();
}

void FeedbackForm::applyHeight()
{
    // The design heights are outer heights: the frame's share is known once a
    // window manager has framed the window (there is none without one).
    const int frame = std::max(0, frameGeometry().height() - geometry().height());
    const int outer = twipsToPixels(m_expanded ? kExpandedHeightTwips : kCollapsedHeightTwips);
    // Whatever the frame: collapsed, the mail area is hidden and the buttons
    // are whole; expanded, the status line shows.
    const int lowest =
        (m_expanded ? static_cast<QWidget*>(m_statusLabel) : m_closeButton)->geometry().bottom() +
        1;
    const int highest = m_expanded ? QWIDGETSIZE_MAX : m_subjectLabel->y();
    const int height = std::clamp(outer - frame, lowest, highest);
    if (height != this->height() || minimumHeight() != maximumHeight())
        setFixedHeight(height);
}

bool FeedbackForm::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    // A window manager frames the window after it is shown, and moves it then.
    if (event->type() == QEvent::Show || event->type() == QEvent::Move)
        applyHeight();
    return handled;
}

void FeedbackForm::send()
{
    m_sendButton->setEnabled(false);
    setStatus(tr("连接服务器"));
    SmtpSession::connectToServer(m_settings.host, m_socket, m_settings.port);
    setStatus(tr("邮件发送中………………"));
}

void FeedbackForm::stopOrClose()
{
    if (m_writing) {
        // Ends the session, which sees the socket close; the window closes
        // once the session has unwound, and the unsent message goes with it.
        m_closeWhenStopped = true;
        m_socket.close();
        return;
    }
    if (m_socket.state() != SmtpSocket::State::Closed)
        m_socket.close();
    close();
}

void FeedbackForm::openWebAddress()
{
    m_urlOpener.openUrl(QUrl(m_settings.webAddress));
}

void FeedbackForm::onConnected()
{
    if (m_writing)
        return;
    m_writing = true;
    setCursor(Qt::WaitCursor);
    setStatus(tr("连接服务器"));

    const QPointer<FeedbackForm> self(this);
    const SmtpOutcome outcome = m_session.sendMail(
        m_senderAddressEdit->text(), m_senderNameEdit->text(), m_settings.recipient,
        m_subjectEdit->text(),
        [self] { return self ? self->m_bodyEdit->toPlainText() : QString(); }, m_socket);
    if (!self)
        return;

    switch (outcome.result) {
    case SmtpOutcome::Result::Sent:
        endWriting();
        setStatus(tr("发送完成"));
        break;
    case SmtpOutcome::Result::Failed:
        setStatus(tr("发送失败：") + outcome.summary);
        endWriting();
        m_messageBox.show({outcome.details(), windowTitle(), MessageBoxPort::Buttons::Ok,
                           MessageBoxPort::Icon::Critical, MessageBoxPort::Answer::Ok});
        break;
    case SmtpOutcome::Result::Aborted:
        endWriting();
        if (m_closeWhenStopped)
            close();
        else
            setStatus(tr("发送失败：发送被中止"));
        break;
    }
}

void FeedbackForm::endWriting()
{
    m_sendButton->setEnabled(true);
    unsetCursor();
    m_writing = false;
}

void FeedbackForm::onSocketError(int number, const QString& description, const QString& source)
{
    // During a session the session itself reports what failed.
    if (m_writing)
        return;
    // The attempt is over: the typed message waits for another try.
    setStatus(tr("发送失败：") + connectFailure(number));
    m_sendButton->setEnabled(true);
    m_messageBox.show({QStringLiteral("Error Number: ") + QString::number(number) +
                           QStringLiteral("\r\n") + description + QStringLiteral("\r\n") + source,
                       windowTitle(), MessageBoxPort::Buttons::Ok, MessageBoxPort::Icon::Critical,
                       MessageBoxPort::Answer::Ok});
}

void FeedbackForm::setStatus(const QString& text)
{
    m_statusLabel->setText(text);
    Q_EMIT statusChanged(text);
}

void FeedbackForm::closeEvent(QCloseEvent* event)
{
    if (m_writing) {
        setStatus(tr("邮件发送中，请稍候！"));
        event->ignore();
        return;
    }
    event->accept();
}

bool FeedbackForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_bannerLabel && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        m_bannerLabel->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        openWebAddress();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace lirondo
