// Writing every entry below a target folder: folders, progress handler,
// names that would leave the folder, and errors that end the run.
#include "ArcErrors.h"
#include "ArchiveTesting.h"
#include "FileLayer.h"
#include "uArcReader.h"

#include <algorithm>
#include <optional>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

using namespace trovel;
using namespace trovel::testing;

namespace {

using TTree = std::set<std::string>;

class TExtractAllTest : public ::testing::Test
{
protected:
    // The archive lies beside the target folder "t" in a private folder.
    void Open(const TArchiveBuilder &B)
    {
        B.WriteTo(FDir / "a.arc");
        FReader.Open(FDir / "a.arc");
    }
    std::string Target() const { return FDir / "t"; }
    TTree Tree() const { return TreeOf(FDir.Path() / "t"); }

    TLocaleEnvironment FLocale{"C.UTF-8"}; // code page 1252
    TTempDir FDir;
    TArcReader FReader;
};

// Changes the current folder for one test.
class TCurrentFolder final
{
public:
    explicit TCurrentFolder(const fs::path &Path) : FPrevious(fs::current_path())
    {
        fs::current_path(Path);
    }
    ~TCurrentFolder() { fs::current_path(FPrevious); }

private:
    fs::path FPrevious;
};

} // namespace

TEST_F(TExtractAllTest, writesEveryEntryBelowTheTarget)
{
    TArchiveBuilder b;
    b.AddStored("top.txt", "top");
    b.AddCompressed("a/b/c.txt", {"deep ", "down"});
    b.AddStored("a/d.txt", "");
    b.AddOther("other/mode.bin", 5, 77);
    b.AddStored("/lead.txt", "leading separator");
    b.AddStored("x//y.txt", "doubled separator");
    b.ScatterData(11);
    Open(b);
    FReader.ExtractAll(Target() + "/missing/levels");

    const fs::path out = FDir.Path() / "t/missing/levels";
    EXPECT_EQ(TreeOf(out), (TTree{"top.txt", "a/", "a/b/", "a/b/c.txt", "a/d.txt", "other/",
                                  "other/mode.bin", "lead.txt", "x/", "x/y.txt"}));
    EXPECT_EQ(ReadFile(out / "top.txt"), "top");
    EXPECT_EQ(ReadFile(out / "a/b/c.txt"), "deep down");
    EXPECT_EQ(ReadFile(out / "other/mode.bin"), "");
    EXPECT_EQ(ReadFile(out / "lead.txt"), "leading separator");
    EXPECT_EQ(ReadFile(out / "x/y.txt"), "doubled separator");
}

TEST_F(TExtractAllTest, trailingSeparatorsOnTheTargetChangeNothing)
{
    TArchiveBuilder b;
    b.AddStored("f.txt", "f");
    b.AddStored("d/g.txt", "g");
    Open(b);
    for (const std::string suffix : {"", "/", "//"}) {
        FReader.ExtractAll(Target() + suffix);
        EXPECT_EQ(Tree(), (TTree{"f.txt", "d/", "d/g.txt"})) << "suffix " << suffix;
        fs::remove_all(Target());
    }
}

TEST_F(TExtractAllTest, reportsEachEntryOnceBeforeMakingIt)
{
    TArchiveBuilder b;
    b.AddStored("a/b/first.txt", "1");
    b.AddOther("a/other", 9, 0);
    b.AddStored("second.txt", "2");
    Open(b);
    std::vector<std::string> seen;
    FReader.SetOnProgress([&](TArcReader &Sender, const std::string &Name) {
        EXPECT_EQ(&Sender, &FReader);
        EXPECT_FALSE(fs::exists(Target() + "/" + Name)) << Name;
        if (seen.empty()) {
            EXPECT_FALSE(fs::exists(Target()));
        }
        seen.push_back(Name);
        return false;
    });
    FReader.ExtractAll(Target());
    EXPECT_EQ(seen, (std::vector<std::string>{"a/b/first.txt", "a/other", "second.txt"}));
    EXPECT_EQ(Tree(), (TTree{"a/", "a/b/", "a/b/first.txt", "a/other", "second.txt"}));
}

TEST_F(TExtractAllTest, handlerThatReturnsTrueStopsBeforeThatEntry)
{
    TArchiveBuilder b;
    b.AddStored("e0", "0");
    b.AddStored("d/e1", "1");
    b.AddStored("e2", "2");
    Open(b);
    const TTree written[] = {{}, {"e0"}, {"e0", "d/", "d/e1"}};
    for (int stopAt = 0; stopAt < 3; ++stopAt) {
        int calls = 0;
        FReader.SetOnProgress([&](TArcReader &, const std::string &) { return calls++ == stopAt; });
        FReader.ExtractAll(Target());
        EXPECT_EQ(calls, stopAt + 1);
        EXPECT_EQ(Tree(), written[stopAt]) << "stopped at " << stopAt;
        if (stopAt == 0) {
            EXPECT_FALSE(fs::exists(Target()));
        }
        fs::remove_all(Target());
    }
}

