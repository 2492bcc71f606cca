#include "core/AsNobody.h"
#include "platform/files/FileManager.h"
#include "platform/plist/PropertyList.h"
#include "support/CiSkip.h"
#include "support/FakeHome.h"
#include "support/LinkFlipper.h"
#include "support/LockedCache.h"
#include "support/ScratchDisk.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using platform::decodePath;
using platform::encodePath;
using platform::FileManager;

namespace {

bool lexists(const QByteArray &path)
{
    struct stat st;
    return lstat(path.constData(), &st) == 0;
}

QByteArray readBytes(const QString &path)
{
    return FileManager::defaultManager().contentsAtPath(path).value_or(QByteArray("<missing>"));
}

} // namespace

class tst_FileManager : public QObject
{
    Q_OBJECT

private slots:
    void pathRoundTrip_data();
    void pathRoundTrip();
    void oddNamesSurviveWalkMoveRemove_data();
    void oddNamesSurviveWalkMoveRemove();
    void moveNeverReplaces_data();
    void moveNeverReplaces();
    void moveAcrossFileSystems();
    void removeNeverFollowsLinks_data();
    void removeNeverFollowsLinks();
    void removeStopsAtMounts_data();
    void removeStopsAtMounts();
    void enumeratorOrderAndLinks();
    void attributesOfLinkAreItsOwn();
    void permissions();
    void permissionsNeverReachALinkSwappedIn();
    void writableAnswersForALinkItself();
    void deepTreeRemovedUnderDescriptorLimit();
    void removeEmptiesTheOwnersLockedFolders();
    void immutableFlag();
    void writeAtomically();
    void temporaryDirectory();
    void readersRefuseWhatIsNotAFile_data();
    void readersRefuseWhatIsNotAFile();

private:
    void checkTemporaryDirectory(const FakeHome &fake);
};

void tst_FileManager::pathRoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("validUtf8");
    QTest::newRow("ascii") << QByteArray("Library/Safari/History.db") << true;
    QTest::newRow("utf8 accents") << QByteArray("caf\xc3\xa9/na\xc3\xafve") << true;
    QTest::newRow("utf8 astral") << QByteArray("\xf0\x9f\x8d\xaa cookie") << true;
    QTest::newRow("latin1 byte") << QByteArray("caf\xe9") << false;
    QTest::newRow("lone 0xff") << QByteArray("\xff") << false;
    QTest::newRow("truncated sequence") << QByteArray("a\xe2\x82/b") << false;
    QTest::newRow("overlong slash") << QByteArray("x\xc0\xafy") << false;
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << false;
    QTest::newRow("above U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << false;
    QTest::newRow("escape-range lookalike") << QByteArray("\xed\xb2\x80") << false;
}

void tst_FileManager::pathRoundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, validUtf8);
    const QString decoded = decodePath(bytes);
    QCOMPARE(encodePath(decoded), bytes);
    if (validUtf8)
        QCOMPARE(decoded, QString::fromUtf8(bytes));
    else
        QVERIFY(std::any_of(decoded.begin(), decoded.end(),
                            [](QChar c) { return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF; }));
}

void tst_FileManager::oddNamesSurviveWalkMoveRemove_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("latin1") << QByteArray("Caf\xe9 Cookies");
    QTest::newRow("high bytes") << QByteArray("\xfe\xff\x80");
    QTest::newRow("utf8") << QByteArray("R\xc3\xa9sum\xc3\xa9");
    QTest::newRow("mixed") << QByteArray("\xc3\xa9\xe9");
}

