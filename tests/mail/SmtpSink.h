#pragma once

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace lirondo::test {

// The real SMTP server (aiosmtpd) on 127.0.0.1, started and stopped by the test.
class SmtpSink
{
public:
    ~SmtpSink()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    // Starts the server (at a free port unless given one) and reads the port it
    // prints once it listens.
    bool start(int port = 0)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        {qEnvironmentVariable("LIRONDO_SOURCE_DIR") +
                             QStringLiteral("/tests/mail/smtp_sink.py"),
                         m_dir.path(), QString::number(port)});
        while (m_process.waitForStarted(5000) && !m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(10000))
                return false;
        }
        const QByteArray line = m_process.readLine().trimmed();
        m_port = line.startsWith("PORT ") ? line.mid(5).toInt() : 0;
        return m_port > 0;
    }
    int port() const { return m_port; }

    // The last message received, as received.
    QByteArray last() const { return read(".eml"); }
    // The last message as a mail reader shows it: its subject, then the content of
    // each text part.
    QStringList lastAsRead() const
    {
        const QJsonObject shown = lastShown();
        return QStringList{shown.value(QStringLiteral("subject")).toString()} +
               shown.value(QStringLiteral("texts")).toVariant().toStringList();
    }
    // All that smtp_sink.py noted of the last message.
    QJsonObject lastShown() const { return QJsonDocument::fromJson(read(".json")).object(); }

private:
    QByteArray read(const char* suffix) const
    {
        const qsizetype count = QDir(m_dir.path()).entryList({QStringLiteral("*.eml")}).size();
        QFile file(m_dir.filePath(QString::number(count) + QLatin1StringView(suffix)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QProcess m_process;
    QTemporaryDir m_dir;
    int m_port = 0;
};

} // namespace lirondo::test
