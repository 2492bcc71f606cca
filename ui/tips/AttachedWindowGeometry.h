#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

// Placement and outline of an attached window, without any widget: the automatic side, the
// window frame for each side, the rounded outline with its arrow, and the limits that keep the
// outline's parts from overlapping. Coordinates have their origin at the bottom left and grow
// upwards (screen coordinates for frames, the window's own for the outline).
class AttachedWindowGeometry
{
public:
    // Where the window lies relative to its point.
    enum Side {
        Left = 0,         // vertically centred
        Below = 1,        // horizontally centred
        Right = 2,        // vertically centred
        Above = 3,        // horizontally centred
        LeftRising = 4,   // arrow near the bottom of the right edge
        LeftHanging = 5,  // arrow near the top of the right edge
        RightRising = 6,  // arrow near the bottom of the left edge
        RightHanging = 7, // arrow near the top of the left edge
        AboveLeft = 8,    // arrow near the right end of the bottom edge
        AboveRight = 9,   // arrow near the left end of the bottom edge
        BelowLeft = 10,   // arrow near the right end of the top edge
        BelowRight = 11,  // arrow near the left end of the top edge
        Automatic = 12,   // resolved once, when the window is made
    };

    // What a setter needs done to the window afterwards.
    enum class Update { None, Background, Redisplay };

    // Where the point sits: the screen's visible frame, and the frame of the window the point
    // belongs to (absent for a point given on the screen).
    struct Surroundings
    {
        QRectF visibleFrame;
        std::optional<QRectF> windowFrame;
    };

    AttachedWindowGeometry();

    float borderWidth() const { return m_borderWidth; }
    float viewMargin() const { return m_viewMargin; }
    float arrowBaseWidth() const { return m_arrowBaseWidth; }
    float arrowHeight() const { return m_arrowHeight; }
    float hasArrow() const { return m_hasArrow ? 1.0f : 0.0f; }
    float cornerRadius() const { return m_cornerRadius; }
    float drawsRoundCornerBesideArrow() const { return m_drawsRoundCornerBesideArrow ? 1.0f : 0.0f; }

    // The limits are taken against the view's size as last laid out.
    Update setBorderWidth(float value);
    Update setViewMargin(float value);
    Update setCornerRadius(float value);
    Update setArrowBaseWidth(float value);
    Update setArrowHeight(float value);
    Update setHasArrow(float value);
    Update setDrawsRoundCornerBesideArrow(float value);

    // The points' scale; 1.0 where the platform has none.
    double scale() const { return m_scale; }
    void setScale(double scale) { m_scale = scale; }

    // Gap between the point and the arrow's tip, unscaled.
    float distance() const { return m_distance; }
    void setDistance(float distance) { m_distance = distance; }

    // The distance from a corner of the window to the middle of an arrow placed at a corner.
    float arrowInset() const;
    // The side that fits best for a view of this size at point (screen coordinates).
    int bestSideForAutomaticPosition(const QPointF &point, const QSizeF &viewSize, const Surroundings &around) const;
    // Lays a view of this size out on `side` of the point: returns the window frame and keeps
    // the view's frame inside the window (viewFrame()).
    QRectF updateGeometry(const QPointF &point, int side, const QSizeF &viewSize);
    QRectF viewFrame() const { return m_viewFrame; }
    // The side to lay the view out on so that the window lies within the visible frame:
    // `side` itself when it fits there, else the side the automatic choice makes, else the
    // first other side that fits; `side` when none does (see keptOnScreen).
    int sideThatFits(const QPointF &point, int side, const QSizeF &viewSize, const Surroundings &around) const;
    // A window frame moved the least it takes to lie within the visible frame (as far as it can).
    static QRectF keptOnScreen(const QRectF &frame, const QRectF &visibleFrame);
    // The outline with its arrow, around the view frame, in the window's coordinates.
    QPainterPath backgroundPath(int side) const;

private:
    void appendArrowToPath(QPainterPath &path, int side) const;
    bool isSquareCorner(int side, int first, int second) const;

    float m_borderWidth = 2.0f;
    float m_viewMargin = 2.0f;
    float m_arrowBaseWidth = 20.0f;
    float m_arrowHeight = 16.0f;
    bool m_hasArrow = true;
    float m_cornerRadius = 8.0f;
    bool m_drawsRoundCornerBesideArrow = true;
    float m_distance = 0.0f;
    double m_scale = 1.0;
    QRectF m_viewFrame;
};
