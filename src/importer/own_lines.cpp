#include "importer/own_lines.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "importer/importer.h"
#include "importer/source_lines.h"
#include "isa/numeric_text.h"

namespace korvanta::importer {

namespace {

enum class Shape : std::uint8_t {
    Implied,
    Mov,
    Mvi,
    Lxi,
    Direct,
    BD,
    Reg,
    Imm,
    Pair,
    Stack,
    Jump,
    Rst,
    Port
};

struct OwnMnemonic {
    std::string_view name;
    Shape shape;
    std::uint8_t opcode;
};

// In the order the assembler tries them: four letters first, then three
// (a two-letter mnemonic needs a blank or the end of the line after it).
constexpr std::array<OwnMnemonic, 10> kFour{{
    {"STAX", Shape::BD, 0x02},
    {"LDAX", Shape::BD, 0x0A},
    {"PUSH", Shape::Stack, 0xC5},
    {"XTHL", Shape::Implied, 0xE3},
    {"SPHL", Shape::Implied, 0xF9},
    {"CALL", Shape::Jump, 0xCD},
    {"XCHG", Shape::Implied, 0xEB},
    {"PCHL", Shape::Implied, 0xE9},
    {"SHLD", Shape::Direct, 0x22},
    {"LHLD", Shape::Direct, 0x2A},
}};

constexpr std::array<OwnMnemonic, 70> kThree{{
    {"ACI", Shape::Imm, 0xCE},     {"MOV", Shape::Mov, 0x40},     {"MVI", Shape::Mvi, 0x06},
    {"LXI", Shape::Lxi, 0x01},     {"STA", Shape::Direct, 0x32},  {"LDA", Shape::Direct, 0x3A},
    {"JMP", Shape::Jump, 0xC3},    {"JC", Shape::Jump, 0xDA},     {"POP", Shape::Stack, 0xC1},
    {"JNC", Shape::Jump, 0xD2},    {"JZ", Shape::Jump, 0xCA},     {"JNZ", Shape::Jump, 0xC2},
    {"JP", Shape::Jump, 0xF2},     {"JM", Shape::Jump, 0xFA},     {"JPE", Shape::Jump, 0xEA},
    {"JPO", Shape::Jump, 0xE2},    {"CC", Shape::Jump, 0xDC},     {"CNC", Shape::Jump, 0xD4},
    {"CZ", Shape::Jump, 0xCC},     {"CNZ", Shape::Jump, 0xC4},    {"CP", Shape::Jump, 0xF4},
    {"CM", Shape::Jump, 0xFC},     {"CPE", Shape::Jump, 0xEC},    {"CPO", Shape::Jump, 0xE4},
    {"RET", Shape::Implied, 0xC9}, {"RC", Shape::Implied, 0xD8},  {"RNC", Shape::Implied, 0xD0},
    {"RZ", Shape::Implied, 0xC8},  {"RNZ", Shape::Implied, 0xC0}, {"RP", Shape::Implied, 0xF0},
    {"RM", Shape::Implied, 0xF8},  {"RPE", Shape::Implied, 0xE8}, {"RPO", Shape::Implied, 0xE0},
    {"RST", Shape::Rst, 0xC7},     {"INR", Shape::Reg, 0x04},     {"DCR", Shape::Reg, 0x05},
    {"INX", Shape::Pair, 0x03},    {"DCX", Shape::Pair, 0x0B},    {"ADD", Shape::Reg, 0x80},
    {"ADC", Shape::Reg, 0x88},     {"ADI", Shape::Imm, 0xC6},     {"DAD", Shape::Pair, 0x09},
    {"SUB", Shape::Reg, 0x90},     {"SBB", Shape::Reg, 0x98},     {"SUI", Shape::Imm, 0xD6},
    {"DAA", Shape::Implied, 0x27}, {"SBI", Shape::Imm, 0xDE},     {"ANA", Shape::Reg, 0xA0},
    {"XRA", Shape::Reg, 0xA8},     {"ORA", Shape::Reg, 0xB0},     {"CMP", Shape::Reg, 0xB8},
    {"ANI", Shape::Imm, 0xE6},     {"XRI", Shape::Imm, 0xEE},     {"ORI", Shape::Imm, 0xF6},
    {"CPI", Shape::Imm, 0xFE},     {"RLC", Shape::Implied, 0x07}, {"RRC", Shape::Implied, 0x0F},
    {"RAL", Shape::Implied, 0x17}, {"RAR", Shape::Implied, 0x1F}, {"CMA", Shape::Implied, 0x2F},
    {"CMC", Shape::Implied, 0x3F}, {"STC", Shape::Implied, 0x37}, {"NOP", Shape::Implied, 0x00},
    {"HLT", Shape::Implied, 0x76}, {"IN", Shape::Port, 0xDB},     {"OUT", Shape::Port, 0xD3},
    {"EI", Shape::Implied, 0xFB},  {"DI", Shape::Implied, 0xF3},  {"RIM", Shape::Implied, 0x20},
    {"SIM", Shape::Implied, 0x30},
}};

std::string_view trimBlanks(std::string_view t)
{
    const auto a = t.find_first_not_of(' ');
    if (a == std::string_view::npos) return {};
    return t.substr(a, t.find_last_not_of(' ') - a + 1);
}

// VB's Mid$: from 1-based column start, at most length characters.
std::string_view mid(std::string_view t, std::size_t start, std::size_t length)
{
    if (start < 1 || start > t.size()) return {};
    return t.substr(start - 1, length);
}

std::string_view lastChars(std::string_view t, std::size_t n)
{
    return t.size() > n ? t.substr(t.size() - n) : t;
}

const OwnMnemonic* recognise(std::string_view rest)
{
    const std::string_view t4 = trimBlanks(rest.substr(0, 4));
    for (const auto& m : kFour) {
        if (t4 == m.name) return &m;
    }
    const std::string_view t3 = trimBlanks(rest.substr(0, 3));
    for (const auto& m : kThree) {
        if (t3 == m.name) return &m;
    }
    return nullptr;
}

int registerCode(std::string_view letter)
{
    static constexpr std::string_view kCodes = "BCDEHLMA";
    if (letter.size() != 1) return -1;
    const auto p = kCodes.find(letter[0]);
    return p == std::string_view::npos ? -1 : static_cast<int>(p);
}

// Reads one line's instruction into `line`: bytes as the texts the
// assembler would store, so that classic mode's texts that are not bytes
// can be told from real ones.
class LineReader {
public:
    LineReader(bool full) : full_(full) {}

