#pragma once

#include "platform/files/FileManager.h"
#include "support/FakeHome.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <optional>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

// The SQLite stores of a Mozilla profile, with the tables and columns the browsers write, and
// a few rows each. Every private value carries a "-secret" marker so a test can look for it
// in the bytes of a store and of its side files.
namespace mozstores {

// places.sqlite as current Firefox writes it: origins, no moz_hosts, no moz_favicons (icons
// moved to favicons.sqlite), downloads kept as page annotations.
inline const char *currentPlacesSchema = R"(
CREATE TABLE moz_origins ( id INTEGER PRIMARY KEY, prefix TEXT NOT NULL, host TEXT NOT NULL, frecency INTEGER NOT NULL, recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER, recalc_alt_frecency INTEGER NOT NULL DEFAULT 0, UNIQUE (prefix, host) );
CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER , guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0 NOT NULL , description TEXT, preview_image_url TEXT, site_name TEXT, origin_id INTEGER REFERENCES moz_origins(id), recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER, recalc_alt_frecency INTEGER NOT NULL DEFAULT 0);
CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, from_visit INTEGER, place_id INTEGER, visit_date INTEGER, visit_type INTEGER, session INTEGER, source INTEGER DEFAULT 0 NOT NULL, triggeringPlaceId INTEGER);
CREATE TABLE moz_inputhistory (place_id INTEGER NOT NULL, input LONGVARCHAR NOT NULL, use_count INTEGER, PRIMARY KEY (place_id, input));
CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, dateAdded INTEGER, lastModified INTEGER, guid TEXT, syncStatus INTEGER NOT NULL DEFAULT 0, syncChangeCounter INTEGER NOT NULL DEFAULT 1);
CREATE TABLE moz_bookmarks_deleted (guid TEXT PRIMARY KEY, dateRemoved INTEGER NOT NULL DEFAULT 0);
CREATE TABLE moz_keywords (id INTEGER PRIMARY KEY AUTOINCREMENT, keyword TEXT UNIQUE, place_id INTEGER, post_data TEXT);
CREATE TABLE moz_anno_attributes (id INTEGER PRIMARY KEY, name VARCHAR(32) UNIQUE NOT NULL);
CREATE TABLE moz_annos (id INTEGER PRIMARY KEY, place_id INTEGER NOT NULL, anno_attribute_id INTEGER, content LONGVARCHAR, flags INTEGER DEFAULT 0, expiration INTEGER DEFAULT 0, type INTEGER DEFAULT 0, dateAdded INTEGER DEFAULT 0, lastModified INTEGER DEFAULT 0);
CREATE TABLE moz_items_annos (id INTEGER PRIMARY KEY, item_id INTEGER NOT NULL, anno_attribute_id INTEGER, content LONGVARCHAR, flags INTEGER DEFAULT 0, expiration INTEGER DEFAULT 0, type INTEGER DEFAULT 0, dateAdded INTEGER DEFAULT 0, lastModified INTEGER DEFAULT 0);
CREATE TABLE moz_meta (key TEXT PRIMARY KEY, value NOT NULL) WITHOUT ROWID;
CREATE TABLE moz_places_metadata (id INTEGER PRIMARY KEY, place_id INTEGER NOT NULL, referrer_place_id INTEGER, created_at INTEGER NOT NULL DEFAULT 0, updated_at INTEGER NOT NULL DEFAULT 0, total_view_time INTEGER NOT NULL DEFAULT 0, typing_time INTEGER NOT NULL DEFAULT 0, key_presses INTEGER NOT NULL DEFAULT 0, scrolling_time INTEGER NOT NULL DEFAULT 0, scrolling_distance INTEGER NOT NULL DEFAULT 0, document_type INTEGER NOT NULL DEFAULT 0, search_query_id INTEGER, FOREIGN KEY (place_id) REFERENCES moz_places(id) ON DELETE CASCADE, FOREIGN KEY (referrer_place_id) REFERENCES moz_places(id) ON DELETE CASCADE, FOREIGN KEY(search_query_id) REFERENCES moz_places_metadata_search_queries(id) ON DELETE CASCADE CHECK(place_id != referrer_place_id));
CREATE TABLE moz_places_metadata_search_queries ( id INTEGER PRIMARY KEY, terms TEXT NOT NULL UNIQUE );
CREATE TABLE moz_previews_tombstones (hash TEXT PRIMARY KEY) WITHOUT ROWID;
CREATE TABLE moz_places_extra (place_id INTEGER PRIMARY KEY NOT NULL, sync_json TEXT, FOREIGN KEY (place_id) REFERENCES moz_places(id) ON DELETE CASCADE);
CREATE TABLE moz_historyvisits_extra (visit_id INTEGER PRIMARY KEY NOT NULL, sync_json TEXT, FOREIGN KEY (visit_id) REFERENCES moz_historyvisits(id) ON DELETE CASCADE);
CREATE INDEX moz_places_url_hashindex ON moz_places (url_hash);
CREATE INDEX moz_places_hostindex ON moz_places (rev_host);
CREATE INDEX moz_places_visitcount ON moz_places (visit_count);
CREATE INDEX moz_places_frecencyindex ON moz_places (frecency);
CREATE INDEX moz_places_lastvisitdateindex ON moz_places (last_visit_date);
CREATE UNIQUE INDEX moz_places_guid_uniqueindex ON moz_places (guid);
CREATE INDEX moz_places_originidindex ON moz_places (origin_id);
CREATE INDEX moz_historyvisits_placedateindex ON moz_historyvisits (place_id, visit_date);
CREATE INDEX moz_historyvisits_fromindex ON moz_historyvisits (from_visit);
CREATE INDEX moz_historyvisits_dateindex ON moz_historyvisits (visit_date);
CREATE INDEX moz_bookmarks_itemindex ON moz_bookmarks (fk, type);
CREATE INDEX moz_bookmarks_parentindex ON moz_bookmarks (parent, position);
CREATE INDEX moz_bookmarks_itemlastmodifiedindex ON moz_bookmarks (fk, lastModified);
CREATE INDEX moz_bookmarks_dateaddedindex ON moz_bookmarks (dateAdded);
CREATE UNIQUE INDEX moz_bookmarks_guid_uniqueindex ON moz_bookmarks (guid);
CREATE UNIQUE INDEX moz_keywords_placepostdata_uniqueindex ON moz_keywords (place_id, post_data);
CREATE UNIQUE INDEX moz_annos_placeattributeindex ON moz_annos (place_id, anno_attribute_id);
CREATE UNIQUE INDEX moz_items_annos_itemattributeindex ON moz_items_annos (item_id, anno_attribute_id);
)";

