#pragma once

#include "core/records/resultItem.h"
#include "platform/system/ArrayController.h"

#include <QObject>
#include <QString>

namespace platform {
class FileManager;
struct Notification;
} // namespace platform

// The program's file-system service: turns a module's candidate traces into sized result
// rows during a scan, measures and counts folder trees, formats byte counts for the results
// table, sets items aside in the private temporary folder before they are destroyed, moves
// kept entries back, and answers two questions about recent-item lists.
//
// It keeps no state between calls, so the cleaning worker and the main thread may use it at
// the same time.
class FileController : public QObject
{
    Q_OBJECT
public:
    using ResultsArrayController = platform::ArrayController<resultItem>;

    // Registers checkFilesForTarget() for keys::CheckTargetFiles (any sender) until destroyed.
    explicit FileController(QObject *parent = nullptr);
    ~FileController() override;

    platform::FileManager &fileManager() const;

    // Outlet: the result rows, shared with the results table. Set once by MainInterface.
    ResultsArrayController *resultsArrayController() const { return m_resultsArrayController; }
    void setResultsArrayController(ResultsArrayController *controller) { m_resultsArrayController = controller; }

    // One row per candidate of the batch (keys::TargName, TargIdentifier, Targets) whose
    // path exists, appended in candidate order. No rows when the application is gone.
    void checkFilesForTarget(const platform::Notification &notification);

    // Bytes of the item at `path`: the whole tree for a folder, the item's own size
    // otherwise (a link's own length); 0 when nothing exists there.
    quint64 fileSizeForPath(const QString &path) const;
    // "%4.1f %s" of the size in steps of 1024, counting anything below 4096 bytes as 4096.
    // Sizes beyond 1024 TB stay in TB.
    static QString convertFileSize(quint64 bytes);
    // Files anywhere below the folder at `path` (folders not counted); 0 for a single file
    // or a missing path.
    int itemCountForPath(const QString &path) const;

    // The private temporary folder items are set aside in.
    static QString temporaryFolderPath();
    // Moves the item, by a rename, into the private aside folder on its own file system (the
    // temporary folder when it lies there) under a unique name; the new path, or an empty
    // string when the item is missing or could not be moved (it is then untouched), and when
    // it could not be removed as a whole once moved (see TemporaryFolder::moveItemAside).
    QString temporaryPathForFile(const QString &path) const;
    // The same for an item that may be an SQLite store: a file with side files beside it
    // (-wal, -journal, -shm) takes them along, and the path answered is then a private folder
    // holding the file and its side files, to be removed as one item (see StoreAside).
    QString temporaryPathForStore(const QString &path) const;
    // Several items set aside as one (see StoreAside::moveTogether): the private folder
    // holding them, or an empty string when they all stay where they were.
    QString temporaryPathForItems(const QStringList &paths) const;
    // Moves every entry directly inside `tempPath` whose name begins with `name` back into
    // `originalPath` (made when missing) under its own name. An entry whose name is already
    // taken there stays where it is.
    void moveFilesWithName(const QString &name, const QString &tempPath, const QString &originalPath) const;

    // Does the property list at `path` hold at least one element under
    // "MGRecentURLPropertyLists" / under "RecentDocuments" -> "CustomListItems"?
    bool recentURLsExistAtPath(const QString &path) const;
    bool recentDocumentsExistAtPath(const QString &path) const;
    // The common probe: the file is one the key rewrite would take (a regular file, not a
    // link, with no other name) and parses as a dictionary, and the value at `keyPath` is a
    // collection with at least one element (an absent value counts as none).
    static bool listHasElementsAtKeyPath(const QString &path, const QStringList &keyPath);

private:
    ResultsArrayController *m_resultsArrayController = nullptr;
};