    void read(const OwnMnemonic& m, std::string_view rest, OwnLine& line)
    {
        line.kind = OwnLine::Instruction;
        line.mnemonic = std::string(m.name);
        texts_.clear();
        line_ = &line;
        switch (m.shape) {
            case Shape::Implied:
                opcode(m.opcode);
                break;
            case Shape::Mov: {
                const std::string_view d = mid(rest, 5, 1), s = trimBlanks(mid(rest, 7, 3));
                const int dc = registerCode(d), sc = registerCode(s);
                if (dc < 0 || sc < 0 || (dc == 6 && sc == 6))
                    return refuse("MOV needs two registers, not both M");
                opcode(static_cast<std::uint8_t>(0x40 | dc << 3 | sc));
                line.registers = std::string(d) + "," + std::string(s);
                break;
            }
            case Shape::Mvi: {
                const std::string_view d = mid(rest, 5, 1);
                const int dc = registerCode(d);
                if (dc < 0) return refuse("MVI needs a register");
                const std::string_view imm = trimBlanks(mid(rest, 7, 4));
                if (imm.size() != 2) return refuse("MVI needs a byte of two hex digits");
                opcode(static_cast<std::uint8_t>(0x06 | dc << 3));
                line.registers = std::string(d);
                byteText(imm);
                break;
            }
            case Shape::Lxi: {
                const std::string_view p = trimBlanks(mid(rest, 5, 1));
                int code = -1;
                if (p == "B")
                    code = 0;
                else if (p == "D")
                    code = 1;
                else if (p == "H")
                    code = 2;
                else if (p == "S" && mid(rest, 5, 2) == "SP")
                    code = 3;
                if (code < 0) return refuse("LXI needs the pair B, D, H or SP");
                const std::string_view w = trimBlanks(code == 3 ? mid(rest, 8, 8) : mid(rest, 7, 8));
                if (w.size() != 4) return refuse("LXI needs four hex digits");
                opcode(static_cast<std::uint8_t>(0x01 | code << 4));
                line.registers = code == 3 ? "SP" : std::string(p);
                wordText(w);
                break;
            }
            case Shape::Direct: {
                const std::string_view w = lastChars(rest, 4);
                if (w.size() != 4) return refuse("the address needs four hex digits");
                opcode(m.opcode);
                wordText(w);
                break;
            }
            case Shape::BD: {
                const std::string_view p = lastChars(rest, 1);
                if (p != "B" && p != "D") return refuse(line.mnemonic + " needs B or D");
                opcode(static_cast<std::uint8_t>(m.opcode | (p == "D" ? 0x10 : 0)));
                line.registers = std::string(p);
                break;
            }
            case Shape::Reg: {
                const std::string_view r = lastChars(rest, 1);
                const int code = registerCode(r);
                if (code < 0) return refuse(line.mnemonic + " needs a register");
                const bool middle = m.opcode < 0x40;  // INR and DCR name it in bits 3 to 5
                opcode(static_cast<std::uint8_t>(m.opcode | (middle ? code << 3 : code)));
                line.registers = std::string(r);
                break;
            }
            case Shape::Imm:
                opcode(m.opcode);
                byteText(lastChars(rest, 2));
                break;
            case Shape::Pair: {
                const std::string_view p = trimBlanks(lastChars(rest, 2));
                const int code = p == "B" ? 0 : p == "D" ? 1 : p == "H" ? 2 : p == "SP" ? 3 : -1;
                if (code < 0) return refuse(line.mnemonic + " needs the pair B, D, H or SP");
                opcode(static_cast<std::uint8_t>(m.opcode | code << 4));
                line.registers = std::string(p);
                break;
            }
            case Shape::Stack: {
                const std::string_view p = lastChars(rest, 1);
                const int code = p == "B" ? 0 : p == "D" ? 1 : p == "H" ? 2 : p == "W" ? 3 : -1;
                if (code < 0) return refuse(line.mnemonic + " needs the pair B, D, H or PSW");
                opcode(static_cast<std::uint8_t>(m.opcode | code << 4));
                line.registers = code == 3 ? "PSW" : std::string(p);
                break;
            }
            case Shape::Jump: {
                const std::string_view w = lastChars(rest, 4);
                if (w.size() < 4) return refuse("the address or tag needs four characters");
                opcode(m.opcode);
                line.operand = OwnLine::Jump;
                // Which of the two it is can only be decided once every tag is known.
                line.jumpTag = std::string(w);
                break;
            }
            case Shape::Rst: {
                const std::string_view n = lastChars(rest, 1);
                const bool allowed = full_ ? (n.size() == 1 && n[0] >= '0' && n[0] <= '7')
                                           : (n == "5" || n == "6" || n == "7");
                if (!allowed) return refuse(full_ ? "RST takes 0 to 7" : "RST takes only 5, 6 or 7 here");
                line.bytes.push_back(static_cast<std::uint8_t>(0xC7 | (n[0] - '0') << 3));
                line.operand = OwnLine::Rst;
                line.value = static_cast<std::uint32_t>(n[0] - '0');
                break;
            }
            case Shape::Port:
                if (full_) {
                    opcode(m.opcode);
                    byteText(lastChars(rest, 2));
                } else {
                    // A four-character port, stored like an address: low pair first.
                    const std::string_view w = lastChars(rest, 4);
                    if (w.size() < 4) return refuse("the port needs four characters here");
                    opcode(m.opcode);
                    wordText(w);
                    line.operand = OwnLine::Port16;
                }
                break;
        }
        finish();
    }

private:
    void refuse(std::string why)
    {
        line_->kind = OwnLine::Refused;
        line_->problem = std::move(why);
        line_->bytes.clear();
    }

