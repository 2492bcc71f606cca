// Start-up to the main window, for a home with all fifteen applications installed:
//   startup_bench FOLDER [--rounds R]
// FOLDER is made by scripts/demo-home. Each round starts this program again as a child that
// does what the application's main() does (a QApplication, then MainInterface::load()) and
// says so on its output once the main window is on screen with its fifteen locations; the
// round is timed from the start of the child process to that line. The last lines are the
// median and ratio=N.NN (the median over the goal of 0.15 s).
#include "app/MainInterface.h"
#include "support/DemoHome.h"
#include "ui/main/AppController.h"
#include "ui/main/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr double kGoal = 0.15;

int child(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(u"Brindlecove"_s);
    QApplication::setApplicationName(u"Nimbrel"_s);
    std::unique_ptr<MainInterface> ui = MainInterface::load();
    AppController *control = ui->appControl();
    const bool shown = QTest::qWaitFor(
        [control] {
            const QWidget *window = control->mainWindow();
            return window && window->windowHandle() && window->windowHandle()->isExposed()
                && control->locationArrayController()->count() == 15;
        },
        30000);
    std::printf(shown ? "shown\n" : "not shown (%d locations)\n", int(control->locationArrayController()->count()));
    std::fflush(stdout);
    return shown ? 0 : 1;
}

double launchOnce(const QString &program)
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(program, {u"--child"_s});
    if (!process.waitForReadyRead(30000))
        return -1;
    const double seconds = timer.nsecsElapsed() / 1e9;
    const QByteArray said = process.readAllStandardOutput();
    process.waitForFinished(30000);
    return said.startsWith("shown") ? seconds : -1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && !std::strcmp(argv[1], "--child"))
        return child(argc, argv);
    int rounds = 5;
    const QString folder = demohome::folderArgument(argc, argv, rounds);
    if (folder.isEmpty())
        return 2;
    // On a display (xvfb-run -a) the window is really drawn; without one, offscreen.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("NIMBREL_BUNDLE_PATH"))
        qputenv("NIMBREL_BUNDLE_PATH", NIMBREL_BENCH_BUNDLE);
    {
        // The settings of a user who has launched before, written where the child reads them.
        QCoreApplication app(argc, argv);
        demohome::switchEverythingOn();
        platform::UserDefaults::standardUserDefaults().synchronize();
    }

    const QString program = QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath();
    if (launchOnce(program) < 0) { // warm-up: libraries and fonts in the caches
        std::fprintf(stderr, "the child did not show its main window\n");
        return 1;
    }
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        const double seconds = launchOnce(program);
        if (seconds < 0) {
            std::fprintf(stderr, "round %d: the child did not show its main window\n", round + 1);
            return 1;
        }
        std::printf("round %d: %.4f s\n", round + 1, seconds);
        std::fflush(stdout);
        times.push_back(seconds);
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("median of %d: %.4f s (goal %.2f s)\n", rounds, median, kGoal);
    std::printf("ratio=%.2f\n", median / kGoal);
    return 0;
}
