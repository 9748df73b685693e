#pragma once

#include <string>
#include <string_view>

namespace trovel {

// Where a command's output or messages go: the process's stdout and stderr,
// or, in a test, a string. Writes are buffered until Flush or until the buffer
// fills; a stream that fails to take them (a full disk, a closed pipe) raises
// EWriteError with the system's reason, and a reader that has gone away while SIGPIPE is ignored
// raises TQuietFailure.
class TCliStream
{
public:
    virtual ~TCliStream() = default;

    virtual void Write(std::string_view Data) = 0;
    virtual void Flush() = 0;
    // Whether what goes to the stream must be escaped and a progress line may
    // be drawn on it: it is a terminal.
    virtual bool IsTerminal() const = 0;
    // The terminal's width; 0 when unknown.
    virtual int Columns() const = 0;
};

// A descriptor of the process, such as STDOUT_FILENO.
class TFdStream final : public TCliStream
{
public:
    explicit TFdStream(int Fd);
    ~TFdStream() override;
    TFdStream(const TFdStream &) = delete;
    TFdStream &operator=(const TFdStream &) = delete;

    void Write(std::string_view Data) override;
    void Flush() override;
    bool IsTerminal() const override { return FTerminal; }
    int Columns() const override;

private:
    void WriteAll(std::string_view Data);

    int FFd;
    bool FTerminal;
    std::string FBuffer;
};

// Collects what is written, for the tests; can act as a terminal of some
// width, and as a disk that is full.
class TStringStream final : public TCliStream
{
public:
    explicit TStringStream(bool Terminal = false, int Columns = 0)
        : FTerminal(Terminal), FColumns(Columns)
    {
    }

    void Write(std::string_view Data) override;
    void Flush() override {}
    bool IsTerminal() const override { return FTerminal; }
    int Columns() const override { return FColumns; }

    const std::string &Text() const { return FText; }
    // Every later write raises EWriteError, as on a full disk (ENOSPC).
    void FailWrites() { FFull = true; }

private:
    bool FTerminal;
    int FColumns;
    bool FFull = false;
    std::string FText;
};

// A command's two streams.
struct TCliStreams
{
    TCliStream &Out;
    TCliStream &Err;
};

} // namespace trovel
