// Bad input through the window's own commands: text files that are empty, binary,
// badly encoded or not files at all; character files cut short or pointing outside
// themselves; mail servers that refuse, babble, fall silent or hang up. Each row checks
// what the user sees, and that the window still answers a command afterwards.

#include "assistant/CharacterService.h"
#include "common/Gbk.h"
#include "fakes/FakeAgent.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeFileDialog.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeSpeechEngine.h"
#include "fakes/FakeUrlOpener.h"
#include "mail/ScriptedSmtpServer.h"
#include "mail/SendMail.h"
#include "reading/ReadingController.h"
#include "shell/CommandLabel.h"
#include "shell/Form1.h"
#include "shell/TextenEdit.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QtEndian>

#include <unistd.h>

using namespace lirondo;
using namespace lirondo::test;

namespace {

const QString kBefore = QStringLiteral("原来的文字 text before");
const QString kNotFound =
    QStringLiteral("找不到merlin.acs精灵动画文件，无法加载精灵") + QStringLiteral("\r\n") +
    QStringLiteral("同时请确定你已经安装了Microsoft Agent的核心组件 msagent.exe");
const QString kSearch = QStringLiteral("是否自己查找？");

// The main window with fakes, except the character service when a test wants the real one.
struct Window
{
    explicit Window(AgentService& agent, const QString& appDir = QStringLiteral("/nowhere/bin"),
                    const MailSettings& mail = {})
        : form(Form1Services{engine, messages, dialog, agent, clock, gbk, appDir},
               Form1Desktop{nullptr, &browser, mail})
    {}

    // The window still takes commands: a text dropped on the box is read aloud.
    bool stillResponds()
    {
        const QString probe = QStringLiteral("still here");
        form.Texten_TextDropped(probe);
        form.reading().Label2_Click(ReadingController::Read);
        const QList<FakeSpeechEngine::Call> spoken = engine.spoken();
        return !spoken.isEmpty() && spoken.last().text == probe;
    }

    GbkCodePage gbk;
    FakeSpeechEngine engine{voicesNamed(
        {QStringLiteral("Microsoft Simplified Chinese"), QStringLiteral("Microsoft Mike")})};
    FakeMessageBox messages;
    FakeFileDialog dialog;
    FakeClock clock;
    FakeUrlOpener browser;
    Form1 form;
};

// ---- text files ----

enum class FileKind
{
    Bytes,
    Directory,
    Unreadable,
    Vanished, // listed, then deleted before it is opened
    DanglingLink,
};

enum class Via
{
    ListClick,
    Drop,
    OpenCommand,
};

// What the text box holds afterwards.
enum class Shown
{
    Text, // the file's text
    Empty,
    Unchanged,
};

QString gbkReference(const QByteArray& bytes)
{
    QStringDecoder decoder("GBK");
    return decoder.decode(bytes);
}

QString makeFile(const QTemporaryDir& dir, FileKind kind, const QByteArray& bytes)
{
    const QString path = dir.filePath(QStringLiteral("文本.txt"));
    switch (kind) {
    case FileKind::Bytes:
    case FileKind::Unreadable:
    case FileKind::Vanished: {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        file.close();
        if (kind == FileKind::Unreadable)
            file.setPermissions({});
        return path;
    }
    case FileKind::Directory:
        return QDir(dir.path()).mkdir(QStringLiteral("文本.txt")) ? path : QString();
    case FileKind::DanglingLink:
        return QFile::link(dir.filePath(QStringLiteral("gone.txt")), path) ? path : QString();
    }
    return {};
}

// ---- character files ----

quint32 u32At(const QByteArray& b, qint64 at)
{
    return at + 4 <= b.size() ? qFromLittleEndian<quint32>(b.constData() + at) : 0;
}

void setU32(QByteArray& b, qint64 at, quint32 v)
{
    qToLittleEndian(v, b.data() + at);
}

// Where the file's blocks start and end, each with what starts or ends there: the four
// sections the header points to, and the data of every image and animation.
QMap<qint64, QString> blockBoundaries(const QByteArray& acs)
{
    QMap<qint64, QString> at;
    const auto block = [&](qint64 offset, qint64 size, const QString& what) {
        at.insert(offset, what + QStringLiteral(" starts"));
        at.insert(offset + size, what + QStringLiteral(" ends"));
    };
    const char* sections[] = {"character info", "animation list", "image list", "sound list"};
    for (int i = 0; i < 4; ++i)
        block(u32At(acs, 4 + 8 * i), u32At(acs, 8 + 8 * i), QString::fromLatin1(sections[i]));

    const qint64 images = u32At(acs, 20);
    for (quint32 i = 0, n = u32At(acs, images); i < n; ++i) {
        const qint64 entry = images + 4 + 12 * qint64(i);
        block(u32At(acs, entry), u32At(acs, entry + 4), QStringLiteral("image %1").arg(i));
    }
    qint64 entry = u32At(acs, 4 + 8) + 4;
    for (quint32 i = 0, n = u32At(acs, entry - 4); i < n && entry < acs.size(); ++i) {
        const quint32 chars = u32At(acs, entry);
        entry += 4 + (chars ? 2 * qint64(chars) + 2 : 0);
        block(u32At(acs, entry), u32At(acs, entry + 4), QStringLiteral("animation %1").arg(i));
        entry += 8;
    }
    return at;
}

QByteArray merlin()
{
    QFile file(QStringLiteral(LIRONDO_MERLIN_ACS));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// ---- mail ----

const QByteArray kNoReply = ScriptedSmtpServer::kSilent;
const QByteArray kHangUp = ScriptedSmtpServer::kDrop;

} // namespace

class TestBadInput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void textFile_data();
    void textFile();
    void characterFile_data();
    void characterFile();
    void mailServer_data();
    void mailServer();
};

