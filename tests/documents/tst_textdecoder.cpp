#include "common/Gbk.h"
#include "documents/TextDecoder.h"

#include <QStringEncoder>
#include <QTest>

using namespace lirondo;

class TestTextDecoder : public QObject
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
        QTest::newRow("UTF-8 without a mark cut at the end")
            << QByteArray("\xE4\xBB\x8A\xE5\xA4") << u"今\uFFFD\uFFFD"_qs;

        // One sentence in every encoding a file may come in.
        const QString sentence = u"今天天气很好"_qs;
        const QString mixed = u"今天天气很好, the weather is fine today."_qs;
        QTest::newRow("UTF-8") << sentence.toUtf8() << sentence;
        QTest::newRow("UTF-8 with a mark") << "\xEF\xBB\xBF" + sentence.toUtf8() << sentence;
        QTest::newRow("GBK") << m_gbk.encode(sentence) << sentence;
        for (const auto& [order, name] : {std::pair(QStringEncoder::Utf16LE, "UTF-16LE"),
                                          std::pair(QStringEncoder::Utf16BE, "UTF-16BE")}) {
            const auto utf16 = [encoding = order](const QString& text) -> QByteArray {
                return QStringEncoder(encoding).encode(text);
            };
            QTest::addRow("%s with a mark", name) << utf16(u"\uFEFF"_qs + sentence) << sentence;
            QTest::addRow("%s without a mark", name) << utf16(mixed) << mixed;
        }
        QTest::newRow("GBK with no byte above 0x7F")
            << m_gbk.encode(u"plain words"_qs) << u"plain words"_qs;
        // "学习" in GBK (D1 A7 CF B0) is also valid UTF-8; what follows it is not.
        const QString lateGbk = u"学习"_qs + QString(200'000, u'x') + sentence;
        QTest::newRow("GBK that looks like UTF-8 for 200 KB") << m_gbk.encode(lateGbk) << lateGbk;
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(decodeTextFile(bytes, m_gbk), expected);
    }
};

QTEST_GUILESS_MAIN(TestTextDecoder)
#include "tst_textdecoder.moc"
