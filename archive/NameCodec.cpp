#include "NameCodec.h"

#include "CodePageTable.h"

#include <charconv>
#include <stdexcept>

namespace trovel {

namespace {

bool EqualsIgnoringCase(std::string_view Text, std::string_view Lower)
{
    if (Text.size() != Lower.size())
        return false;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        char c = Text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != Lower[i])
            return false;
    }
    return true;
}

} // namespace

TNameCodec TNameCodec::Raw()
{
    return TNameCodec(TKind::Raw, nullptr);
}

TNameCodec TNameCodec::Utf8()
{
    return TNameCodec(TKind::Utf8, nullptr);
}

bool TNameCodec::IsCodePage(int CodePage)
{
    return TCodePageTable::Find(CodePage) != nullptr;
}

TNameCodec TNameCodec::ForCodePage(int CodePage)
{
    const TCodePageTable *table = TCodePageTable::Find(CodePage);
    if (!table)
        throw std::invalid_argument("code page " + std::to_string(CodePage) + " is not supported");
    return TNameCodec(TKind::CodePage, table);
}

std::optional<TNameCodec> TNameCodec::FromName(std::string_view Text)
{
    if (EqualsIgnoringCase(Text, "raw"))
        return Raw();
    if (EqualsIgnoringCase(Text, "utf-8") || EqualsIgnoringCase(Text, "utf8"))
        return Utf8();
    int number = 0;
    const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), number);
    if (Text.empty() || error != std::errc() || end != Text.data() + Text.size() ||
        !IsCodePage(number))
        return std::nullopt;
    return ForCodePage(number);
}

int TNameCodec::CodePage() const
{
    return FTable ? FTable->CodePage() : 0;
}

void TNameCodec::AppendText(std::string_view Stored, std::string &Out) const
{
    switch (FKind) {
    case TKind::Raw:
        Out.append(Stored);
        break;
    case TKind::Utf8:
        AppendUtf8Text(Stored, Out);
        break;
    case TKind::CodePage:
        FTable->Append(Stored, Out);
        break;
    }
}

std::string TNameCodec::ToText(std::string_view Stored) const
{
    if (FKind == TKind::Raw || IsAscii(Stored))
        return std::string(Stored);
    std::string text;
    text.reserve(Stored.size() * 2);
    AppendText(Stored, text);
    return text;
}

std::string TNameCodec::ToPathText(std::string_view Stored) const
{
    std::string text;
    text.reserve(Stored.size());
    for (;;) {
        const std::size_t slash = Stored.find('/');
        AppendText(Stored.substr(0, slash), text);
        if (slash == std::string_view::npos)
            return text;
        text += '/';
        Stored.remove_prefix(slash + 1);
    }
}

bool TNameCodec::IsReversible(std::string_view Stored) const
{
    switch (FKind) {
    case TKind::Raw:
        return true;
    case TKind::Utf8:
        return IsValidUtf8(Stored);
    case TKind::CodePage:
        break;
    }
    return FTable->IsReversible(Stored);
}

} // namespace trovel