void TestBadInput::textFile_data()
{
    QTest::addColumn<FileKind>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text"); // what the box shows when the file was read
    QTest::addColumn<Via>("via");
    QTest::addColumn<Shown>("shown");

    struct Row
    {
        const char* name;
        FileKind kind;
        QByteArray bytes;
        QString text;
        // By the list click, the drop, the open command. The click and the open command
        // look for an ordinary file first and do nothing without one; the drop reads
        // whatever it was given and empties the box when that cannot be read.
        Shown click, drop, open;
    };
    const QByteArray utf8 = QStringLiteral("中文 and English").toUtf8();
    const QList<Row> rows = {
        {"empty", FileKind::Bytes, {}, {}, Shown::Text, Shown::Text, Shown::Text},
        {"one byte", FileKind::Bytes, "x", QStringLiteral("x"), Shown::Text, Shown::Text,
         Shown::Text},
        {"one lone lead byte", FileKind::Bytes, "\x81", QStringLiteral("\uFFFD"), Shown::Text,
         Shown::Text, Shown::Text},
        {"binary with NUL bytes", FileKind::Bytes, QByteArray("a\0b\0\x01z", 6),
         QStringLiteral("a\u0000b\u0000\u0001z"), Shown::Text, Shown::Text, Shown::Text},
        {"GBK lead byte before ASCII", FileKind::Bytes, "\xd6\xd0\x81 end",
         QStringLiteral("中\uFFFD end"), Shown::Text, Shown::Text, Shown::Text},
        {"GBK lead byte at the very end", FileKind::Bytes, "ab\xd6\xd0\xce",
         QStringLiteral("ab中\uFFFD"), Shown::Text, Shown::Text, Shown::Text},
        {"UTF-8 without BOM, read as GBK", FileKind::Bytes, utf8, gbkReference(utf8), Shown::Text,
         Shown::Text, Shown::Text},
        {"UTF-8 with BOM", FileKind::Bytes, "\xef\xbb\xbf" + utf8,
         QStringLiteral("中文 and English"), Shown::Text, Shown::Text, Shown::Text},
        {"UTF-16 LE with BOM", FileKind::Bytes,
         QByteArray("\xff\xfe\x2d\x4e"
                    "A\0",
                    6),
         QStringLiteral("中A"), Shown::Text, Shown::Text, Shown::Text},
        {"UTF-16 BE with BOM", FileKind::Bytes, QByteArray("\xfe\xff\x4e\x2d\0A", 6),
         QStringLiteral("中A"), Shown::Text, Shown::Text, Shown::Text},
        {"UTF-16 LE cut in a character", FileKind::Bytes,
         QByteArray("\xff\xfe"
                    "A\0B",
                    5),
         QStringLiteral("A\uFFFD"), Shown::Text, Shown::Text, Shown::Text},
        {"BOM alone", FileKind::Bytes, "\xef\xbb\xbf", QString(), Shown::Text, Shown::Text,
         Shown::Text},
        {"directory",
         FileKind::Directory,
         {},
         {},
         Shown::Unchanged,
         Shown::Empty,
         Shown::Unchanged},
        {"unreadable",
         FileKind::Unreadable,
         "secret",
         {},
         Shown::Empty,
         Shown::Empty,
         Shown::Empty},
        {"vanished",
         FileKind::Vanished,
         "gone",
         {},
         Shown::Unchanged,
         Shown::Empty,
         Shown::Unchanged},
        {"symlink to nothing",
         FileKind::DanglingLink,
         {},
         {},
         Shown::Unchanged,
         Shown::Empty,
         Shown::Unchanged},
    };
    for (const Row& r : rows) {
        const auto add = [&](const char* via, Via v, Shown s) {
            QTest::addRow("%s: %s", via, r.name) << r.kind << r.bytes << r.text << v << s;
        };
        add("click", Via::ListClick, r.click);
        add("drop", Via::Drop, r.drop);
        add("open", Via::OpenCommand, r.open);
    }
}