// places.sqlite of an older profile: typed hosts and icons still in it.
inline const char *legacyPlacesSchema = R"(
CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL, favicon_id INTEGER, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER , guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0 NOT NULL );
CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, from_visit INTEGER, place_id INTEGER, visit_date INTEGER, visit_type INTEGER, session INTEGER);
CREATE TABLE moz_inputhistory (place_id INTEGER NOT NULL, input LONGVARCHAR NOT NULL, use_count INTEGER, PRIMARY KEY (place_id, input));
CREATE TABLE moz_hosts (id INTEGER PRIMARY KEY, host TEXT NOT NULL UNIQUE, frecency INTEGER, typed INTEGER NOT NULL DEFAULT 0, prefix TEXT);
CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, dateAdded INTEGER, lastModified INTEGER, guid TEXT);
CREATE TABLE moz_bookmarks_roots (root_name VARCHAR(16) UNIQUE, folder_id INTEGER);
CREATE TABLE moz_keywords (id INTEGER PRIMARY KEY AUTOINCREMENT, keyword TEXT UNIQUE, place_id INTEGER, post_data TEXT);
CREATE TABLE moz_favicons (id INTEGER PRIMARY KEY, url LONGVARCHAR UNIQUE, data BLOB, mime_type VARCHAR(32), expiration LONG, guid TEXT);
CREATE TABLE moz_anno_attributes (id INTEGER PRIMARY KEY, name VARCHAR(32) UNIQUE NOT NULL);
CREATE TABLE moz_annos (id INTEGER PRIMARY KEY, place_id INTEGER NOT NULL, anno_attribute_id INTEGER, mime_type VARCHAR(32) DEFAULT NULL, content LONGVARCHAR, flags INTEGER DEFAULT 0, expiration INTEGER DEFAULT 0, type INTEGER DEFAULT 0, dateAdded INTEGER DEFAULT 0, lastModified INTEGER DEFAULT 0);
CREATE TABLE moz_items_annos (id INTEGER PRIMARY KEY, item_id INTEGER NOT NULL, anno_attribute_id INTEGER, mime_type VARCHAR(32) DEFAULT NULL, content LONGVARCHAR, flags INTEGER DEFAULT 0, expiration INTEGER DEFAULT 0, type INTEGER DEFAULT 0, dateAdded INTEGER DEFAULT 0, lastModified INTEGER DEFAULT 0);
CREATE INDEX moz_places_faviconindex ON moz_places (favicon_id);
CREATE INDEX moz_places_hostindex ON moz_places (rev_host);
CREATE INDEX moz_places_url_hashindex ON moz_places (url_hash);
CREATE INDEX moz_historyvisits_placedateindex ON moz_historyvisits (place_id, visit_date);
CREATE INDEX moz_bookmarks_itemindex ON moz_bookmarks (fk, type);
CREATE INDEX moz_bookmarks_parentindex ON moz_bookmarks (parent, position);
CREATE UNIQUE INDEX moz_annos_placeattributeindex ON moz_annos (place_id, anno_attribute_id);
)";

