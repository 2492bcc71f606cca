#pragma once

#include "CleaningRecorder.h"
#include "ChromiumProfiles.h"

#include "core/DatabaseController.h"
#include "core/FileController.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "support/FakeHome.h"
#include "targets/chrome/ChromeController.h"
#include "targets/chrome/ChromiumController.h"
#include "targets/flock/FlockController.h"
#include "targets/opera/OperaController.h"

#include <QFile>
#include <QList>
#include <QtTest>

#include <functional>
#include <memory>

// The four Chromium-layout modules as the tests drive them: their rows as the user sees
// them, and a home folder with one of them installed.
namespace chromiummodules {

struct Trace {
    QString name;
    QString key;
    QString path; // below the home folder
    QString kind;
};

struct Module {
    QString app;
    QString identifier;
    QString profile;
    QList<Trace> traces;
    std::function<std::unique_ptr<ModuleController>()> make;

    QStringList keys() const
    {
        QStringList list;
        for (const Trace &t : traces) {
            if (!list.contains(t.key))
                list.append(t.key);
        }
        return list;
    }
    bool has(const QString &classification) const
    {
        for (const Trace &t : traces) {
            if (t.name == app + QLatin1Char(' ') + classification)
                return true;
        }
        return false;
    }
};

inline QList<Trace> chromeTraces(const QString &app, const QString &identifier, const QString &profile,
                                 const QString &cache)
{
    const QString k = app.left(1).toLower() + app.mid(1);
    auto t = [&](const char *cls, const char *key, const QString &path, const char *kind) {
        return Trace{app + QLatin1Char(' ') + QLatin1String(cls), k + QLatin1String(key), path, QLatin1String(kind)};
    };
    const QString p = profile + QLatin1Char('/');
    return {
        t("Browsing History", "Browsing", p + "History", "Sqlite"),
        t("History Segments", "Browsing", p + "History", "Sqlite"),
        t("Archived Browsing History", "Browsing", p + "Archived History", "Sqlite"),
        t("Monthly History Index", "Browsing", p + "History Index 2024-01", "File"),
        t("Visited Links History", "Browsing", p + "Visited Links", "File"),
        t("Cache", "Cache", cache, "Dir"),
        t("History Provider Cache", "Cache", p + "History Provider Cache", "File"),
        t("Cookies", "Cookies", p + "Cookies", "File"),
        t("Download History", "Downloads", p + "History", "Sqlite"),
        t("Download History URL Chains", "Downloads", p + "History", "Sqlite"),
        t("Flash Cookies", "FlashCookies", p + "Pepper Data/Shockwave Flash/WritableRoot/#SharedObjects", "Dir"),
        t("Form Values", "Forms", p + "Web Data", "File"),
        t("Last Session Information", "LastSession", p + "Current Session", "File"),
        t("Last Session Tabs", "LastSession", p + "Current Tabs", "File"),
        t("Open Windows", "LastSession", "Library/Saved Application State/" + identifier + ".savedState", "Dir"),
        t("Recent Searches", "RecentSearches", p + "History", "Sqlite"),
        t("Webpage Icons", "WebpageIcons", p + "Favicons", "File"),
        t("DOM Storage", "DOM", p + "Local Storage", "Dir"),
    };
}

inline Module chrome()
{
    const QString profile = QStringLiteral("Library/Application Support/Google/Chrome/Default");
    return {QStringLiteral("Chrome"), QStringLiteral("com.google.Chrome"), profile,
            chromeTraces(QStringLiteral("Chrome"), QStringLiteral("com.google.Chrome"), profile,
                         QStringLiteral("Library/Caches/Google/Chrome/Default/Cache")),
            [] { return std::make_unique<ChromeController>(); }};
}

inline Module chromium()
{
    const QString profile = QStringLiteral("Library/Application Support/Chromium/Default");
    return {QStringLiteral("Chromium"), QStringLiteral("org.chromium.Chromium"), profile,
            chromeTraces(QStringLiteral("Chromium"), QStringLiteral("org.chromium.Chromium"), profile,
                         QStringLiteral("Library/Caches/Chromium/Default/Cache")),
            [] { return std::make_unique<ChromiumController>(); }};
}

inline Module opera()
{
    const QString p = QStringLiteral("Library/Application Support/com.operasoftware.Opera/");
    auto t = [](const char *cls, const char *key, const QString &path, const char *kind) {
        return Trace{QStringLiteral("Opera ") + QLatin1String(cls), QStringLiteral("opera") + QLatin1String(key),
                     path, QLatin1String(kind)};
    };
    return {QStringLiteral("Opera"), QStringLiteral("com.operasoftware.Opera"), p.chopped(1),
            {
                t("Browsing History", "Browsing", p + "History", "Sqlite"),
                t("History Segments", "Browsing", p + "History", "Sqlite"),
                t("Archived Browsing History", "Browsing", p + "Archived History", "Sqlite"),
                t("Monthly History Index", "Browsing", p + "History Index 2024-01", "File"),
                t("Legacy Browsing History", "Browsing", "Library/Opera/global_history.dat", "File"),
                t("Legacy Typed History", "Browsing", "Library/Opera/typed_history.xml", "File"),
                t("Cache", "Cache", "Library/Caches/com.operasoftware.Opera/Cache", "Dir"),
                t("History Provider Cache", "Cache", p + "History Provider Cache", "File"),
                t("Legacy Cache", "Cache", "Library/Caches/Opera/cache", "Dir"),
                t("Legacy VPS Cache", "Cache", "Library/Caches/Opera/vps", "Dir"),
                t("Legacy Cache Index", "Cache", "Library/Caches/Opera/opcache", "Dir"),
                t("Legacy Cache Thumbnails", "Cache", "Library/Caches/Opera/thumbnails", "Dir"),
                t("Cookies", "Cookies", p + "Cookies", "File"),
                t("Legacy Cookies", "Cookies", "Library/Opera/cookies4.dat", "File"),
                t("Download History", "Downloads", p + "History", "Sqlite"),
                t("Download History URL Chains", "Downloads", p + "History", "Sqlite"),
                t("Legacy Download History", "Downloads", "Library/Opera/download.dat", "File"),
                t("Last Session Information", "LastSession", p + "session.db", "File"),
                t("Last Session Information Backup", "LastSession", p + "session.dbak", "File"),
                t("Legacy Last Session Information", "LastSession", "Library/Opera/sessions/autosave.win", "File"),
                t("Legacy Last Session Information Backup", "LastSession", "Library/Opera/sessions/autosave.win.bak", "File"),
                t("Open Windows", "LastSession", "Library/Saved Application State/com.operasoftware.Opera.savedState", "Dir"),
                t("Recent Searches", "RecentSearches", p + "History", "Sqlite"),
                t("Legacy Recent Searches", "RecentSearches", "Library/Opera/search_field_history.dat", "File"),
                t("Webpage Icons", "WebpageIcons", p + "Thumbnails", "File"),
                t("Legacy Webpage Icons", "WebpageIcons", "Library/Caches/Opera/icons", "Dir"),
                t("DOM Storage", "DOM", p + "Local Storage", "Dir"),
                t("Legacy DOM Storage", "DOM", "Library/Application Support/Opera/pstorage", "Dir"),
            },
            [] { return std::make_unique<OperaController>(); }};
}

inline Module flock()
{
    const QString u = QStringLiteral("Library/Application Support/Flock/User Data/");
    const QString p = u + QStringLiteral("Default/");
    auto t = [](const char *cls, const char *key, const QString &path, const char *kind) {
        return Trace{QStringLiteral("Flock ") + QLatin1String(cls), QStringLiteral("flock") + QLatin1String(key),
                     path, QLatin1String(kind)};
    };
    return {QStringLiteral("Flock"), QStringLiteral("com.flock.Flock"), p.chopped(1),
            {
                t("Browsing History", "Browsing", p + "History", "Sqlite"),
                t("History Segments", "Browsing", p + "History", "Sqlite"),
                t("Monthly History Index", "Browsing", p + "History Index 2024-01", "File"),
                t("Cache", "Cache", "Library/Caches/Flock/User Data/Default/Cache", "Dir"),
                t("Cookies", "Cookies", p + "Cookies", "File"),
                t("Download History", "Downloads", p + "History", "Sqlite"),
                t("Form Values", "Forms", p + "Web Data", "File"),
                t("Last Session Local State", "LastSession", u + "Local State", "File"),
                t("Last Session Information", "LastSession", p + "Current Session", "File"),
                t("Last Session Tabs", "LastSession", p + "Current Tabs", "File"),
                t("Open Windows", "LastSession", "Library/Saved Application State/com.flock.Flock.savedState", "Dir"),
                t("Recent Searches", "RecentSearches", p + "History", "Sqlite"),
                t("Webpage Icons", "WebpageIcons", p + "Thumbnails", "File"),
                t("DOM Storage", "DOM", p + "Local Storage", "Dir"),
            },
            [] { return std::make_unique<FlockController>(); }};
}

inline QList<Module> all()
{
    return {chrome(), chromium(), opera(), flock()};
}

inline Module named(const QString &app)
{
    for (const Module &m : all()) {
        if (m.app == app)
            return m;
    }
    return {};
}

// A home with the module's application installed and every switch of it on.
struct Fixture {
    Module module;
    FakeHome home;
    FileController files;
    FileController::ResultsArrayController results;
    DatabaseController db;
    std::unique_ptr<ModuleController> controller;
    CleaningRecorder recorder;

