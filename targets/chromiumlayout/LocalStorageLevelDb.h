#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <string_view>

// The current Local Storage layout: one LevelDB store ("leveldb" inside the Local Storage
// folder) holding every origin's records, keyed "META:<origin>", "METAACCESS:<origin>" and
// "_<origin>" NUL <key>, beside the store's own "VERSION" record. An origin is kept by the
// same rule as the older per-origin files: its file name form ("chrome-extension_<id>_0" for
// "chrome-extension://<id>") begins with a kept prefix.
class LocalStorageLevelDb
{
public:
    static const QString folderName; // "leveldb"

    // "scheme_host_port" of "scheme://host[:port]" (port 0 when none is given), as the
    // older layout named an origin's file; empty for anything that is not an origin.
    static QByteArray fileNameFormOf(std::string_view origin);
    // Does the record under `key` stay: the store's version, or a record of a kept origin?
    static bool isKeptKey(std::string_view key, const QStringList &prefixes);

    // Reads the store at `store` (a folder, never a link) through the library and writes a new store at `into` (which
    // must not exist yet) holding only the records that stay. False when the store cannot be
    // read whole (locked by a running browser, damaged, ordered by another comparator) or
    // the new one could not be written; nothing is left at `into` then. The old store is
    // only read; the library may turn its log into a table on opening, as the browser does.
    static bool writeKeptRecords(const QString &store, const QString &into, const QStringList &prefixes);

    // The same for any store the browser keeps in LevelDB, with the test of the records that
    // stay; `dropped`, when given, gets how many records were left out.
    using KeepTest = std::function<bool(std::string_view key)>;
    static bool writeRecordsKept(const QString &store, const QString &into, const KeepTest &keep,
                                 qsizetype *dropped = nullptr);

    // Does another process hold the store's lock (a browser that opened it)?
    static bool isLockedByAnotherProcess(const QString &store);
};
