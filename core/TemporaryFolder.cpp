#include "core/TemporaryFolder.h"

#include "platform/FileManager.h"
#include "platform/ProcessInfo.h"
#include "platform/UserDefaults.h"

#include <QMutex>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using platform::FileManager;
using platform::UserDefaults;

namespace {

const QString kRecordKey = u"setAsideFolders"_s;

// Without TMPDIR, the per-user temporary directory is ours, inside the home.
QString ownTemporaryDirectory()
{
    return FileManager::homeDirectory() + u"/.nimbrel-tmp"_s;
}

// A real folder (a final link is not followed) that belongs to the user.
bool isOwnFolder(const QString &folder)
{
    struct stat st;
    return lstat(platform::encodePath(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode)
           && st.st_uid == geteuid();
}

// The record comes from disk like anything else: only absolute paths of folders named as
// ours are taken from it.
bool isNamedAsOurs(const QString &folder)
{
    const QString name = folder.section(QLatin1Char('/'), -1);
    return folder.startsWith(QLatin1Char('/')) && (name == QLatin1String("Nimbrel") || name == QLatin1String(".Nimbrel"));
}

QMutex &recordMutex()
{
    static QMutex mutex;
    return mutex;
}

QStringList recordedFolders()
{
    return UserDefaults::standardUserDefaults().objectForKey(kRecordKey).toStringList();
}

void setRecordedFolders(const QStringList &folders)
{
    QVariantList list;
    for (const QString &folder : folders)
        list.append(folder);
    UserDefaults::standardUserDefaults().setObject(list.isEmpty() ? QVariant() : QVariant(list), kRecordKey);
}

// Folders taken away are forgotten. One that is missing stays recorded: its disk may only be
// away for now, with items on it.
void forgetFolders(const QStringList &removed)
{
    const QStringList recorded = recordedFolders();
    QStringList kept;
    for (const QString &folder : recorded) {
        if (!removed.contains(folder) && !kept.contains(folder) && isNamedAsOurs(folder))
            kept.append(folder);
    }
    if (kept != recorded)
        setRecordedFolders(kept);
}

// Written to disk before the folder is made: a kill at any later point leaves nothing in a
// folder the next launch does not know of.
void recordFolder(const QString &folder)
{
    QMutexLocker lock(&recordMutex());
    QStringList folders = recordedFolders();
    if (folders.contains(folder))
        return;
    folders.append(folder);
    setRecordedFolders(folders);
    UserDefaults::standardUserDefaults().synchronize();
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

} // namespace

QString TemporaryFolder::path()
{
    return FileManager::temporaryDirectory() + u"/Nimbrel"_s;
}

bool TemporaryFolder::ensurePrivate()
{
    const QString parent = FileManager::temporaryDirectory();
    if (parent == ownTemporaryDirectory() && !ensurePrivateFolder(parent))
        return false;
    return ensurePrivateFolder(path());
}

bool TemporaryFolder::ensurePrivateFolder(const QString &folder)
{
    const FileManager &fm = FileManager::defaultManager();
    if (!fm.attributesOfItemAtPath(folder))
        fm.createDirectoryAtPath(folder, 0700); // a lost race is caught by the checks below

    const auto attributes = fm.attributesOfItemAtPath(folder);
    if (!attributes || attributes->isSymbolicLink || !attributes->isDirectory
        || attributes->owner != geteuid())
        return false;
    // Our own folder left open to others (an older umask, a copy): close it before use.
    if ((attributes->permissions & 077) != 0 && !fm.setPosixPermissions(folder, 0700))
        return false;
    return true;
}

QString TemporaryFolder::asideFolderFor(const QString &itemPath)
{
    dev_t itemDev = 0;
    if (itemPath.isEmpty() || !deviceOf(itemPath, false, &itemDev))
        return {};
    // The temporary folder, whenever it lies on the item's file system: a folder there that
    // fails the checks is a refusal, not a reason to look elsewhere.
    dev_t dev = 0;
    if (deviceOf(FileManager::temporaryDirectory(), true, &dev) && dev == itemDev)
        return ensurePrivate() && deviceOf(path(), false, &dev) && dev == itemDev ? path() : QString();
    // Another file system than the temporary folder's: the home folder's own private folder
    // when the item lies there, else one at the top of what the user owns on that disk.
    const QString homeFolder = ownTemporaryDirectory();
    if (deviceOf(FileManager::homeDirectory(), true, &dev) && dev == itemDev) {
        const QString folder = homeFolder + u"/Nimbrel"_s;
        if (folder != path())
            recordFolder(folder);
        if (ensurePrivateFolder(homeFolder) && ensurePrivateFolder(folder)
            && deviceOf(folder, false, &dev) && dev == itemDev)
            return folder;
        return {};
    }
    const QString top = highestOwnFolderOnDevice(itemPath, itemDev);
    if (top.isEmpty())
        return {};
    const QString folder = (top == QLatin1String("/") ? QString() : top) + u"/.Nimbrel"_s;
    recordFolder(folder);
    if (!ensurePrivateFolder(folder) || !deviceOf(folder, false, &dev) || dev != itemDev)
        return {};
    return folder;
}

QString TemporaryFolder::moveItemAside(const QString &itemPath)
{
    const FileManager &fm = FileManager::defaultManager();
    if (itemPath.isEmpty() || !fm.fileExistsAtPath(itemPath))
        return {};
    // Decided before anything is touched: without a folder on the item's own file system
    // the item stays exactly as it was.
    const QString folder = asideFolderFor(itemPath);
    if (folder.isEmpty())
        return {};

    const QString target =
        folder + QLatin1Char('/') + platform::ProcessInfo::processInfo().globallyUniqueString();

    const auto attributes = fm.attributesOfItemAtPath(itemPath);
    if (attributes && attributes->immutable)
        fm.setImmutable(itemPath, false);
    if (!fm.isWritableFileAtPath(itemPath)) {
        // Owner only: the copy waits in the temporary folder and must not be readable by
        // others. A folder keeps its search bit, or its contents could not be removed.
        const bool isFolder = attributes && attributes->isDirectory;
        fm.setPosixPermissions(itemPath, isFolder ? 0700 : 0600);
        if (!fm.isWritableFileAtPath(itemPath))
            return {};
    }
    return fm.renameItemAtPath(itemPath, target) ? target : QString();
}

QStringList TemporaryFolder::setAsideFolders()
{
    QStringList folders;
    for (const QString &folder : QStringList{path()} + recordedFolders()) {
        if (!folders.contains(folder) && isNamedAsOurs(folder) && isOwnFolder(folder))
            folders.append(folder);
    }
    return folders;
}

void TemporaryFolder::removeEmptyFolders()
{
    QMutexLocker lock(&recordMutex());
    // Only an empty folder can be taken away this way, whatever lands in it meanwhile.
    QStringList removed;
    for (const QString &folder : setAsideFolders()) {
        if (rmdir(platform::encodePath(folder).constData()) == 0)
            removed.append(folder);
    }
    const QString own = ownTemporaryDirectory();
    if (isOwnFolder(own))
        rmdir(platform::encodePath(own).constData());
    forgetFolders(removed);
}

bool TemporaryFolder::removeAllFolders()
{
    const QStringList folders = setAsideFolders();
    QStringList removed;
    for (const QString &folder : folders) {
        if (FileManager::defaultManager().removeItemAtPath(folder))
            removed.append(folder);
    }
    {
        QMutexLocker lock(&recordMutex());
        forgetFolders(removed);
    }
    removeEmptyFolders();
    return !folders.isEmpty() && removed.size() == folders.size();
}
