// The file service on real files in a throw-away home: result rows of a scan batch, sizes and
// counts, size texts, setting items aside in the private temporary folder, the keep-list
// restore and the recent-list probes.
#include "AsNobody.h"
#include "core/FileController.h"
#include "core/records/targetItem.h"
#include "platform/FileManager.h"
#include "platform/Image.h"
#include "platform/NotificationCenter.h"
#include "support/FakeHome.h"
#include "support/ScratchDisk.h"
#include "targets/MozillaStores.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::FileManager;
using platform::decodePath;
using platform::encodePath;

namespace {

targetItemPtr candidate(const QString &path, const QString &type, const QString &classification,
                        const QString &extraInfo = QString())
{
    targetItemPtr item = targetItem::create();
    item->setTargetItemPath(path);
    item->setTargetItemType(type);
    item->setTargetItemClassification(classification);
    item->setTargetItemExtraInfo(extraInfo);
    item->setTargetItemSize(0);
    item->setTargetItemIsChecked(true);
    return item;
}

void postBatch(const QString &name, const QString &identifier, const targetItemList &targets)
{
    platform::NotificationCenter::defaultCenter().post(
        QStringLiteral("CheckTargetFiles"), nullptr,
        {{QStringLiteral("targName"), name},
         {QStringLiteral("targIdentifier"), identifier},
         {QStringLiteral("targets"), QVariant::fromValue(targets)}});
}

mode_t modeOf(const QString &path)
{
    struct stat st {};
    return lstat(encodePath(path).constData(), &st) == 0 ? (st.st_mode & 07777) : mode_t(-1);
}

// Keeps TMPDIR pointed at a folder of the test's choosing for one scope.
class TmpDirOverride
{
public:
    explicit TmpDirOverride(const QString &dir) : m_old(qgetenv("TMPDIR")) { qputenv("TMPDIR", encodePath(dir)); }
    ~TmpDirOverride() { qputenv("TMPDIR", m_old); }

private:
    QByteArray m_old;
};

dev_t deviceOf(const QString &path)
{
    struct stat st;
    return lstat(encodePath(path).constData(), &st) == 0 ? st.st_dev : dev_t(-1);
}

enum TempSetup {
    PlainFile,
    Folder,
    MissingItem,
    DanglingLink,
    LinkToFile,
    LinkToReadOnlyFile,
    ReadOnlyFile,
    ReadOnlyFolder,
    ImmutableReadOnlyFile,
    TempFolderIsLink,
    TempFolderIsFile,
    TempFolderNotOurs,
    TempFolderOpenToOthers,
};

} // namespace

class tst_FileController : public QObject
{
    Q_OBJECT

private slots:
    void convertFileSize_data();
    void convertFileSize();
    void checkFilesForTargetMakesRows();
    void checkFilesForTargetWithoutApplication();
    void checkFilesForFlashCookies();
    void fileSizeForPath_data();
    void fileSizeForPath();
    void itemCountForPath_data();
    void itemCountForPath();
    void temporaryPathForFile_data();
    void temporaryPathForFile();
    void temporaryNamesAreUnique();
    void storeGoesAsideWithItsSideFiles_data();
    void storeGoesAsideWithItsSideFiles();
    void setAsideOnTheItemsOwnDisk_data();
    void setAsideOnTheItemsOwnDisk();
    void moveFilesWithName();
    void moveFilesWithNameFromMissingFolder();
    void recentProbes_data();
    void recentProbes();
};

void tst_FileController::convertFileSize_data()
{
    QTest::addColumn<quint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("0 bytes") << 0ULL << QStringLiteral(" 4.0 KB");
    QTest::newRow("4096") << 4096ULL << QStringLiteral(" 4.0 KB");
    QTest::newRow("4097") << 4097ULL << QStringLiteral(" 4.0 KB");
    QTest::newRow("10240") << 10240ULL << QStringLiteral("10.0 KB");
    QTest::newRow("1 MiB stays KB") << 1048576ULL << QStringLiteral("1024.0 KB");
    QTest::newRow("1 MiB + 1") << 1048577ULL << QStringLiteral(" 1.0 MB");
    QTest::newRow("1.9 MB") << 2000000ULL << QStringLiteral(" 1.9 MB");
    QTest::newRow("5 GiB") << 5368709120ULL << QStringLiteral(" 5.0 GB");
    QTest::newRow("1 TiB + 1") << (1ULL << 40) + 1 << QStringLiteral(" 1.0 TB");
    QTest::newRow("1024 TiB") << (1ULL << 50) << QStringLiteral("1024.0 TB");
    QTest::newRow("beyond the last unit") << (1ULL << 52) << QStringLiteral("4096.0 TB");
    QTest::newRow("largest count") << ~0ULL << QStringLiteral("16777216.0 TB");
}

