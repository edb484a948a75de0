// The program's own lines as a standard 8085 source.
//
// The lines are first read the way the program's assembler reads them in
// the chosen mode (own_lines.cpp); each line is then written from what that
// reading found, not from its text, so that the source says exactly which
// bytes go where, whatever blanks or columns the line used.

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "importer/importer.h"
#include "importer/own_lines.h"
#include "importer/source_lines.h"

namespace korvanta::importer {

namespace {

// Hex with an H and, where it starts with a letter, a leading 0.
std::string HexH(std::uint32_t value, int digits)
{
    std::string h = Hex(value, digits);
    if (h[0] > '9') h.insert(0, 1, '0');
    return h + "H";
}

bool IsPlainLabel(std::string_view tag)
{
    if (tag.size() != 4 || tag[0] < 'A' || tag[0] > 'Z') return false;
    for (char c : tag) {
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
    return !IsReservedWord(tag);
}

class Writer {
public:
    void line(const std::string& label, const std::string& op, const std::string& operands = {},
              const std::string& comment = {})
    {
        std::string out;
        if (!label.empty()) out = label + ":";
        if (!op.empty()) {
            out += out.size() < 8 ? std::string(8 - out.size(), ' ') : std::string(" ");
            out += op;
            if (!operands.empty())
                out += (op.size() < 8 ? std::string(8 - op.size(), ' ') : std::string(" ")) + operands;
        }
        if (!comment.empty() || (op.empty() && label.empty())) {
            if (!out.empty()) out += "  ";
            out += comment.empty() ? ";" : "; " + comment;
        }
        text += out;
        text += '\n';
    }
    std::string text;
};

}  // namespace

ExportResult ExportStandardSource(const std::vector<std::string>& lines, const std::string& startAddress,
                                  bool fullMode, bool orgCommands)
{
    ExportResult result;
    const OwnProgram program = AssembleOwnLines(lines, startAddress, fullMode, orgCommands);

    // Labels: a tag that is a good label keeps its name; others get T and
    // their characters, made unique.
    std::unordered_map<std::string, std::string> labels;
    std::unordered_set<std::string> used;
    for (const auto& l : program.lines) {
        if (!l.tag.empty() && !l.tagRepeated && IsPlainLabel(l.tag)) {
            labels[l.tag] = l.tag;
            used.insert(l.tag);
        }
    }
    for (std::size_t i = 0; i < program.lines.size(); ++i) {
        const auto& l = program.lines[i];
        if (l.tag.empty() || l.tagRepeated || labels.count(l.tag)) continue;
        std::string name = "T";
        for (char c : l.tag)
            name += (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ? c
                    : (c >= 'a' && c <= 'z')                         ? static_cast<char>(c - 32)
                                                                     : '_';
        std::string unique = name;
        for (int n = 2; used.count(unique); ++n) unique = name + "_" + std::to_string(n);
        used.insert(unique);
        labels[l.tag] = unique;
        result.report.push_back({static_cast<int>(i) + 1, l.text, Level::Note,
                                 "tag '" + l.tag + "' is no valid label; it is written as " + unique});
    }

    Writer w;
    w.line({}, {}, {},
           "Exported from Korvanta (" + std::string(fullMode ? "Full 8085" : "classic") + " mode)");
    // Where assembly begins before any ORG; an ORG before the first byte
    // moves the start, in the source as in the program.
    const int start = HexValue(startAddress);
    w.line({}, "ORG", HexH(start < 0 ? 0 : static_cast<std::uint32_t>(start), 4));
    bool endReported = false;
    for (std::size_t i = 0; i < program.lines.size(); ++i) {
        const OwnLine& l = program.lines[i];
        const int number = static_cast<int>(i) + 1;
        auto report = [&](Level level, std::string message) {
            result.report.push_back({number, l.text, level, std::move(message)});
        };
        if (l.kind == OwnLine::AfterEnd) {
            if (!endReported && !l.text.empty()) {
                report(Level::Warning,
                       "an empty line ends the program before this line: it and the lines after it are left "
                       "out");
                endReported = true;
            }
            continue;
        }
        std::string label;
        if (!l.tag.empty()) {
            if (l.tagRepeated)
                report(Level::Warning,
                       "tag '" + l.tag +
                           "' is defined before; the first definition counts, this one is left out");
            else
                label = labels[l.tag];
        }
        switch (l.kind) {
            case OwnLine::Comment:
                w.line(label, {}, {}, PrintableText(l.comment));
                break;
            case OwnLine::Origin:
                if (!label.empty()) w.line(label, {});
                w.line({}, "ORG", HexH(l.value, 4));
                break;
            case OwnLine::Instruction: {
                std::string operands = l.registers;
                auto add = [&](const std::string& v) { operands += (operands.empty() ? "" : ",") + v; };
                switch (l.operand) {
                    case OwnLine::NoValue:
                        break;
                    case OwnLine::Byte:
                        add(HexH(l.value, 2));
                        break;
                    case OwnLine::Word:
                        add(HexH(l.value, 4));
                        break;
                    case OwnLine::Jump:
                        add(l.jumpTag.empty() ? HexH(l.value, 4) : labels[l.jumpTag]);
                        break;
                    case OwnLine::Rst:
                        add(std::to_string(l.value));
                        break;
                    case OwnLine::Port16:
                        add(HexH(l.value & 0xFF, 2));
                        break;
                }
                w.line(label, l.mnemonic, operands);
                // The classic port's second byte follows the instruction.
                if (l.operand == OwnLine::Port16)
                    w.line({}, "DB", HexH(l.value >> 8, 2), "high byte of port " + Hex(l.value, 4));
                break;
            }
            case OwnLine::Bytes:
            case OwnLine::Words: {
                std::string items;
                for (std::size_t k = 0; k < l.bytes.size(); k += l.kind == OwnLine::Words ? 2 : 1) {
                    if (!items.empty()) items += ',';
                    items += l.kind == OwnLine::Words
                                 ? HexH(static_cast<std::uint32_t>(l.bytes[k] | l.bytes[k + 1] << 8), 4)
                                 : HexH(l.bytes[k], 2);
                }
                w.line(label, l.kind == OwnLine::Words ? "DW" : "DB", items);
                break;
            }
            case OwnLine::Reserve:
                w.line(label, "DS", HexH(l.value, 4));
                break;
            case OwnLine::Refused:
                report(Level::Error,
                       "the assembler refuses this line (" + l.problem + "); it is written as a comment");
                w.line(label, {}, {}, PrintableText(l.text));
                break;
            case OwnLine::Inexact:
                report(Level::Error, "this line cannot be written exactly (" + l.problem +
                                         "); it is written as a comment, its " + std::to_string(l.size) +
                                         " bytes reserved");
                w.line(label, {}, {}, PrintableText(l.text));
                w.line({}, "DS", std::to_string(l.size));
                break;
            case OwnLine::AfterEnd:
                break;
        }
    }
    w.line({}, "END");
    result.text = std::move(w.text);
    std::stable_sort(result.report.begin(), result.report.end(),
                     [](const ReportLine& a, const ReportLine& b) { return a.line < b.line; });
    return result;
}

}  // namespace korvanta::importer
