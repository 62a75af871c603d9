#include "common/Gbk.h"
#include "fakes/FakeAgent.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeFileDialog.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeSpeechEngine.h"
#include "reading/ReadingController.h"
#include "shell/CommandLabel.h"
#include "shell/Form1.h"
#include "shell/TextenEdit.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

using namespace lirondo;
using namespace lirondo::test;
using Answers = QList<MessageBoxPort::Answer>;

namespace {

const QString kAppDir = u"/opt/lirondo/bin"_qs;

// The main window with fakes for what it talks to, and a folder of files to open.
struct Harness
{
    Harness()
        : engine({{u"cmn"_qs, u"Chinese (Mandarin)"_qs, {u"cmn"_qs}}}),
          form(Form1Services{engine, messages, dialog, agent, clock, gbk, kAppDir})
    {
        QDir(dir.path()).mkpath(u"folder"_qs);
        QDir(dir.path()).mkpath(u"二"_qs);
        for (const auto& [name, text] : {std::pair{u"a.txt"_qs, u"甲"_qs},
                                         {u"b.txt"_qs, u"乙"_qs},
                                         {u"二/a.txt"_qs, u"二号"_qs}}) {
            QFile f(path(name));
            if (!f.open(QIODevice::WriteOnly) || f.write(gbk.encode(text)) < 0)
                qFatal("cannot write a test file");
        }
        form.ListView1->resize(200, 200);
        messages.shown.clear(); // the start-up note about the missing English voice
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    ReadingController& reading() { return form.reading(); }
    QString document() const { return form.documentText(); }
    QTreeWidget& list() const { return *form.ListView1; }
    QTreeWidgetItem* entry(int i) const { return list().topLevelItem(i); }
    QStringList entries() const // "name|path relative to the folder"
    {
        QStringList rows;
        for (int i = 0; i < list().topLevelItemCount(); ++i)
            rows.append(entry(i)->text(0) + u'|' +
                        QDir(dir.path()).relativeFilePath(entry(i)->text(1)));
        return rows;
    }
    QString commandRow() const // 朗读, 停止, 暂停 enabled
    {
        QString s;
        for (int i : {0, 1, 3})
            s += form.Label2[i]->isEnabled() ? u'1' : u'0';
        return s;
    }
    qsizetype startReading() // the engine calls made so far
    {
        form.setDocumentText(u"今天天气很好。"_qs);
        reading().Label2_Click(ReadingController::Read);
        return engine.calls.size();
    }

    QColor knobColour() const
    {
        const QImage image = form.Cmdlength->grab().toImage();
        return image.pixelColor(image.width() / 2, image.height() / 2);
    }

    QTemporaryDir dir;
    GbkCodePage gbk;
    FakeSpeechEngine engine;
    FakeMessageBox messages;
    FakeFileDialog dialog;
    FakeAgentService agent;
    FakeClock clock;
    Form1 form;
};

#define SETTLE(h) QTRY_VERIFY_WITH_TIMEOUT(!(h).form.documentLoadPending(), 10000)

// A drop as the window system delivers it: enter, then drop.
bool drop(QWidget* target, const QString& text, const QStringList& paths)
{
    QMimeData data;
    if (!text.isNull())
        data.setText(text);
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data.setUrls(urls);
    QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent dropEvent({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dropEvent);
    return dropEvent.isAccepted();
}

void mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button)
{
    const bool move = type == QEvent::MouseMove;
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)),
                      move ? Qt::NoButton : button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

class TestForm1Documents : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openCommand_data();
    void openCommand();
    void openDialogRequest();
    void loadDuringReading_data();
    void loadDuringReading();
    void dropOntoTheBox_data();
    void dropOntoTheBox();
    void entriesLoadTheirOwnFiles();
    void clickOnAMissingFileDoesNothing_data();
    void clickOnAMissingFileDoesNothing();
    void rightClickRemoval_data();
    void rightClickRemoval();
    void knobRelease_data();
    void knobRelease();
    void pressStops_data();
    void pressStops();
    void hoverColours();
};

