#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace lirondo::test {

// Writes the bytes to the path, making its folder; false if any of it failed.
inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}

} // namespace lirondo::test
