#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The few file-system operations the archive engine needs. Each platform
// provides them in a file of its own (FileLayerPosix.cpp, FileLayerWin.cpp).
// Paths are byte strings, passed to a POSIX system unchanged; on Windows they
// are UTF-8.
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
    // A block read at Position, leaving the stream's position alone; several
    // threads may read one stream so at once. Raises EReadError.
    void ReadBufferAt(std::int64_t Position, void *Buffer, std::size_t Count) const;
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
    friend class TUnfinishedFile;
    TFileStream(int Handle, bool Sequential) : FHandle(Handle), FSequential(Sequential) {}
    void Release() noexcept;

    int FHandle = -1;
    std::int64_t FPosition = 0;
    bool FSequential = false; // written with plain writes: a pipe, terminal or device
};

struct TFolderOpening;

// Which links in place of a folder are followed.
enum class TLinkRule
{
    Refuse,
    // A link that belongs to the user who runs the program: one he made
    // himself, such as a folder moved to another disk. Anyone else's link in
    // a shared folder is refused, as the kernel refuses to follow such links
    // in sticky folders.
    FollowOwn
};

class TUnfinishedFile;

// An open folder. Files and folders are made inside it by name, so a path is
// resolved only once and a folder cannot be swapped for a link between the
// moment it is opened and the moment something is made in it.
class TFolder final
{
public:
    // The folder a path leads to, links followed.
    static TFolderOpening Open(const std::string &Path);

    TFolder(TFolder &&Other) noexcept;
    TFolder &operator=(TFolder &&Other) noexcept;
    TFolder(const TFolder &) = delete;
    TFolder &operator=(const TFolder &) = delete;
    ~TFolder();

    // The folder Name inside this one. A link in its place is judged and
    // followed in one step: the link that was judged is the one followed,
    // whatever replaces it meanwhile.
    TFolderOpening OpenChild(const std::string &Name, TLinkRule Links) const;
    // The folder Relative (levels below this one, native separators) in one
    // step, when every level of it is a folder and none is a link; none
    // otherwise, and where the system cannot make sure of that.
    std::optional<TFolder> OpenPlainPath(const std::string &Relative) const;
    // Creates the folder Name inside this one. Empty when it was made,
    // otherwise the system's reason why not.
    std::string CreateChild(const std::string &Name) const;
    // A new file that is to take the name Name inside this folder once it is
    // whole; until then the name keeps what stands there. Raises
    // EFCreateError naming Shown. The folder must stay open as long as the
    // file is not committed.
    TUnfinishedFile CreateUnfinished(const std::string &Name, const std::string &Shown) const;

private:
    explicit TFolder(int Handle) : FHandle(Handle) {}

    int FHandle = -1;
};

// A folder inside another one, or why there is none.
struct TFolderOpening
{
    std::optional<TFolder> Folder;
    // Nothing stands at the name: the folder may be made there.
    bool Missing = false;
    // A link stands at the name and was not followed: it belongs to another
    // user, or links were not to be followed at all.
    bool RefusedLink = false;
    // The system's reason when there is no folder and no refused link.
    std::string Reason;
};

// A file being written for a name in a folder: unnamed where the file system
// offers that, otherwise under a name of its own in the same folder that marks
// it as unfinished (".NAME.trovel-unfinished-XXXXXX"). Dropped without
// Commit, it leaves nothing behind; only a killed process can leave a marked
// file.
class TUnfinishedFile final
{
public:
    TUnfinishedFile(TUnfinishedFile &&Other) noexcept;
    TUnfinishedFile &operator=(TUnfinishedFile &&) = delete;
    TUnfinishedFile(const TUnfinishedFile &) = delete;
    TUnfinishedFile &operator=(const TUnfinishedFile &) = delete;
    ~TUnfinishedFile();

    TFileStream &Stream() { return FStream; }

    // Closes the file and puts it onto its name in one step. Whatever stood
    // there (a file, a link, a FIFO) is replaced, never written through: a
    // link's target and a hard link's other names keep their contents.
    // Raises EWriteError when closing reports written data as lost, and
    // EFCreateError naming Shown when the name cannot take the file: a folder
    // stands there, or the file Keep (the open archive). The name then keeps
    // what stood there.
    void Commit(const std::optional<TFileIdentity> &Keep);

private:
    friend class TFolder;
    TUnfinishedFile(int Folder, TFileStream Stream, std::string Name, std::string Shown,
                    std::string TemporaryName);
    void LinkAside();
    void Rename(const std::optional<TFileIdentity> &Keep);

    int FFolder = -1; // not owned
    TFileStream FStream;
    std::string FName;
    std::string FShown;
    // The marked name the file has meanwhile; empty while it has none.
    std::string FTemporaryName;
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

#ifdef _WIN32
// The native separator between folder names; Windows takes "/" as well.
inline constexpr char PathDelim = '\\';
inline constexpr bool IsPathDelim(char Character)
{
    return Character == '\\' || Character == '/';
}
#else
// The native separator between folder names.
inline constexpr char PathDelim = '/';
inline constexpr bool IsPathDelim(char Character)
{
    return Character == '/';
}
#endif
// The longest path, in bytes, that the system resolves; longer output paths
// are refused, so that every file made can be reached by its path.
extern const std::size_t MaxPathLength;
// The longest name of one file or folder, in the units NameLength counts.
extern const std::size_t MaxNameLength;
// Whether the file systems take names that differ only in case for one name,
// as Windows' do.
#ifdef _WIN32
inline constexpr bool NamesIgnoreCase = true;
// The form of Path under which the file system tells paths apart: its upper
// case, as Windows' file systems compare names.
std::string PathKey(std::string_view Path);
#else
inline constexpr bool NamesIgnoreCase = false;
inline std::string PathKey(std::string_view Path)
{
    return std::string(Path);
}
#endif

// The length of a name as the system limits it: in bytes on POSIX, in UTF-16
// code units on Windows.
#ifdef _WIN32
std::size_t NameLength(std::string_view Name);
#else
inline std::size_t NameLength(std::string_view Name)
{
    return Name.size();
}
#endif

// The call that closes an output file in TFileStream::Close and
// TUnfinishedFile::Commit. A test puts a
// failing one in its place to play a file system that reports a lost write
// only at close. Returns the call it replaces.
using TCloseCall = int (*)(int Handle);
TCloseCall ReplaceCloseCall(TCloseCall Call);

// Whether TFolder::CreateUnfinished may make unnamed files where the file
// system offers them. A test turns it off to take the way of file systems
// that offer none. Returns the previous setting.
bool AllowUnnamedFiles(bool Allow);

} // namespace trovel
