#include "reading/audio/QtAudioOutput.h"

#include <QAudioFormat>
#include <QAudioSink>

#include <algorithm>

namespace lirondo {

namespace {
// Kept short so that a gain change and a flush are heard at once; the engine keeps its
// own queue further ahead.
constexpr int kBufferMs = 150;
constexpr int kTickMs = 10;
// Long enough that the next sentence of a reading finds the stream still open; reopening
// it costs under a millisecond.
constexpr int kIdleCloseMs = 1500;
} // namespace

QtAudioOutput::QtAudioOutput(const QAudioDevice& device, QObject* parent)
    : AudioOutput(parent), m_device(device), m_tick(this), m_idle(this)
{
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, [this] {
        if (m_writerWaiting && bytesFree() > 0) {
            m_writerWaiting = false;
            Q_EMIT writable();
        }
        updateTick();
    });
    m_idle.setSingleShot(true);
    m_idle.setInterval(kIdleCloseMs);
    connect(&m_idle, &QTimer::timeout, this, &QtAudioOutput::close);
}

QtAudioOutput::~QtAudioOutput()
{
    if (m_sink) {
        m_sink->disconnect(this);
        m_sink->stop();
    }
}

bool QtAudioOutput::start(int sampleRate)
{
    if (sampleRate <= 0)
        return false;
    m_sampleRate = sampleRate;
    m_failed = false;
    m_writerWaiting = false;
    close();
    m_closedUSecs = 0;
    // Opened now, to tell the caller whether the server takes the stream at all.
    return open();
}

bool QtAudioOutput::open()
{
    close();
    QAudioFormat format;
    format.setSampleRate(m_sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!m_device.isFormatSupported(format)) {
        fail();
        return false;
    }
    m_sink = std::make_unique<QAudioSink>(m_device, format);
    m_sink->setBufferSize(static_cast<qsizetype>(m_sampleRate) * 2 * kBufferMs / 1000);
    m_sink->setVolume(m_gain);
    // The server gone: the sink stops with an error (and deletes the device it gave us).
    connect(m_sink.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::StoppedState && m_sink && m_sink->error() != QAudio::NoError &&
            m_sink->error() != QAudio::UnderrunError)
            fail();
    });
    m_io = m_sink->start();
    if (!m_io || m_sink->error() != QAudio::NoError) {
        fail();
        return false;
    }
    if (m_suspended)
        m_sink->suspend();
    updateTick();
    return true;
}

void QtAudioOutput::close()
{
    m_idle.stop();
    m_tick.stop();
    if (!m_sink)
        return;
    // What this sink still held is dropped (a flush) or was heard (idle): either way the
    // clock stands at the end of it.
    m_closedUSecs += writtenUSecs();
    m_writtenBytes = 0;
    m_io = nullptr;
    m_sink->disconnect(this);
    m_sink->stop();
    // Not deleted from inside its own signal.
    m_sink.release()->deleteLater();
}

void QtAudioOutput::fail()
{
    m_io = nullptr;
    m_tick.stop();
    m_idle.stop();
    if (m_failed)
        return;
    m_failed = true;
    Q_EMIT failed();
}

qint64 QtAudioOutput::write(const char* data, qint64 bytes)
{
    if (m_failed || m_sampleRate <= 0 || bytes <= 0)
        return 0;
    if (!m_sink && !open())
        return 0;
    const qint64 take = std::min(bytes, bytesFree()) / 2 * 2;
    const qint64 done = take > 0 && m_io ? std::max<qint64>(0, m_io->write(data, take)) : 0;
    m_writtenBytes += done;
    m_writerWaiting = m_writerWaiting || done < bytes;
    updateTick();
    return done;
}

qint64 QtAudioOutput::bytesFree() const
{
    if (m_failed)
        return 0;
    if (!m_sink) // closed while idle: a new sink takes a whole buffer
        return m_sampleRate > 0 ? qint64(m_sampleRate) * 2 * kBufferMs / 1000 : 0;
    return m_io ? std::max<qsizetype>(0, m_sink->bytesFree()) : 0;
}

void QtAudioOutput::flush()
{
    // The next write() opens a new stream: a new sink is the quickest way to drop what
    // the server holds.
    close();
    m_closedUSecs = 0;
    m_writerWaiting = false;
}

void QtAudioOutput::suspend()
{
    if (m_suspended)
        return;
    m_suspended = true;
    if (m_sink && m_io)
        m_sink->suspend();
    updateTick();
}

void QtAudioOutput::resume()
{
    if (!m_suspended)
        return;
    m_suspended = false;
    if (m_sink && m_io)
        m_sink->resume();
    updateTick();
}

qint64 QtAudioOutput::writtenUSecs() const
{
    return m_sampleRate > 0 ? m_writtenBytes / 2 * 1000000 / m_sampleRate : 0;
}

qint64 QtAudioOutput::playedUSecs() const
{
    if (!m_sink)
        return m_closedUSecs;
    return m_closedUSecs + std::min(m_sink->processedUSecs(), writtenUSecs());
}

void QtAudioOutput::setGain(double gain)
{
    m_gain = std::clamp(gain, 0.0, 1.0);
    if (m_sink)
        m_sink->setVolume(m_gain);
}

void QtAudioOutput::updateTick()
{
    if (!m_sink || !m_io) {
        m_tick.stop();
        m_idle.stop();
        return;
    }
    // The clock may run ahead of the sink's own buffer, so "active" (not yet run dry)
    // counts too. A paused reading keeps its stream, suspended.
    const bool playing = m_suspended || m_sink->state() == QAudio::ActiveState ||
                         m_sink->processedUSecs() < writtenUSecs();
    if (playing) {
        m_idle.stop();
        if (!m_suspended && !m_tick.isActive())
            m_tick.start();
        else if (m_suspended)
            m_tick.stop();
    } else {
        m_tick.stop();
        if (!m_idle.isActive())
            m_idle.start();
    }
}

} // namespace lirondo
