#include "fakes/FakeUrlOpener.h"
#include "MailTests.h"
#include "ScriptedSmtpServer.h"
#include "SmtpSink.h"

#include "common/VbMath.h"
#include "fakes/FakeMessageBox.h"
#include "mail/SendMail.h"

#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace lirondo::test {

using Action = ScriptedSmtpServer::Action;

class TestSendMail : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_sink.start(), "aiosmtpd did not start"); }
    void cleanupTestCase() { m_sink.stop(); }

    void expandCollapse_data();
    void expandCollapse();
    void untouchedFieldsSendTheDefaults();
    void serverFailures_data();
    void serverFailures();
    void nobodyListening();
    void closingRefusedWhileWriting();
    void bannerOpensWebAddress();

private:
    MailSettings settingsFor(int port, int timeoutMs = 10000) const
    {
        MailSettings s;
        s.host = QStringLiteral("127.0.0.1");
        s.port = QString::number(port);
        s.replyTimeoutMs = timeoutMs;
        return s;
    }
    SmtpSink m_sink;
};

void TestSendMail::expandCollapse_data()
{
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("heightTwips");
    QTest::newRow("as opened") << 0 << 3504;
    QTest::newRow("once") << 1 << 7068;
    QTest::newRow("twice") << 2 << 3504;
    QTest::newRow("three times") << 3 << 7068;
}

void TestSendMail::expandCollapse()
{
    QFETCH(int, clicks);
    QFETCH(int, heightTwips);
    FakeMessageBox boxes;
    FakeUrlOpener urls;
    SendMail form(MailSettings{}, boxes, urls);
    form.show();
    for (int i = 0; i < clicks; ++i)
        form.Command1->click();
    QCOMPARE(form.height(), twipsToPixels(heightTwips));
    QCOMPARE(form.windowTitle(), QStringLiteral("关于"));
}

void TestSendMail::untouchedFieldsSendTheDefaults()
{
    FakeMessageBox boxes;
    FakeUrlOpener urls;
    SendMail form(settingsFor(m_sink.port()), boxes, urls);
    form.show();
    QCOMPARE(form.txtfromname->text(), QHostInfo::localHostName());
    QSignalSpy statuses(&form, &SendMail::statusChanged);
    const int before = m_sink.count();

    form.cmdSend->click();
    QTRY_VERIFY_WITH_TIMEOUT(form.cmdSend->isEnabled(), 15000);

    QVERIFY2(boxes.shown.isEmpty(), qPrintable(boxes.texts().join(u'\n')));
    QStringList seen;
    for (const QList<QVariant>& s : statuses)
        seen.append(s.at(0).toString());
    QCOMPARE(seen, (QStringList{QStringLiteral("连接服务器"), QStringLiteral("邮件发送中………………"),
                                QStringLiteral("连接服务器"), QStringLiteral("发送邮件"),
                                QStringLiteral("发送完成"), QStringLiteral("状态:")}));
    QCOMPARE(form.lblStatus->text(), QStringLiteral("状态:"));
    QVERIFY(!form.isSending());
    QCOMPARE(form.Winsock1.State(), int(Winsock1::sckClosed));

    QCOMPARE(m_sink.count(), before + 1);
    const QByteArray message = m_sink.message(before + 1);
    QCOMPARE(decodeWords(header(message, "Subject")), QStringLiteral("Lirondo问题"));
    QCOMPARE(header(message, "From"), QByteArray("your.name <your.name@example.org>"));
    QCOMPARE(header(message, "To"), QByteArray("<feedback@lirondo.example.org>"));
    QCOMPARE(textPart(message),
             QStringLiteral("为了便于联系你，请把“你的邮箱”栏里的邮件改为你的\r\n"
                            "邮件地址，或在这里写出你的详细邮箱！谢谢合作！\r\n\r\n")
                 .toUtf8());
    const QJsonObject envelope = m_sink.envelope(before + 1);
    QCOMPARE(envelope.value(QStringLiteral("from")).toString(),
             QStringLiteral("your.name@example.org"));
    QCOMPARE(envelope.value(QStringLiteral("to")).toVariant().toStringList(),
             QStringList{QStringLiteral("feedback@lirondo.example.org")});
}

