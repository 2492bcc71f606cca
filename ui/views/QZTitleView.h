#pragma once

#include <QLinearGradient>
#include <QWidget>

// The title bar above the results: a grey gradient with a dark line at the top, a light body
// that darkens downwards and a short darker band at the bottom.
class QZTitleView : public QWidget
{
    Q_OBJECT
public:
    explicit QZTitleView(QWidget *parent = nullptr);

    // The gradient from the top to the bottom of `rect`.
    static QLinearGradient gradient(const QRectF &rect);

protected:
    void paintEvent(QPaintEvent *event) override;
};
