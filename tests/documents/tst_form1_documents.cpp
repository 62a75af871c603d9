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

namespace {

const QString kAppDir = QStringLiteral("/opt/lirondo/bin");

QList<VoiceInfo> twoVoices()
{
    return {
        {QStringLiteral("cmn"), QStringLiteral("Chinese (Mandarin)"), {QStringLiteral("cmn")}},
        {QStringLiteral("en-us"), QStringLiteral("English (America)"), {QStringLiteral("en-us")}}};
}

// The main window with fakes for what it talks to, and a folder of files to open.
struct Harness
{
    Harness()
        : engine(twoVoices()),
          form(Form1Services{engine, messages, dialog, agent, clock, gbk, kAppDir})
    {}

    QString file(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write a test file");
        return path;
    }
    QString gbkFile(const QString& name, const QString& text)
    {
        return file(name, gbk.encode(text));
    }

    ReadingController& reading() { return form.reading(); }
    QString document() const { return form.documentText(); }
    QTreeWidget& list() const { return *form.ListView1; }
    QStringList entries() const
    {
        QStringList rows;
        for (int i = 0; i < list().topLevelItemCount(); ++i)
            rows.append(list().topLevelItem(i)->text(0) + u'|' + list().topLevelItem(i)->text(1));
        return rows;
    }
    QTreeWidgetItem* entry(int i) const { return list().topLevelItem(i); }
    QString commandRow() const
    {
        QString s;
        for (int i : {0, 1, 3})
            s += form.Label2[i]->isEnabled() ? u'1' : u'0';
        return s;
    }
    int purges() const
    {
        int n = 0;
        for (const auto& call : engine.calls)
            n += call.text.isEmpty() && (call.flags & SpeechEngine::PurgeBeforeSpeak) ? 1 : 0;
        return n;
    }
    void startReading()
    {
        form.setDocumentText(QStringLiteral("今天天气很好。"));
        reading().Label2_Click(ReadingController::Read);
    }
    QColor knobColour() const
    {
        const QImage image = form.Cmdlength->grab().toImage();
        return image.pixelColor(image.width() / 2, image.height() / 2);
    }
    void setSmallTrack()
    {
        form.Labtxtlength->setGeometry(100, 8, 256, 4);
        form.Cmdlength->setGeometry(100, 0, 10, 21);
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

QList<QUrl> urlsOf(const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    return urls;
}

// Delivers a drop as the window system would: enter, then drop, on the widget's viewport.
bool drop(QWidget* target, QMimeData* data)
{
    const QPoint at(10, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent dropEvent(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dropEvent);
    return dropEvent.isAccepted();
}

void mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
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
    void loadDuringReadingLeavesTheReadingAlone();

    void dropFilesOntoTheBox_data();
    void dropFilesOntoTheBox();
    void dropTextAndFilesIsText();

    void sameFileTwiceAndSameNameTwice();
    void clickOnAMissingFileDoesNothing_data();
    void clickOnAMissingFileDoesNothing();
    void clickDuringReadingSilencesAndLoads();
    void rightClickRemoval_data();
    void rightClickRemoval();
    void rightClickOnNoEntry();
    void dropOntoTheList();

    void knobRelease_data();
    void knobRelease();
    void dragStaysInsideTheTrack();
    void pressStopsReading();
    void pressWhilePausedKeepsThePause();
    void hoverColours();
};

void TestForm1Documents::openCommand_data()
{
    QTest::addColumn<QString>("answer"); // null: Cancel; relative: a file in the folder
    QTest::addColumn<QString>("document");
    QTest::addColumn<QStringList>("entries");

    const QString note = QStringLiteral("<usage note>");
    QTest::newRow("Cancel") << QString() << note << QStringList{};
    QTest::newRow("no such file") << QStringLiteral("nothing.txt") << note << QStringList{};
    QTest::newRow("a folder") << QStringLiteral("folder") << note << QStringList{};
    QTest::newRow("GBK file") << QStringLiteral("书/第一章.txt") << QStringLiteral("第一章 正文")
                              << QStringList{QStringLiteral("第一章.txt|书/第一章.txt")};
    QTest::newRow("empty file") << QStringLiteral("empty.txt") << QString()
                                << QStringList{QStringLiteral("empty.txt|empty.txt")};
    QTest::newRow("too large to hold") << QStringLiteral("huge.txt") << QString() << QStringList{};
}

void TestForm1Documents::openCommand()
{
    QFETCH(QString, answer);
    QFETCH(QString, document);
    QFETCH(QStringList, entries);

    Harness h;
    h.gbkFile(QStringLiteral("书/第一章.txt"), QStringLiteral("第一章 正文"));
    h.file(QStringLiteral("empty.txt"), {});
    QDir(h.dir.path()).mkdir(QStringLiteral("folder"));
    // A sparse file beyond what the program will hold in memory.
    QFile huge(h.dir.filePath(QStringLiteral("huge.txt")));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(kMaxTextFileBytes + 1));
    huge.close();

    const QString usageNote = h.document();
    h.dialog.answers.append(answer.isNull() ? std::optional<QString>()
                                            : std::optional<QString>(h.dir.filePath(answer)));
    h.form.Label5_Click();
    SETTLE(h);

    QCOMPARE(h.document(), document == QStringLiteral("<usage note>") ? usageNote : document);
    QStringList expected;
    for (const QString& row : entries)
        expected.append(row.section(u'|', 0, 0) + u'|' + h.dir.filePath(row.section(u'|', 1)));
    QCOMPARE(h.entries(), expected);
    QVERIFY(h.messages.shown.isEmpty());
}

void TestForm1Documents::openDialogRequest()
{
    Harness h;
    const QString first = h.gbkFile(QStringLiteral("a.txt"), QStringLiteral("甲"));
    h.dialog.answers = {first, std::nullopt};
    h.form.Label5_Click();
    SETTLE(h);
    h.form.Label5_Click(); // offers the file chosen last, then is cancelled

    QCOMPARE(h.dialog.requests.size(), 2);
    for (const FileDialogPort::OpenRequest& request : h.dialog.requests) {
        QCOMPARE(request.title, QStringLiteral("请选择你要打开的文件"));
        QCOMPARE(request.filter, QStringLiteral("文本文件(*.txt)|*.txt|所有类型(*.*)|*.*"));
        QCOMPARE(request.filterIndex, 1);
        QCOMPARE(request.initDir, kAppDir);
    }
    QCOMPARE(h.dialog.requests[0].fileName, QString());
    QCOMPARE(h.dialog.requests[1].fileName, first);
    QCOMPARE(h.document(), QStringLiteral("甲"));
    QCOMPARE(h.list().topLevelItemCount(), 1);
}

void TestForm1Documents::loadDuringReadingLeavesTheReadingAlone()
{
    Harness h;
    h.startReading();
    h.reading().setTextlength(3);
    h.form.Cmdlength->move(170, h.form.Cmdlength->y());
    const int calls = int(h.engine.calls.size());
    const QString row = h.commandRow();

    h.form.LoadTextFile(h.gbkFile(QStringLiteral("a.txt"), QStringLiteral("新的文本")));
    SETTLE(h);

    QCOMPARE(h.document(), QStringLiteral("新的文本"));
    QCOMPARE(h.engine.calls.size(), calls);
    QCOMPARE(h.reading().textlength(), 3);
    QCOMPARE(h.reading().stopped(), 0);
    QCOMPARE(h.commandRow(), row);
    QCOMPARE(h.form.Cmdlength->x(), 170);
}

void TestForm1Documents::dropFilesOntoTheBox_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("document");
    QTest::addColumn<int>("entries");
    QTest::newRow("three files") << QStringList{QStringLiteral("b.txt"), QStringLiteral("a.txt"),
                                                QStringLiteral("c.txt")}
                                 << QStringLiteral("乙") << 3;
    QTest::newRow("first is a folder")
        << QStringList{QStringLiteral("folder"), QStringLiteral("a.txt")} << QString() << 0;
    QTest::newRow("first has vanished")
        << QStringList{QStringLiteral("gone.txt"), QStringLiteral("a.txt")} << QString() << 0;
}

void TestForm1Documents::dropFilesOntoTheBox()
{
    QFETCH(QStringList, names);
    QFETCH(QString, document);
    QFETCH(int, entries);

    Harness h;
    h.gbkFile(QStringLiteral("a.txt"), QStringLiteral("甲"));
    h.gbkFile(QStringLiteral("b.txt"), QStringLiteral("乙"));
    h.gbkFile(QStringLiteral("c.txt"), QStringLiteral("丙"));
    QDir(h.dir.path()).mkdir(QStringLiteral("folder"));
    QStringList paths;
    for (const QString& name : names)
        paths.append(h.dir.filePath(name));

    auto* data = new QMimeData;
    data->setUrls(urlsOf(paths));
    QVERIFY(drop(h.form.Texten->viewport(), data));
    SETTLE(h);

    QCOMPARE(h.document(), document);
    QStringList expected;
    for (int i = 0; i < entries; ++i)
        expected.append(names[i] + u'|' + paths[i]);
    QCOMPARE(h.entries(), expected);
    delete data;
}

void TestForm1Documents::dropTextAndFilesIsText()
{
    Harness h;
    const QString path = h.gbkFile(QStringLiteral("a.txt"), QStringLiteral("甲"));
    h.form.LoadTextFile(path); // still under way when the text comes: the text stays

    QMimeData data;
    data.setText(QStringLiteral("拖进来的文字"));
    data.setUrls(urlsOf({path}));
    QVERIFY(drop(h.form.Texten->viewport(), &data));
    SETTLE(h);

    QCOMPARE(h.document(), QStringLiteral("拖进来的文字"));
    QCOMPARE(h.list().topLevelItemCount(), 0);
}

void TestForm1Documents::sameFileTwiceAndSameNameTwice()
{
    Harness h;
    const QString one = h.gbkFile(QStringLiteral("一/a.txt"), QStringLiteral("一号"));
    const QString two = h.gbkFile(QStringLiteral("二/a.txt"), QStringLiteral("二号"));
    h.dialog.answers = {one, one, two};
    for (int i = 0; i < 3; ++i) {
        h.form.Label5_Click();
        SETTLE(h);
    }
    QCOMPARE(h.entries(),
             (QStringList{QStringLiteral("a.txt|") + one, QStringLiteral("a.txt|") + one,
                          QStringLiteral("a.txt|") + two}));

    h.form.ListView1_ItemClick(h.entry(1));
    SETTLE(h);
    QCOMPARE(h.document(), QStringLiteral("一号"));
    h.form.ListView1_ItemClick(h.entry(2));
    SETTLE(h);
    QCOMPARE(h.document(), QStringLiteral("二号"));
    h.form.ListView1_ItemClick(h.entry(0));
    SETTLE(h);
    QCOMPARE(h.document(), QStringLiteral("一号"));
}

void TestForm1Documents::clickOnAMissingFileDoesNothing_data()
{
    QTest::addColumn<bool>("folder");
    QTest::newRow("deleted since listed") << false;
    QTest::newRow("a folder") << true;
}

void TestForm1Documents::clickOnAMissingFileDoesNothing()
{
    QFETCH(bool, folder);
    Harness h;
    const QString path = folder ? h.dir.path() : h.gbkFile(QStringLiteral("a.txt"), {});
    h.form.AddToReadingList(path);
    if (!folder)
        QVERIFY(QFile::remove(path));
    h.startReading();
    const QString text = h.document();
    const int calls = int(h.engine.calls.size());

    h.form.ListView1_ItemClick(h.entry(0));
    SETTLE(h);

    QCOMPARE(h.document(), text);
    QCOMPARE(h.list().topLevelItemCount(), 1);
    QCOMPARE(h.engine.calls.size(), calls);
    QCOMPARE(h.reading().stopped(), 0);
    QVERIFY(h.messages.shown.isEmpty());
}

void TestForm1Documents::clickDuringReadingSilencesAndLoads()
{
    Harness h;
    h.form.AddToReadingList(h.gbkFile(QStringLiteral("a.txt"), QStringLiteral("列表里的文件")));
    h.startReading();
    h.reading().setTextlength(4);
    const QString row = h.commandRow();
    QCOMPARE(h.purges(), 1); // the read command's own

    // A real click, as the user gives it.
    QTreeWidget& list = h.list();
    list.resize(200, 200);
    const QPoint at = list.visualItemRect(h.entry(0)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    SETTLE(h);

    QCOMPARE(h.purges(), 2);
    QCOMPARE(h.engine.calls.last().flags, int(SpeechEngine::PurgeBeforeSpeak));
    QCOMPARE(h.document(), QStringLiteral("列表里的文件"));
    QCOMPARE(h.reading().textlength(), 4);
    QCOMPARE(h.reading().stopped(), 0);
    QCOMPARE(h.commandRow(), row);
}

void TestForm1Documents::rightClickRemoval_data()
{
    QTest::addColumn<QList<MessageBoxPort::Answer>>("answers");
    QTest::addColumn<QStringList>("left");
    using A = MessageBoxPort::Answer;
    QTest::newRow("Yes") << QList<A>{A::Yes} << QStringList{QStringLiteral("a.txt")};
    QTest::newRow("No") << QList<A>{A::No}
                        << QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")};
    QTest::newRow("default button")
        << QList<A>{} << QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")};
}

void TestForm1Documents::rightClickRemoval()
{
    QFETCH(QList<MessageBoxPort::Answer>, answers);
    QFETCH(QStringList, left);

    Harness h;
    const QString shown = h.gbkFile(QStringLiteral("b.txt"), QStringLiteral("乙"));
    h.form.AddToReadingList(h.dir.filePath(QStringLiteral("a.txt")));
    h.form.AddToReadingList(shown);
    h.form.LoadTextFile(shown);
    SETTLE(h);
    h.messages.answers = answers;

    QTreeWidget& list = h.list();
    list.resize(200, 200);
    mouse(list.viewport(), QEvent::MouseButtonPress, list.visualItemRect(h.entry(1)).center(),
          Qt::RightButton);

    QCOMPARE(h.messages.shown.size(), 1);
    const MessageBoxPort::Request& asked = h.messages.shown.first();
    QCOMPARE(asked.text, QStringLiteral("把b.txt项从列表中删除吗"));
    QCOMPARE(asked.title, QStringLiteral("提示"));
    QCOMPARE(asked.buttons, MessageBoxPort::Buttons::YesNo);
    QCOMPARE(asked.icon, MessageBoxPort::Icon::Information);
    QCOMPARE(asked.defaultButton, MessageBoxPort::Answer::No);
    QStringList names;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        names.append(h.entry(i)->text(0));
    QCOMPARE(names, left);
    QCOMPARE(h.document(), QStringLiteral("乙")); // removal leaves the box alone
}

void TestForm1Documents::rightClickOnNoEntry()
{
    Harness h;
    h.form.AddToReadingList(QStringLiteral("/tmp/a.txt"));
    QTreeWidget& list = h.list();
    list.resize(200, 200);
    mouse(list.viewport(), QEvent::MouseButtonPress, QPoint(20, 180), Qt::RightButton);
    QVERIFY(h.messages.shown.isEmpty());
    QCOMPARE(list.topLevelItemCount(), 1);
}

void TestForm1Documents::dropOntoTheList()
{
    Harness h;
    const QString text = h.document();
    const QStringList paths = {QStringLiteral("/nowhere/b.txt"), h.dir.path()};

    QMimeData files;
    files.setText(QStringLiteral("text beside the files does not matter here"));
    files.setUrls(urlsOf(paths));
    QVERIFY(drop(h.list().viewport(), &files));
    QMimeData words;
    words.setText(QStringLiteral("只有文字"));
    QVERIFY(!drop(h.list().viewport(), &words));

    QCOMPARE(h.entries(), (QStringList{QStringLiteral("b.txt|/nowhere/b.txt"),
                                       QFileInfo(h.dir.path()).fileName() + u'|' + h.dir.path()}));
    QCOMPARE(h.document(), text);
    QVERIFY(!h.form.documentLoadPending());

    h.form.ListView1_ItemClick(h.entry(1)); // the folder's entry
    QVERIFY(!h.form.documentLoadPending());
    QCOMPARE(h.document(), text);
}

void TestForm1Documents::knobRelease_data()
{
    QTest::addColumn<bool>("smallTrack"); // false: the design track
    QTest::addColumn<int>("knobLeft");
    QTest::addColumn<int>("textLength");
    QTest::addColumn<int>("textlength");
    QTest::addColumn<int>("caret");

    QTest::newRow("empty text") << false << -1 << 0 << 0 << 0;
    QTest::newRow("design place, 1000 characters") << false << -1 << 1000 << 26 << 26;
    QTest::newRow("100.5 to even") << true << 296 << 128 << 100 << 100;
    QTest::newRow("101.5 to even") << true << 298 << 128 << 102 << 102;
    QTest::newRow("beyond the end: caret at the end") << true << 354 << 128 << 130 << 128;
}

void TestForm1Documents::knobRelease()
{
    QFETCH(bool, smallTrack);
    QFETCH(int, knobLeft);
    QFETCH(int, textLength);
    QFETCH(int, textlength);
    QFETCH(int, caret);

    Harness h;
    if (smallTrack)
        h.setSmallTrack();
    if (knobLeft >= 0)
        h.form.Cmdlength->move(knobLeft, h.form.Cmdlength->y());
    h.form.setDocumentText(QString(textLength, u'字'));
    const int left = h.form.Cmdlength->x();

    // Press and release without a move, with another button than the left one.
    mouse(h.form.Cmdlength, QEvent::MouseButtonPress, QPoint(2, 2), Qt::RightButton);
    mouse(h.form.Cmdlength, QEvent::MouseButtonRelease, QPoint(2, 2), Qt::RightButton);

    QCOMPARE(h.form.Cmdlength->x(), left);
    QCOMPARE(h.reading().textlength(), textlength);
    QCOMPARE(h.form.Texten->textCursor().position(), caret);
    QVERIFY(!h.form.Texten->textCursor().hasSelection());
    QCOMPARE(h.form.Cmdlength->toolTip(), QString::number(textlength));
}

void TestForm1Documents::dragStaysInsideTheTrack()
{
    Harness h;
    h.setSmallTrack();
    h.form.setDocumentText(QString(128, u'字'));
    QWidget* knob = h.form.Cmdlength;

    // Before the press, moves only light the knob.
    mouse(knob, QEvent::MouseMove, QPoint(50, 5), Qt::NoButton);
    QCOMPARE(knob->x(), 100);

    mouse(knob, QEvent::MouseButtonPress, QPoint(3, 5), Qt::LeftButton);
    // Pointer positions in the knob's own coordinates: panel x = knob left + x.
    const QList<QPair<int, int>> moves = {{101, 101}, {345, 345}, {346, 345}, {100, 345},
                                          {200, 200}, {-40, 200}, {900, 200}};
    for (const auto& [panelX, expected] : moves) {
        mouse(knob, QEvent::MouseMove, QPoint(panelX - knob->x(), 5), Qt::LeftButton);
        QCOMPARE(knob->x(), expected);
    }
    mouse(knob, QEvent::MouseButtonRelease, QPoint(0, 5), Qt::LeftButton);
    QCOMPARE(h.reading().textlength(), 52); // (200 + 5 - 100) / 256 * 128 = 52.5

    // Released: moves no longer drag.
    mouse(knob, QEvent::MouseMove, QPoint(100, 5), Qt::NoButton);
    QCOMPARE(knob->x(), 200);
}

void TestForm1Documents::pressStopsReading()
{
    Harness h;
    h.startReading();
    QCOMPARE(h.reading().stopped(), 0);
    QCOMPARE(h.commandRow(), QStringLiteral("011"));
    const int purges = h.purges();

    h.form.Cmdlength_MouseDown();

    QCOMPARE(h.reading().stopped(), -1);
    QCOMPARE(h.purges(), purges + 1);
    QCOMPARE(h.commandRow(), QStringLiteral("100"));
}

void TestForm1Documents::pressWhilePausedKeepsThePause()
{
    Harness h;
    h.startReading();
    h.reading().Label2_Click(ReadingController::PauseResume);
    QCOMPARE(h.reading().paused(), 1);
    const QString caption = h.form.Label2[3]->text();

    h.form.Cmdlength_MouseDown();

    QCOMPARE(h.reading().paused(), 1);
    QCOMPARE(h.form.Label2[3]->text(), caption);
    QCOMPARE(h.engine.resumeCalls(), 0);
    h.form.Cmdlength_MouseUp();
}

void TestForm1Documents::hoverColours()
{
    Harness h;
    QCOMPARE(h.knobColour(), QColor(0, 255, 0));
    mouse(h.form.Cmdlength, QEvent::MouseMove, QPoint(3, 3), Qt::NoButton);
    QCOMPARE(h.knobColour(), QColor(255, 255, 0));
    QVERIFY(h.engine.calls.isEmpty()); // hovering stops nothing
    h.form.knobToGreen();
    QCOMPARE(h.knobColour(), QColor(0, 255, 0));
}

QTEST_MAIN(TestForm1Documents)
#include "tst_form1_documents.moc"
