#include "documents/file_store.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

#if __has_include(<unistd.h>)
#include <fcntl.h>
#include <unistd.h>
#define KORVANTA_HAVE_FSYNC 1
#endif

#include "documents/project_file.h"

namespace korvanta {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kChunk = 4096;

// A name next to the target that no file has yet; hidden, so that a crash
// mid-write leaves nothing that looks like a project.
fs::path freeTemporaryName(const fs::path& target)
{
    const fs::path dir = target.parent_path();
    const std::string base = "." + target.filename().string() + ".~kvt";
    std::error_code ec;
    for (int i = 0; i < 1000; ++i) {
        fs::path candidate = dir / (base + std::to_string(i));
        if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate;
    }
    throw sys::PathFileAccess();
}

// Once rename() returns, the new name may reach the disk before the data does:
// after a power cut the user would find an empty project where a whole one
// was. So the data is flushed before the rename, and the folder after it.
bool flushToDisk(const fs::path& path, bool folder)
{
#ifdef KORVANTA_HAVE_FSYNC
    const int fd = ::open(path.c_str(), (folder ? O_RDONLY | O_DIRECTORY : O_WRONLY) | O_CLOEXEC);
    if (fd < 0) return false;
    int rc;
    do rc = ::fsync(fd);
    while (rc != 0 && errno == EINTR);
    // Some file systems cannot sync a folder; the rename is as safe as they allow.
    const bool ok = rc == 0 || (folder && errno == EINVAL);
    ::close(fd);
    return ok;
#else
    (void)path;
    (void)folder;
    return true;
#endif
}

bool isReadOnly(fs::perms p)
{
    return (p & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) == fs::perms::none;
}

}  // namespace

void DiskFileStore::writeChunk(std::ostream& out, const char* data, std::size_t size)
{
    out.write(data, static_cast<std::streamsize>(size));
    if (!out) throw sys::DiskFull();
}

void DiskFileStore::replaceFile(const std::string& fileName, const std::string& content)
{
    if (fileName.empty()) throw sys::BadFileName();
    const fs::path target(fileName);
    std::error_code ec;

    const fs::path dir = target.parent_path();
    if (!dir.empty() && !fs::is_directory(dir, ec)) throw sys::PathNotFound();

    fs::file_status existing = fs::status(target, ec);
    bool targetExists = fs::exists(existing);
    if (targetExists) {
        // A folder, a device, or a file the user protected: never replace it.
        if (!fs::is_regular_file(existing) || isReadOnly(existing.permissions())) throw sys::PathFileAccess();
    }

    const fs::path temp = freeTemporaryName(target);
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) throw sys::PathFileAccess();

    try {
        for (std::size_t at = 0; at < content.size(); at += kChunk) {
            std::size_t n = std::min(kChunk, content.size() - at);
            writeChunk(out, content.data() + at, n);
        }
        out.flush();
        if (!out) throw sys::DiskFull();
        out.close();
        if (out.fail()) throw sys::DiskFull();
        if (targetExists) fs::permissions(temp, existing.permissions(), ec);  // best effort
        if (!flushToDisk(temp, false)) throw sys::DiskFull();
        fs::rename(temp, target, ec);
        if (ec) throw sys::PathFileAccess();
        // The file is in place by now; a folder that will not sync cannot undo that.
        flushToDisk(dir.empty() ? fs::path(".") : dir, true);
    } catch (...) {
        if (out.is_open()) out.close();
        std::error_code ignored;
        fs::remove(temp, ignored);
        throw;
    }
}

}  // namespace korvanta
