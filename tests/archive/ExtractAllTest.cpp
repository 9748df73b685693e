// Writing every entry below a target folder: folders, progress handler,
// names that would leave the folder, and errors that end the run.
#include "ArcErrors.h"
#include "ArchiveTesting.h"
#include "uArcReader.h"

#include <sys/stat.h>

using namespace trovel;
using namespace trovel::testing;

namespace {

using Tree = std::set<std::string>;

class ExtractAllTest : public ::testing::Test
{
protected:
    // The archive lies beside the target folder "t" in a private folder.
    void open(const TArchiveBuilder &b)
    {
        b.WriteTo(dir / "a.arc");
        reader.Open(dir / "a.arc");
    }
    std::string target() const { return dir / "t"; }
    Tree tree() const { return TreeOf(dir.Path() / "t"); }

    TLocaleEnvironment locale{"C.UTF-8"}; // code page 1252
    TTempDir dir;
    TArcReader reader;
};

// Changes the current folder for one test.
class CurrentFolder final
{
public:
    explicit CurrentFolder(const fs::path &path) : FPrevious(fs::current_path())
    {
        fs::current_path(path);
    }
    ~CurrentFolder() { fs::current_path(FPrevious); }

private:
    fs::path FPrevious;
};

} // namespace

TEST_F(ExtractAllTest, writesEveryEntryBelowTheTarget)
{
    TArchiveBuilder b;
    b.AddStored("top.txt", "top");
    b.AddCompressed("a/b/c.txt", {"deep ", "down"});
    b.AddStored("a/d.txt", "");
    b.AddOther("other/mode.bin", 5, 77);
    b.AddStored("/lead.txt", "leading separator");
    b.AddStored("x//y.txt", "doubled separator");
    b.ScatterData(11);
    open(b);
    reader.ExtractAll(target() + "/missing/levels");

    const fs::path out = dir.Path() / "t/missing/levels";
    EXPECT_EQ(TreeOf(out), (Tree{"top.txt", "a/", "a/b/", "a/b/c.txt", "a/d.txt", "other/",
                                 "other/mode.bin", "lead.txt", "x/", "x/y.txt"}));
    EXPECT_EQ(ReadFile(out / "top.txt"), "top");
    EXPECT_EQ(ReadFile(out / "a/b/c.txt"), "deep down");
    EXPECT_EQ(ReadFile(out / "other/mode.bin"), "");
    EXPECT_EQ(ReadFile(out / "lead.txt"), "leading separator");
    EXPECT_EQ(ReadFile(out / "x/y.txt"), "doubled separator");
}

TEST_F(ExtractAllTest, trailingSeparatorsOnTheTargetChangeNothing)
{
    TArchiveBuilder b;
    b.AddStored("f.txt", "f");
    b.AddStored("d/g.txt", "g");
    open(b);
    for (const std::string suffix : {"", "/", "//"}) {
        reader.ExtractAll(target() + suffix);
        EXPECT_EQ(tree(), (Tree{"f.txt", "d/", "d/g.txt"})) << "suffix " << suffix;
        fs::remove_all(target());
    }
}

TEST_F(ExtractAllTest, reportsEachEntryOnceBeforeMakingIt)
{
    TArchiveBuilder b;
    b.AddStored("a/b/first.txt", "1");
    b.AddOther("a/other", 9, 0);
    b.AddStored("second.txt", "2");
    open(b);
    std::vector<std::string> seen;
    reader.SetOnProgress([&](TArcReader &sender, const std::string &name) {
        EXPECT_EQ(&sender, &reader);
        EXPECT_FALSE(fs::exists(target() + "/" + name)) << name;
        if (seen.empty()) {
            EXPECT_FALSE(fs::exists(target()));
        }
        seen.push_back(name);
        return false;
    });
    reader.ExtractAll(target());
    EXPECT_EQ(seen, (std::vector<std::string>{"a/b/first.txt", "a/other", "second.txt"}));
    EXPECT_EQ(tree(), (Tree{"a/", "a/b/", "a/b/first.txt", "a/other", "second.txt"}));
}

