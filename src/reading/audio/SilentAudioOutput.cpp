#include "reading/audio/SilentAudioOutput.h"

#include <algorithm>

namespace lirondo {

namespace {
// How far ahead of the clock the output takes data, in real time.
constexpr int kLeadMs = 200;
constexpr int kTickMs = 5;
} // namespace

SilentAudioOutput::SilentAudioOutput(double speed, QObject* parent)
    : AudioOutput(parent), m_speed(speed > 0 ? speed : 1.0)
{
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, [this] {
        if (m_writerWaiting && bytesFree() > 0) {
            m_writerWaiting = false;
            Q_EMIT writable();
        }
        updateTick();
    });
}

bool SilentAudioOutput::start(int sampleRate)
{
    if (sampleRate <= 0)
        return false;
    m_sampleRate = sampleRate;
    flush();
    return true;
}

qint64 SilentAudioOutput::playedSamples() const
{
    if (m_suspended || !m_clock.isValid() || m_sampleRate <= 0)
        return std::min(m_anchorPlayed, m_written);
    const double elapsed = static_cast<double>(m_clock.nsecsElapsed()) * 1e-9 * m_speed;
    const auto advanced = static_cast<qint64>(elapsed * m_sampleRate);
    return std::min(m_anchorPlayed + advanced, m_written);
}

qint64 SilentAudioOutput::write(const char* data, qint64 bytes)
{
    Q_UNUSED(data);
    if (m_sampleRate <= 0 || bytes <= 0)
        return 0;
    const qint64 take = std::min(bytes, bytesFree()) / 2 * 2;
    m_writerWaiting = m_writerWaiting || take < bytes;
    if (take <= 0) {
        updateTick();
        return 0;
    }
    // A starved clock waits at the end of what it had; new data starts from there.
    const qint64 played = playedSamples();
    if (played >= m_written) {
        m_anchorPlayed = m_written;
        m_clock.restart();
    }
    m_written += take / 2;
    updateTick();
    return take;
}

qint64 SilentAudioOutput::bytesFree() const
{
    if (m_sampleRate <= 0)
        return 0;
    const auto lead = static_cast<qint64>(m_sampleRate * (kLeadMs / 1000.0) * m_speed);
    const qint64 ahead = m_written - playedSamples();
    return std::max<qint64>(0, lead - ahead) * 2;
}

void SilentAudioOutput::flush()
{
    m_writerWaiting = false;
    m_written = 0;
    m_anchorPlayed = 0;
    m_clock.restart();
    updateTick();
}

void SilentAudioOutput::suspend()
{
    if (m_suspended)
        return;
    m_anchorPlayed = playedSamples();
    m_suspended = true;
    updateTick();
}

void SilentAudioOutput::resume()
{
    if (!m_suspended)
        return;
    m_suspended = false;
    m_clock.restart();
    updateTick();
}

qint64 SilentAudioOutput::playedUSecs() const
{
    if (m_sampleRate <= 0)
        return 0;
    return playedSamples() * 1000000 / m_sampleRate;
}

void SilentAudioOutput::updateTick()
{
    const bool playing = !m_suspended && (m_writerWaiting || playedSamples() < m_written);
    if (playing && !m_tick.isActive())
        m_tick.start();
    else if (!playing)
        m_tick.stop();
}

} // namespace lirondo
