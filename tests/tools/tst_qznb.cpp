// Black-box tests of the secure-removal tool: the real executable on real files; the order in
// which its writes and syncs reach the disk is followed in-process, through the Disk seam.
#include <QtTest>

#include "core/AsNobody.h"
#include "platform/files/FileManager.h"
#include "support/CiSkip.h"
#include "support/LinkFlipper.h"
#include "support/LockedCache.h"
#include "support/ScratchDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>
#include <mutex>
#include <optional>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

// The pass table is plain code; test it directly rather than through a hook in the tool.
#include "tools/qznb/Passes.cpp"
// The removal itself, with its calls to the disk recorded.
#include "tools/qznb/Batch.cpp"
#include "tools/qznb/Disk.cpp"
#include "tools/qznb/Interrupt.cpp"
#include "tools/qznb/NameHider.cpp"
#include "tools/qznb/Overwriter.cpp"
#include "tools/qznb/Random.cpp"
#include "tools/qznb/Remover.cpp"
#include "tools/qznb/Reporter.cpp"

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runQznb(const QStringList &arguments, const QString &workingDirectory = QString(), int descriptorLimit = 0,
            bool asNobody = false)
{
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    process.setChildProcessModifier([descriptorLimit, asNobody] {
        if (descriptorLimit > 0) {
            // Soft and hard alike, as `ulimit -n` sets them: the tool cannot raise its way out.
            const struct rlimit limit = {rlim_t(descriptorLimit), rlim_t(descriptorLimit)};
            setrlimit(RLIMIT_NOFILE, &limit);
        }
        if (asNobody && !AsNobody::becomeForGood())
            _exit(AsNobody::cannotBecomeNobody);
    });
    process.start(QString::fromUtf8(NIMBREL_TEST_QZNB), arguments);
    Run run;
    if (!process.waitForStarted() || !process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray noise(qsizetype size, char seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + seed) ^ (i >> 7));
    return bytes;
}

bool exists(const QString &path)
{
    // QFileInfo::exists follows links; we need the entry itself.
    return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}

QString describe(const std::vector<qznb::Pass> &passes)
{
    QStringList parts;
    for (const qznb::Pass &pass : passes) {
        if (pass.random)
            parts << u"R"_s;
        else if (pass.pattern[0] == pass.pattern[1] && pass.pattern[1] == pass.pattern[2])
            parts << QString::asprintf("%02X", pass.pattern[0]);
        else
            parts << QString::asprintf("%02X%02X%02X", pass.pattern[0], pass.pattern[1], pass.pattern[2]);
    }
    return parts.join(QLatin1Char(' '));
}

// Checks the verbose protocol; returns an empty string when it holds, else what broke.
QString checkVerbose(const QByteArray &out, int expectedFiles, QStringList *removed)
{
    static const QRegularExpression percentLine(u"^([0-9]+)%$"_s);
    const QList<QByteArray> lines = out.split('\n');
    if (!out.endsWith('\n'))
        return u"output does not end with a line end"_s;
    bool inFile = false;
    int last = 0;
    int files = 0;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines.at(i));
        if (line.startsWith(QLatin1String("removing "))) {
            if (inFile)
                return u"removing before done: "_s + line;
            inFile = true;
            last = 0;
            *removed << line.mid(9);
        } else if (line == QLatin1String("done")) {
            if (!inFile)
                return u"done without removing"_s;
            inFile = false;
            ++files;
        } else if (const auto match = percentLine.match(line); match.hasMatch()) {
            const int value = match.captured(1).toInt();
            if (!inFile || value <= last || value > 100)
                return u"percent out of order: "_s + line;
            last = value;
        } else {
            return u"unexpected line: "_s + line;
        }
    }
    if (inFile)
        return u"last file not done"_s;
    if (files != expectedFiles)
        return u"%1 files done, expected %2"_s.arg(files).arg(expectedFiles);
    return QString();
}

// Passes the tool's calls on to the real disk and follows each file by its inode: a pass (a
// write at offset 0 onwards) may start only once the file's previous pass was synced, a sync
// must find each dirty file's pass complete, and a name may go only when every pass is durable.
class OrderCheckingDisk : public qznb::Disk
{
public:
    explicit OrderCheckingDisk(int passes)
        : m_passes(passes)
    {}

