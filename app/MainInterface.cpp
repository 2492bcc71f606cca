#include "app/MainInterface.h"

#include "app/NimbrelAppDelegate.h"
#include "core/DatabaseController.h"
#include "core/FileController.h"
#include "core/LocationController.h"
#include "core/ShredController.h"
#include "platform/gui/Layer.h"
#include "platform/gui/WindowKeys.h"
#include "targets/camino/CaminoController.h"
#include "targets/chrome/ChromeController.h"
#include "targets/chromium/ChromiumController.h"
#include "targets/finder/FinderController.h"
#include "targets/firefox/FirefoxController.h"
#include "targets/flashcookies/FlashCookiesController.h"
#include "targets/flock/FlockController.h"
#include "targets/icab/iCabController.h"
#include "targets/omniweb/OmniWebController.h"
#include "targets/opera/OperaController.h"
#include "targets/preview/PreviewController.h"
#include "targets/quicktime/QuickTimeController.h"
#include "targets/safari/SafariController.h"
#include "targets/seamonkey/SeaMonkeyController.h"
#include "targets/shiira/ShiiraController.h"
#include "ui/about/AboutWindow.h"
#include "ui/about/AboutWindowController.h"
#include "ui/alerts/AlertController.h"
#include "ui/animation/QZShredAnimationWindow.h"
#include "ui/animation/QZShredderAnimator.h"
#include "ui/animation/QZStripsView.h"
#include "ui/launch/PromoPanel.h"
#include "ui/launch/TempCleaningPanel.h"
#include "ui/main/AppController.h"
#include "ui/main/MainWindow.h"
#include "ui/prefs/PrefsController.h"
#include "ui/results/ResultsController.h"
#include "ui/summary/CleaningResultsWindow.h"
#include "ui/tips/TipController.h"
#include "ui/tips/TipViews.h"
#include "ui/wizard/WizardController.h"

#include "ui_MainWindow.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

std::unique_ptr<MainInterface> MainInterface::load()
{
    // Settings first: every controller may read one while it is made or woken.
    NimbrelAppDelegate::initialize();
    platform::WindowKeys::install();

    std::unique_ptr<MainInterface> ui(new MainInterface);
    ui->createControllers();
    ui->wireOutlets();
    ui->awakeFromNib();
    ui->finishLaunching();
    return ui;
}

MainInterface::MainInterface() = default;

MainInterface::~MainInterface() = default;

// One line per controller, in the order the members are declared.
void MainInterface::createControllers()
{
    m_appDelegate = std::make_unique<NimbrelAppDelegate>();
    m_mainWindow = std::make_unique<MainWindow>();
    m_tempCleaningPanel = std::make_unique<TempCleaningPanel>();
    m_qzPanel = std::make_unique<PromoPanel>();
    m_aboutWindow = std::make_unique<AboutWindow>();
    m_cleaningResultsWindow = std::make_unique<CleaningResultsWindow>();
    m_locationControl = std::make_unique<LocationController>();
    m_fileControl = std::make_unique<FileController>();
    m_dbControl = std::make_unique<DatabaseController>();
    m_shredControl = std::make_unique<ShredController>();
    m_safariController = std::make_unique<SafariController>();
    m_chromeController = std::make_unique<ChromeController>();
    m_chromiumController = std::make_unique<ChromiumController>();
    m_operaController = std::make_unique<OperaController>();
    m_flockController = std::make_unique<FlockController>();
    m_firefoxController = std::make_unique<FirefoxController>();
    m_seaMonkeyController = std::make_unique<SeaMonkeyController>();
    m_caminoController = std::make_unique<CaminoController>();
    m_finderController = std::make_unique<FinderController>();
    m_quickTimeController = std::make_unique<QuickTimeController>();
    m_previewController = std::make_unique<PreviewController>();
    m_iCabController = std::make_unique<::iCabController>();
    m_omniWebController = std::make_unique<OmniWebController>();
    m_shiiraController = std::make_unique<ShiiraController>();
    m_flashCookiesController = std::make_unique<FlashCookiesController>();
    m_alertControl = std::make_unique<AlertController>();
    m_tearsAnimationWindow = std::make_unique<QZShredAnimationWindow>(QRect(0, 0, 140, 180));
    m_shredderAnimator = std::make_unique<QZShredderAnimator>();
    m_resultsControl = std::make_unique<ResultsController>();
    m_appControl = std::make_unique<AppController>();
    m_wizardControl = std::make_unique<WizardController>();
    m_prefControl = std::make_unique<PrefsController>();
    m_aboutWindowController = std::make_unique<AboutWindowController>();
    m_tipViews = std::make_unique<TipViews>();
    m_tipControl = std::make_unique<TipController>();
}

