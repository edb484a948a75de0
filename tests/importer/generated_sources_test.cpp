// Standard sources made up at random in the dialects people write: upper or
// lower case, labels with and without colons, every radix and suffix,
// expressions, EQU and SET, the directive spellings of other assemblers,
// CP/M's '!' between statements, every line end. The generator works out
// each byte itself from the 8085's instruction encoding, so the import is
// checked against bytes it did not make: the lines must assemble in Full
// 8085 mode to exactly those bytes, and their export must import back to
// them again.

#include <random>
#include <set>

#include "assembler/sim_fixture.h"
#include "import_fixture.h"
#include "importer/expression.h"
#include "importer/source_lines.h"

namespace korvanta::importer::testing {
namespace {

using Image = std::map<std::uint16_t, std::uint8_t>;

// Register and pair numbers as the opcodes hold them.
constexpr const char* kReg[] = {"B", "C", "D", "E", "H", "L", "M", "A"};
constexpr const char* kPair[] = {"B", "D", "H", "SP"};
constexpr const char* kStackPair[] = {"B", "D", "H", "PSW"};
constexpr const char* kAlu[] = {"ADD", "ADC", "SUB", "SBB", "ANA", "XRA", "ORA", "CMP"};
constexpr const char* kAluImm[] = {"ADI", "ACI", "SUI", "SBI", "ANI", "XRI", "ORI", "CPI"};
constexpr const char* kCond[] = {"NZ", "Z", "NC", "C", "PO", "PE", "P", "M"};
struct Implied {
    const char* name;
    std::uint8_t code;
};
constexpr Implied kImplied[] = {{"XCHG", 0xEB}, {"XTHL", 0xE3}, {"SPHL", 0xF9}, {"PCHL", 0xE9}, {"NOP", 0x00},
                                {"EI", 0xFB},   {"DI", 0xF3},   {"RIM", 0x20},  {"SIM", 0x30},  {"DAA", 0x27},
                                {"CMA", 0x2F},  {"CMC", 0x3F},  {"STC", 0x37},  {"RLC", 0x07},  {"RRC", 0x0F},
                                {"RAL", 0x17},  {"RAR", 0x1F},  {"RET", 0xC9}};
struct Direct {
    const char* name;
    std::uint8_t code;
};
constexpr Direct kDirect[] = {{"LDA", 0x3A}, {"STA", 0x32}, {"LHLD", 0x2A}, {"SHLD", 0x22}};

// Marks an operand that names a label, written once the label has its address.
constexpr const char* kLater = "\x01";

class Generator {
public:
    Generator(std::uint32_t seed) : rng_(seed)
    {
        radix_ = pick(2) ? 16 : 10;
        lower_ = pick(3) == 0;
        mixed_ = !lower_ && pick(4) == 0;
        bangs_ = pick(3) == 0;
        colons_ = pick(3) != 0;
        static const char* const kDb[] = {"DB", "DEFB", ".DB", ".BYTE", "DFB", "BYTE"};
        static const char* const kDw[] = {"DW", "DEFW", ".DW", ".WORD", "DFW"};
        static const char* const kDs[] = {"DS", "DEFS", ".DS", ".BLOCK", "DFS", ".RS"};
        static const char* const kOrg[] = {"ORG", ".ORG"};
        static const char* const kEqu[] = {"EQU", ".EQU", "="};
        db_ = kDb[pick(std::size(kDb))];
        dw_ = kDw[pick(std::size(kDw))];
        ds_ = kDs[pick(std::size(kDs))];
        org_ = kOrg[pick(std::size(kOrg))];
        equ_ = kEqu[pick(std::size(kEqu))];
        static const char* const kEnds[] = {"\n", "\r\n", "\r"};
        eol_ = kEnds[pick(3)];
    }

    int radix() const { return radix_; }
    const Image& image() const { return image_; }
    std::uint32_t start() const { return start_; }

