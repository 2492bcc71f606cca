#include "ui/launch/RatingPrompt.h"

#include "core/Settings.h"
#include "platform/gui/Alert.h"
#include "platform/gui/WebPages.h"
#include "platform/system/Bundle.h"

#include <QStringList>

#include <array>
#include <climits>

using namespace Qt::StringLiterals;

namespace {

// The integer a component starts with, as a C conversion reads it: leading blanks, an
// optional sign, then digits; 0 when there are none. Huge values are held at the int range.
long long leadingInteger(const QString &text)
{
    int i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        negative = text.at(i++) == QLatin1Char('-');
    long long value = 0;
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i)
        value = std::min<long long>(value * 10 + (text.at(i).unicode() - '0'), INT_MAX);
    return negative ? -value : value;
}

std::array<long long, 3> components(const QString &version)
{
    const QStringList parts = version.split(QLatin1Char('.'));
    std::array<long long, 3> out{0, 0, 0};
    for (int i = 0; i < 3 && i < parts.size(); ++i)
        out[size_t(i)] = leadingInteger(parts.at(i));
    return out;
}

} // namespace

RatingPrompt::RatingPrompt()
    : m_version(platform::Bundle::mainBundle().infoDictionary().value(u"CFBundleShortVersionString"_s).toString())
{}

int RatingPrompt::compareNewVersionNumber(const QString &newVersion, const QString &oldVersion)
{
    const auto newer = components(newVersion);
    const auto older = components(oldVersion);
    for (size_t i = 0; i < newer.size(); ++i) {
        if (newer[i] != older[i])
            return newer[i] > older[i] ? 1 : -1;
    }
    return 0;
}

LaunchChain RatingPrompt::checkAppRatingStatus()
{
    using Key = Settings::Key;
    if (Settings::boolValue(Key::VersionIsRated)) {
        const QString rated = Settings::string(Key::RatedVersionNumber);
        if (!rated.isEmpty() && compareNewVersionNumber(m_version, rated) <= 0)
            return LaunchChain::Next;
        // A newer version than the one rated (or no record of which): start counting again.
        Settings::setBool(Key::VersionIsRated, false);
        Settings::setInteger(Key::RunCount, 0);
        return LaunchChain::Stop;
    }
    if (!Settings::boolValue(Key::DeclinedRating) && Settings::integer(Key::RunCount) >= 5) {
        displayAppRatingAlert();
        return LaunchChain::Stop;
    }
    return LaunchChain::Next;
}

void RatingPrompt::displayAppRatingAlert()
{
    platform::Alert alert;
    alert.setAlertStyle(platform::Alert::Style::Warning);
    alert.setMessageText(u"Rate Nimbrel"_s);
    alert.setInformativeText(
        u"If you like Nimbrel, please take a moment to rate it. Thank you for showing your support for Brindlecove "
        "and Nimbrel! If you have any questions about Nimbrel or are encountering problems, contact us for support "
        "and we'd be happy to help."_s);
    alert.addButtonWithTitle(u"Rate App"_s);
    alert.addButtonWithTitle(u"Not Now"_s);
    alert.addButtonWithTitle(u"Contact Support"_s);
    alert.setShowsSuppressionButton(true);
    const int answer = alert.runModal(m_mainWindow);

    using Key = Settings::Key;
    if (answer == platform::Alert::FirstButtonReturn) {
        Settings::setBool(Key::VersionIsRated, true);
        Settings::setValue(Key::RatedVersionNumber, m_version);
        platform::WebPages::open(platform::WebPages::rating(u"/mac/nimbrel/rate"_s), m_mainWindow);
    } else if (answer == platform::Alert::SecondButtonReturn) {
        Settings::setInteger(Key::RunCount, 0);
    } else if (answer == platform::Alert::ThirdButtonReturn) {
        Settings::setInteger(Key::RunCount, 0);
        platform::WebPages::open(platform::WebPages::site(u"/support/"_s), m_mainWindow);
    }
    if (alert.suppressionButtonState())
        Settings::setBool(Key::DeclinedRating, true);
}
