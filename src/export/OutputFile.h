#pragma once

#include <QString>

namespace lirondo {

// A file written under a temporary name beside its final one and renamed over it only
// when everything has been written, so a failed or cancelled export never leaves a half
// file under the final name. The temporary file is removed unless commit() succeeded.
class OutputFile
{
public:
    explicit OutputFile(QString finalPath);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file; false when the folder cannot be written.
    bool create();
    const QString& tempPath() const { return m_temp; }
    const QString& finalPath() const { return m_final; }
    // Renames the temporary file over the final name.
    bool commit();
    void discard();

private:
    QString m_final;
    QString m_temp;
};

} // namespace lirondo
