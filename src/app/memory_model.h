#pragma once

// The memory window as the rows of ListView1: column 0 the address, column 1
// the data. The model holds no copy; it follows the window's signals.

#include <QAbstractTableModel>

#include <set>

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

    // The learning aids' marks, drawn as row backgrounds: the row of the
    // instruction at PC, the rows the last step changed, breakpoint rows.
    // Each change announces exactly the rows whose look changes.
    void setMarks(int currentRow, std::set<int> changedRows, std::set<int> breakpointRows);
    int markedCurrentRow() const { return current_; }
    const std::set<int>& markedChangedRows() const { return changed_; }
    const std::set<int>& markedBreakpointRows() const { return breakpoints_; }

    // MemoryIndex (1-based) to model row and back.
    static int rowOf(int memoryIndex) { return memoryIndex - 1; }
    static int memoryIndexOf(int row) { return row + 1; }

private:
    void announce(const std::set<int>& memoryIndexes);

    MemoryWindow& window_;
    int current_ = 0;
    std::set<int> changed_;
    std::set<int> breakpoints_;
    int shown_ = 0;  // rows announced to the views
    int removedId_ = 0, appendedId_ = 0, replacedId_ = 0;
};

}  // namespace korvanta::app
