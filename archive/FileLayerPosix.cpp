#include "FileLayer.h"

#include "ArcErrors.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <random>
#include <string_view>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

namespace trovel {

const std::size_t MaxPathLength = PATH_MAX - 1;
const std::size_t MaxNameLength = NAME_MAX;

namespace {

#ifdef O_PATH
// A folder handle that only names the folder: making things in it needs no
// right to list it.
constexpr int FolderAccess = O_PATH;
#else
constexpr int FolderAccess = O_RDONLY;
#endif

TCloseCall CloseCall = ::close;
bool UnnamedFilesAllowed = true;

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

namespace {

std::size_t ReadFrom(int Handle, std::int64_t Position, void *Buffer, std::size_t Count)
{
    auto *target = static_cast<char *>(Buffer);
    std::size_t done = 0;
    while (done < Count) {
        const ssize_t got = ::pread(Handle, target + done, Count - done,
                                    Position + static_cast<std::int64_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got == 0)
                errno = 0; // the end of the file, which is no error of the system's
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

} // namespace

std::size_t TFileStream::Read(void *Buffer, std::size_t Count)
{
    const std::size_t done = ReadFrom(FHandle, FPosition, Buffer, Count);
    FPosition += static_cast<std::int64_t>(done);
    return done;
}

void TFileStream::ReadBufferAt(std::int64_t Position, void *Buffer, std::size_t Count) const
{
    if (ReadFrom(FHandle, Position, Buffer, Count) != Count)
        throw EReadError();
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

TFolderOpening TFolder::Open(const std::string &Path)
{
    TFolderOpening opening;
    const int handle = RetryInterrupted(
        [&] { return ::open(Path.c_str(), FolderAccess | O_DIRECTORY | O_CLOEXEC); });
    if (handle >= 0)
        opening.Folder = TFolder(handle);
    else
        opening.Reason = SystemReason(errno);
    return opening;
}

TFolderOpening TFolder::OpenChild(const std::string &Name, TLinkRule Links) const
{
    TFolderOpening opening;
    constexpr int Flags = FolderAccess | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    const int handle = RetryInterrupted([&] { return ::openat(FHandle, Name.c_str(), Flags); });
    if (handle >= 0) {
        opening.Folder = TFolder(handle);
        return opening;
    }
    const int error = errno;
    if (error == ENOENT)
        opening.Missing = true;
    // A link in the folder's place fails with one of these; so does a file.
    if (error != ENOTDIR && error != ELOOP) {
        opening.Reason = SystemReason(error);
        return opening;
    }
    // The link itself, held open: its owner and its text come from this
    // handle, and its text is resolved from the same parent, so no link put
    // in its place meanwhile is ever followed.
    const int link = RetryInterrupted(
        [&] { return ::openat(FHandle, Name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC); });
    if (link < 0) {
        opening.Missing = errno == ENOENT;
        opening.Reason = SystemReason(errno);
        return opening;
    }
    const TFolder linkHandle(link); // closes it
    struct stat info = {};
    if (::fstat(link, &info) != 0) {
        opening.Reason = SystemReason(errno);
        return opening;
    }
    if (!S_ISLNK(info.st_mode)) {
        opening.Reason = SystemReason(ENOTDIR);
        return opening;
    }
    if (Links == TLinkRule::Refuse || info.st_uid != ::geteuid()) {
        opening.RefusedLink = true;
        return opening;
    }
    std::string text(static_cast<std::size_t>(PATH_MAX), '\0');
    const ssize_t length = ::readlinkat(link, "", text.data(), text.size());
    if (length < 0 || static_cast<std::size_t>(length) >= text.size()) {
        opening.Reason = SystemReason(length < 0 ? errno : ENAMETOOLONG);
        return opening;
    }
    text.resize(static_cast<std::size_t>(length));
    const int target = RetryInterrupted(
        [&] { return ::openat(FHandle, text.c_str(), FolderAccess | O_DIRECTORY | O_CLOEXEC); });
    if (target < 0) {
        opening.Reason = SystemReason(errno);
        return opening;
    }
    opening.Folder = TFolder(target);
    return opening;
}

std::optional<TFolder> TFolder::OpenPlainPath(const std::string &Relative) const
{
#ifdef SYS_openat2
    static bool available = true;
    if (!available)
        return std::nullopt;
    open_how how = {};
    how.flags = FolderAccess | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS;
    const int handle = RetryInterrupted([&] {
        return static_cast<int>(
            ::syscall(SYS_openat2, FHandle, Relative.c_str(), &how, sizeof how));
    });
    if (handle >= 0)
        return TFolder(handle);
    if (errno == ENOSYS)
        available = false;
#else
    (void)Relative;
#endif
    return std::nullopt;
}

std::string TFolder::CreateChild(const std::string &Name) const
{
    if (::mkdirat(FHandle, Name.c_str(), 0777) == 0)
        return {};
    return SystemReason(errno);
}

namespace {

constexpr char UnfinishedMark[] = ".trovel-unfinished-";
constexpr std::size_t UnfinishedSuffixLength = 6;
// How many marked names are tried before the folder is taken as full of them.
constexpr int UnfinishedAttempts = 100;

// ".NAME.trovel-unfinished-XXXXXX", cut so that it fits the name limit; the
// random part only keeps runs apart, O_EXCL keeps them from sharing a file.
std::string UnfinishedName(const std::string &Name)
{
    static constexpr char Letters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::minstd_rand random(static_cast<std::uint_fast32_t>(
        std::random_device()() ^ static_cast<unsigned>(::getpid())));
    const std::size_t room =
        MaxNameLength - 1 - (sizeof UnfinishedMark - 1) - UnfinishedSuffixLength;
    std::string name(1, '.');
    name.append(Name, 0, std::min(Name.size(), room));
    name += UnfinishedMark;
    for (std::size_t i = 0; i < UnfinishedSuffixLength; ++i)
        name += Letters[random() % (sizeof Letters - 1)];
    return name;
}

// An unnamed file gets its name through its entry in /proc/self/fd, which
// needs no privilege (linkat with AT_EMPTY_PATH would).
bool CanNameUnnamedFiles()
{
    static const bool available = ::access("/proc/self/fd", X_OK) == 0;
    return available;
}

// Gives the unnamed file behind Handle the name Name in Folder; fails with
// EEXIST when the name is taken. Naming a file by its handle alone takes a
// privilege on older kernels; without it, the file's entry in /proc/self/fd
// names it, which costs a longer lookup.
int LinkUnnamed(int Handle, int Folder, const char *Name)
{
    static bool byHandle = true;
    if (byHandle) {
        if (::linkat(Handle, "", Folder, Name, AT_EMPTY_PATH) == 0)
            return 0;
        if (errno != ENOENT && errno != EPERM)
            return -1;
        byHandle = false;
    }
    const std::string source = "/proc/self/fd/" + std::to_string(Handle);
    return ::linkat(AT_FDCWD, source.c_str(), Folder, Name, AT_SYMLINK_FOLLOW);
}

} // namespace

TUnfinishedFile TFolder::CreateUnfinished(const std::string &Name, const std::string &Shown) const
{
#ifdef O_TMPFILE
    if (UnnamedFilesAllowed && CanNameUnnamedFiles()) {
        const int handle = RetryInterrupted(
            [&] { return ::openat(FHandle, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666); });
        if (handle >= 0)
            return TUnfinishedFile(FHandle, TFileStream(handle, false), Name, Shown, {});
        // A file system without unnamed files, or a kernel that does not know
        // them, says so with one of these; anything else is a real refusal.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            throw WithSystemReason(EFCreateError(Shown), errno);
    }
#endif
    for (int attempt = 0; attempt < UnfinishedAttempts; ++attempt) {
        std::string temporary = UnfinishedName(Name);
        constexpr int Flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC;
        const int handle =
            RetryInterrupted([&] { return ::openat(FHandle, temporary.c_str(), Flags, 0666); });
        if (handle >= 0)
            return TUnfinishedFile(FHandle, TFileStream(handle, false), Name, Shown,
                                   std::move(temporary));
        if (errno != EEXIST)
            throw WithSystemReason(EFCreateError(Shown), errno);
    }
    throw WithSystemReason(EFCreateError(Shown), EEXIST);
}

TUnfinishedFile::~TUnfinishedFile()
{
    // An unnamed file goes with its handle.
    if (!FTemporaryName.empty())
        ::unlinkat(FFolder, FTemporaryName.c_str(), 0);
}

void TUnfinishedFile::Commit(const std::optional<TFileIdentity> &Keep)
{
    if (FTemporaryName.empty()) {
        // An unnamed file can only be named while it is open. Where the name
        // is free, the file takes it at once: nothing is replaced, so there
        // is nothing to check. Should closing then report lost data, the
        // name is made free again, as it was.
        if (LinkUnnamed(FStream.FHandle, FFolder, FName.c_str()) == 0) {
            const int handle = std::exchange(FStream.FHandle, -1);
            if (CloseCall(handle) != 0 && errno != EINTR) {
                const int error = errno;
                ::unlinkat(FFolder, FName.c_str(), 0);
                throw WithSystemReason(EWriteError(), error);
            }
            return;
        }
        if (errno != EEXIST)
            throw WithSystemReason(EFCreateError(FShown), errno);
        LinkAside();
    }
    // Closed under its marked name, then renamed over what stands at its
    // own; a failure on the way leaves the marked name to the destructor.
    const int handle = std::exchange(FStream.FHandle, -1);
    if (CloseCall(handle) != 0 && errno != EINTR)
        throw WithSystemReason(EWriteError(), errno);
    Rename(Keep);
}

void TUnfinishedFile::LinkAside()
{
    for (int attempt = 0; attempt < UnfinishedAttempts; ++attempt) {
        std::string temporary = UnfinishedName(FName);
        if (LinkUnnamed(FStream.FHandle, FFolder, temporary.c_str()) == 0) {
            FTemporaryName = std::move(temporary);
            return;
        }
        if (errno != EEXIST)
            throw WithSystemReason(EFCreateError(FShown), errno);
    }
    throw WithSystemReason(EFCreateError(FShown), EEXIST);
}

void TUnfinishedFile::Rename(const std::optional<TFileIdentity> &Keep)
{
    // Renaming replaces the name itself, never what a link at it leads to;
    // a folder at the name makes it fail.
    struct stat info = {};
    if (Keep && ::fstatat(FFolder, FName.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        IsKept(info, Keep)) {
        EFCreateError refused(FShown);
        refused.SetReason("it is the open archive");
        throw refused;
    }
    if (::renameat(FFolder, FTemporaryName.c_str(), FFolder, FName.c_str()) != 0)
        throw WithSystemReason(EFCreateError(FShown), errno);
    FTemporaryName.clear();
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

bool AllowUnnamedFiles(bool Allow)
{
    return std::exchange(UnnamedFilesAllowed, Allow);
}

} // namespace trovel
