// Redirected and shared keys of the 32-bit registry view.
#include "platform/sim/RegistryViews.h"

#include <algorithm>

namespace qm::sim {

namespace {

enum class Behaviour { Shared, Redirected };

struct Rule {
    std::string_view root;
    std::string_view path;  // below the root, "\"-separated
    Behaviour behaviour;
};

// Keys not below a listed key are shared. The Wow6432Node keys themselves
// are listed as shared so that a path naming one is never redirected twice.
constexpr Rule kRules[] = {
    {"HKEY_LOCAL_MACHINE", "SOFTWARE", Behaviour::Redirected},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Wow6432Node", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Classes", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Classes\\Wow6432Node", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Classes\\CLSID", Behaviour::Redirected},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Classes\\DirectShow", Behaviour::Redirected},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Classes\\Interface", Behaviour::Redirected},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Classes\\Media Type", Behaviour::Redirected},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Classes\\MediaFoundation", Behaviour::Redirected},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Clients", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\COM3", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Cryptography\\Calais\\Current", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Cryptography\\Calais\\Readers", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Cryptography\\Services", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\CTF\\SystemShared", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\CTF\\TIP", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\DFS", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Driver Signing", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\EnterpriseCertificates", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\EventSystem", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\MSMQ", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Non-Driver Signing", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Notepad\\DefaultFonts", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\OLE", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\RAS", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\RPC", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Shared Tools\\MSInfo", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\SystemCertificates", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\TermServLicensing", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Transaction Server", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cursors\\Schemes",
     Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoplayHandlers",
     Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\DriveIcons", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\KindMap", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Group Policy", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\PreviewHandlers", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Console", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontDpi", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontLink", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontMapper", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Gre_Initialize", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options",
     Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\LanguagePack", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Perflib", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Policies", Behaviour::Shared},
    {"HKEY_LOCAL_MACHINE", "SOFTWARE\\RegisteredApplications", Behaviour::Shared},
    {"HKEY_CURRENT_USER", "SOFTWARE\\Classes\\Wow6432Node", Behaviour::Shared},
    {"HKEY_CURRENT_USER", "SOFTWARE\\Classes\\CLSID", Behaviour::Redirected},
    {"HKEY_CURRENT_USER", "SOFTWARE\\Classes\\DirectShow", Behaviour::Redirected},
    {"HKEY_CURRENT_USER", "SOFTWARE\\Classes\\Interface", Behaviour::Redirected},
    {"HKEY_CURRENT_USER", "SOFTWARE\\Classes\\Media Type", Behaviour::Redirected},
    {"HKEY_CURRENT_USER", "SOFTWARE\\Classes\\MediaFoundation", Behaviour::Redirected},
};

char16_t UpperAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

bool SameName(std::u16string_view name, std::string_view ascii) {
    if (name.size() != ascii.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (UpperAscii(name[i]) != UpperAscii(static_cast<unsigned char>(ascii[i]))) return false;
    return true;
}

// How many of the names the rule's path covers, or 0 when it is not a
// beginning of them.
std::size_t Covers(const Rule& rule, const std::vector<std::u16string>& names) {
    std::string_view rest = rule.path;
    std::size_t depth = 0;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('\\');
        const std::string_view part = rest.substr(0, slash);
        if (depth >= names.size() || !SameName(names[depth], part)) return 0;
        ++depth;
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    }
    return depth;
}

}  // namespace

std::vector<std::u16string> Wow32ViewNames(std::string_view rootName, const std::vector<std::u16string>& names) {
    const Rule* deepest = nullptr;
    std::size_t deepestDepth = 0;
    for (const Rule& rule : kRules) {
        if (rule.root != rootName) continue;
        const std::size_t depth = Covers(rule, names);
        if (depth > deepestDepth) {
            deepest = &rule;
            deepestDepth = depth;
        }
    }
    if (deepest == nullptr || deepest->behaviour == Behaviour::Shared) return names;
    // The 32-bit copies live in a Wow6432Node key right below SOFTWARE, or
    // below SOFTWARE\Classes for the class keys.
    const bool classKey = names.size() >= 3 && SameName(names[1], "Classes");
    const std::size_t at = classKey ? 2 : 1;
    std::vector<std::u16string> physical = names;
    physical.insert(physical.begin() + static_cast<std::ptrdiff_t>(at), u"Wow6432Node");
    return physical;
}

}  // namespace qm::sim
