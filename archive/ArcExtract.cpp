// Writing entries out of the open archive.

#include "uArcReader.h"

#include "ArcErrors.h"
#include "ArcPaths.h"
#include "ExtractBuffers.h"
#include "FileFolderClashes.h"
#include "NameClashes.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <new>

namespace trovel {

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
    if (target.back() != PathDelim)
        target += PathDelim;

    try {
        TExtractBuffers buffers;
        TTargetFolder folders(target);
        const std::optional<TFileIdentity> archive = ArchiveIdentity();
        // The handler may replace itself while it runs; the run keeps the one
        // it started with.
        const TArcProgressEvent progress = FOnProgress;
        TNameClashes clashes(NamesMayClash());
        for (std::size_t at = 0; at < Count; ++at) {
            const std::int32_t index = IndexOf(at);
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
            if (clashes.Note(at, FileNameView(index), relative))
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
                return entry;
            });
    return *FFileFolderClashes;
}

bool TArcReader::HasFileToWrite(const std::string &Name) const
{
    if (LeavesTargetFolder(Name))
        throw EPathError(FNameCodec.ToText(Name));
    // A name that ends in "/" names a folder: it is made, and a file of that
    // name could not be.
    return !Name.empty() && Name.back() != '/';
}

std::uint64_t TArcReader::GetExtractedSize(std::int32_t Index) const
{
    const TArcFileEntry &entry = EntryAt(Index);
    if (entry.StorageMode == smStored)
        return entry.Size;
    // A part range outside the table fails before anything is written.
    const std::uint64_t end = std::uint64_t{entry.FirstPart} + entry.PartCount;
    if (entry.StorageMode != smCompressed || end > FParts.size())
        return 0;
    std::uint64_t size = 0;
    for (std::size_t i = entry.FirstPart; i < end; ++i)
        size += FParts[i].UncompressedSize;
    return size;
}

std::uint64_t TArcReader::GetPackedSize(std::int32_t Index) const
{
    const TArcFileEntry &entry = EntryAt(Index);
    if (entry.StorageMode == smStored)
        return entry.Size;
    const std::uint64_t end = std::uint64_t{entry.FirstPart} + entry.PartCount;
    if (entry.StorageMode != smCompressed || end > FParts.size())
        return 0;
    std::uint64_t size = 0;
    for (std::size_t i = entry.FirstPart; i < end; ++i)
        size += FParts[i].CompressedSize;
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
    const TArcFileEntry &entry = EntryAt(Index);
    if (entry.StorageMode == smStored)
        CopyStored(entry, Output, Buffers);
    else if (entry.StorageMode == smCompressed)
        InflateParts(Index, entry, Output, Buffers);
}

void TArcReader::CopyStored(const TArcFileEntry &Entry, const TArcDataSink &Output,
                            TExtractBuffers &Buffers)
{
    char *buffer = Buffers.Copy();
    FStream->Seek(Entry.DataOffset);
    std::size_t remaining = Entry.Size;
    while (remaining > 0) {
        const std::size_t block = std::min(remaining, CopyBufferSize);
        FStream->ReadBuffer(buffer, block);
        Output(buffer, block);
        remaining -= block;
    }
}

void TArcReader::InflateParts(std::int32_t Index, const TArcFileEntry &Entry,
                              const TArcDataSink &Output, TExtractBuffers &Buffers)
{
    if (std::uint64_t{Entry.FirstPart} + Entry.PartCount > FParts.size())
        throw ERangeError();

    const auto writeOut = [&Output](const unsigned char *Data, std::size_t Length) {
        Output(Data, Length);
    };
    const auto readIn = [this](unsigned char *Buffer, std::size_t Length) {
        FStream->ReadBuffer(Buffer, Length);
    };
    for (std::uint32_t i = 0; i < Entry.PartCount; ++i) {
        const TArcPart &part = FParts[std::size_t{Entry.FirstPart} + i];
        if (std::uint64_t{part.Offset} + part.CompressedSize >
            static_cast<std::uint64_t>(FStream->Size()))
            throw EReadError();

        FStream->Seek(part.Offset);
        if (!Buffers.Inflater().Inflate(part.CompressedSize, part.UncompressedSize, readIn,
                                        writeOut))
            throw EDataError(FNameCodec.ToText(FileNameView(Index)));
    }
}

} // namespace trovel
