#pragma once

#include "ModuleFixture.h"

#include "targets/omniweb/OmniWebController.h"

namespace omniwebfixture {

inline const QString prefsPath = u"Library/Preferences/com.omnigroup.OmniWeb5.plist"_s;
inline const QString fossils = u"OWPersistentDownloadedFileFossils"_s;
inline const QString autoFill = u"OWFormAutoFillSets"_s;

// OmniWeb's rows as the user sees them, in offer order.
inline const QList<TraceSpec> traces = {
    {"OmniWeb Browsing History", "omniWebBrowsing", 'H', "Library/Application Support/OmniWeb 5/History.plist", "File"},
    {"OmniWeb History Index", "omniWebBrowsing", 'H', "Library/Application Support/OmniWeb 5/HistoryIndex.ox", "File"},
    {"OmniWeb History Index Log", "omniWebBrowsing", 'H', "Library/Application Support/OmniWeb 5/HistoryIndex.ox.log",
     "File"},
    {"OmniWeb Cache", "omniWebCache", 'H', "Library/Caches/com.omnigroup.OmniWeb5/WebKitCache/Cache.db", "File"},
    {"OmniWeb Cookies", "omniWebCookies", 'H', "Library/Application Support/OmniWeb 5/Cookies.xml", "File"},
    {"OmniWeb Download History", "omniWebDownloads", 'H', "Library/Preferences/com.omnigroup.OmniWeb5.plist", "Plist",
     "OWPersistentDownloadedFileFossils"},
    {"OmniWeb Form Values", "omniWebForms", 'H', "Library/Preferences/com.omnigroup.OmniWeb5.plist", "Plist",
     "OWFormAutoFillSets"},
    {"OmniWeb Webpage Icons", "omniWebWebpageIcons", 'H', "Library/Application Support/OmniWeb 5/Icons/WebpageIcons.db",
     "File"},
};

inline QVariantMap omniWebPrefs()
{
    return {{fossils,
             QVariantList{QVariantMap{{u"URL"_s, u"https://example.org/a.zip"_s}, {u"Size"_s, qint64(5000000000)}}}},
            {autoFill, QVariantMap{{u"Home"_s, QVariantMap{{u"email"_s, u"me@example.org"_s}}}}},
            {u"OWHomePage"_s, u"https://example.org/"_s},
            {u"OWFontScale"_s, 1.0}};
}

struct Fixture : ModuleFixture<OmniWebController>
{
    static constexpr const char *scanKey = "scanOmniWeb";
    Fixture()
        : ModuleFixture(scanKey, traces)
    {}
    QString prefs() const { return home.path(prefsPath); }

    bool writeEveryTrace() { return home.writePlist(prefsPath, omniWebPrefs()) && writeMissingTraces(); }
};

} // namespace omniwebfixture
