// The reader tests' event log and fixture.
#include "tests/reader/ReaderTestSupport.h"

#include <algorithm>
#include <cstdio>

namespace qm::test {

namespace {

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

std::string Join(const std::vector<std::string>& parts) {
    std::string line;
    for (std::size_t i = 0; i < parts.size(); ++i) line += (i == 0 ? "" : "|") + parts[i];
    return line;
}

// The block's counted bytes in hex; "!" when it is not the reader's buffer or
// holds anything but zeros behind its count.
std::string Block(const TDataBlock& own, const std::uint8_t* data, std::uint16_t size) {
    std::string text;
    char pair[3];
    for (std::uint16_t i = 0; i < size; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", data[i]);
        text += pair;
    }
    if (data != own.data() || !std::all_of(data + size, data + kDataBlockSize, [](std::uint8_t b) { return b == 0; }))
        text += "!";
    return text;
}

}  // namespace

std::string Printable(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        }
    }
    return out;
}

void EventLog::Attach(TReadSpecialFile& r) {
    auto S = [](const std::string& text) { return Printable(text); };
    auto B = [](bool flag) { return std::string(flag ? "1" : "0"); };
    auto N = [](long long value) { return std::to_string(value); };

    r.OnAddRegKey = [=, this](TReadSpecialFile*, const std::string& path, bool wide) {
        Add("AddRegKey(" + Join({S(path), B(wide)}) + ")");
    };
    r.OnDeleteRegKey = [=, this](TReadSpecialFile*, const std::string& path, bool wide) {
        Add("DeleteRegKey(" + Join({S(path), B(wide)}) + ")");
    };
    auto regValue = [=, this](const char* name) {
        return [=, this](TReadSpecialFile* sender, const std::string& path, const std::string& value,
                         std::uint16_t type, const std::uint8_t* data, std::uint16_t size, bool wide) {
            Add(std::string(name) + "(" +
                Join({S(path), S(value), Hex(type), Block(sender->FDataBlock1, data, size), N(size), B(wide)}) + ")");
        };
    };
    r.OnDeleteRegValue = regValue("DeleteRegValue");
    r.OnAddRegValue = regValue("AddRegValue");
    r.OnChangeRegValue = [=, this](TReadSpecialFile* sender, const std::string& path, const std::string& value,
                                   std::uint16_t type, const std::uint8_t* newData, std::uint16_t newSize,
                                   const std::uint8_t* oldData, std::uint16_t oldSize, bool wide) {
        Add("ChangeRegValue(" +
            Join({S(path), S(value), Hex(type), Block(sender->FDataBlock1, newData, newSize), N(newSize),
                  Block(sender->FDataBlock2, oldData, oldSize), N(oldSize), B(wide)}) +
            ")");
    };
    auto pathEvent = [=, this](const char* name) {
        return [=, this](TReadSpecialFile*, const std::string& path) { Add(std::string(name) + "(" + S(path) + ")"); };
    };
    r.OnDeleteFolder = pathEvent("DeleteFolder");
    r.OnCreateFolder = pathEvent("CreateFolder");
    r.OnDeleteFile = pathEvent("DeleteFile");
    r.OnAddFile = pathEvent("AddFile");
    r.OnChangeFile = [=, this](TReadSpecialFile*, const std::string& path, std::uint32_t value1, std::uint32_t value2) {
        Add("ChangeFile(" + Join({S(path), Hex(value1), Hex(value2)}) + ")");
    };
    r.OnAddIniSection = [=, this](TReadSpecialFile*, const std::string& file, const std::string& section) {
        Add("AddIniSection(" + Join({S(file), S(section)}) + ")");
    };
    r.OnDeleteIniSection = [=, this](TReadSpecialFile*, const std::string& file, const std::string& section) {
        Add("DeleteIniSection(" + Join({S(file), S(section)}) + ")");
    };
    auto iniValue = [=, this](const char* name) {
        return [=, this](TReadSpecialFile* sender, const std::string& file, const std::string& section,
                         const std::string& value, const std::uint8_t* data, std::uint16_t size) {
            Add(std::string(name) + "(" +
                Join({S(file), S(section), S(value), Block(sender->FDataBlock1, data, size), N(size)}) + ")");
        };
    };
    r.OnAddIniValue = iniValue("AddIniValue");
    r.OnDeleteIniValue = iniValue("DeleteIniValue");
    r.OnChangeIniValue = [=, this](TReadSpecialFile* sender, const std::string& file, const std::string& section,
                                   const std::string& value, const std::uint8_t* newData, std::uint16_t newSize,
                                   const std::uint8_t* oldData, std::uint16_t oldSize) {
        Add("ChangeIniValue(" +
            Join({S(file), S(section), S(value), Block(sender->FDataBlock1, newData, newSize), N(newSize),
                  Block(sender->FDataBlock2, oldData, oldSize), N(oldSize)}) +
            ")");
    };
    r.OnError = [=, this](TReadSpecialFile*, const std::string& message, std::int32_t count) {
        Add("Error(" + Join({S(message), N(count)}) + ")");
    };
    r.OnProgress = [=, this](TReadSpecialFile*, std::int32_t position) { Add("Progress(" + N(position) + ")"); };
    r.OnProgressMax = [=, this](TReadSpecialFile*, std::int32_t maximum) { Add("ProgressMax(" + N(maximum) + ")"); };
    r.OnFinished = [this](TReadSpecialFile*) { Add("Finished"); };
    r.OnRenameFolder = [=, this](TReadSpecialFile*, const std::string& newPath, const std::string& oldPath) {
        Add("RenameFolder(" + Join({S(newPath), S(oldPath)}) + ")");
    };
    r.OnRenameFile = [=, this](TReadSpecialFile*, const std::string& newPath, const std::string& oldPath) {
        Add("RenameFile(" + Join({S(newPath), S(oldPath)}) + ")");
    };
    r.OnItemStatus = [=, this](TReadSpecialFile*, const std::string& path, std::uint16_t operation, std::uint16_t kind) {
        Add("Status(" + Join({S(path), Hex(operation), Hex(kind)}) + ")");
    };
    r.OnUnregisterServer = pathEvent("UnregisterServer");
    r.OnRegisterServer = pathEvent("RegisterServer");
    r.OnCallModule = pathEvent("CallModule");
    r.OnAddSearchFolder = pathEvent("AddSearchFolder");
}

std::vector<std::string> EventLog::items() const {
    std::vector<std::string> result;
    for (const auto& line : lines_)
        if (line.rfind("Progress", 0) != 0) result.push_back(line);
    return result;
}

std::string ReaderContract::Script(std::string_view bytes, std::string_view name) {
    const std::string path = InScratch(name);
    WriteFile(path, bytes);
    return path;
}

std::unique_ptr<TReadSpecialFile> ReaderContract::Reader(std::string_view bytes) {
    // A new name each time: an earlier reader may still hold its script open.
    auto reader = std::make_unique<TReadSpecialFile>(Script(bytes, "test" + std::to_string(++scripts_) + ".malware"));
    log_.clear();
    log_.Attach(*reader);
    return reader;
}

std::vector<std::string> ReaderContract::ReadAll(std::string_view bytes, bool oneRecordOnly) {
    Reader(bytes)->Read(oneRecordOnly);
    return log_.all();
}

std::vector<std::string> ReaderContract::ReadItems(std::string_view bytes, bool oneRecordOnly) {
    Reader(bytes)->Read(oneRecordOnly);
    return log_.items();
}

}  // namespace qm::test
