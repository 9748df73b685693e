#include "EntryNames.h"

#include "ArcErrors.h"
#include "EntryPattern.h"
#include "TerminalText.h"
#include "uArcReader.h"

namespace trovel {

void AppendPrintedName(const TArcReader &Reader, std::int32_t Index, std::string &Out)
{
    Reader.NameCodec().AppendText(Reader.FileNameView(Index), Out);
}

std::string PrintedName(const TArcReader &Reader, std::int32_t Index)
{
    std::string name;
    AppendPrintedName(Reader, Index, name);
    return name;
}

namespace {

// The error kinds' texts stay as they are; the reason follows them.
std::string WithReason(std::string Message, const Exception &Error)
{
    if (!Error.Reason().empty())
        Message += " (" + Error.Reason() + ")";
    return Message;
}

} // namespace

std::string EntryMessage(const Exception &Error, const TArcReader &Reader, std::int32_t Index,
                         bool Escape)
{
    std::string subject = Error.Subject();
    if (subject == Reader.FileNameView(Index))
        subject = PrintedName(Reader, Index);
    if (Escape)
        subject = Escaped(subject);
    return WithReason(Error.MessageWith(subject), Error);
}

std::string FailureMessage(const Exception &Error, bool Escape)
{
    return WithReason(Escape ? Error.MessageWith(Escaped(Error.Subject())) : Error.Message(),
                      Error);
}

std::vector<std::int32_t> ChooseEntries(const TArcReader &Reader, TEntrySelection &Selection)
{
    std::vector<std::int32_t> chosen;
    const std::int32_t count = Reader.GetFileCount();
    std::string name;
    for (std::int32_t index = 0; index < count; ++index) {
        name.clear();
        AppendPrintedName(Reader, index, name);
        if (Selection.Choose(name))
            chosen.push_back(index);
    }
    return chosen;
}

} // namespace trovel
