#pragma once

#include "core/OwnedThreads.h"
#include "core/Settings.h"
#include "core/ShredOutputParser.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <memory>

namespace platform {
class Task;
}
class FileController;

// The removal engine: destroys the items the modules have moved into the private temporary
// folder and reports each outcome with exactly one "CleaningStatusUpdateNotification"
// (and progress with "RemovalProgressNotification"), always posted from the main queue.
//
// A request is removed with a plain delete on a thread of its own, or, when
// secure removal is on, by the secure-removal tool as a child process whose verbose
// output drives the progress. Only one secure removal runs at a time. The engine owns its
// background threads (plain deletes, the set-aside cleanup): destroying it waits for them.
//
// Used on the main thread, except where a method says otherwise.
class ShredController : public QObject
{
    Q_OBJECT
public:
    explicit ShredController(QObject *parent = nullptr);
    ~ShredController() override;

    // Chooses the secure-removal tool for this system.
    void awakeFromNib();

    // Removal request: "itemApp", "itemName", "itemPath" (the moved copy), "itemRefPath"
    // (where the item lay). Starts the removal and returns at once.
    void removeItemWithInfo(const QVariantMap &info);
    // The plain delete of a request, on the calling thread (a background thread of its own).
    void removeItemInBackground(const QVariantMap &info);

    // Queue the posts on the main thread; any thread.
    void sendCleaningStatusUpdateNotificationForApp(const QString &app, const QString &item, const QString &path,
                                                    bool didClean);
    void sendCleaningStatusProgressNotificationForApp(const QString &app, const QString &item, const QString &path,
                                                      int percent);

    // The tool's output and end.
    void appendData(const QByteArray &chunk);
    void dataReady(const QByteArray &chunk);
    void taskTerminated(int terminationStatus);

    // Removes what earlier runs left in the set-aside folders on a background thread, with
    // the secure-removal tool at the level in force when secure removal is on, then posts
    // "TempCleaningSuccessNotification" or "TempCleaningFailureNotification" on that thread;
    // a failure names in "TempCleaningLeftItems" what stayed, and why.
    void removeTemporaryItems();
    void removeTemporaryItemsInBackground();

    QString srmPath() const;
    void setSrmPath(const QString &path);

    // Outlet, set once by MainInterface.
    FileController *fileControl() const { return m_fileControl; }
    void setFileControl(FileController *fileControl) { m_fileControl = fileControl; }

    // The secure removal that is running; null when none is.
    platform::Task *task() const { return m_task.get(); }
    int progressPercentNumber() const { return m_progressPercentNumber; }
    bool isDone() const { return m_parser.isDone(); }
    bool isDir() const { return m_parser.isDir(); }
    int dirItemCount() const { return m_parser.dirItemCount(); }
    int currentCount() const { return m_parser.currentCount(); }

    // The secure-removal arguments for a copy, a level and whether it is a folder.
    static QStringList secureRemovalArguments(const QString &path, SecureLevel level, bool isDir);

private:
    void startSecureRemoval(const QString &app, const QString &name, const QString &path, const QString &refPath);
    void emptyCookieStoreFor(const QString &app, const QString &name);

    // The set-aside folder holding the copy the tool is removing, open while it runs.
    class OpenFolder
    {
    public:
        OpenFolder() = default;
        ~OpenFolder() { reset(-1); }
        OpenFolder(const OpenFolder &) = delete;
        OpenFolder &operator=(const OpenFolder &) = delete;
        int fd() const { return m_fd; }
        void reset(int fd);

    private:
        int m_fd = -1;
    };

    std::unique_ptr<platform::Task> m_task;
    OpenFolder m_mainFolder;
    QByteArray m_mainItemInFolder;
    int m_progressPercentNumber = 0;
    QString m_mainItemApp;
    QString m_mainItemName;
    QString m_mainItemPath;
    QString m_mainItemRefPath;
    ShredOutputParser m_parser;
    FileController *m_fileControl = nullptr;
    mutable QMutex m_srmPathMutex;
    QString m_srmPath;
    // Last, so that it goes first: the background jobs end before anything else here does.
    OwnedThreads m_threads;
};
