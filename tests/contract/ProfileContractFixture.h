// Shared helpers of the INI-file contract tests: a file in the scratch
// folder and a read that keeps the bytes around the reported length.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/ContractFixture.h"

namespace qm::test {

class ProfileContract : public Contract {
protected:
    struct Read {
        DWORD result = 0;
        std::string text;   // the result's characters
        std::string bytes;  // result + 2 bytes: the zero(s) after them, or the fill byte
    };

    std::string Ini() const { return InScratch("test.ini"); }

    // GetPrivateProfileStringA into a buffer of `size` bytes prefilled with 0x7f.
    Read Get(const char* section, const char* key, const char* def, DWORD size = 2048,
             const std::string& file = {}) {
        std::vector<char> buffer(size + 2, '\x7f');
        const std::string path = file.empty() ? Ini() : file;
        Read read;
        read.result = P().GetPrivateProfileStringA(section, key, def, buffer.data(), size, path.c_str());
        const std::size_t shown = std::min<std::size_t>(read.result, buffer.size());
        read.text.assign(buffer.data(), shown);
        read.bytes.assign(buffer.data(), std::min<std::size_t>(shown + 2, buffer.size()));
        return read;
    }

    BOOL Write(const char* section, const char* key, const char* text) {
        return P().WritePrivateProfileStringA(section, key, text, Ini().c_str());
    }
};

}  // namespace qm::test
