#include "core/Keys.h"
#include "core/LocationController.h"
#include "platform/system/Image.h"
#include "platform/system/NotificationCenter.h"
#include "support/FakeHome.h"
#include "ui/results/QZRichTextCell.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace {

struct Line
{
    QString text;
    QTextCharFormat format;
};

// The label as the table draws it: one entry per line, with the format of its text.
QList<Line> labelLines(const QString &html)
{
    QTextDocument doc;
    doc.setHtml(html);
    QList<Line> lines;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const QStringList parts = block.text().split(QChar::LineSeparator);
        QTextBlock::iterator it = block.begin();
        for (const QString &part : parts) {
            Line line{part, {}};
            // the format of the first fragment that holds text of this line
            for (; !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                if (fragment.isValid() && !fragment.text().trimmed().isEmpty()
                    && fragment.text() != QString(QChar::LineSeparator)) {
                    line.format = fragment.charFormat();
                    ++it;
                    break;
                }
            }
            lines.append(line);
        }
    }
    return lines;
}

void offer(const QString &ident, const QString &name)
{
    platform::NotificationCenter::defaultCenter().post(keys::AddTargetLocation, nullptr,
                                                       {{keys::Ident, ident}, {keys::TargetName, name}});
}

QStringList names(const LocationController &list)
{
    QStringList out;
    for (const auto &row : list.locationArrayController()->arrangedObjects())
        out << row->locName();
    return out;
}

} // namespace

class tst_Locations : public QObject
{
    Q_OBJECT
private slots:
    void label_data();
    void label();
    void labelElided_data();
    void labelElided();
    void icons();
    void sortsWithoutRegardToCase();
    void duplicateNameKeepsFirst();
    void removeAndAddBack();
    void scanPostsCheckedRowsInDisplayedOrder_data();
    void scanPostsCheckedRowsInDisplayedOrder();
};

void tst_Locations::label_data()
{
    QTest::addColumn<QString>("ident");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("twoLines");
    QTest::newRow("installed app") << "com.apple.Safari"
                                   << "Safari" << true << true;
    QTest::newRow("Finder") << "com.apple.Finder"
                            << "Finder" << true << false;
    QTest::newRow("Flash cookies") << "FlashCookies"
                                   << "Flash Cookies" << false << false;
    QTest::newRow("app not found") << "org.mozilla.firefox"
                                   << "Firefox" << false << false;
    QTest::newRow("markup in name") << "com.example.Odd"
                                    << "A <b>&amp; B" << true << true;
}

void tst_Locations::label()
{
    QFETCH(QString, ident);
    QFETCH(QString, name);
    QFETCH(bool, installed);
    QFETCH(bool, twoLines);
    FakeHome home;
    QVERIFY(home.isValid());
    const QString bundle = installed ? home.addApplication(ident, u"Bundle"_s) : QString();
    LocationController list;
    list.awakeFromNib();
    offer(ident, name);
    QCOMPARE(list.locationArrayController()->count(), 1);
    const locationItemPtr row = list.locationArrayController()->objectAt(0);
    QCOMPARE(row->locName(), name);
    QCOMPARE(row->locIdentifier(), ident);
    QCOMPARE(row->locIsChecked(), std::optional<bool>(true));

    const QList<Line> lines = labelLines(row->locInfo());
    QCOMPARE(lines.size(), twoLines ? 2 : 1);
    QCOMPARE(lines[0].text, name);
    QCOMPARE(lines[0].format.fontPointSize(), 14.0);
    QCOMPARE(lines[0].format.foreground().color(), QColor(Qt::black));
    // the family asked for, or the installed one that stands in for it
    const QString first = lines[0].format.fontFamilies().toStringList().value(0);
    QVERIFY2(QFontDatabase::hasFamily(first), qPrintable(first));
    if (twoLines) {
        QCOMPARE(lines[1].text, bundle);
        QCOMPARE(lines[1].format.fontPointSize(), 10.0);
        QCOMPARE(lines[1].format.foreground().color(), QColor(Qt::gray));
        const QString second = lines[1].format.fontFamilies().toStringList().value(0);
        QVERIFY2(QFontDatabase::hasFamily(second), qPrintable(second));
    }
}

void tst_Locations::icons()
{
    FakeHome home;
    home.addApplication(u"com.apple.Safari"_s, u"Safari"_s);
    LocationController list;
    list.awakeFromNib();
    offer(u"com.apple.Safari"_s, u"Safari"_s);
    offer(u"FlashCookies"_s, u"Flash Cookies"_s);
    const auto rows = list.locationArrayController()->arrangedObjects();
    QCOMPARE(rows.size(), 2);
    // the bundle's own icon
    const platform::ImagePtr safari = rows[1]->locImage();
    QVERIFY(safari && !safari->isNull());
    QCOMPARE(safari->pixelColor(safari->width() / 2, safari->height() / 2).rgb(),
             FakeHome::iconColor(u"com.apple.Safari"_s).rgb());
    // the bundled Flash cookies image, the very one the resource gives
    QVERIFY(rows[0]->locImage());
    QCOMPARE(rows[0]->locImage(), platform::imageNamed(u"FlashCookie.icns"_s));
}

