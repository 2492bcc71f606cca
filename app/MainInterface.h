#pragma once

#include <memory>

class AlertController;
class AppController;
class LocationController;
class MainWindow;
class NimbrelAppDelegate;
class ResultsController;

// The main interface file: creates every controller of the application once, sets every
// outlet, then wakes the controllers in a fixed order, as launching does up to and including
// the delegate's applicationDidFinishLaunching. The application, the tests and the
// benchmarks share this one wiring. A QApplication must exist.
//
// Adding a controller takes four lines, each in its marked place: a member, a getter, a
// creation line in createControllers() and its outlets in wireOutlets() (plus its
// awakeFromNib in awakeFromNib() when it has one).
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

private:
    MainInterface();
    void createControllers();
    void wireOutlets();
    void awakeFromNib();
    void finishLaunching();

    // Controllers. Declared in creation order: they are destroyed in the reverse order.
    std::unique_ptr<NimbrelAppDelegate> m_appDelegate;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<LocationController> m_locationControl;
    std::unique_ptr<AlertController> m_alertControl;
    std::unique_ptr<ResultsController> m_resultsControl;
    std::unique_ptr<AppController> m_appControl;
};
