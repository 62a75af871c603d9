#include "mail/SmtpSession.h"

#include "common/VbMath.h"
#include "mail/SmtpSocket.h"

#include <QDateTime>
#include <QEventLoop>
#include <QHostAddress>
#include <QPointer>
#include <QTimer>
#include <QUuid>

#include <algorithm>
#include <cmath>
#include <utility>

namespace lirondo {

namespace {

const QByteArray kCrlf = QByteArrayLiteral("\r\n");

// SMTP forbids lines longer than 998 octets; a body that has one goes as base64.
constexpr qsizetype kMaxDataLine = 998;

// What the number at the start of a port text is: blanks skipped, then digits
// with an optional fraction; 0 when there is none.
double leadingNumber(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    qsizetype end = i;
    if (end < text.size() && (text[end] == u'-' || text[end] == u'+'))
        ++end;
    bool digits = false;
    while (end < text.size() && text[end] >= u'0' && text[end] <= u'9') {
        ++end;
        digits = true;
    }
    if (end < text.size() && text[end] == u'.') {
        ++end;
        while (end < text.size() && text[end] >= u'0' && text[end] <= u'9') {
            ++end;
            digits = true;
        }
    }
    if (!digits)
        return 0;
    bool ok = false;
    const double value = text.mid(i, end - i).toDouble(&ok);
    return ok ? value : 0;
}

// An address as it goes after "MAIL FROM:" or inside a header: a line break in
// it would end the command and let the rest pass as commands of its own.
QByteArray lineSafe(const QString& text)
{
    QString safe = text;
    for (QChar& c : safe) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u' ';
    }
    return safe.toUtf8();
}

QByteArray ehloIdentity(const SmtpSocket& socket)
{
    const QHostAddress address(socket.localAddress());
    if (address.protocol() == QAbstractSocket::IPv6Protocol)
        return "[IPv6:" + address.toString().toLatin1() + ']';
    if (address.protocol() == QAbstractSocket::IPv4Protocol)
        return '[' + address.toString().toLatin1() + ']';
    return lineSafe(socket.localHostName());
}

// Splits text into lines at CR LF, a lone CR or a lone LF.
QList<QStringView> splitLines(const QString& text)
{
    QList<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            lines.append(QStringView(text).sliced(start, i - start));
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    lines.append(QStringView(text).sliced(start));
    return lines;
}

QByteArray joinLines(const QString& text, bool stuffDots)
{
    QByteArray result;
    const QList<QStringView> lines = splitLines(text);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            result += kCrlf;
        // A line "." would end the message here; the server strips the extra dot.
        if (stuffDots && lines[i].startsWith(u'.'))
            result += '.';
        result += lines[i].toUtf8();
    }
    return result;
}

bool isAscii(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// Characters a display name may hold without quotes (RFC 5322 atext and blanks).
bool isAtomText(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
           QByteArrayView("!#$%&'*+-/=?^_`{|}~").contains(c);
}

// The right side of a Message-ID: the sender's domain when it is a plain one.
QByteArray messageIdDomain(const QString& from)
{
    const QString domain = from.section(u'@', -1);
    const bool plain = from.contains(u'@') && !domain.isEmpty() &&
                       std::all_of(domain.cbegin(), domain.cend(), [](QChar c) {
                           return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                                  (c >= u'0' && c <= u'9') || c == u'-' || c == u'.';
                       });
    return plain ? domain.toLatin1() : QByteArrayLiteral("localhost");
}

bool needsBase64(const QString& text)
{
    const QList<QStringView> lines = splitLines(text);
    for (const QStringView line : lines) {
        // A UTF-16 unit never takes more than three UTF-8 bytes.
        if (line.size() * 3 > kMaxDataLine && line.toUtf8().size() > kMaxDataLine)
            return true;
    }
    return false;
}

} // namespace

QString SmtpOutcome::details() const
{
    if (serverReply.isEmpty())
        return summary;
    return summary + SmtpSession::tr("\r\n服务器回答：") + serverReply;
}

