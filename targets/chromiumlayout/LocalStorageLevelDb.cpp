#include "targets/chromiumlayout/LocalStorageLevelDb.h"

#include "platform/files/FileManager.h"
#include "targets/chromiumlayout/LevelDbStore.h"

#include <leveldb/db.h>
#include <leveldb/iterator.h>
#include <leveldb/options.h>
#include <leveldb/write_batch.h>

#include <fcntl.h>
#include <unistd.h>

#include <memory>

using namespace Qt::StringLiterals;

const QString LocalStorageLevelDb::folderName = u"leveldb"_s;

namespace {

constexpr std::string_view versionKey = "VERSION";
constexpr std::string_view metaPrefixes[] = {"META:", "METAACCESS:"};
// Records are written in batches of about this many bytes: a large store is never held whole.
constexpr size_t batchBytes = size_t(4) << 20;

// The origin a record belongs to; empty for a record of no origin.
std::string_view originOf(std::string_view key)
{
    for (std::string_view prefix : metaPrefixes) {
        if (key.starts_with(prefix))
            return key.substr(prefix.size());
    }
    if (key.starts_with('_')) {
        const size_t end = key.find('\0');
        // A data record always ends its origin with NUL; one without is no record of ours.
        return end == std::string_view::npos ? std::string_view() : key.substr(1, end - 1);
    }
    return {};
}

bool copyKept(leveldb::DB &from, leveldb::DB &to, const LocalStorageLevelDb::KeepTest &keep, qsizetype &dropped)
{
    leveldb::ReadOptions read;
    read.verify_checksums = true;
    read.fill_cache = false;
    leveldb::WriteOptions write;
    write.sync = true;
    const std::unique_ptr<leveldb::Iterator> it(from.NewIterator(read));
    leveldb::WriteBatch batch;
    for (it->SeekToFirst(); it->Valid(); it->Next()) {
        const std::string_view key(it->key().data(), it->key().size());
        if (!keep(key)) {
            ++dropped;
            continue;
        }
        // A large record goes in a batch of its own: the batch never holds it beside others.
        if (batch.ApproximateSize() > 0 && it->value().size() >= batchBytes) {
            if (!to.Write(write, &batch).ok())
                return false;
            batch = leveldb::WriteBatch(); // its memory too, not only its records
        }
        batch.Put(it->key(), it->value());
        if (batch.ApproximateSize() >= batchBytes) {
            if (!to.Write(write, &batch).ok())
                return false;
            batch = leveldb::WriteBatch(); // its memory too, not only its records
        }
    }
    // A record the iterator could not read ends the walk early: the copy is then not whole.
    return it->status().ok() && to.Write(write, &batch).ok();
}

} // namespace

QByteArray LocalStorageLevelDb::fileNameFormOf(std::string_view origin)
{
    const size_t schemeEnd = origin.find("://");
    if (schemeEnd == std::string_view::npos || schemeEnd == 0)
        return {};
    const std::string_view scheme = origin.substr(0, schemeEnd);
    std::string_view host = origin.substr(schemeEnd + 3);
    std::string_view port = "0";
    const size_t colon = host.rfind(':');
    if (colon != std::string_view::npos && host.find(']', colon) == std::string_view::npos) {
        port = host.substr(colon + 1);
        host = host.substr(0, colon);
    }
    QByteArray name(scheme.data(), qsizetype(scheme.size()));
    name += '_';
    name += QByteArrayView(host.data(), qsizetype(host.size()));
    name += '_';
    name += QByteArrayView(port.data(), qsizetype(port.size()));
    return name;
}

bool LocalStorageLevelDb::isKeptKey(std::string_view key, const QStringList &prefixes)
{
    if (key == versionKey)
        return true;
    const QByteArray name = fileNameFormOf(originOf(key));
    if (name.isEmpty())
        return false;
    for (const QString &prefix : prefixes) {
        if (name.startsWith(prefix.toUtf8()))
            return true;
    }
    return false;
}

bool LocalStorageLevelDb::writeKeptRecords(const QString &store, const QString &into, const QStringList &prefixes)
{
    return writeRecordsKept(store, into, [&prefixes](std::string_view key) { return isKeptKey(key, prefixes); });
}

bool LocalStorageLevelDb::writeRecordsKept(const QString &store, const QString &into, const KeepTest &keep,
                                           qsizetype *dropped)
{
    qsizetype left = 0;
    if (dropped)
        *dropped = 0;
    if (store.isEmpty() || into.isEmpty())
        return false;
    const std::unique_ptr<LevelDbStore> old = LevelDbStore::openExisting(store);
    if (!old)
        return false;
    if (platform::FileManager::defaultManager().attributesOfItemAtPath(into))
        return false; // never written over
    bool written = false;
    if (const std::unique_ptr<LevelDbStore> fresh = LevelDbStore::create(into))
        written = copyKept(old->db(), fresh->db(), keep, left);
    // The new one is closed (its background work done) before it is removed.
    if (!written)
        platform::FileManager::defaultManager().removeItemAtPath(into);
    else if (dropped)
        *dropped = left;
    return written;
}

bool LocalStorageLevelDb::isLockedByAnotherProcess(const QString &store)
{
    const QByteArray lockFile = platform::encodePath(store + u"/LOCK"_s);
    const int fd = ::open(lockFile.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false; // no lock file, no lock
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    const bool locked = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return locked;
}
