#pragma once

#include "platform/gui/WebView.h"

#include <QFrame>
#include <QLabel>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QString>

#include <memory>

class MasterPrefsViewController;
class WizardPageController;
namespace platform {
class Timer;
}

// The setup assistant: the first-launch assistant (welcome, cleaning, program settings, the
// settings pane of every supported application present, the final page) and the
// new-application assistant (a new-application page, the new applications' panes, the
// final page), run in one modal window. Closing it by Done or Cancel shows the main window
// and fills the scan locations.
class WizardController : public QObject, public platform::WebFrameLoadDelegate
{
    Q_OBJECT
public:
    using PaneList = QList<std::shared_ptr<MasterPrefsViewController>>;

    // A page: one of the assistant's own, or a module's settings pane.
    struct Page
    {
        std::shared_ptr<WizardPageController> page;
        std::shared_ptr<MasterPrefsViewController> pane;
        QString title() const;
        QWidget *view() const;
        // The closing page, which shows the maker's page once per run.
        bool isFinal() const;
    };

    enum class NextAction { Next, Done };

    static const QString kWebPagePath;

    explicit WizardController(QObject *parent = nullptr);
    ~WizardController() override;

    void awakeFromNib() {}

    // Panes already sorted.
    void initWizardWithViews(const PaneList &panes);
    void initNewAppWizardWithViews(const PaneList &panes);

    // False when the window kept its current page (an edit could not end).
    bool displayViewController(const Page &page);

    void webViewDidStartProvisionalLoadForFrame(platform::WebView *view) override;
    void webViewDidFinishLoadForFrame(platform::WebView *view) override;
    void webViewDidFailProvisionalLoadWithError(platform::WebView *view, const QString &error) override;
    void webViewDidFailLoadWithError(platform::WebView *view, const QString &error) override;

    void displayNextWizardScreen();
    void displayPreviousWizardScreen();
    void showWizardWindow();
    void wizardTimerFire();
    void hideWizardWindow();
    void closeWizardWindow();
    void cancelWizardWindow();

    // Outlets and state.
    QWidget *wizardWindow() const { return m_wizardWindow; }
    QFrame *wizardBox() const { return m_wizardBox; }
    QLabel *titleText() const { return m_titleText; }
    QPushButton *nextButton() const { return m_nextButton; }
    QPushButton *prevButton() const { return m_prevButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }
    QProgressBar *webViewLoadingProgress() const { return m_webViewLoadingProgress; }
    const QList<Page> &wizardViewControllers() const { return m_wizardViewControllers; }
    int viewPosition() const { return m_viewPosition; }
    bool didShowWebView() const { return m_didShowWebView; }
    // What the Next button does now: go on, or close the assistant ("Done").
    NextAction nextButtonAction() const { return m_nextAction; }
    // The web view of the final page of this run; null before its first visit.
    platform::WebView *webView() const { return m_webView; }

    // The maker's page shown on the final page: the "siteHost" setting and kWebPagePath.
    static QUrl webPageURL();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startRun();
    void nextButtonClicked();
    void setNextAction(NextAction action);
    void startLoadingIndicator();
    void stopLoadingIndicator();
    static bool isOlderThanHighSierra();

    QPointer<QWidget> m_wizardWindow;
    QPointer<QFrame> m_wizardBox;
    QPointer<QLabel> m_titleText;
    QPointer<QPushButton> m_nextButton;
    QPointer<QPushButton> m_prevButton;
    QPointer<QPushButton> m_cancelButton;
    QList<Page> m_wizardViewControllers;
    int m_viewPosition = 0;
    bool m_didShowWebView = false;
    QPointer<QProgressBar> m_webViewLoadingProgress;

    NextAction m_nextAction = NextAction::Next;
    QPointer<QWidget> m_contentView;
    QPointer<platform::WebView> m_webView;
    QPointer<platform::Timer> m_timer;
};
