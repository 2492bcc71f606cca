#include "CleaningRecorder.h"

#include "core/AsNobody.h"
#include "core/FileController.h"
#include "platform/files/FileManager.h"
#include "platform/plist/PropertyList.h"
#include "platform/system/UserDefaults.h"
#include "support/CiSkip.h"
#include "support/FakeHome.h"
#include "support/HostileLists.h"
#include "support/LinkFlipper.h"
#include "support/PeakMemory.h"
#include "targets/base/MasterPrefsViewController.h"
#include "targets/base/ModuleController.h"

#include <QtTest>

#include <atomic>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

using platform::FileManager;
using platform::PropertyList;

namespace {

const QString prefs = u"Library/Preferences/org.example.rewrite.plist"_s;
const QString itemName = u"Rewrite Recent"_s;

// One row: the key "Recent" is taken out of the list by the module base's rewrite.
class RewriteModule : public ModuleController
{
public:
    // Runs just before the edited list takes the path.
    std::function<void()> interfere;
    // A further change, made with the key's removal.
    std::function<void(PropertyList &)> editAlso;

    RewriteModule()
    {
        setIdentity(u"org.example.rewrite"_s, u"scanRewrite"_s, u"Rewrite"_s);
        TraceRow row = traceRow(u"Recent"_s, u"rewriteLists"_s, tracepaths::home(prefs), u"Plist"_s);
        row.keyPath = {u"Recent"_s};
        row.offer = TraceRow::Offer::KeyNonEmpty;
        row.route = TraceRow::Route::KeyRewrite;
        row.edit = [this](PropertyList &list) {
            list.removeKey(u"Recent"_s);
            if (editAlso)
                editAlso(list);
        };
        row.beforeWrite = [this] {
            if (interfere)
                interfere();
        };
        setTraceTable({row});
    }
    // The offer test the scan runs on the row.
    static bool offered(const QString &path) { return keyNonEmpty(path, {u"Recent"_s}); }

protected:
    MasterPrefsViewController *createPane() override { return nullptr; }
};

struct Fixture
{
    FakeHome home;
    FileController files;
    RewriteModule module;
    CleaningRecorder recorder;

    Fixture()
    {
        module.setFileControl(&files);
        module.init();
    }
    void clean() { postCleaningRequest(u"Rewrite"_s, itemName, home.path(prefs)); }
    bool lastCleaned() const
    {
        return !recorder.events.isEmpty() && recorder.events.last().name == CleaningRecorder::removal;
    }
};

const QVariantMap withRecent{{u"Recent"_s, QVariantList{u"a.txt"_s}}, {u"Keep"_s, u"stays"_s}};

QByteArray listBytes(const QVariantMap &map)
{
    return PropertyList::fromVariant(map).toData().value_or(QByteArray());
}

// {"Recent": [...], "Keep": value} as XML, the array's members written as given.
QByteArray xmlWithRecent(const QByteArray &before, const QByteArray &members)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + before
        + "<plist version=\"1.0\"><dict><key>Keep</key><string>stays</string>"
          "<key>Recent</key><array>"
        + members + "</array></dict></plist>\n";
}

} // namespace

class tst_KeyRewrite : public QObject
{
    Q_OBJECT
private slots:
    void linkedListIsNotRewritten_data();
    void linkedListIsNotRewritten();
    void hostileListStaysInPlace_data();
    void hostileListStaysInPlace();
    void valueTheWriterWouldChangeIsNotWritten();
    void readerNeverFindsTheListMissing();
    void linkSwappedInNeverChangesItsTarget();
    void changeJustBeforeTheSwapStopsTheRewrite_data();
    void changeJustBeforeTheSwapStopsTheRewrite();
    void asideFolderSwappedJustBeforeTheSwap();
    void listOwnershipAndOverwrite_data();
    void listOwnershipAndOverwrite();
};

void tst_KeyRewrite::linkedListIsNotRewritten_data()
{
    QTest::addColumn<QString>("layout");
    QTest::newRow("symbolic link to a list elsewhere") << "symlink";
    QTest::newRow("second hard link") << "hardlink";
    QTest::newRow("fifo") << "fifo";
}

