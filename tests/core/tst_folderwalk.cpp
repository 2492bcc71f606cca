// The size and count walks over real trees, checked against `find` run on the same tree
// (links not followed, folders not counted).
#include "AsNobody.h"
#include "core/walk/DirectoryWalker.h"
#include "core/walk/FolderWalk.h"
#include "platform/files/FileManager.h"
#include "support/CiSkip.h"

#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Totals
{
    quint64 bytes = 0;
    quint64 files = 0;
};

bool writeFile(const QByteArray &path, qint64 size)
{
    const int fd = open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const QByteArray data(int(size), 'x');
    const bool ok = write(fd, data.constData(), size_t(data.size())) == data.size();
    return close(fd) == 0 && ok;
}

bool sparseFile(const QByteArray &path, qint64 size)
{
    return writeFile(path, 0) && truncate(path.constData(), size) == 0;
}

bool makeDir(const QByteArray &path)
{
    return mkdir(path.constData(), 0755) == 0;
}

bool makeLink(const QByteArray &target, const QByteArray &path)
{
    return symlink(target.constData(), path.constData()) == 0;
}

// What `find` says: every entry below the root that is not a folder, with its own size.
Totals findRecount(const QByteArray &root)
{
    QProcess find;
    find.start(u"find"_s,
               {QString::fromUtf8(root), u"-mindepth"_s, u"1"_s, u"!"_s, u"-type"_s, u"d"_s, u"-printf"_s, u"%s\\n"_s});
    Totals totals;
    if (!find.waitForFinished(120000))
        return totals;
    const QList<QByteArray> lines = find.readAllStandardOutput().split('\n');
    for (const QByteArray &line : lines) {
        if (line.isEmpty())
            continue;
        totals.bytes += line.toULongLong();
        ++totals.files;
    }
    return totals;
}

enum Scenario {
    Empty,
    Nested,
    LinkToHugeFolder,
    LinkLoops,
    InvalidUtf8Names,
    SparseBeyond4GiB,
    DanglingAndSpecial,
    ManyInOneFolder,
    WideTree,
    FlatFolder,
};

