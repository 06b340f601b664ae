// 8.3 short names ("PROGRA~1") of the simulated machine, made the way Windows
// makes them on NTFS with short-name generation on.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace qm::sim {

// Whether a name is already a valid 8.3 name and so needs no alias: one to
// eight characters, optionally a dot and one to three more, no blank and none
// of "+,;=[]" or the characters no name may hold. Letters of either case are
// valid ("readme.txt" is its own short name).
bool IsValidShortName(std::string_view name);

// The n-th candidate alias of a long name: upper case; blanks, dots before the
// extension and characters not allowed in 8.3 names dropped ("+,;=[]" become
// "_"); the first six characters (five from ~10 on) followed by "~n"; then a
// dot and the first three characters of the extension, if it has one.
// "Program Files" gives "PROGRA~1", "long file name.html" gives "LONGFI~1.HTM".
std::string ShortNameCandidate(std::string_view longName, unsigned n);

// The alias Windows falls back on once ~1 to ~4 are taken: the first two
// characters, four hex digits of a hash of the long name, "~n" (n counted
// from 1) and the extension: "LONGFI~5.TXT" is never made, "LO3F2A~1.TXT" is.
// (The hash is the simulation's own; Windows' digits differ.)
std::string HashedShortNameCandidate(std::string_view longName, unsigned n);

// The aliases of one folder. An alias is made when a long name is first seen
// and then kept for the life of the machine, so the same long name always has
// the same alias, even after it was deleted and made again. As on NTFS, the
// first four candidates are ShortNameCandidate's, then hashed ones, so a
// folder of many similar names costs little per name.
class FolderShortNames {
public:
    // The alias of longName (empty when the name is a valid 8.3 name itself).
    // nameExists tells whether an entry of the folder is already called by a
    // candidate (compared without regard to case); such candidates are skipped.
    std::string AliasOf(std::string_view longName,
                        const std::function<bool(std::string_view)>& nameExists);
    // The alias already made for longName, or null.
    const std::string* Known(std::string_view longName) const;
    // The long name (in upper case) that owns alias (any case), or empty.
    std::string LongNameOf(std::string_view alias) const;

private:
    std::map<std::string, std::string> aliases_;  // upper-case long name -> alias
    std::map<std::string, std::string> owners_;   // upper-case alias -> upper-case long name
};

}  // namespace qm::sim
