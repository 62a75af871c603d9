#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

namespace lirondo {

// One complete server reply. A multi-line reply ("250-a", "250 b") arrives as
// one reply whose text holds the lines joined with '\n'.
struct SmtpReply
{
    int code = 0;
    QString text;

    int replyClass() const { return code / 100; }
    // "550 no such user", the lines of a multi-line reply joined with blanks.
    QString display() const;
};

struct SmtpReplyParse
{
    QList<SmtpReply> replies; // complete replies, in order
    qsizetype consumed = 0;   // bytes that made up those replies
    QString error;            // empty unless the bytes are not SMTP replies
};

// The longest reply line accepted (the standard allows 512 octets; servers
// add a little), and the most lines in one multi-line reply.
inline constexpr qsizetype kSmtpMaxReplyLine = 1000;
inline constexpr int kSmtpMaxReplyLines = 100;

// Parses as many complete replies as the bytes hold; an unfinished reply at
// the end is left unconsumed for the next read. Anything that is not a reply
// line (a missing or out-of-range code, a code changing inside a multi-line
// reply, an overlong line) is reported in error, and parsing stops there.
SmtpReplyParse parseSmtpReplies(QByteArrayView bytes);

} // namespace lirondo
