#include "ModuleFixture.h"

#include "core/FileController.h"
#include "platform/files/FileManager.h"
#include "platform/plist/PropertyList.h"
#include "platform/system/UserDefaults.h"
#include "support/FakeHome.h"
#include "targets/safari/SafariController.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using platform::FileManager;
using platform::PropertyList;
using platform::UserDefaults;

namespace {

// Safari's rows as the user sees them, in offer order.
const QList<TraceSpec> traces = {
    {"Safari Browsing History", "safariBrowsing", 'H', "Library/Safari/History.plist", "File", ""},
    {"Safari Browsing History Database", "safariBrowsing", 'H', "Library/Safari/History.db", "File", ""},
    {"Safari History Index", "safariBrowsing", 'H', "Library/Safari/HistoryIndex.sk", "File", ""},
    {"Safari Recently Closed Tabs", "safariBrowsing", 'H', "Library/Safari/RecentlyClosedTabs.plist", "File", ""},
    {"Safari Cache", "safariCache", 'H', "Library/Caches/com.apple.Safari/Cache.db", "File", ""},
    {"Safari Metadata Cache", "safariCache", 'H', "Library/Caches/Metadata/Safari/History", "File", ""},
    {"Safari Data Cache", "safariCache", 'H', "Library/Caches/com.apple.Safari/fsCachedData", "Dir", ""},
    {"Safari WebKit Cache", "safariCache", 'H', "Library/Caches/com.apple.Safari/WebKitCache", "Dir", ""},
    {"Safari Webkit Media Cache", "safariCache", 'T', "com.apple.Safari/Webkit/MediaCache", "Dir", ""},
    {"Safari Webpage Previews Cache", "safariCache", 'H', "Library/Caches/com.apple.Safari/Webpage Previews", "Dir",
     ""},
    {"Safari Cookies", "safariCookies", 'H', "Library/Cookies/Cookies.plist", "File", ""},
    {"Safari Binary Cookies", "safariCookies", 'H', "Library/Cookies/Cookies.binarycookies", "File", ""},
    {"Safari Download History", "safariDownloads", 'H', "Library/Safari/Downloads.plist", "File", ""},
    {"Safari Form Values", "safariForms", 'H', "Library/Safari/Form Values", "File", ""},
    {"Safari Last Session Information", "safariLastSession", 'H', "Library/Safari/LastSession.plist", "File", ""},
    {"Safari Open Windows", "safariLastSession", 'H', "Library/Saved Application State/com.apple.Safari.savedState",
     "Dir", ""},
    {"Safari Recent Searches", "safariRecentSearches", 'H', "Library/Preferences/com.apple.Safari.plist", "Plist",
     "RecentSearchStrings"},
    {"Safari Recent Web Searches", "safariRecentSearches", 'H', "Library/Preferences/com.apple.Safari.plist", "Plist",
     "RecentWebSearches"},
    {"Safari Top Sites", "safariTopSites", 'H', "Library/Safari/TopSites.plist", "File", ""},
    {"Safari Webpage Icons", "safariWebpageIcons", 'H', "Library/Safari/WebpageIcons.db", "File", ""},
    {"Safari DOM Storage", "safariDOM", 'H', "Library/Safari/LocalStorage", "File", ""},
    {"Safari Website Databases", "safariDOM", 'H', "Library/Safari/Databases", "Dir", ""},
};
const int traceCount = int(traces.size());

const QString prefsPath = u"Library/Preferences/com.apple.Safari.plist"_s;

QVariantMap safariPrefs()
{
    const QDateTime when(QDate(2021, 3, 4), QTime(5, 6, 7), Qt::UTC);
    return {
        {u"RecentSearchStrings"_s, QVariantList{u"weather"_s, u"news"_s}},
        {u"RecentWebSearches"_s, QVariantList{QVariantMap{{u"SearchString"_s, u"maps"_s}, {u"Date"_s, when}}}},
        {u"HomePage"_s, u"https://example.org/"_s},
        {u"LastVersion"_s, qint64(13)},
        {u"Zoom"_s, 1.25},
        {u"Whole"_s, 2.0},
        {u"Flag"_s, true},
        {u"Blob"_s, QByteArray("\x00\x01\xfe", 3)},
        {u"Stamp"_s, when},
        {u"Archive"_s,
         QVariantMap{{u"$top"_s, QVariant::fromValue(platform::PlistUid{7})},
                     {u"List"_s, QVariantList{1, u"two"_s, QVariantList{}}}}},
    };
}

struct Fixture : ModuleFixture<SafariController>
{
    Fixture()
        : ModuleFixture("scanSafari", traces)
    {}

