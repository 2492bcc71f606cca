#include "app/MainInterface.h"
#include "core/FileController.h"
#include "core/Keys.h"
#include "core/TargetController.h"
#include "platform/gui/Alert.h"
#include "platform/gui/Modal.h"
#include "platform/system/MainThread.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Timer.h"
#include "platform/system/UserDefaults.h"
#include "support/BundleDefaults.h"
#include "support/FakeHome.h"
#include "support/RunningApps.h"
#include "ui/alerts/AlertController.h"
#include "ui/animation/QZShredderAnimator.h"
#include "ui/main/AppController.h"
#include "ui/main/MainWindow.h"
#include "ui/results/CleaningRun.h"
#include "ui/results/CleaningRunHost.h"
#include "ui/results/ResultsController.h"

#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableView>
#include <QtTest>

using namespace Qt::StringLiterals;

using platform::NotificationCenter;
using platform::UserDefaults;

namespace {

const QString kSafari = u"com.apple.Safari"_s;
const QString kTester = u"org.example.Tester"_s;
const QString kFlash = u"FlashCookies"_s;
constexpr int kFileSize = 20000;

// A module of the test's own. Each row's category names what its clean handler does:
// Move (the move route), Keep (says cleaned, changes nothing), Shrink (cuts the file to
// 1000 bytes, says cleaned), Fail (says not cleaned), Drop (never answers), Twice (says
// cleaned twice), Launch (starts Safari, says cleaned), Astray (sets aside the file beside its
// own, "<path> beside", and announces that under its name), Late (says not cleaned, then sets
// its file aside and announces it).
class Tester : public TargetController
{
public:
    Tester(const QString &identifier, const QString &name)
    {
        setIdentifierString(identifier);
        setTargetName(name);
    }
    void init() override
    {
        TargetController::init();
        NotificationCenter::defaultCenter().addObserver(this, keys::cleanRequestName(targetName()),
                                                        [this](const platform::Notification &n) { clean(n); });
    }
    // Rows by "<Behaviour> <n>"; a folder when the behaviour is Folder-moved ("Tree").
    void addRow(const QString &classification, const QString &path, const QString &type = u"File"_s)
    {
        m_rows.append({classification, path, type});
    }
    void addTargetItems() override
    {
        for (const auto &row : std::as_const(m_rows))
            addTargetItemWithDict({{u"targetItemPath"_s, row[1]},
                                   {u"targetItemType"_s, row[2]},
                                   {u"targetItemClassification"_s, row[0]}});
    }
    std::function<void()> launch;

private:
    void clean(const platform::Notification &n)
    {
        const QString name = n.userInfo.value(u"cleaningItemName"_s).toString();
        const QString path = n.userInfo.value(u"cleaningItemPath"_s).toString();
        const QString behaviour = name.mid(targetName().size() + 1).section(QLatin1Char(' '), 0, 0);
        if (behaviour == QLatin1String("Move") || behaviour == QLatin1String("Tree")) {
            const QString moved = fileControl()->temporaryPathForFile(path);
            if (moved.isEmpty())
                sendCleaningStatusUpdateNotificationForItem(name, path, false);
            else
                sendRemovalNotificationForItem(name, moved, path);
        } else if (behaviour == QLatin1String("Astray")) {
            const QString beside = path + u" beside"_s;
            sendRemovalNotificationForItem(name, fileControl()->temporaryPathForFile(beside), beside);
        } else if (behaviour == QLatin1String("Late")) {
            sendCleaningStatusUpdateNotificationForItem(name, path, false);
            sendRemovalNotificationForItem(name, fileControl()->temporaryPathForFile(path), path);
        } else if (behaviour == QLatin1String("Shrink")) {
            QFile::resize(path, 1000);
            sendCleaningStatusUpdateNotificationForItem(name, path, true);
        } else if (behaviour == QLatin1String("Fail")) {
            sendCleaningStatusUpdateNotificationForItem(name, path, false);
        } else if (behaviour == QLatin1String("Twice")) {
            sendCleaningStatusUpdateNotificationForItem(name, path, true);
            sendCleaningStatusUpdateNotificationForItem(name, path, true);
        } else if (behaviour == QLatin1String("Launch")) {
            if (launch)
                platform::MainThread::performAndWait(launch);
            sendCleaningStatusUpdateNotificationForItem(name, path, true);
        } else if (behaviour != QLatin1String("Drop")) { // Keep
            sendCleaningStatusUpdateNotificationForItem(name, path, true);
        }
    }

