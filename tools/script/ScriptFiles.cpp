// File access of quellmar-script.
#include "tools/script/ScriptFiles.h"

#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace qm::script {

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FileError("cannot open '" + path.string() + "' for reading");
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw FileError("cannot read '" + path.string() + "'");
    return bytes;
}

void WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    // A random suffix keeps two writers of the same target apart.
    std::random_device random;
    std::filesystem::path temporary = path;
    temporary += ".tmp-" + std::to_string(random() % 1000000u);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) throw FileError("cannot create '" + temporary.string() + "'");
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw FileError("cannot write '" + temporary.string() + "'");
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw FileError("cannot write '" + path.string() + "': " + error.message());
    }
}

}  // namespace qm::script