// Every outlet is set here and never changed afterwards; grouped by the controller that
// holds the outlet.
void MainInterface::wireOutlets()
{
    // NimbrelAppDelegate: asked before the application quits.
    QCoreApplication::instance()->installEventFilter(m_appDelegate.get());
    // NimbrelAppDelegate: the quit reply, the main window, the three menu items it shows.
    Ui::MainWindow &form = m_mainWindow->form();
    m_appDelegate->setAppControl([app = m_appControl.get()] { return app->shouldAppQuit(); });
    m_appDelegate->setWindow(m_mainWindow.get());
    m_appDelegate->setAcknowledgementsMenuItem(form.actionAcknowledgements);
    m_appDelegate->setFeedbackMenuItem(form.actionFeedback);
    m_appDelegate->setAcknowledgementsSeparatorMenuItem(m_mainWindow->acknowledgementsSeparatorMenuItem());
    NimbrelAppDelegate *delegate = m_appDelegate.get();
    QObject::connect(form.actionTestSound, &QAction::triggered, delegate, &NimbrelAppDelegate::testSound);
    QObject::connect(form.actionFeedback, &QAction::triggered, delegate, &NimbrelAppDelegate::showFeedbackDialog);
    QObject::connect(form.actionCheckForUpdates, &QAction::triggered, delegate, &NimbrelAppDelegate::checkForUpdates);

    // AppController: the main window and its views, the location list, the alert, the results.
    m_appControl->setMainWindow(m_mainWindow.get());
    m_appControl->setLocationArrayController(m_locationControl->locationArrayController());
    m_appControl->setAlertControl(m_alertControl.get());
    m_appControl->setResultsControl(m_resultsControl.get());
    // AppController: the launch prompts' services and panels.
    m_appControl->setFileControl(m_fileControl.get());
    m_appControl->setShredControl(m_shredControl.get());
    m_appControl->setTempCleaningPanel(m_tempCleaningPanel.get());
    m_appControl->setQzPanel(m_qzPanel.get());

    // ResultsController: the results table, the Clean button and menu item, the shredder slot.
    m_resultsControl->setResultsTableView(form.resultsTableView);
    m_resultsControl->setShredButton(form.shredButton);
    m_resultsControl->setShredMenuItem(form.actionClean);
    m_resultsControl->setShredderSlotView(form.shredderSlotView);
    m_resultsControl->setAlertControl(m_alertControl.get());
    // ResultsController: the clean-system picture and the cleaning results window.
    m_resultsControl->setCleanSystemImageView(form.cleanSystemImageView);
    m_resultsControl->setCleaningResultsWindow(m_cleaningResultsWindow.get());
    m_resultsControl->setShredderAnimator(m_shredderAnimator.get());

    // QZShredderAnimator: the main window and its slot, the paper view over the results, the
    // strips window with its animation view.
    m_shredderAnimator->setMainWindow(m_mainWindow.get());
    m_shredderAnimator->setSlitView(form.shredderSlotView);
    auto *paperView = new platform::LayerView(m_mainWindow->resultsView());
    paperView->setObjectName(u"paperView"_s);
    m_shredderAnimator->setPaperView(paperView);
    auto *stripsView = new QZStripsView(m_tearsAnimationWindow.get());
    stripsView->setObjectName(u"animationView"_s);
    stripsView->setGeometry(m_tearsAnimationWindow->rect());
    m_shredderAnimator->setAnimationView(stripsView);
    m_shredderAnimator->setTearsAnimationWindow(m_tearsAnimationWindow.get());

    // FileController: the result rows it appends are the results table's rows.
    m_fileControl->setResultsArrayController(m_resultsControl->resultsArrayController());
    m_resultsControl->setFileControl(m_fileControl.get());

    // ShredController: counts a folder's files before a secure removal; the results table
    // hands it each moved item.
    m_shredControl->setFileControl(m_fileControl.get());
    m_resultsControl->setShredControl(m_shredControl.get());

    // Modules: the file service moves their traces aside, the database service cleans rows in
    // place. iCab, OmniWeb and the Flash cookies module have no database rows among their
    // traces, so they are given no database service.
    const QList<const ModuleController *> withoutDatabase{m_iCabController.get(), m_omniWebController.get(),
                                                          m_flashCookiesController.get()};
    for (ModuleController *module : modules()) {
        module->setFileControl(m_fileControl.get());
        if (!withoutDatabase.contains(module))
            module->setDbControl(m_dbControl.get());
    }

    // PrefsController: takes the modules' panes and watches their master switches; starts
    // the assistant; opens from the Preferences menu item.
    m_prefControl->setWizardControl(m_wizardControl.get());
    for (ModuleController *module : modules())
        module->setPrefControl(m_prefControl.get());
    QObject::connect(form.actionPreferences, &QAction::triggered, m_prefControl.get(),
                     &PrefsController::showPrefsWindow);
    form.actionPreferences->setEnabled(true);

    // AboutWindowController: its window, opened from the About menu item.
    m_aboutWindowController->setAboutWindow(m_aboutWindow.get());
    QObject::connect(form.actionAbout, &QAction::triggered, m_aboutWindowController.get(),
                     &AboutWindowController::showAboutWindow);
    form.actionAbout->setEnabled(true);

    // The main view's help button opens the same page as the Help menu item.
    QObject::connect(form.helpButton, &QPushButton::clicked, m_appControl.get(), &AppController::showHelp);

    wireTips();
}

