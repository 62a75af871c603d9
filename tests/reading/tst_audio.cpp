#include "reading/audio/FailoverAudioOutput.h"
#include "reading/audio/SilentAudioOutput.h"

#include <QTest>

using namespace lirondo;

namespace {
constexpr int kRate = 10000;

// A sound-server output whose server can be taken away.
class FakeSound : public SilentAudioOutput
{
public:
    using SilentAudioOutput::SilentAudioOutput;
    void die() { Q_EMIT failed(); }
};
} // namespace

class TestAudio : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void clockNeverPassesWhatWasWritten()
    {
        SilentAudioOutput out(50.0);
        QVERIFY(out.start(kRate));
        const QByteArray data(kRate / 10 * 2, 0); // 100 ms of silence
        QCOMPARE(out.write(data.data(), data.size()), data.size());
        QTRY_COMPARE(out.playedUSecs(), qint64(100000));
        QTest::qWait(50);
        QCOMPARE(out.playedUSecs(), qint64(100000));

        // After running dry the clock goes on from where it stopped, not from real time.
        QCOMPARE(out.write(data.data(), data.size()), data.size());
        QVERIFY(out.playedUSecs() < 200000);
        QTRY_COMPARE(out.playedUSecs(), qint64(200000));
    }

    void takesOnlyWholeSamplesAndABoundedLead()
    {
        SilentAudioOutput out(1.0);
        QVERIFY(out.start(kRate));
        const QByteArray data(kRate * 20, 0); // ten seconds
        QCOMPARE(out.write(data.data(), 3), qint64(2));
        const qint64 taken = out.write(data.data(), data.size());
        QVERIFY(taken > 0 && taken < data.size());
        QCOMPARE(taken % 2, qint64(0));
    }

    void suspendStopsTheClockAndFlushKeepsIt()
    {
        SilentAudioOutput out(20.0);
        QVERIFY(out.start(kRate));
        const QByteArray data(kRate, 0); // half a second
        out.write(data.data(), data.size());
        out.suspend();
        const qint64 at = out.playedUSecs();
        QTest::qWait(50);
        QCOMPARE(out.playedUSecs(), at);
        out.resume();
        QTRY_VERIFY(out.playedUSecs() > at);

        // Flushed while suspended: empty, and what comes next waits for the resume.
        out.suspend();
        out.flush();
        QCOMPARE(out.playedUSecs(), qint64(0));
        out.write(data.data(), 200);
        QTest::qWait(20);
        QCOMPARE(out.playedUSecs(), qint64(0));
    }

    // The server lost: silent at once with the lost stream counted as heard, one notice
    // per loss, sound again at the next flush or while playing silently.
    void failoverKeepsTheClockAndSaysSoOnce()
    {
        bool serverUp = false;
        FakeSound* sound = nullptr;
        FailoverAudioOutput out(
            [&]() -> std::unique_ptr<AudioOutput> {
                auto made = serverUp ? std::make_unique<FakeSound>(50.0) : nullptr;
                sound = made.get();
                return made;
            },
            std::make_unique<SilentAudioOutput>(1.0));
        QStringList said;
        connect(&out, &FailoverAudioOutput::notice, this,
                [&](const QString& text) { said << text; });
        QVERIFY(out.start(kRate)); // no server at all: silent, and said so
        QVERIFY(!out.hasSound());
        QTRY_COMPARE(said, QStringList{noSoundNotice()});

        serverUp = true;
        out.flush(); // a read command
        QVERIFY(out.hasSound());
        QTRY_COMPARE(said, (QStringList{noSoundNotice(), QString()}));

        const QByteArray data(kRate / 10 * 2, 0);
        out.suspend(); // held, so nothing of it is heard before the loss
        QCOMPARE(out.write(data.data(), data.size()), data.size());
        sound->die();
        QTRY_VERIFY(!out.hasSound());
        QCOMPARE(out.playedUSecs(), qint64(100000));
        out.resume();
        QCOMPARE(out.write(data.data(), 2000), qint64(2000));
        QTRY_VERIFY(out.playedUSecs() > 100000);

        // Still silent after the flush: no second notice for the same loss.
        serverUp = false;
        out.flush();
        QVERIFY(!out.hasSound());
        QTest::qWait(20);
        QCOMPARE(said.size(), 3);

        // Back while playing silently, without a read command.
        serverUp = true;
        QTRY_VERIFY_WITH_TIMEOUT((out.write(data.data(), data.size()), out.hasSound()), 5000);
        sound->die();
        QTRY_COMPARE(said, (QStringList{noSoundNotice(), QString(), noSoundNotice(), QString(),
                                        noSoundNotice()}));
    }
};

QTEST_GUILESS_MAIN(TestAudio)
#include "tst_audio.moc"
