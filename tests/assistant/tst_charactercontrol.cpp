// What drives the character: the command that shows and hides it, the loader, the idle
// behaviours.
#include "TestCharacter.h"
#include "assistant/CharacterCommand.h"
#include "assistant/CharacterLoader.h"
#include "assistant/CharacterService.h"
#include "assistant/IdleBehaviour.h"
#include "common/CommonDialog.h"
#include "fakes/FakeAgent.h"
#include "fakes/FakeFileDialog.h"
#include "fakes/FakeMessageBox.h"

#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace lirondo;
using namespace lirondo::test;
using namespace Qt::StringLiterals;
using Answer = MessageBoxPort::Answer;

namespace {

const QString kWizard = QStringLiteral("/home/u/figures/wizard.acs");

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

class TestCharacterControl : public QObject
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
    // missing or does not read it fails silently too (loadWithoutPath).
    void defaultFileLoadsSilently()
    {
        Fixture f;
        f.agent.loadablePaths.insert(u"/opt/lirondo/share/lirondo/chars/merlin.acs"_s);
        QVERIFY(f.loader.load(f.loader.defaultCharacterPath()));
        QVERIFY(f.messages.shown.isEmpty());
        QVERIFY(f.loader.character() && f.loader.character() == f.agent.find(u"merlin"_s));
    }

    // Through the real service, after the default file was tried: a box says why it did
    // not load (the reason's wording is the reader's), then the offer to search. Of the
    // shared dialog only the filter is ours; the rest stays as the text-open command left
    // it, and without cancelError a cancel keeps its last file name. A file that does not
    // load says why; a search not made or cancelled does not.
    void loadWithoutPath_data()
    {
        QTest::addColumn<QByteArray>("defaultFile");           // null: none
        QTest::addColumn<std::optional<QByteArray>>("picked"); // nullopt: no search; null: cancel
        QTest::addColumn<bool>("cancelError");
        QTest::addColumn<QStringList>("boxes"); // the start of each
        QTest::addColumn<bool>("loads");
        const QString notFound =
            u"找不到merlin.acs精灵动画文件，无法加载精灵\r\n同时请确定你已经安装了Microsoft "
            u"Agent的核心组件 msagent.exe"_s;
        const QString ask = u"是否自己查找？"_s;
        const auto unreadable = [](const char* name, const char* reason) {
            return QString::fromUtf8(name) +
                   u"不是可以读取的精灵动画文件，无法加载精灵\r\n原因："_s +
                   QString::fromUtf8(reason);
        };
        acs::Character clear = makeTestCharacter();
        clear.images[0].pixels.fill('\0');
        const QByteArray none;
        const QByteArray text("some notes\n");
        const std::optional<QByteArray> noSearch;
        QTest::newRow("default missing, no search")
            << none << noSearch << true << QStringList{notFound, ask} << false;
        QTest::newRow("default a text file")
            << text << noSearch << true << QStringList{unreadable("merlin.acs", "Not a"), ask}
            << false;
        QTest::newRow("picked a character")
            << none << std::optional(acs::writeAcs(makeTestCharacter(), true)) << true
            << QStringList{notFound, ask} << true;
        QTest::newRow("picked a text file")
            << none << std::optional(text) << true
            << QStringList{notFound, ask, unreadable("picked.acs", "Not a")} << false;
        QTest::newRow("picked a character that shows nothing")
            << none << std::optional(acs::writeAcs(clear, true)) << true
            << QStringList{notFound, ask, unreadable("picked.acs", "No frame shows")} << false;
        QTest::newRow("cancel as error")
            << none << std::optional(none) << true << QStringList{notFound, ask} << false;
        QTest::newRow("cancel keeps old name")
            << none << std::optional(none) << false
            << QStringList{notFound, ask, u"找不到notes.txt"_s} << false;
    }
    void loadWithoutPath()
    {
        QFETCH(QByteArray, defaultFile);
        QFETCH(std::optional<QByteArray>, picked);
        QFETCH(bool, cancelError);
        QFETCH(QStringList, boxes);
        QFETCH(bool, loads);
        QTemporaryDir dir;
        CharacterService agent;
        FakeMessageBox messages;
        FakeFileDialog files;
        CommonDialog dialog{files};
        CharacterLoader loader{agent, messages, dialog, dir.filePath(u"bin"_s)};
        if (!defaultFile.isNull())
            QVERIFY(writeFile(loader.defaultCharacterPath(), defaultFile));
        const QString pickedPath = dir.filePath(u"picked.acs"_s);
        if (picked && !picked->isNull()) {
            QVERIFY(writeFile(pickedPath, *picked));
            files.answers = {pickedPath};
        }
        messages.answers = {Answer::Ok, picked ? Answer::Yes : Answer::No};
        dialog.filter = QStringLiteral("文本文件(*.txt)|*.txt");
        dialog.title = QStringLiteral("打开文本");
        dialog.initialDir = QStringLiteral("/home/u");
        dialog.fileName = dir.filePath(u"notes.txt"_s);
        dialog.cancelError = cancelError;

        QVERIFY(!loader.load(loader.defaultCharacterPath()));
        QVERIFY(messages.shown.isEmpty());
        QCOMPARE(loader.load(QString()), loads);
        QCOMPARE(loader.character() != nullptr, loads);
        QCOMPARE(messages.shown.size(), boxes.size());
        for (qsizetype i = 0; i < boxes.size(); ++i)
            QVERIFY2(messages.shown.at(i).text.startsWith(boxes.at(i)),
                     qPrintable(messages.shown.at(i).text));
        QCOMPARE(messages.shown.at(0).buttons, MessageBoxPort::Buttons::Ok);
        QCOMPARE(messages.shown.at(1).buttons, MessageBoxPort::Buttons::YesNo);
        QCOMPARE(files.requests.size(), picked ? 1 : 0);
        for (const auto& request : files.requests)
            QCOMPARE((QStringList{request.filter, request.title, request.initDir}),
                     (QStringList{u"*.acs"_s, u"打开文本"_s, u"/home/u"_s}));
        QCOMPARE(dialog.cancelError, cancelError);
    }

