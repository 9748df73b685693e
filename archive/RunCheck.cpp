#include "RunCheck.h"

#include "ArcPaths.h"
#include "uArcReader.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <new>
#include <numeric>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace trovel {

namespace {

constexpr std::uint64_t Max = std::numeric_limits<std::uint64_t>::max();

std::uint64_t SaturatingAdd(std::uint64_t Left, std::uint64_t Right)
{
    return Left > Max - Right ? Max : Left + Right;
}

std::uint64_t SaturatingMultiply(std::uint64_t Left, std::uint64_t Right)
{
    return Right != 0 && Left > Max / Right ? Max : Left * Right;
}

// The room Bytes of data take in whole blocks.
std::uint64_t InBlocks(std::uint64_t Bytes, std::uint64_t BlockSize)
{
    if (BlockSize <= 1)
        return Bytes;
    const std::uint64_t blocks = Bytes / BlockSize + (Bytes % BlockSize != 0 ? 1 : 0);
    return SaturatingMultiply(blocks, BlockSize);
}

// The fullest moment of a run that takes and gives back room step by step.
// Once what was taken reaches the limit of the count, the peak stays there:
// nothing given back later can make the run fit.
class TPeak final
{
public:
    void Take(std::uint64_t Amount)
    {
        FTaken = SaturatingAdd(FTaken, Amount);
        const std::uint64_t now = FTaken == Max ? Max : FTaken - std::min(FTaken, FGivenBack);
        FPeak = std::max(FPeak, now);
    }
    void GiveBack(std::uint64_t Amount) { FGivenBack = SaturatingAdd(FGivenBack, Amount); }
    std::uint64_t Peak() const { return FPeak; }

private:
    std::uint64_t FTaken = 0;
    std::uint64_t FGivenBack = 0;
    std::uint64_t FPeak = 0;
};

// The folders the entries' names lead through below the target, each looked
// up on disk once, the first time a name leads through it. A level is keyed
// by its parent's number and its own name, so a name costs one step per
// byte, however deep it lies.
class TFolderTree final
{
public:
    TFolderTree(const std::string &Target, bool Look) : FTarget(Target), FOnDisk{Look} {}

    // The folder Relative (native separators) and its levels, new ones
    // added; OnNew is called for each new level that does not stand on disk.
    template <typename TOnNew>
    std::uint32_t Walk(std::string_view Relative, TOnNew OnNew)
    {
        // Entries of one folder usually follow one another.
        if (Relative == FLastRelative)
            return FLastNode;
        std::uint32_t node = 0;
        std::string path = FTarget;
        std::size_t start = 0;
        while (start < Relative.size()) {
            std::size_t end = Relative.find(PathDelim, start);
            if (end == std::string_view::npos)
                end = Relative.size();
            const std::string_view name = Relative.substr(start, end - start);
            start = end + 1;
            if (name.empty() || name == ".")
                continue;
            path.append(name);
            path += PathDelim;
            FKey.assign(reinterpret_cast<const char *>(&node), sizeof node);
            FKey.append(name);
            const auto [level, added] =
                FChildren.try_emplace(FKey, static_cast<std::uint32_t>(FOnDisk.size()));
            if (added) {
                // Below a folder that is not there, nothing is.
                const bool onDisk =
                    FOnDisk[node] && StandingAt(path, true).Kind == TStanding::TKind::Folder;
                FOnDisk.push_back(onDisk);
                if (!onDisk)
                    OnNew();
            }
            node = level->second;
        }
        FLastRelative.assign(Relative);
        FLastNode = node;
        return node;
    }

    bool OnDisk(std::uint32_t Node) const { return FOnDisk[Node]; }

private:
    std::string FTarget;
    std::unordered_map<std::string, std::uint32_t> FChildren;
    std::vector<bool> FOnDisk; // by node; node 0 is the target
    std::string FKey;
    std::string FLastRelative;
    std::uint32_t FLastNode = 0;
};

// The folder Path lies in; "." for a relative name of one level, and the
// path itself for "/" and ".".
std::string ParentFolder(std::string Path)
{
    while (Path.size() > 1 && IsPathDelim(Path.back()))
        Path.pop_back();
    std::size_t last = Path.size();
    while (last > 0 && !IsPathDelim(Path[last - 1]))
        --last;
    if (last == 0)
        return ".";
    if (last == 1)
        return std::string(1, PathDelim);
    Path.resize(last - 1);
    while (Path.size() > 1 && IsPathDelim(Path.back()))
        Path.pop_back();
    return Path;
}

} // namespace