// Builds a scenario under `root` and answers the totals it was built to have.
Totals build(Scenario scenario, const QByteArray &root, const QByteArray &outside)
{
    Totals t;
    auto file = [&t](const QByteArray &path, qint64 size) {
        if (writeFile(path, size)) {
            t.bytes += quint64(size);
            ++t.files;
        }
    };
    auto link = [&t](const QByteArray &target, const QByteArray &path) {
        if (makeLink(target, path)) {
            t.bytes += quint64(target.size());
            ++t.files;
        }
    };
    switch (scenario) {
    case Empty:
        break;
    case Nested: {
        // 100 files over folders four levels deep, hidden ones among them; the folders
        // themselves count for nothing.
        makeDir(root + "/a");
        makeDir(root + "/a/b");
        makeDir(root + "/a/b/c");
        makeDir(root + "/a/b/c/d");
        makeDir(root + "/.hidden");
        makeDir(root + "/empty");
        const QByteArray folders[] = {"", "/a", "/a/b", "/a/b/c", "/a/b/c/d", "/.hidden"};
        for (int i = 0; i < 100; ++i) {
            const QByteArray name = (i % 7 == 0 ? "/.f" : "/f") + QByteArray::number(i);
            file(root + folders[i % 6] + name, i * 37);
        }
        break;
    }
    case LinkToHugeFolder:
        makeDir(outside + "/huge");
        sparseFile(outside + "/huge/big", 6LL << 30);
        for (int i = 0; i < 20; ++i)
            writeFile(outside + "/huge/f" + QByteArray::number(i), 1000);
        link(outside + "/huge", root + "/absolute");
        link("../outside/huge", root + "/relative");
        file(root + "/plain", 10);
        break;
    case LinkLoops:
        makeDir(root + "/sub");
        link("b", root + "/a");
        link("a", root + "/b");
        link(".", root + "/self");
        link("..", root + "/up");
        link("..", root + "/sub/back");
        link(root, root + "/sub/root");
        break;
    case InvalidUtf8Names:
        makeDir(root + "/\xff\xfe-dir");
        file(root
                 + "/\xff\xfe-dir/\x80"
                   "a",
             11);
        file(root + "/b\xc3(", 22);
        makeDir(root + "/\xff\xfe-dir/\xe9t\xe9");
        file(root + "/\xff\xfe-dir/\xe9t\xe9/\xc0\xaf", 33);
        break;
    case SparseBeyond4GiB:
        if (sparseFile(root + "/sparse", (5LL << 30) + 1)) {
            t.bytes += (5ULL << 30) + 1;
            ++t.files;
        }
        file(root + "/small", 7);
        break;
    case DanglingAndSpecial:
        // An entry whose target is gone, and one that is neither file nor folder.
        link("nowhere/at/all", root + "/gone");
        if (mkfifo((root + "/fifo").constData(), 0644) == 0)
            ++t.files;
        file(root + "/plain", 5);
        break;
    case ManyInOneFolder:
        // Several batches of entries from one folder.
        for (int i = 0; i < 5000; ++i)
            file(root + "/entry-with-a-longer-name-" + QByteArray::number(i), i % 13);
        break;
    case FlatFolder:
        // Files enough to be shared out by the entry, with sub-folders between them.
        for (int i = 0; i < 20000; ++i) {
            file(root + "/f" + QByteArray::number(i), i % 29);
            if (i % 5000 == 0) {
                const QByteArray sub = root + "/d" + QByteArray::number(i);
                makeDir(sub);
                file(sub + "/inner", 7);
            }
        }
        break;
    case WideTree:
        // Big enough for the walk to share folders out to helper threads.
        for (int a = 0; a < 40; ++a) {
            const QByteArray top = root + "/t" + QByteArray::number(a);
            makeDir(top);
            for (int b = 0; b < 3; ++b) {
                const QByteArray sub = top + "/s" + QByteArray::number(b);
                makeDir(sub);
                for (int i = 0; i < 50; ++i)
                    file(sub + "/f" + QByteArray::number(i), (a * 7 + b * 3 + i) % 500);
            }
            file(top + "/top", a);
        }
        break;
    }
    return t;
}

} // namespace

class tst_FolderWalk : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { FolderWalk::setMaximumThreads(4); }

    void walkAgreesWithRecount_data();
    void walkAgreesWithRecount();
    void notAFolderGivesZero_data();
    void notAFolderGivesZero();
    void everyThreadCountGivesTheSameTotals_data();
    void everyThreadCountGivesTheSameTotals();
    void deepTreeWithFewHandles_data();
    void deepTreeWithFewHandles();
    void unreadableFolderCountsNothing_data();
    void unreadableFolderCountsNothing();

private:
    // Trees that take long to make are made once: the wide tree and the deep chain.
    QTemporaryDir m_shared;
    QByteArray m_wide;
    Totals m_wideTotals;
    QByteArray m_deep;
    Totals m_deepTotals;
    QByteArray m_flat;
    Totals m_flatTotals;
};

