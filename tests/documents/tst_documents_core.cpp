#include "common/Gbk.h"
#include "documents/DropData.h"
#include "documents/FileNameOf.h"
#include "documents/Locator.h"
#include "documents/TextLoader.h"
#include "fakes/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace lirondo;
using lirondo::test::writeFile;
using Geometry = Locator::Geometry;
Q_DECLARE_METATYPE(Geometry)
Q_DECLARE_METATYPE(lirondo::TextFileStatus)

namespace {

const Geometry kSmallTrack{100, 256, 10};

// A loader whose document is just the text, as the object's name.
std::unique_ptr<TextLoader> makeLoader(const GbkCodePage& gbk, QString* shown,
                                       qint64 max = kMaxTextFileBytes)
{
    return std::make_unique<TextLoader>(
        gbk,
        [](const QString& text, const TextLoader::Step&) {
            auto made = std::make_unique<QObject>();
            made->setObjectName(text);
            return made;
        },
        [shown](std::unique_ptr<QObject> made, bool complete) {
            if (complete)
                *shown = made->objectName();
        },
        nullptr, max);
}

} // namespace

class TestDocumentsCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileNames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("fileNameOf");
        QTest::addColumn<QString>("listName"); // what the reading list shows
        QTest::newRow("trailing backslash") << u"C:\\docs\\"_qs << QString() << QString();
        QTest::newRow("forward slash is part of the name")
            << u"C:\\d/sub/a.txt"_qs << u"d/sub/a.txt"_qs << u"a.txt"_qs;
        QTest::newRow("Linux path: no backslash")
            << u"/home/u/a b.txt"_qs << u"/home/u/a b.txt"_qs << u"a b.txt"_qs;
    }

    void fileNames()
    {
        QFETCH(QString, path);
        QFETCH(QString, fileNameOf);
        QFETCH(QString, listName);
        QCOMPARE(backslashFileName(path), fileNameOf);
        QCOMPARE(readingListName(path), listName);
    }

    void knobToOffset_data()
    {
        QTest::addColumn<int>("knobLeft");
        QTest::addColumn<Geometry>("geometry");
        QTest::addColumn<qint64>("textLength");
        QTest::addColumn<int>("offset");
        QTest::newRow("empty text") << 152 << Geometry{152, 193, 10} << qint64(0) << 0;
        QTest::newRow("100.5 halves down to even") << 296 << kSmallTrack << qint64(128) << 100;
        QTest::newRow("101.5 halves up to even") << 298 << kSmallTrack << qint64(128) << 102;
        QTest::newRow("track without width") << 100 << Geometry{100, 0, 10} << qint64(128) << 0;
        QTest::newRow("left end: the start") << 100 << kSmallTrack << qint64(128) << 0;
        QTest::newRow("right end: the end") << 346 << kSmallTrack << qint64(128) << 128;
        QTest::newRow("huge text, far past the end")
            << 100000 << kSmallTrack << (qint64(1) << 40) << 2147483647;
    }

    void knobToOffset()
    {
        QFETCH(int, knobLeft);
        QFETCH(Geometry, geometry);
        QFETCH(qint64, textLength);
        QFETCH(int, offset);
        QCOMPARE(Locator::offsetForKnob(knobLeft, geometry, textLength), offset);
    }

    void dragBounds_data()
    {
        QTest::addColumn<int>("pointerX");
        QTest::addColumn<int>("knobLeft");
        QTest::newRow("past the left end: at the left end") << 40 << 100;
        QTest::newRow("inside") << 101 << 101;
        QTest::newRow("last place inside") << 345 << 345;
        QTest::newRow("past the right end: at the right end") << 900 << 346;
    }

    void dragBounds()
    {
        QFETCH(int, pointerX);
        QFETCH(int, knobLeft);
        Locator locator;
        QCOMPARE(locator.dragTo(200, kSmallTrack), std::nullopt); // not held: nothing moves
        locator.press();
        QCOMPARE(locator.dragTo(pointerX, kSmallTrack), std::optional(knobLeft));
        locator.release(296, kSmallTrack, 128);
        QCOMPARE(locator.dragTo(200, kSmallTrack), std::nullopt);
    }

    void load_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size"); // of a file of x; -1: a named pipe
        QTest::addColumn<TextFileStatus>("status");
        QTest::newRow("exactly the limit") << u"a.txt"_qs << 64 << TextFileStatus::Ok;
        QTest::newRow("too large") << u"a.txt"_qs << 65 << TextFileStatus::TooLarge;
        QTest::newRow("named pipe is refused, not waited on")
            << u"fifo"_qs << -1 << TextFileStatus::NotAFile;
    }

    void load()
    {
        QFETCH(QString, name);
        QFETCH(int, size);
        QFETCH(TextFileStatus, status);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (size < 0)
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            QVERIFY(writeFile(path, QByteArray(size, 'x')));

        GbkCodePage gbk;
        QString document = u"before"_qs;
        bool onRead = false;
        std::optional<TextFileStatus> ended;
        const auto loader = makeLoader(gbk, &document, 64);
        connect(loader.get(), &TextLoader::finished, this,
                [&](const QString&, TextFileStatus s) { ended = s; });
        loader->load(path, [&] { onRead = true; });
        QTRY_VERIFY_WITH_TIMEOUT(!loader->busy(), 10000);
        QCOMPARE(ended, std::optional(status));
        // A file that cannot be read leaves the document as it was.
        QCOMPARE(document, status == TextFileStatus::Ok ? QString(size, u'x') : u"before"_qs);
        QCOMPARE(onRead, status == TextFileStatus::Ok);
    }

    void lastLoadWins_data()
    {
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("document");
        QTest::addColumn<QStringList>("read");
        QTest::newRow("second file")
            << u"second.txt"_qs << u"second"_qs << QStringList{u"first.txt"_qs, u"second.txt"_qs};
        QTest::newRow("second missing")
            << u"gone.txt"_qs << u"before"_qs << QStringList{u"first.txt"_qs};
    }

    void lastLoadWins()
    {
        QFETCH(QString, second);
        QFETCH(QString, document);
        QFETCH(QStringList, read);

        QTemporaryDir dir;
        // The first file is large, so its read is still going when the second is asked for.
        QVERIFY(writeFile(dir.filePath(u"first.txt"_qs), QByteArray(8 << 20, 'a')));
        QVERIFY(writeFile(dir.filePath(u"second.txt"_qs), "second"));
        GbkCodePage gbk;
        QString shown = u"before"_qs;
        QStringList done;
        const auto loader = makeLoader(gbk, &shown);
        for (const QString& name : {u"first.txt"_qs, second})
            loader->load(dir.filePath(name), [&done, name] { done.append(name); });
        QTRY_VERIFY_WITH_TIMEOUT(!loader->busy(), 10000);
        QCOMPARE(shown, document);
        QCOMPARE(done, read); // earlier loads still finish, in order
    }

    void commandLine()
    {
        const QStringList arguments = {u"书.txt"_qs, u"/srv/b.txt"_qs, u"file:///tmp/a%20b.txt"_qs,
                                       u"../x/./c.txt"_qs};
        QCOMPARE(commandLineFiles(arguments, u"/home/u"_qs),
                 (QStringList{u"/home/u/书.txt"_qs, u"/srv/b.txt"_qs, u"/tmp/a b.txt"_qs,
                              u"/home/x/c.txt"_qs}));
    }
};

QTEST_GUILESS_MAIN(TestDocumentsCore)
#include "tst_documents_core.moc"
