#pragma once

#include "mail/MailSettings.h"
#include "mail/SmtpSession.h"
#include "mail/SmtpSocket.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace lirondo {

class MessageBoxPort;
class UrlOpener;

// The about window, with a mail form for feedback (the form `SendMail`). It deletes itself when
// closed; the owner keeps a QPointer and creates a new one on the next opening.
class FeedbackForm : public QWidget
{
    Q_OBJECT
public:
    FeedbackForm(const MailSettings& settings, MessageBoxPort& messageBox, UrlOpener& urlOpener,
                 QWidget* parent = nullptr);
    ~FeedbackForm() override;

    // True while a message is being written (the hourglass shows): the window
    // refuses to close then.
    bool isSending() const { return m_writing; }
    // The mail form below the about text is shown.
    bool expanded() const { return m_expanded; }
    // The status line's text.
    QString status() const;
    // The connection to the mail server is open (or being opened).
    bool isConnected() const;

Q_SIGNALS:
    // Every text the status label is given, in order.
    void statusChanged(const QString& text);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void toggleMailForm(); // 给我发信息 (`Command1_Click`)
    void send();           // 发送 (`cmdSend_Click`)
    // 关闭此窗口 (`cmdClose_Click`): stops a message under way, or closes the window.
    void stopOrClose();
    void openWebAddress(); // a click on the banner (`Image1_Click`)
    void onConnected();    // `Winsock1_Connect`: writes the message
    // `Winsock1_Error`: the connection could not be made.
    void onSocketError(int number, const QString& description, const QString& source);
    void setStatus(const QString& text);
    void endWriting();
    void applyHeight();

    MailSettings m_settings;
    MessageBoxPort& m_messageBox;
    UrlOpener& m_urlOpener;
    SmtpSocket m_socket; // Winsock1
    SmtpSession m_session;
    bool m_expanded = false;
    bool m_writing = false;
    bool m_closeWhenStopped = false;

    // The form's controls; each widget's object name is its member's name without the m_.
    QLabel* m_bannerLabel = nullptr;          // Image1
    QLabel* m_titleLabel = nullptr;           // Label1
    QLabel* m_aboutLabel = nullptr;           // Label2
    QPushButton* m_mailFormButton = nullptr;  // Command1
    QPushButton* m_closeButton = nullptr;     // cmdClose
    QLabel* m_subjectLabel = nullptr;         // Label3
    QLineEdit* m_subjectEdit = nullptr;       // txtSubject
    QLabel* m_senderNameLabel = nullptr;      // Label4
    QLineEdit* m_senderNameEdit = nullptr;    // txtfromname
    QLabel* m_senderAddressLabel = nullptr;   // Label5
    QLineEdit* m_senderAddressEdit = nullptr; // txtFromAddress
    QLabel* m_bodyLabel = nullptr;            // Label6
    QPushButton* m_sendButton = nullptr;      // cmdSend
    QPlainTextEdit* m_bodyEdit = nullptr;     // txtBody
    QLabel* m_statusLabel = nullptr;          // lblStatus
};

} // namespace lirondo
