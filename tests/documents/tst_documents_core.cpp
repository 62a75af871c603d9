#include "common/Gbk.h"
#include "documents/DropData.h"
#include "documents/FileNameOf.h"
#include "documents/Locator.h"
#include "documents/TextLoader.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace lirondo;

namespace {

using Geometry = Locator::Geometry;

// The design track (2280 and 2892 twips) as the panel has it in pixels.
const Geometry kDesignTrack{152, 193, 10};
const Geometry kSmallTrack{100, 256, 10};

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write a test file");
    return path;
}

// A loader whose document is a string the test reads back.
struct LoaderHarness
{
    LoaderHarness(qint64 maxBytes = kMaxTextFileBytes)
        : loader(
              gbk, [this](const QString& text) { document = text; }, nullptr, maxBytes)
    {}

    GbkCodePage gbk;
    QString document = QStringLiteral("the text before");
    QStringList read; // the onRead callbacks, in the order they ran
    TextLoader loader;
};

} // namespace

Q_DECLARE_METATYPE(lirondo::Locator::Geometry)

class TestDocumentsCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileNameOf_data();
    void fileNameOf();
    void readingListName_data();
    void readingListName();

    void knobToOffset_data();
    void knobToOffset();
    void dragBounds_data();
    void dragBounds();
    void holdFollowsPressAndRelease();

    void loadDecodes_data();
    void loadDecodes();
    void loadFailsQuietly_data();
    void loadFailsQuietly();
    void unreadableFile();
    void lastLoadAskedForWins();
    void latestLoadFailingLeavesTheBoxEmpty();
    void textReplacingAPendingLoadStays();

    void drops_data();
    void drops();
    void commandLine_data();
    void commandLine();
};

void TestDocumentsCore::fileNameOf_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("no backslash") << QStringLiteral("readme.txt") << QStringLiteral("readme.txt");
    QTest::newRow("drive and folders")
        << QStringLiteral("C:\\书\\第一章.txt") << QStringLiteral("第一章.txt");
    QTest::newRow("trailing backslash") << QStringLiteral("C:\\docs\\") << QString();
    QTest::newRow("forward slash kept")
        << QStringLiteral("C:\\docs/sub/a.txt") << QStringLiteral("docs/sub/a.txt");
    QTest::newRow("only forward slashes")
        << QStringLiteral("/home/u/a.txt") << QStringLiteral("/home/u/a.txt");
    QTest::newRow("lone backslash") << QStringLiteral("\\") << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TestDocumentsCore::fileNameOf()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(FileNameOf(path), name);
}

void TestDocumentsCore::readingListName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("absolute") << QStringLiteral("/home/u/书/a b.txt") << QStringLiteral("a b.txt");
    QTest::newRow("no folder") << QStringLiteral("a.txt") << QStringLiteral("a.txt");
    QTest::newRow("folder with a slash at the end") << QStringLiteral("/tmp/dir/") << QString();
    QTest::newRow("backslash form") << QStringLiteral("C:\\docs\\a.txt") << QStringLiteral("a.txt");
}

void TestDocumentsCore::readingListName()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(lirondo::readingListName(path), name);
}

void TestDocumentsCore::knobToOffset_data()
{
    QTest::addColumn<int>("knobLeft");
    QTest::addColumn<Geometry>("geometry");
    QTest::addColumn<qint64>("textLength");
    QTest::addColumn<int>("offset");

    QTest::newRow("empty text") << 152 << kDesignTrack << qint64(0) << 0;
    QTest::newRow("design place, 1000 characters") << 152 << kDesignTrack << qint64(1000) << 26;
    QTest::newRow("design place, short text") << 152 << kDesignTrack << qint64(19) << 0;
    QTest::newRow("100.5 halves down to even") << 296 << kSmallTrack << qint64(128) << 100;
    QTest::newRow("101.5 halves up to even") << 298 << kSmallTrack << qint64(128) << 102;
    QTest::newRow("beyond the end of the text") << 354 << kSmallTrack << qint64(128) << 130;
    QTest::newRow("track without width") << 100 << Geometry{100, 0, 10} << qint64(128) << 0;
    QTest::newRow("knob left of the track") << 0 << kSmallTrack << qint64(128) << 0;
    QTest::newRow("huge text does not wrap")
        << 100000 << kSmallTrack << (qint64(1) << 30) << 2147483647;
}

void TestDocumentsCore::knobToOffset()
{
    QFETCH(int, knobLeft);
    QFETCH(Geometry, geometry);
    QFETCH(qint64, textLength);
    QFETCH(int, offset);
    QCOMPARE(Locator::offsetForKnob(knobLeft, geometry, textLength), offset);
}