    // Idle behaviour 3 grows the character by half and shrinks it back to the old size;
    // a dimension that could not grow is not shrunk either.
    void idleSwell_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("maxSize");
        QTest::addColumn<QString>("expected");
        QTest::newRow("125 x 100")
            << QSize(125, 100) << 32767 << u"Width 188|Height 150|Width 125|Height 100"_s;
        QTest::newRow("growth refused") << QSize(200, 100) << 250 << u"Height 150|Height 100"_s;
    }
    void idleSwell()
    {
        QFETCH(QSize, size);
        QFETCH(int, maxSize);
        QFETCH(QString, expected);
        FakeAgentCharacter genie;
        genie.figureWidth = size.width();
        genie.figureHeight = size.height();
        genie.maxSize = maxSize;
        IdleBehaviour(&genie).perform(3);
        QCOMPARE(genie.requests.join(u'|'), expected);
        QCOMPARE(QSize(genie.figureWidth, genie.figureHeight), size);
    }

    // Every behaviour comes up, none outside 1..8, and without a character a tick only
    // draws; the seed is fixed, not taken from the clock, so every run makes the same
    // choices.
    void idleDrawCoversAllAndRepeats()
    {
        IdleBehaviour withoutCharacter;
        IdleBehaviour second;
        QSet<int> drawn;
        for (int i = 0; i < 1000; ++i) {
            const int n = withoutCharacter.tick();
            QCOMPARE(second.draw(), n);
            drawn.insert(n);
        }
        QCOMPARE(drawn, (QSet<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    }
};

QTEST_MAIN(TestCharacterControl)
#include "tst_charactercontrol.moc"