// The bookmark tree every places file gets: folders and a separator (no place), a bookmark
// of a visited page that carries a character-set annotation (attribute 11) and one of a page
// never visited. The annotation attributes use the ids a profile hands out in the order of
// first use, so 10 to 12 are two download attributes and the character set between them.
inline const char *bookmarkRows = R"(
INSERT INTO moz_anno_attributes VALUES (1, 'bookmarkProperties/description'), (10, 'downloads/destinationFileURI'), (11, 'URIProperties/characterSet'), (12, 'downloads/metaData');
INSERT INTO moz_places (id, url, title, rev_host, visit_count, guid, foreign_count) VALUES
 (1, 'https://bookmarked.example/page', 'Bookmarked Page', 'elpmaxe.dekramkoob.', 1, 'placeBookmk1', 1),
 (4, 'https://unvisited.example/', 'Unvisited Bookmark', 'elpmaxe.detisivnu.', 0, 'placeUnvis04', 1);
UPDATE moz_places SET typed = 1, frecency = 2000, last_visit_date = 1700000000000000 WHERE id = 1;
INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, guid) VALUES
 (1, 2, NULL, 0, 0, '', 'root________'), (2, 2, NULL, 1, 0, 'menu', 'menu________'),
 (3, 2, NULL, 1, 1, 'toolbar', 'toolbar_____'), (10, 1, 1, 3, 0, 'Bookmarked Page', 'bookmarkAAAA'),
 (11, 1, 4, 2, 0, 'Unvisited Bookmark', 'bookmarkBBBB'), (12, 3, NULL, 2, 1, NULL, 'separatorCCC');
INSERT INTO moz_annos (id, place_id, anno_attribute_id, content) VALUES (1, 1, 11, 'windows-1252');
INSERT INTO moz_historyvisits (id, from_visit, place_id, visit_date, visit_type) VALUES (1, 0, 1, 1700000000000000, 1);
INSERT INTO moz_inputhistory VALUES (1, 'bookm', 2);
)";