void tst_KeyRewrite::linkedListIsNotRewritten()
{
    QFETCH(QString, layout);
    Fixture f;
    const QString path = f.home.path(prefs);
    const QString outside = f.home.path(u"Elsewhere/shared.plist"_s);
    QVERIFY(f.home.writePlist(u"Elsewhere/shared.plist"_s, withRecent));
    QVERIFY(f.home.makeDir(u"Library/Preferences"_s));
    const QByteArray p = QFile::encodeName(path);
    if (layout == "symlink")
        QCOMPARE(symlink(QFile::encodeName(outside).constData(), p.constData()), 0);
    else if (layout == "hardlink")
        QCOMPARE(link(QFile::encodeName(outside).constData(), p.constData()), 0);
    else
        QCOMPARE(mkfifo(p.constData(), 0600), 0);

    QVERIFY(!RewriteModule::offered(path)); // what would not be rewritten is not offered either
    f.clean();
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    QCOMPARE(f.recorder.events.first().info.value(u"didClean"_s).toBool(), false);
    // Nothing moved, nothing cut loose: the shared list still holds its key, under both names.
    QCOMPARE(PropertyList::fromFile(outside)->toVariant().toMap(), withRecent);
    struct stat st;
    QCOMPARE(lstat(p.constData(), &st), 0);
    if (layout == "symlink")
        QVERIFY(S_ISLNK(st.st_mode));
    if (layout == "hardlink")
        QCOMPARE(st.st_nlink, nlink_t(2));
}

void tst_KeyRewrite::hostileListStaysInPlace_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("offered"); // by the scan: only a list that can be read is
    QByteArray closers, openers;
    for (int i = 0; i < 300000; ++i) {
        closers.append("</array>");
        openers.append("<array>");
    }
    QTest::newRow("nested 300000 deep behind a comment")
        << xmlWithRecent("<!--" + closers + "-->", "<string>a.txt</string>" + openers + closers) << false;
    QByteArray many;
    many.reserve(8 * 1000 * 1000 * 7);
    for (int i = 0; i < 8 * 1000 * 1000; ++i)
        many.append("<true/>");
    QTest::newRow("eight million nodes") << xmlWithRecent(QByteArray(), many) << false;
    QTest::newRow("quote in true before 300000 levels") << hostilelists::quoteBeforeDeepNesting("true") << false;
    QTest::newRow("quote in false before 300000 levels") << hostilelists::quoteBeforeDeepNesting("false") << false;
    QTest::newRow("unclosed quote before 300000 levels")
        << hostilelists::quoteBeforeDeepNesting("true", false) << false;
    QTest::newRow("8 MB referred to 96 times") << hostilelists::sharedData(8 << 20, 96) << false;
    // Declared entities: text that grows as it is read, or a file read as an empty string.
    QTest::newRow("entity of 4000 characters used 1000 times") << hostilelists::entityList(4000, 1000) << false;
    QTest::newRow("external entity") << hostilelists::entityList(0, 1, "<!ENTITY e SYSTEM \"file:///etc/hostname\">")
                                     << false;
    QTest::newRow("parameter entity") << hostilelists::entityList(0, 1, "<!ENTITY % p \"<!ENTITY e 'x'>\"> %p;")
                                      << false;
    // Read as it stands, the integer would come back clamped to 64 bits.
    QTest::newRow("integer beyond 64 bits")
        << xmlWithRecent(QByteArray(), "<integer>18446744073709551616</integer>") << false;
    // A string marked ASCII holding a Latin-1 byte: libplist's writer would drop the byte, and
    // the reader, like the system's, refuses the list.
    const uchar latin[] = {'b', 'p', 'l', 'i', 's',  't', '0', '0', 0xD2, 1,    2, 3,    4,   0x56, 'R', 'e',
                           'c', 'e', 'n', 't', 0x54, 'K', 'e', 'e', 'p',  0xA1, 2, 0x54, 'c', 'a',  'f', 0xE9,
                           8,   13,  20,  25,  27, // offsets
                           0,   0,   0,   0,   0,    0,   1,   1,   0,    0,    0, 0,    0,   0,    0,   5,
                           0,   0,   0,   0,   0,    0,   0,   0,   0,    0,    0, 0,    0,   0,    0,   32};
    QTest::newRow("a kept value the writer would change")
        << QByteArray(reinterpret_cast<const char *>(latin), sizeof latin) << false;
}

