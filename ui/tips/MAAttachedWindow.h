#pragma once

#include "ui/tips/AttachedWindowGeometry.h"

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

// A frameless, translucent window that shows one view inside a rounded, bordered outline
// whose arrow touches a point: a point of another window (which it then belongs to) or of the
// screen. The outline is drawn into a picture whenever its geometry or colours change, and the
// window paints that picture; painting never draws the outline again. The window is shaped to
// the outline, so that without a compositor the desktop shows around it, not black corners.
class MAAttachedWindow : public QWidget
{
    Q_OBJECT
public:
    using Side = AttachedWindowGeometry::Side;

    // The window is not on screen yet (the caller attaches it, usually as a child window).
    // No window without a view. `point` is in the base coordinates of `window`, or on the
    // screen without one; side 12 picks the side that fits.
    static std::unique_ptr<MAAttachedWindow> initWithView(QWidget *view, const QPointF &point, QWidget *window,
                                                          int side, float distance);
    static std::unique_ptr<MAAttachedWindow> initWithView(QWidget *view, const QPointF &point, QWidget *window,
                                                          float distance);
    static std::unique_ptr<MAAttachedWindow> initWithView(QWidget *view, const QPointF &point, int side,
                                                          float distance);
    static std::unique_ptr<MAAttachedWindow> initWithView(QWidget *view, const QPointF &point, float distance);
    static std::unique_ptr<MAAttachedWindow> initWithView(QWidget *view, const QPointF &point, QWidget *window);
    static std::unique_ptr<MAAttachedWindow> initWithView(QWidget *view, const QPointF &point, int side);
    static std::unique_ptr<MAAttachedWindow> initWithView(QWidget *view, const QPointF &point);

    // The view goes back to the parent it had before it was shown here.
    ~MAAttachedWindow() override;

    // It never becomes the main window and stays out of the window list; closing it closes
    // the window it belongs to.
    bool canBecomeMainWindow() const { return false; }
    bool canBecomeKeyWindow() const { return true; }
    bool isExcludedFromWindowsMenu() const { return true; }
    void performClose();

    QWidget *view() const { return m_view; }
    QWidget *attachedWindow() const { return m_window; }
    QPointF point() const { return m_point; }
    int side() const { return m_side; }
    // The side it is laid out on: its own side, or another where that one would leave the
    // screen.
    int placedSide() const { return m_placedSide; }
    float distance() const { return m_geometry.distance(); }
    // Moves the arrow to another point and side (12 stays 12 here: no side is chosen).
    void setPoint(const QPointF &point, int side);
    // Where the point lies now, asked each time the window it belongs to moves, is resized or
    // gets its frame; none keeps the point. Without a source the point stays where it was in
    // that window.
    using PointSource = std::function<std::optional<QPointF>()>;
    void setPointSource(PointSource source) { m_pointSource = std::move(source); }
    // Places the window again at the point's current place on the screen.
    void followAttachedWindow();

    QBrush windowBackgroundColor() const { return m_fill; }
    void setBackgroundColor(const QBrush &fill);
    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor &color);
    void setBackgroundImage(const QImage &image);
    float borderWidth() const { return m_geometry.borderWidth(); }
    void setBorderWidth(float value);
    float viewMargin() const { return m_geometry.viewMargin(); }
    void setViewMargin(float value);
    float arrowBaseWidth() const { return m_geometry.arrowBaseWidth(); }
    void setArrowBaseWidth(float value);
    float arrowHeight() const { return m_geometry.arrowHeight(); }
    void setArrowHeight(float value);
    float hasArrow() const { return m_geometry.hasArrow(); }
    void setHasArrow(float value);
    float cornerRadius() const { return m_geometry.cornerRadius(); }
    void setCornerRadius(float value);
    float drawsRoundCornerBesideArrow() const { return m_geometry.drawsRoundCornerBesideArrow(); }
    void setDrawsRoundCornerBesideArrow(float value);

    // The picture of the outline as last drawn, how many times it was drawn, and how many
    // times the window was laid out again.
    const QImage &backgroundPicture() const { return m_background; }
    int backgroundRenderCount() const { return m_renderCount; }
    int layoutCount() const { return m_layoutCount; }
    QRectF viewFrame() const { return m_geometry.viewFrame(); }

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    MAAttachedWindow(QWidget *view, const QPointF &point, QWidget *window, int side, float distance);

    QPointF screenPoint() const;
    AttachedWindowGeometry::Surroundings surroundings() const;
    int bestSideForAutomaticPosition() const;
    // Answers whether the window moved to another side (its outline then needs drawing again).
    bool updateWindowGeometry();
    void updateBackground();
    void redisplay();
    void apply(AttachedWindowGeometry::Update update);

    AttachedWindowGeometry m_geometry;
    QColor m_borderColor;
    QBrush m_fill;
    QPointer<QWidget> m_view;
    QPointer<QWidget> m_viewHome;
    QPointer<QWidget> m_window;
    QPointF m_point;
    PointSource m_pointSource;
    int m_side = Side::Automatic;
    int m_placedSide = Side::Automatic;
    bool m_resizing = false;
    QImage m_background;
    int m_renderCount = 0;
    int m_layoutCount = 0;
};