    QString pathOf(int row) const { return ModuleFixture::pathOf(traces[row]); }

    // Writes every trace; answers the size each row should show, or nothing when a trace
    // could not be written.
    std::optional<QList<quint64>> writeEveryTrace(PropertyList::Format format = PropertyList::Format::Binary)
    {
        QList<quint64> sizes;
        for (int i = 0; i < traceCount; ++i) {
            const QString path = pathOf(i);
            bool written = true;
            if (QString::fromLatin1(traces[i].kind) == u"Dir"_s) {
                const QByteArray a(100 + i, 'a'), b(3000 + i, 'b');
                written = FakeHome::writeFileAt(path + u"/one"_s, a) && FakeHome::writeFileAt(path + u"/sub/two"_s, b);
                sizes.append(quint64(a.size() + b.size()));
            } else if (QString::fromLatin1(traces[i].kind) == u"Plist"_s) {
                if (!QFile::exists(path))
                    written = home.writePlist(prefsPath, safariPrefs(), format);
                sizes.append(quint64(QFileInfo(path).size()));
            } else {
                const QByteArray bytes(500 + 37 * i, char('A' + i));
                written = FakeHome::writeFileAt(path, bytes);
                sizes.append(quint64(bytes.size()));
            }
            if (!written)
                return std::nullopt;
        }
        return sizes;
    }
};

} // namespace

class tst_Safari : public QObject
{
    Q_OBJECT
private slots:
    void scanGivesEveryRowInOrder();
    void switchingKeyOffRemovesItsRows_data();
    void switchingKeyOffRemovesItsRows();
    void recentSearchRowsFollowCounts_data();
    void recentSearchRowsFollowCounts();
    void mediaCacheIsOnlyLookedForUnderTemporaryDirectory();
    void cleaningMoveRow_data();
    void cleaningMoveRow();
    void cleaningRecentSearchRow_data();
    void cleaningRecentSearchRow();
    void cleaningBothRecentSearchRows();
    void damagedPreferencesStayInPlace();
    void vanishedPreferencesAreNotCleaned();
};

void tst_Safari::scanGivesEveryRowInOrder()
{
    Fixture f;
    QCOMPARE(f.module.targetName(), u"Safari"_s);
    QCOMPARE(f.module.identifierString(), u"com.apple.Safari"_s);
    const auto sizes = f.writeEveryTrace();
    QVERIFY(sizes);
    const QList<resultItemPtr> rows = f.scan();
    QCOMPARE(rows.size(), traceCount);
    for (int i = 0; i < traceCount; ++i) {
        const resultItemPtr &row = rows.at(i);
        QCOMPARE(row->resultItemName(), QString::fromLatin1(traces[i].name));
        QCOMPARE(row->resultItemType(), QString::fromLatin1(traces[i].kind));
        QCOMPARE(row->resultItemExtraInfo(), QString::fromLatin1(traces[i].extra));
        QCOMPARE(row->resultItemPath(), f.pathOf(i));
        QCOMPARE(row->resultItemSize().value_or(0), sizes->at(i));
        QCOMPARE(row->resultItemAppName(), u"Safari"_s);
        QCOMPARE(row->resultItemIdentifier(), u"com.apple.Safari"_s);
    }
    // The master switch decides the location, not the scan of it.
    UserDefaults::standardUserDefaults().setBool(false, u"scanSafari"_s);
    QVERIFY(!f.module.checkTarget());
    UserDefaults::standardUserDefaults().setBool(true, u"scanSafari"_s);
    QVERIFY(f.module.checkTarget());
}

