#pragma once

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class QDialog;
namespace Ui {
class MainWindow;
class AcknowledgementsWindow;
} // namespace Ui

// The main window of the main interface file: its two content views (the scan-location list
// with the Scan button, and the results table with the Clean button and the shredder slot),
// the menu bar and the acknowledgements window. It holds no behaviour of its own: its
// controller answers the close and zoom questions through the delegate calls below.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The widgets and menu actions of the form, by their object names.
    Ui::MainWindow &form() const { return *m_ui; }
    QWidget *mainView() const;
    QWidget *resultsView() const;
    QDialog *acknowledgementsWindow() const { return m_acknowledgementsWindow; }
    QAction *acknowledgementsSeparatorMenuItem() const { return m_acknowledgementsSeparator; }

    // The view the window shows; a view that is replaced is kept, not deleted.
    QWidget *contentView() const;
    void setContentView(QWidget *view);
    // Minimum size of the content (the view below the menu bar).
    void setContentMinSize(const QSize &size);
    QSize contentMinSize() const { return m_contentMinSize; }
    // Height of the bars along the bottom edge of both views.
    void setContentBorderThickness(double thickness);
    double contentBorderThickness() const { return m_contentBorderThickness; }

    // Visible top-level windows attached to this one (the tips).
    bool hasChildWindows() const;
    bool isZoomed() const { return m_zoomed; }
    // The zoom button: asks the delegate, then zooms in or out.
    void zoom();

    // Delegate calls, set once by the controller.
    std::function<bool()> windowShouldClose;
    std::function<void()> windowWillClose;
    std::function<bool()> windowShouldZoom;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    std::unique_ptr<Ui::MainWindow> m_ui;
    std::unique_ptr<Ui::AcknowledgementsWindow> m_ackUi;
    QPointer<QDialog> m_acknowledgementsWindow;
    QPointer<QWidget> m_mainView;
    QPointer<QWidget> m_resultsView;
    QAction *m_acknowledgementsSeparator = nullptr;
    QSize m_contentMinSize;
    double m_contentBorderThickness = 0;
    bool m_zoomed = false;
    bool m_zoomAsked = false;
};
