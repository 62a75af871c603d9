#include "common/Gbk.h"
#include "documents/TextDecoder.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace lirondo;

Q_DECLARE_METATYPE(lirondo::TextFileStatus)

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class tst_TextDecoder : public QObject
{
    Q_OBJECT

    GbkCodePage m_gbk;
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_gbk.isValid());
        QVERIFY(m_dir.isValid());
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");

        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("GBK") << QByteArray("\xBA\xBA\xD7\xD6 ok\r\n")
                             << QStringLiteral("汉字 ok\r\n");
        QTest::newRow("NUL bytes kept")
            << QByteArray("a\0\0b", 4) << QString::fromUtf16(u"a\0\0b", 4);
        QTest::newRow("invalid GBK") << QByteArray("x\xFF\xB0") << QStringLiteral("x\uF8F5\uFFFD");
        QTest::newRow("UTF-8 without mark is read as GBK")
            << QByteArray("\xE4\xBD\xA0\xE5\xA5\xBD") << QStringLiteral("浣犲ソ");
        QTest::newRow("UTF-8 mark")
            << QByteArray("\xEF\xBB\xBF\xE4\xBD\xA0\xE5\xA5\xBD") << QStringLiteral("你好");
        QTest::newRow("UTF-8 second mark is text")
            << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFx") << QStringLiteral("\uFEFFx");
        QTest::newRow("UTF-8 cut at the end") << QByteArray("\xEF\xBB\xBF"
                                                            "a\xE4\xBD")
                                              << QStringLiteral("a\uFFFD\uFFFD");
        QTest::newRow("half a UTF-8 mark is GBK") << QByteArray("\xEF\xBB") << QStringLiteral("锘");
        QTest::newRow("UTF-16LE mark") << QByteArray("\xFF\xFE"
                                                     "a\0\x49\x6C",
                                                     6)
                                       << QStringLiteral("a汉");
        QTest::newRow("UTF-16BE mark")
            << QByteArray("\xFE\xFF\0a\x6C\x49", 6) << QStringLiteral("a汉");
        QTest::newRow("UTF-16LE odd byte at the end") << QByteArray("\xFF\xFE"
                                                                    "a\0b",
                                                                    5)
                                                      << QStringLiteral("a\uFFFD");
        QTest::newRow("UTF-16BE mark and one byte")
            << QByteArray("\xFE\xFF\0", 3) << QStringLiteral("\uFFFD");
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(decodeTextFile(bytes, m_gbk), expected);
    }

    void readFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("maxBytes");
        QTest::addColumn<TextFileStatus>("status");
        QTest::addColumn<QString>("text");

        QTest::newRow("GBK file") << QStringLiteral("gbk.txt") << kMaxTextFileBytes
                                  << TextFileStatus::Ok << QStringLiteral("汉字 ok\r\n");
        QTest::newRow("empty file")
            << QStringLiteral("empty.txt") << kMaxTextFileBytes << TextFileStatus::Ok << QString();
        QTest::newRow("link to a file") << QStringLiteral("link.txt") << kMaxTextFileBytes
                                        << TextFileStatus::Ok << QStringLiteral("汉字 ok\r\n");
        QTest::newRow("exactly the limit") << QStringLiteral("gbk.txt") << qint64(9)
                                           << TextFileStatus::Ok << QStringLiteral("汉字 ok\r\n");
        QTest::newRow("one byte over the limit")
            << QStringLiteral("gbk.txt") << qint64(8) << TextFileStatus::TooLarge << QString();
        QTest::newRow("directory")
            << QStringLiteral("dir") << kMaxTextFileBytes << TextFileStatus::NotAFile << QString();
        QTest::newRow("vanished") << QStringLiteral("vanished.txt") << kMaxTextFileBytes
                                  << TextFileStatus::NotAFile << QString();
        QTest::newRow("dangling link") << QStringLiteral("dangling.txt") << kMaxTextFileBytes
                                       << TextFileStatus::NotAFile << QString();
        QTest::newRow("named pipe is refused, not waited on")
            << QStringLiteral("fifo") << kMaxTextFileBytes << TextFileStatus::NotAFile << QString();
        QTest::newRow("no read permission") << QStringLiteral("locked.txt") << kMaxTextFileBytes
                                            << TextFileStatus::CannotOpen << QString();
    }
    void readFile()
    {
        QFETCH(QString, name);
        QFETCH(qint64, maxBytes);
        QFETCH(TextFileStatus, status);
        QFETCH(QString, text);

        const QString gbk = path(QStringLiteral("gbk.txt"));
        QVERIFY(writeFile(gbk, QByteArray("\xBA\xBA\xD7\xD6 ok\r\n")));
        QVERIFY(writeFile(path(QStringLiteral("empty.txt")), {}));
        QFile::link(gbk, path(QStringLiteral("link.txt")));
        QDir(m_dir.path()).mkpath(QStringLiteral("dir"));
        QVERIFY(writeFile(path(QStringLiteral("vanished.txt")), "x"));
        QVERIFY(QFile::remove(path(QStringLiteral("vanished.txt"))));
        QFile::link(path(QStringLiteral("nowhere.txt")), path(QStringLiteral("dangling.txt")));
        ::mkfifo(QFile::encodeName(path(QStringLiteral("fifo"))).constData(), 0600);
        if (name == QLatin1String("locked.txt")) {
            if (::geteuid() == 0)
                QSKIP("root reads files whatever their mode");
            QVERIFY(writeFile(path(name), "x"));
            QVERIFY(QFile::setPermissions(path(name), {}));
        }

        const QString file = name.isEmpty() ? QString() : path(name);
        const TextFileResult result = readTextFile(file, m_gbk, maxBytes);
        QCOMPARE(result.status, status);
        QCOMPARE(result.ok(), status == TextFileStatus::Ok);
        QCOMPARE(result.text, text);
    }

    void refusesHugeFileWithoutReadingIt()
    {
        // Sparse: no disk space or memory spent on it.
        const QString huge = path(QStringLiteral("huge.txt"));
        QFile f(huge);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(kMaxTextFileBytes + 1));
        f.close();
        QCOMPARE(readTextFile(huge, m_gbk).status, TextFileStatus::TooLarge);
    }

    void readerDeliversInRequestOrder()
    {
        // A large file first: if reads overtook each other, the small one would land first.
        const QString big = path(QStringLiteral("big.txt"));
        const QString small = path(QStringLiteral("small.txt"));
        QVERIFY(writeFile(big, QByteArray(8 << 20, 'a')));
        QVERIFY(writeFile(small, QByteArray("\xC4\xE3\xBA\xC3")));
        const QString missing = path(QStringLiteral("missing.txt"));

        TextFileReader reader(m_gbk);
        QSignalSpy spy(&reader, &TextFileReader::finished);
        reader.read(big);
        reader.read(small);
        reader.read(missing);
        QCOMPARE(spy.size(), 0); // never from inside read()
        QTRY_COMPARE_WITH_TIMEOUT(spy.size(), 3, 20000);

        QCOMPARE(spy[0][0].toString(), big);
        const auto first = spy[0][1].value<TextFileResult>();
        QVERIFY(first.ok());
        QCOMPARE(first.text.size(), 8 << 20);

        QCOMPARE(spy[1][0].toString(), small);
        QCOMPARE(spy[1][1].value<TextFileResult>().text, QStringLiteral("你好"));

        QCOMPARE(spy[2][0].toString(), missing);
        QCOMPARE(spy[2][1].value<TextFileResult>().status, TextFileStatus::NotAFile);
    }

    void readerGoneBeforeDelivery()
    {
        const QString small = path(QStringLiteral("small2.txt"));
        QVERIFY(writeFile(small, "abc"));
        int delivered = 0;
        {
            TextFileReader reader(m_gbk);
            connect(&reader, &TextFileReader::finished, this, [&] { ++delivered; });
            reader.read(small);
        }
        // The result, queued or not, must not reach a deleted reader.
        QTest::qWait(50);
        QCOMPARE(delivered, 0);
    }
};

QTEST_GUILESS_MAIN(tst_TextDecoder)
#include "tst_textdecoder.moc"