// The private rows: a page visited twice, and a downloaded file with its two annotations and
// its download visit.
inline const char *historyRows = R"(
INSERT INTO moz_places (id, url, title, rev_host, visit_count, guid) VALUES
 (2, 'https://visited-secret.example/history', 'History-secret title', 'elpmaxe.terces-detisiv.', 2, 'placeVisit02'),
 (3, 'https://files-secret.example/report.pdf', 'report-secret.pdf', 'elpmaxe.terces-selif.', 0, 'placeDownl03');
INSERT INTO moz_historyvisits (id, from_visit, place_id, visit_date, visit_type) VALUES
 (2, 0, 2, 1700000100000000, 1), (3, 2, 2, 1700000200000000, 2), (4, 0, 3, 1700000300000000, 7);
INSERT INTO moz_annos (id, place_id, anno_attribute_id, content) VALUES
 (2, 3, 10, 'file:///Users/demo/Downloads/download-secret.pdf'), (3, 3, 12, '{"state":1,"endTime":1700000300000,"note":"meta-secret"}');
INSERT INTO moz_inputhistory VALUES (2, 'typed input', 1);
)";
// Current profiles: the bookmarked pages' origins, and a reading record of the bookmarked
// page with the search that led there.
inline const char *currentExtraRows = R"(
INSERT INTO moz_origins VALUES (1, 'https://', 'bookmarked.example', 100, 0, NULL, 0), (2, 'https://', 'visited-secret.example', 50, 0, NULL, 0), (4, 'https://', 'unvisited.example', 10, 0, NULL, 0);
UPDATE moz_places SET origin_id = id WHERE id IN (1, 4);
INSERT INTO moz_places_metadata_search_queries VALUES (2, 'kept query');
INSERT INTO moz_places_metadata (id, place_id, created_at, updated_at, total_view_time, search_query_id) VALUES (3, 1, 1700000400000, 1700000400000, 100, 2);
INSERT INTO moz_meta VALUES ('origin_frecency_count', 2);
INSERT INTO moz_keywords (keyword, place_id) VALUES ('bm', 1);
)";
// Current profiles: what lies beside the private history, the origin of its pages, what was
// typed to reach them and how they were read (one record read the bookmarked page coming from
// a private one), the sync data of a private page and visit, and a preview left to expire.
inline const char *currentHistoryRows = R"(
INSERT INTO moz_origins VALUES (3, 'https://', 'origin-secret.example', 10, 0, NULL, 0);
UPDATE moz_places SET origin_id = 3 WHERE id IN (2, 3);
INSERT INTO moz_inputhistory VALUES (2, 'typed-secret input', 3);
INSERT INTO moz_places_metadata_search_queries VALUES (1, 'search-secret terms');
INSERT INTO moz_places_metadata (id, place_id, referrer_place_id, created_at, updated_at, total_view_time, search_query_id) VALUES
 (1, 2, NULL, 1700000100000, 1700000200000, 5000, 1), (2, 1, 2, 1700000300000, 1700000300000, 800, NULL);
INSERT INTO moz_places_extra VALUES (1, '{"kept":1}'), (2, '{"note":"extra-secret"}');
INSERT INTO moz_historyvisits_extra VALUES (2, '{"note":"visit-extra-secret"}');
INSERT INTO moz_previews_tombstones VALUES ('preview-secret-hash');
)";
inline const char *legacyExtraRows = R"(
INSERT INTO moz_hosts VALUES (1, 'visited-secret-host.example', 100, 1, 'https://');
INSERT INTO moz_favicons VALUES (1, 'https://visited-secret.example/favicon-secret.ico', X'89504E470D0A1A0A', 'image/png', 0, 'faviconGUID1');
UPDATE moz_places SET favicon_id = 1 WHERE id = 2;
)";

