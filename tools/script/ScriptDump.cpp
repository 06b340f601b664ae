// Dumping: decode the container, then write each piece in the most natural
// form that gives back the same bytes.
#include "tools/script/ScriptDump.h"

#include <map>
#include <optional>

#include "tools/script/ScriptDecode.h"
#include "tools/script/ScriptFormat.h"
#include "tools/script/ScriptNames.h"

namespace qm::script {

namespace {

const std::string kIndent = "    ";
constexpr std::size_t kLineWidth = 100;

bool IsObjectKind(std::uint16_t kind) { return ObjectKindName(kind).has_value(); }

std::string KindText(std::uint16_t kind) {
    if (auto name = ObjectKindName(kind)) return std::string(*name);
    if (auto name = RegistryTypeName(kind)) return std::string(*name);
    return HexNumber(kind, 2);
}

std::string TypeText(std::uint16_t dataType) {
    if (auto name = RegistryTypeName(dataType)) return std::string(*name);
    return HexNumber(dataType, 2);
}

std::string Text(const std::string& text) { return FormatText(text, kIndent); }

// The INI file and section of a first text, when the reader would split it.
std::optional<std::string> IniPath(const std::string& text1) {
    const std::size_t star = text1.find('*');
    if (star == std::string::npos || star == 0) return std::nullopt;
    return Text(text1.substr(0, star)) + " " + Text(text1.substr(star + 1));
}

// The named statement of a record, without its tag and wide clauses, when
// the record has one.
std::optional<std::string> NamedForm(const Record& r) {
    const bool t1 = !r.text1.empty();
    const bool t2 = !r.text2.empty();
    const bool d1 = !r.data1.empty();
    const bool d2 = !r.data2.empty();
    if (auto special = SpecialTypeName(r.type)) {
        if (r.kind != 0 || t2 || d1 || d2) return std::nullopt;
        return std::string(*special) + " " + Text(r.text1);
    }
    const std::uint8_t high = static_cast<std::uint8_t>(r.type >> 8);
    const std::uint8_t op = static_cast<std::uint8_t>(r.type & 0xFF);
    if (high != 0 && high != kWideNameByte) return std::nullopt;
    const auto name = OperationName(op);
    if (!name) return std::nullopt;
    const std::string opName(*name);
    const DataHint hint = HintForRecord(r.type, r.kind);
    const auto data = [&](const Bytes& d) { return FormatData(d, hint, kIndent); };

    if (op == kOpRegister || op == kOpUnregister) {
        if (t2 || d1 || d2) return std::nullopt;
        std::string s = opName + " server " + Text(r.text1);
        if (r.kind != kKindFile) s += " kind " + KindText(r.kind);
        return s;
    }
    if (op == kOpRename) {
        if ((r.kind != kKindFile && r.kind != kKindFolder) || d1 || d2) return std::nullopt;
        return opName + " " + KindText(r.kind) + " " + Text(r.text2) + " to " + Text(r.text1);
    }
    if (op == kOpChange) {
        std::string head;
        if (r.kind == kKindFile && !t2) {
            head = "change file " + Text(r.text1);
        } else if (r.kind == kKindIniValue) {
            const auto ini = IniPath(r.text1);
            if (!ini) return std::nullopt;
            head = "change ini-value " + *ini + " " + Text(r.text2);
        } else if (!IsObjectKind(r.kind) || r.kind == kKindFileInText2) {
            head = "change value " + Text(r.text1) + " " + Text(r.text2) + " " + TypeText(r.kind);
        } else {
            return std::nullopt;
        }
        const std::string values = "from " + data(r.data2) + " to " + data(r.data1);
        // A long change goes on a second line, from where its values start.
        const bool fits = head.size() + 1 + values.size() <= kLineWidth && head.find('\n') == std::string::npos &&
                          values.find('\n') == std::string::npos;
        return head + (fits ? " " : "\n" + kIndent) + values;
    }
    // Delete and add.
    const bool add = op == kOpAdd;
    switch (r.kind) {
        case kKindFile:
        case kKindFolder:
        case kKindRegKey:
            if (t2 || d1 || d2) return std::nullopt;
            return opName + " " + KindText(r.kind) + " " + Text(r.text1);
        case kKindFileInText2:
            if (t1 || d1 || d2) return std::nullopt;
            return opName + " file-text2 " + Text(r.text2);
        case kKindIniSection: {
            const auto ini = IniPath(r.text1);
            if (!ini || t2 || d1 || d2) return std::nullopt;
            return opName + " ini-section " + *ini;
        }
        case kKindIniValue: {
            const auto ini = IniPath(r.text1);
            if (!ini || d2) return std::nullopt;
            std::string s = opName + " ini-value " + *ini + " " + Text(r.text2);
            if (add) return s + " " + data(r.data1);
            return d1 ? s + " data " + data(r.data1) : s;
        }
        default: {
            if (d2) return std::nullopt;
            std::string s = opName + " value " + Text(r.text1) + " " + Text(r.text2) + " " + TypeText(r.kind);
            if (add) return s + " " + data(r.data1);
            return d1 ? s + " data " + data(r.data1) : s;
        }
    }
}

// Why the reader would refuse a record, for a comment above its raw form.
std::optional<std::string> RefusalNote(const Record& r) {
    if (SpecialTypeName(r.type) || (r.type & 0xFF) != kOpChange) return std::nullopt;
    if (r.kind == kKindRegKey) return "# The reader refuses a change of a registry key and stops reading here.";
    if (r.kind == kKindFolder) return "# The reader refuses a change of a folder and stops reading here.";
    if (r.kind == kKindIniSection) return "# The reader refuses a change of an INI section and stops reading here.";
    return std::nullopt;
}

std::string RawForm(const Record& r) {
    std::string s = "record ";
    const std::uint8_t high = static_cast<std::uint8_t>(r.type >> 8);
    const auto opName = OperationName(static_cast<std::uint8_t>(r.type & 0xFF));
    bool wide = false;
    if (auto special = SpecialTypeName(r.type)) {
        s += *special;
    } else if (opName && (high == 0 || high == kWideNameByte)) {
        s += *opName;
        wide = high == kWideNameByte;
    } else {
        s += HexNumber(r.type, 4);
    }
    s += " " + KindText(r.kind);
    if (wide) s += " wide";
    const DataHint hint = HintForRecord(r.type, r.kind);
    if (!r.text1.empty()) s += " text1 " + Text(r.text1);
    if (!r.text2.empty()) s += " text2 " + Text(r.text2);
    if (!r.data1.empty()) s += " data1 " + FormatData(r.data1, hint, kIndent);
    if (!r.data2.empty()) s += " data2 " + FormatData(r.data2, hint, kIndent);
    return s;
}

std::string FormatRecord(const Record& r, std::uint32_t defaultTag) {
    std::string s;
    if (auto named = NamedForm(r)) {
        s = *named;
        if (!SpecialTypeName(r.type) && (r.type >> 8) == kWideNameByte) s += " wide";
    } else {
        if (auto note = RefusalNote(r)) s = *note + "\n";
        s += RawForm(r);
    }
    if (r.tag != defaultTag) s += " tag " + HexNumber(r.tag, 8);
    return s;
}

std::string FormatStringTable(const StringTable& table, std::uint32_t defaultTag) {
    std::string s = "string-table";
    if (table.tag != defaultTag) s += " tag " + HexNumber(table.tag, 8);
    for (const std::string& entry : table.entries) s += "\n" + kIndent + "entry " + FormatText(entry, kIndent + kIndent);
    return s;
}

// The tag most records carry (0 on a tie), so that only the others show one.
std::uint32_t CommonTag(const std::vector<BodyItem>& body) {
    std::map<std::uint32_t, std::size_t> counts;
    for (const BodyItem& item : body) {
        if (const auto* r = std::get_if<Record>(&item)) ++counts[r->tag];
        if (const auto* t = std::get_if<StringTable>(&item)) ++counts[t->tag];
    }
    std::uint32_t best = 0;
    std::size_t bestCount = counts.count(0) ? counts[0] : 0;
    for (const auto& [tag, count] : counts)
        if (count > bestCount) {
            best = tag;
            bestCount = count;
        }
    return best;
}

}  // namespace

std::string FormatContainer(const Container& c, const std::string& moduleName) {
    std::string s = "# Removal script source (quellmar-script).\n";
    std::string header;
    if (c.module) header += "module " + Text(moduleName) + "\n";
    if (!c.prefix.empty()) header += "prefix " + FormatData(c.prefix, DataHint::Plain, kIndent) + "\n";
    if (c.magic.empty()) {
        header += "magic none  # the reader rejects a script without its magic\n";
    } else if (c.magic != Bytes(kScriptMagic, kScriptMagic + kScriptMagicSize)) {
        header += "magic " + FormatData(c.magic, DataHint::Plain, kIndent) + "\n";
    }
    if (!c.hasTrailer) header += "trailer none\n";
    if (c.trailerCheck) header += "trailer-check " + std::to_string(*c.trailerCheck) + "\n";
    if (c.recordStart) header += "record-start " + std::to_string(*c.recordStart) + "\n";
    const std::uint32_t defaultTag = CommonTag(c.body);
    if (defaultTag != 0) header += "default-tag " + HexNumber(defaultTag, 8) + "\n";
    if (!header.empty()) s += header;

    for (std::size_t i = 0; i < c.body.size(); ++i) {
        const BodyItem& item = c.body[i];
        const bool newGroup = i == 0 || std::holds_alternative<StringTable>(item) ||
                              std::holds_alternative<RawBytes>(item) ||
                              (std::holds_alternative<Record>(item) && std::get<Record>(item).type == kRecordOwner);
        if (newGroup) s += "\n";
        if (const auto* r = std::get_if<Record>(&item)) {
            s += FormatRecord(*r, defaultTag);
        } else if (const auto* t = std::get_if<StringTable>(&item)) {
            s += FormatStringTable(*t, defaultTag);
        } else {
            const Bytes& bytes = std::get<RawBytes>(item).bytes;
            if (c.magic.empty() && i == 0)
                s += "# Everything between the header and the trailer, as it stands:\n";
            else
                s += "# Bytes that do not form a whole record:\n";
            s += "bytes " + FormatData(bytes, DataHint::Plain, kIndent);
        }
        s += "\n";
    }
    return s;
}

DumpResult DumpScript(std::span<const std::uint8_t> bytes, const std::string& baseName) {
    const Container container = DecodeContainer(bytes);
    DumpResult result;
    const std::string moduleName = (baseName.empty() ? std::string("module") : baseName) + ".dll";
    if (container.module) result.sideFiles.emplace_back(moduleName, *container.module);
    result.source = FormatContainer(container, moduleName);
    return result;
}

}  // namespace qm::script
