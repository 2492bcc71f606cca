#pragma once

#include "ModuleFixture.h"
#include "MozillaStores.h"

#include "targets/seamonkey/SeaMonkeyController.h"

namespace seamonkeyfixture {

// SeaMonkey's rows as the user sees them, in offer order.
inline const QList<TraceSpec> traces = {
    {"SeaMonkey Browsing History", "seaMonkeyBrowsing", 'P', "places.sqlite", "Sqlite"},
    {"SeaMonkey URL Autocomplete History", "seaMonkeyBrowsing", 'P', "places.sqlite", "Sqlite"},
    {"SeaMonkey Typed History", "seaMonkeyBrowsing", 'P', "urlbarhistory.sqlite", "File"},
    {"SeaMonkey Cache", "seaMonkeyCache", 'C', "Cache", "Dir"},
    {"SeaMonkey Cookies", "seaMonkeyCookies", 'P', "cookies.sqlite", "Sqlite"},
    {"SeaMonkey Download History", "seaMonkeyDownloads", 'P', "downloads.sqlite", "Sqlite"},
    {"SeaMonkey Form Values", "seaMonkeyForms", 'P', "formhistory.sqlite", "Sqlite"},
    {"SeaMonkey Last Session Information", "seaMonkeyLastSession", 'P', "sessionstore.json", "File"},
    {"SeaMonkey Last Session Information Backup", "seaMonkeyLastSession", 'P', "sessionstore.bak", "File"},
    {"SeaMonkey Open Windows", "seaMonkeyLastSession", 'H',
     "Library/Saved Application State/org.mozilla.SeaMonkey.savedState", "Dir"},
    {"SeaMonkey DOM Storage", "seaMonkeyDOM", 'P', "webappsstore.sqlite", "File"},
};

inline const QString profilesRel = u"Library/Application Support/SeaMonkey/Profiles"_s;
inline const QString cachesRel = u"Library/Caches/SeaMonkey/Profiles"_s;

struct Fixture : ModuleFixture<SeaMonkeyController>
{
    static constexpr const char *scanKey = "scanSeaMonkey";
    Fixture()
        : ModuleFixture(scanKey, traces)
    {
        // Profiles sit one level down in SeaMonkey's folder.
        profile = home.path(profilesRel + u"/x1/ab12cd34.default"_s);
        cache = home.path(cachesRel + u"/x1/ab12cd34.default"_s);
        home.makeDir(profile);
        home.makeDir(cache);
    }

    QString inProfile(const char *name) const { return profile + QLatin1Char('/') + QLatin1String(name); }

    bool writeEveryTrace()
    {
        return mozstores::writeLegacyPlaces(inProfile("places.sqlite"))
            && mozstores::writeCookies(inProfile("cookies.sqlite"))
            && mozstores::writeDownloads(inProfile("downloads.sqlite"))
            && mozstores::writeFormHistory(inProfile("formhistory.sqlite"), true, true) && writeMissingTraces();
    }
};

} // namespace seamonkeyfixture
