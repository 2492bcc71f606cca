#include "app/MainInterface.h"
#include "core/FileController.h"
#include "core/LocationController.h"
#include "platform/gui/Alert.h"
#include "platform/gui/Modal.h"
#include "platform/plist/PropertyList.h"
#include "platform/system/Task.h"
#include "platform/system/UserDefaults.h"
#include "platform/system/Workspace.h"
#include "support/DemoHome.h"
#include "ui/main/AppController.h"
#include "ui/main/MainWindow.h"
#include "ui/results/ResultsController.h"

#include <QDir>
#include <QJsonArray>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>
#include <sqlite3.h>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Every value of every row a query gives, as text: enough to tell that no row changed.
QString rowsOf(const QString &database, const QString &query)
{
    sqlite3 *db = nullptr;
    QString text;
    if (sqlite3_open_v2(QFile::encodeName(database).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_exec(
            db, query.toUtf8().constData(),
            [](void *out, int n, char **values, char **) {
                auto *t = static_cast<QString *>(out);
                for (int i = 0; i < n; ++i)
                    *t += QString::fromUtf8(values[i] ? values[i] : "NULL") + QLatin1Char('|');
                *t += QLatin1Char('\n');
                return 0;
            },
            &text, nullptr);
    }
    sqlite3_close(db);
    return text.isEmpty() ? u"(nothing read)"_s : text;
}

QVariant keyOf(const QString &list, const QString &key)
{
    const auto parsed = platform::PropertyList::fromFile(list);
    return parsed ? parsed->toVariant().toMap().value(key) : QVariant(u"(unreadable)"_s);
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// What the readers below answer when there was nothing to read.
const QStringList unread{u"(missing)"_s, u"(nothing read)"_s, u"(unreadable)"_s};

// What must stay as it was, read before and after a clean: "file", "rows" or "key" with
// its path (relative to the home) and what was read there.
using Snapshot = QMap<QString, QVariant>;

Snapshot snapshot(const QString &folder)
{
    const QJsonObject keep = demohome::keepList(folder);
    const QString home = folder + u"/home/"_s;
    Snapshot shot;
    for (const QJsonValue &file : keep.value(u"files"_s).toArray())
        shot.insert(u"file "_s + file.toString(), bytesOf(home + file.toString()));
    for (const QJsonValue &row : keep.value(u"rows"_s).toArray()) {
        const QJsonArray pair = row.toArray();
        shot.insert(u"rows "_s + pair[0].toString() + QLatin1Char(' ') + pair[1].toString(),
                    rowsOf(home + pair[0].toString(), pair[1].toString()));
    }
    for (const QJsonValue &key : keep.value(u"keys"_s).toArray()) {
        const QJsonArray pair = key.toArray();
        shot.insert(u"key "_s + pair[0].toString() + QLatin1Char(' ') + pair[1].toString(),
                    keyOf(home + pair[0].toString(), pair[1].toString()));
    }
    for (const char *canary : {"outside/canary.txt", "outside/canary-folder/keep.txt"})
        shot.insert(u"canary "_s + QLatin1String(canary), bytesOf(folder + QLatin1Char('/') + QLatin1String(canary)));
    return shot;
}

// The variables the demo points elsewhere, put back when the product goes: the next one's
// scratch folder is made where the test's own temporary folder is, never in a demo gone by.
struct SavedEnvironment
{
    QList<std::pair<const char *, std::optional<QByteArray>>> saved;
    SavedEnvironment()
    {
        for (const char *name : {"HOME", "TMPDIR", "NIMBREL_SYSTEM_ROOT"})
            saved.append({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
    }
    ~SavedEnvironment()
    {
        for (const auto &[name, value] : saved) {
            if (value)
                qputenv(name, *value);
            else
                qunsetenv(name);
        }
    }
};

// The demo home made afresh, the program pointed at it and launched as the user would.
struct Product
{
    SavedEnvironment environment;
    QTemporaryDir base;
    QString folder = base.path() + u"/demo"_s;
    std::unique_ptr<MainInterface> ui;
    int alerts = 0;
    QList<QStringList> launches;

    // throughLink: the program meets the demo through a link to it, as where /home is one.
    bool make(bool secure = false, int level = 0, bool throughLink = false)
    {
        if (!base.isValid())
            return false;
        const QString failure = demohome::make(QString::fromUtf8(NIMBREL_TEST_SOURCE_DIR), folder);
        if (!failure.isEmpty()) {
            qWarning("%s", qPrintable(failure));
            return false;
        }
        const QString linked = base.path() + u"/linked"_s;
        if (throughLink && !QFile::link(folder, linked))
            return false;
        demohome::useFolder(throughLink ? linked : folder);
        platform::UserDefaults::resetStandardUserDefaults();
        demohome::switchEverythingOn(secure, level);
        platform::Alert::setResponder([this](const platform::Alert &, bool &) {
            ++alerts;
            return platform::Alert::FirstButtonReturn; // "Yes": cookies and recent folders too
        });
        platform::Modal::setObserver([](QWidget *window, bool) { platform::Modal::endModalForWindow(window); });
        // The daemon restarts stay recorded: killall must not reach this machine's processes.
        platform::Task::setLaunchRecorder([this](const QString &path, const QStringList &arguments) {
            launches.append(QStringList{path} + arguments);
        });
        ui = demohome::launch();
        return ui != nullptr;
    }
    ~Product()
    {
        ui.reset();
        platform::UserDefaults::resetStandardUserDefaults();
        platform::Alert::setResponder({});
        platform::Modal::setObserver({});
        platform::Task::setLaunchRecorder({});
        platform::Workspace::sharedWorkspace().setRunningApplicationSource({});
    }
    QList<resultItemPtr> rows() const { return ui->fileControl()->resultsArrayController()->arrangedObjects(); }
};

} // namespace

// The product as a newcomer meets it: the demo home with all fifteen applications, launched
// through the main interface, scanned and cleaned from its own window.
class tst_WholeProduct : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("NIMBREL_BUNDLE_PATH"))
            qputenv("NIMBREL_BUNDLE_PATH", NIMBREL_TEST_BUNDLE);
        // One scan, looked at by the two tests below; only one launched product at a time, as
        // every module answers every scan request.
        Product product;
        QVERIFY(product.make());
        for (const locationItemPtr &row : product.ui->locationControl()->locationArrayController()->arrangedObjects())
            m_locations.append(row->locName());
        product.ui->appControl()->scan();
        for (const resultItemPtr &row : product.rows())
            m_found[row->resultItemAppName()].append(row->resultItemName());
    }

    void locationsInNameOrder()
    {
        QCOMPARE(m_locations,
                 (QStringList{"Camino", "Chrome", "Chromium", "Finder", "Firefox", "Flash Cookies", "Flock", "iCab",
                              "OmniWeb", "Opera", "Preview", "QuickTime", "Safari", "SeaMonkey", "Shiira"}));
    }

    // Each module's rows for the traces the demo home holds, in the module's offer order.
    void scanListsPromisedRows_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QStringList>("rows");
        const QStringList chromium{"Browsing History",
                                   "History Segments",
                                   "Archived Browsing History",
                                   "Monthly History Index",
                                   "Monthly History Index",
                                   "Monthly History Index",
                                   "Visited Links History",
                                   "Cache",
                                   "History Provider Cache",
                                   "Cookies",
                                   "Download History",
                                   "Download History URL Chains",
                                   "Flash Cookies",
                                   "Form Values",
                                   "Last Session Information",
                                   "Last Session Tabs",
                                   "Open Windows",
                                   "Recent Searches",
                                   "Webpage Icons",
                                   "DOM Storage"};
        const QStringList sfl{"Legacy Recent Applications Shared File List",
                              "Legacy Recent Documents Shared File List",
                              "Legacy Recent Hosts Shared File List",
                              "Legacy Recent Servers Shared File List",
                              "Recent Applications Shared File List",
                              "Recent Documents Shared File List",
                              "Recent Hosts Shared File List",
                              "Recent Servers Shared File List"};
        QTest::newRow("Camino") << "Camino"
                                << QStringList{
                                       "Browsing History",         "Cache",        "Cookies",       "Download History",
                                       "Last Session Information", "Open Windows", "Webpage Icons", "DOM Storage"};
        QTest::newRow("Chrome") << "Chrome" << chromium;
        QTest::newRow("Chromium") << "Chromium" << chromium;
        QTest::newRow("Finder") << "Finder"
                                << (QStringList{"Recent Items"} + sfl
                                    + QStringList{"Legacy Download Quarantine History", "Download Quarantine History",
                                                  "Recent Folders"});
        // Current places has no icon table: its failed count withholds that row alone, and the
        // icons database is offered.
        QTest::newRow("Firefox") << "Firefox"
                                 << QStringList{"Browsing History",
                                                "Cache",
                                                "Cache2",
                                                "Offline Cache",
                                                "Cache Thumbnails",
                                                "Cookies",
                                                "Legacy Download History",
                                                "Download History",
                                                "Form Values",
                                                "Last Session Information",
                                                "Legacy Last Session Information",
                                                "Last Session Information Backup",
                                                "Legacy Last Session Information Backup",
                                                "Open Windows",
                                                "Recent Searches",
                                                "Webpage Icons Database",
                                                "DOM Storage",
                                                "Web Storage"};
        QTest::newRow("Flash Cookies") << "Flash Cookies" << QStringList{"History", "Shared Objects"};
        QTest::newRow("Flock") << "Flock"
                               << QStringList{"Browsing History",
                                              "History Segments",
                                              "Monthly History Index",
                                              "Monthly History Index",
                                              "Monthly History Index",
                                              "Cache",
                                              "Cookies",
                                              "Download History",
                                              "Form Values",
                                              "Last Session Local State",
                                              "Last Session Information",
                                              "Last Session Tabs",
                                              "Open Windows",
                                              "Recent Searches",
                                              "Webpage Icons",
                                              "DOM Storage"};
        QTest::newRow("iCab")
            << "iCab"
            << QStringList{
                   "Browsing History", "Cache",           "Cookies",   "Download History", "Last Session Information",
                   "Open Windows",     "Recent Searches", "Top Sites", "Webpage Icons",    "DOM Storage"};
        QTest::newRow("OmniWeb") << "OmniWeb" << QStringList{"Browsing History",  "History Index",
                                                             "History Index Log", "Cache",
                                                             "Cookies",           "Download History",
                                                             "Form Values",       "Webpage Icons"};
        QTest::newRow("Opera") << "Opera"
                               << QStringList{"Browsing History",
                                              "History Segments",
                                              "Archived Browsing History",
                                              "Monthly History Index",
                                              "Monthly History Index",
                                              "Monthly History Index",
                                              "Legacy Browsing History",
                                              "Legacy Typed History",
                                              "Cache",
                                              "History Provider Cache",
                                              "Legacy Cache",
                                              "Legacy VPS Cache",
                                              "Legacy Cache Index",
                                              "Legacy Cache Thumbnails",
                                              "Cookies",
                                              "Legacy Cookies",
                                              "Download History",
                                              "Download History URL Chains",
                                              "Legacy Download History",
                                              "Last Session Information",
                                              "Last Session Information Backup",
                                              "Legacy Last Session Information",
                                              "Legacy Last Session Information Backup",
                                              "Open Windows",
                                              "Recent Searches",
                                              "Legacy Recent Searches",
                                              "Webpage Icons",
                                              "Legacy Webpage Icons",
                                              "DOM Storage",
                                              "Legacy DOM Storage"};
        QTest::newRow("Preview") << "Preview"
                                 << QStringList{"Recent Items", "Legacy Recent Items Shared File List",
                                                "Recent Items Shared File List", "Open Windows"};
        QTest::newRow("QuickTime") << "QuickTime"
                                   << QStringList{"Cache",
                                                  "Download Quarantine History",
                                                  "Recent Items",
                                                  "Legacy Recent Items Shared File List",
                                                  "Recent Items Shared File List",
                                                  "Recent URLs",
                                                  "Legacy Recent URLs",
                                                  "Open Windows"};
        QTest::newRow("Safari") << "Safari"
                                << QStringList{"Browsing History",
                                               "Browsing History Database",
                                               "History Index",
                                               "Recently Closed Tabs",
                                               "Cache",
                                               "Metadata Cache",
                                               "Data Cache",
                                               "WebKit Cache",
                                               "Webkit Media Cache",
                                               "Webpage Previews Cache",
                                               "Cookies",
                                               "Binary Cookies",
                                               "Download History",
                                               "Form Values",
                                               "Last Session Information",
                                               "Open Windows",
                                               "Recent Searches",
                                               "Recent Web Searches",
                                               "Top Sites",
                                               "Webpage Icons",
                                               "DOM Storage",
                                               "Website Databases"};
        QTest::newRow("SeaMonkey") << "SeaMonkey"
                                   << QStringList{"Browsing History",
                                                  "URL Autocomplete History",
                                                  "Typed History",
                                                  "Cache",
                                                  "Cookies",
                                                  "Download History",
                                                  "Form Values",
                                                  "Last Session Information",
                                                  "Last Session Information Backup",
                                                  "Open Windows",
                                                  "DOM Storage"};
        QTest::newRow("Shiira") << "Shiira"
                                << QStringList{
                                       "Browsing History",         "Cache",        "Cookies",      "Download History",
                                       "Last Session Information", "Open Windows", "Webpage Icons"};
    }
    void scanListsPromisedRows()
    {
        QFETCH(QString, module);
        QFETCH(QStringList, rows);
        for (QString &row : rows)
            row = module + QLatin1Char(' ') + row;
        QCOMPARE(m_found.value(module), rows);
    }

    // The user changes their mind during the run: a row unticked while it waits is skipped
    // when its turn comes, and its store keeps every row.
    void untickWaitingRow()
    {
        Product product;
        QVERIFY(product.make());
        const Snapshot before = snapshot(product.folder);
        product.ui->appControl()->scan();
        const QList<resultItemPtr> rows = product.rows();
        QCOMPARE(rows.size(), 196);
        resultItemPtr unticked;
        for (const resultItemPtr &row : rows)
            if (row->resultItemName() == QLatin1String("Chrome Browsing History"))
                unticked = row;
        QVERIFY(unticked && unticked != rows.first());
        const QString urls = rowsOf(unticked->resultItemPath(), u"SELECT * FROM urls ORDER BY id;"_s);
        QVERIFY(!unread.contains(urls));

        // Unticked in the table, as a click does, while the first row is being cleaned.
        auto *table = product.ui->fileControl()->resultsArrayController();
        const int check = table->columnWithIdentifier(u"checkColumn"_s);
        const int at = int(rows.indexOf(unticked));
        QStringList texts; // the unticked row's, as the table showed them
        QObject watcher;   // goes before what the connection uses
        QObject::connect(table, &QAbstractItemModel::dataChanged, &watcher, [&] {
            const QString text = unticked->resultItemStatusText();
            if (!text.isEmpty() && (texts.isEmpty() || texts.last() != text))
                texts << text;
            if (rows.first()->resultItemStatusText() == QLatin1String("- Cleaning") && unticked->isTicked())
                table->setData(table->index(at, check), Qt::Unchecked, Qt::CheckStateRole);
        });
        ResultsController *results = product.ui->resultsControl();
        product.ui->appControl()->mainWindow()->hide();
        results->shredButton()->click();
        QVERIFY(QTest::qWaitFor([results] { return results->isDoneCleaning(); }, 240000));

        QCOMPARE(texts, (QStringList{"- Waiting", "- Skipped"}));
        QCOMPARE(results->skippedItemCount(), 1);
        QCOMPARE(results->shreddedItemCount(), rows.size() - 2); // and Shiira's shared cookie list
        QCOMPARE(rowsOf(unticked->resultItemPath(), u"SELECT * FROM urls ORDER BY id;"_s), urls);
        const Snapshot after = snapshot(product.folder);
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
    }

    // Everything cleaned at once, with secure removal off and at each of its levels.
    void cleanAll_data()
    {
        QTest::addColumn<bool>("secure");
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("throughLink");
        QTest::newRow("plain removal") << false << 0 << false;
        QTest::newRow("secure, level 0") << true << 0 << false;
        QTest::newRow("secure, level 1") << true << 1 << false;
        QTest::newRow("secure, level 2") << true << 2 << false;
        QTest::newRow("plain removal, home reached through a link") << false << 0 << true;
    }
    void cleanAll()
    {
        QFETCH(bool, secure);
        QFETCH(int, level);
        QFETCH(bool, throughLink);
        Product product;
        QVERIFY(product.make(secure, level, throughLink));
        const Snapshot before = snapshot(product.folder);
        QVERIFY(before.size() > 40);
        for (auto it = before.cbegin(); it != before.cend(); ++it) // all there to compare with
            QVERIFY2(it.value().isValid() && !unread.contains(it.value().toString()), qPrintable(it.key()));
        product.ui->appControl()->scan();
        const QList<resultItemPtr> rows = product.rows();
        QCOMPARE(rows.size(), 196);

        ResultsController *results = product.ui->resultsControl();
        product.ui->appControl()->mainWindow()->hide(); // nothing to repaint during the run
        results->shredButton()->click();
        QVERIFY(QTest::qWaitFor([results] { return results->isDoneCleaning(); }, 240000));
        QCOMPARE(product.alerts, 2); // the cookie and the recent-folders warnings

        // Every row answered. Safari's and Shiira's rows share the cookie list: the second to
        // come finds it gone.
        QStringList notCleaned;
        for (const resultItemPtr &row : rows) {
            const QString status = row->resultItemStatusText();
            QVERIFY2(status == QLatin1String("- Cleaned") || status == QLatin1String("- Could not clean"),
                     qPrintable(row->resultItemName() + QLatin1Char(' ') + status));
            if (status != QLatin1String("- Cleaned"))
                notCleaned << row->resultItemName();
        }
        QCOMPARE(notCleaned, QStringList{"Shiira Cookies"});
        QCOMPARE(results->shreddedItemCount(), rows.size() - 1);

        // What the user never chose is as it was, the links' targets outside too.
        const Snapshot after = snapshot(product.folder);
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));

        // Databases cleaned in place are sound; the rest is gone from where it was.
        for (const resultItemPtr &row : rows) {
            const QString path = row->resultItemPath();
            if (row->resultItemType() == QLatin1String("Sqlite"))
                QCOMPARE(rowsOf(path, u"PRAGMA integrity_check;"_s), u"ok|\n"_s);
            // Local and web storage folders stay, with the extensions' storage in them.
            else if (row->resultItemType() != QLatin1String("Plist")
                     && !row->resultItemName().endsWith(QLatin1String("DOM Storage"))
                     && !row->resultItemName().endsWith(QLatin1String("Web Storage")))
                QVERIFY2(!QFileInfo::exists(path) && !QFileInfo(path).isSymLink(), qPrintable(path));
        }
        // Nothing left set aside.
        QCOMPARE(QDir(product.folder + u"/tmp/Nimbrel"_s)
                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
                 QStringList());
    }

private:
    QStringList m_locations;
    QMap<QString, QStringList> m_found;
};

QTEST_MAIN(tst_WholeProduct)
#include "tst_wholeproduct.moc"