    void opcode(std::uint8_t b) { line_->bytes.push_back(b); }

    void byteText(std::string_view t)
    {
        line_->operand = OwnLine::Byte;
        texts_.emplace_back(t);
    }

    void wordText(std::string_view t)
    {
        line_->operand = line_->operand == OwnLine::NoValue ? OwnLine::Word : line_->operand;
        texts_.emplace_back(t.substr(2, 2));
        texts_.emplace_back(t.substr(0, 2));
    }

    // The operand texts become bytes, or the line cannot be written.
    void finish()
    {
        std::uint32_t value = 0;
        int shift = 0;
        for (const auto& t : texts_) {
            const int v = HexValue(t);
            if (v < 0) {
                const std::uint32_t size = static_cast<std::uint32_t>(line_->bytes.size() + texts_.size());
                if (full_) return refuse("'" + t + "' is not a byte of two hex digits");
                line_->kind = OwnLine::Inexact;
                line_->problem =
                    "classic mode stores the text '" + t + "' as a byte; no standard source can say that";
                line_->size = size;
                line_->bytes.clear();
                return;
            }
            line_->bytes.push_back(static_cast<std::uint8_t>(v));
            value |= static_cast<std::uint32_t>(v) << shift;
            shift += 8;
        }
        if (!texts_.empty()) line_->value = value;
    }