// cookies.sqlite as current Firefox writes it.
inline const char *cookiesSchema = R"(
CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL DEFAULT '', name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, lastAccessed INTEGER, creationTime INTEGER, isSecure INTEGER, isHttpOnly INTEGER, inBrowserElement INTEGER DEFAULT 0, sameSite INTEGER DEFAULT 0, rawSameSite INTEGER DEFAULT 0, schemeMap INTEGER DEFAULT 0, isPartitionedAttributeSet INTEGER DEFAULT 0, CONSTRAINT moz_uniqueid UNIQUE (name, host, path, originAttributes));
)";
inline const char *cookieRows = R"(
INSERT INTO moz_cookies (originAttributes, name, value, host, path, expiry, lastAccessed, creationTime, isSecure, isHttpOnly)
 VALUES ('', 'session', 'cookie-secret-value', '.tracker-secret.example', '/', 1900000000, 1700000000000000, 1700000000000000, 1, 1);
)";

// formhistory.sqlite: search-bar entries and form entries share one table.
inline const char *formHistorySchema = R"(
CREATE TABLE moz_formhistory (id INTEGER PRIMARY KEY, fieldname TEXT NOT NULL, value TEXT NOT NULL, timesUsed INTEGER, firstUsed INTEGER, lastUsed INTEGER, guid TEXT);
CREATE TABLE moz_deleted_formhistory (id INTEGER PRIMARY KEY, timeDeleted INTEGER, guid TEXT);
CREATE TABLE moz_sources (id INTEGER PRIMARY KEY, source TEXT NOT NULL);
CREATE TABLE moz_history_to_sources (history_id INTEGER, source INTEGER, PRIMARY KEY (history_id, source), FOREIGN KEY (history_id) REFERENCES moz_formhistory(id) ON DELETE CASCADE, FOREIGN KEY (source) REFERENCES moz_sources(id) ON DELETE CASCADE) WITHOUT ROWID;
CREATE INDEX moz_formhistory_index ON moz_formhistory (fieldname);
CREATE INDEX moz_formhistory_lastused_index ON moz_formhistory (lastUsed);
CREATE INDEX moz_formhistory_guid_index ON moz_formhistory (guid);
)";
inline const char *searchBarRows = "INSERT INTO moz_formhistory (fieldname, value, timesUsed, guid) VALUES "
                                   "('searchbar-history', 'searchbar-secret-query', 2, 'formGUID0001');";
inline const char *formRows = "INSERT INTO moz_formhistory (fieldname, value, timesUsed, guid) VALUES ('email', "
                              "'form-secret@example.org', 1, 'formGUID0002');";

// downloads.sqlite of an older profile.
inline const char *downloadsSchema = R"(
CREATE TABLE moz_downloads (id INTEGER PRIMARY KEY, name TEXT, source TEXT, target TEXT, tempPath TEXT, startTime INTEGER, endTime INTEGER, state INTEGER, referrer TEXT, entityID TEXT, currBytes INTEGER NOT NULL DEFAULT 0, maxBytes INTEGER NOT NULL DEFAULT -1, mimeType TEXT, preferredApplication TEXT, preferredAction INTEGER NOT NULL DEFAULT 0, autoResume INTEGER NOT NULL DEFAULT 0, guid TEXT);
)";
inline const char *downloadRows = R"(
INSERT INTO moz_downloads (name, source, target, startTime, endTime, state, currBytes, maxBytes, guid)
 VALUES ('legacy-secret.zip', 'https://files-secret.example/legacy-secret.zip', 'file:///Users/demo/Downloads/legacy-secret.zip', 1, 2, 1, 10, 10, 'downloadGUID');
)";

