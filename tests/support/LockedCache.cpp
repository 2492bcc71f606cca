#include "support/LockedCache.h"

#include "core/AsNobody.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

QString makeLockedCache(const QString &base)
{
    const QString cache = base + QStringLiteral("/cache");
    // Deepest first, so each mode is set once nothing more is made inside.
    const QList<QPair<QString, mode_t>> entries = {
        {QStringLiteral("readonly/file"), 0644},      {QStringLiteral("readonly/inner/file"), 0600},
        {QStringLiteral("readonly/inner"), 0555},     {QStringLiteral("readonly"), 0555},
        {QStringLiteral("sealed/deeper/file"), 0600}, {QStringLiteral("sealed/deeper"), 0000},
        {QStringLiteral("sealed/file"), 0644},        {QStringLiteral("sealed"), 0000},
        {QStringLiteral("readonly-file"), 0444},      {QStringLiteral("no-access-file"), 0000},
        {QStringLiteral("plain-file"), 0644},
    };
    for (const auto &entry : entries) {
        const QString path = cache + QLatin1Char('/') + entry.first;
        if (!entry.first.endsWith(QLatin1String("file")))
            continue;
        if (!QDir().mkpath(QFileInfo(path).path()) || !writeFile(path, QByteArray(3000, 's')))
            return {};
    }
    const bool root = geteuid() == 0;
    for (const auto &entry : entries + QList<QPair<QString, mode_t>>{{QString(), 0755}}) {
        const QByteArray path = QFile::encodeName(cache + QLatin1Char('/') + entry.first);
        if (root && lchown(path.constData(), AsNobody::uid, AsNobody::gid) != 0)
            return {};
        if (chmod(path.constData(), entry.second) != 0)
            return {};
    }
    return cache;
}

void unlockTree(const QString &path)
{
    const QByteArray bytes = QFile::encodeName(path);
    struct stat st;
    if (lstat(bytes.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return;
    chmod(bytes.constData(), (st.st_mode & 07777) | S_IRWXU);
    const QStringList folders =
        QDir(path).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString &folder : folders)
        unlockTree(path + QLatin1Char('/') + folder);
}
