#include "ui/views/Hyperlink.h"

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

class TestViews : public QObject
{
    Q_OBJECT

private slots:
    void hyperlinks_data();
    void hyperlinks();
    void emptyLinkText();
};

void TestViews::hyperlinks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QUrl>("url");

    const QUrl page(QStringLiteral("http://www.nimbrel.example/"));
    QTest::newRow("plain") << QStringLiteral("Visit Website") << page;
    QTest::newRow("markup in text") << QStringLiteral("<b>A & B</b> \"q\"") << page;
    QTest::newRow("query and quote in url") << QStringLiteral("Tweet Scan Results")
        << QUrl(QStringLiteral("https://twitter.example/intent?status=I cleaned \"3\" items&x=<y>"));
    QTest::newRow("non-latin") << QStringLiteral("Nettoyé ✓") << page;
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
    QVERIFY(format.fontFamilies().toStringList().contains(QStringLiteral("Lucida Grande")));
}

// A label given an empty anchor would still be clickable in a zero-width strip.
void TestViews::emptyLinkText()
{
    const QUrl url(QStringLiteral("http://www.nimbrel.example/"));
    QCOMPARE(hyperlinkFromTextString(QString(), url), QString());
    QCOMPARE(hyperlinkFromString(QString(), url), QString());
}

QTEST_MAIN(TestViews)
#include "tst_views.moc"
