// Loading and saving the simulated registry as .reg files.
#include "platform/sim/RegFile.h"

#include "platform/sim/CodePage.h"

namespace qm::sim {

namespace {

std::u16string ToWide(std::string_view ansi) { return AnsiToUtf16(ansi); }
std::string ToNarrow(std::u16string_view text) { return Utf16ToAnsi(text); }
const regfile::CodePage kCodePage{&ToWide, &ToNarrow};

// Writes a key and everything below it, depth first (iteratively: keys may
// nest as deep as Windows allows).
void WriteTree(regfile::RegFileWriter& writer, const std::u16string& path, const RegKey& top) {
    std::vector<std::pair<std::u16string, const RegKey*>> pending{{path, &top}};
    while (!pending.empty()) {
        auto [keyPath, key] = pending.back();
        pending.pop_back();
        writer.Key(keyPath);
        for (const auto& [name, value] : key->values) writer.Value({name, value.type, value.data});
        for (auto it = key->subKeys.rbegin(); it != key->subKeys.rend(); ++it)
            pending.emplace_back(keyPath + u"\\" + (*it)->name, it->get());
    }
}

}  // namespace

void ImportRegFile(RegistryStore& store, std::string_view bytes) {
    const std::vector<regfile::RegFileOperation> operations = regfile::ParseRegFile(bytes, kCodePage);
    // Windows' limits first, so a file that breaks them changes nothing.
    for (const regfile::RegFileOperation& op : operations) {
        const std::string line = "line " + std::to_string(op.firstLine + 1) + ": ";
        if (op.kind != regfile::RegFileOperation::kDeleteKey && !store.FitsLimits(op.path))
            throw RegFileError(line + "the key is deeper than " + std::to_string(kMaxKeyDepth) +
                               " levels or has a name longer than " + std::to_string(kMaxKeyNameLength) +
                               " characters, which Windows refuses");
        if (op.kind == regfile::RegFileOperation::kSetValue && op.value.name.size() > kMaxValueNameLength)
            throw RegFileError(line + "the value name is longer than " + std::to_string(kMaxValueNameLength) +
                               " characters, which Windows refuses");
    }
    for (const regfile::RegFileOperation& op : operations) {
        switch (op.kind) {
            case regfile::RegFileOperation::kCreateKey:
                store.CreateKey(op.path);
                break;
            case regfile::RegFileOperation::kDeleteKey:
                store.DeleteKey(op.path);  // a missing key is no error
                break;
            case regfile::RegFileOperation::kSetValue:
                if (auto key = store.CreateKey(op.path)) {
                    key->SetValue(op.value.name, RegValue{op.value.type, op.value.data});
                    store.Touch(*key);
                }
                break;
            case regfile::RegFileOperation::kDeleteValue:
                if (auto key = store.FindKey(op.path); key && key->RemoveValue(op.value.name)) store.Touch(*key);
                break;
        }
    }
}

std::string ExportRegFile(const RegistryStore& store, RegFileFormat format) {
    regfile::RegFileWriter writer(format, kCodePage);
    for (const auto& [name, root] : store.Roots()) {
        const std::u16string rootPath = AnsiToUtf16(name);
        if (!root->values.empty()) {
            WriteTree(writer, rootPath, *root);
        } else {
            for (const auto& sub : root->subKeys) WriteTree(writer, rootPath + u"\\" + sub->name, *sub);
        }
    }
    return writer.Bytes();
}

}  // namespace qm::sim
