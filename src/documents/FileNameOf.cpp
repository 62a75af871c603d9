#include "documents/FileNameOf.h"

namespace lirondo {

QString backslashFileName(const QString& path)
{
    // The first tail of the path that starts with a backslash is the one after the last
    // backslash.
    const qsizetype last = path.lastIndexOf(u'\\');
    return last < 0 ? path : path.mid(last + 1);
}

QString readingListName(const QString& path)
{
    QString backslashed = path;
    backslashed.replace(u'/', u'\\');
    return backslashFileName(backslashed);
}

} // namespace lirondo
