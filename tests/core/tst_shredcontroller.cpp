#include "AsNobody.h"
#include "core/FileController.h"
#include "core/ShredController.h"
#include "core/TemporaryFolder.h"
#include "platform/files/FileManager.h"
#include "platform/system/CookieStorage.h"
#include "platform/system/MainThread.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Task.h"
#include "platform/system/UserDefaults.h"
#include "support/CiSkip.h"
#include "support/FakeHome.h"

#include <QDir>
#include <QFile>
#include <QNetworkCookie>
#include <QRegularExpression>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <unistd.h>

using namespace Qt::StringLiterals;

using platform::NotificationCenter;
using platform::UserDefaults;

namespace {

struct Post
{
    QString name;
    QVariantMap info;
    bool onMainThread = false;
    const void *sender = nullptr;
};

// Everything the engine posts, in arrival order; posts may come from any thread.
class PostLog
{
public:
    PostLog()
    {
        for (const QString &name : {u"CleaningStatusUpdateNotification"_s, u"RemovalProgressNotification"_s,
                                    u"TempCleaningSuccessNotification"_s, u"TempCleaningFailureNotification"_s}) {
            NotificationCenter::defaultCenter().addObserver(&m_owner, name, [this](const platform::Notification &n) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_posts.append({n.name, n.userInfo, platform::MainThread::isMainThread(), n.object});
            });
        }
    }
    QList<Post> posts(const QString &name = {}) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        QList<Post> out;
        for (const Post &p : m_posts)
            if (name.isEmpty() || p.name == name)
                out << p;
        return out;
    }
    QList<Post> statuses() const { return posts(u"CleaningStatusUpdateNotification"_s); }
    QList<int> percentages() const
    {
        QList<int> out;
        for (const Post &p : posts(u"RemovalProgressNotification"_s))
            out << p.info.value("progressPercentage").toInt();
        return out;
    }

private:
    QObject m_owner;
    mutable std::mutex m_mutex;
    QList<Post> m_posts;
};

QVariantMap request(const QString &app, const QString &name, const QString &copy, const QString &ref)
{
    return {{"itemApp", app}, {"itemName", name}, {"itemPath", copy}, {"itemRefPath", ref}};
}

bool exists(const QString &path)
{
    return platform::FileManager::defaultManager().attributesOfItemAtPath(path).has_value();
}

} // namespace

