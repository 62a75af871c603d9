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

// espeak-ng and the one thread that calls it, with what that thread shares with the UI
// thread. espeak-ng can be initialized only once per process (a second initialization
// hangs it), so there is one of these per process; engines made one after the other (as
// in tests) share it through attach() and detach().
class EspeakSynthesizer
{
public:
    struct Job
    {
        quint64 generation = 0;
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

    EspeakSynthesizer();  // starts the thread; returns once espeak is up (or failed)
    ~EspeakSynthesizer(); // stops and joins the thread

    // An engine takes the synthesizer over: `notify` is called (on the worker thread)
    // when there are new events or audio. detach() drops everything under way.
    void attach(std::function<void()> notify);
    void detach();
    // A purge: all that is queued or under way belongs to an old generation from now on.
    // Call with `mutex` held.
    void dropAllLocked();

    // Set before the constructor returns; read-only afterwards. 0: espeak did not start.
    int sampleRate = 0;
    QList<VoiceInfo> voices;

    // Shared with the UI thread, under `mutex` unless atomic.
    std::mutex mutex;
    std::condition_variable workCv;  // a job arrived, or quit
    std::condition_variable spaceCv; // the queue has room, a purge happened, or quit
    std::deque<Job> jobs;
    std::deque<Block> audio;
    qint64 queuedSamples = 0;
    std::vector<EspeakEvent> events;
    std::atomic<quint64> generation{1};
    std::atomic<int> wordsPerMinute{espeakRATE_NORMAL};
    std::atomic<int> wordGap{0}; // espeak's pause between words, in its units of 10 ms
    std::atomic<bool> notifyPending{false};
    bool quit = false;

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

    static int synthCallback(short* wav, int count, espeak_EVENT* events);
    void run(std::promise<void>& ready);
    void listVoices();
    bool current(quint64 gen) const { return generation.load() == gen; }
    void speakJob(const Job& job);
    void closeSentence(qsizetype end, std::vector<EspeakEvent>& out);
    bool onSynth(const Context& context, short* wav, int count, espeak_EVENT* list);
    // Hands events, then a block, to the UI thread; waits while the queue is full. False
    // when a purge dropped this generation meanwhile.
    bool publish(std::vector<EspeakEvent> found, std::vector<short> samples);
    void notify();

    std::function<void()> m_notify; // under `mutex`
    std::thread m_thread;
    // Worker-only state.
    const Job* m_job = nullptr;
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
