#include "shell/AudioExportCommand.h"

#include "common/FileDialogPort.h"
#include "common/MessageBoxPort.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTimer>
#include <QWidget>

#include <cmath>

namespace lirondo {

using namespace Qt::StringLiterals;

namespace {

// The formats the command line writes, first the one a bare name gets.
const QStringList kExtensions = {u"mp3"_s, u"flac"_s, u"ogg"_s, u"opus"_s, u"wav"_s};

QString timeLeft(double seconds)
{
    if (seconds < 0)
        return u"--:--"_s;
    const auto s = static_cast<qint64>(std::lround(seconds));
    return u"%1:%2"_s.arg(s / 60).arg(int(s % 60), 2, 10, QChar(u'0'));
}

// The subtitles the export writes beside the audio.
QStringList subtitleSuffixes()
{
    return {u".lrc"_s, u".srt"_s, u".vtt"_s, u".words.vtt"_s};
}

} // namespace

AudioExportCommand::AudioExportCommand(FileDialogPort& dialog, MessageBoxPort& messages,
                                       QString program, std::function<AudioExportRequest()> request,
                                       QWidget* window)
    : QObject(window), m_dialog(dialog), m_messages(messages), m_program(std::move(program)),
      m_request(std::move(request)), m_window(window),
      m_action(new QAction(tr("保存为音频…"), this))
{
    m_action->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    m_action->setShortcutContext(Qt::WindowShortcut);
    connect(m_action, &QAction::triggered, this, &AudioExportCommand::trigger);
}

AudioExportCommand::~AudioExportCommand()
{
    // The window is closing: a half-made export goes with it.
    if (running()) {
        m_process->disconnect(this);
        m_process->terminate();
        if (!m_process->waitForFinished(3000))
            m_process->kill();
        m_process->waitForFinished(1000);
        removeLeftovers();
    }
}

bool AudioExportCommand::running() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

void AudioExportCommand::trigger()
{
    if (running()) {
        m_progress->show();
        m_progress->raise();
        return;
    }
    const AudioExportRequest what = request();
    if (what.text.trimmed().isEmpty()) {
        m_messages.info(tr("没有可朗读的文字，未保存任何文件"));
        return;
    }
    FileDialogPort::OpenRequest ask;
    ask.title = tr("保存为音频");
    ask.filter = tr("MP3 音频|*.mp3|FLAC 音频|*.flac|Ogg Vorbis 音频|*.ogg|Opus 音频|*.opus|"
                    "WAV 音频|*.wav");
    ask.fileName = QDir::home().filePath(u"朗读.mp3"_s);
    const std::optional<QString> path = m_dialog.getSaveFileName(ask);
    if (!path || path->isEmpty())
        return;
    QString target = *path;
    if (QFileInfo(target).suffix().isEmpty())
        target += u'.' + kExtensions.first();
    start(what, target);
}

bool AudioExportCommand::start(const AudioExportRequest& what, const QString& path)
{
    if (running())
        return false;
    QStringList arguments = {u"--export"_s,
                             path,
                             u"--progress-lines"_s,
                             u"--rate"_s,
                             QString::number(what.rate),
                             u"--volume"_s,
                             QString::number(what.volume)};
    if (!what.voiceId.isEmpty())
        arguments << u"--voice"_s << what.voiceId;
    if (what.mixed)
        arguments << u"--mixed"_s;
    arguments << u"-"_s;

    m_path = path;
    m_errors.clear();
    m_cancelled = false;
    auto* process = new QProcess(this);
    m_process = process;
    process->setProcessChannelMode(QProcess::SeparateChannels);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setReadChannel(QProcess::StandardError);
    connect(process, &QProcess::readyReadStandardError, this, &AudioExportCommand::readProgress);
    connect(process, &QProcess::finished, this, &AudioExportCommand::ended);
    connect(process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            ended(-1, QProcess::CrashExit);
    });