TEST_F(ExtractAllTest, handlerThatReturnsTrueStopsBeforeThatEntry)
{
    TArchiveBuilder b;
    b.AddStored("e0", "0");
    b.AddStored("d/e1", "1");
    b.AddStored("e2", "2");
    open(b);
    const Tree written[] = {{}, {"e0"}, {"e0", "d/", "d/e1"}};
    for (int stopAt = 0; stopAt < 3; ++stopAt) {
        int calls = 0;
        reader.SetOnProgress([&](TArcReader &, const std::string &) { return calls++ == stopAt; });
        reader.ExtractAll(target());
        EXPECT_EQ(calls, stopAt + 1);
        EXPECT_EQ(tree(), written[stopAt]) << "stopped at " << stopAt;
        if (stopAt == 0) {
            EXPECT_FALSE(fs::exists(target()));
        }
        fs::remove_all(target());
    }
}

TEST_F(ExtractAllTest, archiveWithNoEntriesCreatesNothing)
{
    open(TArchiveBuilder());
    bool called = false;
    reader.SetOnProgress([&](TArcReader &, const std::string &) { return called = true; });
    reader.ExtractAll(target());
    EXPECT_FALSE(called);
    EXPECT_FALSE(fs::exists(target()));
}

TEST_F(ExtractAllTest, laterEntryOfTheSameNameWins)
{
    TArchiveBuilder b;
    b.AddStored("same.txt", "earlier and longer");
    b.AddCompressed("same.txt", {"later"});
    open(b);
    reader.ExtractAll(target());
    EXPECT_EQ(ReadFile(target() + "/same.txt"), "later");
}

TEST_F(ExtractAllTest, namesEndingInSeparatorAreFolders)
{
    TArchiveBuilder b;
    b.AddStored("empty/", "data of a folder entry");
    b.AddStored("a/b/", "");
    b.AddCompressed("", {"unnamed"});
    b.AddStored("a/b/file", "f");
    open(b);
    std::vector<std::string> seen;
    reader.SetOnProgress([&](TArcReader &, const std::string &name) {
        seen.push_back(name);
        return false;
    });
    reader.ExtractAll(target());
    EXPECT_EQ(seen, (std::vector<std::string>{"empty/", "a/b/", "", "a/b/file"}));
    EXPECT_EQ(tree(), (Tree{"empty/", "a/", "a/b/", "a/b/file"}));

    // Extracted one by one to a name of the caller's choice, the data is there.
    reader.ExtractFile(0, dir / "chosen");
    EXPECT_EQ(ReadFile(dir / "chosen"), "data of a folder entry");
}

TEST_F(ExtractAllTest, relativeTargetsOfAnyLength)
{
    TArchiveBuilder b;
    b.AddStored("n1/x.txt", "x");
    b.AddStored("ab/c/d.txt", "d");
    b.AddStored("/e.txt", "e");
    open(b);
    CurrentFolder here(dir.Path());
    for (const char *relative : {"n1", "out", "n1/n2", "./o"}) {
        reader.ExtractAll(relative);
        EXPECT_EQ(TreeOf(relative),
                  (Tree{"n1/", "n1/x.txt", "ab/", "ab/c/", "ab/c/d.txt", "e.txt"}))
            << relative;
        fs::remove_all(*fs::path(relative).lexically_normal().begin());
    }
    // An empty target is the current folder; "/e.txt" stays inside it.
    reader.ExtractAll("");
    EXPECT_EQ(ReadFile("e.txt"), "e");
    EXPECT_EQ(ReadFile("ab/c/d.txt"), "d");
}

TEST_F(ExtractAllTest, chosenEntriesAloneAreReportedAndWritten)
{
    TArchiveBuilder b;
    b.AddStored("../skipped", "x");
    b.AddStored("a/one", "1");
    b.AddStored("b/skipped", "x");
    b.AddStored("two", "2");
    b.AddStored("../chosen", "x");
    open(b);
    std::vector<std::string> seen;
    reader.SetOnProgress([&](TArcReader &, const std::string &name) {
        seen.push_back(name);
        return false;
    });
    const std::int32_t chosen[] = {1, 3};
    reader.ExtractAll(target(), chosen);
    EXPECT_EQ(seen, (std::vector<std::string>{"a/one", "two"}));
    EXPECT_EQ(tree(), (Tree{"a/", "a/one", "two"}));

    const std::int32_t refused[] = {3, 4};
    ExpectError<EPathError>([&] { reader.ExtractAll(target(), refused); },
                            "Eintrag ../chosen liegt außerhalb des Zielordners");
}