    struct File
    {
        qint64 size = 0;
        qint64 written = 0; // of the pass in hand
        bool dirty = false;
        int durablePasses = 0;
    };
    QHash<quint64, File> files;
    QHash<quint64, qint64> dataBytes; // what a pass writes of a sparse file: its data, never its holes
    QStringList problems;
    int dataSyncs = 0;
    int folderSyncs = 0;

    ssize_t write(int fd, const void *data, std::size_t length, off_t offset) override
    {
        struct stat info = {};
        fstat(fd, &info);
        const std::lock_guard locker(m_lock);
        File &file = files[info.st_ino];
        file.size = info.st_size;
        if (offset == 0) {
            if (file.dirty)
                problems << u"inode %1: a pass began before the last one was synced"_s.arg(info.st_ino);
            file.written = 0;
        }
        file.dirty = true;
        file.written += qint64(length);
        return qznb::Disk::write(fd, data, length, offset);
    }
    int syncData(int fd) override
    {
        struct stat info = {};
        fstat(fd, &info);
        ++dataSyncs;
        const int result = qznb::Disk::syncData(fd);
        if (result == 0 && files.contains(info.st_ino))
            settle(info.st_ino, files[info.st_ino]);
        return result;
    }
    int syncFileSystem(int fd) override
    {
        ++dataSyncs;
        const int result = qznb::Disk::syncFileSystem(fd);
        if (result == 0)
            for (auto it = files.begin(); it != files.end(); ++it)
                settle(it.key(), it.value());
        return result;
    }
    int syncFolder(int dirFd) override
    {
        ++folderSyncs;
        return qznb::Disk::syncFolder(dirFd);
    }
    int unlink(int dirFd, const char *name, int flags) override
    {
        struct stat info = {};
        if (flags == 0 && fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode)
            && info.st_size > 0) {
            const std::lock_guard locker(m_lock);
            const File file = files.value(info.st_ino);
            if (file.dirty || file.durablePasses != m_passes)
                problems << u"inode %1 unlinked after %2 durable passes of %3"_s.arg(info.st_ino)
                                .arg(file.durablePasses)
                                .arg(m_passes);
        }
        return qznb::Disk::unlink(dirFd, name, flags);
    }

private:
    void settle(quint64 inode, File &file)
    {
        if (!file.dirty)
            return;
        const qint64 expected = dataBytes.value(inode, file.size);
        if (file.written != expected)
            problems << u"inode %1: a pass of %2 bytes synced after %3"_s.arg(inode).arg(expected).arg(file.written);
        file.dirty = false;
        ++file.durablePasses;
    }

    int m_passes;
    std::mutex m_lock; // writes and unlinks come from several threads at once (seen by the thread checker)
};

} // namespace

class TestQznb : public QObject
{
    Q_OBJECT
private slots:
    void passTable_data();
    void passTable();
    void patternContinuesAcrossBlocks();
    void levels_data();
    void levels();
    void linksKeepTheirTargets();
    void linkGivenAsPath_data();
    void linkGivenAsPath();
    void verboseOutput_data();
    void verboseOutput();
    void arguments_data();
    void arguments();
    void failureNamesPathAndGoesOn();
    void mountsInsideStay_data();
    void mountsInsideStay();
    void deepTreeUnderDescriptorLimit_data();
    void deepTreeUnderDescriptorLimit();
    void ownersLockedFoldersAreEmptied();
    void interruptStopsMidPass_data();
    void interruptStopsMidPass();
    void endsWithItsParent_data();
    void endsWithItsParent();
    void passesReachDiskInOrder_data();
    void passesReachDiskInOrder();
};

void TestQznb::passTable_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("expected");
    QTest::newRow("simple") << int(qznb::Level::Simple) << u"R"_s;
    QTest::newRow("medium") << int(qznb::Level::Medium) << u"F6 00 FF R 00 FF R"_s;
    QTest::newRow("gutmann") << int(qznb::Level::Gutmann)
                             << u"R R R R 55 AA 924924 492492 249249 00 11 22 33 44 55 66 77 88 99 "
                                "AA BB CC DD EE FF 924924 492492 249249 6DB6DB B6DB6D DB6DB6 R R R R"_s;
}

void TestQznb::passTable()
{
    QFETCH(int, level);
    QFETCH(QString, expected);
    const auto passes = qznb::passesFor(qznb::Level(level));
    QCOMPARE(describe(passes), expected);
}