    bool full_;
    OwnLine* line_ = nullptr;
    std::vector<std::string> texts_;
};

}  // namespace

bool OwnProgram::ok() const
{
    return std::none_of(lines.begin(), lines.end(), [](const OwnLine& l) {
        return l.kind == OwnLine::Refused || l.kind == OwnLine::Inexact;
    });
}

std::map<std::uint16_t, std::uint8_t> OwnProgram::Image() const
{
    std::map<std::uint16_t, std::uint8_t> image;
    for (const auto& l : lines) {
        for (std::size_t k = 0; k < l.bytes.size(); ++k)
            image[static_cast<std::uint16_t>(l.address + k)] = l.bytes[k];
    }
    return image;
}

OwnProgram AssembleOwnLines(const std::vector<std::string>& source, std::string_view startAddress,
                            bool fullMode, bool orgCommands)
{
    OwnProgram p;
    const int start = HexValue(startAddress.size() == 4 ? startAddress : std::string_view());
    p.start = start < 0 ? 0 : static_cast<std::uint32_t>(start);
    p.block = p.start >> 12;
    std::uint32_t location = p.start;
    bool anyByte = false;
    Occupancy placed;                                     // by line index
    std::unordered_map<std::string, std::uint32_t> tags;  // first definition wins
    LineReader reader(fullMode);
    bool ended = false;

    p.lines.reserve(source.size());
    for (std::size_t i = 0; i < source.size(); ++i) {
        OwnLine line;
        line.text = source[i];
        if (ended || line.text.empty()) {
            line.kind = OwnLine::AfterEnd;
            ended = true;
            p.lines.push_back(std::move(line));
            continue;
        }
        std::string_view rest = line.text;
        if (rest.size() >= 5 && rest[4] == ':') {
            line.tag = std::string(rest.substr(0, 4));
            rest = trimBlanks(rest.substr(5));
            if (!tags.emplace(line.tag, location).second) line.tagRepeated = true;
        }
        line.address = location;
        if (start < 0) {
            line.kind = OwnLine::Refused;
            line.problem = "the start address '" + std::string(startAddress) + "' is not four hex digits";
            p.lines.push_back(std::move(line));
            continue;
        }

        const std::string_view t4 = trimBlanks(rest.substr(0, 4));
        std::uint32_t reserve = 0;
        if (t4 == "!!OR" && orgCommands) {
            // Full 8085 mode reads the address after the word, classic mode
            // the line's last four characters.
            const std::string_view a = fullMode
                                           ? trimBlanks(rest.substr(std::min<std::size_t>(5, rest.size())))
                                           : lastChars(rest, 4);
            const int v = rest.substr(0, 5) == "!!ORG" && a.size() == 4 ? HexValue(a) : -1;
            line.kind = OwnLine::Origin;
            line.value = static_cast<std::uint32_t>(v);
            if (v < 0) {
                line.kind = OwnLine::Refused;
                line.problem = "!!ORG needs an address of four hex digits";
            } else if (fullMode && !anyByte) {
                // Before the first byte every ORG sets where the program starts.
                p.start = static_cast<std::uint32_t>(v);
                p.block = p.start >> 12;
                line.setsStart = true;
                location = p.start;
            } else if (fullMode) {
                const auto target = static_cast<std::uint32_t>(v);
                if (target >> 12 != p.block) {
                    line.kind = OwnLine::Refused;
                    line.problem = "!!ORG " + std::string(a) + " lies outside the memory block";
                } else if (placed.FirstTaken(target, location) >= 0) {
                    line.kind = OwnLine::Refused;
                    line.problem = "!!ORG goes back over bytes already placed";
                } else {
                    location = target;
                }
            } else if (location != p.block << 12) {
                line.kind = OwnLine::Refused;
                line.problem =
                    "!!ORG is obeyed only before anything is placed, at the first address of the block";
            } else if (static_cast<unsigned>(v) >> 12 != p.block) {
                line.kind = OwnLine::Refused;
                line.problem = "!!ORG " + std::string(a) + " lies outside the memory block shown";
            } else {
                p.start = static_cast<std::uint32_t>(v);
                location = p.start;
                line.setsStart = true;
            }
        } else if (t4.substr(0, 2) == "!!") {
            const std::string_view after = rest.substr(2);
            // Items between commas, each trimmed of blanks.
            auto items = [&](std::size_t digits, OwnLine::Kind kind) {
                line.kind = kind;
                std::string_view list = trimBlanks(after.substr(3));
                while (true) {
                    const std::size_t comma = list.find(',');
                    const std::string_view item = trimBlanks(list.substr(0, comma));
                    const int v = item.size() == digits ? HexValue(item) : -1;
                    if (v < 0) {
                        line.kind = OwnLine::Refused;
                        line.problem = "every item needs exactly " + std::to_string(digits) + " hex digits";
                        line.bytes.clear();
                        return;
                    }
                    line.bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
                    if (digits == 4) line.bytes.push_back(static_cast<std::uint8_t>(v >> 8));
                    if (comma == std::string_view::npos) return;
                    list.remove_prefix(comma + 1);
                }
            };
            if (fullMode && after.substr(0, 3) == "DB ") {
                items(2, OwnLine::Bytes);
            } else if (fullMode && after.substr(0, 3) == "DW ") {
                items(4, OwnLine::Words);
            } else if (fullMode && after.substr(0, 3) == "DS ") {
                const std::string_view count = trimBlanks(after.substr(3));
                const int v = count.size() == 4 ? HexValue(count) : -1;
                if (v < 0) {
                    line.kind = OwnLine::Refused;
                    line.problem = "!!DS needs a count of four hex digits";
                } else {
                    line.kind = OwnLine::Reserve;
                    line.value = static_cast<std::uint32_t>(v);
                    reserve = line.value;
                }
            } else {
                line.kind = OwnLine::Comment;
                line.comment = std::string(after.substr(after.substr(0, 1) == " " ? 1 : 0));
            }
        } else if (const OwnMnemonic* m = recognise(rest)) {
            reader.read(*m, rest, line);
        } else {
            line.kind = OwnLine::Refused;
            line.problem = "no instruction or directive the assembler knows";
        }

        // Every byte in the block, none on its last address, none twice.
        const std::uint32_t size = line.kind == OwnLine::Inexact ? line.size
                                   : line.kind == OwnLine::Instruction && line.operand == OwnLine::Jump
                                       ? 3
                                       : static_cast<std::uint32_t>(line.bytes.size());
        const std::uint32_t base = p.block << 12;
        const std::uint32_t after = location + size + reserve;
        if (size + reserve > 0 && (location < base || after > base + 0xFFF)) {
            line.kind = OwnLine::Refused;
            line.problem = "it does not fit the block " + Hex(base, 4) + "-" + Hex(base + 0xFFE, 4);
            line.bytes.clear();
        } else if (line.kind != OwnLine::Refused) {
            if (const std::int32_t a = placed.FirstTaken(location, after); a >= 0) {
                line.kind = OwnLine::Refused;
                line.problem = "it would overwrite the bytes of line " +
                               std::to_string(placed.OwnerOf(static_cast<std::uint32_t>(a)) + 1);
                line.bytes.clear();
            }
            if (line.kind != OwnLine::Refused) {
                placed.Take(location, after, static_cast<int>(i));
                if (size > 0) anyByte = true;
                location = after;
            }
        }
        p.lines.push_back(std::move(line));
    }

    // Jump operands: a tag, or an address.
    for (auto& line : p.lines) {
        if (line.kind != OwnLine::Instruction || line.operand != OwnLine::Jump) continue;
        const std::string w = line.jumpTag;
        if (!fullMode && ended && !IsNumeric(w)) {
            // Classic mode fills in no tag when an empty line ends the program.
            line.kind = OwnLine::Inexact;
            line.problem = "the empty line that ends the program leaves the tag '" + w + "' unfilled";
            line.size = 3;
            line.bytes.clear();
            continue;
        }
        const auto tag = tags.find(w);
        int address = -1;
        if (fullMode) {
            if (tag != tags.end())
                address = static_cast<int>(tag->second);
            else if ((address = HexValue(w)) >= 0)
                line.jumpTag.clear();
        } else if (IsNumeric(w)) {
            line.jumpTag.clear();
            address = HexValue(w);
            if (address < 0) {
                line.kind = OwnLine::Inexact;
                line.problem = "classic mode stores the texts of '" + w +
                               "' as an address; no standard source can say that";
                line.size = 3;
                line.bytes.clear();
                continue;
            }
        } else if (tag != tags.end()) {
            address = static_cast<int>(tag->second);
        }
        if (address < 0) {
            line.kind = OwnLine::Refused;
            line.problem = "no tag '" + w + "' is defined" +
                           (fullMode ? ", and it is no address of four hex digits" : "");
            line.bytes.clear();
            continue;
        }
        line.value = static_cast<std::uint32_t>(address);
        line.bytes.push_back(static_cast<std::uint8_t>(address & 0xFF));
        line.bytes.push_back(static_cast<std::uint8_t>(address >> 8));
    }
    return p;
}

SourceKind DetectSourceKind(std::string_view text)
{
    std::size_t control = 0;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 0) return SourceKind::NotText;
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 0x1A) || c == 0x7F)
            ++control;
    }
    if (control * 100 > text.size()) return SourceKind::NotText;

    // The program's own lines: no blanks before them, upper case, every line
    // a "!!" line or a mnemonic the assembler knows, tags with their colon in
    // column 5, no ';' comments and no H-suffixed numbers. The first few
    // thousand lines tell as well as all of them would.
    constexpr std::size_t kLinesLookedAt = 4000;
    std::size_t lines = 0, own = 0;
    LineCursor cursor(text);
    for (std::string_view line; lines < kLinesLookedAt && cursor.Next(line);) {
        if (line.empty()) continue;
        ++lines;
        if (line.find(';') != std::string_view::npos || line.find('\t') != std::string_view::npos)
            return SourceKind::Standard;
        std::string_view rest = line;
        if (rest.size() >= 5 && rest[4] == ':') {
            if (rest.size() > 5 && rest[5] != ' ') continue;
            rest = rest.substr(rest.size() > 5 ? 6 : 5);
            if (rest.empty()) continue;
        }
        if (rest.substr(0, 2) == "!!") {
            ++own;
            continue;
        }
        if (rest.front() == ' ' || !recognise(rest)) continue;
        bool canonical = true;
        const auto blank = rest.find(' ');
        if (blank != std::string_view::npos) {
            const std::string_view ops = rest.substr(blank + 1);
            std::size_t k = 0;
            while (k <= ops.size() && canonical) {
                const auto comma = std::min(ops.find(',', k), ops.size());
                const std::string_view op = ops.substr(k, comma - k);
                const bool hexOperand = HexValue(op) >= 0;
                const bool reg =
                    op == "SP" || op == "PSW" ||
                    (op.size() == 1 && ((op[0] >= 'A' && op[0] <= 'M') || (op[0] >= '0' && op[0] <= '7')));
                const bool tag = op.size() == 4 && std::all_of(op.begin(), op.end(), [](char c) {
                                     return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
                                 });
                const bool suffixed = op.size() > 1 && op.back() == 'H' && op[0] >= '0' && op[0] <= '9';
                canonical = (hexOperand || reg || tag) && !suffixed;
                k = comma + 1;
            }
        }
        if (canonical) ++own;
    }
    if (lines > 0 && own * 10 >= lines * 9) return SourceKind::OwnLines;
    return SourceKind::Standard;
}

}  // namespace korvanta::importer
