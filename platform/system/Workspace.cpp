#include "platform/system/Workspace.h"

#include "platform/files/FileManager.h"
#include "platform/plist/PropertyList.h"
#include "platform/system/ApplicationWatcher.h"
#include "platform/system/ProcessInfo.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <limits.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

// Application folders hold bundles in subfolders (Utilities); deeper than this is not looked.
constexpr int maxFolderDepth = 3;

struct Seams
{
    QMutex mutex;
    std::function<void(const QUrl &)> urlRecorder;
    std::function<bool(const QUrl &)> urlOpener;
    std::function<QList<RunningApplication>()> runningSource;
};

Seams &seams()
{
    static Seams s;
    return s;
}

QVariantMap infoDictionary(const QString &bundlePath)
{
    const auto plist = PropertyList::fromFile(bundlePath + u"/Contents/Info.plist"_s);
    return plist ? plist->toVariant().toMap() : QVariantMap();
}

QStringList applicationFolders()
{
    QString root = systemRoot();
    if (root == QLatin1String("/"))
        root.clear();
    return {root + u"/Applications"_s, root + u"/System/Applications"_s, root + u"/System/Library/CoreServices"_s,
            FileManager::homeDirectory() + u"/Applications"_s};
}

bool isBundleName(const QString &name)
{
    return name.size() > 4 && name.endsWith(QLatin1String(".app"), Qt::CaseInsensitive);
}

QString findBundle(const QString &folder, const QString &identifier, int depth)
{
    const FileManager &fm = FileManager::defaultManager();
    const QStringList names = fm.contentsOfDirectoryAtPath(folder);
    // Bundles of this folder first, then its plain subfolders; never inside a bundle.
    for (const QString &name : names) {
        const QString path = folder + QLatin1Char('/') + name;
        bool isDir = false;
        if (isBundleName(name) && fm.fileExistsAtPath(path, &isDir) && isDir
            && infoDictionary(path).value(u"CFBundleIdentifier"_s).toString().compare(identifier, Qt::CaseInsensitive)
                == 0)
            return path;
    }
    if (depth >= maxFolderDepth)
        return {};
    for (const QString &name : names) {
        if (isBundleName(name))
            continue;
        const QString path = folder + QLatin1Char('/') + name;
        const auto attributes = fm.attributesOfItemAtPath(path);
        if (attributes && attributes->isDirectory) {
            const QString found = findBundle(path, identifier, depth + 1);
            if (!found.isEmpty())
                return found;
        }
    }
    return {};
}

ImagePtr loadImage(const QString &path)
{
    const auto data = FileManager::defaultManager().contentsAtPath(path);
    if (!data)
        return nullptr;
    QImage image = QImage::fromData(*data);
    return image.isNull() ? nullptr : std::make_shared<QImage>(std::move(image));
}

ImagePtr genericIcon()
{
    if (ImagePtr icon = imageNamed(u"GenericApplicationIcon.png"_s))
        return icon;
    // Without the bundle's resources (a bare tool run), a plain tile still stands for an app.
    static const ImagePtr fallback = [] {
        auto image = std::make_shared<QImage>(32, 32, QImage::Format_ARGB32_Premultiplied);
        image->fill(Qt::transparent);
        QPainter painter(image.get());
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor(0x8a, 0x8f, 0x98));
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(QRectF(2, 2, 28, 28), 6, 6);
        return image;
    }();
    return fallback;
}

// <bundle>.app of an executable in its Contents/MacOS/ folder; empty for any other program.
QString bundleOfExecutable(QByteArray exe)
{
    static const QByteArray deleted(" (deleted)");
    if (exe.endsWith(deleted))
        exe.chop(deleted.size()); // replaced on disk while running: still that application
    const qsizetype at = exe.lastIndexOf("/Contents/MacOS/");
    if (at <= 0)
        return {};
    const QString bundle = decodePath(exe.left(at));
    return isBundleName(bundle.mid(bundle.lastIndexOf(QLatin1Char('/')) + 1)) ? bundle : QString();
}

