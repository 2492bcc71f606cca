#include "targets/finder/RecentItemLimits.h"

#include "platform/system/AppleScript.h"

#include <array>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString prefix = u"tell application \"System Events\" to tell appearance preferences to "_s;

void run(const QString &source)
{
    platform::AppleScript(source).executeAndReturnError();
}

} // namespace

const QStringList &RecentItemLimits::lists()
{
    static const QStringList names = {u"applications"_s, u"documents"_s, u"servers"_s};
    return names;
}

QString RecentItemLimits::getScript(const QString &list)
{
    return prefix + u"get recent %1 limit"_s.arg(list);
}

QString RecentItemLimits::setScript(const QString &list, int limit)
{
    return prefix + u"set recent %1 limit to %2"_s.arg(list).arg(limit);
}

void RecentItemLimits::reset()
{
    std::array<std::optional<int>, 3> limits;
    for (int i = 0; i < 3; ++i) {
        const std::optional<QString> result = platform::AppleScript(getScript(lists().at(i))).executeAndReturnError();
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