TEST_F(TExtractAllTest, archiveWithNoEntriesCreatesNothing)
{
    Open(TArchiveBuilder());
    bool called = false;
    FReader.SetOnProgress([&](TArcReader &, const std::string &) { return called = true; });
    FReader.ExtractAll(Target());
    EXPECT_FALSE(called);
    EXPECT_FALSE(fs::exists(Target()));
}

TEST_F(TExtractAllTest, laterEntryOfTheSameNameWins)
{
    TArchiveBuilder b;
    b.AddStored("same.txt", "earlier and longer");
    b.AddCompressed("same.txt", {"later"});
    Open(b);
    FReader.ExtractAll(Target());
    EXPECT_EQ(ReadFile(Target() + "/same.txt"), "later");
}

TEST_F(TExtractAllTest, namesEndingInSeparatorAreFolders)
{
    TArchiveBuilder b;
    b.AddStored("empty/", "data of a folder entry");
    b.AddStored("a/b/", "");
    b.AddCompressed("", {"unnamed"});
    b.AddStored("a/b/file", "f");
    Open(b);
    std::vector<std::string> seen;
    FReader.SetOnProgress([&](TArcReader &, const std::string &Name) {
        seen.push_back(Name);
        return false;
    });
    FReader.ExtractAll(Target());
    EXPECT_EQ(seen, (std::vector<std::string>{"empty/", "a/b/", "", "a/b/file"}));
    EXPECT_EQ(Tree(), (TTree{"empty/", "a/", "a/b/", "a/b/file"}));

    // Extracted one by one to a name of the caller's choice, the data is there.
    FReader.ExtractFile(0, FDir / "chosen");
    EXPECT_EQ(ReadFile(FDir / "chosen"), "data of a folder entry");
}

TEST_F(TExtractAllTest, relativeTargetsOfAnyLength)
{
    TArchiveBuilder b;
    b.AddStored("n1/x.txt", "x");
    b.AddStored("ab/c/d.txt", "d");
    b.AddStored("/e.txt", "e");
    Open(b);
    TCurrentFolder here(FDir.Path());
    for (const char *relative : {"n1", "out", "n1/n2", "./o"}) {
        FReader.ExtractAll(relative);
        EXPECT_EQ(TreeOf(relative),
                  (TTree{"n1/", "n1/x.txt", "ab/", "ab/c/", "ab/c/d.txt", "e.txt"}))
            << relative;
        fs::remove_all(*fs::path(relative).lexically_normal().begin());
    }
    // An empty target is the current folder; "/e.txt" stays inside it.
    FReader.ExtractAll("");
    EXPECT_EQ(ReadFile("e.txt"), "e");
    EXPECT_EQ(ReadFile("ab/c/d.txt"), "d");
}

TEST_F(TExtractAllTest, chosenEntriesAloneAreReportedAndWritten)
{
    TArchiveBuilder b;
    b.AddStored("../skipped", "x");
    b.AddStored("a/one", "1");
    b.AddStored("b/skipped", "x");
    b.AddStored("two", "2");
    b.AddStored("../chosen", "x");
    Open(b);
    std::vector<std::string> seen;
    FReader.SetOnProgress([&](TArcReader &, const std::string &Name) {
        seen.push_back(Name);
        return false;
    });
    const std::int32_t chosen[] = {1, 3};
    FReader.ExtractAll(Target(), chosen);
    EXPECT_EQ(seen, (std::vector<std::string>{"a/one", "two"}));
    EXPECT_EQ(Tree(), (TTree{"a/", "a/one", "two"}));

    const std::int32_t refused[] = {3, 4};
    ExpectError<EPathError>([&] { FReader.ExtractAll(Target(), refused); },
                            "Eintrag ../chosen liegt außerhalb des Zielordners");
}

TEST_F(TExtractAllTest, testFileFailsWhereExtractAllFailsAndWritesNothing)
{
    const std::function<void(TArchiveBuilder &)> entries[] = {
        [](TArchiveBuilder &B) {
            B.AddCompressed("fine", {"a", "b"});
        },
        [](TArchiveBuilder &B) { B.AddStored("folder/", ""); },
        [](TArchiveBuilder &B) { B.AddOther("other", 7, 10); },
        [](TArchiveBuilder &B) { B.AddStored("a/../../up", "x"); },
        [](TArchiveBuilder &B) {
            B.AddCompressedRaw("damaged", {{"not zlib", 5}}, 5);
        },
        [](TArchiveBuilder &B) {
            B.AddStored("cut", "x");
            B.OverrideEntry(0, 3, 1000000);
        },
        [](TArchiveBuilder &B) {
            B.AddCompressed("parts outside", {"x"});
            B.OverrideEntry(0, 8, 1);
        },
    };
    const auto failure = [](const std::function<void()> &Action) -> std::string {
        try {
            Action();
        } catch (const Exception &e) {
            return e.Message();
        }
        return "";
    };
    for (const auto &add : entries) {
        TArchiveBuilder b;
        add(b);
        Open(b);
        const std::string tested = failure([&] { FReader.TestFile(0); });
        EXPECT_EQ(TreeOf(FDir.Path()), TTree{"a.arc"}) << b.Name(0);
        EXPECT_EQ(tested, failure([&] { FReader.ExtractAll(Target()); })) << b.Name(0);
        fs::remove_all(Target());
    }

    // Too long for a path below any folder: only the message differs.
    TArchiveBuilder b;
    b.AddStored(std::string(5000, 'n'), "x");
    Open(b);
    ExpectError<EFCreateError>([&] { FReader.TestFile(0); },
                               "Datei " + std::string(5000, 'n') + " kann nicht erstellt werden");
}

