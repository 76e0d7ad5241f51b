#include "common/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace yumo
{
namespace
{

// Appends are gathered into writes of this size: a night's output comes 2 KiB at a time.
constexpr size_t kPendingBytes = size_t{1} << 20;

// Writes all of it, going on after interruptions and short writes.
bool WriteAll(int fd, const uint8_t* data, size_t count)
{
    while (count > 0)
    {
        const ssize_t n = write(fd, data, count);
        if (n < 0 && errno == EINTR)
        {
            continue;
        }
        if (n <= 0)
        {
            return false;
        }
        data += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

bool WriteAllAt(int fd, uint64_t offset, const uint8_t* data, size_t count)
{
    while (count > 0)
    {
        const ssize_t n = pwrite(fd, data, count, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
        {
            continue;
        }
        if (n <= 0)
        {
            return false;
        }
        data += n;
        offset += static_cast<uint64_t>(n);
        count -= static_cast<size_t>(n);
    }
    return true;
}

bool FlushPending(AtomicFile& file)
{
    if (!file.failed && !WriteAll(file.fd, file.pending.data(), file.pending.size()))
    {
        file.failed = true;
    }
    file.pending.clear();
    return !file.failed;
}

// The umask, read without changing it where the kernel tells it (Linux 4.7 on): umask() can
// only be read by setting it, which races with files that other threads create meanwhile.
mode_t CurrentUmask()
{
    if (std::FILE* status = std::fopen("/proc/self/status", "r"))
    {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status) != nullptr)
        {
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        }
        std::fclose(status);
        if (found)
        {
            return static_cast<mode_t>(mask);
        }
    }
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

// Makes the rename itself durable. Some file systems cannot sync a folder; the file is in
// place by then either way, so that is not a failure.
void SyncFolder(const std::filesystem::path& path)
{
    const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
    {
        fsync(fd);
        close(fd);
    }
}

void CloseQuietly(AtomicFile& file)
{
    if (file.fd >= 0)
    {
        close(file.fd);
        file.fd = -1;
    }
    file.pending = std::vector<uint8_t>{};
}

} // namespace

bool OpenAtomicFile(AtomicFile& file, const std::filesystem::path& path)
{
    file = AtomicFile{};
    file.path = path;
    struct stat info
    {
    };
    const bool exists = stat(path.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
    {
        file.inPlace = true;
        file.fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    }
    else
    {
        file.mode =
            exists && S_ISREG(info.st_mode) ? (info.st_mode & 07777) : (0666 & ~CurrentUmask());
        std::string pattern = path.string() + ".tmp-XXXXXX";
        file.fd = mkstemp(pattern.data());
        if (file.fd >= 0)
        {
            file.tempPath = pattern;
        }
    }
    if (file.fd < 0)
    {
        file.failed = true;
        return false;
    }
    file.pending.reserve(kPendingBytes);
    return true;
}

bool AppendToAtomicFile(AtomicFile& file, const void* data, size_t count)
{
    if (file.fd < 0 || file.failed)
    {
        return false;
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (file.pending.size() + count <= kPendingBytes)
    {
        file.pending.insert(file.pending.end(), bytes, bytes + count);
        return true;
    }
    if (!FlushPending(file))
    {
        return false;
    }
    if (count >= kPendingBytes)
    {
        file.failed = !WriteAll(file.fd, bytes, count);
        return !file.failed;
    }
    file.pending.insert(file.pending.end(), bytes, bytes + count);
    return true;
}

bool OverwriteAtomicFile(AtomicFile& file, uint64_t offset, const void* data, size_t count)
{
    if (file.fd < 0 || file.failed || file.inPlace || !FlushPending(file))
    {
        return false;
    }
    file.failed = !WriteAllAt(file.fd, offset, static_cast<const uint8_t*>(data), count);
    return !file.failed;
}

bool CommitAtomicFile(AtomicFile& file)
{
    if (file.fd < 0)
    {
        return false;
    }
    bool ok = FlushPending(file);
    if (file.inPlace)
    {
        ok = close(file.fd) == 0 && ok;
        file.fd = -1;
        return ok;
    }
    ok = ok && fsync(file.fd) == 0;
    ok = ok && fchmod(file.fd, file.mode) == 0; // mkstemp made it 0600
    ok = close(file.fd) == 0 && ok;
    file.fd = -1;
    file.pending = std::vector<uint8_t>{};
    if (ok && std::rename(file.tempPath.c_str(), file.path.c_str()) == 0)
    {
        SyncFolder(file.path);
        return true;
    }
    unlink(file.tempPath.c_str());
    file.failed = true;
    return false;
}

void AbandonAtomicFile(AtomicFile& file)
{
    const bool hadTemp = file.fd >= 0 && !file.inPlace;
    CloseQuietly(file);
    if (hadTemp)
    {
        unlink(file.tempPath.c_str());
    }
    file.failed = true;
}

bool WriteFileAtomically(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    AtomicFile file;
    if (!OpenAtomicFile(file, path))
    {
        return false;
    }
    if (!AppendToAtomicFile(file, bytes.data(), bytes.size()))
    {
        AbandonAtomicFile(file);
        return false;
    }
    return CommitAtomicFile(file);
}

} // namespace yumo
