#pragma once

// The machine context: the state that the main window owned, shared by every
// subsystem. Procedures live in the small classes it holds (conversions,
// memory, fields) and in the subsystems that take a Machine&.

#include <string>
#include <string_view>
#include <vector>

#include "machine/conversions.h"
#include "machine/cpu_fields.h"
#include "machine/full_state.h"
#include "machine/host.h"
#include "machine/memory_commands.h"
#include "machine/memory_ops.h"
#include "machine/memory_window.h"
#include "machine/text_field.h"
#include "machine/view_state.h"

namespace korvanta {

// Integer Booleans, as the program-wide variables have always been kept.
inline constexpr int kTrue = -1;
inline constexpr int kFalse = 0;

// Run, Step and Stop talk to the running loops only through these.
struct RunState {
    int StopRequest = 0;      // 2 after Stop
    int ProgramCompiled = kFalse;
    int StepMode = kFalse;
    int StepRequest = kFalse;
    bool running = false;     // a Run or Step is in progress (nested runs are refused)
    // Instructions the current or last run executed (a HLT that ended it included).
    Observable<std::uint64_t> executed{0};
    // The classic loop's count of this run, kept here so that a run can be
    // taken up again after a step back.
    int InstructionCount = 0;
    // The run waits at a breakpoint or after a step back: Run goes on at full
    // speed instead of being refused as during a run begun with Step.
    bool resumable = false;
};

// What runs tell the window's learning aids. The classic behaviour never
// depends on anyone listening.
struct RunEvents {
    Signal<> started;            // a run has begun (or been taken up again)
    Signal<> paused;             // a run waits for a Step
    Signal<> ended;              // a run has ended, whatever the way
    Signal<int> breakpointHit;   // the address a run stopped at, before its instruction
};

// Where one source line went: the rows it filled, or reserved with !!DS.
struct ListingEntry {
    int line = 0;          // zero-based index in the code list
    int firstRow = 0;      // MemoryIndex of the line's first byte (or the next byte, for a line that emits none)
    int byteCount = 0;     // rows written
    int reservedCount = 0; // rows reserved and left as they were
};

// Per assembly.
struct AssemblyState {
    int HaltAssembled = 0;
    std::string JumpTagDefs;  // 8-character records: tag, four-digit row
    std::string JumpTagRefs;
    // One entry per line assembled by the last assembly, in line order.
    std::vector<ListingEntry> listing;
    // The line the last assembly stopped on and highlighted, or -1.
    int failedLine = -1;
};

// The single return slot of CALL and RET.
struct ReturnSlot {
    int ReturnPending = 0;
    int ReturnIndex = 0;
};

struct DocumentState {
    int DocumentSaved = kFalse;
    std::string ProjectFileName;
    int ProjectNamed = kFalse;
    std::string StartDirectory;
    int ExitAfterSave = kFalse;
};

class Machine {
public:
    explicit Machine(Host& host);
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    Host& host;

    // The result slot of every conversion, and the one error channel.
    std::string ConvertedValue;
    int ErrorFlag = kFalse;

    // Main-window variables shared by the assembler, the routines and the executor.
    int LocationIndex = 1;
    int LineIndex = 0;
    std::string CurrentOpcode;
    std::string SourceLine;

    RunState run;
    RunEvents events;
    AssemblyState assembly;
    ReturnSlot returnSlot;
    DocumentState document;
    int SuppressRangeClick = 0;

    ViewState view;
    Options options;
    TextField Text1{"Text1", "0000", 4};  // start address

    // "Program Execution": program log, system log and status.
    ProgramLog List3;
    TextField Text13{"Text13"};
    TextField ExecStatus{"ExecStatus", "Engine Idle"};
    Observable<StatusColour> statusColour{StatusColour::None};

    MemoryWindow window;
    FullState full;
    Conversions conv;
    MemoryOps memory;
    CpuFields cpu;
    MemoryCommands memoryCommands;

    // Appends prefix, the date and time and CR LF to the system log.
    void AppendSystemLog(std::string_view prefix);
    void SetStatus(std::string_view text, StatusColour colour);
    // What every run shows as it begins, in either mode: the program log
    // opened with startLog, the start row found, the yellow status and the
    // system log's line, with two passes of the event loop to show them.
    void AnnounceRunStart(std::string_view startLog);

    // A message box titled with the application's name.
    MsgAnswer Message(std::string text, MsgIcon icon = MsgIcon::Critical);
};

}  // namespace korvanta