namespace {

class TPathTraversal : public TExtractAllTest, public ::testing::WithParamInterface<const char *>
{
};

} // namespace

TEST_P(TPathTraversal, isRefusedBeforeAnyFolderIsMade)
{
    const std::string name = GetParam();
    TArchiveBuilder b;
    b.AddStored("before.txt", "b");
    b.AddStored(name, "escaped");
    b.AddStored("after.txt", "a");
    Open(b);
    std::vector<std::string> seen;
    FReader.SetOnProgress([&](TArcReader &, const std::string &N) {
        seen.push_back(N);
        return false;
    });
    ExpectError<EPathError>([&] { FReader.ExtractAll(Target() + "/deeper"); },
                            "Eintrag " + name + " liegt außerhalb des Zielordners");
    EXPECT_EQ(seen, (std::vector<std::string>{"before.txt", name}));
    EXPECT_EQ(TreeOf(FDir.Path()), (TTree{"a.arc", "t/", "t/deeper/", "t/deeper/before.txt"}));
}

INSTANTIATE_TEST_SUITE_P(ExtractAll, TPathTraversal,
                         ::testing::Values("../a.txt", "..", "../", "../../up/x", "a/../../b.txt",
                                           "new/../../x.txt", "new/../x.txt", "a/..", "/../a.txt",
                                           "a//../b", "a/../"));

#ifdef _WIN32
TEST_F(TExtractAllTest, namesWindowsCannotReachByPathAreRefused)
{
    // "\\" separates on Windows too; paths drop trailing dots and spaces,
    // take a colon for a drive or a stream, and a device name for the device.
    const std::pair<std::string, bool> names[] = {
        {"a\\..\\b", true}, {"a..", false},        {".../b", false},    {"a/...", false},
        {"dot./x", false},  {"space ", false},     {"c:/x.txt", false}, {"x.txt:stream", false},
        {"nul", false},     {"d/COM1.txt", false}, {"wild*", false},    {"tab\there", false},
    };
    for (const auto &[name, leaves] : names) {
        TArchiveBuilder b;
        b.AddStored(name, name);
        Open(b);
        if (leaves)
            EXPECT_THROW(FReader.ExtractAll(Target()), EPathError) << name;
        else
            EXPECT_THROW(FReader.ExtractAll(Target()), EFCreateError) << name;
        fs::remove_all(Target());
    }
    EXPECT_EQ(TreeOf(FDir.Path()), TTree{"a.arc"});
}
#endif

TEST_F(TExtractAllTest, namesThatOnlyLookLikeParentsStayInside)
{
#ifdef _WIN32
    TArchiveBuilder b;
    for (const char *name : {"..a", "./c.txt", "d/./e", ".x/.y"})
        b.AddStored(name, name);
    Open(b);
    FReader.ExtractAll(Target());
    EXPECT_EQ(TreeOf(FDir.Path()),
              (TTree{"a.arc", "t/", "t/..a", "t/c.txt", "t/d/", "t/d/e", "t/.x/", "t/.x/.y"}));
#else
    TArchiveBuilder b;
    for (const char *name : {"..a", "a..", ".../b", "a/...", "a\\..\\b", "./c.txt", "d/./e"})
        b.AddStored(name, name);
    Open(b);
    FReader.ExtractAll(Target());
    EXPECT_EQ(TreeOf(FDir.Path()),
              (TTree{"a.arc", "t/", "t/..a", "t/a..", "t/.../", "t/.../b", "t/a/", "t/a/...",
                     "t/a\\..\\b", "t/c.txt", "t/d/", "t/d/e"}));
    EXPECT_EQ(ReadFile(Target() + "/a\\..\\b"), "a\\..\\b");
#endif
}

