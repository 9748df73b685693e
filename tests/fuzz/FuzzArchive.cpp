// libFuzzer target: every input is a whole archive file. It is opened, every
// entry is listed and tested, and everything is extracted into a fresh folder
// (with one thread or two); nothing may land outside that folder.
#include "ArcErrors.h"
#include "uArcReader.h"

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <set>
#include <sys/resource.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// root holds the input archive and box; after a run, box may hold the target
// folder and nothing else.
struct Workspace
{
    fs::path root;
    fs::path archive;
    fs::path box;
    fs::path target;
};

fs::path scratchBase()
{
    if (fs::is_directory("/dev/shm"))
        return "/dev/shm";
    return fs::temp_directory_path();
}

Workspace &workspace()
{
    static Workspace space = [] {
        std::string pattern = (scratchBase() / "trovel-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        Workspace w;
        w.root = pattern;
        w.archive = w.root / "input.arc";
        w.box = w.root / "box";
        w.target = w.box / "t";
        fs::create_directory(w.box);
        return w;
    }();
    return space;
}

void requireOnly(const fs::path &folder, const std::set<std::string> &allowed)
{
    for (const auto &item : fs::directory_iterator(folder)) {
        if (!allowed.contains(item.path().filename().string())) {
            std::fprintf(stderr, "written outside the target folder: %s\n", item.path().c_str());
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // A small archive can inflate to a great deal; capping the size of any
    // one file makes such runs end with a write error instead of filling the
    // disk.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = 4 << 20;
    setrlimit(RLIMIT_FSIZE, &limit);
    // Registered once the workspace exists, so it runs before the workspace
    // itself is destroyed at exit.
    workspace();
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(workspace().root, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const Workspace &w = workspace();
    {
        std::ofstream out(w.archive, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    }

    trovel::TArcReader reader;
    try {
        reader.Open(w.archive.string());
    } catch (const trovel::Exception &) {
        return 0;
    }
    // Decoded in any page, even a double-byte one, a name keeps exactly its
    // separators.
    static const trovel::TNameCodec doubleByte = trovel::TNameCodec::ForCodePage(932);
    std::size_t nameBytes = 0;
    for (std::int32_t i = 0; i < reader.GetFileCount(); ++i) {
        trovel::TArcFileEntry entry{};
        reader.GetFileEntry(i, entry);
        const std::string name = reader.GetFileName(i);
        nameBytes += name.size() + entry.Size % 2;
        for (const trovel::TNameCodec *codec : {&reader.NameCodec(), &doubleByte}) {
            const std::string text = codec->ToPathText(name);
            if (std::count(text.begin(), text.end(), '/') !=
                std::count(name.begin(), name.end(), '/'))
                std::abort();
        }
    }
    (void)nameBytes;
    // Half the inputs are read in the double-byte page, where different names
    // can decode to one path.
    if (size % 2 != 0)
        reader.SetNameCodec(doubleByte);

    // Every entry reads back or fails with one of the error kinds. What the
    // entries claim bounds what they inflate to, so a budget on the claims
    // keeps entries that share their parts from inflating for ever.
    // Half the inputs run with an inflating thread beside the reading one.
    reader.SetJobs(size % 2 == 0 ? 1 : 2);
    std::vector<std::int32_t> all(static_cast<std::size_t>(reader.GetFileCount()));
    std::iota(all.begin(), all.end(), 0);
    reader.ReadAhead(all);
    std::uint64_t budget = 64 << 20;
    for (std::int32_t i = 0; i < reader.GetFileCount(); ++i) {
        const std::uint64_t claimed = reader.GetExtractedSize(i);
        if (claimed > budget)
            break;
        budget -= claimed;
        try {
            reader.TestFile(i);
        } catch (const trovel::Exception &) {
        }
    }

    reader.EndReadAhead();
    std::int32_t calls = 0;
    reader.SetOnProgress([&](trovel::TArcReader &, const std::string &) {
        ++calls;
        return false;
    });
    try {
        reader.ExtractAll(w.target.string());
    } catch (const trovel::Exception &) {
    }
    if (calls > reader.GetFileCount())
        std::abort();

    requireOnly(w.root, {"input.arc", "box"});
    requireOnly(w.box, {"t"});
    fs::remove_all(w.target);
    return 0;
}