void tst_KeyRewrite::hostileListStaysInPlace()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, offered);
    Fixture f;
    const QString path = f.home.path(prefs);
    QVERIFY(f.home.writeFile(prefs, bytes));
    const PeakMemory peak;
    QVERIFY2(peak.ok(), "the kernel's peak-memory mark cannot be lowered here");

    QCOMPARE(RewriteModule::offered(path), offered);
    f.clean();

    if (PeakMemory::budgetsHold)
        QVERIFY2(peak.growthBytes() < qint64(300) << 20,
                 qPrintable(QString::number(peak.growthBytes() >> 20) + " MiB"));
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    QCOMPARE(f.recorder.events.first().info.value(u"didClean"_s).toBool(), false);
    QVERIFY(FileManager::defaultManager().contentsAtPath(path) == bytes);
}

// An XML list holds dates to the second: an edit that stores a finer one would come back
// otherwise from the new bytes, so the list stays as it was rather than change silently.
void tst_KeyRewrite::valueTheWriterWouldChangeIsNotWritten()
{
    Fixture f;
    const QString path = f.home.path(prefs);
    const QByteArray before = PropertyList::fromVariant(withRecent, PropertyList::Format::Xml).toData().value();
    QVERIFY(f.home.writeFile(prefs, before));
    f.module.editAlso = [](PropertyList &list) {
        list.setValue(u"Stamp"_s, QDateTime::fromMSecsSinceEpoch(Q_INT64_C(1700000000250), Qt::UTC));
    };

    f.clean();
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    QCOMPARE(f.recorder.events.first().info.value(u"didClean"_s).toBool(), false);
    QCOMPARE(FileManager::defaultManager().contentsAtPath(path).value(), before);
}

void tst_KeyRewrite::readerNeverFindsTheListMissing()
{
    Fixture f;
    const QString path = f.home.path(prefs);
    QVERIFY(f.home.writePlist(prefs, withRecent));
    QCOMPARE(chmod(QFile::encodeName(path).constData(), 0640), 0);

    std::atomic<bool> stop{false};
    std::atomic<int> missing{0};
    std::atomic<int> partial{0};
    std::thread reader([&] {
        const QByteArray p = QFile::encodeName(path);
        while (!stop.load()) {
            const auto file = FileManager::defaultManager().readRegularFile(path, 1 << 20);
            if (!file)
                ++missing;
            else if (!PropertyList::fromData(file->data))
                ++partial;
        }
    });
    QVariantMap expectedOld = withRecent;
    int cleaned = 0;
    for (int round = 0; round < 150; ++round) {
        expectedOld[u"Round"_s] = round;
        QVERIFY(FileManager::defaultManager().writeAtomically(path, listBytes(expectedOld)));
        f.recorder.clear();
        f.clean();
        if (!f.lastCleaned())
            continue;
        ++cleaned;
        // The old contents reach the removal engine whole.
        const QString aside = f.recorder.events.last().info.value(u"removalItemPath"_s).toString();
        QCOMPARE(PropertyList::fromFile(aside)->toVariant().toMap(), expectedOld);
    }
    stop = true;
    reader.join();
    QCOMPARE(cleaned, 150);
    QCOMPARE(missing.load(), 0);
    QCOMPARE(partial.load(), 0);
    QVariantMap expectedNew = expectedOld;
    expectedNew.remove(u"Recent"_s);
    QCOMPARE(PropertyList::fromFile(path)->toVariant().toMap(), expectedNew);
    QCOMPARE(FileManager::defaultManager().attributesOfItemAtPath(path)->permissions, mode_t(0640));
}