namespace {

struct TRunError
{
    const char *Label;
    std::function<void(TArchiveBuilder &)> AddFailing; // adds the failing entry
    std::string Message;                               // "%t" stands for the target folder
    friend void PrintTo(const TRunError &E, std::ostream *Out) { *Out << E.Label; }
};

class TFirstErrorEndsTheRun : public TExtractAllTest,
                              public ::testing::WithParamInterface<TRunError>
{
};

const TRunError RunErrors[] = {
    {"folder blocked by a file",
     [](TArchiveBuilder &B) {
         B.AddStored("blocker", "file");
         B.AddStored("blocker/inside.txt", "x");
     },
     "Datei %t/blocker/inside.txt kann nicht erstellt werden"},
    {"folder in the file's place",
     [](TArchiveBuilder &B) {
         B.AddStored("place/x", "x");
         B.AddStored("place", "file");
     },
     "Datei %t/place kann nicht erstellt werden"},
    {"deeply nested name",
     [](TArchiveBuilder &B) {
         std::string name;
         for (int level = 0; level < 100000; ++level)
             name += "d/";
         B.AddStored(name + "f", "x");
     },
     ""},
    {"folder entry blocked by a file",
     [](TArchiveBuilder &B) {
         B.AddStored("blocker", "file");
         B.AddStored("blocker/sub/", "");
     },
     "Datei %t/blocker/sub/ kann nicht erstellt werden"},
    {"damaged part",
     [](TArchiveBuilder &B) {
         B.AddCompressedRaw("b\xe4"
                            "d",
                            {{"not a zlib stream", 10}}, 10);
     },
     "Daten von bäd sind beschädigt"},
    {"name leading out of the target", [](TArchiveBuilder &B) { B.AddStored("../caf\xe9", "x"); },
     "Eintrag ../café liegt außerhalb des Zielordners"},
    {"stored data past the end",
     [](TArchiveBuilder &B) {
         B.AddStored("cut", "x");
         B.OverrideEntry(B.EntryCount() - 1, 3, 1000000);
     },
     "Stream-Lesefehler"},
};

} // namespace

TEST_P(TFirstErrorEndsTheRun, keepsTheEntriesBefore)
{
    TArchiveBuilder b;
    b.AddStored("first.txt", "1");
    GetParam().AddFailing(b);
    b.AddStored("after.txt", "2");
    Open(b);
    int calls = 0;
    FReader.SetOnProgress([&](TArcReader &, const std::string &) { return ++calls, false; });
    try {
        FReader.ExtractAll(Target());
        ADD_FAILURE() << "no error";
    } catch (const Exception &e) {
        std::string expected = GetParam().Message;
        // The path of a file that cannot be made has the system's separators.
        if (expected.starts_with("Datei %t"))
            std::replace(expected.begin(), expected.end(), '/', PathDelim);
        if (const auto at = expected.find("%t"); at != std::string::npos)
            expected.replace(at, 2, Target());
        if (!expected.empty())
            EXPECT_EQ(e.Message(), expected);
        else
            EXPECT_NE(dynamic_cast<const EFCreateError *>(&e), nullptr) << e.what();
    }
    EXPECT_EQ(calls, b.EntryCount() - 1);
    EXPECT_EQ(ReadFile(Target() + "/first.txt"), "1");
    EXPECT_FALSE(fs::exists(Target() + "/after.txt"));
}

INSTANTIATE_TEST_SUITE_P(ExtractAll, TFirstErrorEndsTheRun, ::testing::ValuesIn(RunErrors),
                         TLabelName());

namespace {

// What stands at an entry's place before the run; outside holds victim.txt.
struct TInPlace
{
    const char *Label;
    std::function<void(const fs::path &Place, const fs::path &Outside)> Make;
    friend void PrintTo(const TInPlace &P, std::ostream *Out) { *Out << P.Label; }
};

const TInPlace InPlaces[] = {
#ifndef _WIN32 // links there need a privilege (and wine makes none); no FIFOs
    {"link to a file outside",
     [](const fs::path &Place, const fs::path &Outside) {
         fs::create_symlink(Outside / "victim.txt", Place);
     }},
    {"dangling link",
     [](const fs::path &Place, const fs::path &Outside) {
         fs::create_symlink(Outside / "made.txt", Place);
     }},
    {"FIFO", [](const fs::path &Place, const fs::path &) { ::mkfifo(Place.c_str(), 0600); }},
    {"link to a folder outside",
     [](const fs::path &Place, const fs::path &Outside) {
         fs::create_directory_symlink(Outside, Place);
     }},
#endif
    {"hard link",
     [](const fs::path &Place, const fs::path &Outside) {
         fs::create_hard_link(Outside / "victim.txt", Place);
     }},
};

class TReplacedAtTheEntrysPlace : public TExtractAllTest,
                                  public ::testing::WithParamInterface<TInPlace>
{
};

} // namespace

TEST_P(TReplacedAtTheEntrysPlace, byANewFileWhileNothingOutsideChanges)
{
    const fs::path outside = FDir.Path() / "o";
    const fs::path place = FDir.Path() / "t/f.txt";
    fs::create_directories(FDir.Path() / "t");
    fs::create_directory(outside);
    WriteFile(outside / "victim.txt", "victim");
    TArchiveBuilder b;
    b.AddCompressed("f.txt", {"new"});
    Open(b);
    for (const bool unnamed : {true, false}) {
        const std::optional<TNoUnnamedFiles> marked =
            unnamed ? std::nullopt : std::make_optional<TNoUnnamedFiles>();
        fs::remove(place);
        GetParam().Make(place, outside);
        FReader.ExtractAll(Target());
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(place)));
        EXPECT_EQ(fs::hard_link_count(place), 1u);
        EXPECT_EQ(ReadFile(place), "new");
        EXPECT_EQ(TreeOf(FDir.Path() / "t"), TTree{"f.txt"});
        EXPECT_EQ(TreeOf(outside), TTree{"victim.txt"});
        EXPECT_EQ(ReadFile(outside / "victim.txt"), "victim");
    }
}

