#include "app/learning_aids.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTableView>

#include "app/aid_colours.h"
#include "app/change_tracker.h"
#include "app/code_list.h"
#include "app/memory_model.h"
#include "engine/simulator.h"
#include "machine/hex_text.h"

namespace korvanta::app {

namespace {

int hexValue(const std::string& text)
{
    return static_cast<int>(HexTextValue(text));
}

QAction* makeAction(QObject* parent, const char* name, const QString& text, const QString& tip, QKeySequence keys)
{
    auto* action = new QAction(text, parent);
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(tip);
    action->setStatusTip(tip + QStringLiteral(" (") + keys.toString(QKeySequence::NativeText) + QStringLiteral(")"));
    action->setShortcut(keys);
    return action;
}

}  // namespace

LearningAids::LearningAids(Simulator& sim, CodeList& codeList, QTableView& memoryList, MemoryModel& memory,
                           QStatusBar& statusBar, QWidget& window)
    : QObject(&window), sim_(sim), codeList_(codeList), memoryList_(memoryList), memory_(memory),
      statusBar_(statusBar), changes_(new ChangeTracker(sim, this))
{
    stepBack_ = makeAction(this, "actionStepBack", tr("Step Back"), tr("Undo the last instruction"),
                           QKeySequence(Qt::SHIFT | Qt::Key_F10));
    runToLine_ = makeAction(this, "actionRunToLine", tr("Run to Line"),
                            tr("Run until the instruction of the selected line is next"),
                            QKeySequence(Qt::CTRL | Qt::Key_F10));
    toggleBreakpoint_ = makeAction(this, "actionToggleBreakpoint", tr("Toggle Breakpoint"),
                                   tr("Set or clear a breakpoint on the selected line"), QKeySequence(Qt::Key_F9));
    clearBreakpoints_ = makeAction(this, "actionClearBreakpoints", tr("Clear All Breakpoints"),
                                   tr("Remove every breakpoint"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F9));
    for (QAction* a : {stepBack_, runToLine_, toggleBreakpoint_, clearBreakpoints_}) window.addAction(a);
    connect(stepBack_, &QAction::triggered, this, &LearningAids::stepBack);
    connect(runToLine_, &QAction::triggered, this, &LearningAids::runToSelectedLine);
    connect(toggleBreakpoint_, &QAction::triggered, this, &LearningAids::toggleSelectedLineBreakpoint);
    connect(clearBreakpoints_, &QAction::triggered, this, [this] { sim_.breakpoints.clear(); });

    window.installEventFilter(this);
    sim_.setHistoryEnabled(true);
    codeList_.setBreakpointLookup([this](int line) { return sim_.breakpoints.hasLine(line); });
    connect(&codeList_, &CodeList::gutterClicked, this, [this](int line) { sim_.breakpoints.toggleLine(line); });
    connect(&codeList_, &CodeList::runToLineRequested, this, [this](int line) { sim_.runControl.RunToLine(line); });
    connect(changes_, &ChangeTracker::changed, this, &LearningAids::showHighlights);

    memoryList_.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&memoryList_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex index = memoryList_.indexAt(pos);
        if (!index.isValid()) return;
        const int row = MemoryModel::memoryIndexOf(index.row());
        QMenu menu(&memoryList_);
        QAction* toggle = menu.addAction(tr("Toggle Breakpoint at %1")
                                             .arg(QString::fromStdString(sim_.machine.window.address(row))));
        if (menu.exec(memoryList_.viewport()->mapToGlobal(pos)) == toggle) toggleAddressBreakpoint(row);
    });

    Machine& m = sim_.machine;
    connections_.push_back(m.events.started.connect([this] {
        running_ = true;
        ended_ = false;
        statusBar_.clearMessage();
        showMarks();
        enableCommands();
    }));
    connections_.push_back(m.events.paused.connect([this] {
        showMarks();
        enableCommands();
    }));
    connections_.push_back(m.events.ended.connect([this] {
        running_ = false;
        ended_ = true;
        showMarks();
        // The run's own bookkeeping ends after this: it counts as over already.
        stepBack_->setEnabled(sim_.history.canStepBack());
    }));
    connections_.push_back(m.events.breakpointHit.connect([this](int address) {
        const int line = sim_.breakpoints.lineAt(static_cast<std::uint16_t>(address));
        QString where = QString::asprintf("%04X", address);
        if (line >= 0) where += tr(" (line %1)").arg(line + 1);
        statusBar_.showMessage(tr("Stopped at breakpoint %1. Step goes on one instruction, Run to the next "
                                  "breakpoint.").arg(where));
    }));
    connections_.push_back(sim_.breakpoints.changed.connect([this] {
        codeList_.refreshGutter();
        showMarks();
    }));
    connections_.push_back(sim_.history.changed.connect([this] { enableCommands(); }));
    // A new program or a rebuilt window leaves nothing to mark.
    connections_.push_back(sim_.source.linesReset.connect([this] {
        ended_ = false;
        changes_->clear();
        showMarks();
    }));
    connections_.push_back(m.window.rowsRemoved.connect([this] { changes_->clear(); }));
    enableCommands();
}

