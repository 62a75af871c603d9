// The reading panel alone on a bare window: its hover feedback, the volume pop-up, the
// command row as buttons, the word label's fitting and the locator's knob.

#include "fakes/MainWindowFakes.h"
#include "shell/ReadingPanel.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QSignalSpy>
#include <QTest>

using namespace lirondo;
using namespace lirondo::test;

namespace {

struct Window : QWidget
{
    Window()
    {
        resize(554, 408);
        panel->move(16, 256);
    }
    void show()
    {
        QWidget::show();
        QVERIFY(QTest::qWaitForWindowExposed(this));
    }
    // Twice: a move to where the pointer already is would not be reported.
    void hover(QWidget* over, QPoint at = {})
    {
        const QPoint point = over->mapTo(this, at.isNull() ? over->rect().center() : at);
        QTest::mouseMove(this, point + QPoint(0, 1));
        QTest::mouseMove(this, point);
        QCoreApplication::processEvents();
    }
    // A point of the panel that no control covers.
    QPoint barePanel() const
    {
        for (int y = 2; y < panel->height(); y += 3) {
            for (int x = 2; x < panel->width(); x += 3) {
                if (!panel->childAt(x, y))
                    return {x, y};
            }
        }
        return {};
    }

    int textLength = 128;
    ReadingPanel* panel = new ReadingPanel(this, [this] { return textLength; });
};

QColor textColour(QWidget* widget)
{
    return widget->palette().color(QPalette::Active, QPalette::WindowText);
}

} // namespace

class TestReadingPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hoverCommandRow();
    void volumePopUp();
    void commandLabelsAreButtons_data();
    void commandLabelsAreButtons();
    void wordLabelShowsTheWholeWord_data();
    void wordLabelShowsTheWholeWord();
    void knobReportsTheReadingStart_data();
    void knobReportsTheReadingStart();
};

void TestReadingPanel::hoverCommandRow()
{
    Window w;
    w.show();
    CommandLabel* show = command(w, 2);
    QCOMPARE(show->text(), QStringLiteral("显示精灵"));
    w.hover(show);
    QCOMPARE(textColour(show), QColor(0, 0, 255));
    const QRect r = show->geometry();
    const std::array<QWidget*, 4> lines = {control(w, "Line1"), control(w, "Line2"),
                                           control(w, "Line3"), control(w, "Line4")};
    QCOMPARE(lines[0]->geometry(), QRect(r.left(), r.top(), r.width(), 1));
    QCOMPARE(lines[1]->geometry(), QRect(r.left(), r.top(), 1, r.height()));
    QCOMPARE(lines[2]->geometry(), QRect(r.left(), r.bottom() + 1, r.width(), 1));
    QCOMPARE(lines[3]->geometry(), QRect(r.right() + 1, r.top(), 1, r.height()));
    for (QWidget* line : lines)
        QVERIFY(line->isVisible());
    w.hover(command(w, 4)); // straight on: the first stays lit
    w.hover(command(w, 1)); // disabled: as the bare panel

    for (int i = 0; i < 5; ++i)
        QCOMPARE(textColour(command(w, i)), QColor(0, 0, 0));
    for (QWidget* line : lines)
        QVERIFY(!line->isVisible());
}

void TestReadingPanel::volumePopUp()
{
    Window w;
    w.show();
    QWidget* popUp = control(w, "Picture1");
    QLabel* speaker = control<QLabel>(w, "Imavoice");
    QVERIFY(!speaker->pixmap().isNull()); // the speaker is there to be found
    const QRect slider = control(w, "Slider2")->geometry();
    QVERIFY(control(w, "Line5")->geometry().right() < slider.left());
    QVERIFY(control(w, "Line6")->geometry().left() > slider.right());
    w.hover(speaker);
    QVERIFY(popUp->isVisible());
    w.hover(popUp, {3, 3}); // into the pop-up
    QVERIFY(popUp->isVisible());
    w.hover(w.panel, w.barePanel());
    QVERIFY(!popUp->isVisible());
}

void TestReadingPanel::commandLabelsAreButtons_data()
{
    QTest::addColumn<int>("key"); // 0: the accessible press action
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("clicks");
    QTest::newRow("press action") << 0 << true << 1;
    QTest::newRow("press action while disabled") << 0 << false << 0;
    QTest::newRow("Space") << int(Qt::Key_Space) << true << 1;
    QTest::newRow("another key") << int(Qt::Key_A) << true << 0;
}

