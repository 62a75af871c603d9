// The mail client against a real SMTP server (aiosmtpd) and a scripted one that
// misbehaves on demand, and the feedback form around it.
#include "ScriptedSmtpServer.h"
#include "SmtpSink.h"

#include "common/VbMath.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeUrlOpener.h"
#include "mail/FeedbackForm.h"
#include "mail/SmtpReply.h"
#include "mail/SmtpSession.h"
#include "mail/SmtpSocket.h"

#include <QHostInfo>
#include <QImage>
#include <QJsonArray>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
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
        form = new FeedbackForm(
            {.host = u"127.0.0.1"_s, .port = QString::number(port), .replyTimeoutMs = timeoutMs},
            boxes, urls);
        QObject::connect(form, &FeedbackForm::statusChanged,
                         [this](const QString& text) { statuses.append(text); });
        form->show();
    }
    ~Form() { delete form; }
    // One of the form's controls, by its object name.
    template <class W = QWidget> W* find(const QString& n) const { return form->findChild<W*>(n); }
    // Sends and waits for the session to end.
    void send()
    {
        find<QPushButton>(u"sendButton"_s)->click();
        QTRY_VERIFY_WITH_TIMEOUT(find(u"sendButton"_s)->isEnabled(), 15000);
    }

    FakeMessageBox boxes;
    FakeUrlOpener urls;
    QPointer<FeedbackForm> form;
    QStringList statuses;
};

// A listener whose queue of connections is full: a connection attempt to it
// neither succeeds nor fails until it times out. Once closed, nobody listens at its port.
struct FullListener
{
    FullListener()
    {
        server.setListenBacklogSize(0);
        server.setMaxPendingConnections(0); // never accepts
        server.listen(QHostAddress::LocalHost);
        filler.connectToHost(QHostAddress::LocalHost, server.serverPort());
        port = filler.waitForConnected(5000) ? server.serverPort() : 0;
    }
    void close()
    {
        filler.abort();
        server.close();
    }

    QTcpServer server;
    QTcpSocket filler; // takes the one place in the queue
    int port = 0;
};

// Where a widget paints anything but its background, in its parent's coordinates.
QRect ink(QWidget* widget)
{
    const QImage image = widget->grab().toImage();
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    QRect painted;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background)
                painted |= QRect(x, y, 1, 1);
        }
    }
    return painted.translated(widget->pos());
}

enum class Failure
{
    Refused,
    TimedOut,
    SenderRejected
};

} // namespace

class TestMail : public QObject
{
    Q_OBJECT

    SmtpSink m_sink;
    QString m_details;

    // Sends one message with the session alone; true when it went and the socket is closed.
    bool send(int port, const QString& from, const QString& subject, const QString& body,
              const QString& name = {})
    {
        SmtpSocket socket;
        QSignalSpy connected(&socket, &SmtpSocket::connected);
        SmtpSession::connectToServer(u"127.0.0.1"_s, socket, QString::number(port));
        if (!connected.wait(5000))
            return false;
        const SmtpOutcome outcome = SmtpSession().sendMail(
            from, name, u"feedback@lirondo.example.org"_s, subject, [body] { return body; },
            socket);
        m_details = outcome.details();
        return outcome.result == SmtpOutcome::Result::Sent &&
               socket.state() == SmtpSocket::State::Closed;
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
        // The date and the message's id differ each time: checked, then left out.
        QString message = QString::fromLatin1(m_sink.last());
        static const QRegularExpression varying(
            u"Date: ([^\r]+)\r\nMessage-ID: <[^@<> ]+@[^@<> ]+>\r\n"_s);
        const QRegularExpressionMatch m = varying.match(message);
        QVERIFY2(m.hasMatch(), qPrintable(message));
        const QDateTime sent = QDateTime::fromString(m.captured(1), Qt::RFC2822Date);
        QVERIFY2(qAbs(sent.secsTo(QDateTime::currentDateTime())) < 300, qPrintable(m.captured(1)));
        QCOMPARE(message.remove(m.capturedStart(), m.capturedLength()).toLatin1(),
                 QByteArray(
                     "MIME-Version: 1.0\r\nFrom: localuser <localuser>\r\n"
                     "To: <feedback@lirondo.example.org>\r\nSubject: Hello\r\n"
                     "Content-Type: multipart/mixed;\r\n              boundary=Unique-Boundary\r\n"
                     "\r\n [ Random garbage here ]\r\n\r\n\r\n--Unique-Boundary\r\n"
                     "Content-type: text/plain; charset=UTF-8\r\n"
                     "Content-Transfer-Encoding: 7bit\r\n\r\nline1\r\nline2\r\n"
                     "\r\n--Unique-Boundary--\r\n\r\n"));
        // The server offers 8BITMIME, so the envelope asks for it.
        QCOMPARE(m_sink.lastShown().value(u"mail_options"_s).toVariant().toStringList(),
                 QStringList{u"BODY=8BITMIME"_s});
    }

