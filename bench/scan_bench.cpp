// A scan of all fifteen modules through the application's own wiring, against
// `du -s --apparent-size` over the same result paths, in one run, side by side:
//   scan_bench FOLDER [--rounds R]
// FOLDER is made by scripts/demo-home (home/, root/, tmp/; --big for a heavy one). Every
// round loads the interface afresh (not timed) and times the Scan command until the results
// are listed; du is timed over the paths that scan listed. Both run once first, so both find
// the folders in the file system's caches. The last line is ratio=N.NN (best over best).
#include "app/MainInterface.h"
#include "core/FileController.h"
#include "support/DemoHome.h"
#include "ui/main/AppController.h"
#include "ui/main/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

struct Scan
{
    double seconds = -1;
    QStringList paths;
    int rows = 0;
    qint64 bytes = 0;
};

Scan scanOnce()
{
    Scan scan;
    std::unique_ptr<MainInterface> ui = demohome::launch();
    if (!ui) {
        std::fprintf(stderr, "no main window with fifteen locations\n");
        return scan;
    }
    AppController *app = ui->appControl();
    QElapsedTimer timer;
    timer.start();
    app->scan();
    scan.seconds = timer.nsecsElapsed() / 1e9;
    for (const resultItemPtr &row : ui->fileControl()->resultsArrayController()->arrangedObjects()) {
        if (!scan.paths.contains(row->resultItemPath()))
            scan.paths.append(row->resultItemPath());
        scan.bytes += qint64(row->resultItemSize().value_or(0));
        ++scan.rows;
    }
    return scan;
}

double duOnce(const QStringList &paths)
{
    QElapsedTimer timer;
    timer.start();
    QProcess du;
    du.setStandardOutputFile(QProcess::nullDevice());
    du.start(u"du"_s, QStringList{u"-s"_s, u"--apparent-size"_s} + paths);
    if (!du.waitForFinished(-1) || du.exitStatus() != QProcess::NormalExit)
        return -1;
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    int rounds = 5;
    const QString folder = demohome::folderArgument(argc, argv, rounds);
    if (folder.isEmpty())
        return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("NIMBREL_BUNDLE_PATH"))
        qputenv("NIMBREL_BUNDLE_PATH", NIMBREL_BENCH_BUNDLE);
    QApplication app(argc, argv);
    demohome::switchEverythingOn();

    const Scan first = scanOnce();
    if (first.seconds < 0 || first.paths.isEmpty() || duOnce(first.paths) < 0) {
        std::fprintf(stderr, "the warm-up scan failed\n");
        return 1;
    }
    double bestScan = -1, bestDu = -1;
    for (int round = 0; round < rounds; ++round) {
        const Scan scan = scanOnce();
        const double du = duOnce(first.paths);
        if (scan.seconds < 0 || du < 0 || scan.paths != first.paths) {
            std::fprintf(stderr, "round %d: the scan or du failed\n", round + 1);
            return 1;
        }
        std::printf("round %d: scan %.4f s, du %.4f s\n", round + 1, scan.seconds, du);
        std::fflush(stdout);
        bestScan = bestScan < 0 ? scan.seconds : std::min(bestScan, scan.seconds);
        bestDu = bestDu < 0 ? du : std::min(bestDu, du);
    }
    std::printf("rows=%d paths=%d bytes=%lld best: scan %.4f s, du %.4f s\n", first.rows, int(first.paths.size()),
                static_cast<long long>(first.bytes), bestScan, bestDu);
    struct rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak RSS %.1f MB\n", usage.ru_maxrss / 1024.0);
    std::printf("ratio=%.2f\n", bestScan / bestDu);
    return 0;
}