void TestForm1Documents::openCommand_data()
{
    QTest::addColumn<QString>("answer");   // null: Cancel
    QTest::addColumn<QString>("document"); // null: the usage note stays
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("Cancel") << QString() << QString() << QStringList{};
    QTest::newRow("no such file") << u"nothing.txt"_qs << QString() << QStringList{};
    QTest::newRow("a folder") << u"folder"_qs << QString() << QStringList{};
    QTest::newRow("GBK file") << u"二/a.txt"_qs << u"二号"_qs << QStringList{u"a.txt|二/a.txt"_qs};
}

void TestForm1Documents::openCommand()
{
    QFETCH(QString, answer);
    QFETCH(QString, document);
    QFETCH(QStringList, entries);
    Harness h;
    const QString note = h.document();
    if (!answer.isNull())
        h.dialog.answers.append(h.path(answer));
    h.form.Label5_Click();
    SETTLE(h);
    QCOMPARE(h.document(), document.isNull() ? note : document);
    QCOMPARE(h.entries(), entries);
    QVERIFY(h.messages.shown.isEmpty());
}

void TestForm1Documents::openDialogRequest()
{
    Harness h;
    h.dialog.answers = {h.path(u"a.txt"_qs), std::nullopt};
    h.form.Label5_Click();
    SETTLE(h);
    h.form.Label5_Click();
    QCOMPARE(h.dialog.requests.size(), 2);
    for (const FileDialogPort::OpenRequest& request : h.dialog.requests) {
        QCOMPARE(request.title, u"请选择你要打开的文件"_qs);
        QCOMPARE(request.filter, u"文本文件(*.txt)|*.txt|所有类型(*.*)|*.*"_qs);
        QCOMPARE(request.filterIndex, 1);
        QCOMPARE(request.initDir, kAppDir);
    }
    QCOMPARE(h.dialog.requests[1].fileName, h.path(u"a.txt"_qs)); // the file chosen last
}

void TestForm1Documents::loadDuringReading_data()
{
    QTest::addColumn<bool>("fromList"); // a list click silences the voice first
    QTest::newRow("load") << false;
    QTest::newRow("list click") << true;
}

void TestForm1Documents::loadDuringReading()
{
    QFETCH(bool, fromList);
    Harness h;
    h.form.AddToReadingList(h.path(u"a.txt"_qs));
    const qsizetype calls = h.startReading();
    h.reading().setTextlength(3);
    h.form.Cmdlength->move(170, h.form.Cmdlength->y());
    if (fromList)
        QTest::mouseClick(h.list().viewport(), Qt::LeftButton, {},
                          h.list().visualItemRect(h.entry(0)).center());
    else
        h.form.LoadTextFile(h.path(u"a.txt"_qs));
    SETTLE(h);
    QCOMPARE(h.document(), u"甲"_qs);
    QCOMPARE(h.engine.calls.size(), calls + (fromList ? 1 : 0));
    if (fromList) {
        QCOMPARE(h.engine.calls.last().text, QString());
        QCOMPARE(h.engine.calls.last().flags, int(SpeechEngine::PurgeBeforeSpeak));
    }
    QCOMPARE(h.reading().textlength(), 3);
    QCOMPARE(h.reading().stopped(), 0);
    QCOMPARE(h.commandRow(), u"011"_qs);
    QCOMPARE(h.form.Cmdlength->x(), 170);
}

void TestForm1Documents::dropOntoTheBox_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("document");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("three files") << QString()
                                 << QStringList{u"b.txt"_qs, u"a.txt"_qs, u"二/a.txt"_qs}
                                 << u"乙"_qs
                                 << QStringList{u"b.txt|b.txt"_qs, u"a.txt|a.txt"_qs,
                                                u"a.txt|二/a.txt"_qs};
    QTest::newRow("text and files is text")
        << u"拖进来的文字"_qs << QStringList{u"a.txt"_qs} << u"拖进来的文字"_qs << QStringList{};
}

