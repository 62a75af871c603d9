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
    // The default file, beside the program's folder, is tried without a box.
    void defaultFileLoadsSilently()
    {
        for (const bool present : {true, false}) {
            Fixture f;
            const QString path = f.loader.defaultCharacterPath();
            QCOMPARE(path, QStringLiteral("/opt/lirondo/share/lirondo/chars/merlin.acs"));
            if (present)
                f.agent.loadablePaths.insert(path);
            QCOMPARE(f.loader.LoadCharacter(path), present);
            QVERIFY(f.messages.shown.isEmpty());
            QCOMPARE(f.agent.loads.size(), 1);
            QCOMPARE(f.agent.loads.first().id, QStringLiteral("merlin"));
            QCOMPARE(f.loader.Genie(),
                     present ? f.agent.Characters(QStringLiteral("merlin")) : nullptr);
        }
    }

    // Without a path: a note that the file is missing, then the offer to search (their
    // texts are checked through the window in the bad-input test). On Yes, of the shared
    // dialog only the filter is ours; the rest stays as the text-open command left it, and
    // without CancelError a cancel keeps its last file name.
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
        f.dialog.Filter = QStringLiteral("文本文件(*.txt)|*.txt");
        f.dialog.DialogTitle = QStringLiteral("打开文本");
        f.dialog.InitDir = QStringLiteral("/home/u");
        f.dialog.FileName = kNotes;
        f.dialog.CancelError = cancelError;
        f.messages.answers = {Answer::Ok, search ? Answer::Yes : Answer::No};
        f.files.answers = {picked};

        QCOMPARE(f.loader.LoadCharacter(QString()), loadedPath == kWizard);
        QCOMPARE(f.messages.shown.size(), 2); // a failed load adds no message
        QCOMPARE(f.messages.shown.at(0).buttons, MessageBoxPort::Buttons::Ok);
        QCOMPARE(f.messages.shown.at(1).buttons, MessageBoxPort::Buttons::YesNo);
        QCOMPARE(f.files.requests.size(), search ? 1 : 0);
        if (search) {
            const auto& request = f.files.requests.first();
            QCOMPARE(request.filter, QStringLiteral("*.acs"));
            QCOMPARE(request.title, QStringLiteral("打开文本"));
            QCOMPARE(request.initDir, QStringLiteral("/home/u"));
        }
        QCOMPARE(f.dialog.CancelError, cancelError);
        QCOMPARE(f.agent.loads.size(), loadedPath.isEmpty() ? 0 : 1);
        if (!loadedPath.isEmpty())
            QCOMPARE(f.agent.loads.first().path, loadedPath);
    }
};

QTEST_GUILESS_MAIN(TestCharacterLoader)
#include "tst_characterloader.moc"
