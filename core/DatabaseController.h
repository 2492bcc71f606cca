#pragma once

#include <QObject>
#include <QString>

// Runs a module's delete statements against an application's SQLite file in place, so the
// application keeps its database but loses the rows that hold traces. One connection per
// call; called from the cleaning worker, one call at a time.
class DatabaseController : public QObject
{
    Q_OBJECT
public:
    explicit DatabaseController(QObject *parent = nullptr);
    ~DatabaseController() override;

    // Runs `sql` (one or more statements) on the database at `path`, then compacts it.
    // True when every statement ran. A missing file, one that is not a database, one that
    // another connection holds locked and a failed statement all answer false; with
    // "enableSecureDelete" on, deleted rows are overwritten too.
    bool didDeleteRecordsWithInfo(const QString &sql, const QString &path);
};
