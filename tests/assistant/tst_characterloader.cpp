#include "assistant/CharacterLoader.h"
#include "common/CommonDialog.h"
#include "fakes/FakeAgent.h"
#include "fakes/FakeFileDialog.h"
#include "fakes/FakeMessageBox.h"

#include <QTest>

using namespace lirondo;
using namespace lirondo::test;

namespace {

const QString kFirstBoxText =
    QStringLiteral("找不到merlin.acs精灵动画文件，无法加载精灵\r\n"
                   "同时请确定你已经安装了Microsoft Agent的核心组件 msagent.exe");

struct Fixture
{
    FakeAgentService agent;
    FakeMessageBox messages;
    FakeFileDialog files;
    CommonDialog dialog{files};
    CharacterLoader loader{agent, messages, dialog, QStringLiteral("/opt/lirondo/bin")};
};

} // namespace

class TestCharacterLoader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaultPath_data()
    {
        QTest::addColumn<QString>("applicationDir");
        QTest::addColumn<QString>("expected");
        QTest::newRow("installed") << QStringLiteral("/usr/local/bin")
                                   << QStringLiteral("/usr/local/share/lirondo/chars/merlin.acs");
        QTest::newRow("build tree")
            << QStringLiteral("/work/build-x/bin")
            << QStringLiteral("/work/build-x/share/lirondo/chars/merlin.acs");
        QTest::newRow("trailing slash") << QStringLiteral("/opt/l/bin/")
                                        << QStringLiteral("/opt/l/share/lirondo/chars/merlin.acs");
    }
    void defaultPath()
    {
        QFETCH(QString, applicationDir);
        QFETCH(QString, expected);
        Fixture f;
        const CharacterLoader loader(f.agent, f.messages, f.dialog, applicationDir);
        QCOMPARE(loader.defaultCharacterPath(), expected);
    }

    void givenPathLoadsWithoutMessages_data()
    {
        QTest::addColumn<bool>("loadable");
        QTest::newRow("file loads") << true;
        QTest::newRow("file fails") << false;
    }
    void givenPathLoadsWithoutMessages()
    {
        QFETCH(bool, loadable);
        Fixture f;
        const QString path = f.loader.defaultCharacterPath();
        if (loadable)
            f.agent.loadablePaths.insert(path);

        QCOMPARE(f.loader.LoadCharacter(path), loadable);
        QVERIFY(f.messages.shown.isEmpty());
        QVERIFY(f.files.requests.isEmpty());
        QCOMPARE(f.agent.loads.size(), 1);
        QCOMPARE(f.agent.loads.first().id, QStringLiteral("merlin"));
        QCOMPARE(f.agent.loads.first().path, path);
        QCOMPARE(f.loader.Genie(),
                 loadable ? f.agent.Characters(QStringLiteral("merlin")) : nullptr);
    }

    void emptyPathAsksAndNoGivesUp()
    {
        Fixture f;
        f.messages.answers = {MessageBoxPort::Answer::Ok, MessageBoxPort::Answer::No};
        QVERIFY(!f.loader.LoadCharacter(QString()));

        QCOMPARE(f.messages.shown.size(), 2);
        const auto& first = f.messages.shown.at(0);
        QCOMPARE(first.text, kFirstBoxText);
        QCOMPARE(first.title, QStringLiteral("精灵加载"));
        QCOMPARE(first.buttons, MessageBoxPort::Buttons::Ok);
        QCOMPARE(first.icon, MessageBoxPort::Icon::None);
        const auto& second = f.messages.shown.at(1);
        QCOMPARE(second.text, QStringLiteral("是否自己查找？"));
        QCOMPARE(second.title, QStringLiteral("精灵加载"));
        QCOMPARE(second.buttons, MessageBoxPort::Buttons::YesNo);
        QCOMPARE(second.icon, MessageBoxPort::Icon::None);
        QVERIFY(f.files.requests.isEmpty());
        QVERIFY(f.agent.loads.isEmpty());
        QVERIFY(!f.loader.Genie());

        // Nothing is remembered: the next attempt asks again.
        f.messages.answers = {MessageBoxPort::Answer::Ok, MessageBoxPort::Answer::No};
        QVERIFY(!f.loader.LoadCharacter(QString()));
        QCOMPARE(f.messages.texts(),
                 QStringList({kFirstBoxText, QStringLiteral("是否自己查找？"), kFirstBoxText,
                              QStringLiteral("是否自己查找？")}));
    }

    void searchByUser_data()
    {
        QTest::addColumn<bool>("cancelError");
        QTest::addColumn<QString>("previousFileName");
        QTest::addColumn<std::optional<QString>>("picked");
        QTest::addColumn<QString>("expectedLoadPath"); // empty: no load attempted
        QTest::addColumn<bool>("expected");

        const QString character = QStringLiteral("/home/u/figures/wizard.acs");
        const QString text = QStringLiteral("/home/u/notes.txt");
        QTest::newRow("picked character loads")
            << true << text << std::optional<QString>(character) << character << true;
        QTest::newRow("picked file does not load")
            << true << QString() << std::optional<QString>(text) << text << false;
        QTest::newRow("cancel as error")
            << true << text << std::optional<QString>() << QString() << false;
        // Without CancelError the dialog keeps the last file name, which is then tried.
        QTest::newRow("cancel keeps old name")
            << false << text << std::optional<QString>() << text << false;
    }
    void searchByUser()
    {
        QFETCH(bool, cancelError);
        QFETCH(QString, previousFileName);
        QFETCH(std::optional<QString>, picked);
        QFETCH(QString, expectedLoadPath);
        QFETCH(bool, expected);

        Fixture f;
        f.agent.loadablePaths.insert(QStringLiteral("/home/u/figures/wizard.acs"));
        // What the text-open command left on the shared dialog.
        f.dialog.Filter = QStringLiteral("文本文件(*.txt)|*.txt|所有文件(*.*)|*.*");
        f.dialog.DialogTitle = QStringLiteral("打开文本");
        f.dialog.InitDir = QStringLiteral("/home/u");
        f.dialog.FileName = previousFileName;
        f.dialog.CancelError = cancelError;
        f.messages.answers = {MessageBoxPort::Answer::Ok, MessageBoxPort::Answer::Yes};
        f.files.answers = {picked};

        QCOMPARE(f.loader.LoadCharacter(QString()), expected);

        QCOMPARE(f.files.requests.size(), 1);
        const auto& request = f.files.requests.first();
        QCOMPARE(request.filter, QStringLiteral("*.acs"));
        QCOMPARE(CommonDialog::qtNameFilters(request.filter), QStringList{QStringLiteral("*.acs")});
        QCOMPARE(request.title, QStringLiteral("打开文本"));
        QCOMPARE(request.initDir, QStringLiteral("/home/u"));
        QCOMPARE(f.dialog.CancelError, cancelError);
        QCOMPARE(f.dialog.Filter, QStringLiteral("*.acs"));

        if (expectedLoadPath.isEmpty()) {
            QVERIFY(f.agent.loads.isEmpty());
        } else {
            QCOMPARE(f.agent.loads.size(), 1);
            QCOMPARE(f.agent.loads.first().path, expectedLoadPath);
        }
        QCOMPARE(f.loader.Genie() != nullptr, expected);
        QCOMPARE(f.messages.shown.size(), 2); // no message of its own on failure
    }
};

QTEST_GUILESS_MAIN(TestCharacterLoader)
#include "tst_characterloader.moc"
