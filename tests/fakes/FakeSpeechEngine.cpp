#include "fakes/FakeSpeechEngine.h"

namespace lirondo::test {

void FakeSpeechEngine::setVoice(int position)
{
    if (position >= 0 && position < m_voices.size())
        m_voice = position;
}

int FakeSpeechEngine::speak(const QString& text, SpeakFlags flags)
{
    const int stream = text.isEmpty() ? 0 : ++m_stream;
    calls.append({text, flags, m_voice, stream});
    return stream;
}

QList<FakeSpeechEngine::Call> FakeSpeechEngine::spoken() const
{
    QList<Call> result;
    for (const Call& call : calls) {
        if (!call.text.isEmpty())
            result.append(call);
    }
    return result;
}

void FakeSpeechEngine::raiseWord(int position, int length, int stream)
{
    Q_EMIT word(stream < 0 ? m_stream : stream, position, length);
}

void FakeSpeechEngine::raiseSentence(int position, int length, int stream)
{
    Q_EMIT sentence(stream < 0 ? m_stream : stream, position, length);
}

void FakeSpeechEngine::raiseEndStream(int stream)
{
    Q_EMIT endStream(stream < 0 ? m_stream : stream);
}

QList<VoiceInfo> voicesNamed(const QStringList& descriptions)
{
    QList<VoiceInfo> voices;
    int i = 0;
    for (const QString& description : descriptions)
        voices.append({QStringLiteral("voice%1").arg(i++), description, {}});
    return voices;
}

} // namespace lirondo::test
