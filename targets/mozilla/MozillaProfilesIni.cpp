#include "targets/mozilla/MozillaProfilesIni.h"

#include <QList>
#include <QMap>

using namespace Qt::StringLiterals;

namespace mozilla {

namespace {

struct Section
{
    QString name;
    QMap<QString, QString> values; // the first of a repeated key counts, as in the browser
};

QList<Section> sections(const QByteArray &ini)
{
    QList<Section> found;
    QString text = QString::fromUtf8(ini);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed(); // also the '\r' of a file written with CRLF
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            const qsizetype end = line.indexOf(u']');
            if (end > 1)
                found.append({line.mid(1, end - 1).toString(), {}});
            else
                found.append(Section{}); // a malformed header still ends the section before it
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0 || found.isEmpty() || found.last().name.isEmpty())
            continue;
        const QString key = line.left(equals).trimmed().toString();
        if (!found.last().values.contains(key))
            found.last().values.insert(key, line.mid(equals + 1).trimmed().toString());
    }
    return found;
}

// "Profile" followed by digits only, as the browser numbers them.
bool isProfileSection(const QString &name)
{
    if (!name.startsWith(u"Profile"_s) || name.size() == 7)
        return false;
    for (qsizetype i = 7; i < name.size(); ++i) {
        if (!name.at(i).isDigit())
            return false;
    }
    return true;
}

} // namespace

std::optional<IniProfile> defaultProfileIn(const QByteArray &ini)
{
    const QList<Section> all = sections(ini);
    QList<const Section *> profiles;
    for (const Section &section : all) {
        if (isProfileSection(section.name) && !section.values.value(u"Path"_s).isEmpty())
            profiles.append(&section);
    }
    auto profile = [](const Section *section) {
        return IniProfile{section->values.value(u"Path"_s), section->values.value(u"IsRelative"_s) == u"1"_s};
    };
    // An install's default is written as the chosen profile's own Path.
    for (const Section &section : all) {
        if (!section.name.startsWith(u"Install"_s))
            continue;
        const QString chosen = section.values.value(u"Default"_s);
        if (chosen.isEmpty())
            continue;
        for (const Section *candidate : std::as_const(profiles)) {
            if (candidate->values.value(u"Path"_s) == chosen)
                return profile(candidate);
        }
    }
    for (const Section *candidate : std::as_const(profiles)) {
        if (candidate->values.value(u"Default"_s) == u"1"_s)
            return profile(candidate);
    }
    if (profiles.size() == 1)
        return profile(profiles.first());
    return std::nullopt;
}

} // namespace mozilla