void tst_FileController::convertFileSize()
{
    QFETCH(quint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(FileController::convertFileSize(bytes), text);
}

void tst_FileController::checkFilesForTargetMakesRows()
{
    FakeHome home;
    const QString bundle = home.addApplication(QStringLiteral("com.example.Browser"), QStringLiteral("Browser"));
    QVERIFY(!bundle.isEmpty());
    QVERIFY(home.writeFile(QStringLiteral("Library/History.db"), QByteArray(5000, 'h')));
    QVERIFY(home.writeFile(QStringLiteral("Library/Caches/Browser/a/one"), QByteArray(3000, 'c')));
    QVERIFY(home.writeFile(QStringLiteral("Library/Caches/Browser/a/b/two"), QByteArray(9000, 'c')));
    QVERIFY(home.writeFile(QStringLiteral("Library/Caches/Browser/.three"), QByteArray(100, 'c')));
    QVERIFY(home.writeFile(QStringLiteral("Library/NotAFolder"), QByteArray(70000, 'n')));
    QVERIFY(home.writePlist(QStringLiteral("Library/Preferences/com.example.Browser.plist"),
                            QVariantMap{{QStringLiteral("Recent"), QVariantList{1, 2}}}));

    platform::ArrayController<resultItem> results;
    FileController files;
    files.setResultsArrayController(&results);
    results.addObject(resultItem::create()); // rows are appended after what is there

    postBatch(QStringLiteral("Browser"), QStringLiteral("com.example.Browser"),
              {candidate(home.path(QStringLiteral("Library/History.db")), QStringLiteral("Sqlite"),
                         QStringLiteral("History")),
               candidate(home.path(QStringLiteral("Library/Missing")), QStringLiteral("File"),
                         QStringLiteral("Gone")),
               candidate(home.path(QStringLiteral("Library/Caches/Browser")), QStringLiteral("Dir"),
                         QStringLiteral("Cache")),
               candidate(home.path(QStringLiteral("Library/NotAFolder")), QStringLiteral("Dir"),
                         QStringLiteral("Odd")),
               candidate(home.path(QStringLiteral("Library/Preferences/com.example.Browser.plist")),
                         QStringLiteral("Plist"), QStringLiteral("Recents"), QStringLiteral("Recent"))});

    const QList<resultItemPtr> rows = results.arrangedObjects();
    QCOMPARE(rows.size(), 5);
    struct Expected {
        QString path, type, classification, extraInfo;
        quint64 size;
    };
    const quint64 plistSize = FileManager::defaultManager()
                                  .attributesOfItemAtPath(home.path(QStringLiteral("Library/Preferences/com.example.Browser.plist")))
                                  ->size;
    const Expected expected[] = {
        {home.path(QStringLiteral("Library/History.db")), QStringLiteral("Sqlite"), QStringLiteral("History"), QString(), 5000},
        {home.path(QStringLiteral("Library/Caches/Browser")), QStringLiteral("Dir"), QStringLiteral("Cache"), QString(), 12100},
        // A "Dir" candidate that is a plain file measures nothing.
        {home.path(QStringLiteral("Library/NotAFolder")), QStringLiteral("Dir"), QStringLiteral("Odd"), QString(), 0},
        {home.path(QStringLiteral("Library/Preferences/com.example.Browser.plist")), QStringLiteral("Plist"),
         QStringLiteral("Recents"), QStringLiteral("Recent"), plistSize},
    };
    const QColor iconColor = FakeHome::iconColor(QStringLiteral("com.example.Browser"));
    for (int i = 0; i < 4; ++i) {
        const resultItemPtr &row = rows[i + 1];
        const Expected &e = expected[i];
        QCOMPARE(row->resultItemPath(), e.path);
        QCOMPARE(row->resultItemType(), e.type);
        QCOMPARE(row->resultItemName(), QStringLiteral("Browser ") + e.classification);
        QCOMPARE(row->resultItemExtraInfo(), e.extraInfo);
        QCOMPARE(row->resultItemSize(), std::optional<quint64>(e.size));
        QCOMPARE(row->resultItemConvertedSize(), FileController::convertFileSize(e.size));
        QCOMPARE(row->resultItemIsChecked(), std::optional<bool>(true));
        QVERIFY(row->resultStatus());
        QCOMPARE(row->resultStatus()->objStatus(), QStringLiteral("Waiting"));
        QCOMPARE(row->resultItemStatusText(), QStringLiteral("- Cleaning (100%)"));
        QCOMPARE(row->resultItemIdentifier(), QStringLiteral("com.example.Browser"));
        QCOMPARE(row->resultItemAppName(), QStringLiteral("Browser"));
        QVERIFY(row->resultItemImage());
        const QImage &image = *row->resultItemImage();
        QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2).rgb(), iconColor.rgb());
    }
    QCOMPARE(rows[3]->resultItemConvertedSize(), QStringLiteral(" 4.0 KB"));
    // Every row shows the very same image, and each has a status object of its own.
    QCOMPARE(rows[1]->resultItemImage(), rows[2]->resultItemImage());
    QVERIFY(rows[1]->resultStatus() != rows[2]->resultStatus());
}

