// The manifest's lines.
#include "engine/BackupManifest.h"

namespace qm {

namespace {

constexpr std::string_view kTitle = "Quellmar backup";

std::string Escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out;
}

std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
            case 't': out += '\t'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            default: out += text[i];
        }
    }
    return out;
}

std::vector<std::string> Fields(std::string_view line) {
    std::vector<std::string> fields;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(Unescape(line.substr(start, tab == std::string_view::npos ? line.npos : tab - start)));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    return fields;
}

// The fields of every line that is not empty, ended by LF or CR LF.
std::vector<std::vector<std::string>> FieldLines(std::string_view text) {
    std::vector<std::vector<std::string>> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) lines.push_back(Fields(line));
    }
    return lines;
}

std::string Line(std::initializer_list<std::string_view> fields) {
    std::string line;
    for (std::string_view field : fields) line += (line.empty() ? "" : "\t") + Escape(field);
    return line + "\r\n";
}

}  // namespace

std::string ManifestHead(const BackupManifest& manifest) {
    std::string head = std::string(kTitle) + "\t1\r\n";
    head += Line({"kind", manifest.kind});
    head += Line({"script", manifest.script});
    head += Line({"created", manifest.created});
    if (!manifest.of.empty()) head += Line({"of", manifest.of});
    return head;
}

std::string ChangeLine(const BackupChange& change) {
    std::string line = "change\t" + Escape(change.kind);
    for (const std::string& field : change.fields) line += "\t" + Escape(field);
    return line + "\r\n";
}

std::vector<BackupChange> ParseChangeLines(std::string_view text) {
    std::vector<BackupChange> changes;
    for (const std::vector<std::string>& fields : FieldLines(text)) {
        if (fields[0] != "change" || fields.size() < 2) continue;
        if (fields[1] == kChangeNotMade) {
            if (!changes.empty()) changes.back().made = false;
            continue;
        }
        changes.push_back({fields[1], std::vector<std::string>(fields.begin() + 2, fields.end()), true});
    }
    return changes;
}

std::optional<BackupManifest> ParseManifest(std::string_view text) {
    BackupManifest manifest;
    bool titled = false;
    for (const std::vector<std::string>& fields : FieldLines(text)) {
        if (!titled) {
            if (fields[0] != kTitle) return std::nullopt;
            titled = true;
        } else if (fields[0] == "kind" && fields.size() > 1) {
            manifest.kind = fields[1];
        } else if (fields[0] == "script" && fields.size() > 1) {
            manifest.script = fields[1];
        } else if (fields[0] == "created" && fields.size() > 1) {
            manifest.created = fields[1];
        } else if (fields[0] == "of" && fields.size() > 1) {
            manifest.of = fields[1];
        }
    }
    if (!titled) return std::nullopt;
    manifest.changes = ParseChangeLines(text);
    return manifest;
}

}  // namespace qm
