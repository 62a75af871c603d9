#include "fakes/Form1Fakes.h"
#include "reading/ReadingController.h"
#include "shell/CommandLabel.h"
#include "shell/TextenEdit.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

using namespace lirondo;
using namespace lirondo::test;
using Answers = QList<MessageBoxPort::Answer>;

namespace {

const QString kAppDir = u"/opt/lirondo/bin"_qs;

// The main window with fakes for what it talks to, and a folder of GBK files to open;
// two of them share a name.
struct Harness : Form1Fakes
{
    Harness() : Form1Fakes({{u"cmn"_qs, u"Chinese (Mandarin)"_qs, {u"cmn"_qs}}})
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
        QFile huge(path(u"huge.txt"_qs)); // sparse: one byte over the limit
        if (!huge.open(QIODevice::WriteOnly) || !huge.resize(kMaxTextFileBytes + 1))
            qFatal("cannot write a test file");
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

    QTemporaryDir dir;
    Form1 form{services(kAppDir)};
};

#define SETTLE(h) QTRY_VERIFY_WITH_TIMEOUT(!(h).form.documentLoadPending(), 10000)

// A drop as the window system delivers it: enter, then drop. Without a text of their own,
// the files' addresses come as the text, as file managers send them.
bool drop(QWidget* target, const QString& text, const QStringList& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    QStringList addresses;
    for (const QString& path : paths) {
        urls.append(path.contains(u"://"_qs) ? QUrl(path) : QUrl::fromLocalFile(path));
        addresses.append(urls.last().toString());
    }
    data.setUrls(urls);
    data.setText(text.isNull() ? addresses.join(u"\r\n"_qs) : text);
    QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent dropEvent({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dropEvent);
    return dropEvent.isAccepted();
}

} // namespace

class TestForm1Documents : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // One file twice, then its namesake in another folder, then an open that is cancelled;
    // then perhaps a click on an entry.
    void openAndClick_data()
    {
        QTest::addColumn<int>("click"); // the entry clicked, or -1
        QTest::addColumn<int>("key");   // the key that clicks, or 0 for the mouse
        QTest::addColumn<QString>("document");
        QTest::newRow("no click: the namesake") << -1 << 0 << u"二号"_qs;
        QTest::newRow("then a click on the first") << 0 << 0 << u"甲"_qs;
        QTest::newRow("then Enter on the first") << 0 << int(Qt::Key_Return) << u"甲"_qs;
        QTest::newRow("then Space on the first") << 0 << int(Qt::Key_Space) << u"甲"_qs;
    }

    // Opening and clicking happen while the voice reads; a new document is read from its
    // start, and a click, which silences the voice, leaves the command row idle.
    void openAndClick()
    {
        QFETCH(int, click);
        QFETCH(int, key);
        QFETCH(QString, document);
        const QStringList chosen{u"a.txt"_qs, u"a.txt"_qs, u"二/a.txt"_qs};
        Harness h;
        h.form.setDocumentText(u"今天天气很好。"_qs);
        h.reading().read();
        const qsizetype calls = h.engine.calls.size();
        h.reading().setReadingStart(3);
        h.form.Cmdlength->move(170, h.form.Cmdlength->y());
        for (const QString& name : chosen) {
            h.dialog.answers.append(h.path(name));
            h.form.Label5_Click();
            SETTLE(h);
        }
        h.form.Label5_Click();
        if (click >= 0 && key) {
            h.list().setCurrentItem(h.entry(click));
            QTest::keyClick(&h.list(), Qt::Key(key));
        } else if (click >= 0) {
            QTest::mouseClick(h.list().viewport(), Qt::LeftButton, {},
                              h.list().visualItemRect(h.entry(click)).center());
        }
        SETTLE(h);
        QCOMPARE(h.document(), document); // not emptied by the cancelled open
        QCOMPARE(h.entries(),
                 (QStringList{u"a.txt|a.txt"_qs, u"a.txt|a.txt"_qs, u"a.txt|二/a.txt"_qs}));
        QVERIFY(h.messages.shown.isEmpty());
        QCOMPARE(h.dialog.requests.size(), chosen.size() + 1);
        for (const FileDialogPort::OpenRequest& request : h.dialog.requests) {
            QCOMPARE(request.filter, u"文本文件(*.txt)|*.txt|所有类型(*.*)|*.*"_qs);
            QCOMPARE(request.filterIndex, 1);
            QCOMPARE(request.initDir, kAppDir);
        }
        // The dialog offers the file chosen last.
        QCOMPARE(h.dialog.requests.last().fileName, h.path(chosen.last()));
        // A list click silences the voice first; opening leaves it alone.
        QCOMPARE(h.engine.calls.size(), calls + (click >= 0 ? 1 : 0));
        if (click >= 0) {
            QCOMPARE(h.engine.calls.last().text, QString());
            QCOMPARE(h.engine.calls.last().flags.toInt(), int(SpeechEngine::PurgeBeforeSpeak));
        }
        QCOMPARE(h.reading().readingStart(), 0);
        QCOMPARE(h.reading().isStopped(), click >= 0);
        QCOMPARE(h.commandRow(), click >= 0 ? u"100"_qs : u"011"_qs);
        QCOMPARE(h.form.Cmdlength->x(), h.form.Labtxtlength->x());
    }

