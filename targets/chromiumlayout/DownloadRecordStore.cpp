#include "targets/chromiumlayout/DownloadRecordStore.h"

#include "core/FileController.h"
#include "core/TemporaryFolder.h"
#include "platform/files/FileManager.h"
#include "platform/system/ProcessInfo.h"
#include "targets/chromiumlayout/LocalStorageLevelDb.h"

using namespace Qt::StringLiterals;

using platform::FileManager;

const QString DownloadRecordStore::folderName = u"shared_proto_db"_s;

namespace {

// The number the browser's store gives its download component, and the store that keeps
// what each component's records are (their versions, corruption counts) inside the shared one.
constexpr std::string_view downloadPrefix = "21_";
const QString metadataStore = u"metadata"_s;

} // namespace

bool DownloadRecordStore::isDownloadKey(std::string_view key)
{
    return key.starts_with(downloadPrefix);
}

DownloadRecordStore::Rewrite DownloadRecordStore::writeWithoutDownloads(const QString &store)
{
    const QString aside = TemporaryFolder::asideFolderFor(store);
    if (aside.isEmpty())
        return {};
    const QString fresh = aside + QLatin1Char('/') + platform::ProcessInfo::processInfo().globallyUniqueString();
    qsizetype dropped = 0;
    if (!LocalStorageLevelDb::writeRecordsKept(
            store, fresh, [](std::string_view key) { return !isDownloadKey(key); }, &dropped))
        return {};
    if (dropped > 0)
        return {true, fresh};
    FileManager::defaultManager().removeItemAtPath(fresh);
    return {true, QString()};
}

QString DownloadRecordStore::replace(const FileController &files, const QString &store, const QString &fresh,
                                     mode_t permissions)
{
    const FileManager &fm = FileManager::defaultManager();
    const QString moved = files.temporaryPathForFile(store);
    if (moved.isEmpty())
        return {};
    // A browser that opened the store again since it was read may have written to it: the
    // new store would miss that, so the old one goes back as it was.
    const bool replaced = !LocalStorageLevelDb::isLockedByAnotherProcess(moved)
        && fm.setPosixPermissions(fresh, permissions) && fm.renameItemAtPath(fresh, store);
    if (!replaced) {
        fm.renameItemAtPath(moved, store);
        return {};
    }
    files.moveFilesWithName(metadataStore, moved, store);
    return moved;
}
