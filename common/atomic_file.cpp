#include "common/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "common/ui_text.h"

namespace yumo
{
namespace
{

// Appends are gathered into writes of this size: a night's output comes 2 KiB at a time.
constexpr size_t kPendingBytes = size_t{1} << 20;

// What mkostemp puts after the target's name.
constexpr const char* kTempInfix = ".tmp-";
constexpr size_t kTempUniqueChars = 6;

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

bool Fail(AtomicFile& file, AtomicFileProblem problem, int error)
{
    if (!file.failed)
    {
        file.problem = problem;
        file.error = error;
    }
    file.failed = true;
    return false;
}

bool FlushPending(AtomicFile& file)
{
    if (!file.failed && !WriteAll(file.fd, file.pending.data(), file.pending.size()))
    {
        Fail(file, AtomicFileProblem::WriteFailed, errno);
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

std::filesystem::path FolderOf(const std::filesystem::path& path)
{
    return path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
}

// Makes the rename itself durable. Some file systems cannot sync a folder; the file is in
// place by then either way, so that is not a failure.
void SyncFolder(const std::filesystem::path& path)
{
    const int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
    {
        fsync(fd);
        close(fd);
    }
}

// Where the bytes for `path` land and what stands there now. A link is followed to its file,
// as an editor saving through a link does. False with the problem set when that is no regular
// file; `exists` is false for a new file.
bool ResolveTarget(AtomicFile& file, bool& exists, struct stat& info)
{
    exists = false;
    if (lstat(file.path.c_str(), &info) != 0)
    {
        if (errno != ENOENT)
        {
            return Fail(file, AtomicFileProblem::CannotCreate, errno);
        }
        file.realPath = file.path;
        return true;
    }
    file.realPath = file.path;
    if (S_ISLNK(info.st_mode))
    {
        std::error_code error;
        file.realPath = std::filesystem::canonical(file.path, error);
        if (error)
        {
            const int code = error.value();
            return code == ENOENT || code == ELOOP
                       ? Fail(file, AtomicFileProblem::DanglingLink, code)
                       : Fail(file, AtomicFileProblem::CannotCreate, code);
        }
        if (stat(file.realPath.c_str(), &info) != 0)
        {
            return Fail(file, AtomicFileProblem::DanglingLink, errno);
        }
    }
    if (!S_ISREG(info.st_mode))
    {
        return Fail(file, AtomicFileProblem::NotRegularFile, 0);
    }
    // No write bit at all stops root too, whom access() would let through.
    if ((info.st_mode & 0222) == 0 ||
        (access(file.realPath.c_str(), W_OK) != 0 && (errno == EACCES || errno == EPERM)))
    {
        return Fail(file, AtomicFileProblem::ReadOnlyTarget, EACCES);
    }
    exists = true;
    return true;
}

// The part of the target's name its temporary files begin with: the whole name when there is
// room for the infix and the unique characters, else its start, cut where a UTF-8 character
// begins.
std::string TempPrefixOf(const std::filesystem::path& target)
{
    const long limit = pathconf(FolderOf(target).c_str(), _PC_NAME_MAX);
    const size_t nameMax = limit > 0 ? static_cast<size_t>(limit) : 255;
    const size_t extra = std::char_traits<char>::length(kTempInfix) + kTempUniqueChars;
    std::string name = target.filename().string();
    if (name.size() + extra > nameMax)
    {
        size_t keep = nameMax > extra ? nameMax - extra : 1;
        while (keep > 1 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        {
            --keep;
        }
        name.resize(keep);
    }
    return name + kTempInfix;
}

bool IsTempNameOf(const std::string& name, const std::string& prefix)
{
    if (name.size() != prefix.size() + kTempUniqueChars ||
        name.compare(0, prefix.size(), prefix) != 0)
    {
        return false;
    }
    for (size_t i = prefix.size(); i < name.size(); ++i)
    {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
        {
            return false;
        }
    }
    return true;
}

// Removes the temporary files of `target` that no save holds any more. A save keeps its lock
// from the moment its file has its name until the rename, so a file whose lock can be taken was
// left by a save that died. It is removed only while this lock is held and only when the name
// still leads to the file that was locked.
void RemoveStaleTemporaries(const std::filesystem::path& target)
{
    const std::string prefix = TempPrefixOf(target);
    DIR* folder = opendir(FolderOf(target).c_str());
    if (folder == nullptr)
    {
        return;
    }
    const int folderFd = dirfd(folder);
    while (const dirent* entry = readdir(folder))
    {
        if (!IsTempNameOf(entry->d_name, prefix))
        {
            continue;
        }
        const int fd =
            openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
        {
            continue;
        }
        struct stat held = {};
        struct stat named = {};
        if (fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            fstatat(folderFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == held.st_dev && named.st_ino == held.st_ino)
        {
            unlinkat(folderFd, entry->d_name, 0);
        }
        close(fd);
    }
    closedir(folder);
}

// A temporary file beside `target`, locked and still under its name: a cleaner of another
// instance that took the lock in the moment between creating and locking has removed it, and
// then another name is tried.
int CreateLockedTemporary(const std::filesystem::path& target, std::string& name)
{
    for (int attempt = 0; attempt < 8; ++attempt)
    {
        name =
            (FolderOf(target) / TempPrefixOf(target)).string() + std::string(kTempUniqueChars, 'X');
        const int fd = mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0)
        {
            return -1;
        }
        struct stat held = {};
        struct stat named = {};
        while (flock(fd, LOCK_EX) != 0 && errno == EINTR)
        {
        }
        if (fstat(fd, &held) == 0 && lstat(name.c_str(), &named) == 0 &&
            named.st_dev == held.st_dev && named.st_ino == held.st_ino)
        {
            return fd;
        }
        close(fd);
    }
    errno = EEXIST;
    return -1;
}

// The system's words for an error; strerror is not safe on the editor's worker thread, this is.
std::string SystemErrorText(int error) { return std::system_category().message(error); }

} // namespace

AtomicFile::AtomicFile(AtomicFile&& other) noexcept { *this = std::move(other); }

AtomicFile& AtomicFile::operator=(AtomicFile&& other) noexcept
{
    if (this != &other)
    {
        AbandonAtomicFile(*this);
        path = std::move(other.path);
        realPath = std::move(other.realPath);
        tempPath = std::move(other.tempPath);
        fd = other.fd;
        failed = other.failed;
        problem = other.problem;
        error = other.error;
        mode = other.mode;
        pending = std::move(other.pending);
        other.fd = -1;
    }
    return *this;
}

AtomicFile::~AtomicFile() { AbandonAtomicFile(*this); }

bool OpenAtomicFile(AtomicFile& file, const std::filesystem::path& path)
{
    file = AtomicFile{};
    file.path = path;
    bool exists = false;
    struct stat info = {};
    if (!ResolveTarget(file, exists, info))
    {
        return false;
    }
    file.mode = exists ? (info.st_mode & 07777) : (0666 & ~CurrentUmask());
    RemoveStaleTemporaries(file.realPath);
    std::string name;
    file.fd = CreateLockedTemporary(file.realPath, name);
    if (file.fd < 0)
    {
        return Fail(file, AtomicFileProblem::CannotCreate, errno);
    }
    file.tempPath = name;
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
        return WriteAll(file.fd, bytes, count) || Fail(file, AtomicFileProblem::WriteFailed, errno);
    }
    file.pending.insert(file.pending.end(), bytes, bytes + count);
    return true;
}

bool OverwriteAtomicFile(AtomicFile& file, uint64_t offset, const void* data, size_t count)
{
    if (file.fd < 0 || file.failed || !FlushPending(file))
    {
        return false;
    }
    return WriteAllAt(file.fd, offset, static_cast<const uint8_t*>(data), count) ||
           Fail(file, AtomicFileProblem::WriteFailed, errno);
}

bool CommitAtomicFile(AtomicFile& file)
{
    if (file.fd < 0)
    {
        return false;
    }
    // The descriptor, and with it the lock, is kept until the rename is done: a cleaner must
    // never take a complete file for a dead save's.
    bool ok = FlushPending(file);
    ok = ok && (fsync(file.fd) == 0 || Fail(file, AtomicFileProblem::WriteFailed, errno));
    ok = ok && (fchmod(file.fd, file.mode) == 0 || // mkostemp made it 0600
                Fail(file, AtomicFileProblem::WriteFailed, errno));
    ok = ok && (std::rename(file.tempPath.c_str(), file.realPath.c_str()) == 0 ||
                Fail(file, AtomicFileProblem::WriteFailed, errno));
    if (!ok)
    {
        unlink(file.tempPath.c_str());
    }
    close(file.fd);
    file.fd = -1;
    file.pending = std::vector<uint8_t>{};
    if (ok)
    {
        SyncFolder(file.realPath);
    }
    return ok;
}

void AbandonAtomicFile(AtomicFile& file)
{
    if (file.fd >= 0)
    {
        // Removed while still locked, so no cleaner meets it half gone.
        unlink(file.tempPath.c_str());
        close(file.fd);
        file.fd = -1;
        file.failed = true;
    }
    file.pending = std::vector<uint8_t>{};
}

bool WriteFileAtomically(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    AtomicFile file;
    return OpenAtomicFile(file, path) && AppendToAtomicFile(file, bytes.data(), bytes.size()) &&
           CommitAtomicFile(file);
}

namespace
{

// Declared to return const char*: the translation tool would file the texts of a function
// returning std::string under the context "std".
const char* KnownFailureText(const AtomicFile& file)
{
    switch (file.problem)
    {
    case AtomicFileProblem::None:
        return "";
    case AtomicFileProblem::DanglingLink:
        return YUMO_TEXT("保存先は、存在しないファイルを指すリンクです。");
    case AtomicFileProblem::NotRegularFile:
        return YUMO_TEXT(
            "保存先は通常のファイルではありません（デバイス、パイプ、フォルダなど）。");
    case AtomicFileProblem::ReadOnlyTarget:
        return YUMO_TEXT("保存先のファイルは書き込み禁止になっています。書き込みを許可するか、"
                         "別の名前で保存してください。");
    case AtomicFileProblem::CannotCreate:
    case AtomicFileProblem::WriteFailed:
        break;
    }
    switch (file.error)
    {
    case EACCES:
    case EPERM:
        return YUMO_TEXT("保存先に書き込む権限がありません。");
    case EROFS:
        return YUMO_TEXT("保存先は読み取り専用です。");
    case ENOSPC:
    case EDQUOT:
        return YUMO_TEXT("ディスクの空きが足りません。");
    case ENOENT:
    case ENOTDIR:
        return YUMO_TEXT("保存先のフォルダがありません。");
    case EFBIG:
        return YUMO_TEXT("ファイルが大きすぎます。");
    case ENAMETOOLONG:
        return YUMO_TEXT("保存先の名前が長すぎます。");
    default:
        return nullptr;
    }
}

} // namespace

std::string DescribeAtomicFileFailure(const AtomicFile& file)
{
    const char* known = KnownFailureText(file);
    return known != nullptr ? known : SystemErrorText(file.error);
}

} // namespace yumo
