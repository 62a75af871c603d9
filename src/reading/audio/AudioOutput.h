#pragma once

#include <QObject>

#include <cstdint>

namespace lirondo {

// Where synthesized PCM goes: the sound server, or a silent output clocked in real
// time (optionally sped up) when there is no audio device, and in tests.
//
// Format: signed 16-bit mono at the rate given to start(). Lives on the UI thread.
class AudioOutput : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~AudioOutput() override = default;

    // (Re)opens the output for the given sample rate, empty and playing.
    virtual bool start(int sampleRate) = 0;
    // Accepts as many bytes as fit now and returns how many it took (whole samples).
    virtual qint64 write(const char* data, qint64 bytes) = 0;
    // Bytes the output can take now without blocking.
    virtual qint64 bytesFree() const = 0;
    // Drops everything queued and not yet heard; the clock goes back to 0. A suspended
    // output stays suspended.
    virtual void flush() = 0;
    virtual void suspend() = 0;
    virtual void resume() = 0;
    // Microseconds of audio played since start() or flush(); stops while suspended and
    // never passes what was written.
    virtual qint64 playedUSecs() const = 0;
    // Gain applied to the samples from now on, 0.0 .. 1.0.
    virtual void setGain(double gain) = 0;
    // Microseconds of playback per microsecond of real time (above 1 in sped-up tests),
    // so that a caller waiting for a clock position can time its wait.
    virtual double clockSpeed() const { return 1.0; }

Q_SIGNALS:
    // After a write() that did not take everything, the output can take more data now
    // (not while suspended).
    void writable();
    // The output can play no more (its sound server went away); it takes nothing until
    // the next start().
    void failed();
};

} // namespace lirondo
