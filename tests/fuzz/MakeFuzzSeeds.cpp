// Writes the fuzzer's starting archives: small, and together covering every
// storage mode, several parts, folders, and the malformed cases the engine
// refuses.
#include "ArchiveBuilder.h"

#include <cstdio>
#include <exception>
#include <string>

using trovel::testing::Deflate;
using trovel::testing::TArchiveBuilder;

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-fuzz-seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    int written = 0;
    const auto save = [&](const TArchiveBuilder &b) {
        b.WriteTo(folder + "/seed-" + std::to_string(written++) + ".arc");
    };
    try {
        save(TArchiveBuilder());

        TArchiveBuilder mixed;
        mixed.AddStored("readme.txt", "a stored entry\n");
        mixed.AddCompressed("a/b/parts.bin",
                            {"first part ", "second part ", std::string(300, 'z')});
        mixed.AddOther("a/other", 2, 10);
        mixed.AddStored("a/b/", "");
        mixed.AddStored("/lead", "x");
        mixed.ScatterData(3);
        save(mixed);

        TArchiveBuilder names;
        names.AddStored("", "");
        names.AddStored("..a/b..", "dots");
        names.AddStored("../up", "refused");
        names.AddStored("x", "after");
        names.DropLastNameTerminator();
        save(names);

        TArchiveBuilder damaged;
        damaged.AddCompressedRaw("short", {{Deflate("abc"), 100}}, 100);
        damaged.AddCompressedRaw("long", {{Deflate("abcdef"), 3}}, 3);
        damaged.AddCompressedRaw("none", {}, 0);
        damaged.AddCompressedRaw("junk", {{"junk", 4}}, 4);
        save(damaged);

        TArchiveBuilder range;
        range.AddCompressed("c", {"1", "2"});
        range.OverrideEntry(0, 8, 1);
        save(range);

        TArchiveBuilder same;
        same.AddStored("dup", "first");
        same.AddStored("dup", "second");
        same.AddStored("dup/inner", "blocked by a file");
        save(same);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "make-fuzz-seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
