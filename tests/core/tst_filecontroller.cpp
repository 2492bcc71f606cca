// The file service on real files in a throw-away home: result rows of a scan batch, sizes and
// counts, size texts, setting items aside in the private temporary folder, the keep-list
// restore and the recent-list probes.
#include "AsNobody.h"
#include "core/FileController.h"
#include "core/Keys.h"
#include "core/TemporaryFolder.h"
#include "core/records/targetItem.h"
#include "platform/files/FileManager.h"
#include "platform/system/Image.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/UserDefaults.h"
#include "support/CiSkip.h"
#include "support/FakeHome.h"
#include "support/ScratchDisk.h"
#include "targets/MozillaStores.h"

#include <QtTest>

#include <atomic>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

using platform::decodePath;
using platform::encodePath;
using platform::FileManager;

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
        keys::CheckTargetFiles, nullptr,
        {{keys::TargName, name}, {keys::TargIdentifier, identifier}, {keys::Targets, QVariant::fromValue(targets)}});
}

mode_t modeOf(const QString &path)
{
    struct stat st
    {};
    return lstat(encodePath(path).constData(), &st) == 0 ? (st.st_mode & 07777) : mode_t(-1);
}

// Keeps TMPDIR pointed at a folder of the test's choosing for one scope.
class TmpDirOverride
{
public:
    explicit TmpDirOverride(const QString &dir)
        : m_old(qgetenv("TMPDIR"))
    {
        qputenv("TMPDIR", encodePath(dir));
    }
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
    TmpDirWritableByOthers,
    TmpDirSticky,
    TmpDirOfAnotherUser,
    FolderHoldingRootsFolder,
    StickyFolderHoldingRootsFile,
    SecureFolderHoldingRootsFile,
    FolderHoldingImmutableFile,
    FolderHoldingMount,
    OthersFolderInTmpDir,
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
    void setAsideGoesIntoTheCheckedFolder();
    void temporaryDirectoryResolvedOnce();
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
    QTest::newRow("0 bytes") << 0ULL << u" 4.0 KB"_s;
    QTest::newRow("4096") << 4096ULL << u" 4.0 KB"_s;
    QTest::newRow("4097") << 4097ULL << u" 4.0 KB"_s;
    QTest::newRow("10240") << 10240ULL << u"10.0 KB"_s;
    QTest::newRow("1 MiB stays KB") << 1048576ULL << u"1024.0 KB"_s;
    QTest::newRow("1 MiB + 1") << 1048577ULL << u" 1.0 MB"_s;
    QTest::newRow("1.9 MB") << 2000000ULL << u" 1.9 MB"_s;
    QTest::newRow("5 GiB") << 5368709120ULL << u" 5.0 GB"_s;
    QTest::newRow("1 TiB + 1") << (1ULL << 40) + 1 << u" 1.0 TB"_s;
    QTest::newRow("1024 TiB") << (1ULL << 50) << u"1024.0 TB"_s;
    QTest::newRow("beyond the last unit") << (1ULL << 52) << u"4096.0 TB"_s;
    QTest::newRow("largest count") << ~0ULL << u"16777216.0 TB"_s;
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
    const QString bundle = home.addApplication(u"com.example.Browser"_s, u"Browser"_s);
    QVERIFY(!bundle.isEmpty());
    QVERIFY(home.writeFile(u"Library/History.db"_s, QByteArray(5000, 'h')));
    QVERIFY(home.writeFile(u"Library/Caches/Browser/a/one"_s, QByteArray(3000, 'c')));
    QVERIFY(home.writeFile(u"Library/Caches/Browser/a/b/two"_s, QByteArray(9000, 'c')));
    QVERIFY(home.writeFile(u"Library/Caches/Browser/.three"_s, QByteArray(100, 'c')));
    QVERIFY(home.writeFile(u"Library/NotAFolder"_s, QByteArray(70000, 'n')));
    QVERIFY(home.writePlist(u"Library/Preferences/com.example.Browser.plist"_s,
                            QVariantMap{{u"Recent"_s, QVariantList{1, 2}}}));

    platform::ArrayController<resultItem> results;
    FileController files;
    files.setResultsArrayController(&results);
    results.addObject(resultItem::create()); // rows are appended after what is there

    postBatch(u"Browser"_s, u"com.example.Browser"_s,
              {candidate(home.path(u"Library/History.db"_s), u"Sqlite"_s, u"History"_s),
               candidate(home.path(u"Library/Missing"_s), u"File"_s, u"Gone"_s),
               candidate(home.path(u"Library/Caches/Browser"_s), u"Dir"_s, u"Cache"_s),
               candidate(home.path(u"Library/NotAFolder"_s), u"Dir"_s, u"Odd"_s),
               candidate(home.path(u"Library/Preferences/com.example.Browser.plist"_s), u"Plist"_s, u"Recents"_s,
                         u"Recent"_s)});

