#include "engine/run_history.h"

#include <algorithm>

#include "machine/machine.h"

namespace korvanta {

namespace {

// Checkpoints enough to reach kDepth instructions back from any point of the
// newest stretch, with one to spare for the stretch in progress.
constexpr std::size_t kCheckpointsKept = RunHistory::kDepth / RunHistory::kCheckpointEvery + 2;

}  // namespace

cpu::Stop RaiseDueInterrupts(Machine& m, std::size_t& next)
{
    cpu::Cpu8085& cpu = m.full.cpu;
    const auto& schedule = m.full.schedule;
    bool raised = false;
    while (next < schedule.size() && schedule[next].afterInstruction <= cpu.instructions) {
        cpu.raise(schedule[next].line, schedule[next].vector);
        ++next;
        raised = true;
    }
    return raised ? cpu.acceptPending() : cpu::Stop::Limit;
}

RunHistory::RunHistory(Machine& m) : m_(m)
{
    m_.events.started.connect([this] {
        if (enabled_ && m_.options.Full8085.get() != 1) beginClassicRun();
    });
    // Rows rebuilt mid-run (a range change) make every note about rows wrong.
    m_.window.rowsRemoved.connect([this] {
        if (!restoring_) clear();
    });
    for (TextField* field : fields()) {
        field->changed.connect([this] {
            // A field changed after the run ended: what the notes would put back is no longer the
            // state the user sees before them.
            if (!restoring_ && !m_.run.running && canStepBack()) clear();
        });
    }
    m_.window.rowReplaced.connect([this](int row) {
        if (restoring_ || full_ || steps_.empty() || static_cast<std::size_t>(row) >= shadow_.size()) return;
        std::string& known = shadow_[static_cast<std::size_t>(row)];
        if (!m_.run.running) {
            // An edit after the run has ended: the notes no longer describe the machine.
            clear();
            return;
        }
        steps_.back().rows.emplace_back(row, known);
        known = m_.window.data(row);
    });
}

void RunHistory::setEnabled(bool on)
{
    if (enabled_ == on) return;
    enabled_ = on;
    clear();
}

void RunHistory::clear()
{
    const bool had = canStepBack();
    steps_.clear();
    checkpoints_.clear();
    shadow_.clear();
    nextCheckpoint_ = 0;
    if (had) changed.emit();
}

std::uint64_t RunHistory::depth() const
{
    if (!full_) return steps_.size();
    if (checkpoints_.empty()) return 0;
    return m_.full.cpu.instructions - checkpoints_.front().snapshot.instructions;
}

std::vector<TextField*> RunHistory::fields() const
{
    CpuFields& c = m_.cpu;
    return {&c.RegisterA, &c.RegisterB, &c.RegisterC, &c.RegisterD, &c.RegisterE, &c.RegisterH,
            &c.RegisterL, &c.SP,        &c.PC,        &c.Text2,     &c.Text4,     &c.Text5,
            &c.Text6,     &c.Text7,     &c.Text8,     &c.Text9,     &c.Text10,    &c.Text11};
}

void RunHistory::beginClassicRun()
{
    clear();
    full_ = false;
    look_ = {m_.List3.lines().size(), m_.Text13.text().size()};
    shadow_.assign(MemoryWindow::kRows + 1, std::string());
    for (int row = 1; row <= m_.window.rowCount(); ++row) shadow_[static_cast<std::size_t>(row)] = m_.window.data(row);
}

void RunHistory::beforeInstruction()
{
    if (!enabled_ || shadow_.empty()) return;
    ClassicStep step;
    const std::vector<TextField*> all = fields();
    for (std::size_t i = 0; i < all.size(); ++i) step.fields[i] = all[i]->text();
    step.locationIndex = m_.LocationIndex;
    step.count = m_.run.InstructionCount;
    step.returnPending = m_.returnSlot.ReturnPending;
    step.returnIndex = m_.returnSlot.ReturnIndex;
    steps_.push_back(std::move(step));
    if (steps_.size() > kDepth + 1) steps_.pop_front();
    if (steps_.size() == 1 || steps_.size() % 64 == 0) changed.emit();
}

void RunHistory::showRunning()
{
    m_.List3.truncate(look_.logLines);
    if (m_.Text13.text().size() > look_.systemLog) m_.Text13.setText(m_.Text13.text().substr(0, look_.systemLog));
    m_.SetStatus("Executing Program...", StatusColour::Yellow);
    m_.ErrorFlag = kFalse;
    m_.run.StopRequest = 0;
}

bool RunHistory::stepBack()
{
    if (!canStepBack()) return false;
    restoring_ = true;
    const bool done = full_ ? stepBackFull() : stepBackClassic();
    restoring_ = false;
    changed.emit();
    return done;
}

bool RunHistory::stepBackClassic()
{
    ClassicStep step = std::move(steps_.back());
    steps_.pop_back();
    for (auto it = step.rows.rbegin(); it != step.rows.rend(); ++it) {
        m_.memory.EnterintoMEMory(it->first, it->second);
        shadow_[static_cast<std::size_t>(it->first)] = it->second;
    }
    const std::vector<TextField*> all = fields();
    // The flag value first, which its bits follow; then the bits as they were, in case they disagreed.
    all[9]->setText(step.fields[9]);
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (i != 9) all[i]->setText(step.fields[i]);
    }
    m_.LocationIndex = step.locationIndex;
    m_.run.InstructionCount = step.count;
    m_.run.executed.set(static_cast<std::uint64_t>(step.count));
    m_.returnSlot.ReturnPending = step.returnPending;
    m_.returnSlot.ReturnIndex = step.returnIndex;
    showRunning();
    m_.view.selectAndScrollMemoryRow(m_.LocationIndex);
    return true;
}

