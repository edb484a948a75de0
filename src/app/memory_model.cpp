#include "app/memory_model.h"

#include "machine/memory_window.h"

namespace korvanta::app {

MemoryModel::MemoryModel(MemoryWindow& window, QObject* parent)
    : QAbstractTableModel(parent), window_(window), shown_(window.rowCount())
{
    removedId_ = window_.rowsRemoved.connect([this] {
        // The rows are gone already; the views only need to forget them.
        if (shown_ == 0) return;
        beginRemoveRows({}, 0, shown_ - 1);
        shown_ = 0;
        endRemoveRows();
    });
    appendedId_ = window_.rowAppended.connect([this](int n) {
        const int row = rowOf(n);
        beginInsertRows({}, row, row);
        shown_ = window_.rowCount();
        endInsertRows();
    });
    replacedId_ = window_.rowReplaced.connect([this](int n) {
        const int row = rowOf(n);
        if (row < 0 || row >= shown_) return;
        Q_EMIT dataChanged(index(row, 1), index(row, 1), {Qt::DisplayRole});
    });
}

MemoryModel::~MemoryModel()
{
    window_.rowsRemoved.disconnect(removedId_);
    window_.rowAppended.disconnect(appendedId_);
    window_.rowReplaced.disconnect(replacedId_);
}

int MemoryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shown_;
}

int MemoryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant MemoryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= shown_) return {};
    const int n = memoryIndexOf(index.row());
    if (!window_.hasRow(n)) return {};
    if (role == Qt::DisplayRole) {
        const std::string& text = index.column() == 0 ? window_.address(n) : window_.data(n);
        return QString::fromStdString(text);
    }
    return {};
}

QVariant MemoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) {
        if (section == 0) return QStringLiteral("Address");
        if (section == 1) return QStringLiteral("Data");
        return {};
    }
    return section + 1;
}

}  // namespace korvanta::app
