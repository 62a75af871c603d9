// The main window's documents: opening files, the reading list, drops and typing while a
// file loads, over a folder of GBK files, two of them with the same name.
#include "fakes/MainWindowFakes.h"

#include <QMimeData>
#include <QTextDocument>
#include <QUrl>

using namespace lirondo;
using namespace lirondo::test;

namespace {

// A drop as the window system delivers it: enter, then drop. Without a text of their own,
// the files' addresses come as the text, as file managers send them.
bool drop(QWidget* target, const QString& text, const QStringList& names)
{
    QList<QUrl> urls;
    for (const QString& name : names)
        urls.append(name.contains(u':') ? QUrl(name)
                                        : QUrl::fromLocalFile(MainWindowHarness::path(name)));
    QMimeData data;
    data.setUrls(urls);
    data.setText(text.isNull() ? QUrl::toStringList(urls).join(u"\r\n"_qs) : text);
    QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent dropEvent({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dropEvent);
    return dropEvent.isAccepted();
}

} // namespace

class TestDocumentWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QDir(MainWindowHarness::path()).mkpath(u"folder"_qs);
        QDir(MainWindowHarness::path()).mkpath(u"二"_qs);
        const GbkCodePage gbk;
        for (const auto& [name, text] : {std::pair{u"a.txt"_qs, u"甲"_qs},
                                         {u"b.txt"_qs, u"乙"_qs},
                                         {u"二/a.txt"_qs, u"二号"_qs}})
            MainWindowHarness::write(name, gbk.encode(text));
        QFile huge(MainWindowHarness::path(u"huge.txt"_qs)); // sparse: one byte over the limit
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(kMaxTextFileBytes + 1));
    }

    // One file twice, then its namesake in another folder, then an open that is cancelled;
    // then perhaps a click on the first entry.
    void openAndClick_data()
    {
        QTest::addColumn<int>("key"); // that clicks: -1 none, 0 the mouse
        QTest::addColumn<QString>("document");
        QTest::newRow("no click: the namesake") << -1 << u"二号"_qs;
        QTest::newRow("then a click on the first") << 0 << u"甲"_qs;
        QTest::newRow("then Enter on the first") << int(Qt::Key_Return) << u"甲"_qs;
        QTest::newRow("then Space on the first") << int(Qt::Key_Space) << u"甲"_qs;
    }
    // All while the voice reads: a new document is read from its start, and a click, which
    // silences the voice, leaves the command row idle.
    void openAndClick()
    {
        QFETCH(int, key);
        MainWindowHarness h;
        h.list().resize(200, 200);
        h.form.documents().setDocumentText(u"今天天气很好。"_qs);
        h.reading().read();
        const qsizetype calls = h.engine.calls.size();
        h.reading().setReadingStart(3);
        auto* knob = control<QPushButton>(h.form, "Cmdlength");
        knob->move(170, knob->y());
        for (const QString& name : {u"a.txt"_qs, u"a.txt"_qs, u"二/a.txt"_qs})
            QVERIFY(h.open(name));
        h.form.documents().openFile();
        QTreeWidgetItem* first = h.list().topLevelItem(0);
        if (key > 0) {
            h.list().setCurrentItem(first);
            QTest::keyClick(&h.list(), Qt::Key(key));
        } else if (key == 0) {
            QTest::mouseClick(h.list().viewport(), Qt::LeftButton, {},
                              h.list().visualItemRect(first).center());
        }
        QVERIFY(h.settle());
        QTEST(h.document(), "document"); // not emptied by the cancelled open
        QCOMPARE(h.entries(),
                 (QStringList{u"a.txt|a.txt"_qs, u"a.txt|a.txt"_qs, u"a.txt|二/a.txt"_qs}));
        QVERIFY(h.messages.shown.isEmpty());
        QCOMPARE(h.dialog.requests.last().fileName, h.path(u"二/a.txt"_qs)); // the last chosen
        QCOMPARE(h.engine.calls.size(), calls + (key >= 0 ? 1 : 0));         // opening: left alone
        QCOMPARE(h.reading().readingStart(), 0);
        for (int i : {0, 1, 3}) // idle: only 朗读; reading: 停止 and 暂停
            QCOMPARE(command(h.form, i)->isEnabled(), (i == 0) == (key >= 0));
        QCOMPARE(knob->x(), control(h.form, "Labtxtlength")->x());
    }

    void drops_data()
    {
        QTest::addColumn<bool>("onList"); // else onto the text box
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("document"); // null: the box keeps what it had
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("box: three files")
            << false << QString() << QStringList{u"b.txt"_qs, u"a.txt"_qs, u"二/a.txt"_qs}
            << u"乙"_qs << QStringList{u"b.txt|b.txt"_qs, u"a.txt|a.txt"_qs, u"a.txt|二/a.txt"_qs};
        // Only ordinary files are opened and listed; what cannot be read changes nothing.
        QTest::newRow("box: a folder among the files")
            << false << QString() << QStringList{u"folder"_qs, u"a.txt"_qs, u"folder"_qs}
            << u"甲"_qs << QStringList{u"a.txt|a.txt"_qs};
        QTest::newRow("box: too large, with a message")
            << false << QString() << QStringList{u"huge.txt"_qs} << QString() << QStringList{};
        QTest::newRow("box: a web link is text")
            << false << QString() << QStringList{u"https://example.org/a.txt"_qs}
            << u"https://example.org/a.txt"_qs << QStringList{};
        QTest::newRow("box: text and files is text")
            << false << u"拖进来的文字"_qs << QStringList{u"a.txt"_qs} << u"拖进来的文字"_qs
            << QStringList{};
        // The list takes paths as they are, without opening or testing them.
        QTest::newRow("list: files beside text")
            << true << u"words"_qs << QStringList{u"folder"_qs, u"a.txt"_qs} << u"乙"_qs
            << QStringList{u"a.txt|a.txt"_qs};
        QTest::newRow("list: text alone is refused")
            << true << u"words"_qs << QStringList{} << u"乙"_qs << QStringList{};
    }
    void drops()
    {
        QFETCH(bool, onList);
        QFETCH(QString, text);
        QFETCH(QStringList, files);
        QFETCH(QString, document);
        MainWindowHarness h;
        const QString before = h.document();
        if (document.isNull())
            document = before;
        else // still under way when the drop comes: the drop outlasts it
            h.form.documents().loadTextFile(h.path(u"b.txt"_qs));
        QWidget* target = onList ? h.list().viewport() : textEdit(h.form)->viewport();
        QCOMPARE(drop(target, text, files), !(onList && files.isEmpty()));
        QVERIFY(h.settle());
        QCOMPARE(h.document(), document);
        QTEST(h.entries(), "entries");
        const bool huge = files.contains(u"huge.txt"_qs);
        QCOMPARE(h.messages.shown.size(), huge ? 1 : 0);
        if (huge)
            QCOMPARE(h.messages.shown.first().text,
                     u"这个文件太大了（1024 MB），打不开：本程序最多打开 1024 MB 的文本文件。"_qs);
        QVERIFY(!textEdit(h.form)->isReadOnly());
        // Replacing the document is one step that Ctrl+Z takes back.
        QTest::keyClick(textEdit(h.form), Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(h.document(), before);
    }

    // While a file loads, the box takes no edits and says so; then it shows the file.
    void typingDuringLoad()
    {
        MainWindowHarness h;
        const QString line = u"第一行 a line\n"_qs;
        h.write(u"big.txt"_qs, h.gbk.encode(line).repeated(400000));
        h.form.documents().loadTextFile(h.path(u"big.txt"_qs));
        QTest::keyClicks(textEdit(h.form), u"typed"_qs);
        QVERIFY(textEdit(h.form)->loadingCaption().startsWith(u"正在打开 … "_qs));
        QVERIFY(!h.document().contains(u"typed"_qs));
        QVERIFY(h.settle());
        QCOMPARE(h.document(), line.repeated(400000));
        QCOMPARE(textEdit(h.form)->loadingCaption(), QString());
        // The box holds few blocks, and the same positions as the plain text.
        QVERIFY(textEdit(h.form)->document()->blockCount() < 400000 / 8);
        h.reading().setReadingStart(line.size() * 3);
        h.reading().read();
        QCOMPARE(textEdit(h.form)->textCursor().selectedText().left(3), u"第一行"_qs);
    }

    void removal_data()
    {
        QTest::addColumn<QString>("how"); // on the second of two entries
        QTest::addColumn<bool>("yes");
        QTest::newRow("right click, Yes") << u"click"_qs << true;
        QTest::newRow("right click, No") << u"click"_qs << false;
        QTest::newRow("right click off the entries") << u"off"_qs << true;
        QTest::newRow("Delete, Yes") << u"Delete"_qs << true;
        QTest::newRow("Delete, No") << u"Delete"_qs << false;
    }
    void removal()
    {
        QFETCH(QString, how);
        QFETCH(bool, yes);
        MainWindowHarness h;
        h.list().resize(200, 200);
        h.form.documents().addToReadingList(h.path(u"a.txt"_qs));
        h.form.documents().addToReadingList(h.path(u"b.txt"_qs));
        h.messages.answers = {yes ? MessageBoxPort::Answer::Yes : MessageBoxPort::Answer::No};
        QTreeWidgetItem* second = h.list().topLevelItem(1);
        if (how == u"Delete") {
            h.list().setCurrentItem(second);
            QTest::keyClick(&h.list(), Qt::Key_Delete);
        } else {
            QTest::mousePress(h.list().viewport(), Qt::RightButton, {},
                              how == u"off" ? QPoint(20, 180)
                                            : h.list().visualItemRect(second).center());
        }
        const bool asked = how != u"off";
        QCOMPARE(h.entries().size(), asked && yes ? 1 : 2);
        QCOMPARE(h.entries().first(), u"a.txt|a.txt"_qs);
        QCOMPARE(h.messages.shown.size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(h.messages.shown.first().text, u"把b.txt项从列表中删除吗"_qs);
            QCOMPARE(h.messages.shown.first().defaultButton, MessageBoxPort::Answer::No);
        }
    }
};

QTEST_MAIN(TestDocumentWindow)
#include "tst_document_window.moc"
