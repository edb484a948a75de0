#pragma once

// Setting the machine up before a run without a window: typing into a
// field and leaving it, editing a memory byte through the edit dialog,
// choosing the memory window. Each goes the road the user's keys would, so
// a batch run sees exactly what a learner at the window would see.

#include <optional>
#include <string>
#include <string_view>

namespace korvanta {

class Machine;
class RecordingHost;
class TextField;

// What a field shows after `keys` were typed into it, emptied first, through
// the field's key filter, backspace and maximum length.
std::string TypedFieldText(std::string_view keys, int maxLength, std::optional<char> (*filter)(char));

// The field that --set NAME=VALUE names: A to L, SP or FLAGS (upper case),
// or nullptr.
TextField* SettableField(Machine& m, const std::string& name);

// Types value into the named field and leaves it (completion of registers,
// the flag bits from the flag value).
void TypeIntoField(Machine& m, TextField& field, std::string_view value);

// Opens the edit dialog on the row of address, types byte and presses Ok.
// Returns a one-line reason when the address is not in the window.
std::optional<std::string> PokeMemory(Machine& m, const std::string& address, std::string_view byte);

// The range change to digit, answered Yes.
void SelectWindow(Machine& m, RecordingHost& host, const std::string& digit);

// Types the start address into its field.
void TypeStartAddress(Machine& m, std::string_view address);

}  // namespace korvanta
