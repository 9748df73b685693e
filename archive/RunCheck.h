#pragma once

#include "ArcErrors.h"
#include "FileLayer.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace trovel {

class TArcReader;

// A run refused before it starts, from the directory alone; the message is
// English, like the tool's own texts.
class ERunRefused : public Exception
{
public:
    using Exception::Exception;
};

// The file system of the target folder cannot take what the entries need:
// bytes, or files and folders.
class ENoRoomError final : public ERunRefused
{
public:
    using ERunRefused::ERunRefused;
};

// The entries share data: reading them would take many times what the
// archive holds.
class ESharedDataError final : public ERunRefused
{
public:
    using ERunRefused::ERunRefused;
};

// Reading the entries may take up to this many times the archive's length,
// and this many bytes whatever the archive's length. A packer stores every
// part and every stored entry's data once, so a packed archive never reads
// more than its own length; only entries that share data come near the limit.
inline constexpr std::uint64_t SharedDataFactor = 16;
inline constexpr std::uint64_t SharedDataFloor = std::uint64_t{256} << 20;

// What extracting entries below a folder takes at its fullest moment: every
// file in whole blocks, every folder made as one block, each counted as one
// file; a regular file that an entry replaces gives its room back once the
// entry is written. Counts stop at 2^64 - 1.
struct TRoomNeeded
{
    std::uint64_t Bytes = 0;
    std::uint64_t Files = 0;
};

// What the run over entries will read from the archive, counted before it
// starts; the counts stop at 2^64 - 1.
struct TDataRead
{
    std::uint64_t Inflated = 0; // compressed bytes, a part each time an entry uses it
    std::uint64_t Copied = 0;   // stored entries' bytes
};

// Checks a run over entries of the reader's open archive before it starts.
// The parts' sizes are summed once, so that every check costs one step per
// entry, however many part records an entry claims.
class TRunCheck final
{
public:
    // The reader must stay open, with the same archive, while the check is
    // used.
    explicit TRunCheck(const TArcReader &Reader);

    TDataRead DataRead(std::span<const std::int32_t> Indices) const;
    // Raises ESharedDataError when the entries read more than the larger of
    // SharedDataFloor and SharedDataFactor times the archive's length.
    void CheckSharedData(std::span<const std::int32_t> Indices) const;

    // What ExtractAll(Folder, Indices) takes on a file system of BlockSize
    // blocks. With the file system's Device, the folders and files standing
    // at the entries' places are looked at, when Folder holds anything at
    // all; without it, every folder and file counts as new. Counting stops at
    // the first entry that ends the run before it writes anything (a name
    // outside the folder, a path too long).
    TRoomNeeded RoomNeeded(std::span<const std::int32_t> Indices, const std::string &Folder,
                           std::uint64_t BlockSize,
                           std::optional<std::uint64_t> Device = std::nullopt) const;
    // Raises ENoRoomError when the file system Folder lies on (that of its
    // nearest existing ancestor while it does not exist) cannot take the
    // entries; checks nothing when the system does not tell its room. The
    // entries' places are looked at only when the entries do not fit as new.
    void CheckRoom(std::span<const std::int32_t> Indices, const std::string &Folder) const;

    // Every entry of the archive, in index order.
    std::vector<std::int32_t> AllEntries() const;

private:
    std::uint64_t ExtractedSize(std::int32_t Index) const;

    const TArcReader &FReader;
    std::uint64_t FArchiveSize = 0;
    // Sums over the part table up to each record: what the parts claim to
    // inflate to, and the compressed bytes of those that lie in the file.
    std::vector<std::uint64_t> FUncompressedBefore;
    std::vector<std::uint64_t> FCompressedBefore;
};

bool Fits(const TRoomNeeded &Needed, const TFileSystemRoom &Room);
// Raises ENoRoomError when Needed does not fit Room; the message names
// Folder.
void CheckRoom(const TRoomNeeded &Needed, const TFileSystemRoom &Room, const std::string &Folder);

// A byte count for people: "192 GiB", "1.5 MiB", "512 bytes".
std::string HumanBytes(std::uint64_t Bytes);

} // namespace trovel