void TestDocumentsCore::dragBounds_data()
{
    QTest::addColumn<int>("pointerX");
    QTest::addColumn<bool>("moves");
    QTest::newRow("track's left end") << 100 << false;
    QTest::newRow("first place inside") << 101 << true;
    QTest::newRow("middle") << 200 << true;
    QTest::newRow("last place inside") << 345 << true;
    QTest::newRow("knob would touch the right end") << 346 << false;
    QTest::newRow("left of the panel") << -20 << false;
    QTest::newRow("far right") << 5000 << false;
}

void TestDocumentsCore::dragBounds()
{
    QFETCH(int, pointerX);
    QFETCH(bool, moves);
    Locator locator;
    QCOMPARE(locator.dragTo(200, kSmallTrack), std::nullopt); // not held: hover only
    locator.press();
    const std::optional<int> left = locator.dragTo(pointerX, kSmallTrack);
    QCOMPARE(left.has_value(), moves);
    if (moves)
        QCOMPARE(*left, pointerX);
}

void TestDocumentsCore::holdFollowsPressAndRelease()
{
    Locator locator;
    QVERIFY(locator.Tag.isEmpty());
    locator.press();
    QCOMPARE(locator.Tag, QStringLiteral("1"));
    QCOMPARE(locator.release(296, kSmallTrack, 128), 100);
    QVERIFY(locator.Tag.isEmpty());
    QCOMPARE(locator.dragTo(200, kSmallTrack), std::nullopt);
}

void TestDocumentsCore::loadDecodes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    const GbkCodePage gbk;
    const QString chinese = QStringLiteral("中文 and English\r\n第二行");
    QTest::newRow("GBK") << gbk.encode(chinese) << chinese;
    const QByteArray utf8 = chinese.toUtf8();
    QTest::newRow("UTF-8 without a mark is read as GBK") << utf8 << gbk.decode(utf8);
    QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBF") + utf8 << chinese;
    QByteArray le("\xFF\xFE", 2);
    QByteArray be("\xFE\xFF", 2);
    for (const QChar unit : chinese) {
        le.append(char(unit.unicode() & 0xFF)).append(char(unit.unicode() >> 8));
        be.append(char(unit.unicode() >> 8)).append(char(unit.unicode() & 0xFF));
    }
    QTest::newRow("UTF-16LE mark") << le << chinese;
    QTest::newRow("UTF-16BE mark") << be << chinese;
    QTest::newRow("invalid GBK") << QByteArray("a\x81") << QStringLiteral("a\uFFFD");
    QTest::newRow("empty file") << QByteArray() << QString();
}

void TestDocumentsCore::loadDecodes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("a.txt"), bytes);

    LoaderHarness h;
    h.loader.LoadTextFile(path, [&] { h.read.append(path); });
    QCOMPARE(h.document, QString()); // emptied before the read
    QTRY_VERIFY_WITH_TIMEOUT(!h.loader.busy(), 10000);
    QCOMPARE(h.document, text);
    QCOMPARE(h.read, QStringList{path});
}

void TestDocumentsCore::loadFailsQuietly_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("maxBytes");
    QTest::newRow("directory") << QStringLiteral("folder") << kMaxTextFileBytes;
    QTest::newRow("vanished file") << QStringLiteral("gone.txt") << kMaxTextFileBytes;
    QTest::newRow("too large to hold") << QStringLiteral("big.txt") << qint64(4);
}

void TestDocumentsCore::loadFailsQuietly()
{
    QFETCH(QString, name);
    QFETCH(qint64, maxBytes);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    writeFile(dir, QStringLiteral("big.txt"), QByteArray("0123456789"));

    LoaderHarness h(maxBytes);
    h.loader.LoadTextFile(dir.filePath(name), [&] { h.read.append(name); });
    QTRY_VERIFY_WITH_TIMEOUT(!h.loader.busy(), 10000);
    QCOMPARE(h.document, QString());
    QVERIFY(h.read.isEmpty());
}

void TestDocumentsCore::unreadableFile()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("locked.txt"), QByteArray("secret"));
    QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    QFile probe(path);
    if (probe.open(QIODevice::ReadOnly))
        QSKIP("permissions do not keep this user out (running as root)");

    LoaderHarness h;
    h.loader.LoadTextFile(path, [&] { h.read.append(path); });
    QTRY_VERIFY_WITH_TIMEOUT(!h.loader.busy(), 10000);
    QCOMPARE(h.document, QString());
    QVERIFY(h.read.isEmpty());
}

