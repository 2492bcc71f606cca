#include "app/MainInterface.h"
#include "platform/gui/Compositing.h"
#include "platform/system/ProcessInfo.h"
#include "platform/system/UserDefaults.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

int g_signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t g_terminationRequested = 0;

// Only async-signal-safe work here: the event loop picks the byte up.
void onTerminationSignal(int)
{
    g_terminationRequested = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT end the event loop normally, so the settings are written at exit.
bool installTerminationHandlers()
{
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0;
}

} // namespace

int main(int argc, char *argv[])
{
    platform::ProcessInfo::raiseDescriptorLimit();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(u"Brindlecove"_s);
    QApplication::setApplicationName(u"Nimbrel"_s);
    // Screen captures then read our windows, shaped or overlapping, as the screen shows them.
    platform::shareDesktopColormapWithEveryWindow();

    QSocketNotifier *signalNotifier = nullptr;
    if (installTerminationHandlers()) {
        signalNotifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(signalNotifier, &QSocketNotifier::activated, &app, [] {
            char drain[16];
            while (::read(g_signalPipe[0], drain, sizeof drain) > 0) {}
            QCoreApplication::exit(0);
        });
    }

    int status = 0;
    {
        std::unique_ptr<MainInterface> ui = MainInterface::load();
        // A signal that came while the controllers were being made (a modal run inside the
        // start-up may have swallowed the exit request) still ends the application.
        if (!g_terminationRequested)
            status = app.exec();
    }
    platform::UserDefaults::standardUserDefaults().synchronize();
    return status;
}
