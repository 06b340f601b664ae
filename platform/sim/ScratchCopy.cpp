// The throwaway copy of a machine folder that a scan runs on.
#include "platform/sim/ScratchCopy.h"

#include <cstdlib>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

#include "platform/sim/DiskHost.h"
#include "platform/sim/MachineFiles.h"

namespace qm::sim {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const fs::path& what, const std::error_code& error) {
    throw MachineFolderError("cannot copy " + what.string() + " for the scan: " + error.message());
}

void SetTimes(const fs::path& path, const struct stat& info) {
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// A link's target in the copy: the same place when it leads inside the folder.
fs::path TargetInCopy(const fs::path& link, const fs::path& original, const fs::path& copy) {
    const fs::path target = fs::read_symlink(link);
    if (target.is_relative()) return target;  // the copy has the same shape around it
    const fs::path normal = target.lexically_normal();
    if (!IsWithin(normal, original)) return target;
    return copy / normal.lexically_relative(original);
}

}  // namespace

ScratchCopy::ScratchCopy(const fs::path& folder) {
    std::error_code ec;
    original_ = fs::weakly_canonical(fs::absolute(folder), ec);
    if (ec) Fail(folder, ec);
    std::string name = (fs::temp_directory_path() / "qm-scan-XXXXXX").string();
    if (::mkdtemp(name.data()) == nullptr) Fail(name, std::error_code(errno, std::generic_category()));
    copy_ = name;
    if (!fs::is_directory(original_, ec)) return;  // no folder: the scan starts from an empty one

    // Folders are made writable for the copying; their own modes and times
    // come back at the end, the deepest first.
    std::vector<std::pair<fs::path, struct stat>> folders;
    for (fs::recursive_directory_iterator it(original_, ec), end; it != end; it.increment(ec)) {
        if (ec) Fail(it->path(), ec);
        const fs::path to = copy_ / it->path().lexically_relative(original_);
        struct stat info {};
        if (::lstat(it->path().c_str(), &info) != 0) Fail(it->path(), std::error_code(errno, std::generic_category()));
        if (S_ISLNK(info.st_mode)) {
            fs::create_symlink(TargetInCopy(it->path(), original_, copy_), to, ec);
        } else if (S_ISDIR(info.st_mode)) {
            fs::create_directory(to, ec);
            if (!ec) folders.emplace_back(to, info);
        } else if (S_ISREG(info.st_mode)) {
            fs::copy_file(it->path(), to, ec);
            if (!ec && ::chmod(to.c_str(), info.st_mode & 07777) != 0) ec.assign(errno, std::generic_category());
            if (!ec) SetTimes(to, info);
        }  // devices, pipes and sockets are no part of a Windows drive
        if (ec) Fail(it->path(), ec);
    }
    if (ec) Fail(original_, ec);
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        ::chmod(it->first.c_str(), it->second.st_mode & 07777);
        SetTimes(it->first, it->second);
    }
}

ScratchCopy::~ScratchCopy() {
    // Read-only folders (no owner-write bit) get it back, or their entries could not go.
    std::error_code ec;
    for (fs::recursive_directory_iterator it(copy_, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(copy_, ec);
}

std::optional<fs::path> ScratchCopy::InCopy(const fs::path& original) const {
    std::error_code ec;
    const fs::path path = fs::weakly_canonical(fs::absolute(original), ec);
    if (ec || !IsWithin(path, original_)) return std::nullopt;
    return copy_ / path.lexically_relative(original_);
}

std::string ScratchCopy::AsOriginal(std::string text) const {
    const std::string from = copy_.string(), to = original_.string();
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace qm::sim