TEST_F(ExtractAllTest, testFileFailsWhereExtractAllFailsAndWritesNothing)
{
    const std::function<void(TArchiveBuilder &)> entries[] = {
        [](TArchiveBuilder &b) {
            b.AddCompressed("fine", {"a", "b"});
        },
        [](TArchiveBuilder &b) { b.AddStored("folder/", ""); },
        [](TArchiveBuilder &b) { b.AddOther("other", 7, 10); },
        [](TArchiveBuilder &b) { b.AddStored("a/../../up", "x"); },
        [](TArchiveBuilder &b) {
            b.AddCompressedRaw("damaged", {{"not zlib", 5}}, 5);
        },
        [](TArchiveBuilder &b) {
            b.AddStored("cut", "x");
            b.OverrideEntry(0, 3, 1000000);
        },
        [](TArchiveBuilder &b) {
            b.AddCompressed("parts outside", {"x"});
            b.OverrideEntry(0, 8, 1);
        },
    };
    const auto failure = [](const std::function<void()> &action) -> std::string {
        try {
            action();
        } catch (const Exception &e) {
            return e.Message();
        }
        return "";
    };
    for (const auto &add : entries) {
        TArchiveBuilder b;
        add(b);
        open(b);
        const std::string tested = failure([&] { reader.TestFile(0); });
        EXPECT_EQ(TreeOf(dir.Path()), Tree{"a.arc"}) << b.Name(0);
        EXPECT_EQ(tested, failure([&] { reader.ExtractAll(target()); })) << b.Name(0);
        fs::remove_all(target());
    }

    // Too long for a path below any folder: only the message differs.
    TArchiveBuilder b;
    b.AddStored(std::string(5000, 'n'), "x");
    open(b);
    ExpectError<EFCreateError>([&] { reader.TestFile(0); },
                               "Datei " + std::string(5000, 'n') + " kann nicht erstellt werden");
}

namespace {

class PathTraversal : public ExtractAllTest, public ::testing::WithParamInterface<const char *>
{
};

} // namespace

TEST_P(PathTraversal, isRefusedBeforeAnyFolderIsMade)
{
    const std::string name = GetParam();
    TArchiveBuilder b;
    b.AddStored("before.txt", "b");
    b.AddStored(name, "escaped");
    b.AddStored("after.txt", "a");
    open(b);
    std::vector<std::string> seen;
    reader.SetOnProgress([&](TArcReader &, const std::string &n) {
        seen.push_back(n);
        return false;
    });
    ExpectError<EPathError>([&] { reader.ExtractAll(target() + "/deeper"); },
                            "Eintrag " + name + " liegt außerhalb des Zielordners");
    EXPECT_EQ(seen, (std::vector<std::string>{"before.txt", name}));
    EXPECT_EQ(TreeOf(dir.Path()), (Tree{"a.arc", "t/", "t/deeper/", "t/deeper/before.txt"}));
}

INSTANTIATE_TEST_SUITE_P(ExtractAll, PathTraversal,
                         ::testing::Values("../a.txt", "..", "../", "../../up/x", "a/../../b.txt",
                                           "new/../../x.txt", "new/../x.txt", "a/..", "/../a.txt",
                                           "a//../b", "a/../"));

TEST_F(ExtractAllTest, namesThatOnlyLookLikeParentsStayInside)
{
    TArchiveBuilder b;
    for (const char *name : {"..a", "a..", ".../b", "a/...", "a\\..\\b", "./c.txt", "d/./e"})
        b.AddStored(name, name);
    open(b);
    reader.ExtractAll(target());
    EXPECT_EQ(TreeOf(dir.Path()),
              (Tree{"a.arc", "t/", "t/..a", "t/a..", "t/.../", "t/.../b", "t/a/", "t/a/...",
                    "t/a\\..\\b", "t/c.txt", "t/d/", "t/d/e"}));
    EXPECT_EQ(ReadFile(target() + "/a\\..\\b"), "a\\..\\b");
}

