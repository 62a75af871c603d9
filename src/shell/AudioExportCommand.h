#pragma once

#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QProgressDialog>
#include <QString>

#include <functional>

class QAction;
class QWidget;

namespace lirondo {

class FileDialogPort;
class MessageBoxPort;

// What the window reads aloud, as an export takes it.
struct AudioExportRequest
{
    QString text;
    QString voiceId; // empty: the Chinese voice
    int rate = 0;
    int volume = 100;
    bool mixed = false;
};

// "保存为音频…": asks for a file and writes the reading into it with its subtitles. The
// export runs as a child process of the program's own command line, with the text on its
// standard input: espeak-ng runs once per process, so the window's engine stays free and
// reading aloud goes on meanwhile. A progress dialog shows the part done and the time
// left; cancelling stops the child, which removes what it had written.
class AudioExportCommand : public QObject
{
    Q_OBJECT
public:
    // `program` is the program run for the export (`lirondo`); `request` says what to
    // read, asked for when the command is given.
    AudioExportCommand(FileDialogPort& dialog, MessageBoxPort& messages, QString program,
                       std::function<AudioExportRequest()> request, QWidget* window);
    ~AudioExportCommand() override;

    void setProgram(const QString& program) { m_program = program; }
    // What the command would export now.
    AudioExportRequest request() const { return m_request ? m_request() : AudioExportRequest{}; }

    // The command, with its shortcut, for menus and the window.
    QAction* action() const { return m_action; }
    // The save dialog, then the export.
    void trigger();
    // Starts the export into `path`; false (with a message) when it cannot start.
    bool start(const AudioExportRequest& request, const QString& path);
    void cancel();
    bool running() const;
    QProgressDialog* progressDialog() const { return m_progress; }

Q_SIGNALS:
    // The export ended: saved, or failed or cancelled (nothing is left then).
    void finished(bool saved);

private:
    void readProgress();
    void ended(int exitCode, QProcess::ExitStatus status);
    void removeLeftovers() const;

    FileDialogPort& m_dialog;
    MessageBoxPort& m_messages;
    QString m_program;
    std::function<AudioExportRequest()> m_request;
    QWidget* m_window;
    QAction* m_action;
    QPointer<QProcess> m_process;
    QPointer<QProgressDialog> m_progress;
    QString m_path;
    QByteArray m_errors;
    bool m_cancelled = false;
};

} // namespace lirondo
