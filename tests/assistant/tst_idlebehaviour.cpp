#include "assistant/IdleBehaviour.h"
#include "fakes/FakeAgent.h"

#include <QSet>
#include <QTest>

using namespace lirondo;
using namespace lirondo::test;

class TestIdleBehaviour : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Behaviour 3 grows the character by half and shrinks it back to the old size;
    // a dimension that could not grow is not shrunk either.
    void behaviours_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("maxSize");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, int n, const QString& expected,
                            QSize size = {128, 128}, int maxSize = 32767) {
            QTest::newRow(name) << n << size << maxSize << expected;
        };
        row("out of range", 9, QString());
        row("3 at 125 x 100", 3, QStringLiteral("Width 188|Height 150|Width 125|Height 100"),
            {125, 100});
        row("3 with growth refused", 3, QStringLiteral("Height 150|Height 100"), {200, 100}, 250);
    }
    void behaviours()
    {
        QFETCH(int, n);
        QFETCH(QSize, size);
        QFETCH(int, maxSize);
        QFETCH(QString, expected);
        FakeAgentCharacter genie;
        genie.figureWidth = size.width();
        genie.figureHeight = size.height();
        genie.maxSize = maxSize;
        IdleBehaviour(&genie).perform(n);
        QCOMPARE(genie.requests.join(u'|'), expected);
        QCOMPARE(QSize(genie.figureWidth, genie.figureHeight), size);
    }

    // Every behaviour comes up, none outside 1..8, and without a character a tick only
    // draws; the seed is fixed, not taken from the clock, so every run makes the same
    // choices.
    void drawCoversAllAndRepeats()
    {
        IdleBehaviour withoutCharacter;
        IdleBehaviour second;
        QSet<int> drawn;
        for (int i = 0; i < 1000; ++i) {
            const int n = withoutCharacter.tick();
            QCOMPARE(second.draw(), n);
            drawn.insert(n);
        }
        QCOMPARE(drawn, (QSet<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    }
};

QTEST_GUILESS_MAIN(TestIdleBehaviour)
#include "tst_idlebehaviour.moc"
