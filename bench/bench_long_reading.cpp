// A long reading on the real engine: a 1 MB mixed Chinese/English text in the main window,
// loop and mixed reading on, the read command once, then resident memory and CPU time
// once a minute of wall time until the given number of minutes is up.
//
// Usage: bench_long_reading [minutes=30] [speed=20]
// Prints one line per minute: "minute N rss_kib R cpu_s C words W passes P".

#include "common/Gbk.h"
#include "fakes/FakeAgent.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeFileDialog.h"
#include "fakes/FakeMessageBox.h"
#include "reading/ReadingController.h"
#include "reading/audio/SilentAudioOutput.h"
#include "reading/espeak/EspeakEngine.h"
#include "shell/Form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <unistd.h>

using namespace lirondo;

namespace {

qint64 residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().simplified().split(' ');
    if (fields.size() < 2)
        return -1;
    return fields[1].toLongLong() * (sysconf(_SC_PAGESIZE) / 1024);
}

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Paragraphs that switch language often, so the mixed reading makes many runs.
QString mixedText(qsizetype utf8Bytes)
{
    const QString paragraph = QStringLiteral(
        "今天我们读一段文字。The weather is fine and the river runs slowly. "
        "他说：这本书很好看，particularly the second chapter. 明天见！\n"
        "Numbers such as 2026 and words like Qt or espeak are read too. 中文和英文轮流朗读。\n");
    const qsizetype unit = paragraph.toUtf8().size();
    QString text;
    text.reserve(utf8Bytes);
    for (qsizetype n = 0; n + unit <= utf8Bytes; n += unit)
        text += paragraph;
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int minutes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 30;
    const double speed = argc > 2 ? QString::fromLocal8Bit(argv[2]).toDouble() : 20.0;
    if (minutes <= 0 || speed <= 0) {
        std::fprintf(stderr, "usage: bench_long_reading [minutes>0] [speed>0]\n");
        return 2;
    }

    auto engine = std::make_unique<EspeakEngine>(std::make_unique<SilentAudioOutput>(speed));
    if (!engine->isValid()) {
        std::fprintf(stderr, "espeak-ng did not start\n");
        return 1;
    }
    GbkCodePage gbk;
    test::FakeMessageBox messages;
    test::FakeFileDialog dialog;
    test::FakeClock clock;
    test::FakeAgentService agent;
    Form1 form(Form1Services{*engine, messages, dialog, agent, clock, gbk,
                             QCoreApplication::applicationDirPath()});
    form.show();

    qint64 words = 0;
    qint64 passes = 0;
    QObject::connect(engine.get(), &SpeechEngine::word, &form, [&] { ++words; });
    // A pass ends when the mixed reading wraps round to its first run again.
    int lastRun = 0;
    QObject::connect(engine.get(), &SpeechEngine::endStream, &form, [&] {
        // The window's own handler, connected first, has moved on to the next run.
        const int run = form.reading().runIndex();
        if (run < lastRun) {
            ++passes;
            std::printf("pass %lld rss_kib %lld cpu_s %.1f\n", static_cast<long long>(passes),
                        static_cast<long long>(residentKiB()), cpuSeconds());
            std::fflush(stdout);
        }
        lastRun = run;
    });

    const QString text = mixedText(1024 * 1024);
    form.setDocumentText(text);
    form.Check1->setChecked(true);
    if (!form.Check2->isEnabled()) {
        std::fprintf(stderr, "mixed reading is not available (no Chinese or English voice)\n");
        return 1;
    }
    form.Check2->setChecked(true);
    std::printf("text %lld chars, speed %.0fx, %d minutes, start rss_kib %lld\n",
                static_cast<long long>(text.size()), speed, minutes,
                static_cast<long long>(residentKiB()));
    std::fflush(stdout);
    form.reading().read();

    int minute = 0;
    QTimer sample;
    sample.setInterval(60 * 1000);
    QObject::connect(&sample, &QTimer::timeout, &app, [&] {
        ++minute;
        std::printf("minute %d rss_kib %lld cpu_s %.1f words %lld passes %lld\n", minute,
                    static_cast<long long>(residentKiB()), cpuSeconds(),
                    static_cast<long long>(words), static_cast<long long>(passes));
        std::fflush(stdout);
        if (minute >= minutes) {
            form.reading().stop();
            QCoreApplication::quit();
        }
    });
    sample.start();
    return QApplication::exec();
}
