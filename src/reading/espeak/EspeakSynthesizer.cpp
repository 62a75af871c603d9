#include "reading/espeak/EspeakSynthesizer.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace lirondo {

namespace espeakconst {
// espeak hands audio over in blocks of this many milliseconds.
constexpr int kBlockMs = 20;
// How far synthesis runs ahead of the output. While a sentence's end is not yet known it
// may run further, so that the sentence can be raised with its length when it is heard.
constexpr double kQueueSeconds = 1.5;
constexpr qsizetype kChunkMinChars = 40;
constexpr qsizetype kChunkMaxChars = 240;
constexpr double kOpenSentenceQueueSeconds = 15.0;
} // namespace espeakconst

EspeakSynthesizer& EspeakSynthesizer::shared()
{
    static EspeakSynthesizer synthesizer;
    return synthesizer;
}

EspeakSynthesizer::EspeakSynthesizer()
{
    std::promise<void> ready;
    auto started = ready.get_future();
    m_thread = std::thread([this, &ready] { run(ready); });
    started.wait();
}

EspeakSynthesizer::~EspeakSynthesizer()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        ++m_generationNow;
    }
    m_workCv.notify_all();
    m_spaceCv.notify_all();
    m_thread.join();
}

int EspeakSynthesizer::synthCallback(short* wav, int count, espeak_EVENT* events)
{
    espeak_EVENT* last = events;
    while (last->type != espeakEVENT_LIST_TERMINATED)
        ++last;
    auto* context = static_cast<Context*>(last->user_data);
    if (!context)
        return 1;
    return context->worker->onSynth(*context, wav, count, events) ? 0 : 1;
}

void EspeakSynthesizer::run(std::promise<void>& ready)
{
    m_sampleRate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, espeakconst::kBlockMs, nullptr, 0);
    if (m_sampleRate > 0) {
        espeak_SetSynthCallback(&EspeakSynthesizer::synthCallback);
        listVoices();
    } else {
        m_sampleRate = 0;
    }
    ready.set_value();

    for (;;) {
        QueuedJob queued;
        {
            std::unique_lock lock(m_mutex);
            m_workCv.wait(lock, [this] { return m_quit || !m_jobs.empty(); });
            if (m_quit)
                break;
            queued = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        if (m_sampleRate > 0)
            speakJob(queued.job, queued.generation);
    }
    if (m_sampleRate > 0)
        espeak_Terminate();
}

void EspeakSynthesizer::listVoices()
{
    const espeak_VOICE** list = espeak_ListVoices(nullptr);
    for (int i = 0; list && list[i]; ++i) {
        const espeak_VOICE* v = list[i];
        VoiceInfo info;
        info.id = QString::fromUtf8(v->identifier ? v->identifier : v->name);
        info.description = QString::fromUtf8(v->name ? v->name : "");
        // Each language is a priority byte, then a NUL-terminated name; a 0 byte ends.
        for (const char* p = v->languages; p && *p;) {
            const char* name = p + 1;
            const size_t length = std::strlen(name);
            if (length > 0)
                info.languages.append(QString::fromUtf8(name, qsizetype(length)));
            p = name + length + 1;
        }
        m_voices.append(info);
    }
}

