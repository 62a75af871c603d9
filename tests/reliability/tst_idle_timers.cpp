// An idle program must not wake up more than it needs to: the main window's ten-second
// tick, the reminder's one-second clock once the reminder exists, and nothing else. The
// espeak engine sitting idle, before and after it spoke, wakes nothing.

#include "fakes/MainWindowFakes.h"
#include "fakes/TimerEvents.h"
#include "reading/audio/FailoverAudioOutput.h"
#include "reading/audio/SilentAudioOutput.h"
#include "reading/espeak/EspeakEngine.h"
#include "reminder/ReminderWindow.h"

#include <QSignalSpy>
#include <QStyleHints>
#include <QTest>
#include <QTimer>

using namespace lirondo;
using namespace lirondo::test;
using namespace Qt::StringLiterals;

namespace {

// "Class.objectName", with the owner's class for a timer.
QString describe(const QObject* object)
{
    const QObject* owner = qobject_cast<const QTimer*>(object) ? object->parent() : object;
    return QString::fromLatin1((owner ? owner : object)->metaObject()->className()) + u'.' +
           object->objectName();
}

// "lirondo::MainWindow.tickTimer 10000 ms", for every active QTimer under the given roots.
QStringList activeTimers(const QObjectList& roots)
{
    QStringList result;
    for (QObject* root : roots) {
        for (const QTimer* timer : root->findChildren<QTimer*>()) {
            if (timer->isActive())
                result.append(u"%1 %2 ms"_s.arg(describe(timer)).arg(timer->interval()));
        }
    }
    result.sort();
    return result;
}

} // namespace

class TestIdleTimers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The text box's caret blinks twice a second while it has the focus, as every text
    // box does, by the desktop's setting; switched off here so the count sees the rest.
    void initTestCase() { QGuiApplication::styleHints()->setCursorFlashTime(0); }

    void idleWindow()
    {
        MainWindowFakes fakes;
        MainWindow form(fakes.services(u"/nowhere"_s));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(activeTimers({&form}), QStringList{u"lirondo::MainWindow.tickTimer 10000 ms"_s});
        // Start-up leaves the list view one deferred layout to do.
        QTest::qWait(200);
        QCOMPARE(timerEventsDuring(1500, describe), (QMap<QString, int>{}));

        // The first tick brings the reminder into being, and with it its clock.
        form.tick();
        ReminderWindow* reminder = form.sideWindows().reminderWindow();
        QVERIFY(reminder);
        QCOMPARE(activeTimers({&form, reminder}),
                 (QStringList{u"lirondo::MainWindow.tickTimer 10000 ms"_s,
                              u"lirondo::ReminderWindow.clockTimer 1000 ms"_s}));
        const QMap<QString, int> events = timerEventsDuring(1500, describe);
        QCOMPARE(events.keys(), QStringList{u"lirondo::ReminderWindow.clockTimer"_s});
        QVERIFY2(events.first() <= 2, qPrintable(QString::number(events.first())));
    }

    // Idle before it speaks, after a text has ended, and after one was purged half way,
    // on the default output with no sound server: its tries to find one stop too.
    void idleEngine()
    {
        auto owned =
            std::make_unique<FailoverAudioOutput>([] { return std::unique_ptr<AudioOutput>(); },
                                                  std::make_unique<SilentAudioOutput>(20.0));
        FailoverAudioOutput* output = owned.get();
        EspeakEngine engine(std::move(owned));
        QVERIFY(engine.isValid());
        QSignalSpy ended(&engine, &SpeechEngine::endStream);
        const char* phases[] = {"before speaking", "after an end", "after a purge"};
        for (int phase = 0; phase < 3; ++phase) {
            if (phase == 1) {
                engine.speak(u"One, two."_s, SpeechEngine::Async);
                QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 20000);
            } else if (phase == 2) {
                engine.speak(u"This sentence is long enough to be cut off in the middle."_s,
                             SpeechEngine::Async);
                QTest::qWait(100);
                engine.speak(QString(), SpeechEngine::PurgeBeforeSpeak);
            }
            QTRY_COMPARE_WITH_TIMEOUT(activeTimers({&engine, output, output->current()}),
                                      QStringList{}, 5000);
            QVERIFY2(timerEventsDuring(1000, describe).isEmpty(), phases[phase]);
        }
    }
};

QTEST_MAIN(TestIdleTimers)
#include "tst_idle_timers.moc"
