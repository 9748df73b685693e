#include "FileLayer.h"

#include "ArcErrors.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>

namespace trovel {

const std::size_t MaxPathLength = PATH_MAX - 1;

namespace {

#ifdef O_PATH
// A folder handle that only names the folder: making things in it needs no
// right to list it.
constexpr int FolderAccess = O_PATH;
#else
constexpr int FolderAccess = O_RDONLY;
#endif

// How often a name that reappears after its removal is removed again before
// ReplaceFile gives up.
constexpr int ReplaceAttempts = 16;

TCloseCall CloseCall = ::close;

template <typename TCall>
int RetryInterrupted(TCall Call)
{
    int result;
    do {
        result = Call();
    } while (result < 0 && errno == EINTR);
    return result;
}

TFileIdentity IdentityOf(const struct stat &Info)
{
    return {static_cast<std::uint64_t>(Info.st_dev), static_cast<std::uint64_t>(Info.st_ino)};
}

bool IsKept(const struct stat &Info, const std::optional<TFileIdentity> &Keep)
{
    return Keep && IdentityOf(Info) == *Keep;
}

// The error of the call that just failed, taken before the error object is
// made.
template <typename TError>
TError LastSystemError(const std::string &FileName)
{
    const int error = errno;
    return WithSystemReason(TError(FileName), error);
}

} // namespace

TFileStream TFileStream::OpenShared(const std::string &FileName)
{
    // POSIX has no share modes: an open file never keeps others out.
    const int handle =
        RetryInterrupted([&] { return ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC); });
    if (handle < 0)
        throw LastSystemError<EFOpenError>(FileName);
    TFileStream stream(handle, false);
    struct stat info = {};
    if (::fstat(handle, &info) != 0)
        throw LastSystemError<EFOpenError>(FileName);
    if (S_ISDIR(info.st_mode))
        throw WithSystemReason(EFOpenError(FileName), EISDIR);
    return stream;
}

TFileStream TFileStream::Create(const std::string &FileName,
                                const std::optional<TFileIdentity> &Keep)
{
    // Write-only, so that a FIFO or pipe reached through the name is never
    // held open for reading by the writer itself: a reader that goes away
    // then ends the writing. The file is truncated only once it is known not
    // to be the one to keep.
    const int handle = RetryInterrupted(
        [&] { return ::open(FileName.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC, 0666); });
    if (handle < 0)
        throw LastSystemError<EFCreateError>(FileName);
    TFileStream stream(handle, false);
    struct stat info = {};
    if (::fstat(handle, &info) != 0)
        throw LastSystemError<EFCreateError>(FileName);
    if (IsKept(info, Keep))
        throw EFCreateError(FileName);
    if (!S_ISREG(info.st_mode))
        stream.FSequential = true;
    else if (RetryInterrupted([&] { return ::ftruncate(handle, 0); }) != 0)
        throw LastSystemError<EFCreateError>(FileName);
    return stream;
}

TFileStream::TFileStream(TFileStream &&Other) noexcept
    : FHandle(std::exchange(Other.FHandle, -1)), FPosition(Other.FPosition),
      FSequential(Other.FSequential)
{
}

TFileStream &TFileStream::operator=(TFileStream &&Other) noexcept
{
    if (this != &Other) {
        Release();
        FHandle = std::exchange(Other.FHandle, -1);
        FPosition = Other.FPosition;
        FSequential = Other.FSequential;
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

void TFileStream::Close()
{
    const int handle = std::exchange(FHandle, -1);
    // An interrupted close has still released the handle on Linux, and
    // reports no lost data; only a real failure does.
    if (handle >= 0 && CloseCall(handle) != 0) {
        const int error = errno;
        if (error != EINTR)
            throw WithSystemReason(EWriteError(), error);
    }
}

std::size_t TFileStream::Read(void *Buffer, std::size_t Count)
{
    auto *target = static_cast<char *>(Buffer);
    std::size_t done = 0;
    while (done < Count) {
        const ssize_t got = ::pread(FHandle, target + done, Count - done, FPosition);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got == 0)
                errno = 0; // the end of the file, which is no error of the system's
            break;
        }
        done += static_cast<std::size_t>(got);
        FPosition += got;
    }
    return done;
}

std::size_t TFileStream::Write(const void *Buffer, std::size_t Count)
{
    const auto *source = static_cast<const char *>(Buffer);
    std::size_t done = 0;
    while (done < Count) {
        // A pipe, terminal or device has no positions; output to it goes in
        // order.
        const ssize_t put = FSequential ? ::write(FHandle, source + done, Count - done)
                                        : ::pwrite(FHandle, source + done, Count - done, FPosition);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            if (put == 0)
                errno = 0;
            break;
        }
        done += static_cast<std::size_t>(put);
        FPosition += put;
    }
    return done;
}

void TFileStream::ReadBuffer(void *Buffer, std::size_t Count)
{
    // A short count leaves errno as the failing call set it: 0 at the end of
    // the file.
    if (Read(Buffer, Count) != Count) {
        const int error = errno;
        throw WithSystemReason(EReadError(), error);
    }
}

