#pragma once

#include "reading/audio/AudioOutput.h"

#include <QElapsedTimer>
#include <QTimer>

namespace lirondo {

// Plays nothing, but consumes samples at the pace of a real device (times `speed`), so
// that the engine's events keep their timing when no sound device exists, and tests run
// faster than real time.
class SilentAudioOutput : public AudioOutput
{
    Q_OBJECT
public:
    explicit SilentAudioOutput(double speed = 1.0, QObject* parent = nullptr);

    bool start(int sampleRate) override;
    qint64 write(const char* data, qint64 bytes) override;
    qint64 bytesFree() const override;
    void flush() override;
    void suspend() override;
    void resume() override;
    qint64 playedUSecs() const override;
    void setGain(double gain) override { m_gain = gain; }
    double clockSpeed() const override { return m_speed; }

    double gain() const { return m_gain; }
    bool suspended() const { return m_suspended; }

private:
    qint64 playedSamples() const;
    void updateTick();

    double m_speed;
    double m_gain = 1.0;
    int m_sampleRate = 0;
    bool m_suspended = false;
    qint64 m_written = 0;      // samples since start/flush
    qint64 m_anchorPlayed = 0; // samples played when m_clock was last restarted
    QElapsedTimer m_clock;     // runs while playing
    QTimer m_tick;             // runs only while there is something left to play
    // A write() did not take everything: say writable() once there is room.
    bool m_writerWaiting = false;
};

} // namespace lirondo
