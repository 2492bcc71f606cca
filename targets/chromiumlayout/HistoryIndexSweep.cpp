#include "targets/chromiumlayout/HistoryIndexSweep.h"

#include "targets/chromiumlayout/EntrySweep.h"

using namespace Qt::StringLiterals;

namespace {

const EntrySweep &indexes()
{
    // The browser names one index per month and SQLite its journal; nothing else a user
    // keeps in the profile under a name that starts the same way.
    static const EntrySweep sweep(u"History Index [0-9]{4}-[0-9]{2}(-journal)?"_s);
    return sweep;
}

} // namespace

bool HistoryIndexSweep::isIndexName(const QString &name)
{
    return indexes().isEntryName(name);
}

QStringList HistoryIndexSweep::entriesIn(const QString &profileFolder)
{
    return indexes().entriesIn(profileFolder);
}

bool HistoryIndexSweep::isEntryOf(const QString &profileFolder, const QString &path)
{
    return indexes().isEntryOf(profileFolder, path);
}
