#pragma once

#include "support/FakeHome.h"

#include <QString>
#include <QStringList>

#include <QDir>
#include <QFileInfo>
#include <QMap>

#include <leveldb/comparator.h>
#include <leveldb/db.h>
#include <leveldb/iterator.h>

#include <memory>
#include <optional>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

// Chromium-layout profiles as the browsers write them, for the module tests.
namespace chromiumprofiles {

// One transaction: a statement each would wait on the disk once per statement.
inline QString inTransaction(const QString &sql)
{
    return u"BEGIN;"_s + sql + u"COMMIT;"_s;
}

// The History database of a current Chromium (156, schema 70), with a few rows in every table.
inline QString currentHistory()
{
    return inTransaction(uR"(
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE urls(id INTEGER PRIMARY KEY AUTOINCREMENT,url LONGVARCHAR,title LONGVARCHAR,visit_count INTEGER DEFAULT 0 NOT NULL,typed_count INTEGER DEFAULT 0 NOT NULL,last_visit_time INTEGER NOT NULL,hidden INTEGER DEFAULT 0 NOT NULL);
CREATE TABLE visits(id INTEGER PRIMARY KEY AUTOINCREMENT,url INTEGER NOT NULL,visit_time INTEGER NOT NULL,from_visit INTEGER,external_referrer_url TEXT,transition INTEGER DEFAULT 0 NOT NULL,segment_id INTEGER,visit_duration INTEGER DEFAULT 0 NOT NULL,incremented_omnibox_typed_score BOOLEAN DEFAULT FALSE NOT NULL,opener_visit INTEGER,originator_cache_guid TEXT,originator_visit_id INTEGER,originator_from_visit INTEGER,originator_opener_visit INTEGER,is_known_to_sync BOOLEAN DEFAULT FALSE NOT NULL,consider_for_ntp_most_visited BOOLEAN DEFAULT FALSE NOT NULL,visited_link_id INTEGER DEFAULT 0 NOT NULL,app_id TEXT);
CREATE TABLE visit_source(id INTEGER PRIMARY KEY,source INTEGER NOT NULL);
CREATE TABLE keyword_search_terms (keyword_id INTEGER NOT NULL,url_id INTEGER NOT NULL,term LONGVARCHAR NOT NULL,normalized_term LONGVARCHAR NOT NULL);
CREATE TABLE downloads (id INTEGER PRIMARY KEY,guid VARCHAR NOT NULL,current_path LONGVARCHAR NOT NULL,target_path LONGVARCHAR NOT NULL,start_time INTEGER NOT NULL,received_bytes INTEGER NOT NULL,total_bytes INTEGER NOT NULL,state INTEGER NOT NULL,danger_type INTEGER NOT NULL,interrupt_reason INTEGER NOT NULL,hash BLOB NOT NULL,end_time INTEGER NOT NULL,opened INTEGER NOT NULL,last_access_time INTEGER NOT NULL,transient INTEGER NOT NULL,referrer VARCHAR NOT NULL,site_url VARCHAR NOT NULL,embedder_download_data VARCHAR NOT NULL,tab_url VARCHAR NOT NULL,tab_referrer_url VARCHAR NOT NULL,http_method VARCHAR NOT NULL,by_ext_id VARCHAR NOT NULL,by_ext_name VARCHAR NOT NULL,by_web_app_id VARCHAR NOT NULL,etag VARCHAR NOT NULL,last_modified VARCHAR NOT NULL,mime_type VARCHAR(255) NOT NULL,original_mime_type VARCHAR(255) NOT NULL);
CREATE TABLE downloads_url_chains (id INTEGER NOT NULL,chain_index INTEGER NOT NULL,url LONGVARCHAR NOT NULL, PRIMARY KEY (id, chain_index) );
CREATE TABLE downloads_slices (download_id INTEGER NOT NULL,offset INTEGER NOT NULL,received_bytes INTEGER NOT NULL,finished INTEGER NOT NULL DEFAULT 0,PRIMARY KEY (download_id, offset) );
CREATE TABLE segments (id INTEGER PRIMARY KEY,name VARCHAR,url_id INTEGER NON NULL);
CREATE TABLE segment_usage (id INTEGER PRIMARY KEY,segment_id INTEGER NOT NULL,time_slot INTEGER NOT NULL,visit_count INTEGER DEFAULT 0 NOT NULL);
CREATE TABLE content_annotations(visit_id INTEGER PRIMARY KEY,visibility_score NUMERIC,floc_protected_score NUMERIC,categories VARCHAR,page_topics_model_version INTEGER,annotation_flags INTEGER NOT NULL,entities VARCHAR,related_searches VARCHAR,search_normalized_url VARCHAR,search_terms LONGVARCHAR,alternative_title VARCHAR,page_language VARCHAR,password_state INTEGER DEFAULT 0 NOT NULL,has_url_keyed_image BOOLEAN NOT NULL);
CREATE TABLE context_annotations(visit_id INTEGER PRIMARY KEY,context_annotation_flags INTEGER NOT NULL,duration_since_last_visit INTEGER,page_end_reason INTEGER,total_foreground_duration INTEGER,browser_type INTEGER DEFAULT 0 NOT NULL,window_id INTEGER DEFAULT -1 NOT NULL,tab_id INTEGER DEFAULT -1 NOT NULL,task_id INTEGER DEFAULT -1 NOT NULL,root_task_id INTEGER DEFAULT -1 NOT NULL,parent_task_id INTEGER DEFAULT -1 NOT NULL,response_code INTEGER DEFAULT 0 NOT NULL);
CREATE TABLE clusters(cluster_id INTEGER PRIMARY KEY AUTOINCREMENT,should_show_on_prominent_ui_surfaces BOOLEAN NOT NULL,label VARCHAR NOT NULL,raw_label VARCHAR NOT NULL,triggerability_calculated BOOLEAN NOT NULL,originator_cache_guid TEXT NOT NULL,originator_cluster_id INTEGER NOT NULL);
CREATE TABLE clusters_and_visits(cluster_id INTEGER NOT NULL,visit_id INTEGER NOT NULL,score NUMERIC DEFAULT 0 NOT NULL,engagement_score NUMERIC DEFAULT 0 NOT NULL,url_for_deduping LONGVARCHAR NOT NULL,normalized_url LONGVARCHAR NOT NULL,url_for_display LONGVARCHAR NOT NULL,interaction_state INTEGER DEFAULT 0 NOT NULL,PRIMARY KEY(cluster_id,visit_id))WITHOUT ROWID;
CREATE TABLE cluster_keywords(cluster_id INTEGER NOT NULL,keyword VARCHAR NOT NULL,type INTEGER NOT NULL,score NUMERIC NOT NULL,collections VARCHAR NOT NULL);
CREATE TABLE cluster_visit_duplicates(visit_id INTEGER NOT NULL,duplicate_visit_id INTEGER NOT NULL,PRIMARY KEY(visit_id,duplicate_visit_id))WITHOUT ROWID;
CREATE TABLE visited_links(id INTEGER PRIMARY KEY AUTOINCREMENT,link_url_id INTEGER NOT NULL,top_level_url LONGVARCHAR NOT NULL,frame_url LONGVARCHAR NOT NULL,visit_count INTEGER DEFAULT 0 NOT NULL);
CREATE TABLE history_sync_metadata (storage_key INTEGER PRIMARY KEY NOT NULL, value BLOB);
CREATE TABLE journeys (journey_id TEXT PRIMARY KEY NOT NULL, title TEXT NOT NULL, emoji TEXT, overview TEXT, short_overview TEXT, creation_time_micros INTEGER NOT NULL);
CREATE TABLE journey_history_entries (journey_id TEXT NOT NULL, visit_timestamp_micros INTEGER NOT NULL, PRIMARY KEY (journey_id, visit_timestamp_micros)) WITHOUT ROWID;
CREATE TABLE journey_continuation_queries (id INTEGER PRIMARY KEY, journey_id TEXT NOT NULL, title TEXT NOT NULL, prompt TEXT NOT NULL);
CREATE TABLE journey_sync_metadata (storage_key TEXT PRIMARY KEY NOT NULL, value BLOB NOT NULL);
CREATE INDEX visits_url_index ON visits (url);
CREATE INDEX visits_from_index ON visits (from_visit);
CREATE INDEX visits_time_index ON visits (visit_time);
CREATE INDEX visits_originator_id_index ON visits (originator_visit_id);
CREATE INDEX keyword_search_terms_index1 ON keyword_search_terms (keyword_id, normalized_term);
CREATE INDEX keyword_search_terms_index2 ON keyword_search_terms (url_id);
CREATE INDEX keyword_search_terms_index3 ON keyword_search_terms (term);
CREATE INDEX segments_name ON segments(name);
CREATE INDEX segments_url_id ON segments(url_id);
CREATE INDEX segment_usage_time_slot_segment_id ON segment_usage(time_slot, segment_id);
CREATE INDEX segments_usage_seg_id ON segment_usage(segment_id);
CREATE INDEX clusters_for_visit ON clusters_and_visits(visit_id);
CREATE INDEX cluster_keywords_cluster_id_index ON cluster_keywords(cluster_id);
CREATE INDEX visited_links_index ON visited_links (link_url_id, top_level_url, frame_url);
CREATE INDEX journeys_creation_time_idx ON journeys (creation_time_micros);
CREATE INDEX journey_history_entries_timestamp_idx ON journey_history_entries (visit_timestamp_micros);
CREATE INDEX journey_continuation_queries_journey_id_idx ON journey_continuation_queries (journey_id);
CREATE INDEX urls_url_index ON urls (url);
INSERT INTO meta VALUES('mmap_status','-1'),('version','70'),('last_compatible_version','16');
INSERT INTO urls VALUES(1,'https://www.example.org/','Example',3,1,13350000000000000,0),(2,'https://search.example.com/?q=tide+tables','tide tables',1,0,13350000100000000,0);
INSERT INTO visits(id,url,visit_time,from_visit,transition,segment_id,consider_for_ntp_most_visited,visited_link_id) VALUES(1,1,13350000000000000,0,805306376,1,1,1),(2,2,13350000100000000,1,268435457,0,0,0);
INSERT INTO visit_source VALUES(1,0);
INSERT INTO keyword_search_terms VALUES(2,2,'Tide Tables','tide tables');
INSERT INTO downloads VALUES(1,'0b3c5e7a-7f1e-4d0e-9b2a-1c2d3e4f5a6b','/Users/me/Downloads/setup.dmg','/Users/me/Downloads/setup.dmg',13350000200000000,1048576,1048576,1,0,0,X'00',13350000300000000,0,0,0,'https://www.example.org/','https://www.example.org/','','https://www.example.org/get?user=me','','GET','','','','"e1"','Mon, 01 Jan 2024 00:00:00 GMT','application/x-apple-diskimage','application/x-apple-diskimage');
INSERT INTO downloads_url_chains VALUES(1,0,'https://www.example.org/get'),(1,1,'https://cdn.example.org/setup.dmg');
INSERT INTO downloads_slices VALUES(1,0,1048576,1);
INSERT INTO segments VALUES(1,'http://example.org/',1);
INSERT INTO segment_usage VALUES(1,1,13349980800000000,3);
INSERT INTO content_annotations VALUES(1,-1,-1,'',-1,0,'','','https://search.example.com/?q=tide+tables','tide tables','','en',0,0);
INSERT INTO context_annotations VALUES(1,0,-1,1,40000000,1,3,2,-1,-1,-1,200),(2,0,100000000,0,2000000,1,3,4,-1,-1,-1,200);
INSERT INTO clusters VALUES(1,1,'tide tables','tide tables',1,'',0);
INSERT INTO clusters_and_visits VALUES(1,1,1,0,'example.org/','https://www.example.org/','example.org',0),(1,2,0.5,0,'search.example.com/?q=tide+tables','https://search.example.com/?q=tide+tables','search.example.com',0);
INSERT INTO cluster_keywords VALUES(1,'tides',1,1,'');
INSERT INTO cluster_visit_duplicates VALUES(1,2);
INSERT INTO visited_links VALUES(1,1,'https://www.example.org/','https://www.example.org/',3);
INSERT INTO history_sync_metadata VALUES(13350000000000000,X'0a02');
INSERT INTO journeys VALUES('j1','Harbour trip',NULL,'tide tables and ferries',NULL,13350000100000000);
INSERT INTO journey_history_entries VALUES('j1',13350000100000000);
INSERT INTO journey_continuation_queries VALUES(1,'j1','Ferries','ferry times');
INSERT INTO journey_sync_metadata VALUES('j1',X'0a01');
)"_s);
}

// Top Sites of a current Chromium: the most-visited list it shows at start, worked out from
// the history.
inline QString topSites()
{
    return inTransaction(uR"(
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE top_sites(url TEXT NOT NULL PRIMARY KEY,url_rank INTEGER NOT NULL,title TEXT NOT NULL);
INSERT INTO meta VALUES('mmap_status','-1'),('version','5'),('last_compatible_version','5');
INSERT INTO top_sites VALUES('https://www.example.org/',0,'Example'),('https://search.example.com/?q=tide+tables',1,'tide tables');
)"_s);
}

// The History database of an early Chrome: no URL chains yet, downloads in one table.
inline QString oldHistory()
{
    return inTransaction(uR"(
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE downloads (id INTEGER PRIMARY KEY,full_path LONGVARCHAR NOT NULL,url LONGVARCHAR NOT NULL,start_time INTEGER NOT NULL,received_bytes INTEGER NOT NULL,total_bytes INTEGER NOT NULL,state INTEGER NOT NULL);
CREATE TABLE presentation(url_id INTEGER PRIMARY KEY,pres_index INTEGER NOT NULL);
CREATE TABLE urls(id INTEGER PRIMARY KEY,url LONGVARCHAR,title LONGVARCHAR,visit_count INTEGER DEFAULT 0 NOT NULL,typed_count INTEGER DEFAULT 0 NOT NULL,last_visit_time INTEGER NOT NULL,hidden INTEGER DEFAULT 0 NOT NULL,favicon_id INTEGER DEFAULT 0 NOT NULL);
CREATE TABLE visits(id INTEGER PRIMARY KEY,url INTEGER NOT NULL,visit_time INTEGER NOT NULL,from_visit INTEGER,transition INTEGER DEFAULT 0 NOT NULL,segment_id INTEGER,is_indexed BOOLEAN);
CREATE TABLE visit_source(id INTEGER PRIMARY KEY,source INTEGER NOT NULL);
CREATE TABLE keyword_search_terms (keyword_id INTEGER NOT NULL,url_id INTEGER NOT NULL,lower_term LONGVARCHAR NOT NULL,term LONGVARCHAR NOT NULL);
CREATE TABLE segments (id INTEGER PRIMARY KEY,name VARCHAR,url_id INTEGER NON NULL,pres_index INTEGER DEFAULT -1 NOT NULL);
CREATE TABLE segment_usage (id INTEGER PRIMARY KEY,segment_id INTEGER NOT NULL,time_slot INTEGER NOT NULL,visit_count INTEGER DEFAULT 0 NOT NULL);
CREATE INDEX urls_url_index ON urls (url);
CREATE INDEX visits_url_index ON visits (url);
INSERT INTO meta VALUES('version','20'),('last_compatible_version','16');
INSERT INTO downloads VALUES(1,'/Users/me/Downloads/old.zip','https://www.example.org/old.zip',1290000000,2048,2048,1);
INSERT INTO urls VALUES(1,'https://www.example.org/','Example',1,0,12950000000000000,0,0);
INSERT INTO visits VALUES(1,1,12950000000000000,0,1,1,1);
INSERT INTO keyword_search_terms VALUES(2,1,'otters','otters');
INSERT INTO segments VALUES(1,'http://example.org/',1,-1);
INSERT INTO segment_usage VALUES(1,1,12949920000000000,1);
)"_s);
}

// Archived History: the old visits Chrome moves out of History after some months.
inline QString archivedHistory()
{
    return inTransaction(uR"(
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE urls(id INTEGER PRIMARY KEY,url LONGVARCHAR,title LONGVARCHAR,visit_count INTEGER DEFAULT 0 NOT NULL,typed_count INTEGER DEFAULT 0 NOT NULL,last_visit_time INTEGER NOT NULL,hidden INTEGER DEFAULT 0 NOT NULL,favicon_id INTEGER DEFAULT 0 NOT NULL);
CREATE TABLE visits(id INTEGER PRIMARY KEY,url INTEGER NOT NULL,visit_time INTEGER NOT NULL,from_visit INTEGER,transition INTEGER DEFAULT 0 NOT NULL,segment_id INTEGER,is_indexed BOOLEAN,visit_duration INTEGER DEFAULT 0 NOT NULL);
CREATE TABLE visit_source(id INTEGER PRIMARY KEY,source INTEGER NOT NULL);
INSERT INTO meta VALUES('version','4'),('last_compatible_version','1');
INSERT INTO urls VALUES(1,'https://archive.example.org/','Old',1,0,12900000000000000,0,0);
INSERT INTO visits VALUES(1,1,12900000000000000,0,1,0,1,0);
)"_s);
}

// A monthly full-text index ("History Index 2012-05").
inline QString historyIndex()
{
    return inTransaction(uR"(
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE VIRTUAL TABLE pages USING fts3(url LONGVARCHAR, title LONGVARCHAR, body LONGVARCHAR);
CREATE TABLE info(time INTEGER NOT NULL);
INSERT INTO meta VALUES('version','2');
INSERT INTO pages VALUES('https://www.example.org/','Example','tide tables for the harbour');
INSERT INTO info VALUES(12950000000000000);
)"_s);
}

// The Web Data database of a current Chrome: the form history beside what the user keeps
// (search engines, cards, addresses, the sync's bookkeeping), a few rows in each.
inline QString currentWebData()
{
    return inTransaction(uR"(
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE keywords (id INTEGER PRIMARY KEY,short_name VARCHAR NOT NULL,keyword VARCHAR NOT NULL,favicon_url VARCHAR NOT NULL,url VARCHAR NOT NULL,safe_for_autoreplace INTEGER,originating_url VARCHAR,date_created INTEGER DEFAULT 0,usage_count INTEGER DEFAULT 0,input_encodings VARCHAR,suggest_url VARCHAR,prepopulate_id INTEGER DEFAULT 0,created_by_policy INTEGER DEFAULT 0,last_modified INTEGER DEFAULT 0,sync_guid VARCHAR,alternate_urls VARCHAR,image_url VARCHAR,search_url_post_params VARCHAR,suggest_url_post_params VARCHAR,image_url_post_params VARCHAR,new_tab_url VARCHAR,last_visited INTEGER DEFAULT 0, created_from_play_api INTEGER DEFAULT 0, is_active INTEGER DEFAULT 0, starter_pack_id INTEGER DEFAULT 0, enforced_by_policy INTEGER DEFAULT 0, featured_by_policy INTEGER DEFAULT 0);
CREATE TABLE autofill (name VARCHAR, value VARCHAR, value_lower VARCHAR, date_created INTEGER DEFAULT 0, date_last_used INTEGER DEFAULT 0, count INTEGER DEFAULT 1, PRIMARY KEY (name, value));
CREATE TABLE credit_cards ( guid VARCHAR PRIMARY KEY, name_on_card VARCHAR, expiration_month INTEGER, expiration_year INTEGER, card_number_encrypted BLOB, date_modified INTEGER NOT NULL DEFAULT 0, origin VARCHAR DEFAULT '', use_count INTEGER NOT NULL DEFAULT 0, use_date INTEGER NOT NULL DEFAULT 0, billing_address_id VARCHAR, nickname VARCHAR);
CREATE TABLE local_addresses (guid VARCHAR PRIMARY KEY, use_count INTEGER NOT NULL DEFAULT 0, use_date INTEGER NOT NULL DEFAULT 0, date_modified INTEGER NOT NULL DEFAULT 0, language_code VARCHAR, label VARCHAR, initial_creator_id INTEGER DEFAULT 0, last_modifier_id INTEGER DEFAULT 0);
CREATE TABLE local_addresses_type_tokens (guid VARCHAR, type INTEGER, value VARCHAR, verification_status INTEGER DEFAULT 0, observations BLOB, PRIMARY KEY (guid, type));
CREATE TABLE autofill_sync_metadata (model_type INTEGER NOT NULL, storage_key VARCHAR NOT NULL, value BLOB, PRIMARY KEY (model_type, storage_key));
CREATE TABLE token_service (service VARCHAR PRIMARY KEY NOT NULL,encrypted_token BLOB);
CREATE INDEX autofill_name ON autofill (name);
CREATE INDEX autofill_name_value_lower ON autofill (name, value_lower);
INSERT INTO meta VALUES('mmap_status','-1'),('version','134'),('last_compatible_version','134');
INSERT INTO keywords(id,short_name,keyword,favicon_url,url,safe_for_autoreplace,date_created,usage_count,sync_guid) VALUES(2,'Tide Search','tides.example','https://tides.example/favicon.ico','https://tides.example/?q={searchTerms}',0,13350000000000000,4,'5c3e0d1a-0000-4000-8000-000000000002');
INSERT INTO autofill VALUES('email','me@example.org','me@example.org',1700000000,1700000500,3),('q','tide tables','tide tables',1700000100,1700000100,1);
INSERT INTO credit_cards VALUES('7d1c2f3e-1111-4222-8333-444455556666','A. Person',4,2031,X'763130A1B2C3D4',1700000000,'',2,1700000000,'',NULL);
INSERT INTO local_addresses VALUES('0a1b2c3d-aaaa-4bbb-8ccc-dddddddddddd',1,1700000000,1700000000,'','',0,0);
INSERT INTO local_addresses_type_tokens VALUES('0a1b2c3d-aaaa-4bbb-8ccc-dddddddddddd',77,'1 Harbour Road',0,NULL);
INSERT INTO autofill_sync_metadata VALUES(4,'card-7d1c',X'0a02');
INSERT INTO token_service VALUES('AccountId-1',X'763130');
)"_s);
}

// Web Data of an early Chromium-layout browser: form values and their dates in two tables.
inline QString oldWebData()
{
    return inTransaction(uR"(
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE keywords (id INTEGER PRIMARY KEY,short_name VARCHAR NOT NULL,keyword VARCHAR NOT NULL,favicon_url VARCHAR NOT NULL,url VARCHAR NOT NULL,show_in_default_list INTEGER,safe_for_autoreplace INTEGER,originating_url VARCHAR,date_created INTEGER DEFAULT 0,usage_count INTEGER DEFAULT 0,input_encodings VARCHAR,suggest_url VARCHAR,prepopulate_id INTEGER DEFAULT 0,autogenerate_keyword INTEGER DEFAULT 0);
CREATE TABLE autofill (name VARCHAR, value VARCHAR, value_lower VARCHAR, pair_id INTEGER PRIMARY KEY, count INTEGER DEFAULT 1);
CREATE TABLE autofill_dates ( pair_id INTEGER DEFAULT 0, date_created INTEGER DEFAULT 0);
CREATE TABLE web_apps (url LONGVARCHAR UNIQUE, has_all_images INTEGER NOT NULL);
CREATE INDEX autofill_name ON autofill (name);
CREATE INDEX autofill_dates_pair_id ON autofill_dates (pair_id);
INSERT INTO meta VALUES('version','25'),('last_compatible_version','25');
INSERT INTO keywords(id,short_name,keyword,favicon_url,url,show_in_default_list,safe_for_autoreplace) VALUES(2,'Tide Search','tides.example','','https://tides.example/?q={searchTerms}',1,0);
INSERT INTO autofill VALUES('email','me@example.org','me@example.org',1,3);
INSERT INTO autofill_dates VALUES(1,1250000000);
INSERT INTO web_apps VALUES('https://mail.example.net/',1);
)"_s);
}

// A storage file of the older Local Storage layout, one per site.
inline QString localStorageFile()
{
    return inTransaction(
        u"CREATE TABLE ItemTable (key TEXT UNIQUE ON CONFLICT REPLACE, value BLOB NOT NULL ON CONFLICT FAIL);"
        "INSERT INTO ItemTable VALUES('theme', X'6400610072006B00');"_s);
}

// The current Local Storage layout: one store for every origin, as the browser keys it.
using StoreRecords = QMap<QByteArray, QByteArray>;

// The store's version record and, for each origin, its two meta records and two items.
inline StoreRecords localStorageRecords(const QList<QByteArray> &origins)
{
    StoreRecords records{{"VERSION", "1"}};
    for (const QByteArray &origin : origins) {
        records.insert("META:" + origin, QByteArray("\x08\x80\xe0\xa6\xe7\xb5\xa1\xe3\x17\x10\x2a", 11));
        records.insert("METAACCESS:" + origin, QByteArray("\x08\x80\xe0\xa6\xe7\xb5\xa1\xe3\x17", 9));
        records.insert("_" + origin + QByteArray("\x00\x01theme", 7),
                       QByteArray("\x01"
                                  "dark"));
        records.insert("_" + origin + QByteArray("\x00\x01settings", 10),
                       "\x01{\"origin\":\"" + origin + "\",\"n\":" + QByteArray::number(origin.size()) + "}");
    }
    return records;
}

// Written through the library in two sessions, as a store in use holds its records: the
// first half turned into a table when the store is opened again, the rest left in the log.
// `comparator` stands for a store ordered another way. (Each session is small enough that
// the library never compacts in its background thread.)
inline bool writeStore(const QString &path, const StoreRecords &records,
                       const leveldb::Comparator *comparator = nullptr)
{
    leveldb::Options options;
    options.create_if_missing = true;
    if (comparator)
        options.comparator = comparator;
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    const QList<QByteArray> keys = records.keys();
    for (const auto &[from, to] : {std::pair{qsizetype(0), keys.size() / 2}, std::pair{keys.size() / 2, keys.size()}}) {
        leveldb::DB *db = nullptr;
        if (!leveldb::DB::Open(options, path.toStdString(), &db).ok())
            return false;
        bool ok = true;
        for (qsizetype i = from; i < to && ok; ++i)
            ok = db->Put({}, keys.at(i).toStdString(), records.value(keys.at(i)).toStdString()).ok();
        delete db;
        if (!ok)
            return false;
    }
    return true;
}

// Every record of the store; nothing when it does not open.
inline std::optional<StoreRecords> readStore(const QString &path)
{
    leveldb::DB *db = nullptr;
    if (!leveldb::DB::Open({}, path.toStdString(), &db).ok())
        return std::nullopt;
    StoreRecords records;
    std::unique_ptr<leveldb::Iterator> it(db->NewIterator({}));
    for (it->SeekToFirst(); it->Valid(); it->Next())
        records.insert(QByteArray(it->key().data(), qsizetype(it->key().size())),
                       QByteArray(it->value().data(), qsizetype(it->value().size())));
    it.reset();
    delete db;
    return records;
}

// Answers "ok" for a sound database.
inline QString integrityCheck(const QString &path)
{
    sqlite3 *db = nullptr;
    QString answer;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_exec(
            db, "PRAGMA integrity_check;",
            [](void *out, int, char **values, char **) {
                *static_cast<QString *>(out) += QString::fromUtf8(values[0] ? values[0] : "");
                return 0;
            },
            &answer, nullptr);
    }
    sqlite3_close(db);
    return answer;
}

