// Cleans a large cache folder through the application's own cleaning run and compares it
// with the system's tools on an identical copy, in one run, side by side:
//   clean_bench [--files N] [--rounds R] [--secure] [--dir FOLDER]
//   clean_bench --demo [--secure LEVEL] [--rounds R] [--dir FOLDER]
// Plain deletion is compared with `rm -rf`; with --secure (removal level 1) with
// `shred -n 1 -u` on every file followed by `rm -rf` of the folders that are left.
// The cleaning run is timed from the Clean button to the end of the run: the row is
// measured again, moved aside by Safari's module, handed to the removal engine and removed.
// With --demo, the whole demo home of scripts/demo-home --big (all fifteen modules, about
// 200,000 cache files) is cleaned at once, secure removal off, against `rm -rf` of the same
// result paths in a second demo home made the same way; with --secure LEVEL, a third home is
// cleaned by the cleaning run too, with secure removal at that level, and compared with both.
// The last lines are the peak memory of this process (the application's side; the removal
// tool runs as a child), with --secure the plain clean's and the secure clean's ratios, and
// ratio=N.NN: our best time over rm -rf's best time (with --secure, the secure clean's).
#include "app/MainInterface.h"
#include "core/FileController.h"
#include "platform/gui/Alert.h"
#include "platform/gui/Modal.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Task.h"
#include "platform/system/Timer.h"
#include "platform/system/UserDefaults.h"
#include "support/DemoHome.h"
#include "ui/main/AppController.h"
#include "ui/main/MainWindow.h"
#include "ui/results/ResultsController.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <functional>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

const char *kSafariInfo = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>CFBundleIdentifier</key><string>com.apple.Safari</string>
<key>CFBundleName</key><string>Safari</string>
</dict></plist>
)";

// A browser cache: 256 folders of small files, `files` in all.
bool makeCache(const QString &root, int files)
{
    const QByteArray body(1500, 'c');
    for (int i = 0; i < files; ++i) {
        const QString folder = root + u"/%1"_s.arg(i % 256, 2, 16, QLatin1Char('0'));
        if (i < 256 && !QDir().mkpath(folder))
            return false;
        QFile file(folder + u"/entry%1"_s.arg(i));
        if (!file.open(QIODevice::WriteOnly) || file.write(body) != body.size())
            return false;
    }
    return true;
}

double runTool(const QString &program, const QStringList &arguments)
{
    QElapsedTimer timer;
    timer.start();
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(-1) || tool.exitCode() != 0) {
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
        return -1;
    }
    return timer.nsecsElapsed() / 1e9;
}

// The system tool's removal of `tree`.
double removeWithTool(const QString &tree, bool secure)
{
    if (!secure)
        return runTool(u"rm"_s, {u"-rf"_s, tree});
    QElapsedTimer timer;
    timer.start();
    const QString script = u"find \"$1\" -type f -exec shred -n 1 -u {} + && rm -rf \"$1\""_s;
    if (runTool(u"sh"_s, {u"-c"_s, script, u"sh"_s, tree}) < 0)
        return -1;
    return timer.nsecsElapsed() / 1e9;
}

// Warnings and launch prompts answered "Yes", the summary closed, and no daemon restarted on
// this machine: the run is timed, never a window waiting for a click.
void answerAsAUserWould()
{
    platform::Alert::setResponder([](const platform::Alert &, bool &) { return platform::Alert::FirstButtonReturn; });
    platform::Modal::setObserver([](QWidget *window, bool) { platform::Modal::endModalForWindow(window); });
    platform::Task::setLaunchRecorder([](const QString &, const QStringList &) {});
}

