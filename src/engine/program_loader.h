#pragma once

// Reading a program from a file: a project file, recognised by its first
// record, or a text file of program lines typed into the entry field. The
// command-line tool, the grader and the window's import all read them so.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvanta {

class Simulator;

// Larger files are refused before they are read: the memory window holds
// 4096 bytes, and a project of 100,000 lines is only 5 MB.
inline constexpr std::uintmax_t kMaxProgramFileBytes = 16u * 1024u * 1024u;

// True when the bytes begin with the project file's identification record.
bool LooksLikeProjectFile(std::string_view bytes);

// The program lines of a text file as the entry field would turn them out:
// tabs become blanks, every character passes the entry field's key filter
// (a backspace erases the character before it), blanks around the line are
// trimmed and lines left empty are dropped. Lines end at LF; a CR before
// the LF is dropped like any other control character.
std::vector<std::string> TypedProgramLines(std::string_view text);

// Reads a whole program file, refusing folders, missing files and files over
// kMaxProgramFileBytes. On failure returns false with a one-line reason.
bool ReadProgramFile(const std::string& path, std::string& bytes, std::string& error);

// Loads the program file at path into the simulator: a project is opened,
// any other text is typed line by line. On failure returns false and leaves
// a one-line reason in `error`.
bool LoadProgram(Simulator& sim, const std::string& path, std::string& error);

// Types each line into the entry field and presses Add.
void TypeProgramLines(Simulator& sim, const std::vector<std::string>& lines);

}  // namespace korvanta
