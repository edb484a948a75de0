#include "grading/task.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>

#include "grading/schema.h"
#include "machine/view_state.h"

namespace korvanta::grading {

namespace {

std::string upper(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

void oneLine(std::string& text)
{
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
}

int hexValue(std::string_view text)
{
    int value = 0;
    for (char c : text)
        value =
            value * 16 + (std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::toupper(c) - 'A' + 10);
    return value;
}

const Schema& TaskSchema()
{
    // Built once; the schema is the program's own, so a fault in it is a
    // fault of the build and surfaces as an exception on first use.
    static const Schema schema(Json::parse(TaskSchemaText()));
    return schema;
}

// Thrown by the parser callback: the place and the reason.
struct Refusal {
    SchemaError error;
};

// Keeps track of where the parser is, to name the place of a repeated key
// and to stop nesting that no task has before it costs stack elsewhere.
class ParsePlaces {
public:
    bool operator()(int, Json::parse_event_t event, Json& parsed)
    {
        using E = Json::parse_event_t;
        switch (event) {
            case E::object_start:
            case E::array_start:
                if (frames_.size() >= static_cast<std::size_t>(kMaxTaskDepth))
                    throw Refusal{
                        {place(), "nested deeper than " + std::to_string(kMaxTaskDepth) + " levels"}};
                frames_.push_back({event == E::array_start, 0, {}, {}});
                break;
            case E::key: {
                Frame& top = frames_.back();
                top.key = parsed.get<std::string>();
                if (!top.keys.insert(top.key).second) throw Refusal{{place(), "the key appears twice"}};
                break;
            }
            case E::object_end:
            case E::array_end:
                frames_.pop_back();
                elementDone();
                break;
            case E::value:
                elementDone();
                break;
        }
        return true;
    }

private:
    struct Frame {
        bool array = false;
        std::size_t index = 0;
        std::set<std::string> keys;
        std::string key;
    };
    void elementDone()
    {
        if (!frames_.empty() && frames_.back().array) ++frames_.back().index;
    }
    std::string place() const
    {
        std::string text;
        for (const Frame& f : frames_) {
            if (f.array)
                text += "[" + std::to_string(f.index) + "]";
            else if (!f.key.empty())
                text += (text.empty() ? "" : ".") + f.key;
        }
        return text;
    }
    std::vector<Frame> frames_;
};

std::string joinKey(const std::string& place, const std::string& key)
{
    return place.empty() ? key : place + "." + key;
}

struct Window {
    std::string digit;  // empty: not known before the submission is read
    std::string range() const { return digit + "000-" + digit + "FFF"; }
};

// Builds the model from a document the schema has passed; throws Refusal
// for what the schema cannot say.
class TaskReader {
public:
    TaskReader(const Json& document, std::vector<std::string>& warnings) : doc_(document), warnings_(warnings)
    {
    }

    Task read(const std::string& defaultTitle)
    {
        Task task;
        task.title = doc_.value("title", defaultTitle);
        task.importSources = doc_.value("import", false);
        if (doc_.contains("mode")) {
            task.full = doc_.at("mode") == "full";
            if (task.importSources && !task.full)
                refuse("mode", "imported standard assembly (\"import\": true) runs in full mode only");
        } else {
            // Standard sources are written for the real chip.
            task.full = task.importSources;
        }
        task.maxInstructions = doc_.value("maxInstructions", kDefaultInstructionBudget);
        task.bdos = doc_.value("bdos", false);
        if (task.bdos && !task.full) refuse("bdos", "the console calls need \"mode\": \"full\"");

        const Json& cases = doc_.at("cases");
        std::map<std::string, std::size_t> names;
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const std::string place = "cases[" + std::to_string(i) + "]";
            TaskCase c = readCase(task, cases[i], place, i);
            if (auto [at, fresh] = names.emplace(c.name, i); !fresh)
                refuse(place + ".name",
                       "'" + c.name + "' is the name of cases[" + std::to_string(at->second) + "] too");
            task.cases.push_back(std::move(c));
        }
        if (doc_.contains("rules")) task.rules = readRules(doc_.at("rules"));
        return task;
    }

private:
    [[noreturn]] static void refuse(const std::string& place, const std::string& message)
    {
        throw Refusal{{place, message}};
    }

    TaskCase readCase(const Task& task, const Json& json, const std::string& place, std::size_t index)
    {
        TaskCase c;
        c.name = json.value("name", "case " + std::to_string(index + 1));
        c.points = json.value("points", 1);
        Window window;
        if (json.contains("setup") && json.at("setup").contains("window"))
            window.digit = upper(json.at("setup").at("window").get<std::string>());
        else if (!task.importSources)
            window.digit = "0";  // an imported program brings its own window
        if (json.contains("setup")) c.setup = readSetup(task, json.at("setup"), place + ".setup", window);
        if (json.contains("expect"))
            c.expect = readExpect(task, json.at("expect"), place + ".expect", window);
        return c;
    }

    static std::vector<std::pair<char, std::string>> readRegisters(const Json& json)
    {
        std::vector<std::pair<char, std::string>> registers;
        for (char name : std::string("ABCDEHL")) {
            const std::string key(1, name);
            if (json.contains(key)) registers.emplace_back(name, upper(json.at(key).get<std::string>()));
        }
        return registers;
    }

    static std::vector<ByteRow> readMemory(const Json& json, const std::string& place, const Window& window)
    {
        std::vector<ByteRow> rows;
        for (const auto& [address, bytes] : json.items()) {
            ByteRow row{upper(address), {}};
            const std::string text = upper(bytes.get<std::string>());
            for (std::size_t at = 0; at < text.size(); at += 3) row.bytes.push_back(text.substr(at, 2));
            if (!window.digit.empty()) {
                const std::string at = joinKey(place, address);
                if (row.address.substr(0, 1) != window.digit)
                    refuse(at, "not in the memory window " + window.range());
                if ((hexValue(row.address) & 0xFFF) + row.bytes.size() > 0x1000)
                    refuse(at, "the bytes run past the end of the memory window " + window.range());
            }
            rows.push_back(std::move(row));
        }
        return rows;
    }

    static CaseSetup readSetup(const Task& task, const Json& json, const std::string& place,
                               const Window& window)
    {
        CaseSetup s;
        if (json.contains("registers")) s.registers = readRegisters(json.at("registers"));
        if (json.contains("flags")) s.flags = upper(json.at("flags").get<std::string>());
        if (json.contains("SP")) s.sp = upper(json.at("SP").get<std::string>());
        if (json.contains("memory")) s.memory = readMemory(json.at("memory"), place + ".memory", window);
        if (json.contains("window")) s.window = window.digit;
        if (json.contains("start")) {
            s.start = upper(json.at("start").get<std::string>());
            if (!window.digit.empty() && s.start->substr(0, 1) != window.digit)
                refuse(place + ".start", "not in the memory window " + window.range());
        }
        if (json.contains("in")) {
            if (!task.full) refuse(place + ".in", "input ports need \"mode\": \"full\"");
            for (const auto& [port, value] : json.at("in").items())
                s.inputs.push_back({hexValue(port), hexValue(value.get<std::string>())});
        }
        return s;
    }

    static CaseExpect readExpect(const Task& task, const Json& json, const std::string& place,
                                 const Window& window)
    {
        CaseExpect e;
        if (json.contains("status")) e.status = json.at("status").get<std::string>();
        if (json.contains("registers")) e.registers = readRegisters(json.at("registers"));
        if (json.contains("flags")) {
            const Json& flags = json.at("flags");
            if (flags.is_string()) {
                e.flagValue = upper(flags.get<std::string>());
            } else {
                static const std::pair<const char*, int> kBits[] = {
                    {"S", 7}, {"Z", 6}, {"AC", 4}, {"P", 2}, {"CY", 0}};
                for (const auto& [name, bit] : kBits) {
                    if (flags.contains(name)) e.flagBits.push_back({name, bit, flags.at(name).get<int>()});
                }
            }
        }
        if (json.contains("SP")) e.sp = upper(json.at("SP").get<std::string>());
        if (json.contains("PC")) e.pc = upper(json.at("PC").get<std::string>());
        if (json.contains("memory")) e.memory = readMemory(json.at("memory"), place + ".memory", window);
        if (json.contains("outputs")) {
            if (!task.full) refuse(place + ".outputs", "output ports need \"mode\": \"full\"");
            std::vector<PortByte> outputs;
            for (const Json& w : json.at("outputs"))
                outputs.push_back(
                    {hexValue(w.at("port").get<std::string>()), hexValue(w.at("value").get<std::string>())});
            e.outputs = std::move(outputs);
        }
        if (json.contains("console")) {
            if (!task.bdos)
                refuse(place + ".console", "the console needs \"bdos\": true (and \"mode\": \"full\")");
            e.console = json.at("console").get<std::string>();
        }
        return e;
    }

    Rules readRules(const Json& json)
    {
        Rules rules;
        if (json.contains("maxBytes")) rules.maxBytes = json.at("maxBytes").get<int>();
        auto list = [&](const char* key, bool mustExist) {
            std::vector<std::string> names;
            if (!json.contains(key)) return names;
            const Json& items = json.at(key);
            for (std::size_t i = 0; i < items.size(); ++i) {
                const std::string written = items[i].get<std::string>();
                const std::string place = std::string("rules.") + key + "[" + std::to_string(i) + "]";
                if (auto known = KnownMnemonic(written)) {
                    names.push_back(*known);
                } else if (mustExist) {
                    refuse(place,
                           "'" + written + "' is not an 8085 mnemonic, so no program can keep this rule");
                } else {
                    warnings_.push_back(place + ": '" + written +
                                        "' is not an 8085 mnemonic, so no program can break this rule");
                    names.push_back(upper(written));
                }
            }
            return names;
        };
        rules.forbid = list("forbid", false);
        rules.require = list("require", true);
        for (const std::string& name : rules.require) {
            for (const std::string& forbidden : rules.forbid) {
                if (name == forbidden) refuse("rules", "'" + name + "' is both forbidden and required");
            }
        }
        return rules;
    }

    const Json& doc_;
    std::vector<std::string>& warnings_;
};

}  // namespace

int Task::maxPoints() const
{
    int total = 0;
    for (const TaskCase& c : cases) total += c.points;
    return total;
}

std::string MnemonicOf(Routine routine)
{
    std::string name = RoutineName(routine);
    if (name.size() > 1 && name.back() == '1') name.pop_back();
    return name;
}

std::optional<std::string> KnownMnemonic(std::string_view name)
{
    const std::string wanted = upper(std::string(name));
    for (int r = 0; r < kRoutineCount; ++r) {
        const Routine routine = static_cast<Routine>(r);
        if (wanted == RoutineName(routine) || wanted == MnemonicOf(routine)) return MnemonicOf(routine);
    }
    return std::nullopt;
}

namespace {

TaskParse parseTask(std::string_view text, const std::string& defaultTitle)
{
    TaskParse result;
    try {
        ParsePlaces places;
        result.document = Json::parse(text.begin(), text.end(), std::ref(places));
        if (auto error = TaskSchema().check(result.document)) {
            result.error = error->text();
            return result;
        }
        result.task = TaskReader(result.document, result.warnings).read(defaultTitle);
    } catch (const Refusal& refusal) {
        result.task.reset();
        result.error = refusal.error.text();
    } catch (const Json::exception& e) {
        // "[json.exception.parse_error.101] parse error at line 2, column 7: ..." without its tag;
        // a number too large for any type fails the same way.
        std::string what = e.what();
        if (auto end = what.find("] "); end != std::string::npos) what = what.substr(end + 2);
        result.task.reset();
        result.error = (result.document.is_null() ? "not valid JSON: " : "the task cannot be read: ") + what;
    }
    return result;
}

}  // namespace

TaskParse ParseTask(std::string_view text, const std::string& defaultTitle)
{
    TaskParse result = parseTask(text, defaultTitle);
    // The places quote the file's own keys, which may hold anything; the
    // reason stays one line of text.
    oneLine(result.error);
    for (std::string& warning : result.warnings) oneLine(warning);
    return result;
}

bool ReadTaskFile(const std::string& path, std::string& text, std::string& error)
{
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        error = "cannot read the task '" + path + "': no such file";
        return false;
    }
    if (std::filesystem::is_directory(status)) {
        error = "cannot read the task '" + path + "': it is a directory";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the task '" + path + "'";
        return false;
    }
    text.clear();
    char buffer[65536];
    while (in) {
        in.read(buffer, sizeof buffer);
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxTaskFileBytes) {
            error = "the task '" + path + "' is larger than " + std::to_string(kMaxTaskFileBytes) + " bytes";
            return false;
        }
    }
    if (in.bad()) {
        error = "cannot read the task '" + path + "'";
        return false;
    }
    return true;
}

}  // namespace korvanta::grading
