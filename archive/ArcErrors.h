#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace trovel {

// Every failure of the tool is one of these kinds. The message is the text the
// user sees; the error display adds the closing period.
class Exception : public std::runtime_error
{
public:
    explicit Exception(const std::string &Message) : std::runtime_error(Message) {}
    std::string Message() const { return what(); }

    // The file or entry name the message names, byte for byte as it stands
    // in the message; empty when the message names none.
    const std::string &Subject() const { return FSubject; }
    // The message with Replacement standing where its subject stands, for a
    // display that spells names its own way.
    std::string MessageWith(std::string_view Replacement) const;

    // Why the system refused, in its own words ("No space left on device");
    // empty when the failure is the tool's own finding. The message itself
    // never includes it: the window shows the message as it stands, the
    // command line adds the reason in parentheses.
    const std::string &Reason() const { return FReason; }
    void SetReason(std::string Reason) { FReason = std::move(Reason); }

protected:
    // Format holds one "%s", which Subject takes.
    Exception(std::string_view Format, const std::string &Subject);

private:
    std::string FSubject;
    std::size_t FSubjectAt = std::string::npos;
    std::string FReason;
};

// The system's text for an error number, as strerror gives it.
std::string SystemReason(int ErrorNumber);

// Error with the system's reason for ErrorNumber attached; none for 0, where
// the system reported no error (a short read at the end of a file).
template <typename TError>
TError WithSystemReason(TError Error, int ErrorNumber)
{
    if (ErrorNumber != 0)
        Error.SetReason(SystemReason(ErrorNumber));
    return Error;
}

// "Datei %s kann nicht geöffnet werden": an existing file cannot be opened.
class EFOpenError final : public Exception
{
public:
    explicit EFOpenError(const std::string &FileName);
};

// "Datei %s kann nicht erstellt werden": an output file cannot be created.
class EFCreateError final : public Exception
{
public:
    explicit EFCreateError(const std::string &FileName);
};

// A block could not be read in full.
class EReadError final : public Exception
{
public:
    EReadError();
};

// A block could not be written in full.
class EWriteError final : public Exception
{
public:
    EWriteError();
};

// A count, length or index lies outside what the archive or a table can hold.
class ERangeError final : public Exception
{
public:
    ERangeError();
};

class EOutOfMemory final : public Exception
{
public:
    EOutOfMemory();
};

// An entry name would place its file outside the target folder.
class EPathError final : public Exception
{
public:
    explicit EPathError(const std::string &EntryName);
};

// A compressed part does not inflate to a valid zlib stream.
class EDataError final : public Exception
{
public:
    explicit EDataError(const std::string &EntryName);
};

} // namespace trovel