void tst_Safari::switchingKeyOffRemovesItsRows_data()
{
    QTest::addColumn<QStringList>("keysOff");
    const QStringList keys = switchKeys("scanSafari", traces).mid(1);
    for (const QString &key : keys)
        QTest::newRow(qPrintable(key)) << QStringList{key};
    QTest::newRow("cookies and DOM") << QStringList{u"safariCookies"_s, u"safariDOM"_s};
    QTest::newRow("every key") << keys;
}

void tst_Safari::switchingKeyOffRemovesItsRows()
{
    QFETCH(QStringList, keysOff);
    Fixture f;
    QVERIFY(f.writeEveryTrace());
    f.setSwitches(keysOff, false);
    QStringList expected;
    for (const TraceSpec &t : traces) {
        if (!keysOff.contains(QString::fromLatin1(t.key)))
            expected.append(QString::fromLatin1(t.name));
    }
    QCOMPARE(f.scannedNames(), expected);
}

void tst_Safari::recentSearchRowsFollowCounts_data()
{
    QTest::addColumn<QVariant>("prefs");
    QTest::addColumn<QStringList>("expected");
    const QVariantList one{u"x"_s};
    const QString r = u"RecentSearchStrings"_s, w = u"RecentWebSearches"_s;
    const QString rowR = u"Safari Recent Searches"_s, rowW = u"Safari Recent Web Searches"_s;
    QTest::newRow("both") << QVariant(QVariantMap{{r, one}, {w, one}}) << QStringList{rowR, rowW};
    QTest::newRow("searches only, web key absent") << QVariant(QVariantMap{{r, one}}) << QStringList{rowR};
    QTest::newRow("web only, searches empty")
        << QVariant(QVariantMap{{r, QVariantList{}}, {w, one}}) << QStringList{rowW};
    QTest::newRow("both empty") << QVariant(QVariantMap{{r, QVariantList{}}, {w, QVariantList{}}}) << QStringList{};
    QTest::newRow("neither key") << QVariant(QVariantMap{{u"Other"_s, one}}) << QStringList{};
    QTest::newRow("no file") << QVariant() << QStringList{};
}

void tst_Safari::recentSearchRowsFollowCounts()
{
    QFETCH(QVariant, prefs);
    QFETCH(QStringList, expected);
    Fixture f;
    if (prefs.isValid())
        QVERIFY(f.home.writePlist(prefsPath, prefs));
    QCOMPARE(f.scannedNames(), expected);
    for (const resultItemPtr &row : f.results.arrangedObjects())
        QCOMPARE(row->resultItemPath(), f.home.path(prefsPath));
}

void tst_Safari::mediaCacheIsOnlyLookedForUnderTemporaryDirectory()
{
    Fixture f;
    const QString rel = u"com.apple.Safari/Webkit/MediaCache/entry"_s;
    QVERIFY(f.home.writeFile(rel, "in the home folder"));
    QVERIFY(f.home.writeFile(u"Library/Caches/"_s + rel, "in the caches"));
    QVERIFY(f.scannedNames().isEmpty());

    QVERIFY(FakeHome::writeFileAt(f.home.tmp() + QLatin1Char('/') + rel, "in the temporary directory"));
    const QList<resultItemPtr> rows = f.scan();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first()->resultItemName(), u"Safari Webkit Media Cache"_s);
    QCOMPARE(rows.first()->resultItemPath(), f.home.tmp() + u"/com.apple.Safari/Webkit/MediaCache"_s);

    // Cleaning looks there again.
    postCleaningRequest(u"Safari"_s, u"Safari Webkit Media Cache"_s, rows.first()->resultItemPath());
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal});
    QVERIFY(QFile::exists(f.home.path(rel)));
    QVERIFY(!QFile::exists(rows.first()->resultItemPath()));
}

