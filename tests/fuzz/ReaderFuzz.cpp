// libFuzzer target for the removal-script reader: every input is written as
// a script on a fresh simulated machine and read whole, read in one-record
// mode, and has its module extracted. Every event handler touches all of its
// arguments (so the sanitizers see any buffer the reader gets wrong) and
// checks what the reader promises about them; a broken promise aborts.
//
// Built by the fuzz preset; run by tools/fuzz.sh reader.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/sim/SimPlatform.h"
#include "reader/Quarn_ReadSpecialFile.h"
#include "tests/support/UseMachine.h"

namespace {

using qm::TReadSpecialFile;

volatile unsigned g_sink = 0;

void Check(bool condition) {
    if (!condition) std::abort();
}

void Touch(const std::string& text) {
    unsigned sum = 0;
    for (const char c : text) sum += static_cast<unsigned char>(c);
    g_sink = g_sink + sum;
}

// The data argument must be one of the sender's own buffers and hold zeros
// behind its count; reading it whole lets the sanitizers check its extent.
void Touch(TReadSpecialFile* sender, const std::uint8_t* data, std::uint16_t size) {
    Check(sender != nullptr);
    Check(data == sender->FDataBlock1.data() || data == sender->FDataBlock2.data());
    unsigned sum = 0;
    for (std::size_t i = 0; i < qm::kDataBlockSize; ++i) {
        if (i >= size) Check(data[i] == 0);
        sum += data[i];
    }
    g_sink = g_sink + sum;
}

void Attach(TReadSpecialFile& r) {
    using S = const std::string&;
    using D = const std::uint8_t*;
    using W = std::uint16_t;
    r.OnAddRegKey = [](TReadSpecialFile*, S path, bool) { Touch(path); };
    r.OnDeleteRegKey = [](TReadSpecialFile*, S path, bool) { Touch(path); };
    auto regValue = [](TReadSpecialFile* s, S path, S name, W, D data, W size, bool) {
        Touch(path);
        Touch(name);
        Touch(s, data, size);
    };
    r.OnDeleteRegValue = regValue;
    r.OnAddRegValue = regValue;
    r.OnChangeRegValue = [](TReadSpecialFile* s, S path, S name, W, D newData, W newSize, D oldData, W oldSize, bool) {
        Touch(path);
        Touch(name);
        Touch(s, newData, newSize);
        Touch(s, oldData, oldSize);
    };
    auto path = [](TReadSpecialFile*, S text) { Touch(text); };
    r.OnDeleteFolder = path;
    r.OnCreateFolder = path;
    r.OnDeleteFile = path;
    r.OnAddFile = path;
    r.OnChangeFile = [](TReadSpecialFile*, S text, std::uint32_t a, std::uint32_t b) {
        Touch(text);
        g_sink = g_sink + a + b;
    };
    auto section = [](TReadSpecialFile*, S file, S name) {
        Check(!file.empty());
        Touch(file);
        Touch(name);
    };
    r.OnAddIniSection = section;
    r.OnDeleteIniSection = section;
    auto iniValue = [](TReadSpecialFile* s, S file, S name, S value, D data, W size) {
        Check(!file.empty());
        Touch(file);
        Touch(name);
        Touch(value);
        Touch(s, data, size);
    };
    r.OnAddIniValue = iniValue;
    r.OnDeleteIniValue = iniValue;
    r.OnChangeIniValue = [](TReadSpecialFile* s, S file, S name, S value, D newData, W newSize, D oldData, W oldSize) {
        Check(!file.empty());
        Touch(file);
        Touch(name);
        Touch(value);
        Touch(s, newData, newSize);
        Touch(s, oldData, oldSize);
    };
    r.OnError = [](TReadSpecialFile*, S message, std::int32_t count) {
        Touch(message);
        Check(count >= 0);
    };
    r.OnProgress = [](TReadSpecialFile*, std::int32_t position) { Check(position >= 0); };
    r.OnProgressMax = [](TReadSpecialFile*, std::int32_t maximum) { Check(maximum >= 0); };
    r.OnFinished = [](TReadSpecialFile*) {};
    auto rename = [](TReadSpecialFile*, S newPath, S oldPath) {
        Touch(newPath);
        Touch(oldPath);
    };
    r.OnRenameFolder = rename;
    r.OnRenameFile = rename;
    r.OnItemStatus = [](TReadSpecialFile*, S text, W operation, W) {
        Check(!text.empty());
        Check(operation <= 0xFF);
        Touch(text);
    };
    r.OnUnregisterServer = path;
    r.OnRegisterServer = path;
    r.OnCallModule = path;
    r.OnAddSearchFolder = path;
}

std::uint32_t DoubleWord(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// What the extraction must give for this input, worked out from the bytes:
// the module, or nothing (empty) when the trailer and offsets allow none.
bool ExpectedModule(const std::uint8_t* data, std::size_t size, std::string& module) {
    if (size < 8) return false;
    const std::uint32_t field1 = DoubleWord(data + size - 8);
    const std::uint32_t recordStart = DoubleWord(data + size - 4);
    if (recordStart == 0 || recordStart > size || field1 == 0 || field1 > size || recordStart < 4) return false;
    const std::uint32_t moduleStart = DoubleWord(data + recordStart - 4);
    if (moduleStart > size || static_cast<std::uint64_t>(moduleStart) + 4 >= recordStart) return false;
    module.assign(reinterpret_cast<const char*>(data + moduleStart), recordStart - 4 - moduleStart);
    return true;
}

std::string ReadBack(qm::Platform& p, const std::string& path) {
    std::string text;
    const qm::HANDLE file = p.CreateFileA(path.c_str(), qm::GENERIC_READ, qm::FILE_SHARE_READ, nullptr,
                                          qm::OPEN_EXISTING, qm::FILE_ATTRIBUTE_NORMAL, 0);
    if (file == qm::kInvalidHandle) return text;
    char chunk[4096];
    qm::DWORD got = 0;
    while (p.ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
    p.CloseHandle(file);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qm::sim::SimPlatform machine;
    qm::test::UseMachine use(machine);
    const std::string path = "C:\\fuzz.malware";
    const qm::HANDLE file = machine.CreateFileA(path.c_str(), qm::GENERIC_WRITE, 0, nullptr, qm::CREATE_ALWAYS,
                                                qm::FILE_ATTRIBUTE_NORMAL, 0);
    Check(file != qm::kInvalidHandle);
    qm::DWORD written = 0;
    Check(machine.WriteFile(file, data, static_cast<qm::DWORD>(size), &written, nullptr) && written == size);
    machine.CloseHandle(file);

    TReadSpecialFile reader(path);
    Attach(reader);
    reader.Read(false);
    reader.Read(true);

    std::string module;
    reader.ExtractModule(module);
    std::string expected;
    if (ExpectedModule(data, size, expected)) {
        Check(!module.empty());
        Check(ReadBack(machine, module) == expected);
    } else {
        Check(module.empty());
    }
    reader.Read(false);  // the extraction must not disturb a following read
    return 0;
}