    std::string Make()
    {
        // Symbols first, so that EQU lines can go anywhere, before or after use.
        for (int i = 0; i < 4; ++i)
            symbols_.push_back({Name(), static_cast<std::int64_t>(rng_() % 0x10000), false});
        for (int i = 0; i < 8; ++i) labels_.push_back({Name(), 0, false});

        const bool hasOrg = pick(6) != 0;
        const std::uint32_t block = hasOrg ? pick(16) : 0;
        start_ = (block << 12) + (hasOrg ? pick(0x400) : 0);
        location_ = start_;
        Comment();
        if (hasOrg) Statement({}, org_ + " " + Number(start_, false));

        // Pass one lays the program out; labels get their addresses here.
        Plan();
        // Pass two writes it, now that every label's address is known.
        std::string text;
        for (const auto& l : out_) text += l + eol_;
        for (const auto& s : symbols_) {
            if (!s.written) text += Spell(s.name) + "\t" + Spell(equ_) + " " + Number(s.value, false) + eol_;
        }
        if (pick(2)) text += "\t" + Spell("END") + eol_ + "this text after END is not read" + eol_;
        if (pick(4) == 0 && text.size() > eol_.size())
            text.resize(text.size() - eol_.size());  // no final line end
        return text;
    }

private:
    struct Name_ {
        std::string name;
        std::int64_t value;
        bool written;
    };

    std::uint32_t pick(std::size_t n) { return static_cast<std::uint32_t>(rng_() % n); }

    // A name as assemblers allow it, with a digit so that it can be no
    // keyword: "nxt_7", "?t3", "@buf9x", ".l2", "a$5".
    std::string Name()
    {
        static const std::string kFirst = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_?@.";
        static const std::string kRest = "abcdefghijklmnopqrstuvwxyz0123456789_?@.$";
        while (true) {
            std::string n(1, kFirst[pick(kFirst.size())]);
            n += static_cast<char>('a' + pick(26));
            const std::size_t length = 1 + pick(7);
            for (std::size_t i = 0; i < length; ++i) n += kRest[pick(kRest.size())];
            n += static_cast<char>('0' + pick(10));
            const std::string u = Upper(n);
            if (used_.insert(u).second) return n;
        }
    }

    std::string Spell(const std::string& word)
    {
        if (lower_) return LowerCase(word);
        if (mixed_) {
            std::string w = word;
            for (std::size_t i = 1; i < w.size(); i += 2) w[i] = LowerCase(std::string(1, w[i]))[0];
            return w;
        }
        return word;
    }
    static std::string LowerCase(std::string w)
    {
        for (char& c : w) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        return w;
    }

    // v written in one of the forms the radix allows.
    std::string Number(std::int64_t v, bool small)
    {
        auto digits = [](std::int64_t x, int base) {
            std::string d;
            do {
                d.insert(d.begin(), "0123456789ABCDEF"[x % base]);
                x /= base;
            } while (x > 0);
            return d;
        };
        auto hex = [&](const char* suffix) {
            std::string h = digits(v, 16);
            if (h[0] > '9') h.insert(0, "0");
            return (pick(2) ? LowerCase(h) : h) + suffix;
        };
        const std::uint32_t form = pick(small ? 6 : 5);
        if (radix_ == 16) {
            switch (form) {
                case 0:
                    return hex("");
                case 1:
                    return hex("H");
                case 2:
                    return digits(v, 8) + "Q";
                case 3:
                    return "0x" + digits(v, 16);
                default:
                    return hex(pick(2) ? "h" : "");
            }
        }
        switch (form) {
            case 0:
                return digits(v, 10);
            case 1:
                return hex(pick(2) ? "H" : "h");
            case 2:
                return digits(v, 8) + (pick(2) ? "Q" : "o");
            case 3:
                return pick(2) ? "0x" + digits(v, 16) : digits(v, 10) + "D";
            case 4:
                return digits(v, 10);
            default:
                return digits(v, 2) + "B";  // small values only: long binary is unreadable
        }
    }

