#pragma once

#include "BulkMemory.h"
#include "FileLayer.h"
#include "NameCodec.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace trovel {

// An archive is a 28-byte header, a data area, and a directory made of the
// part table, the name table and the file entry table, back to back. Every
// word is a 32-bit little-endian unsigned number; the words named Reserved are
// never interpreted but are handed out unchanged with their record.
struct TArcHeader
{
    std::uint32_t Reserved0;
    std::uint32_t Reserved4;
    std::uint32_t FileCount;
    std::uint32_t PartCount;
    std::uint32_t Reserved16;
    std::uint32_t NameTableSize;
    std::uint32_t DirectoryOffset;
};
static_assert(sizeof(TArcHeader) == 28);

// One zlib stream of a compressed entry.
struct TArcPart
{
    std::uint32_t Offset;
    std::uint32_t CompressedSize;
    std::uint32_t UncompressedSize;
};
static_assert(sizeof(TArcPart) == 12);

struct TArcFileEntry
{
    std::uint32_t StorageMode;
    std::uint32_t DataOffset;
    std::uint32_t Reserved8;
    std::uint32_t Size;
    std::uint32_t Reserved16;
    std::uint32_t Reserved20;
    std::uint32_t Reserved24;
    std::uint32_t PartCount;
    std::uint32_t FirstPart;
    std::uint32_t Reserved36;
    std::uint32_t NameOffset;
};
static_assert(sizeof(TArcFileEntry) == 44);

// StorageMode values; every other mode has no data and extracts to an empty file.
inline constexpr std::uint32_t smStored = 1;
inline constexpr std::uint32_t smCompressed = 3;

class TArcReader;

// Called before each entry of ExtractAll with the entry's stored name
// ("/" separators); returning true stops the run before that entry.
using TArcProgressEvent = std::function<bool(TArcReader &Sender, const std::string &Name)>;

// Takes an entry's data in pieces, in order; may raise to end the extraction.
using TArcDataSink = std::function<void(const void *Data, std::size_t Length)>;

class TExtractBuffers;
class TInflateAhead;
struct TInflatedEntry;
class TFileFolderClashes;
class TNameClashes;

// Holds one open archive: the file stays open and the whole directory stays in
// memory, so every lookup by entry index is an array access.
class TArcReader final
{
public:
    TArcReader();
    ~TArcReader();
    TArcReader(const TArcReader &) = delete;
    TArcReader &operator=(const TArcReader &) = delete;

    // Closes any open archive, then opens FileName and loads its directory.
    // A directory that does not fit the file is refused, so nothing read later
    // can lie outside what was loaded. On failure the reader is left closed.
    void Open(const std::string &FileName);
    void Close();
    bool IsOpen() const { return FStream.has_value(); }

    const std::string &FileName() const { return FFileName; }
    const TArcHeader &Header() const { return FHeader; }

    // Entry indices run from 0 to GetFileCount() - 1; an index outside that
    // range raises ERangeError.
    std::int32_t GetFileCount() const;
    void GetFileEntry(std::int32_t Index, TArcFileEntry &Entry) const;
    std::string GetFileName(std::int32_t Index) const;
    // The same bytes as GetFileName without a copy; valid until Close or Open.
    std::string_view FileNameView(std::int32_t Index) const;

    // How the open archive's names become text: decided by Open, UTF-8 when
    // every name an entry points at is well-formed UTF-8 (as pure ASCII is),
    // otherwise the system's code page. The names the reader hands out stay
    // the stored bytes; ExtractAll creates its folders and files, and writes
    // its error messages, with the decoded names.
    const TNameCodec &NameCodec() const { return FNameCodec; }
    // Overrides the decision for the open archive; the next Open decides anew.
    void SetNameCodec(TNameCodec Codec);

    // Writes one entry to FileName, a name of the caller's choice: an
    // existing file is truncated, a link followed, a FIFO or device written
    // to as it is (see TFileStream::Create). The output file is created
    // before anything else and is kept, as far as it was written, when a
    // later step fails.
    void ExtractFile(std::int32_t Index, const std::string &FileName);
    // Hands the entry's data to Output, exactly as ExtractFile writes it.
    void ExtractTo(std::int32_t Index, const TArcDataSink &Output);
    // Writes every entry below Folder, recreating the entries' folders, and
    // reports each entry to OnProgress first. Each file is written aside and
    // takes the entry's name only once it is whole and closed: an entry that
    // fails leaves its name as it was (the old file, or nothing). Whatever
    // stands at an entry's place is replaced by the new file, never written
    // through. Below Folder, a link in the place of a folder is followed only
    // when it belongs to the user who runs the extraction and stood there
    // before the run made that folder; any other gives EFCreateError.
    void ExtractAll(const std::string &Folder);
    // The same for the entries Indices names, in that order: no other entry
    // is reported or written.
    void ExtractAll(const std::string &Folder, std::span<const std::int32_t> Indices);

