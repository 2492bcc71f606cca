#pragma once

#include <QImage>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QWidget>

#include <map>
#include <memory>
#include <vector>

class QPainter;

namespace platform {

class BasicAnimation;

// A picture with a geometry, in its host's coordinates with the origin at the bottom left:
// its frame is `position` minus `anchorPoint` (a fraction of the size) times the size of
// `bounds`. Contents are not clipped to the bounds (the host view clips).
class Layer : public QObject
{
    Q_OBJECT
public:
    enum class ContentsGravity { Resize, Top };

    explicit Layer(QObject *parent = nullptr);
    ~Layer() override;

    QImage contents() const { return m_contents; }
    void setContents(const QImage &image);
    QRectF bounds() const { return m_bounds; }
    void setBounds(const QRectF &bounds);
    QPointF anchorPoint() const { return m_anchorPoint; }
    void setAnchorPoint(const QPointF &point);
    QPointF position() const { return m_position; }
    void setPosition(const QPointF &position);
    ContentsGravity contentsGravity() const { return m_gravity; }
    void setContentsGravity(ContentsGravity gravity);

    void addSublayer(const std::shared_ptr<Layer> &layer);
    void removeAllSublayers();
    const std::vector<std::shared_ptr<Layer>> &sublayers() const { return m_sublayers; }

    // Takes the animation and starts it on this layer; one per key, a new one replaces the
    // old. An animation the layer lets go of is stopped without telling its delegate.
    void addAnimation(BasicAnimation *animation, const QString &key);
    BasicAnimation *animationForKey(const QString &key) const;

    // The bounds as shown now (an animation of "bounds" overrides the model value).
    QRectF presentationBounds() const;
    // The frame as shown now, in the host's bottom-left coordinates.
    QRectF presentationFrame() const;
    // Draws the sublayers' contents (not this layer's own, and one level deep: that is all
    // our views need) into a host `hostHeight` high.
    void paintSublayers(QPainter &painter, qreal hostHeight) const;

signals:
    void changed();

private:
    void paint(QPainter &painter, qreal hostHeight) const;
    static void dropAnimation(BasicAnimation *animation);
    // Sets a model value and tells the host to draw again.
    template <typename T>
    void assign(T &field, const T &value);

    QImage m_contents;
    QRectF m_bounds;
    QPointF m_anchorPoint{0.5, 0.5};
    QPointF m_position;
    ContentsGravity m_gravity = ContentsGravity::Resize;
    std::vector<std::shared_ptr<Layer>> m_sublayers;
    std::map<QString, BasicAnimation *> m_animations;
};

// A layer-backed view: a clear, click-through widget that shows its root layer's sublayers.
class LayerView : public QWidget
{
    Q_OBJECT
public:
    explicit LayerView(QWidget *parent = nullptr);
    Layer *layer() const { return m_layer.get(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::unique_ptr<Layer> m_layer;
};

} // namespace platform