    QList<QStringList> m_rows;
};

// The application as launched, a home with Safari and a module of the test's own, and
// every row's status texts as the table showed them.
struct Run
{
    FakeHome home;
    RunningApps apps{home};
    std::unique_ptr<MainInterface> ui;
    Tester tester{kTester, u"Tester"_s};
    QHash<QString, QStringList> texts; // row name -> texts in the order shown
    std::function<void(const resultItemPtr &row, const QString &text)> onText;
    bool ready = false; // the shipped settings are registered

    Run()
    {
        ready = registerBundleDefaults();
        home.addRunnableApplication(kSafari, u"Safari"_s);
        home.addApplication(kTester, u"Tester"_s);
        UserDefaults &d = UserDefaults::standardUserDefaults();
        d.setBool(false, u"FirstLaunch"_s);
        for (const QString &key : {kSafari, kTester, u"safariBrowsing"_s, u"safariCache"_s, u"safariRecentSearches"_s,
                                   u"flashCookieSharedObjects"_s})
            d.setBool(true, key);
        d.setBool(false, u"enableSecureDelete"_s);
        ui = MainInterface::load();
        // The start-up tips and launch prompts run now, as at launch, not in the middle of a test.
        platform::Timer::fireAllPending();
        tester.setFileControl(ui->fileControl());
        tester.init();
        tester.launch = [this] { apps.launch(kSafari, u"Safari"_s); };
        QObject::connect(results()->resultsArrayController(), &QAbstractItemModel::dataChanged, [this] {
            for (const resultItemPtr &row : results()->resultsArrayController()->arrangedObjects()) {
                QStringList &list = texts[row->resultItemName()];
                const QString text = row->resultItemStatusText();
                if (list.isEmpty() || list.last() != text) {
                    list.append(text);
                    if (onText)
                        onText(row, text);
                }
            }
        });
    }
    ~Run() { platform::Modal::setObserver({}); }

    ResultsController *results() const { return ui->resultsControl(); }

    // A file of kFileSize bytes below the home folder; answers its path.
    QString file(const QString &rel) const
    {
        FakeHome::writeFileAt(home.path(rel), QByteArray(kFileSize, 'x'));
        return home.path(rel);
    }
    void testerRow(Tester &module, const QString &classification)
    {
        module.addRow(classification, file(u"traces/"_s + classification));
    }
    void scan(const QString &identifier, const QString &name)
    {
        NotificationCenter::defaultCenter().post(keys::CheckLocationItems, nullptr,
                                                 keys::locationScan(name, identifier));
    }
    // Puts the rows in the order of their names; false when not every name is one row.
    bool arrange(const QStringList &names)
    {
        QList<resultItemPtr> ordered;
        for (const QString &name : names)
            for (const resultItemPtr &row : results()->resultsArrayController()->arrangedObjects())
                if (row->resultItemName() == name)
                    ordered.append(row);
        if (ordered.size() != names.size())
            return false;
        results()->resultsArrayController()->setContent(ordered);
        return true;
    }
    resultItemPtr row(const QString &name) const
    {
        for (const resultItemPtr &row : results()->resultsArrayController()->arrangedObjects())
            if (row->resultItemName() == name)
                return row;
        return {};
    }
    QStringList finalTexts() const
    {
        QStringList list;
        for (const resultItemPtr &row : results()->resultsArrayController()->arrangedObjects())
            list.append(row->resultItemStatusText());
        return list;
    }
    // Shows the results as the main window does after a scan and presses Clean.
    bool clean()
    {
        results()->setShowingScanResults(true);
        results()->shredButton()->click();
        if (QTest::qWaitFor([this] { return results()->isDoneCleaning(); }, 120000))
            return true;
        // A row whose answer never comes holds the run for ever, and a run cannot be torn
        // down under its worker: the test stops here, naming the rows still waiting.
        QStringList waiting;
        for (const resultItemPtr &row : results()->resultsArrayController()->arrangedObjects()) {
            const QString text = row->resultItemStatusText();
            if (text == QLatin1String("- Waiting") || text == QLatin1String("- Cleaning"))
                waiting << row->resultItemName() + u" ("_s + text + u')';
        }
        qFatal("the cleaning run still waits after 120 s, on: %s", qPrintable(waiting.join(u", "_s)));
    }
};

// A run's host with nothing but rows: no window, no file service, no engine, no alert.
struct BareHost : CleaningRunHost
{
    platform::ArrayController<resultItem> rows;
    CleaningRun run{*this};
    bool ended = false;

