#include "ProgressLine.h"

#include "CliStreams.h"
#include "TerminalText.h"

namespace trovel {

namespace {

constexpr auto RedrawInterval = std::chrono::milliseconds(100);
constexpr int DefaultWidth = 80;

// Appends Text to Line, replacing what the terminal cannot show, as long as
// it fits in the Columns left. Returns the columns used.
int AppendFitting(std::string &Line, std::string_view Text, int Columns)
{
    int used = 0;
    std::size_t at = 0;
    while (at < Text.size()) {
        const TTerminalChar character = TerminalCharAt(Text.substr(at));
        int width = ShowsAsItself(character) ? character.Columns : -1;
        std::string_view piece;
        if (width < 0) {
            // An invalid or unprintable byte: one column, and a fresh start
            // after it.
            piece = "?";
            width = 1;
            ++at;
        } else {
            piece = Text.substr(at, character.Length);
            at += character.Length;
        }
        if (used + width > Columns)
            break;
        Line += piece;
        used += width;
    }
    return used;
}

} // namespace

TProgressLine::TProgressLine(TCliStream &Stream, bool Enabled)
    : FStream(Stream), FActive(Enabled && Stream.IsTerminal())
{
}

std::string TProgressLine::Format(std::int32_t Index, std::int32_t Count, std::string_view Name,
                                  int Width)
{
    const long long percent = Count > 0 ? 100LL * Index / Count : 100;
    const std::string head = std::to_string(Index + 1) + "/" + std::to_string(Count) + " " +
                             std::to_string(percent) + "% ";
    std::string line;
    const int used = AppendFitting(line, head, Width);
    AppendFitting(line, Name, Width - used);
    return line;
}

void TProgressLine::Show(std::int32_t Index, std::int32_t Count, std::string_view Name)
{
    if (!FActive)
        return;
    FIndex = Index;
    FCount = Count;
    FName.assign(Name);
    const auto now = std::chrono::steady_clock::now();
    if (FDrawn && now - FLastDraw < RedrawInterval)
        return;
    FLastDraw = now;
    Draw();
}

void TProgressLine::Draw()
{
    // One column stays free: writing into the last one wraps on some terminals.
    std::string line = "\r";
    line += Format(FIndex, FCount, FName, Width() - 1);
    line += "\033[K";
    Put(line);
    FDrawn = true;
}

void TProgressLine::Clear()
{
    if (FActive && FDrawn)
        Put("\r\033[K");
    FDrawn = false;
}

void TProgressLine::Keep()
{
    if (!FActive || !FDrawn)
        return;
    Draw();
    Put("\n");
    FDrawn = false;
}

int TProgressLine::Width() const
{
    const int columns = FStream.Columns();
    return columns > 1 ? columns : DefaultWidth;
}

void TProgressLine::Put(const std::string &Text) const
{
    // The display is a courtesy; a failing terminal stops nothing.
    try {
        FStream.Write(Text);
        FStream.Flush();
    } catch (...) {
    }
}

} // namespace trovel
