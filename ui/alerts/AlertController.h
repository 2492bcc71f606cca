#pragma once

#include "core/Keys.h"
#include "platform/system/ArrayController.h"
#include "platform/system/NotificationCenter.h"
#include "ui/alerts/alertItem.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <optional>

class QDialog;
class QLabel;
class QPushButton;
class QTableView;
namespace Ui {
class AlertWindow;
}

// The running-application alert. Requesters post "AddAlertItem" for each application they
// are about to touch; every running instance of those applications is listed, and when the
// last one has quit the alert closes and posts the requester's continue notification. The
// cancel button closes it and posts the requester's cancel notification.
class AlertController : public QObject
{
    Q_OBJECT
public:
    explicit AlertController(QObject *parent = nullptr);
    ~AlertController() override;

    // Outlets (the alert window's form).
    QDialog *alertWindow() const;
    QLabel *alertImageView() const;
    QTableView *alertTableView() const;
    QPushButton *alertCancelButton() const;
    platform::ArrayController<alertItem> *alertItemArrayController() const { return m_alertItemArrayController; }

    // Remembered requests {"alertItemIdentifier", "alertItemName"}; emptied on every close.
    QList<QVariantMap> appArray() const { return m_appArray; }
    // The tag of the requester the alert answers (empty before a request names one).
    QString alertParent() const { return m_alertParent ? keys::alertParentTag(*m_alertParent) : QString(); }

    void awakeFromNib();
    // A requester starts a new set of requests: rows and requests of an earlier set that never
    // showed the alert (the requester stopped before asking) are forgotten.
    void beginRequests();
    // Runs the alert modally on the main thread; returns when it has closed. Called from
    // another thread it is queued to the main thread and returns at once.
    void showAlertWindow();
    // Handles one alert request, on the main thread (the caller waits when on another one).
    void addAlertItemWithInfo(const QVariantMap &info);
    void locateAppWithIdentifier(const QString &identifier);
    // A watched application has terminated ("isTerminated").
    void observeValueForKeyPath(const QString &keyPath, pid_t processIdentifier);
    bool shouldDisplayAlertWindow() const;
    void cancelAlertWindow();
    void closeAlertWindow();
    // An application was launched while the alert is shown.
    void checkApps(const platform::Notification &notification);

    // The cancel button's title for a requester.
    static QString cancelTitleForParent(std::optional<keys::AlertParent> parent, const QString &appName);

private:
    void addOnMainThread(const QVariantMap &info);
    void watchTerminations(bool on);
    // Rows whose process went away before the workspace could report it.
    void pruneVanishedApplications();
    void postContinue();
    void postCancel();

    std::unique_ptr<Ui::AlertWindow> m_ui;
    QDialog *m_alertWindow = nullptr;
    platform::ArrayController<alertItem> *m_alertItemArrayController;
    QList<QVariantMap> m_appArray;
    std::optional<keys::AlertParent> m_alertParent;
    bool m_sorted = false;
    bool m_watchingTerminations = false;
    bool m_shown = false;
};