    void messageContent_data()
    {
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("name");     // typed in the name box
        QTest::addColumn<QStringList>("read"); // subject and text part as read
        QTest::addColumn<QString>("encoding"); // of the text part
        QTest::addColumn<QString>("nameText"); // From's display name as read
        const QString s = u"s"_s;
        QTest::newRow("empty subject, no name")
            << QString() << u"b"_s << u" "_s << QStringList{QString(), u"b\r\n"_s} << u"7bit"_s
            << u"ann"_s;
        QTest::newRow("CR and CRLF line ends")
            << s << u"a\rb\r\nc\n"_s << u"Ann Lee"_s << QStringList{s, u"a\r\nb\r\nc\r\n\r\n"_s}
            << u"7bit"_s << u"Ann Lee"_s;
        QTest::newRow("lines of periods do not end the message, quoted name")
            << s << u"first\n.\n..two"_s << u"Lee, Ann \"A.\" \\ x"_s
            << QStringList{s, u"first\r\n.\r\n..two\r\n"_s} << u"7bit"_s
            << u"Lee, Ann \"A.\" \\ x"_s;
        const QString longSubject = u"Lirondo问题"_s + QString(60, QChar(0x4e2d));
        QTest::newRow("Chinese subject, body and name")
            << longSubject << u"你好，世界\n第二行"_s << u"张三"_s
            << QStringList{longSubject, u"你好，世界\r\n第二行\r\n"_s} << u"8bit"_s << u"张三"_s;
        QTest::newRow("line break in subject adds no header")
            << u"hi\r\nBcc: evil@example.org"_s << u"b"_s << QString()
            << QStringList{u"hi  Bcc: evil@example.org"_s, u"b\r\n"_s} << u"7bit"_s << u"ann"_s;
        // A paragraph typed without line breaks passes the 998-byte line limit.
        const QString paragraph = QString(1500, QChar(0x6587)) + u"\n.end"_s;
        QTest::newRow("long line goes as base64")
            << s << paragraph << QString()
            << QStringList{s, QString(paragraph).replace(u"\n"_s, u"\r\n"_s)} << u"base64"_s
            << u"ann"_s;
    }
    void messageContent()
    {
        QFETCH(QString, subject);
        QFETCH(QString, body);
        QFETCH(QString, name);
        QVERIFY2(send(m_sink.port(), u"ann@example.org"_s, subject, body, name),
                 qPrintable(m_details));
        QTEST(m_sink.lastAsRead(), "read");
        const QJsonObject shown = m_sink.lastShown();
        QTEST(shown.value(u"encodings"_s).toVariant().toStringList().value(0), "encoding");
        QTEST(shown.value(u"from"_s).toString(), "nameText");
        // Nothing the user typed becomes a header of its own, and no line is too long.
        for (const QByteArray& line : m_sink.last().split('\n')) {
            QVERIFY2(line.size() <= 78, line.constData());
            QVERIFY2(!line.startsWith("Bcc:"), line.constData());
        }
    }

