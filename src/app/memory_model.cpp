#include "app/memory_model.h"

#include "machine/memory_window.h"

#include <QApplication>
#include <algorithm>
#include <iterator>

#include "app/aid_colours.h"

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

void MemoryModel::announce(const std::set<int>& memoryIndexes)
{
    for (int n : memoryIndexes) {
        const int row = rowOf(n);
        if (row >= 0 && row < shown_) Q_EMIT dataChanged(index(row, 0), index(row, 1), {Qt::BackgroundRole, Qt::DecorationRole});
    }
}

void MemoryModel::setMarks(int currentRow, std::set<int> changedRows, std::set<int> breakpointRows)
{
    std::set<int> touched;
    if (currentRow != current_) touched.insert({current_, currentRow});
    std::set_symmetric_difference(changed_.begin(), changed_.end(), changedRows.begin(), changedRows.end(),
                                  std::inserter(touched, touched.end()));
    std::set_symmetric_difference(breakpoints_.begin(), breakpoints_.end(), breakpointRows.begin(),
                                  breakpointRows.end(), std::inserter(touched, touched.end()));
    current_ = currentRow;
    changed_ = std::move(changedRows);
    breakpoints_ = std::move(breakpointRows);
    announce(touched);
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
    if (role == Qt::BackgroundRole) {
        const QPalette palette = QApplication::palette();
        if (index.column() == 1 && changed_.contains(n)) return changedBackground(palette);
        if (n == current_) return currentBackground(palette);
    }
    if (role == Qt::DecorationRole && index.column() == 0 && breakpoints_.contains(n))
        return breakpointColour(QApplication::palette());
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
