#pragma once

#include "reading/SpeechEngine.h"
#include "reading/espeak/EspeakChunk.h"
#include "reading/espeak/EspeakEvent.h"

#include <espeak-ng/speak_lib.h>

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace lirondo {

// espeak-ng and the one thread that calls it, with what that thread shares with the
// thread that feeds the output. espeak-ng can be initialized only once per process (a
// second initialization hangs it), so there is one of these, shared(); an engine or an
// export takes it over with attach() and lets go with detach().
class EspeakSynthesizer
{
public:
    struct Job
    {
        int stream = 0;
        QString text;
        QByteArray voice;
        // Where in `text` synthesis starts. A resumed job goes on from the word being
        // heard, which (like its sentence) has been raised already: they are not raised
        // again.
        qsizetype begin = 0;
        bool resumed = false;
    };
    struct Block
    {
        quint64 generation = 0;
        std::vector<short> samples;
        size_t taken = 0; // samples already written to the output
    };

    // The process's synthesizer; the first call starts its thread and returns once espeak
    // is up (or failed).
    static EspeakSynthesizer& shared();

    EspeakSynthesizer(const EspeakSynthesizer&) = delete;
    EspeakSynthesizer& operator=(const EspeakSynthesizer&) = delete;

    // 0: espeak did not start.
    int sampleRate() const { return m_sampleRate; }
    const QList<VoiceInfo>& voices() const { return m_voices; }

    // `notify` is called (on the worker thread) when there are new events or audio.
    // Both drop everything under way and reset the speed to espeak's normal.
    void attach(std::function<void()> notify);
    void detach();

    // Words per minute and espeak's pause between words (in its units of 10 ms), taken
    // up from the next chunk on. False when both were set already.
    bool setSpeed(int wordsPerMinute, int wordGap);
    // Queued behind what is there, in the current generation.
    void enqueue(Job job);
    // A purge: what is queued or under way is dropped; `jobs` (if any) follow at once.
    void purge(const std::vector<Job>& jobs = {});
    // The events of the current generation since the last call.
    std::vector<EspeakEvent> takeEvents();
    // The audio of the current generation since the last call, all of it.
    std::deque<Block> takeAudio();
    // Hands queued audio to `write` (samples, count → samples taken; fewer when the
    // output is full) until it takes less than offered or the queue is empty.
    void feed(const std::function<size_t(const short*, size_t)>& write);

    ~EspeakSynthesizer(); // stops and joins the thread

private:
    // What the synthesis callback needs about the chunk under way.
    struct Context
    {
        EspeakSynthesizer* worker = nullptr;
        const Job* job = nullptr;
        const EspeakChunk* chunk = nullptr;
        qint64 chunkSample = 0; // samples of this generation before the chunk
    };
    struct OpenSentence
    {
        bool open = false;
        qsizetype position = 0;
        qint64 sample = 0;
    };

    EspeakSynthesizer();

    static int synthCallback(short* wav, int count, espeak_EVENT* events);
    void run(std::promise<void>& ready);
    void listVoices();
    bool current(quint64 gen) const { return m_generationNow.load() == gen; }
    void dropAllLocked();
    void speakJob(const Job& job, quint64 generation);
    void closeSentence(qsizetype end, std::vector<EspeakEvent>& out);
    bool onSynth(const Context& context, short* wav, int count, espeak_EVENT* list);
    // Hands events, then a block, to the UI thread; waits while the queue is full. False
    // when a purge dropped this generation meanwhile.
    bool publish(std::vector<EspeakEvent> found, std::vector<short> samples);
    void notify();

    // Set before the constructor returns; read-only afterwards.
    int m_sampleRate = 0;
    QList<VoiceInfo> m_voices;

    // Shared by the two threads, under m_mutex unless atomic. A job carries the
    // generation it was queued in; a purge starts a new one.
    struct QueuedJob
    {
        quint64 generation = 0;
        Job job;
    };
    std::mutex m_mutex;
    std::condition_variable m_workCv;  // a job arrived, or quit
    std::condition_variable m_spaceCv; // the queue has room, a purge happened, or quit
    std::deque<QueuedJob> m_jobs;
    std::deque<Block> m_audio;
    qint64 m_queuedSamples = 0;
    std::vector<EspeakEvent> m_events;
    std::atomic<quint64> m_generationNow{1};
    std::atomic<int> m_wordsPerMinute{espeakRATE_NORMAL};
    std::atomic<int> m_wordGapNow{0};
    std::atomic<bool> m_notifyPending{false};
    bool m_quit = false;
    std::function<void()> m_notify;

    std::thread m_thread;
    // Worker-only state.
    const Job* m_job = nullptr;
    quint64 m_jobGeneration = 0;
    quint64 m_generation = 0;
    qint64 m_samples = 0; // samples of this generation so far: the output's timeline
    QByteArray m_voice;
    int m_wpm = 0;
    int m_wordGap = -1;
    OpenSentence m_sentence;
    qsizetype m_lastWord = -1;
    qsizetype m_furthest = 0;
};

} // namespace lirondo
