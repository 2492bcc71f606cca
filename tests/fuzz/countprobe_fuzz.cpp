// Fuzz target: the scan's count probe on a store file holding the input, with count
// statements the modules run.

#include "targets/base/CountProbe.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("store.db"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    QList<int> counts;
    for (const char *statement : {"SELECT count(*) FROM moz_places;", "SELECT count(*) FROM ZDOWNLOADITEM;",
                                  "SELECT count(*) FROM LSQuarantineEvent;"})
        CountProbe::itemsExist(counts, path, QString::fromLatin1(statement));
    // A store in write-ahead mode leaves its side files; each input starts without them.
    for (const char *side : {"store.db-wal", "store.db-shm", "store.db-journal"})
        QFile::remove(dir.filePath(QString::fromLatin1(side)));
    return 0;
}
