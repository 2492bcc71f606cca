#pragma once

#include "platform/system/ProgressIndicator.h"

#include <QPixmap>
#include <QRect>
#include <QStyledItemDelegate>

#include <functional>

class QZSpinnerView;

// The status column's cell: a coloured dot for the row's state, or the row's own spinner
// while the row is being cleaned, 12 points in from the left edge; the text follows.
// One cell serves every row, so its state is set again for each row just before the row is
// drawn (willDisplayCell); a row that matches no rule keeps the previous row's state.
class QZStatusCell : public QStyledItemDelegate
{
    Q_OBJECT
public:
    // Held as an int underneath, so a value past Yellow stays well defined (it draws yellow).
    enum State : int { NoImage = -2, Blue = -1, Green = 0, Red = 1, Spinner = 2, Yellow = 3 };

    explicit QZStatusCell(QObject *parent = nullptr);
    ~QZStatusCell() override;

    // Retains the spinner and sizes it to fit its control size.
    void setProgress(const platform::ProgressIndicatorPtr &progress);
    platform::ProgressIndicatorPtr progress() const { return m_progress; }
    void startSpinning();
    void stopSpinning();
    void setCurrentStatus(State status) { m_currentStatus = status; }
    State currentStatus() const { return m_currentStatus; }
    // Puts the held spinner into `view` (once; later calls only show it again).
    void addProgressToView(QWidget *view);
    // The view showing the spinner, when it has been put into one.
    QZSpinnerView *spinnerView(const platform::ProgressIndicatorPtr &progress) const;

    // Called with the row's index before each row is drawn.
    std::function<void(QZStatusCell *cell, int row)> willDisplayCell;

    // Where algorithm-wise things go in a cell frame: the image (or spinner) and the text.
    struct Layout
    {
        QRect image;
        QRect text;
    };
    Layout layoutFor(const QRect &frame) const;
    // The dot of a state, from the bundle's "<name>.png"; null for the spinner and below -1.
    static QPixmap imageForStatus(State status);
    static QString imageNameForStatus(State status);

    // The frame the cell lays itself out in: the row's rectangle cut to the height of a line
    // and centred in it, so that the dots sit beside the text as in a plain text cell.
    static QRect cellFrame(const QStyleOptionViewItem &option);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    platform::ProgressIndicatorPtr m_progress;
    QSize m_progressSize;
    State m_currentStatus = Blue;
};
