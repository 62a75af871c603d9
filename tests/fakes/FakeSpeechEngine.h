#pragma once

#include "reading/SpeechEngine.h"

#include <QList>

namespace lirondo::test {

// A speech engine that records every call; a test raises the events by hand, for the last
// stream unless told otherwise.
class FakeSpeechEngine final : public SpeechEngine
{
    Q_OBJECT
public:
    struct Call
    {
        QString text;
        SpeakFlags flags;
        int voice = -1, stream = 0; // the voice current at the time of the call
    };

    explicit FakeSpeechEngine(QList<VoiceInfo> voices = {}) : m_voices(std::move(voices)) {}

    QList<VoiceInfo> voices() const override { return m_voices; }
    void setVoice(int at) override { m_voice = at >= 0 && at < m_voices.size() ? at : m_voice; }
    void setRate(int rate) override { m_rate = rate; }
    void setVolume(int volume) override { m_volume = volume; }
    int speak(const QString& text, SpeakFlags flags) override
    {
        calls.append({text, flags, m_voice, text.isEmpty() ? 0 : ++m_stream});
        return calls.last().stream;
    }
    void pause() override { m_paused = true; }
    void resume() override
    {
        m_paused = false;
        ++m_resumeCalls;
    }

    QList<Call> calls;
    QList<Call> spoken() const // the calls with a text
    {
        QList<Call> said = calls;
        said.removeIf([](const Call& call) { return call.text.isEmpty(); });
        return said;
    }
    int currentVoice() const { return m_voice; }
    int rate() const { return m_rate; }
    int volume() const { return m_volume; }
    bool paused() const { return m_paused; }
    int resumeCalls() const { return m_resumeCalls; }
    int lastStream() const { return m_stream; }

    void raiseWord(int at, int length, int s = -1) { Q_EMIT word(orLast(s), at, length); }
    void raiseSentence(int at, int length, int s = -1) { Q_EMIT sentence(orLast(s), at, length); }
    void raiseEndStream(int stream = -1) { Q_EMIT endStream(orLast(stream)); }

private:
    int orLast(int stream) const { return stream < 0 ? m_stream : stream; }

    QList<VoiceInfo> m_voices;
    int m_voice = -1, m_rate = 0, m_volume = 100, m_resumeCalls = 0, m_stream = 0;
    bool m_paused = false;
};

// Voices with just a description, in the given order.
inline QList<VoiceInfo> voicesNamed(const QStringList& descriptions)
{
    QList<VoiceInfo> voices;
    for (const QString& description : descriptions)
        voices.append({QStringLiteral("voice%1").arg(voices.size()), description, {}});
    return voices;
}

} // namespace lirondo::test
