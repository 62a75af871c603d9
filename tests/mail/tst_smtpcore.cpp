#include "MailTests.h"
#include "ScriptedSmtpServer.h"
#include "SmtpSink.h"

#include "mail/SmtpReply.h"
#include "mail/SmtpSession.h"
#include "mail/Winsock1.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace lirondo::test {

class TestSmtpCore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_sink.start(), "aiosmtpd did not start"); }
    void cleanupTestCase() { m_sink.stop(); }

    void getField_data();
    void getField();
    void replyParser_data();
    void replyParser();
    void portText_data();
    void portText();
    void wholeMessage();
    void messageContent_data();
    void messageContent();
    void longBodyLineGoesAsBase64();
    void chineseDisplayNameIsEncoded();
    void waitRunsPendingEvents();

private:
    // Sends one message to the sink and returns its number there.
    int send(const QString& from, const QString& subject, const QString& body,
             SmtpOutcome* outcome = nullptr);
    SmtpSink m_sink;
};

void TestSmtpCore::getField_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QString>("expected");
    const QString comma = QStringLiteral(",");
    QTest::newRow("first of two") << 1 << QStringLiteral("ab,cd") << comma << QStringLiteral("ab");
    QTest::newRow("second of two") << 2 << QStringLiteral("ab,cd") << comma << QStringLiteral("cd");
    QTest::newRow("no delimiter") << 1 << QStringLiteral("ab") << comma << QStringLiteral("ab");
    QTest::newRow("past the end") << 3 << QStringLiteral("ab,cd") << comma << QString();
    QTest::newRow("name of an address")
        << 1 << QStringLiteral("ann@example.org") << QStringLiteral("@") << QStringLiteral("ann");
    QTest::newRow("middle of three")
        << 2 << QStringLiteral("a@b@c") << QStringLiteral("@") << QStringLiteral("b");
    QTest::newRow("last of three")
        << 3 << QStringLiteral("a@b@c") << QStringLiteral("@") << QStringLiteral("c");
    QTest::newRow("empty first field") << 1 << QStringLiteral(",x") << comma << QString();
    QTest::newRow("empty last field") << 2 << QStringLiteral("x,") << comma << QString();
    QTest::newRow("two-character delimiter")
        << 2 << QStringLiteral("a::b::c") << QStringLiteral("::") << QStringLiteral("b");
    QTest::newRow("index 0") << 0 << QStringLiteral("ab,cd") << comma << QString();
    QTest::newRow("empty delimiter") << 1 << QStringLiteral("ab") << QString() << QString();
}

void TestSmtpCore::getField()
{
    QFETCH(int, index);
    QFETCH(QString, text);
    QFETCH(QString, delimiter);
    QFETCH(QString, expected);
    QCOMPARE(GetField(index, text, delimiter), expected);
}

