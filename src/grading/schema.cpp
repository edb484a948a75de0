#include "grading/schema.h"

#include <stdexcept>

namespace korvanta::grading {

namespace {

const char* kKnownKeywords[] = {"$comment",      "title",         "description", "type",
                                "enum",          "minimum",       "maximum",     "minLength",
                                "maxLength",     "pattern",       "minItems",    "maxItems",
                                "items",         "properties",    "required",    "additionalProperties",
                                "propertyNames", "maxProperties", "definitions", "$ref",
                                "errorMessage"};

bool isKnownKeyword(const std::string& key)
{
    for (const char* known : kKnownKeywords) {
        if (key == known) return true;
    }
    return false;
}

std::string joinKey(const std::string& place, const std::string& key)
{
    return place.empty() ? key : place + "." + key;
}

// The value as a message shows it: strings bare, at most 40 characters, no
// control characters (a task file is a teacher's, but a terminal is a terminal).
std::string shown(const Json& value)
{
    std::string text = value.is_string() ? value.get<std::string>()
                                         : value.dump(-1, ' ', false, Json::error_handler_t::replace);
    if (text.size() > 40) text = text.substr(0, 37) + "...";
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return text;
}

std::string typeName(const Json& value)
{
    if (value.is_number_integer()) return "integer";
    if (value.is_number()) return "number";
    return value.type_name();
}

bool hasType(const Json& value, const std::string& type)
{
    if (type == "integer") return value.is_number_integer();
    if (type == "number") return value.is_number();
    if (type == "string") return value.is_string();
    if (type == "boolean") return value.is_boolean();
    if (type == "object") return value.is_object();
    if (type == "array") return value.is_array();
    if (type == "null") return value.is_null();
    return false;
}

const char* article(const std::string& type)
{
    return type == "integer" || type == "object" || type == "array" ? "an " : "a ";
}

}  // namespace

Schema::Schema(Json schema) : root_(std::move(schema))
{
    compile(root_);
}

void Schema::compile(const Json& schema)
{
    if (schema.is_boolean()) return;
    if (!schema.is_object()) throw std::invalid_argument("schema: a schema must be an object or a Boolean");
    for (const auto& [key, value] : schema.items()) {
        if (!isKnownKeyword(key))
            throw std::invalid_argument("schema: keyword '" + key + "' is not understood");
        if (key == "pattern") {
            const std::string pattern = value.get<std::string>();
            if (!patterns_.contains(pattern))
                patterns_.emplace(pattern, std::regex(pattern, std::regex::ECMAScript));
        } else if (key == "$ref") {
            resolve(schema);
        } else if (key == "properties" || key == "definitions") {
            for (const auto& [name, child] : value.items()) compile(child);
        } else if (key == "items" || key == "additionalProperties" || key == "propertyNames") {
            compile(value);
        }
    }
}

const Json& Schema::resolve(const Json& schema) const
{
    if (!schema.is_object() || !schema.contains("$ref")) return schema;
    const std::string ref = schema.at("$ref").get<std::string>();
    const std::string prefix = "#/definitions/";
    if (!ref.starts_with(prefix))
        throw std::invalid_argument("schema: only local definitions can be referred to");
    const std::string name = ref.substr(prefix.size());
    if (!root_.contains("definitions") || !root_.at("definitions").contains(name))
        throw std::invalid_argument("schema: no definition '" + name + "'");
    return root_.at("definitions").at(name);
}

std::optional<SchemaError> Schema::check(const Json& document) const
{
    return checkNode(root_, document, "");
}

std::optional<SchemaError> Schema::checkNode(const Json& node, const Json& value,
                                             const std::string& place) const
{
    const Json& schema = resolve(node);
    if (schema.is_boolean()) {
        if (schema.get<bool>()) return std::nullopt;
        return SchemaError{place, "is not allowed here"};
    }
    // The schema's own text for a keyword that failed, or the default.
    auto fail = [&](const char* keyword, std::string fallback) -> std::optional<SchemaError> {
        std::string message = std::move(fallback);
        if (schema.contains("errorMessage") && schema.at("errorMessage").contains(keyword)) {
            message = schema.at("errorMessage").at(keyword).get<std::string>();
            for (auto at = message.find("{value}"); at != std::string::npos; at = message.find("{value}"))
                message.replace(at, 7, shown(value));
        }
        return SchemaError{place, message};
    };

    if (schema.contains("type")) {
        const Json& type = schema.at("type");
        std::vector<std::string> types;
        if (type.is_array()) {
            for (const Json& t : type) types.push_back(t.get<std::string>());
        } else {
            types.push_back(type.get<std::string>());
        }
        bool matches = false;
        for (const std::string& t : types) matches = matches || hasType(value, t);
        if (!matches) {
            std::string wanted;
            for (std::size_t i = 0; i < types.size(); ++i)
                wanted += (i == 0                  ? ""
                           : i + 1 == types.size() ? " or "
                                                   : ", ") +
                          std::string(article(types[i])) + types[i];
            return fail("type", "must be " + wanted + ", not " + std::string(article(typeName(value))) +
                                    typeName(value));
        }
    }
    if (schema.contains("enum")) {
        bool found = false;
        std::string choices;
        for (const Json& choice : schema.at("enum")) {
            found = found || choice == value;
            choices += (choices.empty() ? "" : ", ") + shown(choice);
        }
        if (!found) return fail("enum", "'" + shown(value) + "' is not one of: " + choices);
    }

    if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        if (schema.contains("minLength") && text.size() < schema.at("minLength").get<std::size_t>())
            return fail("minLength", "must have at least " + schema.at("minLength").dump() + " characters");
        if (schema.contains("maxLength") && text.size() > schema.at("maxLength").get<std::size_t>())
            return fail("maxLength", "must have at most " + schema.at("maxLength").dump() + " characters");
        // The length limits come first, so that no pattern runs over a long text.
        if (schema.contains("pattern")) {
            const std::regex& pattern = patterns_.at(schema.at("pattern").get<std::string>());
            if (!std::regex_search(text, pattern))
                return fail("pattern", "'" + shown(value) + "' does not match " +
                                           schema.at("pattern").get<std::string>());
        }
    } else if (value.is_number()) {
        const double number = value.get<double>();
        if (schema.contains("minimum") && number < schema.at("minimum").get<double>())
            return fail("minimum", "must be at least " + schema.at("minimum").dump());
        if (schema.contains("maximum") && number > schema.at("maximum").get<double>())
            return fail("maximum", "must be at most " + schema.at("maximum").dump());
    } else if (value.is_array()) {
        if (schema.contains("minItems") && value.size() < schema.at("minItems").get<std::size_t>())
            return fail("minItems", "must have at least " + schema.at("minItems").dump() + " items");
        if (schema.contains("maxItems") && value.size() > schema.at("maxItems").get<std::size_t>())
            return fail("maxItems", "must have at most " + schema.at("maxItems").dump() + " items");
        if (schema.contains("items")) {
            for (std::size_t i = 0; i < value.size(); ++i) {
                if (auto error =
                        checkNode(schema.at("items"), value[i], place + "[" + std::to_string(i) + "]"))
                    return error;
            }
        }
    } else if (value.is_object()) {
        return checkObject(schema, value, place);
    }
    return std::nullopt;
}

