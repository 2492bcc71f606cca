#pragma once

#include "ModuleFixture.h"

#include "targets/icab/iCabController.h"

#include <QDateTime>

namespace icabfixture {

// iCab's rows as the user sees them, in offer order.
inline const QList<TraceSpec> traces = {
    {"iCab Browsing History", "iCabBrowsing", 'H', "Library/Preferences/iCab/iCab 4 History", "File"},
    {"iCab Cache", "iCabCache", 'H', "Library/Caches/iCab/Cache.db", "File"},
    {"iCab Cookies", "iCabCookies", 'H', "Library/Preferences/iCab/iCab 4 Cookies", "File"},
    {"iCab Download History", "iCabDownloads", 'H', "Library/Preferences/iCab/iCab 4 Downloads", "File"},
    {"iCab Last Session Information", "iCabLastSession", 'H', "Library/Preferences/iCab/iCab 4 AutoSaveSession",
     "File"},
    {"iCab Open Windows", "iCabLastSession", 'H', "Library/Saved Application State/de.icab.iCab.savedState", "Dir"},
    {"iCab Recent Searches", "iCabRecentSearches", 'H', "Library/Preferences/de.icab.iCab.plist", "Plist",
     "RecentSearches"},
    {"iCab Top Sites", "iCabTopSites", 'H', "Library/Preferences/iCab/iCab 4 TopTen", "File"},
    {"iCab Webpage Icons", "iCabWebpageIcons", 'H', "Library/Icons/WebpageIcons.db", "File"},
    {"iCab DOM Storage", "iCabDOM", 'H', "Library/Preferences/iCab/Databases", "Dir"},
};
inline const TraceSpec &searches = traces[6];

inline QVariantMap iCabPrefs()
{
    return {{u"RecentSearches"_s, QVariantList{u"train times"_s, u"recipes"_s}},
            {u"HomePage"_s, u"https://example.org/"_s},
            {u"WindowFrame"_s, QVariantMap{{u"x"_s, 12}, {u"scale"_s, 1.5}}},
            {u"Launched"_s, QDateTime(QDate(2022, 1, 2), QTime(3, 4, 5), Qt::UTC)}};
}

struct Fixture : ModuleFixture<iCabController>
{
    static constexpr const char *scanKey = "scaniCab";
    Fixture()
        : ModuleFixture(scanKey, traces)
    {}

    bool writeEveryTrace() { return home.writePlist(pathOf(searches), iCabPrefs()) && writeMissingTraces(); }
};

} // namespace icabfixture
