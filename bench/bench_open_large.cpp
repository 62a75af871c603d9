// Opening large files in the text box: the program's path (read, decode and build the
// document on the loader's thread, its start shown first) against a bare
// QPlainTextEdit::setPlainText of the same text, each measured in a fresh process so the
// resident memory is its own. For each file: time to the first text painted, the longest
// stall of the UI thread (a 1 ms timer measuring its own lateness), time to fully loaded,
// and resident memory once loaded (and its peak).
//
//   bench_open_large [--quick]      all sizes (--quick: without the 300 MB file)
// Set LIRONDO_BENCH_DIR to keep the generated files between runs.

#include "common/Gbk.h"
#include "documents/TextDecoder.h"
#include "documents/TextLoader.h"
#include "shell/PlainTextDocument.h"
#include "shell/ReadingTextEdit.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace lirondo;

namespace {

struct Figures
{
    double visibleMs = 0;
    double stallMs = 0;
    double loadedMs = 0;
    double rssMb = 0;
    double peakMb = 0;
};

// VmRSS in /proc/self/status lags behind what worker threads allocated; smaps_rollup
// counts the pages themselves.
double procMb(const char* file, const char* key)
{
    QFile status(QString::fromLatin1(file));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// Measures how late a 1 ms timer on the UI thread fires: the longest time the thread
// could not answer.
class StallProbe
{
public:
    StallProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    double longestMs() const { return std::max<qint64>(0, m_longest - 1'000'000) / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

// Calls back at the next paint of a widget that shows text.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget* viewport) { viewport->installEventFilter(this); }
    std::function<void()> onPaint;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && onPaint) {
            auto call = std::move(onPaint);
            onPaint = nullptr;
            // After the paint itself has run.
            QTimer::singleShot(0, call);
        }
        return false;
    }
};

void settle(QWidget& widget)
{
    widget.resize(900, 700);
    widget.show();
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

Figures bare(const QString& path, const GbkCodePage& gbk)
{
    QPlainTextEdit edit;
    settle(edit);
    Figures f;
    PaintWatch watch(edit.viewport());
    StallProbe probe;
    QElapsedTimer clock;
    QTimer::singleShot(5, [&] {
        clock.start();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            QCoreApplication::exit(1);
        edit.setPlainText(decodeTextFile(file.readAll(), gbk));
        watch.onPaint = [&] {
            f.visibleMs = f.loadedMs = clock.nsecsElapsed() / 1e6;
            QTimer::singleShot(500, qApp, &QCoreApplication::quit);
        };
        edit.viewport()->update();
    });
    QCoreApplication::exec();
    f.stallMs = probe.longestMs();
    f.rssMb = procMb("/proc/self/smaps_rollup", "Rss:");
    f.peakMb = procMb("/proc/self/status", "VmHWM:");
    return f;
}

Figures program(const QString& path, const GbkCodePage& gbk)
{
    ReadingTextEdit edit;
    settle(edit);
    Figures f;
    PaintWatch watch(edit.viewport());
    QElapsedTimer clock;
    bool shownOnce = false;
    TextLoader loader(
        gbk,
        [font = edit.font()](const QString& text, const TextLoader::Step& step) {
            return std::unique_ptr<QObject>(makePlainTextDocument(text, font, step).release());
        },
        [&](std::unique_ptr<QObject> made, bool complete) {
            std::unique_ptr<QTextDocument> document(qobject_cast<QTextDocument*>(made.release()));
            if (!document)
                return;
            if (complete)
                edit.replaceDocument(std::move(document));
            else
                edit.showLoadingStart(std::move(document));
            if (!shownOnce) {
                shownOnce = true;
                watch.onPaint = [&] { f.visibleMs = clock.nsecsElapsed() / 1e6; };
            }
            if (complete) {
                // Fully loaded once the whole document has been laid out and painted.
                QTimer::singleShot(0, [&] {
                    watch.onPaint = [&] {
                        f.loadedMs = clock.nsecsElapsed() / 1e6;
                        if (f.visibleMs == 0)
                            f.visibleMs = f.loadedMs;
                        QTimer::singleShot(500, qApp, &QCoreApplication::quit);
                    };
                    edit.viewport()->update();
                });
            }
        });
    QObject::connect(&loader, &TextLoader::failed, [] { QCoreApplication::exit(1); });
    StallProbe probe;
    QTimer::singleShot(5, [&] {
        clock.start();
        edit.beginLoading();
        loader.load(path);
    });
    QCoreApplication::exec();
    f.stallMs = probe.longestMs();
    f.rssMb = procMb("/proc/self/smaps_rollup", "Rss:");
    f.peakMb = procMb("/proc/self/status", "VmHWM:");
    return f;
}

int child(int argc, char** argv)
{
    QApplication app(argc, argv);
    const GbkCodePage gbk;
    if (!gbk.isValid())
        return 1;
    const QString kind = QString::fromLocal8Bit(argv[2]);
    const QString path = QString::fromLocal8Bit(argv[3]);
    const Figures f = kind == QLatin1String("bare") ? bare(path, gbk) : program(path, gbk);
    std::printf("%.1f %.1f %.1f %.1f %.1f\n", f.visibleMs, f.stallMs, f.loadedMs, f.rssMb,
                f.peakMb);
    return 0;
}

// Lines of mixed text; a long-line shape (about 230 bytes a line, as a novel's
// paragraphs) and a short-line one (about 57 bytes, as verse or subtitles).
bool writeFile(const QString& path, qint64 size, bool shortLines, bool asGbk,
               const GbkCodePage& gbk)
{
    if (QFileInfo(path).size() >= size)
        return true;
    const QString shortLine =
        QStringLiteral("第一章 Chapter one: 朗读 the text aloud, 中英文混读 OK.\n");
    const QString longLine =
        QStringLiteral("他推开窗，外面的雨已经停了。The rain had stopped, and the street below "
                       "was quiet again; 远处传来火车的汽笛声，一声接着一声。She closed the book "
                       "and listened for a while.\n");
    const QString& line = shortLines ? shortLine : longLine;
    const QByteArray encoded = asGbk ? gbk.encode(line) : line.toUtf8();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray block;
    while (block.size() < (1 << 20))
        block += encoded;
    for (qint64 written = 0; written < size; written += block.size()) {
        if (file.write(block) != block.size())
            return false;
    }
    return true;
}

bool measure(const QString& self, const QString& kind, const QString& path, Figures* out)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(self, {QStringLiteral("--child"), kind, path});
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        return false;
    const QList<QByteArray> v = process.readAllStandardOutput().simplified().split(' ');
    if (v.size() != 5)
        return false;
    *out = {v[0].toDouble(), v[1].toDouble(), v[2].toDouble(), v[3].toDouble(), v[4].toDouble()};
    return true;
}

Figures median(std::vector<Figures> runs)
{
    auto pick = [&](double Figures::*field) {
        std::vector<double> values;
        for (const Figures& f : runs)
            values.push_back(f.*field);
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    return {pick(&Figures::visibleMs), pick(&Figures::stallMs), pick(&Figures::loadedMs),
            pick(&Figures::rssMb), pick(&Figures::peakMb)};
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 4 && qstrcmp(argv[1], "--child") == 0)
        return child(argc, argv);

    QCoreApplication app(argc, argv);
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    const GbkCodePage gbk;
    QTemporaryDir temporary;
    const QString dir = qEnvironmentVariable("LIRONDO_BENCH_DIR", temporary.path());
    QDir().mkpath(dir);

    struct Case
    {
        const char* name;
        qint64 bytes;
        bool shortLines;
        bool gbk;
        int runs;
    };
    std::vector<Case> cases = {
        {"1 MB UTF-8", 1 << 20, false, false, 5},
        {"10 MB UTF-8", 10 << 20, false, false, 5},
        {"50 MB UTF-8, long lines", 50 << 20, false, false, 3},
        {"50 MB GBK, short lines", 50 << 20, true, true, 3},
    };
    if (!quick)
        cases.push_back({"300 MB GBK", qint64(300) << 20, false, true, 1});

    const QString self = QCoreApplication::applicationFilePath();
    std::printf("%-26s %-8s %9s %9s %9s %8s %8s\n", "file", "path", "visible", "stall", "loaded",
                "RSS MB", "peak MB");
    bool met = true;
    for (const Case& c : cases) {
        const QString path = QDir(dir).filePath(
            QString::fromLatin1(c.name).replace(QLatin1Char(' '), QLatin1Char('_')));
        if (!writeFile(path, c.bytes, c.shortLines, c.gbk, gbk)) {
            std::printf("cannot write %s\n", qPrintable(path));
            return 1;
        }
        Figures figures[2];
        const char* kinds[2] = {"bare", "program"};
        for (int k = 0; k < 2; ++k) {
            std::vector<Figures> runs;
            for (int i = 0; i < c.runs; ++i) {
                Figures f;
                if (!measure(self, QString::fromLatin1(kinds[k]), path, &f)) {
                    std::printf("%s: the %s run failed\n", c.name, kinds[k]);
                    return 1;
                }
                runs.push_back(f);
            }
            figures[k] = median(runs);
            const Figures& f = figures[k];
            std::printf("%-26s %-8s %7.0f ms %6.0f ms %6.0f ms %8.0f %8.0f\n", c.name, kinds[k],
                        f.visibleMs, f.stallMs, f.loadedMs, f.rssMb, f.peakMb);
        }
        const Figures& b = figures[0];
        const Figures& p = figures[1];
        std::printf("%-26s ratio    %9.2f %9.2f %9.2f %8.2f %8.2f\n", "", p.visibleMs / b.visibleMs,
                    p.stallMs / b.stallMs, p.loadedMs / b.loadedMs, p.rssMb / b.rssMb,
                    p.peakMb / b.peakMb);
        met = met && p.stallMs <= 100 && p.visibleMs <= 150;
    }
    std::printf("targets (stall <= 100 ms, first text <= 150 ms): %s\n", met ? "met" : "MISSED");
    return met ? 0 : 2;
}
