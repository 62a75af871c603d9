// An idle program must not wake up more than it needs to: the main window's ten-second
// tick, the reminder's one-second clock once the reminder exists, and nothing else. The
// espeak engine sitting idle, before and after it spoke, wakes nothing.

#include "common/Gbk.h"
#include "fakes/FakeAgent.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeFileDialog.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeSpeechEngine.h"
#include "reading/audio/SilentAudioOutput.h"
#include "reading/espeak/EspeakEngine.h"
#include "reminder/jihua.h"
#include "shell/Form1.h"

#include <QSignalSpy>
#include <QStyleHints>
#include <QTest>
#include <QTimer>

using namespace lirondo;
using namespace lirondo::test;

namespace {

// "Form1.Timer1 10000 ms", for every active QTimer under the given roots.
QStringList activeTimers(const QObjectList& roots)
{
    QStringList result;
    for (QObject* root : roots) {
        QList<QTimer*> timers = root->findChildren<QTimer*>();
        if (auto* self = qobject_cast<QTimer*>(root))
            timers.prepend(self);
        for (const QTimer* timer : timers) {
            if (!timer->isActive())
                continue;
            const QObject* owner = timer->parent();
            result.append(QStringLiteral("%1.%2 %3 ms")
                              .arg(owner ? QString::fromLatin1(owner->metaObject()->className())
                                         : QStringLiteral("-"),
                                   timer->objectName())
                              .arg(timer->interval()));
        }
    }
    result.sort();
    return result;
}

// Counts the timer events the application delivers, by receiver.
class TimerEventCounter : public QObject
{
public:
    TimerEventCounter() { QCoreApplication::instance()->installEventFilter(this); }
    ~TimerEventCounter() override { QCoreApplication::instance()->removeEventFilter(this); }

    // Receivers named "Class.objectName" (the parent's class for an unnamed QTimer),
    // each with its count, leaving out the platform's own housekeeping.
    QMap<QString, int> counts;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Timer)
            ++counts[describe(watched)];
        return false;
    }

private:
    static QString describe(const QObject* receiver)
    {
        const QObject* named = receiver;
        if (qobject_cast<const QTimer*>(receiver) && receiver->parent())
            named = receiver->parent();
        return QString::fromLatin1(named->metaObject()->className()) + u'.' +
               receiver->objectName();
    }
};

QMap<QString, int> timerEventsDuring(int ms)
{
    TimerEventCounter counter;
    QTest::qWait(ms);
    return counter.counts;
}

struct IdleWindow
{
    IdleWindow()
        : form(Form1Services{engine, messages, dialog, agent, clock, gbk,
                             QStringLiteral("/nowhere")})
    {
        form.Timer1->setObjectName(QStringLiteral("Timer1"));
        form.show();
    }

    GbkCodePage gbk;
    FakeSpeechEngine engine{voicesNamed(
        {QStringLiteral("Microsoft Simplified Chinese"), QStringLiteral("Microsoft Mike")})};
    FakeMessageBox messages;
    FakeFileDialog dialog;
    FakeAgentService agent;
    FakeClock clock;
    Form1 form;
};

} // namespace

class TestIdleTimers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The text box's caret blinks twice a second while it has the focus, as every text
    // box does, by the desktop's setting; switched off here so the count sees the rest.
    void initTestCase() { QGuiApplication::styleHints()->setCursorFlashTime(0); }
    void idleWindow();
    void idleEngine();
};

void TestIdleTimers::idleWindow()
{
    IdleWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    QCOMPARE(activeTimers({&w.form}),
             QStringList{QStringLiteral("lirondo::Form1.Timer1 10000 ms")});
    // Start-up leaves the list view one deferred layout to do.
    QTest::qWait(200);
    QCOMPARE(timerEventsDuring(1500), (QMap<QString, int>{}));

    // The first tick brings the reminder into being, and with it its clock.
    w.form.Timer1_Timer();
    jihua* reminder = w.form.jihuaForm();
    QVERIFY(reminder);
    reminder->Timer1->setObjectName(QStringLiteral("Timer1"));
    QCOMPARE(activeTimers({&w.form, reminder}),
             (QStringList{QStringLiteral("lirondo::Form1.Timer1 10000 ms"),
                          QStringLiteral("lirondo::jihua.Timer1 1000 ms")}));
    const QMap<QString, int> events = timerEventsDuring(1500);
    QCOMPARE(events.keys(), QStringList{QStringLiteral("lirondo::jihua.Timer1")});
    QVERIFY2(events.first() <= 2, qPrintable(QString::number(events.first())));
}

void TestIdleTimers::idleEngine()
{
    auto owned = std::make_unique<SilentAudioOutput>(20.0);
    SilentAudioOutput* output = owned.get();
    EspeakEngine engine(std::move(owned));
    QVERIFY(engine.isValid());
    QCOMPARE(activeTimers({&engine, output}), QStringList{});
    QCOMPARE(timerEventsDuring(1000), (QMap<QString, int>{}));

    // Speech that has ended leaves nothing running behind it.
    QSignalSpy ended(&engine, &SpeechEngine::endStream);
    const int stream = engine.speak(QStringLiteral("One, two."), SpeechEngine::Async);
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 20000);
    QCOMPARE(ended.first().first().toInt(), stream);
    QTRY_COMPARE_WITH_TIMEOUT(activeTimers({&engine, output}), QStringList{}, 5000);
    QCOMPARE(timerEventsDuring(1000), (QMap<QString, int>{}));

    // So does speech that was purged half way.
    engine.speak(QStringLiteral("This sentence is long enough to be cut off in the middle."),
                 SpeechEngine::Async);
    QTest::qWait(100);
    engine.speak(QString(), SpeechEngine::PurgeBeforeSpeak);
    QTRY_COMPARE_WITH_TIMEOUT(activeTimers({&engine, output}), QStringList{}, 5000);
    QCOMPARE(timerEventsDuring(1000), (QMap<QString, int>{}));
}

QTEST_MAIN(TestIdleTimers)
#include "tst_idle_timers.moc"
