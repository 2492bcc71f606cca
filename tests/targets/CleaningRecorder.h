#pragma once

#include "core/Keys.h"
#include "core/records/resultItem.h"
#include "platform/system/NotificationCenter.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>

using namespace Qt::StringLiterals;

// Records, in order, what cleaning code posts: status updates, removal announcements and the
// two daemon notices. `onEvent` may look at the disk at the moment of each post.
class CleaningRecorder : public QObject
{
public:
    struct Event
    {
        QString name;
        QVariantMap info;
        QVariant snapshot;
    };

    static inline const QString status = u"CleaningStatusUpdateNotification"_s;
    static inline const QString removal = u"RemovalItemNotification"_s;
    static inline const QString prefsDaemon = u"CFPrefsdNeedsRestartNotification"_s;
    static inline const QString sharedFileList = u"SharedfilelistdNeedsRestartNotification"_s;

    CleaningRecorder()
    {
        for (const QString &name : {status, removal, prefsDaemon, sharedFileList}) {
            platform::NotificationCenter::defaultCenter().addObserver(
                this, name, [this](const platform::Notification &n) {
                    events.append({n.name, n.userInfo, onEvent ? onEvent(n) : QVariant()});
                });
        }
    }

    QStringList names() const
    {
        QStringList list;
        for (const Event &e : events)
            list.append(e.name);
        return list;
    }
    QList<Event> named(const QString &name) const
    {
        QList<Event> list;
        for (const Event &e : events) {
            if (e.name == name)
                list.append(e);
        }
        return list;
    }
    void clear() { events.clear(); }

    QList<Event> events;
    std::function<QVariant(const platform::Notification &)> onEvent;
};

// Asks a module for its traces the way the location list does.
inline void postLocationScan(const QString &appName, const QString &identifier)
{
    platform::NotificationCenter::defaultCenter().post(keys::CheckLocationItems, nullptr,
                                                       keys::locationScan(appName, identifier));
}

// The item names of result rows, in their order.
inline QStringList namesOf(const QList<resultItemPtr> &rows)
{
    QStringList names;
    for (const resultItemPtr &row : rows)
        names.append(row->resultItemName());
    return names;
}

// Posts a cleaning request the way the results controller does.
inline void postCleaningRequest(const QString &appName, const QString &itemName, const QString &path)
{
    platform::NotificationCenter::defaultCenter().post(
        keys::cleanRequestName(appName), nullptr,
        {{u"cleaningItemAppName"_s, appName}, {u"cleaningItemName"_s, itemName}, {u"cleaningItemPath"_s, path}});
}
