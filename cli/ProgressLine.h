#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace trovel {

class TCliStream;

// The one-line progress display of extract-all on a terminal: entry count,
// percentage and current name, redrawn in place and cut to the terminal's
// width. On anything but a terminal, or when not Enabled, it shows nothing.
class TProgressLine final
{
public:
    TProgressLine(TCliStream &Stream, bool Enabled);
    TProgressLine(const TProgressLine &) = delete;
    TProgressLine &operator=(const TProgressLine &) = delete;

    // Entry Index (0-based) of Count is about to be extracted. Redraws at most
    // a few times a second, so a run over many small entries is not slowed by
    // the terminal.
    void Show(std::int32_t Index, std::int32_t Count, std::string_view Name);
    // Whether the line is shown at all: only on a terminal.
    bool Active() const { return FActive; }
    // Erases the line, leaving the terminal as it was.
    void Clear();
    // Draws the latest state and ends the line, so it stays visible above
    // whatever is printed next.
    void Keep();

    // The text of one state, at most Width columns wide. Bytes that are not
    // printable characters of the current locale show as "?".
    static std::string Format(std::int32_t Index, std::int32_t Count, std::string_view Name,
                              int Width);

private:
    void Draw();
    int Width() const;
    void Put(const std::string &Text) const;

    TCliStream &FStream;
    bool FActive;
    bool FDrawn = false;
    std::int32_t FIndex = 0;
    std::int32_t FCount = 0;
    std::string FName;
    std::chrono::steady_clock::time_point FLastDraw;
};

} // namespace trovel
