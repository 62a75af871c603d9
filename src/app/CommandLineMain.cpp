#include "app/CommandLineMain.h"

#include "common/Gbk.h"
#include "export/ExportCommandLine.h"
#include "reading/espeak/EspeakSynthesizer.h"

#include <QCoreApplication>
#include <QFile>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

// Set by SIGINT and SIGTERM (Ctrl+C, or the window cancelling its export child): the
// export stops and removes what it had written. A signal handler can reach nothing else.
std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int)
{
    interrupted.store(true);
}

void print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

bool wantsCommandLine(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return lirondo::isCommandLineMode(arguments);
}

int commandLineMain(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lirondo"));

    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    lirondo::GbkCodePage gbk;
    lirondo::CommandLineIo io;
    io.out = [](const QString& text) { print(stdout, text); };
    io.err = [](const QString& text) { print(stderr, text); };
    io.errIsTerminal = isatty(STDERR_FILENO) == 1;
    io.readStdin = [] {
        QFile in;
        return in.open(stdin, QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    };
    io.synthesizer = []() -> lirondo::EspeakSynthesizer& {
        return lirondo::EspeakSynthesizer::shared();
    };
    return lirondo::runCommandLine(QCoreApplication::arguments().mid(1), io, gbk, &interrupted);
}
