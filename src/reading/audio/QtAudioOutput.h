#pragma once

#include "reading/audio/AudioOutput.h"

#include <QAudioDevice>
#include <QTimer>

#include <memory>

class QAudioSink;
class QIODevice;

namespace lirondo {

// The sound server's output through Qt Multimedia (PulseAudio, or PipeWire's PulseAudio
// service), fed in push mode. The clock is the sink's processedUSecs(), which already
// allows for the server's latency, so it tells what is being heard.
//
// An open stream keeps the server's timer waking the program fifty times a second, so
// the sink is closed a moment after the last sound has been heard and opened again by
// the next write(); the clock runs on across that. When the server goes away the output
// says failed() and takes nothing more.
class QtAudioOutput final : public AudioOutput
{
    Q_OBJECT
public:
    explicit QtAudioOutput(const QAudioDevice& device, QObject* parent = nullptr);
    ~QtAudioOutput() override;

    bool start(int sampleRate) override;
    qint64 write(const char* data, qint64 bytes) override;
    qint64 bytesFree() const override;
    void flush() override;
    void suspend() override;
    void resume() override;
    qint64 playedUSecs() const override;
    void setGain(double gain) override;

    // Whether a stream is open on the server now (false while idle or after a failure).
    bool isOpen() const { return m_sink != nullptr; }

private:
    bool open();
    void close();
    void fail();
    void updateTick();
    qint64 writtenUSecs() const;

    QAudioDevice m_device;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_io = nullptr; // owned by m_sink
    int m_sampleRate = 0;
    double m_gain = 1.0;
    bool m_suspended = false;
    qint64 m_writtenBytes = 0; // to the open sink
    qint64 m_closedUSecs = 0;  // played by the sinks closed since start() or flush()
    bool m_failed = false;
    // Push mode has no "writable" notification of its own: poll while audio is queued.
    QTimer m_tick;
    // A write() did not take everything: say writable() once there is room.
    bool m_writerWaiting = false;
    // Nothing left to play: the sink closes when this runs out.
    QTimer m_idle;
};

} // namespace lirondo