// Runs statements on a store, creating it (and its folders) when needed.
inline bool run(const QString &path, const QString &sql)
{
    if (!FakeHome::makePath(path.left(path.lastIndexOf(QLatin1Char('/')))))
        return false;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(platform::encodePath(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr)
        != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    return sqlite3_close(db) == SQLITE_OK && rc == SQLITE_OK;
}

// The first column of the first row, as text; nothing when the statement fails.
inline std::optional<QString> value(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    std::optional<QString> result;
    if (sqlite3_open_v2(platform::encodePath(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK) {
            const int step = sqlite3_step(statement);
            if (step == SQLITE_ROW)
                result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
            else if (step == SQLITE_DONE)
                result = QString();
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return result;
}

inline int count(const QString &path, const QString &sql)
{
    return value(path, sql).value_or(u"-1"_s).toInt();
}

inline QString integrity(const QString &path)
{
    return value(path, u"PRAGMA integrity_check;"_s).value_or(u"no answer"_s);
}

// Bookmarks whose page is gone.
inline int danglingBookmarks(const QString &path)
{
    return count(
        path, u"SELECT count(*) FROM moz_bookmarks WHERE fk IS NOT NULL AND fk NOT IN (SELECT id FROM moz_places);"_s);
}

// The store and the side files SQLite keeps beside it.
inline QStringList storeFiles(const QString &path)
{
    return {path, path + u"-wal"_s, path + u"-shm"_s, path + u"-journal"_s};
}

// The files of the store in which `marker` can be read, free pages and stale frames included.
inline QStringList filesShowing(const QString &path, const QByteArray &marker)
{
    QStringList found;
    for (const QString &file : storeFiles(path)) {
        QFile f(file);
        if (f.open(QIODevice::ReadOnly) && f.readAll().contains(marker))
            found.append(file.mid(file.lastIndexOf(QLatin1Char('/')) + 1));
    }
    return found;
}

// A store in WAL mode whose `walRows` were committed to its -wal file only, as a browser
// that was stopped before it could fold the log back leaves it. Built in `staging`, then
// copied into place while the writing connection still holds the log.
inline bool writeWithWal(const QString &path, const QString &staging, const QString &mainRows, const QString &walRows)
{
    if (!run(staging, u"PRAGMA journal_mode=WAL;"_s + mainRows))
        return false;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(platform::encodePath(staging).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    bool ok = sqlite3_exec(db, "PRAGMA wal_autocheckpoint=0;", nullptr, nullptr, nullptr) == SQLITE_OK
        && sqlite3_exec(db, walRows.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    const platform::FileManager &fm = platform::FileManager::defaultManager();
    // The log's index too, as the browser leaves it beside the log.
    for (const QString &suffix : {QString(), u"-wal"_s, u"-shm"_s}) {
        const auto bytes = fm.contentsAtPath(staging + suffix);
        ok = ok && bytes && FakeHome::writeFileAt(path + suffix, *bytes);
    }
    sqlite3_close(db);
    return ok;
}

// places.sqlite of a current profile; its private rows sit in the -wal file only.
inline bool writeCurrentPlaces(const QString &path, const QString &staging)
{
    return writeWithWal(path, staging,
                        QString::fromLatin1(currentPlacesSchema) + QString::fromLatin1(bookmarkRows)
                            + QString::fromLatin1(currentExtraRows),
                        QString::fromLatin1(historyRows) + QString::fromLatin1(currentHistoryRows));
}

inline bool writeLegacyPlaces(const QString &path)
{
    return run(path,
               QString::fromLatin1(legacyPlacesSchema) + QString::fromLatin1(bookmarkRows)
                   + QString::fromLatin1(historyRows) + QString::fromLatin1(legacyExtraRows));
}

inline bool writeCookies(const QString &path, bool withRows = true)
{
    return run(path,
               u"PRAGMA journal_mode=WAL;"_s + QString::fromLatin1(cookiesSchema)
                   + (withRows ? QString::fromLatin1(cookieRows) : QString()));
}

inline bool writeFormHistory(const QString &path, bool forms, bool searchBar)
{
    return run(path,
               QString::fromLatin1(formHistorySchema) + (forms ? QString::fromLatin1(formRows) : QString())
                   + (searchBar ? QString::fromLatin1(searchBarRows) : QString()));
}

inline bool writeDownloads(const QString &path)
{
    return run(path, QString::fromLatin1(downloadsSchema) + QString::fromLatin1(downloadRows));
}

} // namespace mozstores
