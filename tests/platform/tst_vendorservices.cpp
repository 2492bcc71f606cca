#include "platform/gui/VendorServices.h"
#include "platform/system/UserDefaults.h"
#include "platform/system/Workspace.h"

#include <QTemporaryDir>
#include <QtTest>

using platform::UserDefaults;
using platform::VendorServices;

class tst_VendorServices : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void pagesFollowTheRegisteredHosts_data();
    void pagesFollowTheRegisteredHosts();
    void reportsOpenNothing();

private:
    QTemporaryDir m_home;
    QByteArray m_savedHome;
    QList<QUrl> m_opened;
};

void tst_VendorServices::init()
{
    QVERIFY(m_home.isValid());
    m_savedHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(m_home.path()));
    UserDefaults::resetStandardUserDefaults();
    m_opened.clear();
    platform::Workspace::sharedWorkspace().setURLRecorder([this](const QUrl &url) { m_opened << url; });
}

void tst_VendorServices::cleanup()
{
    platform::Workspace::sharedWorkspace().setURLRecorder({});
    UserDefaults::resetStandardUserDefaults();
    qputenv("HOME", m_savedHome);
}

void tst_VendorServices::pagesFollowTheRegisteredHosts_data()
{
    QTest::addColumn<QString>("site");
    QTest::addColumn<QString>("download");
    QTest::addColumn<QString>("support");
    QTest::addColumn<QString>("update");
    QTest::newRow("nothing registered") << ""
                                        << ""
                                        << "https://www.example.com/support"
                                        << "https://download.example.com/download";
    QTest::newRow("local server") << "http://127.0.0.1:8080"
                                  << "http://127.0.0.1:8081/"
                                  << "http://127.0.0.1:8080/support"
                                  << "http://127.0.0.1:8081/download";
    QTest::newRow("plain http upgraded") << "http://www.example.org"
                                         << "HTTP://dl.example.org:80/"
                                         << "https://www.example.org/support"
                                         << "https://dl.example.org/download";
    QTest::newRow("http on its own port upgraded") << "http://www.example.org:8080/"
                                                   << "download.example.org"
                                                   << "https://www.example.org:8080/support"
                                                   << "https://download.example.org/download";
    QTest::newRow("other schemes refused") << "ftp://www.example.org"
                                           << "javascript:alert(1)"
                                           << "https://www.example.com/support"
                                           << "https://download.example.com/download";
    QTest::newRow("loopback kept") << "http://localhost:8080"
                                   << "http://[::1]:8081"
                                   << "http://localhost:8080/support"
                                   << "http://[::1]:8081/download";
}

void tst_VendorServices::pagesFollowTheRegisteredHosts()
{
    QFETCH(QString, site);
    QFETCH(QString, download);
    QFETCH(QString, support);
    QFETCH(QString, update);
    if (!site.isEmpty())
        UserDefaults::standardUserDefaults().registerDefaults({{"siteHost", site}, {"downloadHost", download}});
    QVERIFY(VendorServices::showFeedbackDialog(0));
    QVERIFY(VendorServices::checkForUpdates());
    QCOMPARE(m_opened, (QList<QUrl>{QUrl(support), QUrl(update)}));
}

void tst_VendorServices::reportsOpenNothing()
{
    VendorServices::sendTrackingReport();
    VendorServices::setupIssuesController(true);
    QVERIFY(m_opened.isEmpty());
}

QTEST_GUILESS_MAIN(tst_VendorServices)
#include "tst_vendorservices.moc"
