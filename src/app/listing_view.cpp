#include "app/listing_view.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/aid_colours.h"
#include "app/qt_host.h"
#include "engine/simulator.h"

namespace korvanta::app {

namespace {

QFont monospace()
{
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

QString bytesText(const ListingLine& line)
{
    QStringList bytes;
    for (const std::string& b : line.bytes) bytes << QString::fromStdString(b);
    return bytes.join(QLatin1Char(' '));
}

// What an assembly leaves in the status field when it is over, whether it
// finished or stopped on a line: the listing of either is worth showing.
bool assemblyOver(const std::string& status)
{
    return status == "Finished Compiling!" || status == "Compiler Error";
}

}  // namespace

// ---- ListingModel -----------------------------------------------------------

ListingModel::ListingModel(Simulator& sim, QObject* parent) : QAbstractTableModel(parent), sim_(sim)
{
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(0);
    connect(&flushTimer_, &QTimer::timeout, this, &ListingModel::flushByteChanges);

    Machine& m = sim_.machine;
    ProgramSource& source = sim_.source;
    auto keep = [this](auto& signal, int id) {
        disconnects_.push_back([&signal, id] { signal.disconnect(id); });
    };
    keep(source.linesReset, source.linesReset.connect([this] { queueRefresh(); }));
    keep(source.lineInserted, source.lineInserted.connect([this](int) { queueRefresh(); }));
    keep(source.lineRemoved, source.lineRemoved.connect([this](int) { queueRefresh(); }));
    keep(m.ExecStatus.changed, m.ExecStatus.changed.connect([this, &m] {
        if (assemblyOver(m.ExecStatus.text())) refresh();
    }));
    keep(m.events.started, m.events.started.connect([this] { refresh(); }));
    keep(m.options.Full8085.changed, m.options.Full8085.changed.connect([this] { queueRefresh(); }));
    keep(m.window.rowsRemoved, m.window.rowsRemoved.connect([this] { queueRefresh(); }));
    keep(m.window.rowReplaced, m.window.rowReplaced.connect([this](int n) { rowWritten(n); }));
    refresh();
}

ListingModel::~ListingModel()
{
    for (auto& disconnect : disconnects_) disconnect();
}

void ListingModel::queueRefresh()
{
    if (refreshQueued_) return;
    refreshQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        if (refreshQueued_) refresh();
    });
}

void ListingModel::refresh()
{
    refreshQueued_ = false;
    flushTimer_.stop();
    pendingLines_.clear();
    const Machine& m = sim_.machine;
    beginResetModel();
    lines_ = BuildListing(m, sim_.source);
    full_ = m.options.Full8085.get() == 1;
    lineOfRow_.assign(MemoryWindow::kRows + 1, -1);
    for (const ListingEntry& entry : m.assembly.listing) {
        if (entry.line < 0 || entry.line >= int(lines_.size())) continue;
        for (int k = 0; k < entry.byteCount; ++k) {
            const int row = entry.firstRow + k;
            if (row >= 1 && row <= MemoryWindow::kRows) lineOfRow_[std::size_t(row)] = entry.line;
        }
    }
    if (current_ >= int(lines_.size())) current_ = -1;
    endResetModel();
    Q_EMIT refreshed(full_);
}

void ListingModel::rowWritten(int memoryIndex)
{
    if (refreshQueued_ || memoryIndex < 1 || memoryIndex >= int(lineOfRow_.size())) return;
    const int line = lineOfRow_[std::size_t(memoryIndex)];
    if (line < 0) return;
    pendingLines_.insert(line);
    if (!flushTimer_.isActive()) flushTimer_.start();
}

