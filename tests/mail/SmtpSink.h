#pragma once

#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace lirondo::test {

// The real SMTP server (aiosmtpd) on 127.0.0.1, started and stopped by the test.
class SmtpSink
{
public:
    ~SmtpSink() { stop(); }

    bool start()
    {
        const QString script =
            qEnvironmentVariable("LIRONDO_SOURCE_DIR") + QStringLiteral("/tests/mail/smtp_sink.py");
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("/usr/bin/python3"), {script, m_dir.path()});
        if (!m_process.waitForStarted(5000))
            return false;
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(10000))
                return false;
        }
        const QByteArray line = m_process.readLine().trimmed();
        if (!line.startsWith("PORT "))
            return false;
        m_port = line.mid(5).toInt();
        return m_port > 0;
    }

    void stop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    int port() const { return m_port; }

    // Message n (from 1) as received, and its envelope.
    QByteArray message(int n) const
    {
        QFile file(m_dir.filePath(QString::number(n) + QStringLiteral(".eml")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QJsonObject envelope(int n) const
    {
        QFile file(m_dir.filePath(QString::number(n) + QStringLiteral(".json")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }
    int count() const
    {
        int n = 0;
        while (QFile::exists(m_dir.filePath(QString::number(n + 1) + QStringLiteral(".eml"))))
            ++n;
        return n;
    }

private:
    QProcess m_process;
    QTemporaryDir m_dir;
    int m_port = 0;
};

} // namespace lirondo::test