    // An expression worth v, for a byte (bits 8) or a word (16), where the
    // statement starts at `here`.
    std::string Value(std::int64_t v, int bits, std::uint32_t here)
    {
        const std::int64_t top = bits == 8 ? 0xFF : 0xFFFF;
        switch (pick(12)) {
            case 0:
                if (v >= 0x21 && v <= 0x7E && v != '\'' && v != '"' && v != ';') {
                    return pick(2) ? "'" + std::string(1, static_cast<char>(v)) + "'"
                                   : "\"" + std::string(1, static_cast<char>(v)) + "\"";
                }
                break;
            case 1: {
                const std::int64_t a = pick(static_cast<std::size_t>(v) + 1);
                return Number(a, a < 64) + " + " + Number(v - a, v - a < 64);
            }
            case 2: {
                const std::int64_t a = pick(static_cast<std::size_t>(top - v) + 1);
                return "(" + Number(v + a, false) + "-" + Number(a, a < 64) + ")";
            }
            case 3:
                if (v > top / 2) return "-" + Number(top + 1 - v, false);  // two's complement
                break;
            case 4:
                if (bits == 8)
                    return Spell(pick(2) ? "LOW " : "LOW") + "(" + Number(v | pick(256) << 8, false) + ")";
                return Spell("HIGH") + "(" + Number(v, false) + ") " + Spell("SHL") + " 8 " + Spell("OR") +
                       " " + Spell("LOW ") + Number(v, false);
            case 5:
                if (bits == 8) return Spell("HIGH ") + Number(v << 8 | pick(256), false);
                break;
            case 6:
                return Spell("NOT ") + Number(top - v, false) +
                       (bits == 8 ? " & 0FFH" : " " + Spell("AND") + " 0FFFFH");
            case 7: {
                const std::int64_t b = 1 + pick(9);
                const std::int64_t q = v / b, r = v % b;
                return Number(q, q < 64) + "*" + Number(b, true) + " + " + Number(r, true);
            }
            case 8: {
                const std::int64_t b = 2 + pick(7);
                if (v * b + b - 1 > 0xFFFF) break;
                return Number(v * b + pick(static_cast<std::size_t>(b)), false) + " / " + Number(b, true);
            }
            case 9: {
                const std::int64_t b = v + 1 + pick(50);
                if (b * 3 + v > 0xFFFF) break;
                return Number(b * 3 + v, false) + Spell(" MOD ") + Number(b, b < 64);
            }
            case 10: {
                // An EQU symbol plus what is left; the symbol's line may come later.
                Name_& s = symbols_[pick(symbols_.size())];
                const std::int64_t rest = (v - s.value) & top;
                return Spell(s.name) + " + " + Number(rest, rest < 64) +
                       (bits == 8 ? " & 0FFH" : " " + Spell("AND") + " 0FFFFH");
            }
            default:
                if (bits == 16 && v >= here) return "$+" + Number(v - here, v - here < 64);
                break;
        }
        return Number(v, v < 64);
    }

    std::string Reg(int r) { return Spell(kReg[r]); }

    // A line with an optional label: with a colon, or in column one without.
    std::string Labelled(const std::string& label, const std::string& body)
    {
        if (label.empty()) return "\t" + body;
        if (colons_) return Spell(label) + ":" + (pick(2) ? "\t" : " ") + body;
        return Spell(label) + "\t" + body;
    }

    void Statement(const std::string& label, const std::string& body)
    {
        out_.push_back(Labelled(label, body));
    }
    void Comment()
    {
        static const char* const kTexts[] = {"count down to zero", "the table's end; it's the sentinel", "",
                                             "save HL (the pointer)", "a \"quoted\" word"};
        const char* t = kTexts[pick(std::size(kTexts))];
        out_.push_back(pick(5) == 0 ? std::string("*") + t : std::string("; ") + t);
    }