void TestQznb::patternContinuesAcrossBlocks()
{
    const qznb::Pass pass = qznb::passesFor(qznb::Level::Gutmann).at(6); // 92 49 24
    QByteArray whole(12, 0);
    qznb::fillPattern(pass, reinterpret_cast<unsigned char *>(whole.data()), whole.size());
    QCOMPARE(whole.toHex(), QByteArray("924924924924924924924924"));
    for (int phase = 0; phase < 3; ++phase) {
        QByteArray part(7, 0);
        qznb::fillPattern(pass, reinterpret_cast<unsigned char *>(part.data()), part.size(), phase + 3);
        QCOMPARE(part, whole.mid(phase, 7));
    }
}

void TestQznb::levels_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<int>("size");
    const QList<QPair<const char *, QStringList>> levels = {
        {"simple", {u"-s"_s}}, {"medium", {u"-m"_s}}, {"gutmann", {}}};
    for (const auto &level : levels) {
        for (const int size : {0, 1, 4097, (1 << 20) + 5}) {
            const QByteArray name = QByteArray(level.first) + ' ' + QByteArray::number(size);
            QTest::newRow(name.constData()) << level.second << size;
        }
    }
    QTest::newRow("grouped flags") << QStringList{u"-vfm"_s} << 3000;
}

void TestQznb::levels()
{
    QFETCH(QStringList, flags);
    QFETCH(int, size);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"secret.txt"_s);
    QVERIFY(writeFile(file, noise(size, 7)));

    const Run run = runQznb(flags + QStringList{u"--"_s, file});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.isEmpty(), run.err.constData());
    QVERIFY(!exists(file));
    // Neither the file nor its renamed remains are left behind.
    QVERIFY(
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty());
}

void TestQznb::linksKeepTheirTargets()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString outsideLinked = dir.filePath(u"linked.bin"_s);
    const QString outsideHard = dir.filePath(u"hard.bin"_s);
    const QString outsideFolder = dir.filePath(u"keep"_s);
    const QByteArray linkedBytes = noise(200000, 1);
    const QByteArray hardBytes = noise(300000, 2);
    QVERIFY(writeFile(outsideLinked, linkedBytes));
    QVERIFY(writeFile(outsideHard, hardBytes));
    QVERIFY(QDir().mkpath(outsideFolder));
    QVERIFY(writeFile(outsideFolder + u"/inner.bin"_s, linkedBytes));

    const QString victim = dir.filePath(u"victim"_s);
    QVERIFY(QDir().mkpath(victim + u"/sub/deeper"_s));
    QVERIFY(writeFile(victim + u"/own.bin"_s, noise(5000, 3)));
    QVERIFY(writeFile(victim + u"/sub/deeper/own2.bin"_s, noise(70000, 4)));
    QVERIFY(QFile::link(outsideLinked, victim + u"/sub/link-to-file"_s));
    QVERIFY(QFile::link(outsideFolder, victim + u"/link-to-folder"_s));
    QVERIFY(QProcess::execute(u"ln"_s, {outsideHard, victim + u"/sub/hardlink"_s}) == 0);
    // Opening a fifo for writing would hang; it must only be unlinked.
    QVERIFY(QProcess::execute(u"mkfifo"_s, {victim + u"/sub/fifo"_s}) == 0);

    const Run run = runQznb({u"-v"_s, u"-f"_s, u"-s"_s, u"-r"_s, u"--"_s, victim});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(!exists(victim));
    QCOMPARE(readFile(outsideLinked), linkedBytes);
    QCOMPARE(readFile(outsideHard), hardBytes);
    QCOMPARE(readFile(outsideFolder + u"/inner.bin"_s), linkedBytes);
}

void TestQznb::linkGivenAsPath_data()
{
    QTest::addColumn<bool>("toFolder");
    QTest::addColumn<bool>("trailingSlash");
    QTest::newRow("link to a file") << false << false;
    QTest::newRow("link to a folder") << true << false;
    QTest::newRow("link to a folder, written with a slash") << true << true;
}

