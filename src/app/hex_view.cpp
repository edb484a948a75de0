#include "app/hex_view.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <iterator>

#include "app/aid_colours.h"
#include "app/byte_delegate.h"
#include "app/field_binding.h"
#include "engine/simulator.h"
#include "machine/hex_text.h"

namespace korvanta::app {

namespace {

// The value of a two-digit HexByte text, or -1 for any other text.
int byteValue(const std::string& text)
{
    return text.size() == 2 ? static_cast<int>(HexTextValue(text)) : -1;
}

int addressValue(const std::string& text)
{
    return static_cast<int>(HexTextValue(text));
}

QFont monospace()
{
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

}  // namespace

// ---- HexModel ---------------------------------------------------------------

HexModel::HexModel(Simulator& sim, QObject* parent) : QAbstractTableModel(parent), sim_(sim)
{
    MemoryWindow& window = sim_.machine.window;
    shown_ = window.rowCount();
    quietTimer_.setInterval(100);
    connect(&quietTimer_, &QTimer::timeout, this, [this] {
        if (appendedSinceCheck_ == 0) finishRebuild();
        appendedSinceCheck_ = 0;
    });
    removedId_ = window.rowsRemoved.connect([this] {
        rebuildPending_ = true;
        if (shown_ == 0) return;
        beginResetModel();
        shown_ = 0;
        endResetModel();
    });
    appendedId_ = window.rowAppended.connect([this](int) { noteAppended(); });
    replacedId_ = window.rowReplaced.connect([this](int n) {
        if (rebuildPending_) {
            finishRebuild();  // the reset shows the new data too
            return;
        }
        if (n < 1 || n > shown_) return;
        const QModelIndex cell = indexOfMemory(n);
        Q_EMIT dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
        const QModelIndex ascii = index(cell.row(), kAsciiColumn);
        Q_EMIT dataChanged(ascii, ascii, {Qt::DisplayRole});
    });
}

HexModel::~HexModel()
{
    MemoryWindow& window = sim_.machine.window;
    window.rowsRemoved.disconnect(removedId_);
    window.rowAppended.disconnect(appendedId_);
    window.rowReplaced.disconnect(replacedId_);
}

void HexModel::noteAppended()
{
    rebuildPending_ = true;
    // A full window is the usual end of a rebuild: show it at once. The
    // rebuild runs the event loop between rows, so a pass of the loop tells
    // nothing; one that stops short is shown once its rows stop coming.
    if (sim_.machine.window.rowCount() >= MemoryWindow::kRows) {
        finishRebuild();
        return;
    }
    // Restarting a timer per row would cost more than the row: the timer
    // runs on and looks at how many rows came since it last looked.
    ++appendedSinceCheck_;
    if (!quietTimer_.isActive()) quietTimer_.start();
}

void HexModel::finishRebuild()
{
    quietTimer_.stop();
    appendedSinceCheck_ = 0;
    if (!rebuildPending_) return;
    beginResetModel();
    shown_ = sim_.machine.window.rowCount();
    rebuildPending_ = false;
    endResetModel();
}

int HexModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : (shown_ + kBytesPerRow - 1) / kBytesPerRow;
}

int HexModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kBytesPerRow + 1;
}

QModelIndex HexModel::indexOfMemory(int memoryIndex) const
{
    if (memoryIndex < 1 || memoryIndex > shown_) return {};
    return index((memoryIndex - 1) / kBytesPerRow, (memoryIndex - 1) % kBytesPerRow);
}

int HexModel::memoryIndexOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this || index.column() >= kBytesPerRow) return 0;
    const int n = index.row() * kBytesPerRow + index.column() + 1;
    return n <= shown_ ? n : 0;
}

QString HexModel::asciiText(int row) const
{
    QString text;
    const MemoryWindow& window = sim_.machine.window;
    for (int c = 0; c < kBytesPerRow; ++c) {
        const int n = row * kBytesPerRow + c + 1;
        if (n > shown_) break;
        const int value = byteValue(window.data(n));
        if (value < 0)
            text += QLatin1Char('?');
        else if (value >= 0x20 && value <= 0x7E)
            text += QLatin1Char(char(value));
        else
            text += QLatin1Char('.');
    }
    return text;
}

