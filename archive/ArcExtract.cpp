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
// run over many small entries does not allocate for each of them. It grows to
// the largest compressed part met, never beyond what the file holds.
class TExtractBuffers final
{
public:
    char *Copy()
    {
        if (!FCopy)
            FCopy = std::make_unique_for_overwrite<char[]>(CopyBufferSize);
        return FCopy.get();
    }

    // Its old contents are never needed, so growing it copies nothing and
    // never holds the old and the new block at once.
    unsigned char *Input(std::size_t length)
    {
        if (FInputSize < length) {
            FInput.reset();
            FInput = std::make_unique_for_overwrite<unsigned char[]>(length);
            FInputSize = length;
        }
        return FInput.get();
    }

    TZlibInflater &Inflater()
    {
        if (!FInflater)
            FInflater = std::make_unique<TZlibInflater>();
        return *FInflater;
    }

private:
    std::unique_ptr<char[]> FCopy;
    std::unique_ptr<unsigned char[]> FInput;
    std::size_t FInputSize = 0;
    std::unique_ptr<TZlibInflater> FInflater;
};

void TArcReader::ExtractFile(std::int32_t Index, const std::string &FileName)
{
    try {
        TExtractBuffers buffers;
        ExtractEntry(Index, FileName, buffers);
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
        // The handler may replace itself while it runs; the run keeps the one
        // it started with.
        const TArcProgressEvent progress = FOnProgress;
        const std::int32_t count = GetFileCount();
        for (std::int32_t index = 0; index < count; ++index) {
            const std::string name = GetFileName(index);
            if (progress && progress(*this, name))
                return;
            if (LeavesTargetFolder(name))
                throw EPathError(FNameCodec.ToText(name));

            const std::string path = target + ToNativeSeparators(FNameCodec.ToPathText(name));
            ForceDirectories(ExtractFilePath(path));
            // A name that ends in "/" names a folder: it has been made, and a
            // file of that name could not be.
            if (name.empty() || name.back() == '/')
                continue;
            ExtractEntry(index, path, buffers);
        }
    } catch (const std::bad_alloc &) {
        throw EOutOfMemory();
    }
}

void TArcReader::ExtractEntry(std::int32_t Index, const std::string &FileName,
                              TExtractBuffers &Buffers)
{
    // Creating the output would truncate the archive itself when both names
    // lead to the same file.
    if (FStream) {
        const auto target = FileIdentity(FileName);
        if (target && *target == FStream->Identity())
            throw EFCreateError(FileName);
    }
    TFileStream output = TFileStream::Create(FileName);

    const TArcFileEntry &entry = EntryAt(Index);
    if (entry.StorageMode == smStored)
        CopyStored(entry, output, Buffers);
    else if (entry.StorageMode == smCompressed)
        InflateParts(Index, entry, output, Buffers);
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
    for (std::uint32_t i = 0; i < Entry.PartCount; ++i) {
        const TArcPart &part = FParts[std::size_t{Entry.FirstPart} + i];
        // Checked before the buffer grows: a part can never claim more memory
        // than the file holds.
        if (std::uint64_t{part.Offset} + part.CompressedSize >
            static_cast<std::uint64_t>(FStream->Size()))
            throw EReadError();

        unsigned char *input = Buffers.Input(part.CompressedSize);
        FStream->Seek(part.Offset);
        FStream->ReadBuffer(input, part.CompressedSize);
        if (!Buffers.Inflater().Inflate(input, part.CompressedSize, part.UncompressedSize,
                                        writeOut))
            throw EDataError(FNameCodec.ToText(FileNameView(Index)));
    }
}

} // namespace trovel