    const QList<resultItemPtr> rows = results.arrangedObjects();
    QCOMPARE(rows.size(), 5);
    struct Expected
    {
        QString path, type, classification, extraInfo;
        quint64 size;
    };
    const quint64 plistSize = FileManager::defaultManager()
                                  .attributesOfItemAtPath(home.path(u"Library/Preferences/com.example.Browser.plist"_s))
                                  ->size;
    const Expected expected[] = {
        {home.path(u"Library/History.db"_s), u"Sqlite"_s, u"History"_s, QString(), 5000},
        {home.path(u"Library/Caches/Browser"_s), u"Dir"_s, u"Cache"_s, QString(), 12100},
        // A "Dir" candidate that is a plain file measures nothing.
        {home.path(u"Library/NotAFolder"_s), u"Dir"_s, u"Odd"_s, QString(), 0},
        {home.path(u"Library/Preferences/com.example.Browser.plist"_s), u"Plist"_s, u"Recents"_s, u"Recent"_s,
         plistSize},
    };
    const QColor iconColor = FakeHome::iconColor(u"com.example.Browser"_s);
    for (int i = 0; i < 4; ++i) {
        const resultItemPtr &row = rows[i + 1];
        const Expected &e = expected[i];
        QCOMPARE(row->resultItemPath(), e.path);
        QCOMPARE(row->resultItemType(), e.type);
        QCOMPARE(row->resultItemName(), u"Browser "_s + e.classification);
        QCOMPARE(row->resultItemExtraInfo(), e.extraInfo);
        QCOMPARE(row->resultItemSize(), std::optional<quint64>(e.size));
        QCOMPARE(row->resultItemConvertedSize(), FileController::convertFileSize(e.size));
        QCOMPARE(row->resultItemIsChecked(), std::optional<bool>(true));
        QVERIFY(row->resultStatus());
        QCOMPARE(row->resultStatus()->objStatus(), u"Waiting"_s);
        QCOMPARE(row->resultItemStatusText(), u"- Cleaning (100%)"_s);
        QCOMPARE(row->resultItemIdentifier(), u"com.example.Browser"_s);
        QCOMPARE(row->resultItemAppName(), u"Browser"_s);
        QVERIFY(row->resultItemImage());
        const QImage &image = *row->resultItemImage();
        QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2).rgb(), iconColor.rgb());
    }
    QCOMPARE(rows[3]->resultItemConvertedSize(), u" 4.0 KB"_s);
    // Every row shows the very same image, and each has a status object of its own.
    QCOMPARE(rows[1]->resultItemImage(), rows[2]->resultItemImage());
    QVERIFY(rows[1]->resultStatus() != rows[2]->resultStatus());
}

void tst_FileController::checkFilesForTargetWithoutApplication()
{
    FakeHome home;
    QVERIFY(home.writeFile(u"Library/History.db"_s, QByteArray(10, 'h')));
    platform::ArrayController<resultItem> results;
    FileController files;
    files.setResultsArrayController(&results);
    postBatch(u"Browser"_s, u"com.example.Uninstalled"_s,
              {candidate(home.path(u"Library/History.db"_s), u"File"_s, u"History"_s)});
    QCOMPARE(results.count(), 0);
}

void tst_FileController::checkFilesForFlashCookies()
{
    FakeHome home;
    QVERIFY(
        home.writeFile(u"Library/Preferences/Macromedia/Flash Player/#SharedObjects/x.sol"_s, QByteArray(600, 's')));
    platform::ArrayController<resultItem> results;
    FileController files;
    files.setResultsArrayController(&results);
    postBatch(u"Flash Cookies"_s, u"FlashCookies"_s,
              {candidate(home.path(u"Library/Preferences/Macromedia"_s), u"Dir"_s, u"Cookies"_s)});
    QCOMPARE(results.count(), 1);
    const resultItemPtr row = results.objectAt(0);
    QCOMPARE(row->resultItemName(), u"Flash Cookies Cookies"_s);
    QCOMPARE(row->resultItemSize(), std::optional<quint64>(600));
    QVERIFY(row->resultItemImage());
    QCOMPARE(row->resultItemImage(), platform::imageNamed(u"FlashCookie.icns"_s));
}