// Waits as the application's own event loop does, asleep until the next event: QTest's wait
// naps 10 ms between rounds, and every row of the run hands work to the main thread several
// times, so the naps would be timed as part of the run.
bool waitAsTheEventLoop(const std::function<bool()> &ready, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    QTimer tick; // wakes the loop now and then, should something change without an event
    tick.start(50);
    while (!ready()) {
        if (waited.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

// From the Clean button to the end of the run; negative when it does not end.
double timeCleaning(ResultsController *results)
{
    QElapsedTimer timer;
    timer.start();
    results->shredButton()->click();
    if (!waitAsTheEventLoop([results] { return results->isDoneCleaning(); }, 3600 * 1000))
        return -1;
    return timer.nsecsElapsed() / 1e9;
}

// One cleaning run of Safari's data cache through the launched interface.
double removeWithRun(const QString &home)
{
    auto &defaults = platform::UserDefaults::standardUserDefaults();
    std::unique_ptr<MainInterface> ui = MainInterface::load();
    // The start-up tips and launch prompts run now, as at launch, not inside the timed run.
    platform::Timer::fireAllPending();
    platform::NotificationCenter::defaultCenter().post(
        u"CheckLocationItems"_s, nullptr, {{u"targName"_s, u"Safari"_s}, {u"targIdentifier"_s, u"com.apple.Safari"_s}});
    ResultsController *results = ui->resultsControl();
    const auto rows = results->resultsArrayController()->arrangedObjects();
    if (rows.size() != 1 || !rows[0]->resultItemPath().startsWith(home)) {
        std::fprintf(stderr, "the scan found %d rows\n", int(rows.size()));
        return -1;
    }
    results->setShowingScanResults(true);
    const double seconds = timeCleaning(results);
    if (seconds < 0)
        return -1;
    if (results->shreddedItemCount() != 1 || QFileInfo::exists(rows[0]->resultItemPath())) {
        std::fprintf(stderr, "the cache was not cleaned\n");
        return -1;
    }
    ui.reset();
    defaults.synchronize();
    return seconds;
}

void printPeakMemory()
{
    struct rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak RSS %.1f MB\n", usage.ru_maxrss / 1024.0);
}

std::unique_ptr<MainInterface> launchDemo(const QString &folder, int secureLevel = -1)
{
    demohome::useFolder(folder);
    platform::UserDefaults::resetStandardUserDefaults();
    demohome::switchEverythingOn(secureLevel >= 0, qMax(secureLevel, 0));
    return demohome::launch();
}

// One full clean of the demo home in `folder`, every row checked, from the Clean button to
// the end of the run, secure removal at `secureLevel` when not negative; answers the seconds
// and the rows' paths.
double cleanDemo(const QString &folder, QStringList &paths, int secureLevel = -1)
{
    std::unique_ptr<MainInterface> ui = launchDemo(folder, secureLevel);
    if (!ui)
        return -1;
    AppController *app = ui->appControl();
    app->scan();
    ResultsController *results = ui->resultsControl();
    const auto rows = results->resultsArrayController()->arrangedObjects();
    for (const resultItemPtr &row : rows)
        if (!paths.contains(row->resultItemPath()))
            paths.append(row->resultItemPath());
    app->mainWindow()->hide();
    const double seconds = timeCleaning(results);
    if (seconds < 0)
        return -1;
    // Shiira's cookie row finds Safari's row took the shared list.
    if (results->shreddedItemCount() != rows.size() - 1) {
        std::fprintf(stderr, "%d of %d rows cleaned\n", int(results->shreddedItemCount()), int(rows.size()));
        return -1;
    }
    ui.reset();
    platform::UserDefaults::resetStandardUserDefaults();
    return seconds;
}

// The paths a scan of the demo home in `folder` lists, without cleaning.
bool listDemo(const QString &folder, QStringList &paths)
{
    std::unique_ptr<MainInterface> ui = launchDemo(folder);
    if (!ui)
        return false;
    ui->appControl()->scan();
    for (const resultItemPtr &row : ui->resultsControl()->resultsArrayController()->arrangedObjects())
        if (!paths.contains(row->resultItemPath()))
            paths.append(row->resultItemPath());
    ui.reset();
    platform::UserDefaults::resetStandardUserDefaults();
    return !paths.isEmpty();
}

// A full clean of one demo home against `rm -rf` of the same paths in another made the same
// way; with a secure level, the secure clean of a third home too, against both.
int demoMain(const QString &parent, int rounds, int secureLevel)
{
    QTemporaryDir base(parent + u"/clean_bench.XXXXXX"_s);
    const QString ours = base.path() + u"/ours"_s;
    const QString theirs = base.path() + u"/theirs"_s;
    const QString secure = base.path() + u"/secure"_s;
    QStringList folders{ours, theirs};
    if (secureLevel >= 0)
        folders << secure;
    answerAsAUserWould();
    double bestRun = -1, bestTool = -1, bestSecure = -1;
    const auto keepBest = [](double &best, double seconds) { best = best < 0 ? seconds : qMin(best, seconds); };
    for (int round = 0; round < rounds; ++round) {
        for (const QString &folder : std::as_const(folders)) {
            const QString failure = demohome::make(QString::fromUtf8(NIMBREL_BENCH_SOURCE_DIR), folder, true);
            if (!failure.isEmpty()) {
                std::fprintf(stderr, "scripts/demo-home failed: %s\n", qPrintable(failure));
                return 1;
            }
        }
        // The scan alone names the paths, so rm -rf is given the same ones; who goes first
        // turns with the rounds, and each starts with nothing left to write back.
        QStringList paths;
        double run = -1, tool = -1, secureRun = -1;
        std::vector<std::function<void()>> turns;
        turns.push_back([&] {
            if (paths.isEmpty() && !listDemo(ours, paths))
                return;
            QStringList same;
            for (const QString &path : std::as_const(paths))
                same << theirs + path.mid(ours.size());
            QProcess::execute(u"sync"_s, {});
            tool = runTool(u"rm"_s, QStringList{u"-rf"_s} + same);
        });
        turns.push_back([&] {
            QProcess::execute(u"sync"_s, {});
            QStringList cleaned;
            run = cleanDemo(ours, cleaned);
            if (paths.isEmpty())
                paths = cleaned;
        });
        if (secureLevel >= 0) {
            turns.push_back([&] {
                QProcess::execute(u"sync"_s, {});
                QStringList cleaned;
                secureRun = cleanDemo(secure, cleaned, secureLevel);
            });
        }
        for (size_t i = 0; i < turns.size(); ++i)
            turns[(size_t(round) + i) % turns.size()]();
        if (run < 0 || tool < 0 || (secureLevel >= 0 && secureRun < 0))
            return 1;
        std::printf("round %d: cleaning run %.3f s, rm -rf %.3f s", round + 1, run, tool);
        if (secureLevel >= 0)
            std::printf(", level %d clean %.3f s", secureLevel, secureRun);
        std::printf(" (%d paths)\n", int(paths.size()));
        std::fflush(stdout);
        keepBest(bestRun, run);
        keepBest(bestTool, tool);
        if (secureLevel >= 0)
            keepBest(bestSecure, secureRun);
    }
    std::printf("demo home --big best: cleaning run %.3f s, rm -rf %.3f s", bestRun, bestTool);
    if (secureLevel >= 0)
        std::printf(", level %d clean %.3f s", secureLevel, bestSecure);
    std::printf("\n");
    printPeakMemory();
    if (secureLevel < 0) {
        std::printf("ratio=%.2f\n", bestRun / bestTool);
        return 0;
    }
    std::printf("plain clean against rm -rf: %.2f\n", bestRun / bestTool);
    std::printf("level %d clean against the plain clean: %.2f\n", secureLevel, bestSecure / bestRun);
    std::printf("level %d clean against rm -rf:\n", secureLevel);
    std::printf("ratio=%.2f\n", bestSecure / bestTool);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    int files = 100000;
    int rounds = 3;
    bool secure = false;
    int secureLevel = 1;
    bool demo = false;
    QString parent;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--files") && i + 1 < argc)
            files = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc)
            rounds = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--dir") && i + 1 < argc)
            parent = QString::fromLocal8Bit(argv[++i]);
        else if (!std::strcmp(argv[i], "--secure")) {
            secure = true;
            if (i + 1 < argc && argv[i + 1][0] >= '0' && argv[i + 1][0] <= '2' && !argv[i + 1][1])
                secureLevel = std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--demo"))
            demo = true;
        else {
            std::fprintf(stderr, "usage: %s [--files N | --demo] [--rounds R] [--secure [LEVEL]] [--dir FOLDER]\n",
                         argv[0]);
            return 2;
        }
    }

    if (demo) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (qEnvironmentVariableIsEmpty("NIMBREL_BUNDLE_PATH"))
            qputenv("NIMBREL_BUNDLE_PATH", NIMBREL_BENCH_BUNDLE);
        QApplication app(argc, argv);
        const QString where = parent.isEmpty() ? QDir::currentPath() : parent;
        return demoMain(where, rounds, secure ? secureLevel : -1);
    }

    // A home, a temporary folder and a system root with Safari, all on one file system.
    QTemporaryDir base(parent.isEmpty() ? QDir::currentPath() + u"/clean_bench.XXXXXX"_s
                                        : parent + u"/clean_bench.XXXXXX"_s);
    const QString home = base.path() + u"/home"_s;
    const QString tmp = base.path() + u"/tmp"_s;
    const QString root = base.path() + u"/root"_s;
    QDir().mkpath(home);
    QDir().mkpath(tmp);
    QDir().mkpath(root + u"/Applications/Safari.app/Contents/MacOS"_s);
    QFile info(root + u"/Applications/Safari.app/Contents/Info.plist"_s);
    if (!info.open(QIODevice::WriteOnly) || info.write(kSafariInfo) < 0)
        return 1;
    info.close();
    qputenv("HOME", home.toLocal8Bit());
    qputenv("TMPDIR", tmp.toLocal8Bit());
    qputenv("NIMBREL_SYSTEM_ROOT", root.toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("NIMBREL_BUNDLE_PATH"))
        qputenv("NIMBREL_BUNDLE_PATH", NIMBREL_BENCH_BUNDLE);
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type != QtInfoMsg && type != QtDebugMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });

    answerAsAUserWould();
    auto &defaults = platform::UserDefaults::standardUserDefaults();
    defaults.setBool(false, u"FirstLaunch"_s);
    defaults.setBool(true, u"com.apple.Safari"_s);
    for (const char *key : {"safariBrowsing", "safariCookies", "safariDownloads", "safariForms", "safariLastSession",
                            "safariRecentSearches", "safariTopSites", "safariWebpageIcons", "safariDOM"})
        defaults.setBool(false, QLatin1String(key));
    defaults.setBool(true, u"safariCache"_s);
    defaults.setBool(false, u"enableAnimations"_s);
    defaults.setBool(secure, u"enableSecureDelete"_s);
    defaults.setInteger(secureLevel, u"secureDeleteLevel"_s);

    const QString cache = home + u"/Library/Caches/com.apple.Safari/fsCachedData"_s;
    const QString copy = base.path() + u"/copy/fsCachedData"_s;
    const char *tool = secure ? "shred -n 1 -u" : "rm -rf";
    double bestRun = -1, bestTool = -1;
    for (int round = 0; round < rounds; ++round) {
        if (!makeCache(cache, files) || !makeCache(copy, files)) {
            std::fprintf(stderr, "could not build the caches\n");
            return 1;
        }
        QProcess::execute(u"sync"_s, {});
        // Alternate who goes first, so neither always finds the other's work in the caches.
        double ours = 0, theirs = 0;
        if (round % 2 == 0) {
            theirs = removeWithTool(copy, secure);
            ours = removeWithRun(home);
        } else {
            ours = removeWithRun(home);
            theirs = removeWithTool(copy, secure);
        }
        if (ours < 0 || theirs < 0)
            return 1;
        std::printf("round %d: cleaning run %.3f s, %s %.3f s\n", round + 1, ours, tool, theirs);
        std::fflush(stdout);
        bestRun = bestRun < 0 ? ours : qMin(bestRun, ours);
        bestTool = bestTool < 0 ? theirs : qMin(bestTool, theirs);
    }
    std::printf("files=%d best: cleaning run %.3f s, %s %.3f s\n", files, bestRun, tool, bestTool);
    std::printf("ratio=%.2f\n", bestRun / bestTool);
    return 0;
}