INSTANTIATE_TEST_SUITE_P(ExtractAll, TReplacedAtTheEntrysPlace, ::testing::ValuesIn(InPlaces),
                         TLabelName());

TEST_F(TExtractAllTest, linksInPlaceOfFoldersAreFollowedOnlyWhereTheRunFoundThem)
{
#ifdef _WIN32
    GTEST_SKIP() << "links there need a privilege, and wine makes none";
#else
    const fs::path outside = FDir.Path() / "o";
    fs::create_directories(outside / "real");
    fs::create_directories(FDir.Path() / "t");
    fs::create_directory_symlink(outside / "real", FDir.Path() / "t/moved");
    TArchiveBuilder b;
    b.AddStored("moved/x.txt", "through the user's link");
    b.AddStored("made/first", "1");
    b.AddStored("other/x", "x");
    b.AddStored("made/second", "2");
    Open(b);
    FReader.SetOnProgress([&](TArcReader &, const std::string &Name) {
        if (Name == "made/second") { // the folder the run made becomes a link
            fs::remove_all(FDir.Path() / "t/made");
            fs::create_directory_symlink(outside, FDir.Path() / "t/made");
        }
        return false;
    });
    ExpectError<EFCreateError>([&] { FReader.ExtractAll(Target()); },
                               "Datei " + Target() + "/made/second kann nicht erstellt werden",
                               "a link in place of a folder this extraction made");
    EXPECT_EQ(ReadFile(outside / "real/x.txt"), "through the user's link");
    EXPECT_EQ(TreeOf(outside), (TTree{"real/", "real/x.txt"}));
#endif
}

TEST_F(TExtractAllTest, neverReplacesTheOpenArchive)
{
    TArchiveBuilder b;
    b.AddStored("a.arc", "in the archive's place");
    Open(b);
    fs::create_hard_link(FDir / "a.arc", FDir / "hard.arc");
    for (const bool unnamed : {true, false}) {
        const std::optional<TNoUnnamedFiles> marked =
            unnamed ? std::nullopt : std::make_optional<TNoUnnamedFiles>();
        ExpectError<EFCreateError>([&] { FReader.ExtractAll(FDir.Path().string()); },
                                   "Datei " + FDir / "a.arc" + " kann nicht erstellt werden",
                                   "it is the open archive");
        EXPECT_EQ(ReadFile(FDir / "a.arc"), b.Build());
        EXPECT_EQ(TreeOf(FDir.Path()), (TTree{"a.arc", "hard.arc"}));
    }
}

namespace {

struct TNameCase
{
    const char *Label;
    const char *Locale;
    std::vector<std::string> Names;
    TTree Tree;
    // Where the first entry's name starts instead, when not at its own name.
    int FirstNameOffset = -1;
    friend void PrintTo(const TNameCase &C, std::ostream *Out) { *Out << C.Label; }
};

class TNamesOnDisk : public TExtractAllTest, public ::testing::WithParamInterface<TNameCase>
{
};

const TNameCase NameCases[] = {
    {"code page names decoded",
     "C.UTF-8",
     {"caf\xe9.txt", "Gel\xe4nde/Stra\337e.tex"},
     {"café.txt", "Gelände/", "Gelände/Straße.tex"}},
    {"UTF-8 names kept",
     "C.UTF-8",
     {"Stra\xc3\237e.tex", "\xc3\xa4/b"},
     {"Straße.tex", "ä/", "ä/b"}},
    {"one name not UTF-8 decides",
     "C.UTF-8",
     {"Stra\xc3\237e.tex", "caf\xe9"},
     {"StraÃŸe.tex", "café"}},
    {"Russian locale", "ru_RU.UTF-8", {"\xcf\xf0\xe8/x"}, {"При/", "При/x"}},
    {"undefined byte", "C.UTF-8", {"a\x81"}, {"a\u0081"}},
    {"name that starts inside a character", "C.UTF-8", {"\xc3\xa4x"}, {"¤x"}, 1},
    {"ill-formed bytes that no entry points at", "C.UTF-8", {"\xe9", "ok\xc3\xa4"}, {"okä"}, 2},
};

} // namespace

