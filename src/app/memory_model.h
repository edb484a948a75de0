#pragma once

// The memory window as the rows of ListView1: column 0 the address, column 1
// the data. The model holds no copy; it follows the window's signals.

#include <QAbstractTableModel>

namespace korvanta {
class MemoryWindow;
}

namespace korvanta::app {

class MemoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit MemoryModel(MemoryWindow& window, QObject* parent = nullptr);
    ~MemoryModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // MemoryIndex (1-based) to model row and back.
    static int rowOf(int memoryIndex) { return memoryIndex - 1; }
    static int memoryIndexOf(int row) { return row + 1; }

private:
    MemoryWindow& window_;
    int shown_ = 0;  // rows announced to the views
    int removedId_ = 0, appendedId_ = 0, replacedId_ = 0;
};

}  // namespace korvanta::app
