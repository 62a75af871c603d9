// Export speed and memory: a 1 MB mixed Chinese/English text to FLAC (real-time factor,
// CPU time, peak RSS), side by side with espeak-ng's own command line writing a WAV of the
// same text when it is installed; then the resident size while exporting a 50 MB text,
// for its first minutes when the whole would take too long.
//
//   bench_export [MEGABYTES=1] [BIG_MEGABYTES=50] [BIG_SECONDS=180]

#include "common/Gbk.h"
#include "export/Exporter.h"
#include "reading/espeak/EspeakSynthesizer.h"

#include <sndfile.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace lirondo;

namespace {

QString makeText(qsizetype utf8Bytes)
{
    QString text;
    qsizetype bytes = 0;
    for (int i = 0; bytes < utf8Bytes; ++i) {
        const QString line = QStringLiteral("第%1段：今天我们一起学习新的课文，The quick brown fox "
                                            "jumps over the lazy dog. 明天继续读书。\n")
                                 .arg(i);
        bytes += line.toUtf8().size();
        text += line;
    }
    return text;
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double rssMb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return double(fields.value(1).toLongLong()) * double(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

double peakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// espeak-ng writes a WAV's sizes in 32 bits: past 4 GB they wrap, so the file's own size
// counts (16-bit mono after a 44-byte header).
double wavSeconds(const QString& path)
{
    SF_INFO info{};
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!f)
        return 0;
    sf_close(f);
    const double fromSize = double(QFile(path).size() - 44) / 2.0;
    return info.samplerate > 0 ? std::max(double(info.frames), fromSize) / info.samplerate : 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QStringList args = app.arguments();
    const double megabytes = args.size() > 1 ? args.at(1).toDouble() : 1.0;
    const double bigMegabytes = args.size() > 2 ? args.at(2).toDouble() : 50.0;
    const double bigSeconds = args.size() > 3 ? args.at(3).toDouble() : 180.0;

    GbkCodePage gbk;
    EspeakSynthesizer& synth = EspeakSynthesizer::shared();
    if (synth.sampleRate() <= 0) {
        std::printf("espeak-ng did not start\n");
        return 1;
    }
    QTemporaryDir dir;
    const double idle = rssMb();
    std::printf("idle RSS: %.1f MB\n", idle);

    // 1. Speed.
    const QString text = makeText(qsizetype(megabytes * 1048576));
    const QString textPath = dir.filePath(QStringLiteral("text.txt"));
    {
        QFile f(textPath);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(text.toUtf8());
    }
    Exporter exporter(synth, gbk);
    QElapsedTimer wall;
    ExportRequest request;
    request.text = text;
    request.outputPath = dir.filePath(QStringLiteral("out.flac"));
    double seconds = 0, audio = 0;
    // Mixed reading (two voices, a switch at every run), then the Chinese voice alone as
    // espeak-ng's command line reads it.
    for (const bool mixed : {true, false}) {
        request.mixed = mixed;
        wall.start();
        const double cpu0 = cpuSeconds();
        const ExportResult result = exporter.run(request);
        seconds = double(wall.nsecsElapsed()) / 1e9;
        const double cpu = cpuSeconds() - cpu0;
        if (!result.ok()) {
            std::printf("export failed: %s\n", qPrintable(exportMessage(result.status, {})));
            return 1;
        }
        audio = double(result.samples) / result.sampleRate;
        std::printf("export %.1f MB %s -> FLAC: %.0f s of audio in %.1f s (%.0fx real time), "
                    "CPU %.1f s (%.0fx per CPU second), %d cues, %d words, FLAC %.1f MB\n",
                    double(text.toUtf8().size()) / 1048576.0, mixed ? "mixed" : "plain", audio,
                    seconds, audio / seconds, cpu, audio / cpu, result.sentences, result.words,
                    double(QFile(request.outputPath).size()) / 1048576.0);
        QFile::remove(request.outputPath);
    }
    std::printf("peak RSS so far: %.1f MB (%.1f above idle)\n", peakRssMb(), peakRssMb() - idle);

    const QString espeak = QStandardPaths::findExecutable(QStringLiteral("espeak-ng"));
    if (espeak.isEmpty()) {
        std::printf("espeak-ng command not installed: comparison skipped\n");
    } else {
        const QString wav = dir.filePath(QStringLiteral("espeak.wav"));
        QProcess p;
        wall.restart();
        p.start(espeak, {QStringLiteral("-v"), QStringLiteral("cmn"), QStringLiteral("-w"), wav,
                         QStringLiteral("-f"), textPath});
        p.waitForFinished(-1);
        const double theirs = double(wall.nsecsElapsed()) / 1e9;
        rusage child{};
        getrusage(RUSAGE_CHILDREN, &child);
        const double childCpu = double(child.ru_utime.tv_sec + child.ru_stime.tv_sec) +
                                double(child.ru_utime.tv_usec + child.ru_stime.tv_usec) / 1e6;
        const double theirAudio = wavSeconds(wav);
        std::printf("espeak-ng -v cmn -w: %.0f s of audio in %.1f s (%.0fx real time), CPU "
                    "%.1f s; plain export / espeak-ng wall time: %.2f\n",
                    theirAudio, theirs, theirAudio / theirs, childCpu, seconds / theirs);
    }

    // 2. Memory on a big text: the growth above the size with the text loaded.
    if (bigMegabytes > 0) {
        ExportRequest big;
        big.text = makeText(qsizetype(bigMegabytes * 1048576));
        big.mixed = true;
        big.outputPath = dir.filePath(QStringLiteral("big.flac"));
        const double loaded = rssMb();
        double highest = loaded;
        std::atomic<bool> stop{false};
        QElapsedTimer clock;
        clock.start();
        double fraction = 0, audioSeconds = 0;
        const auto progress = [&](const ExportProgress& p) {
            highest = std::max(highest, rssMb());
            fraction = p.fraction;
            audioSeconds = p.audioSeconds;
            if (double(clock.elapsed()) / 1000.0 > bigSeconds)
                stop.store(true);
        };
        const ExportResult r = Exporter(synth, gbk).run(big, progress, &stop);
        std::printf("export %.0f MB mixed -> FLAC: %s after %.0f s, %.2f%% of the text, %.0f s "
                    "of audio; RSS with the text loaded %.1f MB, highest while exporting %.1f MB "
                    "(+%.1f MB; %.1f MB above idle)\n",
                    bigMegabytes, r.ok() ? "done" : "stopped", double(clock.elapsed()) / 1000.0,
                    fraction * 100, audioSeconds, loaded, highest, highest - loaded,
                    highest - idle);
    }
    return 0;
}
