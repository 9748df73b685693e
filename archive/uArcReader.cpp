#include "uArcReader.h"

#include "ArcErrors.h"
#include "ArcPaths.h"
#include "ExtractBuffers.h"
#include "FileFolderClashes.h"
#include "InflateAhead.h"
#include "NameClashes.h"

#include <bit>
#include <cstring>
#include <limits>
#include <new>

namespace trovel {

namespace {

constexpr std::uint64_t MaxLength = std::numeric_limits<std::int32_t>::max();

// The records are read as raw bytes; only a big-endian host has to turn the
// little-endian words around.
template <typename Record>
void WordsFromLittleEndian(Record *Records, std::size_t Count)
{
    if constexpr (std::endian::native == std::endian::big) {
        auto *words = reinterpret_cast<std::uint32_t *>(Records);
        for (std::size_t i = 0; i < Count * sizeof(Record) / 4; ++i)
            words[i] = __builtin_bswap32(words[i]);
    } else {
        (void)Records;
        (void)Count;
    }
}

// Why a file that was opened is no archive; the error kind's message stays
// as it is.
const char *const DirectoryDoesNotFit = "not an archive: its directory does not fit the file";

template <typename TError>
TError NotAnArchive(TError Error, const char *Why)
{
    Error.SetReason(Why);
    return Error;
}

// A table's length in bytes must fit a signed 32-bit number, like its count.
std::uint64_t TableLength(std::uint32_t Count, std::size_t RecordSize)
{
    const std::uint64_t length = std::uint64_t{Count} * RecordSize;
    if (Count > MaxLength || length > MaxLength)
        throw NotAnArchive(ERangeError(), DirectoryDoesNotFit);
    return length;
}

} // namespace

TArcReader::TArcReader() = default;

TArcReader::~TArcReader()
{
    Close();
}

void TArcReader::Open(const std::string &FileName)
{
    Close();
    FFileName = FileName;
    FStream = TFileStream::OpenShared(FileName);
    try {
        LoadDirectory();
    } catch (...) {
        Close();
        throw;
    }
}

void TArcReader::LoadDirectory()
{
    if (FStream->Size() < static_cast<std::int64_t>(sizeof FHeader))
        throw NotAnArchive(EReadError(), "not an archive: it is shorter than an archive's header");
    FStream->Seek(0);
    FStream->ReadBuffer(&FHeader, sizeof FHeader);
    WordsFromLittleEndian(&FHeader, 1);

    const std::uint64_t partsLength = TableLength(FHeader.PartCount, sizeof(TArcPart));
    const std::uint64_t entriesLength = TableLength(FHeader.FileCount, sizeof(TArcFileEntry));
    const std::uint64_t namesLength = TableLength(FHeader.NameTableSize, 1);

    // Checked before anything is allocated, so a hostile count can never make
    // the reader ask for more memory than the file holds.
    const std::uint64_t directoryEnd =
        std::uint64_t{FHeader.DirectoryOffset} + partsLength + namesLength + entriesLength;
    if (directoryEnd > static_cast<std::uint64_t>(FStream->Size()))
        throw NotAnArchive(EReadError(), DirectoryDoesNotFit);

    try {
        FNames.resize(namesLength);
        FParts.resize(FHeader.PartCount);
        FEntries.resize(FHeader.FileCount);
    } catch (const std::bad_alloc &) {
        throw EOutOfMemory();
    }

    // The three tables follow one another, so they are read without seeking.
    FStream->Seek(FHeader.DirectoryOffset);
    FStream->ReadBuffer(FParts.data(), partsLength);
    FStream->ReadBuffer(FNames.data(), namesLength);
    FStream->ReadBuffer(FEntries.data(), entriesLength);
    WordsFromLittleEndian(FParts.data(), FParts.size());
    WordsFromLittleEndian(FEntries.data(), FEntries.size());

    for (const TArcFileEntry &entry : FEntries) {
        if (entry.NameOffset >= FNames.size())
            throw NotAnArchive(ERangeError(),
                               "not an archive: an entry's name lies outside the name table");
    }
    // Well-formed UTF-8 decodes reversibly: no two names can clash, unless
    // the file system ignores case.
    const bool utf8 = NamesAreUtf8();
    SetNameCodec(utf8 ? TNameCodec::Utf8() : TNameCodec::ForCodePage(SystemCodePage()));
    if (utf8)
        FNamesMayClash = NamesIgnoreCase;
}

void TArcReader::SetNameCodec(TNameCodec Codec)
{
    FNameCodec = std::move(Codec);
    FNamesMayClash.reset();
    FTestClashes.reset();
    FFileFolderClashes.reset();
}

bool TArcReader::NamesMayClash()
{
    if (!FNamesMayClash) {
        // Where the file system ignores case, any two names may meet.
        FNamesMayClash = NamesIgnoreCase;
        for (std::int32_t index = 0; index < GetFileCount(); ++index) {
            if (!FNameCodec.IsReversible(FileNameView(index))) {
                FNamesMayClash = true;
                break;
            }
        }
    }
    return *FNamesMayClash;
}

bool TArcReader::ClashesWithEarlier(std::int32_t Index, const std::string &Path)
{
    if (!NamesMayClash())
        return false;
    if (!FTestClashes) {
        // The paths ExtractAll of every entry would write, in its order; a
        // name it refuses writes nothing.
        auto clashes = std::make_unique<TNameClashes>(true);
        for (std::int32_t index = 0; index < GetFileCount(); ++index) {
            const std::string_view name = FileNameView(index);
            if (!LeavesTargetFolder(name))
                clashes->Note(static_cast<std::size_t>(index), name,
                              PathKey(ToNativeSeparators(FNameCodec.ToPathText(name))));
        }
        FTestClashes = std::move(clashes);
    }
    return FTestClashes->ClashesBefore(static_cast<std::size_t>(Index), FileNameView(Index),
                                       PathKey(Path));
}

bool TArcReader::NamesAreUtf8() const
{
    // Most tables are pure ASCII, and most others well-formed UTF-8 as a
    // whole: then a name is well-formed unless it starts inside a character
    // (a sequence never runs across the 0 byte that ends a name). Only a
    // table with ill-formed bytes somewhere needs each name looked at, as the
    // bytes may lie where no entry points.
    const std::string_view table(FNames.data(), FNames.size());
    if (IsAscii(table))
        return true;
    if (IsValidUtf8(table)) {
        for (const TArcFileEntry &entry : FEntries) {
            if ((static_cast<unsigned char>(table[entry.NameOffset]) & 0xC0) == 0x80)
                return false;
        }
        return true;
    }
    for (std::int32_t index = 0; index < GetFileCount(); ++index) {
        if (!IsValidUtf8(FileNameView(index)))
            return false;
    }
    return true;
}

void TArcReader::Close()
{
    // The workers read the archive: they stop before it closes.
    FAhead.reset();
    if (!FStream)
        return;
    FStream.reset();
    FTestBuffers.reset();
    FTestClashes.reset();
    FNamesMayClash.reset();
    FFileFolderClashes.reset();
    // Swapping with empty containers gives the memory back at once.
    decltype(FEntries)().swap(FEntries);
    decltype(FParts)().swap(FParts);
    decltype(FNames)().swap(FNames);
}

std::int32_t TArcReader::GetFileCount() const
{
    return static_cast<std::int32_t>(FEntries.size());
}

const TArcFileEntry &TArcReader::EntryAt(std::int32_t Index) const
{
    if (Index < 0 || static_cast<std::size_t>(Index) >= FEntries.size())
        throw ERangeError();
    return FEntries[static_cast<std::size_t>(Index)];
}

void TArcReader::GetFileEntry(std::int32_t Index, TArcFileEntry &Entry) const
{
    Entry = EntryAt(Index);
}

std::string_view TArcReader::FileNameView(std::int32_t Index) const
{
    // Open made sure every name starts inside the table; a name without its
    // 0 byte ends where the table ends.
    const std::size_t start = EntryAt(Index).NameOffset;
    const char *first = FNames.data() + start;
    const std::size_t room = FNames.size() - start;
    const void *zero = std::memchr(first, 0, room);
    const std::size_t length = zero ? static_cast<const char *>(zero) - first : room;
    return {first, length};
}

std::string TArcReader::GetFileName(std::int32_t Index) const
{
    return std::string(FileNameView(Index));
}

} // namespace trovel
