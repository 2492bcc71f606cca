#include "targets/finder/RecentItemLimits.h"

#include "platform/AppleScript.h"

#include <array>
#include <optional>

namespace {

const QString prefix = QStringLiteral(
    "tell application \"System Events\" to tell appearance preferences to ");

void run(const QString &source)
{
    platform::AppleScript(source).executeAndReturnError();
}

} // namespace

const QStringList &RecentItemLimits::lists()
{
    static const QStringList names = {QStringLiteral("applications"), QStringLiteral("documents"),
                                      QStringLiteral("servers")};
    return names;
}

QString RecentItemLimits::getScript(const QString &list)
{
    return prefix + QStringLiteral("get recent %1 limit").arg(list);
}

QString RecentItemLimits::setScript(const QString &list, int limit)
{
    return prefix + QStringLiteral("set recent %1 limit to %2").arg(list).arg(limit);
}

void RecentItemLimits::reset()
{
    std::array<std::optional<int>, 3> limits;
    for (int i = 0; i < 3; ++i) {
        const std::optional<QString> result =
            platform::AppleScript(getScript(lists().at(i))).executeAndReturnError();
        bool ok = false;
        const int value = result ? result->trimmed().toInt(&ok) : 0;
        if (ok)
            limits[i] = value;
    }
    for (int i = 0; i < 3; ++i) {
        if (limits[i])
            run(setScript(lists().at(i), 0));
    }
    for (int i = 0; i < 3; ++i) {
        if (limits[i])
            run(setScript(lists().at(i), *limits[i]));
    }
}
