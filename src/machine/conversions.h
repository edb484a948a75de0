#pragma once

// The four digit conversions between HexByte, nibble and BitString texts.
// Every result goes to the shared ConvertedValue text, which callers read right
// after the call; bad input is reported by a message box and never by a return
// value, exactly as learners' programs have always seen it.

#include <string>
#include <string_view>

namespace korvanta {

class Host;

class Conversions {
public:
    Conversions(Host& host, std::string& convertedValue) : host_(host), cv_(convertedValue) {}

    void ConvertToBinary(std::string_view digit);
    void ConvertToHex(std::string_view nibble);
    void GetBinary8(std::string_view hexByte);
    void GetHex8(std::string_view bits);

    // The nibble text of a hexadecimal digit character, or nullptr.
    static const char* nibbleOf(char digit);
    // The digit of a four-character nibble text, or 0 when it is none of the sixteen.
    static char digitOf(std::string_view nibble);

private:
    Host& host_;
    std::string& cv_;
};

inline constexpr const char* kAppTitle = "Korvanta";
inline constexpr const char* kMainTitle = "Ombrix Korvanta";
inline constexpr const char* kBinaryFailedMessage = "Conversion to binary failed...Invalid HEX entry.";
inline constexpr const char* kToHexFailedMessage = "The subroutine CovertToHex was passed an invalid value.";

}  // namespace korvanta