void tst_FileController::checkFilesForTargetWithoutApplication()
{
    FakeHome home;
    QVERIFY(home.writeFile(QStringLiteral("Library/History.db"), QByteArray(10, 'h')));
    platform::ArrayController<resultItem> results;
    FileController files;
    files.setResultsArrayController(&results);
    postBatch(QStringLiteral("Browser"), QStringLiteral("com.example.Uninstalled"),
              {candidate(home.path(QStringLiteral("Library/History.db")), QStringLiteral("File"),
                         QStringLiteral("History"))});
    QCOMPARE(results.count(), 0);
}

void tst_FileController::checkFilesForFlashCookies()
{
    FakeHome home;
    QVERIFY(home.writeFile(QStringLiteral("Library/Preferences/Macromedia/Flash Player/#SharedObjects/x.sol"),
                           QByteArray(600, 's')));
    platform::ArrayController<resultItem> results;
    FileController files;
    files.setResultsArrayController(&results);
    postBatch(QStringLiteral("Flash Cookies"), QStringLiteral("FlashCookies"),
              {candidate(home.path(QStringLiteral("Library/Preferences/Macromedia")), QStringLiteral("Dir"),
                         QStringLiteral("Cookies"))});
    QCOMPARE(results.count(), 1);
    const resultItemPtr row = results.objectAt(0);
    QCOMPARE(row->resultItemName(), QStringLiteral("Flash Cookies Cookies"));
    QCOMPARE(row->resultItemSize(), std::optional<quint64>(600));
    QVERIFY(row->resultItemImage());
    QCOMPARE(row->resultItemImage(), platform::imageNamed(QStringLiteral("FlashCookie.icns")));
}

void tst_FileController::fileSizeForPath_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<quint64>("size");
    QTest::newRow("missing") << QStringLiteral("missing") << 0ULL;
    QTest::newRow("file") << QStringLiteral("file") << 1234ULL;
    QTest::newRow("folder tree") << QStringLiteral("folder") << 1234ULL + 4321ULL + 7ULL;
    QTest::newRow("link to folder: the link only") << QStringLiteral("link") << quint64(strlen("folder"));
    QTest::newRow("dangling link") << QStringLiteral("dangling") << 0ULL;
    QTest::newRow("sparse beyond 4 GiB") << QStringLiteral("sparse") << (5ULL << 30) + 3;
    QTest::newRow("name not UTF-8") << decodePath("\xff\xfe-dir") << 99ULL;
}

void tst_FileController::fileSizeForPath()
{
    QFETCH(QString, name);
    QFETCH(quint64, size);
    FakeHome home;
    QVERIFY(home.writeFile(QStringLiteral("t/file"), QByteArray(1234, 'f')));
    QVERIFY(home.writeFile(QStringLiteral("t/folder/a"), QByteArray(1234, 'a')));
    QVERIFY(home.writeFile(QStringLiteral("t/folder/sub/b"), QByteArray(4321, 'b')));
    QVERIFY(home.writeFile(QStringLiteral("t/folder/sub/.c"), QByteArray(7, 'c')));
    QVERIFY(QFile::link(QStringLiteral("folder"), home.path(QStringLiteral("t/link"))));
    QVERIFY(QFile::link(QStringLiteral("nowhere"), home.path(QStringLiteral("t/dangling"))));
    QVERIFY(home.writeFile(QStringLiteral("t/sparse"), {}));
    QCOMPARE(truncate(encodePath(home.path(QStringLiteral("t/sparse"))).constData(), (5LL << 30) + 3), 0);
    QVERIFY(home.writeFile(QStringLiteral("t/") + decodePath("\xff\xfe-dir/\x80\x81"), QByteArray(99, 'u')));

    FileController files;
    const QString path = home.path(QStringLiteral("t/") + name);
    QCOMPARE(files.fileSizeForPath(path), size);
    FileManager::defaultManager().removeItemAtPath(home.path(QStringLiteral("t"))); // odd names too
}

