// Bringing registry.reg up to date line by line.
#include "platform/sim/RegFileUpdate.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>

#include "platform/sim/CodePage.h"
#include "platform/sim/RegFile.h"
#include "regfile/RegFileEdit.h"

namespace qm::sim {

namespace {

std::u16string ToWide(std::string_view ansi) { return AnsiToUtf16(ansi); }
std::string ToNarrow(std::u16string_view text) { return Utf16ToAnsi(text); }
const regfile::CodePage kCodePage{&ToWide, &ToNarrow};

using Op = regfile::RegFileOperation;

// A key's path as the store resolves it, for comparing paths of the file
// with the store's: long root name, HKEY_CLASSES_ROOT inside
// HKEY_LOCAL_MACHINE, empty names dropped, upper case.
std::u16string NormalKey(std::u16string_view path) {
    static const std::pair<std::u16string_view, std::u16string_view> kRoots[] = {
        {u"HKEY_CLASSES_ROOT", u"HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES"},
        {u"HKCR", u"HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES"},
        {u"HKEY_CURRENT_USER", u"HKEY_CURRENT_USER"},
        {u"HKCU", u"HKEY_CURRENT_USER"},
        {u"HKEY_LOCAL_MACHINE", u"HKEY_LOCAL_MACHINE"},
        {u"HKLM", u"HKEY_LOCAL_MACHINE"},
        {u"HKEY_USERS", u"HKEY_USERS"},
        {u"HKU", u"HKEY_USERS"},
        {u"HKEY_CURRENT_CONFIG", u"HKEY_CURRENT_CONFIG"},
        {u"HKCC", u"HKEY_CURRENT_CONFIG"},
    };
    const std::size_t slash = path.find(u'\\');
    const std::u16string root = RegUpperName(path.substr(0, slash));
    std::u16string normal = root;
    for (const auto& [name, resolved] : kRoots)
        if (root == name) normal = resolved;
    if (slash == std::u16string_view::npos) return normal;
    for (std::u16string_view rest = path.substr(slash + 1); !rest.empty();) {
        const std::size_t next = rest.find(u'\\');
        const std::u16string_view name = rest.substr(0, next);
        if (!name.empty()) normal += u'\\' + RegUpperName(name);
        rest = next == std::u16string_view::npos ? std::u16string_view() : rest.substr(next + 1);
    }
    return normal;
}

std::u16string Parent(std::u16string_view path) {
    const std::size_t slash = path.rfind(u'\\');
    return std::u16string(path.substr(0, slash == std::u16string_view::npos ? 0 : slash));
}

bool IsRoot(std::u16string_view path) { return path.find(u'\\') == std::u16string_view::npos; }

bool Comment(std::u16string_view line) {
    const std::size_t first = line.find_first_not_of(u" \t");
    return first != std::u16string_view::npos && line[first] == u';';
}

// A key's lines, with its values, in the file's format.
std::u16string KeySection(std::u16string_view path, const RegKey* key, regfile::RegFileFormat format) {
    std::u16string text = regfile::KeyLines(path, format, kCodePage);
    if (key)
        for (const auto& [name, value] : key->values)
            text += regfile::ValueLines({name, value.type, value.data}, format, kCodePage);
    return text;
}

// A new file: only what the run added or changed.
std::string NewFile(const RegistryStore& now, const RegistryChanges& changes) {
    regfile::RegFileWriter writer(regfile::RegFileFormat::Version5, kCodePage);
    std::u16string open;
    for (const auto& change : changes.values) {
        if (!change.value) continue;
        if (change.key != open) writer.Key(open = change.key);
        writer.Value({change.name, change.value->type, change.value->data});
    }
    for (const auto& top : changes.addedKeys) {
        std::vector<std::pair<std::u16string, const RegKey*>> pending{{top, now.FindKey(top).get()}};
        while (!pending.empty()) {
            auto [path, key] = pending.back();
            pending.pop_back();
            writer.Key(path);
            for (const auto& [name, value] : key->values) writer.Value({name, value.type, value.data});
            for (auto it = key->subKeys.rbegin(); it != key->subKeys.rend(); ++it)
                pending.emplace_back(path + u'\\' + (*it)->name, it->get());
        }
    }
    return writer.Bytes();
}

class Updater {
public:
    Updater(const std::string& original, const RegistryStore& now)
        : edit_(original, kCodePage), ops_(regfile::ParseRegFile(original, kCodePage)), now_(now),
          removed_(edit_.LineCount(), false) {
        for (std::size_t i = 0; i < ops_.size(); ++i) {
            const Op& op = ops_[i];
            const std::u16string key = NormalKey(op.path);
            switch (op.kind) {
                case Op::kCreateKey: sections_[key].push_back(i); break;
                case Op::kDeleteKey: keyDeleted_[key] = i; break;
                case Op::kSetValue:
                case Op::kDeleteValue: valueOps_[key + u'\n' + RegUpperName(op.value.name)].push_back(i); break;
            }
        }
    }