void TestSmtpCore::replyParser_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("replies"); // "code|text" each
    QTest::addColumn<int>("consumed");
    QTest::addColumn<bool>("error");
    const QString longText(2000, u'x');

    QTest::newRow("greeting") << QByteArray("220 mx ready\r\n")
                              << QStringList{QStringLiteral("220|mx ready")} << 14 << false;
    QTest::newRow("multi-line joined")
        << QByteArray("250-mx\r\n250-SIZE 100\r\n250 HELP\r\n")
        << QStringList{QStringLiteral("250|mx\nSIZE 100\nHELP")} << 32 << false;
    QTest::newRow("code alone") << QByteArray("250\r\n") << QStringList{QStringLiteral("250|")} << 5
                                << false;
    QTest::newRow("bare LF") << QByteArray("354 go\n") << QStringList{QStringLiteral("354|go")} << 7
                             << false;
    QTest::newRow("two replies in one read")
        << QByteArray("250 a\r\n221 b\r\n")
        << QStringList{QStringLiteral("250|a"), QStringLiteral("221|b")} << 14 << false;
    QTest::newRow("unfinished line waits")
        << QByteArray("220 mx rea") << QStringList{} << 0 << false;
    QTest::newRow("unfinished multi-line waits")
        << QByteArray("250 ok\r\n250-mx\r\n250-SIZE") << QStringList{QStringLiteral("250|ok")} << 8
        << false;
    QTest::newRow("UTF-8 text") << QByteArray("550 用户不存在\r\n")
                                << QStringList{QStringLiteral("550|用户不存在")} << 21 << false;
    QTest::newRow("garbage") << QByteArray("hello there\r\n") << QStringList{} << 0 << true;
    QTest::newRow("garbage after a reply") << QByteArray("220 ok\r\nHTTP/1.1 400\r\n")
                                           << QStringList{QStringLiteral("220|ok")} << 8 << true;
    QTest::newRow("class 6") << QByteArray("600 what\r\n") << QStringList{} << 0 << true;
    QTest::newRow("no separator") << QByteArray("250ok\r\n") << QStringList{} << 0 << true;
    QTest::newRow("code changes mid-reply")
        << QByteArray("250-a\r\n251 b\r\n") << QStringList{} << 0 << true;
    // A server that never ends its line must not make us buffer without end.
    QTest::newRow("overlong unfinished line")
        << (QByteArray("250 ") + longText.toLatin1()) << QStringList{} << 0 << true;
    QByteArray endless;
    for (int i = 0; i <= kSmtpMaxReplyLines; ++i)
        endless += "250-more\r\n";
    QTest::newRow("endless multi-line") << endless << QStringList{} << 0 << true;
}

void TestSmtpCore::replyParser()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, replies);
    QFETCH(int, consumed);
    QFETCH(bool, error);
    const SmtpReplyParse parsed = parseSmtpReplies(bytes);
    QStringList got;
    for (const SmtpReply& r : parsed.replies)
        got.append(QString::number(r.code) + u'|' + r.text);
    QCOMPARE(got, replies);
    QCOMPARE(parsed.consumed, qsizetype(consumed));
    QCOMPARE(!parsed.error.isEmpty(), error);
}

void TestSmtpCore::portText_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty is 25") << QString() << 25;
    QTest::newRow("number") << QStringLiteral("2525") << 2525;
    QTest::newRow("number then text") << QStringLiteral("587/tcp") << 587;
    QTest::newRow("fraction rounds half to even") << QStringLiteral("24.5") << 24;
    QTest::newRow("no number") << QStringLiteral("smtp") << 0;
}

void TestSmtpCore::portText()
{
    QFETCH(QString, port);
    QFETCH(int, expected);
    Winsock1 wsk;
    SmtpSession::ConnectToServer(QStringLiteral("127.0.0.1"), wsk, port);
    QCOMPARE(wsk.RemoteHost(), QStringLiteral("127.0.0.1"));
    QCOMPARE(wsk.RemotePort(), expected);
    wsk.Close();
}

int TestSmtpCore::send(const QString& from, const QString& subject, const QString& body,
                       SmtpOutcome* outcome)
{
    Winsock1 wsk;
    SmtpSession session;
    QSignalSpy connected(&wsk, &Winsock1::Connected);
    SmtpSession::ConnectToServer(QStringLiteral("127.0.0.1"), wsk, QString::number(m_sink.port()));
    if (!connected.wait(5000))
        return 0;
    const SmtpOutcome result = session.SendMail(
        from, QStringLiteral("feedback@lirondo.example.org"), subject, [body] { return body; },
        wsk);
    if (outcome)
        *outcome = result;
    if (wsk.State() != Winsock1::sckClosed || result.result != SmtpOutcome::Result::Sent)
        return 0;
    return m_sink.count();
}

