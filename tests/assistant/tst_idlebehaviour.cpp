#include "ScriptedRandom.h"
#include "assistant/IdleBehaviour.h"
#include "fakes/FakeAgent.h"

#include <QTest>

#include <array>

using namespace lirondo;
using namespace lirondo::test;

class TestIdleBehaviour : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void behaviours_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("expected");
        QTest::newRow("1") << 1 << QStringLiteral("Play Greet|Play GreetReturn");
        QTest::newRow("2") << 2 << QStringLiteral("Play LookLeft|Play LookLeftReturn");
        QTest::newRow("3") << 3 << QStringLiteral("Width 192|Height 192|Width 128|Height 128");
        QTest::newRow("4") << 4 << QStringLiteral("Play Suggest|Play SuggestReturn");
        QTest::newRow("5") << 5 << QStringLiteral("MoveTo 0,200|MoveTo 400,200");
        QTest::newRow("6") << 6 << QStringLiteral("Play Pleased");
        QTest::newRow("7") << 7 << QStringLiteral("Play Wave|Play WaveReturn");
        QTest::newRow("8") << 8 << QStringLiteral("Play Write|Play WriteReturn");
        QTest::newRow("out of range") << 9 << QString();
    }
    void behaviours()
    {
        QFETCH(int, n);
        QFETCH(QString, expected);
        FakeAgentCharacter genie;
        IdleBehaviour idle(&genie);
        idle.perform(n);
        QCOMPARE(genie.requests.join(u'|'), expected);
    }

    // Growing by half and shrinking back always ends at the old size; a dimension
    // that could not grow is not shrunk either.
    void swellRoundTrip_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("maxSize");
        QTest::addColumn<QString>("expected");
        QTest::newRow("125 x 100")
            << 125 << 100 << 32767 << QStringLiteral("Width 188|Height 150|Width 125|Height 100");
        // 115.5 rounds to the even 116.
        QTest::newRow("77") << 77 << 1 << 32767
                            << QStringLiteral("Width 116|Height 2|Width 77|Height 1");
        // 21845 × 1.5 = 32767.5 rounds to 32768: beyond 16 bits.
        QTest::newRow("16-bit overflow")
            << 21845 << 10 << 32767 << QStringLiteral("Height 15|Height 10");
        QTest::newRow("growth refused")
            << 200 << 100 << 250 << QStringLiteral("Height 150|Height 100");
    }
    void swellRoundTrip()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, maxSize);
        QFETCH(QString, expected);
        FakeAgentCharacter genie;
        genie.width = width;
        genie.height = height;
        genie.maxSize = maxSize;
        IdleBehaviour(&genie).perform(3);
        QCOMPARE(genie.requests.join(u'|'), expected);
        QCOMPARE(QSize(genie.width, genie.height), QSize(width, height));
    }

    void withoutCharacterNothingChanges()
    {
        IdleBehaviour idle(nullptr);
        for (int i = 0; i < 100; ++i)
            idle.tick();
        FakeAgentCharacter refusing;
        refusing.refuseAll = true;
        idle.setCharacter(&refusing);
        for (int n = 1; n <= 8; ++n)
            idle.perform(n);
        QCOMPARE(QSize(refusing.width, refusing.height), QSize(128, 128));
        QCOMPARE(refusing.position, QPoint());
    }

    void drawIsUniformAndRepeatable()
    {
        constexpr int kDraws = 80000;
        IdleBehaviour first;
        IdleBehaviour second;
        std::array<int, 8> counts{};
        for (int i = 0; i < kDraws; ++i) {
            const int n = first.draw();
            QVERIFY(n >= 1 && n <= 8);
            QCOMPARE(second.draw(), n); // fixed seed: the same sequence every run
            ++counts[static_cast<std::size_t>(n - 1)];
        }
        double chiSquare = 0;
        for (const int count : counts)
            chiSquare += (count - kDraws / 8.0) * (count - kDraws / 8.0) / (kDraws / 8.0);
        // 7 degrees of freedom: 24.3 is exceeded by chance once in a thousand.
        QVERIFY2(chiSquare < 24.3, qPrintable(QString::number(chiSquare)));
    }
};

QTEST_GUILESS_MAIN(TestIdleBehaviour)
#include "tst_idlebehaviour.moc"
