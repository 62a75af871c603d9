// The cost of telling UTF-8 from GBK on a 50 MB file, against decoding it and putting it
// into a text box. Budget: detection at most a tenth of that load.
#include "common/Gbk.h"
#include "documents/TextDecoder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>

#include <algorithm>
#include <cstdio>

using namespace lirondo;

namespace {

template <typename F> double bestOf3(F&& f)
{
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, t.nsecsElapsed() / 1e9);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const GbkCodePage gbk;
    if (!gbk.isValid())
        return 1;
    const QString line =
        QStringLiteral("第一章 Chapter one: 朗读 the text aloud, 中英文混读 OK.\r\n");
    struct Shape
    {
        const char* name;
        QByteArray line;
    };
    const Shape shapes[] = {{"UTF-8", line.toUtf8()}, {"GBK", gbk.encode(line)}};
    for (const Shape& shape : shapes) {
        QByteArray bytes;
        bytes.reserve((50 << 20) + shape.line.size());
        while (bytes.size() < (50 << 20))
            bytes += shape.line;
        volatile int sink = 0;
        const double detect = bestOf3([&] { sink = int(detectTextEncoding(bytes).encoding); });
        const double load = bestOf3([&] {
            QPlainTextEdit edit;
            edit.setPlainText(decodeTextFile(bytes, gbk));
        });
        std::printf("%-5s %.1f MB: detect %.1f ms, decode + setPlainText %.0f ms, ratio %.3f\n",
                    shape.name, bytes.size() / 1e6, detect * 1e3, load * 1e3, detect / load);
    }
    return 0;
}
