// How far behind its audio each word event is delivered: at each word, the output's
// playback clock minus the word's place in the audio. Reads for two minutes (or the
// seconds given) through the sound server when one exists, else the silent output.
//   bench_highlight_lag [seconds] [--silent]

#include "reading/audio/DefaultAudioOutput.h"
#include "reading/audio/SilentAudioOutput.h"
#include "reading/espeak/EspeakEngine.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace lirondo;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int seconds = 120;
    bool silent = false;
    for (const QString& a : args.mid(1)) {
        if (a == QStringLiteral("--silent"))
            silent = true;
        else if (a.toInt() > 0)
            seconds = a.toInt();
    }
    std::unique_ptr<AudioOutput> output;
    FailoverAudioOutput* sound = nullptr;
    if (silent) {
        output = std::make_unique<SilentAudioOutput>();
    } else {
        auto failover = makeDefaultAudioOutput();
        sound = failover.get();
        output = std::move(failover);
    }
    EspeakEngine engine(std::move(output));
    const bool real = sound && sound->hasSound();
    if (!engine.isValid())
        return 1;

    std::vector<double> lagsMs;
    QObject::connect(&engine, &SpeechEngine::word, &app, [&] {
        const qint64 lag = engine.output()->playedUSecs() - engine.currentEventUSecs();
        lagsMs.push_back(double(lag) / 1000.0);
    });
    const QString text =
        QStringLiteral("Reading aloud should keep the highlight on the word being heard. ")
            .repeated(400);
    engine.speak(text, SpeechEngine::Async);
    QTimer::singleShot(seconds * 1000, &app, [&] {
        engine.speak(QString(), SpeechEngine::PurgeBeforeSpeak);
        app.quit();
    });
    app.exec();

    if (lagsMs.empty()) {
        std::puts("no word events");
        return 1;
    }
    std::sort(lagsMs.begin(), lagsMs.end());
    const double median = lagsMs[lagsMs.size() / 2];
    const double p95 = lagsMs[std::min(lagsMs.size() - 1, lagsMs.size() * 95 / 100)];
    std::printf("word delivery behind its audio, %zu words over %d s (%s output)\n", lagsMs.size(),
                seconds, real ? "sound-server" : "silent");
    std::printf("  median: %.2f ms\n  95th percentile: %.2f ms\n", median, p95);
    const bool ok = p95 <= 20.0;
    std::printf("  budget 20 ms: %s\n", ok ? "met" : "EXCEEDED");
    return ok ? 0 : 2;
}