void tst_Safari::cleaningMoveRow_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < traceCount; ++i) {
        if (QString::fromLatin1(traces[i].kind) != u"Plist"_s)
            QTest::newRow(traces[i].name) << i;
    }
}

void tst_Safari::cleaningMoveRow()
{
    QFETCH(int, row);
    Fixture f;
    QVERIFY(f.writeEveryTrace());
    const QString name = QString::fromLatin1(traces[row].name);
    const QString path = f.pathOf(row);

    postCleaningRequest(u"Safari"_s, name, path);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal});
    const QVariantMap info = f.recorder.events.first().info;
    QCOMPARE(info.value(u"removalItemAppName"_s).toString(), u"Safari"_s);
    QCOMPARE(info.value(u"removalItemName"_s).toString(), name);
    QCOMPARE(info.value(u"removalItemRefPath"_s).toString(), path);
    const QString moved = info.value(u"removalItemPath"_s).toString();
    QCOMPARE(QFileInfo(moved).absolutePath(), FileController::temporaryFolderPath());
    QVERIFY(QFile::exists(moved));
    QVERIFY(!QFile::exists(path));
    // Only the requested trace moved.
    QCOMPARE(f.scannedNames().size(), traceCount - 1);

    // Once it is gone, the same request is answered not cleaned.
    f.recorder.clear();
    postCleaningRequest(u"Safari"_s, name, path);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    QCOMPARE(f.recorder.events.first().info.value(u"cleaningItemPath"_s).toString(), path);
    QCOMPARE(f.recorder.events.first().info.value(u"didClean"_s).toBool(), false);
}

void tst_Safari::cleaningRecentSearchRow_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("key");
    for (auto format : {PropertyList::Format::Binary, PropertyList::Format::Xml}) {
        const char *f = format == PropertyList::Format::Binary ? "binary" : "XML";
        QTest::addRow("%s searches", f) << int(format) << u"Safari Recent Searches"_s << u"RecentSearchStrings"_s;
        QTest::addRow("%s web searches", f) << int(format) << u"Safari Recent Web Searches"_s << u"RecentWebSearches"_s;
    }
}

void tst_Safari::cleaningRecentSearchRow()
{
    QFETCH(int, format);
    QFETCH(QString, item);
    QFETCH(QString, key);
    Fixture f;
    const auto fmt = PropertyList::Format(format);
    QVERIFY(f.home.writePlist(prefsPath, safariPrefs(), fmt));
    const QString path = f.home.path(prefsPath);
    const QByteArray original = FileManager::defaultManager().contentsAtPath(path).value_or(QByteArray());
    const QVariantMap before = PropertyList::fromFile(path)->toVariant().toMap();

    // What the file holds at the moment each notice arrives.
    f.recorder.onEvent = [&](const platform::Notification &) -> QVariant {
        const auto list = PropertyList::fromFile(path);
        return list ? QVariant(list->toVariant().toMap()) : QVariant();
    };
    postCleaningRequest(u"Safari"_s, item, path);

    QCOMPARE(f.recorder.names(), (QStringList{CleaningRecorder::removal, CleaningRecorder::prefsDaemon}));
    QVariantMap expected = before;
    expected.remove(key);
    // The notice comes only once the list without the key is in place.
    QCOMPARE(f.recorder.events.at(1).snapshot.toMap(), expected);

    const auto written = PropertyList::fromFile(path);
    QVERIFY(written);
    QCOMPARE(written->format(), fmt);
    QCOMPARE(written->toVariant().toMap(), expected);
    QVERIFY(!written->contains(key));
    QVERIFY(written->value(u"Zoom"_s).typeId() == QMetaType::Double);
    QVERIFY(written->value(u"Whole"_s).typeId() == QMetaType::Double);
    QVERIFY(written->value(u"LastVersion"_s).typeId() != QMetaType::Double);

    // The old file went aside whole, to be destroyed.
    const QVariantMap info = f.recorder.events.first().info;
    QCOMPARE(info.value(u"removalItemName"_s).toString(), item);
    QCOMPARE(info.value(u"removalItemRefPath"_s).toString(), path);
    const QString moved = info.value(u"removalItemPath"_s).toString();
    QCOMPARE(QFileInfo(moved).absolutePath(), FileController::temporaryFolderPath());
    QCOMPARE(FileManager::defaultManager().contentsAtPath(moved).value_or(QByteArray()), original);
}

