// `korvanta-cli reference [KEY]`: the instruction reference of the window.

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "reference/instruction_reference.h"

namespace korvanta::cli {

namespace {

int reference(const std::vector<std::string>& keys)
{
    if (keys.empty()) {
        for (const std::string& key : korvanta::ReferenceKeys()) std::cout << key << '\n';
        return kExitSuccess;
    }
    std::optional<std::string> help = korvanta::ReferenceHelpText(keys.front());
    if (!help) return UsageError("the reference has no entry '" + keys.front() + "'");
    // The help text breaks its lines with CR LF; a terminal wants LF.
    std::string text;
    for (std::size_t i = 0; i < help->size(); ++i) {
        if ((*help)[i] == '\r' && i + 1 < help->size() && (*help)[i + 1] == '\n') continue;
        text += (*help)[i];
    }
    std::cout << text << '\n';
    return kExitSuccess;
}

}  // namespace

Command AddReferenceCommand(CLI::App& app)
{
    auto keys = std::make_shared<std::vector<std::string>>();
    CLI::App* ref = app.add_subcommand("reference", "List the instruction reference, or show the help text of KEY.");
    ref->add_option("KEY", *keys, "A reference entry, as listed")->expected(0, 1)->type_name("");
    return {ref, [keys] { return reference(*keys); }};
}

}  // namespace korvanta::cli
