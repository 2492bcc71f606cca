#pragma once

#include "ui/about/AboutWindow.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QLabel;
class QPropertyAnimation;
class QZScrewView;

// The About window's controller: builds its two links and, each time the window is opened,
// fades in and turns its four screws one after the other. Each animation carries a name; when
// one finishes, the next of the chain is started by that name. Closing the window removes the
// animations (a removed animation has not finished, so the chain stops) and hides the screws.
class AboutWindowController : public QObject
{
    Q_OBJECT
public:
    static constexpr int kStepMilliseconds = 150;
    static constexpr int kTurns = 3;

    explicit AboutWindowController(QObject *parent = nullptr);
    ~AboutWindowController() override;

    // Outlets, taken from the window's form.
    void setAboutWindow(AboutWindow *window);
    AboutWindow *aboutWindow() const { return m_aboutWindow; }
    QLabel *supportLink() const { return m_supportLink; }
    QLabel *companyLink() const { return m_companyLink; }
    QZScrewView *screw(int number) const;

    void awakeFromNib();
    void setupAboutWindow();
    void showAboutWindow();
    void animationDidStop(const QString &name, bool finished);
    void windowWillClose();

    // The animations a screw carries (running, or a fade kept after it finished), each named
    // by its objectName.
    QList<QPropertyAnimation *> animationsOf(const QZScrewView *screw) const;

private:
    struct Attached
    {
        QZScrewView *screw;
        QPointer<QPropertyAnimation> animation;
    };
    void addFade(const QString &name, QZScrewView *screw);
    void addTurn(const QString &name, QZScrewView *screw);
    void add(QPropertyAnimation *animation, QZScrewView *screw, bool keptWhenFinished);
    void removeAllAnimations();

    QPointer<AboutWindow> m_aboutWindow;
    QPointer<QLabel> m_supportLink;
    QPointer<QLabel> m_companyLink;
    QList<QPointer<QZScrewView>> m_screws;
    QList<Attached> m_attached;
};