void tst_FolderWalk::initTestCase()
{
    QVERIFY(m_shared.isValid());
    m_wide = QFile::encodeName(m_shared.path()) + "/wide";
    QVERIFY(makeDir(m_wide));
    m_wideTotals = build(WideTree, m_wide, {});
    m_flat = QFile::encodeName(m_shared.path()) + "/flat";
    QVERIFY(makeDir(m_flat));
    m_flatTotals = build(FlatFolder, m_flat, {});

    // 400 levels, far more than the walk keeps open, each level with files on either side of
    // its sub-folder in the listing, so the walk must come back up and carry on in every one.
    m_deep = QFile::encodeName(m_shared.path()) + "/deep";
    QVERIFY(makeDir(m_deep));
    int fd = open(m_deep.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    QVERIFY(fd >= 0);
    for (int level = 0; level < 400; ++level) {
        for (int i = 0; i < 6; ++i) {
            const QByteArray name = "f" + QByteArray::number(i);
            const int f = openat(fd, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            QVERIFY(f >= 0);
            const QByteArray data(level % 50 + i, 'y');
            QCOMPARE(write(f, data.constData(), size_t(data.size())), ssize_t(data.size()));
            close(f);
            m_deepTotals.bytes += quint64(data.size());
            ++m_deepTotals.files;
        }
        QCOMPARE(mkdirat(fd, "d", 0755), 0);
        const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        close(fd);
        fd = next;
        QVERIFY(fd >= 0);
    }
    close(fd);
}

void tst_FolderWalk::walkAgreesWithRecount_data()
{
    QTest::addColumn<int>("scenario");
    QTest::newRow("empty folder") << int(Empty);
    QTest::newRow("100 files nested, hidden included") << int(Nested);
    QTest::newRow("link to a huge folder") << int(LinkToHugeFolder);
    QTest::newRow("symbolic-link loops") << int(LinkLoops);
    QTest::newRow("names that are not UTF-8") << int(InvalidUtf8Names);
    QTest::newRow("sparse file beyond 4 GiB") << int(SparseBeyond4GiB);
    QTest::newRow("dangling link and fifo") << int(DanglingAndSpecial);
    QTest::newRow("5000 entries in one folder") << int(ManyInOneFolder);
    QTest::newRow("wide tree") << int(WideTree);
}

void tst_FolderWalk::walkAgreesWithRecount()
{
    QFETCH(int, scenario);
    QTemporaryDir base;
    QVERIFY(base.isValid());
    const QByteArray root = QFile::encodeName(base.path()) + "/tree";
    const QByteArray outside = QFile::encodeName(base.path()) + "/outside";
    QVERIFY(makeDir(root) && makeDir(outside));
    // QTemporaryDir cannot remove names that are not UTF-8; the byte-path removal can.
    const auto cleanup =
        qScopeGuard([&] { platform::FileManager::defaultManager().removeItemAtPath(platform::decodePath(root)); });

    const Totals expected = scenario == WideTree ? m_wideTotals : build(Scenario(scenario), root, outside);
    const QByteArray walked = scenario == WideTree ? m_wide : root;
    const Totals found = findRecount(walked);
    QCOMPARE(found.files, expected.files); // the tree is what the scenario meant to build
    QCOMPARE(found.bytes, expected.bytes);

    QCOMPARE(FolderWalk::sizeAtPath(walked), expected.bytes);
    QCOMPARE(FolderWalk::countAtPath(walked), expected.files);
}

void tst_FolderWalk::notAFolderGivesZero_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("plain file") << QByteArray("file");
    QTest::newRow("missing path") << QByteArray("missing");
    QTest::newRow("link to a folder") << QByteArray("link-to-folder");
    QTest::newRow("dangling link") << QByteArray("dangling");
    QTest::newRow("empty path") << QByteArray();
}

void tst_FolderWalk::notAFolderGivesZero()
{
    QFETCH(QByteArray, name);
    QTemporaryDir base;
    const QByteArray dir = QFile::encodeName(base.path());
    QVERIFY(writeFile(dir + "/file", 5000));
    QVERIFY(makeDir(dir + "/folder"));
    QVERIFY(writeFile(dir + "/folder/inside", 5000));
    QVERIFY(makeLink("folder", dir + "/link-to-folder"));
    QVERIFY(makeLink("nothing", dir + "/dangling"));

    const QByteArray path = name.isEmpty() ? QByteArray() : dir + '/' + name;
    QCOMPARE(FolderWalk::sizeAtPath(path), 0ULL);
    QCOMPARE(FolderWalk::countAtPath(path), 0ULL);
}

void tst_FolderWalk::everyThreadCountGivesTheSameTotals_data()
{
    QTest::addColumn<int>("threads");
    QTest::addColumn<bool>("flat");
    for (const int threads : {1, 2, 4, 8}) {
        QTest::addRow("wide tree, %d", threads) << threads << false;
        QTest::addRow("flat folder, %d", threads) << threads << true;
    }
}

void tst_FolderWalk::everyThreadCountGivesTheSameTotals()
{
    QFETCH(int, threads);
    QFETCH(bool, flat);
    const QByteArray root = flat ? m_flat : m_wide;
    const Totals expected = flat ? m_flatTotals : m_wideTotals;
    QVERIFY(expected.files > 4096); // past the point where helpers start

    FolderWalk::setMaximumThreads(threads);
    for (int round = 0; round < 5; ++round) {
        QCOMPARE(FolderWalk::countAtPath(root), expected.files);
        QCOMPARE(FolderWalk::sizeAtPath(root), expected.bytes);
    }
}

void tst_FolderWalk::deepTreeWithFewHandles_data()
{
    QTest::addColumn<int>("threads");
    QTest::addColumn<int>("handleLimit");
    QTest::newRow("one thread, 48 handles") << 1 << 48;
    QTest::newRow("four threads, 256 handles") << 4 << 256;
}

void tst_FolderWalk::deepTreeWithFewHandles()
{
    QFETCH(int, threads);
    QFETCH(int, handleLimit);
    const QByteArray root = m_deep;
    const Totals expected = m_deepTotals;
    const int depth = 400;
    const Totals found = findRecount(root);
    QCOMPARE(found.files, expected.files);
    QCOMPARE(found.bytes, expected.bytes);
    QVERIFY(depth > DirectoryWalker::maxOpenHandles * 4);

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(handleLimit);
    QCOMPARE(setrlimit(RLIMIT_NOFILE, &tight), 0);
    FolderWalk::setMaximumThreads(threads);
    const quint64 files = FolderWalk::countAtPath(root);
    const quint64 bytes = FolderWalk::sizeAtPath(root);
    setrlimit(RLIMIT_NOFILE, &saved);

    QCOMPARE(files, expected.files);
    QCOMPARE(bytes, expected.bytes);
}

void tst_FolderWalk::unreadableFolderCountsNothing_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("neither listed nor searched") << 0;
    QTest::newRow("listed but not searched") << 0444;
    QTest::newRow("searched but not listed") << 0111;
}

