#include "engine/run_control.h"

#include "assembler/assembler.h"
#include "assembler/program_source.h"
#include "engine/executor.h"
#include "engine/full_executor.h"
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
                       FullExecutor& full)
    : m_(m), source_(source), assembler_(assembler), executor_(executor), full_(full)
{
}

void RunControl::execute()
{
    if (m_.options.Full8085.get() == 1) full_.DoExecute();
    else executor_.DoExecute();
}

void RunControl::StartExecution()
{
    if (m_.run.running) return;
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
}

}  // namespace korvanta
