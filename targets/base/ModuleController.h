#pragma once

#include "core/TargetController.h"
#include "targets/base/TraceTable.h"

#include <QList>
#include <QString>

#include <functional>

class DatabaseController;
class MasterPrefsViewController;
namespace platform {
class PropertyList;
struct Notification;
} // namespace platform

// The shape every application module shares, written once. A module sets its identity, its
// category switches and its trace table, says which pane it shows, and adds functions only
// for what its table cannot express. Everything else lives here:
// - init registers the cleaning notification keys::cleanRequestName(targetName);
// - checkTarget reads the master switch; loadTargetPrefView hands the pane over;
// - addTargetItems runs the collector of every category switched on, in table order;
// - the cleaning handler the module registers ("cleanSafari" ...) finds the row by its exact
//   item full name and runs its route.
class ModuleController : public TargetController
{
    Q_OBJECT
public:
    // What a key rewrite did. Only Written changed anything on disk.
    enum class RewriteOutcome {
        Missing,       // nothing at the path
        NotParsed,     // not a property list: left where it is
        NotSerialised, // edited list gave no data, or data that reads back otherwise: left alone
        MoveFailed,    // its old contents could not be kept aside, or it changed meanwhile
        WriteFailed,   // edited list could not be written: the original stays in place
        Written,       // edited list renamed over it, old contents announced for removal
        NotPlainFile,  // a link, a file with several hard links, not a regular file: left alone
    };

    explicit ModuleController(QObject *parent = nullptr);
    ~ModuleController() override;

    // Runs TargetController::init(), then observes the module's cleaning notification.
    void init() override;

    bool checkTarget() override;
    void loadTargetPrefView() override;
    void addTargetItems() override;

    // Outlet to the database service, for modules with SQL rows.
    DatabaseController *dbControl() const { return m_dbControl; }
    void setDbControl(DatabaseController *dbControl) { m_dbControl = dbControl; }

    const QList<Category> &categories() const { return m_categories; }
    const QList<TraceRow> &traceTable() const { return m_rows; }
    // The module's array of counts: the rows the last count statement gave.
    const QList<int> &counts() const { return m_counts; }

    QString itemFullName(const TraceRow &row) const;
    // The master switch and the category switches, for the module's pane.
    PaneSwitches paneSwitches(const QString &masterLabel) const;

    // Finds the row named by the request's "cleaningItemName" and cleans it. A name that no
    // row has is answered not cleaned with the request's path, so the run never waits.
    void dispatchCleaningRequest(const platform::Notification &request);

protected:
    void setIdentity(const QString &identifier, const QString &scanKey, const QString &name);
    // Also registers the master switch (on) and each category's own default for every switch
    // that no defaults list has registered, so that all readers of a switch agree.
    void setCategories(const QList<Category> &categories);
    void setTraceTable(const QList<TraceRow> &rows) { m_rows = rows; }

    // The module's pane, newly made; the preferences controller takes it over.
    virtual MasterPrefsViewController *createPane() = 0;
    // Registers the module's cleaning handler ("cleanSafari" ...), called from its
    // constructor; without one the table's dispatch answers.
    template <class Module>
    void setCleaningHandler(void (Module::*handler)(const platform::Notification &))
    {
        Module *module = static_cast<Module *>(this);
        m_cleaningHandler = [module, handler](const platform::Notification &request) { (module->*handler)(request); };
    }

    // Offers the rows of one category in table order, testing each row's condition.
    void collectCategory(const QString &key);
    // Hands one row to addTargetItemWithDict with the given path (nothing for an empty path).
    void offerRow(const TraceRow &row, const QString &path);
    void offerRow(const TraceRow &row, const QString &path, const QString &classification);
    // Runs a row's route. Routes that work their path out again clean it only while it is still
    // the path the request carries.
    void cleanRow(const TraceRow &row, const QString &requestPath);

    // Offer test of "key non-empty": the list at path parses and the value at keyPath is a
    // collection with at least one element (a missing key counts as none).
    static bool keyNonEmpty(const QString &path, const QStringList &keyPath);
    // The entries directly inside the folder at `path` whose names begin with none of
    // `keptPrefixes`; none when the path is not a folder or is a link.
    static QStringList entriesNotKept(const QString &path, const QStringList &keptPrefixes);

    // The routes. Each ends the request with exactly one status or one removal announcement.
    // moveRoute answers whether the item was moved aside and announced. A store's side
    // files go with it unless they are offered as rows of their own.
    enum class SideFiles { Along, OwnRows };
    bool moveRoute(const QString &itemName, const QString &path, SideFiles sideFiles = SideFiles::Along);
    bool sqlRoute(const QString &itemName, const QString &path, const QString &statement);
    // Moves the folder's entries that are not kept aside as one item and announces it; not
    // cleaned when there is none, or one could not be moved (all then stay).
    bool moveEntriesRoute(const QString &itemName, const QString &path, const QStringList &keptPrefixes);
    // Parses and edits the list and serialises it in the format it was read in before
    // anything is moved: a list that does not parse or serialise stays where it is and is
    // reported not cleaned, and so does a list that is a link or has several hard links, or
    // whose new contents do not read back as the edited list.
    // Otherwise the edited list replaces the old one atomically (AtomicReplace) and the old
    // contents, kept aside, are announced for removal.
    RewriteOutcome keyRewriteRoute(const QString &itemName, const QString &path,
                                   const std::function<void(platform::PropertyList &)> &edit,
                                   const std::function<void()> &beforeWrite = {});

    void postPrefsDaemonNotice();
    void postSharedFileListNotice();

    QList<int> &countArray() { return m_counts; }

private:
    const TraceRow *rowNamed(const QString &itemName) const;

    bool m_cleanRegistered = false;
    std::function<void(const platform::Notification &)> m_cleaningHandler;
    QList<Category> m_categories;
    QList<TraceRow> m_rows;
    QList<int> m_counts;
    DatabaseController *m_dbControl = nullptr;
};
