#include "support/FakeHome.h"
#include "support/OwnApplications.h"

#include "platform/files/FileManager.h"
#include "platform/system/UserDefaults.h"
#include "platform/system/Workspace.h"

#include <QBuffer>
#include <QtEndian>

#include <cerrno>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using platform::encodePath;
using platform::FileManager;
using platform::PropertyList;

namespace {

const char *const variables[] = {"HOME", "TMPDIR", "NIMBREL_SYSTEM_ROOT"};

// Relative paths hang below base; absolute ones are taken as they are.
QString joined(const QString &base, const QString &rel)
{
    if (rel.isEmpty())
        return base;
    return rel.startsWith(QLatin1Char('/')) ? rel : base + QLatin1Char('/') + rel;
}

QString parentOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? u"/"_s : path.left(slash);
}

} // namespace

FakeHome::FakeHome()
{
    for (const char *name : variables)
        m_saved.push_back({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
    if (!m_base.isValid())
        return;
    m_home = m_base.path() + u"/home"_s;
    m_root = m_base.path() + u"/root"_s;
    m_tmp = m_base.path() + u"/tmp"_s;
    m_valid =
        makePath(m_home) && makePath(m_root) && makePath(m_tmp) && chmod(encodePath(m_tmp).constData(), 0700) == 0;
    qputenv("HOME", encodePath(m_home));
    qputenv("TMPDIR", encodePath(m_tmp));
    qputenv("NIMBREL_SYSTEM_ROOT", encodePath(m_root));
    platform::UserDefaults::resetStandardUserDefaults();
    countOnlyApplicationsUnder(m_root + QLatin1Char('/'));
}

FakeHome::~FakeHome()
{
    // The defaults write their last changes into this home before it goes away.
    platform::UserDefaults::resetStandardUserDefaults();
    platform::Workspace::sharedWorkspace().setRunningApplicationSource({});
    restoreEnvironment();
    if (m_base.isValid())
        unlockTree(m_base.path());
}

void FakeHome::restoreEnvironment()
{
    for (const SavedVariable &saved : m_saved) {
        if (saved.wasSet)
            qputenv(saved.name, saved.value);
        else
            qunsetenv(saved.name);
    }
}

// Tests leave immutable files and read-only folders behind; the temporary folder could not
// be removed with them in it.
void FakeHome::unlockTree(const QString &absPath) const
{
    const FileManager &fm = FileManager::defaultManager();
    QStringList paths{absPath};
    for (const QString &rel : fm.enumeratorAtPath(absPath))
        paths.append(absPath + QLatin1Char('/') + rel);
    for (const QString &p : paths) {
        const auto attributes = fm.attributesOfItemAtPath(p);
        if (!attributes || attributes->isSymbolicLink)
            continue;
        if (attributes->immutable)
            fm.setImmutable(p, false);
        if (attributes->isDirectory)
            fm.setPosixPermissions(p, attributes->permissions | 0700);
    }
}

QString FakeHome::path(const QString &relPath) const
{
    return joined(m_home, relPath);
}

QString FakeHome::rootPath(const QString &relPath) const
{
    return joined(m_root, relPath);
}

QColor FakeHome::iconColor(const QString &bundleId)
{
    return QColor::fromHsv(int(qHash(bundleId) % 360), 200, 220);
}

QByteArray FakeHome::icnsData(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    auto be32 = [](quint32 v) {
        QByteArray b(4, '\0');
        qToBigEndian(v, b.data());
        return b;
    };
    return QByteArray("icns") + be32(quint32(16 + png.size())) + QByteArray("ic07") + be32(quint32(8 + png.size()))
        + png;
}

QString FakeHome::executableOf(const QString &bundlePath)
{
    const QString file = bundlePath.mid(bundlePath.lastIndexOf(QLatin1Char('/')) + 1);
    return bundlePath + u"/Contents/MacOS/"_s + file.left(file.size() - 4);
}

QString FakeHome::addApplication(const QString &bundleId, const QString &name, const QString &folder,
                                 bool binaryInfoPlist)
{
    const QString base = folder.startsWith(QLatin1String("~/")) ? path(folder.mid(2)) : rootPath(folder);
    const QString bundle = base + QLatin1Char('/') + name + u".app"_s;
    const QVariantMap info{
        {u"CFBundleIdentifier"_s, bundleId},   {u"CFBundleName"_s, name},
        {u"CFBundleExecutable"_s, name},       {u"CFBundleIconFile"_s, name},
        {u"CFBundlePackageType"_s, u"APPL"_s}, {u"CFBundleShortVersionString"_s, u"1.0"_s},
    };
    const auto format = binaryInfoPlist ? PropertyList::Format::Binary : PropertyList::Format::Xml;
    const auto plist = PropertyList::fromVariant(info, format).toData();
    QImage icon(128, 128, QImage::Format_ARGB32);
    icon.fill(iconColor(bundleId));
    const bool ok = plist && makePath(bundle + u"/Contents/MacOS"_s)
        && writeFileAt(bundle + u"/Contents/Info.plist"_s, *plist)
        && writeFileAt(bundle + u"/Contents/Resources/"_s + name + u".icns"_s, icnsData(icon));
    return ok ? bundle : QString();
}

QString FakeHome::addRunnableApplication(const QString &bundleId, const QString &name, const QString &folder)
{
    const QString bundle = addApplication(bundleId, name, folder);
    const FileManager &fm = FileManager::defaultManager();
    // A copy, not a link: the process's executable is the resolved file.
    const auto program = fm.contentsAtPath(u"/bin/sleep"_s);
    const QString exe = executableOf(bundle);
    if (bundle.isEmpty() || !program || !writeFileAt(exe, *program) || !fm.setPosixPermissions(exe, 0755))
        return {};
    return bundle;
}

bool FakeHome::setSystemVersion(const QString &productVersion)
{
    const QVariantMap info{{u"ProductName"_s, u"Mac OS X"_s}, {u"ProductVersion"_s, productVersion}};
    const auto data = PropertyList::fromVariant(info, PropertyList::Format::Xml).toData();
    return data && writeFileAt(rootPath(u"System/Library/CoreServices/SystemVersion.plist"_s), *data);
}

bool FakeHome::setDamagedSystemVersion()
{
    return writeFileAt(rootPath(u"System/Library/CoreServices/SystemVersion.plist"_s),
                       QByteArray("<?xml version=\"1.0\"?>\n<plist version=\"1.0\">\n<dict>\n<key>Product"));
}

bool FakeHome::writeFile(const QString &relPath, const QByteArray &bytes) const
{
    return writeFileAt(path(relPath), bytes);
}

bool FakeHome::makeDir(const QString &relPath) const
{
    return makePath(path(relPath));
}

bool FakeHome::writePlist(const QString &relPath, const QVariant &value, PropertyList::Format format) const
{
    const auto data = PropertyList::fromVariant(value, format).toData();
    return data && writeFile(relPath, *data);
}

bool FakeHome::createSqlite(const QString &relPath, const QString &sqlText) const
{
    const QString file = path(relPath);
    if (!makePath(parentOf(file)))
        return false;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(encodePath(file).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK) {
        qWarning("FakeHome: cannot open %s", qPrintable(file));
        sqlite3_close(db);
        return false;
    }
    char *error = nullptr;
    const int rc = sqlite3_exec(db, sqlText.toUtf8().constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK)
        qWarning("FakeHome: SQL failed in %s: %s", qPrintable(file), error ? error : "?");
    sqlite3_free(error);
    return sqlite3_close(db) == SQLITE_OK && rc == SQLITE_OK;
}

bool FakeHome::writeFileAt(const QString &absPath, const QByteArray &bytes)
{
    if (!makePath(parentOf(absPath)))
        return false;
    const int fd = open(encodePath(absPath).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        data += n;
        left -= n;
    }
    return close(fd) == 0 && left == 0;
}

bool FakeHome::makePath(const QString &absPath)
{
    const QByteArray full = encodePath(absPath);
    for (qsizetype i = 1; i <= full.size(); ++i) {
        if (i < full.size() && full.at(i) != '/')
            continue;
        const QByteArray part = full.left(i);
        if (mkdir(part.constData(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st;
    return stat(full.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}
