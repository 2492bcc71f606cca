#include "platform/system/NotificationCenter.h"

#include <QMutexLocker>

namespace platform {

NotificationCenter::~NotificationCenter()
{
    QMutexLocker lock(&m_mutex);
    for (const auto &connection : std::as_const(m_ownerWatches))
        QObject::disconnect(connection);
}

NotificationCenter &NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

NotificationCenter &NotificationCenter::workspaceCenter()
{
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(QObject *owner, const QString &name, Handler handler)
{
    addObserver(static_cast<const void *>(owner), name, std::move(handler));
    if (owner)
        watchOwner(owner);
}

void NotificationCenter::addObserver(const void *owner, const QString &name, Handler handler)
{
    if (!handler)
        return;
    QMutexLocker lock(&m_mutex);
    m_entries.push_back(Entry{m_nextId++, owner, name, std::make_shared<Handler>(std::move(handler))});
}

void NotificationCenter::watchOwner(QObject *owner)
{
    const void *key = owner;
    {
        QMutexLocker lock(&m_mutex);
        if (m_ownerWatches.contains(key))
            return;
    }
    // destroyed() is emitted on the destroying thread, before the object is gone; a direct
    // call drops the registrations at once.
    auto connection = QObject::connect(
        owner, &QObject::destroyed, owner, [this, key] { removeObserver(key); }, Qt::DirectConnection);
    QMutexLocker lock(&m_mutex);
    if (m_ownerWatches.contains(key))
        QObject::disconnect(connection);
    else
        m_ownerWatches.insert(key, connection);
}

void NotificationCenter::removeWhere(const std::function<bool(const Entry &)> &match)
{
    std::vector<Entry> removed; // handlers are destroyed outside the lock
    QMutexLocker lock(&m_mutex);
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (match(*it)) {
            removed.push_back(std::move(*it));
            it = m_entries.erase(it);
        } else {
            ++it;
        }
    }
    lock.unlock();
}

void NotificationCenter::removeObserver(const void *owner)
{
    removeWhere([owner](const Entry &e) { return e.owner == owner; });
    QMutexLocker lock(&m_mutex);
    const auto connection = m_ownerWatches.take(owner);
    lock.unlock();
    QObject::disconnect(connection);
}

void NotificationCenter::removeObserver(const void *owner, const QString &name)
{
    removeWhere([owner, &name](const Entry &e) { return e.owner == owner && e.name == name; });
}

bool NotificationCenter::isRegistered(quint64 id) const
{
    QMutexLocker lock(&m_mutex);
    for (const Entry &e : m_entries) {
        if (e.id == id)
            return true;
    }
    return false;
}

void NotificationCenter::post(const QString &name, const void *object, const QVariantMap &userInfo)
{
    std::vector<std::pair<quint64, std::shared_ptr<Handler>>> snapshot;
    {
        QMutexLocker lock(&m_mutex);
        for (const Entry &e : m_entries) {
            if (e.name == name)
                snapshot.emplace_back(e.id, e.handler);
        }
    }
    const Notification notification{name, object, userInfo};
    for (const auto &[id, handler] : snapshot) {
        if (isRegistered(id))
            (*handler)(notification);
    }
}

int NotificationCenter::observerCount(const QString &name) const
{
    QMutexLocker lock(&m_mutex);
    int n = 0;
    for (const Entry &e : m_entries) {
        if (e.name == name)
            ++n;
    }
    return n;
}

} // namespace platform
