// Standard 8085 sources into the program's own lines.
//
// Reading happens once: each line becomes a Statement whose registers and
// operand texts are already checked. Then passes walk the statements until
// every label and symbol keeps its value from one pass to the next (only ORG
// and DS can move what follows, so two or three passes are the rule), and a
// last pass evaluates every operand, places every byte and reports. Only
// then are the lines written: the block that holds the bytes is known, tags
// are chosen, and labels alone on their lines find the line they name.

#include "importer/importer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <unordered_map>

#include "importer/expression.h"
#include "importer/own_lines.h"
#include "importer/source_lines.h"
#include "importer/tag_names.h"

namespace korvanta::importer {

namespace {

constexpr int kMaxPasses = 12;
constexpr std::size_t kMaxStatements = 100000;
constexpr int kMaxCommentLines = 50000;
constexpr std::size_t kMaxLine = 48;
constexpr std::uint32_t kAddressSpace = 0x10000;

enum class Form : std::uint8_t {
    Implied,
    Reg,
    RegMid,
    Mov,
    Mvi,
    Lxi,
    Pair,
    StackPair,
    PairBD,
    Imm8,
    Addr16,
    Jump,
    Rst,
    Port
};

struct Mnemonic {
    std::string_view name;
    Form form;
    std::uint8_t opcode;
};

constexpr std::array<Mnemonic, 80> kMnemonics{{
    {"MOV", Form::Mov, 0x40},       {"MVI", Form::Mvi, 0x06},      {"LXI", Form::Lxi, 0x01},
    {"LDA", Form::Addr16, 0x3A},    {"STA", Form::Addr16, 0x32},   {"LHLD", Form::Addr16, 0x2A},
    {"SHLD", Form::Addr16, 0x22},   {"LDAX", Form::PairBD, 0x0A},  {"STAX", Form::PairBD, 0x02},
    {"XCHG", Form::Implied, 0xEB},  {"ADD", Form::Reg, 0x80},      {"ADC", Form::Reg, 0x88},
    {"SUB", Form::Reg, 0x90},       {"SBB", Form::Reg, 0x98},      {"ANA", Form::Reg, 0xA0},
    {"XRA", Form::Reg, 0xA8},       {"ORA", Form::Reg, 0xB0},      {"CMP", Form::Reg, 0xB8},
    {"ADI", Form::Imm8, 0xC6},      {"ACI", Form::Imm8, 0xCE},     {"SUI", Form::Imm8, 0xD6},
    {"SBI", Form::Imm8, 0xDE},      {"ANI", Form::Imm8, 0xE6},     {"XRI", Form::Imm8, 0xEE},
    {"ORI", Form::Imm8, 0xF6},      {"CPI", Form::Imm8, 0xFE},     {"INR", Form::RegMid, 0x04},
    {"DCR", Form::RegMid, 0x05},    {"INX", Form::Pair, 0x03},     {"DCX", Form::Pair, 0x0B},
    {"DAD", Form::Pair, 0x09},      {"DAA", Form::Implied, 0x27},  {"CMA", Form::Implied, 0x2F},
    {"CMC", Form::Implied, 0x3F},   {"STC", Form::Implied, 0x37},  {"RLC", Form::Implied, 0x07},
    {"RRC", Form::Implied, 0x0F},   {"RAL", Form::Implied, 0x17},  {"RAR", Form::Implied, 0x1F},
    {"JMP", Form::Jump, 0xC3},      {"JNZ", Form::Jump, 0xC2},     {"JZ", Form::Jump, 0xCA},
    {"JNC", Form::Jump, 0xD2},      {"JC", Form::Jump, 0xDA},      {"JPO", Form::Jump, 0xE2},
    {"JPE", Form::Jump, 0xEA},      {"JP", Form::Jump, 0xF2},      {"JM", Form::Jump, 0xFA},
    {"CALL", Form::Jump, 0xCD},     {"CNZ", Form::Jump, 0xC4},     {"CZ", Form::Jump, 0xCC},
    {"CNC", Form::Jump, 0xD4},      {"CC", Form::Jump, 0xDC},      {"CPO", Form::Jump, 0xE4},
    {"CPE", Form::Jump, 0xEC},      {"CP", Form::Jump, 0xF4},      {"CM", Form::Jump, 0xFC},
    {"RET", Form::Implied, 0xC9},   {"RNZ", Form::Implied, 0xC0},  {"RZ", Form::Implied, 0xC8},
    {"RNC", Form::Implied, 0xD0},   {"RC", Form::Implied, 0xD8},   {"RPO", Form::Implied, 0xE0},
    {"RPE", Form::Implied, 0xE8},   {"RP", Form::Implied, 0xF0},   {"RM", Form::Implied, 0xF8},
    {"RST", Form::Rst, 0xC7},       {"PCHL", Form::Implied, 0xE9}, {"PUSH", Form::StackPair, 0xC5},
    {"POP", Form::StackPair, 0xC1}, {"XTHL", Form::Implied, 0xE3}, {"SPHL", Form::Implied, 0xF9},
    {"NOP", Form::Implied, 0x00},   {"HLT", Form::Implied, 0x76},  {"EI", Form::Implied, 0xFB},
    {"DI", Form::Implied, 0xF3},    {"RIM", Form::Implied, 0x20},  {"SIM", Form::Implied, 0x30},
    {"IN", Form::Port, 0xDB},       {"OUT", Form::Port, 0xD3},
}};

enum class Op : std::uint8_t {
    None,
    Instr,
    Db,
    Dw,
    Ds,
    Org,
    Equ,
    Set,
    End,
    Skip,
    Macro,
    Cond,
    Include,
    Module,
    Radix
};

struct Directive {
    std::string_view name;
    Op op;
};

constexpr std::array<Directive, 81> kDirectives{{
    {"ORG", Op::Org},         {".ORG", Op::Org},
    {"EQU", Op::Equ},         {".EQU", Op::Equ},
    {"SET", Op::Set},         {".SET", Op::Set},
    {"DEFL", Op::Set},        {"=", Op::Set},
    {"DB", Op::Db},           {"DEFB", Op::Db},
    {".DB", Op::Db},          {".BYTE", Op::Db},
    {"DFB", Op::Db},          {"BYTE", Op::Db},
    {"DEFM", Op::Db},         {".TEXT", Op::Db},
    {".ASCII", Op::Db},       {"DW", Op::Dw},
    {"DEFW", Op::Dw},         {".DW", Op::Dw},
    {".WORD", Op::Dw},        {"DFW", Op::Dw},
    {"WORD", Op::Dw},         {"DS", Op::Ds},
    {"DEFS", Op::Ds},         {".DS", Op::Ds},
    {".BLOCK", Op::Ds},       {"DFS", Op::Ds},
    {".RS", Op::Ds},          {"END", Op::End},
    {".END", Op::End},        {"TITLE", Op::Skip},
    {".TITLE", Op::Skip},     {"PAGE", Op::Skip},
    {".PAGE", Op::Skip},      {"EJECT", Op::Skip},
    {".EJECT", Op::Skip},     {"LIST", Op::Skip},
    {".LIST", Op::Skip},      {"NOLIST", Op::Skip},
    {".NOLIST", Op::Skip},    {"NAME", Op::Skip},
    {"CPU", Op::Skip},        {".CPU", Op::Skip},
    {".8085", Op::Skip},      {".8080", Op::Skip},
    {"SUBTTL", Op::Skip},     {".SUBTTL", Op::Skip},
    {"STITLE", Op::Skip},     {"SPACE", Op::Skip},
    {"MACRO", Op::Macro},     {".MACRO", Op::Macro},
    {"ENDM", Op::Macro},      {".ENDM", Op::Macro},
    {"REPT", Op::Macro},      {"IRP", Op::Macro},
    {"IRPC", Op::Macro},      {"EXITM", Op::Macro},
    {"LOCAL", Op::Macro},     {"IF", Op::Cond},
    {".IF", Op::Cond},        {"IFDEF", Op::Cond},
    {"IFNDEF", Op::Cond},     {"ELSE", Op::Cond},
    {"ENDIF", Op::Cond},      {".ENDIF", Op::Cond},
    {"INCLUDE", Op::Include}, {".INCLUDE", Op::Include},
    {"MACLIB", Op::Include},  {"$INCLUDE", Op::Include},
    {"ASEG", Op::Skip},       {"PUBLIC", Op::Skip},
    {".PUBLIC", Op::Skip},    {"GLOBAL", Op::Skip},
    {"STKLN", Op::Skip},      {"EXTRN", Op::Module},
    {"EXTERN", Op::Module},   {"CSEG", Op::Module},
    {"DSEG", Op::Module},     {".RADIX", Op::Radix},
    {"RADIX", Op::Radix},
}};

// Z80 mnemonics the 8085 lacks: worth naming, since Z80 listings are common.
constexpr std::array<std::string_view, 20> kZ80Only = {"LD",   "JR",   "DJNZ", "EX",  "EXX",  "LDIR", "LDDR",
                                                       "CPIR", "BIT",  "RES",  "NEG", "HALT", "CCF",  "SCF",
                                                       "CPL",  "RLCA", "RRCA", "RLA", "RRA",  "OTIR"};

// The 8085's undocumented instructions: Full 8085 mode stops at their opcodes.
constexpr std::array<std::string_view, 15> kUndocumented = {"DSUB", "ARHL", "RDEL", "RLDE", "LDHI",
                                                            "LDSI", "LHLX", "SHLX", "JNK",  "JK",
                                                            "JNX5", "JX5",  "JUI",  "RSTV", "JNUI"};

const Mnemonic* findMnemonic(std::string_view upper)
{
    for (const auto& m : kMnemonics) {
        if (m.name == upper) return &m;
    }
    return nullptr;
}

std::optional<Op> findDirective(std::string_view upper)
{
    for (const auto& d : kDirectives) {
        if (d.name == upper) return d.op;
    }
    return std::nullopt;
}

bool isOperation(std::string_view upper)
{
    return findMnemonic(upper) != nullptr || findDirective(upper).has_value();
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

// Register letters by their three-bit code.
int registerCode(std::string_view upper)
{
    static constexpr std::string_view kCodes = "BCDEHLMA";
    if (upper.size() != 1) return -1;
    const auto p = kCodes.find(upper[0]);
    return p == std::string_view::npos ? -1 : static_cast<int>(p);
}

enum class ValueUse : std::uint8_t { None, Byte, Word, Jump, Rst };

struct Statement {
    int line = 0;
    std::string_view text;
    std::string label;  // upper case; for EQU and SET the name being defined
    std::string_view labelWritten;
    Op op = Op::None;
    std::string opWord;
    const Mnemonic* mnemonic = nullptr;
    std::string_view operands;
    std::string_view comment;
    bool hasComment = false;
    bool broken = false;        // refused when read: no bytes, no layout
    bool labelIgnored = false;  // a second definition of a name: reported, not defined again
    int symbol = -1;            // the symbol its label or name defines

    // The instruction as read: the opcode with its register bits, its
    // length, the register part of its own line and the operand still to
    // evaluate.
    std::uint8_t opcode = 0;
    std::uint32_t size = 0;  // instructions, DB and DW: bytes; others 0
    std::string registers;
    std::string_view valueText;
    std::string_view fillText;  // DS with a fill byte: the count is valueText
    int radix = 10;             // of numbers without a suffix, at this statement
    ValueUse use = ValueUse::None;
    std::vector<std::string_view> items;  // DB, DW

    // Set by each pass.
    std::uint32_t address = 0;
    std::uint32_t reserve = 0;  // DS
    int segment = 0;

    // Set by the last pass.
    std::vector<std::uint8_t> bytes;
    std::string ownText;    // the own line without a tag (instructions)
    std::string jumpLabel;  // a jump or call to this label: its tag, when it gets one
    bool droppedReserve = false;
};

struct Symbol {
    enum Kind { Label, Equ, Set } kind = Label;
    std::string written;
    int definedAt = 0;  // statement index of the first definition
    int passSeen = 0;   // the pass that last gave it a value (or tried to)
    bool valued = false;
    std::int64_t value = 0;
    bool prevValued = false;
    std::int64_t prevValue = 0;
    std::string waitingOn;  // the name its definition could not evaluate
    std::string tag;
    bool noTag = false;
};

struct Segment {
    int orgStatement = -1;  // -1 for what comes before the first ORG
    std::uint32_t origin = 0;
    bool hasBytes = false;
    bool dropped = false;
};

class Importer final : public NameTable {
public:
    Importer(std::string_view text, const ImportOptions& options) : text_(text), options_(options) {}

    ImportResult Run();

    NameValue Look(const std::string& upperName) override
    {
        const auto it = index_.find(upperName);
        if (it == index_.end()) return {};
        const Symbol& s = symbols_[static_cast<std::size_t>(it->second)];
        if (s.passSeen == pass_) {
            if (s.valued) return {NameState::Known, s.value};
            return {NameState::NotYet, 0};
        }
        if (s.prevValued) return {NameState::Known, s.prevValue};
        return {NameState::NotYet, 0};
    }

private:
    void readLines();
    void readStatement(std::string_view line, int number);
    void readCode(Statement st, std::string_view code, bool first);
    void readInstruction(Statement& st);
    void readData(Statement& st);
    void define(int statementIndex);
    void runPass(bool last);
    bool settled();
    void placeBytes();
    void checkLines(const ImportResult& result);
    void encode(Statement& st);
    bool evaluate(Statement& st, std::string_view text, std::int64_t location, std::int64_t& value,
                  Evaluation* detail = nullptr);
    void reportUnknown(const Statement& st, const Evaluation& e);
    void setSymbol(int symbol, bool valued, std::int64_t value, const std::string& waitingOn = {});
    void layOut(ImportResult& result);
    void writeLines(ImportResult& result);
    void chooseTags();
    void pushComment(std::string_view comment);
    void pushLine(const std::string& tag, const std::string& body);
    void writeData(std::string tag, const std::vector<std::uint8_t>& bytes, bool words);

    void error(const Statement& st, std::string message)
    {
        findings().add(st.line, st.text, Level::Error, std::move(message));
    }
    void warning(const Statement& st, std::string message)
    {
        findings().add(st.line, st.text, Level::Warning, std::move(message));
    }
    void note(const Statement& st, std::string message)
    {
        findings().add(st.line, st.text, Level::Note, std::move(message));
    }
    Findings& findings() { return inPass_ ? passFindings_ : readFindings_; }

    std::string_view text_;
    ImportOptions options_;
    std::vector<Statement> statements_;
    struct Comment {
        std::size_t before;  // the statement it comes before
        std::string_view text;
    };
    std::vector<Comment> comments_;  // comment lines, in source order
    int commentLines_ = 0;           // written so far
    std::vector<Symbol> symbols_;
    std::unordered_map<std::string, int> index_;
    std::vector<Segment> segments_;
    Findings readFindings_;
    Findings passFindings_;
    bool inPass_ = false;
    int radix_ = 10;  // the radix .RADIX set last
    int pass_ = 0;
    bool lastPass_ = false;
    std::int64_t location_ = 0;
    bool pastEnd_ = false;
    int endStatement_ = -1;

    // Writing.
    std::vector<std::string> lines_;
    std::vector<std::string> pending_;  // tags of labels still looking for their line
    unsigned block_ = 0;
    std::uint32_t start_ = 0;
};

void Importer::readLines()
{
    std::string_view text = text_;
    // CP/M text ends at the first ^Z; what follows is padding.
    if (const auto eof = text.find('\x1A'); eof != std::string_view::npos) text = text.substr(0, eof);
    // Room for a statement a line, up to what a long real source has: moving
    // statements as the vector grows was a tenth of an import's time.
    statements_.reserve(std::min<std::size_t>(
        static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1, 20000));
    LineCursor cursor(text);
    std::string_view line;
    for (int number = 1; cursor.Next(line); ++number) {
        const std::size_t before = statements_.size();
        readStatement(line, number);
        const auto end =
            std::find_if(statements_.begin() + static_cast<std::ptrdiff_t>(before), statements_.end(),
                         [](const Statement& st) { return st.op == Op::End && !st.broken; });
        if (end != statements_.end()) {
            statements_.erase(end + 1, statements_.end());  // "END ! NOP": nothing after END counts
            int ignored = 0;
            while (cursor.Next(line)) {
                if (!Trim(line).empty()) ++ignored;
            }
            if (ignored == 1) note(statements_.back(), "the line after END is ignored");
            if (ignored > 1)
                note(statements_.back(), "the " + std::to_string(ignored) + " lines after END are ignored");
            break;
        }
        if (statements_.size() > kMaxStatements) {
            // Only a flood gets here: a 4 KB block holds 4095 bytes, and even
            // long tables of symbols stay far below this.
            error(statements_.back(),
                  "the source has more than " + std::to_string(kMaxStatements) +
                      " statements, far more than a program of one 4 KB block can have: the "
                      "rest is not read");
            break;
        }
    }
}

void Importer::readStatement(std::string_view text, int number)
{
    if (text.find_first_not_of(" \t\f\v") == std::string_view::npos) return;  // blank
    Statement st;
    st.line = number;
    st.text = text;

    // The comment begins at the first ';' outside quotes.
    std::size_t codeEnd = text.size();
    char quote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';' || (c == '/' && i + 1 < text.size() && text[i + 1] == '/')) {
            // "//" as some web simulators write it: two slashes mean nothing in an expression.
            codeEnd = i;
            st.hasComment = true;
            st.comment = text.substr(i + (c == ';' ? 1 : 2));
            break;
        }
    }
    if (!text.empty() && text[0] == '*') {  // an old listing's comment line
        comments_.push_back({statements_.size(), text.substr(1)});
        return;
    }
    std::string_view code = text.substr(0, codeEnd);
    if (code.size() > 1 && code[0] == '$' && IsNameStart(code[1])) {  // an ASM80 control line
        st.op = Op::Skip;
        st.opWord = Upper(code.substr(0, code.find_first_of(" \t(")));
        if (findDirective(st.opWord) == Op::Include) {
            st.op = Op::Include;
            error(st, "other files cannot be read in: copy the included text in here");
        } else {
            note(st, "the control line " + st.opWord + " is skipped");
        }
        statements_.push_back(std::move(st));
        return;
    }

