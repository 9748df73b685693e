#include "FileLayer.h"

#include "ArcErrors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace trovel {

namespace {

int retryOpen(const char *name, int flags, mode_t mode = 0)
{
    int handle;
    do {
        handle = ::open(name, flags | O_CLOEXEC, mode);
    } while (handle < 0 && errno == EINTR);
    return handle;
}

} // namespace

TFileStream TFileStream::OpenShared(const std::string &fileName)
{
    // POSIX has no share modes: an open file never keeps others out.
    const int handle = retryOpen(fileName.c_str(), O_RDONLY);
    if (handle < 0)
        throw EFOpenError(fileName);
    struct stat info = {};
    if (::fstat(handle, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(handle);
        throw EFOpenError(fileName);
    }
    return TFileStream(handle);
}

TFileStream TFileStream::Create(const std::string &fileName)
{
    const int handle = retryOpen(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0666);
    if (handle < 0)
        throw EFCreateError(fileName);
    return TFileStream(handle);
}

TFileStream::TFileStream(TFileStream &&other) noexcept
    : FHandle(std::exchange(other.FHandle, -1)), FPosition(other.FPosition),
      FSequential(other.FSequential)
{
}

TFileStream &TFileStream::operator=(TFileStream &&other) noexcept
{
    if (this != &other) {
        Release();
        FHandle = std::exchange(other.FHandle, -1);
        FPosition = other.FPosition;
        FSequential = other.FSequential;
    }
    return *this;
}

TFileStream::~TFileStream()
{
    Release();
}

void TFileStream::Release() noexcept
{
    if (FHandle >= 0)
        ::close(FHandle);
    FHandle = -1;
}

std::size_t TFileStream::Read(void *buffer, std::size_t count)
{
    auto *target = static_cast<char *>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(FHandle, target + done, count - done, FPosition);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
        FPosition += got;
    }
    return done;
}

std::size_t TFileStream::Write(const void *buffer, std::size_t count)
{
    const auto *source = static_cast<const char *>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t put = FSequential ? ::write(FHandle, source + done, count - done)
                                        : ::pwrite(FHandle, source + done, count - done, FPosition);
        if (put < 0 && errno == EINTR)
            continue;
        // A pipe or terminal has no positions; output to it goes in order.
        if (put < 0 && errno == ESPIPE && !FSequential) {
            FSequential = true;
            continue;
        }
        if (put <= 0)
            break;
        done += static_cast<std::size_t>(put);
        FPosition += put;
    }
    return done;
}

void TFileStream::ReadBuffer(void *buffer, std::size_t count)
{
    if (Read(buffer, count) != count)
        throw EReadError();
}

void TFileStream::WriteBuffer(const void *buffer, std::size_t count)
{
    if (Write(buffer, count) != count)
        throw EWriteError();
}

std::int64_t TFileStream::Size() const
{
    struct stat info = {};
    if (::fstat(FHandle, &info) != 0)
        return 0;
    return info.st_size;
}

TFileIdentity TFileStream::Identity() const
{
    struct stat info = {};
    if (::fstat(FHandle, &info) != 0)
        return {};
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

std::optional<TFileIdentity> FileIdentity(const std::string &fileName)
{
    struct stat info = {};
    if (::stat(fileName.c_str(), &info) != 0)
        return std::nullopt;
    return TFileIdentity{static_cast<std::uint64_t>(info.st_dev),
                         static_cast<std::uint64_t>(info.st_ino)};
}

bool DirectoryExists(const std::string &path)
{
    struct stat info = {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CreateDir(const std::string &path)
{
    return ::mkdir(path.c_str(), 0777) == 0;
}

} // namespace trovel
