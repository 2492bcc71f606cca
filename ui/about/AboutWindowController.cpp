#include "ui/about/AboutWindowController.h"

#include "platform/gui/WebPages.h"
#include "platform/gui/WindowPlacement.h"
#include "ui/about/QZScrewView.h"
#include "ui/views/Hyperlink.h"

#include <QLabel>
#include <QPropertyAnimation>

#include <numbers>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The next step of the chain after the named animation: its name, whether it is a fade, and
// the screw (1 to 4) it runs on. A turn follows each fade; the next screw's fade follows a
// turn, until the fourth screw has turned.
struct Step
{
    QString name;
    bool fade;
    int screw;
};

std::optional<Step> stepAfter(const QString &name)
{
    for (int n = 1; n <= 4; ++n) {
        if (name == u"fade%1Animation"_s.arg(n))
            return Step{u"screw%1Animation"_s.arg(n), false, n};
        if (name == u"screw%1Animation"_s.arg(n) && n < 4)
            return Step{u"fade%1Animation"_s.arg(n + 1), true, n + 1};
    }
    return std::nullopt;
}

} // namespace

AboutWindowController::AboutWindowController(QObject *parent)
    : QObject(parent)
{}

AboutWindowController::~AboutWindowController()
{
    for (const Attached &attached : std::as_const(m_attached))
        delete attached.animation;
}

void AboutWindowController::setAboutWindow(AboutWindow *window)
{
    m_aboutWindow = window;
    m_screws.clear();
    if (!window)
        return;
    m_supportLink = window->supportLink();
    m_companyLink = window->companyLink();
    for (int n = 1; n <= 4; ++n)
        m_screws.append(window->screw(n));
    connect(window, &QDialog::finished, this, &AboutWindowController::windowWillClose);
    const auto openLink = [window](const QString &link) { platform::WebPages::open(QUrl(link), window); };
    connect(m_supportLink, &QLabel::linkActivated, this, openLink);
    connect(m_companyLink, &QLabel::linkActivated, this, openLink);
}

QZScrewView *AboutWindowController::screw(int number) const
{
    return number >= 1 && number <= m_screws.size() ? m_screws.at(number - 1).data() : nullptr;
}

void AboutWindowController::awakeFromNib()
{
    setupAboutWindow();
}

void AboutWindowController::setupAboutWindow()
{
    if (m_supportLink) {
        m_supportLink->setText(hyperlinkFromString(u"Nimbrel Support"_s, platform::WebPages::site(u"/support/"_s)));
        m_supportLink->setAlignment(Qt::AlignCenter);
    }
    if (m_companyLink) {
        m_companyLink->setText(
            hyperlinkFromString(u"Learn more about Mac Security"_s, platform::WebPages::site(u"/"_s)));
        m_companyLink->setAlignment(Qt::AlignCenter);
    }
    for (const auto &screw : std::as_const(m_screws)) {
        if (screw) {
            screw->setOpacity(0.0);
            screw->setRotation(0.0);
        }
    }
}

void AboutWindowController::showAboutWindow()
{
    if (!m_aboutWindow)
        return;
    platform::centerOnScreen(m_aboutWindow);
    m_aboutWindow->show();
    m_aboutWindow->raise();
    m_aboutWindow->activateWindow();
    // Opened again while a chain still runs: that chain stops, so only one runs at a time.
    removeAllAnimations();
    setupAboutWindow();
    if (QZScrewView *first = screw(1))
        addFade(u"fade1Animation"_s, first);
}

void AboutWindowController::animationDidStop(const QString &name, bool finished)
{
    if (!finished)
        return;
    const std::optional<Step> next = stepAfter(name);
    if (!next)
        return;
    QZScrewView *target = screw(next->screw);
    if (!target)
        return;
    if (next->fade)
        addFade(next->name, target);
    else
        addTurn(next->name, target);
}

void AboutWindowController::windowWillClose()
{
    removeAllAnimations();
    for (const auto &screw : std::as_const(m_screws))
        if (screw)
            screw->setOpacity(0.0);
}

QList<QPropertyAnimation *> AboutWindowController::animationsOf(const QZScrewView *screw) const
{
    QList<QPropertyAnimation *> list;
    for (const Attached &attached : m_attached)
        if (attached.screw == screw && attached.animation)
            list.append(attached.animation);
    return list;
}

void AboutWindowController::addFade(const QString &name, QZScrewView *screw)
{
    auto *fade = new QPropertyAnimation(screw, "opacity");
    fade->setObjectName(name);
    fade->setStartValue(screw->opacity());
    fade->setEndValue(1.0);
    fade->setDuration(kStepMilliseconds);
    add(fade, screw, true);
}

void AboutWindowController::addTurn(const QString &name, QZScrewView *screw)
{
    auto *turn = new QPropertyAnimation(screw, "rotation");
    turn->setObjectName(name);
    turn->setStartValue(0.0);
    turn->setEndValue(-2.0 * std::numbers::pi);
    turn->setDuration(kStepMilliseconds);
    turn->setLoopCount(kTurns);
    add(turn, screw, false);
}

void AboutWindowController::add(QPropertyAnimation *animation, QZScrewView *screw, bool keptWhenFinished)
{
    // A new animation under a name the screw already carries takes the old one's place.
    for (qsizetype i = m_attached.size() - 1; i >= 0; --i) {
        Attached old = m_attached.at(i);
        if (old.screw == screw && old.animation && old.animation->objectName() == animation->objectName()) {
            m_attached.removeAt(i);
            old.animation->disconnect(this);
            old.animation->stop();
            old.animation->deleteLater();
        }
    }
    m_attached.append({screw, animation});
    const QString name = animation->objectName();
    connect(animation, &QAbstractAnimation::finished, this, [this, animation, screw, name, keptWhenFinished] {
        if (!keptWhenFinished) {
            // Taken off the screw once done; the screw shows its own value again.
            m_attached.removeIf([animation](const Attached &a) { return a.animation == animation; });
            screw->setRotation(0.0);
            animation->deleteLater();
        }
        animationDidStop(name, true);
    });
    animation->start();
}

void AboutWindowController::removeAllAnimations()
{
    const QList<Attached> attached = std::exchange(m_attached, {});
    for (const Attached &a : attached) {
        if (!a.animation)
            continue;
        a.animation->disconnect(this);
        const bool running = a.animation->state() != QAbstractAnimation::Stopped;
        a.animation->stop();
        a.animation->deleteLater();
        if (running)
            animationDidStop(a.animation->objectName(), false);
        if (a.screw && a.animation->propertyName() == "rotation")
            a.screw->setRotation(0.0);
    }
}