void TestSmtpCore::wholeMessage()
{
    SmtpOutcome outcome;
    const int n = send(QStringLiteral("ann@example.org"), QStringLiteral("Hello"),
                       QStringLiteral("line1\nline2"), &outcome);
    QVERIFY2(n > 0, qPrintable(outcome.details()));
    QCOMPARE(m_sink.message(n), QByteArray("MIME-Version: 1.0\r\n"
                                           "From: ann <ann@example.org>\r\n"
                                           "To: <feedback@lirondo.example.org>\r\n"
                                           "Subject: Hello\r\n"
                                           "Content-Type: multipart/mixed;\r\n"
                                           "              boundary=Unique-Boundary\r\n"
                                           "\r\n"
                                           " [ Random garbage here ]\r\n"
                                           "\r\n"
                                           "\r\n"
                                           "--Unique-Boundary\r\n"
                                           "Content-type: text/plain; charset=UTF-8\r\n"
                                           "\r\n"
                                           "line1\r\n"
                                           "line2\r\n"
                                           "\r\n"
                                           "--Unique-Boundary--\r\n"
                                           "\r\n"));
    const QJsonObject envelope = m_sink.envelope(n);
    QCOMPARE(envelope.value(QStringLiteral("from")).toString(), QStringLiteral("ann@example.org"));
    QCOMPARE(envelope.value(QStringLiteral("to")).toVariant().toStringList(),
             QStringList{QStringLiteral("feedback@lirondo.example.org")});
    QCOMPARE(envelope.value(QStringLiteral("helo")).toString(), QStringLiteral("[127.0.0.1]"));
}

void TestSmtpCore::messageContent_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QByteArray>("fromHeader"); // as received
    QTest::addColumn<QString>("displayName");   // decoded
    QTest::addColumn<QString>("subjectText");   // decoded
    QTest::addColumn<QByteArray>("part");       // text part as received

    const QString ann = QStringLiteral("ann@example.org");
    const QByteArray annHeader = "ann <ann@example.org>";
    QTest::newRow("address without @")
        << QStringLiteral("localuser") << QStringLiteral("s") << QStringLiteral("b")
        << QByteArray("localuser <localuser>") << QStringLiteral("localuser") << QStringLiteral("s")
        << QByteArray("b\r\n");
    QTest::newRow("empty subject") << ann << QString() << QStringLiteral("b") << annHeader
                                   << QStringLiteral("ann") << QString() << QByteArray("b\r\n");
    QTest::newRow("empty body") << ann << QStringLiteral("s") << QString() << annHeader
                                << QStringLiteral("ann") << QStringLiteral("s")
                                << QByteArray("\r\n");
    QTest::newRow("body with final line break")
        << ann << QStringLiteral("s") << QStringLiteral("a\n") << annHeader << QStringLiteral("ann")
        << QStringLiteral("s") << QByteArray("a\r\n\r\n");
    QTest::newRow("a line of one period does not end the message")
        << ann << QStringLiteral("s") << QStringLiteral("first\n.\nlast") << annHeader
        << QStringLiteral("ann") << QStringLiteral("s") << QByteArray("first\r\n.\r\nlast\r\n");
    QTest::newRow("leading periods kept")
        << ann << QStringLiteral("s") << QStringLiteral("..two\n.one") << annHeader
        << QStringLiteral("ann") << QStringLiteral("s") << QByteArray("..two\r\n.one\r\n");
    QTest::newRow("CR and CRLF line ends")
        << ann << QStringLiteral("s") << QStringLiteral("a\rb\r\nc") << annHeader
        << QStringLiteral("ann") << QStringLiteral("s") << QByteArray("a\r\nb\r\nc\r\n");
    QTest::newRow("Chinese subject and body")
        << ann << QStringLiteral("Lirondo问题") << QStringLiteral("你好，世界\n第二行") << annHeader
        << QStringLiteral("ann") << QStringLiteral("Lirondo问题")
        << QStringLiteral("你好，世界\r\n第二行\r\n").toUtf8();
    QTest::newRow("long Chinese subject")
        << ann << QString(120, QChar(0x4e2d)) << QStringLiteral("b") << annHeader
        << QStringLiteral("ann") << QString(120, QChar(0x4e2d)) << QByteArray("b\r\n");
    QTest::newRow("line break in subject adds no header")
        << ann << QStringLiteral("hi\r\nBcc: evil@example.org") << QStringLiteral("b") << annHeader
        << QStringLiteral("ann") << QStringLiteral("hi  Bcc: evil@example.org")
        << QByteArray("b\r\n");
}