TRunCheck::TRunCheck(const TArcReader &Reader)
    : FReader(Reader),
      FArchiveSize(static_cast<std::uint64_t>(std::max<std::int64_t>(Reader.ArchiveSize(), 0)))
{
    const std::span<const TArcPart> parts = Reader.Parts();
    try {
        FUncompressedBefore.resize(parts.size() + 1);
        FCompressedBefore.resize(parts.size() + 1);
    } catch (const std::bad_alloc &) {
        throw EOutOfMemory();
    }
    // Fewer than 2^28 records of less than 2^32 bytes each: no sum wraps.
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const TArcPart &part = parts[i];
        FUncompressedBefore[i + 1] = FUncompressedBefore[i] + part.UncompressedSize;
        // A part that does not lie in the file ends its entry unread.
        const bool inFile = std::uint64_t{part.Offset} + part.CompressedSize <= FArchiveSize;
        FCompressedBefore[i + 1] = FCompressedBefore[i] + (inFile ? part.CompressedSize : 0);
    }
}

std::vector<std::int32_t> TRunCheck::AllEntries() const
{
    std::vector<std::int32_t> indices(static_cast<std::size_t>(FReader.GetFileCount()));
    std::iota(indices.begin(), indices.end(), 0);
    return indices;
}

TDataRead TRunCheck::DataRead(std::span<const std::int32_t> Indices) const
{
    const std::size_t partCount = FUncompressedBefore.size() - 1;
    TDataRead read;
    TArcFileEntry entry{};
    for (const std::int32_t index : Indices) {
        FReader.GetFileEntry(index, entry);
        if (entry.StorageMode == smStored) {
            // Copying stops where the file ends.
            if (entry.DataOffset < FArchiveSize)
                read.Copied = SaturatingAdd(
                    read.Copied,
                    std::min<std::uint64_t>(entry.Size, FArchiveSize - entry.DataOffset));
        } else if (entry.StorageMode == smCompressed) {
            const std::uint64_t end = std::uint64_t{entry.FirstPart} + entry.PartCount;
            if (end <= partCount)
                read.Inflated = SaturatingAdd(
                    read.Inflated, FCompressedBefore[end] - FCompressedBefore[entry.FirstPart]);
        }
    }
    return read;
}

void TRunCheck::CheckSharedData(std::span<const std::int32_t> Indices) const
{
    const TDataRead read = DataRead(Indices);
    const std::uint64_t total = SaturatingAdd(read.Inflated, read.Copied);
    const std::uint64_t limit =
        std::max(SharedDataFloor, SaturatingMultiply(FArchiveSize, SharedDataFactor));
    if (total <= limit)
        return;
    const bool inflating = read.Inflated >= read.Copied;
    throw ESharedDataError(
        std::string("the entries share ") + (inflating ? "compressed data: " : "their data: ") +
        std::to_string(total) + " bytes would be " + (inflating ? "inflated" : "copied") +
        " from an archive of " + std::to_string(FArchiveSize) + " bytes (" + HumanBytes(total) +
        " from " + HumanBytes(FArchiveSize) + ")");
}

std::uint64_t TRunCheck::ExtractedSize(std::int32_t Index) const
{
    TArcFileEntry entry{};
    FReader.GetFileEntry(Index, entry);
    if (entry.StorageMode == smStored)
        return entry.Size;
    const std::uint64_t end = std::uint64_t{entry.FirstPart} + entry.PartCount;
    if (entry.StorageMode != smCompressed || end >= FUncompressedBefore.size())
        return 0;
    return FUncompressedBefore[end] - FUncompressedBefore[entry.FirstPart];
}

