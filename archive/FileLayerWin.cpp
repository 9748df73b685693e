// The file layer on Windows. Paths are UTF-8 and reach the system through its
// wide-character calls. Handles live behind C runtime descriptors, so that the
// streams and folders keep one handle type on every platform.
//
// Files and folders below an open folder are opened relative to its handle
// (NtCreateFile with a root directory), the way openat works on POSIX: a
// folder cannot be swapped for a link between being opened and being used.
#include "FileLayer.h"

#include "ArcErrors.h"
#include "WideText.h"

#include <windows.h>

#include <aclapi.h>
#include <winternl.h>
// windows.h names ReplaceFileW so; the folder operation keeps its name.
#undef ReplaceFile

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <iterator>
#include <memory>
#include <random>
#include <string_view>
#include <utility>
#include <vector>

namespace trovel {

const std::size_t MaxPathLength = MAX_PATH - 1;
// In UTF-16 code units, as NTFS and exFAT count them.
const std::size_t MaxNameLength = 255;

namespace {

// A folder handle for making and opening things inside it.
constexpr ACCESS_MASK FolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;

// Closes the system handle it holds.
struct THandleCloser
{
    void operator()(HANDLE Handle) const
    {
        if (Handle && Handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(Handle);
    }
};
using TOwnedHandle = std::unique_ptr<void, THandleCloser>;

// The largest transfer one ReadFile or WriteFile call is given.
constexpr DWORD MaxTransfer = 1u << 30;

int CloseDescriptor(int Handle)
{
    return ::_close(Handle);
}

TCloseCall CloseCall = CloseDescriptor;

HANDLE SystemHandle(int Descriptor)
{
    return reinterpret_cast<HANDLE>(::_get_osfhandle(Descriptor));
}

// A system handle behind a C runtime descriptor; the descriptor owns it from
// then on. -1, with the handle closed, when the runtime has no room.
int Adopt(HANDLE Handle, int Flags)
{
    const int descriptor = ::_open_osfhandle(reinterpret_cast<intptr_t>(Handle), Flags | _O_BINARY);
    if (descriptor < 0)
        ::CloseHandle(Handle);
    return descriptor;
}

TFileIdentity IdentityOf(HANDLE Handle)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!::GetFileInformationByHandle(Handle, &info))
        return {};
    return {info.dwVolumeSerialNumber,
            (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

DWORD AttributesOf(HANDLE Handle)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!::GetFileInformationByHandle(Handle, &info))
        return INVALID_FILE_ATTRIBUTES;
    return info.dwFileAttributes;
}

bool IsKept(HANDLE Handle, const std::optional<TFileIdentity> &Keep)
{
    return Keep && IdentityOf(Handle) == *Keep;
}

// Whether the token's user (TokenUser) or the owner it gives new objects
// (TokenOwner) is Sid.
bool TokenNames(HANDLE Token, TOKEN_INFORMATION_CLASS Which, PSID Sid)
{
    DWORD size = 0;
    ::GetTokenInformation(Token, Which, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    if (size == 0 || !::GetTokenInformation(Token, Which, buffer.data(), size, &size))
        return false;
    const PSID named = Which == TokenUser ? reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid
                                          : reinterpret_cast<TOKEN_OWNER *>(buffer.data())->Owner;
    return ::EqualSid(named, Sid);
}

// Whether the file behind Handle (opened with READ_CONTROL) belongs to the
// user running the program: its owner is the user, or the owner the user's
// new files get, such as the Administrators group for an administrator.
bool IsOwnedByUser(HANDLE Handle)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(Handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                          nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const std::unique_ptr<void, decltype(&::LocalFree)> freed(descriptor, ::LocalFree);
    HANDLE token = nullptr;
    if (!owner || !::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    const TOwnedHandle tokenOwner(token);
    return TokenNames(token, TokenUser, owner) || TokenNames(token, TokenOwner, owner);
}

// The names of devices, which every folder seems to hold, with or without
// an extension ("NUL", "com1.txt").
bool IsDeviceName(std::wstring_view Name)
{
    const std::wstring_view base = Name.substr(0, Name.find(L'.'));
    const auto is = [base](std::wstring_view Device) {
        if (base.size() != Device.size())
            return false;
        for (std::size_t i = 0; i < base.size(); ++i) {
            if (std::towupper(base[i]) != Device[i])
                return false;
        }
        return true;
    };
    if (is(L"CON") || is(L"PRN") || is(L"AUX") || is(L"NUL") || is(L"CONIN$") || is(L"CONOUT$"))
        return true;
    if (base.size() == 4 && base[3] >= L'1' && base[3] <= L'9')
        return is(std::wstring(L"COM") + base[3]) || is(std::wstring(L"LPT") + base[3]);
    return false;
}

// A name the system takes as one entry of the folder, as it stands, and
// that every program reaches again through a path: no separator, no drive
// or stream colon, none of the characters paths reserve, not "." or "..",
// no trailing dot or space (paths drop them), no device name.
bool IsPlainName(const std::wstring &Name)
{
    if (Name.empty() || Name.back() == L'.' || Name.back() == L' ' || IsDeviceName(Name))
        return false;
    for (const wchar_t character : Name) {
        if (character < 0x20 || std::wcschr(L"\\/:*?\"<>|", character))
            return false;
    }
    return true;
}

// NtCreateFile on a name inside the folder Folder. Access, sharing,
// disposition and options as NtCreateFile takes them. Sets the last error.
HANDLE OpenRelative(HANDLE Folder, const std::wstring &Name, ACCESS_MASK Access, ULONG Share,
                    ULONG Disposition, ULONG Options)
{
    if (!IsPlainName(Name) || Name.size() * sizeof(wchar_t) > USHRT_MAX) {
        ::SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    UNICODE_STRING name;
    name.Buffer = const_cast<wchar_t *>(Name.c_str());
    name.Length = static_cast<USHORT>(Name.size() * sizeof(wchar_t));
    name.MaximumLength = name.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, Folder, nullptr);
    IO_STATUS_BLOCK status = {};
    HANDLE handle = INVALID_HANDLE_VALUE;
    const NTSTATUS result = ::NtCreateFile(&handle, Access | SYNCHRONIZE, &attributes, &status,
                                           nullptr, FILE_ATTRIBUTE_NORMAL, Share, Disposition,
                                           Options | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (result < 0) {
        ::SetLastError(::RtlNtStatusToDosError(result));
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

constexpr ULONG ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Removes the entry Name of Folder itself, a link and not what it leads to.
// Never a folder, and never the file Keep.
bool RemoveEntry(HANDLE Folder, const std::wstring &Name, const std::optional<TFileIdentity> &Keep)
{
    const HANDLE handle = OpenRelative(Folder, Name, DELETE | FILE_READ_ATTRIBUTES, ShareAll,
                                       FILE_OPEN, FILE_OPEN_REPARSE_POINT);
    if (handle == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    const DWORD attributes = AttributesOf(handle);
    bool removed = false;
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !IsKept(handle, Keep)) {
        FILE_DISPOSITION_INFO disposition = {TRUE};
        removed = ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                               sizeof disposition);
    }
    ::CloseHandle(handle);
    return removed;
}

// The error of the call that just failed, taken before the error object is
// made.
template <typename TError>
TError LastSystemError(const std::string &FileName)
{
    const DWORD error = ::GetLastError();
    return WithWin32Reason(TError(FileName), error);
}

// Why the last transfer of this thread came up short: the Win32 error, 0 at
// the end of a file. errno tells the same in the C library's terms.
thread_local DWORD TransferError = 0;

void SetTransferError(DWORD Error)
{
    TransferError = Error;
    switch (Error) {
    case 0:
        errno = 0;
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        errno = ENOSPC;
        break;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        errno = EPIPE;
        break;
    case ERROR_ACCESS_DENIED:
        errno = EACCES;
        break;
    default:
        errno = EIO;
    }
}

} // namespace

TFileStream TFileStream::OpenShared(const std::string &FileName)
{
    // Others may read and write the archive while it is open, but not delete
    // or rename it: the system then keeps it from being replaced, by this
    // program's own extraction too.
    const HANDLE handle = ::CreateFileW(WideFromUtf8(FileName).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw LastSystemError<EFOpenError>(FileName);
    const int descriptor = Adopt(handle, _O_RDONLY);
    if (descriptor < 0)
        throw EFOpenError(FileName);
    TFileStream stream(descriptor, false);
    if (::GetFileType(handle) != FILE_TYPE_DISK)
        throw EFOpenError(FileName);
    return stream;
}

TFileStream TFileStream::Create(const std::string &FileName,
                                const std::optional<TFileIdentity> &Keep)
{
    // Opened without truncating, so that the file to keep is found before it
    // is touched; NUL, CON and pipes are written as they are.
    const HANDLE handle = ::CreateFileW(WideFromUtf8(FileName).c_str(), GENERIC_WRITE, 0, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw LastSystemError<EFCreateError>(FileName);
    const int descriptor = Adopt(handle, _O_WRONLY);
    if (descriptor < 0)
        throw EFCreateError(FileName);
    TFileStream stream(descriptor, false);
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        stream.FSequential = true;
        return stream;
    }
    if (IsKept(handle, Keep) || (AttributesOf(handle) & FILE_ATTRIBUTE_DIRECTORY))
        throw EFCreateError(FileName);
    if (!::SetEndOfFile(handle))
        throw LastSystemError<EFCreateError>(FileName);
    return stream;
}

void TFileStream::Close()
{
    const int handle = std::exchange(FHandle, -1);
    if (handle >= 0 && CloseCall(handle) != 0) {
        const int error = errno;
        throw WithSystemReason(EWriteError(), error);
    }
}

namespace {

// A transfer at Position of the file, whatever the handle's own position.
OVERLAPPED At(std::uint64_t Position)
{
    OVERLAPPED place = {};
    place.Offset = static_cast<DWORD>(Position);
    place.OffsetHigh = static_cast<DWORD>(Position >> 32);
    return place;
}

// Reads up to Count bytes at Position; fewer only at the end of the file or
// on an error, which TransferError then tells. Every read names its position,
// so threads may read one handle at once.
std::size_t ReadFrom(HANDLE Handle, std::int64_t Position, void *Buffer, std::size_t Count)
{
    auto *target = static_cast<char *>(Buffer);
    std::size_t done = 0;
    while (done < Count) {
        OVERLAPPED place = At(static_cast<std::uint64_t>(Position) + done);
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(Count - done, MaxTransfer));
        DWORD got = 0;
        if (!::ReadFile(Handle, target + done, ask, &got, &place)) {
            const DWORD error = ::GetLastError();
            SetTransferError(error == ERROR_HANDLE_EOF ? 0 : error);
            break;
        }
        if (got == 0) {
            SetTransferError(0); // the end of the file, which is no error of the system's
            break;
        }
        done += got;
    }
    return done;
}

} // namespace

std::size_t TFileStream::Read(void *Buffer, std::size_t Count)
{
    const std::size_t done = ReadFrom(SystemHandle(FHandle), FPosition, Buffer, Count);
    FPosition += static_cast<std::int64_t>(done);
    return done;
}

std::size_t TFileStream::Write(const void *Buffer, std::size_t Count)
{
    const HANDLE handle = SystemHandle(FHandle);
    const auto *source = static_cast<const char *>(Buffer);
    std::size_t done = 0;
    while (done < Count) {
        OVERLAPPED at = At(static_cast<std::uint64_t>(FPosition));
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(Count - done, MaxTransfer));
        DWORD put = 0;
        // A pipe or console has no positions; output to it goes in order.
        if (!::WriteFile(handle, source + done, ask, &put, FSequential ? nullptr : &at) || put == 0)
            break;
        done += put;
        FPosition += put;
    }
    return done;
}

void TFileStream::ReadBuffer(void *Buffer, std::size_t Count)
{
    if (Read(Buffer, Count) != Count)
        throw WithWin32Reason(EReadError(), TransferError);
}

void TFileStream::ReadBufferAt(std::int64_t Position, void *Buffer, std::size_t Count) const
{
    if (ReadFrom(SystemHandle(FHandle), Position, Buffer, Count) != Count)
        throw WithWin32Reason(EReadError(), TransferError);
}

void TFileStream::WriteBuffer(const void *Buffer, std::size_t Count)
{
    if (Write(Buffer, Count) != Count)
        throw WithWin32Reason(EWriteError(), TransferError);
}

std::int64_t TFileStream::Size() const
{
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(SystemHandle(FHandle), &size))
        return 0;
    return size.QuadPart;
}

TFileIdentity TFileStream::Identity() const
{
    return IdentityOf(SystemHandle(FHandle));
}

TFolderOpening TFolder::Open(const std::string &Path)
{
    // FILE_FLAG_BACKUP_SEMANTICS opens folders; links are followed.
    TFolderOpening opening;
    const HANDLE handle = ::CreateFileW(WideFromUtf8(Path).c_str(), FolderAccess, ShareAll, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        opening.Reason = Win32Reason(::GetLastError());
        return opening;
    }
    const DWORD attributes = AttributesOf(handle);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::CloseHandle(handle);
        opening.Reason = Win32Reason(ERROR_DIRECTORY);
        return opening;
    }
    const int descriptor = Adopt(handle, _O_RDONLY);
    if (descriptor < 0)
        opening.Reason = Win32Reason(ERROR_TOO_MANY_OPEN_FILES);
    else
        opening.Folder = TFolder(descriptor);
    return opening;
}

TFolderOpening TFolder::OpenChild(const std::string &Name, TLinkRule Links) const
{
    TFolderOpening opening;
    const HANDLE folder = SystemHandle(FHandle);
    const std::wstring name = WideFromUtf8(Name);
    const auto fail = [&opening](DWORD Error) {
        opening.Missing = Error == ERROR_FILE_NOT_FOUND;
        opening.Reason = Win32Reason(Error);
    };
    const auto adopt = [&opening](TOwnedHandle Handle) {
        const int descriptor = Adopt(Handle.release(), _O_RDONLY);
        if (descriptor < 0)
            opening.Reason = Win32Reason(ERROR_TOO_MANY_OPEN_FILES);
        else
            opening.Folder = TFolder(descriptor);
    };
    // The entry itself, a reparse point not followed.
    TOwnedHandle entry(
        OpenRelative(folder, name, FolderAccess, ShareAll, FILE_OPEN, FILE_OPEN_REPARSE_POINT));
    if (entry.get() == INVALID_HANDLE_VALUE) {
        fail(::GetLastError());
        return opening;
    }
    const DWORD attributes = AttributesOf(entry.get());
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            adopt(std::move(entry));
        else
            fail(ERROR_DIRECTORY);
        return opening;
    }
    entry.reset();
    if (Links == TLinkRule::Refuse) {
        opening.RefusedLink = true;
        return opening;
    }
    // The link held open, sharing neither writes nor deletion: while it is
    // judged and followed, nobody can remove, rename or rewrite it, so the
    // link that was judged is the one followed.
    const TOwnedHandle link(OpenRelative(folder, name, FILE_READ_ATTRIBUTES | READ_CONTROL,
                                         FILE_SHARE_READ, FILE_OPEN, FILE_OPEN_REPARSE_POINT));
    if (link.get() == INVALID_HANDLE_VALUE) {
        fail(::GetLastError());
        return opening;
    }
    if (!(AttributesOf(link.get()) & FILE_ATTRIBUTE_REPARSE_POINT) || !IsOwnedByUser(link.get())) {
        opening.RefusedLink = true;
        return opening;
    }
    TOwnedHandle target(
        OpenRelative(folder, name, FolderAccess, ShareAll, FILE_OPEN, FILE_DIRECTORY_FILE));
    if (target.get() == INVALID_HANDLE_VALUE) {
        opening.Reason = Win32Reason(::GetLastError());
        return opening;
    }
    adopt(std::move(target));
    return opening;
}

std::optional<TFolder> TFolder::OpenPlainPath(const std::string &) const
{
    // Windows has no call that opens several levels and refuses every
    // reparse point on the way; the walk level by level does.
    return std::nullopt;
}

std::string TFolder::CreateChild(const std::string &Name) const
{
    const HANDLE handle =
        OpenRelative(SystemHandle(FHandle), WideFromUtf8(Name), FILE_LIST_DIRECTORY, ShareAll,
                     FILE_CREATE, FILE_DIRECTORY_FILE);
    if (handle == INVALID_HANDLE_VALUE)
        return Win32Reason(::GetLastError());
    ::CloseHandle(handle);
    return {};
}

namespace {

constexpr wchar_t UnfinishedMark[] = L".trovel-unfinished-";
constexpr std::size_t UnfinishedSuffixLength = 6;
// How many marked names are tried before the folder is taken as full of them.
constexpr int UnfinishedAttempts = 100;

// ".NAME.trovel-unfinished-XXXXXX", cut so that it fits the name limit; the
// random part only keeps runs apart, FILE_CREATE keeps them from sharing a
// file.
std::wstring UnfinishedName(const std::wstring &Name)
{
    static constexpr wchar_t Letters[] =
        L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::minstd_rand random(static_cast<std::uint_fast32_t>(
        std::random_device()() ^ static_cast<unsigned>(::GetCurrentProcessId())));
    std::size_t room = MaxNameLength - 1 - (std::size(UnfinishedMark) - 1) - UnfinishedSuffixLength;
    room = std::min(room, Name.size());
    // A surrogate pair is kept whole or not at all.
    if (room > 0 && room < Name.size() && IS_HIGH_SURROGATE(Name[room - 1]))
        --room;
    std::wstring name(1, L'.');
    name.append(Name, 0, room);
    name += UnfinishedMark;
    for (std::size_t i = 0; i < UnfinishedSuffixLength; ++i)
        name += Letters[random() % (std::size(Letters) - 1)];
    return name;
}

} // namespace

TUnfinishedFile TFolder::CreateUnfinished(const std::string &Name, const std::string &Shown) const
{
    // Windows has no unnamed files: the file is written under a marked name
    // and renamed onto its own once whole.
    const HANDLE folder = SystemHandle(FHandle);
    const std::wstring name = WideFromUtf8(Name);
    if (!IsPlainName(name))
        throw WithWin32Reason(EFCreateError(Shown), ERROR_INVALID_NAME);
    for (int attempt = 0; attempt < UnfinishedAttempts; ++attempt) {
        const std::wstring temporary = UnfinishedName(name);
        const HANDLE handle = OpenRelative(folder, temporary, GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                                           0, FILE_CREATE, FILE_NON_DIRECTORY_FILE);
        if (handle != INVALID_HANDLE_VALUE) {
            const int descriptor = Adopt(handle, _O_WRONLY);
            if (descriptor < 0) {
                RemoveEntry(folder, temporary, std::nullopt);
                throw WithWin32Reason(EFCreateError(Shown), ERROR_TOO_MANY_OPEN_FILES);
            }
            return TUnfinishedFile(FHandle, TFileStream(descriptor, false), Name, Shown,
                                   Utf8FromWide(temporary));
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            throw WithWin32Reason(EFCreateError(Shown), error);
    }
    throw WithWin32Reason(EFCreateError(Shown), ERROR_FILE_EXISTS);
}

TUnfinishedFile::~TUnfinishedFile()
{
    // The file is closed before its name is removed: a name of an open file
    // goes only once the last handle does.
    FStream = TFileStream(-1, false);
    if (!FTemporaryName.empty())
        RemoveEntry(SystemHandle(FFolder), WideFromUtf8(FTemporaryName), std::nullopt);
}

void TUnfinishedFile::Commit(const std::optional<TFileIdentity> &Keep)
{
    // Closed under its marked name, then renamed over what stands at its
    // own; a failure on the way leaves the marked name to the destructor.
    const int handle = std::exchange(FStream.FHandle, -1);
    if (CloseCall(handle) != 0) {
        const int error = errno;
        throw WithSystemReason(EWriteError(), error);
    }
    Rename(Keep);
}

void TUnfinishedFile::LinkAside()
{
    // Only unnamed files are linked aside; Windows makes none.
}

void TUnfinishedFile::Rename(const std::optional<TFileIdentity> &Keep)
{
    const HANDLE folder = SystemHandle(FFolder);
    const std::wstring name = WideFromUtf8(FName);
    // The open archive is shared without deletion, so the system refuses to
    // replace it anyway; the check says why.
    if (Keep) {
        const TOwnedHandle standing(OpenRelative(folder, name, FILE_READ_ATTRIBUTES, ShareAll,
                                                 FILE_OPEN, FILE_OPEN_REPARSE_POINT));
        if (standing.get() != INVALID_HANDLE_VALUE && IsKept(standing.get(), Keep)) {
            EFCreateError refused(FShown);
            refused.SetReason("it is the open archive");
            throw refused;
        }
    }
    const TOwnedHandle file(OpenRelative(folder, WideFromUtf8(FTemporaryName),
                                         DELETE | FILE_READ_ATTRIBUTES, 0, FILE_OPEN,
                                         FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT));
    if (file.get() == INVALID_HANDLE_VALUE)
        throw WithWin32Reason(EFCreateError(FShown), ::GetLastError());
    // Renaming replaces the name itself, never what a reparse point at it
    // leads to; a folder at the name makes it fail. The system's own call
    // takes the name relative to the folder's handle; the Win32 one would
    // read it as a path from the current folder.
    const std::size_t nameBytes = name.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFORMATION) + nameBytes);
    auto *rename = reinterpret_cast<FILE_RENAME_INFORMATION *>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = folder;
    rename->FileNameLength = static_cast<ULONG>(nameBytes);
    std::memcpy(rename->FileName, name.data(), nameBytes);
    IO_STATUS_BLOCK status = {};
    const NTSTATUS result = ::NtSetInformationFile(
        file.get(), &status, rename, static_cast<ULONG>(buffer.size()), FileRenameInformation);
    if (result < 0)
        throw WithWin32Reason(EFCreateError(FShown), ::RtlNtStatusToDosError(result));
    FTemporaryName.clear();
}