void tst_Locations::sortsWithoutRegardToCase()
{
    FakeHome home;
    LocationController list;
    list.awakeFromNib();
    for (const char *name : {"OmniWeb", "iCab", "Safari", "Flock", "camino", "Chrome"})
        offer(u"id."_s + QLatin1String(name), QLatin1String(name));
    QCOMPARE(names(list), QStringList({"camino", "Chrome", "Flock", "iCab", "OmniWeb", "Safari"}));
}

void tst_Locations::duplicateNameKeepsFirst()
{
    FakeHome home;
    LocationController list;
    list.awakeFromNib();
    offer(u"first.id"_s, u"Opera"_s);
    offer(u"second.id"_s, u"Opera"_s);
    offer(u"third.id"_s, u"opera"_s); // another name: case counts here
    QCOMPARE(names(list), QStringList({"Opera", "opera"}));
    QCOMPARE(list.locationArrayController()->objectAt(0)->locIdentifier(), u"first.id"_s);
}

void tst_Locations::removeAndAddBack()
{
    FakeHome home;
    LocationController list;
    list.awakeFromNib();
    offer(u"a"_s, u"Flock"_s);
    offer(u"b"_s, u"iCab"_s);
    list.locationArrayController()->objectAt(1)->setLocIsChecked(false);
    auto &center = platform::NotificationCenter::defaultCenter();
    center.post(keys::RemoveLocationItem, nullptr, {{keys::LocString, u"Nothing"_s}});
    QCOMPARE(names(list), QStringList({"Flock", "iCab"}));
    center.post(keys::RemoveLocationItem, nullptr, {{keys::LocString, u"iCab"_s}});
    QCOMPARE(names(list), QStringList({"Flock"}));
    offer(u"b"_s, u"iCab"_s);
    QCOMPARE(names(list), QStringList({"Flock", "iCab"}));
    QCOMPARE(list.locationArrayController()->objectAt(1)->locIsChecked(), std::optional<bool>(true));
}

void tst_Locations::scanPostsCheckedRowsInDisplayedOrder_data()
{
    QTest::addColumn<QStringList>("unchecked");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("all checked") << QStringList() << QStringList({"Chrome", "Firefox", "iCab", "Safari"});
    QTest::newRow("some unchecked") << QStringList({"iCab", "Chrome"}) << QStringList({"Firefox", "Safari"});
    QTest::newRow("none checked") << QStringList({"Chrome", "Firefox", "iCab", "Safari"}) << QStringList();
}

void tst_Locations::scanPostsCheckedRowsInDisplayedOrder()
{
    QFETCH(QStringList, unchecked);
    QFETCH(QStringList, expected);
    FakeHome home;
    LocationController list;
    list.awakeFromNib();
    for (const char *name : {"Safari", "iCab", "Firefox", "Chrome"})
        offer(u"id."_s + QLatin1String(name), QLatin1String(name));
    for (const auto &row : list.locationArrayController()->arrangedObjects())
        if (unchecked.contains(row->locName()))
            row->setLocIsChecked(false);

    QStringList posted, identifiers;
    QList<const void *> senders;
    QObject observer;
    platform::NotificationCenter::defaultCenter().addObserver(
        &observer, keys::CheckLocationItems, [&](const platform::Notification &n) {
            senders << n.object;
            identifiers << n.userInfo.value(keys::TargIdentifier).toString();
            posted << n.userInfo.value(keys::TargName).toString();
        });
    platform::NotificationCenter::defaultCenter().post(keys::ScanLocations);
    QCOMPARE(posted, expected);
    QCOMPARE(senders, QList<const void *>(expected.size(), &list));
    QStringList expectedIdentifiers;
    for (const QString &name : std::as_const(expected))
        expectedIdentifiers << u"id."_s + name;
    QCOMPARE(identifiers, expectedIdentifiers);
}

void tst_Locations::labelElided_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<qreal>("width");
    QTest::addColumn<bool>("elided");
    const QString longPath = u"/Applications/Utilities/Some Rather Long Folder Name/Safari.app"_s;
    QTest::newRow("fits") << u"/Applications/Safari.app"_s << 400.0 << false;
    QTest::newRow("too wide") << longPath << 150.0 << true;
    QTest::newRow("far too wide") << longPath << 40.0 << true;
}

// A bundle path wider than the cell loses its middle, not its end, and keeps its look.
void tst_Locations::labelElided()
{
    QFETCH(QString, path);
    QFETCH(qreal, width);
    QFETCH(bool, elided);
    QTextDocument doc;
    doc.setHtml(LocationController::labelForLocation(u"Safari"_s, path));
    QZRichTextCell::elideLines(doc, width);
    const QList<Line> lines = labelLines(doc.toHtml());
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0].text == u"Safari"_s, width > 100);
    QCOMPARE(lines[1].format.fontPointSize(), 10.0);
    QCOMPARE(lines[1].format.foreground().color(), QColor(Qt::gray));
    QCOMPARE(lines[1].text.contains(QChar(0x2026)), elided);
    if (!elided) {
        QCOMPARE(lines[1].text, path);
        return;
    }
    const QFontMetricsF metrics(lines[1].format.font().resolve(doc.defaultFont()));
    QVERIFY(metrics.horizontalAdvance(lines[1].text) <= width);
    if (width > 100) {
        QVERIFY(lines[1].text.startsWith(u"/App"_s));
        QVERIFY(lines[1].text.endsWith(u".app"_s));
    }
}

QTEST_MAIN(tst_Locations)
#include "tst_locations.moc"
