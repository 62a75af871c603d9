// Opening a 50 MB GBK file into the text box: decoding plus setPlainText alone, against
// the reader's path (read and decode on its worker thread, then setPlainText).
// Budget: the reader's path within 1.5 times the bare one.
#include "common/Gbk.h"
#include "documents/TextDecoder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace lirondo;

namespace {

QByteArray gbkFile(const GbkCodePage& gbk, qsizetype size)
{
    const QString line =
        QStringLiteral("第一章 Chapter one: 朗读 the text aloud, 中英文混读 OK.\r\n");
    const QByteArray encoded = gbk.encode(line);
    QByteArray bytes;
    bytes.reserve(size + encoded.size());
    while (bytes.size() < size)
        bytes += encoded;
    return bytes;
}

double bare(const GbkCodePage& gbk, const QByteArray& bytes)
{
    QPlainTextEdit edit;
    QElapsedTimer t;
    t.start();
    edit.setPlainText(decodeTextFile(bytes, gbk));
    return t.nsecsElapsed() / 1e9;
}

double throughReader(const GbkCodePage& gbk, const QString& path, double* uiSeconds)
{
    QPlainTextEdit edit;
    TextFileReader reader(gbk);
    QEventLoop loop;
    double ui = 0;
    QObject::connect(&reader, &TextFileReader::finished, &loop,
                     [&](const QString&, const TextFileResult& result) {
                         QElapsedTimer set;
                         set.start();
                         if (result.ok())
                             edit.setPlainText(result.text);
                         ui = set.nsecsElapsed() / 1e9;
                         loop.quit();
                     });
    QElapsedTimer t;
    t.start();
    reader.read(path);
    loop.exec();
    *uiSeconds = ui;
    return t.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const GbkCodePage gbk;
    QTemporaryDir dir;
    if (!gbk.isValid() || !dir.isValid())
        return 1;

    const QByteArray bytes = gbkFile(gbk, 50 << 20);
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return 1;
    f.close();

    QElapsedTimer decodeOnly;
    decodeOnly.start();
    const qsizetype decodedSize = decodeTextFile(bytes, gbk).size();
    const double decodeSeconds = decodeOnly.nsecsElapsed() / 1e9;

    double bestBare = 1e9, bestReader = 1e9, bestUi = 1e9;
    for (int i = 0; i < 3; ++i) {
        bestBare = std::min(bestBare, bare(gbk, bytes));
        double ui = 0;
        bestReader = std::min(bestReader, throughReader(gbk, path, &ui));
        bestUi = std::min(bestUi, ui);
    }
    const double ratio = bestReader / bestBare;
    std::printf("file: %.1f MB GBK, %lld lines\n", bytes.size() / 1e6,
                static_cast<long long>(bytes.count('\n')));
    std::printf("decode alone: %.0f ms (%lld characters)\n", decodeSeconds * 1e3,
                static_cast<long long>(decodedSize));
    std::printf("decode + setPlainText: %.0f ms\n", bestBare * 1e3);
    std::printf("reader + setPlainText: %.0f ms (UI thread busy %.0f ms of it)\n", bestReader * 1e3,
                bestUi * 1e3);
    std::printf("ratio %.2f, budget 1.5: %s\n", ratio, ratio <= 1.5 ? "met" : "MISSED");
    return ratio <= 1.5 ? 0 : 2;
}