void TestDocumentsCore::lastLoadAskedForWins()
{
    QTemporaryDir dir;
    // The first file is much larger, so its read is still going when the second is asked for.
    const QString first = writeFile(dir, QStringLiteral("first.txt"), QByteArray(8 << 20, 'a'));
    const QString second = writeFile(dir, QStringLiteral("second.txt"), QByteArray("second"));

    LoaderHarness h;
    h.loader.LoadTextFile(first, [&] { h.read.append(first); });
    h.loader.LoadTextFile(second, [&] { h.read.append(second); });
    QTRY_VERIFY_WITH_TIMEOUT(!h.loader.busy(), 10000);
    QCOMPARE(h.document, QStringLiteral("second"));
    QCOMPARE(h.read, (QStringList{first, second}));
}

void TestDocumentsCore::latestLoadFailingLeavesTheBoxEmpty()
{
    QTemporaryDir dir;
    const QString first = writeFile(dir, QStringLiteral("first.txt"), QByteArray("first"));

    LoaderHarness h;
    h.loader.LoadTextFile(first, [&] { h.read.append(first); });
    h.loader.LoadTextFile(dir.filePath(QStringLiteral("missing.txt")),
                          [&] { h.read.append(QStringLiteral("missing")); });
    QTRY_VERIFY_WITH_TIMEOUT(!h.loader.busy(), 10000);
    QCOMPARE(h.document, QString());
    QCOMPARE(h.read, QStringList{first});
}

void TestDocumentsCore::textReplacingAPendingLoadStays()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("a.txt"), QByteArray("from the file"));

    LoaderHarness h;
    h.loader.LoadTextFile(path, [&] { h.read.append(path); });
    h.loader.supersede();
    h.document = QStringLiteral("dropped text");
    QTRY_VERIFY_WITH_TIMEOUT(!h.loader.busy(), 10000);
    QCOMPARE(h.document, QStringLiteral("dropped text"));
    QCOMPARE(h.read, QStringList{path});
}

void TestDocumentsCore::drops_data()
{
    QTest::addColumn<QString>("text"); // a null string: no text in the drop
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<bool>("isText");
    QTest::addColumn<QStringList>("files");

    const QString a = QStringLiteral("/tmp/书 a.txt");
    const QString b = QStringLiteral("/tmp/b.txt");
    const QString aUrl = QUrl::fromLocalFile(a).toString();
    const QString bUrl = QUrl::fromLocalFile(b).toString();

    QTest::newRow("text only") << QStringLiteral("你好") << QStringList{} << true << QStringList{};
    QTest::newRow("files in drop order")
        << QString() << QStringList{bUrl, aUrl} << false << QStringList{b, a};
    QTest::newRow("files with their addresses as text")
        << (aUrl + QStringLiteral("\r\n") + bUrl + u'\n') << QStringList{aUrl, bUrl} << false
        << QStringList{a, b};
    QTest::newRow("files with their paths as text")
        << (a + u'\n' + b) << QStringList{aUrl, bUrl} << false << QStringList{a, b};
    QTest::newRow("text and files")
        << QStringLiteral("some words") << QStringList{aUrl} << true << QStringList{a};
    QTest::newRow("blank text beside files")
        << QStringLiteral(" \n") << QStringList{aUrl} << false << QStringList{a};
    QTest::newRow("web link is text")
        << QStringLiteral("https://example.org/a.txt")
        << QStringList{QStringLiteral("https://example.org/a.txt")} << true << QStringList{};
    QTest::newRow("empty text is text")
        << QStringLiteral("") << QStringList{} << true << QStringList{};
}

void TestDocumentsCore::drops()
{
    QFETCH(QString, text);
    QFETCH(QStringList, urls);
    QFETCH(bool, isText);
    QFETCH(QStringList, files);

    QMimeData data;
    if (!text.isNull())
        data.setText(text);
    QList<QUrl> list;
    for (const QString& url : urls)
        list.append(QUrl(url));
    if (!list.isEmpty())
        data.setUrls(list);

    const std::optional<QString> dropped = droppedText(data);
    QCOMPARE(dropped.has_value(), isText);
    if (isText)
        QCOMPARE(*dropped, text);
    QCOMPARE(droppedFiles(data), files);
}

void TestDocumentsCore::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("none") << QStringList{} << QStringList{};
    QTest::newRow("relative and absolute")
        << QStringList{QStringLiteral("书.txt"), QStringLiteral("/srv/b.txt")}
        << QStringList{QStringLiteral("/home/u/书.txt"), QStringLiteral("/srv/b.txt")};
    QTest::newRow("file address") << QStringList{QStringLiteral("file:///tmp/a%20b.txt")}
                                  << QStringList{QStringLiteral("/tmp/a b.txt")};
    QTest::newRow("dots") << QStringList{QStringLiteral("../x/./c.txt")}
                          << QStringList{QStringLiteral("/home/x/c.txt")};
}

void TestDocumentsCore::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, files);
    QCOMPARE(commandLineFiles(arguments, QStringLiteral("/home/u")), files);
}

QTEST_GUILESS_MAIN(TestDocumentsCore)
#include "tst_documents_core.moc"
