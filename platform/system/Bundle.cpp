#include "platform/system/Bundle.h"

#include "platform/plist/PropertyList.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

// The bundle that holds `executable` as Contents/MacOS/<exe>; empty when it is not in one.
QString bundleOfExecutable(const QString &executable)
{
    if (executable.isEmpty())
        return {};
    QDir dir = QFileInfo(executable).absoluteDir();
    if (dir.dirName() != QLatin1String("MacOS") || !dir.cdUp() || dir.dirName() != QLatin1String("Contents")
        || !dir.cdUp())
        return {};
    return dir.absolutePath();
}

QString findMainBundle()
{
    QString executable;
    if (QCoreApplication::instance())
        executable = QCoreApplication::applicationFilePath();
    else
        executable = QFileInfo(u"/proc/self/exe"_s).canonicalFilePath();
    QString path = bundleOfExecutable(executable);
    if (path.isEmpty())
        path = qEnvironmentVariable("NIMBREL_BUNDLE_PATH");
    if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

Bundle::Bundle(const QString &bundlePath)
    : m_path(bundlePath)
{}

Bundle &Bundle::mainBundle()
{
    static Bundle bundle(findMainBundle());
    return bundle;
}

QString Bundle::bundlePath() const
{
    return m_path;
}

QString Bundle::executablePath(const QString &name) const
{
    return m_path + u"/Contents/MacOS/"_s + name;
}

QString Bundle::resourcePath() const
{
    return m_path + u"/Contents/Resources"_s;
}

QString Bundle::pathForResource(const QString &name, const QString &type) const
{
    if (m_path.isEmpty() || name.isEmpty())
        return {};
    QString file = name;
    if (!type.isEmpty() && !name.endsWith(QLatin1Char('.') + type))
        file += QLatin1Char('.') + type;
    const QString path = resourcePath() + QLatin1Char('/') + file;
    return QFileInfo(path).isFile() ? path : QString();
}

QVariantMap Bundle::infoDictionary() const
{
    if (m_path.isEmpty())
        return {};
    const auto list = PropertyList::fromFile(m_path + u"/Contents/Info.plist"_s);
    return list ? list->toVariant().toMap() : QVariantMap();
}

QString Bundle::bundleIdentifier() const
{
    const QVariant value = infoDictionary().value(u"CFBundleIdentifier"_s);
    return value.metaType().id() == QMetaType::QString ? value.toString() : QString();
}

} // namespace platform