std::optional<SchemaError> Schema::checkObject(const Json& schema, const Json& value,
                                               const std::string& place) const
{
    auto fail = [&](const std::string& at, const char* keyword,
                    std::string fallback) -> std::optional<SchemaError> {
        if (schema.contains("errorMessage") && schema.at("errorMessage").contains(keyword))
            fallback = schema.at("errorMessage").at(keyword).get<std::string>();
        return SchemaError{at, fallback};
    };

    if (schema.contains("maxProperties") && value.size() > schema.at("maxProperties").get<std::size_t>())
        return fail(place, "maxProperties",
                    "must have at most " + schema.at("maxProperties").dump() + " keys");
    const Json* properties = schema.contains("properties") ? &schema.at("properties") : nullptr;
    for (const auto& [key, child] : value.items()) {
        const std::string at = joinKey(place, key);
        if (schema.contains("propertyNames")) {
            // The name is checked as a value, but the failure belongs to the key's place.
            if (auto error = checkNode(schema.at("propertyNames"), Json(key), at)) return error;
        }
        if (properties && properties->contains(key)) {
            if (auto error = checkNode(properties->at(key), child, at)) return error;
        } else if (schema.contains("additionalProperties")) {
            const Json& extra = schema.at("additionalProperties");
            if (extra.is_boolean() && !extra.get<bool>())
                return fail(at, "additionalProperties", "unknown key");
            if (auto error = checkNode(extra, child, at)) return error;
        }
    }
    if (schema.contains("required")) {
        for (const Json& name : schema.at("required")) {
            const std::string key = name.get<std::string>();
            if (!value.contains(key)) return fail(joinKey(place, key), "required", "is missing");
        }
    }
    return std::nullopt;
}

}  // namespace korvanta::grading
