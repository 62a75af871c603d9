// Bad input through the window's own commands: text files that are empty, binary,
// badly encoded or not files at all; character files cut short or pointing outside
// themselves; mail servers that refuse, babble, fall silent or hang up. Each row checks
// the text box, the messages shown, and that the window still answers a command.

#include "assistant/AcsFile.h"
#include "assistant/CharacterService.h"
#include "fakes/MainWindowFakes.h"
#include "mail/FeedbackForm.h"
#include "mail/ScriptedSmtpServer.h"
#include "reading/ReadingController.h"
#include "shell/CommandLabel.h"
#include "shell/ReadingTextEdit.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QtEndian>

#include <unistd.h>

using namespace lirondo;
using namespace lirondo::test;

namespace {

const QString kBefore = u"原来的文字 text before"_qs;

// Vanished: listed, then deleted before it is opened. For a Character row the bytes are the
// character file the window shows; for a Mail row, what the server answers at one step: its
// own words reach the box.
enum class Source
{
    File,
    Directory,
    Unreadable,
    Vanished,
    DanglingLink,
    Character,
    Mail
};

quint32 u32At(const QByteArray& b, qint64 at)
{
    return at + 4 <= b.size() ? qFromLittleEndian<quint32>(b.constData() + at) : 0;
}

} // namespace

class TestBadInput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void badInput_data();
    void badInput();
};

