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
        // The rest of the decoding shows through the window in the bad-input table.
        QTest::newRow("0xFF is private use, a lead byte at the end U+FFFD")
            << QByteArray("x\xFF\xB0") << u"x\uF8F5\uFFFD"_qs;
        QTest::newRow("UTF-8 cut at the end")
            << QByteArray("\xEF\xBB\xBF\x61\xE4\xBD") << u"a\uFFFD\uFFFD"_qs;
        QTest::newRow("half a UTF-8 mark is GBK") << QByteArray("\xEF\xBB") << u"锘"_qs;
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(decodeTextFile(bytes, m_gbk), expected);
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