    // CP/M's ASM and MAC put several statements on a line with '!' between
    // them. A '!' means nothing else in any 8085 source, so splitting there
    // never changes a line that would import as it stands; "!!" (the
    // program's own lines) is left whole to be reported.
    std::vector<std::size_t> bangs;
    quote = 0;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '!') {
            if (i + 1 < code.size() && code[i + 1] == '!') {
                bangs.clear();
                break;
            }
            bangs.push_back(i);
        }
    }
    std::size_t from = 0;
    for (const std::size_t bang : bangs) {
        Statement piece;
        piece.line = number;
        piece.text = text;
        if (from == 0) {  // the comment goes before the line's first statement
            piece.hasComment = st.hasComment;
            piece.comment = st.comment;
            st.hasComment = false;
        }
        readCode(std::move(piece), code.substr(from, bang - from), from == 0);
        from = bang + 1;
    }
    readCode(std::move(st), code.substr(from), from == 0);
}

void Importer::readCode(Statement st, std::string_view code, bool first)
{
    st.radix = radix_;
    std::size_t i = 0;
    auto skip = [&] {
        while (i < code.size() && isBlank(code[i])) ++i;
    };
    auto word = [&]() -> std::string_view {
        const std::size_t a = i;
        if (i < code.size() && code[i] == '=') {
            ++i;
            return code.substr(a, 1);
        }
        while (i < code.size() && IsNameChar(code[i])) ++i;
        return code.substr(a, i - a);
    };

    skip();
    const bool column1 = i == 0 && first;
    if (i == code.size()) {
        // Blank and comment lines need no statement: a flood of them costs
        // only the comments' places.
        if (st.hasComment) comments_.push_back({statements_.size(), st.comment});
        return;
    }
    if (!IsNameStart(code[i])) {
        st.broken = true;
        if (code[i] >= '0' && code[i] <= '9') {
            // "2000 3E 05  MVI A,05H": a line copied from a listing, with the
            // address and the bytes in front.
            std::size_t j = i;
            while (j < code.size() && std::isxdigit(static_cast<unsigned char>(code[j]))) ++j;
            const bool address = j - i == 4 && (j == code.size() || isBlank(code[j]) || code[j] == ':');
            error(
                st,
                address
                    ? "a statement cannot start with a number (this looks like a line of a listing, with the "
                      "address and the bytes in front: keep only the statement, and an ORG for the address)"
                    : "a statement cannot start with a number");
        } else {
            error(st, "unexpected '" + PrintableText(code.substr(i, 1)) + "' at the start of the statement");
        }
        statements_.push_back(std::move(st));
        return;
    }
    const std::string_view w1 = word();
    std::string_view opWord;
    if (i < code.size() && code[i] == ':') {
        st.labelWritten = w1;
        ++i;
        if (i < code.size() && code[i] == ':') ++i;  // LABEL:: of some assemblers
        skip();
        opWord = word();
    } else {
        skip();
        const std::size_t afterFirst = i;
        const std::string_view w2 = word();
        const std::string u2 = Upper(w2);
        const auto d2 = findDirective(u2);
        const std::string u1 = Upper(w1);
        if (d2 == Op::Equ || d2 == Op::Set || d2 == Op::Macro ||
            (column1 && findMnemonic(u1) == nullptr && isOperation(u2) &&
             (d2 != Op::Skip || !findDirective(u1).has_value()))) {
            // A name before EQU, or a label in column one that happens to be
            // a directive's word ("list db 1,2,3"; but "db list" is data).
            st.labelWritten = w1;
            opWord = w2;
        } else if (column1 && !isOperation(Upper(w1)) &&
                   std::find(kZ80Only.begin(), kZ80Only.end(), Upper(w1)) == kZ80Only.end()) {
            if (w2.empty() && i == code.size()) {
                st.labelWritten = w1;
            } else if (isOperation(u2) || (!w2.empty() && !IsRegisterName(u2))) {
                st.labelWritten = w1;  // an unknown mnemonic in w2 is reported below
                opWord = w2;
            } else {
                opWord = w1;  // LD A,B: not a label after all but an unknown mnemonic
                i = afterFirst;
            }
        } else {
            opWord = w1;
            i = afterFirst;
        }
    }
    skip();
    st.operands = Trim(code.substr(std::min(i, code.size())));
    if (!st.labelWritten.empty()) st.label = Upper(st.labelWritten);
    st.opWord = Upper(opWord);

    if (st.opWord.empty()) {
        if (!st.operands.empty()) {
            st.broken = true;
            error(st, "unexpected '" + PrintableText(st.operands.substr(0, 20)) + "' after the label");
        }
    } else if ((st.mnemonic = findMnemonic(st.opWord)) != nullptr) {
        st.op = Op::Instr;
        readInstruction(st);
    } else if (const auto d = findDirective(st.opWord)) {
        st.op = *d;
        switch (st.op) {
            case Op::Db:
            case Op::Dw:
                readData(st);
                break;
            case Op::Ds: {
                // DEFS 10,0FFH of the Z80-style assemblers: the count, then the byte that fills them.
                const auto ops = SplitOperands(st.operands);
                if (ops.size() == 2 && !ops[0].empty() && !ops[1].empty()) {
                    st.valueText = ops[0];
                    st.fillText = ops[1];
                } else if (ops.size() != 1) {
                    st.broken = true;
                    error(st,
                          st.opWord +
                              " takes the number of bytes to reserve, and perhaps a byte to fill them with");
                }
                break;
            }
            case Op::Org:
                if (SplitOperands(st.operands).size() != 1) {
                    st.broken = true;
                    error(st, st.opWord + " takes one operand, the address");
                }
                break;
            case Op::Equ:
            case Op::Set:
                if (st.label.empty()) {
                    st.broken = true;
                    error(st, st.opWord + " needs a name before it");
                } else if (st.operands.empty()) {
                    st.broken = true;
                    error(st, st.opWord + " needs a value");
                }
                break;
            case Op::Skip:
                if (st.opWord == "ASEG" || st.opWord.find("PUBLIC") != std::string::npos ||
                    st.opWord == "GLOBAL" || st.opWord == "STKLN") {
                    note(st, st.opWord + " changes nothing in a program of one file and is skipped");
                } else {
                    note(st, "the listing directive " + st.opWord + " is skipped");
                }
                break;
            case Op::Macro:
                st.broken = true;
                error(st, "macros are not supported: write the macro's lines out where it is used");
                break;
            case Op::Cond:
                st.broken = true;
                error(st, "conditional assembly (" + st.opWord +
                              ") is not supported: keep only the lines you want");
                break;
            case Op::Include:
                if (st.opWord == "MACLIB") {
                    // MAC's library holds macros only: a program that uses none
                    // needs nothing from it, and one that does is told where.
                    warning(st,
                            "the macro library is not read; a macro from it is reported where it is used");
                    break;
                }
                st.broken = true;
                error(st, "other files cannot be read in: copy the included text in here");
                break;
            case Op::Radix: {
                // M80's .RADIX: numbers without a suffix from here on. Its own
                // operand is always decimal.
                std::int64_t v = 0;
                std::string ignored;
                if (ParseNumber(Trim(st.operands), 10, v, ignored) && (v == 10 || v == 16)) {
                    radix_ = static_cast<int>(v);
                    note(st,
                         "numbers without a suffix are read in radix " + std::to_string(v) + " from here on");
                } else {
                    st.broken = true;
                    error(st, st.opWord + " takes 10 or 16 here");
                }
                break;
            }
            case Op::Module:
                st.broken = true;
                error(st, st.opWord == "CSEG" || st.opWord == "DSEG"
                              ? "relocatable segments (" + st.opWord +
                                    ") are placed by a linker: give the program an ORG instead"
                              : "symbols from other modules (" + st.opWord +
                                    ") cannot be linked in: copy their definitions in here");
                break;
            default:
                break;
        }
    } else {
        st.broken = true;
        if (std::find(kUndocumented.begin(), kUndocumented.end(), st.opWord) != kUndocumented.end()) {
            error(st, "'" + st.opWord +
                          "' is one of the 8085's undocumented instructions, which Full 8085 mode "
                          "does not run: write it with documented ones");
        } else if (std::find(kZ80Only.begin(), kZ80Only.end(), st.opWord) != kZ80Only.end()) {
            error(st, "'" + st.opWord + "' is a Z80 instruction; the 8085 has no such instruction");
        } else {
            error(st, "unknown mnemonic or directive '" +
                          PrintableText(std::string_view(st.opWord).substr(0, 40)) + "'");
        }
    }
    statements_.push_back(std::move(st));
}