void TestBadInput::badInput_data()
{
    QTest::addColumn<Source>("source");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("how"); // click, drop or open for files; the mail step
    QTest::addColumn<QString>("shown");  // the text box afterwards
    QTest::addColumn<int>("listed");     // reading list entries afterwards
    QTest::addColumn<QStringList>("messages");

    // Text files, by the list click, the drop and the open command. A file that cannot be
    // read changes nothing. The list click starts from a listed file; the others list what
    // they read.
    const auto text = [](const char* name, const QByteArray& bytes, const QString& decoded,
                         Source source = Source::File) {
        const bool read = source == Source::File;
        for (const char* via : {"click", "drop", "open"}) {
            QTest::addRow("%s: %s", via, name)
                << source << bytes << QByteArray(via) << (read ? decoded : kBefore)
                << int(read || qstrcmp(via, "click") == 0) << QStringList{};
        }
    };
    const QString mixed = u"中文 and English"_qs;
    text("empty", "", u""_qs);
    text("one byte", "x", u"x"_qs);
    text("one lone lead byte", "\x81", u"\uFFFD"_qs);
    text("binary with NUL bytes", QByteArray("a\0\0b\x01z", 6), u"a\u0000\u0000b\u0001z"_qs);
    text("GBK lead byte before ASCII", "\xd6\xd0\x81 end", u"中\uFFFD end"_qs);
    text("GBK lead byte at the very end", "ab\xd6\xd0\xce", u"ab中\uFFFD"_qs);
    text("UTF-8 without BOM", mixed.toUtf8(), mixed);
    text("UTF-16 LE cut in a character", QByteArray("\xff\xfe\x41\0B", 5), u"A\uFFFD"_qs);
    text("BOM alone", "\xef\xbb\xbf", u""_qs);
    text("directory", {}, {}, Source::Directory);
    text("unreadable", "secret", {}, Source::Unreadable);
    text("vanished", "gone", {}, Source::Vanished);
    text("symlink to nothing", {}, {}, Source::DanglingLink);

    // Character files: the default file fails, so "显示精灵" offers a search.
    QFile merlin(QStringLiteral(LIRONDO_MERLIN_ACS));
    QVERIFY2(merlin.open(QIODevice::ReadOnly), LIRONDO_MERLIN_ACS);
    const QByteArray whole = merlin.readAll();
    QVERIFY(CharacterService().load(u"merlin"_qs, merlin.fileName())); // whole, it loads
    // The file is there: the box says it does not read, and why (in the reader's words).
    const auto acs = [&](const QString& name, const QByteArray& bytes) {
        const QStringList boxes{u"merlin.acs不是可以读取的精灵动画文件，无法加载精灵\r\n原因："_qs +
                                    acs::readAcs(bytes).error,
                                u"是否自己查找？"_qs};
        QTest::newRow(qPrintable(u"character: "_qs + name))
            << Source::Character << bytes << QByteArray() << kBefore << 0 << boxes;
    };
    // The reader's refusal of a cut at every length is in tst_acsfile; here the window's part.
    acs(u"cut to nothing"_qs, {});
    acs(u"cut inside the header"_qs, whole.left(20));
    acs(u"cut in half"_qs, whole.left(whole.size() / 2));
    acs(u"cut one byte short"_qs, whole.chopped(1));
    // Counts and offsets that point past the file, or wrap round (a huge animation count
    // is tst_acsfile's).
    const qint64 images = u32At(whole, 20);
    const quint32 size = quint32(whole.size());
    const std::tuple<const char*, qint64, quint32> patches[] = {
        {"not a character file", 0, 0x12345678},
        {"info offset past the end", 4, size},
        {"info size past the end", 8, 0xFFFFFFFF},
        {"animation list offset wraps", 12, 0xFFFFFFF0},
        {"image list size past the end", 24, size},
        {"sound list offset past the end", 28, 0xFFFFFFFF},
        {"image count huge", images, 0xFFFFFFFF},
        {"image count one too many", images, u32At(whole, images) + 1},
        {"first image offset past the end", images + 4, 0xFFFFFFF0},
        {"first image size past the end", images + 8, 0x7FFFFFFF},
    };
    for (const auto& [name, at, value] : patches) {
        QByteArray b = whole;
        qToLittleEndian(value, b.data() + at);
        acs(QString::fromLatin1(name), b);
    }

    // Mail servers, through the feedback form's send.
    const auto mail = [](const char* name, const char* step, const QByteArray& reply,
                         const char* summary) {
        QString box = QString::fromUtf8(summary);
        if (QChar::isDigit(reply.at(0)))
            box += u"\r\n服务器回答："_qs + QString::fromUtf8(reply);
        QTest::addRow("mail: %s", name)
            << Source::Mail << reply << QByteArray(step) << kBefore << 0 << QStringList{box};
    };
    const QByteArray silent = ScriptedSmtpServer::kSilent;
    const QByteArray hangUp = ScriptedSmtpServer::kDrop;
    mail("greeting refused", "greeting", "554 no service here", "邮件服务器不接受连接");
    mail("greeting garbage", "greeting", "\x01\x02 garbage", "邮件服务器的回答无法识别（连接）");
    mail("greeting never comes", "greeting", silent, "邮件服务器没有回答（连接）");
    mail("hung up instead of a greeting", "greeting", hangUp, "与邮件服务器的连接中断了（连接）");
    mail("EHLO refused", "EHLO", "502 command not implemented", "邮件服务器不接受问候");
    mail("EHLO unanswered", "EHLO", silent, "邮件服务器没有回答（EHLO）");
    mail("MAIL refused", "MAIL", "550 sender rejected", "邮件服务器拒绝了发件人地址");
    mail("MAIL garbage", "MAIL", "OK fine", "邮件服务器的回答无法识别（MAIL FROM）");
    mail("RCPT refused", "RCPT", "550 no such user", "邮件服务器拒绝了收件人地址");
    mail("RCPT hung up", "RCPT", hangUp, "与邮件服务器的连接中断了（RCPT TO）");
    mail("DATA refused", "DATA", "554 no data today", "邮件服务器不接收信件");
    mail("hung up in the message", "data", hangUp, "与邮件服务器的连接中断了（信件内容）");
    mail("message refused after the dot", ".", "554 message rejected", "邮件服务器拒绝了这封信");
    mail("no answer after the dot", ".", silent, "邮件服务器没有回答（信件内容）");
}