void TestForm1Documents::dropOntoTheBox()
{
    QFETCH(QString, text);
    QFETCH(QStringList, files);
    QFETCH(QString, document);
    QFETCH(QStringList, entries);
    Harness h;
    h.form.LoadTextFile(h.path(u"b.txt"_qs)); // still under way: a text drop outlasts it
    QStringList paths;
    for (const QString& name : files)
        paths.append(h.path(name));
    QVERIFY(drop(h.form.Texten->viewport(), text, paths));
    SETTLE(h);
    QCOMPARE(h.document(), document);
    QCOMPARE(h.entries(), entries);
}

void TestForm1Documents::entriesLoadTheirOwnFiles()
{
    Harness h;
    h.dialog.answers = {h.path(u"a.txt"_qs), h.path(u"a.txt"_qs), h.path(u"二/a.txt"_qs)};
    for (int i = 0; i < 3; ++i) {
        h.form.Label5_Click();
        SETTLE(h);
    }
    QCOMPARE(h.entries(),
             (QStringList{u"a.txt|a.txt"_qs, u"a.txt|a.txt"_qs, u"a.txt|二/a.txt"_qs}));
    for (const auto& [index, text] : {std::pair{2, u"二号"_qs}, {0, u"甲"_qs}}) {
        h.form.ListView1_ItemClick(h.entry(index));
        SETTLE(h);
        QCOMPARE(h.document(), text);
    }
}

void TestForm1Documents::clickOnAMissingFileDoesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("deleted since listed") << u"a.txt"_qs;
    QTest::newRow("folder dropped onto the list") << u"folder"_qs;
}

void TestForm1Documents::clickOnAMissingFileDoesNothing()
{
    QFETCH(QString, name);
    Harness h;
    // Drops onto the list enter paths without opening or testing them.
    QVERIFY(drop(h.list().viewport(), u"beside the files"_qs, {h.path(name)}));
    QVERIFY(!drop(h.list().viewport(), u"text alone"_qs, {}));
    QCOMPARE(h.entries(), QStringList{name + u'|' + name});
    QFile::remove(h.path(u"a.txt"_qs));
    const qsizetype calls = h.startReading();
    h.form.ListView1_ItemClick(h.entry(0));
    QVERIFY(!h.form.documentLoadPending());
    QCOMPARE(h.document(), u"今天天气很好。"_qs);
    QCOMPARE(h.list().topLevelItemCount(), 1);
    QCOMPARE(h.engine.calls.size(), calls);
}

void TestForm1Documents::rightClickRemoval_data()
{
    QTest::addColumn<bool>("onEntry");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<QStringList>("left");
    using A = MessageBoxPort::Answer;
    const QStringList both{u"a.txt|a.txt"_qs, u"b.txt|b.txt"_qs};
    QTest::newRow("Yes") << true << Answers{A::Yes} << QStringList{u"a.txt|a.txt"_qs};
    QTest::newRow("No") << true << Answers{A::No} << both;
    QTest::newRow("no entry there") << false << Answers{A::Yes} << both;
}

void TestForm1Documents::rightClickRemoval()
{
    QFETCH(bool, onEntry);
    QFETCH(Answers, answers);
    QFETCH(QStringList, left);
    Harness h;
    h.form.AddToReadingList(h.path(u"a.txt"_qs));
    h.form.AddToReadingList(h.path(u"b.txt"_qs));
    h.messages.answers = answers;
    const QPoint at = onEntry ? h.list().visualItemRect(h.entry(1)).center() : QPoint(20, 180);
    mouse(h.list().viewport(), QEvent::MouseButtonPress, at, Qt::RightButton);
    QCOMPARE(h.entries(), left);
    QCOMPARE(h.messages.shown.size(), onEntry ? 1 : 0);
    if (onEntry) {
        QCOMPARE(h.messages.shown.first().text, u"把b.txt项从列表中删除吗"_qs);
        QCOMPARE(h.messages.shown.first().defaultButton, MessageBoxPort::Answer::No);
    }
}