void ListingModel::flushByteChanges()
{
    flushTimer_.stop();
    if (pendingLines_.empty()) return;
    std::vector<ListingLine> now = BuildListing(sim_.machine, sim_.source);
    if (now.size() != lines_.size()) {  // the code list changed under us: a refresh is due anyway
        refresh();
        return;
    }
    // One announcement per run of neighbouring lines.
    int first = -1, last = -1;
    auto announce = [&] {
        if (first >= 0)
            Q_EMIT dataChanged(index(first, BytesColumn), index(last, TStatesColumn), {Qt::DisplayRole});
    };
    for (int line : pendingLines_) {
        if (line >= int(lines_.size())) continue;
        lines_[std::size_t(line)] = now[std::size_t(line)];
        if (first >= 0 && line == last + 1) {
            last = line;
            continue;
        }
        announce();
        first = last = line;
    }
    announce();
    pendingLines_.clear();
}

int ListingModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(lines_.size());
}

int ListingModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ListingModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(lines_.size())) return {};
    const ListingLine& line = lines_[std::size_t(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case NumberColumn:
                    return line.line + 1;
                case AddressColumn:
                    return line.address ? QString::fromStdString(*line.address) : QString();
                case BytesColumn:
                    return bytesText(line);
                case TStatesColumn:
                    return QString::fromStdString(line.tStates);
                case TextColumn:
                    return QString::fromStdString(line.text);
                default:
                    return {};
            }
        case Qt::ToolTipRole:  // a data line's bytes may not fit their column
            if (index.column() == BytesColumn && line.bytes.size() > 3) return bytesText(line);
            return {};
        case Qt::FontRole:
            return monospace();
        case Qt::TextAlignmentRole:
            return int(index.column() == NumberColumn ? Qt::AlignRight | Qt::AlignVCenter
                                                      : Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::BackgroundRole:
            if (index.row() == current_) return currentBackground(QApplication::palette());
            return {};
        default:
            return {};
    }
}

QVariant ListingModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    switch (section) {
        case NumberColumn:
            return QStringLiteral("#");
        case AddressColumn:
            return QStringLiteral("Address");
        case BytesColumn:
            return QStringLiteral("Bytes");
        case TStatesColumn:
            return QStringLiteral("T-states");
        case TextColumn:
            return QStringLiteral("Line");
        default:
            return {};
    }
}

QStringList ListingModel::textLines() const
{
    QStringList text;
    for (const std::string& line : ListingTextLines(lines_, full_)) text << QString::fromStdString(line);
    return text;
}

void ListingModel::setCurrentLine(int line)
{
    if (line < 0 || line >= int(lines_.size())) line = -1;
    if (line == current_) return;
    const int old = current_;
    current_ = line;
    for (int row : {old, line})
        if (row >= 0) Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1), {Qt::BackgroundRole});
}

// ---- ListingView ------------------------------------------------------------

