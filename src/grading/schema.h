#pragma once

// A checker for the small part of JSON Schema that the task file needs, so
// that the schema kept in the repository is the rule and no schema library
// is needed. It reads: type (one name or a list), enum, minimum, maximum,
// minLength, maxLength, pattern (ECMAScript), minItems, maxItems, items,
// properties, required, additionalProperties (false or a schema),
// propertyNames, maxProperties, definitions with "$ref": "#/definitions/NAME",
// and errorMessage, an object that gives the text to show when one of the
// keywords fails ("{value}" stands for the value). Other keywords
// ($comment, title, description) are ignored.
//
// Only the first failure is reported, in the order of the document's own
// keys, so that a teacher fixes the task from the top down.

#include <map>
#include <optional>
#include <regex>
#include <string>

#include <nlohmann/json.hpp>

namespace korvanta::grading {

using Json = nlohmann::ordered_json;

struct SchemaError {
    std::string place;    // "cases[1].expect.registers.Q"; empty for the document itself
    std::string message;  // "unknown register"

    // "PLACE: MESSAGE", or the message alone at the top.
    std::string text() const { return place.empty() ? message : place + ": " + message; }
};

class Schema {
public:
    // Throws std::invalid_argument when the schema itself uses a keyword
    // wrongly or a pattern does not compile: that is the program's own fault.
    explicit Schema(Json schema);

    std::optional<SchemaError> check(const Json& document) const;

private:
    std::optional<SchemaError> checkNode(const Json& schema, const Json& value,
                                         const std::string& place) const;
    std::optional<SchemaError> checkObject(const Json& schema, const Json& value,
                                           const std::string& place) const;
    const Json& resolve(const Json& schema) const;
    void compile(const Json& schema);

    Json root_;
    std::map<std::string, std::regex> patterns_;
};

}  // namespace korvanta::grading
