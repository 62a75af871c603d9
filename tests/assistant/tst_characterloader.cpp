#include "TestCharacter.h"
#include "assistant/CharacterCommand.h"
#include "assistant/CharacterLoader.h"
#include "assistant/CharacterService.h"
#include "common/CommonDialog.h"
#include "fakes/FakeAgent.h"
#include "fakes/FakeFileDialog.h"
#include "fakes/FakeMessageBox.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace lirondo;
using namespace lirondo::test;
using namespace Qt::StringLiterals;
using Answer = MessageBoxPort::Answer;

namespace {

const QString kWizard = QStringLiteral("/home/u/figures/wizard.acs");
const QString kNotes = QStringLiteral("/home/u/notes.txt");

struct Fixture
{
    Fixture() { agent.loadablePaths.insert(kWizard); }
    FakeAgentService agent;
    FakeMessageBox messages;
    FakeFileDialog files;
    CommonDialog dialog{files};
    CharacterLoader loader{agent, messages, dialog, QStringLiteral("/opt/lirondo/bin/")};
};

} // namespace

class TestCharacterLoader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // "显示精灵" loads the default file, else a file the user finds; later uses hide and show.
    void commandShowsAndHides()
    {
        Fixture f;
        CharacterCommand command(f.loader);
        QStringList captions;
        connect(&command, &CharacterCommand::captionChanged, this, [&](auto c) { captions << c; });
        f.messages.answers = {Answer::Ok, Answer::No, Answer::Ok, Answer::Yes};
        f.files.answers = {std::optional(kWizard)};
        command.showOrHide(); // no search: nothing loaded, the caption stays
        QVERIFY(!command.character() && captions.isEmpty());
        for (int i = 0; i < 3; ++i)
            command.showOrHide();
        const auto* genie = f.agent.character(u"merlin"_s);
        QVERIFY(genie && command.character() == genie);
        const QString hello = QStringLiteral("Speak Hello! What can I do For you ?");
        QCOMPARE(genie->requests,
                 (QStringList{u"Show"_s, u"MoveTo 200,200"_s, hello, u"Speak See you next time !"_s,
                              u"Hide"_s, u"Show"_s, hello}));
        QCOMPARE(captions, (QStringList{u"隐藏精灵"_s, u"显示精灵"_s, u"隐藏精灵"_s}));
    }
    // The default file, beside the program's folder, loads without a box; when it is
    // missing it fails silently too (failedLoadsSayWhy).
    void defaultFileLoadsSilently()
    {
        Fixture f;
        f.agent.loadablePaths.insert(u"/opt/lirondo/share/lirondo/chars/merlin.acs"_s);
        QVERIFY(f.loader.load(f.loader.defaultCharacterPath()));
        QVERIFY(f.messages.shown.isEmpty());
        QVERIFY(f.loader.character() && f.loader.character() == f.agent.find(u"merlin"_s));
    }

    // Without a path: a note that the file is missing, then the offer to search (their
    // texts are checked in failedLoadsSayWhy). On Yes, of the shared
    // dialog only the filter is ours; the rest stays as the text-open command left it, and
    // without cancelError a cancel keeps its last file name.
    void searchByUser_data()
    {
        QTest::addColumn<bool>("search");
        QTest::addColumn<bool>("cancelError");
        QTest::addColumn<std::optional<QString>>("picked"); // nullopt: cancel
        QTest::addColumn<QString>("loadedPath");            // empty: no load attempted
        const std::optional<QString> cancel;
        QTest::newRow("No: no search") << false << true << cancel << QString();
        QTest::newRow("character loads") << true << true << std::optional(kWizard) << kWizard;
        QTest::newRow("cancel as error") << true << true << cancel << QString();
        QTest::newRow("cancel keeps old name") << true << false << cancel << kNotes;
    }
    void searchByUser()
    {
        QFETCH(bool, search);
        QFETCH(bool, cancelError);
        QFETCH(std::optional<QString>, picked);
        QFETCH(QString, loadedPath);
        Fixture f;
        f.dialog.filter = QStringLiteral("文本文件(*.txt)|*.txt");
        f.dialog.title = QStringLiteral("打开文本");
        f.dialog.initialDir = QStringLiteral("/home/u");
        f.dialog.fileName = kNotes;
        f.dialog.cancelError = cancelError;
        f.messages.answers = {Answer::Ok, search ? Answer::Yes : Answer::No};
        f.files.answers = {picked};

        QCOMPARE(f.loader.load(QString()), loadedPath == kWizard);
        // A named file that does not load says why; a search not made or cancelled does not.
        QCOMPARE(f.messages.shown.size(), loadedPath == kNotes ? 3 : 2);
        QCOMPARE(f.messages.shown.at(0).buttons, MessageBoxPort::Buttons::Ok);
        QCOMPARE(f.messages.shown.at(1).buttons, MessageBoxPort::Buttons::YesNo);
        QCOMPARE(f.files.requests.size(), search ? 1 : 0);
        for (const auto& request : f.files.requests)
            QCOMPARE((QStringList{request.filter, request.title, request.initDir}),
                     (QStringList{u"*.acs"_s, u"打开文本"_s, u"/home/u"_s}));
        QCOMPARE(f.dialog.cancelError, cancelError);
        QCOMPARE(f.agent.loads.size(), loadedPath.isEmpty() ? 0 : 1);
        if (!loadedPath.isEmpty())
            QCOMPARE(f.agent.loads.first().path, loadedPath);
    }

    // Through the real service: the default file missing, or there but not a character
    // file, and a file picked in the search that does not load. Each box starts with the
    // text given (the reason's wording is the reader's).
    void failedLoadsSayWhy_data()
    {
        QTest::addColumn<QByteArray>("defaultFile"); // null: none
        QTest::addColumn<QByteArray>("picked");      // null: no search
        QTest::addColumn<QStringList>("boxes");
        const QString notFound =
            u"找不到merlin.acs精灵动画文件，无法加载精灵\r\n同时请确定你已经安装了Microsoft "
            u"Agent的核心组件 msagent.exe"_qs;
        const QString ask = u"是否自己查找？"_qs;
        const auto unreadable = [](const char* name, const char* reason) {
            return QString::fromUtf8(name) +
                   u"不是可以读取的精灵动画文件，无法加载精灵\r\n原因："_qs +
                   QString::fromUtf8(reason);
        };
        acs::Character clear = makeTestCharacter();
        clear.images[0].pixels.fill('\0');
        const QByteArray none;
        QTest::newRow("default missing") << none << none << QStringList{notFound, ask};
        QTest::newRow("default a text file") << QByteArray("some notes\n") << none
                                             << QStringList{unreadable("merlin.acs", "Not a"), ask};
        QTest::newRow("picked a text file")
            << none << QByteArray("some notes\n")
            << QStringList{notFound, ask, unreadable("picked.acs", "Not a")};
        QTest::newRow("picked a character that shows nothing")
            << none << acs::writeAcs(clear, true)
            << QStringList{notFound, ask, unreadable("picked.acs", "No frame shows")};
    }
    void failedLoadsSayWhy()
    {
        QFETCH(QByteArray, defaultFile);
        QFETCH(QByteArray, picked);
        QFETCH(QStringList, boxes);
        QTemporaryDir dir;
        const auto write = [](const QString& path, const QByteArray& bytes) {
            QFile file(path);
            return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
                   file.write(bytes) == bytes.size();
        };
        CharacterService agent;
        FakeMessageBox messages;
        FakeFileDialog files;
        CommonDialog dialog{files};
        CharacterLoader loader{agent, messages, dialog, dir.filePath(u"bin"_qs)};
        if (!defaultFile.isNull())
            QVERIFY(write(loader.defaultCharacterPath(), defaultFile));
        const QString pickedPath = dir.filePath(u"picked.acs"_qs);
        if (!picked.isNull())
            QVERIFY(write(pickedPath, picked));
        messages.answers = {Answer::Ok, picked.isNull() ? Answer::No : Answer::Yes};
        files.answers = {pickedPath};

        QVERIFY(!loader.load(loader.defaultCharacterPath()));
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(!loader.load(QString()));
        QCOMPARE(messages.shown.size(), boxes.size());
        for (qsizetype i = 0; i < boxes.size(); ++i)
            QVERIFY2(messages.shown.at(i).text.startsWith(boxes.at(i)),
                     qPrintable(messages.shown.at(i).text));
        QVERIFY(loader.character() == nullptr);
    }
};

QTEST_GUILESS_MAIN(TestCharacterLoader)
#include "tst_characterloader.moc"
