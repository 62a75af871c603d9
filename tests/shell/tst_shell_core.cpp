// The window shell's arithmetic, without widgets.

#include "shell/EdgeResize.h"
#include "shell/LayoutPass.h"
#include "shell/Outline.h"

#include <QTest>

using namespace lirondo;
using namespace Qt::StringLiterals;

class TestShellCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failingLineEndsItsStep_data()
    {
        QTest::addColumn<QSize>("client");
        // How many of the content's and the grips' places are set, in the order they are worked
        // out: the first that does not fit ends the pass.
        QTest::addColumn<int>("contentLines");
        QTest::addColumn<int>("gripLines");
        QTest::newRow("narrower than the panel margin") << QSize(20, 400) << 1 << 1;
        QTest::newRow("text box would be negative") << QSize(400, 150) << 2 << 6;
        QTest::newRow("list would be negative") << QSize(400, 229) << 6 << 6;
        QTest::newRow("list just fits") << QSize(400, 279) << 7 << 6;
        QTest::newRow("too short for the right grip") << QSize(400, 90) << 2 << 3;
    }

    void failingLineEndsItsStep()
    {
        QFETCH(QSize, client);
        QFETCH(int, contentLines);
        QFETCH(int, gripLines);
        const auto set = [](const auto&... places) { return ((places ? u"1"_s : u"0"_s) + ...); };
        // The design's places.
        const ContentPlaces c = contentPlaces(client, {137, QPoint(176, 32), 56, 32});
        QCOMPARE(set(c.panelTop, c.panelWidth, c.textBoxHeight, c.textBoxWidth, c.volumePopUpTop,
                     c.listFrameHeight, c.listHeight),
                 QString(contentLines, u'1').leftJustified(7, u'0'));
        const GripPlaces g = gripPlaces(client, {13, 17, QSize(17, 17)});
        QCOMPARE(set(g.bottomGripTop, g.bottomGripWidth, g.rightGripLeft, g.rightGripHeight,
                     g.cornerGripLeft, g.cornerGripTop),
                 QString(gripLines, u'1').leftJustified(6, u'0'));
    }

    // At the start size and a large one.
    void outlineCorners()
    {
        for (const auto& [w, h] : {std::pair(554, 408), std::pair(1917, 1043)}) {
            const QRegion outline = outlineShape(w, h);
            // Along each corner's diagonal, the edge passes where a radius of about 26 puts it:
            // 26 - 26/sqrt(2) = 7.6 pixels in from both edges.
            const QList<std::pair<QPoint, bool>> points = {
                {{6, 6}, false},         {{9, 9}, true},         // top left
                {{w - 7, 6}, false},     {{w - 10, 9}, true},    // top right
                {{6, h - 7}, false},     {{9, h - 10}, true},    // bottom left
                {{w - 1, h - 1}, false}, {{w - 3, h - 3}, true}, // bottom right: radius 4.5
                {{w - 1, h - 7}, true},  {{w - 7, h - 1}, true}, // ... so its straight edges run on
                {{w - 1, h / 2}, true},  {{w / 2, h - 1}, true}, // the last column and row are in
            };
            for (const auto& [point, inside] : points)
                QVERIFY2(
                    outline.contains(point) == inside,
                    qPrintable(u"%1x%2 at (%3, %4)"_s.arg(w).arg(h).arg(point.x()).arg(point.y())));
            QCOMPARE(outline.boundingRect(), QRect(0, 0, w, h));
        }
    }

    void gripResize_data()
    {
        QTest::addColumn<GripKind>("grip");
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<QPointF>("windowTwips");
        QTest::addColumn<bool>("maximized");
        QTest::addColumn<double>("width"); // 0: left as it is
        QTest::addColumn<double>("height");

        const GripKind B = GripKind::Bottom, R = GripKind::Right, C = GripKind::Corner;
        const QPointF at(1500, 750); // 100, 50 pixels: the limits are 408 and 550 pixels from there
        QTest::newRow("bottom at the limit") << B << QPoint(0, 458) << at << false << 0.0 << 0.0;
        QTest::newRow("bottom past the limit")
            << B << QPoint(0, 459) << at << false << 0.0 << 6135.0;
        QTest::newRow("right at the limit") << R << QPoint(650, 0) << at << false << 0.0 << 0.0;
        QTest::newRow("right past the limit")
            << R << QPoint(651, 0) << at << false << 8265.0 << 0.0;
        QTest::newRow("corner too narrow") << C << QPoint(600, 500) << at << false << 0.0 << 6750.0;
        QTest::newRow("corner too short") << C << QPoint(700, 400) << at << false << 9000.0 << 0.0;
        QTest::newRow("corner keeps fractions")
            << C << QPoint(700, 500) << QPointF(1500.5, 750.25) << false << 8999.5 << 6749.75;
        QTest::newRow("maximized refuses") << C << QPoint(700, 500) << at << true << 0.0 << 0.0;
    }

    void gripResize()
    {
        QFETCH(GripKind, grip);
        QFETCH(QPoint, cursor);
        QFETCH(QPointF, windowTwips);
        QFETCH(bool, maximized);
        QFETCH(double, width);
        QFETCH(double, height);
        const GripResize r = lirondo::gripResize(grip, cursor, windowTwips, maximized);
        QCOMPARE(r.width.value_or(0.0), width);
        QCOMPARE(r.height.value_or(0.0), height);
    }
};

QTEST_MAIN(TestShellCore)
#include "tst_shell_core.moc"
