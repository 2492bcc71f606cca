#include "core/ShredController.h"

#include "core/FileController.h"
#include "core/Keys.h"
#include "core/RestartTool.h"
#include "core/TemporaryFolder.h"
#include "platform/files/FileManager.h"
#include "platform/system/Bundle.h"
#include "platform/system/CookieStorage.h"
#include "platform/system/Dictionary.h"
#include "platform/system/MainThread.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/ProcessInfo.h"
#include "platform/system/Task.h"

#include <QDir>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QString systemShredderPath = u"/usr/bin/srm"_s;

// Posts are queued on the main thread from any thread (MainThread hands over what a background
// thread built in an order thread checkers can follow); the sender is only an address there,
// so a post that arrives after the engine is gone is still harmless.
void queuePost(const void *sender, const QString &name, QVariantMap info)
{
    platform::MainThread::dispatch([sender, name, info = std::move(info)] {
        platform::NotificationCenter::defaultCenter().post(name, sender, info);
    });
}

// A plain delete works on its own copies of the request's strings: nothing it holds is shared
// with the main thread, and all it hands over goes in the queued post.
struct PlainDelete
{
    QString app;
    QString name;
    QString path;
    QString refPath;

    static QString ownCopy(const QString &text)
    {
        return text.isNull() ? QString() : QString(text.constData(), text.size());
    }
    static PlainDelete fromRequest(const QVariantMap &info)
    {
        return {ownCopy(info.value(keys::ItemApp).toString()), ownCopy(info.value(keys::ItemName).toString()),
                ownCopy(info.value(keys::ItemPath).toString()), ownCopy(info.value(keys::ItemRefPath).toString())};
    }

    QVariantMap run() const
    {
        // The copy is removed through the set-aside folder that holds it, checked afresh:
        // never by a path that a swapped link could lead elsewhere.
        QByteArray itemName;
        const int folderFd = TemporaryFolder::openFolderHolding(path, &itemName);
        errno = 0;
        const bool removed =
            folderFd >= 0 && platform::FileManager::defaultManager().removeItemInFolder(folderFd, itemName);
        const int error = errno;
        if (folderFd >= 0)
            close(folderFd);
        if (!removed) {
            QString reason = u"not in a set-aside folder of ours"_s;
            if (folderFd >= 0)
                reason = error ? QString::fromLocal8Bit(std::strerror(error)) : u"no such item"_s;
            qWarning(
                "%s",
                qUtf8Printable(u"Standard Delete failed (%1) for %2 %3 at path: %4"_s.arg(reason, app, name, refPath)));
        }
        return keys::cleaningStatus(app, name, refPath, removed);
    }
};

void plainDelete(const void *sender, PlainDelete &&request)
{
    QVariantMap info;
    {
        const PlainDelete job = std::move(request);
        info = job.run();
    }
    queuePost(sender, keys::CleaningStatusUpdateNotification, std::move(info));
}

// The path under which a child given `inheritedFd` reaches the entry `name` of that folder:
// the tool takes the folder as that very descriptor, never looking its path up again.
QString pathThroughDescriptor(int inheritedFd, const QByteArray &name)
{
    return u"/proc/self/fd/%1/"_s.arg(inheritedFd) + platform::decodePath(name);
}

