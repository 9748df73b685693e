#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace trovel {

// The one-line progress display of extract-all on a terminal: entry count,
// percentage and current name, redrawn in place and cut to the terminal's
// width. On anything but a terminal it shows nothing.
class TProgressLine final
{
public:
    explicit TProgressLine(int fd);
    TProgressLine(const TProgressLine &) = delete;
    TProgressLine &operator=(const TProgressLine &) = delete;

    // Entry index (0-based) of count is about to be extracted. Redraws at most
    // a few times a second, so a run over many small entries is not slowed by
    // the terminal.
    void Show(std::int32_t index, std::int32_t count, std::string_view name);
    // Whether the line is shown at all: only on a terminal.
    bool Active() const { return FActive; }
    // Erases the line, leaving the terminal as it was.
    void Clear();
    // Draws the latest state and ends the line, so it stays visible above
    // whatever is printed next.
    void Keep();

    // The text of one state, at most width columns wide. Bytes that are not
    // printable characters of the current locale show as "?".
    static std::string Format(std::int32_t index, std::int32_t count, std::string_view name,
                              int width);

private:
    void Draw();
    int Width() const;
    void Put(const std::string &text) const;

    int FFd;
    bool FActive;
    bool FDrawn = false;
    std::int32_t FIndex = 0;
    std::int32_t FCount = 0;
    std::string FName;
    std::chrono::steady_clock::time_point FLastDraw;
};

} // namespace trovel
