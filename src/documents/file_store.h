#pragma once

// Writing whole files so that a failure never costs the user the file that
// was there before: the new content goes to a temporary file in the same
// folder and replaces the target only once every byte of it is written.

#include <cstddef>
#include <ostream>
#include <string>

namespace korvanta {

class FileStore {
public:
    virtual ~FileStore() = default;
    // Makes fileName hold exactly content. Throws SysError on failure, and then
    // an existing fileName is left as it was.
    virtual void replaceFile(const std::string& fileName, const std::string& content) = 0;
};

class DiskFileStore : public FileStore {
public:
    void replaceFile(const std::string& fileName, const std::string& content) override;

protected:
    // Writes one piece of the temporary file. Throws SysError when the write fails.
    // A test store overrides this to fail part way, as a full disk would.
    virtual void writeChunk(std::ostream& out, const char* data, std::size_t size);
};

}  // namespace korvanta
