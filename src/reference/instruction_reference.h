#pragma once

// The built-in instruction reference of the "Code Reference" frame.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvanta {

// The entries of the reference list List1, in the order they are added.
const std::vector<std::string>& ReferenceKeys();

// The help text for a list entry (action, empty line, usage, and for three
// entries an empty line and a note; CR LF between lines), or nothing when the
// reference has no row for it (RRC and RAL).
std::optional<std::string> ReferenceHelpText(std::string_view key);

}  // namespace korvanta
