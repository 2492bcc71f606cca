#pragma once

#include <QWidget>

// A one-point light grey line along the top edge of the view, whatever part is redrawn.
class QZDividerView : public QWidget
{
    Q_OBJECT
public:
    explicit QZDividerView(QWidget *parent = nullptr);

    static QColor lineColor();

protected:
    void paintEvent(QPaintEvent *event) override;
};
