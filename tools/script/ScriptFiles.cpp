// File access of quellmar-script.
#include "tools/script/ScriptFiles.h"

#include <fstream>
#include <ios>
#include <iterator>
#include <random>
#include <string>

namespace qm::script {

namespace {

namespace fs = std::filesystem;

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// Why nothing may be written at `path`, or "" when a regular file or nothing
// is there. The link itself is looked at, not what it points to.
std::string WhyNotWritable(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    switch (status.type()) {
        case fs::file_type::not_found:
        case fs::file_type::regular:
            return "";
        case fs::file_type::symlink:
            return "it is a symbolic link";
        case fs::file_type::directory:
            return "it is a folder";
        case fs::file_type::none:
            return "its state cannot be read: " + error.message();
        default:
            return "it is not a regular file";
    }
}

// A folder beside `target` that did not exist before: nobody else can have
// put anything (a link, say) at the temporary file's name inside it.
fs::path CreatePrivateFolder(const fs::path& target) {
    std::random_device random;
    const fs::path parent = target.parent_path();
    for (int attempt = 0; attempt < 16; ++attempt) {
        const fs::path folder =
            parent / ("." + target.filename().string() + ".tmp-" + std::to_string(random() % 1000000u));
        std::error_code error;
        if (fs::create_directory(folder, error)) return folder;
        if (error) throw FileError("cannot write " + Quoted(target) + ": " + error.message());
    }
    throw FileError("cannot write " + Quoted(target) + ": no free temporary name beside it");
}

// Removes the temporary folder and whatever is left in it.
class PrivateFolder {
public:
    explicit PrivateFolder(const fs::path& target) : path_(CreatePrivateFolder(target)) {}
    ~PrivateFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

}  // namespace

std::vector<std::uint8_t> ReadWholeFile(const fs::path& path) {
    std::error_code ignored;
    if (fs::is_directory(path, ignored))
        throw FileError("cannot read " + Quoted(path) + ": it is a folder, not a file");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FileError("cannot open " + Quoted(path) + " for reading");
    try {
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad()) throw FileError("cannot read " + Quoted(path));
        return bytes;
    } catch (const std::ios_base::failure& e) {
        // The stream buffer reports a failed read by throwing, whatever the
        // stream's exception mask says.
        throw FileError("cannot read " + Quoted(path) + ": " + e.code().message());
    }
}

void CheckOutputTarget(const fs::path& path, std::span<const fs::path> inputs) {
    if (const std::string why = WhyNotWritable(path); !why.empty())
        throw FileError("will not write " + Quoted(path) + ": " + why);
    for (const fs::path& input : inputs) {
        std::error_code error;
        if (fs::equivalent(path, input, error))
            throw FileError("will not write " + Quoted(path) + ": it is the input " + Quoted(input));
    }
}

void WriteFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes) {
    if (const std::string why = WhyNotWritable(path); !why.empty())
        throw FileError("will not write " + Quoted(path) + ": " + why);
    const PrivateFolder folder(path);
    const fs::path temporary = folder.path() / "output";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) throw FileError("cannot create " + Quoted(temporary));
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) throw FileError("cannot write " + Quoted(temporary));
    }
    std::error_code error;
    fs::rename(temporary, path, error);
    if (error) throw FileError("cannot write " + Quoted(path) + ": " + error.message());
}

}  // namespace qm::script
