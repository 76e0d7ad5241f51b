#pragma once
// Opening outside data: only regular files are read. A pipe, device or folder named like a data
// file would block the open or the first read (a FIFO without a writer never answers), so the
// open does not wait and the descriptor's own type decides before anything is read.

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace yumo
{

enum class FileReadResult
{
    Ok,
    NotOpened,  // missing or unreadable
    NotRegular, // a folder, pipe, socket or device; nothing was read
    TooLarge,   // larger than the caller's limit; nothing was read
    ReadError,
};

// A regular file open for reading, closed with the object.
class RegularFile
{
public:
    RegularFile() = default;
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    // Ok, NotOpened or NotRegular.
    FileReadResult Open(const std::filesystem::path& path);
    bool IsOpen() const { return fd_ >= 0; }
    uint64_t Size() const { return size_; }               // as the open found it
    int64_t ModifiedSeconds() const { return modified_; } // since the epoch, as the open found it

    // Exactly `count` bytes from `offset`; false when the file ends before them or a read fails.
    bool ReadAt(uint64_t offset, void* out, size_t count) const;

private:
    int fd_ = -1;
    uint64_t size_ = 0;
    int64_t modified_ = 0;
};

} // namespace yumo
