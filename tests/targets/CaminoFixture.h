#pragma once

#include "ModuleFixture.h"
#include "MozillaStores.h"

#include "targets/camino/CaminoController.h"

namespace caminofixture {

// Camino's rows as the user sees them, in offer order; one fixed folder, no profile.
inline const QList<TraceSpec> traces = {
    {"Camino Browsing History", "caminoBrowsing", 'H', "Library/Application Support/Camino/places.sqlite", "Sqlite"},
    {"Camino Cache", "caminoCache", 'H', "Library/Caches/Camino/Cache", "Dir"},
    {"Camino Cookies", "caminoCookies", 'H', "Library/Application Support/Camino/cookies.sqlite", "Sqlite"},
    {"Camino Download History", "caminoDownloads", 'H', "Library/Application Support/Camino/downloads.plist", "File"},
    {"Camino Last Session Information", "caminoLastSession", 'H',
     "Library/Application Support/Camino/WindowState.plist", "File"},
    {"Camino Open Windows", "caminoLastSession", 'H', "Library/Saved Application State/org.mozilla.camino.savedState",
     "Dir"},
    {"Camino Webpage Icons", "caminoWebpageIcons", 'H', "Library/Caches/Camino/IconCache", "Dir"},
    {"Camino DOM Storage", "caminoDOM", 'H', "Library/Application Support/Camino/webappsstore.sqlite", "File"},
};
inline const QString places = u"Library/Application Support/Camino/places.sqlite"_s;
inline const QString cookies = u"Library/Application Support/Camino/cookies.sqlite"_s;

struct Fixture : ModuleFixture<CaminoController>
{
    static constexpr const char *scanKey = "scanCamino";
    Fixture()
        : ModuleFixture(scanKey, traces)
    {}

    bool writeEveryTrace()
    {
        return mozstores::writeLegacyPlaces(home.path(places)) && mozstores::writeCookies(home.path(cookies))
            && writeMissingTraces();
    }
};

} // namespace caminofixture