void tst_FileController::itemCountForPath_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("count");
    QTest::newRow("missing") << QStringLiteral("missing") << 0;
    QTest::newRow("single file") << QStringLiteral("n0/f0") << 0;
    QTest::newRow("empty folder") << QStringLiteral("empty") << 0;
    QTest::newRow("100 files in nested folders") << QString() << 100;
    QTest::newRow("sub-tree") << QStringLiteral("n0/n1") << 80;
}

void tst_FileController::itemCountForPath()
{
    QFETCH(QString, name);
    QFETCH(int, count);
    FakeHome home;
    // 20 files at each of five levels: n0, n0/n1, ... n0/.../n4.
    QString level = QStringLiteral("t");
    for (int depth = 0; depth < 5; ++depth) {
        level += QStringLiteral("/n%1").arg(depth);
        for (int i = 0; i < 20; ++i)
            QVERIFY(home.writeFile(level + QStringLiteral("/f%1").arg(i), QByteArray(i, 'x')));
    }
    QVERIFY(home.makeDir(QStringLiteral("t/empty")));
    FileController files;
    const QString path = name.isEmpty() ? home.path(QStringLiteral("t")) : home.path(QStringLiteral("t/") + name);
    QCOMPARE(files.itemCountForPath(path), count);
}

void tst_FileController::temporaryPathForFile_data()
{
    QTest::addColumn<int>("setup");
    QTest::addColumn<bool>("moves");
    QTest::newRow("plain file") << int(PlainFile) << true;
    QTest::newRow("folder") << int(Folder) << true;
    QTest::newRow("missing item") << int(MissingItem) << false;
    QTest::newRow("dangling link") << int(DanglingLink) << false;
    QTest::newRow("link to a file: the link moves") << int(LinkToFile) << true;
    QTest::newRow("link to a read-only file: the link moves") << int(LinkToReadOnlyFile) << true;
    QTest::newRow("read-only file becomes 0600") << int(ReadOnlyFile) << true;
    QTest::newRow("read-only folder becomes 0700") << int(ReadOnlyFolder) << true;
    QTest::newRow("immutable read-only file") << int(ImmutableReadOnlyFile) << true;
    QTest::newRow("temporary folder is a link elsewhere") << int(TempFolderIsLink) << false;
    QTest::newRow("temporary folder is a file") << int(TempFolderIsFile) << false;
    QTest::newRow("temporary folder not ours") << int(TempFolderNotOurs) << false;
    QTest::newRow("temporary folder open to others") << int(TempFolderOpenToOthers) << true;
}

