// Writes the inflater fuzzer's starting inputs: three bytes that choose the
// output cap, then a valid zlib stream, from every level, strategy and window
// size zlib offers, of text-like, repetitive and random data.
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <zlib.h>

namespace {

std::string Compress(const std::string &Data, int Level, int WindowBits, int Strategy)
{
    z_stream stream{};
    if (deflateInit2(&stream, Level, Z_DEFLATED, WindowBits, 8, Strategy) != Z_OK)
        return {};
    std::string out(deflateBound(&stream, Data.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(Data.data()));
    stream.avail_in = static_cast<uInt>(Data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-inflater-seeds FOLDER\n");
        return 2;
    }
    std::mt19937 random(21);
    std::string text, noise, runs;
    const char *words[] = {"archive ", "part ", "zone ", "window ", "stream ", "\n"};
    while (text.size() < 20000)
        text += words[random() % 6];
    for (int i = 0; i < 3000; ++i)
        noise += static_cast<char>(random());
    runs = std::string(5000, 'a') + std::string(70000, 'b') + text.substr(0, 500);
    const std::string data[] = {"", "x", text, noise, runs};

    int written = 0;
    for (const std::string &d : data) {
        for (int level : {0, 1, 6, 9}) {
            for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED}) {
                for (int windowBits : {9, 15}) {
                    const std::string stream = Compress(d, level, windowBits, strategy);
                    // Caps: the exact size, a few bytes, whatever is claimed.
                    const char caps[][3] = {
                        {0, static_cast<char>(d.size() >> 8), static_cast<char>(d.size())},
                        {1, 7, 0},
                        {3, 0, 0}};
                    const char *cap = caps[written % 3];
                    std::ofstream(std::string(argv[1]) + "/seed-" + std::to_string(written++),
                                  std::ios::binary)
                        << std::string(cap, 3) << stream;
                }
            }
        }
    }
    return 0;
}
