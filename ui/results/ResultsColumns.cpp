#include "ui/results/ResultsColumns.h"

#include <QHeaderView>
#include <QIcon>
#include <QPixmap>
#include <QTableView>

using namespace Qt::StringLiterals;

QList<platform::ArrayController<resultItem>::Column> ResultsColumns::columns()
{
    using Column = platform::ArrayController<resultItem>::Column;
    auto text = [](QString (resultItem::*getter)() const) {
        return [getter](const resultItem &row, int role) -> QVariant {
            return role == Qt::DisplayRole ? QVariant((row.*getter)()) : QVariant();
        };
    };
    Column check;
    check.identifier = u"checkColumn"_s;
    check.isChecked = [](const resultItem &row) { return row.isTicked(); };
    check.setChecked = [](resultItem &row, bool checked) { row.setResultItemIsChecked(checked); };
    Column icon;
    icon.identifier = u"iconColumn"_s;
    icon.data = [](const resultItem &row, int role) -> QVariant {
        const platform::ImagePtr image = row.resultItemImage();
        if (role == Qt::DecorationRole && image && !image->isNull())
            return QIcon(QPixmap::fromImage(*image));
        return {};
    };
    Column name;
    name.identifier = u"nameColumn"_s;
    name.title = u"Item"_s;
    name.data = text(&resultItem::resultItemName);
    Column size;
    size.identifier = u"sizeColumn"_s;
    size.title = u"Size"_s;
    size.data = [](const resultItem &row, int role) -> QVariant {
        if (role == Qt::DisplayRole)
            return row.resultItemConvertedSize();
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    };
    // The dot or spinner; the text has its own column.
    Column status;
    status.identifier = u"statusColumn"_s;
    status.hidden = true;
    Column statusText;
    statusText.identifier = u"statusTextColumn"_s;
    statusText.title = u"Status"_s;
    statusText.data = text(&resultItem::resultItemStatusText);
    statusText.hidden = true;
    return {check, icon, name, size, status, statusText};
}

void ResultsColumns::layOut(QTableView *table, const QList<platform::ArrayController<resultItem>::Column> &columns)
{
    for (int i = 0; i < columns.size(); ++i)
        table->setColumnHidden(i, columns[i].hidden);
    QHeaderView *header = table->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->resizeSection(0, 28);
    header->resizeSection(1, 24);
    header->setSectionResizeMode(2, QHeaderView::Stretch);
    header->resizeSection(3, 90);
    header->resizeSection(4, 34);
    header->resizeSection(5, 150);
}