void tst_FolderWalk::unreadableFolderCountsNothing()
{
    QFETCH(int, mode);
    QTemporaryDir base;
    QVERIFY(base.isValid());
    QVERIFY(AsNobody::handOver(QFile::encodeName(base.path()).constData()));
    const QByteArray root = QFile::encodeName(base.path()) + "/tree";

    AsNobody nobody;
    if (!nobody.ok())
        SKIP_OR_FAIL_IN_CI("running as root without the right to become nobody: permission bits do not stop root");
    // a/ holds 3 files, a/locked/ 5 files it cannot be read, a/b/ 2 files after it.
    QVERIFY(makeDir(root) && makeDir(root + "/a") && makeDir(root + "/a/locked") && makeDir(root + "/a/b"));
    for (int i = 0; i < 3; ++i)
        QVERIFY(writeFile(root + "/a/f" + QByteArray::number(i), 100));
    for (int i = 0; i < 5; ++i)
        QVERIFY(writeFile(root + "/a/locked/f" + QByteArray::number(i), 1000));
    for (int i = 0; i < 2; ++i)
        QVERIFY(writeFile(root + "/a/b/f" + QByteArray::number(i), 10));
    QCOMPARE(chmod((root + "/a/locked").constData(), mode_t(mode)), 0);

    const quint64 files = FolderWalk::countAtPath(root);
    const quint64 bytes = FolderWalk::sizeAtPath(root);
    const quint64 lockedAlone = FolderWalk::countAtPath(root + "/a/locked");
    const quint64 lockedBytes = FolderWalk::sizeAtPath(root + "/a/locked");
    chmod((root + "/a/locked").constData(), 0755);

    // The size and the count always describe the same files.
    QCOMPARE(files, 5ULL);
    QCOMPARE(bytes, 320ULL);
    QCOMPARE(lockedAlone, 0ULL);
    QCOMPARE(lockedBytes, 0ULL);
}

QTEST_GUILESS_MAIN(tst_FolderWalk)
#include "tst_folderwalk.moc"