    if (!m_progress) {
        m_progress = new QProgressDialog(m_window);
        m_progress->setWindowTitle(tr("保存为音频"));
        m_progress->setCancelButtonText(tr("取消"));
        m_progress->setRange(0, 1000);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        // Not modal: the window stays in use, reading aloud included.
        m_progress->setWindowModality(Qt::NonModal);
        connect(m_progress, &QProgressDialog::canceled, this, &AudioExportCommand::cancel);
    }
    m_progress->setValue(0);
    m_progress->setLabelText(tr("正在保存 %1 …  0%  剩余 --:--").arg(QFileInfo(path).fileName()));
    m_progress->show();

    process->start(m_program, arguments);
    if (!m_process)
        return false; // it did not start; ended() said why
    // The text goes in as UTF-8; its end tells the child that it has it all.
    process->write(what.text.toUtf8());
    process->closeWriteChannel();
    return true;
}

void AudioExportCommand::readProgress()
{
    if (!m_process)
        return;
    while (m_process->canReadLine()) {
        const QByteArray line = m_process->readLine();
        const QList<QByteArray> parts = line.trimmed().split(' ');
        bool ok1 = false, ok2 = false;
        if (parts.size() == 3 && parts[0] == "progress") {
            const double fraction = parts[1].toDouble(&ok1);
            const double left = parts[2].toDouble(&ok2);
            if (ok1 && ok2 && m_progress && !m_cancelled) {
                const int permille = std::clamp(int(std::lround(fraction * 1000)), 0, 1000);
                m_progress->setValue(permille);
                m_progress->setLabelText(tr("正在保存 %1 …  %2%  剩余 %3")
                                             .arg(QFileInfo(m_path).fileName(),
                                                  QString::number(permille / 10), timeLeft(left)));
            }
            continue;
        }
        m_errors += line;
    }
}

void AudioExportCommand::cancel()
{
    if (!running() || m_cancelled)
        return;
    m_cancelled = true;
    // SIGTERM: the child stops and removes its files; one that hangs is killed.
    m_process->terminate();
    QTimer::singleShot(5000, m_process, [process = m_process] {
        if (process && process->state() != QProcess::NotRunning)
            process->kill();
    });
}

void AudioExportCommand::ended(int exitCode, QProcess::ExitStatus status)
{
    if (!m_process)
        return;
    readProgress();
    m_errors += m_process->readAllStandardError();
    m_process->deleteLater();
    m_process = nullptr;
    if (m_progress)
        m_progress->hide();
    const bool saved = !m_cancelled && status == QProcess::NormalExit && exitCode == 0;
    if (!saved) {
        removeLeftovers();
        if (!m_cancelled) {
            QString why = QString::fromUtf8(m_errors).trimmed();
            why.remove(QRegularExpression(u"^lirondo: "_s, QRegularExpression::MultilineOption));
            if (why.isEmpty())
                why = tr("无法运行 %1").arg(m_program);
            m_messages.show({tr("保存失败：%1").arg(why),
                             {},
                             MessageBoxPort::Buttons::Ok,
                             MessageBoxPort::Icon::Warning,
                             MessageBoxPort::Answer::Ok});
        }
    }
    Q_EMIT finished(saved);
}

void AudioExportCommand::removeLeftovers() const
{
    // A child killed outright leaves its temporary files (".NAME.XXXXXX.part"); the final
    // names are written only at the very end of a successful export.
    const QFileInfo info(m_path);
    QDir folder = info.absoluteDir();
    QStringList names = {info.fileName()};
    for (const QString& suffix : subtitleSuffixes())
        names << info.completeBaseName() + suffix;
    for (const QString& name : std::as_const(names)) {
        for (const QString& part :
             folder.entryList({u"."_s + name + u".*.part"_s}, QDir::Files | QDir::Hidden))
            folder.remove(part);
    }
}

} // namespace lirondo