void Importer::readInstruction(Statement& st)
{
    const Mnemonic& m = *st.mnemonic;
    const auto ops = SplitOperands(st.operands);
    const std::string name(m.name);
    auto fail = [&](std::string message) {
        st.broken = true;
        error(st, std::move(message));
    };
    auto want = [&](std::size_t n, const char* what) {
        if (ops.size() == n) return true;
        fail(name + (n == 0 ? " takes no operand" : " takes " + std::string(what)));
        return false;
    };
    auto reg = [&](std::string_view text) {
        const int code = registerCode(Upper(text));
        if (code < 0)
            fail("'" + PrintableText(text.substr(0, 20)) + "' is not a register (A, B, C, D, E, H, L or M)");
        return code;
    };
    auto pair = [&](std::string_view text, bool psw) {
        const std::string u = Upper(text);
        if (u == "B") return 0;
        if (u == "D") return 1;
        if (u == "H") return 2;
        if (u == (psw ? "PSW" : "SP")) return 3;
        fail("'" + PrintableText(text.substr(0, 20)) + "' is not a register pair for " + name +
             (psw ? " (B, D, H or PSW)" : " (B, D, H or SP)"));
        return -1;
    };
    static constexpr const char* kPairNames[] = {"B", "D", "H", "SP"};
    static constexpr const char* kRegNames[] = {"B", "C", "D", "E", "H", "L", "M", "A"};

    st.opcode = m.opcode;
    st.size = 1;
    switch (m.form) {
        case Form::Implied:
            want(0, "");
            break;
        case Form::Reg:
        case Form::RegMid:
            if (!want(1, "one operand, a register")) break;
            if (const int r = reg(ops[0]); r >= 0) {
                st.opcode = static_cast<std::uint8_t>(m.opcode | (m.form == Form::Reg ? r : r << 3));
                st.registers = kRegNames[r];
            }
            break;
        case Form::Mov: {
            if (!want(2, "two operands, both registers")) break;
            const int d = reg(ops[0]);
            if (d < 0) break;
            const int s = reg(ops[1]);
            if (s < 0) break;
            if (d == 6 && s == 6) {
                fail("MOV M,M is not an instruction (its code is HLT's)");
                break;
            }
            st.opcode = static_cast<std::uint8_t>(0x40 | d << 3 | s);
            st.registers = std::string(kRegNames[d]) + "," + kRegNames[s];
            break;
        }
        case Form::Mvi:
            if (!want(2, "two operands, a register and a byte")) break;
            if (const int r = reg(ops[0]); r >= 0) {
                st.opcode = static_cast<std::uint8_t>(m.opcode | r << 3);
                st.registers = kRegNames[r];
                st.valueText = ops[1];
                st.use = ValueUse::Byte;
                st.size = 2;
            }
            break;
        case Form::Lxi:
            if (!want(2, "two operands, a register pair and a 16-bit value")) break;
            if (const int p = pair(ops[0], false); p >= 0) {
                st.opcode = static_cast<std::uint8_t>(m.opcode | p << 4);
                st.registers = kPairNames[p];
                st.valueText = ops[1];
                st.use = ValueUse::Word;
                st.size = 3;
            }
            break;
        case Form::Pair:
        case Form::StackPair:
            if (!want(1, "one operand, a register pair")) break;
            if (const int p = pair(ops[0], m.form == Form::StackPair); p >= 0) {
                st.opcode = static_cast<std::uint8_t>(m.opcode | p << 4);
                st.registers = p == 3 && m.form == Form::StackPair ? "PSW" : kPairNames[p];
            }
            break;
        case Form::PairBD: {
            if (!want(1, "one operand, B or D")) break;
            const std::string u = Upper(ops[0]);
            if (u == "B" || u == "D") {
                st.opcode = static_cast<std::uint8_t>(m.opcode | (u == "D" ? 0x10 : 0));
                st.registers = u;
            } else {
                fail("'" + PrintableText(ops[0].substr(0, 20)) + "' is not a register pair for " + name +
                     " (B or D)");
            }
            break;
        }
        case Form::Imm8:
        case Form::Port:
            if (!want(1, m.form == Form::Port ? "one operand, the port number" : "one operand, a byte"))
                break;
            st.valueText = ops[0];
            st.use = ValueUse::Byte;
            st.size = 2;
            break;
        case Form::Addr16:
        case Form::Jump:
            if (!want(1, "one operand, an address")) break;
            st.valueText = ops[0];
            st.use = m.form == Form::Jump ? ValueUse::Jump : ValueUse::Word;
            st.size = 3;
            break;
        case Form::Rst:
            if (!want(1, "one operand, a number from 0 to 7")) break;
            st.valueText = ops[0];
            st.use = ValueUse::Rst;
            break;
    }
    // A value operand that names a register is a wrong operand, not an undefined symbol.
    if (!st.broken && !st.valueText.empty() && IsRegisterName(Upper(st.valueText))) {
        fail("'" + Upper(st.valueText) + "' is a register, but " + name + " wants a value there");
    }
    if (st.broken) st.size = 0;
}

