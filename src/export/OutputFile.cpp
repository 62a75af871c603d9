#include "export/OutputFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>

namespace lirondo {

using namespace Qt::StringLiterals;

OutputFile::OutputFile(QString finalPath) : m_final(std::move(finalPath)) {}

OutputFile::~OutputFile()
{
    discard();
}

bool OutputFile::create()
{
    const QFileInfo info(m_final);
    // Hidden, in the same folder, so the rename stays on one file system.
    QTemporaryFile temp(info.absolutePath() + u"/."_s + info.fileName() + u".XXXXXX.part"_s);
    if (!temp.open())
        return false;
    // QTemporaryFile makes it private; an exported file is an ordinary one.
    temp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    temp.setAutoRemove(false);
    m_temp = temp.fileName();
    return true;
}

bool OutputFile::commit()
{
    if (m_temp.isEmpty())
        return false;
    // std::rename replaces an existing file in one step; QFile::rename refuses to.
    if (std::rename(QFile::encodeName(m_temp).constData(), QFile::encodeName(m_final).constData()))
        return false;
    m_temp.clear();
    return true;
}

void OutputFile::discard()
{
    if (!m_temp.isEmpty())
        QFile::remove(m_temp);
    m_temp.clear();
}

} // namespace lirondo
