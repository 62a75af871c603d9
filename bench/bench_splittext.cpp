// split throughput and memory on about 50 MB (as GBK) of mixed Chinese/English text.
// Budget: at least 200 MB/s; memory grows with the number of runs, not of characters.
#include "common/Gbk.h"
#include "reading/LanguageRuns.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace lirondo;

namespace {

// Resident memory now, from /proc: unlike the peak, it shows what the split itself keeps.
double residentMiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096.0 / (1 << 20) : -1;
}

// CPU time of this thread: on a shared machine, wall time mostly measures the others.
double threadSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

QString mixedText(qsizetype gbkBytes)
{
    const QStringList english = {QStringLiteral("the"),   QStringLiteral("reading"),
                                 QStringLiteral("voice"), QStringLiteral("Hello"),
                                 QStringLiteral("OK"),    QStringLiteral("Qt6")};
    const QStringList chinese = {QStringLiteral("中文"),     QStringLiteral("朗读"),
                                 QStringLiteral("世界"),     QStringLiteral("你好！"),
                                 QStringLiteral("语音选项"), QStringLiteral("ｈｉ")};
    const QStringList neutral = {QStringLiteral(" "), QStringLiteral(", "), QStringLiteral("2003"),
                                 QStringLiteral(".\r\n"), QStringLiteral(" (1) ")};
    QRandomGenerator rng(42);
    QString text;
    text.reserve(gbkBytes);
    qsizetype bytes = 0;
    while (bytes < gbkBytes) {
        const int kind = rng.bounded(3);
        const QStringList& words = kind == 0 ? english : kind == 1 ? chinese : neutral;
        const QString& w = words.at(rng.bounded(int(words.size())));
        text += w;
        bytes += kind == 1 ? 2 * w.size() : w.size();
    }
    return text;
}

} // namespace

int main()
{
    constexpr qsizetype kBytes = 50 << 20;
    const GbkCodePage gbk;
    if (!gbk.isValid()) {
        std::fprintf(stderr, "no GBK converter\n");
        return 1;
    }
    const QString text = mixedText(kBytes);
    const double utf16MB = text.size() * 2.0 / 1e6;
    const double gbkMB = kBytes / 1e6;

    LanguageRuns split(gbk);
    const double before = residentMiB();
    split.split(text, 0, 1, 2);
    const double after = residentMiB();

    std::vector<double> wall, cpu;
    for (int i = 0; i < 7; ++i) {
        QElapsedTimer t;
        const double c0 = threadSeconds();
        t.start();
        split.split(text, 0, 1, 2);
        wall.push_back(t.nsecsElapsed() / 1e9);
        cpu.push_back(threadSeconds() - c0);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    const double wallMedian = wall[wall.size() / 2];
    const double cpuMedian = cpu[cpu.size() / 2];
    const double rate = gbkMB / cpuMedian;
    const double kept = (after - before) * (1 << 20);

    std::printf("text: %lld characters, %.1f MB as GBK, %.1f MB as UTF-16\n",
                static_cast<long long>(text.size()), gbkMB, utf16MB);
    std::printf("runs: %lld (%.1f characters a run)\n", static_cast<long long>(split.runCount()),
                double(text.size()) / double(split.runCount()));
    std::printf("split, wall: median %.1f ms, best %.1f ms (%.0f MB/s of GBK text)\n",
                wallMedian * 1e3, wall.front() * 1e3, gbkMB / wallMedian);
    std::printf("split, CPU: median %.1f ms: %.0f MB/s of GBK text, %.0f MB/s of UTF-16\n",
                cpuMedian * 1e3, rate, utf16MB / cpuMedian);
    std::printf("memory kept by the split: %.1f MiB (%.2f bytes a run, %.3f a character)\n",
                kept / (1 << 20), kept / double(split.runCount()), kept / double(text.size()));
    std::printf("budget 200 MB/s (CPU time): %s\n", rate >= 200 ? "met" : "MISSED");
    return rate >= 200 ? 0 : 2;
}