void Importer::readData(Statement& st)
{
    st.items = SplitOperands(st.operands);
    if (st.items.empty()) {
        st.broken = true;
        error(st, st.opWord + " needs at least one value");
        return;
    }
    std::uint32_t size = 0;
    for (const auto item : st.items) {
        std::string chars;
        std::size_t length = 0;
        const bool wholeString = ReadQuoted(item, chars, length) && length == item.size();
        if (item.empty()) {
            st.broken = true;
            error(st, "an empty value between commas");
            return;
        }
        if (st.op == Op::Db) {
            if (wholeString && chars.empty()) {
                st.broken = true;
                error(st, "an empty string puts no byte");
                return;
            }
            size += wholeString ? static_cast<std::uint32_t>(chars.size()) : 1;
        } else {
            if (wholeString && chars.size() > 2) {
                st.broken = true;
                error(st, "a DW string has at most two characters");
                return;
            }
            size += 2;
        }
        if (size > kAddressSpace) break;  // the layout refuses it; stop counting
    }
    st.size = size;
}

void Importer::define(int statementIndex)
{
    Statement& st = statements_[static_cast<std::size_t>(statementIndex)];
    if (st.label.empty()) return;
    const Symbol::Kind kind = st.op == Op::Equ ? Symbol::Equ : st.op == Op::Set ? Symbol::Set : Symbol::Label;
    if (IsRegisterName(st.label) || IsOperatorWord(st.label)) {
        st.labelIgnored = true;
        error(st, "'" + st.label + "' is a reserved word and cannot be a name");
        return;
    }
    const auto it = index_.find(st.label);
    if (it != index_.end()) {
        const Symbol& old = symbols_[static_cast<std::size_t>(it->second)];
        if (kind == Symbol::Set && old.kind == Symbol::Set) {
            st.symbol = it->second;
            return;
        }
        st.labelIgnored = true;
        error(st, "'" + std::string(st.labelWritten) + "' is already defined at line " +
                      std::to_string(statements_[static_cast<std::size_t>(old.definedAt)].line));
        return;
    }
    Symbol s;
    s.kind = kind;
    s.written = std::string(st.labelWritten);
    s.definedAt = statementIndex;
    st.symbol = static_cast<int>(symbols_.size());
    index_.emplace(st.label, st.symbol);
    symbols_.push_back(std::move(s));
}

