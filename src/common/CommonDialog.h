#pragma once

#include "common/FileDialogPort.h"

#include <QString>
#include <QStringList>

namespace lirondo {

// The main window's one common dialog: its settings stay as the last user left
// them, so the text-open command and the character search share them.
// The fields are the dialog control's properties (`Filter`, `DialogTitle`, `InitDir`,
// `FileName`, `FilterIndex`, `CancelError`).
class CommonDialog
{
public:
    explicit CommonDialog(FileDialogPort& port) : m_port(port) {}

    QString filter;
    QString title;
    QString initialDir;
    QString fileName;
    int filterIndex = 1;
    bool cancelError = false;
    QStringList history; // files opened before, newest first, offered by the dialog

    // Shows the open dialog. Returns false when the user cancelled and cancelError
    // is set (the caller treats that as a failure); a cancel without cancelError
    // leaves fileName as it was and returns true.
    bool showOpen();

    // "desc|pattern|desc|pattern" -> Qt's name filters; a bare pattern stays itself.
    static QStringList qtNameFilters(const QString& filter);

private:
    FileDialogPort& m_port;
};

} // namespace lirondo