QString fieldOf(int index, const QString& text, const QString& delimiter)
{
    QString result;
    if (index == 1)
        result = text;
    // An empty delimiter is found at every position, so every field is empty.
    if (delimiter.isEmpty())
        return QString();
    if (!text.contains(delimiter))
        return result;
    qsizetype start = 0;
    int count = 0;
    for (;;) {
        const qsizetype found = text.indexOf(delimiter, start);
        if (found < 0)
            return count == index - 1 ? text.mid(start) : result;
        ++count;
        if (count == index)
            return text.mid(start, found - start);
        start = found + delimiter.size();
    }
}

QByteArray encodeHeaderText(const QString& text)
{
    QByteArray safe = lineSafe(text);
    bool ascii = true;
    for (const char c : std::as_const(safe)) {
        if (static_cast<unsigned char>(c) >= 0x80)
            ascii = false;
    }
    // Long ASCII values go encoded too, so that they can be folded.
    if (ascii && safe.size() <= 900)
        return safe;

    // Each word holds at most 39 bytes (52 base64 characters, 64 with the
    // wrapping, so even the first line stays within 78), cut between
    // characters so every word decodes on its own.
    constexpr qsizetype kWordBytes = 39;
    QByteArray result;
    qsizetype pos = 0;
    while (pos < safe.size()) {
        qsizetype end = std::min(pos + kWordBytes, safe.size());
        while (end < safe.size() && end > pos &&
               (static_cast<unsigned char>(safe[end]) & 0xC0) == 0x80)
            --end;
        if (!result.isEmpty())
            result += "\r\n ";
        result += "=?UTF-8?B?" + safe.mid(pos, end - pos).toBase64() + "?=";
        pos = end;
    }
    return result;
}

QByteArray encodeBody(const QString& text)
{
    return joinLines(text, true);
}

