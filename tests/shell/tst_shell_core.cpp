// The window shell's arithmetic, without widgets.

#include "shell/EdgeResize.h"
#include "shell/LayoutPass.h"
#include "shell/Outline.h"

#include <QTest>

using namespace lirondo;

class TestShellCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failingLineEndsItsStep_data();
    void failingLineEndsItsStep();
    void outlineCorners_data();
    void outlineCorners();
    void gripResize_data();
    void gripResize();
};

void TestShellCore::failingLineEndsItsStep_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<int>("contentLines"); // lines of step 8 that ran
    QTest::addColumn<int>("gripLines");    // lines of step 3 that ran
    QTest::newRow("narrower than the panel margin") << QSize(20, 400) << 1 << 1;
    QTest::newRow("text box would be negative") << QSize(400, 150) << 2 << 6;
    QTest::newRow("list would be negative") << QSize(400, 229) << 6 << 6;
    QTest::newRow("list just fits") << QSize(400, 279) << 7 << 6;
    QTest::newRow("too short for the right grip") << QSize(400, 90) << 2 << 3;
}

void TestShellCore::failingLineEndsItsStep()
{
    QFETCH(QSize, client);
    QFETCH(int, contentLines);
    QFETCH(int, gripLines);
    const ContentPlaces c = contentPlaces(client, {137, QPoint(176, 32), 56, 32}); // design places
    const std::array<bool, 7> content = {
        c.panelTop.has_value(),     c.panelWidth.has_value(),     c.textBoxHeight.has_value(),
        c.textBoxWidth.has_value(), c.volumePopUpTop.has_value(), c.listFrameHeight.has_value(),
        c.listHeight.has_value()};
    for (int i = 0; i < 7; ++i)
        QCOMPARE(content[i], i < contentLines);
    const GripPlaces g = gripPlaces(client, {13, 17, QSize(17, 17)});
    const std::array<bool, 6> grips = {g.bottomGripTop.has_value(),  g.bottomGripWidth.has_value(),
                                       g.rightGripLeft.has_value(),  g.rightGripHeight.has_value(),
                                       g.cornerGripLeft.has_value(), g.cornerGripTop.has_value()};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(grips[i], i < gripLines);
}

void TestShellCore::outlineCorners_data()
{
    QTest::addColumn<QSize>("client");
    QTest::newRow("start size") << QSize(554, 408);
    QTest::newRow("large") << QSize(1917, 1043);
}

void TestShellCore::outlineCorners()
{
    QFETCH(QSize, client);
    const int w = client.width();
    const int h = client.height();
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
        QVERIFY2(outline.contains(point) == inside,
                 qPrintable(QStringLiteral("(%1, %2)").arg(point.x()).arg(point.y())));
    QCOMPARE(outline.boundingRect(), QRect(0, 0, w, h));
}

void TestShellCore::gripResize_data()
{
    QTest::addColumn<int>("grip");
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<QPointF>("windowTwips");
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<double>("width"); // 0: left as it is
    QTest::addColumn<double>("height");

    const int B = int(GripKind::Bottom);
    const int R = int(GripKind::Right);
    const int C = int(GripKind::Corner);
    const QPointF at(1500, 750); // 100, 50 pixels: the limits are 408 and 550 pixels from there
    QTest::newRow("bottom at the limit") << B << QPoint(0, 458) << at << false << 0.0 << 0.0;
    QTest::newRow("bottom past the limit") << B << QPoint(0, 459) << at << false << 0.0 << 6135.0;
    QTest::newRow("right at the limit") << R << QPoint(650, 0) << at << false << 0.0 << 0.0;
    QTest::newRow("right past the limit") << R << QPoint(651, 0) << at << false << 8265.0 << 0.0;
    QTest::newRow("corner too narrow") << C << QPoint(600, 500) << at << false << 0.0 << 6750.0;
    QTest::newRow("corner too short") << C << QPoint(700, 400) << at << false << 9000.0 << 0.0;
    QTest::newRow("corner keeps fractions")
        << C << QPoint(700, 500) << QPointF(1500.5, 750.25) << false << 8999.5 << 6749.75;
    QTest::newRow("maximized refuses") << C << QPoint(700, 500) << at << true << 0.0 << 0.0;
}

void TestShellCore::gripResize()
{
    QFETCH(int, grip);
    QFETCH(QPoint, cursor);
    QFETCH(QPointF, windowTwips);
    QFETCH(bool, maximized);
    QFETCH(double, width);
    QFETCH(double, height);
    const GripResize r = lirondo::gripResize(GripKind(grip), cursor, windowTwips, maximized);
    QCOMPARE(r.width.value_or(0.0), width);
    QCOMPARE(r.height.value_or(0.0), height);
}

QTEST_MAIN(TestShellCore)
#include "tst_shell_core.moc"
