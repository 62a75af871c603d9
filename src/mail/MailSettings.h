#pragma once

#include <QString>

namespace lirondo {

// The feedback form's fixed values. The program uses the defaults; tests point
// the form at their own server.
struct MailSettings
{
    QString host = QStringLiteral("localhost");
    QString port; // empty: 25
    QString recipient = QStringLiteral("feedback@lirondo.example.org");
    QString defaultSender = QStringLiteral("your.name@example.org");
    QString webAddress = QStringLiteral("https://lirondo.example.org/");
    int replyTimeoutMs = 30000; // how long the server may take to answer
};

} // namespace lirondo
