#include "documents/project_file.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace korvanta {

namespace {

void appendInt16(std::string& out, int value)
{
    auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

int readInt16(const std::string& bytes)
{
    auto lo = static_cast<unsigned char>(bytes[0]);
    auto hi = static_cast<unsigned char>(bytes[1]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
}

}  // namespace

void RecordWriter::text(std::string_view value)
{
    if (value.size() > static_cast<std::size_t>(kMaxRecordText)) throw sys::BadRecordLength();
    std::size_t start = bytes_.size();
    appendInt16(bytes_, static_cast<int>(value.size()));
    bytes_.append(value);
    bytes_.resize(start + kRecordSize, '\0');
}

void RecordWriter::integer(int value)
{
    std::size_t start = bytes_.size();
    appendInt16(bytes_, value);
    bytes_.resize(start + kRecordSize, '\0');
}

RecordReader::RecordReader(const std::string& fileName)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fileName.empty()) throw sys::BadFileName();
    fs::file_status status = fs::status(fileName, ec);
    if (status.type() == fs::file_type::not_found) throw sys::FileNotFound();
    if (ec || status.type() != fs::file_type::regular) throw sys::PathFileAccess();
    size_ = fs::file_size(fileName, ec);
    if (ec) throw sys::PathFileAccess();
    in_.open(fileName, std::ios::binary);
    if (!in_) throw sys::PathFileAccess();
}

bool RecordReader::exists(int n) const
{
    return n >= 1 && static_cast<std::uintmax_t>(n - 1) * kRecordSize < size_;
}

std::string RecordReader::read(int n, std::size_t count)
{
    std::uintmax_t offset = static_cast<std::uintmax_t>(n - 1) * kRecordSize;
    if (n < 1 || offset + count > size_) throw sys::PastEndOfFile();
    std::string bytes(count, '\0');
    // A seek throws the stream's buffer away; records read in order don't need one.
    if (position_ != offset) {
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        position_ = offset;
    }
    in_.read(bytes.data(), static_cast<std::streamsize>(count));
    if (in_.gcount() != static_cast<std::streamsize>(count)) throw sys::DeviceIO();
    position_ += count;
    return bytes;
}

std::string RecordReader::text(int n)
{
    // The whole record in one read: the length, the text and whatever padding the file holds.
    std::uintmax_t offset = static_cast<std::uintmax_t>(n - 1) * kRecordSize;
    if (n < 1 || offset + 2 > size_) throw sys::PastEndOfFile();
    std::size_t available = static_cast<std::size_t>(std::min<std::uintmax_t>(kRecordSize, size_ - offset));
    std::string record = read(n, available);
    int length = readInt16(record.substr(0, 2));
    if (length < 0 || length > kMaxRecordText) throw sys::BadRecordLength();
    if (2 + static_cast<std::size_t>(length) > available) throw sys::PastEndOfFile();
    return record.substr(2, static_cast<std::size_t>(length));
}

int RecordReader::integer(int n)
{
    return readInt16(read(n, 2));
}

}  // namespace korvanta