void tst_FileManager::oddNamesSurviveWalkMoveRemove()
{
    QFETCH(QByteArray, name);
    FakeHome fake;
    QVERIFY(fake.isValid());
    const FileManager &fm = FileManager::defaultManager();
    const QByteArray folder = encodePath(fake.path(u"odd"_s));
    QCOMPARE(mkdir(folder.constData(), 0755), 0);
    QCOMPARE(mkdir((folder + '/' + name).constData(), 0755), 0);
    const int fd = open((folder + '/' + name + '/' + name).constData(), O_CREAT | O_WRONLY, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(write(fd, "data", 4), ssize_t(4));
    close(fd);

    const QString decodedName = decodePath(name);
    const QStringList entries = fm.enumeratorAtPath(decodePath(folder));
    QCOMPARE(entries, QStringList({decodedName, decodedName + QLatin1Char('/') + decodedName}));

    const QString from = decodePath(folder) + QLatin1Char('/') + entries.first();
    const QString to = from + decodePath("\xff-moved");
    QVERIFY(fm.fileExistsAtPath(from));
    QVERIFY(fm.moveItemAtPath(from, to));
    QVERIFY(lexists(folder + '/' + name + "\xff-moved/" + name));
    QCOMPARE(readBytes(to + QLatin1Char('/') + decodedName), QByteArray("data"));
    QVERIFY(fm.removeItemAtPath(to));
    QVERIFY(!lexists(folder + '/' + name + "\xff-moved"));
    QVERIFY(fm.contentsOfDirectoryAtPath(decodePath(folder)).isEmpty());
}

void tst_FileManager::moveNeverReplaces_data()
{
    QTest::addColumn<QString>("existing");
    QTest::newRow("file") << u"file"_s;
    QTest::newRow("folder") << u"folder"_s;
    QTest::newRow("dangling link") << u"link"_s;
}

void tst_FileManager::moveNeverReplaces()
{
    QFETCH(QString, existing);
    FakeHome fake;
    const FileManager &fm = FileManager::defaultManager();
    QVERIFY(fake.writeFile(u"source/item"_s, "mine"));
    const QString target = fake.path(u"target"_s);
    if (existing == QLatin1String("file"))
        QVERIFY(fake.writeFile(u"target"_s, "theirs"));
    else if (existing == QLatin1String("folder"))
        QVERIFY(fake.writeFile(u"target/inside"_s, "theirs"));
    else
        QCOMPARE(symlink("nowhere", encodePath(target).constData()), 0);

    QVERIFY(!fm.moveItemAtPath(fake.path(u"source"_s), target));
    QVERIFY(!fm.moveItemAtPath(fake.path(u"source/item"_s), target));
    QCOMPARE(readBytes(fake.path(u"source/item"_s)), QByteArray("mine"));
    if (existing == QLatin1String("file"))
        QCOMPARE(readBytes(target), QByteArray("theirs"));
    else if (existing == QLatin1String("folder"))
        QCOMPARE(fm.contentsOfDirectoryAtPath(target), QStringList{u"inside"_s});
    else
        QVERIFY(fm.attributesOfItemAtPath(target)->isSymbolicLink);

    // A free name takes the item, contents and all.
    QVERIFY(fm.moveItemAtPath(fake.path(u"source"_s), fake.path(u"free"_s)));
    QCOMPARE(readBytes(fake.path(u"free/item"_s)), QByteArray("mine"));
    QVERIFY(!fm.fileExistsAtPath(fake.path(u"source"_s)));
}

void tst_FileManager::moveAcrossFileSystems()
{
    FakeHome fake;
    QTemporaryDir other(u"/dev/shm/nimbrel-test-XXXXXX"_s);
    struct stat a, b;
    if (!other.isValid() || stat("/dev/shm", &a) != 0 || stat(encodePath(fake.home()).constData(), &b) != 0
        || a.st_dev == b.st_dev)
        SKIP_OR_FAIL_IN_CI("no second file system to move to");
    const FileManager &fm = FileManager::defaultManager();
    QVERIFY(fake.writeFile(u"tree/sub/secret"_s, "payload"));
    QVERIFY(fake.writeFile(u"outside/keep"_s, "outside"));
    QVERIFY(fm.setPosixPermissions(fake.path(u"tree/sub/secret"_s), 0600));
    QVERIFY(fm.setPosixPermissions(fake.path(u"tree/sub"_s), 0750));
    QCOMPARE(
        symlink(encodePath(fake.path(u"outside"_s)).constData(), encodePath(fake.path(u"tree/link"_s)).constData()), 0);

    const QString moved = other.path() + u"/tree"_s;
    QVERIFY(fm.moveItemAtPath(fake.path(u"tree"_s), moved));
    QVERIFY(!fm.fileExistsAtPath(fake.path(u"tree"_s)));
    QCOMPARE(readBytes(moved + u"/sub/secret"_s), QByteArray("payload"));
    QCOMPARE(fm.attributesOfItemAtPath(moved + u"/sub/secret"_s)->permissions, mode_t(0600));
    QCOMPARE(fm.attributesOfItemAtPath(moved + u"/sub"_s)->permissions, mode_t(0750));
    QVERIFY(fm.attributesOfItemAtPath(moved + u"/link"_s)->isSymbolicLink);
    // The linked folder was neither copied nor removed.
    QCOMPARE(readBytes(fake.path(u"outside/keep"_s)), QByteArray("outside"));

    // Across file systems an existing name is refused too.
    QVERIFY(fake.writeFile(u"again"_s, "x"));
    QVERIFY(!fm.moveItemAtPath(fake.path(u"again"_s), moved));
    QVERIFY(fm.fileExistsAtPath(fake.path(u"again"_s)));
    QCOMPARE(readBytes(moved + u"/sub/secret"_s), QByteArray("payload"));
}

void tst_FileManager::removeNeverFollowsLinks_data()
{
    QTest::addColumn<QString>("linkPath");   // relative to the home
    QTest::addColumn<QString>("removePath"); // what is removed
    QTest::addColumn<int>("files");          // beside the link, spread over four folders
    QTest::newRow("the item is a link") << "item"
                                        << "item" << 0;
    QTest::newRow("the item is a link, trailing slash") << "item"
                                                        << "item/" << 0;
    QTest::newRow("link inside the folder") << "folder/link"
                                            << "folder" << 0;
    QTest::newRow("link deep inside") << "folder/a/b/link"
                                      << "folder" << 0;
    // Enough files for the unlinks to be shared out to threads.
    QTest::newRow("link among 3,000 files") << "folder/a/b/link"
                                            << "folder" << 3000;
}

void tst_FileManager::removeNeverFollowsLinks()
{
    QFETCH(QString, linkPath);
    QFETCH(QString, removePath);
    QFETCH(int, files);
    FakeHome fake;
    const FileManager &fm = FileManager::defaultManager();
    QVERIFY(fake.writeFile(u"outside/precious"_s, "keep me"));
    QVERIFY(fake.makeDir(u"folder/a/b"_s));
    static const char *const folders[] = {"folder", "folder/a", "folder/a/b", "folder/c"};
    for (int i = 0; i < files; ++i)
        QVERIFY(fake.writeFile(u"%1/f%2"_s.arg(QLatin1String(folders[i % 4])).arg(i), "cache"));
    QCOMPARE(symlink(encodePath(fake.path(u"outside"_s)).constData(), encodePath(fake.path(linkPath)).constData()), 0);

    QVERIFY(fm.removeItemAtPath(fake.path(removePath)));
    QCOMPARE(readBytes(fake.path(u"outside/precious"_s)), QByteArray("keep me"));
    QVERIFY(!lexists(encodePath(fake.path(linkPath))));
    QVERIFY(!fm.removeItemAtPath(fake.path(u"missing"_s)));
}

void tst_FileManager::removeStopsAtMounts_data()
{
    QTest::addColumn<bool>("bind");
    QTest::newRow("a memory file system mounted inside") << false;
    QTest::newRow("a folder outside bound inside") << true;
}

void tst_FileManager::removeStopsAtMounts()
{
    QFETCH(bool, bind);
    FakeHome fake;
    const FileManager &fm = FileManager::defaultManager();
    QVERIFY(fake.writeFile(u"outside/precious"_s, "keep me"));
    QVERIFY(fake.writeFile(u"Cache/a/entry"_s, "cache"));
    std::optional<ScratchDisk> disk;
    if (bind)
        disk.emplace(fake.path(u"Cache/a/mounted"_s), fake.path(u"outside"_s));
    else
        disk.emplace(fake.path(u"Cache/a/mounted"_s));
    if (!disk->mounted())
        SKIP_OR_FAIL_IN_CI("mounting needs the superuser's right to mount here");
    if (!bind)
        QVERIFY(fake.writeFile(u"Cache/a/mounted/precious"_s, "keep me"));

    // Cleaned around the mount point; what is mounted there stays, and so does the way to it.
    QVERIFY(!fm.removeItemAtPath(fake.path(u"Cache"_s)));
    QCOMPARE(readBytes(fake.path(u"Cache/a/mounted/precious"_s)), QByteArray("keep me"));
    QCOMPARE(readBytes(fake.path(u"outside/precious"_s)), QByteArray("keep me"));
    QVERIFY(!lexists(encodePath(fake.path(u"Cache/a/entry"_s))));
}

void tst_FileManager::enumeratorOrderAndLinks()
{
    FakeHome fake;
    const FileManager &fm = FileManager::defaultManager();
    for (const char *file : {"top/f1", "top/a/f2", "top/a/b/f3", "top/c/f4", "elsewhere/hidden"})
        QVERIFY(fake.writeFile(QString::fromLatin1(file), "x"));
    QCOMPARE(symlink(encodePath(fake.path(u"elsewhere"_s)).constData(),
                     encodePath(fake.path(u"top/a/linked"_s)).constData()),
             0);

    const QStringList entries = fm.enumeratorAtPath(fake.path(u"top"_s));
    QStringList expected{"f1", "a", "a/f2", "a/b", "a/b/f3", "a/linked", "c", "c/f4"};
    QStringList sortedEntries = entries;
    sortedEntries.sort();
    expected.sort();
    QCOMPARE(sortedEntries, expected);
    // Every folder comes before what it holds, and each folder's own entries are listed in
    // the order the folder reads them.
    for (const QString &entry : entries) {
        const qsizetype slash = entry.lastIndexOf(QLatin1Char('/'));
        if (slash > 0)
            QVERIFY2(entries.indexOf(entry.left(slash)) < entries.indexOf(entry), qPrintable(entry));
    }
    QStringList topLevel;
    for (const QString &entry : entries) {
        if (!entry.contains(QLatin1Char('/')))
            topLevel.append(entry);
    }
    QCOMPARE(topLevel, fm.contentsOfDirectoryAtPath(fake.path(u"top"_s)));

    QVERIFY(fm.enumeratorAtPath(fake.path(u"missing"_s)).isEmpty());
    QVERIFY(fm.enumeratorAtPath(fake.path(u"top/f1"_s)).isEmpty());
    // The walk does not start through a link either.
    QVERIFY(fm.enumeratorAtPath(fake.path(u"top/a/linked"_s)).isEmpty());
}

void tst_FileManager::attributesOfLinkAreItsOwn()
{
    FakeHome fake;
    const FileManager &fm = FileManager::defaultManager();
    QVERIFY(fake.writeFile(u"big"_s, QByteArray(100000, 'x')));
    const QByteArray target = encodePath(fake.path(u"big"_s));
    QCOMPARE(symlink(target.constData(), encodePath(fake.path(u"link"_s)).constData()), 0);
    QCOMPARE(symlink("gone", encodePath(fake.path(u"dangling"_s)).constData()), 0);

    const auto link = fm.attributesOfItemAtPath(fake.path(u"link"_s));
    QVERIFY(link);
    QVERIFY(link->isSymbolicLink);
    QVERIFY(!link->isRegularFile);
    QCOMPARE(link->size, quint64(target.size()));
    QCOMPARE(fm.attributesOfItemAtPath(fake.path(u"big"_s))->size, quint64(100000));

    // Existence follows links; attributes do not.
    bool isDir = true;
    QVERIFY(fm.fileExistsAtPath(fake.path(u"link"_s), &isDir));
    QVERIFY(!isDir);
    QVERIFY(!fm.fileExistsAtPath(fake.path(u"dangling"_s)));
    QVERIFY(fm.attributesOfItemAtPath(fake.path(u"dangling"_s)));
    QVERIFY(!fm.attributesOfItemAtPath(fake.path(u"missing"_s)));
    QVERIFY(!fm.attributesOfItemAtPath(QString()));
}

void tst_FileManager::permissions()
{
    FakeHome fake;
    const FileManager &fm = FileManager::defaultManager();
    QVERIFY(fake.writeFile(u"file"_s, "x"));
    const QString file = fake.path(u"file"_s);
    QVERIFY(fm.setPosixPermissions(file, 01224));
    QCOMPARE(fm.attributesOfItemAtPath(file)->permissions, mode_t(01224));
    QVERIFY(fm.setPosixPermissions(file, 0600));
    QCOMPARE(fm.attributesOfItemAtPath(file)->permissions, mode_t(0600));

    // Through a link nothing changes: the target is not the link's to give away.
    QCOMPARE(symlink(encodePath(file).constData(), encodePath(fake.path(u"link"_s)).constData()), 0);
    QVERIFY(!fm.setPosixPermissions(fake.path(u"link"_s), 0777));
    QCOMPARE(fm.attributesOfItemAtPath(file)->permissions, mode_t(0600));

    QVERIFY(fm.createDirectoryAtPath(fake.path(u"one"_s)));
    QVERIFY(!fm.createDirectoryAtPath(fake.path(u"one"_s)));
    QVERIFY(!fm.createDirectoryAtPath(fake.path(u"two/three"_s)));
}

void tst_FileManager::permissionsNeverReachALinkSwappedIn()
{
    FakeHome fake;
    const FileManager &fm = FileManager::defaultManager();
    QVERIFY(fake.writeFile(u"canary"_s, "keep my mode"));
    const QString canary = fake.path(u"canary"_s);
    QVERIFY(fm.setPosixPermissions(canary, 0644));
    const QString item = fake.path(u"item"_s);
    QVERIFY(fake.writeFile(u"item"_s, "x"));

    QVERIFY(fm.setPosixPermissions(item, 0600)); // a plain file is changed
    {
        LinkFlipper flipper(item, canary, QByteArray());
        for (int round = 0; round < 20000; ++round)
            fm.setPosixPermissions(item, 0600);
    }
    QCOMPARE(fm.attributesOfItemAtPath(canary)->permissions, mode_t(0644));
}

void tst_FileManager::writableAnswersForALinkItself()
{
    const FileManager &fm = FileManager::defaultManager();
    QTemporaryDir base;
    QVERIFY(AsNobody::handOver(encodePath(base.path()).constData()));
    AsNobody nobody; // root may write anything: the bits only bite for a plain user
    if (!nobody.ok())
        SKIP_OR_FAIL_IN_CI("running as root without the right to become nobody");
    const QString locked = base.path() + u"/locked"_s;
    const QString link = base.path() + u"/link"_s;
    QVERIFY(FakeHome::writeFileAt(locked, "x"));
    QVERIFY(fm.setPosixPermissions(locked, 0444));
    QCOMPARE(symlink("locked", encodePath(link).constData()), 0);
    QVERIFY(fm.isWritableFileAtPath(link)); // the link, not the read-only file it names
    QVERIFY(!fm.isWritableFileAtPath(locked));
}

void tst_FileManager::deepTreeRemovedUnderDescriptorLimit()
{
    FakeHome fake;
    QVERIFY(makeDeepTree(fake.home(), 1500, 100));

    // The removal runs in a child held to 1,024 descriptors, soft and hard alike.
    const QByteArray top = encodePath(fake.path(u"d"_s));
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        const struct rlimit limit = {1024, 1024};
        if (setrlimit(RLIMIT_NOFILE, &limit) != 0)
            _exit(2);
        _exit(FileManager::defaultManager().removeItemAtPath(platform::decodePath(top)) ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QVERIFY(!FileManager::defaultManager().attributesOfItemAtPath(fake.path(u"d"_s)));
}

// What `chmod -R u+rwx` and `rm -rf` remove, the removal removes too: folders and files of the
// user's own, whatever modes the user gave them.
void tst_FileManager::removeEmptiesTheOwnersLockedFolders()
{
    QTemporaryDir base;
    QVERIFY(base.isValid());
    QVERIFY(AsNobody::handOver(encodePath(base.path()).constData()));
    const QString cache = makeLockedCache(base.path());
    QVERIFY(!cache.isEmpty());
    auto unlock = qScopeGuard([&] { unlockTree(cache); });

    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        if (!AsNobody::becomeForGood())
            _exit(AsNobody::cannotBecomeNobody);
        _exit(FileManager::defaultManager().removeItemAtPath(cache) ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    if (WEXITSTATUS(status) == AsNobody::cannotBecomeNobody)
        SKIP_OR_FAIL_IN_CI("running as root without the right to become nobody: root may write anything");
    QCOMPARE(WEXITSTATUS(status), 0);
    QVERIFY(!lexists(encodePath(cache)));
}

void tst_FileManager::immutableFlag()
{
    FakeHome fake;
    const FileManager &fm = FileManager::defaultManager();
    QVERIFY(fake.writeFile(u"locked"_s, "x"));
    const QString file = fake.path(u"locked"_s);
    QVERIFY(!fm.attributesOfItemAtPath(file)->immutable);
    QVERIFY(fm.setImmutable(file, false)); // already so: fine everywhere
    if (!fm.setImmutable(file, true))
        SKIP_OR_FAIL_IN_CI("the immutable flag cannot be set here (file system or privileges)");
    QVERIFY(fm.attributesOfItemAtPath(file)->immutable);
    QVERIFY(!fm.isWritableFileAtPath(file));
    QVERIFY(!fm.removeItemAtPath(file));
    QVERIFY(fm.setImmutable(file, false));
    QVERIFY(!fm.attributesOfItemAtPath(file)->immutable);
    QVERIFY(fm.isWritableFileAtPath(file));
    QVERIFY(fm.removeItemAtPath(file));
}

void tst_FileManager::writeAtomically()
{
    FakeHome fake;
    const FileManager &fm = FileManager::defaultManager();
    const QString fresh = fake.path(u"prefs/fresh.plist"_s);
    QVERIFY(fake.makeDir(u"prefs"_s));
    QVERIFY(fm.writeAtomically(fresh, "one"));
    QCOMPARE(readBytes(fresh), QByteArray("one"));
    QCOMPARE(fm.attributesOfItemAtPath(fresh)->permissions, mode_t(0600));

    QVERIFY(fake.writeFile(u"prefs/shared.plist"_s, "old"));
    const QString shared = fake.path(u"prefs/shared.plist"_s);
    QVERIFY(fm.setPosixPermissions(shared, 0640));
    // A file of a shared group stays in it (root may give it any group; others their own).
    const gid_t group = geteuid() == 0 ? gid_t(65534) : getegid();
    QCOMPARE(lchown(encodePath(shared).constData(), uid_t(-1), group), 0);
    QVERIFY(fm.writeAtomically(shared, "new"));
    QCOMPARE(readBytes(shared), QByteArray("new"));
    QCOMPARE(fm.attributesOfItemAtPath(shared)->permissions, mode_t(0640));
    struct stat sharedStat;
    QCOMPARE(lstat(encodePath(shared).constData(), &sharedStat), 0);
    QCOMPARE(sharedStat.st_gid, group);

    // A link in the way is replaced; the file it pointed to is left alone.
    QVERIFY(fake.writeFile(u"outside"_s, "outside"));
    const QString link = fake.path(u"prefs/link.plist"_s);
    QCOMPARE(symlink(encodePath(fake.path(u"outside"_s)).constData(), encodePath(link).constData()), 0);
    QVERIFY(fm.writeAtomically(link, "replaced"));
    QCOMPARE(readBytes(fake.path(u"outside"_s)), QByteArray("outside"));
    QVERIFY(!fm.attributesOfItemAtPath(link)->isSymbolicLink);

    // A name too long for a temporary name beside it still gets written.
    const QString longName = fake.path(u"prefs/"_s + QString(250, QLatin1Char('n')));
    QVERIFY(fm.writeAtomically(longName, "long"));
    QCOMPARE(readBytes(longName), QByteArray("long"));
    QVERIFY(fm.removeItemAtPath(longName));

    QVERIFY(!fm.writeAtomically(fake.path(u"nofolder/x.plist"_s), "x"));
    QStringList names = fm.contentsOfDirectoryAtPath(fake.path(u"prefs"_s));
    names.sort();
    QCOMPARE(names, QStringList({"fresh.plist", "link.plist", "shared.plist"})); // no leftovers
}

void tst_FileManager::temporaryDirectory()
{
    const QByteArray outerHome = qgetenv("HOME");
    const QByteArray outerTmp = qgetenv("TMPDIR");
    {
        FakeHome fake;
        checkTemporaryDirectory(fake);
        if (QTest::currentTestFailed())
            return;
    }
    QCOMPARE(qgetenv("HOME"), outerHome);
    QCOMPARE(qgetenv("TMPDIR"), outerTmp);
}

void tst_FileManager::checkTemporaryDirectory(const FakeHome &fake)
{
    QCOMPARE(FileManager::temporaryDirectory(), fake.tmp());
    qputenv("TMPDIR", encodePath(fake.tmp()) + "//");
    QCOMPARE(FileManager::temporaryDirectory(), fake.tmp());

    qunsetenv("TMPDIR");
    const QString own = FileManager::temporaryDirectory();
    QCOMPARE(own, fake.path(u".nimbrel-tmp"_s));
    // Only named: it is made when something is first set aside there.
    QVERIFY(!FileManager::defaultManager().attributesOfItemAtPath(own));
    QCOMPARE(FileManager::homeDirectory(), fake.home());
}

void tst_FileManager::readersRefuseWhatIsNotAFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("pipe") << "pipe";
    QTest::newRow("link to a pipe") << "link";
    QTest::newRow("folder") << "folder";
}

// A pipe where a preferences file was expected would otherwise block the reader until
// somebody writes to it.
void tst_FileManager::readersRefuseWhatIsNotAFile()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pipe = dir.filePath("pipe");
    QCOMPARE(mkfifo(encodePath(pipe).constData(), 0600), 0);
    QString path = pipe;
    if (kind == "link") {
        path = dir.filePath("prefs.plist");
        QCOMPARE(symlink(encodePath(pipe).constData(), encodePath(path).constData()), 0);
    } else if (kind == "folder") {
        path = dir.filePath("folder");
        QVERIFY(QDir().mkdir(path));
    }
    QVERIFY(!FileManager::defaultManager().contentsAtPath(path).has_value());
    QVERIFY(!platform::PropertyList::fromFile(path).has_value());
}

QTEST_MAIN(tst_FileManager)
#include "tst_filemanager.moc"
