#include "core/FileController.h"

#include "core/AtomicReplace.h"
#include "core/Keys.h"
#include "core/StoreAside.h"
#include "core/TemporaryFolder.h"
#include "core/records/QZStatusObject.h"
#include "core/records/targetItem.h"
#include "core/walk/FolderWalk.h"
#include "platform/files/FileManager.h"
#include "platform/plist/PlistLimits.h"
#include "platform/plist/PropertyList.h"
#include "platform/system/Image.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Workspace.h"

#include <climits>
#include <iterator>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

using platform::FileManager;

namespace {

// The item at `path` as one size: the tree's total for a real folder, else its own size.
quint64 folderWalkSize(const QString &path)
{
    return FolderWalk::sizeAtPath(platform::encodePath(path));
}

} // namespace

FileController::FileController(QObject *parent)
    : QObject(parent)
{
    platform::NotificationCenter::defaultCenter().addObserver(
        this, keys::CheckTargetFiles, [this](const platform::Notification &n) { checkFilesForTarget(n); });
}

FileController::~FileController() = default;

FileManager &FileController::fileManager() const
{
    return FileManager::defaultManager();
}

void FileController::checkFilesForTarget(const platform::Notification &notification)
{
    const QString identifier = notification.userInfo.value(keys::TargIdentifier).toString();
    const QString name = notification.userInfo.value(keys::TargName).toString();
    const auto targets = notification.userInfo.value(keys::Targets).value<targetItemList>();

    platform::ImagePtr icon;
    if (identifier == keys::FlashCookies) {
        icon = platform::imageNamed(u"FlashCookie.icns"_s);
    } else {
        const QString bundle =
            platform::Workspace::sharedWorkspace().absolutePathForAppBundleWithIdentifier(identifier);
        if (bundle.isEmpty())
            return; // the application has gone since it was offered
        icon = platform::Workspace::sharedWorkspace().iconForFile(bundle);
    }

    const FileManager &fm = fileManager();
    QList<resultItemPtr> rows;
    for (const targetItemPtr &target : targets) {
        if (!target)
            continue;
        const QString path = target->targetItemPath();
        if (path.isEmpty() || !fm.fileExistsAtPath(path))
            continue;

        const QString type = target->targetItemType();
        quint64 size = 0;
        if (type == QLatin1String("Dir")) {
            size = folderWalkSize(path);
        } else if (const auto attributes = fm.attributesOfItemAtPath(path)) {
            size = attributes->size;
        }

        auto status = QZStatusObject::create();
        status->setObjStatus(u"Waiting"_s);

        resultItemPtr row = resultItem::create();
        row->setResultItemPath(path);
        row->setResultItemType(type);
        row->setResultItemName(name + QLatin1Char(' ') + target->targetItemClassification());
        row->setResultItemExtraInfo(target->targetItemExtraInfo().toString());
        row->setResultItemSize(size);
        row->setResultItemConvertedSize(convertFileSize(size));
        row->setResultItemIsChecked(true);
        row->setResultItemImage(icon);
        row->setResultStatus(status);
        row->setResultItemState(RowState::Cleaning, 100);
        row->setResultItemIdentifier(identifier);
        row->setResultItemAppName(name);
        rows.append(row);
    }
    if (m_resultsArrayController)
        m_resultsArrayController->addObjects(rows);
}

quint64 FileController::fileSizeForPath(const QString &path) const
{
    const FileManager &fm = fileManager();
    bool isDir = false; // per call: the worker and the main thread measure at the same time
    if (path.isEmpty() || !fm.fileExistsAtPath(path, &isDir))
        return 0;
    const auto attributes = fm.attributesOfItemAtPath(path);
    if (!attributes)
        return 0;
    // A link to a folder is measured as the link it is, never as the folder it points to.
    if (isDir && attributes->isDirectory)
        return folderWalkSize(path);
    return attributes->size;
}

