#include "ui/QZRichTextCell.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPainter>
#include <QTextDocument>

namespace {
void prepare(QTextDocument &doc, const QStyleOptionViewItem &option, const QModelIndex &index)
{
    doc.setDocumentMargin(2);
    doc.setDefaultFont(option.font);
    doc.setHtml(index.data(Qt::DisplayRole).toString());
}
} // namespace

void QZRichTextCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    QTextDocument doc;
    prepare(doc, opt, index);

    // The cell's background and selection as the style draws them, without its plain text.
    opt.text.clear();
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    painter->save();
    const qreal top = textRect.top() + std::max(0.0, (textRect.height() - doc.size().height()) / 2.0);
    painter->translate(textRect.left(), top);
    painter->setClipRect(QRectF(0, 0, textRect.width(), textRect.height()));
    doc.drawContents(painter);
    painter->restore();
}

QSize QZRichTextCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    QTextDocument doc;
    prepare(doc, opt, index);
    return QSize(int(doc.idealWidth()), int(doc.size().height()));
}