TEST_P(TNamesOnDisk, areTheDecodedStoredNames)
{
    const TNameCase &c = GetParam();
#ifdef _WIN32
    if (std::string_view(c.Locale) != "C.UTF-8")
        GTEST_SKIP() << "Windows reports its code page itself, whatever the locale";
#endif
    TLocaleEnvironment pinned(c.Locale);
    TArchiveBuilder b;
    for (const std::string &name : c.Names)
        b.AddStored(name, "data");
    if (c.FirstNameOffset >= 0)
        b.OverrideEntry(0, 10, static_cast<std::uint32_t>(c.FirstNameOffset));
    Open(b);
    FReader.ExtractAll(Target());
    EXPECT_EQ(Tree(), c.Tree);
    if (c.FirstNameOffset < 0) {
        EXPECT_EQ(FReader.GetFileName(0), c.Names[0]); // the reader hands out the stored bytes
    }
}

INSTANTIATE_TEST_SUITE_P(ExtractAll, TNamesOnDisk, ::testing::ValuesIn(NameCases), TLabelName());

// Links need a privilege on Windows, which wine does not grant.
#ifndef _WIN32
namespace {

// Gives a link to another user, as a link planted in a shared folder belongs
// to whoever planted it. Only root can do that; false when it cannot be done.
bool GiveToAnotherUser(const fs::path &Link)
{
    constexpr uid_t Nobody = 65534;
    return ::geteuid() != Nobody && ::lchown(Link.c_str(), Nobody, Nobody) == 0;
}

// A link below the target: in "t" beside the folder "o/real" outside it.
struct TLinkCase
{
    const char *Label;
    // Before the run, or (when PlantAt is set) when the handler is called for
    // the entry PlantAt.
    std::function<void(const fs::path &Target, const fs::path &Real)> Plant;
    const char *PlantAt;
    // The link is planted by another user: it must not be followed.
    bool Foreign;
    friend void PrintTo(const TLinkCase &C, std::ostream *Out) { *Out << C.Label; }
};

// Puts a link to To in the place of the folder At.
void LinkInPlace(const fs::path &To, const fs::path &At)
{
    fs::remove_all(At);
    fs::create_directory_symlink(To, At);
}

const TLinkCase LinkCases[] = {
    {"link planted between two entries",
     [](const fs::path &Target, const fs::path &Real) { LinkInPlace(Real, Target / "sub"); },
     "sub/x.txt", true},
    {"link inside a folder that stood before",
     [](const fs::path &Target, const fs::path &Real) { LinkInPlace(Real, Target / "pre/sub"); },
     nullptr, true},
    {"folder that stood before swapped for a link",
     [](const fs::path &Target, const fs::path &Real) { LinkInPlace(Real, Target / "pre/sub"); },
     "pre/sub/x.txt", true},
    {"relative link",
     [](const fs::path &Target, const fs::path &) {
         LinkInPlace("../../o/real", Target / "pre/sub");
     },
     nullptr, true},
    {"the user's own link",
     [](const fs::path &Target, const fs::path &Real) { LinkInPlace(Real, Target / "pre/sub"); },
     nullptr, false},
    {"the user's own relative link",
     [](const fs::path &Target, const fs::path &) {
         LinkInPlace("../../o/real", Target / "pre/sub");
     },
     nullptr, false},
};

class TLinkBelowTheTarget : public TExtractAllTest, public ::testing::WithParamInterface<TLinkCase>
{
};

} // namespace

TEST_P(TLinkBelowTheTarget, isFollowedOnlyWhenItIsTheUsersOwn)
{
    const TLinkCase &c = GetParam();
    const fs::path target = FDir.Path() / "t";
    const fs::path real = FDir.Path() / "o/real";
    fs::create_directories(real);
    fs::create_directories(target / "pre/sub");
    TArchiveBuilder b;
    b.AddStored("first.txt", "1");
    b.AddStored(c.PlantAt ? c.PlantAt : "pre/sub/x.txt", "through the link");
    b.AddStored("last.txt", "3");
    Open(b);
    const auto plant = [&] {
        c.Plant(target, real);
        const fs::path link =
            c.PlantAt ? target / fs::path(c.PlantAt).parent_path() : target / "pre/sub";
        ASSERT_TRUE(fs::is_symlink(link));
        if (c.Foreign && !GiveToAnotherUser(link))
            GTEST_SKIP() << "only root can give a link to another user";
    };
    if (!c.PlantAt) {
        plant();
        if (IsSkipped())
            return;
    }
    FReader.SetOnProgress([&](TArcReader &, const std::string &Name) {
        if (c.PlantAt && Name == c.PlantAt)
            plant();
        return false;
    });
    if (!c.Foreign) {
        FReader.ExtractAll(Target());
        EXPECT_EQ(ReadFile(real / "x.txt"), "through the link");
        EXPECT_EQ(ReadFile(target / "last.txt"), "3");
        return;
    }
    ExpectError<EFCreateError>([&] { FReader.ExtractAll(Target()); },
                               "Datei " + Target() + "/" + b.Name(1) +
                                   " kann nicht erstellt werden",
                               "a link that belongs to another user");
    if (IsSkipped())
        return;
    EXPECT_TRUE(fs::is_empty(real));
    EXPECT_EQ(ReadFile(target / "first.txt"), "1");
    EXPECT_FALSE(fs::exists(target / "last.txt"));
}

