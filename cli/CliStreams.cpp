#include "CliStreams.h"

#include "ArcErrors.h"
#include "Commands.h"
#include "TerminalText.h"

#include <cerrno>
#include <unistd.h>

namespace trovel {

namespace {

constexpr std::size_t BufferSize = 64 * 1024;

} // namespace

TFdStream::TFdStream(int Fd) : FFd(Fd), FTerminal(trovel::IsTerminal(Fd)) {}

TFdStream::~TFdStream()
{
    // What is left unflushed here is the output of a command that failed
    // already; its own message says so.
    try {
        Flush();
    } catch (...) {
    }
}

void TFdStream::Write(std::string_view Data)
{
    if (FBuffer.size() + Data.size() <= BufferSize) {
        FBuffer.append(Data);
        return;
    }
    Flush();
    if (Data.size() >= BufferSize)
        WriteAll(Data); // an entry's data goes straight through
    else
        FBuffer.append(Data);
}

void TFdStream::Flush()
{
    if (FBuffer.empty())
        return;
    const std::string pending = std::move(FBuffer);
    FBuffer.clear();
    WriteAll(pending);
}

int TFdStream::Columns() const
{
    return FTerminal ? TerminalColumns(FFd) : 0;
}

void TFdStream::WriteAll(std::string_view Data)
{
    while (!Data.empty()) {
        const ssize_t put = ::write(FFd, Data.data(), Data.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0 && errno == EPIPE)
            throw TQuietFailure();
        if (put <= 0)
            throw WithSystemReason(EWriteError(), put < 0 ? errno : 0);
        Data.remove_prefix(static_cast<std::size_t>(put));
    }
}

void TStringStream::Write(std::string_view Data)
{
    if (FFull)
        throw WithSystemReason(EWriteError(), ENOSPC);
    FText.append(Data);
}

} // namespace trovel