QList<RunningApplication> scanProcesses()
{
    QList<RunningApplication> apps;
    DIR *proc = opendir("/proc");
    if (!proc)
        return apps;
    QHash<QString, QVariantMap> infos;
    while (dirent *e = readdir(proc)) {
        char *end = nullptr;
        const long pid = strtol(e->d_name, &end, 10);
        if (pid <= 0 || !end || *end != '\0')
            continue;
        char link[64];
        snprintf(link, sizeof link, "/proc/%ld/exe", pid);
        char target[PATH_MAX];
        // A zombie (exited, not yet reaped) has no executable any more: not running.
        const ssize_t n = readlink(link, target, sizeof target);
        if (n <= 0 || n >= ssize_t(sizeof target))
            continue;
        const QString bundle = bundleOfExecutable(QByteArray(target, int(n)));
        if (bundle.isEmpty())
            continue;
        if (!infos.contains(bundle))
            infos.insert(bundle, infoDictionary(bundle));
        const QVariantMap &info = infos[bundle];
        RunningApplication app;
        app.processIdentifier = pid_t(pid);
        app.bundlePath = bundle;
        app.bundleIdentifier = info.value(u"CFBundleIdentifier"_s).toString();
        app.localizedName = info.value(u"CFBundleName"_s).toString();
        if (app.localizedName.isEmpty()) {
            const QString file = bundle.mid(bundle.lastIndexOf(QLatin1Char('/')) + 1);
            app.localizedName = file.left(file.size() - 4);
        }
        apps.append(app);
    }
    closedir(proc);
    return apps;
}

bool processIsAlive(pid_t pid)
{
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')'); // the command name may hold anything
    if (close < 0 || close + 2 >= line.size())
        return false;
    const char state = line.at(close + 2);
    return state != 'Z' && state != 'X' && state != 'x';
}

// Launch and termination notices are wanted as soon as the application runs, whoever asks
// for them first.
void startWatcher()
{
    ApplicationWatcher::ensureStarted();
}
Q_COREAPP_STARTUP_FUNCTION(startWatcher)

} // namespace

Workspace &Workspace::sharedWorkspace()
{
    static Workspace workspace;
    ApplicationWatcher::ensureStarted();
    return workspace;
}

QString Workspace::absolutePathForAppBundleWithIdentifier(const QString &bundleIdentifier) const
{
    if (bundleIdentifier.isEmpty())
        return {};
    for (const QString &folder : applicationFolders()) {
        const QString found = findBundle(folder, bundleIdentifier, 0);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

ImagePtr Workspace::iconForFile(const QString &path) const
{
    QString icon = infoDictionary(path).value(u"CFBundleIconFile"_s).toString();
    // Only a plain name inside the bundle's Resources is taken.
    if (!icon.isEmpty() && !icon.contains(QLatin1Char('/')) && icon != QLatin1String("..")) {
        if (!icon.contains(QLatin1Char('.')))
            icon += u".icns"_s;
        if (ImagePtr image = loadImage(path + u"/Contents/Resources/"_s + icon))
            return image;
    }
    return genericIcon();
}

QList<RunningApplication> Workspace::runningApplications() const
{
    std::function<QList<RunningApplication>()> source;
    {
        QMutexLocker lock(&seams().mutex);
        source = seams().runningSource;
    }
    return source ? source() : scanProcesses();
}

QList<RunningApplication> Workspace::scanRunningApplications() const
{
    return scanProcesses();
}

QList<RunningApplication> Workspace::runningApplicationsWithBundleIdentifier(const QString &identifier) const
{
    QList<RunningApplication> matching;
    for (const RunningApplication &app : runningApplications()) {
        if (app.bundleIdentifier == identifier)
            matching.append(app);
    }
    return matching;
}

bool Workspace::isRunning(pid_t processIdentifier) const
{
    std::function<QList<RunningApplication>()> source;
    {
        QMutexLocker lock(&seams().mutex);
        source = seams().runningSource;
    }
    if (source) {
        const QList<RunningApplication> apps = source();
        return std::any_of(apps.begin(), apps.end(),
                           [&](const RunningApplication &app) { return app.processIdentifier == processIdentifier; });
    }
    return processIsAlive(processIdentifier);
}

bool Workspace::openURL(const QUrl &url) const
{
    std::function<void(const QUrl &)> recorder;
    std::function<bool(const QUrl &)> opener;
    {
        QMutexLocker lock(&seams().mutex);
        recorder = seams().urlRecorder;
        opener = seams().urlOpener;
    }
    if (opener)
        return opener(url);
    if (recorder) {
        recorder(url);
        return true;
    }
    return url.isValid() && QDesktopServices::openUrl(url);
}

void Workspace::setURLRecorder(std::function<void(const QUrl &)> recorder)
{
    QMutexLocker lock(&seams().mutex);
    seams().urlRecorder = std::move(recorder);
}

void Workspace::setURLOpener(std::function<bool(const QUrl &)> opener)
{
    QMutexLocker lock(&seams().mutex);
    seams().urlOpener = std::move(opener);
}

void Workspace::setRunningApplicationSource(std::function<QList<RunningApplication>()> source)
{
    QMutexLocker lock(&seams().mutex);
    seams().runningSource = std::move(source);
}

} // namespace platform
