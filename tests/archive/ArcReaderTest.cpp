// Opening archives, listing entries, and refusing directories that do not fit.
#include "ArcErrors.h"
#include "ArchiveTesting.h"
#include "uArcReader.h"

#include <cstring>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

using namespace trovel;
using namespace trovel::testing;

namespace {

std::string TwoEntryArchive()
{
    TArchiveBuilder b;
    b.AddStored("a.txt", "hello");
    b.AddCompressed("b/c.bin", {"one", "two"});
    return b.Build();
}

// The files this process holds open; on Windows, whether it holds Archive,
// which the reader opens without letting others delete it.
std::size_t OpenFileCount([[maybe_unused]] const fs::path &Archive)
{
#ifdef _WIN32
    const HANDLE handle = ::CreateFileW(Archive.c_str(), DELETE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_SHARING_VIOLATION ? 1 : 0;
    ::CloseHandle(handle);
    return 0;
#else
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
#endif
}

} // namespace

TEST(ArchiveReader, reopeningReplacesTheFirstArchive)
{
    TTempDir dir;
    TArchiveBuilder first, second;
    first.AddStored("first/a", "1");
    first.AddStored("first/b", "2");
    second.AddStored("second", "3");
    first.WriteTo(dir / "1.arc");
    second.WriteTo(dir / "2.arc");

    TArcReader reader;
    reader.Open(dir / "1.arc");
    reader.Open(dir / "2.arc");
    ASSERT_EQ(reader.GetFileCount(), 1);
    EXPECT_EQ(reader.GetFileName(0), "second");
    EXPECT_EQ(reader.FileName(), dir / "2.arc");
}

TEST(ArchiveReader, failedOpenLeavesTheReaderClosed)
{
    TTempDir dir;
    WriteFile(dir / "good.arc", TwoEntryArchive());
    fs::create_directory(dir / "folder.arc");
    for (const auto &failing : {std::pair(dir / "missing.arc", "No such file or directory"),
                                std::pair(dir / "folder.arc", "Is a directory")}) {
        const std::string &name = failing.first;
        TArcReader reader;
        reader.Open(dir / "good.arc");
        ExpectError<EFOpenError>([&] { reader.Open(name); },
                                 "Datei " + name + " kann nicht geöffnet werden", failing.second);
        EXPECT_FALSE(reader.IsOpen());
        EXPECT_EQ(reader.GetFileCount(), 0);
    }
}

TEST(ArchiveReader, closeReleasesTheFileAndKeepsTheHandler)
{
    TTempDir dir;
    WriteFile(dir / "a.arc", TwoEntryArchive());
    const std::size_t filesBefore = OpenFileCount(dir / "a.arc");
    int calls = 0;
    {
        TArcReader reader;
        reader.Close(); // closed already: nothing happens
        reader.SetOnProgress([&](TArcReader &, const std::string &) { return ++calls, false; });
        reader.Open(dir / "a.arc");
        EXPECT_EQ(OpenFileCount(dir / "a.arc"), filesBefore + 1);
        reader.Close();
        reader.Close();
        EXPECT_EQ(OpenFileCount(dir / "a.arc"), filesBefore);
        EXPECT_EQ(reader.GetFileCount(), 0);

        reader.Open(dir / "a.arc");
        reader.ExtractAll(dir / "out");
        EXPECT_EQ(calls, 2);
    } // the destructor closes the open archive
    EXPECT_EQ(OpenFileCount(dir / "a.arc"), filesBefore);
}

TEST(ArchiveReader, opensAnArchiveWithNoEntries)
{
    TTempDir dir;
    TArchiveBuilder().WriteTo(dir / "empty.arc");
    TArcReader reader;
    reader.Open(dir / "empty.arc");
    EXPECT_TRUE(reader.IsOpen());
    EXPECT_EQ(reader.GetFileCount(), 0);
}

TEST(ArchiveReader, entryIndicesOutsideTheTableAreRefused)
{
    TTempDir dir;
    WriteFile(dir / "a.arc", TwoEntryArchive());
    TArcReader reader;
    reader.Open(dir / "a.arc");
    for (const std::int32_t index : {-1, 2, INT32_MAX}) {
        TArcFileEntry entry{};
        EXPECT_THROW(reader.GetFileName(index), ERangeError) << index;
        EXPECT_THROW(reader.GetFileEntry(index, entry), ERangeError) << index;
    }
}

TEST(ArchiveReader, entriesAreCopiedOutWordForWord)
{
    // The unexamined words carry arbitrary values; every record handed out is
    // the 44 bytes of the file, and extraction does not care about them.
    TArchiveBuilder b;
    b.AddStored("s.txt", "stored");
    b.AddCompressed("c.txt", {"compressed ", "in two parts"});
    b.AddOther("o.txt", 7, 1234);
    for (const int word : {0, 1, 4})
        b.OverrideHeader(word, 0xFFFFFFF0u + word);
    for (int entry = 0; entry < 3; ++entry) {
        for (const int word : {2, 4, 5, 6, 9})
            b.OverrideEntry(entry, word, 0x80000000u | (entry << 8) | word);
    }
    b.OverrideEntry(0, 7, 0xDEAD); // PartCount and FirstPart of a stored entry
    b.OverrideEntry(0, 8, 0xBEEF);
    b.OverrideEntry(1, 1, 0xFFFFFFFF); // DataOffset of a compressed entry
    TTempDir dir;
    const std::string bytes = b.Build();
    WriteFile(dir / "a.arc", bytes);

    TArcReader reader;
    reader.Open(dir / "a.arc");
    ASSERT_EQ(reader.GetFileCount(), 3);
    EXPECT_EQ(std::memcmp(&reader.Header(), bytes.data(), sizeof(TArcHeader)), 0);
    for (int i = 0; i < 3; ++i) {
        TArcFileEntry entry{};
        reader.GetFileEntry(i, entry);
        EXPECT_EQ(std::memcmp(&entry, bytes.data() + EntryTableStart(bytes) + 44 * i, 44), 0);
        reader.ExtractFile(i, dir / "out");
        EXPECT_EQ(ReadFile(dir / "out"), b.Expected(i)) << i;
    }
    TArcFileEntry other{};
    reader.GetFileEntry(2, other);
    EXPECT_EQ(other.StorageMode, 7u);
    EXPECT_EQ(other.Size, 1234u);
}

TEST(ArchiveReader, namesAreTheStoredBytes)
{
    const std::vector<std::string> names = {"top.txt",
                                            "a/b/c.txt",
                                            "/lead",
                                            "trail/",
                                            "",
                                            "\x80\xC4\xFF/\x01 x",
                                            std::string(5000, 'n'),
                                            "shared/name",
                                            "x",
                                            "y",
                                            "unterminated"};
    TArchiveBuilder b;
    for (const std::string &name : names)
        b.AddStored(name, "");
    b.DropLastNameTerminator();
    const std::string bytes = b.Build();
    // Entries 8 and 9 point into entry 7's name: at its tail and at its 0 byte.
    std::string damaged = bytes;
    const std::size_t shared = WordAt(bytes, EntryTableStart(bytes) + 7 * 44 + 40);
    SetWord(damaged, EntryTableStart(bytes) + 8 * 44 + 40, shared + 7);
    SetWord(damaged, EntryTableStart(bytes) + 9 * 44 + 40, shared + 11);
    TTempDir dir;
    WriteFile(dir / "a.arc", damaged);
    TArcReader reader;
    reader.Open(dir / "a.arc");
    ASSERT_EQ(reader.GetFileCount(), static_cast<int>(names.size()));
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(reader.GetFileName(static_cast<int>(i)), names[i]);
    EXPECT_EQ(reader.GetFileName(8), "name");
    EXPECT_EQ(reader.GetFileName(9), "");
    EXPECT_EQ(reader.GetFileName(10), "unterminated");
}

TEST(ArchiveReader, largeDirectoriesLoadWhole)
{
    // Tables of several megabytes take the engine's bulk memory path.
    constexpr int Count = 60000;
    TArchiveBuilder b;
    for (int i = 0; i < Count; ++i)
        b.AddOther("folder/entry" + std::to_string(i), 2, static_cast<std::uint32_t>(i));
    TTempDir dir;
    b.WriteTo(dir / "a.arc");
    TArcReader reader;
    for (int round = 0; round < 2; ++round) {
        reader.Open(dir / "a.arc");
        ASSERT_EQ(reader.GetFileCount(), Count);
        for (const int i : {0, Count / 2, Count - 1}) {
            TArcFileEntry entry{};
            reader.GetFileEntry(i, entry);
            EXPECT_EQ(entry.Size, static_cast<std::uint32_t>(i));
            EXPECT_EQ(reader.GetFileName(i), "folder/entry" + std::to_string(i));
        }
    }
}

TEST(ArchiveReader, archiveStaysOpenToOtherPrograms)
{
    TTempDir dir;
    WriteFile(dir / "a.arc", TwoEntryArchive());
    TArcReader reader;
    reader.Open(dir / "a.arc");

#ifdef _WIN32
    // Others may read and write it; deleting or renaming it waits until it is
    // closed, so it cannot be replaced under the reader.
    const HANDLE other = ::CreateFileW((dir.Path() / "a.arc").c_str(), GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    OVERLAPPED start = {};
    EXPECT_TRUE(
        ::LockFileEx(other, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start));
    EXPECT_TRUE(::UnlockFileEx(other, 0, 1, 0, &start));
    EXPECT_TRUE(::WriteFile(other, "!", 1, &written, &start)); // a header word nobody reads
    EXPECT_EQ(written, 1u);
    ::CloseHandle(other);
    EXPECT_FALSE(::DeleteFileW((dir.Path() / "a.arc").c_str()));
#else
    const int other = ::open((dir / "a.arc").c_str(), O_RDWR);
    ASSERT_GE(other, 0);
    EXPECT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(::pwrite(other, "!", 1, 0), 1); // a header word nobody reads
    ::close(other);
#endif
    EXPECT_EQ(reader.GetFileName(0), "a.txt");
}

namespace {

struct TDirectoryCase
{
    const char *Label;
    std::function<void(std::string &)> Damage;
    bool RangeError; // otherwise a read error
    const char *Why = "its directory does not fit the file";
    friend void PrintTo(const TDirectoryCase &C, std::ostream *Out) { *Out << C.Label; }
};

void SetHeader(std::string &Bytes, int Word, std::uint32_t Value)
{
    SetWord(Bytes, 4 * Word, Value);
}

// The largest counts whose tables still fit a signed 32-bit length.
constexpr std::uint32_t MaxEntries = 0x7FFFFFFF / 44;
constexpr std::uint32_t MaxParts = 0x7FFFFFFF / 12;

const TDirectoryCase DirectoryCases[] = {
    {"empty file", [](std::string &B) { B.clear(); }, false,
     "it is shorter than an archive's header"},
    {"shorter than the header", [](std::string &B) { B.resize(27); }, false,
     "it is shorter than an archive's header"},
    {"directory one byte past the end", [](std::string &B) { SetHeader(B, 6, WordAt(B, 24) + 1); },
     false},
    {"directory far past the end", [](std::string &B) { SetHeader(B, 6, 0xFFFFFFFF); }, false},
    {"entry table cut short", [](std::string &B) { B.pop_back(); }, false},
    {"name table past the end", [](std::string &B) { SetHeader(B, 5, 100000); }, false},
    {"entry count whose table just fits", [](std::string &B) { SetHeader(B, 2, MaxEntries); },
     false},
    {"part count whose table just fits", [](std::string &B) { SetHeader(B, 3, MaxParts); }, false},
    {"entry count of 2^31", [](std::string &B) { SetHeader(B, 2, 0x80000000); }, true},
    {"entry count of 2^32-1", [](std::string &B) { SetHeader(B, 2, 0xFFFFFFFF); }, true},
    {"entry table longer than 2^31-1", [](std::string &B) { SetHeader(B, 2, MaxEntries + 1); },
     true},
    {"part count of 2^31", [](std::string &B) { SetHeader(B, 3, 0x80000000); }, true},
    {"part table longer than 2^31-1", [](std::string &B) { SetHeader(B, 3, MaxParts + 1); }, true},
    {"name table of 2^31 bytes", [](std::string &B) { SetHeader(B, 5, 0x80000000); }, true},
    {"range checked before the end of the file",
     [](std::string &B) {
         SetHeader(B, 2, 0x80000000);
         SetHeader(B, 6, 0xFFFFFFFF);
     },
     true},
    {"name offset at the end of the name table",
     [](std::string &B) { SetWord(B, EntryTableStart(B) + 44 + 40, WordAt(B, 20)); }, true,
     "an entry's name lies outside the name table"},
    {"name offset far outside the name table",
     [](std::string &B) { SetWord(B, EntryTableStart(B) + 40, 0xFFFFFFFF); }, true,
     "an entry's name lies outside the name table"},
};

class TDirectoryRejection : public ::testing::TestWithParam<TDirectoryCase>
{
};

} // namespace

TEST_P(TDirectoryRejection, refusesTheArchiveAndStaysClosed)
{
    TTempDir dir;
    WriteFile(dir / "good.arc", TwoEntryArchive());
    std::string bytes = TwoEntryArchive();
    GetParam().Damage(bytes);
    WriteFile(dir / "bad.arc", bytes);

    TArcReader reader;
    reader.Open(dir / "good.arc");
    const auto open = [&] { reader.Open(dir / "bad.arc"); };
    // The error kind's text stays; the reason says why the file is none.
    const std::string why = std::string("not an archive: ") + GetParam().Why;
    if (GetParam().RangeError)
        ExpectError<ERangeError>(open, "Fehler bei Bereichsprüfung", why);
    else
        ExpectError<EReadError>(open, "Stream-Lesefehler", why);
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(reader.GetFileCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(ArchiveReader, TDirectoryRejection, ::testing::ValuesIn(DirectoryCases),
                         TLabelName());