    explicit Fixture(const Module &m)
        : module(m)
        , controller(m.make())
    {
        home.addApplication(m.identifier, m.app);
        files.setResultsArrayController(&results);
        controller->setFileControl(&files);
        controller->setDbControl(&db);
        controller->init();
        for (const QString &key : m.keys())
            platform::UserDefaults::standardUserDefaults().setBool(true, key);
    }

    QString path(const QString &relative) const { return home.path(relative); }
    QString profile(const QString &relative) const { return home.path(module.profile + QLatin1Char('/') + relative); }

    void onlyKeys(const QStringList &words)
    {
        for (const QString &key : module.keys()) {
            const QString word = key.mid(module.app.size());
            platform::UserDefaults::standardUserDefaults().setBool(words.contains(word), key);
        }
    }

    // Writes every trace of the module: real databases where the browser keeps one.
    void writeEveryTrace()
    {
        for (const Trace &t : std::as_const(module.traces)) {
            if (t.path.endsWith(QLatin1String("/Archived History")))
                QVERIFY(home.createSqlite(t.path, chromiumprofiles::archivedHistory()));
            else if (t.kind == QLatin1String("Sqlite") && !QFile::exists(path(t.path)))
                QVERIFY(home.createSqlite(t.path, chromiumprofiles::currentHistory()));
            else if (t.path.contains(QLatin1String("/History Index ")))
                QVERIFY(home.createSqlite(t.path, chromiumprofiles::historyIndex()));
            else if (t.path.endsWith(QLatin1String("/Local Storage"))) {
                QVERIFY(home.createSqlite(t.path + QStringLiteral("/chrome-extension_aapocclcgogkmnckokdopfmhonfmgoek_0.localstorage"),
                                          chromiumprofiles::localStorageFile()));
                QVERIFY(home.createSqlite(t.path + QStringLiteral("/https_www.example.org_0.localstorage"),
                                          chromiumprofiles::localStorageFile()));
            } else if (t.kind == QLatin1String("Dir")) {
                QVERIFY(home.writeFile(t.path + QStringLiteral("/data_1"), QByteArray(3000, 'd')));
                QVERIFY(home.writeFile(t.path + QStringLiteral("/sub/f_000001"), QByteArray(5000, 'f')));
            } else if (t.kind == QLatin1String("File")) {
                QVERIFY(home.writeFile(t.path, t.name.toUtf8().repeated(40)));
            }
        }
        // What the browser keeps that is no trace.
        QVERIFY(home.writeFile(module.profile + QStringLiteral("/Preferences"), R"({"profile":{"name":"Person 1"}})"));
        QVERIFY(home.writeFile(module.profile + QStringLiteral("/Bookmarks"), R"({"roots":{"bookmark_bar":{"children":[]}}})"));
        QVERIFY(home.createSqlite(module.profile + QStringLiteral("/Login Data"),
                                  QStringLiteral("CREATE TABLE logins (origin_url VARCHAR NOT NULL, username_value VARCHAR);"
                                                 "INSERT INTO logins VALUES ('https://www.example.org/', 'me');")));
    }

    QList<resultItemPtr> scan()
    {
        results.removeAllObjects();
        platform::NotificationCenter::defaultCenter().post(
            QStringLiteral("CheckLocationItems"), nullptr,
            {{QStringLiteral("targName"), module.app}, {QStringLiteral("targIdentifier"), module.identifier}});
        return results.arrangedObjects();
    }

    QStringList scannedNames()
    {
        QStringList names;
        for (const resultItemPtr &row : scan())
            names.append(row->resultItemName());
        return names;
    }

    void clean(const QString &itemName, const QString &path)
    {
        postCleaningRequest(module.app, itemName, path);
    }
};

} // namespace chromiummodules