void TestReadingPanel::commandLabelsAreButtons()
{
    QFETCH(int, key);
    QFETCH(bool, enabled);
    QFETCH(int, clicks);
    Window w;
    w.panel->setCommandEnabled(4, enabled);
    QSignalSpy spy(w.panel, &ReadingPanel::commandClicked);
    CommandLabel* label = command(w, 4);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(label);
    QVERIFY(a);
    QCOMPARE(a->role(), QAccessible::Button);
    QCOMPARE(a->text(QAccessible::Name), QStringLiteral("关于"));
    if (key == 0)
        a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    else
        QTest::keyClick(label, Qt::Key(key));
    QCOMPARE(spy.count(), clicks);
}

void TestReadingPanel::wordLabelShowsTheWholeWord_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("panelWidth");
    QTest::addColumn<bool>("whole");
    const QString veryLong = QStringLiteral("pneumonoultramicroscopicsilicovolcanoconiosis");
    QTest::newRow("dog") << "dog" << 524 << true;
    QTest::newRow("sleep") << "sleep" << 524 << true;
    QTest::newRow("long English") << "extraordinary" << 524 << true;
    QTest::newRow("Chinese") << "中华人民共和国" << 524 << true;
    QTest::newRow("very long, wider than the window") << veryLong << 524 << false;
    QTest::newRow("very long, wide window") << veryLong << 1370 << true;
}

void TestReadingPanel::wordLabelShowsTheWholeWord()
{
    QFETCH(QString, word);
    QFETCH(int, panelWidth);
    QFETCH(bool, whole);
    Window w;
    w.panel->resize(panelWidth, w.panel->height());
    w.panel->fitWord();
    w.panel->setWordCaption(word);

    QLabel* label = control<QLabel>(w, "Label1");
    QVERIFY(QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->width());
    QVERIFY(label->geometry().right() < w.panel->width());
    QVERIFY(label->width() >= 57); // never narrower than its design
    QCOMPARE(label->text() == word, whole);
    if (!whole)
        QVERIFY(label->text().endsWith(u'…'));
    if (word.size() <= 3)
        QCOMPARE(label->font().pointSize(), 42);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(label);
    QCOMPARE(a->text(QAccessible::Name), QStringLiteral("正在朗读的词"));
    QCOMPARE(a->text(QAccessible::Description), word);
}

void TestReadingPanel::knobReportsTheReadingStart_data()
{
    QTest::addColumn<int>("dragTo"); // -1: no move
    QTest::addColumn<int>("key");    // instead of the mouse, with the focus on the knob
    QTest::addColumn<int>("knobAfter");
    QTest::addColumn<int>("offset");
    QTest::newRow("pressed and let go") << -1 << 0 << 100 << 0;
    QTest::newRow("dragged, 52.5 to even") << 200 << 0 << 200 << 52;
    QTest::newRow("dragged off the track's right end") << 400 << 0 << 346 << 128;
    QTest::newRow("End key") << -1 << int(Qt::Key_End) << 346 << 128;
    QTest::newRow("Home key") << -1 << int(Qt::Key_Home) << 100 << 0;
    QTest::newRow("Right key: a pixel on") << -1 << int(Qt::Key_Right) << 101 << 3;
    QTest::newRow("Left key at the left end") << -1 << int(Qt::Key_Left) << 100 << 0;
}

void TestReadingPanel::knobReportsTheReadingStart()
{
    QFETCH(int, dragTo);
    QFETCH(int, key);
    QFETCH(int, knobAfter);
    QFETCH(int, offset);
    Window w;
    control<QLabel>(w, "Labtxtlength")->setGeometry(100, 8, 256, 4);
    auto* knob = control<QPushButton>(w, "Cmdlength");
    knob->setGeometry(100, 0, 10, 21);
    QSignalSpy presses(w.panel, &ReadingPanel::knobPressed);
    QSignalSpy starts(w.panel, &ReadingPanel::readingStartChosen);
    if (key != 0) {
        QTest::keyClick(knob, Qt::Key(key));
    } else {
        QTest::mousePress(knob, Qt::RightButton, {}, {2, 2}); // any button presses it
        QCOMPARE(presses.count(), 1);
        if (dragTo >= 0) // the knob's left edge goes under the pointer
            QTest::mouseMove(knob, {dragTo - knob->x(), 5});
        QTest::mouseRelease(knob, Qt::RightButton, {}, {2, 2});
    }
    QCOMPARE(presses.count(), 1);
    QCOMPARE(knob->x(), knobAfter);
    QCOMPARE(starts.count(), 1);
    QCOMPARE(starts.first().at(0).toInt(), offset);
    QCOMPARE(starts.first().at(1).toBool(), key == 0); // a key leaves the focus on the knob
    QCOMPARE(knob->toolTip(), QString::number(offset));
}

QTEST_MAIN(TestReadingPanel)
#include "tst_reading_panel.moc"
