#pragma once

#include <QString>

#include <atomic>
#include <functional>
#include <memory>

namespace lirondo {

class EspeakSynthesizer;
class GbkCodePage;

struct ExportRequest
{
    QString text;
    QString outputPath; // the audio file; the subtitles go beside it
    bool mixed = false; // Chinese and English runs, each in its own voice
    int voice = -1;     // position in the engine's voices for plain reading; -1: the Chinese one
    int rate = 0;       // -10 .. 10, as the rate slider
    int volume = 100;   // 0 .. 100
};

struct ExportProgress
{
    double fraction = 0;     // of the text read
    double secondsLeft = -1; // estimate; -1 while unknown
    double audioSeconds = 0; // audio written so far
};

enum class ExportStatus
{
    Ok,
    EngineFailed,      // espeak-ng did not start
    EmptyText,         // nothing to read
    NoMixedVoices,     // mixed reading needs a Chinese and an English voice
    UnsupportedFormat, // the extension names no format we write
    CannotWrite,       // the folder cannot be written, or a file could not be made
    WriteFailed,       // writing stopped part-way (a full disk, say)
    Cancelled,
};

struct ExportResult
{
    ExportStatus status = ExportStatus::Ok;
    QString detail; // a file name or the library's own words, for the message
    qint64 samples = 0;
    int sampleRate = 0;
    int sentences = 0;
    int words = 0;
    bool ok() const { return status == ExportStatus::Ok; }
};

// The message a user sees for a result, in the program's words.
QString exportMessage(ExportStatus status, const QString& outputPath, const QString& detail = {});

// Reads a text into an audio file with its subtitles, as fast as espeak-ng synthesizes,
// on the thread that calls run(). It takes the process's one espeak-ng over for the
// time of the export, so no engine may be speaking through it meanwhile.
class Exporter
{
public:
    Exporter(EspeakSynthesizer& synthesizer, const GbkCodePage& gbk);

    // `progress` is called on the calling thread after every batch of audio; `cancel`
    // may be set from any thread. Nothing is left under the output's names unless the
    // result is Ok.
    ExportResult run(const ExportRequest& request,
                     const std::function<void(const ExportProgress&)>& progress = {},
                     const std::atomic<bool>* cancel = nullptr);

private:
    EspeakSynthesizer& m_synth;
    const GbkCodePage& m_gbk;
};

} // namespace lirondo