void TestSendMail::serverFailures_data()
{
    QTest::addColumn<QByteArray>("step");
    QTest::addColumn<int>("action");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("summary"); // what the box and the status say
    QTest::addColumn<QString>("shownReply");

    auto refuse = [](const char* name, const char* step, const char* reply, const char* summary) {
        QTest::newRow(name) << QByteArray(step) << int(Action::Answer) << QByteArray(reply)
                            << QString::fromUtf8(summary) << QString::fromUtf8(reply);
    };
    refuse("greeting refused", "greeting", "554 no service here", "邮件服务器不接受连接");
    refuse("EHLO refused", "EHLO", "500 unknown command", "邮件服务器不接受问候");
    refuse("sender refused", "MAIL", "550 5.7.1 sender rejected", "邮件服务器拒绝了发件人地址");
    refuse("recipient refused", "RCPT", "450 4.2.0 mailbox busy", "邮件服务器拒绝了收件人地址");
    refuse("DATA refused", "DATA", "451 4.3.0 try later", "邮件服务器不接收信件");
    refuse("DATA answered 250", "DATA", "250 what", "邮件服务器不接收信件");
    refuse("message refused", ".", "552 5.3.4 message too big", "邮件服务器拒绝了这封信");

    auto other = [](const char* name, const char* step, Action action, const char* summary) {
        QTest::newRow(name) << QByteArray(step) << int(action) << QByteArray()
                            << QString::fromUtf8(summary) << QString();
    };
    other("no greeting", "greeting", Action::Silent, "邮件服务器没有回答（连接）");
    other("no answer to the message", ".", Action::Silent, "邮件服务器没有回答（信件内容）");
    other("dropped at RCPT", "RCPT", Action::Drop, "与邮件服务器的连接中断了（RCPT TO）");
    other("dropped mid-DATA", "data", Action::Drop, "与邮件服务器的连接中断了（信件内容）");
    other("garbage greeting", "greeting", Action::Garbage, "邮件服务器的回答无法识别（连接）");
    other("garbage to MAIL", "MAIL", Action::Garbage, "邮件服务器的回答无法识别（MAIL FROM）");
}

void TestSendMail::serverFailures()
{
    QFETCH(QByteArray, step);
    QFETCH(int, action);
    QFETCH(QByteArray, reply);
    QFETCH(QString, summary);
    QFETCH(QString, shownReply);

    ScriptedSmtpServer server;
    server.rules.insert(step, {Action(action), reply});
    FakeMessageBox boxes;
    FakeUrlOpener urls;
    SendMail form(settingsFor(server.port(), 500), boxes, urls);
    form.show();
    QSignalSpy statuses(&form, &SendMail::statusChanged);

    form.cmdSend->click();
    QTRY_VERIFY_WITH_TIMEOUT(form.cmdSend->isEnabled(), 15000);

    QCOMPARE(boxes.shown.size(), 1);
    const MessageBoxPort::Request& box = boxes.shown.first();
    QCOMPARE(box.icon, MessageBoxPort::Icon::Critical);
    QCOMPARE(box.title, QStringLiteral("关于"));
    QVERIFY2(box.text.startsWith(summary), qPrintable(box.text));
    if (!shownReply.isEmpty())
        QVERIFY2(box.text.contains(shownReply), qPrintable(box.text));
    QCOMPARE(form.lblStatus->text(), QStringLiteral("发送失败：") + summary);
    for (const QList<QVariant>& s : statuses)
        QVERIFY(s.at(0).toString() != QStringLiteral("发送完成"));
    QVERIFY(!form.isSending());
    QCOMPARE(form.Winsock1.State(), int(Winsock1::sckClosed));
    // Nothing is written after the step that failed.
    if (step == "MAIL" || step == "RCPT" || step == "greeting" || step == "EHLO") {
        for (const QByteArray& command : server.commands)
            QVERIFY2(!command.startsWith("DATA"), command.constData());
    }
}

