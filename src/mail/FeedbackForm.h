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
    bool expanded() const { return m_expanded != 0; }

    // The form's controls, named as the program names them.
    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* Command1;
    QPushButton* cmdClose;
    QLabel* Label3;
    QLineEdit* txtSubject;
    QLabel* Label4;
    QLineEdit* txtfromname;
    QLabel* Label5;
    QLineEdit* txtFromAddress;
    QLabel* Label6;
    QPushButton* cmdSend;
    QPlainTextEdit* txtBody;
    QLabel* lblStatus;
    lirondo::SmtpSocket Winsock1;

Q_SIGNALS:
    // Every text the status label is given, in order.
    void statusChanged(const QString& text);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Command1_Click();
    void cmdSend_Click();
    void cmdClose_Click();
    void Image1_Click();
    void Winsock1_Connect();
    void Winsock1_Error(int number, const QString& description, const QString& source);
    void setStatus(const QString& text);
    void endWriting();
    void applyHeight();

    MailSettings m_settings;
    MessageBoxPort& m_messageBox;
    UrlOpener& m_urlOpener;
    SmtpSession m_session;
    qint16 m_expanded = 0;
    bool m_writing = false;
    bool m_closeWhenStopped = false;
};

} // namespace lirondo