void tst_KeyRewrite::linkSwappedInNeverChangesItsTarget()
{
    Fixture f;
    const QString path = f.home.path(prefs);
    const QString outside = f.home.path(u"Elsewhere/canary.plist"_s);
    QVERIFY(f.home.writePlist(u"Elsewhere/canary.plist"_s, withRecent));
    QVERIFY(f.home.writePlist(prefs, withRecent));
    const QByteArray canary = FileManager::defaultManager().contentsAtPath(outside).value();

    {
        // A second thread keeps putting a link to the canary and a real list in turn there.
        LinkFlipper flipper(path, outside, listBytes(withRecent));
        for (int round = 0; round < 300; ++round)
            f.clean();
    }

    QCOMPARE(f.recorder.events.size(), 300); // one answer per request, whatever happened
    QCOMPARE(FileManager::defaultManager().contentsAtPath(outside).value(), canary);
    const auto attributes = FileManager::defaultManager().attributesOfItemAtPath(outside);
    QVERIFY(attributes && attributes->isRegularFile);
    QCOMPARE(attributes->linkCount, nlink_t(1));
}

void tst_KeyRewrite::changeJustBeforeTheSwapStopsTheRewrite_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("a second hard link made") << "hardlink";
    QTest::newRow("the list saved anew by its application") << "saved";
}

void tst_KeyRewrite::changeJustBeforeTheSwapStopsTheRewrite()
{
    QFETCH(QString, change);
    Fixture f;
    const QString path = f.home.path(prefs);
    const QString other = f.home.path(u"Elsewhere/other.plist"_s);
    QVERIFY(f.home.writePlist(prefs, withRecent));
    QVERIFY(f.home.makeDir(u"Elsewhere"_s));
    QVariantMap saved = withRecent;
    saved[u"Saved"_s] = true;
    bool changed = false;
    f.module.interfere = [&] {
        if (change == "hardlink")
            changed = link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()) == 0;
        else
            changed = FileManager::defaultManager().writeAtomically(path, listBytes(saved));
    };

    f.clean();
    QVERIFY(changed);
    QVERIFY(!f.lastCleaned());
    // What is at the path now is left as it is, and nothing of the attempt stays aside.
    QCOMPARE(PropertyList::fromFile(path)->toVariant().toMap(), change == "hardlink" ? withRecent : saved);
    QCOMPARE(FileManager::defaultManager().contentsOfDirectoryAtPath(FileController::temporaryFolderPath()),
             QStringList{u".nimbrel-folder"_s}); // our folder's marker alone
    if (change == "hardlink")
        QCOMPARE(FileManager::defaultManager().attributesOfItemAtPath(path)->linkCount, nlink_t(2));
}

void tst_KeyRewrite::asideFolderSwappedJustBeforeTheSwap()
{
    // Another user's step once the new list is written: the aside folder swapped for a link
    // to a folder holding an entry of the new list's name. The swap still happens in the
    // folder that was checked: the old list never lands anywhere else.
    Fixture f;
    const QString path = f.home.path(prefs);
    QVERIFY(f.home.writePlist(prefs, withRecent));
    QVERIFY(f.home.makeDir(u"Elsewhere"_s));
    const QString elsewhere = f.home.path(u"Elsewhere"_s);
    const QString folder = FileController::temporaryFolderPath();
    QString written;
    f.module.interfere = [&] {
        for (const QString &name : FileManager::defaultManager().contentsOfDirectoryAtPath(folder)) {
            if (name != QLatin1String(".nimbrel-folder")) // our marker
                written = name;
        }
        if (written.isEmpty() || !FakeHome::writeFileAt(elsewhere + u"/"_s + written, "the user's"))
            return;
        rename(QFile::encodeName(folder).constData(), QFile::encodeName(folder + u".checked"_s).constData());
        symlink(QFile::encodeName(elsewhere).constData(), QFile::encodeName(folder).constData());
    };

    f.clean();
    QVERIFY(!written.isEmpty());
    QCOMPARE(FileManager::defaultManager().contentsAtPath(elsewhere + u"/"_s + written), QByteArray("the user's"));
    QVERIFY(f.lastCleaned());
    QCOMPARE(PropertyList::fromFile(path)->toVariant().toMap(), QVariantMap({{u"Keep"_s, u"stays"_s}}));
    QCOMPARE(PropertyList::fromFile(folder + u".checked/"_s + written)->toVariant().toMap(), withRecent);
}