void TestQznb::linkGivenAsPath()
{
    QFETCH(bool, toFolder);
    QFETCH(bool, trailingSlash);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray bytes = noise(10000, 5);
    QString target = dir.filePath(u"target.bin"_s);
    QString content = target;
    if (toFolder) {
        target = dir.filePath(u"folder"_s);
        QVERIFY(QDir().mkpath(target));
        content = target + u"/inside.bin"_s;
    }
    QVERIFY(writeFile(content, bytes));
    const QString link = dir.filePath(u"link"_s);
    QVERIFY(QFile::link(target, link));

    const Run run = runQznb({u"-r"_s, u"--"_s, trailingSlash ? link + QLatin1Char('/') : link});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(!exists(link));
    QCOMPARE(readFile(content), bytes);
}

void TestQznb::verboseOutput_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QStringList>("files"); // relative paths, created with data
    QTest::addColumn<QString>("removed");   // the path given, relative
    QTest::addColumn<QStringList>("expectedNames");

    const QString big = u"big.bin"_s;
    QTest::newRow("one file, one pass") << QStringList{u"-s"_s} << QStringList{big} << big << QStringList{big};
    QTest::newRow("one file, seven passes") << QStringList{u"-m"_s} << QStringList{big} << big << QStringList{big};
    QTest::newRow("folder with a line end in a name")
        << QStringList{u"-r"_s} << QStringList{u"d/a"_s, u"d/s/b"_s, u"d/new\nline"_s} << u"d"_s
        << QStringList{u"d/a"_s, u"d/s/b"_s, u"d/new\\012line"_s};
}

void TestQznb::verboseOutput()
{
    QFETCH(QStringList, flags);
    QFETCH(QStringList, files);
    QFETCH(QString, removed);
    QFETCH(QStringList, expectedNames);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString &file : files) {
        const QString path = dir.filePath(file);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        // Several blocks for the single file, so there are many percentages to check.
        QVERIFY(writeFile(path, noise(files.size() == 1 ? (20 << 20) + 3 : 1000, 9)));
    }
    if (files.size() > 1) // folders get no lines of their own
        QVERIFY(QDir().mkpath(dir.filePath(removed + u"/empty-folder"_s)));

    const Run run = runQznb(QStringList{u"-v"_s} + flags + QStringList{u"--"_s, dir.filePath(removed)});
    QCOMPARE(run.exitCode, 0);
    QStringList names;
    const QString problem = checkVerbose(run.out, files.size(), &names);
    QVERIFY2(problem.isEmpty(), qPrintable(problem + u"\n"_s + QString::fromUtf8(run.out)));
    QStringList expected;
    for (const QString &name : expectedNames)
        expected << dir.filePath(name);
    names.sort();
    expected.sort();
    QCOMPARE(names, expected);
    if (files.size() == 1) {
        // A single file's progress runs all the way, with many steps.
        QVERIFY(run.out.contains("\n100%\ndone\n"));
        QVERIFY(run.out.count('%') >= 20);
    }
    QVERIFY(!exists(dir.filePath(removed)));
}

void TestQznb::arguments_data()
{
    QTest::addColumn<QStringList>("arguments"); // "@" stands for the temporary folder, also the working one
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<QString>("survivor"); // relative path that must still exist, or empty
    QTest::addColumn<QStringList>("gone"); // relative paths that must be gone

    const QString missing = u"@/missing"_s;
    const QString file = u"file"_s;
    const QString inside = u"folder/inside"_s;
    QTest::newRow("missing with -f") << QStringList{u"-f"_s, u"--"_s, missing} << true << file << QStringList{};
    QTest::newRow("missing without -f") << QStringList{u"--"_s, missing} << false << file << QStringList{};
    QTest::newRow("missing below a file, with -f")
        << QStringList{u"-f"_s, u"@/file/x"_s} << true << file << QStringList{};
    QTest::newRow("folder without -r") << QStringList{u"-f"_s, u"@/folder"_s} << false << inside << QStringList{};
    QTest::newRow("dot refused") << QStringList{u"-rf"_s, u"@/folder/."_s} << false << inside << QStringList{};
    QTest::newRow("-s with -m") << QStringList{u"-s"_s, u"-m"_s, u"@/file"_s} << false << file << QStringList{};
    QTest::newRow("unknown flag") << QStringList{u"-x"_s, u"@/file"_s} << false << file << QStringList{};
    QTest::newRow("no path") << QStringList{u"-f"_s, u"--"_s} << false << file << QStringList{};
    QTest::newRow("flag-like name after --") << QStringList{u"--"_s, u"-r"_s} << true << inside << QStringList{u"-r"_s};
    QTest::newRow("options end at the first path")
        << QStringList{u"file"_s, u"-r"_s} << true << inside << QStringList{file, u"-r"_s};
    QTest::newRow("relative path with trailing slashes")
        << QStringList{u"-r"_s, u"folder//"_s} << true << file << QStringList{inside};
    QTest::newRow("several paths, failure in between")
        << QStringList{u"@/file"_s, u"@/folder"_s, u"@/-r"_s} << false << inside << QStringList{file, u"-r"_s};
}

