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

void sendMouse(QWidget& widget, QEvent::Type type, Qt::MouseButton button, QPoint local,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(local), QPointF(widget.mapToGlobal(local)), button,
                      type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : held,
                      modifiers);
    QApplication::sendEvent(&widget, &event);
}

} // namespace

class TestCharacterService : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_valid;
    std::unique_ptr<CharacterService> m_service;
    LoadedCharacter* m_genie = nullptr;

    // Shows the character at (x, y) and performs every queued request without waiting.
    void showAt(int x, int y)
    {
        m_genie->Show();
        m_genie->MoveTo(x, y);
        settle();
    }
    void settle()
    {
        for (int i = 0; i < 10000 && m_genie->player().advance() >= 0; ++i) {
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_valid = m_dir.filePath(QStringLiteral("elsewhere/wizard.acs"));
        QVERIFY(QDir().mkpath(QFileInfo(m_valid).path()));
        QVERIFY(writeFile(m_valid, acs::writeAcs(makeTestCharacter(), true)));
    }
    void init()
    {
        m_service = std::make_unique<CharacterService>();
        QVERIFY(m_service->Load(QStringLiteral("merlin"), m_valid));
        m_genie = m_service->character(QStringLiteral("merlin"));
    }

    void loadRefusesBadInput_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content"); // written to the file when not null
        const QByteArray valid = acs::writeAcs(makeTestCharacter(), true);
        QTest::newRow("empty path") << QString() << QByteArray();
        QTest::newRow("missing file") << QStringLiteral("missing.acs") << QByteArray();
        QTest::newRow("text file") << QStringLiteral("notes.txt") << QByteArray("some text\r\n");
        QTest::newRow("truncated") << QStringLiteral("cut.acs") << valid.left(valid.size() / 2);
        QTest::newRow("already loaded") << QStringLiteral("elsewhere/wizard.acs") << QByteArray();
    }
    void loadRefusesBadInput()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        const QString path = file.isEmpty() ? QString() : m_dir.filePath(file);
        if (!content.isNull())
            QVERIFY(writeFile(path, content));
        QString error;
        QVERIFY(!m_service->Load(QStringLiteral("MERLIN"), path, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(m_service->Characters(QStringLiteral("Merlin")), m_genie); // the first one stays
    }

    // The user's search finds a character file in any folder, through the real service.
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
        QVERIFY(loader.LoadCharacter(QString()));
        QVERIFY(loader.Genie());
        QCOMPARE(loader.Genie()->Width(), 4);
    }

    void windowShowsOnlyTheFigure()
    {
        CharacterWindow& window = m_genie->window();
        QVERIFY(!window.isVisible());
        showAt(200, 200);
        QVERIFY(window.isVisible());
        QCOMPARE(window.pos(), QPoint(200, 200));
        QVERIFY(m_genie->setWidth(8) && m_genie->setHeight(12));
        QCOMPARE(window.size(), QSize(8, 12));

        const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(shot.size(), QSize(8, 12));
        // The red block fills the middle half; around it is the transparent colour,
        // which must not show anywhere.
        QCOMPARE(shot.pixel(2, 3), qRgba(255, 0, 0, 255));
        QCOMPARE(shot.pixel(5, 8), qRgba(255, 0, 0, 255));
        for (const QPoint clear : {QPoint(0, 0), QPoint(1, 2), QPoint(6, 9), QPoint(7, 11)})
            QCOMPARE(qAlpha(shot.pixel(clear)), 0);
        // Clicks beside the figure fall through to what lies below.
        QVERIFY(window.mask().contains(QPoint(3, 6)));
        QVERIFY(!window.mask().contains(QPoint(0, 0)));

        m_genie->Hide();
        settle();
        QVERIFY(!window.isVisible());
    }

    void clicksAndDrags()
    {
        showAt(100, 100);
        CharacterWindow& window = m_genie->window();
        QSignalSpy clicks(m_service.get(), &AgentService::Click);
        const QPoint at(2, 2);
        sendMouse(window, QEvent::MouseButtonPress, Qt::RightButton, at);
        sendMouse(window, QEvent::MouseButtonRelease, Qt::RightButton, at);
        sendMouse(window, QEvent::MouseButtonPress, Qt::LeftButton, at, Qt::ShiftModifier);
        sendMouse(window, QEvent::MouseButtonRelease, Qt::LeftButton, at, Qt::ShiftModifier);
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(clicks.at(0).at(0).toString(), QStringLiteral("merlin"));
        QCOMPARE(clicks.at(0).at(1).toInt(), 2);
        QCOMPARE(clicks.at(1).at(1).toInt(), 1);
        QCOMPARE(clicks.at(1).at(2).toInt(), 1); // shift

        // A drag moves the character and is no click; a later move starts from there.
        sendMouse(window, QEvent::MouseButtonPress, Qt::LeftButton, at);
        sendMouse(window, QEvent::MouseMove, Qt::NoButton, at + QPoint(30, 40));
        sendMouse(window, QEvent::MouseButtonRelease, Qt::LeftButton, at + QPoint(30, 40));
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(window.pos(), QPoint(130, 140));
        m_genie->MoveTo(400, 200);
        settle();
        QCOMPARE(window.pos(), QPoint(400, 200));
    }

    void balloonShowsWhileSpeaking()
    {
        showAt(300, 300);
        m_genie->Speak(QStringLiteral("Hello! What can I do For you ?"));
        m_genie->player().advance();
        BalloonWindow& balloon = m_genie->balloon();
        QVERIFY(balloon.isVisible());
        QCOMPARE(balloon.text(), QStringLiteral("Hello! What can I do For you ?"));
        QVERIFY(balloon.geometry().bottom() < 300); // above the figure
        settle();
        QVERIFY(!balloon.isVisible());
    }

    // One timer per character, running only while something moves.
    void timerStopsWhenResting()
    {
        QVERIFY(!m_genie->animating());
        m_genie->Show();
        QVERIFY(m_genie->animating());
        m_genie->Play(QStringLiteral("GreetReturn"));
        QTRY_VERIFY_WITH_TIMEOUT(!m_genie->animating(), 10000);
        QVERIFY(m_genie->player().idle());
        QVERIFY(m_genie->window().isVisible());
    }
};

QTEST_MAIN(TestCharacterService)
#include "tst_characterservice.moc"