void tst_FileController::fileSizeForPath_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<quint64>("size");
    QTest::newRow("missing") << u"missing"_s << 0ULL;
    QTest::newRow("file") << u"file"_s << 1234ULL;
    QTest::newRow("folder tree") << u"folder"_s << 1234ULL + 4321ULL + 7ULL;
    QTest::newRow("link to folder: the link only") << u"link"_s << quint64(strlen("folder"));
    QTest::newRow("dangling link") << u"dangling"_s << 0ULL;
    QTest::newRow("sparse beyond 4 GiB") << u"sparse"_s << (5ULL << 30) + 3;
    QTest::newRow("name not UTF-8") << decodePath("\xff\xfe-dir") << 99ULL;
}

void tst_FileController::fileSizeForPath()
{
    QFETCH(QString, name);
    QFETCH(quint64, size);
    FakeHome home;
    QVERIFY(home.writeFile(u"t/file"_s, QByteArray(1234, 'f')));
    QVERIFY(home.writeFile(u"t/folder/a"_s, QByteArray(1234, 'a')));
    QVERIFY(home.writeFile(u"t/folder/sub/b"_s, QByteArray(4321, 'b')));
    QVERIFY(home.writeFile(u"t/folder/sub/.c"_s, QByteArray(7, 'c')));
    QVERIFY(QFile::link(u"folder"_s, home.path(u"t/link"_s)));
    QVERIFY(QFile::link(u"nowhere"_s, home.path(u"t/dangling"_s)));
    QVERIFY(home.writeFile(u"t/sparse"_s, {}));
    QCOMPARE(truncate(encodePath(home.path(u"t/sparse"_s)).constData(), (5LL << 30) + 3), 0);
    QVERIFY(home.writeFile(u"t/"_s + decodePath("\xff\xfe-dir/\x80\x81"), QByteArray(99, 'u')));

    FileController files;
    const QString path = home.path(u"t/"_s + name);
    QCOMPARE(files.fileSizeForPath(path), size);
    FileManager::defaultManager().removeItemAtPath(home.path(u"t"_s)); // odd names too
}

void tst_FileController::itemCountForPath_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("count");
    QTest::newRow("missing") << u"missing"_s << 0;
    QTest::newRow("single file") << u"n0/f0"_s << 0;
    QTest::newRow("empty folder") << u"empty"_s << 0;
    QTest::newRow("100 files in nested folders") << QString() << 100;
    QTest::newRow("sub-tree") << u"n0/n1"_s << 80;
}

void tst_FileController::itemCountForPath()
{
    QFETCH(QString, name);
    QFETCH(int, count);
    FakeHome home;
    // 20 files at each of five levels: n0, n0/n1, ... n0/.../n4.
    QString level = u"t"_s;
    for (int depth = 0; depth < 5; ++depth) {
        level += u"/n%1"_s.arg(depth);
        for (int i = 0; i < 20; ++i)
            QVERIFY(home.writeFile(level + u"/f%1"_s.arg(i), QByteArray(i, 'x')));
    }
    QVERIFY(home.makeDir(u"t/empty"_s));
    FileController files;
    const QString path = name.isEmpty() ? home.path(u"t"_s) : home.path(u"t/"_s + name);
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
    QTest::newRow("TMPDIR others may write: the home's own is used") << int(TmpDirWritableByOthers) << true;
    QTest::newRow("TMPDIR others may write, sticky") << int(TmpDirSticky) << true;
    QTest::newRow("TMPDIR sticky, another user's: the home's own is used") << int(TmpDirOfAnotherUser) << true;
    QTest::newRow("a folder of root's inside stays in place") << int(FolderHoldingRootsFolder) << false;
    QTest::newRow("a file of root's in a sticky folder inside stays in place")
        << int(StickyFolderHoldingRootsFile) << false;
    QTest::newRow("secure removal on, a file of root's inside stays in place")
        << int(SecureFolderHoldingRootsFile) << false;
    QTest::newRow("an immutable file inside stays in place") << int(FolderHoldingImmutableFile) << false;
    QTest::newRow("a folder holding a mount point stays in place") << int(FolderHoldingMount) << false;
    QTest::newRow("someone's full folder named as ours is not used") << int(OthersFolderInTmpDir) << false;
}

