#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

namespace lirondo {

class EspeakSynthesizer;
class GbkCodePage;

// The program's command line without a window:
//   lirondo --export OUT.flac [--voice ID] [--rate N] [--volume N] [--mixed] FILE|-
//   lirondo --list-voices | --help | --version
struct CommandLineIo
{
    std::function<void(const QString&)> out; // standard output
    std::function<void(const QString&)> err; // standard error
    bool errIsTerminal = false;              // progress is shown only on a terminal
    std::function<QByteArray()> readStdin;
    std::function<EspeakSynthesizer&()> synthesizer; // started on first use
};

enum CommandLineExit : int
{
    ExitOk = 0,
    ExitFailed = 1,   // the engine did not start, or writing stopped part-way
    ExitUsage = 2,    // a bad option, an unknown voice, a format we do not write
    ExitBadInput = 3, // the text file cannot be read, or holds nothing to read
    ExitCannotWrite = 4,
    ExitCancelled = 130, // as a shell reports an interrupted command
};

// True when the arguments ask for the command line rather than the window.
bool isCommandLineMode(const QStringList& arguments);

// `arguments` without the program's name. `cancel` may be set from a signal handler.
int runCommandLine(const QStringList& arguments, const CommandLineIo& io, const GbkCodePage& gbk,
                   const std::atomic<bool>* cancel = nullptr);

// Progress lines "progress FRACTION SECONDS_LEFT" on standard error, for a program that
// runs the export as a child process; --progress-lines asks for them.
bool parseProgressLine(QStringView line, double* fraction, double* secondsLeft);

} // namespace lirondo
