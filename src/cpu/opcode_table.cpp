#include <string_view>

#include "cpu/cpu8085.h"
#include "cpu/opcode_table.h"

namespace korvanta::cpu {

const std::array<OpcodeInfo, 256>& Opcodes()
{
    return table::kOpcodes;
}

std::string Disassemble(std::uint8_t opcode, std::uint8_t low, std::uint8_t high)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    auto hex = [](std::string& out, std::uint8_t byte) {
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0F];
    };
    const OpcodeInfo& info = table::kOpcodes[opcode];
    std::string text;
    if (!info.text) {
        text = "DB ";
        hex(text, opcode);
        return text;
    }
    // The placeholder is always the last thing in the row's text.
    std::string_view pattern = info.text;
    pattern.remove_suffix(info.length == 3 ? 4 : info.length == 2 ? 2 : 0);
    text = pattern;
    if (info.length == 3) hex(text, high);
    if (info.length >= 2) hex(text, low);
    return text;
}

}  // namespace korvanta::cpu
