#include "targets/chromiumlayout/LevelDbStore.h"

#include "platform/files/PathEncoding.h"

#include <leveldb/db.h>
#include <leveldb/env.h>
#include <leveldb/options.h>

#include <QByteArray>

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Without a logger of its own the library rotates the store's log files on every open, even
// one that then fails: a store we only read, or cannot read, would not be left as it was.
class SilentLogger : public leveldb::Logger
{
public:
    void Logv(const char *, va_list) override {}
};

// "MANIFEST-" and the digits of a file number, then a newline: the whole of a CURRENT the
// library writes. It joins whatever CURRENT says to the folder's name, so anything else
// (a path of other folders, a longer text) is refused.
constexpr size_t kCurrentMaxBytes = 64;

bool isPlainEntry(const struct stat &st)
{
    return S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_size <= LevelDbStore::maxEntryBytes;
}

bool currentNamesAnEntry(int folderFd)
{
    const int fd = ::openat(folderFd, "CURRENT", O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    char text[kCurrentMaxBytes + 1] = {};
    struct stat st = {};
    const bool small = ::fstat(fd, &st) == 0 && isPlainEntry(st) && st.st_size <= off_t(kCurrentMaxBytes);
    const ssize_t n = small ? ::read(fd, text, kCurrentMaxBytes) : -1;
    ::close(fd);
    if (n < 2 || text[n - 1] != '\n')
        return false;
    const QByteArray name(text, n - 1);
    constexpr std::string_view prefix = "MANIFEST-";
    if (!name.startsWith(QByteArrayView(prefix.data(), qsizetype(prefix.size())))
        || name.size() == qsizetype(prefix.size()))
        return false;
    for (qsizetype i = qsizetype(prefix.size()); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return false;
    }
    struct stat manifest = {};
    return ::fstatat(folderFd, name.constData(), &manifest, AT_SYMLINK_NOFOLLOW) == 0 && isPlainEntry(manifest);
}

leveldb::Options optionsFor(bool create)
{
    static SilentLogger silent;
    leveldb::Options options;
    options.info_log = &silent;
    options.create_if_missing = create;
    options.error_if_exists = create;
    // Damage found anywhere stops the open, rather than being skipped over.
    options.paranoid_checks = true;
    return options;
}

} // namespace

LevelDbStore::LevelDbStore(int folderFd, std::unique_ptr<leveldb::DB> db)
    : m_folderFd(folderFd)
    , m_db(std::move(db))
{}

LevelDbStore::~LevelDbStore()
{
    m_db.reset(); // its background work done before its folder's name goes
    if (m_folderFd >= 0)
        ::close(m_folderFd);
}

bool LevelDbStore::holdsOnlyStoreFiles(int folderFd)
{
    const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
    if (!dir) {
        if (listFd >= 0)
            ::close(listFd);
        return false;
    }
    bool plain = true;
    while (plain) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry) {
            plain = errno == 0;
            break;
        }
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        struct stat st = {};
        // A folder is left to itself: the library never opens one (a store may keep another
        // store of its own in a subfolder, as the browser's shared store keeps "metadata").
        plain = ::fstatat(folderFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0
            && (isPlainEntry(st) || S_ISDIR(st.st_mode));
    }
    ::closedir(dir);
    return plain && currentNamesAnEntry(folderFd);
}

std::unique_ptr<LevelDbStore> LevelDbStore::openExisting(const QString &folder)
{
    if (folder.isEmpty())
        return nullptr;
    const int fd = ::open(platform::encodePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    if (!holdsOnlyStoreFiles(fd)) {
        ::close(fd);
        return nullptr;
    }
    // The library joins its file names to the name it is given, which here names the folder
    // that was checked, never the path again.
    const std::string name = "/proc/self/fd/" + std::to_string(fd);
    leveldb::DB *db = nullptr;
    if (!leveldb::DB::Open(optionsFor(false), name, &db).ok()) {
        delete db;
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<LevelDbStore>(new LevelDbStore(fd, std::unique_ptr<leveldb::DB>(db)));
}

std::unique_ptr<LevelDbStore> LevelDbStore::create(const QString &folder)
{
    if (folder.isEmpty())
        return nullptr;
    const QByteArray name = platform::encodePath(folder);
    leveldb::DB *db = nullptr;
    if (!leveldb::DB::Open(optionsFor(true), std::string(name.constData(), size_t(name.size())), &db).ok()) {
        delete db;
        return nullptr;
    }
    return std::unique_ptr<LevelDbStore>(new LevelDbStore(-1, std::unique_ptr<leveldb::DB>(db)));
}