void EspeakSynthesizer::speakJob(const Job& job, quint64 generation)
{
    if (!current(generation))
        return;
    m_jobGeneration = generation;
    if (generation != m_generation) {
        m_generation = generation;
        m_samples = 0;
    }
    if (job.voice != m_voice || m_voice.isNull()) {
        const QByteArray name = job.voice.isEmpty() ? QByteArrayLiteral("en") : job.voice;
        if (espeak_SetVoiceByName(name.constData()) == EE_OK)
            m_voice = job.voice.isNull() ? QByteArray("") : job.voice;
    }
    m_job = &job;
    m_sentence = {};
    m_lastWord = -1;
    m_furthest = job.begin;

    const QStringView text(job.text);
    qsizetype begin = std::clamp<qsizetype>(job.begin, 0, text.size());
    while (begin < text.size() && current(m_jobGeneration)) {
        bool atBreak = false;
        // Short chunks, mostly one sentence each: a new rate is taken up between
        // chunks, so it is heard within a sentence or two of the slider's move.
        const qsizetype end = chunkEnd(text, begin, espeakconst::kChunkMinChars,
                                       espeakconst::kChunkMaxChars, &atBreak);
        const EspeakChunk chunk = makeChunk(text, begin, end);
        const int wpm = m_wordsPerMinute.load();
        if (wpm != m_wpm && espeak_SetParameter(espeakRATE, wpm, 0) == EE_OK)
            m_wpm = wpm;
        const int gap = m_wordGapNow.load();
        if (gap != m_wordGap && espeak_SetParameter(espeakWORDGAP, gap, 0) == EE_OK)
            m_wordGap = gap;
        Context context{this, &job, &chunk, m_samples};
        // The end of a sentence inside the text keeps its pause; the end of the
        // text does not, so that the next text follows without a gap.
        const unsigned flags =
            espeakCHARS_UTF8 | (atBreak && end < text.size() ? espeakENDPAUSE : 0);
        espeak_Synth(chunk.utf8.constData(), size_t(chunk.utf8.size()) + 1, 0, POS_CHARACTER, 0,
                     flags, nullptr, &context);
        begin = end;
    }
    if (!current(m_jobGeneration))
        return;
    std::vector<EspeakEvent> tail;
    closeSentence(text.size(), tail);
    tail.push_back({m_jobGeneration, EspeakEvent::Kind::End, job.stream, 0, 0, m_samples});
    publish(std::move(tail), {});
    m_job = nullptr;
}

void EspeakSynthesizer::closeSentence(qsizetype end, std::vector<EspeakEvent>& out)
{
    const Job& job = *m_job;
    if (!m_sentence.open)
        return;
    m_sentence.open = false;
    out.push_back({m_jobGeneration, EspeakEvent::Kind::SentenceLength, job.stream,
                   int(m_sentence.position), int(std::max<qsizetype>(0, end - m_sentence.position)),
                   m_sentence.sample});
}

bool EspeakSynthesizer::onSynth(const Context& context, short* wav, int count, espeak_EVENT* list)
{
    const Job& job = *context.job;
    if (!current(m_jobGeneration))
        return false;
    const EspeakChunk& chunk = *context.chunk;
    const QStringView text(job.text);
    std::vector<EspeakEvent> found;
    for (espeak_EVENT* e = list; e->type != espeakEVENT_LIST_TERMINATED; ++e) {
        const qint64 sample = context.chunkSample + std::max(0, e->sample);
        if (e->type == espeakEVENT_WORD) {
            if (e->length <= 0)
                continue;
            const qsizetype first = chunk.offsetOf(e->text_position);
            const qsizetype last = chunk.offsetOf(int(std::min<qint64>(
                qint64(e->text_position) + e->length, std::numeric_limits<int>::max())));
            // espeak also reports the blank after an emoji as a word, and Mandarin
            // may end on a word that steps back.
            if (last <= first || first < m_lastWord || (job.resumed && first <= job.begin))
                continue;
            const QStringView span = text.sliced(first, last - first);
            if (std::all_of(span.begin(), span.end(), [](QChar c) { return c.isSpace(); }))
                continue;
            m_lastWord = first;
            m_furthest = std::max(m_furthest, last);
            found.push_back({m_jobGeneration, EspeakEvent::Kind::Word, job.stream, int(first),
                             int(last - first), sample});
        } else if (e->type == espeakEVENT_SENTENCE) {
            const qsizetype position = chunk.offsetOf(e->text_position);
            if ((m_sentence.open && position <= m_sentence.position) ||
                (job.resumed && position <= job.begin))
                continue;
            closeSentence(position, found);
            m_sentence = {true, position, sample};
            found.push_back({m_jobGeneration, EspeakEvent::Kind::Sentence, job.stream,
                             int(position), -1, sample});
        }
    }

    std::vector<short> samples;
    if (wav && count > 0)
        samples.assign(wav, wav + count);
    const qint64 added = qint64(samples.size());
    if (!publish(std::move(found), std::move(samples)))
        return false;
    m_samples += added;
    return current(m_jobGeneration);
}

