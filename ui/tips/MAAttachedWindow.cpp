#include "ui/tips/MAAttachedWindow.h"

#include "platform/gui/ChildWindows.h"
#include "platform/gui/Compositing.h"
#include "platform/gui/WindowGeometry.h"

#include <QBitmap>
#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPathStroker>
#include <QScreen>

using platform::WindowGeometry;

std::unique_ptr<MAAttachedWindow> MAAttachedWindow::initWithView(QWidget *view, const QPointF &point, QWidget *window,
                                                                 int side, float distance)
{
    if (!view)
        return nullptr;
    return std::unique_ptr<MAAttachedWindow>(new MAAttachedWindow(view, point, window, side, distance));
}

std::unique_ptr<MAAttachedWindow> MAAttachedWindow::initWithView(QWidget *view, const QPointF &point, QWidget *window,
                                                                 float distance)
{
    return initWithView(view, point, window, Side::Automatic, distance);
}

std::unique_ptr<MAAttachedWindow> MAAttachedWindow::initWithView(QWidget *view, const QPointF &point, int side,
                                                                 float distance)
{
    return initWithView(view, point, nullptr, side, distance);
}

std::unique_ptr<MAAttachedWindow> MAAttachedWindow::initWithView(QWidget *view, const QPointF &point, float distance)
{
    return initWithView(view, point, nullptr, Side::Automatic, distance);
}

std::unique_ptr<MAAttachedWindow> MAAttachedWindow::initWithView(QWidget *view, const QPointF &point, QWidget *window)
{
    return initWithView(view, point, window, Side::Automatic, 0.0f);
}

std::unique_ptr<MAAttachedWindow> MAAttachedWindow::initWithView(QWidget *view, const QPointF &point, int side)
{
    return initWithView(view, point, nullptr, side, 0.0f);
}

std::unique_ptr<MAAttachedWindow> MAAttachedWindow::initWithView(QWidget *view, const QPointF &point)
{
    return initWithView(view, point, nullptr, Side::Automatic, 0.0f);
}

MAAttachedWindow::MAAttachedWindow(QWidget *view, const QPointF &point, QWidget *window, int side, float distance)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint)
    , m_borderColor(Qt::white)
    , m_fill(QColor::fromRgbF(0.1f, 0.1f, 0.1f, 0.75f))
    , m_view(view)
    , m_viewHome(view->parentWidget())
    , m_window(window)
    , m_point(point)
    , m_side(side)
{
    // Without a compositor a window with alpha shows black where it is clear, even outside
    // its shape; an opaque one shaped to the outline shows the desktop around it.
    setAttribute(Qt::WA_TranslucentBackground, platform::windowsAreComposited());
    // A tip appears beside the window the user works in; it must not take the focus from it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_geometry.setDistance(distance);
    resize(view->size());

    if (m_side == Side::Automatic)
        m_side = bestSideForAutomaticPosition();
    view->setParent(this);
    updateWindowGeometry();
    updateBackground();
    view->show();
}

MAAttachedWindow::~MAAttachedWindow()
{
    // The view belongs to whoever gave it; it is shown again in later windows.
    if (m_view && m_view->parentWidget() == this) {
        m_view->hide();
        m_view->setParent(m_viewHome);
    }
}

void MAAttachedWindow::performClose()
{
    if (m_window)
        m_window->close();
    else
        close();
}

QPointF MAAttachedWindow::screenPoint() const
{
    return m_window ? WindowGeometry::convertBaseToScreen(m_window, m_point) : m_point;
}

AttachedWindowGeometry::Surroundings MAAttachedWindow::surroundings() const
{
    const QScreen *screen = m_window && m_window->screen() ? m_window->screen() : QGuiApplication::primaryScreen();
    AttachedWindowGeometry::Surroundings around;
    around.visibleFrame = WindowGeometry::visibleFrame(screen);
    if (m_window)
        around.windowFrame = WindowGeometry::frame(m_window);
    return around;
}

int MAAttachedWindow::bestSideForAutomaticPosition() const
{
    return m_geometry.bestSideForAutomaticPosition(screenPoint(), m_view->size(), surroundings());
}

void MAAttachedWindow::setPoint(const QPointF &point, int side)
{
    m_point = point;
    m_side = side;
    updateWindowGeometry();
    updateBackground();
}

