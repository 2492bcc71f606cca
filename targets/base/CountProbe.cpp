#include "targets/base/CountProbe.h"

#include "core/DatabaseController.h"
#include "platform/FileManager.h"

#include <sqlite3.h>

#include <climits>

int countRowCallback(void *context, int columns, char **values, char ** /*names*/)
{
    auto *counts = static_cast<QList<int> *>(context);
    qint64 value = 0;
    if (columns > 0 && values && values[0]) {
        const char *p = values[0];
        while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')
            ++p;
        bool negative = false;
        if (*p == '+' || *p == '-')
            negative = *p++ == '-';
        // Counts are 32-bit; a longer run of digits saturates rather than wrapping.
        while (*p >= '0' && *p <= '9' && value <= INT_MAX)
            value = value * 10 + (*p++ - '0');
        value = qMin<qint64>(value, INT_MAX);
        if (negative)
            value = -value;
    }
    if (counts)
        counts->append(int(value));
    return 0;
}

namespace {

// A store can make a count run for ever (a view in a table's place that recurses without end):
// a statement is stopped after ten million steps of SQLite's machine. The modules count whole
// tables, which SQLite does in a handful of steps however many rows there are.
constexpr int kStepsPerCall = 1000;
constexpr int kMaxCalls = 10000;

int stopAfterBudget(void *context)
{
    return ++*static_cast<int *>(context) > kMaxCalls ? 1 : 0;
}

} // namespace

CountProbe::CountProbe(QList<int> &counts)
    : m_counts(counts)
{
}

CountProbe::~CountProbe()
{
    close();
}

bool CountProbe::open(const QString &path)
{
    close();
    // Found as the database service finds it, so a row is offered only where it can be
    // cleaned; read-only, so that a scan never writes a store nor folds its log back.
    m_db = DatabaseController::openStore(path, DatabaseController::Access::ReadOnly);
    return m_db != nullptr;
}

void CountProbe::close()
{
    if (m_db) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

std::optional<int> CountProbe::count(const QString &statement)
{
    if (!m_db)
        return std::nullopt;
    m_counts.clear();
    const QByteArray sql = statement.toUtf8();
    int calls = 0;
    sqlite3_progress_handler(m_db, kStepsPerCall, stopAfterBudget, &calls);
    const int result = sqlite3_exec(m_db, sql.constData(), countRowCallback, &m_counts, nullptr);
    sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
    if (result != SQLITE_OK) {
        close();
        return std::nullopt;
    }
    return m_counts.isEmpty() ? 0 : m_counts.first();
}

bool CountProbe::itemsExist(QList<int> &counts, const QString &path, const QString &statement)
{
    if (path.isEmpty() || !platform::FileManager::defaultManager().fileExistsAtPath(path))
        return false;
    CountProbe probe(counts);
    if (!probe.open(path))
        return false;
    const std::optional<int> n = probe.count(statement);
    return n && *n > 0;
}
