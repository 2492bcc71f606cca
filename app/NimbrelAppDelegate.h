#pragma once

#include <QAction>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

// The application's delegate: fixes the settings every other part starts with, makes the
// launch calls, answers the quit request and carries three menu actions.
class NimbrelAppDelegate : public QObject
{
    Q_OBJECT
public:
    // The platform's replies to a quit request.
    enum TerminateReply { TerminateCancel = 0, TerminateNow = 1 };

    explicit NimbrelAppDelegate(QObject *parent = nullptr);
    ~NimbrelAppDelegate() override;

    // Defaults start-up, once per process, before any controller reads a setting.
    static void initialize();
    // The start-up itself: register the defaults list that suits the system, clamp
    // the secure level, fold the old alert switches and apply the 10.13-up-to-11 rules.
    // initialize() runs it once; tests run it again after changing the machine.
    static void registerDefaultsAndApplyRules();

    void applicationDidFinishLaunching();
    TerminateReply applicationShouldTerminate();

    // Menu actions.
    void testSound();
    void showFeedbackDialog();
    void checkForUpdates();
    void checkForApplicationUpdate();

    QWidget *window() const { return m_window; }
    void setWindow(QWidget *window) { m_window = window; }

    std::optional<quint64> activity() const;
    void setActivity(std::optional<quint64> activity);

    // Outlets. Until the main window controller exists, appControl is its quit question:
    // answers YES to quit now.
    void setAppControl(std::function<bool()> shouldAppQuit) { m_shouldAppQuit = std::move(shouldAppQuit); }
    QAction *acknowledgementsMenuItem() const { return m_acknowledgementsMenuItem; }
    void setAcknowledgementsMenuItem(QAction *item) { m_acknowledgementsMenuItem = item; }
    QAction *feedbackMenuItem() const { return m_feedbackMenuItem; }
    void setFeedbackMenuItem(QAction *item) { m_feedbackMenuItem = item; }
    QAction *acknowledgementsSeparatorMenuItem() const { return m_acknowledgementsSeparatorMenuItem; }
    void setAcknowledgementsSeparatorMenuItem(QAction *item) { m_acknowledgementsSeparatorMenuItem = item; }

protected:
    // Asks the delegate before the application quits (QCoreApplication::quit()).
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    std::function<bool()> m_shouldAppQuit;
    QPointer<QAction> m_acknowledgementsMenuItem;
    QPointer<QAction> m_feedbackMenuItem;
    QPointer<QAction> m_acknowledgementsSeparatorMenuItem;
    mutable QMutex m_activityMutex;
    std::optional<quint64> m_activity;
};
