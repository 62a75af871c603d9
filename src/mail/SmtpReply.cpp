#include "mail/SmtpReply.h"

#include <QStringList>

namespace lirondo {

QString SmtpReply::display() const
{
    QString lines = text;
    lines.replace(u'\n', u' ');
    return lines.isEmpty() ? QString::number(code) : QString::number(code) + u' ' + lines;
}

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The code of a reply line, or 0 when it has none. RFC 5321 allows 2xx to 5xx
// with a second digit of 0 to 5.
int replyCode(QByteArrayView line)
{
    if (line.size() < 3 || !isDigit(line[0]) || !isDigit(line[1]) || !isDigit(line[2]))
        return 0;
    if (line[0] < '2' || line[0] > '5' || line[1] > '5')
        return 0;
    return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

} // namespace

SmtpReplyParse parseSmtpReplies(QByteArrayView bytes)
{
    SmtpReplyParse result;
    qsizetype pos = 0;   // start of the next unread line
    int pendingCode = 0; // code of the multi-line reply being read, 0 if none
    int pendingLines = 0;
    QStringList pendingText;

    while (pos < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', pos);
        if (lf < 0) {
            if (bytes.size() - pos > kSmtpMaxReplyLine)
                result.error = QStringLiteral("reply line too long");
            break;
        }
        if (lf - pos + 1 > kSmtpMaxReplyLine) {
            result.error = QStringLiteral("reply line too long");
            break;
        }
        QByteArrayView line = bytes.sliced(pos, lf - pos);
        if (line.endsWith('\r'))
            line.chop(1);
        pos = lf + 1;

        const int code = replyCode(line);
        if (code == 0) {
            result.error = QStringLiteral("not a reply line");
            break;
        }
        if (line.size() > 3 && line[3] != '-' && line[3] != ' ') {
            result.error = QStringLiteral("not a reply line");
            break;
        }
        if (pendingCode != 0 && code != pendingCode) {
            result.error = QStringLiteral("reply code changed inside a multi-line reply");
            break;
        }
        if (++pendingLines > kSmtpMaxReplyLines) {
            result.error = QStringLiteral("too many lines in one reply");
            break;
        }
        pendingText.append(QString::fromUtf8(line.size() > 4 ? line.sliced(4) : QByteArrayView()));
        if (line.size() > 3 && line[3] == '-') {
            pendingCode = code;
            continue;
        }
        result.replies.append({code, pendingText.join(u'\n')});
        result.consumed = pos;
        pendingCode = 0;
        pendingLines = 0;
        pendingText.clear();
    }
    return result;
}

} // namespace lirondo
