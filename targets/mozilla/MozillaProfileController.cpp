#include "targets/mozilla/MozillaProfileController.h"

#include "targets/base/CountProbe.h"
#include "targets/mozilla/MozillaProfiles.h"
#include "targets/mozilla/MozillaStatements.h"

using namespace Qt::StringLiterals;

MozillaProfileController::MozillaProfileController(std::function<QString()> profile,
                                                   std::function<QString()> cacheProfile, QObject *parent)
    : ModuleController(parent)
    , m_profile(std::move(profile))
    , m_cacheProfile(std::move(cacheProfile))
{}

QString MozillaProfileController::placesPath() const
{
    return mozilla::inProfile(m_profile, u"places.sqlite"_s)();
}

bool MozillaProfileController::historyItemsExist()
{
    return CountProbe::itemsExist(countArray(), placesPath(), QString::fromLatin1(mozilla::sql::historyCount));
}

bool MozillaProfileController::urlAutocompleteHistoryItemsExist()
{
    return CountProbe::itemsExist(countArray(), placesPath(), QString::fromLatin1(mozilla::sql::hostCount));
}
