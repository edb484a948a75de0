#pragma once

// The listing of the last assembly: every code-list line with its address,
// its bytes as memory holds them now, its T-states in Full 8085 mode and
// its text. It is made again after every assembly and follows memory
// writes, gathered so that a long run redraws each line once per pass of
// the event loop, not once per write. Exported as text and printed.

#include <QAbstractTableModel>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <set>
#include <vector>

#include "engine/listing.h"

class QAction;
class QPrinter;
class QTableView;
class QToolButton;

namespace korvanta {
class Simulator;
}

namespace korvanta::app {

class ListingModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NumberColumn, AddressColumn, BytesColumn, TStatesColumn, TextColumn, ColumnCount };

    explicit ListingModel(Simulator& sim, QObject* parent = nullptr);
    ~ListingModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Made again from the last assembly and the code list, in one reset.
    // Assemblies and runs call it; changes of the code list ask for it on
    // the next pass of the event loop.
    void refresh();
    // Shows the memory writes gathered so far now rather than on the next
    // pass of the event loop.
    void flushByteChanges();

    const std::vector<ListingLine>& lines() const { return lines_; }
    // Whether the T-states column means anything: Full 8085 mode at the last refresh.
    bool showsTStates() const { return full_; }
    // The listing as ListingTextLines writes it.
    QStringList textLines() const;

    // The line of the instruction at PC, marked with currentBackground(); -1 for none.
    void setCurrentLine(int line);
    int currentLine() const { return current_; }

Q_SIGNALS:
    // After every refresh, with showsTStates().
    void refreshed(bool withTStates);

private:
    void queueRefresh();
    void rowWritten(int memoryIndex);

    Simulator& sim_;
    std::vector<ListingLine> lines_;
    std::vector<int> lineOfRow_;  // by MemoryIndex: the line whose bytes it holds, or -1
    std::set<int> pendingLines_;  // lines whose bytes were written since the last flush
    QTimer flushTimer_;
    bool refreshQueued_ = false;
    bool full_ = false;
    int current_ = -1;
    std::vector<std::function<void()>> disconnects_;  // from the core's signals
};

class ListingView : public QWidget {
    Q_OBJECT
public:
    explicit ListingView(Simulator& sim, QWidget* parent = nullptr);
    ~ListingView() override;

    ListingModel* listingModel() const { return model_; }
    QTableView* table() const { return table_; }

    // "Export listing…" and "Print listing…", for the main window's menus too.
    QAction* exportAction() const { return export_; }
    QAction* printAction() const { return print_; }

    // Writes the listing to path atomically. On failure returns false with
    // the reason in *error.
    bool exportListing(const QString& path, QString* error = nullptr) const;
    // Prints the listing on a printer the caller has set up.
    bool printListing(QPrinter& printer, QString* error = nullptr) const;

    void setCurrentLine(int line);

Q_SIGNALS:
    // The user clicked or chose a line (zero-based index in the code list).
    void lineActivated(int line);

private:
    void exportWithDialog();
    void printWithDialog();
    void showTStatesColumn(bool on);

    Simulator& sim_;
    ListingModel* model_;
    QTableView* table_;
    QAction* export_;
    QAction* print_;
    QToolButton* exportButton_;
    QToolButton* printButton_;
};

}  // namespace korvanta::app
