#pragma once

#include "reading/audio/AudioOutput.h"

#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

namespace lirondo {

// The sound server's output while there is one, the silent clocked output while there is
// none: a reading goes on at its pace, highlighting and all, when the server goes away.
// The sound server is tried again at each flush() (each read command) and every second
// while something plays silently; the clock runs on across a switch, counting what the
// lost stream still held as heard.
class FailoverAudioOutput final : public AudioOutput
{
    Q_OBJECT
public:
    // `makeSound` opens a fresh output on the current default device (null when there
    // is none); `silent` stands in while it fails.
    FailoverAudioOutput(std::function<std::unique_ptr<AudioOutput>()> makeSound,
                        std::unique_ptr<AudioOutput> silent, QObject* parent = nullptr);
    ~FailoverAudioOutput() override;

    // Always succeeds: without sound it plays silently.
    bool start(int sampleRate) override;
    qint64 write(const char* data, qint64 bytes) override;
    qint64 bytesFree() const override;
    void flush() override;
    void suspend() override;
    void resume() override;
    qint64 playedUSecs() const override;
    void setGain(double gain) override;
    double clockSpeed() const override;

    bool hasSound() const { return m_sound != nullptr; }
    AudioOutput* current() const { return m_current; }

Q_SIGNALS:
    // A line for the user: the sound is lost (said once per loss), or an empty text once
    // it is back. Delivered from the event loop, so that a loss found while the program
    // starts reaches a window connected after.
    void notice(const QString& text);

private:
    bool trySound();
    void goSilent();
    void switchTo(AudioOutput* output);
    void say(const QString& text);
    qint64 writtenUSecs() const;

    std::function<std::unique_ptr<AudioOutput>()> m_makeSound;
    std::unique_ptr<AudioOutput> m_sound; // null while silent
    int m_soundId = 0;                    // tells a failure of an earlier one apart
    std::unique_ptr<AudioOutput> m_silent;
    AudioOutput* m_current = nullptr;
    int m_sampleRate = 0;
    double m_gain = 1.0;
    bool m_suspended = false;
    bool m_lost = false;
    qint64 m_baseUSecs = 0;    // the clock of the outputs left since start() or flush()
    qint64 m_writtenBytes = 0; // to the current output since then
    QTimer m_retry;            // runs only while something plays silently
};

// The text of the notice when no sound can be played.
QString noSoundNotice();

} // namespace lirondo
