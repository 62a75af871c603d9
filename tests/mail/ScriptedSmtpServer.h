#pragma once

#include <QHash>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace lirondo::test {

// A server that misbehaves on demand: each step ("greeting", "EHLO", "MAIL",
// "RCPT", "DATA", "data" for the first bytes of the message, "." for its end,
// "QUIT") answers normally unless `rules` holds another reply for it, or one of
// the two actions below.
class ScriptedSmtpServer : public QObject
{
public:
    static inline const QByteArray kSilent = "<silent>";
    static inline const QByteArray kDrop = "<drop>";

    QHash<QByteArray, QByteArray> rules;
    QList<QByteArray> commands; // command lines received, without CRLF
    QByteArray data;            // message data received

    ScriptedSmtpServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            m_client = m_server.nextPendingConnection();
            connect(m_client, &QTcpSocket::readyRead, this, [this] { onRead(); });
            apply("greeting");
        });
    }

    int port() const { return m_server.serverPort(); }

private:
    void apply(const QByteArray& step)
    {
        static const QHash<QByteArray, QByteArray> normal = {{"greeting", "220 scripted ready"},
                                                             {"EHLO", "250-scripted\r\n250 HELP"},
                                                             {"DATA", "354 go ahead"},
                                                             {"QUIT", "221 bye"}};
        const QByteArray reply = rules.value(step, normal.value(step, "250 OK"));
        if (!m_client || reply == kSilent)
            return;
        if (reply == kDrop)
            return m_client->disconnectFromHost();
        m_client->write(reply + "\r\n");
        m_inData = step == "DATA" && reply.startsWith('3');
    }

    void onRead()
    {
        m_buffer += m_client->readAll();
        while (m_client) {
            if (m_inData) {
                data += m_buffer;
                m_buffer.clear();
                if (rules.contains("data") && !data.isEmpty())
                    return apply("data");
                const qsizetype end = data.indexOf("\r\n.\r\n");
                if (end < 0)
                    return;
                m_buffer = data.mid(end + 5);
                data.truncate(end + 2);
                m_inData = false;
                apply(".");
                continue;
            }
            const qsizetype lf = m_buffer.indexOf("\r\n");
            if (lf < 0)
                return;
            const QByteArray line = m_buffer.left(lf);
            m_buffer.remove(0, lf + 2);
            commands.append(line);
            apply(line.left(4).toUpper());
        }
    }

    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QByteArray m_buffer;
    bool m_inData = false;
};

} // namespace lirondo::test
