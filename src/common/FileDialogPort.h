#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace lirondo {

// The open-file and save-file dialogs. The filter is in the "description|pattern|..." form the
// program keeps; std::nullopt means the user cancelled.
class FileDialogPort
{
public:
    struct OpenRequest
    {
        QString title;
        QString filter;
        int filterIndex = 1;
        QString initDir;
        QString fileName;
        QStringList history; // files opened before, newest first
    };

    virtual ~FileDialogPort() = default;
    virtual std::optional<QString> getOpenFileName(const OpenRequest& request) = 0;
    // A file to write; the dialog asks before an existing one is replaced.
    virtual std::optional<QString> getSaveFileName(const OpenRequest& request) = 0;
};

} // namespace lirondo
