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

std::string EntryMessage(const Exception &Error, const TArcReader &Reader, std::int32_t Index,
                         bool Escape)
{
    std::string subject = Error.Subject();
    if (subject == Reader.FileNameView(Index))
        subject = PrintedName(Reader, Index);
    if (Escape)
        subject = Escaped(subject);
    return Error.MessageWith(subject);
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
