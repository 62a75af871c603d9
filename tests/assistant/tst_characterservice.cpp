#include "TestCharacter.h"
#include "assistant/CharacterPlayer.h"
#include "assistant/CharacterService.h"
#include "assistant/CharacterWindow.h"
#include "assistant/LoadedCharacter.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace lirondo;
using namespace lirondo::test;

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

private Q_SLOTS:
    void initTestCase()
    {
        m_valid = m_dir.filePath(QStringLiteral("wizard.acs"));
        QVERIFY(writeFile(m_valid, acs::writeAcs(makeTestCharacter(), true)));
    }
    void init()
    {
        m_service = std::make_unique<CharacterService>();
        QVERIFY(m_service->load(QStringLiteral("merlin"), m_valid));
        m_genie = m_service->character(QStringLiteral("merlin"));
    }

    // A second character of the same name, in any case, is refused: callers hold on to the
    // first. Missing files and files that are not characters are refused through the
    // loader (tst_charactercontrol) and the window (the bad-input test).
    void loadRefusesBadInput()
    {
        QString error;
        QVERIFY(!m_service->load(QStringLiteral("MERLIN"), m_valid, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(m_service->find(QStringLiteral("Merlin")), m_genie);
    }

    // Only the figure shows, and only the figure takes clicks; its timer runs while it moves.
    void windowShowsOnlyTheFigure()
    {
        CharacterWindow& window = m_genie->window();
        QVERIFY(!window.isVisible() && !m_genie->animating());
        m_genie->show();
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
        // A sentence's balloon lasts until it is ended: Hide cuts it short on the real timer.
        QVERIFY(m_genie->speakSentence(QStringLiteral("A sentence.")));
        QTRY_COMPARE(m_genie->player().balloonText(), QStringLiteral("A sentence."));
        m_genie->hide();
        QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 5000);
    }

    void clicksAndDrags()
    {
        m_genie->show();
        m_genie->moveTo(100, 100);
        settle();
        CharacterWindow& window = m_genie->window();
        QSignalSpy clicks(m_service.get(), &AgentService::clicked);
        const QPoint at(2, 2);
        QTest::mouseClick(&window, Qt::RightButton, {}, at);
        QTest::mouseClick(&window, Qt::LeftButton, Qt::ShiftModifier, at);
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(clicks.at(0).at(0).toString(), QStringLiteral("merlin"));
        QCOMPARE(clicks.at(0).at(1).value<Qt::MouseButton>(), Qt::RightButton);
        QCOMPARE(clicks.at(1).at(1).value<Qt::MouseButton>(), Qt::LeftButton);
        QCOMPARE(clicks.at(1).at(2).value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);

        // A drag moves the character and is no click; a later move starts from there.
        QTest::mousePress(&window, Qt::LeftButton, {}, at);
        QTest::mouseMove(&window, at + QPoint(30, 40));
        QTest::mouseRelease(&window, Qt::LeftButton, {}, at + QPoint(30, 40));
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(window.pos(), QPoint(130, 140));
        m_genie->moveTo(400, 200);
        settle();
        QCOMPARE(window.pos(), QPoint(400, 200));
    }
};

QTEST_MAIN(TestCharacterService)
#include "tst_characterservice.moc"