    void commandsAndEncodedName()
    {
        // aiosmtpd without SMTPUTF8 refuses such an address, so the scripted server takes
        // it; it offers no 8BITMIME, so the body goes 7-bit safe.
        ScriptedSmtpServer server;
        QVERIFY2(send(server.port(), u"张三@example.org"_s, u"s"_s, u"你好"_s),
                 qPrintable(m_details));
        QCOMPARE(server.commands,
                 (QList<QByteArray>{"EHLO [127.0.0.1]", u"MAIL FROM:<张三@example.org>"_s.toUtf8(),
                                    "RCPT TO:<feedback@lirondo.example.org>", "DATA", "QUIT"}));
        QVERIFY(server.data.contains(
            u"\r\nFrom: =?UTF-8?B?5byg5LiJ?= <张三@example.org>\r\n"_s.toUtf8()));
        QVERIFY(server.data.contains("Content-Transfer-Encoding: base64\r\n\r\n" +
                                     u"你好"_s.toUtf8().toBase64() + "\r\n"));
        QVERIFY(!server.data.contains("8bit"));
    }

    void untouchedFieldsSendTheDefaults()
    {
        Form f(m_sink.port());
        QCOMPARE(f.find<QLineEdit>(u"senderNameEdit"_s)->text(), QHostInfo::localHostName());
        f.send();

        QVERIFY2(f.boxes.shown.isEmpty(), qPrintable(f.boxes.texts().join(u'\n')));
        QCOMPARE(f.statuses, (QStringList{u"连接服务器"_s, u"邮件发送中………………"_s, u"连接服务器"_s,
                                          u"发送邮件"_s, u"发送完成"_s}));
        QCOMPARE(f.form->isConnected(), false);
        QVERIFY(m_sink.last().contains(" <your.name@example.org>\r\n"));
        QCOMPARE(m_sink.lastShown().value(u"from"_s).toString(), QHostInfo::localHostName());
        QCOMPARE(m_sink.lastAsRead().value(0), u"Lirondo问题"_s);
        // Success stays in view until the user starts on another message.
        QTest::qWait(50);
        QCOMPARE(f.form->status(), u"发送完成"_s);
        QTest::keyClick(f.find(u"subjectEdit"_s), Qt::Key_X);
        QCOMPARE(f.form->status(), u"状态:"_s);
    }

    // However the send fails, the status says so, the typed message stays, and sending
    // again once the cause is gone works.
    void failedSendCanBeRetried_data()
    {
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("box");
        QTest::newRow("nobody listening")
            << Failure::Refused << u"发送失败：邮件服务器拒绝连接"_s
            << u"Error Number: 10061\r\nConnection refused\r\nWinsock1"_s;
        QTest::newRow("connection never completes")
            << Failure::TimedOut << u"发送失败：连接邮件服务器超时"_s
            << u"Error Number: 10060\r\nConnection timed out\r\nWinsock1"_s;
        QTest::newRow("sender rejected")
            << Failure::SenderRejected << u"发送失败：邮件服务器拒绝了发件人地址"_s
            << u"邮件服务器拒绝了发件人地址\r\n服务器回答：553"_s;
    }
    void failedSendCanBeRetried()
    {
        QFETCH(Failure, failure);
        QFETCH(QString, status);
        QFETCH(QString, box);
        FullListener full;
        if (failure == Failure::Refused)
            full.close();
        const int port = failure == Failure::SenderRejected ? m_sink.port() : full.port;
        QVERIFY(port > 0);
        Form f(port, 500);
        if (failure == Failure::SenderRejected)
            f.find<QLineEdit>(u"senderAddressEdit"_s)->setText(u"ann@example.org@"_s);
        f.find<QLineEdit>(u"subjectEdit"_s)->setText(u"再试一次"_s);
        f.find<QPlainTextEdit>(u"bodyEdit"_s)->setPlainText(u"第一行\n"_s);
        f.send();

        QCOMPARE(f.form->status(), status);
        QCOMPARE(f.boxes.shown.size(), 1);
        const MessageBoxPort::Request& shown = f.boxes.shown.first();
        QVERIFY2(shown.text.startsWith(box), qPrintable(shown.text));
        QCOMPARE(shown.icon, MessageBoxPort::Icon::Critical);
        QCOMPARE(shown.title, u"关于"_s);
        QCOMPARE(f.find<QLineEdit>(u"subjectEdit"_s)->text(), u"再试一次"_s);
        QCOMPARE(f.find<QPlainTextEdit>(u"bodyEdit"_s)->toPlainText(), u"第一行\n"_s);

        SmtpSink late; // the server that was not there
        if (failure == Failure::SenderRejected) {
            f.find<QLineEdit>(u"senderAddressEdit"_s)->setText(u"ann@example.org"_s);
        } else {
            full.close();
            QVERIFY(late.start(port));
        }
        f.send();
        QCOMPARE(f.form->status(), u"发送完成"_s);
        const SmtpSink& sink = failure == Failure::SenderRejected ? m_sink : late;
        QCOMPARE(sink.lastAsRead(), (QStringList{u"再试一次"_s, u"第一行\r\n\r\n"_s}));
    }

