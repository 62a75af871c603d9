#include "common/qt/QtFileDialogPort.h"

#include "common/CommonDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace lirondo {

namespace {

// "Name (*.flac)" -> "flac": a name typed without an extension gets the chosen filter's.
QString suffixOf(const QString& nameFilter)
{
    const qsizetype star = nameFilter.lastIndexOf(QStringLiteral("*."));
    if (star < 0)
        return {};
    QString suffix = nameFilter.mid(star + 2);
    suffix.truncate(suffix.indexOf(QRegularExpression(QStringLiteral("[^A-Za-z0-9]"))));
    return suffix;
}

} // namespace

std::optional<QString> QtFileDialogPort::getOpenFileName(const OpenRequest& request)
{
    return run(request, false);
}

std::optional<QString> QtFileDialogPort::getSaveFileName(const OpenRequest& request)
{
    return run(request, true);
}

std::optional<QString> QtFileDialogPort::run(const OpenRequest& request, bool save)
{
    QFileDialog dialog(m_parent, request.title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = CommonDialog::qtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(request.filterIndex - 1));
    if (save) {
        dialog.setDefaultSuffix(suffixOf(dialog.selectedNameFilter()));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog](const QString& f) { dialog.setDefaultSuffix(suffixOf(f)); });
    }
    if (!request.initDir.isEmpty())
        dialog.setDirectory(request.initDir);
    if (!request.fileName.isEmpty()) {
        const QFileInfo previous(request.fileName);
        if (previous.isAbsolute())
            dialog.setDirectory(previous.absolutePath());
        dialog.selectFile(previous.fileName());
    }
    // Qt's dialog keeps a history of folders: those of the files opened before.
    QStringList folders;
    for (const QString& file : request.history) {
        const QString folder = QFileInfo(file).absolutePath();
        if (!folders.contains(folder))
            folders.append(folder);
    }
    if (!folders.isEmpty())
        dialog.setHistory(folders);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace lirondo
