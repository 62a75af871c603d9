#include "common/Gbk.h"
#include "documents/TextDecoder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace lirondo;

class tst_TextDecoder : public QObject
{
    Q_OBJECT

    GbkCodePage m_gbk;

private Q_SLOTS:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("GBK") << QByteArray("\xBA\xBA\xD7\xD6 ok\r\n") << u"汉字 ok\r\n"_qs;
        QTest::newRow("NUL bytes kept")
            << QByteArray("a\0\0b", 4) << QString::fromUtf16(u"a\0\0b", 4);
        QTest::newRow("invalid GBK") << QByteArray("x\xFF\xB0") << u"x\uF8F5\uFFFD"_qs;
        QTest::newRow("UTF-8 without a mark is GBK")
            << QByteArray("\xE4\xBD\xA0\xE5\xA5\xBD") << u"浣犲ソ"_qs;
        QTest::newRow("UTF-8 mark")
            << QByteArray("\xEF\xBB\xBF\xE4\xBD\xA0\xE5\xA5\xBD") << u"你好"_qs;
        QTest::newRow("UTF-8 cut at the end") << QByteArray("\xEF\xBB\xBF"
                                                            "a\xE4\xBD")
                                              << u"a\uFFFD\uFFFD"_qs;
        QTest::newRow("half a UTF-8 mark is GBK") << QByteArray("\xEF\xBB") << u"锘"_qs;
        QTest::newRow("UTF-16LE mark") << QByteArray("\xFF\xFE"
                                                     "a\0\x49\x6C",
                                                     6)
                                       << u"a汉"_qs;
        QTest::newRow("UTF-16BE mark") << QByteArray("\xFE\xFF\0a\x6C\x49", 6) << u"a汉"_qs;
        QTest::newRow("UTF-16LE odd byte at the end") << QByteArray("\xFF\xFE"
                                                                    "a\0b",
                                                                    5)
                                                      << u"a\uFFFD"_qs;
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(decodeTextFile(bytes, m_gbk), expected);
    }

    void refusesHugeFileWithoutReadingIt()
    {
        QTemporaryDir dir;
        QFile f(dir.filePath(u"huge.txt"_qs)); // sparse: no disk space or memory spent on it
        QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(kMaxTextFileBytes + 1));
        f.close();
        QCOMPARE(readTextFile(f.fileName(), m_gbk).status, TextFileStatus::TooLarge);
    }

    void readerGoneBeforeDelivery()
    {
        QTemporaryDir dir;
        QFile f(dir.filePath(u"small.txt"_qs));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("abc") == 3);
        f.close();
        int delivered = 0;
        {
            TextFileReader reader(m_gbk);
            connect(&reader, &TextFileReader::finished, this, [&] { ++delivered; });
            reader.read(f.fileName());
        }
        // The result, queued or not, must not reach a deleted reader.
        QTest::qWait(50);
        QCOMPARE(delivered, 0);
    }
};

QTEST_GUILESS_MAIN(tst_TextDecoder)
#include "tst_textdecoder.moc"
