#pragma once

#include "reading/SpeechEngine.h"
#include "reading/audio/AudioOutput.h"
#include "reading/espeak/EspeakEvent.h"

#include <QTimer>

#include <deque>
#include <memory>

namespace lirondo {

class EspeakSynthesizer;

// eVoice on espeak-ng, in process. One worker thread alone calls espeak (it is not
// re-entrant) and synthesizes a text a chunk at a time into a bounded queue; the UI
// thread feeds the output from that queue and raises each event when the output's clock
// reaches the event's sample, so the selected word is the one being heard.
class EspeakEngine final : public SpeechEngine
{
    Q_OBJECT
public:
    // Engines made one after another take the process's one synthesizer over in turn.
    explicit EspeakEngine(std::unique_ptr<AudioOutput> output, QObject* parent = nullptr);
    ~EspeakEngine() override;

    // False when espeak-ng could not start (no data files): no voices, nothing is spoken.
    bool isValid() const;
    bool isReady() const override { return isValid(); }
    int sampleRate() const;
    AudioOutput* output() const { return m_output.get(); }
    // While an event is being raised: where it lies in the output's audio, in
    // microseconds of the output clock (for measuring how close delivery is).
    qint64 currentEventUSecs() const { return m_currentEventUSecs; }

    QList<VoiceInfo> voices() const override { return m_voices; }
    void setVoice(int position) override;
    void setRate(int rate) override;
    void setVolume(int volume) override;
    // Always returns at once: a call without the Async flag is spoken in the background
    // too, since nothing may block the UI thread.
    int speak(const QString& text, SpeakFlags flags) override;
    // A pause holds the output, and lasts over a purge and later speak calls until
    // resume().
    void pause() override;
    void resume() override;

    // espeak's words per minute and its pause between words (in units of 10 ms) for a
    // rate of -10 .. 10.
    static int wordsPerMinute(int rate);
    static int wordGap(int rate);

private:
    // A text spoken and not yet ended, as the worker is to synthesize it again.
    struct Spoken
    {
        int stream = 0;
        QString text;
        QByteArray voice;
        qsizetype begin = 0;
        bool resumed = false;
    };

    void restartFromHeardWord();
    void onWorkerData();
    void pump();
    void purge();
    void deliverDue();
    void scheduleDelivery();
    bool waitingForSentence() const;
    qint64 playedSamples() const;

    std::unique_ptr<AudioOutput> m_output;
    EspeakSynthesizer& m_worker;
    QList<VoiceInfo> m_voices;
    QByteArray m_voiceName; // what the next speak call uses; empty: espeak's default
    int m_sampleRate = 0;
    int m_lastStream = 0;
    bool m_paused = false;
    bool m_delivering = false;
    qint64 m_currentEventUSecs = 0;
    std::deque<EspeakEvent> m_pending; // sorted by sample
    std::deque<Spoken> m_unfinished;   // in the order they are heard
    int m_heardStream = 0;             // the last word raised
    qsizetype m_heardPosition = 0;
    QTimer m_delivery;
};

// The program's engine on the given output (the default output when null).
std::unique_ptr<SpeechEngine> makeEspeakEngine(std::unique_ptr<AudioOutput> output = nullptr);

} // namespace lirondo
