#pragma once

#include "ChromiumProfiles.h"
#include "ModuleFixture.h"

#include "targets/chrome/ChromeController.h"
#include "targets/chromium/ChromiumController.h"
#include "targets/flock/FlockController.h"
#include "targets/opera/OperaController.h"

#include <QFile>
#include <QList>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

// The four Chromium-layout modules as the tests drive them: their rows as the user sees
// them, and a home folder with one of them installed.
namespace chromiummodules {

// Rows in offer order; 'P' paths are below the browser's profile folder.
inline const QList<TraceSpec> chromeTraces = {
    {"Chrome Browsing History", "chromeBrowsing", 'P', "History", "Sqlite", ""},
    {"Chrome History Segments", "chromeBrowsing", 'P', "History", "Sqlite", ""},
    {"Chrome Archived Browsing History", "chromeBrowsing", 'P', "Archived History", "Sqlite", ""},
    {"Chrome Monthly History Index", "chromeBrowsing", 'P', "History Index 2024-01", "File", ""},
    {"Chrome Visited Links History", "chromeBrowsing", 'P', "Visited Links", "File", ""},
    {"Chrome Cache", "chromeCache", 'H', "Library/Caches/Google/Chrome/Default/Cache", "Dir", ""},
    {"Chrome History Provider Cache", "chromeCache", 'P', "History Provider Cache", "File", ""},
    {"Chrome Cookies", "chromeCookies", 'P', "Cookies", "File", ""},
    {"Chrome Download History", "chromeDownloads", 'P', "History", "Sqlite", ""},
    {"Chrome Download History URL Chains", "chromeDownloads", 'P', "History", "Sqlite", ""},
    {"Chrome Flash Cookies", "chromeFlashCookies", 'P', "Pepper Data/Shockwave Flash/WritableRoot/#SharedObjects",
     "Dir", ""},
    {"Chrome Form Values", "chromeForms", 'P', "Web Data", "Sqlite", ""},
    {"Chrome Last Session Information", "chromeLastSession", 'P', "Current Session", "File", ""},
    {"Chrome Last Session Tabs", "chromeLastSession", 'P', "Current Tabs", "File", ""},
    {"Chrome Open Windows", "chromeLastSession", 'H', "Library/Saved Application State/com.google.Chrome.savedState",
     "Dir", ""},
    {"Chrome Recent Searches", "chromeRecentSearches", 'P', "History", "Sqlite", ""},
    {"Chrome Webpage Icons", "chromeWebpageIcons", 'P', "Favicons", "File", ""},
    {"Chrome DOM Storage", "chromeDOM", 'P', "Local Storage", "Dir", ""},
};

inline const QList<TraceSpec> chromiumTraces = {
    {"Chromium Browsing History", "chromiumBrowsing", 'P', "History", "Sqlite", ""},
    {"Chromium History Segments", "chromiumBrowsing", 'P', "History", "Sqlite", ""},
    {"Chromium Archived Browsing History", "chromiumBrowsing", 'P', "Archived History", "Sqlite", ""},
    {"Chromium Monthly History Index", "chromiumBrowsing", 'P', "History Index 2024-01", "File", ""},
    {"Chromium Visited Links History", "chromiumBrowsing", 'P', "Visited Links", "File", ""},
    {"Chromium Cache", "chromiumCache", 'H', "Library/Caches/Chromium/Default/Cache", "Dir", ""},
    {"Chromium History Provider Cache", "chromiumCache", 'P', "History Provider Cache", "File", ""},
    {"Chromium Cookies", "chromiumCookies", 'P', "Cookies", "File", ""},
    {"Chromium Download History", "chromiumDownloads", 'P', "History", "Sqlite", ""},
    {"Chromium Download History URL Chains", "chromiumDownloads", 'P', "History", "Sqlite", ""},
    {"Chromium Flash Cookies", "chromiumFlashCookies", 'P', "Pepper Data/Shockwave Flash/WritableRoot/#SharedObjects",
     "Dir", ""},
    {"Chromium Form Values", "chromiumForms", 'P', "Web Data", "Sqlite", ""},
    {"Chromium Last Session Information", "chromiumLastSession", 'P', "Current Session", "File", ""},
    {"Chromium Last Session Tabs", "chromiumLastSession", 'P', "Current Tabs", "File", ""},
    {"Chromium Open Windows", "chromiumLastSession", 'H',
     "Library/Saved Application State/org.chromium.Chromium.savedState", "Dir", ""},
    {"Chromium Recent Searches", "chromiumRecentSearches", 'P', "History", "Sqlite", ""},
    {"Chromium Webpage Icons", "chromiumWebpageIcons", 'P', "Favicons", "File", ""},
    {"Chromium DOM Storage", "chromiumDOM", 'P', "Local Storage", "Dir", ""},
};

inline const QList<TraceSpec> operaTraces = {
    {"Opera Browsing History", "operaBrowsing", 'P', "History", "Sqlite", ""},
    {"Opera History Segments", "operaBrowsing", 'P', "History", "Sqlite", ""},
    {"Opera Archived Browsing History", "operaBrowsing", 'P', "Archived History", "Sqlite", ""},
    {"Opera Monthly History Index", "operaBrowsing", 'P', "History Index 2024-01", "File", ""},
    {"Opera Legacy Browsing History", "operaBrowsing", 'H', "Library/Opera/global_history.dat", "File", ""},
    {"Opera Legacy Typed History", "operaBrowsing", 'H', "Library/Opera/typed_history.xml", "File", ""},
    {"Opera Cache", "operaCache", 'H', "Library/Caches/com.operasoftware.Opera/Cache", "Dir", ""},
    {"Opera History Provider Cache", "operaCache", 'P', "History Provider Cache", "File", ""},
    {"Opera Legacy Cache", "operaCache", 'H', "Library/Caches/Opera/cache", "Dir", ""},
    {"Opera Legacy VPS Cache", "operaCache", 'H', "Library/Caches/Opera/vps", "Dir", ""},
    {"Opera Legacy Cache Index", "operaCache", 'H', "Library/Caches/Opera/opcache", "Dir", ""},
    {"Opera Legacy Cache Thumbnails", "operaCache", 'H', "Library/Caches/Opera/thumbnails", "Dir", ""},
    {"Opera Cookies", "operaCookies", 'P', "Cookies", "File", ""},
    {"Opera Legacy Cookies", "operaCookies", 'H', "Library/Opera/cookies4.dat", "File", ""},
    {"Opera Download History", "operaDownloads", 'P', "History", "Sqlite", ""},
    {"Opera Download History URL Chains", "operaDownloads", 'P', "History", "Sqlite", ""},
    {"Opera Legacy Download History", "operaDownloads", 'H', "Library/Opera/download.dat", "File", ""},
    {"Opera Last Session Information", "operaLastSession", 'P', "session.db", "File", ""},
    {"Opera Last Session Information Backup", "operaLastSession", 'P', "session.dbak", "File", ""},
    {"Opera Legacy Last Session Information", "operaLastSession", 'H', "Library/Opera/sessions/autosave.win", "File",
     ""},
    {"Opera Legacy Last Session Information Backup", "operaLastSession", 'H', "Library/Opera/sessions/autosave.win.bak",
     "File", ""},
    {"Opera Open Windows", "operaLastSession", 'H',
     "Library/Saved Application State/com.operasoftware.Opera.savedState", "Dir", ""},
    {"Opera Recent Searches", "operaRecentSearches", 'P', "History", "Sqlite", ""},
    {"Opera Legacy Recent Searches", "operaRecentSearches", 'H', "Library/Opera/search_field_history.dat", "File", ""},
    {"Opera Webpage Icons", "operaWebpageIcons", 'P', "Thumbnails", "File", ""},
    {"Opera Legacy Webpage Icons", "operaWebpageIcons", 'H', "Library/Caches/Opera/icons", "Dir", ""},
    {"Opera DOM Storage", "operaDOM", 'P', "Local Storage", "Dir", ""},
    {"Opera Legacy DOM Storage", "operaDOM", 'H', "Library/Application Support/Opera/pstorage", "Dir", ""},
};

inline const QList<TraceSpec> flockTraces = {
    {"Flock Browsing History", "flockBrowsing", 'P', "History", "Sqlite", ""},
    {"Flock History Segments", "flockBrowsing", 'P', "History", "Sqlite", ""},
    {"Flock Monthly History Index", "flockBrowsing", 'P', "History Index 2024-01", "File", ""},
    {"Flock Cache", "flockCache", 'H', "Library/Caches/Flock/User Data/Default/Cache", "Dir", ""},
    {"Flock Cookies", "flockCookies", 'P', "Cookies", "File", ""},
    {"Flock Download History", "flockDownloads", 'P', "History", "Sqlite", ""},
    {"Flock Form Values", "flockForms", 'P', "Web Data", "Sqlite", ""},
    {"Flock Last Session Local State", "flockLastSession", 'H',
     "Library/Application Support/Flock/User Data/Local State", "File", ""},
    {"Flock Last Session Information", "flockLastSession", 'P', "Current Session", "File", ""},
    {"Flock Last Session Tabs", "flockLastSession", 'P', "Current Tabs", "File", ""},
    {"Flock Open Windows", "flockLastSession", 'H', "Library/Saved Application State/com.flock.Flock.savedState", "Dir",
     ""},
    {"Flock Recent Searches", "flockRecentSearches", 'P', "History", "Sqlite", ""},
    {"Flock Webpage Icons", "flockWebpageIcons", 'P', "Thumbnails", "File", ""},
    {"Flock DOM Storage", "flockDOM", 'P', "Local Storage", "Dir", ""},
};

struct Browser
{
    QString app;
    QString identifier;
    const char *scanKey;
    QString profile; // below the home folder
    QList<TraceSpec> traces;
    ModuleFixture<ModuleController>::Make make;