void Importer::setSymbol(int symbol, bool valued, std::int64_t value, const std::string& waitingOn)
{
    Symbol& s = symbols_[static_cast<std::size_t>(symbol)];
    s.passSeen = pass_;
    s.valued = valued;
    s.value = valued ? value : 0;
    s.waitingOn = valued ? std::string() : waitingOn;
}

bool Importer::evaluate(Statement& st, std::string_view text, std::int64_t location, std::int64_t& value,
                        Evaluation* detail)
{
    const ExpressionContext context{st.radix, location, this};
    Evaluation e = Evaluate(text, context);
    value = e.value;
    if (lastPass_) {
        if (!e.error.empty())
            error(st, e.error);
        else if (!e.known)
            reportUnknown(st, e);
        else if (!e.hexFallback.empty())
            note(st, "'" + e.hexFallback + "' is read as the hex number " + e.hexFallback + "H");
    }
    const bool ok = e.ok();
    if (detail != nullptr) *detail = std::move(e);
    return ok;
}

void Importer::reportUnknown(const Statement& st, const Evaluation& e)
{
    if (e.undefined) {
        std::string message = "undefined symbol '" + e.unknownName + "'";
        // FFH or C000: a hex number written without its leading digit.
        std::string digits = e.unknownName;
        if (digits.size() > 1 && digits.back() == 'H') digits.pop_back();
        std::int64_t ignored = 0;
        std::string ignoredError;
        if (digits.size() <= 4 && ParseNumber("0" + digits + "H", 16, ignored, ignoredError)) {
            message += " (a hex number needs a leading digit and an H suffix: 0" + digits + "H)";
        }
        error(st, message);
        return;
    }
    // Defined, but never given a value: follow what it waits for. A name
    // whose definition was refused has its own error already.
    if (const auto it = index_.find(e.unknownName); it != index_.end()) {
        if (statements_[static_cast<std::size_t>(symbols_[static_cast<std::size_t>(it->second)].definedAt)]
                .broken)
            return;
    }
    std::string name = e.unknownName;
    const std::string own = st.op == Op::Equ || st.op == Op::Set ? st.label : std::string();
    for (int steps = 0; steps < 64; ++steps) {
        const auto it = index_.find(name);
        if (it == index_.end()) break;
        const Symbol& s = symbols_[static_cast<std::size_t>(it->second)];
        if (s.waitingOn.empty()) break;
        if (s.waitingOn == own || s.waitingOn == e.unknownName) {
            if (!own.empty() && (e.unknownName == own || s.waitingOn == own)) {
                error(st, "'" + own + "' is defined in terms of itself" +
                              (e.unknownName == own ? std::string() : " (through '" + e.unknownName + "')"));
            } else {
                error(st, "'" + e.unknownName + "' has no value: it is defined in terms of itself");
            }
            return;
        }
        name = s.waitingOn;
    }
    if (!own.empty() && e.unknownName == own) {
        error(st, "'" + own + "' is defined in terms of itself");
        return;
    }
    error(st, "'" + e.unknownName + "' has no value here");
}

