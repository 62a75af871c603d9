// The main window's shell on real widgets: the resize pass, the outline, the caption
// bar, the grips, the hover feedback and what assistive technology sees.

#include "fakes/Form1Fakes.h"
#include "reading/ReadingController.h"
#include "shell/CaptionButton.h"
#include "shell/CommandLabel.h"
#include "shell/Form1.h"
#include "shell/Grip.h"
#include "shell/Outline.h"
#include "shell/TextenEdit.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

using namespace lirondo;
using namespace lirondo::test;

namespace {

struct Harness : Form1Fakes
{
    // Shown at a known place, for the tests that need the pointer and the window system.
    void show()
    {
        form.move(100, 50);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }

    Form1 form{services()};
};

void send(QWidget* widget, QEvent::Type type, Qt::MouseButton button = Qt::LeftButton,
          QPoint at = QPoint(2, 2))
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, at, widget->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : button,
                      type == QEvent::MouseMove ? Qt::MouseButtons() : held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// The pointer moved over a point of the window, delivered as the window system would.
void hover(Form1& form, QPoint at)
{
    // Twice: a move to where the pointer already is would not be reported.
    QTest::mouseMove(&form, at + QPoint(0, 1));
    QTest::mouseMove(&form, at);
    QCoreApplication::processEvents();
}

QPoint centreIn(Form1& form, QWidget* widget)
{
    return widget->mapTo(&form, widget->rect().center());
}

// A point of the panel (window coordinates) that no control covers.
QPoint barePanel(Form1& form)
{
    for (int y = 2; y < form.Picture2->height(); y += 3) {
        for (int x = 2; x < form.Picture2->width(); x += 3) {
            if (!form.Picture2->childAt(x, y))
                return form.Picture2->mapTo(&form, QPoint(x, y));
        }
    }
    return {};
}

QColor textColour(QWidget* widget)
{
    return widget->palette().color(QPalette::Active, QPalette::WindowText);
}

const QColor kBlue(0, 0, 255);
const QColor kBlack(0, 0, 0);

} // namespace

class TestShellForm1 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layoutAndOutlineAtSizes_data();
    void layoutAndOutlineAtSizes();
    void captionButtonPictures();
    void captionButtonsTakeOnlyTheLeftButton_data();
    void captionButtonsTakeOnlyTheLeftButton();
    void maximizeRestore_data();
    void maximizeRestore();
    void grips_data();
    void grips();
    void hoverCommandRow();
    void hoverPopUpAndCaptionButtons();
    void commandLabelsAreButtons_data();
    void commandLabelsAreButtons();
    void keyboardFocus_data();
    void keyboardFocus();
    void wordLabelShowsTheWholeWord_data();
    void wordLabelShowsTheWholeWord();
};

void TestShellForm1::layoutAndOutlineAtSizes_data()
{
    QTest::addColumn<QSize>("client");
    QTest::newRow("start size") << QSize(554, 408);
    QTest::newRow("wider") << QSize(900, 408);
    QTest::newRow("large") << QSize(1917, 1043);
}

void TestShellForm1::layoutAndOutlineAtSizes()
{
    QFETCH(QSize, client);
    Harness h;
    Form1& f = h.form;
    const QPoint textenPos = f.Texten->pos();
    f.resize(client);
    f.layoutPass(0);
    const int w = client.width();
    for (const auto& [button, fromRight] :
         {std::pair{f.Immin, 71}, std::pair{f.Immax, 50}, std::pair{f.Imclose, 30}}) {
        QCOMPARE(button->y(), 9);
        QCOMPARE(w - button->x(), fromRight);
    }
    QCOMPARE(f.Texten->pos(), textenPos);
    QCOMPARE(f.Texten->geometry().bottom() + 1, f.Picture2->y() - 10);
    QCOMPARE(f.Texten->geometry().right() + 1, w - 30);
    QCOMPARE(f.Picture2->geometry().bottom() + 1, client.height() - 50);
    QCOMPARE(f.Picture2->width(), w - 30);
    QCOMPARE(f.Pjiao->geometry().bottomRight(), QPoint(w - 1, client.height() - 1));

    const QRegion outline = f.mask();
    QCOMPARE(outline, outlineShape(w, client.height()));
    const QImage surface = f.backingSurface().toImage();
    int redOutside = 0;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            const bool red = surface.pixel(x, y) == qRgb(255, 0, 0);
            if (red && outline.contains(QPoint(x, y)))
                QFAIL(qPrintable(QStringLiteral("red inside at %1, %2").arg(x).arg(y)));
            redOutside += red ? 1 : 0;
        }
    }
    // The skin's corners do bring their red: it is the outline that hides it.
    QVERIFY(redOutside > 400);
}

