#pragma once

#include "ModuleFixture.h"
#include "MozillaStores.h"

#include "platform/files/FileManager.h"
#include "targets/firefox/FirefoxController.h"

namespace firefoxfixture {

// Firefox's rows as the user sees them, in offer order.
inline const QList<TraceSpec> traces = {
    {"Firefox Browsing History", "firefoxBrowsing", 'P', "places.sqlite", "Sqlite"},
    {"Firefox URL Autocomplete History", "firefoxBrowsing", 'P', "places.sqlite", "Sqlite"},
    {"Firefox Cache", "firefoxCache", 'C', "Cache", "Dir"},
    {"Firefox Cache2", "firefoxCache", 'C', "cache2", "Dir"},
    {"Firefox Offline Cache", "firefoxCache", 'C', "OfflineCache", "Dir"},
    {"Firefox Cache Thumbnails", "firefoxCache", 'C', "thumbnails", "Dir"},
    {"Firefox Cookies", "firefoxCookies", 'P', "cookies.sqlite", "Sqlite"},
    {"Firefox Legacy Download History", "firefoxDownloads", 'P', "downloads.sqlite", "Sqlite"},
    {"Firefox Download History", "firefoxDownloads", 'P', "places.sqlite", "Sqlite"},
    {"Firefox Form Values", "firefoxForms", 'P', "formhistory.sqlite", "Sqlite"},
    {"Firefox Last Session Information", "firefoxLastSession", 'P', "sessionstore.jsonlz4", "File"},
    {"Firefox Legacy Last Session Information", "firefoxLastSession", 'P', "sessionstore.js", "File"},
    {"Firefox Last Session Information Backup", "firefoxLastSession", 'P', "sessionstore-backups", "Dir"},
    {"Firefox Legacy Last Session Information Backup", "firefoxLastSession", 'P', "sessionstore.bak", "File"},
    {"Firefox Open Windows", "firefoxLastSession", 'H',
     "Library/Saved Application State/org.mozilla.firefox.savedState", "Dir"},
    {"Firefox Recent Searches", "firefoxRecentSearches", 'P', "formhistory.sqlite", "Sqlite"},
    {"Firefox Webpage Icons", "firefoxWebpageIcons", 'P', "places.sqlite", "Sqlite"},
    {"Firefox Webpage Icons Database", "firefoxWebpageIcons", 'P', "favicons.sqlite", "File"},
    {"Firefox DOM Storage", "firefoxDOM", 'P', "webappsstore.sqlite", "File"},
    {"Firefox Web Storage", "firefoxDOM", 'P', "storage/default", "Dir"},
};

inline const QString profilesRel = u"Library/Application Support/Firefox/Profiles"_s;
inline const QString cachesRel = u"Library/Caches/Firefox/Profiles"_s;

// The places.sqlite a test starts from.
enum class Places { None, Current, Legacy, LegacyUnvisited, LegacyVisitsOnlyBookmarked, Garbage };

struct Fixture : ModuleFixture<FirefoxController>
{
    // Two profiles, as a profiles folder usually holds them; the browser's own choice is
    // the one the folder lists first.
    QString other;

    static constexpr const char *scanKey = "scanFirefox";
    Fixture()
        : ModuleFixture(scanKey, traces)
    {
        for (const char *name : {"r4nd0m.default-release", "0ld1.default"})
            home.makeDir(profilesRel + QLatin1Char('/') + QLatin1String(name));
        home.makeDir(cachesRel + u"/r4nd0m.default-release"_s);
        profile = firstListed(home.path(profilesRel));
        other = profile.endsWith(QLatin1String("default")) ? home.path(profilesRel + u"/r4nd0m.default-release"_s)
                                                           : home.path(profilesRel + u"/0ld1.default"_s);
        cache = firstListed(home.path(cachesRel));
    }

    static QString firstListed(const QString &folder)
    {
        for (const QString &name : platform::FileManager::defaultManager().contentsOfDirectoryAtPath(folder)) {
            if (name.contains(QLatin1String(".default")))
                return folder + QLatin1Char('/') + name;
        }
        return {};
    }

    QString inProfile(const char *name) const { return profile + QLatin1Char('/') + QLatin1String(name); }

    bool writePlaces(Places kind)
    {
        const QString places = inProfile("places.sqlite");
        using namespace mozstores;
        switch (kind) {
        case Places::None:
            return true;
        case Places::Current:
            return writeCurrentPlaces(places, home.path(u"staging/places.sqlite"_s));
        case Places::Legacy:
            return writeLegacyPlaces(places);
        case Places::LegacyUnvisited:
            return run(places,
                       QString::fromLatin1(legacyPlacesSchema) + QString::fromLatin1(bookmarkRows)
                           + u"DELETE FROM moz_historyvisits;"_s);
        case Places::LegacyVisitsOnlyBookmarked:
            return run(places, QString::fromLatin1(legacyPlacesSchema) + QString::fromLatin1(bookmarkRows));
        case Places::Garbage:
            return FakeHome::writeFileAt(places, QByteArray(3000, 'g'));
        }
        return false;
    }

    // Every trace of the table, with a legacy places file so that all four places rows count.
    bool writeEveryTrace()
    {
        return writePlaces(Places::Legacy) && mozstores::writeCookies(inProfile("cookies.sqlite"))
            && mozstores::writeDownloads(inProfile("downloads.sqlite"))
            && mozstores::writeFormHistory(inProfile("formhistory.sqlite"), true, true) && writeMissingTraces();
    }
};

} // namespace firefoxfixture