QVariant HexModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (index.column() == kAsciiColumn) {
        if (role == Qt::DisplayRole) return asciiText(index.row());
        if (role == Qt::AccessibleTextRole) return QStringLiteral("ASCII ") + asciiText(index.row());
        return {};
    }
    const int n = memoryIndexOf(index);
    if (n == 0) return {};
    const MemoryWindow& window = sim_.machine.window;
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return QString::fromStdString(window.data(n));
        case Qt::TextAlignmentRole:
            return int(Qt::AlignCenter);
        case Qt::ToolTipRole:
        case Qt::AccessibleTextRole: {
            QString tip = QString::fromStdString(window.address(n)) + QStringLiteral(": ") +
                          QString::fromStdString(window.data(n));
            if (breakpoints_.contains(n)) tip += QStringLiteral(" (breakpoint)");
            return tip;
        }
        case Qt::BackgroundRole: {
            const QPalette palette = QApplication::palette();
            if (changed_.contains(n)) return changedBackground(palette);
            if (n == current_) return currentBackground(palette);
            return {};
        }
        case Qt::ForegroundRole:
            if (breakpoints_.contains(n)) return breakpointColour(QApplication::palette());
            return {};
        case Qt::FontRole:
            if (breakpoints_.contains(n)) {
                QFont bold = monospace();
                bold.setBold(true);
                return bold;
            }
            return {};
        default:
            return {};
    }
}

QVariant HexModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) {
        if (section == kAsciiColumn) return QStringLiteral("ASCII");
        if (section >= 0 && section < kBytesPerRow) return QString::number(section, 16).toUpper();
        return {};
    }
    const int n = section * kBytesPerRow + 1;
    if (section < 0 || n > shown_) return {};
    return QString::fromStdString(sim_.machine.window.address(n));
}

Qt::ItemFlags HexModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (memoryIndexOf(index) != 0 && !sim_.machine.run.running) f |= Qt::ItemIsEditable;
    return f;
}

bool HexModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const int n = memoryIndexOf(index);
    if (role != Qt::EditRole || n == 0 || sim_.machine.run.running) return false;
    // The same text the dialog's entry field could hold: filtered keys, two at most.
    std::string text;
    for (QChar qc : value.toString()) {
        if (qc.unicode() >= 128) return false;
        const std::optional<char> c = MemoryCommands::DialogKeyFilter(char(qc.unicode()));
        if (!c || *c == '\b') return false;
        text += *c;
    }
    if (text.size() > 2) return false;
    sim_.machine.memoryCommands.EditByte(n, text);  // announces the cell through rowReplaced
    return true;
}

void HexModel::announceCells(const std::set<int>& memoryIndexes)
{
    for (int n : memoryIndexes) {
        const QModelIndex cell = indexOfMemory(n);
        if (cell.isValid())
            Q_EMIT dataChanged(cell, cell,
                               {Qt::BackgroundRole, Qt::ForegroundRole, Qt::FontRole, Qt::ToolTipRole});
    }
}

void HexModel::setCurrentRow(int memoryIndex)
{
    if (memoryIndex == current_) return;
    const std::set<int> touched = {current_, memoryIndex};
    current_ = memoryIndex;
    announceCells(touched);
}

void HexModel::setChangedRows(std::set<int> memoryIndexes)
{
    std::set<int> touched;
    std::set_symmetric_difference(changed_.begin(), changed_.end(), memoryIndexes.begin(),
                                  memoryIndexes.end(), std::inserter(touched, touched.end()));
    changed_ = std::move(memoryIndexes);
    announceCells(touched);
}

void HexModel::setBreakpointRows(std::set<int> memoryIndexes)
{
    std::set<int> touched;
    std::set_symmetric_difference(breakpoints_.begin(), breakpoints_.end(), memoryIndexes.begin(),
                                  memoryIndexes.end(), std::inserter(touched, touched.end()));
    breakpoints_ = std::move(memoryIndexes);
    announceCells(touched);
}