void TestShellForm1::captionButtonPictures()
{
    Harness h;
    Form1& f = h.form;
    for (const auto& [b, lit] : {std::pair{f.Immin, f.ImMin1}, std::pair{f.Immax, f.Immax1},
                                 std::pair{f.Imclose, f.ImClose1}}) {
        QSignalSpy clicks(b, &CaptionButton::clicked);
        send(b, QEvent::MouseMove);
        QCOMPARE(b->Tag, QStringLiteral("1"));
        QCOMPARE(b->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                 lit.toImage().convertToFormat(QImage::Format_RGB32));
        // A second move does not load the picture again.
        b->clearPicture();
        send(b, QEvent::MouseMove);
        QVERIFY(!b->hasPicture());

        send(b, QEvent::MouseButtonPress);
        QVERIFY(b->hasPicture());
        send(b, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(50, 50)); // released outside
        QVERIFY(!b->hasPicture());
        QVERIFY(b->Tag.isEmpty());
        QCOMPARE(clicks.count(), 0);
    }
}

void TestShellForm1::captionButtonsTakeOnlyTheLeftButton_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<Qt::MouseButton>("mouse");
    for (const char* name : {"Immin", "Immax", "Imclose"}) {
        for (const auto& [mouse, tag] :
             {std::pair{Qt::RightButton, "right"}, std::pair{Qt::MiddleButton, "middle"}})
            QTest::addRow("%s, %s", name, tag) << QString::fromLatin1(name) << mouse;
    }
    QTest::newRow("Immax, left") << "Immax" << Qt::LeftButton;
}

void TestShellForm1::captionButtonsTakeOnlyTheLeftButton()
{
    QFETCH(QString, button);
    QFETCH(Qt::MouseButton, mouse);
    Harness h;
    h.show();
    auto* b = h.form.findChild<CaptionButton*>(button);
    QVERIFY(b);
    QSignalSpy clicks(b, &CaptionButton::clicked);
    QTest::mousePress(b, mouse);
    QCOMPARE(b->hasPicture(), mouse == Qt::LeftButton);
    QTest::mouseRelease(b, mouse);
    QCoreApplication::processEvents();
    QCOMPARE(clicks.count(), mouse == Qt::LeftButton ? 1 : 0);
    QVERIFY(h.form.isVisible());
    QCOMPARE(h.form.windowState().testFlag(Qt::WindowMaximized), mouse == Qt::LeftButton);
}

void TestShellForm1::maximizeRestore_data()
{
    QTest::addColumn<bool>("byDoubleClick");
    QTest::newRow("maximize button") << false;
    QTest::newRow("double click on the caption") << true;
}

void TestShellForm1::maximizeRestore()
{
    QFETCH(bool, byDoubleClick);
    Harness h;
    h.show();
    Form1& f = h.form;
    for (const bool maximized : {true, false}) {
        if (byDoubleClick) {
            send(f.IMBar, QEvent::MouseButtonDblClick);
        } else {
            send(f.Immax, QEvent::MouseButtonPress);
            send(f.Immax, QEvent::MouseButtonRelease);
        }
        QCoreApplication::processEvents();
        QCOMPARE(f.windowState().testFlag(Qt::WindowMaximized), maximized);
        QCOMPARE(f.LastState, maximized ? 2 : 0);
        QCOMPARE(f.Pbottom->isHidden(), maximized);
        QCOMPARE(f.Pright->isHidden(), maximized);
        QVERIFY(!f.Pjiao->isHidden());
        f.layoutPass(1); // a minimize keeps the state it came from
        QCOMPARE(f.LastState, maximized ? 2 : 0);
    }
}

void TestShellForm1::grips_data()
{
    QTest::addColumn<QString>("grip");
    QTest::addColumn<QPoint>("pointer"); // relative to the window's top-left corner
    QTest::addColumn<int>("presses");    // 1: held, 2: pressed and released
    QTest::addColumn<QSize>("size");     // empty: maximized first, and nothing changes
    const QSize start(554, 408);
    QTest::newRow("bottom grows") << "Pbottom" << QPoint(0, 450) << 1 << QSize(554, 450);
    QTest::newRow("right grows") << "Pright" << QPoint(700, 0) << 1 << QSize(700, 408);
    QTest::newRow("corner too narrow, height still set")
        << "Pjiao" << QPoint(500, 480) << 1 << QSize(554, 480);
    QTest::newRow("move after the release") << "Pjiao" << QPoint(640, 480) << 2 << start;
    QTest::newRow("maximized") << "Pjiao" << QPoint(300, 300) << 1 << QSize();
}

