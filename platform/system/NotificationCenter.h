#pragma once

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <vector>

namespace platform {

// One posted notification: its name, the object that posted it (compared by address only)
// and its dictionary of string keys.
struct Notification
{
    QString name;
    const void *object = nullptr;
    QVariantMap userInfo;
};

// Named notifications delivered synchronously, on the posting thread, to every observer of
// that name (any sender), in the order the observers were added. Observers added while a post
// is being delivered take effect from the next post; an observer removed (or whose owner is
// destroyed) during a delivery is not called any more, so no handler outlives its owner.
// Thread-safe; no lock is held while a handler runs, so handlers may post and observe freely.
class NotificationCenter
{
public:
    using Handler = std::function<void(const Notification &)>;

    NotificationCenter() = default;
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter &) = delete;
    NotificationCenter &operator=(const NotificationCenter &) = delete;

    static NotificationCenter &defaultCenter();
    // Launch and termination notices of other applications (see Workspace).
    static NotificationCenter &workspaceCenter();

    // The registration is dropped when `owner` is destroyed, or by removeObserver(owner).
    void addObserver(QObject *owner, const QString &name, Handler handler);
    // For owners that are not QObjects: they must call removeObserver themselves.
    void addObserver(const void *owner, const QString &name, Handler handler);
    void removeObserver(const void *owner);
    void removeObserver(const void *owner, const QString &name);

    void post(const QString &name, const void *object = nullptr, const QVariantMap &userInfo = {});

    int observerCount(const QString &name) const;

private:
    struct Entry
    {
        quint64 id;
        const void *owner;
        QString name;
        std::shared_ptr<Handler> handler;
    };
    bool isRegistered(quint64 id) const;
    void watchOwner(QObject *owner);
    void removeWhere(const std::function<bool(const Entry &)> &match);

    mutable QMutex m_mutex;
    std::vector<Entry> m_entries;
    QHash<const void *, QMetaObject::Connection> m_ownerWatches;
    quint64 m_nextId = 1;
};

} // namespace platform
