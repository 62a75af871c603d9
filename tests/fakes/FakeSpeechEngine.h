#pragma once

#include "reading/SpeechEngine.h"

#include <QList>

namespace lirondo::test {

// A speech engine that records every call; a test raises the events by hand.
class FakeSpeechEngine final : public SpeechEngine
{
    Q_OBJECT
public:
    struct Call
    {
        QString text;
        SpeakFlags flags;
        int voice = -1; // current voice at the time of the call
        int stream = 0;
    };

    explicit FakeSpeechEngine(QList<VoiceInfo> voices = {}, QObject* parent = nullptr)
        : SpeechEngine(parent), m_voices(std::move(voices))
    {}

    QList<VoiceInfo> voices() const override { return m_voices; }
    void setVoice(int position) override;
    void setRate(int rate) override { m_rate = rate; }
    void setVolume(int volume) override { m_volume = volume; }
    int speak(const QString& text, SpeakFlags flags) override;
    void pause() override { m_paused = true; }
    void resume() override
    {
        m_paused = false;
        ++m_resumeCalls;
    }

    // What the test reads back.
    QList<Call> calls;
    QList<Call> spoken() const; // the calls with a non-empty text
    int currentVoice() const { return m_voice; }
    int rate() const { return m_rate; }
    int volume() const { return m_volume; }
    bool paused() const { return m_paused; }
    int resumeCalls() const { return m_resumeCalls; }
    int lastStream() const { return m_stream; }

    // Raise events as the engine would, for the last stream unless told otherwise.
    void raiseWord(int position, int length, int stream = -1);
    void raiseSentence(int position, int length, int stream = -1);
    void raiseEndStream(int stream = -1);

private:
    QList<VoiceInfo> m_voices;
    int m_voice = -1;
    int m_rate = 0;
    int m_volume = 100;
    bool m_paused = false;
    int m_resumeCalls = 0;
    int m_stream = 0;
};

// Voices with just a description, in the given order.
QList<VoiceInfo> voicesNamed(const QStringList& descriptions);

} // namespace lirondo::test