void tst_FileController::temporaryPathForFile()
{
    QFETCH(int, setup);
    QFETCH(bool, moves);
    const FileManager &fm = FileManager::defaultManager();
    // A base others may pass through, so that the same layout works as nobody (made before
    // the fake home points the temporary directory into its own private folder); handed to
    // nobody only for the rows that run as nobody, as a folder of another user's on the way
    // is no place for root's set-aside folder.
    QTemporaryDir base;
    FakeHome home;
    const bool asNobody = setup == ReadOnlyFile || setup == ReadOnlyFolder || setup == LinkToReadOnlyFile
        || setup == FolderHoldingRootsFolder || setup == StickyFolderHoldingRootsFile
        || setup == SecureFolderHoldingRootsFile;
    if (asNobody)
        QVERIFY(AsNobody::handOver(QFile::encodeName(base.path()).constData()));
    const QString tmp = base.path() + u"/tmp"_s;
    const QString items = base.path() + u"/items"_s;
    const QString elsewhere = base.path() + u"/elsewhere"_s;
    TmpDirOverride tmpdir(tmp);

    QString item = items + u"/item"_s;
    const QByteArray contents("secret contents");
    const bool rootsInside = setup == FolderHoldingRootsFolder || setup == StickyFolderHoldingRootsFile
        || setup == SecureFolderHoldingRootsFile;
    if (rootsInside) {
        // As after a browser ran once as root: an entry of root's inside the user's cache. In
        // a folder open to all but with the sticky bit, only its owner may remove it; and a
        // file the user may remove but not write cannot be overwritten first.
        if (geteuid() != 0)
            SKIP_OR_FAIL_IN_CI("only root can leave an entry of its own in the user's cache");
        QVERIFY(FakeHome::writeFileAt(item + u"/mine"_s, contents));
        const QString roots = setup == FolderHoldingRootsFolder ? u"/roots/inner"_s
            : setup == StickyFolderHoldingRootsFile             ? u"/shared/roots"_s
                                                                : u"/roots"_s;
        QVERIFY(FakeHome::writeFileAt(item + roots, contents));
        if (setup == StickyFolderHoldingRootsFile)
            QCOMPARE(chmod(encodePath(item + u"/shared"_s).constData(), 01777), 0);
        if (setup == SecureFolderHoldingRootsFile)
            platform::UserDefaults::standardUserDefaults().setBool(true, u"enableSecureDelete"_s);
        for (const QString &own : {items, item, item + u"/mine"_s})
            QCOMPARE(chown(encodePath(own).constData(), AsNobody::uid, AsNobody::gid), 0);
    }
    std::optional<AsNobody> nobody;
    if (asNobody) {
        nobody.emplace();
        if (!nobody->ok())
            SKIP_OR_FAIL_IN_CI("running as root without the right to become nobody: root may write anything");
    }
    QVERIFY(fm.createDirectoryAtPath(tmp, 0700) && (fm.createDirectoryAtPath(items, 0755) || rootsInside));
    QVERIFY(fm.createDirectoryAtPath(elsewhere, 0755));
    if (setup == TmpDirWritableByOthers || setup == TmpDirSticky || setup == TmpDirOfAnotherUser)
        QCOMPARE(chmod(encodePath(tmp).constData(), setup == TmpDirWritableByOthers ? 0777 : 01777), 0);
    if (setup == TmpDirOfAnotherUser) {
        // The sticky bit keeps others from renaming what the user puts there, but never the
        // folder's owner.
        if (geteuid() != 0)
            SKIP_OR_FAIL_IN_CI("only root can give the temporary directory to another user");
        QCOMPARE(chown(encodePath(tmp).constData(), AsNobody::uid, AsNobody::gid), 0);
    }
    const QString folder = FileController::temporaryFolderPath();
    const bool homesOwn = setup == TmpDirWritableByOthers || setup == TmpDirOfAnotherUser;
    QCOMPARE(folder, homesOwn ? home.path(u".nimbrel-tmp/Nimbrel"_s) : tmp + u"/Nimbrel"_s);

    std::optional<ScratchDisk> disk;
    switch (TempSetup(setup)) {
    case MissingItem:
        break;
    case Folder:
    case ReadOnlyFolder:
        QVERIFY(FakeHome::writeFileAt(item + u"/inner"_s, contents));
        if (setup == ReadOnlyFolder)
            QCOMPARE(chmod(encodePath(item).constData(), 0500), 0);
        break;
    case DanglingLink:
        QVERIFY(QFile::link(items + u"/nothing"_s, item));
        break;
    case LinkToFile:
    case LinkToReadOnlyFile:
        QVERIFY(FakeHome::writeFileAt(items + u"/target"_s, contents));
        QVERIFY(QFile::link(u"target"_s, item));
        if (setup == LinkToReadOnlyFile)
            QCOMPARE(chmod(encodePath(items + u"/target"_s).constData(), 0400), 0);
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
            SKIP_OR_FAIL_IN_CI("only root can make a folder that belongs to someone else");
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
            SKIP_OR_FAIL_IN_CI("the immutable flag cannot be set here (file system or privileges)");
        break;
    case FolderHoldingRootsFolder:
    case StickyFolderHoldingRootsFile:
    case SecureFolderHoldingRootsFile:
        break;
    case FolderHoldingImmutableFile:
        QVERIFY(FakeHome::writeFileAt(item + u"/mine"_s, contents));
        QVERIFY(FakeHome::writeFileAt(item + u"/fixed"_s, contents));
        if (!fm.setImmutable(item + u"/fixed"_s, true) || !fm.attributesOfItemAtPath(item + u"/fixed"_s)->immutable)
            SKIP_OR_FAIL_IN_CI("the immutable flag cannot be set here (file system or privileges)");
        break;
    case FolderHoldingMount:
        // Another file system mounted inside a cache is not the user's to set aside with it.
        QVERIFY(FakeHome::writeFileAt(item + u"/mine"_s, contents));
        disk.emplace(item + u"/mounted"_s);
        if (!disk->mounted())
            SKIP_OR_FAIL_IN_CI("mounting needs the superuser's right to mount here");
        QVERIFY(FakeHome::writeFileAt(item + u"/mounted/precious"_s, contents));
        break;
    case OthersFolderInTmpDir:
        QVERIFY(FakeHome::writeFileAt(folder + u"/thesis.tex"_s, "work"));
        QCOMPARE(chmod(encodePath(folder).constData(), 0755), 0);
        QVERIFY(FakeHome::writeFileAt(item, contents));
        break;
    case PlainFile:
    case ReadOnlyFile:
    case TmpDirWritableByOthers:
    case TmpDirSticky:
    case TmpDirOfAnotherUser:
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
        if (rootsInside || setup == FolderHoldingImmutableFile) {
            // Whole: nothing of it emptied, nothing of it opened up.
            QCOMPARE(fm.contentsAtPath(item + u"/mine"_s).value_or(QByteArray()), contents);
            QCOMPARE(modeOf(item), mode_t(0755));
            QCOMPARE(fm.contentsOfDirectoryAtPath(folder).filter(QRegularExpression(u"^[^.]"_s)), QStringList());
        }
        if (setup == FolderHoldingImmutableFile)
            QVERIFY(fm.setImmutable(item + u"/fixed"_s, false));
        if (setup == OthersFolderInTmpDir)
            QCOMPARE(fm.contentsOfDirectoryAtPath(folder), QStringList{u"thesis.tex"_s});
        if (setup == FolderHoldingMount)
            QCOMPARE(fm.contentsAtPath(item + u"/mounted/precious"_s).value_or(QByteArray()), contents);
        return;
    }
    QVERIFY(!moved.isEmpty());
    QCOMPARE(moved.section(QLatin1Char('/'), 0, -2), folder);
    QVERIFY(!moved.section(QLatin1Char('/'), -1).isEmpty());
    QVERIFY(!fm.attributesOfItemAtPath(item));
    // Nothing ever lands in a folder others may change.
    QCOMPARE(fm.contentsOfDirectoryAtPath(tmp).contains(u"Nimbrel"_s), !homesOwn);
    const auto attributes = fm.attributesOfItemAtPath(moved);
    QVERIFY(attributes);
    QCOMPARE(modeOf(folder), mode_t(0700));
    QVERIFY(!attributes->immutable);

    switch (TempSetup(setup)) {
    case Folder:
        QCOMPARE(fm.contentsAtPath(moved + u"/inner"_s).value_or(QByteArray()), contents);
        break;
    case ReadOnlyFolder:
        QCOMPARE(modeOf(moved), mode_t(0700));
        QCOMPARE(fm.contentsAtPath(moved + u"/inner"_s).value_or(QByteArray()), contents);
        break;
    case ReadOnlyFile:
        QCOMPARE(modeOf(moved), mode_t(0600));
        QCOMPARE(fm.contentsAtPath(moved).value_or(QByteArray()), contents);
        break;
    case LinkToFile:
    case LinkToReadOnlyFile:
        QVERIFY(attributes->isSymbolicLink);
        QCOMPARE(fm.contentsAtPath(items + u"/target"_s).value_or(QByteArray()), contents);
        QCOMPARE(modeOf(items + u"/target"_s), mode_t(setup == LinkToFile ? 0644 : 0400));
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
    // The disk's top folder another user's: its owner could swap the folder made below it.
    QTest::newRow("item on another disk, below another user's folder") << "others' top" << false;
}

void tst_FileController::setAsideOnTheItemsOwnDisk()
{
    QFETCH(QString, layout);
    QFETCH(bool, moves);
    FakeHome home;
    ScratchDisk disk(home.path(u"disk"_s));
    if (!disk.mounted())
        SKIP_OR_FAIL_IN_CI("no second file system: mounting a tmpfs needs privileges this run lacks");
    const FileManager &fm = FileManager::defaultManager();
    const QString diskPath = home.path(u"disk"_s);
    std::optional<TmpDirOverride> tmpdir;
    QString item = home.path(u"Library/Caches/item"_s);
    if (layout == "tmp elsewhere") {
        QVERIFY(fm.createDirectoryAtPath(diskPath + u"/tmp"_s, 0700));
        tmpdir.emplace(diskPath + u"/tmp"_s);
    } else {
        item = diskPath + u"/Caches/item"_s;
    }
    QVERIFY(FakeHome::writeFileAt(item + u"/inner"_s, "contents"));
    if (layout == "others' top") {
        if (geteuid() != 0)
            SKIP_OR_FAIL_IN_CI("only root can give the disk's top folder to another user");
        QCOMPARE(chown(encodePath(diskPath).constData(), AsNobody::uid, AsNobody::gid), 0);
    }
    const dev_t itemDisk = deviceOf(item);
    if (layout == "read-only" && !disk.makeReadOnly())
        SKIP_OR_FAIL_IN_CI("the scratch disk cannot be made read-only here");

    const QString moved = FileController().temporaryPathForFile(item);
    QCOMPARE(!moved.isEmpty(), moves);
    if (!moves) {
        // Refused before anything was touched: no copy anywhere, the item as it was.
        QCOMPARE(fm.contentsAtPath(item + u"/inner"_s).value_or(QByteArray()), QByteArray("contents"));
        QVERIFY(!fm.fileExistsAtPath(FileController::temporaryFolderPath())
                || fm.contentsOfDirectoryAtPath(FileController::temporaryFolderPath()).isEmpty());
        return;
    }
    // A rename on the item's own disk, into a private folder there.
    QCOMPARE(deviceOf(moved), itemDisk);
    QVERIFY(!fm.attributesOfItemAtPath(item));
    QCOMPARE(fm.contentsAtPath(moved + u"/inner"_s).value_or(QByteArray()), QByteArray("contents"));
    QCOMPARE(modeOf(moved.section(QLatin1Char('/'), 0, -2)), mode_t(0700));
    QVERIFY(!moved.startsWith(FileController::temporaryFolderPath()));
}

// The private folder is checked once and then entered through its descriptor: swapped for a
// link to another folder after the check, it still takes the item, and nothing ever lands
// where the link points.
void tst_FileController::setAsideGoesIntoTheCheckedFolder()
{
    QTemporaryDir base;
    FakeHome home;
    const FileManager &fm = FileManager::defaultManager();
    const QString tmp = base.path() + u"/tmp"_s;
    const QString elsewhere = base.path() + u"/elsewhere"_s;
    const QString decoy = base.path() + u"/decoy"_s;
    QVERIFY(fm.createDirectoryAtPath(tmp, 0700) && fm.createDirectoryAtPath(elsewhere, 0700));
    TmpDirOverride tmpdir(tmp);
    QVERIFY(TemporaryFolder::ensurePrivate());
    const QByteArray folder = encodePath(FileController::temporaryFolderPath());
    const QByteArray link = encodePath(decoy);
    QCOMPARE(symlink(encodePath(elsewhere).constData(), link.constData()), 0);
    if (renameat2(AT_FDCWD, folder.constData(), AT_FDCWD, link.constData(), RENAME_EXCHANGE) != 0
        || renameat2(AT_FDCWD, folder.constData(), AT_FDCWD, link.constData(), RENAME_EXCHANGE) != 0)
        SKIP_OR_FAIL_IN_CI("this file system cannot exchange two names");

    std::atomic<bool> stop{false};
    std::atomic<int> swaps{0};
    std::thread swapper([&] {
        while (!stop.load()) {
            if (renameat2(AT_FDCWD, folder.constData(), AT_FDCWD, link.constData(), RENAME_EXCHANGE) == 0)
                ++swaps;
        }
    });
    FileController files;
    int moved = 0;
    for (int i = 0; i < 400; ++i) {
        const QString item = home.path(u"Library/Caches/item%1"_s.arg(i));
        if (!FakeHome::writeFileAt(item, "contents"))
            break;
        if (!files.temporaryPathForFile(item).isEmpty())
            ++moved;
    }
    stop = true;
    swapper.join();
    if (swaps.load() % 2 != 0)
        QCOMPARE(renameat2(AT_FDCWD, folder.constData(), AT_FDCWD, link.constData(), RENAME_EXCHANGE), 0);

    QCOMPARE(fm.contentsOfDirectoryAtPath(elsewhere), QStringList());
    QVERIFY(moved > 0); // some checks fell between two swaps
    QCOMPARE(fm.contentsOfDirectoryAtPath(FileController::temporaryFolderPath()).size(), moved + 1); // and the marker
}

void tst_FileController::temporaryDirectoryResolvedOnce()
{
    // A TMPDIR that is a link, changed during the run: every item of the run still goes to
    // the folder the run began with.
    QTemporaryDir base;
    FakeHome home;
    QVERIFY(FakeHome::makePath(base.path() + u"/one"_s) && FakeHome::makePath(base.path() + u"/two"_s));
    const QByteArray link = encodePath(base.path() + u"/tmp"_s);
    const QByteArray fresh = encodePath(base.path() + u"/tmp.new"_s);
    QCOMPARE(symlink("one", link.constData()), 0);
    TmpDirOverride tmpdir(base.path() + u"/tmp"_s);
    const QString first = FileController::temporaryFolderPath();
    QCOMPARE(first, base.path() + u"/one/Nimbrel"_s);
    QCOMPARE(symlink("two", fresh.constData()), 0);
    QCOMPARE(rename(fresh.constData(), link.constData()), 0);
    QCOMPARE(FileController::temporaryFolderPath(), first);
}

void tst_FileController::temporaryNamesAreUnique()
{
    FakeHome home;
    QVERIFY(home.writeFile(u"one"_s, "1"));
    QVERIFY(home.writeFile(u"two"_s, "2"));
    QVERIFY(TemporaryFolder::ensurePrivate()); // an earlier run's folder, with what it left
    QVERIFY(FakeHome::writeFileAt(FileController::temporaryFolderPath() + u"/earlier"_s, "e"));
    FileController files;
    const QString first = files.temporaryPathForFile(home.path(u"one"_s));
    const QString second = files.temporaryPathForFile(home.path(u"two"_s));
    QVERIFY(!first.isEmpty() && !second.isEmpty() && first != second);
    const FileManager &fm = FileManager::defaultManager();
    QCOMPARE(fm.contentsAtPath(first).value_or(QByteArray()), QByteArray("1"));
    QCOMPARE(fm.contentsAtPath(second).value_or(QByteArray()), QByteArray("2"));
    QCOMPARE(fm.contentsAtPath(FileController::temporaryFolderPath() + u"/earlier"_s).value_or(QByteArray()),
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
    const QString store = home.path(u"Profile/webappsstore.sqlite"_s);
    const QString schema = u"CREATE TABLE webappsstore2 (originKey TEXT, key TEXT, value TEXT);"_s;
    const QString rows = u"INSERT INTO webappsstore2 VALUES ('gro.elpmaxe.:https:443', 'k', 'v-secret');"_s;
    if (withWal) {
        QVERIFY(mozstores::writeWithWal(store, home.path(u"staging/s.sqlite"_s), schema, rows));
        sides.prepend(u"-wal"_s);
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
            QCOMPARE(FileManager::defaultManager().contentsAtPath(store + suffix).value_or(QByteArray()),
                     before.value(suffix));
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
        expected.append(u"webappsstore.sqlite"_s + suffix);
    expected.sort();
    QCOMPARE(inside, expected);
    for (const QString &suffix : names)
        QCOMPARE(FileManager::defaultManager()
                     .contentsAtPath(moved + u"/webappsstore.sqlite"_s + suffix)
                     .value_or(QByteArray()),
                 before.value(suffix));
}

void tst_FileController::moveFilesWithName()
{
    FakeHome home;
    const QString aside = home.path(u"aside"_s);
    const QString back = home.path(u"Local Storage"_s);
    QVERIFY(home.writeFile(u"aside/keep1"_s, "k1"));
    QVERIFY(home.writeFile(u"aside/keepdir/inner"_s, "in"));
    QVERIFY(home.writeFile(u"aside/other1/keep2"_s, "k2"));
    QVERIFY(home.writeFile(u"aside/keep3"_s, "new"));
    QVERIFY(home.writeFile(u"Local Storage/keep3"_s, "old"));

    FileController files;
    files.moveFilesWithName(u"keep"_s, aside, back);

    const FileManager &fm = FileManager::defaultManager();
    QCOMPARE(fm.contentsAtPath(back + u"/keep1"_s).value_or(QByteArray()), QByteArray("k1"));
    QCOMPARE(fm.contentsAtPath(back + u"/keepdir/inner"_s).value_or(QByteArray()), QByteArray("in"));
    QVERIFY(fm.fileExistsAtPath(aside + u"/other1/keep2"_s));
    QVERIFY(!fm.fileExistsAtPath(back + u"/keep2"_s));
    QVERIFY(!fm.fileExistsAtPath(back + u"/other1"_s));
    // Never replaces: the entry already there stays, the one set aside stays aside.
    QCOMPARE(fm.contentsAtPath(back + u"/keep3"_s).value_or(QByteArray()), QByteArray("old"));
    QCOMPARE(fm.contentsAtPath(aside + u"/keep3"_s).value_or(QByteArray()), QByteArray("new"));
}

void tst_FileController::moveFilesWithNameFromMissingFolder()
{
    FakeHome home;
    const QString back = home.path(u"Local Storage"_s);
    FileController files;
    files.moveFilesWithName(u"keep"_s, home.path(u"gone"_s), back);
    QVERIFY(!QFileInfo::exists(back));

    // The destination comes back when it is missing, with the mode, group and (where this
    // user may give it) owner of the folder set aside.
    QVERIFY(home.writeFile(u"aside/keep1"_s, "k1"));
    const QByteArray aside = encodePath(home.path(u"aside"_s));
    QCOMPARE(chmod(aside.constData(), 0750), 0);
    const bool root = geteuid() == 0;
    if (root)
        QCOMPARE(chown(aside.constData(), AsNobody::uid, AsNobody::gid), 0);
    files.moveFilesWithName(u"keep"_s, home.path(u"aside"_s), back);
    QVERIFY(QFileInfo(back).isDir());
    QVERIFY(QFileInfo::exists(back + u"/keep1"_s));
    struct stat st;
    QCOMPARE(lstat(encodePath(back).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0750));
    QCOMPARE(st.st_gid, root ? AsNobody::gid : getegid());
    QCOMPARE(st.st_uid, root ? AsNobody::uid : geteuid());
}

void tst_FileController::recentProbes_data()
{
    QTest::addColumn<QVariant>("contents"); // a property list, a QByteArray of raw bytes, or nothing
    QTest::addColumn<bool>("xml");
    QTest::addColumn<bool>("urls");
    QTest::addColumn<bool>("documents");

    const QString urlsKey = u"MGRecentURLPropertyLists"_s;
    const QVariantMap withDocs{
        {u"RecentDocuments"_s, QVariantMap{{u"CustomListItems"_s, QVariantList{QVariantMap{}}}}}};
    QTest::newRow("missing file") << QVariant() << false << false << false;
    QTest::newRow("garbage") << QVariant(QByteArray("bplist00 but not really")) << false << false << false;
    QTest::newRow("one recent URL") << QVariant(QVariantMap{{urlsKey, QVariantList{QByteArray("x")}}}) << false << true
                                    << false;
    QTest::newRow("one recent URL, XML") << QVariant(QVariantMap{{urlsKey, QVariantList{QByteArray("x")}}}) << true
                                         << true << false;
    QTest::newRow("empty URL list") << QVariant(QVariantMap{{urlsKey, QVariantList{}}}) << false << false << false;
    QTest::newRow("URL value is a string") << QVariant(QVariantMap{{urlsKey, u"abc"_s}}) << false << false << false;
    QTest::newRow("one recent document") << QVariant(withDocs) << false << false << true;
    QTest::newRow("documents not a dictionary")
        << QVariant(QVariantMap{{u"RecentDocuments"_s, u"x"_s}}) << false << false << false;
    QTest::newRow("empty document list") << QVariant(
        QVariantMap{{u"RecentDocuments"_s, QVariantMap{{u"CustomListItems"_s, QVariantList{}}}}})
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
    const QString rel = u"Library/Preferences/list.plist"_s;
    if (contents.typeId() == QMetaType::QByteArray)
        QVERIFY(home.writeFile(rel, contents.toByteArray()));
    else if (contents.isValid())
        QVERIFY(home.writePlist(rel, contents,
                                xml ? platform::PropertyList::Format::Xml : platform::PropertyList::Format::Binary));
    FileController files;
    QCOMPARE(files.recentURLsExistAtPath(home.path(rel)), urls);
    QCOMPARE(files.recentDocumentsExistAtPath(home.path(rel)), documents);
}

QTEST_MAIN(tst_FileController)
#include "tst_filecontroller.moc"