// ---- HexView ----------------------------------------------------------------

HexView::HexView(Simulator& sim, QWidget* parent)
    : QTableView(parent), sim_(sim), model_(new HexModel(sim, this))
{
    setObjectName(QStringLiteral("HexView"));
    setAccessibleName(QStringLiteral("Memory as a hex dump"));
    setAccessibleDescription(
        QStringLiteral("Sixteen bytes a row; type two hexadecimal digits to change a byte"));
    setModel(model_);
    setItemDelegate(new ByteDelegate(
        QStringLiteral("hexByteEditor"), QStringLiteral("Memory byte"),
        [](QLineEdit*, char typed, bool* enter) { return MemoryCommands::DialogKeyFilter(typed, enter); }, this));
    setFont(monospace());
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);  // Tab leaves the dump, the arrows move in it
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu* menu = createContextMenu(indexAt(pos));
        if (!menu) return;
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(viewport()->mapToGlobal(pos));
    });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (following_) return;
        if (const int n = model_->memoryIndexOf(current)) Q_EMIT memoryRowActivated(n);
    });
    sizeColumns();
}

HexView::~HexView()
{
    setModel(nullptr);
}

void HexView::sizeColumns()
{
    const QFontMetrics metrics(font());
    const int digit = metrics.horizontalAdvance(QLatin1Char('0'));
    // Half a digit each side, as a printed dump spaces its bytes: the whole
    // row, ASCII included, then fits the dock beside the pages.
    const int byteWidth = metrics.horizontalAdvance(QStringLiteral("00")) + digit;
    for (int c = 0; c < HexModel::kBytesPerRow; ++c) setColumnWidth(c, byteWidth);
    setColumnWidth(HexModel::kAsciiColumn,
                   metrics.horizontalAdvance(QString(HexModel::kBytesPerRow, QLatin1Char('W'))) + 2 * digit);
    verticalHeader()->setDefaultSectionSize(metrics.height() + digit);
    verticalHeader()->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("0000")) + 2 * digit);
}

QSize HexView::sizeHint() const
{
    // A digit's width to spare keeps the horizontal scroll bar away.
    int width = std::max(verticalHeader()->sizeHint().width(), verticalHeader()->minimumWidth()) +
                2 * frameWidth() + verticalScrollBar()->sizeHint().width() +
                QFontMetrics(font()).horizontalAdvance(QLatin1Char('0'));
    for (int c = 0; c <= HexModel::kAsciiColumn; ++c) width += columnWidth(c);
    const int height = horizontalHeader()->sizeHint().height() + 16 * verticalHeader()->defaultSectionSize() +
                       2 * frameWidth() + horizontalScrollBar()->sizeHint().height();
    return {width, height};
}

void HexView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) sizeColumns();
    QTableView::changeEvent(event);
}

QMenu* HexView::createContextMenu(const QModelIndex& index)
{
    const int n = model_->memoryIndexOf(index);
    if (n == 0) return nullptr;
    const std::string& addressText = sim_.machine.window.address(n);
    const int address = addressValue(addressText);
    if (address < 0) return nullptr;
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("hexContextMenu"));
    QAction* toggle =
        menu->addAction(QStringLiteral("Toggle breakpoint at %1").arg(QString::fromStdString(addressText)));
    toggle->setObjectName(QStringLiteral("toggleBreakpoint"));
    connect(toggle, &QAction::triggered, this,
            [this, address] { sim_.breakpoints.toggleAddress(static_cast<std::uint16_t>(address)); });
    return menu;
}

void HexView::showMemoryRow(int memoryIndex)
{
    const QModelIndex cell = model_->indexOfMemory(memoryIndex);
    if (!cell.isValid()) return;
    // Moved by the program, not by the user: nobody is told.
    following_ = true;
    setCurrentIndex(cell);
    following_ = false;
    scrollTo(cell);
}

}  // namespace korvanta::app