void TestShellForm1::grips()
{
    QFETCH(QString, grip);
    QFETCH(QPoint, pointer);
    QFETCH(int, presses);
    QFETCH(QSize, size);
    Harness h;
    h.show();
    Form1& f = h.form;
    if (size.isEmpty()) {
        f.Immax_Click();
        QTRY_VERIFY(f.windowState().testFlag(Qt::WindowMaximized));
        QCoreApplication::processEvents();
        size = f.size();
    }
    auto* g = f.findChild<Grip*>(grip);
    QVERIFY(g);
    send(g, QEvent::MouseButtonPress);
    if (presses > 1)
        send(g, QEvent::MouseButtonRelease);
    QCursor::setPos(f.pos() + pointer);
    QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(), Qt::NoButton,
                     presses == 1 ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(g, &move);
    QCoreApplication::processEvents();
    QTRY_COMPARE(f.size(), size);
}

void TestShellForm1::hoverCommandRow()
{
    Harness h;
    h.show();
    Form1& f = h.form;
    CommandLabel* show = f.Label2[2];
    QCOMPARE(show->text(), QStringLiteral("显示精灵"));
    hover(f, centreIn(f, show));
    QCOMPARE(textColour(show), kBlue);
    const QRect r = show->geometry();
    QCOMPARE(f.Line1->geometry(), QRect(r.left(), r.top(), r.width(), 1));
    QCOMPARE(f.Line2->geometry(), QRect(r.left(), r.top(), 1, r.height()));
    QCOMPARE(f.Line3->geometry(), QRect(r.left(), r.bottom() + 1, r.width(), 1));
    QCOMPARE(f.Line4->geometry(), QRect(r.right() + 1, r.top(), 1, r.height()));
    for (QWidget* line : {f.Line1, f.Line2, f.Line3, f.Line4})
        QVERIFY(line->isVisible());
    hover(f, centreIn(f, f.Label2[4])); // straight on: the first stays lit
    hover(f, centreIn(f, f.Imavoice));
    QVERIFY(f.Picture1->isVisible());

    hover(f, barePanel(f));
    for (CommandLabel* label : f.Label2)
        QCOMPARE(textColour(label), kBlack);
    for (QWidget* line : {f.Line1, f.Line2, f.Line3, f.Line4})
        QVERIFY(!line->isVisible());
    QVERIFY(!f.Picture1->isVisible());
}

void TestShellForm1::hoverPopUpAndCaptionButtons()
{
    Harness h;
    h.show();
    Form1& f = h.form;
    QVERIFY(!f.Imavoice->pixmap().isNull()); // the speaker is there to be found
    const QRect slider = f.Slider2->geometry();
    QVERIFY(f.Line5->isVisible() && f.Line5->geometry().right() < slider.left());
    QVERIFY(f.Line6->isVisible() && f.Line6->geometry().left() > slider.right());
    hover(f, centreIn(f, f.Imavoice));
    QVERIFY(f.Picture1->isVisible());
    hover(f, f.Picture1->pos() + QPoint(3, 3)); // into the pop-up
    QVERIFY(f.Picture1->isVisible());
    hover(f, centreIn(f, f.Texten));
    QVERIFY(!f.Picture1->isVisible());

    // The bare window clears the caption buttons the hover lit, and only those.
    send(f.Imclose, QEvent::MouseMove);
    QVERIFY(f.Imclose->hasPicture());
    f.Immax->setPicture(f.Immax2);
    hover(f, QPoint(f.width() / 2, f.Picture2->geometry().bottom() + 20));
    QVERIFY(!f.Imclose->hasPicture());
    QVERIFY(f.Imclose->Tag.isEmpty());
    QVERIFY(f.Immax->hasPicture());
}

void TestShellForm1::commandLabelsAreButtons_data()
{
    QTest::addColumn<int>("key"); // 0: the accessible press action
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("clicks");
    QTest::newRow("press action") << 0 << true << 1;
    QTest::newRow("press action while disabled") << 0 << false << 0;
    QTest::newRow("Space") << int(Qt::Key_Space) << true << 1;
    QTest::newRow("another key") << int(Qt::Key_A) << true << 0;
}

