#include "ui/views/Hyperlink.h"
#include "ui/views/QZBareCell.h"
#include "ui/views/QZDividerView.h"
#include "ui/views/QZTextFieldCell.h"
#include "ui/views/QZTitleView.h"
#include "ui/views/SettingsBindings.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QStandardItemModel>
#include <QTableView>

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

class TestViews : public QObject
{
    Q_OBJECT

private slots:
    void hyperlinks_data();
    void hyperlinks();
    void emptyLinkText();
    void titleRect_data();
    void titleRect();
    void titleGradient_data();
    void titleGradient();
    void divider_data();
    void divider();
    void highlightedTextIsWhite_data();
    void highlightedTextIsWhite();
    void bareCellDrawsNoFocusFrame_data();
    void bareCellDrawsNoFocusFrame();
    void formCheckBoxesAreSettings_data();
    void formCheckBoxesAreSettings();
};

void TestViews::hyperlinks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QUrl>("url");

    const QUrl page(u"http://www.nimbrel.example/"_s);
    QTest::newRow("plain") << u"Visit Website"_s << page;
    QTest::newRow("markup in text") << u"<b>A & B</b> \"q\""_s << page;
    QTest::newRow("query and quote in url")
        << u"Tweet Scan Results"_s << QUrl(u"https://twitter.example/intent?status=I cleaned \"3\" items&x=<y>"_s);
    QTest::newRow("non-latin") << u"Nettoyé ✓"_s << page;
}

// Both builders must round-trip: what the label shows is the text, and what it opens is the URL.
void TestViews::hyperlinks()
{
    QFETCH(QString, text);
    QFETCH(QUrl, url);

    for (const QString &html : {hyperlinkFromTextString(text, url), hyperlinkFromString(text, url)}) {
        QTextDocument document;
        document.setHtml(html);
        QCOMPARE(document.toPlainText(), text);
        const QTextBlock block = document.firstBlock();
        const auto fragment = block.begin().fragment();
        QVERIFY(fragment.isValid());
        QVERIFY(fragment.charFormat().isAnchor());
        QCOMPARE(QUrl(fragment.charFormat().anchorHref()), url);
        QCOMPARE(fragment.length(), text.size());
    }
    QTextDocument styled;
    styled.setHtml(hyperlinkFromTextString(text, url));
    const QTextCharFormat format = styled.firstBlock().begin().fragment().charFormat();
    QCOMPARE(format.fontPointSize(), 13.0);
    QVERIFY(format.fontFamilies().toStringList().contains(u"Lucida Grande"_s));
}

// A label given an empty anchor would still be clickable in a zero-width strip.
void TestViews::emptyLinkText()
{
    const QUrl url(u"http://www.nimbrel.example/"_s);
    QCOMPARE(hyperlinkFromTextString(QString(), url), QString());
    QCOMPARE(hyperlinkFromString(QString(), url), QString());
}

void TestViews::titleRect_data()
{
    QTest::addColumn<QRectF>("base");
    QTest::addColumn<QRectF>("bounds");
    QTest::addColumn<qreal>("textHeight");
    QTest::addColumn<QRectF>("expected");

    QTest::newRow("20 high, 14 text") << QRectF(2, 0, 80, 20) << QRectF(0, 0, 84, 20) << 14.0 << QRectF(2, 3, 80, 20);
    QTest::newRow("offset bounds") << QRectF(5, 40, 60, 17) << QRectF(3, 40, 64, 20) << 14.0 << QRectF(5, 43, 60, 17);
    QTest::newRow("odd difference") << QRectF(0, 0, 10, 21) << QRectF(0, 0, 10, 21) << 14.0 << QRectF(0, 3.5, 10, 21);
    QTest::newRow("text taller than cell")
        << QRectF(0, 10, 10, 10) << QRectF(0, 10, 10, 10) << 14.0 << QRectF(0, 8, 10, 10);
}

void TestViews::titleRect()
{
    QFETCH(QRectF, base);
    QFETCH(QRectF, bounds);
    QFETCH(qreal, textHeight);
    QFETCH(QRectF, expected);
    QCOMPARE(QZTextFieldCell::titleRectForBounds(base, bounds, textHeight), expected);
}

namespace {
// Draws the view alone, without the window background, over a known colour.
QImage render(QWidget &view, QColor under = Qt::red)
{
    QImage image(view.size(), QImage::Format_RGB32);
    image.fill(under);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}
} // namespace

void TestViews::titleGradient_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("grey");
    QTest::addColumn<int>("tolerance");

    // A 1000-pixel view: row y sits at (y + 0.5) / 1000 along the gradient.
    QTest::newRow("dark top line") << 0 << 82 << 2;
    QTest::newRow("light stop") << 100 << 244 << 2;
    QTest::newRow("body") << 500 << 223 << 2;
    QTest::newRow("above the band") << 989 << 209 << 2;
    // The last tenth of the band is steep; Qt's colour table is coarser than one pixel there.
    QTest::newRow("bottom band") << 999 << 194 << 6;
}

void TestViews::titleGradient()
{
    QFETCH(int, y);
    QFETCH(int, grey);
    QFETCH(int, tolerance);
    QZTitleView view;
    view.resize(20, 1000);
    const QColor pixel = render(view).pixelColor(10, y);
    QCOMPARE(pixel.red(), pixel.blue());
    QVERIFY2(qAbs(pixel.red() - grey) <= tolerance, qPrintable(QString::number(pixel.red())));
}

void TestViews::divider_data()
{
    QTest::addColumn<int>("height");
    QTest::newRow("one point high") << 1;
    QTest::newRow("taller") << 8;
}

