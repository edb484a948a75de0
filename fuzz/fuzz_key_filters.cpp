// The key filters and the completion of fields on focus loss. The first byte
// picks the field; the rest are the keys typed into it. Each filter must only
// ever let its own alphabet through, and a field must never grow past its
// maximum length, whatever is typed.

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"

using namespace korvanta;

namespace {

bool IsFieldKey(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || c == ',' || c == ' ' || c == '\b';
}

void CheckFilters(char c)
{
    bool pressedAdd = false;
    if (auto k = ProgramSource::EnterCodeKeyFilter(c, &pressedAdd)) {
        const bool allowed = (*k >= '0' && *k <= '9') || (*k >= 'A' && *k <= 'Z') || *k == ' ' || *k == ':' ||
                             *k == ',' || *k == '.' || *k == '!' || *k == '\b';
        KORVANTA_REQUIRE(allowed);
    }
    KORVANTA_REQUIRE(!pressedAdd || c == '\r');

    const char upper = ProgramSource::Text1KeyFilter(c);
    KORVANTA_REQUIRE(upper == static_cast<char>(std::toupper(static_cast<unsigned char>(c))) || !std::isalpha(static_cast<unsigned char>(c)));

    if (auto k = CpuFields::KeyFilter("", c)) KORVANTA_REQUIRE(IsFieldKey(*k));

    bool pressedOk = false;
    if (auto k = MemoryCommands::DialogKeyFilter(c, &pressedOk)) KORVANTA_REQUIRE(IsFieldKey(*k));
    KORVANTA_REQUIRE(!pressedOk || c == '\r');
}

// What a dialog's entry field of maxLength characters holds after the keys.
std::string TypeIntoDialogEntry(std::string_view keys, std::size_t maxLength)
{
    std::string entry;
    for (char c : keys) {
        auto k = MemoryCommands::DialogKeyFilter(c);
        if (!k) continue;
        if (*k == '\b') {
            if (!entry.empty()) entry.pop_back();
        } else if (entry.size() < maxLength) {
            entry += *k;
        }
    }
    return entry;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const std::uint8_t which = data[0];
    const std::string_view keys(reinterpret_cast<const char*>(data + 1), size - 1);
    for (char c : keys) CheckFilters(c);

    fuzz::Rig rig;
    CpuFields& cpu = rig.m.cpu;
    TextField* const fields[] = {&cpu.RegisterA, &cpu.RegisterB, &cpu.RegisterC, &cpu.RegisterD, &cpu.RegisterE,
                                 &cpu.RegisterH, &cpu.RegisterL, &cpu.SP,        &cpu.Text2};
    constexpr int kFieldCount = sizeof fields / sizeof fields[0];

    switch (which % 4) {
    case 0: {  // a register, SP or the flag value, then leaving it
        TextField& field = *fields[(which / 4) % kFieldCount];
        CpuFields::TypeInto(field, keys);
        KORVANTA_REQUIRE(field.maxLength() == 0 || static_cast<int>(field.text().size()) <= field.maxLength());
        for (char c : field.text()) KORVANTA_REQUIRE(IsFieldKey(c) && c != '\b');
        if (&field == &cpu.Text2) {
            cpu.Text2LostFocus();
        } else if (&field != &cpu.SP) {
            cpu.RegisterLostFocus(field);
            // Completion leaves at least two characters, unless the user typed blanks.
            KORVANTA_REQUIRE(field.text().size() >= 2 || field.text().find(' ') != std::string::npos);
        }
        // The flag bits and the flag value agree whenever the value is a HexByte.
        cpu.UpdateFlagValue();
        KORVANTA_REQUIRE(cpu.Text2.text().size() == 2);
        break;
    }
    case 1: {  // the entry field of the code list
        for (char c : keys) rig.sim.source.EnterCode_KeyPress(c);
        KORVANTA_REQUIRE(rig.sim.source.EnterCode.text().find('\r') == std::string::npos);
        break;
    }
    case 2: {  // the scroll dialog: typed entry, then Ok
        rig.m.memoryCommands.ShowMemOk(TypeIntoDialogEntry(keys, 4));
        break;
    }
    case 3: {  // the edit dialog on a row picked by the keys, then Ok
        const std::string entry = TypeIntoDialogEntry(keys, 2);
        const int row = 1 + static_cast<int>((which / 4) * 64 + keys.size()) % MemoryWindow::kRows;
        if (auto dialog = rig.m.memoryCommands.ListView1_DblClick(row)) {
            rig.m.memoryCommands.EditMemoryOk(dialog->itsKEY, entry);
            KORVANTA_REQUIRE(rig.m.window.data(row).size() >= 2 || entry.find(' ') != std::string::npos);
        }
        break;
    }
    }
    rig.CheckWindow();
    return 0;
}
