#pragma once

#include <QStyledItemDelegate>

class QTextDocument;

// Draws a cell whose display text is rich text (the location labels: two lines in their own
// fonts and colours).
class QZRichTextCell : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Shortens every line wider than `width` in its middle with "…", in its own font, so a
    // long bundle path shows its start and its application rather than a cut word.
    static void elideLines(QTextDocument &doc, qreal width);
};
