#include "TestCharacter.h"
#include "assistant/BalloonWindow.h"
#include "assistant/CharacterLoader.h"
#include "assistant/CharacterPlayer.h"
#include "assistant/CharacterService.h"
#include "assistant/CharacterWindow.h"
#include "assistant/LoadedCharacter.h"
#include "common/CommonDialog.h"
#include "fakes/FakeFileDialog.h"
#include "fakes/FakeMessageBox.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace lirondo;
using namespace lirondo::test;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Performs every queued request without waiting for the timer.
void settle(LoadedCharacter& character)
{
    for (int i = 0; i < 10000 && character.player().advance() >= 0; ++i) {
    }
}

void sendMouse(QWidget& widget, QEvent::Type type, Qt::MouseButton button, QPoint local,
               Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(type, QPointF(local), QPointF(widget.mapToGlobal(local)), button, held,
                      modifiers);
    QApplication::sendEvent(&widget, &event);
}

} // namespace

class TestCharacterService : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_valid;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_valid = m_dir.filePath(QStringLiteral("somewhere/else/wizard.acs"));
        QVERIFY(QDir().mkpath(QFileInfo(m_valid).path()));
        QVERIFY(writeFile(m_valid, acs::writeAcs(makeTestCharacter(), true)));
    }

    void loadRefusesBadInput_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content"); // written to file when not null
        QTest::newRow("empty path") << QString() << QByteArray();
        QTest::newRow("missing file") << QStringLiteral("missing.acs") << QByteArray();
        QTest::newRow("directory") << QStringLiteral(".") << QByteArray();
        QTest::newRow("empty file") << QStringLiteral("empty.acs") << QByteArray("");
        QTest::newRow("text file")
            << QStringLiteral("notes.txt") << QByteArray("just some text\r\n");
        const QByteArray valid = acs::writeAcs(makeTestCharacter(), true);
        QTest::newRow("truncated character")
            << QStringLiteral("cut.acs") << valid.left(valid.size() / 2);
    }
    void loadRefusesBadInput()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        const QString path = file.isEmpty() ? QString() : m_dir.filePath(file);
        if (!content.isNull())
            QVERIFY(writeFile(path, content));
        CharacterService service;
        QString error;
        QVERIFY(!service.Load(QStringLiteral("merlin"), path, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!service.Characters(QStringLiteral("merlin")));
    }

    void loadKeepsTheFirstCharacter()
    {
        CharacterService service;
        QVERIFY(service.Load(QStringLiteral("merlin"), m_valid));
        AgentCharacter* genie = service.Characters(QStringLiteral("merlin"));
        QVERIFY(genie);
        QCOMPARE(service.Characters(QStringLiteral("Merlin")), genie);
        QVERIFY(!service.Characters(QStringLiteral("other")));
        QString error;
        QVERIFY(!service.Load(QStringLiteral("merlin"), m_valid, &error));
        QCOMPARE(service.Characters(QStringLiteral("merlin")), genie);
        QCOMPARE(genie->Width(), 4);
        QCOMPARE(genie->Height(), 4);
    }

    // The user's search finds a character file in any folder.
    void loaderLoadsAPickedFile()
    {
        CharacterService service;
        FakeMessageBox messages;
        messages.answers = {MessageBoxPort::Answer::Ok, MessageBoxPort::Answer::Yes};
        FakeFileDialog files;
        files.answers = {m_valid};
        CommonDialog dialog(files);
        CharacterLoader loader(service, messages, dialog, m_dir.filePath(QStringLiteral("bin")));
        QVERIFY(!loader.LoadCharacter(loader.defaultCharacterPath()));
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(loader.LoadCharacter(QString()));
        QCOMPARE(loader.Genie(), service.Characters(QStringLiteral("merlin")));
        QVERIFY(loader.Genie());
    }

    void windowShowsOnlyTheFigure()
    {
        CharacterService service;
        QVERIFY(service.Load(QStringLiteral("merlin"), m_valid));
        LoadedCharacter& genie = *service.character(QStringLiteral("merlin"));
        CharacterWindow& window = genie.window();
        const Qt::WindowFlags flags = window.windowFlags();
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(window.testAttribute(Qt::WA_TranslucentBackground));

        QVERIFY(!window.isVisible());
        QVERIFY(genie.Show());
        QVERIFY(genie.Visible());
        QVERIFY(genie.MoveTo(200, 200));
        settle(genie);
        QVERIFY(window.isVisible());
        QCOMPARE(window.pos(), QPoint(200, 200));

        QCOMPARE(genie.setWidth(8), true);
        QCOMPARE(genie.setHeight(12), true);
        QCOMPARE(window.size(), QSize(8, 12));

        QImage shot = window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(shot.size(), QSize(8, 12));
        // The red block sits in the middle half; the border is the transparent colour.
        QCOMPARE(qAlpha(shot.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(shot.pixel(7, 11)), 0);
        QCOMPARE(qAlpha(shot.pixel(1, 2)), 0);
        QCOMPARE(shot.pixel(2, 3), qRgba(255, 0, 0, 255));
        QCOMPARE(shot.pixel(5, 8), qRgba(255, 0, 0, 255));
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                QVERIFY(qRgb(0, 255, 255) != (shot.pixel(x, y) | 0xff000000u) ||
                        qAlpha(shot.pixel(x, y)) == 0);

        // Clicks beside the figure fall through to what lies below.
        const QRegion mask = window.mask();
        QVERIFY(mask.contains(QPoint(3, 6)));
        QVERIFY(!mask.contains(QPoint(0, 0)));
        QVERIFY(!mask.contains(QPoint(7, 11)));

        QVERIFY(genie.Hide());
        QVERIFY(!genie.Visible());
        settle(genie);
        QVERIFY(!window.isVisible());
    }

    void clicksAndDrags()
    {
        CharacterService service;
        QVERIFY(service.Load(QStringLiteral("merlin"), m_valid));
        LoadedCharacter& genie = *service.character(QStringLiteral("merlin"));
        genie.Show();
        genie.MoveTo(100, 100);
        settle(genie);
        CharacterWindow& window = genie.window();
        QSignalSpy clicks(&service, &AgentService::Click);

        const QPoint middle(2, 2);
        sendMouse(window, QEvent::MouseButtonPress, Qt::RightButton, middle, Qt::RightButton);
        sendMouse(window, QEvent::MouseButtonRelease, Qt::RightButton, middle, Qt::NoButton);
        sendMouse(window, QEvent::MouseButtonPress, Qt::LeftButton, middle, Qt::LeftButton,
                  Qt::ShiftModifier);
        sendMouse(window, QEvent::MouseButtonRelease, Qt::LeftButton, middle, Qt::NoButton,
                  Qt::ShiftModifier);
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(clicks.at(0).at(0).toString(), QStringLiteral("merlin"));
        QCOMPARE(clicks.at(0).at(1).toInt(), 2);
        QCOMPARE(clicks.at(1).at(1).toInt(), 1);
        QCOMPARE(clicks.at(1).at(2).toInt(), 1); // shift

        // A drag moves the character and is no click.
        sendMouse(window, QEvent::MouseButtonPress, Qt::LeftButton, middle, Qt::LeftButton);
        sendMouse(window, QEvent::MouseMove, Qt::NoButton, middle + QPoint(30, 40), Qt::LeftButton);
        sendMouse(window, QEvent::MouseButtonRelease, Qt::LeftButton, middle + QPoint(30, 40),
                  Qt::NoButton);
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(genie.player().position(), QPoint(130, 140));
        QCOMPARE(window.pos(), QPoint(130, 140));
        // A later move starts from where the user left it and ends where it says.
        genie.MoveTo(400, 200);
        settle(genie);
        QCOMPARE(window.pos(), QPoint(400, 200));
    }

    void balloonShowsWhileSpeaking()
    {
        CharacterService service;
        QVERIFY(service.Load(QStringLiteral("merlin"), m_valid));
        LoadedCharacter& genie = *service.character(QStringLiteral("merlin"));
        genie.Show();
        genie.MoveTo(300, 300);
        settle(genie);
        QVERIFY(genie.Speak(QStringLiteral("Hello! What can I do For you ?")));
        genie.player().advance();
        BalloonWindow& balloon = genie.balloon();
        QVERIFY(balloon.isVisible());
        QCOMPARE(balloon.text(), QStringLiteral("Hello! What can I do For you ?"));
        QVERIFY(balloon.geometry().bottom() < 300); // above the figure
        settle(genie);
        QVERIFY(!balloon.isVisible());
    }

    void balloonPlacement_data()
    {
        QTest::addColumn<QRect>("figure");
        QTest::addColumn<QRect>("expected");
        QTest::addColumn<bool>("tailUp");
        QTest::newRow("above, centred")
            << QRect(400, 300, 100, 100) << QRect(400, 240, 100, 60) << false;
        QTest::newRow("no room above")
            << QRect(400, 20, 100, 100) << QRect(400, 120, 100, 60) << true;
        QTest::newRow("kept on screen")
            << QRect(990, 300, 100, 100) << QRect(924, 240, 100, 60) << false;
        QTest::newRow("left edge") << QRect(-60, 300, 100, 100) << QRect(0, 240, 100, 60) << false;
    }
    void balloonPlacement()
    {
        QFETCH(QRect, figure);
        QFETCH(QRect, expected);
        QFETCH(bool, tailUp);
        bool up = !tailUp;
        QCOMPARE(BalloonWindow::place(QSize(100, 60), figure, QRect(0, 0, 1024, 768), &up),
                 expected);
        QCOMPARE(up, tailUp);
    }

    // One timer per character, and only while something moves: a resting character
    // costs nothing.
    void timerStopsWhenResting()
    {
        CharacterService service;
        QVERIFY(service.Load(QStringLiteral("merlin"), m_valid));
        LoadedCharacter& genie = *service.character(QStringLiteral("merlin"));
        QVERIFY(!genie.animating());
        genie.Show();
        QVERIFY(genie.animating());
        genie.Play(QStringLiteral("GreetReturn"));
        QTRY_VERIFY_WITH_TIMEOUT(!genie.animating(), 10000);
        QVERIFY(genie.player().idle());
        QVERIFY(genie.window().isVisible());
    }

    void unknownAnimationFails()
    {
        CharacterService service;
        QVERIFY(service.Load(QStringLiteral("merlin"), m_valid));
        AgentCharacter* genie = service.Characters(QStringLiteral("merlin"));
        QVERIFY(!genie->Play(QStringLiteral("Dance")));
        QVERIFY(genie->Play(QStringLiteral("gREET")));
    }
};

QTEST_MAIN(TestCharacterService)
#include "tst_characterservice.moc"