    void drops_data()
    {
        QTest::addColumn<bool>("onList"); // else onto the text box
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("document");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("box: three files")
            << false << QString() << QStringList{u"b.txt"_qs, u"a.txt"_qs, u"二/a.txt"_qs} << true
            << u"乙"_qs << QStringList{u"b.txt|b.txt"_qs, u"a.txt|a.txt"_qs, u"a.txt|二/a.txt"_qs};
        // Only ordinary files are opened and listed; what cannot be read changes nothing.
        QTest::newRow("box: a folder among the files")
            << false << QString() << QStringList{u"folder"_qs, u"a.txt"_qs, u"folder"_qs} << true
            << u"甲"_qs << QStringList{u"a.txt|a.txt"_qs};
        QTest::newRow("box: a folder alone") << false << QString() << QStringList{u"folder"_qs}
                                             << true << QString() << QStringList{};
        QTest::newRow("box: too large, with a message")
            << false << QString() << QStringList{u"huge.txt"_qs} << true << QString()
            << QStringList{};
        QTest::newRow("box: a web link is text")
            << false << QString() << QStringList{u"https://example.org/a.txt"_qs} << true
            << u"https://example.org/a.txt"_qs << QStringList{};
        QTest::newRow("box: text and files is text")
            << false << u"拖进来的文字"_qs << QStringList{u"a.txt"_qs} << true << u"拖进来的文字"_qs
            << QStringList{};
        // The list takes paths as they are, without opening or testing them.
        QTest::newRow("list: files beside text")
            << true << u"words"_qs << QStringList{u"folder"_qs, u"a.txt"_qs} << true << u"乙"_qs
            << QStringList{u"a.txt|a.txt"_qs};
        QTest::newRow("list: text alone is refused")
            << true << u"words"_qs << QStringList{} << false << u"乙"_qs << QStringList{};
    }

