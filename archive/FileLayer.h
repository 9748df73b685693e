#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The few file-system operations the archive engine needs. Each platform
// provides them in a file of its own (FileLayerPosix.cpp here); paths are byte
// strings passed to the system unchanged.
namespace trovel {

// Tells whether two names lead to the same file (hard links and symbolic
// links included).
struct TFileIdentity
{
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    friend bool operator==(const TFileIdentity &, const TFileIdentity &) = default;
};

class TFileStream final
{
public:
    // An existing file, for reading only; other programs may go on reading and
    // writing it. Raises EFOpenError.
    static TFileStream OpenShared(const std::string &FileName);
    // The output file a caller named itself, opened for writing the way a
    // shell redirection opens it: a link is followed, a regular file is
    // truncated in place, a FIFO or device is written as it is. The file
    // Keep (the open archive) is never truncated. Raises EFCreateError.
    static TFileStream Create(const std::string &FileName,
                              const std::optional<TFileIdentity> &Keep = std::nullopt);

    TFileStream(TFileStream &&Other) noexcept;
    TFileStream &operator=(TFileStream &&Other) noexcept;
    TFileStream(const TFileStream &) = delete;
    TFileStream &operator=(const TFileStream &) = delete;
    // Closes without a check: on the way out of an error, which is the one
    // reported.
    ~TFileStream();

    // Plain transfers: report how many bytes moved, raise nothing. A short
    // count leaves errno as the failing call set it, 0 at the end of the file.
    std::size_t Read(void *Buffer, std::size_t Count);
    std::size_t Write(const void *Buffer, std::size_t Count);

    // Block transfers: raise EReadError / EWriteError on a short count.
    void ReadBuffer(void *Buffer, std::size_t Count);
    void WriteBuffer(const void *Buffer, std::size_t Count);

    // Closes the file and raises EWriteError when the system reports written
    // data as lost; network and user-space file systems and quotas may
    // report a failed write only here.
    void Close();

    void Seek(std::int64_t Position) { FPosition = Position; }
    std::int64_t Position() const { return FPosition; }
    // The current length of the file; it may change while others write it.
    std::int64_t Size() const;
    TFileIdentity Identity() const;

private:
    friend class TFolder;
    TFileStream(int Handle, bool Sequential) : FHandle(Handle), FSequential(Sequential) {}
    void Release() noexcept;

    int FHandle = -1;
    std::int64_t FPosition = 0;
    bool FSequential = false; // written with plain writes: a pipe, terminal or device
};

// An open folder. Files and folders are made inside it by name, so a path is
// resolved only once and a folder cannot be swapped for a link between the
// moment it is opened and the moment something is made in it.
class TFolder final
{
public:
    // The folder a path leads to, links followed; none when it is no folder.
    static std::optional<TFolder> Open(const std::string &Path);

    TFolder(TFolder &&Other) noexcept;
    TFolder &operator=(TFolder &&Other) noexcept;
    TFolder(const TFolder &) = delete;
    TFolder &operator=(const TFolder &) = delete;
    ~TFolder();

    // The folder Name inside this one; a link in its place is followed only
    // when FollowLink is set. None when there is no such folder.
    std::optional<TFolder> OpenChild(const std::string &Name, bool FollowLink) const;
    // Creates the folder Name inside this one. Reports success.
    bool CreateChild(const std::string &Name) const;
    // A new empty file Name inside this folder, for writing. Whatever stands
    // in its place (a file, a link, a FIFO, a device) is removed first and
    // never written through: a link's target and a hard link's other names
    // keep their contents. A folder in its place, or the file Keep (the open
    // archive), is never removed; none is returned then, and when the file
    // cannot be made.
    std::optional<TFileStream> ReplaceFile(const std::string &Name,
                                           const std::optional<TFileIdentity> &Keep) const;

private:
    explicit TFolder(int Handle) : FHandle(Handle) {}

    int FHandle = -1;
};

bool DirectoryExists(const std::string &Path);

// The room a file system offers an unprivileged writer.
struct TFileSystemRoom
{
    std::uint64_t Device = 0;
    // Files take room in whole blocks of this size.
    std::uint64_t BlockSize = 0;
    std::uint64_t FreeBytes = 0;
    // The files and folders that can still be made; none when the file
    // system sets no such number.
    std::optional<std::uint64_t> FreeFiles;
};
// The room on the file system that the folder Path lies on; none when Path
// leads to no folder or the system does not tell.
std::optional<TFileSystemRoom> FileSystemRoom(const std::string &Path);

// What stands at a path now.
struct TStanding
{
    enum class TKind
    {
        None,
        Folder,
        File, // a regular file
        Other
    };
    TKind Kind = TKind::None;
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    // The room its data takes on the device.
    std::uint64_t Bytes = 0;
    // How many names the file has; removing one of several frees no room.
    std::uint64_t Names = 0;
};
// A link at Path itself is followed only when FollowLink is set.
TStanding StandingAt(const std::string &Path, bool FollowLink);
// True when the folder holds no file or folder; false too when it cannot be
// read.
bool FolderIsEmpty(const std::string &Path);
// Creates one folder; its parent must exist. Reports success.
bool CreateDir(const std::string &Path);

// The native separator between folder names.
inline constexpr char PathDelim = '/';
// The longest path, in bytes, that the system resolves; longer output paths
// are refused, so that every file made can be reached by its path.
extern const std::size_t MaxPathLength;

// The call that closes an output file in TFileStream::Close. A test puts a
// failing one in its place to play a file system that reports a lost write
// only at close. Returns the call it replaces.
using TCloseCall = int (*)(int Handle);
TCloseCall ReplaceCloseCall(TCloseCall Call);

} // namespace trovel
