#pragma once

#include "core/Settings.h"
#include "core/records/resultItem.h"
#include "platform/system/ArrayController.h"

#include <QString>

#include <functional>

class QWidget;

// A warning shown before cleaning a kind of row whose cleaning the user may regret (Finder's
// recent folders relaunch the Finder, cookies log the user out). The user may go on, or skip
// that kind of row for this run; a ticked suppression box stops the warning for good.
class CleaningWarning
{
public:
    static const CleaningWarning &recentFolders();
    static const CleaningWarning &cookies();

    bool belongsTo(const resultItem &row) const { return m_belongs(row); }

    // Asks when a checked row belongs to the warning and the warning is not suppressed, and
    // sets `skip` from the answer (left as it was when nothing is asked). When `skip` is then
    // set, every row of the warning, checked or not, is unchecked.
    void run(platform::ArrayController<resultItem> &rows, bool &skip, QWidget *parent = nullptr) const;

    const Settings::Key suppressionKey;
    const QString messageText;
    const QString informativeText;
    const QString skipButtonTitle;

private:
    CleaningWarning(Settings::Key key, QString message, QString informative, QString skipTitle,
                    std::function<bool(const resultItem &)> belongs);

    const std::function<bool(const resultItem &)> m_belongs;
};
