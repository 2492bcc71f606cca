#pragma once

#include <QObject>

class QAbstractItemView;

// The keys a list answers as on any desktop: Tab leaves the list for the next control (the
// buttons below it) instead of walking its cells, and Space ticks or unticks the current row's
// check box, whichever of the row's cells is current.
class TableKeys : public QObject
{
    Q_OBJECT
public:
    // The keys live as long as the view.
    static void install(QAbstractItemView *view);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
};
