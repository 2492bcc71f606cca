#include "targets/base/CountProbe.h"

#include "core/DatabaseController.h"
#include "platform/files/FileManager.h"

#include <sqlite3.h>

#include <chrono>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <thread>

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

// A store can make a count run for ever or for hours: a view in a table's place that
// recurses without end, or makes a huge value for each row in one step of SQLite's machine.
// Statements read the tables themselves only (nothing through a view, no recursion), no value
// is larger than a few megabytes, and a statement still running at a deadline on the clock is
// interrupted. The modules count whole tables, which SQLite does in a handful of steps however
// many rows there are.
constexpr int kLargestValue = 8 << 20;
constexpr std::chrono::milliseconds kDeadline{2000};

// Interrupts the connection's statement when it still runs at the deadline. A progress
// handler is not enough: it is not called inside one step, and counting a large table is one.
class Deadline
{
public:
    explicit Deadline(sqlite3 *db)
        : m_watch([this, db] {
            std::unique_lock lock(m_mutex);
            if (!m_ended.wait_for(lock, kDeadline, [this] { return m_finished; })) {
                m_fired = true;
                sqlite3_interrupt(db);
            }
        })
    {}
    ~Deadline() { stop(); }
    // Ends the watch; true when it interrupted the statement (or would have, had it not just
    // ended: the connection is then closed, so that no interrupt is left for the next one).
    bool stop()
    {
        if (m_watch.joinable()) {
            {
                std::lock_guard lock(m_mutex);
                m_finished = true;
            }
            m_ended.notify_one();
            m_watch.join();
        }
        return m_fired;
    }
    Deadline(const Deadline &) = delete;
    Deadline &operator=(const Deadline &) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_finished = false;
    bool m_fired = false;
    std::thread m_watch; // last, so that it starts once the rest is ready
};

// The sixth argument names the view or trigger behind an access, null for the statement's own.
int tablesOnly(void *, int action, const char *, const char *, const char *, const char *through)
{
    return through || action == SQLITE_RECURSIVE ? SQLITE_DENY : SQLITE_OK;
}

} // namespace

CountProbe::CountProbe(QList<int> &counts)
    : m_counts(counts)
{}

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
    if (m_db) {
        sqlite3_set_authorizer(m_db, tablesOnly, nullptr);
        sqlite3_limit(m_db, SQLITE_LIMIT_LENGTH, kLargestValue);
    }
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
    Deadline deadline(m_db);
    const int result = sqlite3_exec(m_db, sql.constData(), countRowCallback, &m_counts, nullptr);
    if (deadline.stop() || result != SQLITE_OK) {
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
