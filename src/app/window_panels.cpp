// The panels beside the pages: Full 8085 (ports, interrupts, T-states,
// console), the listing and the hex view, as dock widgets; and programs
// coming in by import, by a drop on the window, or as a sample.

#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QTabWidget>

#include "app/change_tracker.h"
#include "app/code_list.h"
#include "app/full_panel.h"
#include "app/hex_view.h"
#include "app/learning_aids.h"
#include "app/listing_view.h"
#include "app/main_window.h"
#include "app/memory_model.h"
#include "app/program_transfer.h"
#include "engine/simulator.h"

namespace korvanta::app {

namespace {

QDockWidget* dock(QMainWindow* window, QWidget* content, const QString& title, const char* name)
{
    auto* d = new QDockWidget(title, window);
    d->setObjectName(QString::fromLatin1(name));
    d->setWidget(content);
    d->setAccessibleName(title);
    d->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    window->addDockWidget(Qt::RightDockWidgetArea, d);
    return d;
}

}  // namespace

void SimulatorWindow::buildPanels()
{
    fullPanel_ = new FullPanel(*sim_);
    listing_ = new ListingView(*sim_);
    hexView_ = new HexView(*sim_);
    docks_ = {dock(this, fullPanel_, tr("Full 8085"), "DockFull8085"), dock(this, listing_, tr("Listing"), "DockListing"),
              dock(this, hexView_, tr("Hex View"), "DockHexView")};
    tabifyDockWidget(docks_[0], docks_[1]);
    tabifyDockWidget(docks_[1], docks_[2]);
    docks_[1]->raise();
    // A hex row is wider than the listing; the dock area widens for it, as far as the pages
    // beside it allow, rather than hiding the first columns behind a scroll bar.
    connect(docks_[2], &QDockWidget::visibilityChanged, this, [this](bool visible) {
        const int wanted = hexView_->sizeHint().width();
        if (visible && !docks_[2]->isFloating() && hexView_->width() < wanted)
            resizeDocks({docks_[2]}, {wanted + docks_[2]->width() - hexView_->width()}, Qt::Horizontal);
    });
    // The ports and interrupts matter in Full 8085 mode; the panel comes forward when it is chosen.
    sim_->machine.options.Full8085.changed.connect([this] {
        if (sim_->machine.options.Full8085.get() == 1) docks_[0]->raise();
    });

    // The aids mark the panels as they mark the code list and the memory list.
    connect(aids_, &LearningAids::marksChanged, this, [this] {
        HexModel* hex = hexView_->hexModel();
        hex->setCurrentRow(memoryModel_->markedCurrentRow());
        hex->setChangedRows(memoryModel_->markedChangedRows());
        hex->setBreakpointRows(memoryModel_->markedBreakpointRows());
        listing_->setCurrentLine(list2_->currentLine());
        const ChangeTracker& changes = aids_->changes();
        fullPanel_->markChanges(changes.changedPorts(), changes.tStatesChanged(), changes.interruptsChanged());
        if (memoryModel_->markedCurrentRow() > 0) hexView_->showMemoryRow(memoryModel_->markedCurrentRow());
    });
    // A listing row shows its line in the code list, which is not selected for it.
    connect(listing_, &ListingView::lineActivated, this, [this](int line) {
        tabs_->setCurrentIndex(1);
        if (QListWidgetItem* item = list2_->item(line)) list2_->scrollToItem(item, QAbstractItemView::PositionAtCenter);
    });
    connect(hexView_, &HexView::memoryRowActivated, this, [this](int row) {
        listView1_->scrollTo(memoryModel_->index(MemoryModel::rowOf(row), 0));
    });

    transfer_ = new ProgramTransfer(*sim_, *this);
    setAcceptDrops(true);
}

void SimulatorWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls() && event->mimeData()->urls().size() == 1 &&
        event->mimeData()->urls().front().isLocalFile())
        event->acceptProposedAction();
}

void SimulatorWindow::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile() || sim_->machine.run.running) return;
    event->acceptProposedAction();
    const QString path = urls.front().toLocalFile();
    // After the drop has finished: the question it may ask needs an event loop of its own.
    QMetaObject::invokeMethod(this, [this, path] { transfer_->dropFile(path); }, Qt::QueuedConnection);
}

}  // namespace korvanta::app
