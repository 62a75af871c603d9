#include "export/Exporter.h"

#include "export/AudioFileWriter.h"
#include "export/SubtitleWriter.h"
#include "reading/LanguageRuns.h"
#include "reading/VoiceTable.h"
#include "reading/espeak/EspeakEngine.h"
#include "reading/espeak/EspeakSynthesizer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <chrono>

namespace lirondo {

namespace {
// Messages the user reads, looked up in the installed translation.
struct Text
{
    Q_DECLARE_TR_FUNCTIONS(lirondo::Exporter)
};
} // namespace

using namespace Qt::StringLiterals;

namespace {

// Jobs handed to espeak ahead of the one being synthesized, so a voice switch between
// runs never waits for this thread.
constexpr int kJobsAhead = 3;
// A cue this long is closed at the next sentence the engine reports, punctuation or not.
constexpr qsizetype kMaxCueChars = 300;

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// The engine reports a sentence at every run of a mixed reading too; a cue ends only
// where the text ends a sentence: after terminal punctuation (and closing quotes) or at
// a line break.
bool endsSentence(QStringView text)
{
    qsizetype i = text.size();
    while (i > 0 && text[i - 1].isSpace()) {
        if (isLineBreak(text[i - 1]))
            return true;
        --i;
    }
    static const QString closing = Text::tr("\"')]}”’」』）》");
    while (i > 0 && closing.contains(text[i - 1]))
        --i;
    static const QString terminal = Text::tr(".!?;:。！？；：…");
    return i > 0 && terminal.contains(text[i - 1]);
}

// Holds the synthesizer for an export; wait() returns when it has new data (or a while
// has passed).
struct SynthesizerSession
{
    explicit SynthesizerSession(EspeakSynthesizer& s) : synth(s)
    {
        synth.attach([this] {
            std::lock_guard lock(mutex);
            ready = true;
            cv.notify_all();
        });
    }
    ~SynthesizerSession() { synth.detach(); }
    void wait()
    {
        std::unique_lock lock(mutex);
        cv.wait_for(lock, std::chrono::milliseconds(200), [this] { return ready; });
        ready = false;
    }
    EspeakSynthesizer& synth;
    std::mutex mutex;
    std::condition_variable cv;
    bool ready = false;
};

} // namespace

QString exportMessage(ExportStatus status, const QString& outputPath, const QString& detail)
{
    const QString name = QFileInfo(outputPath).fileName();
    switch (status) {
    case ExportStatus::Ok:
        return Text::tr("已保存：%1").arg(outputPath);
    case ExportStatus::EngineFailed:
        return Text::tr("语音引擎 espeak-ng 无法启动（是否已安装 espeak-ng-data？）");
    case ExportStatus::EmptyText:
        return Text::tr("没有可朗读的文字，未保存任何文件");
    case ExportStatus::NoMixedVoices:
        return Text::tr("中英文混读需要中文和英文两种语音");
    case ExportStatus::UnsupportedFormat:
        return Text::tr("不支持的音频格式：%1（可用：%2）")
            .arg(name, AudioFileWriter::extensions().join(u", "_s));
    case ExportStatus::CannotWrite:
        return Text::tr("无法写入 %1：%2").arg(outputPath, detail);
    case ExportStatus::WriteFailed:
        return Text::tr("写入 %1 时出错（磁盘已满？）：%2").arg(outputPath, detail);
    case ExportStatus::Cancelled:
        return Text::tr("已取消，未保存任何文件");
    }
    return {};
}

Exporter::Exporter(EspeakSynthesizer& synthesizer, const GbkCodePage& gbk)
    : m_synth(synthesizer), m_gbk(gbk)
{}

ExportResult Exporter::run(const ExportRequest& request,
                           const std::function<void(const ExportProgress&)>& progress,
                           const std::atomic<bool>* cancel)
{
    ExportResult result;
    const auto fail = [&result](ExportStatus status, QString detail = {}) {
        result.status = status;
        result.detail = std::move(detail);
        return result;
    };
    if (!AudioFileWriter::formatFor(request.outputPath))
        return fail(ExportStatus::UnsupportedFormat);
    if (m_synth.sampleRate() <= 0)
        return fail(ExportStatus::EngineFailed);
    const QString& text = request.text;
    if (text.trimmed().isEmpty())
        return fail(ExportStatus::EmptyText);
    const int rate = m_synth.sampleRate();
    result.sampleRate = rate;

    // What is spoken: the whole text in one voice, or its runs in theirs.
    const QList<VoiceInfo>& voices = m_synth.voices();
    const VoiceTable table = VoiceTable::build(voices);
    const auto voiceId = [&voices](int position) {
        return position >= 0 && position < voices.size() ? voices.at(position).id.toUtf8()
                                                         : QByteArray();
    };
    const int plainVoice = request.voice >= 0   ? request.voice
                           : table.chinese >= 0 ? table.chinese
                                                : table.english;
    LanguageRuns runs(m_gbk);
    qsizetype pieces = 1;
    if (request.mixed) {
        if (table.chinese < 0 || table.english < 0)
            return fail(ExportStatus::NoMixedVoices);
        runs.split(text, 0, table.chinese, table.english);
        pieces = runs.runCount();
    }
    const auto pieceOffset = [&](qsizetype k) { return request.mixed ? runs.runOffset(k) : 0; };

    AudioFileWriter audio(request.outputPath, rate);
    if (const QString error = audio.open(); !error.isEmpty())
        return fail(ExportStatus::CannotWrite, error);
    const QFileInfo info(request.outputPath);
    SubtitleWriter subtitles(info.path() + u'/' + info.completeBaseName(), rate);
    if (!subtitles.open())
        return fail(ExportStatus::CannotWrite, subtitles.error());

    SynthesizerSession session(m_synth);
    m_synth.setSpeed(EspeakEngine::wordsPerMinute(request.rate),
                     EspeakEngine::wordGap(request.rate));
    const float gain = float(std::clamp(request.volume, 0, 100)) / 100.0f;

    TimedSentence cue;
    qsizetype cueStart = 0;
    bool cueOpen = false;
    const auto closeCue = [&](qsizetype end, qint64 sample) {
        if (!cueOpen)
            return;
        cue.text = text.mid(cueStart, end - cueStart);
        cue.end = sample;
        subtitles.add(cue);
        ++result.sentences;
        cue.words.clear();
        cueOpen = false;
    };

    QElapsedTimer clock;
    clock.start();
    qsizetype next = 0;  // next piece to hand to espeak
    qsizetype ended = 0; // pieces synthesized to their end
    qsizetype furthest = 0;
    qint64 total = 0;
    std::vector<EspeakEvent> events;
    std::deque<EspeakSynthesizer::Block> blocks;
    while (ended < pieces) {
        if (cancel && cancel->load())
            return fail(ExportStatus::Cancelled);
        while (next < pieces && next - ended < kJobsAhead) {
            const QString piece =
                request.mixed ? runs.runText(next) : text; // the whole text shares
            const int voice = request.mixed ? runs.runVoice(next) : plainVoice;
            m_synth.enqueue({int(next + 1), piece, voiceId(voice)});
            ++next;
        }
        session.wait();
        events = m_synth.takeEvents();
        blocks = m_synth.takeAudio();

        for (const EspeakEvent& e : events) {
            const qsizetype at = pieceOffset(e.stream - 1) + e.position;
            switch (e.kind) {
            case EspeakEvent::Kind::Sentence:
                if (!cueOpen) {
                    cueOpen = true;
                    cueStart = result.sentences == 0 ? 0 : at;
                    cue.start = e.sample;
                } else if (at > cueStart &&
                           (endsSentence(QStringView(text).sliced(cueStart, at - cueStart)) ||
                            at - cueStart > kMaxCueChars)) {
                    closeCue(at, e.sample);
                    cueOpen = true;
                    cueStart = at;
                    cue.start = e.sample;
                }
                break;
            case EspeakEvent::Kind::Word:
                if (!cueOpen) {
                    cueOpen = true;
                    cueStart = result.sentences == 0 ? 0 : at;
                    cue.start = e.sample;
                }
                cue.words.push_back({at - cueStart, e.length, e.sample});
                furthest = std::max(furthest, at + e.length);
                ++result.words;
                break;
            case EspeakEvent::Kind::End:
                ++ended;
                total = std::max(total, e.sample);
                break;
            case EspeakEvent::Kind::SentenceLength:
                break;
            }
        }
        events.clear();
        for (const EspeakSynthesizer::Block& block : blocks) {
            if (!audio.write(block.samples.data(), block.samples.size(), gain))
                return fail(ExportStatus::WriteFailed, audio.error());
            result.samples += qint64(block.samples.size());
        }
        blocks.clear();
        if (progress) {
            ExportProgress p;
            p.fraction = double(furthest) / double(text.size());
            if (ended == pieces)
                p.fraction = 1.0;
            const double elapsed = double(clock.elapsed()) / 1000.0;
            p.secondsLeft = p.fraction > 0.001 ? elapsed * (1.0 - p.fraction) / p.fraction : -1;
            p.audioSeconds = double(result.samples) / rate;
            progress(p);
        }
    }
    if (result.samples == 0)
        return fail(ExportStatus::EmptyText);
    closeCue(text.size(), std::max(total, result.samples));
    if (!audio.commit())
        return fail(ExportStatus::WriteFailed, audio.error());
    if (!subtitles.commit()) {
        QFile::remove(request.outputPath);
        return fail(ExportStatus::WriteFailed, subtitles.error());
    }
    return result;
}

} // namespace lirondo
