#include "platform/system/ProcessInfo.h"

#include "platform/plist/PropertyList.h"

#include <QRegularExpression>
#include <QUuid>

#include <atomic>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

std::optional<OperatingSystemVersion> parseVersion(const QString &text)
{
    static const QRegularExpression pattern(u"^(\\d{1,4})(?:\\.(\\d{1,4}))?(?:\\.(\\d{1,4}))?$"_s);
    const auto match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    OperatingSystemVersion version;
    version.majorVersion = match.captured(1).toInt();
    version.minorVersion = match.captured(2).toInt();
    version.patchVersion = match.captured(3).toInt();
    return version;
}

} // namespace

QString systemRoot()
{
    QString root = qEnvironmentVariable("NIMBREL_SYSTEM_ROOT");
    while (root.size() > 1 && root.endsWith(QLatin1Char('/')))
        root.chop(1);
    return root.isEmpty() ? u"/"_s : root;
}

ProcessInfo &ProcessInfo::processInfo()
{
    static ProcessInfo info;
    return info;
}

std::optional<OperatingSystemVersion> ProcessInfo::operatingSystemVersion() const
{
    QString root = systemRoot();
    if (root == QLatin1String("/"))
        root.clear();
    const auto list = PropertyList::fromFile(root + u"/System/Library/CoreServices/SystemVersion.plist"_s);
    if (!list)
        return std::nullopt;
    const QVariant value = list->value(u"ProductVersion"_s);
    if (value.metaType().id() != QMetaType::QString)
        return std::nullopt;
    return parseVersion(value.toString());
}

QString ProcessInfo::globallyUniqueString() const
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

quint64 ProcessInfo::beginActivity(quint64 options, const QString &reason)
{
    Q_UNUSED(options)
    Q_UNUSED(reason)
    // Nothing on this platform keeps the machine awake for us; hand out a distinct token.
    static std::atomic<quint64> next{1};
    return next++;
}

void ProcessInfo::endActivity(quint64 token)
{
    Q_UNUSED(token)
}

int Gestalt::value(quint32 selector)
{
    if (selector != gestaltSystemVersionMajor && selector != gestaltSystemVersionMinor)
        return 0;
    const auto version = ProcessInfo::processInfo().operatingSystemVersion();
    if (!version)
        return 0;
    return selector == gestaltSystemVersionMajor ? version->majorVersion : version->minorVersion;
}

bool Gestalt::isTenNineOrLater()
{
    const int major = value(gestaltSystemVersionMajor);
    const int minor = value(gestaltSystemVersionMinor);
    return major > 10 || (major == 10 && minor > 8);
}

void ProcessInfo::raiseDescriptorLimit()
{
    struct rlimit limit = {};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace platform