namespace {

struct RunError
{
    const char *label;
    std::function<void(TArchiveBuilder &)> addFailing; // adds the failing entry
    std::string message;                               // "%t" stands for the target folder
    friend void PrintTo(const RunError &e, std::ostream *out) { *out << e.label; }
};

class FirstErrorEndsTheRun : public ExtractAllTest, public ::testing::WithParamInterface<RunError>
{
};

const RunError RunErrors[] = {
    {"folder blocked by a file",
     [](TArchiveBuilder &b) {
         b.AddStored("blocker", "file");
         b.AddStored("blocker/inside.txt", "x");
     },
     "Datei %t/blocker/inside.txt kann nicht erstellt werden"},
    {"folder in the file's place",
     [](TArchiveBuilder &b) {
         b.AddStored("place/x", "x");
         b.AddStored("place", "file");
     },
     "Datei %t/place kann nicht erstellt werden"},
    {"deeply nested name",
     [](TArchiveBuilder &b) {
         std::string name;
         for (int level = 0; level < 100000; ++level)
             name += "d/";
         b.AddStored(name + "f", "x");
     },
     ""},
    {"folder entry blocked by a file",
     [](TArchiveBuilder &b) {
         b.AddStored("blocker", "file");
         b.AddStored("blocker/sub/", "");
     },
     "Datei %t/blocker/sub/ kann nicht erstellt werden"},
    {"damaged part",
     [](TArchiveBuilder &b) {
         b.AddCompressedRaw("b\xe4"
                            "d",
                            {{"not a zlib stream", 10}}, 10);
     },
     "Daten von bäd sind beschädigt"},
    {"name leading out of the target", [](TArchiveBuilder &b) { b.AddStored("../caf\xe9", "x"); },
     "Eintrag ../café liegt außerhalb des Zielordners"},
    {"stored data past the end",
     [](TArchiveBuilder &b) {
         b.AddStored("cut", "x");
         b.OverrideEntry(b.EntryCount() - 1, 3, 1000000);
     },
     "Stream-Lesefehler"},
};

} // namespace

TEST_P(FirstErrorEndsTheRun, keepsTheEntriesBefore)
{
    TArchiveBuilder b;
    b.AddStored("first.txt", "1");
    GetParam().addFailing(b);
    b.AddStored("after.txt", "2");
    open(b);
    int calls = 0;
    reader.SetOnProgress([&](TArcReader &, const std::string &) { return ++calls, false; });
    try {
        reader.ExtractAll(target());
        ADD_FAILURE() << "no error";
    } catch (const Exception &e) {
        std::string expected = GetParam().message;
        if (const auto at = expected.find("%t"); at != std::string::npos)
            expected.replace(at, 2, target());
        if (!expected.empty())
            EXPECT_EQ(e.Message(), expected);
        else
            EXPECT_NE(dynamic_cast<const EFCreateError *>(&e), nullptr) << e.what();
    }
    EXPECT_EQ(calls, b.EntryCount() - 1);
    EXPECT_EQ(ReadFile(target() + "/first.txt"), "1");
    EXPECT_FALSE(fs::exists(target() + "/after.txt"));
}

INSTANTIATE_TEST_SUITE_P(ExtractAll, FirstErrorEndsTheRun, ::testing::ValuesIn(RunErrors),
                         TLabelName());

namespace {

// What stands at an entry's place before the run; outside holds victim.txt.
struct InPlace
{
    const char *label;
    std::function<void(const fs::path &place, const fs::path &outside)> make;
    friend void PrintTo(const InPlace &p, std::ostream *out) { *out << p.label; }
};

const InPlace InPlaces[] = {
    {"link to a file outside",
     [](const fs::path &place, const fs::path &outside) {
         fs::create_symlink(outside / "victim.txt", place);
     }},
    {"dangling link",
     [](const fs::path &place, const fs::path &outside) {
         fs::create_symlink(outside / "made.txt", place);
     }},
    {"hard link",
     [](const fs::path &place, const fs::path &outside) {
         fs::create_hard_link(outside / "victim.txt", place);
     }},
    {"FIFO", [](const fs::path &place, const fs::path &) { ::mkfifo(place.c_str(), 0600); }},
    {"link to a folder outside",
     [](const fs::path &place, const fs::path &outside) {
         fs::create_directory_symlink(outside, place);
     }},
};

class ReplacedAtTheEntrysPlace : public ExtractAllTest,
                                 public ::testing::WithParamInterface<InPlace>
{
};

} // namespace

