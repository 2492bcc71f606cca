#pragma once

#include "CleaningRecorder.h"
#include "ChromiumProfiles.h"

#include "core/DatabaseController.h"
#include "core/FileController.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "support/FakeHome.h"
#include "targets/chrome/ChromeController.h"
#include "targets/chromium/ChromiumController.h"
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

// A module's rows as {classification, switch word, path, kind}.
struct Row {
    const char *classification;
    const char *word;
    QString path;
    const char *kind;
};

inline QList<Trace> tracesOf(const QString &app, std::initializer_list<Row> rows)
{
    QList<Trace> list;
    const QString keyPrefix = app.left(1).toLower() + app.mid(1);
    for (const Row &r : rows) {
        list.append({app + QLatin1Char(' ') + QLatin1String(r.classification), keyPrefix + QLatin1String(r.word),
                     r.path, QLatin1String(r.kind)});
    }
    return list;
}

inline QList<Trace> chromeTraces(const QString &app, const QString &identifier, const QString &profile,
                                 const QString &cache)
{
    const QString p = profile + QLatin1Char('/');
    return tracesOf(app, {
        {"Browsing History", "Browsing", p + "History", "Sqlite"},
        {"History Segments", "Browsing", p + "History", "Sqlite"},
        {"Archived Browsing History", "Browsing", p + "Archived History", "Sqlite"},
        {"Monthly History Index", "Browsing", p + "History Index 2024-01", "File"},
        {"Visited Links History", "Browsing", p + "Visited Links", "File"},
        {"Cache", "Cache", cache, "Dir"},
        {"History Provider Cache", "Cache", p + "History Provider Cache", "File"},
        {"Cookies", "Cookies", p + "Cookies", "File"},
        {"Download History", "Downloads", p + "History", "Sqlite"},
        {"Download History URL Chains", "Downloads", p + "History", "Sqlite"},
        {"Flash Cookies", "FlashCookies", p + "Pepper Data/Shockwave Flash/WritableRoot/#SharedObjects", "Dir"},
        {"Form Values", "Forms", p + "Web Data", "File"},
        {"Last Session Information", "LastSession", p + "Current Session", "File"},
        {"Last Session Tabs", "LastSession", p + "Current Tabs", "File"},
        {"Open Windows", "LastSession", "Library/Saved Application State/" + identifier + ".savedState", "Dir"},
        {"Recent Searches", "RecentSearches", p + "History", "Sqlite"},
        {"Webpage Icons", "WebpageIcons", p + "Favicons", "File"},
        {"DOM Storage", "DOM", p + "Local Storage", "Dir"},
    });
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
    return {QStringLiteral("Opera"), QStringLiteral("com.operasoftware.Opera"), p.chopped(1),
            tracesOf(QStringLiteral("Opera"), {
                {"Browsing History", "Browsing", p + "History", "Sqlite"},
                {"History Segments", "Browsing", p + "History", "Sqlite"},
                {"Archived Browsing History", "Browsing", p + "Archived History", "Sqlite"},
                {"Monthly History Index", "Browsing", p + "History Index 2024-01", "File"},
                {"Legacy Browsing History", "Browsing", "Library/Opera/global_history.dat", "File"},
                {"Legacy Typed History", "Browsing", "Library/Opera/typed_history.xml", "File"},
                {"Cache", "Cache", "Library/Caches/com.operasoftware.Opera/Cache", "Dir"},
                {"History Provider Cache", "Cache", p + "History Provider Cache", "File"},
                {"Legacy Cache", "Cache", "Library/Caches/Opera/cache", "Dir"},
                {"Legacy VPS Cache", "Cache", "Library/Caches/Opera/vps", "Dir"},
                {"Legacy Cache Index", "Cache", "Library/Caches/Opera/opcache", "Dir"},
                {"Legacy Cache Thumbnails", "Cache", "Library/Caches/Opera/thumbnails", "Dir"},
                {"Cookies", "Cookies", p + "Cookies", "File"},
                {"Legacy Cookies", "Cookies", "Library/Opera/cookies4.dat", "File"},
                {"Download History", "Downloads", p + "History", "Sqlite"},
                {"Download History URL Chains", "Downloads", p + "History", "Sqlite"},
                {"Legacy Download History", "Downloads", "Library/Opera/download.dat", "File"},
                {"Last Session Information", "LastSession", p + "session.db", "File"},
                {"Last Session Information Backup", "LastSession", p + "session.dbak", "File"},
                {"Legacy Last Session Information", "LastSession", "Library/Opera/sessions/autosave.win", "File"},
                {"Legacy Last Session Information Backup", "LastSession", "Library/Opera/sessions/autosave.win.bak", "File"},
                {"Open Windows", "LastSession", "Library/Saved Application State/com.operasoftware.Opera.savedState", "Dir"},
                {"Recent Searches", "RecentSearches", p + "History", "Sqlite"},
                {"Legacy Recent Searches", "RecentSearches", "Library/Opera/search_field_history.dat", "File"},
                {"Webpage Icons", "WebpageIcons", p + "Thumbnails", "File"},
                {"Legacy Webpage Icons", "WebpageIcons", "Library/Caches/Opera/icons", "Dir"},
                {"DOM Storage", "DOM", p + "Local Storage", "Dir"},
                {"Legacy DOM Storage", "DOM", "Library/Application Support/Opera/pstorage", "Dir"},
            }),
            [] { return std::make_unique<OperaController>(); }};
}

inline Module flock()
{
    const QString u = QStringLiteral("Library/Application Support/Flock/User Data/");
    const QString p = u + QStringLiteral("Default/");
    return {QStringLiteral("Flock"), QStringLiteral("com.flock.Flock"), p.chopped(1),
            tracesOf(QStringLiteral("Flock"), {
                {"Browsing History", "Browsing", p + "History", "Sqlite"},
                {"History Segments", "Browsing", p + "History", "Sqlite"},
                {"Monthly History Index", "Browsing", p + "History Index 2024-01", "File"},
                {"Cache", "Cache", "Library/Caches/Flock/User Data/Default/Cache", "Dir"},
                {"Cookies", "Cookies", p + "Cookies", "File"},
                {"Download History", "Downloads", p + "History", "Sqlite"},
                {"Form Values", "Forms", p + "Web Data", "File"},
                {"Last Session Local State", "LastSession", u + "Local State", "File"},
                {"Last Session Information", "LastSession", p + "Current Session", "File"},
                {"Last Session Tabs", "LastSession", p + "Current Tabs", "File"},
                {"Open Windows", "LastSession", "Library/Saved Application State/com.flock.Flock.savedState", "Dir"},
                {"Recent Searches", "RecentSearches", p + "History", "Sqlite"},
                {"Webpage Icons", "WebpageIcons", p + "Thumbnails", "File"},
                {"DOM Storage", "DOM", p + "Local Storage", "Dir"},
            }),
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
        postLocationScan(module.app, module.identifier);
        return results.arrangedObjects();
    }

    QStringList scannedNames() { return namesOf(scan()); }

    void clean(const QString &itemName, const QString &path)
    {
        postCleaningRequest(module.app, itemName, path);
    }
};

} // namespace chromiummodules