void TFileStream::WriteBuffer(const void *Buffer, std::size_t Count)
{
    if (Write(Buffer, Count) != Count) {
        const int error = errno;
        throw WithSystemReason(EWriteError(), error);
    }
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
    return IdentityOf(info);
}

std::optional<TFolder> TFolder::Open(const std::string &Path)
{
    const int handle = RetryInterrupted(
        [&] { return ::open(Path.c_str(), FolderAccess | O_DIRECTORY | O_CLOEXEC); });
    if (handle < 0)
        return std::nullopt;
    return TFolder(handle);
}

TFolder::TFolder(TFolder &&Other) noexcept : FHandle(std::exchange(Other.FHandle, -1)) {}

TFolder &TFolder::operator=(TFolder &&Other) noexcept
{
    if (this != &Other) {
        if (FHandle >= 0)
            ::close(FHandle);
        FHandle = std::exchange(Other.FHandle, -1);
    }
    return *this;
}

TFolder::~TFolder()
{
    if (FHandle >= 0)
        ::close(FHandle);
}

std::optional<TFolder> TFolder::OpenChild(const std::string &Name, bool FollowLink) const
{
    const int flags = FolderAccess | O_DIRECTORY | O_CLOEXEC | (FollowLink ? 0 : O_NOFOLLOW);
    const int handle = RetryInterrupted([&] { return ::openat(FHandle, Name.c_str(), flags); });
    if (handle < 0)
        return std::nullopt;
    return TFolder(handle);
}

bool TFolder::CreateChild(const std::string &Name) const
{
    return ::mkdirat(FHandle, Name.c_str(), 0777) == 0;
}

std::optional<TFileStream> TFolder::ReplaceFile(const std::string &Name,
                                                const std::optional<TFileIdentity> &Keep) const
{
    // O_EXCL makes the file new, never one that a link leads to; whatever
    // took the name is removed and the creation tried again.
    constexpr int Flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC;
    for (int attempt = 0; attempt < ReplaceAttempts; ++attempt) {
        const int handle =
            RetryInterrupted([&] { return ::openat(FHandle, Name.c_str(), Flags, 0666); });
        if (handle >= 0)
            return TFileStream(handle, false);
        if (errno != EEXIST)
            return std::nullopt;
        struct stat info = {};
        if (::fstatat(FHandle, Name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                continue;
            return std::nullopt;
        }
        if (S_ISDIR(info.st_mode) || IsKept(info, Keep))
            return std::nullopt;
        if (::unlinkat(FHandle, Name.c_str(), 0) != 0 && errno != ENOENT)
            return std::nullopt;
    }
    return std::nullopt;
}

bool DirectoryExists(const std::string &Path)
{
    struct stat info = {};
    return ::stat(Path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<TFileSystemRoom> FileSystemRoom(const std::string &Path)
{
    struct statvfs info = {};
    struct stat folder = {};
    if (::statvfs(Path.c_str(), &info) != 0 || ::stat(Path.c_str(), &folder) != 0 ||
        !S_ISDIR(folder.st_mode))
        return std::nullopt;
    TFileSystemRoom room;
    room.Device = static_cast<std::uint64_t>(folder.st_dev);
    // f_frsize is the unit of the block counts; some systems leave it 0 and
    // count in f_bsize.
    room.BlockSize = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
    const std::uint64_t blocks = info.f_bavail;
    room.FreeBytes = room.BlockSize != 0 && blocks > UINT64_MAX / room.BlockSize
                         ? UINT64_MAX
                         : blocks * room.BlockSize;
    // A file system without a fixed number of files reports none at all.
    if (info.f_files != 0)
        room.FreeFiles = info.f_favail;
    return room;
}

TStanding StandingAt(const std::string &Path, bool FollowLink)
{
    struct stat info = {};
    const int result = FollowLink ? ::stat(Path.c_str(), &info) : ::lstat(Path.c_str(), &info);
    TStanding standing;
    if (result != 0)
        return standing;
    standing.Kind = S_ISDIR(info.st_mode)   ? TStanding::TKind::Folder
                    : S_ISREG(info.st_mode) ? TStanding::TKind::File
                                            : TStanding::TKind::Other;
    standing.Device = static_cast<std::uint64_t>(info.st_dev);
    standing.Inode = static_cast<std::uint64_t>(info.st_ino);
    // st_blocks counts units of 512 bytes on every system that has it.
    standing.Bytes = static_cast<std::uint64_t>(info.st_blocks) * 512;
    standing.Names = static_cast<std::uint64_t>(info.st_nlink);
    return standing;
}

bool FolderIsEmpty(const std::string &Path)
{
    DIR *folder = ::opendir(Path.c_str());
    if (!folder)
        return false;
    bool empty = true;
    while (const dirent *item = ::readdir(folder)) {
        const std::string_view name = item->d_name;
        if (name != "." && name != "..") {
            empty = false;
            break;
        }
    }
    ::closedir(folder);
    return empty;
}

bool CreateDir(const std::string &Path)
{
    return ::mkdir(Path.c_str(), 0777) == 0;
}

TCloseCall ReplaceCloseCall(TCloseCall Call)
{
    return std::exchange(CloseCall, Call);
}

} // namespace trovel