TEST_P(ReplacedAtTheEntrysPlace, byANewFileWhileNothingOutsideChanges)
{
    const fs::path outside = dir.Path() / "o";
    const fs::path place = dir.Path() / "t/f.txt";
    fs::create_directories(dir.Path() / "t");
    fs::create_directory(outside);
    WriteFile(outside / "victim.txt", "victim");
    GetParam().make(place, outside);
    TArchiveBuilder b;
    b.AddCompressed("f.txt", {"new"});
    open(b);
    reader.ExtractAll(target());
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(place)));
    EXPECT_EQ(fs::hard_link_count(place), 1u);
    EXPECT_EQ(ReadFile(place), "new");
    EXPECT_EQ(TreeOf(outside), Tree{"victim.txt"});
    EXPECT_EQ(ReadFile(outside / "victim.txt"), "victim");
}

INSTANTIATE_TEST_SUITE_P(ExtractAll, ReplacedAtTheEntrysPlace, ::testing::ValuesIn(InPlaces),
                         TLabelName());

TEST_F(ExtractAllTest, linksInPlaceOfFoldersAreFollowedOnlyWhereTheRunFoundThem)
{
    const fs::path outside = dir.Path() / "o";
    fs::create_directories(outside / "real");
    fs::create_directories(dir.Path() / "t");
    fs::create_directory_symlink(outside / "real", dir.Path() / "t/moved");
    TArchiveBuilder b;
    b.AddStored("moved/x.txt", "through the user's link");
    b.AddStored("made/first", "1");
    b.AddStored("other/x", "x");
    b.AddStored("made/second", "2");
    open(b);
    reader.SetOnProgress([&](TArcReader &, const std::string &name) {
        if (name == "made/second") { // the folder the run made becomes a link
            fs::remove_all(dir.Path() / "t/made");
            fs::create_directory_symlink(outside, dir.Path() / "t/made");
        }
        return false;
    });
    ExpectError<EFCreateError>([&] { reader.ExtractAll(target()); },
                               "Datei " + target() + "/made/second kann nicht erstellt werden");
    EXPECT_EQ(ReadFile(outside / "real/x.txt"), "through the user's link");
    EXPECT_EQ(TreeOf(outside), (Tree{"real/", "real/x.txt"}));
}

TEST_F(ExtractAllTest, neverReplacesTheOpenArchive)
{
    TArchiveBuilder b;
    b.AddStored("a.arc", "in the archive's place");
    open(b);
    ExpectError<EFCreateError>([&] { reader.ExtractAll(dir.Path().string()); },
                               "Datei " + dir / "a.arc" + " kann nicht erstellt werden");
    EXPECT_EQ(ReadFile(dir / "a.arc"), b.Build());
}

namespace {

struct NameCase
{
    const char *label;
    const char *locale;
    std::vector<std::string> names;
    Tree tree;
    // Where the first entry's name starts instead, when not at its own name.
    int firstNameOffset = -1;
    friend void PrintTo(const NameCase &c, std::ostream *out) { *out << c.label; }
};

class NamesOnDisk : public ExtractAllTest, public ::testing::WithParamInterface<NameCase>
{
};

const NameCase NameCases[] = {
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

TEST_P(NamesOnDisk, areTheDecodedStoredNames)
{
    const NameCase &c = GetParam();
    TLocaleEnvironment pinned(c.locale);
    TArchiveBuilder b;
    for (const std::string &name : c.names)
        b.AddStored(name, "data");
    if (c.firstNameOffset >= 0)
        b.OverrideEntry(0, 10, static_cast<std::uint32_t>(c.firstNameOffset));
    open(b);
    reader.ExtractAll(target());
    EXPECT_EQ(tree(), c.tree);
    if (c.firstNameOffset < 0) {
        EXPECT_EQ(reader.GetFileName(0), c.names[0]); // the reader hands out the stored bytes
    }
}

INSTANTIATE_TEST_SUITE_P(ExtractAll, NamesOnDisk, ::testing::ValuesIn(NameCases), TLabelName());
