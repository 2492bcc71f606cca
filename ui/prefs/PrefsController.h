#pragma once

#include "core/PrefsPaneHost.h"
#include "targets/base/MasterPrefsViewController.h"

#include <QComboBox>
#include <QFrame>
#include <QWidget>

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class WizardController;

// The settings window and the collector of the modules' settings panes. Modules whose
// application is present hand their pane over when asked (keys::LoadPrefsViews,
// keys::CheckInstalledApps). At start-up the gathered panes decide between the first-launch
// assistant, the new-application assistant and the main window at once; in the settings
// window they are shown one at a time, chosen from a pop-up list. The modules' master
// switches, which this controller watches, become requests to add or remove location rows.
class PrefsController : public QObject, public PrefsPaneHost
{
    Q_OBJECT
public:
    using PaneList = QList<std::shared_ptr<MasterPrefsViewController>>;

    static const QString kFlashCookiesIdentifier;

    // Registers the first-launch switch on and loads the settings window and the advanced options.
    explicit PrefsController(QObject *parent = nullptr);
    ~PrefsController() override;

    // PrefsPaneHost: takes over the pane under keys::VController.
    void addItemWithInfo(const QVariantMap &info) override;
    void observeValueForKeyPath(const QString &key, int kind, const QVariant &oldValue,
                                const QVariant &newValue) override;

    // The Preferences menu action.
    void showPrefsWindow();
    // False when the window kept its pane (an edit could not end).
    bool displayViewController(MasterPrefsViewController *pane);
    // The start-up decision; run once, after the modules and the main window controller exist.
    void awakeFromNib();
    // The pop-up's action: shows the pane whose index is the item's tag.
    void changeViewController(int tag);
    void toggleTips();
    void windowWillClose();
    void showAdvancedOptionsPanel();
    void hideAdvancedOptionsPanel();

    // State and outlets.
    const PaneList &viewControllers() const { return m_viewControllers; }
    bool prefsWindowLoaded() const { return m_prefsWindowLoaded; }
    QComboBox *popUp() const { return m_popUp; }
    QWidget *prefsWindow() const { return m_prefsWindow; }
    QFrame *box() const { return m_box; }
    WizardController *wizardControl() const { return m_wizardControl; }
    void setWizardControl(WizardController *control) { m_wizardControl = control; }
    QWidget *advancedOptionsPanel() const { return m_advancedOptionsPanel; }
    // The pane the window shows; null before the window first showed one.
    MasterPrefsViewController *shownPane() const { return m_shownPane; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void post(const QString &name, const QVariantMap &userInfo = {});
    void sortByTitle(Qt::CaseSensitivity sensitivity);
    void fillPopUp();
    int indexOfPane(const MasterPrefsViewController *pane) const;
    static QSize viewSize(QWidget *view);

    PaneList m_viewControllers;
    bool m_prefsWindowLoaded = false;
    bool m_placed = false;
    QPointer<QComboBox> m_popUp;
    QPointer<QWidget> m_prefsWindow;
    QPointer<QFrame> m_box;
    WizardController *m_wizardControl = nullptr;
    QPointer<QWidget> m_advancedOptionsPanel;
    QPointer<QWidget> m_noPanesLabel;

    QPointer<MasterPrefsViewController> m_shownPane;
    QPointer<QWidget> m_contentView;
    // Master switches the modules may have registered us on, with how many panes named them;
    // the registrations are dropped with this controller.
    QHash<QString, int> m_watchedKeys;
};
