#include "assembler/assembler.h"

#include <array>
#include <string>
#include <utility>

#include "assembler/program_source.h"
#include "machine/machine.h"

namespace korvanta {

namespace {

using R = Routine;

// Tested first, against the first four characters.
constexpr std::array<std::pair<std::string_view, Routine>, 10> kFourLetter{{
    {"STAX", R::STAX}, {"LDAX", R::LDAX}, {"PUSH", R::PUSH}, {"XTHL", R::XTHL}, {"SPHL", R::SPHL},
    {"CALL", R::CALL1}, {"XCHG", R::XCHG}, {"PCHL", R::PCHL}, {"SHLD", R::SHLD}, {"LHLD", R::LHLD},
}};

// Then against the first three; a two-letter mnemonic only matches when a
// blank or the end of the line follows it.
constexpr std::array<std::pair<std::string_view, Routine>, 70> kThreeLetter{{
    {"ACI", R::ACI}, {"MOV", R::MOV}, {"MVI", R::MVI}, {"LXI", R::LXI}, {"STA", R::STA},
    {"LDA", R::LDA}, {"JMP", R::JMP}, {"JC", R::JC}, {"POP", R::POP}, {"JNC", R::JNC},
    {"JZ", R::JZ}, {"JNZ", R::JNZ}, {"JP", R::JP}, {"JM", R::JM}, {"JPE", R::JPE},
    {"JPO", R::JPO}, {"CC", R::CC}, {"CNC", R::CNC}, {"CZ", R::CZ}, {"CNZ", R::CNZ},
    {"CP", R::CP}, {"CM", R::CM}, {"CPE", R::CPE}, {"CPO", R::CPO}, {"RET", R::RET},
    {"RC", R::RC}, {"RNC", R::RNC}, {"RZ", R::RZ}, {"RNZ", R::RNZ}, {"RP", R::RP},
    {"RM", R::RM}, {"RPE", R::RPE}, {"RPO", R::RPO}, {"RST", R::RST}, {"INR", R::INR},
    {"DCR", R::DCR}, {"INX", R::INX}, {"DCX", R::DCX}, {"ADD", R::ADD}, {"ADC", R::ADC},
    {"ADI", R::ADI}, {"DAD", R::DAD}, {"SUB", R::SUB1}, {"SBB", R::SBB}, {"SUI", R::SUI},
    {"DAA", R::DAA}, {"SBI", R::SBI}, {"ANA", R::ANA}, {"XRA", R::XRA}, {"ORA", R::ORA},
    {"CMP", R::CMP}, {"ANI", R::ANI}, {"XRI", R::XRI}, {"ORI", R::ORI}, {"CPI", R::CPI},
    {"RLC", R::RLC}, {"RRC", R::RRC}, {"RAL", R::RAL}, {"RAR", R::RAR}, {"CMA", R::CMA},
    {"CMC", R::CMC}, {"STC", R::STC}, {"NOP", R::NOP}, {"HLT", R::HLT}, {"IN", R::IN1},
    {"OUT", R::OUT}, {"EI", R::EI}, {"DI", R::DI}, {"RIM", R::RIM}, {"SIM", R::SIM},
}};

std::string_view trimBlanks(std::string_view text)
{
    auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

}  // namespace

LineKind RecogniseLine(std::string_view sourceLine, bool fullMode)
{
    std::string_view t4 = trimBlanks(sourceLine.substr(0, 4));
    if (t4 == "!!OR") return {LineKind::Origin, R::Count};
    for (const auto& [mnemonic, routine] : kFourLetter) {
        if (t4 == mnemonic) return {LineKind::Instruction, routine};
    }
    if (fullMode) {
        // The directive word and a blank: "!!DBG notes" stays a comment.
        std::string_view head = sourceLine.substr(0, 5);
        if (head == "!!DB ") return {LineKind::Bytes, R::Count};
        if (head == "!!DW ") return {LineKind::Words, R::Count};
        if (head == "!!DS ") return {LineKind::Space, R::Count};
    }
    if (t4.substr(0, 2) == "!!") return {LineKind::Comment, R::Count};
    std::string_view t3 = trimBlanks(sourceLine.substr(0, 3));
    for (const auto& [mnemonic, routine] : kThreeLetter) {
        if (t3 == mnemonic) return {LineKind::Instruction, routine};
    }
    return {};
}

Assembler::Assembler(Machine& m, ProgramSource& source, InstructionSet& isa) : m_(m), source_(source), isa_(isa) {}

void Assembler::ReportLineFailure(const char* text)
{
    m_.Message(text);
    source_.SelectLine(m_.LineIndex);
    m_.assembly.failedLine = m_.LineIndex;
    m_.SetStatus("Compiler Error", StatusColour::Red);
    m_.view.memoryViewVisible.set(true);
    m_.ErrorFlag = kTrue;
}

void Assembler::CompileProgram()
{
    m_.assembly.JumpTagDefs.clear();
    m_.assembly.JumpTagRefs.clear();
    m_.assembly.listing.clear();
    m_.assembly.failedLine = -1;
    const bool full = m_.options.Full8085.get() == 1;
    occupied_.assign(MemoryWindow::kRows + 2, 0);
    emittedAny_ = false;
    m_.Text13.setText("");
    m_.ErrorFlag = kFalse;
    m_.assembly.HaltAssembled = 0;
    m_.run.StopRequest = 0;

    m_.view.memorySorted.set(false);
    m_.view.memoryViewVisible.set(false);

    m_.memory.DetermineProgramStart();
    if (m_.ErrorFlag == kTrue) return;  // its message has been shown

    m_.LineIndex = 0;
    m_.SetStatus("Compiling Program...", StatusColour::Yellow);
    m_.AppendSystemLog("Compiling Program: ");
    m_.ErrorFlag = kFalse;

    while (m_.LineIndex < source_.lineCount()) {
        const std::string& line = source_.lines()[static_cast<std::size_t>(m_.LineIndex)];
        m_.SourceLine = line;
        // An empty line is where the program ends: what came before is kept
        // as it is, tags unresolved and no HLT added.
        if (m_.SourceLine.empty()) return;

        if (m_.SourceLine.size() >= 5 && m_.SourceLine[4] == ':') {
            std::string tag = m_.SourceLine.substr(0, 4);
            m_.SourceLine = std::string(trimBlanks(std::string_view(m_.SourceLine).substr(5)));
            m_.memory.GotoFOURdigitINDEX(m_.LocationIndex);
            m_.assembly.JumpTagDefs += tag;
            m_.assembly.JumpTagDefs += m_.ConvertedValue;
        }

        // A line whose bytes would run past the last row has its excess bytes
        // refused by the memory; it is reported as running out of memory.
        m_.memory.resetWritesOutside();
        const LineKind kind = RecogniseLine(m_.SourceLine, full);
        const int firstRow = m_.LocationIndex;
        switch (kind.kind) {
        case LineKind::Origin: full ? FullOrigin() : OrgChange(); break;
        case LineKind::Instruction: isa_.Call(kind.routine, kAssemble); break;
        case LineKind::Bytes:
        case LineKind::Words:
        case LineKind::Space: DataDirective(kind.kind); break;
        case LineKind::Comment: break;
        case LineKind::Unknown: m_.ErrorFlag = kTrue; break;
        }
        ListingEntry entry{m_.LineIndex, firstRow, 0, 0};
        if (kind.kind != LineKind::Origin && m_.LocationIndex > firstRow) {
            (kind.kind == LineKind::Space ? entry.reservedCount : entry.byteCount) = m_.LocationIndex - firstRow;
        } else if (kind.kind == LineKind::Origin) {
            entry.firstRow = m_.LocationIndex;
        }
        const bool places = kind.kind != LineKind::Origin && kind.kind != LineKind::Comment;
        if (full && places && m_.ErrorFlag != kTrue && m_.memory.writesOutside() == 0 &&
            !CheckEmitted(firstRow, m_.LocationIndex - firstRow, kind.kind == LineKind::Space))
            m_.ErrorFlag = kTrue;

        if (m_.memory.writesOutside() > 0) {
            ReportLineFailure(kCompileOutOfMemory);
            return;
        }
        if (m_.ErrorFlag == kTrue) {
            const std::string text =
                std::string(kCompilerPrefix) + (m_.run.StopRequest == 2 ? kUserHaltedCompile : kFlawedCode);
            ReportLineFailure(text.c_str());
            return;
        }
        if (m_.LocationIndex > MemoryWindow::kRows) {
            ReportLineFailure(kCompileOutOfMemory);
            return;
        }
        m_.assembly.listing.push_back(entry);
        ++m_.LineIndex;
    }

    // Unmatched tags set ErrorFlag, which keeps Run from running; the
    // assembly itself still finishes.
    SearchForJumpIds();

    if (m_.assembly.HaltAssembled == 0) {
        if (m_.options.Check3.get() == 1) {
            source_.AppendLine("HLT");
            m_.assembly.listing.push_back({source_.lineCount() - 1, m_.LocationIndex, 1, 0});
            isa_.Call(Routine::HLT, kAssemble);
        } else {
            m_.Message(std::string(kCompilerPrefix) + kMissingHalt);
            m_.SetStatus("Compiler Error", StatusColour::Red);
            m_.view.memoryViewVisible.set(true);
            m_.ErrorFlag = kTrue;
            return;
        }
    }

    m_.view.memorySorted.set(true);
    m_.view.memoryViewVisible.set(true);
    m_.SetStatus("Finished Compiling!", StatusColour::Green);
    m_.AppendSystemLog("Finished Compiling: ");
}

}  // namespace korvanta