TRoomNeeded TRunCheck::RoomNeeded(std::span<const std::int32_t> Indices, const std::string &Folder,
                                  std::uint64_t BlockSize,
                                  std::optional<std::uint64_t> Device) const
{
    std::string target = Folder.empty() ? std::string(".") : Folder;
    if (!IsPathDelim(target.back()))
        target += PathDelim;
    // An empty or missing target has nothing an entry could replace: no
    // entry's place is looked at then.
    const bool look = Device && StandingAt(target, true).Kind == TStanding::TKind::Folder &&
                      !FolderIsEmpty(target);
    TFolderTree folders(target, look);
    TPeak bytes, files;
    // A file reached by two names (or twice by one) gives its room back once.
    std::unordered_set<std::uint64_t> replaced;
    const TNameCodec &codec = FReader.NameCodec();
    try {
        for (const std::int32_t index : Indices) {
            const std::string_view name = FReader.FileNameView(index);
            // A decoded name is never shorter than the stored one.
            if (LeavesTargetFolder(name) || target.size() + name.size() > MaxPathLength)
                break;
            const std::string relative = ToNativeSeparators(codec.ToPathText(name));
            if (target.size() + relative.size() > MaxPathLength)
                break;
            const bool isFolder = name.empty() || name.back() == '/';
            const std::size_t slash = relative.rfind(PathDelim);
            const std::size_t cut =
                isFolder ? relative.size() : (slash == std::string::npos ? 0 : slash + 1);
            const std::uint32_t node = folders.Walk(std::string_view(relative).substr(0, cut), [&] {
                bytes.Take(BlockSize);
                files.Take(1);
            });
            if (isFolder)
                continue;
            bytes.Take(InBlocks(ExtractedSize(index), BlockSize));
            files.Take(1);
            if (!folders.OnDisk(node))
                continue;
            const TStanding old = StandingAt(target + relative, false);
            if (old.Kind == TStanding::TKind::File && old.Names == 1 && old.Device == *Device) {
                if (replaced.insert(old.Inode).second) {
                    bytes.GiveBack(old.Bytes);
                    files.GiveBack(1);
                }
            }
        }
    } catch (const std::bad_alloc &) {
        throw EOutOfMemory();
    }
    return {bytes.Peak(), files.Peak()};
}

void TRunCheck::CheckRoom(std::span<const std::int32_t> Indices, const std::string &Folder) const
{
    if (Indices.empty())
        return;
    // The target and its missing levels are made with the first entry.
    std::string existing = Folder.empty() ? std::string(".") : Folder;
    std::uint64_t missing = 0;
    std::optional<TFileSystemRoom> room;
    while (!(room = FileSystemRoom(existing))) {
        std::string parent = ParentFolder(existing);
        if (parent == existing)
            return;
        existing = std::move(parent);
        ++missing;
    }
    const auto withMissing = [&](TRoomNeeded Needed) {
        Needed.Bytes = SaturatingAdd(Needed.Bytes, SaturatingMultiply(missing, room->BlockSize));
        Needed.Files = SaturatingAdd(Needed.Files, missing);
        return Needed;
    };
    // Looking at every entry's place costs a file-system call each; it can
    // only lower what is needed, so it is done only when that matters.
    if (Fits(withMissing(RoomNeeded(Indices, Folder, room->BlockSize)), *room))
        return;
    trovel::CheckRoom(withMissing(RoomNeeded(Indices, Folder, room->BlockSize, room->Device)),
                      *room, Folder);
}

bool Fits(const TRoomNeeded &Needed, const TFileSystemRoom &Room)
{
    return Needed.Bytes <= Room.FreeBytes && (!Room.FreeFiles || Needed.Files <= *Room.FreeFiles);
}

void CheckRoom(const TRoomNeeded &Needed, const TFileSystemRoom &Room, const std::string &Folder)
{
    if (Needed.Bytes > Room.FreeBytes)
        throw ENoRoomError("extracting needs " + std::to_string(Needed.Bytes) + " bytes but only " +
                           std::to_string(Room.FreeBytes) + " bytes are free in " + Folder + " (" +
                           HumanBytes(Needed.Bytes) + " needed, " + HumanBytes(Room.FreeBytes) +
                           " free)");
    if (Room.FreeFiles && Needed.Files > *Room.FreeFiles)
        throw ENoRoomError("extracting needs " + std::to_string(Needed.Files) +
                           " new files and folders but only " + std::to_string(*Room.FreeFiles) +
                           " more can be made in " + Folder);
}

std::string HumanBytes(std::uint64_t Bytes)
{
    constexpr const char *Units[] = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    if (Bytes < 1024)
        return std::to_string(Bytes) + (Bytes == 1 ? " byte" : " bytes");
    double value = static_cast<double>(Bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 5) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    // Whole numbers stay whole; below 10 one decimal is worth showing.
    if (value < 10 && value != static_cast<double>(static_cast<std::uint64_t>(value)))
        std::snprintf(text, sizeof text, "%.1f %s", value, Units[unit]);
    else
        std::snprintf(text, sizeof text, "%.0f %s", value, Units[unit]);
    return text;
}

} // namespace trovel
