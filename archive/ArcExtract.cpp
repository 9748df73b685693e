// Writing entries out of the open archive.

#include "uArcReader.h"

#include "ArcErrors.h"
#include "ArcPaths.h"
#include "ZlibInflater.h"

#include <algorithm>
#include <memory>
#include <new>

namespace trovel {

namespace {

// Stored data is streamed through a buffer of this size, so an entry of any
// size is copied in bounded memory.
constexpr std::size_t CopyBufferSize = 61440;

} // namespace

// Scratch memory for one extraction call, reused from entry to entry so that a
// run over many small entries does not allocate for each of them. Its size is
// fixed, whatever the archive claims.
class TExtractBuffers final
{
public:
    char *Copy()
    {
        if (!FCopy)
            FCopy = std::make_unique_for_overwrite<char[]>(CopyBufferSize);
        return FCopy.get();
    }

    TZlibInflater &Inflater()
    {
        if (!FInflater)
            FInflater = std::make_unique<TZlibInflater>();
        return *FInflater;
    }

private:
    std::unique_ptr<char[]> FCopy;
    std::unique_ptr<TZlibInflater> FInflater;
};

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

void TArcReader::ExtractAll(const std::string &Folder)
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
        const std::int32_t count = GetFileCount();
        for (std::int32_t index = 0; index < count; ++index) {
            const std::string name = GetFileName(index);
            if (progress && progress(*this, name))
                return;
            if (LeavesTargetFolder(name))
                throw EPathError(name);

            // The entry's path below the target: every folder and file made
            // for the entry, and every message about it, comes from this.
            const std::string relative = ToNativeSeparators(name);
            const std::string path = target + relative;
            if (path.size() > MaxPathLength)
                throw EFCreateError(path);
            // A name that ends in "/" names a folder: it is made, and a file
            // of that name could not be.
            if (name.empty() || name.back() == '/') {
                if (!folders.MakeFolder(relative))
                    throw EFCreateError(path);
                continue;
            }
            const std::string folderPart = ExtractFilePath(relative);
            const TFolder *folder = folders.MakeFolder(folderPart);
            std::optional<TFileStream> output;
            if (folder)
                output = folder->ReplaceFile(relative.substr(folderPart.size()), archive);
            if (!output)
                throw EFCreateError(path);
            WriteEntry(index, *output, buffers);
            output->Close();
        }
    } catch (const std::bad_alloc &) {
        throw EOutOfMemory();
    }
}

std::optional<TFileIdentity> TArcReader::ArchiveIdentity() const
{
    if (!FStream)
        return std::nullopt;
    return FStream->Identity();
}

void TArcReader::WriteEntry(std::int32_t Index, TFileStream &Output, TExtractBuffers &Buffers)
{
    const TArcFileEntry &entry = EntryAt(Index);
    if (entry.StorageMode == smStored)
        CopyStored(entry, Output, Buffers);
    else if (entry.StorageMode == smCompressed)
        InflateParts(Index, entry, Output, Buffers);
}

void TArcReader::CopyStored(const TArcFileEntry &Entry, TFileStream &Output,
                            TExtractBuffers &Buffers)
{
    char *buffer = Buffers.Copy();
    FStream->Seek(Entry.DataOffset);
    std::size_t remaining = Entry.Size;
    while (remaining > 0) {
        const std::size_t block = std::min(remaining, CopyBufferSize);
        FStream->ReadBuffer(buffer, block);
        Output.WriteBuffer(buffer, block);
        remaining -= block;
    }
}

void TArcReader::InflateParts(std::int32_t Index, const TArcFileEntry &Entry, TFileStream &Output,
                              TExtractBuffers &Buffers)
{
    if (std::uint64_t{Entry.FirstPart} + Entry.PartCount > FParts.size())
        throw ERangeError();

    const auto writeOut = [&Output](const unsigned char *data, std::size_t length) {
        Output.WriteBuffer(data, length);
    };
    const auto readIn = [this](unsigned char *buffer, std::size_t length) {
        FStream->ReadBuffer(buffer, length);
    };
    for (std::uint32_t i = 0; i < Entry.PartCount; ++i) {
        const TArcPart &part = FParts[std::size_t{Entry.FirstPart} + i];
        if (std::uint64_t{part.Offset} + part.CompressedSize >
            static_cast<std::uint64_t>(FStream->Size()))
            throw EReadError();

        FStream->Seek(part.Offset);
        if (!Buffers.Inflater().Inflate(part.CompressedSize, part.UncompressedSize, readIn,
                                        writeOut))
            throw EDataError(GetFileName(Index));
    }
}

} // namespace trovel
