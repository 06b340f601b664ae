// The two halves of a 64-bit Windows.
#include "engine/MachineHalves.h"

#include <cstring>

#include "locations/InfoDirs.h"
#include "locations/Paths.h"
#include "platform/Platform.h"

namespace qm {

bool IsWow64Program() {
    Platform& p = CurrentPlatform();
    BOOL wow64 = FALSE;
    // Missing on the 9x family and early NT: no 64-bit Windows there.
    return p.IsWow64Process(p.GetCurrentProcess(), &wow64) && wow64;
}

bool SeesBothHalves() {
    SYSTEM_INFO info;
    CurrentPlatform().GetNativeSystemInfo(&info);
    const bool x64 = info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                     info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64 ||
                     info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64;
    return x64 && !IsWow64Program();
}

std::optional<std::u16string> KeyIdentity(HKEY key) {
    Platform& p = CurrentPlatform();
    ULONG needed = 0;
    unsigned char probe[4];
    if (p.NtQueryKey(key, kKeyNameInformation, probe, sizeof probe, &needed) != kStatusBufferOverflow &&
        needed <= sizeof probe)
        return std::nullopt;
    std::vector<unsigned char> buffer(needed);
    if (p.NtQueryKey(key, kKeyNameInformation, buffer.data(), needed, &needed) != kStatusSuccess) return std::nullopt;
    ULONG bytes = 0;
    std::memcpy(&bytes, buffer.data(), sizeof bytes);
    if (bytes > buffer.size() - sizeof bytes) return std::nullopt;
    std::u16string name(bytes / 2, u'\0');
    std::memcpy(name.data(), buffer.data() + sizeof bytes, name.size() * 2);
    return name;
}

std::optional<KeyView> ViewOfKeyText(const std::string& keyText, const std::string& path, bool bothHalves) {
    const KeyView candidates[] = {bothHalves ? kSharedKey : kOnlyView, kView64, kView32};
    for (const KeyView& view : candidates) {
        if (!bothHalves && view.flag != 0) break;
        if (keyText == path + view.mark) return view;
    }
    return std::nullopt;
}

std::optional<std::string> ThirtyTwoBitTwin(const std::string& path) {
    // Common Files lies inside Program Files, so it is tried first.
    const std::pair<std::string, std::string> folders[] = {
        {InfoDir.GetSystemFolder(), InfoDir.GetSystemWow64Folder()},
        {InfoDir.GetCommonFilesFolder(), InfoDir.GetCommonFilesX86Folder()},
        {InfoDir.GetProgramFilesFolder(), InfoDir.GetProgramFilesX86Folder()},
    };
    const std::string upper = AnsiUpperCase(path);
    for (const auto& [native, twin] : folders) {
        if (native.empty() || twin.empty() || AnsiUpperCase(native) == AnsiUpperCase(twin)) continue;
        const std::string prefix = AnsiUpperCase(native) + "\\";
        if (upper.size() > prefix.size() && upper.compare(0, prefix.size(), prefix) == 0)
            return twin + path.substr(native.size());
    }
    return std::nullopt;
}

}  // namespace qm