void TestSendMail::nobodyListening()
{
    int port = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    FakeMessageBox boxes;
    FakeUrlOpener urls;
    QPointer<SendMail> form = new SendMail(settingsFor(port), boxes, urls);
    form->show();
    form->cmdSend->click();
    QTRY_COMPARE_WITH_TIMEOUT(boxes.shown.size(), 1, 10000);

    const MessageBoxPort::Request& box = boxes.shown.first();
    QCOMPARE(box.text, QStringLiteral("Error Number: 10061\r\nConnection refused\r\nWinsock1"));
    QCOMPARE(box.icon, MessageBoxPort::Icon::Critical);
    QCOMPARE(box.buttons, MessageBoxPort::Buttons::Ok);
    QCOMPARE(box.title, QStringLiteral("关于"));
    QVERIFY(!form->cmdSend->isEnabled());
    QCOMPARE(form->lblStatus->text(), QStringLiteral("邮件发送中………………"));

    // Closing is allowed; the window is gone, and a new one can send again.
    QVERIFY(form->close());
    QTRY_VERIFY(form.isNull());
    SendMail again(settingsFor(port), boxes, urls);
    QVERIFY(again.cmdSend->isEnabled());
}

void TestSendMail::closingRefusedWhileWriting()
{
    ScriptedSmtpServer server;
    server.rules.insert("EHLO", {Action::Silent, {}});
    FakeMessageBox boxes;
    FakeUrlOpener urls;
    QPointer<SendMail> form = new SendMail(settingsFor(server.port(), 60000), boxes, urls);
    form->show();

    // The checks run inside the session, once it waits for the server.
    bool closeAccepted = true;
    QString statusAfterClose;
    bool sendingWhileWaiting = false;
    bool probed = false;
    connect(form, &SendMail::statusChanged, this, [&](const QString& text) {
        if (text != QStringLiteral("发送邮件"))
            return;
        QTimer::singleShot(50, form, [&] {
            probed = true;
            sendingWhileWaiting = form->isSending();
            closeAccepted = form->close();
            statusAfterClose = form->lblStatus->text();
            form->cmdClose->click();
        });
    });

    form->cmdSend->click();
    QTRY_VERIFY_WITH_TIMEOUT(probed && !form.isNull() && form->cmdSend->isEnabled(), 15000);

    QVERIFY(sendingWhileWaiting);
    QVERIFY(!closeAccepted);
    QCOMPARE(statusAfterClose, QStringLiteral("邮件发送中，请稍候！"));
    // "关闭此窗口" stopped the session cleanly; the window stays and is usable.
    QVERIFY(form->isVisible());
    QVERIFY(!form->isSending());
    QCOMPARE(form->lblStatus->text(), QStringLiteral("邮件发送中，请稍候！"));
    QCOMPARE(form->Winsock1.State(), int(Winsock1::sckClosed));
    QVERIFY(boxes.shown.isEmpty());
    QVERIFY(form->close());
    QTRY_VERIFY(form.isNull());
}

void TestSendMail::bannerOpensWebAddress()
{
    FakeMessageBox boxes;
    FakeUrlOpener urls;
    SendMail form(MailSettings{}, boxes, urls);
    form.show();
    QCOMPARE(form.Image1->pixmap().size(), QSize(450, 131));
    QTest::mouseClick(form.Image1, Qt::LeftButton);
    QCOMPARE(urls.opened, QList<QUrl>{QUrl(QStringLiteral("https://lirondo.example.org/"))});
    QTest::mouseClick(form.Image1, Qt::RightButton);
    QCOMPARE(urls.opened.size(), 1);
}

int runSendMailTests(int argc, char** argv)
{
    TestSendMail tests;
    return QTest::qExec(&tests, argc, argv);
}

} // namespace lirondo::test

#include "tst_sendmail.moc"