void tst_FileController::temporaryPathForFile()
{
    QFETCH(int, setup);
    QFETCH(bool, moves);
    const FileManager &fm = FileManager::defaultManager();
    // A base others may pass through, so that the same layout works as nobody (made before
    // the fake home points the temporary directory into its own private folder).
    QTemporaryDir base;
    FakeHome home;
    QVERIFY(AsNobody::handOver(QFile::encodeName(base.path()).constData()));
    const QString tmp = base.path() + QStringLiteral("/tmp");
    const QString items = base.path() + QStringLiteral("/items");
    const QString elsewhere = base.path() + QStringLiteral("/elsewhere");
    TmpDirOverride tmpdir(tmp);

    std::optional<AsNobody> nobody;
    if (setup == ReadOnlyFile || setup == ReadOnlyFolder || setup == LinkToReadOnlyFile) {
        nobody.emplace();
        if (!nobody->ok())
            QSKIP("running as root without the right to become nobody: root may write anything");
    }
    QVERIFY(fm.createDirectoryAtPath(tmp, 0700) && fm.createDirectoryAtPath(items, 0755));
    QVERIFY(fm.createDirectoryAtPath(elsewhere, 0755));
    const QString folder = FileController::temporaryFolderPath();
    QCOMPARE(folder, tmp + QStringLiteral("/Nimbrel"));

    QString item = items + QStringLiteral("/item");
    const QByteArray contents("secret contents");
    switch (TempSetup(setup)) {
    case MissingItem:
        break;
    case Folder:
    case ReadOnlyFolder:
        QVERIFY(FakeHome::writeFileAt(item + QStringLiteral("/inner"), contents));
        if (setup == ReadOnlyFolder)
            QCOMPARE(chmod(encodePath(item).constData(), 0500), 0);
        break;
    case DanglingLink:
        QVERIFY(QFile::link(items + QStringLiteral("/nothing"), item));
        break;
    case LinkToFile:
    case LinkToReadOnlyFile:
        QVERIFY(FakeHome::writeFileAt(items + QStringLiteral("/target"), contents));
        QVERIFY(QFile::link(QStringLiteral("target"), item));
        if (setup == LinkToReadOnlyFile)
            QCOMPARE(chmod(encodePath(items + QStringLiteral("/target")).constData(), 0400), 0);
        break;
    case TempFolderIsLink:
        QVERIFY(QFile::link(elsewhere, folder));
        QVERIFY(FakeHome::writeFileAt(item, contents));
        break;
    case TempFolderIsFile:
        QVERIFY(FakeHome::writeFileAt(folder, "a file"));
        QVERIFY(FakeHome::writeFileAt(item, contents));
        break;
    case TempFolderNotOurs:
        if (geteuid() != 0)
            QSKIP("only root can make a folder that belongs to someone else");
        QVERIFY(fm.createDirectoryAtPath(folder, 0700));
        QCOMPARE(chown(encodePath(folder).constData(), AsNobody::uid, AsNobody::gid), 0);
        QVERIFY(FakeHome::writeFileAt(item, contents));
        break;
    case TempFolderOpenToOthers:
        QVERIFY(fm.createDirectoryAtPath(folder));
        QCOMPARE(chmod(encodePath(folder).constData(), 0777), 0);
        QVERIFY(FakeHome::writeFileAt(item, contents));
        break;
    case ImmutableReadOnlyFile:
        QVERIFY(FakeHome::writeFileAt(item, contents));
        QCOMPARE(chmod(encodePath(item).constData(), 0400), 0);
        if (!fm.setImmutable(item, true) || !fm.attributesOfItemAtPath(item)->immutable)
            QSKIP("the immutable flag cannot be set here (file system or privileges)");
        break;
    case PlainFile:
    case ReadOnlyFile:
        QVERIFY(FakeHome::writeFileAt(item, contents));
        if (setup == ReadOnlyFile)
            QCOMPARE(chmod(encodePath(item).constData(), 0400), 0);
        break;
    }
    const bool existedBefore = fm.attributesOfItemAtPath(item).has_value();

    FileController files;
    const QString moved = files.temporaryPathForFile(item);

    if (!moves) {
        QVERIFY(moved.isEmpty());
        QCOMPARE(fm.attributesOfItemAtPath(item).has_value(), existedBefore); // left in place
        QVERIFY(fm.contentsOfDirectoryAtPath(elsewhere).isEmpty());
        return;
    }
    QVERIFY(!moved.isEmpty());
    QCOMPARE(moved.section(QLatin1Char('/'), 0, -2), folder);
    QVERIFY(!moved.section(QLatin1Char('/'), -1).isEmpty());
    QVERIFY(!fm.attributesOfItemAtPath(item));
    const auto attributes = fm.attributesOfItemAtPath(moved);
    QVERIFY(attributes);
    QCOMPARE(modeOf(folder), mode_t(0700));
    QVERIFY(!attributes->immutable);

    switch (TempSetup(setup)) {
    case Folder:
        QCOMPARE(fm.contentsAtPath(moved + QStringLiteral("/inner")).value_or(QByteArray()), contents);
        break;
    case ReadOnlyFolder:
        QCOMPARE(modeOf(moved), mode_t(0700));
        QCOMPARE(fm.contentsAtPath(moved + QStringLiteral("/inner")).value_or(QByteArray()), contents);
        break;
    case ReadOnlyFile:
        QCOMPARE(modeOf(moved), mode_t(0600));
        QCOMPARE(fm.contentsAtPath(moved).value_or(QByteArray()), contents);
        break;
    case LinkToFile:
    case LinkToReadOnlyFile:
        QVERIFY(attributes->isSymbolicLink);
        QCOMPARE(fm.contentsAtPath(items + QStringLiteral("/target")).value_or(QByteArray()), contents);
        QCOMPARE(modeOf(items + QStringLiteral("/target")), mode_t(setup == LinkToFile ? 0644 : 0400));
        break;
    default:
        QCOMPARE(fm.contentsAtPath(moved).value_or(QByteArray()), contents);
        break;
    }
}

