#include "reading/audio/FailoverAudioOutput.h"

#include <QLoggingCategory>
#include <QMetaObject>

namespace lirondo {

namespace {
Q_LOGGING_CATEGORY(lcAudio, "lirondo.audio")

// Each try costs well under a millisecond; Qt's sound-server connection comes back a few
// seconds after the server does.
constexpr int kRetryMs = 1000;
} // namespace

QString noSoundNotice()
{
    return FailoverAudioOutput::tr("没有可用的声音输出，朗读将无声继续");
}

FailoverAudioOutput::FailoverAudioOutput(std::function<std::unique_ptr<AudioOutput>()> makeSound,
                                         std::unique_ptr<AudioOutput> silent, QObject* parent)
    : AudioOutput(parent), m_makeSound(std::move(makeSound)), m_silent(std::move(silent)),
      m_current(m_silent.get()), m_retry(this)
{
    connect(m_silent.get(), &AudioOutput::writable, this, [this] {
        if (m_current == m_silent.get())
            Q_EMIT writable();
    });
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (m_sound || m_suspended) {
            m_retry.stop();
            return;
        }
        // Nothing left to play: the next write() or flush() tries again.
        if (m_silent->playedUSecs() >= writtenUSecs()) {
            m_retry.stop();
            return;
        }
        if (trySound())
            Q_EMIT writable();
    });
}

FailoverAudioOutput::~FailoverAudioOutput() = default;

bool FailoverAudioOutput::start(int sampleRate)
{
    if (sampleRate <= 0)
        return false;
    m_sampleRate = sampleRate;
    m_sound.reset();
    m_current = m_silent.get();
    m_baseUSecs = 0;
    m_writtenBytes = 0;
    if (!trySound())
        goSilent();
    m_retry.stop(); // nothing to play yet
    return true;
}

bool FailoverAudioOutput::trySound()
{
    if (m_sampleRate <= 0)
        return false;
    std::unique_ptr<AudioOutput> sound = m_makeSound ? m_makeSound() : nullptr;
    if (!sound || !sound->start(m_sampleRate))
        return false;
    const int id = ++m_soundId;
    // Queued: the output reports from inside its own calls and signals.
    connect(
        sound.get(), &AudioOutput::failed, this,
        [this, id] {
            if (id != m_soundId || !m_sound)
                return;
            goSilent();
            m_sound.reset();
            Q_EMIT writable();
        },
        Qt::QueuedConnection);
    connect(sound.get(), &AudioOutput::writable, this, &AudioOutput::writable);
    switchTo(sound.get());
    m_silent->flush();
    m_sound = std::move(sound);
    m_retry.stop();
    if (m_lost) {
        m_lost = false;
        say(QString());
    }
    return true;
}

void FailoverAudioOutput::goSilent()
{
    m_silent->start(m_sampleRate);
    switchTo(m_silent.get());
    if (!m_lost) {
        m_lost = true;
        qCWarning(lcAudio, "No sound output; reading on silently.");
        say(noSoundNotice());
    }
    m_retry.start();
}

void FailoverAudioOutput::switchTo(AudioOutput* output)
{
    // What the previous output had taken counts as heard, so the reading neither waits
    // for it nor hears it twice.
    m_baseUSecs += writtenUSecs();
    m_writtenBytes = 0;
    output->setGain(m_gain);
    if (m_suspended)
        output->suspend();
    else
        output->resume();
    m_current = output;
}

void FailoverAudioOutput::say(const QString& text)
{
    QMetaObject::invokeMethod(
        this, [this, text] { Q_EMIT notice(text); }, Qt::QueuedConnection);
}

qint64 FailoverAudioOutput::writtenUSecs() const
{
    return m_sampleRate > 0 ? m_writtenBytes / 2 * 1000000 / m_sampleRate : 0;
}

qint64 FailoverAudioOutput::write(const char* data, qint64 bytes)
{
    const qint64 done = m_current->write(data, bytes);
    m_writtenBytes += done;
    if (!m_sound && done > 0 && !m_retry.isActive() && !m_suspended)
        m_retry.start();
    return done;
}

qint64 FailoverAudioOutput::bytesFree() const
{
    return m_current->bytesFree();
}

void FailoverAudioOutput::flush()
{
    m_current->flush();
    m_baseUSecs = 0;
    m_writtenBytes = 0;
    if (!m_sound && !trySound())
        m_retry.stop();
}

void FailoverAudioOutput::suspend()
{
    m_suspended = true;
    m_current->suspend();
    m_retry.stop();
}

void FailoverAudioOutput::resume()
{
    m_suspended = false;
    m_current->resume();
    if (!m_sound && m_sampleRate > 0)
        m_retry.start();
}

qint64 FailoverAudioOutput::playedUSecs() const
{
    return m_baseUSecs + m_current->playedUSecs();
}

void FailoverAudioOutput::setGain(double gain)
{
    m_gain = gain;
    m_current->setGain(gain);
}

double FailoverAudioOutput::clockSpeed() const
{
    return m_current->clockSpeed();
}

} // namespace lirondo
