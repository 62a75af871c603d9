#pragma once

#include "mail/SmtpReply.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class QTcpSocket;
class QTimer;

namespace lirondo {

// The feedback form's TCP socket (the form's control `Winsock1`): a client connection to one host
// and port, written to in call order, with the server's replies parsed as they come in.
class SmtpSocket : public QObject
{
    Q_OBJECT
public:
    // What state() reports (the control's sckClosed, sckOpen, ... values).
    enum class State
    {
        Closed,
        Open,
        ResolvingHost,
        Connecting,
        Connected,
        Closing, // the other side closed; close() finishes
        Error,   // a failure ended the connection; close() clears it
    };

    explicit SmtpSocket(QObject* parent = nullptr);
    ~SmtpSocket() override;

    QString remoteHost() const { return m_remoteHost; }
    void setRemoteHost(const QString& host) { m_remoteHost = host; }
    int remotePort() const { return m_remotePort; }
    void setRemotePort(int port) { m_remotePort = port; }

    // Starts connecting and returns at once; connected() or failed() follows.
    void connectToHost();
    // How long connectToHost() may take before it fails as timed out (the system's
    // own limit is minutes); 0 leaves it to the system.
    void setConnectTimeout(int milliseconds) { m_connectTimeoutMs = milliseconds; }
    // Queues the bytes; ignored unless connected.
    void write(const QByteArray& bytes);
    // Ends the connection at once (unsent data is dropped) and clears a failure.
    void close();
    State state() const;

    // The local machine's name, and the address the connection leaves from
    // (the machine's first non-loopback IPv4 address while not connected).
    QString localHostName() const;
    QString localAddress() const;

    // Replies parsed so far and not yet taken, oldest first.
    bool hasReply() const { return !m_replies.isEmpty(); }
    SmtpReply takeReply() { return m_replies.takeFirst(); }
    // Set once the server sent something that is not an SMTP reply.
    QString protocolError() const { return m_protocolError; }

    // Windows Sockets numbers, which the error box shows.
    static constexpr int kErrorConnectionRefused = 10061;
    static constexpr int kErrorHostNotFound = 11001;
    static constexpr int kErrorTimedOut = 10060;
    static constexpr int kErrorConnectionReset = 10054;
    static constexpr int kErrorNetworkUnreachable = 10051;
    static constexpr int kErrorAddressNotAvailable = 10049;
    static constexpr int kErrorOther = 10004;

Q_SIGNALS:
    void connected();
    void failed(int number, const QString& description, const QString& source);
    void replyReceived();
    void protocolViolated(const QString& what);
    // The connection ended: by close() (byPeer false) or by the other side.
    void closed(bool byPeer);

private:
    void onReadyRead();
    void onDisconnected();
    void onSocketError(int error);
    void fail(int number, const QString& description);

    QTcpSocket* m_socket;
    QTimer* m_connectTimer;
    int m_connectTimeoutMs = 0;
    QString m_remoteHost;
    int m_remotePort = 0;
    QByteArray m_buffer;
    QList<SmtpReply> m_replies;
    QString m_protocolError;
    bool m_failed = false;
    bool m_peerClosed = false;
    bool m_closing = false;
};

} // namespace lirondo
