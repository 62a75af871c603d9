#include "reading/audio/SilentAudioOutput.h"

#include <QTest>

#include <vector>

using namespace lirondo;

namespace {
constexpr int kRate = 10000;
// Silence of `samples` 16-bit samples.
std::vector<char> silence(int samples)
{
    return std::vector<char>(size_t(samples) * 2, 0);
}
} // namespace

class TestAudio : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void clockNeverPassesWhatWasWritten()
    {
        SilentAudioOutput out(50.0);
        QVERIFY(out.start(kRate));
        const auto data = silence(kRate / 10); // 100 ms
        QCOMPARE(out.write(data.data(), qint64(data.size())), qint64(data.size()));
        QTRY_COMPARE(out.playedUSecs(), qint64(100000));
        QTest::qWait(50);
        QCOMPARE(out.playedUSecs(), qint64(100000));

        // After running dry the clock goes on from where it stopped, not from real time.
        QCOMPARE(out.write(data.data(), qint64(data.size())), qint64(data.size()));
        QVERIFY(out.playedUSecs() < 200000);
        QTRY_COMPARE(out.playedUSecs(), qint64(200000));
    }

    void takesOnlyWholeSamplesAndABoundedLead()
    {
        SilentAudioOutput out(1.0);
        QVERIFY(out.start(kRate));
        const auto data = silence(kRate * 10);
        QCOMPARE(out.write(data.data(), 3), qint64(2));
        const qint64 taken = out.write(data.data(), qint64(data.size()));
        QVERIFY(taken > 0 && taken < qint64(data.size()));
        QCOMPARE(taken % 2, qint64(0));
        QVERIFY(out.bytesFree() < qint64(data.size()));
    }

    void suspendStopsTheClockAndFlushKeepsIt()
    {
        SilentAudioOutput out(20.0);
        QVERIFY(out.start(kRate));
        const auto data = silence(kRate / 2);
        out.write(data.data(), qint64(data.size()));
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
        QVERIFY(out.suspended());
        out.write(data.data(), 200);
        QTest::qWait(20);
        QCOMPARE(out.playedUSecs(), qint64(0));
    }
};

QTEST_GUILESS_MAIN(TestAudio)
#include "tst_audio.moc"
