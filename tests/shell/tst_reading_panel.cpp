// The reading panel alone on a bare window: its hover feedback, the volume pop-up, the
// command row as buttons, the word label's fitting and the locator's knob.

#include "shell/CommandLabel.h"
#include "shell/ReadingPanel.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace lirondo;
using namespace Qt::StringLiterals;

namespace {

struct Window : QWidget
{
    Window()
    {
        resize(554, 408);
        panel->move(16, 256);
    }
    template <typename T = QWidget> T* child(const QString& n) const { return findChild<T*>(n); }
    CommandLabel* command(int i) const { return child<CommandLabel>(u"Label2_%1"_s.arg(i)); }
    // Twice: a move to where the pointer already is would not be reported.
    void hover(QWidget* over, QPoint at = {})
    {
        const QPoint point = over->mapTo(this, at.isNull() ? over->rect().center() : at);
        QTest::mouseMove(this, point + QPoint(0, 1));
        QTest::mouseMove(this, point);
        QCoreApplication::processEvents();
    }
    ReadingPanel* panel = new ReadingPanel(this, [] { return 128; }); // a text of 128
};

} // namespace

class TestReadingPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The speaker opens the volume pop-up, which stays open while the pointer is on it; a
    // command under the pointer is lit and framed; the bare panel clears both.
    void hover()
    {
        const auto colour = [](QWidget* c) {
            return c->palette().color(QPalette::Active, QPalette::WindowText);
        };
        Window w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QWidget* popUp = w.child(u"Picture1"_s);
        auto* speaker = w.child<QLabel>(u"Imavoice"_s);
        QVERIFY(!speaker->pixmap().isNull());
        const QRect slider = w.child(u"Slider2"_s)->geometry();
        QVERIFY(w.child(u"Line5"_s)->geometry().right() < slider.left());
        QVERIFY(w.child(u"Line6"_s)->geometry().left() > slider.right());
        w.hover(speaker);
        QVERIFY(popUp->isVisible());
        w.hover(popUp, {3, 3});
        QVERIFY(popUp->isVisible());
        w.hover(w.panel, {2, 2}); // no control there
        QVERIFY(!popUp->isVisible());

        CommandLabel* show = w.command(2);
        w.hover(show);
        QCOMPARE(colour(show), QColor(Qt::blue));
        const QRect r = show->geometry();
        const QList<QRect> frame = {{r.left(), r.top(), r.width(), 1},
                                    {r.left(), r.top(), 1, r.height()},
                                    {r.left(), r.bottom() + 1, r.width(), 1},
                                    {r.right() + 1, r.top(), 1, r.height()}};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(w.child(u"Line%1"_s.arg(i + 1))->geometry(), frame.at(i));
            QVERIFY(w.child(u"Line%1"_s.arg(i + 1))->isVisible());
        }
        w.hover(w.command(4)); // straight on: the first stays lit
        w.hover(w.command(1)); // disabled: as the bare panel
        for (int i = 0; i < 5; ++i)
            QCOMPARE(colour(w.command(i)), QColor(Qt::black));
        for (int i = 0; i < 4; ++i)
            QVERIFY(!w.child(u"Line%1"_s.arg(i + 1))->isVisible());
    }

    void commandLabelsAreButtons_data()
    {
        QTest::addColumn<int>("key"); // 0: the accessible press action
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("clicks");
        QTest::newRow("press action") << 0 << true << 1;
        QTest::newRow("press action while disabled") << 0 << false << 0;
        QTest::newRow("Space") << int(Qt::Key_Space) << true << 1;
        QTest::newRow("another key") << int(Qt::Key_A) << true << 0;
    }

    void commandLabelsAreButtons()
    {
        QFETCH(int, key);
        QFETCH(bool, enabled);
        QFETCH(int, clicks);
        Window w;
        w.panel->setCommandEnabled(4, enabled);
        QSignalSpy spy(w.panel, &ReadingPanel::commandClicked);
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w.command(4));
        QCOMPARE(a->role(), QAccessible::Button);
        QCOMPARE(a->text(QAccessible::Name), u"关于"_s);
        if (key == 0)
            a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        else
            QTest::keyClick(w.command(4), Qt::Key(key));
        QCOMPARE(spy.count(), clicks);
    }

    void wordLabelShowsTheWholeWord_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("panelWidth");
        QTest::addColumn<bool>("whole");
        const QString veryLong = u"pneumonoultramicroscopicsilicovolcanoconiosis"_s;
        QTest::newRow("dog") << "dog" << 524 << true;
        QTest::newRow("sleep") << "sleep" << 524 << true;
        QTest::newRow("long English") << "extraordinary" << 524 << true;
        QTest::newRow("Chinese") << "中华人民共和国" << 524 << true;
        QTest::newRow("very long, wider than the window") << veryLong << 524 << false;
        QTest::newRow("very long, wide window") << veryLong << 1370 << true;
    }

    void wordLabelShowsTheWholeWord()
    {
        QFETCH(QString, word);
        QFETCH(int, panelWidth);
        QFETCH(bool, whole);
        Window w;
        w.panel->resize(panelWidth, w.panel->height());
        w.panel->fitWord();
        w.panel->setWordCaption(word);
        auto* label = w.child<QLabel>(u"Label1"_s);
        QVERIFY(QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->width());
        QVERIFY(label->geometry().right() < w.panel->width());
        QVERIFY(label->width() >= 57); // never narrower than its design
        QCOMPARE(label->text(), whole ? word : label->text().left(label->text().size() - 1) + u'…');
        QVERIFY(word.size() > 3 || label->font().pointSize() == 42);
        // Read out whole, even when shown cut short.
        QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Description),
                 word);
    }

    void knobReportsTheReadingStart_data()
    {
        QTest::addColumn<int>("dragTo"); // -1: no move
        QTest::addColumn<int>("key");    // instead of the mouse, with the focus on the knob
        QTest::addColumn<int>("knobAfter");
        QTest::addColumn<int>("offset");
        QTest::newRow("pressed and let go") << -1 << 0 << 100 << 0;
        QTest::newRow("dragged, 52.5 to even") << 200 << 0 << 200 << 52;
        QTest::newRow("End key") << -1 << int(Qt::Key_End) << 346 << 128;
        QTest::newRow("Home key") << -1 << int(Qt::Key_Home) << 100 << 0;
        QTest::newRow("Right key: a pixel on") << -1 << int(Qt::Key_Right) << 101 << 3;
        QTest::newRow("Left key at the left end") << -1 << int(Qt::Key_Left) << 100 << 0;
    }

    void knobReportsTheReadingStart()
    {
        QFETCH(int, dragTo);
        QFETCH(int, key);
        QFETCH(int, knobAfter);
        QFETCH(int, offset);
        Window w;
        w.child(u"Labtxtlength"_s)->setGeometry(100, 8, 256, 4);
        auto* knob = w.child<QPushButton>(u"Cmdlength"_s);
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
        // Once, as released unless a key moved it (the focus stays on the knob for the next).
        QCOMPARE(QList<QVariantList>(starts), QList<QVariantList>({{offset, key == 0}}));
        QCOMPARE(knob->toolTip(), QString::number(offset));
    }
};

QTEST_MAIN(TestReadingPanel)
#include "tst_reading_panel.moc"
