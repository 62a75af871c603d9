#include "TestCharacter.h"
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

// Presses a button at `from`, moves to `to` if elsewhere, and lets go there.
void drag(QWidget& widget, Qt::MouseButton button, QPoint from, QPoint to,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton cause,
                          Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), QPointF(widget.mapToGlobal(at)), cause, held,
                          modifiers);
        QApplication::sendEvent(&widget, &event);
    };
    send(QEvent::MouseButtonPress, from, button, button);
    if (to != from)
        send(QEvent::MouseMove, to, Qt::NoButton, button);
    send(QEvent::MouseButtonRelease, to, button, Qt::NoButton);
}

} // namespace

class TestCharacterService : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_valid;
    std::unique_ptr<CharacterService> m_service;
    LoadedCharacter* m_genie = nullptr;

    // Performs every queued request without waiting.
    void settle()
    {
        for (int i = 0; i < 10000 && m_genie->player().advance() >= 0; ++i) {
        }
    }
    void showAt(int x, int y)
    {
        m_genie->Show();
        m_genie->MoveTo(x, y);
        settle();
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

    // A file that cannot be read, or a second character of the same name, leaves the first.
    void loadRefusesBadInput()
    {
        const QByteArray valid = acs::writeAcs(makeTestCharacter(), true);
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("notes.txt")), "some text\r\n"));
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("cut.acs")), valid.left(valid.size() / 2)));
        for (const char* file : {"missing.acs", "notes.txt", "cut.acs", "elsewhere/wizard.acs"}) {
            QString error;
            QVERIFY2(!m_service->Load(QStringLiteral("MERLIN"),
                                      m_dir.filePath(QString::fromUtf8(file)), &error),
                     file);
            QVERIFY(!error.isEmpty());
            QCOMPARE(m_service->Characters(QStringLiteral("Merlin")), m_genie);
        }
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
        QCOMPARE(loader.Genie()->Width(), 4);
    }

    // Only the figure shows, and only the figure takes clicks; its timer runs while it moves.
    void windowShowsOnlyTheFigure()
    {
        CharacterWindow& window = m_genie->window();
        QVERIFY(!window.isVisible() && !m_genie->animating());
        m_genie->Show();
        QVERIFY(m_genie->animating());
        QTRY_VERIFY_WITH_TIMEOUT(!m_genie->animating(), 10000);
        QVERIFY(window.isVisible());
        QVERIFY(m_genie->setWidth(8) && m_genie->setHeight(12));
        QCOMPARE(window.size(), QSize(8, 12));

        const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        // The red block fills the middle half, in the transparent colour around it.
        QCOMPARE(shot.pixel(2, 3), qRgba(255, 0, 0, 255));
        QCOMPARE(shot.pixel(5, 8), qRgba(255, 0, 0, 255));
        QVERIFY(window.mask().contains(QPoint(3, 6)));
        for (const QPoint clear : {QPoint(0, 0), QPoint(1, 2), QPoint(6, 9), QPoint(7, 11)}) {
            QCOMPARE(qAlpha(shot.pixel(clear)), 0);
            QVERIFY(!window.mask().contains(clear));
        }
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
        drag(window, Qt::RightButton, at, at);
        drag(window, Qt::LeftButton, at, at, Qt::ShiftModifier);
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(clicks.at(0).at(0).toString(), QStringLiteral("merlin"));
        QCOMPARE(clicks.at(0).at(1).toInt(), 2);
        QCOMPARE(clicks.at(1).at(1).toInt(), 1);
        QCOMPARE(clicks.at(1).at(2).toInt(), 1); // shift

        // A drag moves the character and is no click; a later move starts from there.
        drag(window, Qt::LeftButton, at, at + QPoint(30, 40));
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(window.pos(), QPoint(130, 140));
        m_genie->MoveTo(400, 200);
        settle();
        QCOMPARE(window.pos(), QPoint(400, 200));
    }
};

QTEST_MAIN(TestCharacterService)
#include "tst_characterservice.moc"
