// Writing entries out of the open archive.

#include "uArcReader.h"

#include "ArcErrors.h"
#include "ArcPaths.h"
#include "ExtractBuffers.h"
#include "FileFolderClashes.h"
#include "InflateAhead.h"
#include "NameClashes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

namespace trovel {

namespace {

// A part that does not inflate; the thread that reports it names the entry.
struct TBadPart
{
};

} // namespace

void TArcReader::ExtractFile(std::int32_t Index, const std::string &FileName)
{
    try {
        TExtractBuffers buffers;
        TFileStream output = TFileStream::Create(FileName, ArchiveIdentity());
        WriteEntry(Index, output, buffers);
        output.Close();
    } catch (const std::bad_alloc &) {
        throw EOutOfMemory();
    }
}

void TArcReader::ExtractTo(std::int32_t Index, const TArcDataSink &Output)
{
    if (FAhead)
        FAhead->Enter(Index);
    try {
        TExtractBuffers buffers;
        ReadEntry(Index, Output, buffers);
    } catch (const std::bad_alloc &) {
        throw EOutOfMemory();
    }
}

void TArcReader::ExtractAll(const std::string &Folder)
{
    ExtractEach(Folder, static_cast<std::size_t>(GetFileCount()),
                [](std::size_t At) { return static_cast<std::int32_t>(At); });
}

void TArcReader::ExtractAll(const std::string &Folder, std::span<const std::int32_t> Indices)
{
    ExtractEach(Folder, Indices.size(), [Indices](std::size_t At) { return Indices[At]; });
}

template <typename IndexAt>
void TArcReader::ExtractEach(const std::string &Folder, std::size_t Count, IndexAt IndexOf)
{
    // An empty target is the current folder, spelt out: appended to "", a
    // name that begins with "/" would become an absolute path.
    std::string target = Folder.empty() ? std::string(".") : Folder;
    if (!IsPathDelim(target.back()))
        target += PathDelim;

    // The workers stop however the run ends.
    FAhead.reset();
    struct TEndAhead
    {
        std::unique_ptr<TInflateAhead> &Ahead;
        ~TEndAhead() { Ahead.reset(); }
    } endAhead{FAhead};

    try {
        if (FJobs > 1)
            FAhead = MakeInflateAhead(Count, IndexOf);
        TExtractBuffers buffers;
        TTargetFolder folders(target);
        const std::optional<TFileIdentity> archive = ArchiveIdentity();
        // The handler may replace itself while it runs; the run keeps the one
        // it started with.
        const TArcProgressEvent progress = FOnProgress;
        TNameClashes clashes(NamesMayClash());
        for (std::size_t at = 0; at < Count; ++at) {
            const std::int32_t index = IndexOf(at);
            if (FAhead)
                FAhead->Enter(index);
            const std::string name = GetFileName(index);
            if (progress && progress(*this, name))
                return;
            const bool hasFile = HasFileToWrite(name);

            // The entry's path below the target: every folder and file made
            // for the entry, and every message about it, comes from this.
            const std::string relative = ToNativeSeparators(FNameCodec.ToPathText(name));
            const std::string path = target + relative;
            if (path.size() > MaxPathLength)
                throw WithSystemReason(EFCreateError(path), ENAMETOOLONG);
            if (clashes.Note(at, FileNameView(index), PathKey(relative)))
                throw EFCreateError(path);
            CheckNameCanBeMade(relative, hasFile, path);
            if (!hasFile) {
                folders.MakeFolder(relative, path);
                continue;
            }
            const std::string folderPart = ExtractFilePath(relative);
            const TFolder &folder = folders.MakeFolder(folderPart, path);
            // The entry's name keeps what stands there until the new file
            // is whole: a failure on the way leaves the old file, or nothing.
            TUnfinishedFile output =
                folder.CreateUnfinished(relative.substr(folderPart.size()), path);
            WriteEntry(index, output.Stream(), buffers);
            output.Commit(archive);
        }
    } catch (const std::bad_alloc &) {
        throw EOutOfMemory();
    }
}

void TArcReader::TestFile(std::int32_t Index)
{
    if (FAhead)
        FAhead->Enter(Index);
    try {
        const std::string name = GetFileName(Index);
        const bool hasFile = HasFileToWrite(name);
        // No target folder, not even "./", leaves room for a name longer than
        // a path may be.
        const std::string relative = ToNativeSeparators(FNameCodec.ToPathText(name));
        if (relative.size() + 2 > MaxPathLength)
            throw WithSystemReason(EFCreateError(relative), ENAMETOOLONG);
        if (ClashesWithEarlier(Index, relative))
            throw EFCreateError(relative);
        CheckNameCanBeMade(relative, hasFile, relative);
        // In the order ExtractAll meets them: its folders are made before its
        // data is read, its file takes its name after.
        const TFileFolderClashes::TBlock block = FileFolderClashes().BlockOf(Index);
        if (block == TFileFolderClashes::TBlock::FileInFolderPlace)
            throw WithSystemReason(EFCreateError(relative), ENOTDIR);
        if (!hasFile)
            return;
        if (!FTestBuffers)
            FTestBuffers = std::make_unique<TExtractBuffers>();
        ReadEntry(
            Index, [](const void *, std::size_t) {}, *FTestBuffers);
        if (block == TFileFolderClashes::TBlock::FolderInFilePlace)
            throw WithSystemReason(EFCreateError(relative), EISDIR);
    } catch (const std::bad_alloc &) {
        throw EOutOfMemory();
    }
}

const TFileFolderClashes &TArcReader::FileFolderClashes()
{
    if (!FFileFolderClashes)
        FFileFolderClashes =
            std::make_unique<TFileFolderClashes>(GetFileCount(), [this](std::int32_t Index) {
                // As ExtractAll goes: names it refuses, or that cannot be made
                // anywhere, make nothing.
                const std::string_view name = FileNameView(Index);
                TFileFolderClashes::TEntryPath entry;
                if (LeavesTargetFolder(name)) {
                    entry.Skip = true;
                    return entry;
                }
                entry.HasFile = !name.empty() && name.back() != '/';
                entry.Relative = ToNativeSeparators(FNameCodec.ToPathText(name));
                try {
                    if (entry.Relative.size() + 2 > MaxPathLength)
                        entry.Skip = true;
                    else
                        CheckNameCanBeMade(entry.Relative, entry.HasFile, {});
                } catch (const EFCreateError &) {
                    entry.Skip = true;
                }
                // Where the file system ignores case, "a" and "A/b" meet too.
                if constexpr (NamesIgnoreCase)
                    entry.Relative = PathKey(entry.Relative);
                return entry;
            });
    return *FFileFolderClashes;
}

bool TArcReader::HasFileToWrite(const std::string &Name) const
{
    // On Windows "\\" separates too; it is looked for in the decoded name,
    // since in a double-byte code page a "\\" byte may be the second half of
    // a character.
    const bool leaves = PathDelim == '/' ? LeavesTargetFolder(Name)
                                         : LeavesTargetFolder(FNameCodec.ToPathText(Name));
    if (leaves)
        throw EPathError(FNameCodec.ToText(Name));
    // A name that ends in "/" names a folder: it is made, and a file of that
    // name could not be.
    return !Name.empty() && Name.back() != '/';
}

std::uint64_t TArcReader::GetExtractedSize(std::int32_t Index) const
{
    return SumOfParts(EntryAt(Index), &TArcPart::UncompressedSize);
}

std::uint64_t TArcReader::GetPackedSize(std::int32_t Index) const
{
    return SumOfParts(EntryAt(Index), &TArcPart::CompressedSize);
}

std::uint64_t TArcReader::SumOfParts(const TArcFileEntry &Entry,
                                     std::uint32_t TArcPart::*Field) const
{
    if (Entry.StorageMode == smStored)
        return Entry.Size;
    // A part range outside the table fails before anything is written.
    const std::uint64_t end = std::uint64_t{Entry.FirstPart} + Entry.PartCount;
    if (Entry.StorageMode != smCompressed || end > FParts.size())
        return 0;
    std::uint64_t size = 0;
    for (std::size_t i = Entry.FirstPart; i < end; ++i)
        size += FParts[i].*Field;
    return size;
}

std::optional<TFileIdentity> TArcReader::ArchiveIdentity() const
{
    if (!FStream)
        return std::nullopt;
    return FStream->Identity();
}

void TArcReader::WriteEntry(std::int32_t Index, TFileStream &Output, TExtractBuffers &Buffers)
{
    ReadEntry(
        Index,
        [&Output](const void *Data, std::size_t Length) { Output.WriteBuffer(Data, Length); },
        Buffers);
}

void TArcReader::ReadEntry(std::int32_t Index, const TArcDataSink &Output, TExtractBuffers &Buffers)
{
    try {
        // An entry inflated ahead hands on the same bytes and then raises the
        // same error as reading it here would.
        if (const std::unique_ptr<TInflatedEntry> ready =
                FAhead ? FAhead->TakeCurrent(Index) : nullptr) {
            if (ready->Size > 0)
                Output(ready->Bytes.get(), ready->Size);
            if (ready->Error)
                std::rethrow_exception(ready->Error);
            return;
        }
        ReadEntryData(Index, Output, Buffers);
    } catch (const TBadPart &) {
        throw EDataError(FNameCodec.ToText(FileNameView(Index)));
    }
}

void TArcReader::ReadEntryData(std::int32_t Index, const TArcDataSink &Output,
                               TExtractBuffers &Buffers) const
{
    const TArcFileEntry &entry = EntryAt(Index);
    if (entry.StorageMode == smStored)
        CopyStored(entry, Output, Buffers);
    else if (entry.StorageMode == smCompressed)
        InflateParts(entry, Output, Buffers);
}

void TArcReader::CopyStored(const TArcFileEntry &Entry, const TArcDataSink &Output,
                            TExtractBuffers &Buffers) const
{
    char *buffer = Buffers.Copy();
    std::int64_t at = Entry.DataOffset;
    std::size_t remaining = Entry.Size;
    while (remaining > 0) {
        const std::size_t block = std::min(remaining, CopyBufferSize);
        FStream->ReadBufferAt(at, buffer, block);
        Output(buffer, block);
        at += static_cast<std::int64_t>(block);
        remaining -= block;
    }
}

void TArcReader::InflateParts(const TArcFileEntry &Entry, const TArcDataSink &Output,
                              TExtractBuffers &Buffers) const
{
    if (std::uint64_t{Entry.FirstPart} + Entry.PartCount > FParts.size())
        throw ERangeError();

    const auto writeOut = [&Output](const unsigned char *Data, std::size_t Length) {
        Output(Data, Length);
    };
    for (std::uint32_t i = 0; i < Entry.PartCount; ++i) {
        const TArcPart &part = FParts[std::size_t{Entry.FirstPart} + i];
        if (std::uint64_t{part.Offset} + part.CompressedSize >
            static_cast<std::uint64_t>(FStream->Size()))
            throw EReadError();

        const auto readIn = [this, &part](std::uint64_t Offset, unsigned char *Buffer,
                                          std::size_t Length) {
            FStream->ReadBufferAt(static_cast<std::int64_t>(part.Offset + Offset), Buffer, Length);
        };
        if (!Buffers.Inflater().Inflate(part.CompressedSize, part.UncompressedSize, readIn,
                                        writeOut))
            throw TBadPart();
    }
}

void TArcReader::InflateInto(std::int32_t Index, std::uint64_t Claim, TInflatedEntry &Entry,
                             TExtractBuffers &Buffers) const
{
    // What no part can exceed: the entry's claim, the sum of its parts'
    // UncompressedSize.
    Entry.Bytes =
        std::make_unique_for_overwrite<unsigned char[]>(std::max<std::uint64_t>(Claim, 1));
    Entry.Size = 0;
    const auto append = [&Entry](const void *Data, std::size_t Length) {
        std::memcpy(Entry.Bytes.get() + Entry.Size, Data, Length);
        Entry.Size += Length;
    };
    const TArcFileEntry &entry = EntryAt(Index);
    if (entry.StorageMode != smCompressed ||
        std::uint64_t{entry.FirstPart} + entry.PartCount > FParts.size()) {
        ReadEntryData(Index, append, Buffers);
        return;
    }
    // A part held whole in memory inflates straight into place; one that
    // does not inflate so is inflated again as InflateParts does, which
    // decides what it gives.
    for (std::uint32_t i = 0; i < entry.PartCount; ++i) {
        const TArcPart &part = FParts[std::size_t{entry.FirstPart} + i];
        if (std::uint64_t{part.Offset} + part.CompressedSize >
            static_cast<std::uint64_t>(FStream->Size()))
            throw EReadError();
        if (part.CompressedSize <= WholePartLimit) {
            unsigned char *input = Buffers.WholeInput(part.CompressedSize);
            FStream->ReadBufferAt(part.Offset, input, part.CompressedSize);
            std::size_t produced = 0;
            if (Buffers.Inflater().InflateWhole(input, part.CompressedSize,
                                                Entry.Bytes.get() + Entry.Size,
                                                part.UncompressedSize, produced)) {
                Entry.Size += produced;
                continue;
            }
        }
        const auto readIn = [this, &part](std::uint64_t Offset, unsigned char *Buffer,
                                          std::size_t Length) {
            FStream->ReadBufferAt(static_cast<std::int64_t>(part.Offset + Offset), Buffer, Length);
        };
        if (!Buffers.Inflater().Inflate(
                part.CompressedSize, part.UncompressedSize, readIn,
                [&](const unsigned char *Data, std::size_t Length) { append(Data, Length); }))
            throw TBadPart();
    }
}

std::unique_ptr<TInflateAhead>
TArcReader::MakeInflateAhead(std::size_t Count, std::function<std::int32_t(std::size_t)> IndexAt)
{
    const auto claimOf = [this](std::int32_t Index) -> std::optional<std::uint64_t> {
        if (Index < 0 || static_cast<std::size_t>(Index) >= FEntries.size() ||
            FEntries[static_cast<std::size_t>(Index)].StorageMode != smCompressed)
            return std::nullopt;
        return GetExtractedSize(Index);
    };
    const auto work = [this](std::int32_t Index, std::uint64_t Claim, TInflatedEntry &Entry,
                             TExtractBuffers &Buffers) {
        InflateInto(Index, Claim, Entry, Buffers);
    };
    return std::make_unique<TInflateAhead>(Count, std::move(IndexAt), claimOf, work, FJobs);
}

void TArcReader::ReadAhead(std::span<const std::int32_t> Indices)
{
    FAhead.reset();
    if (FJobs <= 1 || !FStream)
        return;
    // The workers keep a copy: the caller's list may go before the run ends.
    auto order = std::make_shared<const std::vector<std::int32_t>>(Indices.begin(), Indices.end());
    FAhead = MakeInflateAhead(order->size(), [order](std::size_t At) { return (*order)[At]; });
}

void TArcReader::EndReadAhead()
{
    FAhead.reset();
}

} // namespace trovel