ListingView::ListingView(Simulator& sim, QWidget* parent)
    : QWidget(parent), sim_(sim), model_(new ListingModel(sim, this))
{
    setObjectName(QStringLiteral("ListingView"));
    setAccessibleName(QStringLiteral("Program listing"));

    export_ = new QAction(QStringLiteral("Export listing…"), this);
    export_->setObjectName(QStringLiteral("exportListingAction"));
    export_->setToolTip(QStringLiteral("Write the listing to a text file"));
    print_ = new QAction(QStringLiteral("Print listing…"), this);
    print_->setObjectName(QStringLiteral("printListingAction"));
    print_->setToolTip(QStringLiteral("Print the listing"));
    connect(export_, &QAction::triggered, this, &ListingView::exportWithDialog);
    connect(print_, &QAction::triggered, this, &ListingView::printWithDialog);

    exportButton_ = new QToolButton;
    exportButton_->setObjectName(QStringLiteral("exportListingButton"));
    exportButton_->setDefaultAction(export_);
    exportButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    exportButton_->setAccessibleName(QStringLiteral("Export listing"));
    exportButton_->setFocusPolicy(Qt::StrongFocus);
    printButton_ = new QToolButton;
    printButton_->setObjectName(QStringLiteral("printListingButton"));
    printButton_->setDefaultAction(print_);
    printButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    printButton_->setAccessibleName(QStringLiteral("Print listing"));
    printButton_->setFocusPolicy(Qt::StrongFocus);

    table_ = new QTableView;
    table_->setObjectName(QStringLiteral("listingTable"));
    table_->setAccessibleName(QStringLiteral("Listing of the last assembly"));
    table_->setModel(model_);
    table_->setFont(monospace());
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->setTabKeyNavigation(false);
    table_->setShowGrid(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const QFontMetrics metrics(monospace());
    const int digit = metrics.horizontalAdvance(QLatin1Char('0'));
    table_->verticalHeader()->setDefaultSectionSize(metrics.height() + digit / 2);
    QHeaderView* header = table_->horizontalHeader();
    header->setStretchLastSection(true);
    header->setHighlightSections(false);
    const struct {
        int column;
        int characters;
    } widths[] = {{ListingModel::NumberColumn, 6},
                  {ListingModel::AddressColumn, 8},
                  {ListingModel::BytesColumn, 10},
                  {ListingModel::TStatesColumn, 9}};
    for (const auto& w : widths) table_->setColumnWidth(w.column, digit * w.characters);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(exportButton_);
    buttons->addWidget(printButton_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(buttons);
    layout->addWidget(table_, 1);

    setTabOrder(table_, exportButton_);
    setTabOrder(exportButton_, printButton_);

    connect(table_, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) Q_EMIT lineActivated(model_->lines()[std::size_t(index.row())].line);
    });
    connect(table_, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        if (index.isValid()) Q_EMIT lineActivated(model_->lines()[std::size_t(index.row())].line);
    });
    connect(model_, &ListingModel::refreshed, this, &ListingView::showTStatesColumn);
    showTStatesColumn(model_->showsTStates());
}

ListingView::~ListingView()
{
    table_->setModel(nullptr);
}

void ListingView::showTStatesColumn(bool on)
{
    table_->setColumnHidden(ListingModel::TStatesColumn, !on);
}

void ListingView::setCurrentLine(int line)
{
    model_->setCurrentLine(line);
    if (model_->currentLine() >= 0) table_->scrollTo(model_->index(model_->currentLine(), 0));
}

bool ListingView::exportListing(const QString& path, QString* error) const
{
    model_->flushByteChanges();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (error) *error = file.errorString();
        return false;
    }
    QByteArray text;
    for (const QString& line : model_->textLines()) text += line.toUtf8() + '\n';
    if (file.write(text) != text.size()) {
        if (error) *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    // QSaveFile flushes and renames only here: the old file stays whole until then.
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

bool ListingView::printListing(QPrinter& printer, QString* error) const
{
    model_->flushByteChanges();
    QtPrinter out(printer);
    try {
        const std::string face = monospace().family().toStdString();
        out.setFont(face, 12, true);
        out.printLine("Program listing");
        out.printLine("");
        out.setFont(face, 10, false);
        for (const QString& line : model_->textLines()) out.printLine(line.toStdString());
        out.endDocument();
    } catch (const SysError& e) {
        out.abortDocument();
        if (error) *error = QString::fromStdString(e.description);
        return false;
    }
    return true;
}

void ListingView::exportWithDialog()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export listing"), QString(),
                                                      QStringLiteral("Text files (*.txt);;All files (*)"));
    if (path.isEmpty()) return;
    QString error;
    if (!exportListing(path, &error))
        QMessageBox::warning(this, QStringLiteral("Export listing"),
                             QStringLiteral("The listing could not be written to %1: %2").arg(path, error));
}

void ListingView::printWithDialog()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("listing"));  // also names the file of "Print to File"
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("listingPrintDialog"));
    dialog.setWindowTitle(QStringLiteral("Print listing"));
    if (dialog.exec() != QDialog::Accepted) return;
    QString error;
    if (!printListing(printer, &error))
        QMessageBox::warning(this, QStringLiteral("Print listing"),
                             QStringLiteral("The listing could not be printed: %1").arg(error));
}

}  // namespace korvanta::app