// Row counts of every table, "table=n" in name order.
inline QStringList tableCounts(const QString &path)
{
    sqlite3 *db = nullptr;
    QStringList tables, counts;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return counts;
    }
    sqlite3_exec(
        db, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name;",
        [](void *out, int, char **values, char **) {
            static_cast<QStringList *>(out)->append(QString::fromUtf8(values[0]));
            return 0;
        },
        &tables, nullptr);
    for (const QString &table : tables) {
        QString n;
        const QByteArray sql = u"SELECT count(*) FROM \"%1\";"_s.arg(table).toUtf8();
        sqlite3_exec(
            db, sql.constData(),
            [](void *out, int, char **values, char **) {
                *static_cast<QString *>(out) = QString::fromUtf8(values[0]);
                return 0;
            },
            &n, nullptr);
        counts.append(table + QLatin1Char('=') + n);
    }
    sqlite3_close(db);
    return counts;
}

// Every row of every table, "table|value|value..." (blobs in hex), in name and row order.
inline QStringList tableRows(const QString &path)
{
    QStringList rows;
    for (const QString &count : tableCounts(path)) {
        const QString table = count.section(QLatin1Char('='), 0, 0);
        sqlite3 *db = nullptr;
        sqlite3_stmt *statement = nullptr;
        const QByteArray sql = u"SELECT * FROM \"%1\" ORDER BY rowid;"_s.arg(table).toUtf8();
        if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK
            && sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) == SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW) {
                QString row = table;
                for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                    const QByteArray value(static_cast<const char *>(sqlite3_column_blob(statement, i)),
                                           sqlite3_column_bytes(statement, i));
                    row += QLatin1Char('|') + QString::fromLatin1(value.toHex());
                }
                rows.append(row);
            }
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
    }
    return rows;
}

} // namespace chromiumprofiles
