#include "engine/run_control.h"

#include "assembler/assembler.h"
#include "assembler/program_source.h"
#include "engine/executor.h"
#include "engine/full_executor.h"
#include "assembler/breakpoints.h"
#include "engine/run_history.h"
#include "machine/machine.h"

namespace korvanta {

namespace {

// Marks a Run or Step as in progress for as long as it lasts, so that the
// commands arriving through the event loop meanwhile do not start a second
// run inside the first.
class RunningScope {
public:
    explicit RunningScope(RunState& run) : run_(run) { run_.running = true; }
    ~RunningScope() { run_.running = false; }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

private:
    RunState& run_;
};

}  // namespace

RunControl::RunControl(Machine& m, ProgramSource& source, Assembler& assembler, Executor& executor,
                       FullExecutor& full, Breakpoints& breakpoints, RunHistory& history)
    : m_(m), source_(source), assembler_(assembler), executor_(executor), full_(full), breakpoints_(breakpoints),
      history_(history)
{
    m_.events.breakpointHit.connect([this](int) {
        breakpoints_.clearTemporary();
        // The run waits as a Step does, and Run is how it goes on.
        m_.view.runEnabled.set(true);
    });
    m_.events.ended.connect([this] { breakpoints_.clearTemporary(); });
}

bool RunControl::waiting() const
{
    return m_.run.running && m_.run.StepMode == kTrue && m_.run.StepRequest != kTrue;
}

void RunControl::execute()
{
    if (m_.options.Full8085.get() == 1) full_.DoExecute();
    else executor_.DoExecute();
}

void RunControl::StartExecution()
{
    if (m_.run.running) {
        // A run that waits at a breakpoint goes on; one begun with Step does not.
        if (m_.run.resumable && waiting()) {
            m_.run.StepMode = kFalse;
            m_.run.StepRequest = kTrue;
            m_.view.runEnabled.set(false);
        }
        return;
    }
    RunningScope scope(m_.run);

    m_.view.runEnabled.set(false);
    m_.ErrorFlag = kFalse;
    if (source_.lineCount() == 0) {
        m_.Message(kEmptyProgramMessage);
        m_.view.runEnabled.set(true);
        return;
    }
    if (m_.run.ProgramCompiled == kFalse && m_.options.Check2.get() != 1) assembler_.CompileProgram();
    m_.view.runEnabled.set(true);
    m_.view.memoryViewVisible.set(true);
    if (m_.ErrorFlag == kTrue) return;

    m_.run.ProgramCompiled = kTrue;
    m_.view.runEnabled.set(false);
    if (m_.options.Check1.get() != 1) execute();
    m_.view.runEnabled.set(true);
}

void RunControl::StepProgram()
{
    if (m_.run.StepMode == kTrue) {  // a stepping run waits for this
        m_.run.StepRequest = kTrue;
        return;
    }
    if (m_.run.running) return;
    RunningScope scope(m_.run);

    if (m_.run.ProgramCompiled == kFalse && m_.options.Check1.get() != 1) assembler_.CompileProgram();
    m_.run.StepMode = kTrue;
    m_.run.StepRequest = kTrue;
    execute();
}

void RunControl::HALTExecution()
{
    m_.view.runEnabled.set(true);
    m_.ErrorFlag = kTrue;
    m_.run.StopRequest = 2;
    // A run the aids left waiting ends at once rather than after one more Step.
    if (m_.run.resumable && waiting()) m_.run.StepRequest = kTrue;
}

bool RunControl::StepBack()
{
    if (!history_.canStepBack()) return false;
    if (m_.run.running) {
        if (!waiting()) return false;  // only between instructions
        if (!history_.stepBack()) return false;
        m_.events.paused.emit();
        return true;
    }
    // The run has ended: put it back and let it wait before that instruction.
    RunningScope scope(m_.run);
    if (!history_.stepBack()) return false;
    m_.run.StepMode = kTrue;
    m_.run.StepRequest = kFalse;
    m_.run.resumable = true;
    m_.view.runEnabled.set(true);
    if (m_.options.Full8085.get() == 1) full_.Resume();
    else executor_.Resume();
    return true;
}

void RunControl::RunToLine(int line)
{
    if (line < 0 || line >= source_.lineCount()) return;
    if (m_.run.running) {
        if (!waiting()) return;
        breakpoints_.setTemporaryLine(line);
        m_.run.StepMode = kFalse;
        m_.run.StepRequest = kTrue;
        m_.view.runEnabled.set(false);
        return;
    }
    breakpoints_.setTemporaryLine(line);
    StartExecution();
}

void RunControl::RaiseInterrupt(cpu::Interrupt line, std::uint8_t vector)
{
    if (m_.options.Full8085.get() == 1 && m_.run.running) full_.Raise(line, vector);
}

}  // namespace korvanta
