#pragma once

#include <QWidget>

// One screw of the About window: the bundle's "screw.png", drawn with an opacity and turned
// about its centre, both animatable properties (the turn in radians, as a layer's
// "transform.rotation.z").
class QZScrewView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qreal opacity READ opacity WRITE setOpacity)
    Q_PROPERTY(qreal rotation READ rotation WRITE setRotation)
public:
    explicit QZScrewView(QWidget *parent = nullptr);

    qreal opacity() const { return m_opacity; }
    void setOpacity(qreal opacity);
    qreal rotation() const { return m_rotation; }
    void setRotation(qreal radians);

    QSize sizeHint() const override { return QSize(16, 16); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal m_opacity = 1.0;
    qreal m_rotation = 0.0;
};
