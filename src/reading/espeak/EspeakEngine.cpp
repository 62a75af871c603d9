#include "reading/espeak/EspeakEngine.h"

#include "reading/audio/DefaultAudioOutput.h"
#include "reading/audio/SilentAudioOutput.h"
#include "reading/espeak/EspeakSynthesizer.h"

#include <QLoggingCategory>
#include <QMetaObject>

#include <algorithm>
#include <cmath>
#include <limits>

namespace lirondo {

namespace {
Q_LOGGING_CATEGORY(lcSpeech, "lirondo.speech")
} // namespace

EspeakEngine::EspeakEngine(std::unique_ptr<AudioOutput> output, QObject* parent)
    : SpeechEngine(parent), m_output(std::move(output)), m_worker(EspeakSynthesizer::shared())
{
    m_delivery.setSingleShot(true);
    m_delivery.setTimerType(Qt::PreciseTimer);
    connect(&m_delivery, &QTimer::timeout, this, &EspeakEngine::deliverDue);

    m_worker.attach([this] {
        QMetaObject::invokeMethod(this, &EspeakEngine::onWorkerData, Qt::QueuedConnection);
    });
    m_sampleRate = m_worker.sampleRate();
    m_voices = m_worker.voices();
    if (m_sampleRate <= 0) {
        qCWarning(lcSpeech, "espeak-ng could not start; nothing can be read aloud.");
        return;
    }
    if (!m_output || !m_output->start(m_sampleRate)) {
        qCWarning(lcSpeech, "The audio output could not be opened; reading on silently.");
        m_output = std::make_unique<SilentAudioOutput>();
        m_output->start(m_sampleRate);
    }
    connect(m_output.get(), &AudioOutput::writable, this, [this] {
        pump();
        scheduleDelivery();
    });
}

EspeakEngine::~EspeakEngine()
{
    // Nothing of this engine may reach the UI thread after this.
    m_worker.detach();
}

bool EspeakEngine::isValid() const
{
    return m_sampleRate > 0;
}

int EspeakEngine::sampleRate() const
{
    return m_sampleRate;
}

void EspeakEngine::setVoice(int position)
{
    if (position < 0 || position >= m_voices.size())
        return;
    m_voiceName = m_voices.at(position).id.toUtf8();
}

namespace {
// Above its nominal maximum espeak-ng speeds its speech up by another method, which comes
// out about 9% slower than the words per minute asked for (measured on English and
// Mandarin sentences).
constexpr double kSpedUpShortfall = 1.09;
// The slowest position espeak reaches by its rate alone (81 words a minute); each step
// below adds this much pause between words, which keeps the factor of a step for English
// and Mandarin alike (each Mandarin character counts as a word).
constexpr int kSlowestByRate = -7;
constexpr int kWordGapPerStep = 3;
} // namespace

int EspeakEngine::wordsPerMinute(int rate)
{
    const double wpm = espeakRATE_NORMAL * std::pow(3.0, std::clamp(rate, -10, 10) / 10.0);
    const double asked = wpm >= espeakRATE_MAXIMUM ? wpm * kSpedUpShortfall : wpm;
    return std::max(espeakRATE_MINIMUM, static_cast<int>(std::lround(asked)));
}

int EspeakEngine::wordGap(int rate)
{
    return std::max(0, kSlowestByRate - std::clamp(rate, -10, 10)) * kWordGapPerStep;
}

void EspeakEngine::setRate(int rate)
{
    const int wpm = wordsPerMinute(rate);
    const int gap = wordGap(rate);
    if (!m_worker.setSpeed(wpm, gap))
        return;
    // The audio made ahead at the old rate would be heard for a second or more.
    restartFromHeardWord();
}

void EspeakEngine::restartFromHeardWord()
{
    if (m_unfinished.empty() || !isValid())
        return;
    Spoken& current = m_unfinished.front();
    if (m_heardStream == current.stream) {
        current.begin = m_heardPosition;
        current.resumed = true;
    }
    std::vector<EspeakSynthesizer::Job> jobs;
    for (const Spoken& s : m_unfinished)
        jobs.push_back({s.stream, s.text, s.voice, s.begin, s.resumed});
    m_worker.purge(jobs);
    m_pending.clear();
    m_delivery.stop();
    m_output->flush();
}

void EspeakEngine::setVolume(int volume)
{
    m_output->setGain(std::clamp(volume, 0, 100) / 100.0);
}

int EspeakEngine::speak(const QString& text, SpeakFlags flags)
{
    if (flags.testFlag(PurgeBeforeSpeak))
        purge();
    if (text.isEmpty() || !isValid())
        return 0;
    // Stream numbers stay positive when the counter wraps.
    m_lastStream = m_lastStream == std::numeric_limits<int>::max() ? 1 : m_lastStream + 1;
    m_worker.enqueue({m_lastStream, text, m_voiceName});
    m_unfinished.push_back({m_lastStream, text, m_voiceName});
    return m_lastStream;
}

void EspeakEngine::purge()
{
    m_worker.purge();
    m_pending.clear();
    m_unfinished.clear();
    m_heardStream = 0;
    m_delivery.stop();
    if (m_output)
        m_output->flush();
}

void EspeakEngine::pause()
{
    m_paused = true;
    if (m_output)
        m_output->suspend();
    m_delivery.stop();
}

void EspeakEngine::resume()
{
    m_paused = false;
    if (m_output)
        m_output->resume();
    pump();
    scheduleDelivery();
}

void EspeakEngine::onWorkerData()
{
    for (const EspeakEvent& e : m_worker.takeEvents()) {
        if (e.kind == EspeakEvent::Kind::SentenceLength) {
            const auto open = std::find_if(m_pending.rbegin(), m_pending.rend(), [&](auto& p) {
                return p.kind == EspeakEvent::Kind::Sentence && p.length < 0 &&
                       p.stream == e.stream && p.position == e.position;
            });
            if (open != m_pending.rend()) {
                if (e.length > 0)
                    open->length = e.length;
                else
                    m_pending.erase(std::next(open).base());
            }
            continue;
        }
        // Events come in the order of their audio.
        const auto at =
            std::upper_bound(m_pending.begin(), m_pending.end(), e.sample,
                             [](qint64 s, const EspeakEvent& p) { return s < p.sample; });
        m_pending.insert(at, e);
    }
    pump();
    scheduleDelivery();
}

void EspeakEngine::pump()
{
    if (!m_output || !isValid())
        return;
    m_worker.feed([this](const short* samples, size_t count) {
        const qint64 wrote = m_output->write(reinterpret_cast<const char*>(samples),
                                             qint64(count) * qint64(sizeof(short)));
        return size_t(std::max<qint64>(0, wrote)) / sizeof(short);
    });
}

qint64 EspeakEngine::playedSamples() const
{
    // Rounded: the clock counts whole microseconds, so truncating could leave the last
    // sample of a text forever one short.
    return (m_output->playedUSecs() * m_sampleRate + 500000) / 1000000;
}

void EspeakEngine::deliverDue()
{
    if (m_delivering)
        return; // a handler ran a nested event loop; the outer loop goes on
    m_delivering = true;
    while (!m_paused && !m_pending.empty() && !waitingForSentence() &&
           m_pending.front().sample <= playedSamples()) {
        const EspeakEvent e = m_pending.front();
        m_pending.pop_front();
        m_currentEventUSecs = e.sample * 1000000 / m_sampleRate;
        // A handler may speak, purge or pause; the loop re-reads the state each time.
        switch (e.kind) {
        case EspeakEvent::Kind::Word:
            m_heardStream = e.stream;
            m_heardPosition = e.position;
            Q_EMIT word(e.stream, e.position, e.length);
            break;
        case EspeakEvent::Kind::Sentence:
            Q_EMIT sentence(e.stream, e.position, e.length);
            break;
        case EspeakEvent::Kind::End:
            if (!m_unfinished.empty() && m_unfinished.front().stream == e.stream)
                m_unfinished.pop_front();
            Q_EMIT endStream(e.stream);
            break;
        case EspeakEvent::Kind::SentenceLength:
            break;
        }
    }
    m_delivering = false;
    scheduleDelivery();
}

bool EspeakEngine::waitingForSentence() const
{
    // Nothing goes out before a sentence whose length is still to come.
    return !m_pending.empty() && m_pending.front().kind == EspeakEvent::Kind::Sentence &&
           m_pending.front().length < 0;
}

void EspeakEngine::scheduleDelivery()
{
    if (m_paused || m_pending.empty() || m_delivering || waitingForSentence()) {
        if (!m_delivering)
            m_delivery.stop();
        return;
    }
    const qint64 ahead = m_pending.front().sample - playedSamples();
    if (ahead <= 0) {
        m_delivery.start(0);
        return;
    }
    const double speed = std::max(0.001, m_output->clockSpeed());
    const double ms = double(ahead) * 1000.0 / m_sampleRate / speed;
    // At least a few milliseconds: while the output waits for data its clock stands still.
    m_delivery.start(std::clamp(int(std::ceil(ms)), 4, 1000));
}

std::unique_ptr<SpeechEngine> makeEspeakEngine(std::unique_ptr<AudioOutput> output)
{
    if (!output)
        output = makeDefaultAudioOutput();
    return std::make_unique<EspeakEngine>(std::move(output));
}

} // namespace lirondo