QByteArray encodeDisplayName(const QString& name)
{
    QByteArray safe = lineSafe(name).trimmed();
    if (!isAscii(QString::fromUtf8(safe)) || safe.size() > 900)
        return encodeHeaderText(QString::fromUtf8(safe));
    if (std::all_of(safe.cbegin(), safe.cend(), isAtomText))
        return safe;
    QByteArray quoted = "\"";
    for (const char c : std::as_const(safe)) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

bool offersExtension(const QString& ehloReply, QStringView keyword)
{
    // The first line is the server's name; each further line one extension.
    const QStringList lines = ehloReply.split(u'\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString name = lines[i].section(u' ', 0, 0, QString::SectionSkipEmpty);
        if (name.compare(keyword, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

SmtpSession::SmtpSession(QObject* parent) : QObject(parent) {}

SmtpSession::~SmtpSession()
{
    if (m_loop)
        m_loop->quit();
}

void SmtpSession::connectToServer(const QString& server, SmtpSocket& socket, const QString& port)
{
    socket.setRemoteHost(server);
    if (port.isEmpty()) {
        socket.setRemotePort(25);
    } else {
        const double number = leadingNumber(port);
        // Out of range is passed on as such; connectToHost() reports it.
        socket.setRemotePort(std::fabs(number) < 1e6 ? vbRoundToInt(number) : -1);
    }
    socket.connectToHost();
}

void SmtpSession::wait(double seconds)
{
    // NaN and negative values fail the test and only let pending events run.
    const int ms = seconds > 0 && seconds < 86400 ? static_cast<int>(seconds * 1000) : 0;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct SmtpSession::Step
{
    QString refused; // the summary when the server says no
    QString name;    // the step, for the other failures
};

SmtpSession::Wake SmtpSession::waitForReply(SmtpSocket& socket, QString& detail)
{
    if (socket.hasReply())
        return Wake::Reply;
    if (!socket.protocolError().isEmpty())
        return Wake::ProtocolError;
    if (socket.state() != SmtpSocket::State::Connected)
        return Wake::Closed;

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool woken = false;
    Wake wake = Wake::Timeout;
    // The first cause counts: an error is followed by the close it caused.
    auto wakeUp = [&](Wake why) {
        if (!woken) {
            woken = true;
            wake = why;
        }
        loop.quit();
    };
    connect(&timer, &QTimer::timeout, &loop, [&] { wakeUp(Wake::Timeout); });
    connect(&socket, &SmtpSocket::replyReceived, &loop, [&] { wakeUp(Wake::Reply); });
    connect(&socket, &SmtpSocket::protocolViolated, &loop, [&] { wakeUp(Wake::ProtocolError); });
    connect(&socket, &SmtpSocket::closed, &loop,
            [&](bool byPeer) { wakeUp(byPeer ? Wake::Closed : Wake::Aborted); });
    connect(&socket, &SmtpSocket::failed, &loop,
            [&](int, const QString& description, const QString&) {
                if (!woken)
                    detail = description;
                wakeUp(Wake::Failed);
            });
    connect(&socket, &QObject::destroyed, &loop, [&] { wakeUp(Wake::Gone); });

    const QPointer<SmtpSession> self(this);
    const QPointer<SmtpSocket> socketAlive(&socket);
    m_loop = &loop;
    timer.start(m_replyTimeoutMs);
    loop.exec();
    if (!self || !socketAlive)
        return Wake::Gone;
    m_loop = nullptr;
    // A reply that came just before the close still counts.
    if (wake != Wake::Aborted && socket.hasReply())
        return Wake::Reply;
    return wake;
}

bool SmtpSession::expect(SmtpSocket& socket, const Step& step, int replyClass, SmtpOutcome& outcome,
                         SmtpReply* accepted)
{
    QString detail;
    const Wake wake = waitForReply(socket, detail);
    outcome.result = SmtpOutcome::Result::Failed;
    switch (wake) {
    case Wake::Reply: {
        const SmtpReply reply = socket.takeReply();
        if (reply.replyClass() == replyClass) {
            if (accepted)
                *accepted = reply;
            outcome.result = SmtpOutcome::Result::Sent;
            return true;
        }
        outcome.summary = step.refused;
        outcome.serverReply = reply.display();
        return false;
    }
    case Wake::Timeout:
        outcome.summary = SmtpSession::tr("邮件服务器没有回答（%1）").arg(step.name);
        return false;
    case Wake::Closed:
        outcome.summary = SmtpSession::tr("与邮件服务器的连接中断了（%1）").arg(step.name);
        return false;
    case Wake::Failed:
        outcome.summary =
            SmtpSession::tr("与邮件服务器的连接出错（%1）：%2").arg(step.name, detail);
        return false;
    case Wake::ProtocolError:
        outcome.summary = SmtpSession::tr("邮件服务器的回答无法识别（%1）").arg(step.name);
        return false;
    case Wake::Aborted:
    case Wake::Gone:
        outcome.result = SmtpOutcome::Result::Aborted;
        return false;
    }
    return false;
}

SmtpOutcome SmtpSession::sendMail(const QString& from, const QString& fromName, const QString& to,
                                  const QString& subject, const std::function<QString()>& bodyOf,
                                  SmtpSocket& socket)
{
    SmtpOutcome outcome;
    const QPointer<SmtpSession> self(this);
    const QPointer<SmtpSocket> socketAlive(&socket);
    // Ends the session; after the form went away mid-session nothing is touched.
    auto finish = [&]() -> SmtpOutcome {
        if (self && socketAlive) {
            m_running = false;
            socket.close();
        }
        return outcome;
    };
    auto alive = [&] { return !self.isNull() && !socketAlive.isNull(); };

    if (m_running) {
        outcome.result = SmtpOutcome::Result::Aborted;
        return outcome;
    }
    m_running = true;

    if (!expect(socket, {SmtpSession::tr("邮件服务器不接受连接"), SmtpSession::tr("连接")}, 2,
                outcome))
        return finish();
    Q_EMIT greeted();
    if (!alive())
        return outcome;

    socket.write("EHLO " + ehloIdentity(socket) + kCrlf);
    SmtpReply ehlo;
    if (!expect(socket, {SmtpSession::tr("邮件服务器不接受问候"), QStringLiteral("EHLO")}, 2,
                outcome, &ehlo))
        return finish();
    // The body is not known yet (late edits are sent), so 8-bit is asked for
    // whenever the server takes it; a 7-bit body is fine under it too.
    const bool eightBit = offersExtension(ehlo.text, u"8BITMIME");

    socket.write("MAIL FROM:<" + lineSafe(from) + '>' +
                 (eightBit ? QByteArrayLiteral(" BODY=8BITMIME") : QByteArray()) + kCrlf);
    if (!expect(socket,
                {SmtpSession::tr("邮件服务器拒绝了发件人地址"), QStringLiteral("MAIL FROM")}, 2,
                outcome))
        return finish();

    socket.write("RCPT TO:<" + lineSafe(to) + '>' + kCrlf);
    if (!expect(socket, {SmtpSession::tr("邮件服务器拒绝了收件人地址"), QStringLiteral("RCPT TO")},
                2, outcome))
        return finish();

    socket.write("DATA" + kCrlf);
    if (!expect(socket, {SmtpSession::tr("邮件服务器不接收信件"), QStringLiteral("DATA")}, 3,
                outcome))
        return finish();

    // Nothing below waits for the server, so the body read here is the one
    // the user sees until the message has gone.
    const QString body = bodyOf ? bodyOf() : QString();
    const QByteArray encoding = needsBase64(body) || (!eightBit && !isAscii(body))
                                    ? QByteArrayLiteral("base64")
                                : isAscii(body) ? QByteArrayLiteral("7bit")
                                                : QByteArrayLiteral("8bit");
    const QString name =
        fromName.trimmed().isEmpty() ? fieldOf(1, from, QStringLiteral("@")) : fromName;
    const QByteArray displayName = encodeDisplayName(name);

    socket.write("MIME-Version: 1.0" + kCrlf);
    socket.write("Date: " + QDateTime::currentDateTime().toString(Qt::RFC2822Date).toLatin1() +
                 kCrlf);
    socket.write("Message-ID: <" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + '@' +
                 messageIdDomain(from) + '>' + kCrlf);
    socket.write("From: " + (displayName.isEmpty() ? QByteArray() : displayName + ' ') + '<' +
                 lineSafe(from) + '>' + kCrlf);
    socket.write("To: <" + lineSafe(to) + '>' + kCrlf);
    socket.write("Subject: " + encodeHeaderText(subject) + kCrlf);
    socket.write("Content-Type: multipart/mixed;" + kCrlf);
    socket.write("              boundary=Unique-Boundary" + kCrlf);
    // A multipart holding an 8-bit part is 8-bit itself.
    if (encoding == "8bit")
        socket.write("Content-Transfer-Encoding: 8bit" + kCrlf);
    socket.write(kCrlf + " [ Random garbage here ]" + kCrlf + kCrlf);
    socket.write(kCrlf + "--Unique-Boundary" + kCrlf);
    socket.write("Content-type: text/plain; charset=UTF-8" + kCrlf +
                 "Content-Transfer-Encoding: " + encoding + kCrlf + kCrlf);
    if (encoding == "base64") {
        const QByteArray encoded = joinLines(body, false).toBase64();
        for (qsizetype pos = 0; pos < encoded.size(); pos += 76)
            socket.write(encoded.mid(pos, 76) + kCrlf);
        socket.write(kCrlf);
    } else {
        socket.write(encodeBody(body) + kCrlf + kCrlf);
    }
    socket.write("--Unique-Boundary--" + kCrlf);
    socket.write(kCrlf + '.' + kCrlf);
    if (!expect(socket, {SmtpSession::tr("邮件服务器拒绝了这封信"), SmtpSession::tr("信件内容")}, 2,
                outcome))
        return finish();

    // The message is accepted; how QUIT goes changes nothing about that.
    socket.write("QUIT" + kCrlf);
    QString ignored;
    waitForReply(socket, ignored);
    if (!alive())
        return outcome;
    return finish();
}

} // namespace lirondo
