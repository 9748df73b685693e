#include "ListCommand.h"

#include "EntryNames.h"
#include "TerminalText.h"

#include <charconv>
#include <cstdio>

namespace trovel {

namespace {

const char *ModeWord(std::uint32_t StorageMode)
{
    if (StorageMode == smStored)
        return "stored";
    if (StorageMode == smCompressed)
        return "deflated";
    return "none";
}

// One row of the long listing; the name stands last, as it is.
std::string LongRow(const std::string &Index, const std::string &Mode, const std::string &Size,
                    const std::string &Packed)
{
    char row[96];
    std::snprintf(row, sizeof row, "%8s  %-8s %14s %14s  ", Index.c_str(), Mode.c_str(),
                  Size.c_str(), Packed.c_str());
    return row;
}

} // namespace

TListCommand::TListCommand(const TCliOptions &Options, TCliStreams Streams)
    : TArchiveCommand(Options, Streams,
                      {.FirstPattern = 1, .Interrupt = std::nullopt, .ChooseAtOpen = false})
{
}

int TListCommand::Run()
{
    Open();
    const bool escape = FStreams.Out.IsTerminal();
    const bool longForm = FOptions.Long;
    if (longForm)
        Output(LongRow("Index", "Mode", "Size", "Packed") + "Name\n");
    std::uint64_t totalSize = 0, totalPacked = 0, listed = 0;
    std::string line, name;
    char number[24];
    const auto appendNumber = [&](std::uint64_t Value) {
        const auto end = std::to_chars(number, number + sizeof number, Value).ptr;
        line.append(number, end);
        line += '\t';
    };
    // The names are decoded and matched as the listing goes: a million
    // entries are not held twice.
    const std::int32_t count = FReader.GetFileCount();
    for (std::int32_t index = 0; index < count; ++index) {
        name.clear();
        AppendPrintedName(FReader, index, name);
        if (!FSelection.Choose(name))
            continue;
        TArcFileEntry entry{};
        FReader.GetFileEntry(index, entry);
        line.clear();
        if (longForm) {
            const std::uint64_t size = FReader.GetExtractedSize(index);
            const std::uint64_t packed = FReader.GetPackedSize(index);
            totalSize += size;
            totalPacked += packed;
            ++listed;
            line = LongRow(std::to_string(index), ModeWord(entry.StorageMode), std::to_string(size),
                           std::to_string(packed));
        } else {
            appendNumber(static_cast<std::uint64_t>(index));
            appendNumber(entry.StorageMode);
            appendNumber(entry.Size);
        }
        if (escape)
            AppendEscaped(name, line);
        else
            line += name;
        line += '\n';
        Output(line);
    }
    if (longForm)
        Output(LongRow("", "", std::to_string(totalSize), std::to_string(totalPacked)) +
               std::to_string(listed) + (listed == 1 ? " entry\n" : " entries\n"));
    FlushOutput();
    return ReportUnmatched();
}

} // namespace trovel
