#pragma once

#include <QList>
#include <QString>

#include <optional>

struct sqlite3;

// Row callback of every count statement: reads the first column as a decimal integer (leading
// digits, an optional sign; no digits gives 0), appends it to the QList<int> passed as context
// and lets the statement go on.
int countRowCallback(void *context, int columns, char **values, char **names);

// One SQLite connection used to count rows while a scan decides which rows to offer.
//
// The caller checks that the file exists first: a probe never creates a database. Each count
// empties the module's array of counts and leaves the statement's rows in it, so the first
// element is the count. A failed statement closes the connection.
class CountProbe
{
public:
    explicit CountProbe(QList<int> &counts);
    ~CountProbe();
    CountProbe(const CountProbe &) = delete;
    CountProbe &operator=(const CountProbe &) = delete;

    // False when the file does not open (nothing stays open then).
    bool open(const QString &path);
    bool isOpen() const { return m_db != nullptr; }
    void close();

    // The count the statement gives; nothing when it fails, reads through a view, recurses or
    // runs past its deadline of two seconds (the connection is closed then).
    std::optional<int> count(const QString &statement);

    // The probe-method form: its own connection, opened and closed here. True when the file
    // exists, opens, the statement runs and counts more than 0.
    static bool itemsExist(QList<int> &counts, const QString &path, const QString &statement);

private:
    QList<int> &m_counts;
    sqlite3 *m_db = nullptr;
};