    void closingWhileWriting()
    {
        ScriptedSmtpServer server;
        server.rules.insert("EHLO", ScriptedSmtpServer::kSilent);
        Form f(server.port(), 60000);
        // The checks run inside the session, once it waits for the server.
        bool closeAccepted = true;
        QString refused;
        connect(f.form, &FeedbackForm::statusChanged, this, [&](const QString& text) {
            if (text == u"发送邮件"_s) {
                QTimer::singleShot(50, f.form, [&] {
                    closeAccepted = f.form->close();
                    refused = f.form->status();
                    f.find<QPushButton>(u"closeButton"_s)->click();
                });
            }
        });
        f.find<QPushButton>(u"sendButton"_s)->click();
        // The close box waits while the message is on its way; "关闭此窗口" stops it, and
        // the window goes once the session has ended.
        QTRY_VERIFY_WITH_TIMEOUT(f.form.isNull(), 15000);
        QVERIFY(!closeAccepted);
        QCOMPARE(refused, u"邮件发送中，请稍候！"_s);
        QVERIFY(f.boxes.shown.isEmpty());
        QVERIFY(!server.commands.contains("DATA"));
    }

    // The collapsed window shows nothing of the mail form, the expanded one all of it;
    // "信件内容:" sits in its row beside "发送", above the body box; the about text keeps
    // off the window's edge. A left click on the banner opens the program's web address.
    void aboutWindow()
    {
        Form f(25);
        FeedbackForm* w = f.form;
        QVERIFY(w->height() > f.find(u"closeButton"_s)->geometry().bottom());
        QVERIFY(w->height() <= f.find(u"subjectLabel"_s)->y());
        QVERIFY(ink(f.find(u"aboutLabel"_s)).left() >= 4);
        f.find<QPushButton>(u"mailFormButton"_s)->click();
        QCOMPARE(w->frameGeometry().height(), twipsToPixels(7068));
        QVERIFY(w->height() > f.find(u"statusLabel"_s)->geometry().bottom());
        QVERIFY(!f.find(u"sendButton"_s)->geometry().intersects(f.find(u"bodyEdit"_s)->geometry()));
        const QRect caption = ink(f.find(u"bodyLabel"_s));
        QVERIFY2(caption.bottom() < f.find(u"bodyEdit"_s)->y(),
                 qPrintable(QString::number(caption.bottom())));
        QVERIFY(caption.top() < f.find(u"sendButton"_s)->geometry().center().y());
        f.find<QPushButton>(u"mailFormButton"_s)->click();
        QVERIFY(w->height() <= f.find(u"subjectLabel"_s)->y());
        QTest::mouseClick(f.find(u"bannerLabel"_s), Qt::LeftButton);
        QTest::mouseClick(f.find(u"bannerLabel"_s), Qt::RightButton);
        QCOMPARE(f.urls.opened, QList<QUrl>{QUrl(u"https://lirondo.example.org/"_s)});
    }
};

QTEST_MAIN(TestMail)
#include "tst_mail.moc"
