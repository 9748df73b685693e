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
    static TFileStream OpenShared(const std::string &fileName);
    // A new empty file for reading and writing, replacing any file of that
    // name. Raises EFCreateError.
    static TFileStream Create(const std::string &fileName);

    TFileStream(TFileStream &&other) noexcept;
    TFileStream &operator=(TFileStream &&other) noexcept;
    TFileStream(const TFileStream &) = delete;
    TFileStream &operator=(const TFileStream &) = delete;
    ~TFileStream();

    // Plain transfers: report how many bytes moved, raise nothing.
    std::size_t Read(void *buffer, std::size_t count);
    std::size_t Write(const void *buffer, std::size_t count);

    // Block transfers: raise EReadError / EWriteError on a short count.
    void ReadBuffer(void *buffer, std::size_t count);
    void WriteBuffer(const void *buffer, std::size_t count);

    void Seek(std::int64_t position) { FPosition = position; }
    std::int64_t Position() const { return FPosition; }
    // The current length of the file; it may change while others write it.
    std::int64_t Size() const;
    TFileIdentity Identity() const;

private:
    explicit TFileStream(int handle) : FHandle(handle) {}
    void Release() noexcept;

    int FHandle = -1;
    std::int64_t FPosition = 0;
    bool FSequential = false; // written with plain writes: a pipe or terminal
};

// The identity of the file a name leads to, or none when there is no such file.
std::optional<TFileIdentity> FileIdentity(const std::string &fileName);
bool DirectoryExists(const std::string &path);
// Creates one folder; its parent must exist. Reports success.
bool CreateDir(const std::string &path);

// The native separator between folder names.
inline constexpr char PathDelim = '/';

} // namespace trovel