    void Place(std::vector<std::uint8_t> bytes)
    {
        for (std::size_t k = 0; k < bytes.size(); ++k)
            image_[static_cast<std::uint16_t>(location_ + k)] = bytes[k];
        location_ += static_cast<std::uint32_t>(bytes.size());
    }

    // Lays out 20 to 80 statements. Operands naming labels are written once
    // every label has its address, so they are kept as texts made later.
    void Plan()
    {
        struct Later {
            std::size_t line;
            std::uint32_t at;
            std::string prefix;
            std::size_t labelIndex;
            std::int64_t offset;
            int kind;  // 0 jump to the plain label, 1 LXI with label+offset, 2 DW label
            std::string suffix;
        };
        std::vector<Later> later;
        std::size_t nextLabel = 0;
        bool halted = false;
        const int count = 20 + static_cast<int>(pick(60));
        const std::uint32_t limit =
            (start_ & 0xF000) + 0xC00;  // the rest of the block is room enough for the last lines
        for (int n = 0; !halted || (n < count && location_ < limit); ++n) {
            std::string label;
            if (nextLabel < labels_.size() && pick(4) == 0) {
                labels_[nextLabel].value = location_;
                label = labels_[nextLabel++].name;
                if (pick(5) == 0) {  // alone on its line
                    out_.push_back(colons_ ? Spell(label) + ":" : Spell(label));
                    label.clear();
                }
            }
            if (pick(8) == 0) Comment();
            if (pick(10) == 0) out_.push_back("");
            if (pick(12) == 0) {  // an EQU among the code
                Name_& s = symbols_[pick(symbols_.size())];
                if (!s.written) {
                    out_.push_back(Spell(s.name) + (pick(2) ? "\t" : " ") + Spell(equ_) + "\t" +
                                   Number(s.value, false));
                    s.written = true;
                }
            }
            const std::uint32_t here = location_;
            const std::uint32_t kind = halted || (n < count - 1 && location_ < limit) ? pick(16) : 99;
            std::string body;
            std::vector<std::uint8_t> bytes;
            switch (kind) {
                case 0: {
                    const int d = static_cast<int>(pick(8));
                    int s = static_cast<int>(pick(8));
                    if (d == 6 && s == 6) s = 7;
                    body = Spell("MOV") + " " + Reg(d) + "," + (pick(2) ? " " : "") + Reg(s);
                    bytes = {static_cast<std::uint8_t>(0x40 | d << 3 | s)};
                    break;
                }
                case 1: {
                    const int r = static_cast<int>(pick(8));
                    const std::int64_t v = pick(256);
                    body = Spell("MVI") + " " + Reg(r) + "," + Value(v, 8, here);
                    bytes = {static_cast<std::uint8_t>(0x06 | r << 3), static_cast<std::uint8_t>(v)};
                    break;
                }
                case 2: {
                    const int p = static_cast<int>(pick(4));
                    if (pick(3) == 0 && !labels_.empty()) {
                        later.push_back({out_.size(),
                                         here,
                                         Spell("LXI") + " " + Spell(kPair[p]) + ",",
                                         pick(labels_.size()),
                                         static_cast<std::int64_t>(pick(4)),
                                         1,
                                         {}});
                        body = kLater;
                        bytes = {static_cast<std::uint8_t>(0x01 | p << 4), 0, 0};
                        break;
                    }
                    const std::int64_t v = pick(0x10000);
                    body = Spell("LXI") + " " + Spell(kPair[p]) + "," + Value(v, 16, here);
                    bytes = {static_cast<std::uint8_t>(0x01 | p << 4), static_cast<std::uint8_t>(v),
                             static_cast<std::uint8_t>(v >> 8)};
                    break;
                }
                case 3: {
                    const int op = static_cast<int>(pick(8)), r = static_cast<int>(pick(8));
                    body = Spell(kAlu[op]) + " " + Reg(r);
                    bytes = {static_cast<std::uint8_t>(0x80 | op << 3 | r)};
                    break;
                }
                case 4: {
                    const int op = static_cast<int>(pick(8));
                    const std::int64_t v = pick(256);
                    body = Spell(kAluImm[op]) + " " + Value(v, 8, here);
                    bytes = {static_cast<std::uint8_t>(0xC6 | op << 3), static_cast<std::uint8_t>(v)};
                    break;
                }
                case 5: {
                    const int r = static_cast<int>(pick(8));
                    const bool inr = pick(2);
                    body = Spell(inr ? "INR" : "DCR") + " " + Reg(r);
                    bytes = {static_cast<std::uint8_t>((inr ? 0x04 : 0x05) | r << 3)};
                    break;
                }
                case 6: {
                    static const char* const kOps[] = {"INX", "DCX", "DAD"};
                    static const std::uint8_t kCodes[] = {0x03, 0x0B, 0x09};
                    const int op = static_cast<int>(pick(3)), p = static_cast<int>(pick(4));
                    body = Spell(kOps[op]) + " " + Spell(kPair[p]);
                    bytes = {static_cast<std::uint8_t>(kCodes[op] | p << 4)};
                    break;
                }
                case 7: {
                    const int p = static_cast<int>(pick(4));
                    const bool push = pick(2);
                    body = Spell(push ? "PUSH" : "POP") + " " + Spell(kStackPair[p]);
                    bytes = {static_cast<std::uint8_t>((push ? 0xC5 : 0xC1) | p << 4)};
                    break;
                }
                case 8: {
                    const bool store = pick(2), d = pick(2);
                    body = Spell(store ? "STAX" : "LDAX") + " " + Spell(d ? "D" : "B");
                    bytes = {static_cast<std::uint8_t>((store ? 0x02 : 0x0A) | (d ? 0x10 : 0))};
                    break;
                }
                case 9: {
                    // Jumps and calls, to a label (forward or back) or a number.
                    const std::uint32_t which = pick(3);
                    const int cc = static_cast<int>(pick(8));
                    const std::string name = which == 0 ? (pick(2) ? "JMP" : "CALL")
                                                        : (which == 1 ? "J" : "C") + std::string(kCond[cc]);
                    const std::uint8_t code =
                        which == 0 ? (name == "JMP" ? 0xC3 : 0xCD)
                                   : static_cast<std::uint8_t>((which == 1 ? 0xC2 : 0xC4) | cc << 3);
                    if (pick(3) != 0) {
                        later.push_back(
                            {out_.size(), here, Spell(name) + " ", pick(labels_.size()), 0, 0, {}});
                        body = kLater;
                        bytes = {code, 0, 0};
                    } else {
                        const std::int64_t v = pick(0x10000);
                        body = Spell(name) + " " + Value(v, 16, here);
                        bytes = {code, static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
                    }
                    break;
                }
                case 10: {
                    const int cc = static_cast<int>(pick(9));
                    if (cc == 8) {
                        const int n = static_cast<int>(pick(8));
                        body = Spell("RST") + " " + std::to_string(n);
                        bytes = {static_cast<std::uint8_t>(0xC7 | n << 3)};
                    } else {
                        body = Spell("R" + std::string(kCond[cc]));
                        bytes = {static_cast<std::uint8_t>(0xC0 | cc << 3)};
                    }
                    break;
                }
                case 11: {
                    const Implied& i = kImplied[pick(std::size(kImplied))];
                    body = Spell(i.name);
                    bytes = {i.code};
                    break;
                }
                case 12: {
                    const Direct& d = kDirect[pick(std::size(kDirect))];
                    const std::int64_t v = pick(0x10000);
                    body = Spell(d.name) + " " + Value(v, 16, here);
                    bytes = {d.code, static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
                    if (pick(2)) {
                        const bool in = pick(2);
                        const std::int64_t port = pick(256);
                        body = Spell(in ? "IN" : "OUT") + " " + Value(port, 8, here);
                        bytes = {static_cast<std::uint8_t>(in ? 0xDB : 0xD3),
                                 static_cast<std::uint8_t>(port)};
                    }
                    break;
                }
                case 13: {
                    // Bytes: numbers, characters and strings mixed; the quote doubled inside.
                    body = Spell(db_) + " ";
                    const int items = 1 + static_cast<int>(pick(8));
                    for (int k = 0; k < items; ++k) {
                        if (k > 0) body += pick(2) ? ", " : ",";
                        if (pick(3) == 0) {
                            static const char* const kStrings[] = {"Hello", "it''s", "a;b", "$",
                                                                   "8085 rules!"};
                            static const char* const kChars[] = {"Hello", "it's", "a;b", "$", "8085 rules!"};
                            const std::uint32_t s = pick(std::size(kStrings));
                            body += std::string("'") + kStrings[s] + "'";
                            for (const char* c = kChars[s]; *c; ++c)
                                bytes.push_back(static_cast<std::uint8_t>(*c));
                        } else {
                            const std::int64_t v = pick(256);
                            body += Value(v, 8, here);
                            bytes.push_back(static_cast<std::uint8_t>(v));
                        }
                    }
                    break;
                }
                case 14: {
                    body = Spell(dw_) + " ";
                    const int items = 1 + static_cast<int>(pick(4));
                    if (pick(3) == 0) {
                        later.push_back({out_.size(), here, body, pick(labels_.size()), 0, 2, {}});
                        body = kLater;
                        bytes = {0, 0};
                        break;
                    }
                    for (int k = 0; k < items; ++k) {
                        const std::int64_t v = pick(0x10000);
                        body += (k > 0 ? "," : "") + Value(v, 16, here);
                        bytes.push_back(static_cast<std::uint8_t>(v));
                        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
                    }
                    break;
                }
                case 15: {
                    // Space, now and then filled; or ORG a little further on.
                    const std::int64_t n2 = pick(24);
                    const std::uint32_t choice = pick(3);
                    if (choice == 0) {
                        // Assemblers differ on what a label on an ORG names: keep it on a line of its own.
                        if (!label.empty()) out_.push_back(colons_ ? Spell(label) + ":" : Spell(label));
                        out_.push_back("\t" + Spell(org_) + " " + Number(location_ + n2, false));
                        location_ += static_cast<std::uint32_t>(n2);
                        if (image_.empty())
                            start_ = location_;  // before the first byte, an ORG moves the start
                        continue;
                    }
                    if (choice == 1) {
                        const std::int64_t fill = pick(256);
                        body = Spell(ds_) + " " + Number(n2, true) + "," + Value(fill, 8, here);
                        bytes.assign(static_cast<std::size_t>(n2), static_cast<std::uint8_t>(fill));
                        break;
                    }
                    out_.push_back(Labelled(label, Spell(ds_) + " " + Value(n2, 8, here)));
                    location_ += static_cast<std::uint32_t>(n2);
                    continue;
                }
                default:
                    body = Spell("HLT");
                    bytes = {0x76};
                    halted = true;
                    break;
            }
            if (pick(6) == 0) body += "\t; " + std::string(pick(2) ? "why it's done" : "more");
            // CP/M's ASM: now and then two unlabelled statements on one line.
            if (bangs_ && label.empty() && body != kLater && body.find(';') == std::string::npos &&
                !out_.empty() && out_.back().starts_with("\t") &&
                out_.back().find_first_of(";\x01") == std::string::npos) {
                out_.back() += " ! " + body;
            } else {
                out_.push_back(Labelled(label, body));
            }
            Place(bytes);
        }
        // The labels not used yet name the end.
        while (nextLabel < labels_.size()) {
            labels_[nextLabel].value = location_;
            out_.push_back(colons_ ? Spell(labels_[nextLabel].name) + ":" : Spell(labels_[nextLabel].name));
            ++nextLabel;
        }

        for (const Later& l : later) {
            const std::uint32_t target = static_cast<std::uint32_t>(labels_[l.labelIndex].value + l.offset);
            const std::string name = Spell(labels_[l.labelIndex].name);
            std::string text = l.prefix + (l.kind == 1 ? name + "+" + std::to_string(l.offset) : name);
            const std::size_t mark = out_[l.line].find(kLater);
            out_[l.line].replace(mark, 1, text);
            const std::uint32_t at = l.kind == 2 ? l.at : l.at + 1;
            image_[static_cast<std::uint16_t>(at)] = static_cast<std::uint8_t>(target);
            image_[static_cast<std::uint16_t>(at + 1)] = static_cast<std::uint8_t>(target >> 8);
        }
    }

    std::mt19937 rng_;
    int radix_ = 10;
    bool lower_ = false, mixed_ = false, bangs_ = false, colons_ = true;
    std::string db_, dw_, ds_, org_, equ_, eol_;
    std::vector<Name_> symbols_, labels_;
    std::set<std::string> used_;
    std::vector<std::string> out_;
    Image image_;
    std::uint32_t start_ = 0, location_ = 0;
};

class GeneratedSources : public korvanta::testing::SimFixture {
public:
    // The bytes the program's own assembler puts in the window in Full 8085 mode.
    Image Assembled(const ImportResult& r)
    {
        Fresh("", r.startAddress, r.windowDigit);
        for (const auto& line : r.lines) sim.source.AppendLine(line);
        m.options.Full8085.set(1);
        Compile();
        EXPECT_TRUE(host.messages.empty()) << (host.messages.empty() ? "" : host.messages.front().text);
        Image image;
        const std::uint32_t base = static_cast<std::uint32_t>(std::stoul(r.windowDigit, nullptr, 16)) << 12;
        for (std::uint32_t a = base; a < base + 0x1000; ++a) {
            const int row = m.window.rowOfAddress(Hex(a, 4));
            if (row > 0 && m.window.data(row) != "00")
                image[static_cast<std::uint16_t>(a)] =
                    static_cast<std::uint8_t>(std::stoul(m.window.data(row), nullptr, 16));
        }
        return image;
    }
};

Image WithoutZeros(Image image)
{
    std::erase_if(image, [](const auto& entry) { return entry.second == 0; });
    return image;
}

TEST_F(GeneratedSources, AssembleToTheBytesTheGeneratorWorkedOut)
{
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
        Generator g(seed);
        const std::string text = g.Make();
        ImportOptions options;
        options.radix = g.radix();
        const ImportResult r = ImportStandardSource(text, options);
        ASSERT_TRUE(r.ok()) << "seed " << seed << "\n" << Describe(r) << text;
        for (const auto& line : r.lines) ASSERT_TRUE(!line.empty() && line.size() <= 48) << line;
        EXPECT_EQ(r.startAddress, Hex(g.start(), 4)) << "seed " << seed;
        EXPECT_EQ(r.windowDigit, Hex(g.start() >> 12, 1)) << "seed " << seed;

        // Rows the program leaves alone stay 00, so zeros cannot be told from them.
        ASSERT_EQ(Assembled(r), WithoutZeros(g.image())) << "seed " << seed << "\n" << text;

        const ExportResult e = ExportStandardSource(r.lines, r.startAddress, true);
        ASSERT_TRUE(e.report.empty()) << "seed " << seed;
        const ImportResult back = ImportStandardSource(e.text);
        ASSERT_TRUE(back.ok()) << "seed " << seed << "\n" << Describe(back) << e.text;
        EXPECT_EQ(back.startAddress, r.startAddress);
        EXPECT_EQ(FullImage(back.lines, back.startAddress), g.image()) << "seed " << seed << "\n" << e.text;
    }
}

}  // namespace
}  // namespace korvanta::importer::testing
