#pragma once

// The processor state apart from memory: register, stack pointer, program
// counter, flag bit and flag value fields, held as text. Their change, focus
// and click behaviour lives here so that an instruction writing a field and a
// user typing into it behave alike.

#include <optional>
#include <string>
#include <string_view>

#include "machine/text_field.h"

namespace korvanta {

class Machine;

class CpuFields {
public:
    explicit CpuFields(Machine& m);

    TextField RegisterA{"RegisterA", "00", 2};
    TextField RegisterB{"RegisterB", "00", 2};
    TextField RegisterC{"RegisterC", "00", 2};
    TextField RegisterD{"RegisterD", "00", 2};
    TextField RegisterE{"RegisterE", "00", 2};
    TextField RegisterH{"RegisterH", "00", 2};
    TextField RegisterL{"RegisterL", "00", 2};
    TextField SP{"SP", "0BBB", 4};
    TextField PC{"PC", "0000", 4};
    TextField Text2{"Text2", "00", 2};  // flag value
    TextField Text4{"Text4", "0"};      // S
    TextField Text5{"Text5", "0"};      // Z
    TextField Text6{"Text6", "0"};
    TextField Text7{"Text7", "0"};      // AC
    TextField Text8{"Text8", "0"};
    TextField Text9{"Text9", "0"};      // P
    TextField Text10{"Text10", "0"};
    TextField Text11{"Text11", "0"};    // CY

    // The register field of a letter A, B, C, D, E, H or L; nullptr otherwise.
    TextField* registerField(char letter);
    TextField* registerField(std::string_view letter);
    // Text4 .. Text11 by bit number 7 .. 0.
    TextField& flagBit(int bit);

    void GotoRegisterCodes(std::string_view letter);
    void ReturnFromRegisterCodes(std::string_view code);
    void UpdateFlagValue();

    // Key filter of the register fields, SP and Text2: the character to insert
    // (upper-cased) or nothing when the key is discarded. Backspace is '\b'.
    static std::optional<char> KeyFilter(std::string_view fieldText, char typed);
    // Types keys into a field as the keyboard would: filter, backspace, maximum length.
    static void TypeInto(TextField& field, std::string_view keys);

    // Focus loss and clicks.
    void RegisterLostFocus(TextField& registerField);  // completion to two characters
    void Text2LostFocus();
    void FlagBitClick(TextField& bitField);  // toggle, then focus to the system log
    void ToggleBit(TextField& bitField);     // the toggle alone, as CMC uses it

private:
    void updateBitsFromFlagValue();
    Machine& m_;
    bool settingBits_ = false;  // bits are being set from Text2: do not echo back
    bool echoingBits_ = false;  // Text2 is being set from the bits: no need to set them again
};

}  // namespace korvanta
