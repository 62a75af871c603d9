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
        QTest::addColumn<QStringList>("expected");
        const auto pair = [](const char* name) {
            const QString animation = QString::fromLatin1(name);
            return QStringList{QStringLiteral("Play ") + animation,
                               QStringLiteral("Play ") + animation + QStringLiteral("Return")};
        };
        QTest::newRow("1 greet") << 1 << pair("Greet");
        QTest::newRow("2 look left") << 2 << pair("LookLeft");
        QTest::newRow("3 swell") << 3
                                 << QStringList{
                                        QStringLiteral("Width 192"), QStringLiteral("Height 192"),
                                        QStringLiteral("Width 128"), QStringLiteral("Height 128")};
        QTest::newRow("4 suggest") << 4 << pair("Suggest");
        QTest::newRow("5 moves") << 5
                                 << QStringList{QStringLiteral("MoveTo 0,200"),
                                                QStringLiteral("MoveTo 400,200")};
        QTest::newRow("6 pleased") << 6 << QStringList{QStringLiteral("Play Pleased")};
        QTest::newRow("7 wave") << 7 << pair("Wave");
        QTest::newRow("8 write") << 8 << pair("Write");
        QTest::newRow("0 nothing") << 0 << QStringList();
        QTest::newRow("9 nothing") << 9 << QStringList();
    }
    void behaviours()
    {
        QFETCH(int, n);
        QFETCH(QStringList, expected);
        FakeAgentCharacter genie;
        genie.MoveTo(700, 500); // where the user left it
        genie.requests.clear();
        IdleBehaviour idle(&genie);
        idle.perform(n);
        QCOMPARE(genie.requests, expected);
        if (n == 5)
            QCOMPARE(genie.position(), QPoint(400, 200));
    }

    // A failed first animation does not stop its return animation.
    void failedRequestIsSkipped()
    {
        FakeAgentCharacter genie;
        genie.knownAnimations = {QStringLiteral("greetreturn")};
        IdleBehaviour idle(&genie);
        idle.perform(1);
        QCOMPARE(genie.requests, QStringList{QStringLiteral("Play GreetReturn")});
    }

    void swellRoundTrip_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("maxSize");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("125 x 100")
            << 125 << 100 << 32767
            << QStringList{QStringLiteral("Width 188"), QStringLiteral("Height 150"),
                           QStringLiteral("Width 125"), QStringLiteral("Height 100")};
        // 115.5 rounds to the even 116, and 116 / 1.5 back to 77.
        QTest::newRow("77 half to even")
            << 77 << 77 << 32767
            << QStringList{QStringLiteral("Width 116"), QStringLiteral("Height 116"),
                           QStringLiteral("Width 77"), QStringLiteral("Height 77")};
        // 1.5 rounds to 2 and 2 / 1.5 back to 1.
        QTest::newRow("1") << 1 << 1 << 32767
                           << QStringList{QStringLiteral("Width 2"), QStringLiteral("Height 2"),
                                          QStringLiteral("Width 1"), QStringLiteral("Height 1")};
        // 21845 × 1.5 = 32767.5 rounds to 32768: outside 16 bits, so the width is left alone.
        QTest::newRow("16-bit overflow")
            << 21845 << 10 << 32767
            << QStringList{QStringLiteral("Height 15"), QStringLiteral("Height 10")};
        QTest::newRow("service refuses growth")
            << 200 << 100 << 250
            << QStringList{QStringLiteral("Height 150"), QStringLiteral("Height 100")};
    }
    void swellRoundTrip()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, maxSize);
        QFETCH(QStringList, expected);
        FakeAgentCharacter genie;
        genie.setSize(width, height);
        genie.maxSize = maxSize;
        IdleBehaviour idle(&genie);
        idle.perform(3);
        QCOMPARE(genie.requests, expected);
        QCOMPARE(genie.Width(), width);
        QCOMPARE(genie.Height(), height);
    }

    // Every size comes back to itself.
    void swellRestoresEverySize()
    {
        FakeAgentCharacter genie;
        IdleBehaviour idle(&genie);
        for (int size = 1; size <= 21844; ++size) {
            genie.setSize(size, size);
            idle.perform(3);
            if (genie.Width() != size)
                QFAIL(qPrintable(QStringLiteral("size %1 became %2").arg(size).arg(genie.Width())));
        }
    }

    void withoutCharacterTicksDoNothing()
    {
        IdleBehaviour idle(nullptr);
        for (int i = 0; i < 100; ++i)
            QVERIFY(idle.tick() >= 1);
        FakeAgentCharacter refusing;
        refusing.refuseAll = true;
        refusing.setSize(125, 100);
        idle.setCharacter(&refusing);
        for (int n = 1; n <= 8; ++n)
            idle.perform(n);
        QVERIFY(refusing.requests.isEmpty());
        QCOMPARE(refusing.Width(), 125);
        QCOMPARE(refusing.position(), QPoint(0, 0));
    }

    void drawMapsUnitIntervalToOneToEight_data()
    {
        QTest::addColumn<double>("u");
        QTest::addColumn<int>("n");
        QTest::newRow("0") << 0.0 << 1;
        QTest::newRow("just below 1/8") << 0.124999 << 1;
        QTest::newRow("1/8") << 0.125 << 2;
        QTest::newRow("7/8") << 0.875 << 8;
        QTest::newRow("largest below 1") << 4294967295.0 / 4294967296.0 << 8;
    }
    void drawMapsUnitIntervalToOneToEight()
    {
        QFETCH(double, u);
        QFETCH(int, n);
        IdleBehaviour idle(nullptr, std::make_unique<ScriptedRandom>(QList<double>{u}));
        QCOMPARE(idle.draw(), n);
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
            QCOMPARE(second.draw(), n); // same fixed seed, same sequence
            ++counts[static_cast<std::size_t>(n - 1)];
        }
        const double expected = kDraws / 8.0;
        double chiSquare = 0;
        for (const int count : counts)
            chiSquare += (count - expected) * (count - expected) / expected;
        // 7 degrees of freedom: 24.3 is exceeded by chance once in a thousand.
        QVERIFY2(chiSquare < 24.3, qPrintable(QString::number(chiSquare)));
    }
};

QTEST_GUILESS_MAIN(TestIdleBehaviour)
#include "tst_idlebehaviour.moc"
