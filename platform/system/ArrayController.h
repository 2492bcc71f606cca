#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QMutex>
#include <QVariant>

#include <functional>
#include <memory>

namespace platform {

// The non-template half of ArrayController, so that views and signals need no template.
class ArrayControllerBase : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    // Index of a column by its identifier ("statusColumn"); -1 when there is none.
    virtual int columnWithIdentifier(const QString &identifier) const = 0;
signals:
    // A row's checkbox was changed through the model (the table's binding).
    void rowCheckChanged(int row, bool checked);
};

// A table model over shared-pointer rows, standing in for an array controller bound to a
// table: add and remove rows, read them back in their arranged order, and tell the views
// to reload. Columns are described once by the owner of the table. Row access is guarded
// by a lock so the cleaning worker can read the rows while the main thread shows them;
// model signals are only emitted on the main thread's calls.
template <class T>
class ArrayController : public ArrayControllerBase
{
public:
    using Ptr = std::shared_ptr<T>;

    struct Column
    {
        QString identifier;
        QString title;
        // Text (DisplayRole), image (DecorationRole), tool tips... for a row.
        std::function<QVariant(const T &row, int role)> data;
        // Checkbox columns: read and write the row's checked state.
        std::function<bool(const T &row)> isChecked;
        std::function<void(T &row, bool checked)> setChecked;
        bool hidden = false;
    };

    explicit ArrayController(QObject *parent = nullptr)
        : ArrayControllerBase(parent)
    {}

    void setColumns(QList<Column> columns)
    {
        beginResetModel();
        m_columns = std::move(columns);
        endResetModel();
    }
    const QList<Column> &columns() const { return m_columns; }

    int columnWithIdentifier(const QString &identifier) const override
    {
        for (int i = 0; i < m_columns.size(); ++i)
            if (m_columns[i].identifier == identifier)
                return i;
        return -1;
    }

    // Rows in their displayed order (a copy: safe to iterate while rows change).
    QList<Ptr> arrangedObjects() const
    {
        QMutexLocker lock(&m_mutex);
        return m_rows;
    }
    int count() const
    {
        QMutexLocker lock(&m_mutex);
        return int(m_rows.size());
    }

    void addObject(const Ptr &row)
    {
        const int at = count();
        beginInsertRows({}, at, at);
        {
            QMutexLocker lock(&m_mutex);
            m_rows.append(row);
        }
        endInsertRows();
    }
    void addObjects(const QList<Ptr> &rows)
    {
        if (rows.isEmpty())
            return;
        const int at = count();
        beginInsertRows({}, at, at + int(rows.size()) - 1);
        {
            QMutexLocker lock(&m_mutex);
            m_rows.append(rows);
        }
        endInsertRows();
    }
    void insertObject(const Ptr &row, int index)
    {
        index = std::clamp(index, 0, count());
        beginInsertRows({}, index, index);
        {
            QMutexLocker lock(&m_mutex);
            m_rows.insert(index, row);
        }
        endInsertRows();
    }
    bool removeObject(const Ptr &row)
    {
        const int at = indexOfObject(row);
        if (at < 0)
            return false;
        beginRemoveRows({}, at, at);
        {
            QMutexLocker lock(&m_mutex);
            m_rows.removeAt(at);
        }
        endRemoveRows();
        return true;
    }
    void removeAllObjects()
    {
        beginResetModel();
        {
            QMutexLocker lock(&m_mutex);
            m_rows.clear();
        }
        endResetModel();
    }
    void setContent(const QList<Ptr> &rows)
    {
        beginResetModel();
        {
            QMutexLocker lock(&m_mutex);
            m_rows = rows;
        }
        endResetModel();
    }
    // Sorts the rows in place with the given "less than".
    void sortUsing(const std::function<bool(const Ptr &, const Ptr &)> &lessThan)
    {
        beginResetModel();
        {
            QMutexLocker lock(&m_mutex);
            std::stable_sort(m_rows.begin(), m_rows.end(), lessThan);
        }
        endResetModel();
    }
    int indexOfObject(const Ptr &row) const
    {
        QMutexLocker lock(&m_mutex);
        return int(m_rows.indexOf(row));
    }
    Ptr objectAt(int index) const
    {
        QMutexLocker lock(&m_mutex);
        return index >= 0 && index < m_rows.size() ? m_rows[index] : Ptr();
    }
    // The rows' fields changed: views redraw every cell.
    void reload()
    {
        const int rows = count();
        if (rows > 0 && !m_columns.isEmpty())
            emit dataChanged(index(0, 0), index(rows - 1, int(m_columns.size()) - 1));
    }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : count(); }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_columns.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        const Ptr row = objectAt(index.row());
        if (!row || index.column() >= m_columns.size())
            return {};
        const Column &column = m_columns[index.column()];
        if (role == Qt::CheckStateRole && column.isChecked)
            return column.isChecked(*row) ? Qt::Checked : Qt::Unchecked;
        return column.data ? column.data(*row, role) : QVariant();
    }
    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        const Ptr row = objectAt(index.row());
        if (!row || index.column() >= m_columns.size() || role != Qt::CheckStateRole)
            return false;
        const Column &column = m_columns[index.column()];
        if (!column.setChecked)
            return false;
        const bool checked = value.toInt() == Qt::Checked;
        column.setChecked(*row, checked);
        emit dataChanged(index, index, {Qt::CheckStateRole});
        emit rowCheckChanged(index.row(), checked);
        return true;
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        Qt::ItemFlags f = ArrayControllerBase::flags(index);
        if (index.isValid() && index.column() < m_columns.size() && m_columns[index.column()].setChecked)
            f |= Qt::ItemIsUserCheckable;
        return f;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_columns.size())
            return m_columns[section].title;
        return {};
    }

private:
    mutable QMutex m_mutex;
    QList<Ptr> m_rows;
    QList<Column> m_columns;
};

} // namespace platform
