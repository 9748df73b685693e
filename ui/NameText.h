#pragma once

#include "NameCodec.h"

#include <QString>

#include <string>
#include <string_view>

namespace trovel {

// What the window shows for a stored entry name, or a part of one: its text
// in the open archive's encoding.
inline QString NameText(const TNameCodec &Codec, std::string_view Stored)
{
    const std::string text = Codec.ToText(Stored);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The part of an entry name after its last "/": the whole name when it has
// none, empty when it ends in "/". Only "/" separates.
inline std::string ExtractArcFileName(std::string_view Name)
{
    const std::size_t slash = Name.rfind('/');
    return std::string(slash == std::string_view::npos ? Name : Name.substr(slash + 1));
}

} // namespace trovel
