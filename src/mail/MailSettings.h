#pragma once

#include <QString>

namespace lirondo {

// The mail server and the feedback address this build sends to (set when the
// program is configured).
QString builtInMailServer();
QString builtInMailRecipient();

// The feedback form's fixed values. The program uses the defaults; tests point
// the form at their own server.
struct MailSettings
{
    QString host = builtInMailServer();
    QString port; // empty: 25
    QString recipient = builtInMailRecipient();
    QString defaultSender = QStringLiteral("your.name@example.org");
    QString webAddress = QStringLiteral("https://lirondo.example.org/");
    int replyTimeoutMs = 30000; // how long the server may take to answer or to connect
};

} // namespace lirondo