bool DirectoryExists(const std::string &Path)
{
    const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(Path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<TFileSystemRoom> FileSystemRoom(const std::string &Path)
{
    const std::wstring path = WideFromUtf8(Path);
    const HANDLE folder = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return std::nullopt;
    const DWORD attributes = AttributesOf(folder);
    const TFileIdentity identity = IdentityOf(folder);
    ::CloseHandle(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    // The cluster is the unit files take room in; the volume's root tells it.
    wchar_t root[MAX_PATH + 1] = {};
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    ULARGE_INTEGER available = {}, total = {};
    if (!::GetVolumePathNameW(path.c_str(), root, MAX_PATH + 1) ||
        !::GetDiskFreeSpaceW(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters) ||
        !::GetDiskFreeSpaceExW(path.c_str(), &available, &total, nullptr))
        return std::nullopt;
    TFileSystemRoom room;
    room.Device = identity.Device;
    room.BlockSize = std::uint64_t{sectorsPerCluster} * bytesPerSector;
    room.FreeBytes = available.QuadPart;
    // NTFS and FAT set no number of files.
    return room;
}

TStanding StandingAt(const std::string &Path, bool FollowLink)
{
    TStanding standing;
    const HANDLE handle = ::CreateFileW(
        WideFromUtf8(Path).c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | (FollowLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return standing;
    BY_HANDLE_FILE_INFORMATION info = {};
    FILE_STANDARD_INFO size = {};
    if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info)) {
        standing.Kind = TStanding::TKind::Other;
    } else {
        standing.Kind =
            (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? TStanding::TKind::Other
            : (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)   ? TStanding::TKind::Folder
                                                                   : TStanding::TKind::File;
        standing.Device = info.dwVolumeSerialNumber;
        standing.Inode = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
        standing.Names = info.nNumberOfLinks;
        if (::GetFileInformationByHandleEx(handle, FileStandardInfo, &size, sizeof size))
            standing.Bytes = static_cast<std::uint64_t>(size.AllocationSize.QuadPart);
    }
    ::CloseHandle(handle);
    return standing;
}

bool FolderIsEmpty(const std::string &Path)
{
    std::wstring pattern = WideFromUtf8(Path);
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW item = {};
    const HANDLE search = ::FindFirstFileW(pattern.c_str(), &item);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool empty = true;
    do {
        const std::wstring_view name = item.cFileName;
        if (name != L"." && name != L"..") {
            empty = false;
            break;
        }
    } while (::FindNextFileW(search, &item));
    ::FindClose(search);
    return empty;
}

bool CreateDir(const std::string &Path)
{
    return ::CreateDirectoryW(WideFromUtf8(Path).c_str(), nullptr);
}

TCloseCall ReplaceCloseCall(TCloseCall Call)
{
    return std::exchange(CloseCall, Call);
}

bool AllowUnnamedFiles(bool)
{
    // Windows makes no unnamed files: every file takes the marked name's way.
    return false;
}

std::string PathKey(std::string_view Path)
{
    // The invariant locale's upper case, without a language's rules: what
    // NTFS and exFAT compare names by.
    const std::wstring wide = WideFromUtf8(Path);
    std::wstring upper(wide.size(), L'\0');
    const int length = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(),
                                       static_cast<int>(wide.size()), upper.data(),
                                       static_cast<int>(upper.size()), nullptr, nullptr, 0);
    if (length <= 0)
        return Utf8FromWide(wide);
    upper.resize(static_cast<std::size_t>(length));
    return Utf8FromWide(upper);
}

std::size_t NameLength(std::string_view Name)
{
    return WideFromUtf8(Name).size();
}

} // namespace trovel