INSTANTIATE_TEST_SUITE_P(ExtractAll, TLinkBelowTheTarget, ::testing::ValuesIn(LinkCases),
                         TLabelName());

TEST_F(TExtractAllTest, targetFolderIsTakenAsTheUserNamedItLinksAndAll)
{
    const fs::path real = FDir.Path() / "o/real";
    fs::create_directories(real);
    fs::create_directory_symlink(real, FDir.Path() / "t");
    ASSERT_TRUE(GiveToAnotherUser(FDir.Path() / "t") || ::geteuid() != 0);
    TArchiveBuilder b;
    b.AddStored("d/x.txt", "x");
    Open(b);
    FReader.ExtractAll(Target() + "/");
    EXPECT_EQ(ReadFile(real / "d/x.txt"), "x");
}
#endif

namespace {

#ifndef _WIN32
// Limits the size of any file this process writes; writing past it fails
// with "File too large" instead of ending the process.
class TFileSizeLimit final
{
public:
    explicit TFileSizeLimit(rlim_t Bytes) : FPreviousHandler(::signal(SIGXFSZ, SIG_IGN))
    {
        ::getrlimit(RLIMIT_FSIZE, &FPrevious);
        const rlimit limit = {Bytes, FPrevious.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &FPrevious);
        ::signal(SIGXFSZ, FPreviousHandler);
    }
    TFileSizeLimit(const TFileSizeLimit &) = delete;
    TFileSizeLimit &operator=(const TFileSizeLimit &) = delete;

private:
    rlimit FPrevious = {};
    sighandler_t FPreviousHandler;
};
#endif

// An entry "f.bin" that fails after its file was begun.
struct TFailedEntry
{
    const char *Label;
    std::function<void(TArchiveBuilder &)> Add;
    std::string Message;
    std::function<std::unique_ptr<void, void (*)(void *)>()> Fault = [] {
        return std::unique_ptr<void, void (*)(void *)>(nullptr, [](void *) {});
    };
    friend void PrintTo(const TFailedEntry &E, std::ostream *Out) { *Out << E.Label; }
};

template <typename TFault, typename... TArgs>
std::unique_ptr<void, void (*)(void *)> Fault(TArgs... Args)
{
    return {new TFault(Args...), [](void *Fault) { delete static_cast<TFault *>(Fault); }};
}

const std::string Big(150000, 'b');

const TFailedEntry FailedEntries[] = {
    {"damaged part",
     [](TArchiveBuilder &B) {
         B.AddCompressedRaw("f.bin", {{Deflate("first part"), 10}, {"not zlib", 10}}, 20);
     },
     "Daten von f.bin sind beschädigt"},
    {"part range outside the table",
     [](TArchiveBuilder &B) {
         B.AddCompressed("f.bin", {"x"});
         B.OverrideEntry(B.EntryCount() - 1, 7, 5);
     },
     "Fehler bei Bereichsprüfung"},
    {"stored entry past the end of the file",
     [](TArchiveBuilder &B) {
         B.AddStored("f.bin", Big);
         B.OverrideEntry(B.EntryCount() - 1, 3, 5000000);
     },
     "Stream-Lesefehler"},
#ifndef _WIN32
    {"write that fails midway", [](TArchiveBuilder &B) { B.AddStored("f.bin", Big); },
     "Stream-Schreibfehler", [] { return Fault<TFileSizeLimit>(rlim_t{100000}); }},
#endif
    {"close that reports lost data", [](TArchiveBuilder &B) { B.AddStored("f.bin", Big); },
     "Stream-Schreibfehler", [] { return Fault<TFailingClose>(); }},
};

class TFailedEntryKeepsItsName : public TExtractAllTest,
                                 public ::testing::WithParamInterface<TFailedEntry>
{
};

} // namespace

