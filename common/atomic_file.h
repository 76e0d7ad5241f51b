#pragma once
// A file that replaces its target whole or not at all, written as a stream.
//
// The bytes go to a temporary file of a unique name beside the target (mkstemp: never an
// existing file or link of that name, never another writer's), which is synced and renamed
// over the target once complete; the folder is synced after the rename. A replaced file keeps
// its permission bits, a new one gets 0666 less the umask. Whatever fails, the temporary file
// is removed and the target is left as it was.
//
// A target that exists and is not a regular file (a device such as /dev/null, a pipe) cannot
// be replaced and is written in place instead.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <sys/types.h>
#include <vector>

namespace yumo
{

struct AtomicFile
{
    std::filesystem::path path;     // the target
    std::filesystem::path tempPath; // where the bytes go until the commit; empty in place
    int fd = -1;
    bool inPlace = false;         // not a regular file: written straight through, never renamed
    bool failed = false;          // a write failed: the commit will refuse
    mode_t mode = 0;              // permission bits the committed file gets
    std::vector<uint8_t> pending; // appended bytes not yet written, flushed in large pieces
};

// Opens a temporary file beside `path` (or `path` itself, in place). False, with nothing
// created, when that cannot be done.
bool OpenAtomicFile(AtomicFile& file, const std::filesystem::path& path);

// Adds bytes at the end. False once anything failed.
bool AppendToAtomicFile(AtomicFile& file, const void* data, size_t count);

// Replaces bytes already appended, from `offset` on (a header completed at the end). Not for a
// file written in place, whose start is gone: false there.
bool OverwriteAtomicFile(AtomicFile& file, uint64_t offset, const void* data, size_t count);

// Writes what is pending, syncs, renames the temporary file over the target and syncs the
// folder. True when the target now holds exactly the appended bytes; otherwise the target is
// as it was and the temporary file is gone. The file is closed either way.
bool CommitAtomicFile(AtomicFile& file);

// Closes and removes the temporary file; the target is untouched.
void AbandonAtomicFile(AtomicFile& file);

// The whole of `bytes` as one atomic replacement of `path`.
bool WriteFileAtomically(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

} // namespace yumo