void tst_FileController::setAsideOnTheItemsOwnDisk_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<bool>("moves");
    QTest::newRow("temporary folder on another disk") << "tmp elsewhere" << true;
    QTest::newRow("item on another disk") << "item elsewhere" << true;
    QTest::newRow("item on a read-only disk") << "read-only" << false;
}

void tst_FileController::setAsideOnTheItemsOwnDisk()
{
    QFETCH(QString, layout);
    QFETCH(bool, moves);
    FakeHome home;
    ScratchDisk disk(home.path(QStringLiteral("disk")));
    if (!disk.mounted())
        QSKIP("no second file system: mounting a tmpfs needs privileges this run lacks");
    const FileManager &fm = FileManager::defaultManager();
    const QString diskPath = home.path(QStringLiteral("disk"));
    std::optional<TmpDirOverride> tmpdir;
    QString item = home.path(QStringLiteral("Library/Caches/item"));
    if (layout == "tmp elsewhere") {
        QVERIFY(fm.createDirectoryAtPath(diskPath + QStringLiteral("/tmp"), 0700));
        tmpdir.emplace(diskPath + QStringLiteral("/tmp"));
    } else {
        item = diskPath + QStringLiteral("/Caches/item");
    }
    QVERIFY(FakeHome::writeFileAt(item + QStringLiteral("/inner"), "contents"));
    const dev_t itemDisk = deviceOf(item);
    if (layout == "read-only" && !disk.makeReadOnly())
        QSKIP("the scratch disk cannot be made read-only here");

    const QString moved = FileController().temporaryPathForFile(item);
    QCOMPARE(!moved.isEmpty(), moves);
    if (!moves) {
        // Refused before anything was touched: no copy anywhere, the item as it was.
        QCOMPARE(fm.contentsAtPath(item + QStringLiteral("/inner")).value_or(QByteArray()), QByteArray("contents"));
        QVERIFY(!fm.fileExistsAtPath(FileController::temporaryFolderPath())
                || fm.contentsOfDirectoryAtPath(FileController::temporaryFolderPath()).isEmpty());
        return;
    }
    // A rename on the item's own disk, into a private folder there.
    QCOMPARE(deviceOf(moved), itemDisk);
    QVERIFY(!fm.attributesOfItemAtPath(item));
    QCOMPARE(fm.contentsAtPath(moved + QStringLiteral("/inner")).value_or(QByteArray()), QByteArray("contents"));
    QCOMPARE(modeOf(moved.section(QLatin1Char('/'), 0, -2)), mode_t(0700));
    QVERIFY(!moved.startsWith(FileController::temporaryFolderPath()));
}

void tst_FileController::temporaryNamesAreUnique()
{
    FakeHome home;
    QVERIFY(home.writeFile(QStringLiteral("one"), "1"));
    QVERIFY(home.writeFile(QStringLiteral("two"), "2"));
    QVERIFY(FakeHome::writeFileAt(FileController::temporaryFolderPath() + QStringLiteral("/earlier"), "e"));
    FileController files;
    const QString first = files.temporaryPathForFile(home.path(QStringLiteral("one")));
    const QString second = files.temporaryPathForFile(home.path(QStringLiteral("two")));
    QVERIFY(!first.isEmpty() && !second.isEmpty() && first != second);
    const FileManager &fm = FileManager::defaultManager();
    QCOMPARE(fm.contentsAtPath(first).value_or(QByteArray()), QByteArray("1"));
    QCOMPARE(fm.contentsAtPath(second).value_or(QByteArray()), QByteArray("2"));
    QCOMPARE(fm.contentsAtPath(FileController::temporaryFolderPath() + QStringLiteral("/earlier"))
                 .value_or(QByteArray()),
             QByteArray("e"));
}