void Importer::encode(Statement& st)
{
    st.bytes.clear();
    st.jumpLabel.clear();
    const std::string name(st.mnemonic->name);
    if (st.use == ValueUse::None) {
        st.bytes = {st.opcode};
        st.ownText = st.registers.empty() ? name : name + " " + st.registers;
        return;
    }
    Evaluation e;
    std::int64_t v = 0;
    const bool ok = evaluate(st, st.valueText, static_cast<std::int64_t>(st.address), v, &e);
    if (!ok) return;
    const std::string lead = st.registers.empty() ? name + " " : name + " " + st.registers + ",";
    switch (st.use) {
        case ValueUse::Byte:
            if (v < -128 || v > 255) {
                error(st, "the value " + std::to_string(v) + " does not fit a byte (-128 to 255)");
                return;
            }
            st.bytes = {st.opcode, static_cast<std::uint8_t>(v & 0xFF)};
            st.ownText = lead + Hex(static_cast<std::uint32_t>(v & 0xFF), 2);
            break;
        case ValueUse::Word:
        case ValueUse::Jump:
            if (v < -32768 || v > 65535) {
                error(st, "the value " + std::to_string(v) + " does not fit 16 bits (-32768 to 65535)");
                return;
            }
            st.bytes = {st.opcode, static_cast<std::uint8_t>(v & 0xFF),
                        static_cast<std::uint8_t>((v >> 8) & 0xFF)};
            st.ownText = lead + Hex(static_cast<std::uint32_t>(v & 0xFFFF), 4);
            if (st.use == ValueUse::Jump && !e.singleName.empty()) {
                const auto it = index_.find(e.singleName);
                if (it != index_.end() &&
                    symbols_[static_cast<std::size_t>(it->second)].kind == Symbol::Label) {
                    st.jumpLabel = e.singleName;
                }
            }
            break;
        case ValueUse::Rst:
            if (v < 0 || v > 7) {
                error(st, "RST takes a number from 0 to 7, not " + std::to_string(v));
                return;
            }
            st.bytes = {static_cast<std::uint8_t>(st.opcode | v << 3)};
            st.ownText = "RST " + std::to_string(v);
            break;
        case ValueUse::None:
            break;
    }
}

void Importer::runPass(bool last)
{
    ++pass_;
    lastPass_ = last;
    passFindings_ = Findings();
    location_ = 0;
    pastEnd_ = false;
    segments_.assign(1, Segment{});

    for (std::size_t n = 0; n < statements_.size(); ++n) {
        Statement& st = statements_[n];
        st.address = static_cast<std::uint32_t>(location_);
        st.reserve = 0;
        st.segment = static_cast<int>(segments_.size()) - 1;
        if (st.broken) {
            if (st.symbol >= 0) setSymbol(st.symbol, st.op != Op::Equ && st.op != Op::Set, location_);
            continue;
        }
        const bool definesLabel = st.symbol >= 0 && st.op != Op::Equ && st.op != Op::Set;
        if (definesLabel && st.op != Op::Org) setSymbol(st.symbol, true, location_);

        std::int64_t v = 0;
        std::uint32_t size = 0;
        switch (st.op) {
            case Op::Org: {
                Evaluation e;
                if (evaluate(st, st.operands, location_, v, &e)) {
                    if (v < 0 || v > 0xFFFF) {
                        if (last) error(st, "ORG " + std::to_string(v) + " is not an address (0 to FFFF)");
                    } else {
                        location_ = v;
                    }
                }
                segments_.push_back(Segment{static_cast<int>(n), static_cast<std::uint32_t>(location_)});
                st.segment = static_cast<int>(segments_.size()) - 1;
                st.address = static_cast<std::uint32_t>(location_);
                if (definesLabel) setSymbol(st.symbol, true, location_);
                break;
            }
            case Op::Equ:
            case Op::Set: {
                if (st.symbol < 0) break;
                Evaluation e;
                const bool ok = evaluate(st, st.operands, location_, v, &e);
                setSymbol(st.symbol, ok, v, e.unknownName);
                break;
            }
            case Op::Ds: {
                const bool filled = !st.fillText.empty();
                if (evaluate(st, filled ? st.valueText : st.operands, location_, v)) {
                    if (v < 0 || v > 0xFFFF) {
                        if (last)
                            error(st, "DS " + std::to_string(v) + " is not a number of bytes (0 to FFFF)");
                    } else if (!filled) {
                        st.reserve = static_cast<std::uint32_t>(v);
                    } else {
                        // Filled, the bytes are the program's like DB's. Past FFFF
                        // they are not made: the error below is enough.
                        size = static_cast<std::uint32_t>(v);
                        std::int64_t fill = 0;
                        st.bytes.clear();
                        if (last && location_ + v <= kAddressSpace &&
                            evaluate(st, st.fillText, location_, fill)) {
                            if (fill < -128 || fill > 255) {
                                error(st, "the fill value " + std::to_string(fill) +
                                              " does not fit a byte (-128 to 255)");
                            } else {
                                st.bytes.assign(static_cast<std::size_t>(v),
                                                static_cast<std::uint8_t>(fill & 0xFF));
                            }
                        }
                    }
                }
                break;
            }
            case Op::Instr:
                size = st.size;
                if (last) encode(st);
                break;
            case Op::Db:
            case Op::Dw:
                size = st.size;
                if (last) {
                    st.bytes.clear();
                    for (const auto item : st.items) {
                        std::string chars;
                        std::size_t length = 0;
                        if (st.op == Op::Db && ReadQuoted(item, chars, length) && length == item.size()) {
                            for (char c : chars) st.bytes.push_back(static_cast<std::uint8_t>(c));
                            continue;
                        }
                        if (!evaluate(st, item, location_, v)) {
                            st.bytes.clear();
                            break;
                        }
                        if (st.op == Op::Db) {
                            if (v < -128 || v > 255) {
                                error(st, "the value " + std::to_string(v) +
                                              " does not fit a byte (-128 to 255)");
                                st.bytes.clear();
                                break;
                            }
                            st.bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
                        } else {
                            if (v < -32768 || v > 65535) {
                                error(st, "the value " + std::to_string(v) +
                                              " does not fit 16 bits (-32768 to 65535)");
                                st.bytes.clear();
                                break;
                            }
                            st.bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
                            st.bytes.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
                        }
                    }
                }
                break;
            case Op::End:
                if (last && !st.operands.empty() && evaluate(st, st.operands, location_, v))
                    endStatement_ = static_cast<int>(n);
                break;
            default:
                break;
        }
        if (size > 0) segments_.back().hasBytes = true;

        const std::int64_t next = location_ + size + st.reserve;
        if (next > static_cast<std::int64_t>(kAddressSpace)) {
            if (last && !pastEnd_) error(st, "the program runs past address FFFF");
            pastEnd_ = true;
            location_ = kAddressSpace;
        } else {
            location_ = next;
        }
    }
}

bool Importer::settled()
{
    bool same = true;
    for (Symbol& s : symbols_) {
        const bool valued = s.passSeen == pass_ && s.valued;
        if (valued != s.prevValued || (valued && s.value != s.prevValue)) same = false;
        s.prevValued = valued;
        s.prevValue = valued ? s.value : 0;
    }
    return same;
}

void Importer::chooseTags()
{
    TagNamer namer;
    std::vector<Symbol*> labels;
    for (Symbol& s : symbols_) {
        if (s.kind == Symbol::Label && !s.noTag) labels.push_back(&s);
    }
    for (Symbol* s : labels) {
        const std::string u = Upper(s->written);
        if (namer.Claim(u)) s->tag = u;
    }
    for (Symbol* s : labels) {
        if (!s->tag.empty()) continue;
        s->tag = namer.Assign(Upper(s->written));
        const Statement& st = statements_[static_cast<std::size_t>(s->definedAt)];
        if (s->tag.empty()) {
            error(st, "too many labels: no four-character tag is left for '" + s->written + "'");
        } else {
            note(st, "label '" + s->written + "' becomes tag " + s->tag);
        }
    }
}

