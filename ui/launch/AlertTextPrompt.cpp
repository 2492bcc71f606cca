#include "ui/launch/AlertTextPrompt.h"

#include "core/Settings.h"
#include "platform/gui/WebPages.h"
#include "platform/gui/WindowPlacement.h"
#include "platform/system/Image.h"
#include "platform/system/ProcessInfo.h"
#include "platform/system/Workspace.h"
#include "ui/launch/PromoPanel.h"

#include <QDateTime>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPixmap>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kWeekSeconds = 604800;
// The only useful answer is one byte; anything much longer is not worth reading.
constexpr qint64 kMaximumBody = 64;
const QString kCampaign = u"?utm_source=personal&utm_medium=banner&utm_campaign=nbinapp"_s;

} // namespace

AlertTextPrompt::AlertTextPrompt(QObject *parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
{
    m_network->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

AlertTextPrompt::~AlertTextPrompt()
{
    if (m_reply)
        m_reply->abort();
}

void AlertTextPrompt::setQzPanel(PromoPanel *panel)
{
    if (m_panel)
        disconnect(m_panel, nullptr, this, nullptr);
    m_panel = panel;
    if (!panel)
        return;
    connect(panel->learnMoreButton(), &QPushButton::clicked, this, &AlertTextPrompt::showFW3LearnMorePage);
    connect(panel->upgradeButton(), &QPushButton::clicked, this, &AlertTextPrompt::showFW3PurchasePage);
    connect(panel->listenNowButton(), &QPushButton::clicked, this, &AlertTextPrompt::showPodcastPage);
}

void AlertTextPrompt::checkBrindlecoveInfoStatus()
{
    if (Settings::integer(Settings::Key::RunCount) < 10 || m_reply)
        return;
    const QVariant stamp = Settings::value(Settings::Key::LastAlertTime);
    // Anything but a date counts as the distant past; a date ahead of the clock counts too.
    if (stamp.metaType().id() == QMetaType::QDateTime && stamp.toDateTime().isValid()
        && qAbs(stamp.toDateTime().secsTo(QDateTime::currentDateTimeUtc())) < kWeekSeconds)
        return;

    QNetworkRequest request(platform::WebPages::download(u"/version/qzalert.txt"_s));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(m_timeoutMs);
    QNetworkReply *reply = m_network->get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::readyRead, this, [reply] {
        if (reply->bytesAvailable() > kMaximumBody)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { handleReply(reply); });
}

void AlertTextPrompt::handleReply(QNetworkReply *reply)
{
    reply->deleteLater();
    m_reply = nullptr;
    const bool one = reply->error() == QNetworkReply::NoError && reply->bytesAvailable() <= kMaximumBody
        && QString::fromUtf8(reply->readAll()) == QLatin1String("1");
    if (one)
        showAlertText();
    emit alertTextHandled();
}

void AlertTextPrompt::showAlertText()
{
    using platform::Gestalt;
    const int major = Gestalt::value(Gestalt::gestaltSystemVersionMajor);
    const int minor = Gestalt::value(Gestalt::gestaltSystemVersionMinor);
    const bool disabled = Settings::boolValue(Settings::Key::DisableBrindlecoveAlert);
    if (major == 10 && minor >= 8) {
        const bool installed = !platform::Workspace::sharedWorkspace()
                                    .absolutePathForAppBundleWithIdentifier(u"com.brindlecove.Ferrowatch3"_s)
                                    .isEmpty();
        if (!disabled && !installed) {
            showFW3Panel();
            return;
        }
    }
    if (!disabled)
        showPodcastPanel();
}

void AlertTextPrompt::showFW3Panel()
{
    showPanelFace(u"FW3.png"_s, true);
}

void AlertTextPrompt::showPodcastPanel()
{
    showPanelFace(u"Podcast.png"_s, false);
}

void AlertTextPrompt::showPanelFace(const QString &image, bool productButtons)
{
    Settings::setValue(Settings::Key::LastAlertTime, QDateTime::currentDateTimeUtc());
    if (!m_panel)
        return;
    const platform::ImagePtr picture = platform::imageNamed(image);
    m_panel->qzImageView()->setPixmap(picture ? QPixmap::fromImage(*picture) : QPixmap());
    m_panel->learnMoreButton()->setVisible(productButtons);
    m_panel->upgradeButton()->setVisible(productButtons);
    m_panel->listenNowButton()->setVisible(!productButtons);
    platform::centerOnScreen(m_panel);
    m_panel->show();
    m_panel->raise();
    m_panel->activateWindow();
}

void AlertTextPrompt::openAndClose(const QString &path)
{
    if (m_panel)
        m_panel->close();
    platform::WebPages::open(platform::WebPages::site(path + kCampaign));
}

void AlertTextPrompt::showFW3LearnMorePage()
{
    openAndClose(u"/ferrowatch"_s);
}

void AlertTextPrompt::showFW3PurchasePage()
{
    openAndClose(u"/purchase-fw"_s);
}

void AlertTextPrompt::showPodcastPage()
{
    openAndClose(u"/podcast"_s);
}
