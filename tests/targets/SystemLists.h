#pragma once

#include "platform/plist/PropertyList.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

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
        items.append(QVariantMap{{nameKey, name}, {bookmarkKey, bookmark(u"/Users/me/"_s + name)}});
    return items;
}

inline QVariantList customListItems(const QStringList &names)
{
    return bookmarked(names, u"Name"_s, u"Bookmark"_s);
}

// One list of a recent-items file: its entries, when given, and its limit.
inline QVariantMap recentList(const QVariant &items, qint64 maxAmount = 10)
{
    QVariantMap list{{u"MaxAmount"_s, maxAmount}};
    if (items.isValid())
        list.insert(u"CustomListItems"_s, items);
    return list;
}

// Nodes of every type a round trip could change.
inline QVariantMap typedNodes()
{
    const QDateTime when(QDate(2024, 2, 29), QTime(23, 59, 58), Qt::UTC);
    return {
        {u"LastChange"_s, when},
        {u"Scale"_s, 1.5},
        {u"WholeReal"_s, 3.0},
        {u"Count"_s, qint64(3)},
        {u"Enabled"_s, false},
        {u"Blob"_s, QByteArray("\x00\x01\x02\xfe", 4)},
        {u"Archive"_s,
         QVariantMap{{u"$top"_s, QVariant::fromValue(platform::PlistUid{1})},
                     {u"$objects"_s, QVariantList{u"$null"_s, qint64(-2), 0.0}}}},
    };
}

// Library/Preferences/com.apple.recentitems.plist with entries in the three lists and a list
// of its own under another root key.
inline QVariantMap recentItems()
{
    QVariantMap root = typedNodes();
    root.insert(u"RecentApplications"_s, recentList(customListItems({u"Safari.app"_s, u"Mail.app"_s})));
    QVariantMap documents = recentList(customListItems({u"tax.pdf"_s, u"notes.txt"_s}), 15);
    documents.insert(u"Controller"_s, u"CustomListItems"_s);
    documents.insert(u"Stamp"_s, typedNodes().value(u"LastChange"_s));
    root.insert(u"RecentDocuments"_s, documents);
    root.insert(u"RecentServers"_s, recentList(customListItems({u"afp://nas.local"_s}), 0));
    root.insert(u"Hosts"_s, recentList(customListItems({u"printer.local"_s})));
    return root;
}

// An application's Library/Preferences/<id>.LSSharedFileList.plist.
inline QVariantMap sharedFileListPrefs(const QVariant &documentItems)
{
    QVariantMap root = typedNodes();
    QVariantMap documents = recentList(documentItems);
    documents.insert(u"Properties"_s, QVariantMap{{u"Version"_s, 2.5}});
    root.insert(u"RecentDocuments"_s, documents);
    root.insert(u"RecentServers"_s, recentList(customListItems({u"smb://share"_s})));
    return root;
}

// Library/Preferences/com.apple.finder.plist: recent folders among dozens of other settings.
inline QVariantMap finderPrefs(const QVariant &recentFolders)
{
    QVariantMap root = typedNodes();
    if (recentFolders.isValid())
        root.insert(u"FXRecentFolders"_s, recentFolders);
    root.insert(u"FXPreferredViewStyle"_s, u"Nlsv"_s);
    root.insert(u"ShowPathbar"_s, true);
    root.insert(u"FXDefaultSearchScope"_s, u"SCcf"_s);
    root.insert(u"FXConnectToLastURL"_s, u"smb://nas.local/share"_s);
    root.insert(u"FXDesktopVolumePositions"_s,
                QVariantMap{{u"Macintosh HD_0x0"_s, QVariantMap{{u"x"_s, 1480.25}, {u"y"_s, qint64(90)}}}});
    root.insert(u"NSNavLastRootDirectory"_s, u"~/Documents"_s);
    for (int i = 0; i < 30; ++i)
        root.insert(u"FK_Setting%1"_s.arg(i, 2, 10, QLatin1Char('0')),
                    i % 3 == 0       ? QVariant(qint64(i))
                        : i % 3 == 1 ? QVariant(i + 0.25)
                                     : QVariant(i % 2 == 0));
    return root;
}

inline QVariantList recentFolders(const QStringList &names)
{
    return bookmarked(names, u"name"_s, u"file-bookmark"_s);
}

// Every node of a tree as "path=type:value", so that a changed type (an integer turned
// real, a date turned string, a UID turned integer) shows.
inline void flatten(const QVariant &node, const QString &path, QStringList &out)
{
    switch (node.typeId()) {
    case QMetaType::QVariantMap: {
        const QVariantMap map = node.toMap();
        out.append(path + u"={}"_s);
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            flatten(it.value(), path + QLatin1Char('/') + it.key(), out);
        return;
    }
    case QMetaType::QVariantList: {
        const QVariantList list = node.toList();
        out.append(path + u"=[%1]"_s.arg(list.size()));
        for (qsizetype i = 0; i < list.size(); ++i)
            flatten(list.at(i), path + u"/%1"_s.arg(i), out);
        return;
    }
    case QMetaType::QByteArray:
        out.append(path + u"=data:"_s + QString::fromLatin1(node.toByteArray().toHex()));
        return;
    case QMetaType::QDateTime:
        out.append(path + u"=date:"_s + node.toDateTime().toString(Qt::ISODateWithMs));
        return;
    case QMetaType::Double:
        out.append(path + u"=real:"_s + QString::number(node.toDouble(), 'g', 17));
        return;
    default:
        if (node.canConvert<platform::PlistUid>() && node.typeId() == qMetaTypeId<platform::PlistUid>()) {
            out.append(path + u"=uid:%1"_s.arg(node.value<platform::PlistUid>().value));
            return;
        }
        out.append(path + u"="_s + QString::fromLatin1(node.typeName()) + QLatin1Char(':') + node.toString());
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
    return list ? nodes(list->toVariant()) : QStringList{u"not a list"_s};
}

// The quarantine event store as Launch Services creates it, with n events.
inline QString quarantineDatabase(int events)
{
    QString sql = u"CREATE TABLE LSQuarantineEvent (  LSQuarantineEventIdentifier TEXT PRIMARY KEY NOT NULL,"
                  "  LSQuarantineTimeStamp REAL,  LSQuarantineAgentBundleIdentifier TEXT,"
                  "  LSQuarantineAgentName TEXT,  LSQuarantineDataURLString TEXT,"
                  "  LSQuarantineSenderName TEXT,  LSQuarantineSenderAddress TEXT,"
                  "  LSQuarantineTypeNumber INTEGER,  LSQuarantineOriginTitle TEXT,"
                  "  LSQuarantineOriginURLString TEXT,  LSQuarantineOriginAlias BLOB );"
                  "CREATE INDEX LSQuarantineEventIndex ON LSQuarantineEvent (  LSQuarantineEventIdentifier );"_s;
    for (int i = 0; i < events; ++i)
        sql += u"INSERT INTO LSQuarantineEvent VALUES('8C1F6A3E-0000-4000-8000-%1', %2,"
               " 'com.apple.Safari', 'Safari', 'https://dl.example.com/file%3.dmg', NULL, NULL,"
               " 0, NULL, 'https://example.com/page%3', X'00010203');"_s.arg(i, 12, 10, QLatin1Char('0'))
                   .arg(700000000.5 + i, 0, 'f', 1)
                   .arg(i);
    return sql;
}

// Rows of a table, -1 when the database cannot be read; and its integrity check's answer.
inline QString querySingle(const QString &db, const QByteArray &sql)
{
    sqlite3 *h = nullptr;
    QString answer = u"unreadable"_s;
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