void Importer::layOut(ImportResult& result)
{
    // The block is the one that holds the program's first byte.
    bool anyByte = false;
    for (const Statement& st : statements_) {
        if (!st.bytes.empty()) {
            block_ = st.address >> 12;
            anyByte = true;
            break;
        }
    }
    for (const Statement& st : statements_) {
        if (!st.bytes.empty()) segments_[static_cast<std::size_t>(st.segment)].hasBytes = true;
    }
    if (!anyByte) {
        const bool hasOrg = segments_.size() > 1;
        block_ = hasOrg ? segments_[1].origin >> 12 : 0;
    }
    const std::uint32_t base = block_ << 12;
    const std::uint32_t last = base + 0xFFF;  // holds no byte of the program
    auto inBlock = [&](std::uint32_t a) { return a >= base && a < last; };

    for (const Statement& st : statements_) {
        if (st.bytes.empty()) continue;
        const std::uint32_t a = st.address, z = st.address + static_cast<std::uint32_t>(st.bytes.size()) - 1;
        if (z == last && a >= base) {
            error(st,
                  "the last address of the block, " + Hex(last, 4) + ", cannot hold a byte of the program");
        } else if (!inBlock(a) || !inBlock(z)) {
            error(st, "the bytes at " + Hex(a, 4) + (z != a ? "-" + Hex(z, 4) : "") +
                          " lie outside the 4 KB block " + Hex(base, 4) + "-" + Hex(last, 4) +
                          " that holds the program's first byte");
        }
    }

    // Segments without a byte change no byte: the one before the first ORG
    // and those outside the block are left out, and their labels become
    // plain addresses. A reservation that leaves the block is left out when
    // no byte follows it in its segment.
    for (std::size_t k = 0; k < segments_.size(); ++k) {
        Segment& seg = segments_[k];
        if (seg.hasBytes) continue;
        bool outside = seg.orgStatement >= 0 && (seg.origin >> 12) != block_;
        for (const Statement& st : statements_) {
            if (st.segment == static_cast<int>(k) && st.op == Op::Ds && st.reserve > 0 &&
                (!inBlock(st.address) || st.address + st.reserve > last)) {
                outside = true;
            }
        }
        // What comes before the first ORG has no line of its own to stand on:
        // the first ORG sets the start address.
        seg.dropped = seg.orgStatement < 0 || outside;
        if (seg.dropped && seg.orgStatement >= 0) {
            warning(statements_[static_cast<std::size_t>(seg.orgStatement)],
                    "nothing is placed from " + Hex(seg.origin, 4) +
                        " on, which lies outside the program's block: this ORG and its reservations are left "
                        "out");
        }
    }
    std::vector<bool> bytesAfter(statements_.size(), false);
    {
        bool seen = false;
        int seg = -1;
        for (std::size_t n = statements_.size(); n-- > 0;) {
            if (statements_[n].segment != seg) {
                seg = statements_[n].segment;
                seen = false;
            }
            bytesAfter[n] = seen;
            if (!statements_[n].bytes.empty()) seen = true;
        }
    }
    for (std::size_t n = 0; n < statements_.size(); ++n) {
        Statement& st = statements_[n];
        if (st.op != Op::Ds || st.reserve == 0 || segments_[static_cast<std::size_t>(st.segment)].dropped)
            continue;
        if (inBlock(st.address) && st.address + st.reserve <= last) continue;
        if (bytesAfter[n]) {
            error(st, "the " + std::to_string(st.reserve) + " bytes reserved at " + Hex(st.address, 4) +
                          " run outside the 4 KB block " + Hex(base, 4) + "-" + Hex(last, 4));
        } else {
            st.droppedReserve = true;
            warning(
                st,
                "the reservation runs outside the program's block and nothing follows it: it is left out");
        }
    }

    for (const Statement& st : statements_) {
        if (st.label.empty() || st.labelIgnored || st.op == Op::Equ || st.op == Op::Set) continue;
        const auto it = index_.find(st.label);
        if (it == index_.end()) continue;
        Symbol& s = symbols_[static_cast<std::size_t>(it->second)];
        if (s.definedAt != &st - statements_.data()) continue;
        if (segments_[static_cast<std::size_t>(st.segment)].dropped) {
            s.noTag = true;
            note(st, "label '" + s.written + "' names " +
                         Hex(static_cast<std::uint32_t>(s.value & 0xFFFF), 4) +
                         ", where the program has no line: it gets no tag, and operands that name it get the "
                         "address");
        }
    }

    placeBytes();
    result.startAddress = Hex(start_, 4);
    result.windowDigit = Hex(block_, 1);

    if (endStatement_ >= 0) {
        const Statement& end = statements_[static_cast<std::size_t>(endStatement_)];
        std::int64_t v = 0;
        const ExpressionContext context{end.radix, 0, this};
        v = Evaluate(end.operands, context).value;
        if ((v & 0xFFFF) != start_) {
            warning(end, "END names " + Hex(static_cast<std::uint32_t>(v & 0xFFFF), 4) +
                             " as the entry point, but the program runs from its start address " +
                             Hex(start_, 4));
        }
    }
}

// Walks what will be written the way the program's assembler places it:
// every ORG before the first byte sets the start address, a later one may
// not go back over bytes or reservations already placed, and nothing may be
// placed twice.
void Importer::placeBytes()
{
    Occupancy owner;  // by statement index
    std::uint32_t location = 0;
    bool anyByte = false;
    start_ = 0;
    // After the first error the import fails anyway; going on would only
    // let a hostile source pay for every overlap again.
    bool checking = !passFindings_.hasError();
    for (std::size_t n = 0; n < statements_.size(); ++n) {
        const Statement& st = statements_[n];
        if (segments_[static_cast<std::size_t>(st.segment)].dropped || st.broken) continue;
        if (st.op == Op::Org) {
            const std::uint32_t target = st.address;
            if (!anyByte) {
                start_ = target;
            } else if (checking) {
                if (const std::int32_t a = owner.FirstTaken(target, location); a >= 0) {
                    checking = false;
                    const int by = owner.OwnerOf(static_cast<std::uint32_t>(a));
                    error(st, "this ORG goes back over code: line " +
                                  std::to_string(statements_[static_cast<std::size_t>(by)].line) +
                                  " placed " + Hex(static_cast<std::uint32_t>(a), 4));
                }
            }
            location = target;
            continue;
        }
        const std::uint32_t size = st.op == Op::Ds && st.fillText.empty()
                                       ? (st.droppedReserve ? 0 : st.reserve)
                                       : static_cast<std::uint32_t>(st.bytes.size());
        if (size == 0) continue;
        if (!checking) {
            // nothing more to find
        } else if (const std::int32_t a = owner.FirstTaken(st.address, st.address + size); a >= 0) {
            checking = false;
            const int by = owner.OwnerOf(static_cast<std::uint32_t>(a));
            error(st, "this line would place bytes over those of line " +
                          std::to_string(statements_[static_cast<std::size_t>(by)].line) + " at " +
                          Hex(static_cast<std::uint32_t>(a), 4));
        } else {
            owner.Take(st.address, st.address + size, static_cast<int>(n));
        }
        if (!st.bytes.empty()) anyByte = true;
        location = st.address + size;
    }
}

// The written lines read back as the program's assembler reads them must
// place exactly the bytes worked out here; anything else is a fault of the
// importer, reported rather than handed on.
void Importer::checkLines(const ImportResult& result)
{
    const OwnProgram program = AssembleOwnLines(result.lines, result.startAddress, true, true);
    std::map<std::uint16_t, std::uint8_t> expected;
    for (const Statement& st : statements_) {
        for (std::size_t k = 0; k < st.bytes.size(); ++k)
            expected[static_cast<std::uint16_t>(st.address + k)] = st.bytes[k];
    }
    for (const OwnLine& l : program.lines) {
        if (l.kind == OwnLine::Refused) {
            passFindings_.add(
                0, {}, Level::Error,
                "the importer wrote the line '" + l.text + "', which would be refused (" + l.problem + ")");
            return;
        }
    }
    if (program.Image() != expected || Hex(program.start, 4) != result.startAddress) {
        passFindings_.add(0, {}, Level::Error,
                          "the importer's lines would not place the bytes it worked out");
    }
}

