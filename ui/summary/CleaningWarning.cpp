#include "ui/summary/CleaningWarning.h"

#include "platform/gui/Alert.h"

#include <algorithm>

using namespace Qt::StringLiterals;

CleaningWarning::CleaningWarning(Settings::Key key, QString message, QString informative, QString skipTitle,
                                 std::function<bool(const resultItem &)> belongs)
    : suppressionKey(key)
    , messageText(std::move(message))
    , informativeText(std::move(informative))
    , skipButtonTitle(std::move(skipTitle))
    , m_belongs(std::move(belongs))
{}

const CleaningWarning &CleaningWarning::recentFolders()
{
    static const CleaningWarning warning(
        Settings::Key::RecentFolderAlertSuppress, u"Finder Recent Folders Cleaning Alert"_s,
        u"Finder recent folders are selected for cleaning. Cleaning recent folders will relaunch the "
        "Finder, which can interrupt Finder activity. Finish any Finder tasks (such as copying files) "
        "before continuing. Do you want to continue cleaning Finder recent folders?"_s,
        u"Skip recent folders cleaning"_s,
        [](const resultItem &row) { return row.resultItemName().endsWith(u"Recent Folders"_s); });
    return warning;
}

const CleaningWarning &CleaningWarning::cookies()
{
    // Every row of the Flash cookies module is a cookie, whatever its category is called.
    static const CleaningWarning warning(
        Settings::Key::CookieAlertSuppress, u"Cookie Cleaning Alert"_s,
        u"Web browser cookie files are selected for cleaning. Cleaning cookie files can reduce tracking "
        "and enhance privacy, but may also log you out from websites. Do you want to continue cleaning "
        "cookie files?"_s,
        u"Skip cookie cleaning"_s, [](const resultItem &row) {
            return row.resultItemName().endsWith(u"Cookies"_s)
                || row.resultItemAppName().startsWith(u"Flash Cookies"_s);
        });
    return warning;
}

void CleaningWarning::run(platform::ArrayController<resultItem> &rows, bool &skip, QWidget *parent) const
{
    const QList<resultItemPtr> all = rows.arrangedObjects();
    const bool asked = std::any_of(all.begin(), all.end(),
                                   [this](const resultItemPtr &row) { return row->isTicked() && belongsTo(*row); });
    if (!asked)
        return;

    if (Settings::boolValue(suppressionKey)) {
        skip = false;
        return;
    }

    platform::Alert alert;
    alert.setAlertStyle(platform::Alert::Style::Warning);
    alert.setMessageText(messageText);
    alert.setInformativeText(informativeText);
    alert.addButtonWithTitle(u"Yes"_s);
    alert.addButtonWithTitle(skipButtonTitle);
    alert.setShowsSuppressionButton(true);
    skip = alert.runModal(parent) == platform::Alert::SecondButtonReturn;
    if (alert.suppressionButtonState())
        Settings::setBool(suppressionKey, true);

    if (!skip)
        return;
    for (const resultItemPtr &row : all)
        if (belongsTo(*row))
            row->setResultItemIsChecked(false);
    rows.reload();
}
