#include "documents/DropData.h"

#include <QDir>
#include <QMimeData>
#include <QUrl>

namespace lirondo {

QStringList droppedFiles(const QMimeData& data)
{
    QStringList files;
    if (!data.hasUrls())
        return files;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    }
    return files;
}

std::optional<QString> droppedText(const QMimeData& data)
{
    if (!data.hasText())
        return std::nullopt;
    const QString text = data.text();
    if (!data.hasUrls())
        return text;

    // Only local files count: a dragged web link is text the user may want to read.
    QStringList forms;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile())
            continue;
        forms.append(url.toString());
        forms.append(QUrl::fromPercentEncoding(url.toEncoded()));
        forms.append(url.toLocalFile());
    }
    if (forms.isEmpty())
        return text;
    // Blank text beside files carries nothing to read either.
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QString entry = line.trimmed();
        if (!entry.isEmpty() && !forms.contains(entry))
            return text;
    }
    return std::nullopt;
}

QStringList commandLineFiles(const QStringList& arguments, const QString& workingDir)
{
    const QDir base(workingDir);
    QStringList files;
    for (const QString& argument : arguments) {
        if (argument.isEmpty())
            continue;
        const QUrl url(argument);
        const QString path = url.isLocalFile() ? url.toLocalFile() : argument;
        files.append(QDir::cleanPath(base.absoluteFilePath(path)));
    }
    return files;
}

} // namespace lirondo