void TestQznb::arguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, succeeds);
    QFETCH(QString, survivor);
    QFETCH(QStringList, gone);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeFile(dir.filePath(u"file"_s), "data"));
    QVERIFY(writeFile(dir.filePath(u"-r"_s), "data"));
    QVERIFY(QDir().mkpath(dir.filePath(u"folder"_s)));
    QVERIFY(writeFile(dir.filePath(u"folder/inside"_s), "data"));
    for (QString &argument : arguments)
        argument.replace(QLatin1Char('@'), dir.path());

    const Run run = runQznb(arguments, dir.path());
    if (succeeds) {
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.isEmpty(), run.err.constData());
    } else {
        QVERIFY(run.exitCode > 0);
        QVERIFY2(run.err.startsWith("qznb: "), run.err.constData());
    }
    QVERIFY(exists(dir.filePath(survivor)));
    for (const QString &path : std::as_const(gone))
        QVERIFY2(!exists(dir.filePath(path)), qPrintable(path));
}

void TestQznb::failureNamesPathAndGoesOn()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString victim = dir.filePath(u"victim"_s);
    const QString locked = victim + u"/locked"_s;
    const QString kept = locked + u"/kept"_s;
    QVERIFY(QDir().mkpath(locked));
    QVERIFY(writeFile(kept, noise(4000, 6)));
    QVERIFY(writeFile(victim + u"/a.bin"_s, noise(4000, 7)));
    QVERIFY(QDir().mkpath(victim + u"/z/sub"_s));
    QVERIFY(writeFile(victim + u"/z/sub/b.bin"_s, noise(4000, 8)));
    const QString later = dir.filePath(u"later.bin"_s);
    QVERIFY(writeFile(later, noise(4000, 9)));

    // A folder of one's own no longer stops the tool (it gives itself the rights, as
    // `chmod -R u+rwx` would), so what stops it is an immutable file, which only the superuser
    // can make.
    if (QProcess::execute(u"chattr"_s, {u"+i"_s, kept}) != 0)
        SKIP_OR_FAIL_IN_CI("chattr +i is not available here (file system, or not the superuser)");
    auto restore = qScopeGuard([&] { QProcess::execute(u"chattr"_s, {u"-i"_s, kept}); });

    const Run run = runQznb({u"-f"_s, u"-s"_s, u"-r"_s, u"--"_s, victim, later});
    QVERIFY(run.exitCode > 0);
    QVERIFY2(run.err.contains("qznb: " + kept.toUtf8() + ": "), run.err.constData());
    QVERIFY(exists(kept));
    QVERIFY(!exists(victim + u"/a.bin"_s));
    QVERIFY(!exists(victim + u"/z"_s));
    QVERIFY(!exists(later));
    // The immutable file cannot even be opened for writing, so it is untouched.
    QCOMPARE(readFile(kept), noise(4000, 6));
}

void TestQznb::mountsInsideStay_data()
{
    QTest::addColumn<bool>("bind");
    QTest::newRow("a memory file system mounted inside") << false;
    QTest::newRow("a folder outside bound inside") << true;
}

