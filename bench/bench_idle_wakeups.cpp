// How often the reading engine and its sound output wake the process while nothing is
// read: before the first reading, and after a reading has ended (once its output has had
// time to close). Counted from the kernel's context switches of every thread of the
// process over 30 s each (the measuring timer itself costs one). Run it with a sound
// server (PULSE_SERVER) to measure the real sink; without one the silent output is used.
//
//   bench_idle_wakeups [SECONDS]

#include "reading/audio/DefaultAudioOutput.h"
#include "reading/espeak/EspeakEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace lirondo;

namespace {

qint64 contextSwitches()
{
    qint64 total = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(task) + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:") ||
                line.startsWith("nonvoluntary_ctxt_switches:"))
                total += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
        }
    }
    return total;
}

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double wakeupsPerSecond(int seconds)
{
    const qint64 before = contextSwitches();
    wait(seconds * 1000);
    return double(contextSwitches() - before) / seconds;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 30;
    auto engine = makeEspeakEngine(makeDefaultAudioOutput());
    if (!engine)
        return 1;
    wait(2000);
    const double fresh = wakeupsPerSecond(seconds);

    bool ended = false;
    QObject::connect(engine.get(), &SpeechEngine::endStream, [&] { ended = true; });
    engine->speak(QStringLiteral("The quick brown fox jumps over the lazy dog."),
                  SpeechEngine::Async);
    while (!ended)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    // The output may keep its sink open for a short grace after the end.
    wait(3000);
    const double afterReading = wakeupsPerSecond(seconds);

    std::printf("wake-ups per second over %d s\n", seconds);
    std::printf("  before any reading: %.2f\n", fresh);
    std::printf("  after a reading:    %.2f\n", afterReading);
    return 0;
}