void TestBadInput::badInput()
{
    QFETCH(Source, source);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, how);
    QFETCH(QString, shown);
    QFETCH(int, listed);
    QFETCH(QStringList, messages);
    if (source == Source::Unreadable && geteuid() == 0)
        QSKIP("root reads files of mode 000");

    QTemporaryDir dir;
    // The window looks for its character at <bin>/../share/lirondo/chars/merlin.acs.
    const QString chars = dir.filePath(u"share/lirondo/chars"_qs);
    QVERIFY(QDir().mkpath(chars));
    ScriptedSmtpServer server;
    server.rules.insert(how, bytes);
    const MailSettings mail{
        .host = u"127.0.0.1"_qs, .port = QString::number(server.port()), .replyTimeoutMs = 500};
    // The main window with fakes, except the character service when the row wants the real
    // one.
    MainWindowFakes f;
    CharacterService realAgent;
    AgentService& agent =
        source == Source::Character ? static_cast<AgentService&>(realAgent) : f.agent;
    MainWindow window(MainWindowServices{f.engine, f.messages, f.dialog, agent, f.clock, f.gbk,
                                         dir.filePath(u"bin"_qs)},
                      MainWindowDesktop{nullptr, &f.browser, mail});
    window.documents().setDocumentText(kBefore);

    if (source == Source::Character) {
        const QString path = chars + u"/merlin.acs"_qs;
        QVERIFY(writeFile(path, bytes));
        f.messages.answers = {MessageBoxPort::Answer::Ok, MessageBoxPort::Answer::Yes};
        window.runCommand(ReadingController::ShowCharacter);
        QCOMPARE(f.dialog.requests.size(), 1); // the search, cancelled
        QCOMPARE(command(window, ReadingController::ShowCharacter)->text(), u"显示精灵"_qs);
    } else if (source == Source::Mail) {
        // "关于" opens the feedback form; "发送" sends.
        window.runCommand(ReadingController::About);
        FeedbackForm* form = window.sideWindows().feedbackForm();
        QVERIFY(form);
        form->findChild<QPushButton*>(u"sendButton"_qs)->click();
        QTRY_VERIFY_WITH_TIMEOUT(form->findChild<QWidget*>(u"sendButton"_qs)->isEnabled(), 15000);
        QCOMPARE(f.messages.shown.value(0).icon, MessageBoxPort::Icon::Critical);
        QCOMPARE(form->status(), u"发送失败："_qs + messages[0].section(u'\r', 0, 0));
        // Nothing is sent past the step that failed, and the connection is closed.
        const QByteArray last = server.commands.isEmpty() ? "greeting" : server.commands.last();
        QCOMPARE(last.left(4), how == "data" || how == "." ? QByteArray("DATA") : how.left(4));
        QVERIFY(!form->isConnected());
    } else {
        const QString path = dir.filePath(u"文本.txt"_qs);
        if (source == Source::Directory)
            QVERIFY(QDir().mkdir(path));
        else if (source == Source::DanglingLink)
            QVERIFY(QFile::link(dir.filePath(u"gone.txt"_qs), path));
        else
            QVERIFY(writeFile(path, bytes));
        if (source == Source::Unreadable)
            QVERIFY(QFile::setPermissions(path, {}));
        if (how == "click")
            window.documents().addToReadingList(path);
        if (source == Source::Vanished)
            QVERIFY(QFile::remove(path));
        if (how == "click")
            Q_EMIT readingListView(window)->itemClicked(readingListView(window)->topLevelItem(0),
                                                        0);
        else if (how == "drop")
            window.documents().dropFiles({path});
        else {
            f.dialog.answers = {path};
            window.documents().openFile();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!window.documents().loadPending(), 10000);
        QCOMPARE(textEdit(window)->toPlainText().size(), shown.size());
    }
    QCOMPARE(window.documents().text(), shown);
    QCOMPARE(readingListView(window)->topLevelItemCount(), listed);
    QCOMPARE(f.messages.texts(), messages);
    // The window still takes commands: a text dropped on the box is read aloud.
    window.documents().dropText(u"still here"_qs);
    window.reading().read();
    QCOMPARE(f.engine.spoken().value(f.engine.spoken().size() - 1).text, u"still here"_qs);
}

QTEST_MAIN(TestBadInput)
#include "tst_bad_input.moc"