// Runs the secure-removal tool on the entry `name` of the open folder `folderFd` and waits
// for it; its output is not needed.
bool secureRemove(const QString &tool, int folderFd, const QByteArray &name, SecureLevel level)
{
    struct stat st;
    const bool isDir = fstatat(folderFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    // A duplicate the child inherits (ours are all closed on exec).
    const int inherited = fcntl(folderFd, F_DUPFD, 3);
    if (inherited < 0)
        return false;
    QList<QByteArray> args{platform::encodePath(tool)};
    for (const QString &argument :
         ShredController::secureRemovalArguments(pathThroughDescriptor(inherited, name), level, isDir))
        args.append(platform::encodePath(argument));
    std::vector<char *> argv;
    for (QByteArray &argument : args)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    // The tool ends with us: a kill of the program leaves nothing removing in the background.
    QByteArray parent = keys::ParentPidVariable.toLatin1() + '=' + QByteArray::number(getpid());
    std::vector<char *> envp{parent.data()};
    for (char **e = environ; e && *e; ++e) {
        if (!QByteArray(*e).startsWith(keys::ParentPidVariable.toLatin1() + '='))
            envp.push_back(*e);
    }
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(inherited);
    if (spawned != 0)
        return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Leftovers go as a clean's items would: overwritten at the level in force when secure
// removal is on.
void cleanTemporaryFolder(const void *sender, const QString &tool)
{
    const bool secure = Settings::boolValue(Settings::Key::EnableSecureDelete);
    const SecureLevel level = Settings::secureLevel();
    const auto result = TemporaryFolder::removeAllFolders(
        [&](int folderFd, const QByteArray &name) {
            return secure ? secureRemove(tool, folderFd, name, level)
                          : platform::FileManager::defaultManager().removeItemInFolder(folderFd, name);
        },
        secure);
    if (result.removed) {
        platform::NotificationCenter::defaultCenter().post(keys::TempCleaningSuccessNotification, sender);
        return;
    }
    for (const QString &line : result.left)
        qWarning("%s", qUtf8Printable(u"Temporary item left in place: "_s + line));
    QVariantMap info;
    if (!result.left.isEmpty())
        info.insert(keys::TempCleaningLeftItems, result.left.join(QLatin1Char('\n')));
    platform::NotificationCenter::defaultCenter().post(keys::TempCleaningFailureNotification, sender, info);
}

} // namespace

void ShredController::OpenFolder::reset(int fd)
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = fd;
}

ShredController::ShredController(QObject *parent)
    : QObject(parent)
{}

ShredController::~ShredController() = default;

void ShredController::awakeFromNib()
{
    // The bundled tool is the one known to take our command line on the systems that have
    // it; elsewhere the system's own (which stands for the bundled one on this platform).
    const auto version = platform::ProcessInfo::processInfo().operatingSystemVersion();
    if (version && version->majorVersion == 10 && version->minorVersion >= 12)
        setSrmPath(QDir(platform::Bundle::mainBundle().bundlePath()).filePath(u"Contents/MacOS/qznb"_s));
    else
        setSrmPath(systemShredderPath);
}

QString ShredController::srmPath() const
{
    QMutexLocker lock(&m_srmPathMutex);
    return m_srmPath;
}

void ShredController::setSrmPath(const QString &path)
{
    QMutexLocker lock(&m_srmPathMutex);
    m_srmPath = path;
}

QStringList ShredController::secureRemovalArguments(const QString &path, SecureLevel level, bool isDir)
{
    QStringList arguments{u"-v"_s, u"-f"_s};
    if (const QString flag = Settings::toolFlag(level); !flag.isEmpty())
        arguments << flag;
    if (isDir)
        arguments << u"-r"_s;
    arguments << u"--"_s << path;
    return arguments;
}

void ShredController::removeItemWithInfo(const QVariantMap &info)
{
    const QString app = info.value(keys::ItemApp).toString();
    const QString name = info.value(keys::ItemName).toString();
    const QString path = info.value(keys::ItemPath).toString();
    const QString refPath = info.value(keys::ItemRefPath).toString();

    if (!Settings::boolValue(Settings::Key::EnableSecureDelete)) {
        const void *sender = this;
        m_threads.start(
            [sender, job = PlainDelete::fromRequest(info)]() mutable { plainDelete(sender, std::move(job)); });
    } else if (m_task) {
        // One secure removal at a time: a request arriving now stops the running one. It is
        // not carried out, but it still gets its answer so that nobody waits for it forever.
        m_task->interrupt();
        sendCleaningStatusUpdateNotificationForApp(app, name, refPath, false);
    } else {
        startSecureRemoval(app, name, path, refPath);
    }

    emptyCookieStoreFor(app, name);
}