    void drops()
    {
        QFETCH(bool, onList);
        QFETCH(QString, text);
        QFETCH(QStringList, files);
        QFETCH(bool, accepted);
        QFETCH(QString, document);
        QFETCH(QStringList, entries);
        Harness h;
        const QString before = h.document();
        if (document.isNull()) // nothing is shown: the box keeps what it had
            document = before;
        else
            h.form.LoadTextFile(h.path(u"b.txt"_qs)); // still under way: a drop outlasts it
        QStringList paths;
        for (const QString& name : files)
            paths.append(name.contains(u':') ? name : h.path(name));
        QCOMPARE(drop(onList ? h.list().viewport() : h.form.Texten->viewport(), text, paths),
                 accepted);
        SETTLE(h);
        QCOMPARE(h.document(), document);
        QCOMPARE(h.entries(), entries);
        QCOMPARE(h.messages.shown.size(), files.contains(u"huge.txt"_qs) ? 1 : 0);
        if (!h.messages.shown.isEmpty())
            QCOMPARE(h.messages.shown.first().text,
                     u"这个文件太大了（1024 MB），打不开：本程序最多打开 1024 MB 的文本文件。"_qs);
        QVERIFY(!h.form.Texten->isReadOnly());
        // Replacing the document is one step that Ctrl+Z takes back.
        QTest::keyClick(h.form.Texten, Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(h.document(), before);
    }

    // While a file loads, the box takes no edits and says so; then it shows the file.
    void typingDuringLoad()
    {
        Harness h;
        const QString line = u"第一行 a line\n"_qs;
        QFile big(h.path(u"big.txt"_qs));
        QVERIFY(big.open(QIODevice::WriteOnly));
        const QByteArray bytes = h.gbk.encode(line).repeated(400000);
        QVERIFY(big.write(bytes) == bytes.size());
        big.close();
        h.form.LoadTextFile(big.fileName());
        QTest::keyClicks(h.form.Texten, u"typed"_qs);
        QVERIFY(h.form.Texten->loadingCaption().startsWith(u"正在打开 … "_qs));
        QVERIFY(!h.document().contains(u"typed"_qs));
        SETTLE(h);
        QCOMPARE(h.document(), line.repeated(400000));
        QCOMPARE(h.form.Texten->loadingCaption(), QString());
        // The box holds few blocks, and the same positions as the plain text.
        QVERIFY(h.form.Texten->document()->blockCount() < 400000 / 8);
        h.form.reading().setReadingStart(line.size() * 3);
        h.form.reading().read();
        QCOMPARE(h.form.Texten->textCursor().selectedText().left(3), u"第一行"_qs);
    }

    // Text dragged inside the box moves, as in any text box, and Ctrl+Z puts it back.
    void dragInsideMoves()
    {
        // The offscreen platform's drag never drops; under xvfb-run with -platform xcb it does.
        if (QGuiApplication::platformName() != u"xcb"_qs)
            QSKIP("needs a platform that performs drags (xcb)");
        Harness h;
        const QString text = u"AAAA BBBB CCCC DDDD EEEE"_qs;
        h.form.setDocumentText(text);
        h.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.form));
        TextenEdit* box = h.form.Texten;
        QTextCursor select = box->textCursor();
        select.setPosition(5);
        select.setPosition(9, QTextCursor::KeepAnchor);
        box->setTextCursor(select);
        const auto at = [box](int position) {
            QTextCursor c(box->document());
            c.setPosition(position);
            return box->cursorRect(c).center();
        };
        QWidget* view = box->viewport();
        QTest::mousePress(view, Qt::LeftButton, {}, at(7));
        // The drag runs its own loop: the moves and the release come from inside it.
        QTimer::singleShot(50, view, [&] {
            QTest::mouseMove(view, at(17));
            QTest::mouseMove(view, at(20));
            QTest::mouseRelease(view, Qt::LeftButton, {}, at(20));
        });
        QTest::mouseMove(view, at(7) + QPoint(QApplication::startDragDistance() + 2, 0));
        QTest::mouseMove(view, at(12));
        QTRY_VERIFY(h.document() != text);
        QCOMPARE(h.document().size(), text.size());
        QCOMPARE(h.document().count(u"BBBB"_qs), 1);
        QVERIFY(h.document().contains(u"EEEE"_qs));
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(h.document(), text);
    }

    void rightClickRemoval_data()
    {
        QTest::addColumn<bool>("onEntry");
        QTest::addColumn<bool>("byKey"); // Delete on the current entry
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<QStringList>("left");
        using A = MessageBoxPort::Answer;
        const QStringList both{u"a.txt|a.txt"_qs, u"b.txt|b.txt"_qs};
        const QStringList first{u"a.txt|a.txt"_qs};
        QTest::newRow("Yes") << true << false << Answers{A::Yes} << first;
        QTest::newRow("No") << true << false << Answers{A::No} << both;
        QTest::newRow("no entry there") << false << false << Answers{A::Yes} << both;
        QTest::newRow("Delete, Yes") << true << true << Answers{A::Yes} << first;
        QTest::newRow("Delete, No") << true << true << Answers{A::No} << both;
    }

    void rightClickRemoval()
    {
        QFETCH(bool, onEntry);
        QFETCH(bool, byKey);
        QFETCH(Answers, answers);
        QFETCH(QStringList, left);
        Harness h;
        h.form.AddToReadingList(h.path(u"a.txt"_qs));
        h.form.AddToReadingList(h.path(u"b.txt"_qs));
        h.messages.answers = answers;
        const QPoint at = onEntry ? h.list().visualItemRect(h.entry(1)).center() : QPoint(20, 180);
        if (byKey) {
            h.list().setCurrentItem(h.entry(1));
            QTest::keyClick(&h.list(), Qt::Key_Delete);
        } else {
            QTest::mousePress(h.list().viewport(), Qt::RightButton, {}, at);
        }
        QCOMPARE(h.entries(), left);
        QCOMPARE(h.messages.shown.size(), onEntry ? 1 : 0);
        if (onEntry) {
            QCOMPARE(h.messages.shown.first().text, u"把b.txt项从列表中删除吗"_qs);
            QCOMPARE(h.messages.shown.first().defaultButton, MessageBoxPort::Answer::No);
        }
    }

    void knobRelease_data()
    {
        QTest::addColumn<int>("knobLeft"); // -1: the design place
        QTest::addColumn<int>("dragTo");   // -1: no move
        QTest::addColumn<int>("textLength");
        QTest::addColumn<QString>("voice"); // "", "reading" or "paused" when pressed
        QTest::addColumn<int>("key");       // instead of the mouse, with the focus on the knob
        QTest::addColumn<int>("knobAfter");
        QTest::addColumn<int>("readingStart");
        QTest::newRow("design place, 1000 characters: the start")
            << -1 << -1 << 1000 << "" << 0 << -1 << 0;
        QTest::newRow("beyond the end: the end") << 354 << -1 << 128 << "" << 0 << 354 << 128;
        QTest::newRow("reading, dragged, 52.5 to even")
            << 100 << 200 << 128 << "reading" << 0 << 200 << 52;
        QTest::newRow("paused, dragged off the track's right end")
            << 100 << 400 << 128 << "paused" << 0 << 346 << 128;
        QTest::newRow("dragged off the left end") << 200 << 40 << 128 << "" << 0 << 100 << 0;
        QTest::newRow("End key, reading")
            << 200 << -1 << 128 << "reading" << int(Qt::Key_End) << 346 << 128;
        QTest::newRow("Home key") << 200 << -1 << 128 << "" << int(Qt::Key_Home) << 100 << 0;
        QTest::newRow("Right key: a pixel on")
            << 100 << -1 << 128 << "" << int(Qt::Key_Right) << 101 << 3;
        QTest::newRow("Left key at the left end")
            << 100 << -1 << 128 << "" << int(Qt::Key_Left) << 100 << 0;
    }

    void knobRelease()
    {
        QFETCH(int, knobLeft);
        QFETCH(int, dragTo);
        QFETCH(int, textLength);
        QFETCH(QString, voice);
        QFETCH(int, key);
        QFETCH(int, knobAfter);
        QFETCH(int, readingStart);
        Harness h;
        h.form.setDocumentText(QString(textLength, u'字'));
        if (knobLeft >= 0) {
            h.form.Labtxtlength->setGeometry(100, 8, 256, 4);
            h.form.Cmdlength->setGeometry(knobLeft, 0, 10, 21);
        }
        if (!voice.isEmpty())
            h.reading().read();
        if (voice == u"paused")
            h.reading().pauseOrResume();
        const QString pauseCaption = h.form.Label2[3]->text();
        const qsizetype calls = h.engine.calls.size();
        QWidget* knob = h.form.Cmdlength;
        const int left = knob->x();
        if (key != 0) {
            knob->setFocus();
            QTest::keyClick(knob, Qt::Key(key));
        } else {
            // Any button presses the knob, and a press stops the voice.
            QTest::mousePress(knob, Qt::RightButton, {}, {2, 2});
        }
        if (!voice.isEmpty()) {
            QVERIFY(h.reading().isStopped());
            QCOMPARE(h.engine.calls.size(), calls + 1);
            QCOMPARE(h.engine.calls.last().flags.toInt(), int(SpeechEngine::PurgeBeforeSpeak));
            QCOMPARE(h.commandRow(), u"100"_qs);
            QCOMPARE(h.form.Label2[3]->text(), pauseCaption);
            QCOMPARE(h.engine.resumeCalls(), 0);
        }
        if (dragTo >= 0) // the knob's left edge goes under the pointer
            QTest::mouseMove(knob, {dragTo - left, 5});
        if (key == 0)
            QTest::mouseRelease(knob, Qt::RightButton, {}, {2, 2});
        QCOMPARE(knob->x(), knobAfter < 0 ? left : knobAfter);
        QCOMPARE(h.reading().readingStart(), readingStart);
        QCOMPARE(h.form.Texten->textCursor().position(), readingStart);
        QVERIFY(!h.form.Texten->textCursor().hasSelection());
        QCOMPARE(knob->toolTip(), QString::number(readingStart));
    }
};

QTEST_MAIN(TestForm1Documents)
#include "tst_form1_documents.moc"
