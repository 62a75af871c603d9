#pragma once

#include "export/OutputFile.h"
#include "export/Resampler.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

struct sf_private_tag;

namespace lirondo {

// The audio of an export, written through libsndfile in the format the file's extension
// names, at the engine's rate or resampled where the format needs another rate.
class AudioFileWriter
{
public:
    struct Format
    {
        int sndfileFormat = 0;
        int sampleRate = 0; // 0: the engine's own
    };
    // The format for a file name (by its extension, any case); none when unsupported.
    static std::optional<Format> formatFor(const QString& path);
    // The extensions formatFor() knows, for messages and the save dialog.
    static QStringList extensions();

    AudioFileWriter(QString path, int sourceRate);
    ~AudioFileWriter();

    // Empty on success, else what went wrong (libsndfile's words).
    QString open();
    // False when the file could not take the samples (a full disk, say).
    bool write(const short* samples, size_t count, float gain);
    // Flushes, closes and renames the file into place.
    bool commit();
    void discard();
    QString error() const;

private:
    bool writeFloats(const float* samples, size_t count);
    bool closeFile();

    OutputFile m_file;
    int m_sourceRate;
    Format m_format;
    sf_private_tag* m_sndfile = nullptr;
    std::unique_ptr<Resampler> m_resampler;
    std::vector<float> m_in;
    std::vector<float> m_out;
    QString m_error;
};

} // namespace lirondo
