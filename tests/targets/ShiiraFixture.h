#pragma once

#include "ModuleFixture.h"

#include "targets/shiira/ShiiraController.h"

namespace shiirafixture {

inline const QString storePath = u"Library/Application Support/Shiira/Shiira.sql"_s;
inline const QString prefsPath = u"Library/Preferences/jp.hmdt.shiira.plist"_s;

// Shiira's rows as the user sees them, in offer order.
inline const QList<TraceSpec> traces = {
    {"Shiira Browsing History", "shiiraBrowsing", 'H', "Library/Application Support/Shiira/History.plist", "File"},
    {"Shiira Cache", "shiiraCache", 'H', "Library/Caches/jp.hmdt.shiira/Cache.db", "File"},
    {"Shiira Cookies", "shiiraCookies", 'H', "Library/Cookies/Cookies.plist", "File"},
    {"Shiira Download History", "shiiraDownloads", 'H', "Library/Application Support/Shiira/Shiira.sql", "Sqlite"},
    {"Shiira Last Session Information", "shiiraLastSession", 'H', "Library/Preferences/jp.hmdt.shiira.plist", "Plist",
     "generalLastPages"},
    {"Shiira Open Windows", "shiiraLastSession", 'H', "Library/Saved Application State/jp.hmdt.shiira.savedState",
     "Dir"},
    {"Shiira Webpage Icons", "shiiraWebpageIcons", 'H',
     "Library/Application Support/Shiira/IconDatabase/WebpageIcons.db", "File"},
};

// Shiira's store as Core Data writes it: the entity table with its Z_ columns, and the
// store's own key and metadata tables.
inline const QString coreDataSchema =
    u"CREATE TABLE ZDOWNLOADITEM ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZSTATUS INTEGER,"
    " ZDATE TIMESTAMP, ZFILENAME VARCHAR, ZPATH VARCHAR, ZURLSTRING VARCHAR );"
    "CREATE TABLE Z_PRIMARYKEY (Z_ENT INTEGER PRIMARY KEY, Z_NAME VARCHAR, Z_SUPER INTEGER, Z_MAX INTEGER);"
    "CREATE TABLE Z_METADATA (Z_VERSION INTEGER PRIMARY KEY, Z_UUID VARCHAR(255), Z_PLIST BLOB);"
    "INSERT INTO Z_PRIMARYKEY VALUES (1, 'DownloadItem', 0, 2);"
    "INSERT INTO Z_METADATA VALUES (1, '6F1C2B1E-0D7A-4C55-9E43-3A1B8E0F5D21', x'62706c6973743030d2010203045f10204e5353746f72654d6f64656c56657273696f6e48617368657356657273696f6e5b4e5353746f72655479706510035653514c697465080d303c3e0000000000000101000000000000000500000000000000000000000000000045');"_s;
inline const QString twoDownloads =
    u"INSERT INTO ZDOWNLOADITEM VALUES (1, 1, 1, 2, 300000000.0, 'a.dmg', '/Users/me/Downloads/a.dmg', "
    u"'https://example.org/a.dmg');"
    "INSERT INTO ZDOWNLOADITEM VALUES (2, 1, 1, 2, 300000100.0, 'b.zip', '/Users/me/Downloads/b.zip', 'https://example.org/b.zip');"_s;

inline QVariantMap shiiraPrefs()
{
    return {{u"generalLastPages"_s, QVariantList{u"https://example.org/mail"_s}},
            {u"generalHomePage"_s, u"https://example.org/"_s},
            {u"tabsOpenInBackground"_s, true}};
}

struct Fixture : ModuleFixture<ShiiraController>
{
    static constexpr const char *scanKey = "scanShiira";
    Fixture()
        : ModuleFixture(scanKey, traces)
    {}
    QString store() const { return home.path(storePath); }

    bool writeEveryTrace()
    {
        return home.createSqlite(storePath, coreDataSchema + twoDownloads) && home.writePlist(prefsPath, shiiraPrefs())
            && writeMissingTraces();
    }
};

} // namespace shiirafixture