void TestViews::divider()
{
    QFETCH(int, height);
    QZDividerView view;
    view.resize(30, height);
    const QImage image = render(view);
    const QColor line = QZDividerView::lineColor();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < 30; ++x)
            QCOMPARE(image.pixel(x, y), y == 0 ? line.rgb() : QColor(Qt::red).rgb());
}

void TestViews::highlightedTextIsWhite_data()
{
    QTest::addColumn<bool>("selected");
    QTest::newRow("selected") << true;
    QTest::newRow("not selected") << false;
}

// The text shows white exactly when the row is highlighted, and sits in the cell's middle.
void TestViews::highlightedTextIsWhite()
{
    QFETCH(bool, selected);
    QStandardItemModel model(1, 1);
    model.setItem(0, 0, new QStandardItem(u"MMMM Cookies"_s));
    QTableView table;
    table.setModel(&model);
    table.resize(300, 200);
    QZTextFieldCell cell;
    QStyleOptionViewItem option;
    option.initFrom(&table);
    option.widget = &table;
    option.rect = QRect(0, 0, 200, 30);
    option.palette.setColor(QPalette::Highlight, Qt::darkBlue);
    option.palette.setColor(QPalette::Base, Qt::white);
    option.palette.setColor(QPalette::Text, Qt::black);
    option.state = QStyle::State_Enabled | (selected ? QStyle::State_Selected : QStyle::State_None);
    option.showDecorationSelected = true;

    QImage image(200, 30, QImage::Format_RGB32);
    image.fill(selected ? Qt::darkBlue : Qt::white);
    {
        QPainter painter(&image);
        cell.paint(&painter, option, model.index(0, 0));
    }
    int light = 0, dark = 0, top = 30, bottom = -1;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 200; ++x) {
            const QColor c = image.pixelColor(x, y);
            // Anti-aliased glyphs: their stems come near, not exactly to, the pen colour.
            const bool ink = selected ? c.lightness() > 200 : c.lightness() < 60;
            light += c.lightness() > 200;
            dark += c.lightness() < 60;
            if (ink) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    QVERIFY(bottom >= top);
    if (selected)
        QVERIFY(light > 20);
    else
        QVERIFY(dark > 20);
    // Capital letters: the ink's middle lies within a few pixels of the cell's middle.
    QVERIFY2(qAbs((top + bottom) / 2.0 - 15) <= 3, qPrintable(u"%1..%2"_s.arg(top).arg(bottom)));
}

void TestViews::bareCellDrawsNoFocusFrame_data()
{
    QTest::addColumn<bool>("bareCell");
    QTest::addColumn<bool>("withImage");
    QTest::addColumn<bool>("withCheck");
    QTest::addColumn<bool>("focusShows");
    // The style's own cell is the control: it does frame the focused cell.
    QTest::newRow("style's cell, no image") << false << false << false << true;
    QTest::newRow("style's cell, check box") << false << false << true << true;
    QTest::newRow("bare cell, empty") << true << false << false << false;
    QTest::newRow("bare cell, image") << true << true << false << false;
    QTest::newRow("bare cell, check box") << true << false << true << false;
}

void TestViews::bareCellDrawsNoFocusFrame()
{
    QFETCH(bool, bareCell);
    QFETCH(bool, withImage);
    QFETCH(bool, withCheck);
    QFETCH(bool, focusShows);
    QStandardItemModel model(1, 1);
    auto *item = new QStandardItem;
    if (withImage) {
        QPixmap icon(16, 16);
        icon.fill(Qt::red);
        item->setIcon(QIcon(icon));
    }
    if (withCheck) {
        item->setCheckable(true);
        item->setCheckState(Qt::Checked);
    }
    model.setItem(0, 0, item);
    QTableView table;
    table.setModel(&model);
    QStyledItemDelegate plain;
    QZBareCell cell;
    QStyledItemDelegate *delegate = bareCell ? &cell : &plain;

    const auto render = [&](bool focused) {
        QStyleOptionViewItem option;
        option.initFrom(&table);
        option.widget = &table;
        option.rect = QRect(0, 0, 44, 40);
        option.state =
            QStyle::State_Enabled | QStyle::State_Active | (focused ? QStyle::State_HasFocus : QStyle::State_None);
        QImage image(44, 40, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        delegate->paint(&painter, option, model.index(0, 0));
        return image;
    };
    QCOMPARE(render(true) != render(false), focusShows);
}

void TestViews::formCheckBoxesAreSettings_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("checkBox");
    const QDir forms(QStringLiteral(NIMBREL_TEST_SOURCE_DIR) + u"/resources/forms"_s);
    for (const QString &name : forms.entryList({u"*.ui"_s}, QDir::Files)) {
        QFile file(forms.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"widget"_s
                && xml.attributes().value(u"class"_s) == u"QCheckBox"_s) {
                const QString box = xml.attributes().value(u"name"_s).toString();
                QTest::newRow(qPrintable(name + u": "_s + box)) << name << box;
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(name));
    }
}

// A check box on a settings form is bound by its name, which must be a row of the settings
// table marked as a check box; one added without its row would show and do nothing.
void TestViews::formCheckBoxesAreSettings()
{
    QFETCH(QString, form);
    QFETCH(QString, checkBox);
    QVERIFY2(SettingsBindings::isBoundCheckBox(checkBox), qPrintable(form + u" has no setting for "_s + checkBox));
}

QTEST_MAIN(TestViews)
#include "tst_views.moc"