void TestForm1Documents::knobRelease_data()
{
    QTest::addColumn<int>("knobLeft"); // -1: the design place
    QTest::addColumn<int>("dragTo");   // -1: no move
    QTest::addColumn<int>("textLength");
    QTest::addColumn<int>("textlength");
    QTest::addColumn<int>("caret");
    QTest::newRow("design place, 1000 characters") << -1 << -1 << 1000 << 26 << 26;
    QTest::newRow("beyond the end: caret at the end") << 354 << -1 << 128 << 130 << 128;
    QTest::newRow("dragged, 52.5 to even") << 100 << 200 << 128 << 52 << 52;
    QTest::newRow("dragged off the track's end") << 100 << 346 << 128 << 2 << 2;
}

void TestForm1Documents::knobRelease()
{
    QFETCH(int, knobLeft);
    QFETCH(int, dragTo);
    QFETCH(int, textLength);
    QFETCH(int, textlength);
    QFETCH(int, caret);
    Harness h;
    if (knobLeft >= 0) {
        h.form.Labtxtlength->setGeometry(100, 8, 256, 4);
        h.form.Cmdlength->setGeometry(knobLeft, 0, 10, 21);
    }
    h.form.setDocumentText(QString(textLength, u'字'));
    QWidget* knob = h.form.Cmdlength;
    const int left = knob->x();
    // Any button presses the knob.
    mouse(knob, QEvent::MouseButtonPress, {2, 2}, Qt::RightButton);
    if (dragTo >= 0) // the knob's left edge goes under the pointer
        mouse(knob, QEvent::MouseMove, {dragTo - left, 5}, Qt::RightButton);
    mouse(knob, QEvent::MouseButtonRelease, {2, 2}, Qt::RightButton);
    QCOMPARE(knob->x(), dragTo == 200 ? 200 : left);
    QCOMPARE(h.reading().textlength(), textlength);
    QCOMPARE(h.form.Texten->textCursor().position(), caret);
    QVERIFY(!h.form.Texten->textCursor().hasSelection());
    QCOMPARE(knob->toolTip(), QString::number(textlength));
}

void TestForm1Documents::pressStops_data()
{
    QTest::addColumn<bool>("paused");
    QTest::newRow("reading") << false;
    QTest::newRow("paused") << true;
}

void TestForm1Documents::pressStops()
{
    QFETCH(bool, paused);
    Harness h;
    h.startReading();
    if (paused)
        h.reading().Label2_Click(ReadingController::PauseResume);
    const QString caption = h.form.Label2[3]->text();
    const qsizetype calls = h.engine.calls.size();
    mouse(h.form.Cmdlength, QEvent::MouseButtonPress, {2, 2}, Qt::LeftButton);
    QCOMPARE(h.reading().stopped(), -1);
    QCOMPARE(h.engine.calls.size(), calls + 1);
    QCOMPARE(h.engine.calls.last().flags, int(SpeechEngine::PurgeBeforeSpeak));
    QCOMPARE(h.commandRow(), u"100"_qs);
    QCOMPARE(h.reading().paused(), paused ? 1 : 0);
    QCOMPARE(h.form.Label2[3]->text(), caption);
    QCOMPARE(h.engine.resumeCalls(), 0);
}

void TestForm1Documents::hoverColours()
{
    Harness h;
    const int left = h.form.Cmdlength->x();
    QCOMPARE(h.knobColour(), QColor(0, 255, 0));
    mouse(h.form.Cmdlength, QEvent::MouseMove, {3, 3}, Qt::NoButton);
    QCOMPARE(h.knobColour(), QColor(255, 255, 0));
    QCOMPARE(h.form.Cmdlength->x(), left); // not pressed: the knob stays
    mouse(h.form.Picture2, QEvent::MouseMove, {1, 1}, Qt::NoButton);
    QCOMPARE(h.knobColour(), QColor(0, 255, 0));
    QVERIFY(h.engine.calls.isEmpty());
}

QTEST_MAIN(TestForm1Documents)
#include "tst_form1_documents.moc"