void tst_Safari::cleaningBothRecentSearchRows()
{
    Fixture f;
    QVERIFY(f.home.writePlist(prefsPath, safariPrefs(), PropertyList::Format::Xml));
    const QString path = f.home.path(prefsPath);
    postCleaningRequest(u"Safari"_s, u"Safari Recent Searches"_s, path);
    postCleaningRequest(u"Safari"_s, u"Safari Recent Web Searches"_s, path);
    QCOMPARE(f.recorder.names(),
             (QStringList{CleaningRecorder::removal, CleaningRecorder::prefsDaemon, CleaningRecorder::removal,
                          CleaningRecorder::prefsDaemon}));
    const auto written = PropertyList::fromFile(path);
    QVERIFY(written);
    QCOMPARE(written->format(), PropertyList::Format::Xml);
    QVariantMap expected = safariPrefs();
    expected.remove(u"RecentSearchStrings"_s);
    expected.remove(u"RecentWebSearches"_s);
    QCOMPARE(written->toVariant().toMap(), expected);
    // The second request set aside the copy the first one wrote.
    const auto second = PropertyList::fromFile(f.recorder.events.at(2).info.value(u"removalItemPath"_s).toString());
    QVERIFY(second && !second->contains(u"RecentSearchStrings"_s) && second->contains(u"RecentWebSearches"_s));
}

void tst_Safari::damagedPreferencesStayInPlace()
{
    Fixture f;
    const QByteArray damaged = QByteArrayLiteral("bplist00\x01\x02 truncated");
    QVERIFY(f.home.writeFile(prefsPath, damaged));
    QVERIFY(f.scannedNames().isEmpty());
    const QString path = f.home.path(prefsPath);
    for (const char *item : {"Safari Recent Searches", "Safari Recent Web Searches"}) {
        f.recorder.clear();
        postCleaningRequest(u"Safari"_s, QString::fromLatin1(item), path);
        QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
        const QVariantMap info = f.recorder.events.first().info;
        QCOMPARE(info.value(u"cleaningItemName"_s).toString(), QString::fromLatin1(item));
        QCOMPARE(info.value(u"cleaningItemPath"_s).toString(), path);
        QCOMPARE(info.value(u"didClean"_s).toBool(), false);
        QCOMPARE(FileManager::defaultManager().contentsAtPath(path).value_or(QByteArray()), damaged);
    }
    QVERIFY(FileManager::defaultManager().contentsOfDirectoryAtPath(FileController::temporaryFolderPath()).isEmpty());
}

void tst_Safari::vanishedPreferencesAreNotCleaned()
{
    Fixture f;
    const QString path = f.home.path(prefsPath);
    postCleaningRequest(u"Safari"_s, u"Safari Recent Searches"_s, path);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    QCOMPARE(f.recorder.events.first().info.value(u"didClean"_s).toBool(), false);
    QVERIFY(!QFile::exists(path));
}

QTEST_MAIN(tst_Safari)
#include "tst_safari.moc"