void tst_FileController::storeGoesAsideWithItsSideFiles_data()
{
    QTest::addColumn<QStringList>("sides"); // beside the store besides its live -wal
    QTest::addColumn<bool>("withWal");
    QTest::addColumn<bool>("asideUsable");
    QTest::newRow("store alone") << QStringList{} << false << true;
    QTest::newRow("live -wal and its -shm") << QStringList{"-shm"} << true << true;
    QTest::newRow("hot -journal") << QStringList{"-journal"} << false << true;
    QTest::newRow("no private folder to set it aside in") << QStringList{"-shm"} << true << false;
}

// A store moved whole takes the side files SQLite keeps beside it: its rows may live in the
// -wal alone, and a -wal or -journal left behind would be read by the next store of that name.
void tst_FileController::storeGoesAsideWithItsSideFiles()
{
    QFETCH(QStringList, sides);
    QFETCH(bool, withWal);
    QFETCH(bool, asideUsable);
    FakeHome home;
    const QString store = home.path(QStringLiteral("Profile/webappsstore.sqlite"));
    const QString schema = QStringLiteral("CREATE TABLE webappsstore2 (originKey TEXT, key TEXT, value TEXT);");
    const QString rows = QStringLiteral("INSERT INTO webappsstore2 VALUES ('gro.elpmaxe.:https:443', 'k', 'v-secret');");
    if (withWal) {
        QVERIFY(mozstores::writeWithWal(store, home.path(QStringLiteral("staging/s.sqlite")), schema, rows));
        sides.prepend(QStringLiteral("-wal"));
    } else {
        QVERIFY(mozstores::run(store, schema + rows));
    }
    for (const QString &suffix : std::as_const(sides)) {
        if (suffix != QLatin1String("-wal"))
            QVERIFY(FakeHome::writeFileAt(store + suffix, QByteArray(4096, 's')));
    }
    if (!asideUsable)
        QVERIFY(FakeHome::writeFileAt(FileController::temporaryFolderPath(), "a file"));
    const QStringList names = QStringList{QString()} + sides;
    QMap<QString, QByteArray> before;
    for (const QString &suffix : names)
        before.insert(suffix, FileManager::defaultManager().contentsAtPath(store + suffix).value_or(QByteArray()));

    const QString moved = FileController().temporaryPathForStore(store);

    if (!asideUsable) {
        QVERIFY(moved.isEmpty());
        for (const QString &suffix : names)
            QCOMPARE(FileManager::defaultManager().contentsAtPath(store + suffix).value_or(QByteArray()), before.value(suffix));
        return;
    }
    QCOMPARE(QFileInfo(moved).absolutePath(), FileController::temporaryFolderPath());
    for (const QString &suffix : names)
        QVERIFY2(!QFileInfo::exists(store + suffix), qPrintable(suffix));
    if (sides.isEmpty()) {
        QCOMPARE(FileManager::defaultManager().contentsAtPath(moved).value_or(QByteArray()), before.value(QString()));
        return;
    }
    // One item: a private folder holding the store and its side files under their own names.
    QCOMPARE(FileManager::defaultManager().attributesOfItemAtPath(moved)->permissions, mode_t(0700));
    QStringList inside = FileManager::defaultManager().contentsOfDirectoryAtPath(moved);
    inside.sort();
    QStringList expected;
    for (const QString &suffix : names)
        expected.append(QStringLiteral("webappsstore.sqlite") + suffix);
    expected.sort();
    QCOMPARE(inside, expected);
    for (const QString &suffix : names)
        QCOMPARE(FileManager::defaultManager().contentsAtPath(moved + QStringLiteral("/webappsstore.sqlite") + suffix).value_or(QByteArray()),
                 before.value(suffix));
}

void tst_FileController::moveFilesWithName()
{
    FakeHome home;
    const QString aside = home.path(QStringLiteral("aside"));
    const QString back = home.path(QStringLiteral("Local Storage"));
    QVERIFY(home.writeFile(QStringLiteral("aside/keep1"), "k1"));
    QVERIFY(home.writeFile(QStringLiteral("aside/keepdir/inner"), "in"));
    QVERIFY(home.writeFile(QStringLiteral("aside/other1/keep2"), "k2"));
    QVERIFY(home.writeFile(QStringLiteral("aside/keep3"), "new"));
    QVERIFY(home.writeFile(QStringLiteral("Local Storage/keep3"), "old"));

    FileController files;
    files.moveFilesWithName(QStringLiteral("keep"), aside, back);

    const FileManager &fm = FileManager::defaultManager();
    QCOMPARE(fm.contentsAtPath(back + QStringLiteral("/keep1")).value_or(QByteArray()), QByteArray("k1"));
    QCOMPARE(fm.contentsAtPath(back + QStringLiteral("/keepdir/inner")).value_or(QByteArray()), QByteArray("in"));
    QVERIFY(fm.fileExistsAtPath(aside + QStringLiteral("/other1/keep2")));
    QVERIFY(!fm.fileExistsAtPath(back + QStringLiteral("/keep2")));
    QVERIFY(!fm.fileExistsAtPath(back + QStringLiteral("/other1")));
    // Never replaces: the entry already there stays, the one set aside stays aside.
    QCOMPARE(fm.contentsAtPath(back + QStringLiteral("/keep3")).value_or(QByteArray()), QByteArray("old"));
    QCOMPARE(fm.contentsAtPath(aside + QStringLiteral("/keep3")).value_or(QByteArray()), QByteArray("new"));
}