void Importer::pushLine(const std::string& tag, const std::string& body)
{
    lines_.push_back(tag.empty() ? body : tag + ": " + body);
}

void Importer::pushComment(std::string_view comment)
{
    if (commentLines_ >= kMaxCommentLines) {
        if (commentLines_++ == kMaxCommentLines) {
            findings().add(0, {}, Level::Warning,
                           "only the first " + std::to_string(kMaxCommentLines) +
                               " lines of comments are kept; the later comments are left out");
        }
        return;
    }
    const std::string text = PrintableText(comment);
    constexpr std::size_t kRoom = kMaxLine - 3;  // after "!! "
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t n = std::min(kRoom, text.size() - i);
        if (i + n < text.size()) {
            // Break at the last blank that fits, when there is one (looking
            // no further back than this piece, or a long word costs n squared).
            std::size_t blank = i + n;
            while (blank > i && text[blank] != ' ') --blank;
            if (blank > i) n = blank - i;
        }
        std::string piece = text.substr(i, n);
        while (!piece.empty() && piece.back() == ' ') piece.pop_back();
        if (!piece.empty()) {
            lines_.push_back("!! " + piece);
            ++commentLines_;
        }
        i += n;
        while (i < text.size() && text[i] == ' ') ++i;
    }
}

void Importer::writeData(std::string tag, const std::vector<std::uint8_t>& bytes, bool words)
{
    const std::size_t step = words ? 2 : 1;
    std::size_t k = 0;
    while (k < bytes.size()) {
        // "!!DB " and "nn," per byte, or "!!DW " and "hhhh," per word, within 48 characters.
        const std::size_t room = kMaxLine - 5 - (tag.empty() ? 0 : 6) + 1;
        const std::size_t per = room / (words ? 5 : 3);
        std::string body = words ? "!!DW " : "!!DB ";
        for (std::size_t j = 0; j < per && k < bytes.size(); ++j, k += step) {
            if (j > 0) body += ',';
            body +=
                words ? Hex(static_cast<std::uint32_t>(bytes[k] | bytes[k + 1] << 8), 4) : Hex(bytes[k], 2);
        }
        pushLine(tag, body);
        tag.clear();
    }
}

void Importer::writeLines(ImportResult& result)
{
    auto tagOf = [&](const Statement& st) -> std::string {
        if (st.label.empty() || st.labelIgnored || st.op == Op::Equ || st.op == Op::Set) return {};
        const auto it = index_.find(st.label);
        if (it == index_.end()) return {};
        const Symbol& s = symbols_[static_cast<std::size_t>(it->second)];
        return s.noTag ? std::string() : s.tag;
    };
    auto flushPending = [&](std::size_t keep) {
        while (pending_.size() > keep) {
            lines_.push_back(pending_.front() + ": !!");
            pending_.erase(pending_.begin());
        }
    };
    // The tag for a line that places bytes: its own label's, or the last of
    // those waiting; the others get lines of their own.
    auto takeTag = [&](const std::string& own) -> std::string {
        if (!own.empty()) {
            flushPending(0);
            return own;
        }
        if (pending_.empty()) return {};
        flushPending(1);
        std::string t = pending_.back();
        pending_.clear();
        return t;
    };

    // The first line that moves assembly sets the start address; code
    // before any ORG starts at 0000.
    bool startWritten = false;
    if (!segments_[0].dropped) {
        lines_.push_back("!!ORG " + Hex(start_, 4));
        startWritten = true;
    }
    std::size_t nextComment = 0;
    auto commentsBefore = [&](std::size_t statement) {
        for (; nextComment < comments_.size() && comments_[nextComment].before <= statement; ++nextComment) {
            pushComment(comments_[nextComment].text);
        }
    };
    for (std::size_t n = 0; n < statements_.size(); ++n) {
        const Statement& st = statements_[n];
        commentsBefore(n);
        if (st.hasComment) pushComment(st.comment);
        if (st.op == Op::None && st.label.empty()) continue;
        const bool dropped = segments_[static_cast<std::size_t>(st.segment)].dropped;
        const std::string own = tagOf(st);
        switch (st.op) {
            case Op::Org:
                if (dropped) break;
                flushPending(0);
                lines_.push_back("!!ORG " + Hex(st.address, 4));
                startWritten = true;
                if (!own.empty()) pending_.push_back(own);
                break;
            case Op::Ds:
                if (!st.bytes.empty()) {
                    writeData(takeTag(own), st.bytes, false);
                } else if (dropped || st.droppedReserve || st.reserve == 0) {
                    if (!own.empty()) pending_.push_back(own);
                } else {
                    pushLine(takeTag(own), "!!DS " + Hex(st.reserve, 4));
                }
                break;
            case Op::Instr: {
                std::string text = st.ownText;
                if (!st.jumpLabel.empty()) {
                    const Symbol& target = symbols_[static_cast<std::size_t>(index_.at(st.jumpLabel))];
                    if (!target.noTag && !target.tag.empty())
                        text = std::string(st.mnemonic->name) + " " + target.tag;
                }
                pushLine(takeTag(own), text);
                break;
            }
            case Op::Db:
            case Op::Dw:
                writeData(takeTag(own), st.bytes, st.op == Op::Dw);
                break;
            case Op::Equ:
            case Op::Set:
                break;
            default:
                if (!own.empty()) pending_.push_back(own);
                break;
        }
    }
    commentsBefore(statements_.size());
    flushPending(0);
    if (!startWritten) lines_.insert(lines_.begin(), "!!ORG " + Hex(start_, 4));
    result.lines = std::move(lines_);
}

ImportResult Importer::Run()
{
    ImportResult result;
    if (DetectSourceKind(text_) == SourceKind::NotText) {
        readFindings_.add(0, {}, Level::Error, "this is not a text file: it holds NUL bytes or binary data");
        result.report = readFindings_.Sorted();
        return result;
    }
    if (options_.radix != 10 && options_.radix != 16) {
        readFindings_.add(0, {}, Level::Error,
                          "the default radix must be 10 or 16, not " + std::to_string(options_.radix));
        result.report = readFindings_.Sorted();
        return result;
    }
    radix_ = options_.radix;
    readLines();
    for (std::size_t n = 0; n < statements_.size(); ++n) define(static_cast<int>(n));

    inPass_ = true;
    bool stable = false;
    for (int p = 0; p < kMaxPasses && !stable; ++p) {
        runPass(false);
        stable = settled() && p > 0;
    }
    runPass(true);
    if (!stable) {
        passFindings_.add(0, {}, Level::Error,
                          "the values of the labels do not settle: an ORG or DS depends on a label after it");
    }
    if (!passFindings_.hasError() && !readFindings_.hasError()) {
        layOut(result);
        if (!passFindings_.hasError()) chooseTags();
    }
    if (!passFindings_.hasError() && !readFindings_.hasError()) {
        writeLines(result);
        checkLines(result);
    }
    const bool failed = passFindings_.hasError() || readFindings_.hasError();
    inPass_ = false;
    readFindings_.append(std::move(passFindings_));
    if (failed && DetectSourceKind(text_) == SourceKind::OwnLines) {
        readFindings_.add(0, {}, Level::Warning,
                          "the text looks like the program's own lines, not a standard source");
    }
    result.report = readFindings_.Sorted();
    if (!result.ok()) result.lines.clear();
    return result;
}

}  // namespace

bool IsReservedWord(std::string_view upper)
{
    return isOperation(upper) || IsRegisterName(upper) || IsOperatorWord(upper) ||
           std::find(kZ80Only.begin(), kZ80Only.end(), upper) != kZ80Only.end();
}

ImportResult ImportStandardSource(std::string_view text, const ImportOptions& options)
{
    return Importer(text, options).Run();
}

}  // namespace korvanta::importer
