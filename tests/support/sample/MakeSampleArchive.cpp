// Writes a small archive with a few folders, stored and compressed entries, to
// try the tool on.
#include "ArchiveBuilder.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-sample-archive OUTPUT\n");
        return 2;
    }
    using trovel::testing::TArchiveBuilder;
    TArchiveBuilder archive;
    std::string text;
    for (int line = 1; line <= 400; ++line)
        text += "Line " + std::to_string(line) + " of the sample text.\n";

    archive.AddStored("readme.txt", "A sample archive.\n");
    archive.AddCompressed("textures/grass.tex", {text.substr(0, 5000), text.substr(5000)});
    archive.AddStored("textures/stone.tex", std::string(3000, 's'));
    archive.AddCompressed("textures/sky/clouds.tex", {text});
    archive.AddStored("sounds/wind.wav", std::string(12345, 'w'));
    archive.AddCompressed("sounds/music/theme.ogg", {text, text, text});
    archive.AddStored("maps/co-op.map", "co-op");
    archive.AddStored("maps/coop.map", "coop");
    archive.AddStored("maps/10.map", "ten");
    archive.AddStored("maps/9.map", "nine");
    // Case orders the list, but no two names differ in case alone: Windows
    // would take them for one file.
    archive.AddStored("maps/Alpha.map", "A");
    archive.AddStored("maps/alpha2.map", "a");
    archive.AddStored("config.ini", "[game]\nlevel=1\n");
    archive.ScatterData(7);
    try {
        archive.WriteTo(argv[1]);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "make-sample-archive: %s\n", e.what());
        return 1;
    }
    return 0;
}