TEST_P(TFailedEntryKeepsItsName, asItWasAndLeavesNoTemporaryFile)
{
    const fs::path place = FDir.Path() / "t/d/f.bin";
    TArchiveBuilder b;
    GetParam().Add(b);
    b.AddStored("after.txt", "never");
    Open(b);
    fs::create_directories(place.parent_path());
    for (const bool unnamed : {true, false}) {
        for (const bool old : {true, false}) {
            const std::optional<TNoUnnamedFiles> marked =
                unnamed ? std::nullopt : std::make_optional<TNoUnnamedFiles>();
            fs::remove(place);
            if (old)
                WriteFile(place, "old");
            FReader.SetOnProgress([&](TArcReader &, const std::string &Name) {
                EXPECT_TRUE(Name != "f.bin" || fs::exists(place) == old);
                return false;
            });
            {
                const auto fault = GetParam().Fault();
                try {
                    FReader.ExtractAll(Target() + "/d");
                    ADD_FAILURE() << "no error";
                } catch (const Exception &e) {
                    EXPECT_EQ(e.Message(), GetParam().Message);
                }
            }
            const std::string label = std::string(unnamed ? "unnamed" : "marked") +
                                      (old ? ", over an old file" : ", over nothing");
            const TTree expected = old ? TTree{"f.bin"} : TTree{};
            EXPECT_EQ(TreeOf(place.parent_path()), expected) << label;
            if (old) {
                EXPECT_EQ(ReadFile(place), "old") << label;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ExtractAll, TFailedEntryKeepsItsName, ::testing::ValuesIn(FailedEntries),
                         TLabelName());

TEST_F(TExtractAllTest, finishedEntryReplacesTheOldFileEitherWay)
{
    TArchiveBuilder b;
    b.AddStored("a.txt", "new a");
    b.AddCompressed("d/b.txt", {"new ", "b"});
    Open(b);
    for (const bool unnamed : {true, false}) {
        const std::optional<TNoUnnamedFiles> marked =
            unnamed ? std::nullopt : std::make_optional<TNoUnnamedFiles>();
        fs::create_directories(Target() + "/d");
        WriteFile(Target() + "/a.txt", "an old and longer a");
        FReader.ExtractAll(Target());
        EXPECT_EQ(Tree(), (TTree{"a.txt", "d/", "d/b.txt"}));
        EXPECT_EQ(ReadFile(Target() + "/a.txt"), "new a");
        EXPECT_EQ(ReadFile(Target() + "/d/b.txt"), "new b");
        fs::remove_all(Target());
    }
}

namespace {

// Names that cannot all be made below an empty folder, and the entries that
// fail for it.
struct TUnmakeableNames
{
    const char *Label;
    std::vector<std::string> Names;
    std::vector<int> Failing;
    friend void PrintTo(const TUnmakeableNames &N, std::ostream *Out) { *Out << N.Label; }
};

std::string LongPath()
{
    std::string path;
    for (int level = 0; level < 17; ++level)
        path += std::string(250, 'p') + "/";
    return path + "f";
}

const TUnmakeableNames UnmakeableNames[] = {
    {"file, then a file in a folder of its name", {"a", "a/b.txt"}, {1}},
    {"file in a folder, then a file of the folder's name", {"a/b.txt", "a"}, {1}},
    {"folder entry, then a file of its name", {"a/", "a"}, {1}},
    {"file, then a folder entry below it", {"a", "a/sub/"}, {1}},
    {"file in the way of deeper levels", {"x.txt", "a", "a/b/c.txt", "a/b/"}, {2, 3}},
    {"names spelt differently", {"x//y", "./x/y/z"}, {1}},
    {"a file that failed is no obstacle", {"a/x", "a", "a/y"}, {1}},
    {"a folder that failed is no obstacle", {"a", "a/x", "a"}, {1}},
    {"the same file twice", {"a", "a", "b/c", "b/d"}, {}},
    {"dot names", {"ok/./fine", "sub/.", ".", "./", "sub/./"}, {1, 2}},
    {"name longer than a name may be",
     {std::string(256, 'n'), std::string(255, 'm'), "d/" + std::string(256, 'n') + "/x"},
     {0, 2}},
    {"path longer than a path may be", {"short", LongPath()}, {1}},
#ifdef _WIN32 // names that differ in case alone are one name there
    {"file, then a folder of its name in another case", {"a", "A/b.txt"}, {1}},
    {"folder, then a file of its name in another case", {"A/b.txt", "a"}, {1}},
#else
    {"file, then a folder of its name in another case", {"a", "A/b.txt"}, {}},
    {"folder, then a file of its name in another case", {"A/b.txt", "a"}, {}},
#endif
};

class TNamesThatCannotBeMade : public TExtractAllTest,
                               public ::testing::WithParamInterface<TUnmakeableNames>
{
};

} // namespace

TEST_P(TNamesThatCannotBeMade, failTestFileAsTheyFailExtractAll)
{
    const TUnmakeableNames &c = GetParam();
    TArchiveBuilder b;
    for (const std::string &name : c.Names)
        b.AddStored(name, "x");
    Open(b);
    std::vector<int> failing;
    std::string firstReason;
    for (int i = 0; i < b.EntryCount(); ++i) {
        try {
            FReader.TestFile(i);
        } catch (const EFCreateError &e) {
            failing.push_back(i);
            EXPECT_EQ(WithSlashes(e.Message()),
                      "Datei " + c.Names[i] + " kann nicht erstellt werden");
            EXPECT_FALSE(e.Reason().empty()) << c.Names[i];
            if (failing.size() == 1)
                firstReason = e.Reason();
        }
    }
    EXPECT_EQ(failing, c.Failing);
    EXPECT_EQ(TreeOf(FDir.Path()), TTree{"a.arc"});

    if (c.Failing.empty()) {
        FReader.ExtractAll(Target());
        return;
    }
    ExpectError<EFCreateError>([&] { FReader.ExtractAll(Target()); },
                               "Datei " + Target() + "/" + c.Names[c.Failing[0]] +
                                   " kann nicht erstellt werden",
                               firstReason);
}

INSTANTIATE_TEST_SUITE_P(ExtractAll, TNamesThatCannotBeMade, ::testing::ValuesIn(UnmakeableNames),
                         TLabelName());