void tst_KeyRewrite::listOwnershipAndOverwrite_data()
{
    QTest::addColumn<uid_t>("owner");
    QTest::addColumn<gid_t>("group");
    QTest::addColumn<bool>("asNobody"); // nobody runs the clean, with secure removal on
    QTest::newRow("a list of another group keeps it") << uid_t(0) << AsNobody::gid << false;
    QTest::newRow("another user's list keeps its owner") << AsNobody::uid << AsNobody::gid << false;
    QTest::newRow("secure removal on, a list of root's nobody cannot overwrite") << uid_t(0) << gid_t(0) << true;
}

void tst_KeyRewrite::listOwnershipAndOverwrite()
{
    QFETCH(uid_t, owner);
    QFETCH(gid_t, group);
    QFETCH(bool, asNobody);
    if (geteuid() != 0)
        SKIP_OR_FAIL_IN_CI("lists of other owners and groups need root to make them");
    Fixture f;
    const QString path = f.home.path(prefs);
    QVERIFY(f.home.writePlist(prefs, withRecent));
    const QByteArray p = QFile::encodeName(path);
    QCOMPARE(chmod(p.constData(), 0640), 0);
    QCOMPARE(chown(p.constData(), owner, group), 0);
    const QByteArray before = FileManager::defaultManager().contentsAtPath(path).value();
    // For nobody: a way into the home, a folder of the lists it may write in, and a temporary
    // directory of its own.
    QTemporaryDir tmp(u"/tmp/nimbrel-rewrite-XXXXXX"_s);
    const QByteArray oldTmp = qgetenv("TMPDIR");
    if (asNobody) {
        const QString base = QFileInfo(f.home.path(QString())).absolutePath();
        for (const QString &folder : {base, f.home.path(QString()), f.home.path(u"Library"_s)})
            QCOMPARE(chmod(QFile::encodeName(folder).constData(), 0755), 0);
        QVERIFY(AsNobody::handOver(QFile::encodeName(f.home.path(u"Library/Preferences"_s)).constData()));
        QVERIFY(AsNobody::handOver(QFile::encodeName(tmp.path()).constData()));
        QCOMPARE(chmod(p.constData(), 0644), 0);
        qputenv("TMPDIR", QFile::encodeName(tmp.path()));
        platform::UserDefaults::standardUserDefaults().setBool(true, u"enableSecureDelete"_s);
    }
    {
        std::optional<AsNobody> nobody;
        if (asNobody && !nobody.emplace().ok())
            SKIP_OR_FAIL_IN_CI("running as root without the right to become nobody");
        f.clean();
    }
    qputenv("TMPDIR", oldTmp);

    struct stat st;
    QCOMPARE(lstat(p.constData(), &st), 0);
    if (asNobody) {
        // Not cleaned, and said so: the list as it was, nothing of it set aside.
        QVERIFY(!f.lastCleaned());
        QCOMPARE(FileManager::defaultManager().contentsAtPath(path).value(), before);
        QCOMPARE(st.st_uid, uid_t(0));
        const QString aside = tmp.path() + u"/Nimbrel"_s;
        QVERIFY(FileManager::defaultManager()
                    .contentsOfDirectoryAtPath(aside)
                    .filter(QRegularExpression(u"^[^.]"_s))
                    .isEmpty());
        return;
    }
    QVERIFY(f.lastCleaned());
    QCOMPARE(PropertyList::fromFile(path)->toVariant().toMap(), QVariantMap({{u"Keep"_s, u"stays"_s}}));
    QCOMPARE(st.st_mode & 07777, mode_t(0640));
    QCOMPARE(st.st_uid, owner);
    QCOMPARE(st.st_gid, group);
}

QTEST_MAIN(tst_KeyRewrite)
#include "tst_keyrewrite.moc"