void TestBadInput::textFile()
{
    QFETCH(FileKind, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(Via, via);
    QFETCH(Shown, shown);
    if (kind == FileKind::Unreadable && geteuid() == 0)
        QSKIP("root reads files of mode 000");

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = makeFile(dir, kind, bytes);
    QVERIFY(!path.isEmpty());
    FakeAgentService agent;
    Window w(agent);
    w.form.setDocumentText(kBefore);

    int listed = 0;
    if (via == Via::ListClick) {
        w.form.AddToReadingList(path);
        listed = 1;
    }
    if (kind == FileKind::Vanished)
        QVERIFY(QFile::remove(path));
    switch (via) {
    case Via::ListClick:
        w.form.ListView1_ItemClick(w.form.ListView1->topLevelItem(0));
        break;
    case Via::Drop:
        w.form.Texten_FilesDropped({path});
        break;
    case Via::OpenCommand:
        w.dialog.answers = {path};
        w.form.Label5_Click();
        break;
    }
    QTRY_VERIFY_WITH_TIMEOUT(!w.form.documentLoadPending(), 10000);

    switch (shown) {
    case Shown::Text:
        QCOMPARE(w.form.documentText(), text);
        QCOMPARE(w.form.Texten->toPlainText().size(), text.size());
        // The open command and the drop list the file they read.
        if (via != Via::ListClick)
            ++listed;
        break;
    case Shown::Empty:
        QCOMPARE(w.form.documentText(), QString());
        break;
    case Shown::Unchanged:
        QCOMPARE(w.form.documentText(), kBefore);
        break;
    }
    QCOMPARE(w.form.ListView1->topLevelItemCount(), listed);
    QCOMPARE(w.messages.texts(), QStringList{});
    QVERIFY(w.stillResponds());
}

void TestBadInput::characterFile_data()
{
    QTest::addColumn<QByteArray>("file");

    const QByteArray whole = merlin();
    QVERIFY2(!whole.isEmpty(), LIRONDO_MERLIN_ACS);
    QVERIFY(CharacterService().Load(QStringLiteral("merlin"), QStringLiteral(LIRONDO_MERLIN_ACS)));

    const QMap<qint64, QString> boundaries = blockBoundaries(whole);
    const qint64 end = boundaries.lastKey();
    QVERIFY(end <= whole.size());
    QTest::newRow("cut to nothing") << QByteArray();
    QTest::newRow("cut inside the header") << whole.left(20);
    for (auto it = boundaries.cbegin(); it != boundaries.cend(); ++it) {
        if (it.key() < end)
            QTest::addRow("cut where %s (%lld)", qPrintable(it.value()), it.key())
                << whole.left(it.key());
    }
    QTest::newRow("cut one byte short") << whole.left(end - 1);

    // Counts and offsets that point past the file, or wrap round.
    const auto patched = [&](qint64 at, quint32 value) {
        QByteArray b = whole;
        setU32(b, at, value);
        return b;
    };
    const qint64 animations = u32At(whole, 12);
    const qint64 images = u32At(whole, 20);
    QTest::newRow("not a character file") << patched(0, 0x12345678);
    QTest::newRow("info offset past the end") << patched(4, quint32(whole.size()));
    QTest::newRow("info size past the end") << patched(8, 0xFFFFFFFFu);
    QTest::newRow("animation list offset wraps") << patched(12, 0xFFFFFFF0u);
    QTest::newRow("image list size past the end") << patched(24, quint32(whole.size()));
    QTest::newRow("sound list offset past the end") << patched(28, 0xFFFFFFFFu);
    QTest::newRow("animation count huge") << patched(animations, 0xFFFFFFFFu);
    QTest::newRow("image count huge") << patched(images, 0xFFFFFFFFu);
    QTest::newRow("image count one too many") << patched(images, u32At(whole, images) + 1);
    QTest::newRow("first image offset past the end") << patched(images + 4, 0xFFFFFFF0u);
    QTest::newRow("first image size past the end") << patched(images + 8, 0x7FFFFFFFu);
}

void TestBadInput::characterFile()
{
    QFETCH(QByteArray, file);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // The window looks for its character at <bin>/../share/lirondo/chars/merlin.acs.
    const QString bin = dir.filePath(QStringLiteral("bin"));
    const QString chars = dir.filePath(QStringLiteral("share/lirondo/chars"));
    QVERIFY(QDir().mkpath(bin) && QDir().mkpath(chars));
    const QString path = chars + QStringLiteral("/merlin.acs");
    {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QCOMPARE(out.write(file), file.size());
    }

    CharacterService direct;
    QString error;
    QVERIFY(!direct.Load(QStringLiteral("merlin"), path, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(direct.Characters(QStringLiteral("merlin")) == nullptr);

    // "显示精灵": the default file fails, so the window offers a search, which is
    // cancelled.
    CharacterService agent;
    Window w(agent, bin);
    w.messages.answers = {MessageBoxPort::Answer::Ok, MessageBoxPort::Answer::Yes};
    w.form.reading().Label2_Click(ReadingController::ShowCharacter);
    QCOMPARE(w.messages.texts(), (QStringList{kNotFound, kSearch}));
    QCOMPARE(w.dialog.requests.size(), 1);
    QCOMPARE(w.form.reading().agentshow(), 0);
    QVERIFY(w.form.reading().Genie() == nullptr);
    QCOMPARE(w.form.Label2[ReadingController::ShowCharacter]->text(), QStringLiteral("显示精灵"));
    QVERIFY(w.stillResponds());
}

void TestBadInput::mailServer_data()
{
    QTest::addColumn<QByteArray>("step");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("box"); // the message box's text; the status says its first line

    const auto row = [](const char* name, const char* step, const QByteArray& reply,
                        const char* summary) {
        QString box = QString::fromUtf8(summary);
        if (!reply.isEmpty() && QChar::isDigit(reply.at(0)))
            box += QStringLiteral("\r\n服务器回答：") + QString::fromUtf8(reply);
        QTest::newRow(name) << QByteArray(step) << reply << box;
    };
    row("greeting refused", "greeting", "554 no service here", "邮件服务器不接受连接");
    row("greeting garbage", "greeting", "\x01\x02 garbage", "邮件服务器的回答无法识别（连接）");
    row("greeting never comes", "greeting", kNoReply, "邮件服务器没有回答（连接）");
    row("hung up instead of a greeting", "greeting", kHangUp, "与邮件服务器的连接中断了（连接）");
    row("EHLO refused", "EHLO", "502 command not implemented", "邮件服务器不接受问候");
    row("EHLO unanswered", "EHLO", kNoReply, "邮件服务器没有回答（EHLO）");
    row("MAIL refused", "MAIL", "550 sender rejected", "邮件服务器拒绝了发件人地址");
    row("MAIL garbage", "MAIL", "OK fine", "邮件服务器的回答无法识别（MAIL FROM）");
    row("RCPT refused", "RCPT", "550 no such user", "邮件服务器拒绝了收件人地址");
    row("RCPT hung up", "RCPT", kHangUp, "与邮件服务器的连接中断了（RCPT TO）");
    row("DATA refused", "DATA", "554 no data today", "邮件服务器不接收信件");
    row("hung up in the message", "data", kHangUp, "与邮件服务器的连接中断了（信件内容）");
    row("message refused after the dot", ".", "554 message rejected", "邮件服务器拒绝了这封信");
    row("no answer after the dot", ".", kNoReply, "邮件服务器没有回答（信件内容）");
}

void TestBadInput::mailServer()
{
    QFETCH(QByteArray, step);
    QFETCH(QByteArray, reply);
    QFETCH(QString, box);

    ScriptedSmtpServer server;
    server.rules.insert(step, reply);
    MailSettings mail;
    mail.host = QStringLiteral("127.0.0.1");
    mail.port = QString::number(server.port());
    mail.replyTimeoutMs = 500;
    FakeAgentService agent;
    Window w(agent, QStringLiteral("/nowhere/bin"), mail);

    // "关于" opens the feedback form; "发送" sends.
    w.form.reading().Label2_Click(ReadingController::About);
    SendMail* form = w.form.sendMailForm();
    QVERIFY(form);
    QSignalSpy statuses(form, &SendMail::statusChanged);
    form->cmdSend->click();
    QTRY_VERIFY_WITH_TIMEOUT(form->cmdSend->isEnabled() && !form->isSending(), 15000);

    QCOMPARE(w.messages.texts(), QStringList{box});
    QCOMPARE(w.messages.shown.first().icon, MessageBoxPort::Icon::Critical);
    QCOMPARE(form->lblStatus->text(), QStringLiteral("发送失败：") + box.section(u'\r', 0, 0));
    for (const QList<QVariant>& status : statuses)
        QVERIFY(status.first().toString() != QStringLiteral("发送完成"));
    QVERIFY(form->cmdSend->isEnabled());
    QVERIFY(w.stillResponds());
}

QTEST_MAIN(TestBadInput)
#include "tst_bad_input.moc"
