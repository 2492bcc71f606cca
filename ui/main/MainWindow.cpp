#include "ui/main/MainWindow.h"

#include "platform/gui/ChildWindows.h"
#include "platform/system/Bundle.h"
#include "ui/main/LiveResizeNotifier.h"
#include "ui/views/TableKeys.h"

#include "ui_AcknowledgementsWindow.h"
#include "ui_MainWindow.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFile>
#include <QMenu>

using namespace Qt::StringLiterals;

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , m_ui(std::make_unique<Ui::MainWindow>())
    , m_ackUi(std::make_unique<Ui::AcknowledgementsWindow>())
{
    m_ui->setupUi(this);

    // The form lays both views out side by side at their designed sizes; the window shows
    // one at a time, and each keeps its designed size until it is shown.
    m_mainView = m_ui->mainView;
    m_resultsView = m_ui->resultsView;
    m_mainView->setParent(nullptr);
    m_resultsView->setParent(nullptr);
    setCentralWidget(m_mainView); // drops the placeholder
    resize(m_mainView->size());

    // The separator under Acknowledgements is hidden along with it until launch shows both.
    m_acknowledgementsSeparator = new QAction(this);
    m_acknowledgementsSeparator->setObjectName(u"acknowledgementsSeparatorMenuItem"_s);
    m_acknowledgementsSeparator->setSeparator(true);
    m_acknowledgementsSeparator->setVisible(false);
    m_ui->menuNimbrel->insertAction(m_ui->actionPreferences, m_acknowledgementsSeparator);

    m_acknowledgementsWindow = new QDialog(this, Qt::Window);
    m_ackUi->setupUi(m_acknowledgementsWindow);
    // The libraries' licences ask for their notices in what we ship: they travel in the bundle.
    QFile acknowledgements(platform::Bundle::mainBundle().pathForResource(u"Acknowledgements"_s, u"html"_s));
    if (acknowledgements.open(QIODevice::ReadOnly))
        m_ackUi->acknowledgementsText->setHtml(QString::fromUtf8(acknowledgements.readAll()));

    connect(m_ui->actionClose, &QAction::triggered, this, &QWidget::close);
    // The menu bar belongs to the application: its commands answer their keys in every window
    // (Ctrl+Q from the settings window). Close Window closes this one; the others close
    // themselves on the same key.
    for (QAction *action : findChildren<QAction *>()) {
        if (action != m_ui->actionClose && !action->shortcut().isEmpty())
            action->setShortcutContext(Qt::ApplicationShortcut);
    }
    connect(m_ui->actionZoom, &QAction::triggered, this, &MainWindow::zoom);
    TableKeys::install(m_ui->locationTableView);
    TableKeys::install(m_ui->resultsTableView);
    LiveResizeNotifier::watch(this);
}

MainWindow::~MainWindow()
{
    // Views not shown at the moment have no parent; free them with the window.
    if (m_mainView && m_mainView != centralWidget())
        delete m_mainView;
    if (m_resultsView && m_resultsView != centralWidget())
        delete m_resultsView;
}

QWidget *MainWindow::mainView() const
{
    return m_mainView;
}
QWidget *MainWindow::resultsView() const
{
    return m_resultsView;
}
QWidget *MainWindow::contentView() const
{
    return centralWidget();
}

void MainWindow::setContentView(QWidget *view)
{
    if (!view || view == centralWidget())
        return;
    if (QWidget *old = takeCentralWidget())
        old->hide();
    setCentralWidget(view);
    view->setMinimumSize(m_contentMinSize);
    view->show();
}

void MainWindow::setContentMinSize(const QSize &size)
{
    m_contentMinSize = size;
    if (QWidget *view = centralWidget())
        view->setMinimumSize(size);
}

void MainWindow::setContentBorderThickness(double thickness)
{
    m_contentBorderThickness = thickness;
    const int height = int(thickness);
    for (QWidget *bar : {static_cast<QWidget *>(m_ui->mainBottomBar), static_cast<QWidget *>(m_ui->resultsBottomBar)})
        bar->setFixedHeight(height);
}

bool MainWindow::hasChildWindows() const
{
    for (const QWidget *child : platform::ChildWindows::childWindows(this)) {
        if (child->isVisible())
            return true;
    }
    return false;
}

void MainWindow::zoom()
{
    m_zoomAsked = true;
    const bool allowed = !windowShouldZoom || windowShouldZoom();
    if (allowed) {
        if (m_zoomed)
            showNormal();
        else
            showMaximized();
    }
    m_zoomed = isMaximized();
    m_zoomAsked = false;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (windowShouldClose && !windowShouldClose()) {
        event->ignore();
        return;
    }
    event->accept();
    if (windowWillClose)
        windowWillClose();
}

void MainWindow::changeEvent(QEvent *event)
{
    // The window system's zoom button: the delegate hears of it while the old state holds.
    if (event->type() == QEvent::WindowStateChange && !m_zoomAsked) {
        const bool zoomed = isMaximized();
        if (zoomed != m_zoomed) {
            if (windowShouldZoom)
                windowShouldZoom();
            m_zoomed = zoomed;
        }
    }
    QMainWindow::changeEvent(event);
}
