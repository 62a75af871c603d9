// The window shell's arithmetic, without widgets.

#include "shell/EdgeResize.h"
#include "shell/LayoutPass.h"
#include "shell/Outline.h"

#include <QTest>

using namespace lirondo;

namespace {

const ContentDesign kDesign{137, QPoint(176, 32), 56, 32}; // the window's design places

} // namespace

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
    const ContentPlaces c = contentPlaces(client, kDesign);
    const std::array<bool, 7> content = {c.Picture2Top.has_value(),    c.Picture2Width.has_value(),
                                         c.TextenHeight.has_value(),   c.TextenWidth.has_value(),
                                         c.Picture1Top.has_value(),    c.Frame1Height.has_value(),
                                         c.ListView1Height.has_value()};
    for (int i = 0; i < 7; ++i)
        QCOMPARE(content[i], i < contentLines);
    const GripPlaces g = gripPlaces(client, {13, 17, QSize(17, 17)});
    const std::array<bool, 6> grips = {g.PbottomTop.has_value(), g.PbottomWidth.has_value(),
                                       g.PrightLeft.has_value(), g.PrightHeight.has_value(),
                                       g.PjiaoLeft.has_value(),  g.PjiaoTop.has_value()};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(grips[i], i < gripLines);
}

void TestShellCore::outlineCorners_data()
{
    QTest::addColumn<QSize>("client");
    for (const QSize size : {QSize(554, 408), QSize(800, 600), QSize(1917, 1043)}) {
        const QByteArray name =
            QByteArray::number(size.width()) + 'x' + QByteArray::number(size.height());
        QTest::newRow(name.constData()) << size;
    }
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
        {{0, h / 2}, true},      {{w - 1, h / 2}, true}, // the sides
        {{w / 2, 0}, true},      {{w / 2, h - 1}, true}, // top and bottom
        {{w, h / 2}, false},     {{w / 2, h}, false},    // right and bottom edges excluded
    };
    for (const auto& [point, inside] : points) {
        if (outline.contains(point) != inside)
            QFAIL(qPrintable(
                QStringLiteral("(%1, %2) should be %3")
                    .arg(point.x())
                    .arg(point.y())
                    .arg(inside ? QStringLiteral("inside") : QStringLiteral("outside"))));
    }
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

    const auto bottom = int(GripKind::Bottom);
    const auto right = int(GripKind::Right);
    const auto corner = int(GripKind::Corner);
    const QPointF at(1500, 750); // 100, 50 pixels
    QTest::newRow("bottom at the limit")
        << bottom << QPoint(0, 50 + 408) << at << false << 0.0 << 0.0;
    QTest::newRow("bottom past the limit")
        << bottom << QPoint(0, 50 + 409) << at << false << 0.0 << 6135.0;
    QTest::newRow("bottom ignores x")
        << bottom << QPoint(9999, 50 + 500) << at << false << 0.0 << 7500.0;
    QTest::newRow("right at the limit (8250)")
        << right << QPoint(100 + 550, 0) << at << false << 0.0 << 0.0;
    QTest::newRow("right past the limit")
        << right << QPoint(100 + 551, 0) << at << false << 8265.0 << 0.0;
    QTest::newRow("right rounds halves to even")
        << right << QPoint(100 + 600, 0) << QPointF(1501.5, 0) << false << 8998.0 << 0.0;
    QTest::newRow("corner both") << corner << QPoint(700, 500) << at << false << 9000.0 << 6750.0;
    QTest::newRow("corner too narrow still sets the height")
        << corner << QPoint(600, 500) << at << false << 0.0 << 6750.0;
    QTest::newRow("corner too short still sets the width")
        << corner << QPoint(700, 400) << at << false << 9000.0 << 0.0;
    QTest::newRow("corner keeps fractions")
        << corner << QPoint(700, 500) << QPointF(1500.5, 750.25) << false << 8999.5 << 6749.75;
    QTest::newRow("maximized refuses") << corner << QPoint(700, 500) << at << true << 0.0 << 0.0;
    QTest::newRow("left of the window") << right << QPoint(10, 0) << at << false << 0.0 << 0.0;
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
    QCOMPARE(windowPixels(6135.0), 409);
    QCOMPARE(windowPixels(8257.5), 550); // 550.5 rounds to even
}

QTEST_MAIN(TestShellCore)
#include "tst_shell_core.moc"
