#pragma once

// A grading task: the exercise a teacher sets, as a JSON file that names the
// machine each test case starts from, what must come out of it, and the rules
// every submission must keep. The file is checked against the schema in
// task.schema.json (compiled into the program), then for what a schema
// cannot say: case names that repeat, keys that only Full 8085 mode knows,
// addresses outside the case's memory window, mnemonics no 8085 has.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "isa/instruction_set.h"

namespace korvanta::grading {

using Json = nlohmann::ordered_json;

// Bytes from an address on, as a memory key of the task gives them
// ("0120": "2A 3B"). Texts are upper case.
struct ByteRow {
    std::string address;
    std::vector<std::string> bytes;
};

struct PortByte {
    int port = 0;
    int value = 0;
    bool operator==(const PortByte&) const = default;
};

struct CaseSetup {
    std::vector<std::pair<char, std::string>> registers;  // in the order A, B, C, D, E, H, L
    std::optional<std::string> flags;
    std::optional<std::string> sp;
    std::vector<ByteRow> memory;
    std::optional<std::string> start;
    std::optional<std::string> window;  // one digit
    std::vector<PortByte> inputs;       // Full 8085 mode only
};

// One named flag bit: S, Z, AC, P or CY, its bit in the flag value, 0 or 1.
struct FlagBitCheck {
    std::string name;
    int bit = 0;
    int value = 0;
};

struct CaseExpect {
    std::optional<std::string> status;
    std::vector<std::pair<char, std::string>> registers;  // in the order A, B, C, D, E, H, L
    std::optional<std::string> flagValue;
    std::vector<FlagBitCheck> flagBits;  // in the order S, Z, AC, P, CY
    std::optional<std::string> sp;
    std::optional<std::string> pc;
    std::vector<ByteRow> memory;
    std::optional<std::vector<PortByte>> outputs;  // every OUT in order; Full 8085 mode only
    std::optional<std::string> console;            // what the BDOS calls printed
};

struct TaskCase {
    std::string name;
    int points = 1;
    CaseSetup setup;
    CaseExpect expect;
};

struct Rules {
    std::optional<int> maxBytes;
    std::vector<std::string> forbid;  // mnemonics as written in programs: SUB, CALL, IN
    std::vector<std::string> require;
};

struct Task {
    std::string title;
    bool full = false;
    int maxInstructions = 4096;
    bool importSources = false;  // submissions are standard assembly, read through the importer
    bool bdos = false;           // CP/M console calls at 0005; Full 8085 mode only
    std::vector<TaskCase> cases;
    Rules rules;

    int maxPoints() const;
};

struct TaskParse {
    std::optional<Task> task;
    // When the task was refused: where and why, on one line
    // ("cases[1].expect.registers.Q: unknown register").
    std::string error;
    // Things that are allowed but probably not meant.
    std::vector<std::string> warnings;
    // The file as read, key order kept: --record writes it back with new expectations.
    Json document;
};

// Larger task files are refused unread.
inline constexpr std::uintmax_t kMaxTaskFileBytes = 4u * 1024u * 1024u;
// Objects and arrays nest at most this deep; the schema needs six levels.
inline constexpr int kMaxTaskDepth = 32;

// defaultTitle names the task when the file gives no title.
TaskParse ParseTask(std::string_view text, const std::string& defaultTitle = "");

// Reads the task file, refusing missing files, folders and files over
// kMaxTaskFileBytes with a one-line reason.
bool ReadTaskFile(const std::string& path, std::string& text, std::string& error);

// The schema the program was built with (task.schema.json).
const char* TaskSchemaText();

// The mnemonic a program writes for a routine: SUB for SUB1, CALL for CALL1,
// IN for IN1, the routine's name otherwise.
std::string MnemonicOf(Routine routine);
// The mnemonic named (any case; SUB1, CALL1 and IN1 stand for SUB, CALL and
// IN) as MnemonicOf writes it, or nothing when no 8085 instruction has it.
std::optional<std::string> KnownMnemonic(std::string_view name);

}  // namespace korvanta::grading
