#pragma once

#include <QList>

#include <memory>

class AboutWindow;
class AboutWindowController;
class AlertController;
class AppController;
class CaminoController;
class CleaningResultsWindow;
class DatabaseController;
class FileController;
class FinderController;
class FirefoxController;
class FlashCookiesController;
class LocationController;
class MainWindow;
class ModuleController;
class NimbrelAppDelegate;
class OmniWebController;
class PrefsController;
class PreviewController;
class PromoPanel;
class QZShredAnimationWindow;
class QZShredderAnimator;
class QuickTimeController;
class ResultsController;
class SafariController;
class ChromeController;
class ChromiumController;
class OperaController;
class FlockController;
class SeaMonkeyController;
class ShiiraController;
class ShredController;
class TempCleaningPanel;
class TipController;
class TipViews;
class WizardController;
class iCabController;

// The main interface file: creates every controller of the application once, sets every
// outlet, then wakes the controllers in a fixed order, as launching does up to and including
// the delegate's applicationDidFinishLaunching. The application, the tests and the
// benchmarks share this one wiring. A QApplication must exist.
//
// Adding a controller takes four lines, each in its marked place: a member, a getter, a
// creation line in createControllers() and its outlets in wireOutlets() (plus its
// awakeFromNib in awakeFromNib() when it has one). For an application module the fourth line
// is its entry in modules(): every module is wired and woken alike.
class MainInterface
{
public:
    static std::unique_ptr<MainInterface> load();
    ~MainInterface();
    MainInterface(const MainInterface &) = delete;
    MainInterface &operator=(const MainInterface &) = delete;

    // One getter per controller, named after its outlet.
    NimbrelAppDelegate *appDelegate() const { return m_appDelegate.get(); }
    AppController *appControl() const { return m_appControl.get(); }
    ResultsController *resultsControl() const { return m_resultsControl.get(); }
    AlertController *alertControl() const { return m_alertControl.get(); }
    LocationController *locationControl() const { return m_locationControl.get(); }
    FileController *fileControl() const { return m_fileControl.get(); }
    DatabaseController *dbControl() const { return m_dbControl.get(); }
    ShredController *shredControl() const { return m_shredControl.get(); }
    SafariController *safariController() const { return m_safariController.get(); }
    ChromeController *chromeController() const { return m_chromeController.get(); }
    ChromiumController *chromiumController() const { return m_chromiumController.get(); }
    OperaController *operaController() const { return m_operaController.get(); }
    FlockController *flockController() const { return m_flockController.get(); }
    FirefoxController *firefoxController() const { return m_firefoxController.get(); }
    SeaMonkeyController *seaMonkeyController() const { return m_seaMonkeyController.get(); }
    CaminoController *caminoController() const { return m_caminoController.get(); }
    FinderController *finderController() const { return m_finderController.get(); }
    QuickTimeController *quickTimeController() const { return m_quickTimeController.get(); }
    PreviewController *previewController() const { return m_previewController.get(); }
    // The getter shares the class's name, so the class is named from the global scope here.
    ::iCabController *iCabController() const { return m_iCabController.get(); }
    OmniWebController *omniWebController() const { return m_omniWebController.get(); }
    ShiiraController *shiiraController() const { return m_shiiraController.get(); }
    FlashCookiesController *flashCookiesController() const { return m_flashCookiesController.get(); }
    PrefsController *prefControl() const { return m_prefControl.get(); }
    WizardController *wizardControl() const { return m_wizardControl.get(); }
    TipController *tipControl() const { return m_tipControl.get(); }
    TipViews *tipViews() const { return m_tipViews.get(); }
    QZShredderAnimator *shredderAnimator() const { return m_shredderAnimator.get(); }
    AboutWindowController *aboutWindowController() const { return m_aboutWindowController.get(); }
    QZShredAnimationWindow *tearsAnimationWindow() const { return m_tearsAnimationWindow.get(); }

    // Every application module, in the order they are wired and woken.
    QList<ModuleController *> modules() const;

private:
    MainInterface();
    void createControllers();
    void wireOutlets();
    void wireTips();
    void awakeFromNib();
    void finishLaunching();

    // Controllers. Declared in creation order: they are destroyed in the reverse order.
    std::unique_ptr<NimbrelAppDelegate> m_appDelegate;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<TempCleaningPanel> m_tempCleaningPanel;
    std::unique_ptr<PromoPanel> m_qzPanel;
    std::unique_ptr<AboutWindow> m_aboutWindow;
    std::unique_ptr<CleaningResultsWindow> m_cleaningResultsWindow;
    std::unique_ptr<LocationController> m_locationControl;
    std::unique_ptr<FileController> m_fileControl;
    std::unique_ptr<DatabaseController> m_dbControl;
    std::unique_ptr<ShredController> m_shredControl;
    std::unique_ptr<SafariController> m_safariController;
    std::unique_ptr<ChromeController> m_chromeController;
    std::unique_ptr<ChromiumController> m_chromiumController;
    std::unique_ptr<OperaController> m_operaController;
    std::unique_ptr<FlockController> m_flockController;
    std::unique_ptr<FirefoxController> m_firefoxController;
    std::unique_ptr<SeaMonkeyController> m_seaMonkeyController;
    std::unique_ptr<CaminoController> m_caminoController;
    std::unique_ptr<FinderController> m_finderController;
    std::unique_ptr<QuickTimeController> m_quickTimeController;
    std::unique_ptr<PreviewController> m_previewController;
    std::unique_ptr<::iCabController> m_iCabController;
    std::unique_ptr<OmniWebController> m_omniWebController;
    std::unique_ptr<ShiiraController> m_shiiraController;
    std::unique_ptr<FlashCookiesController> m_flashCookiesController;
    std::unique_ptr<AlertController> m_alertControl;
    // Goes before the main window it may be attached to.
    std::unique_ptr<QZShredAnimationWindow> m_tearsAnimationWindow;
    std::unique_ptr<QZShredderAnimator> m_shredderAnimator;
    std::unique_ptr<ResultsController> m_resultsControl;
    std::unique_ptr<AppController> m_appControl;
    std::unique_ptr<WizardController> m_wizardControl;
    std::unique_ptr<PrefsController> m_prefControl;
    std::unique_ptr<AboutWindowController> m_aboutWindowController;
    // The tips' contents outlive the tips, which give them back when they go.
    std::unique_ptr<TipViews> m_tipViews;
    std::unique_ptr<TipController> m_tipControl;
};