void TestQznb::mountsInsideStay()
{
    QFETCH(bool, bind);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString victim = dir.filePath(u"victim"_s);
    const QString outside = dir.filePath(u"outside"_s);
    QVERIFY(QDir().mkpath(victim + u"/a"_s) && QDir().mkpath(outside));
    QVERIFY(writeFile(victim + u"/a/entry"_s, noise(4000, 3)));
    QVERIFY(writeFile(outside + u"/precious"_s, noise(4000, 4)));
    std::optional<ScratchDisk> disk;
    if (bind)
        disk.emplace(victim + u"/a/mounted"_s, outside);
    else
        disk.emplace(victim + u"/a/mounted"_s);
    if (!disk->mounted())
        SKIP_OR_FAIL_IN_CI("mounting needs the superuser's right to mount here");
    if (!bind)
        QVERIFY(writeFile(victim + u"/a/mounted/precious"_s, noise(4000, 4)));

    const Run run = runQznb({u"-f"_s, u"-s"_s, u"-r"_s, u"--"_s, victim});
    QVERIFY(run.exitCode > 0);
    QVERIFY2(run.err.contains("qznb: " + (victim + u"/a/mounted"_s).toUtf8() + ": "), run.err.constData());
    // Neither overwritten nor removed, and the way to it stays; the rest is gone.
    QCOMPARE(readFile(victim + u"/a/mounted/precious"_s), noise(4000, 4));
    QCOMPARE(readFile(outside + u"/precious"_s), noise(4000, 4));
    QVERIFY(!exists(victim + u"/a/entry"_s));
}

void TestQznb::deepTreeUnderDescriptorLimit_data()
{
    QTest::addColumn<int>("levels");
    QTest::addColumn<int>("descriptorLimit"); // 0: the tool's own
    QTest::addColumn<bool>("verbose");
    QTest::newRow("1,500 levels, 1,024 descriptors") << 1500 << 1024 << false;
    QTest::newRow("20,000 levels") << 20000 << 0 << false;
    // Each line names its file's whole path: output must grow with the files, not with the
    // square of the depth.
    QTest::newRow("3,000 levels, verbose") << 3000 << 0 << true;
}

void TestQznb::deepTreeUnderDescriptorLimit()
{
    QFETCH(int, levels);
    QFETCH(int, descriptorLimit);
    QFETCH(bool, verbose);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString top = dir.filePath(u"d"_s);
    // Whatever is left is removed without recursion, before the folder's own cleanup meets it.
    auto cleanup = qScopeGuard([&] { platform::FileManager::defaultManager().removeItemAtPath(top); });
    QVERIFY(makeDeepTree(dir.path(), levels, 100));

    const QStringList flags = verbose ? QStringList{u"-v"_s} : QStringList{};
    const Run run = runQznb(flags + QStringList{u"-f"_s, u"-s"_s, u"-r"_s, u"--"_s, top}, QString(), descriptorLimit);
    QVERIFY2(run.exitCode == 0, run.err.left(2000).constData());
    QVERIFY(!exists(top));
    if (verbose) {
        QStringList names;
        const QString problem = checkVerbose(run.out, levels / 100, &names);
        QVERIFY2(problem.isEmpty(), qPrintable(problem.left(2000)));
        qsizetype longest = 0;
        for (const QByteArray &line : run.out.split('\n'))
            longest = qMax(longest, line.size());
        QVERIFY2(longest <= 1100, qPrintable(u"a line of %1 bytes"_s.arg(longest)));
        // A shortened name still shows where it starts and the file it ends in.
        QVERIFY(names.last().startsWith(top + u"/d/d/"_s) && names.last().endsWith(u"/d/d/f"_s));
    }
}

// What `chmod -R u+rwx` and `rm -rf` remove, the tool removes too: folders and files of the
// user's own, whatever modes the user gave them.
void TestQznb::ownersLockedFoldersAreEmptied()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(AsNobody::handOver(QFile::encodeName(dir.path()).constData()));
    const QString cache = makeLockedCache(dir.path());
    QVERIFY(!cache.isEmpty());
    auto unlock = qScopeGuard([&] { unlockTree(cache); });

    const Run run = runQznb({u"-v"_s, u"-f"_s, u"-m"_s, u"-r"_s, u"--"_s, cache}, QString(), 0, true);
    if (run.exitCode == AsNobody::cannotBecomeNobody)
        SKIP_OR_FAIL_IN_CI("running as root without the right to become nobody: root may write anything");
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QVERIFY(!exists(cache));
    QCOMPARE(run.out.count("done\n"), 7); // every file was overwritten and removed
}

void TestQznb::interruptStopsMidPass_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGTERM") << int(SIGTERM);
}

