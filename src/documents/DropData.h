#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QMimeData;

namespace lirondo {

// The local files a drop carries, in the order of the drop list.
QStringList droppedFiles(const QMimeData& data);

// The text a drop carries. File managers put the dropped files' addresses in the text
// as well; that text is the file list, not a text drop, and gives nothing here.
std::optional<QString> droppedText(const QMimeData& data);

// The files named on the command line, as a drop would give them: absolute paths, with
// file: addresses turned into paths.
QStringList commandLineFiles(const QStringList& arguments, const QString& workingDir);

} // namespace lirondo
