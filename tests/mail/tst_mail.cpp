// The mail client against a real SMTP server (aiosmtpd) and a scripted one that
// misbehaves on demand, and the feedback form around it.
#include "ScriptedSmtpServer.h"
#include "SmtpSink.h"

#include "fakes/FakeMessageBox.h"
#include "fakes/FakeUrlOpener.h"
#include "mail/SendMail.h"
#include "mail/SmtpReply.h"
#include "mail/SmtpSession.h"
#include "mail/Winsock1.h"

#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace lirondo;
using namespace lirondo::test;
using namespace Qt::StringLiterals;

namespace {

// The feedback form pointed at a server on 127.0.0.1.
struct Form
{
    explicit Form(int port, int timeoutMs = 10000)
    {
        MailSettings settings;
        settings.host = u"127.0.0.1"_s;
        settings.port = QString::number(port);
        settings.replyTimeoutMs = timeoutMs;
        form = new SendMail(settings, boxes, urls);
        QObject::connect(form, &SendMail::statusChanged,
                         [this](const QString& text) { statuses.append(text); });
        form->show();
    }
    ~Form() { delete form; }
    // Sends and waits for the session to end.
    void send()
    {
        form->cmdSend->click();
        QTRY_VERIFY_WITH_TIMEOUT(form->cmdSend->isEnabled(), 15000);
    }

    FakeMessageBox boxes;
    FakeUrlOpener urls;
    QPointer<SendMail> form;
    QStringList statuses;
};

} // namespace

class TestMail : public QObject
{
    Q_OBJECT

    SmtpSink m_sink;
    QString m_details;

