#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QRegion>
#include <QTimer>
#include <QWidget>

// Shows a short looping animation of falling paper strips, frame by frame. The frames of a
// composition named "shred" are the bundle images "shred-00.png", "shred-01.png", ... in
// order. Without frames it renders nothing, but it still starts and pauses.
class QZStripsView : public QWidget
{
    Q_OBJECT
public:
    explicit QZStripsView(QWidget *parent = nullptr);

    // Loads the frames of the named composition; false when there are none.
    bool loadComposition(const QString &name);
    int frameCount() const { return int(m_frames.size()); }
    // The colour the view is cleared with before each frame.
    void setEraseColor(const QColor &color);
    QColor eraseColor() const { return m_eraseColor; }

    void startRendering();
    void pauseRendering();
    bool isRendering() const { return m_rendering; }
    int currentFrame() const { return m_frame; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Shapes the window to the frame shown when the view is clear, so that the clear parts
    // stay clear where no compositor blends windows.
    void shapeWindow();

    QList<QImage> m_frames;
    QList<QRegion> m_shapes;
    QColor m_eraseColor = Qt::transparent;
    QTimer m_clock;
    int m_frame = 0;
    bool m_rendering = false;
};