void RunHistory::beginFullRun()
{
    clear();
    full_ = true;
    look_ = {m_.List3.lines().size(), m_.Text13.text().size()};
    nextCheckpoint_ = 0;
}

void RunHistory::checkpoint()
{
    if (!enabled_ || !full_) return;
    const cpu::Cpu8085& cpu = m_.full.cpu;
    // A copy at the same count replaces the older one: it knows what came from outside since.
    while (!checkpoints_.empty() && checkpoints_.back().snapshot.instructions >= cpu.instructions)
        checkpoints_.pop_back();
    FullCheckpoint cp;
    cp.snapshot = cpu.snapshot();
    cp.nextScheduled = 0;
    for (const ScheduledInterrupt& s : m_.full.schedule) {
        if (s.afterInstruction <= cpu.instructions) ++cp.nextScheduled;
    }
    const bool first = checkpoints_.empty();
    checkpoints_.push_back(std::move(cp));
    if (checkpoints_.size() > kCheckpointsKept) checkpoints_.pop_front();
    nextCheckpoint_ = cpu.instructions + kCheckpointEvery;
    if (first) changed.emit();
}

bool RunHistory::stepBackFull()
{
    cpu::Cpu8085& cpu = m_.full.cpu;
    const std::uint64_t target = cpu.instructions - 1;
    while (!checkpoints_.empty() && checkpoints_.back().snapshot.instructions > target) checkpoints_.pop_back();
    if (checkpoints_.empty()) return false;
    const FullCheckpoint& cp = checkpoints_.back();
    cpu.restore(cp.snapshot);
    std::size_t next = cp.nextScheduled;
    // The same instructions again, without breakpoints and with the same interrupts at the same counts.
    while (cpu.instructions < target) {
        const cpu::RunResult result = cpu.step();
        if (result.stop != cpu::Stop::Limit) break;  // cannot happen on a path that once ran on
        RaiseDueInterrupts(m_, next);
    }
    nextCheckpoint_ = cp.snapshot.instructions + kCheckpointEvery;
    if (fullStore_) fullStore_();
    showRunning();
    m_.view.selectAndScrollMemoryRow(m_.LocationIndex);
    return true;
}

}  // namespace korvanta
