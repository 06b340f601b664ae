// Reading and writing a machine folder's own files.
#include "platform/sim/MachineFiles.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
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

void WriteFolderFile(const fs::path& folder, const std::string& name, std::string_view bytes) {
    const fs::path target = InsideFolder(folder, name);
    std::string temporary = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    UniqueFd file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!file) Fail(name, "cannot create a temporary file", errno);
    // The temporary file goes again on any failure; the file itself is untouched.
    struct Remover {
        const std::string& path;
        bool keep = false;
        ~Remover() {
            if (!keep) ::unlink(path.c_str());
        }
    } remover{temporary, false};

    struct stat old {};
    mode_t mode = 0;
    if (::stat(target.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
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
    const int closed = ::close(file.get());
    file.release();
    if (closed != 0) Fail(name, "closing failed", errno);
    if (::rename(temporary.c_str(), target.c_str()) != 0) Fail(name, "cannot replace it", errno);
    remover.keep = true;
}

}  // namespace qm::sim