bool EspeakSynthesizer::publish(std::vector<EspeakEvent> found, std::vector<short> samples)
{
    const quint64 gen = m_jobGeneration;
    const auto cap = [this] {
        return qint64(m_sampleRate * (m_sentence.open ? espeakconst::kOpenSentenceQueueSeconds
                                                      : espeakconst::kQueueSeconds));
    };
    {
        std::lock_guard lock(m_mutex);
        if (m_quit || !current(gen))
            return false;
        if (!samples.empty() && m_sentence.open && m_queuedSamples > cap()) {
            // A sentence this long is raised with what has been read of it so far.
            closeSentence(m_furthest, found);
        }
        m_events.insert(m_events.end(), found.begin(), found.end());
    }
    notify();
    if (samples.empty())
        return true;
    {
        std::unique_lock lock(m_mutex);
        m_spaceCv.wait(lock, [&] { return m_quit || !current(gen) || m_queuedSamples <= cap(); });
        if (m_quit || !current(gen))
            return false;
        m_queuedSamples += qint64(samples.size());
        m_audio.push_back({gen, std::move(samples), 0});
    }
    notify();
    return true;
}

void EspeakSynthesizer::notify()
{
    if (m_notifyPending.exchange(true))
        return;
    std::lock_guard lock(m_mutex);
    if (m_notify)
        m_notify();
}

void EspeakSynthesizer::attach(std::function<void()> notify)
{
    {
        std::lock_guard lock(m_mutex);
        dropAllLocked();
        m_notify = std::move(notify);
    }
    m_wordsPerMinute.store(espeakRATE_NORMAL);
    m_wordGapNow.store(0);
    m_notifyPending.store(false);
    m_spaceCv.notify_all();
}

void EspeakSynthesizer::detach()
{
    {
        std::lock_guard lock(m_mutex);
        dropAllLocked();
        m_notify = nullptr;
    }
    m_spaceCv.notify_all();
}

bool EspeakSynthesizer::setSpeed(int wordsPerMinute, int wordGap)
{
    const bool sameRate = m_wordsPerMinute.exchange(wordsPerMinute) == wordsPerMinute;
    const bool sameGap = m_wordGapNow.exchange(wordGap) == wordGap;
    return !(sameRate && sameGap);
}

void EspeakSynthesizer::enqueue(Job job)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back({m_generationNow.load(), std::move(job)});
    }
    m_workCv.notify_one();
}

void EspeakSynthesizer::purge(const std::vector<Job>& jobs)
{
    {
        std::lock_guard lock(m_mutex);
        dropAllLocked();
        for (const Job& job : jobs)
            m_jobs.push_back({m_generationNow.load(), job});
    }
    m_spaceCv.notify_all();
    if (!jobs.empty())
        m_workCv.notify_one();
}

std::vector<EspeakEvent> EspeakSynthesizer::takeEvents()
{
    m_notifyPending.store(false);
    std::vector<EspeakEvent> taken;
    {
        std::lock_guard lock(m_mutex);
        taken.swap(m_events);
    }
    const quint64 gen = m_generationNow.load();
    std::erase_if(taken, [gen](const EspeakEvent& e) { return e.generation != gen; });
    return taken;
}

std::deque<EspeakSynthesizer::Block> EspeakSynthesizer::takeAudio()
{
    std::deque<Block> taken;
    {
        std::lock_guard lock(m_mutex);
        taken.swap(m_audio);
        m_queuedSamples = 0;
    }
    m_spaceCv.notify_all();
    const quint64 gen = m_generationNow.load();
    std::erase_if(taken, [gen](const Block& b) { return b.generation != gen; });
    return taken;
}

void EspeakSynthesizer::feed(const std::function<size_t(const short*, size_t)>& write)
{
    bool freed = false;
    {
        std::lock_guard lock(m_mutex);
        const quint64 gen = m_generationNow.load();
        while (!m_audio.empty()) {
            Block& block = m_audio.front();
            if (block.generation == gen) {
                const size_t left = block.samples.size() - block.taken;
                const size_t samples =
                    std::min(left, write(block.samples.data() + block.taken, left));
                block.taken += samples;
                m_queuedSamples -= qint64(samples);
                freed = freed || samples > 0;
                if (block.taken < block.samples.size())
                    break;
            } else {
                m_queuedSamples -= qint64(block.samples.size() - block.taken);
            }
            m_audio.pop_front();
        }
    }
    if (freed)
        m_spaceCv.notify_all();
}

void EspeakSynthesizer::dropAllLocked()
{
    ++m_generationNow;
    m_jobs.clear();
    m_audio.clear();
    m_queuedSamples = 0;
    m_events.clear();
}

} // namespace lirondo