    // Reads the entry as ExtractAll writes it and writes nothing: raises what
    // ExtractAll into an empty folder raises for the entry's name and data
    // (EPathError, EDataError, EReadError, ERangeError, EOutOfMemory), and
    // nothing when it reads back. A name that cannot be made gives
    // EFCreateError naming the entry's path: too long for any path, a
    // component too long for a name, a file named ".", a decoded path that
    // is that of an entry before it with another stored name, or a file and
    // another entry's folder in the same place (whichever of the two comes
    // second). Names are judged against every entry of the archive; the
    // first call works that out for all of them.
    void TestFile(std::int32_t Index);
    // The most bytes extracting the entry writes: its Size when stored, the
    // sum of its parts' UncompressedSize when compressed, 0 otherwise.
    std::uint64_t GetExtractedSize(std::int32_t Index) const;
    // The bytes the entry's data takes in the archive: its Size when stored,
    // the sum of its parts' CompressedSize when compressed, 0 otherwise (and
    // for a part range outside the part table).
    std::uint64_t GetPackedSize(std::int32_t Index) const;
    // The part table as loaded; valid until Close or Open.
    std::span<const TArcPart> Parts() const { return {FParts.data(), FParts.size()}; }
    // The open archive file's length now; 0 when none is open.
    std::int64_t ArchiveSize() const { return FStream ? FStream->Size() : 0; }

    // The threads that inflate compressed entries during ExtractAll and the
    // runs begun by ReadAhead: 1, the default, is the calling thread alone;
    // with more, workers inflate upcoming entries into memory while the
    // calling thread writes them in order, so files, errors and the handler's
    // calls stay exactly those of one thread.
    unsigned Jobs() const { return FJobs; }
    void SetJobs(unsigned Jobs) { FJobs = Jobs < 1 ? 1 : Jobs; }
    // Begins a run of TestFile or ExtractTo calls for the entries Indices
    // names, in that order, whose compressed entries are inflated ahead on
    // Jobs threads. The run ends with EndReadAhead, ExtractAll, Close or the
    // next ReadAhead; calls out of that order are served, only no longer
    // ahead.
    void ReadAhead(std::span<const std::int32_t> Indices);
    void EndReadAhead();

    const TArcProgressEvent &OnProgress() const { return FOnProgress; }
    void SetOnProgress(TArcProgressEvent Handler) { FOnProgress = std::move(Handler); }

private:
    void LoadDirectory();
    bool NamesAreUtf8() const;
    const TArcFileEntry &EntryAt(std::int32_t Index) const;
    template <typename IndexAt>
    void ExtractEach(const std::string &Folder, std::size_t Count, IndexAt IndexOf);
    const TFileFolderClashes &FileFolderClashes();
    // What extraction decides from a name alone: refused (EPathError), or
    // whether it has a file of its own beside its folders.
    bool HasFileToWrite(const std::string &Name) const;
    // Whether two different stored names may decode to one path, so that
    // extraction has to compare the entries' paths: only when a name does
    // not decode reversibly. Worked out once per archive and codec.
    bool NamesMayClash();
    // For TestFile: whether an entry before Index has Path under another
    // stored name.
    bool ClashesWithEarlier(std::int32_t Index, const std::string &Path);
    // The open archive's file, which no output may replace or truncate.
    // Stored entries: their Size; compressed ones: Field summed over their
    // parts; 0 otherwise.
    std::uint64_t SumOfParts(const TArcFileEntry &Entry, std::uint32_t TArcPart::*Field) const;
    std::optional<TFileIdentity> ArchiveIdentity() const;
    void WriteEntry(std::int32_t Index, TFileStream &Output, TExtractBuffers &Buffers);
    // Hands the entry's data to Output, from the run's inflating ahead when
    // it has the entry.
    void ReadEntry(std::int32_t Index, const TArcDataSink &Output, TExtractBuffers &Buffers);
    // The same, always on the calling thread. It reads only what stays fixed
    // while the archive is open, so workers run it side by side.
    void ReadEntryData(std::int32_t Index, const TArcDataSink &Output,
                       TExtractBuffers &Buffers) const;
    void CopyStored(const TArcFileEntry &Entry, const TArcDataSink &Output,
                    TExtractBuffers &Buffers) const;
    void InflateParts(const TArcFileEntry &Entry, const TArcDataSink &Output,
                      TExtractBuffers &Buffers) const;
    // What ReadEntryData hands on, put into Entry (at most Claim bytes): the
    // workers' way, which inflates parts whole where it can.
    void InflateInto(std::int32_t Index, std::uint64_t Claim, TInflatedEntry &Entry,
                     TExtractBuffers &Buffers) const;
    std::unique_ptr<TInflateAhead>
    MakeInflateAhead(std::size_t Count, std::function<std::int32_t(std::size_t)> IndexAt);

    std::string FFileName;
    std::optional<TFileStream> FStream;
    TArcHeader FHeader{};
    std::vector<TArcFileEntry, TBulkAllocator<TArcFileEntry>> FEntries;
    std::vector<TArcPart, TBulkAllocator<TArcPart>> FParts;
    std::vector<char, TBulkAllocator<char>> FNames;
    TArcProgressEvent FOnProgress;
    TNameCodec FNameCodec = TNameCodec::Utf8();
    std::optional<bool> FNamesMayClash;
    // Every entry's path, noted by the first TestFile that needs them.
    std::unique_ptr<TNameClashes> FTestClashes;
    // Kept from one TestFile to the next, so that testing many small entries
    // does not allocate for each of them; released by Close.
    std::unique_ptr<TExtractBuffers> FTestBuffers;
    unsigned FJobs = 1;
    // The run inflating ahead, if one is going on.
    std::unique_ptr<TInflateAhead> FAhead;
    // Worked out by the first TestFile; released by Close and by a new codec.
    std::unique_ptr<TFileFolderClashes> FFileFolderClashes;
};

} // namespace trovel
