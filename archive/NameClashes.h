#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

namespace trovel {

// Entries whose stored names differ decode to one path when a name holds an
// invalid sequence (it becomes U+FFFD) or a character two byte pairs give;
// written out, the later entry would replace the earlier one's file, though
// they are different files where the archive was made. Where the file system
// ignores case (Windows), names that differ only in case meet the same way;
// the caller passes paths in the form the file system compares
// (PathKey). This tells such an
// entry apart from one that repeats an earlier entry's stored name, which
// replaces the earlier file as it should.
//
// Only archives with such names need it (TNameCodec::IsReversible); for any
// other archive it is made inactive and keeps nothing.
class TNameClashes final
{
public:
    explicit TNameClashes(bool Active) : FActive(Active) {}

    // Notes the entry at Position, whose stored name Stored (which must stay
    // valid while this lives) decodes to Path, and tells whether an entry
    // noted before it had Path under another stored name. Positions grow
    // from one call to the next.
    bool Note(std::size_t Position, std::string_view Stored, const std::string &Path);
    // The same answer for an entry noted before, once every entry is noted.
    bool ClashesBefore(std::size_t Position, std::string_view Stored,
                       const std::string &Path) const;

private:
    struct TFirst
    {
        // The stored name of the first entry noted with the path.
        std::string_view Stored;
        // The position of the first one with another stored name.
        std::size_t OtherAt;
    };

    bool FActive;
    std::unordered_map<std::string, TFirst> FPaths;
};

} // namespace trovel
