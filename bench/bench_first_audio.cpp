// Time from the read command's speak calls (a purge, then the text) to the first audio
// block handed to the output, for a short and a 50 MB text; and from a rate change in the
// middle of a reading to the first block at the new rate. With a sound server: from the
// speak calls to the first block the server's stream took, that stream having been closed
// while idle.

#include "reading/audio/DefaultAudioOutput.h"
#include "reading/audio/QtAudioOutput.h"
#include "reading/audio/SilentAudioOutput.h"
#include "reading/espeak/EspeakEngine.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace lirondo;

namespace {

constexpr double kBudgetMs = 30.0;
constexpr int kRuns = 7;

class TimingOutput final : public SilentAudioOutput
{
public:
    qint64 write(const char* data, qint64 bytes) override
    {
        if (waiting && bytes > 0) {
            firstBlockNs = clock.nsecsElapsed();
            waiting = false;
        }
        return SilentAudioOutput::write(data, bytes);
    }
    QElapsedTimer clock;
    bool waiting = false;
    qint64 firstBlockNs = 0;
};

QString makeText(qsizetype bytes)
{
    const QString sentence = QStringLiteral("The quick brown fox jumps over the lazy dog. ");
    QString text;
    text.reserve(bytes);
    while (text.size() < bytes)
        text += sentence;
    text.truncate(bytes);
    return text;
}

// beforeEach runs ahead of each timed run, untimed.
template <typename Output>
double medianMs(EspeakEngine& engine, Output& output, const QString& text,
                const std::function<void()>& beforeEach = {})
{
    std::vector<double> runs;
    for (int i = 0; i < kRuns; ++i) {
        if (beforeEach)
            beforeEach();
        output.waiting = true;
        output.clock.start();
        engine.speak(QString(), SpeechEngine::PurgeBeforeSpeak);
        engine.speak(text, SpeechEngine::Async);
        while (output.waiting)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        runs.push_back(output.firstBlockNs / 1e6);
        engine.speak(QString(), SpeechEngine::PurgeBeforeSpeak);
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

// A rate change once a few words of the 50 MB text have been heard: what was made ahead
// at the old rate is dropped, so the next block written is at the new rate.
double rateChangeMedianMs(EspeakEngine& engine, TimingOutput& output, const QString& text)
{
    std::vector<double> runs;
    int words = 0;
    QObject::connect(&engine, &SpeechEngine::word, [&] { ++words; });
    for (int i = 0; i < kRuns; ++i) {
        engine.setRate(i % 2 ? 10 : -10);
        engine.speak(text, SpeechEngine::Async | SpeechEngine::PurgeBeforeSpeak);
        words = 0;
        while (words < 3)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        output.waiting = true;
        output.clock.start();
        engine.setRate(i % 2 ? -10 : 10);
        while (output.waiting)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        runs.push_back(output.firstBlockNs / 1e6);
    }
    engine.speak(QString(), SpeechEngine::PurgeBeforeSpeak);
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

// Hands everything on to the default output, timing the first block it takes.
class TimingSound final : public AudioOutput
{
public:
    explicit TimingSound(std::unique_ptr<FailoverAudioOutput> inner) : m_inner(std::move(inner))
    {
        connect(m_inner.get(), &AudioOutput::writable, this, &AudioOutput::writable);
    }
    bool start(int sampleRate) override { return m_inner->start(sampleRate); }
    qint64 write(const char* data, qint64 bytes) override
    {
        const qint64 done = m_inner->write(data, bytes);
        if (waiting && done > 0) {
            firstBlockNs = clock.nsecsElapsed();
            waiting = false;
        }
        return done;
    }
    qint64 bytesFree() const override { return m_inner->bytesFree(); }
    void flush() override { m_inner->flush(); }
    void suspend() override { m_inner->suspend(); }
    void resume() override { m_inner->resume(); }
    qint64 playedUSecs() const override { return m_inner->playedUSecs(); }
    void setGain(double gain) override { m_inner->setGain(gain); }
    // The server's stream, while it is open.
    bool streamOpen() const
    {
        const auto* sound = dynamic_cast<const QtAudioOutput*>(m_inner->current());
        return sound && sound->isOpen();
    }
    bool hasSound() const { return m_inner->hasSound(); }

    QElapsedTimer clock;
    bool waiting = false;
    qint64 firstBlockNs = 0;

private:
    std::unique_ptr<FailoverAudioOutput> m_inner;
};

// -1 without a sound server.
double afterIdleCloseMedianMs(const QString& text)
{
    auto owned = std::make_unique<TimingSound>(makeDefaultAudioOutput());
    TimingSound& output = *owned;
    EspeakEngine engine(std::move(owned));
    if (!output.hasSound())
        return -1;
    return medianMs(engine, output, text, [&output] {
        QElapsedTimer idle;
        idle.start();
        while (output.streamOpen() && idle.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    });
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    auto owned = std::make_unique<TimingOutput>();
    TimingOutput& output = *owned;
    EspeakEngine engine(std::move(owned));
    if (!engine.isValid())
        return 1;

    const QString small = makeText(1024);
    const QString large = makeText(50 * 1024 * 1024);
    const double smallMs = medianMs(engine, output, small);
    const double largeMs = medianMs(engine, output, large);
    std::printf("first audio block after speak (median of %d runs)\n", kRuns);
    std::printf("  1 KB text:  %.2f ms\n", smallMs);
    std::printf("  50 MB text: %.2f ms\n", largeMs);
    std::printf("  ratio 50 MB / 1 KB: %.2f\n", smallMs > 0 ? largeMs / smallMs : 0.0);
    const double rateMs = rateChangeMedianMs(engine, output, large);
    std::printf("rate change (-10 <-> 10) to first audio at the new rate: %.2f ms\n", rateMs);
    const double idleMs = afterIdleCloseMedianMs(small);
    if (idleMs >= 0)
        std::printf("sound server, stream closed while idle, to first block taken: %.2f ms\n",
                    idleMs);
    else
        std::printf("no sound server: the idle-close figure is left out\n");
    const bool ok = std::max({smallMs, largeMs, rateMs, idleMs}) <= kBudgetMs;
    std::printf("  budget %.0f ms: %s\n", kBudgetMs, ok ? "met" : "EXCEEDED");
    return ok ? 0 : 2;
}
