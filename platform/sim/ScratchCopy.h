// A throwaway copy of a machine folder, for a run that must leave the folder
// exactly as it was (a scan). Opening a machine may add files (Standard=yes
// adds the Windows folders a machine lacks) and a program may write where
// Windows lets it; on the copy, none of that reaches the folder, which is
// only read.
//
// The copy keeps the entries' bytes, permission bits (read-only) and times.
// Symbolic links stay links: one that leads to a place inside the folder
// leads to the same place inside the copy; one that leads out keeps its
// target, and is refused there as it is in the folder.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace qm::sim {

class ScratchCopy {
public:
    // Copies folder (nothing when it does not exist) into a new folder of the
    // host's temporary folder. Throws MachineFolderError when it cannot.
    explicit ScratchCopy(const std::filesystem::path& folder);
    // Removes the copy with all the run left in it.
    ~ScratchCopy();
    ScratchCopy(const ScratchCopy&) = delete;
    ScratchCopy& operator=(const ScratchCopy&) = delete;

    const std::filesystem::path& path() const { return copy_; }
    // Where a host path inside the folder lies in the copy; nothing for a
    // path outside it.
    std::optional<std::filesystem::path> InCopy(const std::filesystem::path& original) const;
    // A message naming host paths of the copy, with the folder's own paths instead.
    std::string AsOriginal(std::string text) const;

private:
    std::filesystem::path original_;  // canonical
    std::filesystem::path copy_;
};

}  // namespace qm::sim
