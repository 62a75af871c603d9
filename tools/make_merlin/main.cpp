// Writes the character file of our wizard "merlin": make_merlin OUTPUT.acs
#include "MerlinArt.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_merlin OUTPUT.acs\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray data = lirondo::acs::writeAcs(lirondo::merlin::makeMerlin(), true);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        std::fprintf(stderr, "make_merlin: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
