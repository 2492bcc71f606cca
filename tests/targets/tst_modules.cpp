#include "CaminoFixture.h"
#include "FinderFixture.h"
#include "FirefoxFixture.h"
#include "FlashCookiesFixture.h"
#include "MozillaStores.h"
#include "OmniWebFixture.h"
#include "QuickTimeFixture.h"
#include "SeaMonkeyFixture.h"
#include "ShiiraFixture.h"
#include "iCabFixture.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// With every trace of its table written, a module offers the rows of the switches that are
// on, as its table states them and in its order.
template <class F>
void offersEveryRowInOrder(const QStringList &keysOff)
{
    F f;
    QVERIFY(f.writeEveryTrace());
    f.setSwitches(keysOff, false);
    QCOMPARE(f.offeredRows(), f.tableRows(keysOff));
}

// Each row of a full scan, cleaned one request at a time, is answered once: a store in place
// and left sound, anything else announced for removal. Nothing is left to offer, and a row
// cleaned again once its path is gone is answered not cleaned.
template <class F>
void everyRequestAnsweredOnce()
{
    F f;
    QVERIFY(f.writeEveryTrace());
    const QList<resultItemPtr> rows = f.scan();
    QCOMPARE(rows.size(), f.table.size());
    QCOMPARE(f.answersToEachRow(rows), f.expectedAnswers(rows, false));
    for (const resultItemPtr &row : rows) {
        if (row->resultItemType() == QLatin1String("Sqlite"))
            QVERIFY2(mozstores::integrity(row->resultItemPath()) == u"ok"_s, qPrintable(row->resultItemPath()));
    }
    QCOMPARE(f.scannedNames(), QStringList{});
    for (const resultItemPtr &row : rows) {
        if (!QFile::exists(row->resultItemPath()))
            QCOMPARE(f.cleanInPlace(row->resultItemName(), row->resultItemPath()), std::optional<bool>(false));
    }
}

struct Module
{
    const char *name;
    QStringList keys; // the master switch, then each category key once
    void (*offers)(const QStringList &keysOff);
    void (*answers)(); // null where the module's own tests follow its cleaning
};

template <class F>
Module module(const char *name, const QList<TraceSpec> &traces, bool answersChecked)
{
    return {name, switchKeys(F::scanKey, traces), &offersEveryRowInOrder<F>,
            answersChecked ? &everyRequestAnsweredOnce<F> : nullptr};
}

const QList<Module> modules = {
    module<caminofixture::Fixture>("Camino", caminofixture::traces, true),
    module<finderfixture::Fixture>("Finder", finderfixture::traces, false),
    // Firefox's cleaning is followed with its second profile, in its own tests.
    module<firefoxfixture::Fixture>("Firefox", firefoxfixture::traces, false),
    // Cleaned through "CleanFlash Cookies", with the blank.
    module<flashcookiesfixture::Fixture>("Flash Cookies", flashcookiesfixture::traces, true),
    module<icabfixture::Fixture>("iCab", icabfixture::traces, true),
    // Both list rows of a full scan: the second rewrite reads the first one's list.
    module<omniwebfixture::Fixture>("OmniWeb", omniwebfixture::traces, true),
    module<quicktimefixture::Fixture>("QuickTime", quicktimefixture::traces, false),
    module<seamonkeyfixture::Fixture>("SeaMonkey", seamonkeyfixture::traces, false),
    module<shiirafixture::Fixture>("Shiira", shiirafixture::traces, true),
};

} // namespace

class tst_Modules : public QObject
{
    Q_OBJECT
private slots:
    void offersEveryRowInOrder_data();
    void offersEveryRowInOrder();
    void everyRequestAnsweredOnce_data();
    void everyRequestAnsweredOnce();
};

// Every key on, each category key off alone, every key off.
void tst_Modules::offersEveryRowInOrder_data()
{
    QTest::addColumn<int>("module"); // its place in the list
    QTest::addColumn<QStringList>("keysOff");
    for (int i = 0; i < modules.size(); ++i) {
        const QStringList categories = modules[i].keys.mid(1);
        QTest::addRow("%s, every key on", modules[i].name) << i << QStringList{};
        for (const QString &key : categories)
            QTest::addRow("%s off", qPrintable(key)) << i << QStringList{key};
        QTest::addRow("%s, every key off", modules[i].name) << i << categories;
    }
}

void tst_Modules::offersEveryRowInOrder()
{
    QFETCH(int, module);
    QFETCH(QStringList, keysOff);
    modules[module].offers(keysOff);
}

void tst_Modules::everyRequestAnsweredOnce_data()
{
    QTest::addColumn<int>("module");
    for (int i = 0; i < modules.size(); ++i) {
        if (modules[i].answers)
            QTest::newRow(modules[i].name) << i;
    }
}

void tst_Modules::everyRequestAnsweredOnce()
{
    QFETCH(int, module);
    modules[module].answers();
}

QTEST_MAIN(tst_Modules)
#include "tst_modules.moc"