    // Sends one message with the session alone; true when it went and the socket is closed.
    bool send(int port, const QString& from, const QString& subject, const QString& body)
    {
        Winsock1 wsk;
        QSignalSpy connected(&wsk, &Winsock1::Connected);
        SmtpSession::ConnectToServer(u"127.0.0.1"_s, wsk, QString::number(port));
        if (!connected.wait(5000))
            return false;
        const SmtpOutcome outcome = SmtpSession().SendMail(
            from, u"feedback@lirondo.example.org"_s, subject, [body] { return body; }, wsk);
        m_details = outcome.details();
        return outcome.result == SmtpOutcome::Result::Sent && wsk.State() == Winsock1::sckClosed;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_sink.start(), "aiosmtpd did not start"); }

    void replyParser_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("replies"); // "code|text" each, joined by ", "
        QTest::addColumn<int>("consumed");
        QTest::addColumn<bool>("error");
        const auto row = [](const char* name, const QByteArray& bytes, const char* replies,
                            int consumed, bool error) {
            QTest::newRow(name) << bytes << QString::fromUtf8(replies) << consumed << error;
        };
        row("multi-line joined", "250-mx\r\n250-SIZE 100\r\n250 HELP\r\n", "250|mx\nSIZE 100\nHELP",
            32, false);
        row("bare LF, code alone", "354 go\n250\r\n", "354|go, 250|", 12, false);
        row("unfinished reply waits", "250 ok\r\n250-mx\r\n250-SIZE", "250|ok", 8, false);
        row("garbage after a reply", "220 ok\r\nHTTP/1.1 400\r\n", "220|ok", 8, true);
        row("no separator", "250ok\r\n", "", 0, true);
        row("code changes mid-reply", "250-a\r\n251 b\r\n", "", 0, true);
        row("overlong unfinished line", "250 " + QByteArray(2000, 'x'), "", 0, true);
        row("endless multi-line", QByteArray("250-more\r\n").repeated(kSmtpMaxReplyLines + 1), "",
            0, true);
    }
    void replyParser()
    {
        QFETCH(QByteArray, bytes);
        const SmtpReplyParse parsed = parseSmtpReplies(bytes);
        QStringList got;
        for (const SmtpReply& r : parsed.replies)
            got.append(QString::number(r.code) + u'|' + r.text);
        QTEST(got.join(u", "_s), "replies");
        QTEST(int(parsed.consumed), "consumed");
        QTEST(!parsed.error.isEmpty(), "error");
    }

    void wholeMessage()
    {
        QVERIFY2(send(m_sink.port(), u"localuser"_s, u"Hello"_s, u"line1\nline2"_s),
                 qPrintable(m_details));
        QCOMPARE(m_sink.last(),
                 QByteArray(
                     "MIME-Version: 1.0\r\nFrom: localuser <localuser>\r\n"
                     "To: <feedback@lirondo.example.org>\r\nSubject: Hello\r\n"
                     "Content-Type: multipart/mixed;\r\n              boundary=Unique-Boundary\r\n"
                     "\r\n [ Random garbage here ]\r\n\r\n\r\n--Unique-Boundary\r\n"
                     "Content-type: text/plain; charset=UTF-8\r\n\r\nline1\r\nline2\r\n"
                     "\r\n--Unique-Boundary--\r\n\r\n"));
    }

    void messageContent_data()
    {
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("subjectText"); // as read
        QTest::addColumn<QString>("text");        // text part as read
        const QString s = u"s"_s;
        QTest::newRow("empty subject") << QString() << u"b"_s << QString() << u"b\r\n"_s;
        QTest::newRow("CR and CRLF line ends")
            << s << u"a\rb\r\nc\n"_s << s << u"a\r\nb\r\nc\r\n\r\n"_s;
        QTest::newRow("lines of periods do not end the message")
            << s << u"first\n.\n..two"_s << s << u"first\r\n.\r\n..two\r\n"_s;
        const QString longSubject = u"Lirondo问题"_s + QString(60, QChar(0x4e2d));
        QTest::newRow("Chinese subject and body") << longSubject << u"你好，世界\n第二行"_s
                                                  << longSubject << u"你好，世界\r\n第二行\r\n"_s;
        QTest::newRow("line break in subject adds no header")
            << u"hi\r\nBcc: evil@example.org"_s << u"b"_s << u"hi  Bcc: evil@example.org"_s
            << u"b\r\n"_s;
        // A paragraph typed without line breaks passes the 998-byte line limit.
        const QString paragraph = QString(1500, QChar(0x6587)) + u"\n.end"_s;
        QTest::newRow("long line goes as base64") << s << paragraph << s << paragraph;
    }
    void messageContent()
    {
        QFETCH(QString, subject);
        QFETCH(QString, body);
        QFETCH(QString, subjectText);
        QFETCH(QString, text);
        QVERIFY2(send(m_sink.port(), u"ann@example.org"_s, subject, body), qPrintable(m_details));
        QCOMPARE(m_sink.lastAsRead(), (QStringList{subjectText, text}));
        // Nothing the user typed becomes a header of its own, and no line is too long.
        for (const QByteArray& line : m_sink.last().split('\n')) {
            QVERIFY2(line.size() <= 78, line.constData());
            QVERIFY2(!line.startsWith("Bcc:"), line.constData());
        }
    }

    void commandsAndEncodedName()
    {
        // aiosmtpd without SMTPUTF8 refuses such an address, so the scripted server takes it.
        ScriptedSmtpServer server;
        QVERIFY2(send(server.port(), u"张三@example.org"_s, u"s"_s, u"b"_s), qPrintable(m_details));
        QCOMPARE(server.commands,
                 (QList<QByteArray>{"EHLO [127.0.0.1]", u"MAIL FROM:<张三@example.org>"_s.toUtf8(),
                                    "RCPT TO:<feedback@lirondo.example.org>", "DATA", "QUIT"}));
        QVERIFY(server.data.contains(
            u"\r\nFrom: =?UTF-8?B?5byg5LiJ?= <张三@example.org>\r\n"_s.toUtf8()));
    }

    void untouchedFieldsSendTheDefaults()
    {
        Form f(m_sink.port());
        QCOMPARE(f.form->txtfromname->text(), QHostInfo::localHostName());
        f.send();

        QVERIFY2(f.boxes.shown.isEmpty(), qPrintable(f.boxes.texts().join(u'\n')));
        QCOMPARE(f.statuses, (QStringList{u"连接服务器"_s, u"邮件发送中………………"_s, u"连接服务器"_s,
                                          u"发送邮件"_s, u"发送完成"_s, u"状态:"_s}));
        QCOMPARE(f.form->Winsock1.State(), int(Winsock1::sckClosed));
        QVERIFY(m_sink.last().contains("\r\nFrom: your.name <your.name@example.org>\r\n"));
        QCOMPARE(m_sink.lastAsRead().value(0), u"Lirondo问题"_s);
    }

    // What each failure says is checked through the main window with the bad-input rows;
    // here: the server's words reach the box, nothing is sent past a refusal, and the
    // connection is closed whether the server refused or fell silent.
    void serverFailures_data()
    {
        QTest::addColumn<QByteArray>("step");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("MAIL refused") << QByteArray("MAIL") << QByteArray("550 5.7.1 rejected");
        QTest::newRow("no answer after the dot") << QByteArray(".") << ScriptedSmtpServer::kSilent;
    }
    void serverFailures()
    {
        QFETCH(QByteArray, step);
        QFETCH(QByteArray, reply);
        ScriptedSmtpServer server;
        server.rules.insert(step, reply);
        Form f(server.port(), 500);
        f.send();
        QCOMPARE(f.boxes.shown.size(), 1);
        QCOMPARE(f.boxes.shown.first().text.contains(QString::fromUtf8(reply)), step == "MAIL");
        QVERIFY(f.form->lblStatus->text().startsWith(u"发送失败："_s));
        QCOMPARE(f.form->Winsock1.State(), int(Winsock1::sckClosed));
        QCOMPARE(server.commands.contains("RCPT TO:<feedback@lirondo.example.org>"), step == ".");
    }

    void nobodyListening()
    {
        QTcpServer probe; // a free port
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const int port = probe.serverPort();
        probe.close();
        Form f(port);
        f.form->cmdSend->click();
        QTRY_COMPARE_WITH_TIMEOUT(f.boxes.shown.size(), 1, 10000);
        const MessageBoxPort::Request& box = f.boxes.shown.first();
        QCOMPARE(box.text, u"Error Number: 10061\r\nConnection refused\r\nWinsock1"_s);
        QCOMPARE(box.icon, MessageBoxPort::Icon::Critical);
        QCOMPARE(box.title, u"关于"_s);
        QVERIFY(!f.form->cmdSend->isEnabled());
        // Closing is still allowed.
        QVERIFY(f.form->close());
        QTRY_VERIFY(f.form.isNull());
    }

    void closingRefusedWhileWriting()
    {
        ScriptedSmtpServer server;
        server.rules.insert("EHLO", ScriptedSmtpServer::kSilent);
        Form f(server.port(), 60000);
        // The checks run inside the session, once it waits for the server.
        bool closeAccepted = true;
        connect(f.form, &SendMail::statusChanged, this, [&](const QString& text) {
            if (text == u"发送邮件"_s) {
                QTimer::singleShot(50, f.form, [&] {
                    closeAccepted = f.form->close();
                    f.form->cmdClose->click();
                });
            }
        });
        f.send();

        QVERIFY(!closeAccepted);
        QCOMPARE(f.form->lblStatus->text(), u"邮件发送中，请稍候！"_s);
        // "关闭此窗口" stopped the session cleanly; the window stays and is usable.
        QVERIFY(f.form->isVisible() && !f.form->isSending());
        QCOMPARE(f.form->Winsock1.State(), int(Winsock1::sckClosed));
        QVERIFY(f.boxes.shown.isEmpty());
    }

    void bannerOpensWebAddress()
    {
        Form f(25);
        QTest::mouseClick(f.form->Image1, Qt::LeftButton);
        QTest::mouseClick(f.form->Image1, Qt::RightButton);
        QCOMPARE(f.urls.opened, QList<QUrl>{QUrl(u"https://lirondo.example.org/"_s)});
    }
};

QTEST_MAIN(TestMail)
#include "tst_mail.moc"