void TestQznb::interruptStopsMidPass()
{
    QFETCH(int, signal);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"large.bin"_s);
    {
        // Real data, many passes of it: holes would not be written at all.
        QFile large(file);
        QVERIFY(large.open(QIODevice::WriteOnly));
        const QByteArray block = noise(1 << 20, 3);
        for (int i = 0; i < 64; ++i)
            QCOMPARE(large.write(block), block.size());
    }

    QProcess process;
    process.start(QString::fromUtf8(NIMBREL_TEST_QZNB), {u"-v"_s, u"--"_s, file});
    QVERIFY(process.waitForStarted());
    QByteArray out;
    QDeadlineTimer limit(60000);
    while (!out.contains('%') && !limit.hasExpired() && process.state() == QProcess::Running) {
        process.waitForReadyRead(1000);
        out += process.readAllStandardOutput();
    }
    QVERIFY2(out.contains('%'), out.constData());
    QCOMPARE(process.state(), QProcess::Running);

    ::kill(pid_t(process.processId()), signal);
    // A liveness bound: the tool checks for the signal between blocks, not after the pass.
    QVERIFY(process.waitForFinished(1000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 128 + signal);
    QVERIFY(!process.readAllStandardOutput().contains("done"));
    QVERIFY(exists(file));
}

void TestQznb::endsWithItsParent_data()
{
    QTest::addColumn<bool>("killedMidway");
    QTest::newRow("parent gone before the tool starts") << false;
    QTest::newRow("parent killed while the tool overwrites") << true;
}

// After a kill of the program the tool stops too, rather than go on removing in the set-aside
// folder while the next launch sweeps it.
void TestQznb::endsWithItsParent()
{
    QFETCH(bool, killedMidway);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"large.bin"_s);
    {
        QFile large(file);
        QVERIFY(large.open(QIODevice::WriteOnly));
        const QByteArray block = noise(1 << 20, 5);
        for (int i = 0; i < 64; ++i)
            QCOMPARE(large.write(block), block.size());
    }
    const QString tool = QString::fromUtf8(NIMBREL_TEST_QZNB);
    if (!killedMidway) {
        // The pid handed over is not the tool's parent: the program went before it started.
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"NIMBREL_PARENT_PID"_s, QString::number(getpid() == 1 ? 2 : 1));
        process.setProcessEnvironment(environment);
        process.start(tool, {u"-v"_s, u"--"_s, file});
        QVERIFY(process.waitForStarted() && process.waitForFinished(120000));
        QCOMPARE(process.exitCode(), 128 + SIGTERM);
        QVERIFY(exists(file));
        return;
    }
    // Orphans come to us, so the tool's end can be waited for without a clock.
    QVERIFY(prctl(PR_SET_CHILD_SUBREAPER, 1) == 0);
    const auto noLongerReaper = qScopeGuard([] { prctl(PR_SET_CHILD_SUBREAPER, 0); });
    QProcess program;
    program.start(u"python3"_s,
                  {u"-c"_s,
                   u"import os, subprocess, sys\n"
                   "env = dict(os.environ, NIMBREL_PARENT_PID=str(os.getpid()))\n"
                   "tool = subprocess.Popen(sys.argv[1:], env=env)\n"
                   "print('tool-pid', tool.pid, file=sys.stderr, flush=True)\n"
                   "tool.wait()\n"_s,
                   tool, u"-v"_s, u"--"_s, file});
    QVERIFY(program.waitForStarted());
    QByteArray out;
    QDeadlineTimer limit(60000);
    while (!out.contains('%') && !limit.hasExpired() && program.state() == QProcess::Running) {
        program.waitForReadyRead(1000);
        out += program.readAllStandardOutput();
    }
    QVERIFY2(out.contains('%'), out.constData());
    // Said on its own channel: the tool's output may come first.
    QByteArray said;
    while (!said.contains('\n') && !limit.hasExpired() && program.state() == QProcess::Running) {
        program.waitForReadyRead(1000);
        said += program.readAllStandardError();
    }
    const QRegularExpressionMatch pidLine = QRegularExpression(u"tool-pid (\\d+)"_s).match(QString::fromLatin1(said));
    const pid_t toolPid = pidLine.hasMatch() ? pid_t(pidLine.captured(1).toInt()) : 0;
    QVERIFY(toolPid > 0);
    ::kill(pid_t(program.processId()), SIGKILL);
    QVERIFY(program.waitForFinished(60000));
    int status = 0;
    QCOMPARE(waitpid(toolPid, &status, 0), toolPid);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 128 + SIGTERM);
    QVERIFY(exists(file));
}

