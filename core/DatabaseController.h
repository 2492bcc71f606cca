#pragma once

#include <QObject>
#include <QString>

#include <functional>

struct sqlite3;

// Runs a module's delete statements against an application's SQLite file in place, so the
// application keeps its database but loses the rows that hold traces. One connection per
// call; called from the cleaning worker, one call at a time.
class DatabaseController : public QObject
{
    Q_OBJECT
public:
    explicit DatabaseController(QObject *parent = nullptr);
    ~DatabaseController() override;

    // Runs `sql` (one or more statements) on the database at `path` as one transaction and,
    // when they all ran, compacts it. True when every statement ran; otherwise the file is
    // left as it was. A missing file, one that is not a database, one that another
    // connection holds locked and a failed statement all answer false. With
    // secure removal on, deleted rows are overwritten in the file, and its log or
    // journal is overwritten before it is emptied and removed, so no deleted row stays
    // readable in any file of the store.
    bool didDeleteRecordsWithInfo(const QString &sql, const QString &path);

    // At launch: overwrites the side files of every store whose secure delete a kill cut off
    // before they were overwritten (the settings name them from before the delete commits).
    // A store that does not open now stays named for the next launch.
    static void finishPendingWipes();

    // Tests only: runs right after a delete commits, before its side files are overwritten.
    static void setAfterCommitHook(std::function<void()> hook);

    enum class Access { ReadWrite, ReadOnly };
    // Opens an application's store as the application does, read-write for the deletes and
    // read-only for the scan's counts, which never write and leave the store's folder as they
    // found it (no log folded back or removed, no log, index or journal made): folders above
    // it are followed (the user may have moved one elsewhere and linked it back), the store
    // itself never is when it is a link, and a missing file is never created. Null when it
    // does not open, and for reading a store in WAL mode on a disk with almost no room left
    // (see the .cpp); the caller closes it.
    static sqlite3 *openStore(const QString &path, Access access = Access::ReadWrite);
};
