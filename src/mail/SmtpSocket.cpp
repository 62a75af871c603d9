#include "mail/SmtpSocket.h"

#include <QHostInfo>
#include <QNetworkInterface>
#include <QTcpSocket>
#include <QTimer>

namespace lirondo {

namespace {

// More unread replies than any session could be waiting for means the server
// is flooding us.
constexpr int kMaxQueuedReplies = 64;

} // namespace

SmtpSocket::SmtpSocket(QObject* parent)
    : QObject(parent), m_socket(new QTcpSocket(this)), m_connectTimer(new QTimer(this))
{
    m_connectTimer->setSingleShot(true);
    connect(m_connectTimer, &QTimer::timeout, this, [this] {
        m_closing = true;
        m_socket->abort();
        m_closing = false;
        fail(kErrorTimedOut, QStringLiteral("Connection timed out"));
    });
    // Queued: the session that runs in the Connected handler waits for replies
    // in its own event loop, which should not sit inside the socket's own code.
    connect(
        m_socket, &QTcpSocket::connected, this,
        [this] {
            if (m_socket->state() == QAbstractSocket::ConnectedState) {
                m_connectTimer->stop();
                Q_EMIT connected();
            }
        },
        Qt::QueuedConnection);
    connect(m_socket, &QTcpSocket::readyRead, this, &SmtpSocket::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &SmtpSocket::onDisconnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError error) { onSocketError(error); });
}

SmtpSocket::~SmtpSocket()
{
    // No signals to a half-destroyed owner.
    m_socket->disconnect(this);
    m_socket->abort();
}

void SmtpSocket::connectToHost()
{
    close();
    if (m_remotePort < 1 || m_remotePort > 65535) {
        // Reported like any other failure: asynchronously, through failed().
        QMetaObject::invokeMethod(
            this,
            [this, port = m_remotePort] {
                fail(kErrorAddressNotAvailable, QStringLiteral("Invalid port number %1").arg(port));
            },
            Qt::QueuedConnection);
        return;
    }
    m_socket->connectToHost(m_remoteHost, static_cast<quint16>(m_remotePort));
    if (m_connectTimeoutMs > 0)
        m_connectTimer->start(m_connectTimeoutMs);
}

void SmtpSocket::write(const QByteArray& bytes)
{
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_socket->write(bytes);
}

void SmtpSocket::close()
{
    const bool wasOpen = m_socket->state() != QAbstractSocket::UnconnectedState || m_peerClosed;
    m_connectTimer->stop();
    m_closing = true;
    m_socket->abort();
    m_closing = false;
    m_buffer.clear();
    m_replies.clear();
    m_protocolError.clear();
    m_failed = false;
    m_peerClosed = false;
    if (wasOpen)
        Q_EMIT closed(false);
}

SmtpSocket::State SmtpSocket::state() const
{
    switch (m_socket->state()) {
    case QAbstractSocket::HostLookupState:
        return State::ResolvingHost;
    case QAbstractSocket::ConnectingState:
        return State::Connecting;
    case QAbstractSocket::ConnectedState:
        return State::Connected;
    case QAbstractSocket::BoundState:
        return State::Open;
    case QAbstractSocket::ClosingState:
        return State::Closing;
    case QAbstractSocket::ListeningState:
        return State::Open;
    case QAbstractSocket::UnconnectedState:
        break;
    }
    if (m_failed)
        return State::Error;
    return m_peerClosed ? State::Closing : State::Closed;
}

QString SmtpSocket::localHostName() const
{
    return QHostInfo::localHostName();
}

QString SmtpSocket::localAddress() const
{
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        return m_socket->localAddress().toString();
    const QList<QHostAddress> addresses = QNetworkInterface::allAddresses();
    for (const QHostAddress& address : addresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            return address.toString();
    }
    return QStringLiteral("127.0.0.1");
}

void SmtpSocket::onReadyRead()
{
    m_buffer.append(m_socket->readAll());
    if (!m_protocolError.isEmpty()) {
        m_buffer.clear();
        return;
    }
    const SmtpReplyParse parsed = parseSmtpReplies(m_buffer);
    m_buffer.remove(0, parsed.consumed);
    QString error = parsed.error;
    if (error.isEmpty() && m_replies.size() + parsed.replies.size() > kMaxQueuedReplies)
        error = QStringLiteral("too many replies");
    const qsizetype count = error.isEmpty() ? parsed.replies.size() : 0;
    for (qsizetype i = 0; i < count; ++i) {
        m_replies.append(parsed.replies[i]);
        Q_EMIT replyReceived();
    }
    if (!error.isEmpty()) {
        m_buffer.clear();
        m_protocolError = error;
        Q_EMIT protocolViolated(error);
    }
}

void SmtpSocket::onDisconnected()
{
    if (m_closing)
        return;
    // A last reply may have come with the close ("421 closing").
    if (m_socket->bytesAvailable() > 0)
        onReadyRead();
    m_peerClosed = true;
    Q_EMIT closed(true);
}

void SmtpSocket::onSocketError(int error)
{
    if (m_closing)
        return;
    switch (error) {
    case QAbstractSocket::RemoteHostClosedError:
        return; // an orderly close: onDisconnected reports it
    case QAbstractSocket::ConnectionRefusedError:
        fail(kErrorConnectionRefused, QStringLiteral("Connection refused"));
        return;
    case QAbstractSocket::HostNotFoundError:
        fail(kErrorHostNotFound, QStringLiteral("Host not found"));
        return;
    case QAbstractSocket::SocketTimeoutError:
        fail(kErrorTimedOut, QStringLiteral("Connection timed out"));
        return;
    case QAbstractSocket::NetworkError:
        fail(kErrorConnectionReset, m_socket->errorString());
        return;
    default:
        fail(kErrorOther, m_socket->errorString());
        return;
    }
}

void SmtpSocket::fail(int number, const QString& description)
{
    m_connectTimer->stop();
    m_failed = true;
    Q_EMIT failed(number, description, QStringLiteral("Winsock1"));
}

} // namespace lirondo
