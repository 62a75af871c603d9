#include "common/CommonDialog.h"

namespace lirondo {

bool CommonDialog::showOpen()
{
    const auto chosen =
        m_port.getOpenFileName({title, filter, filterIndex, initialDir, fileName, history});
    if (!chosen)
        return !cancelError;
    fileName = *chosen;
    return true;
}

QStringList CommonDialog::qtNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    if (parts.size() < 2)
        return {filter};
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts.at(i);
        const QString patterns = QString(parts.at(i + 1)).replace(u';', u' ');
        // Qt takes the patterns from the last parentheses of a filter.
        result.append(description + QStringLiteral(" (") + patterns + u')');
    }
    return result;
}

} // namespace lirondo
