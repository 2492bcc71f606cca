#include "ui/views/TableKeys.h"

#include <QAbstractItemView>
#include <QKeyEvent>

void TableKeys::install(QAbstractItemView *view)
{
    if (!view)
        return;
    view->setTabKeyNavigation(false);
    view->installEventFilter(new TableKeys(view));
}

bool TableKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if ((key->key() != Qt::Key_Space && key->key() != Qt::Key_Select) || key->modifiers() != Qt::NoModifier)
        return false;
    auto *view = qobject_cast<QAbstractItemView *>(watched);
    QAbstractItemModel *model = view ? view->model() : nullptr;
    const QModelIndex current = view ? view->currentIndex() : QModelIndex();
    if (!model || !current.isValid())
        return false;
    for (int column = 0; column < model->columnCount(current.parent()); ++column) {
        const QModelIndex box = model->index(current.row(), column, current.parent());
        const Qt::ItemFlags flags = model->flags(box);
        if (!(flags & Qt::ItemIsUserCheckable) || !(flags & Qt::ItemIsEnabled))
            continue;
        const bool ticked = box.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        model->setData(box, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        return true;
    }
    return false;
}
