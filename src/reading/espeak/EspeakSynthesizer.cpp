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
        std::lock_guard lock(mutex);
        quit = true;
        ++generation;
    }
    workCv.notify_all();
    spaceCv.notify_all();
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
    sampleRate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, espeakconst::kBlockMs, nullptr, 0);
    if (sampleRate > 0) {
        espeak_SetSynthCallback(&EspeakSynthesizer::synthCallback);
        listVoices();
    } else {
        sampleRate = 0;
    }
    ready.set_value();

    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex);
            workCv.wait(lock, [this] { return quit || !jobs.empty(); });
            if (quit)
                break;
            job = std::move(jobs.front());
            jobs.pop_front();
        }
        if (sampleRate > 0)
            speakJob(job);
    }
    if (sampleRate > 0)
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
        voices.append(info);
    }
}

void EspeakSynthesizer::speakJob(const Job& job)
{
    if (!current(job.generation))
        return;
    if (job.generation != m_generation) {
        m_generation = job.generation;
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
    while (begin < text.size() && current(job.generation)) {
        bool atBreak = false;
        // Short chunks, mostly one sentence each: a new rate is taken up between
        // chunks, so it is heard within a sentence or two of the slider's move.
        const qsizetype end = chunkEnd(text, begin, espeakconst::kChunkMinChars,
                                       espeakconst::kChunkMaxChars, &atBreak);
        const EspeakChunk chunk = makeChunk(text, begin, end);
        const int wpm = wordsPerMinute.load();
        if (wpm != m_wpm && espeak_SetParameter(espeakRATE, wpm, 0) == EE_OK)
            m_wpm = wpm;
        const int gap = wordGap.load();
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
    if (!current(job.generation))
        return;
    std::vector<EspeakEvent> tail;
    closeSentence(text.size(), tail);
    tail.push_back({job.generation, EspeakEvent::Kind::End, job.stream, 0, 0, m_samples});
    publish(std::move(tail), {});
    m_job = nullptr;
}

void EspeakSynthesizer::closeSentence(qsizetype end, std::vector<EspeakEvent>& out)
{
    const Job& job = *m_job;
    if (!m_sentence.open)
        return;
    m_sentence.open = false;
    out.push_back({job.generation, EspeakEvent::Kind::SentenceLength, job.stream,
                   int(m_sentence.position), int(std::max<qsizetype>(0, end - m_sentence.position)),
                   m_sentence.sample});
}

bool EspeakSynthesizer::onSynth(const Context& context, short* wav, int count, espeak_EVENT* list)
{
    const Job& job = *context.job;
    if (!current(job.generation))
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
            found.push_back({job.generation, EspeakEvent::Kind::Word, job.stream, int(first),
                             int(last - first), sample});
        } else if (e->type == espeakEVENT_SENTENCE) {
            const qsizetype position = chunk.offsetOf(e->text_position);
            if ((m_sentence.open && position <= m_sentence.position) ||
                (job.resumed && position <= job.begin))
                continue;
            closeSentence(position, found);
            m_sentence = {true, position, sample};
            found.push_back({job.generation, EspeakEvent::Kind::Sentence, job.stream, int(position),
                             -1, sample});
        }
    }

    std::vector<short> samples;
    if (wav && count > 0)
        samples.assign(wav, wav + count);
    const qint64 added = qint64(samples.size());
    if (!publish(std::move(found), std::move(samples)))
        return false;
    m_samples += added;
    return current(job.generation);
}

bool EspeakSynthesizer::publish(std::vector<EspeakEvent> found, std::vector<short> samples)
{
    const quint64 gen = m_job->generation;
    const auto cap = [this] {
        return qint64(sampleRate * (m_sentence.open ? espeakconst::kOpenSentenceQueueSeconds
                                                    : espeakconst::kQueueSeconds));
    };
    {
        std::lock_guard lock(mutex);
        if (quit || !current(gen))
            return false;
        if (!samples.empty() && m_sentence.open && queuedSamples > cap()) {
            // A sentence this long is raised with what has been read of it so far.
            closeSentence(m_furthest, found);
        }
        events.insert(events.end(), found.begin(), found.end());
    }
    notify();
    if (samples.empty())
        return true;
    {
        std::unique_lock lock(mutex);
        spaceCv.wait(lock, [&] { return quit || !current(gen) || queuedSamples <= cap(); });
        if (quit || !current(gen))
            return false;
        queuedSamples += qint64(samples.size());
        audio.push_back({gen, std::move(samples), 0});
    }
    notify();
    return true;
}

void EspeakSynthesizer::notify()
{
    if (notifyPending.exchange(true))
        return;
    std::lock_guard lock(mutex);
    if (m_notify)
        m_notify();
}

void EspeakSynthesizer::attach(std::function<void()> notify)
{
    {
        std::lock_guard lock(mutex);
        dropAllLocked();
        m_notify = std::move(notify);
    }
    wordsPerMinute.store(espeakRATE_NORMAL);
    wordGap.store(0);
    notifyPending.store(false);
    spaceCv.notify_all();
}

void EspeakSynthesizer::detach()
{
    {
        std::lock_guard lock(mutex);
        dropAllLocked();
        m_notify = nullptr;
    }
    spaceCv.notify_all();
}

void EspeakSynthesizer::dropAllLocked()
{
    ++generation;
    jobs.clear();
    audio.clear();
    queuedSamples = 0;
    events.clear();
}

} // namespace lirondo
