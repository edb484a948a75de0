#pragma once

// Four-character tags for the labels of a standard source. A tag is what a
// learner reads and types in the code list, so it is made from the label's
// own letters; it must never read as four hex digits, or a jump to it would
// be taken for an address.

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace korvanta::importer {

// Four letters and digits, a letter first, not all hex digits.
bool IsGoodTag(std::string_view tag);

class TagNamer {
public:
    // Labels that already are good tags keep them: claim those first, in
    // source order, then Assign the rest.
    bool Claim(const std::string& upperLabel);
    // Empty when no tag is left (tens of thousands of labels).
    std::string Assign(const std::string& upperLabel);

private:
    bool take(const std::string& candidate);

    std::unordered_set<std::string> taken_;
    std::unordered_map<std::string, int> next_;  // per shortened name, the next variant to try
    int fallback_ = 0;
};

}  // namespace korvanta::importer
