#pragma once

#include "platform/PropertyList.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <sqlite3.h>

// Fixtures shaped as the system writes them: recent-item lists, the Finder's preferences and
// the Launch Services quarantine database.
namespace systemlists {

inline QByteArray bookmark(const QString &target)
{
    // A bookmark is opaque binary data; what matters is that it stays data, byte for byte.
    QByteArray data("book\x00\x00\x00\x00mark\x00\x00\x00\x00", 16);
    data += target.toUtf8();
    data += QByteArray("\x00\xff\x10\x04", 4);
    return data;
}

// Entries as the system lists them: a name and a bookmark, under keys of the list's own.
inline QVariantList bookmarked(const QStringList &names, const QString &nameKey, const QString &bookmarkKey)
{
    QVariantList items;
    for (const QString &name : names)
        items.append(QVariantMap{{nameKey, name}, {bookmarkKey, bookmark(QStringLiteral("/Users/me/") + name)}});
    return items;
}

inline QVariantList customListItems(const QStringList &names)
{
    return bookmarked(names, QStringLiteral("Name"), QStringLiteral("Bookmark"));
}

// One list of a recent-items file: its entries, when given, and its limit.
inline QVariantMap recentList(const QVariant &items, qint64 maxAmount = 10)
{
    QVariantMap list{{QStringLiteral("MaxAmount"), maxAmount}};
    if (items.isValid())
        list.insert(QStringLiteral("CustomListItems"), items);
    return list;
}

// Nodes of every type a round trip could change.
inline QVariantMap typedNodes()
{
    const QDateTime when(QDate(2024, 2, 29), QTime(23, 59, 58), Qt::UTC);
    return {
        {QStringLiteral("LastChange"), when},
        {QStringLiteral("Scale"), 1.5},
        {QStringLiteral("WholeReal"), 3.0},
        {QStringLiteral("Count"), qint64(3)},
        {QStringLiteral("Enabled"), false},
        {QStringLiteral("Blob"), QByteArray("\x00\x01\x02\xfe", 4)},
        {QStringLiteral("Archive"), QVariantMap{{QStringLiteral("$top"), QVariant::fromValue(platform::PlistUid{1})},
                                               {QStringLiteral("$objects"), QVariantList{QStringLiteral("$null"), qint64(-2), 0.0}}}},
    };
}

// Library/Preferences/com.apple.recentitems.plist with entries in the three lists and a list
// of its own under another root key.
inline QVariantMap recentItems()
{
    QVariantMap root = typedNodes();
    root.insert(QStringLiteral("RecentApplications"),
                recentList(customListItems({QStringLiteral("Safari.app"), QStringLiteral("Mail.app")})));
    QVariantMap documents = recentList(customListItems({QStringLiteral("tax.pdf"), QStringLiteral("notes.txt")}), 15);
    documents.insert(QStringLiteral("Controller"), QStringLiteral("CustomListItems"));
    documents.insert(QStringLiteral("Stamp"), typedNodes().value(QStringLiteral("LastChange")));
    root.insert(QStringLiteral("RecentDocuments"), documents);
    root.insert(QStringLiteral("RecentServers"), recentList(customListItems({QStringLiteral("afp://nas.local")}), 0));
    root.insert(QStringLiteral("Hosts"), recentList(customListItems({QStringLiteral("printer.local")})));
    return root;
}

// An application's Library/Preferences/<id>.LSSharedFileList.plist.
inline QVariantMap sharedFileListPrefs(const QVariant &documentItems)
{
    QVariantMap root = typedNodes();
    QVariantMap documents = recentList(documentItems);
    documents.insert(QStringLiteral("Properties"), QVariantMap{{QStringLiteral("Version"), 2.5}});
    root.insert(QStringLiteral("RecentDocuments"), documents);
    root.insert(QStringLiteral("RecentServers"), recentList(customListItems({QStringLiteral("smb://share")})));
    return root;
}

// Library/Preferences/com.apple.finder.plist: recent folders among dozens of other settings.
inline QVariantMap finderPrefs(const QVariant &recentFolders)
{
    QVariantMap root = typedNodes();
    if (recentFolders.isValid())
        root.insert(QStringLiteral("FXRecentFolders"), recentFolders);
    root.insert(QStringLiteral("FXPreferredViewStyle"), QStringLiteral("Nlsv"));
    root.insert(QStringLiteral("ShowPathbar"), true);
    root.insert(QStringLiteral("FXDefaultSearchScope"), QStringLiteral("SCcf"));
    root.insert(QStringLiteral("FXConnectToLastURL"), QStringLiteral("smb://nas.local/share"));
    root.insert(QStringLiteral("FXDesktopVolumePositions"),
                QVariantMap{{QStringLiteral("Macintosh HD_0x0"), QVariantMap{{QStringLiteral("x"), 1480.25}, {QStringLiteral("y"), qint64(90)}}}});
    root.insert(QStringLiteral("NSNavLastRootDirectory"), QStringLiteral("~/Documents"));
    for (int i = 0; i < 30; ++i)
        root.insert(QStringLiteral("FK_Setting%1").arg(i, 2, 10, QLatin1Char('0')),
                    i % 3 == 0 ? QVariant(qint64(i)) : i % 3 == 1 ? QVariant(i + 0.25) : QVariant(i % 2 == 0));
    return root;
}

inline QVariantList recentFolders(const QStringList &names)
{
    return bookmarked(names, QStringLiteral("name"), QStringLiteral("file-bookmark"));
}

// Every node of a tree as "path=type:value", so that a changed type (an integer turned
// real, a date turned string, a UID turned integer) shows.
inline void flatten(const QVariant &node, const QString &path, QStringList &out)
{
    switch (node.typeId()) {
    case QMetaType::QVariantMap: {
        const QVariantMap map = node.toMap();
        out.append(path + QStringLiteral("={}"));
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            flatten(it.value(), path + QLatin1Char('/') + it.key(), out);
        return;
    }
    case QMetaType::QVariantList: {
        const QVariantList list = node.toList();
        out.append(path + QStringLiteral("=[%1]").arg(list.size()));
        for (qsizetype i = 0; i < list.size(); ++i)
            flatten(list.at(i), path + QStringLiteral("/%1").arg(i), out);
        return;
    }
    case QMetaType::QByteArray:
        out.append(path + QStringLiteral("=data:") + QString::fromLatin1(node.toByteArray().toHex()));
        return;
    case QMetaType::QDateTime:
        out.append(path + QStringLiteral("=date:") + node.toDateTime().toString(Qt::ISODateWithMs));
        return;
    case QMetaType::Double:
        out.append(path + QStringLiteral("=real:") + QString::number(node.toDouble(), 'g', 17));
        return;
    default:
        if (node.canConvert<platform::PlistUid>() && node.typeId() == qMetaTypeId<platform::PlistUid>()) {
            out.append(path + QStringLiteral("=uid:%1").arg(node.value<platform::PlistUid>().value));
            return;
        }
        out.append(path + QStringLiteral("=") + QString::fromLatin1(node.typeName()) + QLatin1Char(':') + node.toString());
    }
}

inline QStringList nodes(const QVariant &root)
{
    QStringList out;
    flatten(root, QString(), out);
    return out;
}

inline QStringList nodesOfFile(const QString &path)
{
    const auto list = platform::PropertyList::fromFile(path);
    return list ? nodes(list->toVariant()) : QStringList{QStringLiteral("not a list")};
}

// The quarantine event store as Launch Services creates it, with n events.
inline QString quarantineDatabase(int events)
{
    QString sql = QStringLiteral(
        "CREATE TABLE LSQuarantineEvent (  LSQuarantineEventIdentifier TEXT PRIMARY KEY NOT NULL,"
        "  LSQuarantineTimeStamp REAL,  LSQuarantineAgentBundleIdentifier TEXT,"
        "  LSQuarantineAgentName TEXT,  LSQuarantineDataURLString TEXT,"
        "  LSQuarantineSenderName TEXT,  LSQuarantineSenderAddress TEXT,"
        "  LSQuarantineTypeNumber INTEGER,  LSQuarantineOriginTitle TEXT,"
        "  LSQuarantineOriginURLString TEXT,  LSQuarantineOriginAlias BLOB );"
        "CREATE INDEX LSQuarantineEventIndex ON LSQuarantineEvent (  LSQuarantineEventIdentifier );");
    for (int i = 0; i < events; ++i)
        sql += QStringLiteral(
                   "INSERT INTO LSQuarantineEvent VALUES('8C1F6A3E-0000-4000-8000-%1', %2,"
                   " 'com.apple.Safari', 'Safari', 'https://dl.example.com/file%3.dmg', NULL, NULL,"
                   " 0, NULL, 'https://example.com/page%3', X'00010203');")
                   .arg(i, 12, 10, QLatin1Char('0'))
                   .arg(700000000.5 + i, 0, 'f', 1)
                   .arg(i);
    return sql;
}

// Rows of a table, -1 when the database cannot be read; and its integrity check's answer.
inline QString querySingle(const QString &db, const QByteArray &sql)
{
    sqlite3 *h = nullptr;
    QString answer = QStringLiteral("unreadable");
    if (sqlite3_open_v2(db.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(h, sql.constData(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            answer = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
    }
    sqlite3_close(h);
    return answer;
}

inline QString eventCount(const QString &db)
{
    return querySingle(db, "SELECT count(*) FROM LSQuarantineEvent");
}

inline QString integrity(const QString &db)
{
    return querySingle(db, "PRAGMA integrity_check");
}

} // namespace systemlists