LearningAids::~LearningAids()
{
    // The core outlives nothing here; drop every road back into this object.
    Machine& m = sim_.machine;
    m.events.started.disconnect(connections_[0]);
    m.events.paused.disconnect(connections_[1]);
    m.events.ended.disconnect(connections_[2]);
    m.events.breakpointHit.disconnect(connections_[3]);
    sim_.breakpoints.changed.disconnect(connections_[4]);
    sim_.history.changed.disconnect(connections_[5]);
    sim_.source.linesReset.disconnect(connections_[6]);
    m.window.rowsRemoved.disconnect(connections_[7]);
}

void LearningAids::watchField(const TextField& field, QLineEdit* edit)
{
    edits_[&field] = edit;
}

int LearningAids::currentMemoryRow() const
{
    const Machine& m = sim_.machine;
    if (!running_ && !ended_) return 0;
    return m.window.hasRow(m.LocationIndex) ? m.LocationIndex : 0;
}

int LearningAids::markedLine() const
{
    const Machine& m = sim_.machine;
    const int row = currentMemoryRow();
    if (row == 0) return -1;
    const int address = hexValue(m.window.address(row));
    if (address < 0) return -1;
    int line = sim_.breakpoints.lineAt(static_cast<std::uint16_t>(address));
    // After a HLT in Full 8085 mode PC is past it; the line that ran last is the one before.
    if (line < 0 && ended_ && address > 0) line = sim_.breakpoints.lineAt(static_cast<std::uint16_t>(address - 1));
    return line;
}

std::set<int> LearningAids::breakpointRows() const
{
    const Machine& m = sim_.machine;
    std::set<int> rows;
    if (!m.window.hasRow(1)) return rows;
    const int base = hexValue(m.window.address(1));
    for (std::uint16_t address : sim_.breakpoints.stopAddresses()) {
        const int row = address - base + 1;
        if (m.window.hasRow(row)) rows.insert(row);
    }
    return rows;
}

void LearningAids::showMarks()
{
    codeList_.setCurrentLine(markedLine());
    const int row = currentMemoryRow();
    memory_.setMarks(row, changes_->changedRows(), breakpointRows());
    if (row > 0) memoryList_.scrollTo(memory_.index(MemoryModel::rowOf(row), 0));
    Q_EMIT marksChanged();
}

bool LearningAids::eventFilter(QObject* watched, QEvent* event)
{
    // A tint mixed from the old palette's base would keep its light or dark
    // background under the new palette's text colour.
    if (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::PaletteChange)
        showHighlights();
    return QObject::eventFilter(watched, event);
}

void LearningAids::showHighlights()
{
    for (const auto& [field, edit] : edits_) {
        QPalette palette = QApplication::palette(edit);
        if (changes_->changedFields().contains(field)) palette.setColor(QPalette::Base, changedBackground(palette));
        edit->setPalette(palette);
        edit->setProperty("changed", changes_->changedFields().contains(field));
    }
    memory_.setMarks(currentMemoryRow(), changes_->changedRows(), breakpointRows());
    Q_EMIT marksChanged();
}

void LearningAids::enableCommands()
{
    const bool waiting = sim_.machine.run.running && sim_.machine.run.StepMode == kTrue;
    stepBack_->setEnabled(sim_.history.canStepBack() && (!sim_.machine.run.running || waiting));
}

void LearningAids::stepBack()
{
    sim_.runControl.StepBack();
    enableCommands();
}

void LearningAids::runToSelectedLine()
{
    const int line = sim_.source.selected() >= 0 ? sim_.source.selected() : codeList_.currentRow();
    sim_.runControl.RunToLine(line);
}

void LearningAids::toggleSelectedLineBreakpoint()
{
    const int line = sim_.source.selected();
    if (line >= 0) sim_.breakpoints.toggleLine(line);
}

void LearningAids::toggleAddressBreakpoint(int memoryIndex)
{
    const Machine& m = sim_.machine;
    if (!m.window.hasRow(memoryIndex)) return;
    const int address = hexValue(m.window.address(memoryIndex));
    if (address >= 0) sim_.breakpoints.toggleAddress(static_cast<std::uint16_t>(address));
}

}  // namespace korvanta::app
