#pragma once

// A hex dump of the memory window beside the two-column memory list: 16
// bytes a row, the row's address as its header, and the bytes as ASCII.
// Like the memory list, the model keeps no copy of memory; it follows the
// window's signals. Bytes are edited by the rules of the Edit Memory dialog.

#include <QAbstractTableModel>
#include <QTableView>
#include <QTimer>

#include <set>

class QMenu;

namespace korvanta {
class Simulator;
}

namespace korvanta::app {

class HexModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kBytesPerRow = 16;
    static constexpr int kAsciiColumn = kBytesPerRow;  // the last column

    explicit HexModel(Simulator& sim, QObject* parent = nullptr);
    ~HexModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Stores through MemoryCommands::EditByte, which completes the text as
    // the dialog's Ok does. Refused while a run is in progress.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The byte cell of a memory row (MemoryIndex, 1-based) and back; an
    // invalid index or 0 for the ASCII column and cells past the last row.
    QModelIndex indexOfMemory(int memoryIndex) const;
    int memoryIndexOf(const QModelIndex& index) const;

    // The learning aids' marks, by MemoryIndex. Each setter announces the
    // byte cells whose look changes, and no others.
    void setCurrentRow(int memoryIndex);  // the byte at PC; 0 for none
    void setChangedRows(std::set<int> memoryIndexes);
    void setBreakpointRows(std::set<int> memoryIndexes);
    int currentRow() const { return current_; }
    const std::set<int>& changedRows() const { return changed_; }
    const std::set<int>& breakpointRows() const { return breakpoints_; }

    // A row's ASCII text: printable bytes as themselves, others as '.',
    // texts that are no byte ("**", "G7") as '?'.
    QString asciiText(int row) const;

private:
    void announceCells(const std::set<int>& memoryIndexes);
    void noteAppended();
    void finishRebuild();

    Simulator& sim_;
    // Memory rows announced to the views. A rebuild of the window appends
    // its rows one by one and lets the event loop run between them; they are
    // announced together, in one reset, when the last row arrives, when a
    // row is written, or once no row has come for a moment.
    int shown_ = 0;
    bool rebuildPending_ = false;
    int appendedSinceCheck_ = 0;
    QTimer quietTimer_;
    int current_ = 0;
    std::set<int> changed_;
    std::set<int> breakpoints_;
    int removedId_ = 0, appendedId_ = 0, replacedId_ = 0;
};

class HexView : public QTableView {
    Q_OBJECT
public:
    explicit HexView(Simulator& sim, QWidget* parent = nullptr);
    ~HexView() override;

    HexModel* hexModel() const { return model_; }

    // The context menu of a cell: "Toggle breakpoint at XXXX" on a byte.
    // The caller owns the menu; nothing for other cells.
    QMenu* createContextMenu(const QModelIndex& index);

    // Makes a memory row's byte the current cell and scrolls to it, without
    // memoryRowActivated: following PC is not the user's choice.
    void showMemoryRow(int memoryIndex);

    // Wide enough for every column, as high as 16 rows: a dock that takes
    // the hint shows whole rows, ASCII included.
    QSize sizeHint() const override;

Q_SIGNALS:
    // The user made this byte the current cell (MemoryIndex).
    void memoryRowActivated(int memoryIndex);

protected:
    void changeEvent(QEvent* event) override;

private:
    void sizeColumns();

    Simulator& sim_;
    HexModel* model_;
    bool following_ = false;  // showMemoryRow is moving the current cell
};

}  // namespace korvanta::app