void tst_FileController::moveFilesWithNameFromMissingFolder()
{
    FakeHome home;
    const QString back = home.path(QStringLiteral("Local Storage"));
    FileController files;
    files.moveFilesWithName(QStringLiteral("keep"), home.path(QStringLiteral("gone")), back);
    QVERIFY(!QFileInfo::exists(back));

    // The destination comes back when it is missing.
    QVERIFY(home.writeFile(QStringLiteral("aside/keep1"), "k1"));
    files.moveFilesWithName(QStringLiteral("keep"), home.path(QStringLiteral("aside")), back);
    QVERIFY(QFileInfo(back).isDir());
    QVERIFY(QFileInfo::exists(back + QStringLiteral("/keep1")));
}

void tst_FileController::recentProbes_data()
{
    QTest::addColumn<QVariant>("contents"); // a property list, a QByteArray of raw bytes, or nothing
    QTest::addColumn<bool>("xml");
    QTest::addColumn<bool>("urls");
    QTest::addColumn<bool>("documents");

    const QString urlsKey = QStringLiteral("MGRecentURLPropertyLists");
    const QVariantMap withDocs{{QStringLiteral("RecentDocuments"),
                                QVariantMap{{QStringLiteral("CustomListItems"), QVariantList{QVariantMap{}}}}}};
    QTest::newRow("missing file") << QVariant() << false << false << false;
    QTest::newRow("garbage") << QVariant(QByteArray("bplist00 but not really")) << false << false << false;
    QTest::newRow("one recent URL") << QVariant(QVariantMap{{urlsKey, QVariantList{QByteArray("x")}}}) << false
                                    << true << false;
    QTest::newRow("one recent URL, XML") << QVariant(QVariantMap{{urlsKey, QVariantList{QByteArray("x")}}}) << true
                                         << true << false;
    QTest::newRow("empty URL list") << QVariant(QVariantMap{{urlsKey, QVariantList{}}}) << false << false << false;
    QTest::newRow("URL value is a string") << QVariant(QVariantMap{{urlsKey, QStringLiteral("abc")}}) << false
                                           << false << false;
    QTest::newRow("one recent document") << QVariant(withDocs) << false << false << true;
    QTest::newRow("documents not a dictionary")
        << QVariant(QVariantMap{{QStringLiteral("RecentDocuments"), QStringLiteral("x")}}) << false << false << false;
    QTest::newRow("empty document list")
        << QVariant(QVariantMap{{QStringLiteral("RecentDocuments"),
                                 QVariantMap{{QStringLiteral("CustomListItems"), QVariantList{}}}}})
        << false << false << false;
    QTest::newRow("top level is an array") << QVariant(QVariantList{1, 2}) << false << false << false;
}

void tst_FileController::recentProbes()
{
    QFETCH(QVariant, contents);
    QFETCH(bool, xml);
    QFETCH(bool, urls);
    QFETCH(bool, documents);
    FakeHome home;
    const QString rel = QStringLiteral("Library/Preferences/list.plist");
    if (contents.typeId() == QMetaType::QByteArray)
        QVERIFY(home.writeFile(rel, contents.toByteArray()));
    else if (contents.isValid())
        QVERIFY(home.writePlist(rel, contents, xml ? platform::PropertyList::Format::Xml
                                                   : platform::PropertyList::Format::Binary));
    FileController files;
    QCOMPARE(files.recentURLsExistAtPath(home.path(rel)), urls);
    QCOMPARE(files.recentDocumentsExistAtPath(home.path(rel)), documents);
}

QTEST_MAIN(tst_FileController)
#include "tst_filecontroller.moc"