    // The category switches, each once, in table order.
    QStringList keys() const { return switchKeys(scanKey, traces).mid(1); }

    bool has(const QString &classification) const
    {
        for (const TraceSpec &t : traces) {
            if (QLatin1String(t.name) == app + QLatin1Char(' ') + classification)
                return true;
        }
        return false;
    }
};

inline Browser chrome()
{
    return {u"Chrome"_s,  u"com.google.Chrome"_s,
            "scanChrome", u"Library/Application Support/Google/Chrome/Default"_s,
            chromeTraces, [] { return std::make_unique<ChromeController>(); }};
}

inline Browser chromium()
{
    return {u"Chromium"_s,  u"org.chromium.Chromium"_s,
            "scanChromium", u"Library/Application Support/Chromium/Default"_s,
            chromiumTraces, [] { return std::make_unique<ChromiumController>(); }};
}

inline Browser opera()
{
    return {u"Opera"_s,  u"com.operasoftware.Opera"_s,
            "scanOpera", u"Library/Application Support/com.operasoftware.Opera"_s,
            operaTraces, [] { return std::make_unique<OperaController>(); }};
}

inline Browser flock()
{
    return {u"Flock"_s,  u"com.flock.Flock"_s,
            "scanFlock", u"Library/Application Support/Flock/User Data/Default"_s,
            flockTraces, [] { return std::make_unique<FlockController>(); }};
}

inline QList<Browser> all()
{
    return {chrome(), chromium(), opera(), flock()};
}

inline Browser named(const QString &app)
{
    for (const Browser &b : all()) {
        if (b.app == app)
            return b;
    }
    return {};
}

// A home with the browser's application installed and every switch of its module on.
struct Fixture : ModuleFixture<ModuleController>
{
    Browser browser;

