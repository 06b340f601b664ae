// Reading and writing a machine folder's own files.
#include "platform/sim/MachineFiles.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/sim/DiskHost.h"

namespace qm::sim {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const std::string& name, const std::string& what, int error) {
    throw MachineFolderError("cannot write " + name + ": " + what + ": " + std::strerror(error));
}

}  // namespace

fs::path InsideFolder(const fs::path& folder, const std::string& name) {
    const fs::path path = folder / name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::error_code ec;
    const fs::path home = fs::weakly_canonical(folder, ec);
    const fs::path target = fs::weakly_canonical(path, ec);
    if (ec || !IsWithin(target, home))
        throw MachineFolderError(name + " is a symbolic link that leads out of the machine folder (to " +
                                 target.string() + "); it is neither read nor written");
    return target;
}

std::optional<std::string> ReadFolderFile(const fs::path& folder, const std::string& name) {
    const fs::path path = InsideFolder(folder, name);
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

namespace {

// One file written to a temporary name beside it, not yet in place; the
// temporary file goes again unless it was put in place.
class PendingFile {
public:
    PendingFile(const fs::path& folder, const std::string& name, std::string_view bytes)
        : name_(name), target_(InsideFolder(folder, name)) {
        temporary_.path = (target_.parent_path() / ("." + target_.filename().string() + ".XXXXXX")).string();
        UniqueFd file(::mkostemp(temporary_.path.data(), O_CLOEXEC));
        if (!file) Fail(name, "cannot create a temporary file", errno);
        temporary_.created = true;
        struct stat old {};
        mode_t mode = 0;
        if (::stat(target_.c_str(), &old) == 0) {
            mode = old.st_mode & 07777;  // the file keeps its permissions
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        for (std::size_t written = 0; written < bytes.size();) {
            const ssize_t put = ::write(file.get(), bytes.data() + written, bytes.size() - written);
            if (put < 0) {
                if (errno == EINTR) continue;
                Fail(name, "writing failed", errno);
            }
            written += static_cast<std::size_t>(put);
        }
        if (::fchmod(file.get(), mode) != 0) Fail(name, "cannot set its permissions", errno);
        if (::fsync(file.get()) != 0) Fail(name, "cannot flush it", errno);
        if (::close(file.release()) != 0) Fail(name, "closing failed", errno);
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    void PutInPlace() {
        if (::rename(temporary_.path.c_str(), target_.c_str()) != 0) Fail(name_, "cannot replace it", errno);
        temporary_.created = false;
    }

private:
    std::string name_;
    fs::path target_;
    // A member, so it goes also when the constructor fails half-way.
    struct Temporary {
        std::string path;
        bool created = false;
        ~Temporary() {
            if (created) ::unlink(path.c_str());
        }
    } temporary_;
};

}  // namespace

void WriteFolderFiles(const fs::path& folder, const std::vector<std::pair<std::string, std::string>>& files) {
    std::vector<std::unique_ptr<PendingFile>> pending;
    for (const auto& [name, bytes] : files) pending.push_back(std::make_unique<PendingFile>(folder, name, bytes));
    for (auto& file : pending) file->PutInPlace();
    // The renames themselves reach the disk.
    if (UniqueFd directory{::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)}) ::fsync(directory.get());
}

void WriteFolderFile(const fs::path& folder, const std::string& name, std::string_view bytes) {
    WriteFolderFiles(folder, {{name, std::string(bytes)}});
}

}  // namespace qm::sim
