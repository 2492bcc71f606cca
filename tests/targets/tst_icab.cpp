#include "iCabFixture.h"

#include "targets/icab/iCabPrefsViewController.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using platform::PropertyList;
using platform::UserDefaults;
using namespace icabfixture;

namespace {

const TraceSpec &cookies = traces[2];

} // namespace

class tst_iCab : public QObject
{
    Q_OBJECT
private slots:
    // The pane's category names are the module's own keys: creating it decides the
    // switches that hold no stored choice, and cookies are off.
    void paneGivesTheModuleItsDefaults()
    {
        Fixture f;
        QVERIFY(f.writeMissingTraces());
        UserDefaults &d = UserDefaults::standardUserDefaults();
        for (const QString &key : switchKeys("scaniCab", traces))
            d.removeObjectForKey(key);
        d.registerDefaults({{u"iCabCookies"_s, true}});
        // Before the pane, the module's own table decides the switches no list registered.
        QVERIFY(f.scannedNames().contains(QLatin1String(cookies.name)));
        QVERIFY(f.scannedNames().size() > 1);

        iCabPrefsViewController pane;
        QCOMPARE(pane.title(), u"iCab Settings"_s);
        QCOMPARE(pane.identifier(), u"de.icab.iCab"_s);
        QStringList expected;
        for (const TraceSpec &t : traces) {
            if (&t != &cookies && &t != &searches) // the list written is no property list
                expected.append(QLatin1String(t.name));
        }
        QCOMPARE(f.scannedNames(), expected);
        // "ScaniCab" is the pane's own name; the master switch keeps the module's default.
        QVERIFY(d.registeredDefaults().value(u"ScaniCab"_s).toBool());
        QVERIFY(d.registeredDefaults().value(u"scaniCab"_s).toBool());
    }

    void cleaningSearchesKeepsTheRest_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("withKey");
        QTest::newRow("binary") << int(PropertyList::Format::Binary) << true;
        QTest::newRow("XML") << int(PropertyList::Format::Xml) << true;
        // An absent key changes nothing, and the list is still written back.
        QTest::newRow("XML, key absent") << int(PropertyList::Format::Xml) << false;
    }
    void cleaningSearchesKeepsTheRest()
    {
        QFETCH(int, format);
        QFETCH(bool, withKey);
        Fixture f;
        QVariantMap prefs = iCabPrefs();
        if (!withKey)
            prefs.remove(u"RecentSearches"_s);
        // The old list goes aside whole and the list comes back, in its format, without the
        // row's key and with everything else. No daemon notice follows.
        const QString path = f.pathOf(searches);
        QVERIFY(f.home.writePlist(path, prefs, PropertyList::Format(format)));
        QCOMPARE(noticeNames(f.clean(QLatin1String(searches.name), path)), QStringList{CleaningRecorder::removal});
        const auto written = PropertyList::fromFile(path);
        QVERIFY(written);
        QCOMPARE(written->format(), PropertyList::Format(format));
        QVariantMap expected = prefs;
        expected.remove(u"RecentSearches"_s);
        QCOMPARE(written->toVariant().toMap(), expected);
    }
};

QTEST_MAIN(tst_iCab)
#include "tst_icab.moc"
