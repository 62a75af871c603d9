#include "assistant/CharacterLoader.h"
#include "common/CommonDialog.h"
#include "fakes/FakeAgent.h"
#include "fakes/FakeFileDialog.h"
#include "fakes/FakeMessageBox.h"

#include <QTest>

using namespace lirondo;
using namespace lirondo::test;
using Answer = MessageBoxPort::Answer;

namespace {

const QString kMissing =
    QStringLiteral("找不到merlin.acs精灵动画文件，无法加载精灵\r\n"
                   "同时请确定你已经安装了Microsoft Agent的核心组件 msagent.exe");
const QString kSearch = QStringLiteral("是否自己查找？");
const QString kWizard = QStringLiteral("/home/u/figures/wizard.acs");

struct Fixture
{
    Fixture() { agent.loadablePaths.insert(kWizard); }
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
        QTest::newRow("build tree, trailing slash")
            << QStringLiteral("/work/build/bin/")
            << QStringLiteral("/work/build/share/lirondo/chars/merlin.acs");
    }
    void defaultPath()
    {
        QFETCH(QString, applicationDir);
        QFETCH(QString, expected);
        Fixture f;
        QCOMPARE(
            CharacterLoader(f.agent, f.messages, f.dialog, applicationDir).defaultCharacterPath(),
            expected);
    }

    void givenPathLoadsSilently_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("file loads") << kWizard;
        QTest::newRow("file fails")
            << QStringLiteral("/opt/lirondo/share/lirondo/chars/merlin.acs");
    }
    void givenPathLoadsSilently()
    {
        QFETCH(QString, path);
        Fixture f;
        const bool loads = path == kWizard;
        QCOMPARE(f.loader.LoadCharacter(path), loads);
        QVERIFY(f.messages.shown.isEmpty());
        QCOMPARE(f.agent.loads.size(), 1);
        QCOMPARE(f.agent.loads.first().id, QStringLiteral("merlin"));
        QCOMPARE(f.agent.loads.first().path, path);
        QCOMPARE(f.loader.Genie(), loads ? f.agent.Characters(QStringLiteral("merlin")) : nullptr);
    }

    void noMeansNoSearch()
    {
        Fixture f;
        f.messages.answers = {Answer::Ok, Answer::No, Answer::Ok, Answer::No};
        QVERIFY(!f.loader.LoadCharacter(QString()));
        QVERIFY(!f.loader.LoadCharacter(QString())); // nothing remembered: asks again
        QCOMPARE(f.messages.texts(), QStringList({kMissing, kSearch, kMissing, kSearch}));
        for (const auto& box : std::as_const(f.messages.shown)) {
            QCOMPARE(box.title, QStringLiteral("精灵加载"));
            QCOMPARE(box.icon, MessageBoxPort::Icon::None);
        }
        QCOMPARE(f.messages.shown.at(0).buttons, MessageBoxPort::Buttons::Ok);
        QCOMPARE(f.messages.shown.at(1).buttons, MessageBoxPort::Buttons::YesNo);
        QVERIFY(f.files.requests.isEmpty());
        QVERIFY(f.agent.loads.isEmpty());
    }

    void searchByUser_data()
    {
        QTest::addColumn<bool>("cancelError");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QString>("loadedPath"); // empty: no load attempted
        const QString text = QStringLiteral("/home/u/notes.txt");
        QTest::newRow("character loads") << true << false << kWizard << kWizard;
        QTest::newRow("text file fails") << true << false << text << text;
        QTest::newRow("cancel as error") << true << true << QString() << QString();
        // Without CancelError the dialog keeps the text-open command's last file name.
        QTest::newRow("cancel keeps old name") << false << true << QString() << text;
    }
    void searchByUser()
    {
        QFETCH(bool, cancelError);
        QFETCH(bool, cancel);
        QFETCH(QString, picked);
        QFETCH(QString, loadedPath);
        Fixture f;
        // What the text-open command left on the shared dialog.
        f.dialog.Filter = QStringLiteral("文本文件(*.txt)|*.txt");
        f.dialog.DialogTitle = QStringLiteral("打开文本");
        f.dialog.InitDir = QStringLiteral("/home/u");
        f.dialog.FileName = QStringLiteral("/home/u/notes.txt");
        f.dialog.CancelError = cancelError;
        f.messages.answers = {Answer::Ok, Answer::Yes};
        f.files.answers = {cancel ? std::nullopt : std::optional<QString>(picked)};

        QCOMPARE(f.loader.LoadCharacter(QString()), loadedPath == kWizard);
        QCOMPARE(f.files.requests.size(), 1);
        const auto& request = f.files.requests.first();
        QCOMPARE(request.filter, QStringLiteral("*.acs"));
        QCOMPARE(request.title, QStringLiteral("打开文本"));
        QCOMPARE(request.initDir, QStringLiteral("/home/u"));
        QCOMPARE(f.dialog.CancelError, cancelError);
        QCOMPARE(f.agent.loads.size(), loadedPath.isEmpty() ? 0 : 1);
        if (!loadedPath.isEmpty())
            QCOMPARE(f.agent.loads.first().path, loadedPath);
        QCOMPARE(f.messages.shown.size(), 2); // a failed load adds no message
    }
};

QTEST_GUILESS_MAIN(TestCharacterLoader)
#include "tst_characterloader.moc"