void TestShellForm1::commandLabelsAreButtons()
{
    QFETCH(int, key);
    QFETCH(bool, enabled);
    QFETCH(int, clicks);
    Harness h;
    CommandLabel* label = h.form.Label2[4];
    label->setEnabled(enabled);
    QSignalSpy spy(label, &CommandLabel::clicked);

    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(label);
    QVERIFY(a);
    QCOMPARE(a->role(), QAccessible::Button);
    QCOMPARE(a->text(QAccessible::Name), QStringLiteral("关于"));
    if (key == 0) {
        QAccessibleActionInterface* action = a->actionInterface();
        QVERIFY(action);
        action->doAction(QAccessibleActionInterface::pressAction());
    } else {
        QTest::keyClick(label, Qt::Key(key));
    }
    QCOMPARE(spy.count(), clicks);
}

void TestShellForm1::keyboardFocus_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("focus"); // "other": anywhere but the text box
    QTest::addColumn<bool>("popUp");
    QTest::newRow("Tab types a tab") << "Texten"
                                     << "Tab"
                                     << "Texten" << false;
    QTest::newRow("Ctrl+Tab leaves") << "Texten"
                                     << "Ctrl+Tab"
                                     << "other" << false;
    // Backwards from the first control: round to the chain's end, the volume slider.
    QTest::newRow("Ctrl+Shift+Tab leaves") << "Texten"
                                           << "Ctrl+Shift+Tab"
                                           << "Slider2" << true;
    QTest::newRow("Tab reaches the volume slider") << "Check1"
                                                   << "Tab"
                                                   << "Slider2" << true;
    QTest::newRow("and Shift+Tab goes back") << "Check1"
                                             << "Tab Shift+Tab"
                                             << "Check1" << false;
}

void TestShellForm1::keyboardFocus()
{
    QFETCH(QString, start);
    QFETCH(QString, keys);
    QFETCH(QString, focus);
    QFETCH(bool, popUp);
    Harness h;
    h.show();
    Form1& f = h.form;
    QVERIFY(QTest::qWaitForWindowActive(&f));
    const auto named = [&f](const QString& name) -> QWidget* {
        return name == u"Texten"   ? static_cast<QWidget*>(f.Texten)
               : name == u"Check1" ? static_cast<QWidget*>(f.Check1)
                                   : f.Slider2;
    };
    f.Picture1->hide();
    named(start)->setFocus(Qt::OtherFocusReason);
    f.Texten->setPlainText(QStringLiteral("ab"));
    for (const QString& key : keys.split(u' '))
        QTest::keySequence(QApplication::focusWidget(), QKeySequence(key));
    QWidget* now = QApplication::focusWidget();
    if (focus == u"other")
        QVERIFY(now && now != f.Texten);
    else
        QCOMPARE(now, named(focus));
    QCOMPARE(f.Texten->toPlainText(),
             focus == u"Texten" ? QStringLiteral("\tab") : QStringLiteral("ab"));
    QCOMPARE(f.Picture1->isVisible(), popUp);
}

void TestShellForm1::wordLabelShowsTheWholeWord_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("windowWidth");
    QTest::addColumn<bool>("whole");
    const QString veryLong = QStringLiteral("pneumonoultramicroscopicsilicovolcanoconiosis");
    QTest::newRow("dog") << "dog" << 554 << true;
    QTest::newRow("sleep") << "sleep" << 554 << true;
    QTest::newRow("long English") << "extraordinary" << 554 << true;
    QTest::newRow("Chinese") << "中华人民共和国" << 554 << true;
    QTest::newRow("very long, wider than the window") << veryLong << 554 << false;
    QTest::newRow("very long, wide window") << veryLong << 1400 << true;
}

void TestShellForm1::wordLabelShowsTheWholeWord()
{
    QFETCH(QString, word);
    QFETCH(int, windowWidth);
    QFETCH(bool, whole);
    Harness h;
    Form1& f = h.form;
    f.resize(windowWidth, 408);
    f.layoutPass(0);
    f.setDocumentText(word);
    f.reading().read();
    h.engine.raiseWord(0, int(word.size()));

    QLabel* label = f.Label1;
    QVERIFY(QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->width());
    QVERIFY(label->geometry().right() < f.Picture2->width());
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

QTEST_MAIN(TestShellForm1)
#include "tst_shell_form1.moc"