class TestShredController : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeHome> m_home;
    std::unique_ptr<FileController> m_files;
    std::unique_ptr<ShredController> m_shred;
    std::unique_ptr<PostLog> m_log;

    // An item in the home folder, moved aside as a module does; answers the moved copy.
    QString movedCopy(const QString &relPath, int files = 0, int bytes = 1024)
    {
        QByteArray content(bytes, 'x');
        if (files == 0) {
            if (!m_home->writeFile(relPath, content))
                return {};
        } else {
            for (int i = 0; i < files; ++i)
                if (!m_home->writeFile(QString("%1/sub%2/file%3").arg(relPath).arg(i % 2).arg(i), content))
                    return {};
        }
        return m_files->temporaryPathForFile(m_home->path(relPath));
    }
    // A stand-in for the tool: a shell script with the given body.
    QString fakeTool(const QString &body)
    {
        const QString path = m_home->tmp() + "/fake-tool";
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write("#!/bin/sh\n" + body.toUtf8() + "\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    // A tool argument naming `copy` through a descriptor the tool inherited: the copy's own
    // name below /proc/self/fd/N.
    static bool throughDescriptor(const QString &argument, const QString &copy)
    {
        static const QRegularExpression form(u"^/proc/self/fd/[0-9]+/([^/]+)$"_s);
        const QRegularExpressionMatch match = form.match(argument);
        return match.hasMatch() && match.captured(1) == copy.section('/', -1);
    }
    void setSecure(bool on, int level = 0)
    {
        UserDefaults::standardUserDefaults().setBool(on, "enableSecureDelete");
        UserDefaults::standardUserDefaults().setInteger(level, "secureDeleteLevel");
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("NIMBREL_BUNDLE_PATH"))
            qputenv("NIMBREL_BUNDLE_PATH", NIMBREL_TEST_BUNDLE);
    }
    void init()
    {
        m_home = std::make_unique<FakeHome>();
        QVERIFY(m_home->isValid());
        m_files = std::make_unique<FileController>();
        m_shred = std::make_unique<ShredController>();
        m_shred->setFileControl(m_files.get());
        m_shred->awakeFromNib();
        m_log = std::make_unique<PostLog>();
    }
    void cleanup()
    {
        m_shred.reset();
        m_log.reset();
        m_files.reset();
        m_home.reset();
        platform::Task::setLaunchRecorder({});
    }

    void toolChoice_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("bundled");
        QTest::newRow("cannot tell") << QString() << false;
        QTest::newRow("10.11") << "10.11.6" << false;
        QTest::newRow("10.12") << "10.12" << true;
        QTest::newRow("10.15") << "10.15.7" << true;
        QTest::newRow("11") << "11.2" << false;
        QTest::newRow("14") << "14.0" << false;
    }
    void toolChoice()
    {
        QFETCH(QString, version);
        QFETCH(bool, bundled);
        if (!version.isEmpty())
            QVERIFY(m_home->setSystemVersion(version));
        ShredController engine;
        engine.awakeFromNib();
        const QString expected =
            bundled ? QDir(NIMBREL_TEST_BUNDLE).filePath("Contents/MacOS/qznb") : QString("/usr/bin/srm");
        QCOMPARE(QDir::cleanPath(engine.srmPath()), QDir::cleanPath(expected));
    }

    void plainRemoval_data()
    {
        QTest::addColumn<int>("files");
        QTest::newRow("file") << 0;
        QTest::newRow("folder") << 5;
    }
    void plainRemoval()
    {
        QFETCH(int, files);
        setSecure(false);
        const QString ref = m_home->path("Library/Caches/com.apple.Safari");
        const QString copy = movedCopy("Library/Caches/com.apple.Safari", files);
        QVERIFY(!copy.isEmpty());

        m_shred->removeItemWithInfo(request("Safari", "Safari Cache", copy, ref));
        QTRY_COMPARE(m_log->statuses().size(), 1);
        QTest::qWait(50);
        const QList<Post> statuses = m_log->statuses();
        QCOMPARE(statuses.size(), 1);
        QCOMPARE(statuses[0].info,
                 QVariantMap({{"cleaningItemAppName", "Safari"},
                              {"cleaningItemName", "Safari Cache"},
                              {"cleaningItemPath", ref},
                              {"didClean", true}}));
        QVERIFY(statuses[0].onMainThread);
        QCOMPARE(statuses[0].sender, static_cast<const void *>(m_shred.get()));
        QVERIFY(m_log->percentages().isEmpty());
        QVERIFY(!exists(copy));
    }

    void plainRemovalFailureIsReported()
    {
        setSecure(false);
        QVERIFY(TemporaryFolder::ensurePrivate());
        const QString copy = FileController::temporaryFolderPath() + "/gone";
        QTest::ignoreMessage(QtWarningMsg,
                             "Standard Delete failed (No such file or directory) for Safari Safari History "
                             "at path: /ref/History.db");
        m_shred->removeItemWithInfo(request("Safari", "Safari History", copy, "/ref/History.db"));
        QTRY_COMPARE(m_log->statuses().size(), 1);
        QCOMPARE(m_log->statuses()[0].info.value("didClean"), QVariant(false));
        QCOMPARE(m_log->statuses()[0].info.value("cleaningItemPath"), QVariant("/ref/History.db"));
    }

    void secureFileShowsProgressThenStatus()
    {
        setSecure(true, 0);
        const QString ref = m_home->path("Library/Safari/History.db");
        const QString copy = movedCopy("Library/Safari/History.db", 0, 512 * 1024);
        QVERIFY(!copy.isEmpty());

        m_shred->removeItemWithInfo(request("Safari", "Safari Browsing History", copy, ref));
        QVERIFY(m_shred->task());
        QTRY_COMPARE(m_log->statuses().size(), 1);
        QVERIFY(!m_shred->task());

        const QList<Post> posts = m_log->posts();
        QCOMPARE(posts.last().name, QString("CleaningStatusUpdateNotification"));
        QCOMPARE(posts.last().info.value("didClean"), QVariant(true));
        QCOMPARE(posts.last().info.value("cleaningItemPath"), QVariant(ref));
        const QList<int> percents = m_log->percentages();
        QVERIFY(!percents.isEmpty());
        QCOMPARE(percents.last(), 100);
        for (qsizetype i = 1; i < percents.size(); ++i)
            QVERIFY(percents[i] > percents[i - 1]);
        for (const Post &p : posts) {
            QVERIFY(p.onMainThread);
            QCOMPARE(p.info.value("cleaningItemPath"), QVariant(ref));
            QCOMPARE(p.info.value("cleaningItemName"), QVariant("Safari Browsing History"));
        }
        QVERIFY(!exists(copy));
        QVERIFY(m_shred->isDone());
    }

    void secureFolderCountsFinishedFiles()
    {
        setSecure(true, 1);
        const QString ref = m_home->path("Library/Caches/Firefox");
        const QString copy = movedCopy("Library/Caches/Firefox", 4, 100);
        QVERIFY(!copy.isEmpty());

        m_shred->removeItemWithInfo(request("Firefox", "Firefox Cache", copy, ref));
        QCOMPARE(m_shred->dirItemCount(), 4);
        QTRY_COMPARE(m_log->statuses().size(), 1);
        QCOMPARE(m_log->percentages(), (QList<int>{25, 50, 75, 100}));
        QCOMPARE(m_log->statuses()[0].info.value("didClean"), QVariant(true));
        QCOMPARE(m_log->statuses()[0].info.value("cleaningItemPath"), QVariant(ref));
        QCOMPARE(m_log->posts().last().name, QString("CleaningStatusUpdateNotification"));
        QVERIFY(!exists(copy));
    }

    void toolGetsTheAgreedCommandLine_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QStringList>("flags");
        QTest::newRow("simple file") << 0 << false << QStringList{"-v", "-f", "-s", "--"};
        QTest::newRow("medium file") << 1 << false << QStringList{"-v", "-f", "-m", "--"};
        QTest::newRow("full file") << 2 << false << QStringList{"-v", "-f", "--"};
        QTest::newRow("other level") << 7 << false << QStringList{"-v", "-f", "--"};
        QTest::newRow("simple folder") << 0 << true << QStringList{"-v", "-f", "-s", "-r", "--"};
        QTest::newRow("full folder") << 2 << true << QStringList{"-v", "-f", "-r", "--"};
    }
    void toolGetsTheAgreedCommandLine()
    {
        QFETCH(int, level);
        QFETCH(bool, folder);
        QFETCH(QStringList, flags);
        setSecure(true, level);
        const QString argsFile = m_home->tmp() + "/args";
        m_shred->setSrmPath(fakeTool(QString("printf '%s\\n' \"$@\" > '%1'\n"
                                             "for a; do last=$a; done; rm -rf -- \"$last\"; echo done")
                                         .arg(argsFile)));
        const QString copy = movedCopy("Library/Item", folder ? 2 : 0);
        QVERIFY(!copy.isEmpty());
        m_shred->removeItemWithInfo(request("Opera", "Opera Cache", copy, "/ref"));
        QTRY_COMPARE(m_log->statuses().size(), 1);
        QFile file(argsFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList got = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        // The copy is named through the set-aside folder's descriptor, never by its path.
        QCOMPARE(got.mid(0, got.size() - 1), flags);
        QVERIFY2(throughDescriptor(got.last(), copy), qPrintable(got.last()));
        QCOMPARE(m_log->statuses()[0].info.value("didClean"), QVariant(true));
    }

    void toolOutcomes_data()
    {
        QTest::addColumn<QString>("script"); // empty: no tool at all
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("cleaned");
        QTest::newRow("non-zero exit") << "exit 3"
                                       << "Secure Shredding Task Failed (3)" << false;
        QTest::newRow("exit 0, item left") << "exit 0"
                                           << "Secure Shredding Task Succeeded but item still exists." << false;
        QTest::newRow("tool missing") << QString() << "Secure Shredding Task Failed (127)" << false;
        QTest::newRow("exit 0, item gone, silent")
            << "for a; do last=$a; done; rm -f -- \"$last\"" << QString() << true;
        QTest::newRow("killed by a signal") << "kill -TERM $$"
                                            << "Secure Shredding Task Failed (15)" << false;
    }
    void toolOutcomes()
    {
        QFETCH(QString, script);
        QFETCH(QString, message);
        QFETCH(bool, cleaned);
        setSecure(true, 0);
        m_shred->setSrmPath(script.isEmpty() ? m_home->tmp() + "/no-such-tool" : fakeTool(script));
        const QString copy = movedCopy("Library/Preferences/com.apple.Safari.plist");
        QVERIFY(!copy.isEmpty());
        if (!message.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, message.toUtf8().constData());
        m_shred->removeItemWithInfo(request("Safari", "Safari Preferences", copy, "/ref/plist"));
        QTRY_COMPARE(m_log->statuses().size(), 1);
        QCOMPARE(m_log->statuses()[0].info.value("didClean"), QVariant(cleaned));
        QCOMPARE(m_log->statuses()[0].info.value("cleaningItemPath"), QVariant("/ref/plist"));
        QVERIFY(!m_shred->task());
        QTest::qWait(50);
        QCOMPARE(m_log->statuses().size(), 1);
    }

    void secondRequestInterruptsTheRunningRemoval()
    {
        setSecure(true, 2);
        const QString first = movedCopy("Library/Big", 0, 64 * 1024 * 1024);
        const QString second = movedCopy("Library/Small");
        QVERIFY(!first.isEmpty() && !second.isEmpty());

        m_shred->removeItemWithInfo(request("Chrome", "Chrome Cache", first, "/ref/big"));
        QTRY_VERIFY(!m_log->percentages().isEmpty());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Secure Shredding Task Failed \\(\\d+\\)$"));
        m_shred->removeItemWithInfo(request("Chrome", "Chrome History", second, "/ref/small"));
        QTRY_COMPARE(m_log->statuses().size(), 2);
        QTRY_VERIFY(!m_shred->task());

        QMap<QString, bool> outcome;
        for (const Post &p : m_log->statuses())
            outcome[p.info.value("cleaningItemPath").toString()] = p.info.value("didClean").toBool();
        QCOMPARE(outcome, (QMap<QString, bool>{{"/ref/big", false}, {"/ref/small", false}}));
        // The dropped request's copy is left for the next temporary-folder cleanup.
        QVERIFY(exists(second));
        QTest::qWait(50);
        QCOMPARE(m_log->statuses().size(), 2);
    }

    void binaryCookiesEmptyTheCookieStore_data()
    {
        QTest::addColumn<bool>("secure");
        QTest::addColumn<QString>("app");
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("emptied");
        QTest::newRow("plain") << false << "Safari"
                               << "Safari Binary Cookies" << true;
        QTest::newRow("secure") << true << "Safari"
                                << "Safari Binary Cookies" << true;
        QTest::newRow("other Safari item") << false << "Safari"
                                           << "Safari Cookies" << false;
        QTest::newRow("other application") << true << "Shiira"
                                           << "Safari Binary Cookies" << false;
    }
    void binaryCookiesEmptyTheCookieStore()
    {
        QFETCH(bool, secure);
        QFETCH(QString, app);
        QFETCH(QString, item);
        QFETCH(bool, emptied);
        setSecure(secure, 0);
        QList<QPair<QString, QStringList>> launches;
        platform::Task::setLaunchRecorder([&](const QString &path, const QStringList &arguments) {
            launches.append({path, arguments});
        });
        auto &store = platform::CookieStorage::sharedHTTPCookieStorage();
        store.deleteAllCookies();
        QVERIFY(store.setCookiesFromUrl({QNetworkCookie("id", "1"), QNetworkCookie("pref", "2")},
                                        QUrl("https://example.com/")));

        const QString copy = movedCopy("Library/Cookies/Cookies.binarycookies");
        QVERIFY(!copy.isEmpty());
        m_shred->removeItemWithInfo(request(app, item, copy, "/ref/cookies"));
        QCOMPARE(store.count(), emptied ? 0 : 2);
        if (emptied)
            QCOMPARE(launches, (QList<QPair<QString, QStringList>>{{"/usr/bin/killall", {"-KILL", "nsurlstoraged"}}}));
        else
            QVERIFY(launches.isEmpty());
        QTRY_COMPARE(m_log->statuses().size(), 1);
        QCOMPARE(m_log->statuses()[0].info.value("didClean"), QVariant(true));
        store.deleteAllCookies();
    }

    void temporaryFolderCleanup_data()
    {
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("secure");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("levelFlag"); // the tool's flag for that level
        QTest::addColumn<QString>("notice");
        const QString success = u"TempCleaningSuccessNotification"_s;
        QTest::newRow("leftovers") << true << false << 0 << QString() << success;
        QTest::newRow("leftovers, secure level 0") << true << true << 0 << "-s\n" << success;
        QTest::newRow("leftovers, secure level 1") << true << true << 1 << "-m\n" << success;
        QTest::newRow("leftovers, secure level 2") << true << true << 2 << QString() << success;
        QTest::newRow("no folder") << false << false << 0 << QString() << "TempCleaningFailureNotification";
    }
    void temporaryFolderCleanup()
    {
        QFETCH(bool, present);
        QFETCH(bool, secure);
        QFETCH(int, level);
        QFETCH(QString, levelFlag);
        QFETCH(QString, notice);
        setSecure(secure, level);
        // The tool records each run and removes what it was given, as the real one does.
        const QString argsFile = m_home->tmp() + "/args";
        m_shred->setSrmPath(fakeTool(QString("printf '%s\\n' \"$@\" >> '%1'\n"
                                             "for a; do last=$a; done; rm -rf -- \"$last\"")
                                         .arg(argsFile)));
        QStringList copies;
        if (present) {
            copies << movedCopy("Library/a") << movedCopy("Library/b", 3);
            QVERIFY(!copies.contains(QString()));
        }
        QCOMPARE(exists(FileController::temporaryFolderPath()), present);

        m_shred->removeTemporaryItems();
        QTRY_COMPARE(m_log->posts().size(), 1);
        const Post post = m_log->posts().first();
        QCOMPARE(post.name, notice);
        QVERIFY(post.info.isEmpty());
        QVERIFY(!post.onMainThread);
        QCOMPARE(post.sender, static_cast<const void *>(m_shred.get()));
        QVERIFY(!exists(FileController::temporaryFolderPath()));
        // With secure removal on, leftovers are overwritten at the level in force.
        QFile file(argsFile);
        QCOMPARE(file.open(QIODevice::ReadOnly), secure);
        if (secure) {
            QStringList runs = QString::fromUtf8(file.readAll()).split(u"-v\n"_s, Qt::SkipEmptyParts);
            QCOMPARE(runs.size(), 2);
            const QStringList flag = levelFlag.trimmed().isEmpty() ? QStringList() : QStringList{levelFlag.trimmed()};
            for (const QString &copy : copies) {
                const bool isFolder = copy == copies[1];
                QVERIFY(std::any_of(runs.cbegin(), runs.cend(), [&](const QString &run) {
                    const QStringList args = run.split('\n', Qt::SkipEmptyParts);
                    return args.mid(0, args.size() - 1)
                        == QStringList{"-f"} + flag + (isFolder ? QStringList{"-r", "--"} : QStringList{"--"})
                        && throughDescriptor(args.last(), copy);
                }));
            }
        }
    }

    // Quitting destroys the engine: a removal still running on its thread finishes first, so
    // nothing is cut off half-removed and unreported when the process ends.
    void destroyingTheEngineWaitsForItsRemovals_data()
    {
        QTest::addColumn<bool>("setAside");
        QTest::addColumn<QString>("notice");
        QTest::newRow("plain delete") << false << "CleaningStatusUpdateNotification";
        QTest::newRow("set-aside cleanup") << true << "TempCleaningSuccessNotification";
    }
    void destroyingTheEngineWaitsForItsRemovals()
    {
        QFETCH(bool, setAside);
        QFETCH(QString, notice);
        setSecure(false);
        const QString copy = movedCopy("Library/Caches/big", 4000, 16);
        QVERIFY(!copy.isEmpty());

        if (setAside)
            m_shred->removeTemporaryItems();
        else
            m_shred->removeItemWithInfo(request("Safari", "Safari Cache", copy, m_home->path("Library/Caches/big")));
        m_shred.reset();
        QVERIFY(!exists(copy));
        QTRY_COMPARE(m_log->posts(notice).size(), 1);
    }

    // The record of set-aside folders comes from the settings store, which anyone running as
    // the user can edit: only a real folder of ours, named as ours, is ever swept.
    void recordedFoldersCleanup_data()
    {
        QTest::addColumn<QString>("recorded");
        QTest::addColumn<bool>("swept");
        QTest::newRow("a set-aside folder on another disk") << "Volume/.Nimbrel" << true;
        QTest::newRow("a folder not named as ours") << "Documents" << false;
        QTest::newRow("a link named as ours") << "Volume/link/.Nimbrel" << false;
        QTest::newRow("another user's folder") << "Volume/nobody/.Nimbrel" << false;
        QTest::newRow("our folder reached through a link") << "linked/.Nimbrel" << false;
        QTest::newRow("a path holding ..") << "Volume/nobody/../.Nimbrel" << false;
        QTest::newRow("the user's folder named as ours") << "Documents/Projects/Nimbrel" << false;
        QTest::newRow("a folder of ours with another marker") << "Volume/other/.Nimbrel" << false;
    }
    void recordedFoldersCleanup()
    {
        QFETCH(QString, recorded);
        QFETCH(bool, swept);
        QVERIFY(FakeHome::writeFileAt(m_home->path("Documents/precious"), "keep"));
        QVERIFY(FakeHome::writeFileAt(m_home->path("Documents/Projects/Nimbrel/thesis.tex"), "work"));
        QVERIFY(m_home->makeDir("Volume"));
        QVERIFY(TemporaryFolder::ensurePrivateFolder(m_home->path("Volume/.Nimbrel")));
        QVERIFY(FakeHome::writeFileAt(m_home->path("Volume/.Nimbrel/left"), "left"));
        QVERIFY(FakeHome::writeFileAt(m_home->path("Volume/nobody/.Nimbrel/left"), "left"));
        QVERIFY(FakeHome::writeFileAt(m_home->path("Volume/other/.Nimbrel/.nimbrel-folder"), "another id"));
        QVERIFY(FakeHome::writeFileAt(m_home->path("Volume/other/.Nimbrel/left"), "left"));
        QCOMPARE(chmod(QFile::encodeName(m_home->path("Volume/other/.Nimbrel")).constData(), 0700), 0);
        QVERIFY(m_home->makeDir("Volume/link"));
        QCOMPARE(symlink("../.Nimbrel", QFile::encodeName(m_home->path("Volume/link/.Nimbrel")).constData()), 0);
        QCOMPARE(symlink("Volume", QFile::encodeName(m_home->path("linked")).constData()), 0);
        // Only the row of another user's folder hands one over: the ".." row reaches our own
        // folder through it, so nothing but the refusal of ".." keeps that folder.
        if (recorded == "Volume/nobody/.Nimbrel") {
            if (geteuid() != 0)
                SKIP_OR_FAIL_IN_CI("only root can make a folder that belongs to someone else");
            QCOMPARE(chown(QFile::encodeName(m_home->path(recorded)).constData(), 65534, 65534), 0);
        }
        const QString entry = m_home->path(recorded);
        auto &defaults = platform::UserDefaults::standardUserDefaults();
        defaults.setObject(QVariantList{entry}, "setAsideFolders");

        m_shred->removeTemporaryItems();
        QTRY_COMPARE(m_log->posts().size(), 1);
        QCOMPARE(m_log->posts().first().name,
                 swept ? "TempCleaningSuccessNotification" : "TempCleaningFailureNotification");
        QCOMPARE(exists(m_home->path("Volume/.Nimbrel/left")), !swept);
        QVERIFY(exists(m_home->path("Documents/precious")));
        QVERIFY(exists(m_home->path("Documents/Projects/Nimbrel/thesis.tex")));
        QVERIFY(exists(m_home->path("Volume/nobody/.Nimbrel/left")));
        QVERIFY(exists(m_home->path("Volume/other/.Nimbrel/left")));
        // Swept and gone, or never ours: either way no longer recorded.
        QVERIFY(!defaults.objectForKey("setAsideFolders").toStringList().contains(entry));
    }

    // Another user's step at the moment between the check of a set-aside folder and its use:
    // the folder swapped for a link to the user's own files, holding an entry of the copy's
    // name. The work goes on in the folder that was checked, or not at all.
    void workStaysInTheCheckedFolder_data()
    {
        QTest::addColumn<bool>("sweep");
        QTest::addColumn<bool>("secure");
        QTest::newRow("row, plain removal") << false << false;
        QTest::newRow("row, secure removal") << false << true;
        QTest::newRow("leftover sweep, plain removal") << true << false;
        QTest::newRow("leftover sweep, secure removal") << true << true;
    }
    void workStaysInTheCheckedFolder()
    {
        QFETCH(bool, sweep);
        QFETCH(bool, secure);
        setSecure(secure, 0);
        m_shred->setSrmPath(QString::fromUtf8(NIMBREL_TEST_QZNB));
        const QString copy = movedCopy("Library/Caches/item", 2);
        QVERIFY(!copy.isEmpty());
        const QString folder = copy.section('/', 0, -2);
        const QString victim = m_home->path("Library/Victim");
        QVERIFY(m_home->writeFile("Library/Victim/" + copy.section('/', -1) + "/keep", "the user's"));
        QVERIFY(m_home->writeFile("Library/Victim/other", "the user's"));
        const QString checked = folder + ".checked";
        std::atomic<bool> swapped{false};
        TemporaryFolder::setAfterCheckHook([&](const QString &which) {
            if (which != folder || swapped.exchange(true))
                return;
            QCOMPARE(rename(QFile::encodeName(folder).constData(), QFile::encodeName(checked).constData()), 0);
            QCOMPARE(symlink(QFile::encodeName(victim).constData(), QFile::encodeName(folder).constData()), 0);
        });
        auto unhook = qScopeGuard([] { TemporaryFolder::setAfterCheckHook({}); });
        if (sweep) {
            m_shred->removeTemporaryItemsInBackground();
            QCOMPARE(m_log->posts().size(), 1);
        } else {
            m_shred->removeItemWithInfo(request("Safari", "Safari Cache", copy, "/ref"));
            QTRY_COMPARE(m_log->statuses().size(), 1);
        }
        QVERIFY(swapped);
        const platform::FileManager &fm = platform::FileManager::defaultManager();
        QCOMPARE(fm.contentsAtPath(victim + '/' + copy.section('/', -1) + "/keep"), QByteArray("the user's"));
        QCOMPARE(fm.contentsAtPath(victim + "/other"), QByteArray("the user's"));
        if (!sweep) {
            // The copy went from the folder that was checked.
            QCOMPARE(m_log->statuses()[0].info.value("didClean"), QVariant(true));
            QVERIFY(!exists(checked + '/' + copy.section('/', -1)));
        }
    }

    // An item that cannot be removed is not offered again, and the failure says once which
    // and why.
    void stuckLeftoversAreNotOfferedAgain()
    {
        if (geteuid() != 0)
            SKIP_OR_FAIL_IN_CI("an entry this user cannot remove needs root to make it");
        // A temporary directory of nobody's, holding a set-aside folder of ours with one
        // leftover that can go and one folder of root's that cannot.
        QTemporaryDir base(u"/tmp/nimbrel-stuck-XXXXXX"_s); // outside the fake home, closed to nobody
        const QByteArray oldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(base.path()));
        const QString folder = base.path() + "/Nimbrel";
        // Made while the base is still root's: a folder of nobody's on the way is no place
        // for root's own set-aside folder.
        QVERIFY(TemporaryFolder::ensurePrivateFolder(folder));
        QVERIFY(AsNobody::handOver(QFile::encodeName(base.path()).constData()));
        QVERIFY(FakeHome::writeFileAt(folder + "/stuck/inner", "root's"));
        QVERIFY(FakeHome::writeFileAt(folder + "/gone", "nobody's"));
        for (const QString &own : {folder, folder + "/.nimbrel-folder", folder + "/gone"})
            QCOMPARE(chown(QFile::encodeName(own).constData(), AsNobody::uid, AsNobody::gid), 0);
        QStringList offeredBefore;
        QStringList offeredAfter;
        {
            AsNobody nobody;
            if (!nobody.ok())
                SKIP_OR_FAIL_IN_CI("running as root without the right to become nobody");
            offeredBefore = TemporaryFolder::leftovers();
            m_shred->removeTemporaryItemsInBackground();
            offeredAfter = TemporaryFolder::leftovers();
        }
        qputenv("TMPDIR", oldTmp);
        QCOMPARE(offeredBefore.size(), 2);
        QCOMPARE(m_log->posts().size(), 1);
        QCOMPARE(m_log->posts().first().name, "TempCleaningFailureNotification");
        QCOMPARE(m_log->posts().first().info.value("TempCleaningLeftItems").toString(),
                 folder + "/stuck: owned by another user");
        QCOMPARE(offeredAfter, QStringList());
        QVERIFY(exists(folder + "/stuck/inner"));
        QVERIFY(!exists(folder + "/gone"));
    }

    // A secure removal cut short (the tool ended with a program that was killed, or failing
    // for a reason no check can name) gives nothing up: the item is offered until it is gone.
    void cutShortLeftoverIsOfferedAgain()
    {
        setSecure(true);
        const QString copy = movedCopy("Library/Caches/big", 40, 16);
        QVERIFY(!copy.isEmpty());
        m_shred->setSrmPath("/bin/false");
        m_shred->removeTemporaryItemsInBackground();
        QCOMPARE(m_log->posts().size(), 1);
        QCOMPARE(m_log->posts().first().name, "TempCleaningFailureNotification");
        QVERIFY(exists(copy));
        QCOMPARE(TemporaryFolder::leftovers(), QStringList{copy});
    }
};

QTEST_MAIN(TestShredController)
#include "tst_shredcontroller.moc"
