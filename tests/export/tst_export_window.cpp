#include "fakes/MainWindowFakes.h"
#include "reading/ReadingController.h"
#include "shell/AudioExportCommand.h"
#include "shell/ReadingTextEdit.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace lirondo;
using namespace lirondo::test;
using namespace Qt::StringLiterals;

namespace {

QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The window's voices as the real engine names them: the child process is given their ids.
struct Harness : MainWindowFakes
{
    Harness()
        : MainWindowFakes({{u"sit/cmn"_s, u"Chinese (Mandarin, latin as English)"_s, {u"cmn"_s}},
                           {u"gmw/en"_s, u"English (Great Britain)"_s, {u"en-gb"_s}}}),
          form(services())
    {
        form.audioExport().setProgram(QStringLiteral(LIRONDO_BINARY));
        form.show();
    }
    MainWindow form;
};

} // namespace

class TestExportWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The command is in the text box's menu and on Ctrl+Shift+S; the real program
    // writes the audio and its subtitles, from the reading start on.
    void savesFromTheWindow()
    {
        Harness h;
        QTemporaryDir dir;
        h.form.documents().setDocumentText(u"前面不读。Hello, 我们一起读书。"_s);
        h.form.reading().setReadingStart(5);
        std::unique_ptr<QMenu> menu(textEdit(h.form)->createContextMenu());
        const QList<QAction*> items = menu->actions();
        QVERIFY(std::any_of(items.begin(), items.end(),
                            [](QAction* a) { return a->text() == u"保存为音频…"_s; }));

        AudioExportCommand& command = h.form.audioExport();
        QCOMPARE(command.request().text, u"Hello, 我们一起读书。"_s);
        const auto select = [&h](int from, int to) {
            QTextCursor cursor = textEdit(h.form)->textCursor();
            cursor.setPosition(from);
            cursor.setPosition(to, QTextCursor::KeepAnchor);
            textEdit(h.form)->setTextCursor(cursor);
        };
        select(5, 10);
        QCOMPARE(command.request().text, u"Hello"_s);
        // While reading, the selection is the word being heard: the export is the reading's.
        h.form.reading().read();
        select(12, 14);
        QCOMPARE(command.request().text, u"Hello, 我们一起读书。"_s);
        h.form.reading().stop();
        QSignalSpy finished(&command, &AudioExportCommand::finished);
        const qsizetype shown = h.messages.shown.size(); // the start-up's own
        h.dialog.answers = {dir.filePath(u"book"_s)};    // no extension: MP3
        QVERIFY(QTest::qWaitForWindowActive(&h.form));
        QTest::keyClick(&h.form, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(h.dialog.saveDialogs, 1);
        QVERIFY(command.progressDialog()->isVisible());
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.first().first().toBool(), true);
        QCOMPARE(filesIn(dir.path()), (QStringList{u"book.lrc"_s, u"book.mp3"_s, u"book.srt"_s,
                                                   u"book.vtt"_s, u"book.words.vtt"_s}));
        QVERIFY(!command.progressDialog()->isVisible());
        QCOMPARE(h.messages.shown.size(), shown);
    }

    // Cancelling from the progress dialog stops the export and leaves no file at all.
    void cancelLeavesNothing()
    {
        Harness h;
        QTemporaryDir dir;
        AudioExportCommand& command = h.form.audioExport();
        QSignalSpy finished(&command, &AudioExportCommand::finished);
        const qsizetype shown = h.messages.shown.size();
        QString text;
        for (int i = 0; i < 5000; ++i)
            text += u"这是第%1句话，用来测试取消。"_s.arg(i);
        QVERIFY(command.start({text, {}, 0, 100, false}, dir.filePath(u"long.flac"_s)));
        QTRY_VERIFY_WITH_TIMEOUT(command.progressDialog()->value() > 0, 30000);
        QTest::mouseClick(command.progressDialog()->findChild<QPushButton*>(), Qt::LeftButton);
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.first().first().toBool(), false);
        QCOMPARE(filesIn(dir.path()), QStringList{});
        QCOMPARE(h.messages.shown.size(), shown);
    }
};

QTEST_MAIN(TestExportWindow)
#include "tst_export_window.moc"
