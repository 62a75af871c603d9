#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QEventLoop;

namespace lirondo {

class SmtpSocket;
struct SmtpReply;

// How a session ended.
struct SmtpOutcome
{
    enum class Result
    {
        Sent,
        Failed,
        Aborted
    };
    Result result = Result::Sent;
    QString summary;     // what failed, short (for the status label)
    QString serverReply; // the server's reply that ended it, if one did
    // The message box text: the summary, then the server's reply.
    QString details() const;
};

// The mail client: one message per connection, each command answered before
// the next is written.
class SmtpSession : public QObject
{
    Q_OBJECT
public:
    explicit SmtpSession(QObject* parent = nullptr);
    ~SmtpSession() override;

    void setReplyTimeout(int milliseconds) { m_replyTimeoutMs = milliseconds; }
    bool isRunning() const { return m_running; }

    // Sets the address (port 25 when port is empty, else the number it
    // starts with) and starts connecting; socket emits connected() or failed().
    static void connectToServer(const QString& server, SmtpSocket& socket, const QString& port);

    // Writes one message over the connected socket and closes it. The sender's
    // name is the From line's display name (the address's part before "@"
    // when it is blank). The body is fetched when it is written, so late edits
    // are sent.
    SmtpOutcome sendMail(const QString& from, const QString& fromName, const QString& to,
                         const QString& subject, const std::function<QString()>& bodyOf,
                         SmtpSocket& socket);

    // Keeps the user interface alive for the given seconds.
    static void wait(double seconds);

Q_SIGNALS:
    // The server greeted us; the message is about to be written.
    void greeted();

private:
    enum class Wake
    {
        Reply,
        Timeout,
        Closed,
        Failed,
        ProtocolError,
        Aborted,
        Gone
    };
    struct Step;
    bool expect(SmtpSocket& socket, const Step& step, int replyClass, SmtpOutcome& outcome,
                SmtpReply* accepted = nullptr);
    Wake waitForReply(SmtpSocket& socket, QString& detail);

    int m_replyTimeoutMs = 30000;
    bool m_running = false;
    QEventLoop* m_loop = nullptr;
};

// The index-th field (from 1) of text cut at delimiter; empty when there are
// fewer fields, the whole text for index 1 when the delimiter does not occur.
QString fieldOf(int index, const QString& text, const QString& delimiter);

// A header value as it goes on the wire: ASCII as it stands, anything else as
// RFC 2047 encoded words ("=?UTF-8?B?...?="), folded so no word passes 75
// characters. Line breaks become blanks so a value cannot start a new header.
QByteArray encodeHeaderText(const QString& text);

// The body as SMTP data: every line break CRLF, a leading "." doubled, UTF-8.
QByteArray encodeBody(const QString& text);

// A From line's display name: as it stands when it is plain words, quoted when
// it holds ASCII punctuation, RFC 2047 encoded words when it holds anything else.
QByteArray encodeDisplayName(const QString& name);

// Whether an EHLO reply (its lines joined with '\n') offers the extension.
bool offersExtension(const QString& ehloReply, QStringView keyword);

} // namespace lirondo