void TestSmtpCore::messageContent()
{
    QFETCH(QString, from);
    QFETCH(QString, subject);
    QFETCH(QString, body);
    QFETCH(QByteArray, fromHeader);
    QFETCH(QString, displayName);
    QFETCH(QString, subjectText);
    QFETCH(QByteArray, part);

    SmtpOutcome outcome;
    const int n = send(from, subject, body, &outcome);
    QVERIFY2(n > 0, qPrintable(outcome.details()));
    const QByteArray message = m_sink.message(n);

    QCOMPARE(header(message, "From"), fromHeader);
    QCOMPARE(decodeWords(header(message, "From")),
             displayName + QStringLiteral(" <") + from + u'>');
    QCOMPARE(decodeWords(header(message, "Subject")), subjectText);
    QCOMPARE(textPart(message), part);
    QCOMPARE(m_sink.envelope(n).value(QStringLiteral("from")).toString(), from);

    // Nothing the user typed becomes a header of its own, and no line is too long.
    for (const QByteArray& line : message.left(message.indexOf("\r\n\r\n")).split('\n')) {
        QVERIFY2(line.size() <= 78, line.constData());
        QVERIFY2(!line.startsWith("Bcc:"), line.constData());
    }
}

void TestSmtpCore::longBodyLineGoesAsBase64()
{
    // A paragraph typed without line breaks passes the 998-byte line limit.
    const QString body = QString(1500, QChar(0x6587)) + QStringLiteral("\n.end");
    SmtpOutcome outcome;
    const int n = send(QStringLiteral("ann@example.org"), QStringLiteral("s"), body, &outcome);
    QVERIFY2(n > 0, qPrintable(outcome.details()));
    const QByteArray message = m_sink.message(n);
    const QByteArray marker = "Content-Transfer-Encoding: base64\r\n\r\n";
    const qsizetype start = message.indexOf(marker);
    QVERIFY(start > 0);
    const qsizetype end = message.indexOf("--Unique-Boundary--", start);
    const QByteArray encoded = message.mid(start + marker.size(), end - start - marker.size());
    for (const QByteArray& line : encoded.split('\n'))
        QVERIFY(line.size() <= 78);
    QCOMPARE(QString::fromUtf8(QByteArray::fromBase64(encoded)), body);
}

void TestSmtpCore::chineseDisplayNameIsEncoded()
{
    // A server without SMTPUTF8 refuses such an address, so a lenient one is used.
    ScriptedSmtpServer server;
    Winsock1 wsk;
    SmtpSession session;
    QSignalSpy connected(&wsk, &Winsock1::Connected);
    SmtpSession::ConnectToServer(QStringLiteral("127.0.0.1"), wsk, QString::number(server.port()));
    QVERIFY(connected.wait(5000));
    const SmtpOutcome outcome = session.SendMail(
        QStringLiteral("张三@example.org"), QStringLiteral("x@example.org"), QStringLiteral("s"),
        [] { return QStringLiteral("b"); }, wsk);
    QCOMPARE(outcome.result, SmtpOutcome::Result::Sent);
    QCOMPARE(header(server.data, "From"),
             QStringLiteral("=?UTF-8?B?5byg5LiJ?= <张三@example.org>").toUtf8());
    QCOMPARE(server.commands.last(), QByteArray("QUIT"));
}

void TestSmtpCore::waitRunsPendingEvents()
{
    bool ran = false;
    QTimer::singleShot(0, this, [&ran] { ran = true; });
    SmtpSession::Wait(0.05);
    QVERIFY(ran);
}

int runSmtpCoreTests(int argc, char** argv)
{
    TestSmtpCore tests;
    return QTest::qExec(&tests, argc, argv);
}

} // namespace lirondo::test

#include "tst_smtpcore.moc"