    std::optional<std::string> Apply(const RegistryChanges& changes) {
        for (const auto& key : changes.removedKeys) RemoveKey(key);
        for (const auto& change : changes.values) ChangeValue(change);
        KeepParentsOfRemovedKeys(changes.removedKeys);
        for (const auto& [path, values] : appendedValues_) {
            std::u16string text = regfile::KeyLines(path, edit_.format(), kCodePage);
            for (const auto& value : values) text += regfile::ValueLines(value, edit_.format(), kCodePage);
            edit_.AppendSection(text);
        }
        for (const auto& top : changes.addedKeys) AppendTree(top);
        if (!edit_.Changed()) return std::nullopt;
        return edit_.Bytes();
    }

private:
    // The lines of a key's section: from its key line to the next key line,
    // leaving the comments right above that one to it.
    std::pair<std::size_t, std::size_t> SectionLines(std::size_t opIndex) const {
        std::size_t end = edit_.LineCount();
        for (std::size_t i = opIndex + 1; i < ops_.size(); ++i)
            if (ops_[i].kind == Op::kCreateKey || ops_[i].kind == Op::kDeleteKey) {
                end = ops_[i].firstLine;
                while (end > ops_[opIndex].lastLine + 1 && Comment(edit_.Line(end - 1))) --end;
                break;
            }
        return {ops_[opIndex].firstLine, end - 1};
    }

    // Removes lines with the comments right above them.
    void RemoveWithComments(std::size_t first, std::size_t last) {
        while (first > 1 && Comment(edit_.Line(first - 1)) && !removed_[first - 1]) --first;
        for (std::size_t i = first; i <= last; ++i) removed_[i] = true;
        edit_.Remove(first, last);
    }

    void RemoveKey(const std::u16string& path) {
        const std::u16string key = NormalKey(path);
        const std::u16string below = key + u'\\';
        for (auto it = sections_.lower_bound(key); it != sections_.end(); ++it) {
            if (it->first != key && !it->first.starts_with(below)) break;
            for (std::size_t op : it->second) {
                const auto [first, last] = SectionLines(op);
                RemoveWithComments(first, last);
            }
        }
    }

    // Whether a key (or one above it) is deleted by a line after op.
    bool DeletedAfter(const std::u16string& key, std::size_t op) const {
        for (std::u16string path = key;; path = Parent(path)) {
            auto it = keyDeleted_.find(path);
            if (it != keyDeleted_.end() && it->second > op) return true;
            if (IsRoot(path)) return false;
        }
    }

    void ChangeValue(const RegistryChanges::Value& change) {
        const std::u16string key = NormalKey(change.key);
        auto it = valueOps_.find(key + u'\n' + RegUpperName(change.name));
        if (!change.value) {
            if (it == valueOps_.end()) return;  // not from the file: nothing to take out
            for (std::size_t op : it->second)
                if (ops_[op].kind == Op::kSetValue && !removed_[ops_[op].firstLine])
                    RemoveWithComments(ops_[op].firstLine, ops_[op].lastLine);
            return;
        }
        const regfile::RegFileValue value{change.name, change.value->type, change.value->data};
        // The line that set the value last is rewritten, if nothing after it undoes it.
        if (it != valueOps_.end()) {
            const std::size_t last = it->second.back();
            const Op& op = ops_[last];
            if (op.kind == Op::kSetValue && !removed_[op.firstLine] && !DeletedAfter(key, last)) {
                edit_.Replace(op.firstLine, op.lastLine, regfile::ValueLines(value, edit_.format(), kCodePage));
                return;
            }
        }
        auto& values = appendedValues_[change.key];
        values.push_back(value);
    }

    // A key whose only section was that of a removed key below it would
    // vanish with it: it gets a section of its own.
    void KeepParentsOfRemovedKeys(const std::vector<std::u16string>& removedKeys) {
        std::set<std::u16string> covered;
        bool built = false;
        for (const auto& removed : removedKeys) {
            const std::u16string parent = Parent(removed);
            if (IsRoot(parent) || appendedValues_.count(parent) != 0 || !now_.FindKey(parent)) continue;
            if (!built) {
                for (const auto& [key, ops] : sections_)
                    for (std::size_t op : ops)
                        if (!removed_[ops_[op].firstLine])
                            for (std::u16string path = key; !IsRoot(path) && covered.insert(path).second;)
                                path = Parent(path);
                built = true;
            }
            if (covered.count(NormalKey(parent)) == 0) {
                appendedValues_[parent];
                covered.insert(NormalKey(parent));
            }
        }
    }

    void AppendTree(const std::u16string& top) {
        std::vector<std::pair<std::u16string, const RegKey*>> pending{{top, now_.FindKey(top).get()}};
        while (!pending.empty()) {
            auto [path, key] = pending.back();
            pending.pop_back();
            edit_.AppendSection(KeySection(path, key, edit_.format()));
            if (!key) continue;
            for (auto it = key->subKeys.rbegin(); it != key->subKeys.rend(); ++it)
                pending.emplace_back(path + u'\\' + (*it)->name, it->get());
        }
    }

    regfile::RegFileEdit edit_;
    std::vector<Op> ops_;
    const RegistryStore& now_;
    std::vector<bool> removed_;  // lines taken out
    std::map<std::u16string, std::vector<std::size_t>> sections_;         // key -> its key lines' operations
    std::unordered_map<std::u16string, std::size_t> keyDeleted_;          // key -> its last [-key] line's operation
    std::unordered_map<std::u16string, std::vector<std::size_t>> valueOps_;  // key '\n' NAME -> operations
    std::map<std::u16string, std::vector<regfile::RegFileValue>> appendedValues_;
};

}  // namespace

std::optional<std::string> UpdatedRegFile(const std::optional<std::string>& original, const RegistryStore& now,
                                           const RegistryChanges& changes) {
    if (changes.empty()) return std::nullopt;
    if (!original) {
        // Removals alone cannot be written into a file that does not exist.
        const bool writes = !changes.addedKeys.empty() ||
                            std::any_of(changes.values.begin(), changes.values.end(),
                                        [](const RegistryChanges::Value& change) { return change.value.has_value(); });
        if (!writes) return std::nullopt;
        return NewFile(now, changes);
    }
    return Updater(*original, now).Apply(changes);
}

}  // namespace qm::sim