QString FileController::convertFileSize(quint64 bytes)
{
    static const char *const units[] = {"B", "KB", "MB", "GB", "TB"};
    constexpr int lastUnit = int(std::size(units)) - 1;

    double value = double(bytes);
    if (value < 4096)
        value = 4096;
    int unit = 0;
    while (value > 1024 && unit < lastUnit) {
        value *= 1.0 / 1024;
        ++unit;
    }
    return QString::asprintf("%4.1f %s", value, units[unit]);
}

int FileController::itemCountForPath(const QString &path) const
{
    if (path.isEmpty())
        return 0;
    const quint64 count = FolderWalk::countAtPath(platform::encodePath(path));
    return count > quint64(INT_MAX) ? INT_MAX : int(count);
}

QString FileController::temporaryFolderPath()
{
    return TemporaryFolder::path();
}

QString FileController::temporaryPathForFile(const QString &path) const
{
    return TemporaryFolder::moveItemAside(path);
}

QString FileController::temporaryPathForStore(const QString &path) const
{
    return StoreAside::moveAside(path);
}

QString FileController::temporaryPathForItems(const QStringList &paths) const
{
    return StoreAside::moveTogether(paths);
}

void FileController::moveFilesWithName(const QString &name, const QString &tempPath, const QString &originalPath) const
{
    const FileManager &fm = fileManager();
    if (tempPath.isEmpty() || !fm.fileExistsAtPath(tempPath))
        return;
    if (!fm.fileExistsAtPath(originalPath)) {
        // Made again as private as the folder set aside, never more open even for a moment:
        // the umask can only narrow the mode, which is then set back exactly, after the
        // folder's group (and owner, where this user may give it) is set back too.
        struct stat aside;
        const bool known = lstat(platform::encodePath(tempPath).constData(), &aside) == 0;
        const mode_t mode = known ? aside.st_mode & 07777 : mode_t(0700);
        if (fm.createDirectoryAtPath(originalPath, mode & 0777)) {
            if (known)
                AtomicReplace::keepOwnerAndGroup(platform::encodePath(originalPath), aside.st_uid, aside.st_gid);
            fm.setPosixPermissions(originalPath, mode);
        }
    }
    // Only entries directly inside the folder set aside ever go back: a deeper entry with a
    // matching name travels with its folder or stays.
    const QString from = tempPath + QLatin1Char('/');
    const QString to = originalPath + QLatin1Char('/');
    for (const QString &entry : fm.contentsOfDirectoryAtPath(tempPath)) {
        if (entry.startsWith(name))
            fm.moveItemAtPath(from + entry, to + entry);
    }
}

bool FileController::listHasElementsAtKeyPath(const QString &path, const QStringList &keyPath)
{
    if (path.isEmpty() || keyPath.isEmpty())
        return false;
    // Read as the rewrite reads it: a list that is a link, or shares its data with another
    // name, is never rewritten, so it is not offered either.
    const std::optional<platform::RegularFile> file =
        FileManager::defaultManager().readRegularFile(path, platform::plistlimits::maxFileBytes, false);
    if (!file || file->linkCount != 1)
        return false;
    const std::optional<platform::PropertyList> list = platform::PropertyList::fromData(file->data);
    if (!list || !list->isDictionary())
        return false;
    const QVariant value = list->valueForKeyPath(keyPath);
    switch (value.typeId()) {
    case QMetaType::QVariantList:
        return !value.toList().isEmpty();
    case QMetaType::QVariantMap:
        return !value.toMap().isEmpty();
    default:
        return false; // absent, or not a collection at all
    }
}

bool FileController::recentURLsExistAtPath(const QString &path) const
{
    return listHasElementsAtKeyPath(path, {u"MGRecentURLPropertyLists"_s});
}

bool FileController::recentDocumentsExistAtPath(const QString &path) const
{
    return listHasElementsAtKeyPath(path, {u"RecentDocuments"_s, u"CustomListItems"_s});
}