    BareHost()
    {
        NotificationCenter::defaultCenter().addObserver(
            static_cast<const void *>(this), keys::CleaningStatusUpdateNotification,
            [this](const platform::Notification &n) { run.updateStatus(n); });
    }
    ~BareHost() override
    {
        NotificationCenter::defaultCenter().removeObserver(static_cast<const void *>(this));
        run.stop();
    }
    platform::ArrayController<resultItem> *resultsArrayController() const override
    {
        return const_cast<platform::ArrayController<resultItem> *>(&rows);
    }
    FileController *fileControl() const override { return nullptr; }
    ShredController *shredControl() const override { return nullptr; }
    AlertController *alertControl() const override { return nullptr; }
    const void *runPostSender() const override { return this; }
    void observeOperationCount(int count) override { ended = ended || count == 0; }
};

const QString kWaiting = u"- Waiting"_s;
const QString kCleaning = u"- Cleaning"_s;
const QString kCleaned = u"- Cleaned"_s;
const QString kNotCleaned = u"- Could not clean"_s;
const QString kSkipped = u"- Skipped"_s;

} // namespace

class tst_CleaningRun : public QObject
{
    Q_OBJECT
private slots:
    void cleanRun_data();
    void cleanRun();
    void safariTraces();
    void runningApplication_data();
    void runningApplication();
    void cancel_data();
    void cancel();
    void nothingChecked();
    void quitQuestionWithdrawnWhenTheRunEnds();
    void runStandsAlone();
    void rowInHandStaysInView_data();
    void rowInHandStaysInView();
};

void tst_CleaningRun::cleanRun_data()
{
    // Rows of the test module in table order: "-" leaves it unchecked, "!" removes its file
    // before Clean is pressed, "~" unticks it once the first row is being cleaned.
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QList<int>>("counts"); // cleaned, skipped, not cleaned
    QTest::addColumn<quint64>("total");
    QTest::newRow("every outcome") << QStringList{"Move 1",  "Keep 1",  "Shrink 1", "Fail 1",
                                                  "-Move 2", "!Move 3", "Move 4"}
                                   << QStringList{kCleaned, kCleaned,    kCleaned, kNotCleaned,
                                                  kSkipped, kNotCleaned, kCleaned}
                                   << QList<int>{4, 1, 2} << quint64(kFileSize + 4096 + (kFileSize - 1000) + kFileSize);
    QTest::newRow("a dropped request is answered")
        << QStringList{"Drop 1", "Move 1", "Drop 2"} << QStringList{kNotCleaned, kCleaned, kNotCleaned}
        << QList<int>{1, 0, 2} << quint64(kFileSize);
    // What a row set aside after it was answered, or under another path, is never destroyed.
    QTest::newRow("a removal not for the row awaiting its answer")
        << QStringList{"Astray 1", "Move 1", "Late 1"} << QStringList{kNotCleaned, kCleaned, kNotCleaned}
        << QList<int>{1, 0, 2} << quint64(kFileSize);
    QTest::newRow("rows unticked while they wait")
        << QStringList{"Move 1", "~Move 2", "~Keep 1", "Move 3"} << QStringList{kCleaned, kSkipped, kSkipped, kCleaned}
        << QList<int>{2, 2, 0} << quint64(2 * kFileSize);
    QTest::newRow("an answer given twice counts once")
        << QStringList{"Twice 1", "Move 1"} << QStringList{kCleaned, kCleaned} << QList<int>{2, 0, 0}
        << quint64(4096 + kFileSize);
}

