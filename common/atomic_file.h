#pragma once
// A file that replaces its target whole or not at all, written as a stream.
//
// The bytes go to a temporary file of a unique name beside the target (mkostemp: never an
// existing file or link of that name, never another writer's), which is synced and renamed
// over the target once complete; the folder is synced after the rename. A replaced file keeps
// its permission bits, a new one gets 0666 less the umask. Whatever fails, the temporary file
// is removed and the target is left as it was; an AtomicFile that goes out of scope before its
// commit is abandoned, so an early return cannot leave a temporary file or a descriptor behind.
//
// Only regular files are written. A target that is a symbolic link is written through: the
// temporary file goes beside the file the link leads to and is renamed over that file, so the
// link stays a link. A link that leads nowhere, and a target that is a device, a pipe or a
// folder, are refused without opening anything (a pipe with no reader would hold the save).
//
// A target that exists but may not be written (its permission bits forbid it, even to root) is
// refused: it is never replaced behind its owner's back.
//
// While it is written, a temporary file is locked (flock). One left behind by a save that was
// killed holds no lock any more, and the next save of the same target removes it: only names of
// the form "<target>.tmp-XXXXXX" beside that target, and only when no process holds the lock,
// so a save that another instance of the program is writing at the same moment is left alone.
// A target whose name is too long for that (within 11 bytes of the file system's limit) has its
// temporary file named after the name's start, cut at a character, so every name the file
// system takes can be saved.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace yumo
{

enum class AtomicFileProblem
{
    None,
    DanglingLink,   // the target is a symbolic link to nothing (or a loop of links)
    NotRegularFile, // the target, or what its link leads to, is a device, pipe, folder ...
    ReadOnlyTarget, // the target exists and may not be written (no write permission)
    CannotCreate,   // no temporary file could be made beside it (`error` says why)
    WriteFailed,    // a write, the sync or the rename failed (`error` says why)
};

struct AtomicFile
{
    std::filesystem::path path;     // the target as given
    std::filesystem::path realPath; // where the file lands: the target, or its link's file
    std::filesystem::path tempPath; // where the bytes go until the commit
    int fd = -1;
    bool failed = false; // something failed: the commit will refuse
    AtomicFileProblem problem = AtomicFileProblem::None;
    int error = 0;                // errno of the failure, where the system gave one
    mode_t mode = 0;              // permission bits the committed file gets
    std::vector<uint8_t> pending; // appended bytes not yet written, flushed in large pieces

    AtomicFile() = default;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    AtomicFile(AtomicFile&& other) noexcept;
    // Abandons this file's own unfinished temporary file first.
    AtomicFile& operator=(AtomicFile&& other) noexcept;
    ~AtomicFile();
};

// Opens a temporary file beside the target, after removing the ones that killed saves of the
// same target left. False, with nothing created and `problem` set, when that cannot be done.
bool OpenAtomicFile(AtomicFile& file, const std::filesystem::path& path);

// Adds bytes at the end. False once anything failed.
bool AppendToAtomicFile(AtomicFile& file, const void* data, size_t count);

// Replaces bytes already appended, from `offset` on (a header completed at the end).
bool OverwriteAtomicFile(AtomicFile& file, uint64_t offset, const void* data, size_t count);

// Writes what is pending, syncs, renames the temporary file over the target and syncs the
// folder. True when the target now holds exactly the appended bytes; otherwise the target is
// as it was and the temporary file is gone. The file is closed either way.
bool CommitAtomicFile(AtomicFile& file);

// Closes and removes the temporary file; the target is untouched.
void AbandonAtomicFile(AtomicFile& file);

// The whole of `bytes` as one atomic replacement of `path`.
bool WriteFileAtomically(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// Why a save failed, as one sentence to show the user: a whole text marked for translation, or,
// for an uncommon error, the system's own description of it.
std::string DescribeAtomicFileFailure(const AtomicFile& file);

} // namespace yumo
