#pragma once

// The .QSM project file: fixed records of 50 bytes. A text record is a 16-bit
// little-endian length and at most 48 one-byte characters; an integer record
// is a 16-bit little-endian signed value. Unused bytes of a record are zero
// when we write and ignored when we read.

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

#include "machine/host.h"

namespace korvanta {

inline constexpr int kRecordSize = 50;
inline constexpr int kMaxRecordText = kRecordSize - 2;

inline constexpr const char* kProjectId = "Korvanta";
inline constexpr const char* kStartMark = "###Start###";
inline constexpr const char* kEndMark = "###END###";
inline constexpr const char* kMemoryMark = "###MEM###";
inline constexpr const char* kLastRecord = "END";

// Failures as the platform's run time names them.
namespace sys {
inline SysError BadFileName() { return {"Bad file name or number", 52}; }
inline SysError FileNotFound() { return {"File not found", 53}; }
inline SysError DeviceIO() { return {"Device I/O error", 57}; }
inline SysError BadRecordLength() { return {"Bad record length", 59}; }
inline SysError DiskFull() { return {"Disk full", 61}; }
inline SysError PastEndOfFile() { return {"Input past end of file", 62}; }
inline SysError PathFileAccess() { return {"Path/File access error", 75}; }
inline SysError PathNotFound() { return {"Path not found", 76}; }
inline SysError InvalidPropertyValue() { return {"Invalid property value", 380}; }
// Raised for a file that is not a project of ours; the number has no text of its own.
inline SysError NotAProject() { return {"Application-defined or object-defined error", 12567}; }
}  // namespace sys

// Builds the bytes of a project file record by record.
class RecordWriter {
public:
    // Throws SysError (bad record length) for a text longer than 48 characters.
    void text(std::string_view value);
    void integer(int value);

    const std::string& bytes() const { return bytes_; }
    int records() const { return static_cast<int>(bytes_.size() / kRecordSize); }

private:
    std::string bytes_;
};

// Reads records of a project file without ever reading past its last byte.
// A last record shorter than 50 bytes is fine as long as its data is there.
class RecordReader {
public:
    // Throws SysError when the file cannot be opened.
    explicit RecordReader(const std::string& fileName);

    // Whether record n (from 1) has at least one byte in the file.
    bool exists(int n) const;
    // Throw SysError for a record that is missing, cut short or has a bad length.
    std::string text(int n);
    int integer(int n);

private:
    std::string read(int n, std::size_t count);
    std::ifstream in_;
    std::uintmax_t size_ = 0;
    std::uintmax_t position_ = 0;  // where the stream stands, so records in order need no seek
};

}  // namespace korvanta