void ShredController::startSecureRemoval(const QString &app, const QString &name, const QString &path,
                                         const QString &refPath)
{
    // The tool works through the set-aside folder holding the copy, checked afresh and kept
    // open until the tool has ended; a copy outside such a folder is not touched.
    QByteArray itemName;
    const int folderFd = TemporaryFolder::openFolderHolding(path, &itemName);
    if (folderFd < 0) {
        qWarning("%s", qUtf8Printable(u"Secure removal refused, not in a set-aside folder: "_s + path));
        sendCleaningStatusUpdateNotificationForApp(app, name, refPath, false);
        return;
    }
    m_task = std::make_unique<platform::Task>();
    m_task->setLaunchPath(srmPath());
    m_mainItemApp = app;
    m_mainItemName = name;
    m_mainItemPath = path;
    m_mainItemRefPath = refPath;
    m_mainFolder.reset(folderFd);
    m_mainItemInFolder = itemName;

    // Only a real folder is walked: a link to one is removed as the link it is.
    struct stat st;
    const bool isDir = fstatat(folderFd, itemName.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    const int count = isDir && m_fileControl ? m_fileControl->itemCountForPath(path) : 0;
    m_parser.reset(isDir, count);

    m_task->setArguments(
        secureRemovalArguments(pathThroughDescriptor(folderFd, itemName), Settings::secureLevel(), isDir));
    m_task->setInheritedDescriptor(folderFd);
    // The tool ends with us: a kill of the program leaves nothing removing in the background.
    m_task->setEnvironmentValue(keys::ParentPidVariable, QString::number(getpid()));
    m_task->setStandardOutputHandler([this](const QByteArray &chunk) { dataReady(chunk); });
    m_task->setTerminationHandler([this](int status) { taskTerminated(status); });
    // A tool that is missing or cannot start ends like a failed one, through taskTerminated.
    m_task->launch();
}

void ShredController::emptyCookieStoreFor(const QString &app, const QString &name)
{
    if (app != QLatin1String("Safari") || name != QLatin1String("Safari Binary Cookies"))
        return;
    platform::CookieStorage::sharedHTTPCookieStorage().deleteAllCookies();
    // The URL storage daemon holds the cookie file open and would write it back.
    RestartTool::signal(u"nsurlstoraged"_s, RestartTool::Signal::Kill);
}

void ShredController::removeItemInBackground(const QVariantMap &info)
{
    plainDelete(this, PlainDelete::fromRequest(info));
}

void ShredController::sendCleaningStatusUpdateNotificationForApp(const QString &app, const QString &item,
                                                                 const QString &path, bool didClean)
{
    queuePost(this, keys::CleaningStatusUpdateNotification, keys::cleaningStatus(app, item, path, didClean));
}

void ShredController::sendCleaningStatusProgressNotificationForApp(const QString &app, const QString &item,
                                                                   const QString &path, int percent)
{
    queuePost(this, keys::RemovalProgressNotification,
              platform::dictionaryWithPairs({
                  {keys::CleaningItemAppName, app},
                  {keys::CleaningItemName, item},
                  {keys::CleaningItemPath, path},
                  {keys::ProgressPercentage, percent},
              }));
}

void ShredController::dataReady(const QByteArray &chunk)
{
    if (!chunk.isEmpty())
        appendData(chunk);
}

void ShredController::appendData(const QByteArray &chunk)
{
    const std::optional<int> percent = m_parser.appendData(chunk);
    if (!percent)
        return;
    m_progressPercentNumber = *percent;
    sendCleaningStatusProgressNotificationForApp(m_mainItemApp, m_mainItemName, m_mainItemRefPath, *percent);
}

void ShredController::taskTerminated(int terminationStatus)
{
    bool cleaned = true;
    if (terminationStatus != 0) {
        qWarning("Secure Shredding Task Failed (%i)", terminationStatus);
        cleaned = false;
    } else if (struct stat st; !m_parser.isDone() && m_mainFolder.fd() >= 0
               && fstatat(m_mainFolder.fd(), m_mainItemInFolder.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        qWarning("Secure Shredding Task Succeeded but item still exists.");
        cleaned = false;
    }
    sendCleaningStatusUpdateNotificationForApp(m_mainItemApp, m_mainItemName, m_mainItemRefPath, cleaned);
    m_task.reset();
    m_mainFolder.reset(-1);
}

void ShredController::removeTemporaryItems()
{
    const void *sender = this;
    m_threads.start([sender, tool = srmPath()] { cleanTemporaryFolder(sender, tool); });
}

void ShredController::removeTemporaryItemsInBackground()
{
    cleanTemporaryFolder(this, srmPath());
}