// TipController: the windows its tips are attached to, the controls they point at and the
// views they show.
void MainInterface::wireTips()
{
    Ui::MainWindow &form = m_mainWindow->form();
    TipController &tips = *m_tipControl;
    tips.setMainWindow(m_mainWindow.get());
    tips.setPrefsWindow(m_prefControl->prefsWindow());
    tips.setResultsWindow(m_mainWindow.get());
    tips.setCleaningStatusWindow(m_cleaningResultsWindow.get());
    tips.setPrefsAppListButton(m_prefControl->popUp());
    tips.setMainAppsList(form.locationTableView);
    tips.setMainScanButton(form.scanButton);
    tips.setMainHelpButton(form.helpButton);
    tips.setResultsList(form.resultsTableView);
    tips.setResultsShredButton(form.shredButton);
    tips.setCleaningStatusTextField(m_resultsControl->cleaningStatusTextField());
    tips.setTempCleaningFailTextField(m_tempCleaningPanel->tempCleaningProgressText());
    m_tipViews->setContentViews(tips);
}

// The controllers' own set-up that needs their outlets, in a fixed order: services first,
// then the modules, then the windows' controllers.
void MainInterface::awakeFromNib()
{
    m_shredControl->awakeFromNib();
    for (ModuleController *module : modules())
        module->init();
    m_locationControl->awakeFromNib();
    m_alertControl->awakeFromNib();
    m_shredderAnimator->awakeFromNib();
    m_resultsControl->awakeFromNib();
    m_wizardControl->awakeFromNib();
    m_aboutWindowController->awakeFromNib();
    // Last: its start-up decision needs the modules and the main window's controller.
    m_prefControl->awakeFromNib();
}

QList<ModuleController *> MainInterface::modules() const
{
    return {
        m_safariController.get(),    m_chromeController.get(),  m_chromiumController.get(),
        m_operaController.get(),     m_flockController.get(),   m_firefoxController.get(),
        m_seaMonkeyController.get(), m_caminoController.get(),  m_finderController.get(),
        m_quickTimeController.get(), m_previewController.get(), m_iCabController.get(),
        m_omniWebController.get(),   m_shiiraController.get(),  m_flashCookiesController.get(),
    };
}

void MainInterface::finishLaunching()
{
    m_appDelegate->applicationDidFinishLaunching();
}
