#include "common/regular_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace yumo
{

RegularFile::~RegularFile()
{
    if (fd_ >= 0)
    {
        ::close(fd_);
    }
}

FileReadResult RegularFile::Open(const std::filesystem::path& path)
{
    if (fd_ >= 0)
    {
        ::close(fd_);
        fd_ = -1;
    }
    size_ = 0;
    modified_ = 0;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer. It changes
    // nothing for a regular file, and nothing else is read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
    {
        return errno == EISDIR ? FileReadResult::NotRegular : FileReadResult::NotOpened;
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0)
    {
        ::close(fd);
        return FileReadResult::NotOpened;
    }
    if (!S_ISREG(info.st_mode))
    {
        ::close(fd);
        return FileReadResult::NotRegular;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
    {
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    fd_ = fd;
    size_ = static_cast<uint64_t>(info.st_size);
    modified_ = static_cast<int64_t>(info.st_mtime);
    return FileReadResult::Ok;
}

bool RegularFile::ReadAt(uint64_t offset, void* out, size_t count) const
{
    auto* p = static_cast<uint8_t*>(out);
    while (count > 0)
    {
        const ssize_t got = ::pread(fd_, p, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
        {
            continue;
        }
        if (got <= 0)
        {
            return false;
        }
        p += got;
        offset += static_cast<uint64_t>(got);
        count -= static_cast<size_t>(got);
    }
    return true;
}

} // namespace yumo