void TestQznb::passesReachDiskInOrder_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QStringList>("folders"); // each gets `files` small files
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("largeFiles"); // beside them in the first folder, streamed one by one
    QTest::addColumn<bool>("sparse");    // and a sparse file far larger than its disk
    QTest::newRow("many small files, seven passes")
        << int(qznb::Level::Medium) << QStringList{u"a"_s, u"b"_s, u"c"_s} << 150 << 0 << false;
    QTest::newRow("small and large files, one pass")
        << int(qznb::Level::Simple) << QStringList{u"."_s} << 60 << 2 << false;
    QTest::newRow("nested folders, thirty-five passes")
        << int(qznb::Level::Gutmann) << QStringList{u"."_s, u"x/y/z"_s} << 12 << 1 << false;
    QTest::newRow("sparse file of 1 GiB on a 4 MiB disk, seven passes")
        << int(qznb::Level::Medium) << QStringList{u"."_s} << 12 << 0 << true;
}

void TestQznb::passesReachDiskInOrder()
{
    QFETCH(int, level);
    QFETCH(QStringList, folders);
    QFETCH(int, files);
    QFETCH(int, largeFiles);
    QFETCH(bool, sparse);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    std::optional<ScratchDisk> disk4m;
    QString tree = dir.filePath(u"tree"_s);
    if (sparse) {
        disk4m.emplace(dir.filePath(u"disk"_s));
        if (!disk4m->mounted())
            SKIP_OR_FAIL_IN_CI("a small disk of its own is mounted only as root");
        tree = dir.filePath(u"disk/tree"_s);
    }
    int written = 0;
    for (const QString &folder : folders) {
        QVERIFY(QDir().mkpath(tree + QLatin1Char('/') + folder));
        for (int i = 0; i < files; ++i)
            QVERIFY(writeFile(u"%1/%2/f%3"_s.arg(tree, folder).arg(i), noise(1 + i * 97, char(i))));
        written += files;
    }
    for (int i = 0; i < largeFiles; ++i)
        QVERIFY(writeFile(u"%1/%2/large%3"_s.arg(tree, folders.first()).arg(i), noise((3 << 20) + i, 4)));
    written += largeFiles;
    quint64 sparseInode = 0;
    const qint64 sparseData = 2 << 20; // 1 MiB at the start, 1 MiB half-way
    if (sparse) {
        const QString path = tree + u"/"_s + folders.first() + u"/sparse"_s;
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(noise(1 << 20, 5)), qint64(1 << 20));
        QVERIFY(file.seek(qint64(512) << 20));
        QCOMPARE(file.write(noise(1 << 20, 6)), qint64(1 << 20));
        QVERIFY(file.resize(qint64(1) << 30));
        file.close();
        struct stat info = {};
        QCOMPARE(stat(QFile::encodeName(path).constData(), &info), 0);
        sparseInode = info.st_ino;
        ++written;
    }

    qznb::Options options;
    options.recursive = true;
    options.level = qznb::Level(level);
    const int passes = int(qznb::passesFor(options.level).size());
    OrderCheckingDisk disk(passes);
    if (sparse)
        disk.dataBytes.insert(sparseInode, sparseData);
    qznb::Random random;
    QVERIFY(random.seed());
    qznb::Overwriter overwriter(random, disk);
    const qznb::Reporter reporter(false);
    qznb::Remover remover(options, reporter, overwriter, random, disk);
    QVERIFY(remover.removePath(tree.toStdString()));

    QVERIFY(!exists(tree));
    QVERIFY2(disk.problems.isEmpty(), qPrintable(disk.problems.mid(0, 5).join(QLatin1Char('\n'))));
    QCOMPARE(disk.files.size(), written);
    for (const OrderCheckingDisk::File &file : std::as_const(disk.files))
        QCOMPARE(file.durablePasses, passes);
    // The small files of a folder share their syncs: one per pass, not one per pass and file.
    const int batches = folders.size() + largeFiles + (sparse ? 1 : 0);
    QVERIFY2(disk.dataSyncs <= passes * batches, qPrintable(QString::number(disk.dataSyncs)));
    QVERIFY2(disk.folderSyncs <= batches, qPrintable(QString::number(disk.folderSyncs)));
}

QTEST_GUILESS_MAIN(TestQznb)
#include "tst_qznb.moc"
