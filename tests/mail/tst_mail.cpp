// The mail client against a real SMTP server (aiosmtpd) and a scripted one that
// misbehaves on demand, and the feedback form around it.
#include "ScriptedSmtpServer.h"
#include "SmtpSink.h"

#include "common/VbMath.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeUrlOpener.h"
#include "mail/SendMail.h"
#include "mail/SmtpReply.h"
#include "mail/SmtpSession.h"
#include "mail/Winsock1.h"

#include <QApplication>
#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace lirondo;
using namespace lirondo::test;

namespace {

// The feedback form pointed at a server on 127.0.0.1.
struct Form
{
    explicit Form(int port, int timeoutMs = 10000)
    {
        MailSettings settings;
        settings.host = QStringLiteral("127.0.0.1");
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

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_sink.start(), "aiosmtpd did not start"); }

    void getField_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("delimiter");
        QTest::addColumn<QString>("expected");
        const QString comma = QStringLiteral(",");
        QTest::newRow("first of two") << 1 << "ab,cd" << comma << "ab";
        QTest::newRow("no delimiter") << 1 << "ab" << comma << "ab";
        QTest::newRow("past the end") << 3 << "ab,cd" << comma << "";
        QTest::newRow("empty last field") << 2 << "x," << comma << "";
        QTest::newRow("index 0") << 0 << "ab,cd" << comma << "";
        QTest::newRow("name of an address")
            << 1 << "ann@example.org" << QStringLiteral("@") << "ann";
        QTest::newRow("two-character delimiter") << 2 << "a::b::c" << QStringLiteral("::") << "b";
        QTest::newRow("empty delimiter") << 1 << "ab" << QString() << "";
    }
    void getField()
    {
        QFETCH(int, index);
        QFETCH(QString, text);
        QFETCH(QString, delimiter);
        QTEST(GetField(index, text, delimiter), "expected");
    }

    void replyParser_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("replies"); // "code|text" each, joined by ", "
        QTest::addColumn<int>("consumed");
        QTest::addColumn<bool>("error");
        QByteArray endless;
        for (int i = 0; i <= kSmtpMaxReplyLines; ++i)
            endless += "250-more\r\n";
        const auto row = [](const char* name, const QByteArray& bytes, const char* replies,
                            int consumed, bool error) {
            QTest::newRow(name) << bytes << QString::fromUtf8(replies) << consumed << error;
        };
        row("multi-line joined", "250-mx\r\n250-SIZE 100\r\n250 HELP\r\n", "250|mx\nSIZE 100\nHELP",
            32, false);
        row("bare LF, code alone", "354 go\n250\r\n", "354|go, 250|", 12, false);
        row("unfinished reply waits", "250 ok\r\n250-mx\r\n250-SIZE", "250|ok", 8, false);
        row("garbage", "hello there\r\n", "", 0, true);
        row("garbage after a reply", "220 ok\r\nHTTP/1.1 400\r\n", "220|ok", 8, true);
        row("no separator", "250ok\r\n", "", 0, true);
        row("code changes mid-reply", "250-a\r\n251 b\r\n", "", 0, true);
        row("overlong unfinished line", "250 " + QByteArray(2000, 'x'), "", 0, true);
        row("endless multi-line", endless, "", 0, true);
    }
    void replyParser()
    {
        QFETCH(QByteArray, bytes);
        const SmtpReplyParse parsed = parseSmtpReplies(bytes);
        QStringList got;
        for (const SmtpReply& r : parsed.replies)
            got.append(QString::number(r.code) + u'|' + r.text);
        QTEST(got.join(QStringLiteral(", ")), "replies");
        QTEST(int(parsed.consumed), "consumed");
        QTEST(!parsed.error.isEmpty(), "error");
    }

    void portText_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty is 25") << "" << 25;
        QTest::newRow("number then text") << "587/tcp" << 587;
        QTest::newRow("no number") << "smtp" << 0;
    }
    void portText()
    {
        QFETCH(QString, port);
        Winsock1 wsk;
        SmtpSession::ConnectToServer(QStringLiteral("127.0.0.1"), wsk, port);
        QTEST(wsk.RemotePort(), "expected");
        wsk.Close();
    }

    void wholeMessage()
    {
        QVERIFY2(send(m_sink.port(), QStringLiteral("localuser"), QStringLiteral("Hello"),
                      QStringLiteral("line1\nline2")),
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
        const QString s = QStringLiteral("s");
        QTest::newRow("empty subject") << QString() << "b" << QString() << "b\r\n";
        QTest::newRow("body with final line break") << s << "a\n" << s << "a\r\n\r\n";
        QTest::newRow("CR and CRLF line ends") << s << "a\rb\r\nc" << s << "a\r\nb\r\nc\r\n";
        QTest::newRow("lines of periods do not end the message")
            << s << "first\n.\n..two" << s << "first\r\n.\r\n..two\r\n";
        const QString longSubject = QStringLiteral("Lirondo问题") + QString(60, QChar(0x4e2d));
        QTest::newRow("Chinese subject and body")
            << longSubject << "你好，世界\n第二行" << longSubject << "你好，世界\r\n第二行\r\n";
        QTest::newRow("line break in subject adds no header")
            << QStringLiteral("hi\r\nBcc: evil@example.org") << "b"
            << QStringLiteral("hi  Bcc: evil@example.org") << "b\r\n";
    }
    void messageContent()
    {
        QFETCH(QString, subject);
        QFETCH(QString, body);
        QFETCH(QString, subjectText);
        QFETCH(QString, text);
        QVERIFY2(send(m_sink.port(), QStringLiteral("ann@example.org"), subject, body),
                 qPrintable(m_details));
        QCOMPARE(m_sink.lastAsRead(), (QStringList{subjectText, text}));
        // Nothing the user typed becomes a header of its own, and no line is too long.
        const QByteArray message = m_sink.last();
        for (const QByteArray& line : message.left(message.indexOf("\r\n\r\n")).split('\n')) {
            QVERIFY2(line.size() <= 78, line.constData());
            QVERIFY2(!line.startsWith("Bcc:"), line.constData());
        }
    }

    void longBodyLineGoesAsBase64()
    {
        // A paragraph typed without line breaks passes the 998-byte line limit.
        const QString body = QString(1500, QChar(0x6587)) + QStringLiteral("\n.end");
        QVERIFY2(send(m_sink.port(), QStringLiteral("ann@example.org"), QStringLiteral("s"), body),
                 qPrintable(m_details));
        QCOMPARE(m_sink.lastAsRead(), (QStringList{QStringLiteral("s"), body}));
        for (const QByteArray& line : m_sink.last().split('\n'))
            QVERIFY(line.size() <= 78);
    }

    void commandsAndEncodedName()
    {
        // aiosmtpd without SMTPUTF8 refuses such an address, so the scripted server takes it.
        ScriptedSmtpServer server;
        QVERIFY2(send(server.port(), QStringLiteral("张三@example.org"), QStringLiteral("s"),
                      QStringLiteral("b")),
                 qPrintable(m_details));
        QCOMPARE(server.commands,
                 (QList<QByteArray>{"EHLO [127.0.0.1]",
                                    QStringLiteral("MAIL FROM:<张三@example.org>").toUtf8(),
                                    "RCPT TO:<feedback@lirondo.example.org>", "DATA", "QUIT"}));
        QVERIFY(server.data.contains(
            QStringLiteral("\r\nFrom: =?UTF-8?B?5byg5LiJ?= <张三@example.org>\r\n").toUtf8()));
    }

    void expandCollapse()
    {
        Form f(25);
        for (const int twips : {3504, 7068, 3504}) {
            QCOMPARE(f.form->height(), twipsToPixels(twips));
            f.form->Command1->click();
        }
    }

    void untouchedFieldsSendTheDefaults()
    {
        Form f(m_sink.port());
        QCOMPARE(f.form->txtfromname->text(), QHostInfo::localHostName());
        f.send();

        QVERIFY2(f.boxes.shown.isEmpty(), qPrintable(f.boxes.texts().join(u'\n')));
        QCOMPARE(f.statuses,
                 (QStringList{QStringLiteral("连接服务器"), QStringLiteral("邮件发送中………………"),
                              QStringLiteral("连接服务器"), QStringLiteral("发送邮件"),
                              QStringLiteral("发送完成"), QStringLiteral("状态:")}));
        QCOMPARE(f.form->Winsock1.State(), int(Winsock1::sckClosed));
        QVERIFY(m_sink.last().contains("\r\nFrom: your.name <your.name@example.org>\r\n"));
        QCOMPARE(m_sink.lastAsRead(),
                 (QStringList{
                     QStringLiteral("Lirondo问题"),
                     QStringLiteral("为了便于联系你，请把“你的邮箱”栏里的邮件改为你的\r\n"
                                    "邮件地址，或在这里写出你的详细邮箱！谢谢合作！\r\n\r\n")}));
    }

    void serverFailures_data()
    {
        QTest::addColumn<QByteArray>("step");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("summary"); // what the box and the status say
        const auto row = [](const char* step, const QByteArray& reply, const char* summary) {
            QTest::newRow(step) << QByteArray(step) << reply << QString::fromUtf8(summary);
        };
        const QByteArray silent = ScriptedSmtpServer::kSilent;
        row("greeting", "hello, this is not SMTP", "邮件服务器的回答无法识别（连接）");
        row("MAIL", "550 5.7.1 sender rejected", "邮件服务器拒绝了发件人地址");
        row("RCPT", "450 4.2.0 mailbox busy", "邮件服务器拒绝了收件人地址");
        row("DATA", "250 what", "邮件服务器不接收信件");
        row("data", ScriptedSmtpServer::kDrop, "与邮件服务器的连接中断了（信件内容）");
        row(".", silent, "邮件服务器没有回答（信件内容）");
    }
    void serverFailures()
    {
        QFETCH(QByteArray, step);
        QFETCH(QByteArray, reply);
        QFETCH(QString, summary);
        ScriptedSmtpServer server;
        server.rules.insert(step, reply);
        Form f(server.port(), 500);
        f.send();

        QCOMPARE(f.boxes.shown.size(), 1);
        const QString box = f.boxes.shown.first().text;
        QVERIFY2(box.startsWith(summary), qPrintable(box));
        if (QChar::isDigit(reply.at(0)))
            QVERIFY2(box.contains(QString::fromUtf8(reply)), qPrintable(box));
        QCOMPARE(f.form->lblStatus->text(), QStringLiteral("发送失败：") + summary);
        QVERIFY(!f.statuses.contains(QStringLiteral("发送完成")));
        QCOMPARE(f.form->Winsock1.State(), int(Winsock1::sckClosed));
        // Nothing is written after a refused address.
        QVERIFY(step == "DATA" || step == "data" || step == "." ||
                !server.commands.contains("DATA"));
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
        QCOMPARE(box.text, QStringLiteral("Error Number: 10061\r\nConnection refused\r\nWinsock1"));
        QCOMPARE(box.icon, MessageBoxPort::Icon::Critical);
        QCOMPARE(box.title, QStringLiteral("关于"));
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
            if (text == QStringLiteral("发送邮件")) {
                QTimer::singleShot(50, f.form, [&] {
                    closeAccepted = f.form->close();
                    f.form->cmdClose->click();
                });
            }
        });
        f.send();

        QVERIFY(!closeAccepted);
        QCOMPARE(f.form->lblStatus->text(), QStringLiteral("邮件发送中，请稍候！"));
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
        QCOMPARE(f.urls.opened, QList<QUrl>{QUrl(QStringLiteral("https://lirondo.example.org/"))});
    }

private:
    // Sends one message with the session alone; true when it went and the socket
    // is closed.
    bool send(int port, const QString& from, const QString& subject, const QString& body)
    {
        Winsock1 wsk;
        QSignalSpy connected(&wsk, &Winsock1::Connected);
        SmtpSession::ConnectToServer(QStringLiteral("127.0.0.1"), wsk, QString::number(port));
        if (!connected.wait(5000))
            return false;
        SmtpSession session;
        const SmtpOutcome outcome = session.SendMail(
            from, QStringLiteral("feedback@lirondo.example.org"), subject, [body] { return body; },
            wsk);
        m_details = outcome.details();
        return outcome.result == SmtpOutcome::Result::Sent && wsk.State() == Winsock1::sckClosed;
    }

    SmtpSink m_sink;
    QString m_details;
};

QTEST_MAIN(TestMail)
#include "tst_mail.moc"
