#pragma once

#include <QByteArray>
#include <QList>
#include <QRegularExpression>
#include <QString>

namespace lirondo::test {

int runSmtpCoreTests(int argc, char** argv);
int runSendMailTests(int argc, char** argv);

// The header block of a received message, with folded lines joined.
inline QList<QByteArray> headerLines(const QByteArray& message)
{
    QByteArray head = message.left(message.indexOf("\r\n\r\n"));
    head.replace("\r\n ", " ");
    return head.split('\n');
}

inline QByteArray header(const QByteArray& message, const QByteArray& name)
{
    for (QByteArray line : headerLines(message)) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith(name + ": ") || line == name + ':')
            return line.mid(name.size() + 2);
    }
    return QByteArray("<missing>");
}

// Decodes RFC 2047 B-encoded UTF-8 words; blanks between two words vanish.
inline QString decodeWords(const QByteArray& value)
{
    static const QRegularExpression word(QStringLiteral("=\\?UTF-8\\?B\\?([A-Za-z0-9+/=]*)\\?="));
    const QString text = QString::fromLatin1(value);
    QByteArray bytes;
    qsizetype pos = 0;
    bool lastWasWord = false;
    for (auto it = word.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        const QString between = text.mid(pos, m.capturedStart() - pos);
        if (!(lastWasWord && between.trimmed().isEmpty()))
            bytes += between.toLatin1();
        bytes += QByteArray::fromBase64(m.captured(1).toLatin1());
        pos = m.capturedEnd();
        lastWasWord = true;
    }
    bytes += text.mid(pos).toLatin1();
    return QString::fromUtf8(bytes);
}

// The text part's content as received: after its header, up to the closing
// delimiter (whose leading CRLF is not part of the content).
inline QByteArray textPart(const QByteArray& message)
{
    const QByteArray partHeader =
        "--Unique-Boundary\r\nContent-type: text/plain; charset=UTF-8\r\n";
    qsizetype start = message.indexOf(partHeader);
    if (start < 0)
        return "<no part>";
    start = message.indexOf("\r\n\r\n", start) + 4;
    const qsizetype end = message.indexOf("\r\n--Unique-Boundary--\r\n", start);
    if (end < 0)
        return "<no closing delimiter>";
    return message.mid(start, end - start);
}

} // namespace lirondo::test