void MAAttachedWindow::followAttachedWindow()
{
    if (m_pointSource) {
        if (const std::optional<QPointF> now = m_pointSource())
            m_point = *now;
    }
    if (updateWindowGeometry())
        updateBackground();
}

bool MAAttachedWindow::event(QEvent *event)
{
    if (event->type() == platform::ChildWindows::parentGeometryChangeEvent()) {
        followAttachedWindow();
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

bool MAAttachedWindow::updateWindowGeometry()
{
    if (!m_view)
        return false;
    ++m_layoutCount;
    // A tip cut off at the screen's edge (its window maximised, or moved near an edge) cannot
    // be read: it goes to a side where it fits, or at worst slides back onto the screen.
    const QPointF point = screenPoint();
    const AttachedWindowGeometry::Surroundings around = surroundings();
    const int placed = m_geometry.sideThatFits(point, m_side, m_view->size(), around);
    const bool moved = placed != m_placedSide;
    m_placedSide = placed;
    const QRectF frame = AttachedWindowGeometry::keptOnScreen(m_geometry.updateGeometry(point, placed, m_view->size()),
                                                              around.visibleFrame);
    WindowGeometry::setFrame(this, frame);
    // Our geometry grows upwards; the widget's grows downwards.
    const QRectF view = m_geometry.viewFrame();
    m_view->setGeometry(
        QRectF(view.x(), frame.height() - view.y() - view.height(), view.width(), view.height()).toRect());
    return moved;
}

void MAAttachedWindow::updateBackground()
{
    const QSize size = geometry().size();
    QImage picture(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(0, size.height());
        painter.scale(1, -1);
        const QPainterPath outline = m_geometry.backgroundPath(m_placedSide);
        // The picture is clear, so copying the fill in gives what blending would; Qt blends a
        // translucent fill on its own thread pool, out of the thread checker's sight.
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillPath(outline, m_fill);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (m_geometry.borderWidth() > 0) {
            // A stroke twice as wide, of which only the half inside the outline shows.
            QPainterPathStroker stroker;
            stroker.setWidth(2 * m_geometry.borderWidth() * m_geometry.scale());
            stroker.setJoinStyle(Qt::RoundJoin);
            painter.fillPath(stroker.createStroke(outline).intersected(outline), m_borderColor);
        }
    }
    // Only the outline is window: where no compositor blends windows, a clear pixel would
    // otherwise come out black.
    setMask(QRegion(QBitmap::fromImage(picture.createAlphaMask())));
    m_background = picture;
    ++m_renderCount;
    if (isVisible())
        update();
}

void MAAttachedWindow::redisplay()
{
    if (m_resizing)
        return;
    m_resizing = true;
    updateWindowGeometry();
    updateBackground();
    m_resizing = false;
}

void MAAttachedWindow::apply(AttachedWindowGeometry::Update update)
{
    if (update == AttachedWindowGeometry::Update::Background)
        updateBackground();
    else if (update == AttachedWindowGeometry::Update::Redisplay)
        redisplay();
}

void MAAttachedWindow::setBackgroundColor(const QBrush &fill)
{
    if (fill == m_fill)
        return;
    m_fill = fill;
    updateBackground();
}

void MAAttachedWindow::setBorderColor(const QColor &color)
{
    if (color == m_borderColor)
        return;
    m_borderColor = color;
    updateBackground();
}

void MAAttachedWindow::setBackgroundImage(const QImage &image)
{
    if (!image.isNull())
        setBackgroundColor(QBrush(image));
}

void MAAttachedWindow::setBorderWidth(float value)
{
    apply(m_geometry.setBorderWidth(value));
}
void MAAttachedWindow::setViewMargin(float value)
{
    apply(m_geometry.setViewMargin(value));
}
void MAAttachedWindow::setArrowBaseWidth(float value)
{
    apply(m_geometry.setArrowBaseWidth(value));
}
void MAAttachedWindow::setArrowHeight(float value)
{
    apply(m_geometry.setArrowHeight(value));
}
void MAAttachedWindow::setHasArrow(float value)
{
    apply(m_geometry.setHasArrow(value));
}
void MAAttachedWindow::setCornerRadius(float value)
{
    apply(m_geometry.setCornerRadius(value));
}
void MAAttachedWindow::setDrawsRoundCornerBesideArrow(float value)
{
    apply(m_geometry.setDrawsRoundCornerBesideArrow(value));
}

void MAAttachedWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, m_background);
}

void MAAttachedWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    redisplay();
}
