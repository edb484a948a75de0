#include "machine/conversions.h"

#include "machine/host.h"

namespace korvanta {

namespace {
constexpr const char* kNibbles[16] = {"0000", "0001", "0010", "0011", "0100", "0101", "0110", "0111",
                                      "1000", "1001", "1010", "1011", "1100", "1101", "1110", "1111"};
constexpr char kDigits[] = "0123456789ABCDEF";
}  // namespace

const char* Conversions::nibbleOf(char digit)
{
    if (digit >= '0' && digit <= '9') return kNibbles[digit - '0'];
    if (digit >= 'A' && digit <= 'F') return kNibbles[digit - 'A' + 10];
    return nullptr;
}

char Conversions::digitOf(std::string_view nibble)
{
    if (nibble.size() != 4) return 0;
    int value = 0;
    for (char c : nibble) {
        if (c != '0' && c != '1') return 0;
        value = value * 2 + (c - '0');
    }
    return kDigits[value];
}

void Conversions::ConvertToBinary(std::string_view digit)
{
    cv_.clear();
    if (digit.size() == 1) {
        if (const char* nibble = nibbleOf(digit[0])) {
            cv_.assign(nibble, 4);
            return;
        }
    }
    host_.messageBox({kBinaryFailedMessage, kAppTitle, MsgIcon::None, MsgButtons::Ok, MsgAnswer::Ok});
}

void Conversions::ConvertToHex(std::string_view nibble)
{
    if (nibble.size() != 4) {
        host_.messageBox({kToHexFailedMessage, kAppTitle, MsgIcon::Critical, MsgButtons::Ok, MsgAnswer::Ok});
        return;
    }
    // A four-character text that is no nibble leaves the previous result alone.
    if (char d = digitOf(nibble)) cv_.assign(1, d);
}

void Conversions::GetBinary8(std::string_view hexByte)
{
    cv_.clear();
    if (hexByte.empty()) return;
    // Each part is empty or a four-character nibble.
    char joined[8];
    ConvertToBinary(hexByte.substr(0, 1));
    std::size_t length = cv_.copy(joined, 4);
    ConvertToBinary(hexByte.substr(hexByte.size() - 1));
    length += cv_.copy(joined + length, 4);
    cv_.assign(joined, length);
}

void Conversions::GetHex8(std::string_view bits)
{
    cv_.clear();
    if (bits.empty()) return;
    ConvertToHex(bits.substr(0, 4));
    std::string high = cv_;
    ConvertToHex(bits.size() > 4 ? bits.substr(bits.size() - 4) : bits);
    cv_.insert(0, high);
}

}  // namespace korvanta
