#include "common/qt/QtFileDialogPort.h"

#include "common/CommonDialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace lirondo {

std::optional<QString> QtFileDialogPort::getOpenFileName(const OpenRequest& request)
{
    QFileDialog dialog(m_parent, request.title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = CommonDialog::qtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(request.filterIndex - 1));
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