    explicit Fixture(const Browser &b)
        : ModuleFixture(b.make, b.scanKey, b.traces)
        , browser(b)
    {
        profile = home.path(b.profile);
    }

    QString path(const QString &relative) const { return home.path(relative); }
    QString inProfile(const QString &relative) const { return profile + QLatin1Char('/') + relative; }

    // Only the switches of these categories ("Browsing", "DOM") stay on.
    void onlyKeys(const QStringList &categories)
    {
        for (const QString &key : browser.keys()) {
            const QString category = key.mid(browser.app.size());
            platform::UserDefaults::standardUserDefaults().setBool(categories.contains(category), key);
        }
    }

    // Writes every trace of the table, real databases where the browser keeps one, and what
    // the browser keeps that is no trace; false when something could not be written.
    bool writeEveryTrace()
    {
        for (const TraceSpec &t : std::as_const(table)) {
            const QString at = pathOf(t);
            const QString kind = QLatin1String(t.kind);
            bool written = true;
            if (at.endsWith(QLatin1String("/Web Data")))
                written = home.createSqlite(at, chromiumprofiles::currentWebData());
            else if (at.endsWith(QLatin1String("/Archived History")))
                written = home.createSqlite(at, chromiumprofiles::archivedHistory());
            else if (kind == QLatin1String("Sqlite") && !QFile::exists(at))
                written = home.createSqlite(at, chromiumprofiles::currentHistory());
            else if (at.contains(QLatin1String("/History Index ")))
                written = home.createSqlite(at, chromiumprofiles::historyIndex());
            else if (at.endsWith(QLatin1String("/Local Storage")))
                written = home.createSqlite(at + u"/chrome-extension_aapocclcgogkmnckokdopfmhonfmgoek_0.localstorage"_s,
                                            chromiumprofiles::localStorageFile())
                    && home.createSqlite(at + u"/https_www.example.org_0.localstorage"_s,
                                         chromiumprofiles::localStorageFile());
            else if (kind == QLatin1String("Dir"))
                written = home.writeFile(at + u"/data_1"_s, QByteArray(3000, 'd'))
                    && home.writeFile(at + u"/sub/f_000001"_s, QByteArray(5000, 'f'));
            else if (kind == QLatin1String("File"))
                written = home.writeFile(at, QByteArray(t.name).repeated(40));
            if (!written)
                return false;
        }
        return home.createSqlite(inProfile(u"Top Sites"_s), chromiumprofiles::topSites())
            && home.writeFile(inProfile(u"Preferences"_s), R"({"profile":{"name":"Person 1"}})")
            && home.writeFile(inProfile(u"Bookmarks"_s), R"({"roots":{"bookmark_bar":{"children":[]}}})")
            && home.createSqlite(inProfile(u"Login Data"_s),
                                 u"CREATE TABLE logins (origin_url VARCHAR NOT NULL, username_value VARCHAR);"
                                 "INSERT INTO logins VALUES ('https://www.example.org/', 'me');"_s);
    }
};

} // namespace chromiummodules
