#include "core/TemporaryFolder.h"

#include "core/RemovalCheck.h"
#include "core/Settings.h"
#include "core/SwapSafety.h"
#include "platform/files/FileManager.h"
#include "platform/system/ProcessInfo.h"
#include "platform/system/UserDefaults.h"

#include <QMutex>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using platform::FileManager;
using platform::UserDefaults;

namespace {

// Written inside every folder we make: the proof, checked before the launch sweep, that the
// folder is ours.
constexpr char kMarkerName[] = ".nimbrel-folder";

QMutex &recordMutex()
{
    static QMutex mutex;
    return mutex;
}

QStringList stringsForKey(Settings::Key key)
{
    return Settings::value(key).toStringList();
}

void setStrings(Settings::Key key, const QStringList &strings)
{
    QVariantList list;
    for (const QString &s : strings)
        list.append(s);
    Settings::setValue(key, list.isEmpty() ? QVariant() : QVariant(list));
}

// Tests only; set on one thread and run on any, so under a lock of its own.
struct AfterCheckHook
{
    QMutex mutex;
    std::function<void(const QString &)> run;
};

AfterCheckHook &afterCheckHook()
{
    static AfterCheckHook hook;
    return hook;
}

// The id our markers hold, made once and kept in the settings.
QByteArray markerId()
{
    static QMutex mutex;
    QMutexLocker lock(&mutex);
    QString id = Settings::string(Settings::Key::SetAsideMarker);
    if (id.isEmpty()) {
        id = platform::ProcessInfo::processInfo().globallyUniqueString();
        Settings::setValue(Settings::Key::SetAsideMarker, id);
        UserDefaults::standardUserDefaults().synchronize();
    }
    return id.toLatin1();
}

QString resolvedOr(const QString &path)
{
    const QString resolved = FileManager::resolvedPath(path);
    return resolved.isEmpty() ? path : resolved;
}

// Without TMPDIR (or with one that is not safe), the per-user temporary directory is ours,
// inside the home.
QString ownTemporaryDirectory()
{
    return resolvedOr(FileManager::homeDirectory()) + u"/.nimbrel-tmp"_s;
}

// TMPDIR's links are followed once per run (once per value it takes): a link that changes
// meanwhile cannot send one item's folder one way and the next item's another.
QString resolvedTemporaryDirectory(const QByteArray &env)
{
    static QMutex mutex;
    static QByteArray resolvedFor;
    static QString resolved;
    QMutexLocker lock(&mutex);
    if (resolvedFor != env || resolved.isEmpty()) {
        resolvedFor = env;
        resolved = FileManager::resolvedPath(platform::decodePath(env));
    }
    return resolved;
}

QString baseDirectory()
{
    const QByteArray env = qgetenv("TMPDIR");
    if (!env.isEmpty()) {
        const QString resolved = resolvedTemporaryDirectory(env);
        if (!resolved.isEmpty() && swapsafety::othersCannotSwapOnTheWayTo(resolved))
            return resolved;
    }
    return ownTemporaryDirectory();
}

// The components of an absolute path that names nothing twice: no empty, "." or ".." part.
std::optional<QList<QByteArray>> canonicalParts(const QString &folder)
{
    const QByteArray path = platform::encodePath(folder);
    if (!path.startsWith('/') || path.size() < 2)
        return std::nullopt;
    const QList<QByteArray> parts = path.mid(1).split('/');
    for (const QByteArray &part : parts) {
        if (part.isEmpty() || part == "." || part == "..")
            return std::nullopt;
    }
    return parts;
}

bool isNamedAsOurs(const QString &folder)
{
    const QString name = folder.section(QLatin1Char('/'), -1);
    return name == QLatin1String("Nimbrel") || name == QLatin1String(".Nimbrel");
}

int markerState(int folderFd);

bool writeMarker(int folderFd)
{
    unlinkat(folderFd, kMarkerName, 0);
    const int fd = openat(folderFd, kMarkerName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno == EEXIST && markerState(folderFd) == 1; // another thread of ours was first
    const QByteArray id = markerId();
    const bool ok = write(fd, id.constData(), size_t(id.size())) == id.size();
    return close(fd) == 0 && ok;
}

// 1: our marker; 0: none at all; -1: something else under its name.
int markerState(int folderFd)
{
    const int fd = openat(folderFd, kMarkerName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? 0 : -1;
    struct stat st;
    char buffer[128];
    ssize_t n = -1;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid())
        n = read(fd, buffer, sizeof buffer);
    close(fd);
    return n > 0 && QByteArray(buffer, int(n)) == markerId() ? 1 : -1;
}

// The names directly inside the open folder, our marker apart, read through that descriptor:
// at most `limit` of them (all when negative); nothing when it cannot be read.
std::optional<QList<QByteArray>> namesIn(int folderFd, qsizetype limit = -1)
{
    const int fd = openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            close(fd);
        return std::nullopt;
    }
    QList<QByteArray> names;
    while (names.size() != limit) {
        const dirent *e = readdir(dir);
        if (!e)
            break;
        const QByteArray name(e->d_name);
        if (name != "." && name != ".." && name != kMarkerName)
            names.append(name);
    }
    closedir(dir);
    return names;
}

// Whether the open folder holds nothing but, perhaps, our marker.
bool holdsNothing(int folderFd)
{
    const auto names = namesIn(folderFd, 1);
    return names && names->isEmpty();
}

enum class Open { Existing, CreateOrAdopt };

// Opens the folder through every component without following a link anywhere, each one
// checked to be a folder nobody else may swap entries in (see SwapSafety), and answers its descriptor only
// when it is ours: a real folder of the user's, with our name and our marker (made with it,
// or given to a folder we may adopt), closed to everybody else. `parentFd`, when given,
// receives a path handle of the folder holding it (the caller closes it).
int openOurFolder(const QString &folder, Open how, int *parentFd = nullptr)
{
    const auto parts = canonicalParts(folder);
    if (!parts || !isNamedAsOurs(folder))
        return -1;
    int fd = open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (qsizetype i = 0; fd >= 0 && i + 1 < parts->size(); ++i) {
        int next = -1;
        if (swapsafety::othersCannotSwapIn(fd))
            next = openat(fd, parts->at(i).constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        close(fd);
        fd = next;
    }
    if (fd >= 0 && !swapsafety::othersCannotSwapIn(fd)) {
        close(fd);
        fd = -1;
    }
    if (fd < 0)
        return -1;
    const QByteArray name = parts->last();
    const bool made = how == Open::CreateOrAdopt && mkdirat(fd, name.constData(), 0700) == 0;
    const int folderFd = openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (parentFd && folderFd >= 0)
        *parentFd = fd;
    else
        close(fd);
    if (folderFd < 0)
        return -1;
    struct stat st;
    bool ok = fstat(folderFd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
    if (ok) {
        const int marker = markerState(folderFd);
        if (marker != 1) {
            // A folder of ours from before markers, or whose settings were lost: taken only
            // when it holds nothing or was already closed to everybody else.
            const bool adoptable =
                how == Open::CreateOrAdopt && (made || holdsNothing(folderFd) || (st.st_mode & 0777) == 0700);
            ok = adoptable && writeMarker(folderFd);
        }
    }
    // Ours, but left open to others (an older umask, a copy): closed before use.
    if (ok && (st.st_mode & 077) != 0)
        ok = fchmod(folderFd, 0700) == 0;
    if (!ok) {
        close(folderFd);
        if (parentFd) {
            close(*parentFd);
            *parentFd = -1;
        }
        return -1;
    }
    std::function<void(const QString &)> hook;
    {
        QMutexLocker lock(&afterCheckHook().mutex);
        hook = afterCheckHook().run;
    }
    if (hook)
        hook(folder);
    return folderFd;
}

// Written to disk before the folder is made: a kill at any later point leaves nothing in a
// folder the next launch does not know of.
void recordFolder(const QString &folder)
{
    QMutexLocker lock(&recordMutex());
    QStringList folders = stringsForKey(Settings::Key::SetAsideFolders);
    if (folders.contains(folder))
        return;
    folders.append(folder);
    setStrings(Settings::Key::SetAsideFolders, folders);
    UserDefaults::standardUserDefaults().synchronize();
}

int openRecorded(const QString &folder)
{
    recordFolder(folder);
    return openOurFolder(folder, Open::CreateOrAdopt);
}

// The device of the item (a final link followed or not); false when it is missing.
bool deviceOf(const QString &path, bool follow, dev_t *dev)
{
    struct stat st;
    const QByteArray p = platform::encodePath(path);
    if ((follow ? stat(p.constData(), &st) : lstat(p.constData(), &st)) != 0)
        return false;
    *dev = st.st_dev;
    return true;
}

// The highest folder above the item, on the item's own file system, that the user owns and
// may write in: the aside folder goes there, once per file system rather than once per folder.
QString highestOwnFolderOnDevice(const QString &itemPath, dev_t dev)
{
    const qsizetype slash = itemPath.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {};
    // Links in the middle of the path are the user's own arrangement: resolved, not refused.
    QString folder = FileManager::resolvedPath(slash == 0 ? u"/"_s : itemPath.left(slash));
    if (folder.isEmpty())
        return {};
    QString best;
    for (;;) {
        struct stat st;
        if (lstat(platform::encodePath(folder).constData(), &st) != 0 || st.st_dev != dev)
            break;
        if (st.st_uid == geteuid() && FileManager::defaultManager().isWritableFileAtPath(folder))
            best = folder;
        if (folder == QLatin1String("/"))
            break;
        const qsizetype up = folder.lastIndexOf(QLatin1Char('/'));
        folder = up <= 0 ? u"/"_s : folder.left(up);
    }
    return best;
}

bool onDevice(int fd, dev_t dev)
{
    struct stat st;
    return fstat(fd, &st) == 0 && st.st_dev == dev;
}

bool isOwnFolder(const QString &folder)
{
    struct stat st;
    return lstat(platform::encodePath(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
}

// ~/.nimbrel-tmp, made when missing: a real folder of the user's, closed to everybody else.
bool ensureOwnTemporaryDirectory()
{
    const QString own = ownTemporaryDirectory();
    const QByteArray p = platform::encodePath(own);
    mkdir(p.constData(), 0700);
    return isOwnFolder(own) && chmod(p.constData(), 0700) == 0;
}

} // namespace

QString TemporaryFolder::path()
{
    return baseDirectory() + u"/Nimbrel"_s;
}

bool TemporaryFolder::ensurePrivate()
{
    if (baseDirectory() == ownTemporaryDirectory() && !ensureOwnTemporaryDirectory())
        return false;
    const int fd = openRecorded(path());
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

bool TemporaryFolder::ensurePrivateFolder(const QString &folder)
{
    const int fd = openOurFolder(folder, Open::CreateOrAdopt);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

int TemporaryFolder::openAsideFolderFor(const QString &itemPath, QString *folderPath)
{
    dev_t itemDev = 0;
    if (itemPath.isEmpty() || !deviceOf(itemPath, false, &itemDev))
        return -1;
    auto answer = [&](const QString &folder, int fd) {
        if (fd >= 0 && !onDevice(fd, itemDev)) {
            close(fd);
            fd = -1;
        }
        if (fd >= 0 && folderPath)
            *folderPath = folder;
        return fd;
    };
    // The temporary folder, whenever it lies on the item's file system: a folder there that
    // fails the checks is a refusal, not a reason to look elsewhere.
    const QString base = baseDirectory();
    dev_t dev = 0;
    if (deviceOf(base, true, &dev) && dev == itemDev) {
        if (base == ownTemporaryDirectory() && !ensureOwnTemporaryDirectory())
            return -1;
        return answer(path(), openRecorded(path()));
    }
    // Another file system than the temporary folder's: the home folder's own private folder
    // when the item lies there, else one at the top of what the user owns on that disk.
    const QString homeFolder = ownTemporaryDirectory();
    if (deviceOf(FileManager::homeDirectory(), true, &dev) && dev == itemDev) {
        if (!ensureOwnTemporaryDirectory())
            return -1;
        const QString folder = homeFolder + u"/Nimbrel"_s;
        return answer(folder, openRecorded(folder));
    }
    const QString top = highestOwnFolderOnDevice(itemPath, itemDev);
    if (top.isEmpty())
        return -1;
    const QString folder = (top == QLatin1String("/") ? QString() : top) + u"/.Nimbrel"_s;
    return answer(folder, openRecorded(folder));
}

QString TemporaryFolder::asideFolderFor(const QString &itemPath)
{
    QString folder;
    const int fd = openAsideFolderFor(itemPath, &folder);
    if (fd < 0)
        return {};
    close(fd);
    return folder;
}

bool TemporaryFolder::moveItemInto(int folderFd, const QString &itemPath, const QString &name)
{
    const FileManager &fm = FileManager::defaultManager();
    const auto attributes = fm.attributesOfItemAtPath(itemPath);
    if (!attributes)
        return false;
    const bool wasImmutable = attributes->immutable;
    if (wasImmutable)
        fm.setImmutable(itemPath, false);
    // Checked before anything else is changed: what could not be removed whole stays whole.
    const bool overwrite = Settings::boolValue(Settings::Key::EnableSecureDelete);
    if (const auto why = RemovalCheck::obstacle(itemPath, overwrite)) {
        qWarning("%s", qUtf8Printable(u"Left in place, it could not be removed: %1 (%2)"_s.arg(itemPath, *why)));
        if (wasImmutable)
            fm.setImmutable(itemPath, true);
        return false;
    }
    if (!fm.isWritableFileAtPath(itemPath)) {
        // Owner only: the copy waits in the temporary folder and must not be readable by
        // others. A folder keeps its search bit, or its contents could not be removed.
        fm.setPosixPermissions(itemPath, attributes->isDirectory ? 0700 : 0600);
        if (!fm.isWritableFileAtPath(itemPath))
            return false;
    }
    const QByteArray from = platform::encodePath(itemPath);
    const QByteArray to = platform::encodePath(name);
    if (renameat2(AT_FDCWD, from.constData(), folderFd, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system that cannot refuse an existing name: the name is new, checked once more.
    struct stat st;
    if (fstatat(folderFd, to.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT)
        return false;
    return renameat(AT_FDCWD, from.constData(), folderFd, to.constData()) == 0;
}

QString TemporaryFolder::moveItemAside(const QString &itemPath)
{
    if (itemPath.isEmpty() || !FileManager::defaultManager().fileExistsAtPath(itemPath))
        return {};
    // Decided before anything is touched: without a folder on the item's own file system
    // the item stays exactly as it was.
    QString folder;
    const int fd = openAsideFolderFor(itemPath, &folder);
    if (fd < 0)
        return {};
    const QString name = platform::ProcessInfo::processInfo().globallyUniqueString();
    const bool moved = moveItemInto(fd, itemPath, name);
    close(fd);
    return moved ? folder + QLatin1Char('/') + name : QString();
}

QStringList TemporaryFolder::setAsideFolders()
{
    QStringList folders;
    QStringList refused;
    const QStringList recorded = stringsForKey(Settings::Key::SetAsideFolders);
    for (const QString &folder : QStringList{path()} + recorded) {
        if (folders.contains(folder) || refused.contains(folder))
            continue;
        const int fd = openOurFolder(folder, Open::Existing);
        if (fd >= 0) {
            close(fd);
            folders.append(folder);
            continue;
        }
        // One that is missing stays recorded: its disk may only be away for now, with items
        // on it. Anything else there is not ours and is forgotten.
        struct stat st;
        if (lstat(platform::encodePath(folder).constData(), &st) == 0 || errno != ENOENT || !canonicalParts(folder)
            || !isNamedAsOurs(folder))
            refused.append(folder);
    }
    QMutexLocker lock(&recordMutex());
    QStringList kept = stringsForKey(Settings::Key::SetAsideFolders);
    if (kept.removeIf([&](const QString &f) { return refused.contains(f); }) > 0)
        setStrings(Settings::Key::SetAsideFolders, kept);
    return folders;
}

int TemporaryFolder::openFolderHolding(const QString &asidePath, QByteArray *name)
{
    const qsizetype slash = asidePath.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return -1;
    const QByteArray itemName = platform::encodePath(asidePath.mid(slash + 1));
    if (itemName.isEmpty() || itemName == "." || itemName == ".." || itemName == kMarkerName)
        return -1;
    const int fd = openOurFolder(asidePath.left(slash), Open::Existing);
    if (fd >= 0 && name)
        *name = itemName;
    return fd;
}

QStringList TemporaryFolder::leftovers()
{
    QStringList entries;
    visitLeftovers([&](int, const QByteArray &, const QString &entry) { entries.append(entry); });
    return entries;
}

void TemporaryFolder::visitLeftovers(const std::function<void(int, const QByteArray &, const QString &)> &visit)
{
    const QStringList stuck = stringsForKey(Settings::Key::SetAsideLeftInPlace);
    QStringList stillThere;
    for (const QString &folder : setAsideFolders()) {
        // Listed, and handed on, through the very descriptor that passed the checks.
        const int fd = openOurFolder(folder, Open::Existing);
        if (fd < 0)
            continue;
        for (const QByteArray &name : namesIn(fd).value_or(QList<QByteArray>())) {
            const QString entry = folder + QLatin1Char('/') + platform::decodePath(name);
            if (stuck.contains(entry))
                stillThere.append(entry);
            else
                visit(fd, name, entry);
        }
        close(fd);
    }
    if (stillThere.size() != stuck.size())
        setStrings(Settings::Key::SetAsideLeftInPlace, stillThere); // what went meanwhile is forgotten
}

void TemporaryFolder::removeEmptyFolders()
{
    const QStringList folders = setAsideFolders();
    QMutexLocker lock(&recordMutex());
    // Only a folder holding nothing but its marker is taken away, whatever lands in it
    // meanwhile: a folder that gained an item keeps its marker.
    QStringList removed;
    for (const QString &folder : folders) {
        int parentFd = -1;
        const int fd = openOurFolder(folder, Open::Existing, &parentFd);
        if (fd < 0)
            continue;
        // Removed from the checked folder above it, and only while its name still leads to
        // the very folder found empty.
        const QByteArray name = platform::encodePath(folder.section(QLatin1Char('/'), -1));
        struct stat opened;
        struct stat named;
        const bool same = fstat(fd, &opened) == 0
            && fstatat(parentFd, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 && opened.st_dev == named.st_dev
            && opened.st_ino == named.st_ino;
        if (same && holdsNothing(fd) && unlinkat(fd, kMarkerName, 0) == 0) {
            if (unlinkat(parentFd, name.constData(), AT_REMOVEDIR) == 0)
                removed.append(folder);
            else
                writeMarker(fd);
        }
        close(fd);
        close(parentFd);
    }
    const QString own = ownTemporaryDirectory();
    if (isOwnFolder(own))
        rmdir(platform::encodePath(own).constData());
    if (!removed.isEmpty()) {
        QStringList kept = stringsForKey(Settings::Key::SetAsideFolders);
        kept.removeIf([&](const QString &f) { return removed.contains(f); });
        setStrings(Settings::Key::SetAsideFolders, kept);
    }
}

TemporaryFolder::SweepResult TemporaryFolder::removeAllFolders(const Remove &remove, bool overwrite)
{
    SweepResult result;
    int entries = 0;
    QStringList stuck;
    visitLeftovers([&](int folderFd, const QByteArray &name, const QString &entry) {
        ++entries;
        struct stat st;
        if (remove(folderFd, name)
            || (fstatat(folderFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT))
            return;
        const auto why = RemovalCheck::obstacle(folderFd, name, overwrite);
        // The obstacle names its entry relative to the leftover, "." for the leftover itself.
        const QString where = why && !why->startsWith(u".:"_s)
            ? entry + QLatin1Char('/') + *why
            : entry + (why ? why->mid(1) : u": could not be removed"_s);
        result.left.append(where);
        // Only what truly cannot go is never offered again; a removal that failed for want
        // of nothing we can name (a tool stopped half-way) is offered at the next launch.
        if (why)
            stuck.append(entry);
    });
    if (!stuck.isEmpty())
        setStrings(Settings::Key::SetAsideLeftInPlace, stringsForKey(Settings::Key::SetAsideLeftInPlace) + stuck);
    removeEmptyFolders();
    UserDefaults::standardUserDefaults().synchronize();
    result.removed = entries > 0 && result.left.isEmpty();
    return result;
}

void TemporaryFolder::setAfterCheckHook(std::function<void(const QString &folder)> hook)
{
    QMutexLocker lock(&afterCheckHook().mutex);
    afterCheckHook().run = std::move(hook);
}