void tst_CleaningRun::cleanRun()
{
    QFETCH(QStringList, rows);
    QFETCH(QStringList, expected);
    QFETCH(QList<int>, counts);
    QFETCH(quint64, total);
    Run run;
    QVERIFY(run.ready);
    QStringList names;
    auto marked = [](const QString &spec) { return !spec.isEmpty() && u"-!~"_s.contains(spec.front()); };
    int setAside = 0; // files a row moved aside that must not be destroyed
    for (const QString &spec : rows) {
        run.testerRow(run.tester, spec.mid(marked(spec)));
        if (spec.startsWith(QLatin1String("Astray")))
            run.file(u"traces/"_s + spec + u" beside"_s);
        setAside += spec.startsWith(QLatin1String("Astray")) || spec.startsWith(QLatin1String("Late"));
    }
    const QString bystander = run.file(u"traces/not chosen"_s);
    run.scan(kTester, u"Tester"_s);
    QStringList untickLater;
    for (const QString &spec : rows) {
        const QString name = u"Tester "_s + spec.mid(marked(spec));
        names << name;
        if (spec.startsWith(QLatin1Char('~')))
            untickLater << name;
        if (spec.startsWith(QLatin1Char('-')))
            run.row(name)->setResultItemIsChecked(false);
        if (spec.startsWith(QLatin1Char('!')))
            QVERIFY(QFile::remove(run.row(name)->resultItemPath()));
    }
    QVERIFY(run.arrange(names));
    // Unticked in the table as the user does it, while the worker waits for the first row's text.
    bool unticked = true;
    run.onText = [&](const resultItemPtr &row, const QString &text) {
        if (row->resultItemName() != names.first() || text != kCleaning)
            return;
        auto *table = run.results()->resultsArrayController();
        const int check = table->columnWithIdentifier(u"checkColumn"_s);
        for (const QString &name : std::as_const(untickLater)) {
            const int at = int(table->arrangedObjects().indexOf(run.row(name)));
            unticked = table->setData(table->index(at, check), Qt::Unchecked, Qt::CheckStateRole) && unticked;
        }
    };
    const qint64 runCount = UserDefaults::standardUserDefaults().integerForKey(u"runCount"_s);

    QVERIFY(run.clean());
    QVERIFY(unticked);
    QCOMPARE(run.finalTexts(), expected);
    QCOMPARE(run.results()->shreddedItemCount(), counts[0]);
    QCOMPARE(run.results()->skippedItemCount(), counts[1]);
    QCOMPARE(run.results()->problemItemCount(), counts[2]);
    QCOMPARE(run.results()->shreddedItemTotalSize(), total);

    // Each row showed each text once, in order; unchecked rows were never sent.
    for (int i = 0; i < rows.size(); ++i) {
        const QStringList shown = run.texts.value(names[i]);
        if (untickLater.contains(names[i]))
            QCOMPARE(shown, (QStringList{kWaiting, kSkipped}));
        else if (expected[i] == kSkipped)
            QCOMPARE(shown, QStringList{kSkipped});
        else
            QCOMPARE(shown, (QStringList{kWaiting, kCleaning, expected[i]}));
        const bool gone = rows[i].startsWith(QLatin1String("Move")) || rows[i].startsWith(QLatin1Char('!'))
            || rows[i].startsWith(QLatin1String("Late"));
        QCOMPARE(QFile::exists(run.row(names[i])->resultItemPath()), !gone);
    }
    QVERIFY(QFile::exists(bystander));
    // The moved copies are destroyed, and the emptied folder that held them is not left
    // behind; what was set aside without the run's consent is still whole there.
    if (setAside == 0)
        QTRY_VERIFY(!QFileInfo::exists(FileController::temporaryFolderPath()));
    auto keptAside = [] {
        int whole = 0;
        QDirIterator it(FileController::temporaryFolderPath(), QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            whole += QFileInfo(it.next()).size() == kFileSize;
        return whole;
    };
    QTRY_COMPARE(keptAside(), setAside);

    // The end of the run: settings, the Clean menu off for good, the animator told.
    UserDefaults &d = UserDefaults::standardUserDefaults();
    QCOMPARE(d.integerForKey(u"runCount"_s), runCount + 1);
    QCOMPARE(d.integerForKey(u"lastScanCount"_s), qint64(rows.size()));
    QVERIFY(!run.results()->shredMenuItem()->isEnabled());
    QCOMPARE(run.results()->shredMenuItem()->text(), u"Cancel Cleaning"_s);
    QVERIFY(run.ui->shredderAnimator()->animationIsDone());
    // One paper stage was asked for, a second after the start (the ending stand-in never
    // asks for the next one).
    platform::Timer::fireAllPending();
    QCOMPARE(run.ui->shredderAnimator()->paperAnimationRequests(), 1);
    // The button still cancels, and does nothing more.
    run.results()->shredButton()->click();
    QVERIFY(run.results()->shredCancelled());
    QCOMPARE(run.finalTexts(), expected);
}

// Safari's own module, its three routes, and everything the user did not choose.
void tst_CleaningRun::safariTraces()
{
    Run run;
    QVERIFY(run.ready);
    const QString history = run.file(u"Library/Safari/History.plist"_s);
    const QString historyDb = run.file(u"Library/Safari/History.db"_s);
    const QString cache = run.home.path(u"Library/Caches/com.apple.Safari/fsCachedData"_s);
    for (int i = 0; i < 30; ++i)
        FakeHome::writeFileAt(cache + u"/sub%1/f%2"_s.arg(i % 3).arg(i), QByteArray(5000, 'c'));
    const QString prefs = u"Library/Preferences/com.apple.Safari.plist"_s;
    QVERIFY(run.home.writePlist(
        prefs,
        QVariantMap{{"RecentSearchStrings", QVariantList{"weather", "news"}}, {"HomePage", "https://example.org/"}}));
    const qint64 prefsSize = QFileInfo(run.home.path(prefs)).size();
    run.scan(kSafari, u"Safari"_s);
    const QStringList names{"Safari Browsing History", "Safari Browsing History Database", "Safari Data Cache",
                            "Safari Recent Searches"};
    QVERIFY(run.arrange(names));
    run.row(names[1])->setResultItemIsChecked(false);

    QVERIFY(run.clean());
    QCOMPARE(run.finalTexts(), (QStringList{kCleaned, kSkipped, kCleaned, kCleaned}));
    QVERIFY(!QFile::exists(history));
    QVERIFY(QFile::exists(historyDb));
    QVERIFY(!QFile::exists(cache));
    QVERIFY(QDir(cache).cdUp());
    // The list is written back without the searches: the row counts what it lost.
    const auto list = platform::PropertyList::fromFile(run.home.path(prefs));
    QVERIFY(list);
    QCOMPARE(list->toVariant().toMap().value("HomePage").toString(), u"https://example.org/"_s);
    QVERIFY(!list->toVariant().toMap().contains("RecentSearchStrings"));
    const quint64 shrunk = quint64(prefsSize - QFileInfo(run.home.path(prefs)).size());
    QCOMPARE(run.row(names[3])->resultItemSize(), std::optional<quint64>(shrunk));
    QCOMPARE(run.results()->shreddedItemTotalSize(), quint64(kFileSize + 30 * 5000) + shrunk);
    QCOMPARE(run.results()->skippedItemCount(), 1);
}

void tst_CleaningRun::runningApplication_data()
{
    // Rows: Launch starts Safari while the run is under way, so the per-row check finds it.
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("skip");
    QTest::addColumn<bool>("flashRunning");
    QTest::addColumn<QStringList>("alerts");
    QTest::addColumn<QStringList>("untick"); // rows the user unticks while the alert asks
    QTest::addColumn<QStringList>("expected");
    const QStringList rows{"Tester Launch 1", "Safari Browsing History", "Safari Browsing History Database",
                           "Tester Move 1"};
    QTest::newRow("skip the application") << rows << true << false << QStringList{"Skip Safari"} << QStringList()
                                          << QStringList{kCleaned, kSkipped, kSkipped, kCleaned};
    QTest::newRow("the application quits") << rows << false << false << QStringList{"Skip Safari"} << QStringList()
                                           << QStringList{kCleaned, kCleaned, kCleaned, kCleaned};
    QTest::newRow("unticked while asked, then the application quits")
        << rows << false << false << QStringList{"Skip Safari"} << rows.mid(1, 1)
        << QStringList{kCleaned, kSkipped, kCleaned, kCleaned};
    QTest::newRow("flash cookies never ask")
        << QStringList{"Flash Cookies Shared Objects", "Tester Move 1"} << true << true << QStringList()
        << QStringList() << QStringList{kCleaned, kCleaned};
}

void tst_CleaningRun::runningApplication()
{
    QFETCH(QStringList, names);
    QFETCH(bool, skip);
    QFETCH(bool, flashRunning);
    QFETCH(QStringList, alerts);
    QFETCH(QStringList, untick);
    QFETCH(QStringList, expected);
    Run run;
    QVERIFY(run.ready);
    run.file(u"Library/Safari/History.plist"_s);
    run.file(u"Library/Safari/History.db"_s);
    run.testerRow(run.tester, u"Launch 1"_s);
    run.testerRow(run.tester, u"Move 1"_s);
    run.file(u"Library/Preferences/Macromedia/Flash Player/#SharedObjects/AB12/example.org/s.sol"_s);
    if (flashRunning) {
        // Even a running application with that identifier is not asked to quit.
        run.home.addRunnableApplication(kFlash, u"Flash Player"_s);
        QVERIFY(run.apps.launch(kFlash, u"Flash Player"_s));
    }
    run.scan(kTester, u"Tester"_s);
    run.scan(kSafari, u"Safari"_s);
    run.scan(kFlash, u"Flash Cookies"_s);
    QVERIFY(run.arrange(names));

    QStringList shown;
    AlertController *alert = run.ui->alertControl();
    platform::Modal::setObserver([&](QWidget *window, bool) {
        if (window != alert->alertWindow())
            return;
        shown << alert->alertCancelButton()->text();
        for (const QString &name : std::as_const(untick))
            run.row(name)->setResultItemIsChecked(false);
        if (skip)
            alert->cancelAlertWindow();
        else
            run.apps.quitAll();
    });
    QVERIFY(run.clean());
    QCOMPARE(shown, alerts);
    QCOMPARE(run.finalTexts(), expected);
    QCOMPARE(run.results()->skippedItemCount(), int(expected.count(kSkipped)));
}

void tst_CleaningRun::cancel_data()
{
    QTest::addColumn<int>("cancelAt"); // the row whose start cancels the run
    QTest::addColumn<bool>("launch");  // the first row starts Safari, whose row comes last
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("during the last row's removal") << 1 << false << QStringList{kCleaned, kCleaned};
    QTest::newRow("at the first row") << 0 << false << QStringList{kCleaned, kSkipped};
    QTest::newRow("a running application's row after the cancel")
        << 0 << true << QStringList{kCleaned, kSkipped, kSkipped};
}

// Secure removal of a folder reports progress; cancelling lets the row in hand finish and
// skips every later row.
void tst_CleaningRun::cancel()
{
    QFETCH(int, cancelAt);
    QFETCH(bool, launch);
    QFETCH(QStringList, expected);
    Run run;
    QVERIFY(run.ready);
    UserDefaults::standardUserDefaults().setBool(true, u"enableSecureDelete"_s);
    UserDefaults::standardUserDefaults().setInteger(0, u"secureDeleteLevel"_s);
    run.testerRow(run.tester, launch ? u"Launch 1"_s : u"Move 1"_s);
    const QString tree = run.home.path(u"traces/tree"_s);
    for (int i = 0; i < 40; ++i)
        FakeHome::writeFileAt(tree + u"/f%1"_s.arg(i), QByteArray(64 * 1024, 't'));
    run.tester.addRow(u"Tree 1"_s, tree, u"Dir"_s);
    run.scan(kTester, u"Tester"_s);
    QStringList names{launch ? "Tester Launch 1" : "Tester Move 1", "Tester Tree 1"};
    if (launch) {
        run.file(u"Library/Safari/History.plist"_s);
        run.scan(kSafari, u"Safari"_s);
        names << u"Safari Browsing History"_s;
    }
    QVERIFY(run.arrange(names));
    run.onText = [&](const resultItemPtr &row, const QString &text) {
        if (row->resultItemName() == names[cancelAt] && text == kCleaning)
            run.results()->cancelAction();
    };
    // Once cancelled, every later row is skipped whatever the user would answer: nobody is asked.
    QStringList asked;
    AlertController *alert = run.ui->alertControl();
    platform::Modal::setObserver([&](QWidget *window, bool) {
        if (window != alert->alertWindow())
            return;
        asked << alert->alertCancelButton()->text();
        alert->cancelAlertWindow();
    });

    QVERIFY(run.clean());
    QCOMPARE(asked, QStringList());
    QCOMPARE(run.finalTexts(), expected);
    QCOMPARE(run.results()->skippedItemCount(), int(expected.count(kSkipped)));
    QCOMPARE(QFile::exists(tree), expected[1] == kSkipped);
    if (cancelAt == 1) {
        // Progress after the cancel reads "Cancelling", never "Cleaning".
        const QStringList shown = run.texts.value(names[1]);
        QCOMPARE(shown.first(), kWaiting);
        QCOMPARE(shown.last(), kCleaned);
        const QStringList progress = shown.mid(2, shown.size() - 3);
        QVERIFY(!progress.isEmpty());
        for (const QString &text : progress)
            QVERIFY2(QRegularExpression(u"^- Cancelling \\(\\d+%\\)$"_s).match(text).hasMatch(), qPrintable(text));
    }
}

void tst_CleaningRun::nothingChecked()
{
    Run run;
    QVERIFY(run.ready);
    run.testerRow(run.tester, u"Keep 1"_s);
    run.scan(kTester, u"Tester"_s);
    run.row(u"Tester Keep 1"_s)->setResultItemIsChecked(false);
    QStringList messages;
    platform::Alert::setResponder([&](const platform::Alert &alert, bool &) {
        messages << alert.messageText() + QLatin1Char('|') + alert.informativeText();
        return platform::Alert::FirstButtonReturn;
    });
    run.results()->setShowingScanResults(true);
    run.results()->shredButton()->click();
    platform::Alert::setResponder({});
    QCOMPARE(messages, QStringList{"No Items Selected|Please make sure at least one item is selected for cleaning."});
    QVERIFY(!run.results()->isShredButtonClicked());
    QVERIFY(!run.results()->isDoneCleaning());
    QCOMPARE(run.results()->shredButton()->text(), u"Clean"_s);
}

// The user closes the window while the clean runs and is still reading the question when it
// ends: the question no longer holds, so it is taken down before the summary shows, and its
// answer does not close anything.
void tst_CleaningRun::quitQuestionWithdrawnWhenTheRunEnds()
{
    Run run;
    QVERIFY(run.ready);
    run.testerRow(run.tester, u"Move 1"_s);
    run.scan(kTester, u"Tester"_s);
    const platform::Alert *question = nullptr; // while it is up
    QStringList asked;
    int summaries = 0;
    bool staleUnderSummary = false;
    bool withdrawn = false;
    platform::Modal::setObserver([&](QWidget *window, bool) {
        if (window != run.results()->cleaningResultsWindow())
            return;
        ++summaries;
        staleUnderSummary = staleUnderSummary || (question && !question->isWithdrawn());
        platform::Modal::endModalForWindow(window);
    });
    platform::Alert::setResponder([&](const platform::Alert &alert, bool &) {
        asked << alert.informativeText();
        question = &alert;
        // Still reading when the run ends.
        while (!run.results()->isDoneCleaning())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        withdrawn = alert.isWithdrawn();
        question = nullptr;
        return platform::Alert::SecondButtonReturn; // "Quit"
    });
    run.results()->setShowingScanResults(true);
    run.results()->shredButton()->click();
    QVERIFY(!run.results()->isDoneCleaning());
    const bool closes = run.ui->appControl()->windowShouldClose();
    platform::Alert::setResponder({});

    QCOMPARE(asked.size(), 1);
    QVERIFY(asked[0].startsWith(u"Privacy threat cleaning is in progress."_s));
    QVERIFY(withdrawn);
    QVERIFY(!closes);
    QVERIFY(!run.ui->appControl()->isTerminateNow());
    QVERIFY(QTest::qWaitFor([&] { return summaries > 0; }, 120000));
    QCOMPARE(summaries, 1);
    QVERIFY(!staleUnderSummary);
    QCOMPARE(run.finalTexts(), QStringList{kCleaned});
}

// A run needs only its host: a module's answer, a module's silence and an unticked row each
// give their row one answer, counted once.
void tst_CleaningRun::runStandsAlone()
{
    BareHost host;
    const QString module = u"Bare"_s;
    QStringList asked;
    NotificationCenter::defaultCenter().addObserver(
        static_cast<const void *>(&asked), keys::cleanRequestName(module), [&](const platform::Notification &n) {
            const QString name = n.userInfo.value(keys::CleaningItemName).toString();
            asked << name;
            if (name.endsWith(u"answers"_s))
                NotificationCenter::defaultCenter().post(
                    keys::CleaningStatusUpdateNotification, nullptr,
                    keys::cleaningStatus(module, name, n.userInfo.value(keys::CleaningItemPath).toString(), true));
        });
    QList<resultItemPtr> rows;
    for (const QString &name : {u"Bare answers"_s, u"Bare stays silent"_s, u"Bare unticked"_s}) {
        resultItemPtr row = resultItem::create();
        row->setResultItemAppName(module);
        row->setResultItemIdentifier(u"org.example.Bare"_s);
        row->setResultItemName(name);
        row->setResultItemPath(u"/nowhere/"_s + name);
        row->setResultItemSize(100);
        row->setResultItemIsChecked(!name.endsWith(u"unticked"_s));
        rows << row;
    }
    host.rows.setContent(rows);
    host.run.prepare();
    host.run.markRows();
    host.run.start();
    QVERIFY(QTest::qWaitFor([&] { return host.ended; }, 60000));
    NotificationCenter::defaultCenter().removeObserver(static_cast<const void *>(&asked));
    QCOMPARE(asked, (QStringList{u"Bare answers"_s, u"Bare stays silent"_s}));
    QCOMPARE(rows[0]->resultItemState(), std::optional(RowState::Cleaned));
    QCOMPARE(rows[1]->resultItemState(), std::optional(RowState::NotCleaned));
    QCOMPARE(rows[2]->resultItemState(), std::optional(RowState::Skipped));
    QCOMPARE(host.run.shreddedItemCount(), 1);
    QCOMPARE(host.run.problemItemCount(), 1);
    QCOMPARE(host.run.skippedItemCount(), 1);
    QCOMPARE(host.run.shreddedItemTotalSize(), quint64(100));
}

QTEST_MAIN(tst_CleaningRun)
void tst_CleaningRun::rowInHandStaysInView_data()
{
    QTest::addColumn<bool>("userScrolls"); // back to the top, half-way through the run
    QTest::newRow("followed") << false;
    QTest::newRow("the user scrolled") << true;
}

// A long list: the row being cleaned is scrolled into view, unless the user scrolled it.
void tst_CleaningRun::rowInHandStaysInView()
{
    QFETCH(bool, userScrolls);
    Run run;
    QVERIFY(run.ready);
    constexpr int kRows = 40;
    QStringList names;
    for (int i = 1; i <= kRows; ++i) {
        run.testerRow(run.tester, u"Keep %1"_s.arg(i));
        names << u"Tester Keep %1"_s.arg(i);
    }
    run.scan(kTester, u"Tester"_s);
    QVERIFY(run.arrange(names));
    QTableView *table = run.results()->resultsTableView();
    QWidget *view = table->window();
    view->resize(772, 300);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view));
    QScrollBar *bar = table->verticalScrollBar();
    QStringList outOfView;
    int followedTo = -1;
    run.onText = [&](const resultItemPtr &row, const QString &text) {
        if (text != kCleaning)
            return;
        const int at = int(run.results()->resultsArrayController()->indexOfObject(row));
        if (userScrolls && at == kRows / 2) {
            followedTo = bar->value();
            bar->triggerAction(QAbstractSlider::SliderToMinimum);
            return;
        }
        if (userScrolls && at > kRows / 2)
            return;
        if (!table->viewport()->rect().contains(table->visualRect(table->model()->index(at, 0))))
            outOfView << row->resultItemName();
    };
    QVERIFY(run.clean());
    QVERIFY2(outOfView.isEmpty(), qPrintable(outOfView.join(u", "_s)));
    QVERIFY(bar->maximum() > 0);
    if (userScrolls) {
        QVERIFY(followedTo > 0);
        QCOMPARE(bar->value(), 0); // left where the user put it
    }
}

#include "tst_cleaningrun.moc"
