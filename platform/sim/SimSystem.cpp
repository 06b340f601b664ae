// System information, processes, modules, text and user interface of the
// simulated machine.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/sim/CodePage.h"
#include "platform/sim/SimPlatform.h"

namespace qm::sim {

namespace {

// Errors this area reports that the platform interface does not name.

constexpr DWORD kErrorBadFormat = 11;     // ERROR_BAD_FORMAT, WinExec's "not a program"

// The image base of every simulated executable: its first (only) module.
constexpr HMODULE kExeModule = 0x00400000;

// Copies a text the way the folder functions do: the whole text and its zero
// when it fits, giving the length; otherwise nothing, giving the size needed.
DWORD CopyIfFits(const std::string& text, char* buffer, DWORD size) {
    if (buffer != nullptr && size > text.size()) {
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return static_cast<DWORD>(text.size());
    }
    return static_cast<DWORD>(text.size() + 1);
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AnsiUpper(x) == AnsiUpper(y);
           });
}

std::string_view FileNamePart(std::string_view path) {
    const auto slash = path.find_last_of("\\/:");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(std::string_view path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

// ---- Calendar arithmetic for the simulated clock (proleptic Gregorian) ----

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::int64_t ToMilliseconds(const SYSTEMTIME& t) {
    const std::int64_t days = DaysFromCivil(t.wYear, t.wMonth, t.wDay);
    return ((days * 24 + t.wHour) * 60 + t.wMinute) * 60000 + t.wSecond * 1000 + t.wMilliseconds;
}

SYSTEMTIME FromMilliseconds(std::int64_t ms) {
    constexpr std::int64_t kDay = 86400000;
    std::int64_t z = ms >= 0 ? ms / kDay : (ms - kDay + 1) / kDay;
    std::int64_t rest = ms - z * kDay;
    SYSTEMTIME t;
    t.wDayOfWeek = static_cast<WORD>(((z % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned day = doy - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    t.wYear = static_cast<WORD>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wHour = static_cast<WORD>(rest / 3600000);
    rest %= 3600000;
    t.wMinute = static_cast<WORD>(rest / 60000);
    rest %= 60000;
    t.wSecond = static_cast<WORD>(rest / 1000);
    t.wMilliseconds = static_cast<WORD>(rest % 1000);
    return t;
}

// The result a failed WinExec or ShellExecuteA gives for an error: the code
// itself where it fits their small range, else "not a program".
template <typename T>
T SmallErrorCode(DWORD error, DWORD highest) {
    return static_cast<T>(error <= highest ? error : kErrorBadFormat);
}

}  // namespace

// ---- Folders and the program's own file ----

UINT SimPlatform::GetWindowsDirectoryA(char* buffer, UINT size) {
    if (auto error = Injected(FailableCall::GetWindowsDirectoryA, "")) return Fail(*error, UINT{0});
    return CopyIfFits(settings_.windowsDirectory, buffer, size);
}

UINT SimPlatform::GetSystemDirectoryA(char* buffer, UINT size) {
    if (auto error = Injected(FailableCall::GetSystemDirectoryA, "")) return Fail(*error, UINT{0});
    return CopyIfFits(settings_.systemDirectory, buffer, size);
}

UINT SimPlatform::GetSystemWow64DirectoryA(char* buffer, UINT size) {
    if (auto error = Injected(FailableCall::GetSystemWow64DirectoryA, "")) return Fail(*error, UINT{0});
    if (settings_.machineBits != 64) return Fail(ERROR_CALL_NOT_IMPLEMENTED, UINT{0});
    return CopyIfFits(settings_.systemWow64Directory, buffer, size);
}

DWORD SimPlatform::GetTempPathA(DWORD size, char* buffer) {
    if (auto error = Injected(FailableCall::GetTempPathA, "")) return Fail(*error, DWORD{0});
    return CopyIfFits(settings_.tempPath, buffer, size);
}

DWORD SimPlatform::GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) {
    if (auto error = Injected(FailableCall::GetModuleFileNameA, "")) return Fail(*error, DWORD{0});
    std::string path;
    if (module == 0) {
        path = settings_.programPath;
    } else if (const LoadedModule* loaded = modules_.Loaded(module)) {
        path = loaded->path;
    } else {
        return Fail(ERROR_MOD_NOT_FOUND, DWORD{0});
    }
    if (buffer == nullptr) return Fail(ERROR_INVALID_PARAMETER, DWORD{0});
    if (size > path.size()) {
        std::memcpy(buffer, path.c_str(), path.size() + 1);
        lastError_ = ERROR_SUCCESS;  // Windows resets it on success
        return static_cast<DWORD>(path.size());
    }
    // Too small: as much as fits, ended by a zero, and the size itself.
    if (size > 0) {
        std::memcpy(buffer, path.data(), size - 1);
        buffer[size - 1] = '\0';
    }
    return Fail(ERROR_INSUFFICIENT_BUFFER, size);
}

UINT SimPlatform::SetErrorMode(UINT mode) {
    return std::exchange(processes_.errorMode, mode);
}

// ---- User, environment, version and clock ----

BOOL SimPlatform::GetComputerNameA(char* buffer, DWORD* size) {
    if (auto error = Injected(FailableCall::GetComputerNameA, "")) return Fail(*error, FALSE);
    if (size == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    const auto length = static_cast<DWORD>(settings_.computerName.size());
    if (buffer == nullptr || *size <= length) {
        *size = length + 1;
        return Fail(ERROR_BUFFER_OVERFLOW, FALSE);
    }
    std::memcpy(buffer, settings_.computerName.c_str(), length + 1);
    *size = length;
    return TRUE;
}

BOOL SimPlatform::GetUserNameA(char* buffer, DWORD* size) {
    if (auto error = Injected(FailableCall::GetUserNameA, "")) return Fail(*error, FALSE);
    if (size == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    const auto needed = static_cast<DWORD>(settings_.userName.size() + 1);
    if (buffer == nullptr || *size < needed) {
        // The NT family reports the bytes of the UTF-16 name, twice the
        // characters the ANSI call needs; the 9x family the characters.
        *size = settings_.platformId == VER_PLATFORM_WIN32_NT ? needed * 2 : needed;
        return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
    }
    std::memcpy(buffer, settings_.userName.c_str(), needed);
    *size = needed;
    return TRUE;
}

DWORD SimPlatform::GetEnvironmentVariableA(const char* name, char* buffer, DWORD size) {
    if (auto error = Injected(FailableCall::GetEnvironmentVariableA, "")) return Fail(*error, DWORD{0});
    if (name == nullptr || *name == '\0') return Fail(ERROR_ENVVAR_NOT_FOUND, DWORD{0});
    const auto& environment = settings_.environment;
    auto it = std::find_if(environment.begin(), environment.end(),
                           [&](const auto& entry) { return SameTextIgnoringCase(entry.first, name); });
    if (it == environment.end()) return Fail(ERROR_ENVVAR_NOT_FOUND, DWORD{0});
    // An empty value gives 0 like a missing one, but sets no error.
    return CopyIfFits(it->second, buffer, size);
}

BOOL SimPlatform::SetEnvironmentVariableA(const char* name, const char* value) {
    if (auto error = Injected(FailableCall::SetEnvironmentVariableA, "")) return Fail(*error, FALSE);
    if (name == nullptr || *name == '\0' || std::strchr(name, '=') != nullptr)
        return Fail(ERROR_INVALID_PARAMETER, FALSE);
    auto& environment = settings_.environment;
    auto it = std::find_if(environment.begin(), environment.end(),
                           [&](const auto& entry) { return SameTextIgnoringCase(entry.first, name); });
    if (value == nullptr) {  // removes the variable
        if (it != environment.end()) environment.erase(it);
        return TRUE;
    }
    if (it != environment.end()) {
        *it = {name, value};
    } else {
        environment.emplace_back(name, value);
    }
    return TRUE;
}

BOOL SimPlatform::GetVersionExA(OSVERSIONINFOA* info) {
    if (auto error = Injected(FailableCall::GetVersionExA, "")) return Fail(*error, FALSE);
    if (info == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    constexpr DWORD kExtendedSize = 156;  // OSVERSIONINFOEXA, also accepted
    if (info->dwOSVersionInfoSize != kOsVersionInfoASize &&
        info->dwOSVersionInfoSize != kExtendedSize) {
        // The 9x family fails without setting an error.
        if (settings_.platformId != VER_PLATFORM_WIN32_NT) return FALSE;
        return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
    }
    info->dwMajorVersion = settings_.majorVersion;
    info->dwMinorVersion = settings_.minorVersion;
    info->dwBuildNumber = settings_.buildNumber;
    info->dwPlatformId = settings_.platformId;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    return TRUE;
}

void SimPlatform::GetLocalTime(SYSTEMTIME* time) {
    if (time != nullptr) *time = settings_.localTime;
}

void SimPlatform::GetSystemTime(SYSTEMTIME* time) {
    if (time == nullptr) return;
    const std::int64_t utc =
        ToMilliseconds(settings_.localTime) - std::int64_t{settings_.utcBiasMinutes} * 60000;
    *time = FromMilliseconds(utc);
}

void SimPlatform::Sleep(DWORD milliseconds) {
    // The clock moves on at once; nothing really waits.
    settings_.localTime = FromMilliseconds(ToMilliseconds(settings_.localTime) + milliseconds);
}

// ---- Processes ----

HANDLE SimPlatform::CreateToolhelp32Snapshot(DWORD flags, DWORD /*processId*/) {
    if (auto error = Injected(FailableCall::CreateToolhelp32Snapshot, "")) return Fail(*error, kInvalidHandle);
    if (!settings_.toolhelpAvailable) return Fail(ERROR_PROC_NOT_FOUND, kInvalidHandle);
    ProcessSnapshot snapshot;
    if ((flags & TH32CS_SNAPPROCESS) != 0) snapshot.processes = processes_.running();
    snapshot.nineXNames = settings_.platformId != VER_PLATFORM_WIN32_NT;
    const HANDLE handle = NewHandle();
    processes_.AddSnapshot(handle, std::move(snapshot));
    return handle;
}

namespace {

// Fills an entry from the snapshot's next process; false at the end.
bool NextEntry(ProcessSnapshot& snapshot, PROCESSENTRY32& entry) {
    if (snapshot.next >= snapshot.processes.size()) return false;
    const SimProcess& process = snapshot.processes[snapshot.next++];
    entry.cntUsage = 0;
    entry.th32ProcessID = process.id;
    entry.th32DefaultHeapID = 0;
    entry.th32ModuleID = 0;
    entry.cntThreads = 1;
    entry.th32ParentProcessID = process.parentId;
    entry.pcPriClassBase = 8;  // normal priority
    entry.dwFlags = 0;
    // The 9x family names the full path; the NT family only the file name.
    const std::string_view name =
        snapshot.nineXNames ? std::string_view(process.exePath) : FileNamePart(process.exePath);
    const std::size_t length = std::min(name.size(), sizeof entry.szExeFile - 1);
    std::memcpy(entry.szExeFile, name.data(), length);
    std::memset(entry.szExeFile + length, 0, sizeof entry.szExeFile - length);
    return true;
}

}  // namespace

BOOL SimPlatform::Process32First(HANDLE snapshot, PROCESSENTRY32* entry) {
    if (auto error = Injected(FailableCall::Process32First, "")) return Fail(*error, FALSE);
    ProcessSnapshot* found = processes_.FindSnapshot(snapshot);
    if (found == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
    if (entry == nullptr || entry->dwSize < kProcessEntry32Size) return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
    found->next = 0;
    return NextEntry(*found, *entry) ? TRUE : Fail(ERROR_NO_MORE_FILES, FALSE);
}

BOOL SimPlatform::Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) {
    if (auto error = Injected(FailableCall::Process32Next, "")) return Fail(*error, FALSE);
    ProcessSnapshot* found = processes_.FindSnapshot(snapshot);
    if (found == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
    if (entry == nullptr || entry->dwSize < kProcessEntry32Size) return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
    return NextEntry(*found, *entry) ? TRUE : Fail(ERROR_NO_MORE_FILES, FALSE);
}

HANDLE SimPlatform::OpenProcess(DWORD access, BOOL /*inheritHandle*/, DWORD processId) {
    if (auto error = Injected(FailableCall::OpenProcess, "")) return Fail(*error, HANDLE{0});
    const SimProcess* process = processes_.Find(processId);
    if (process == nullptr) return Fail(ERROR_INVALID_PARAMETER, HANDLE{0});
    if (process->refuseOpen) return Fail(ERROR_ACCESS_DENIED, HANDLE{0});
    if (process->refuseRead && (access & (PROCESS_VM_READ | PROCESS_QUERY_INFORMATION)) != 0)
        return Fail(ERROR_ACCESS_DENIED, HANDLE{0});
    const HANDLE handle = NewHandle();
    processes_.AddProcessHandle(handle, ProcessHandleRecord{processId, access});
    return handle;
}

BOOL SimPlatform::TerminateProcess(HANDLE process, UINT exitCode) {
    if (auto error = Injected(FailableCall::TerminateProcess, "")) return Fail(*error, FALSE);
    const ProcessHandleRecord* record = processes_.FindProcessHandle(process);
    if (record == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
    if ((record->access & PROCESS_TERMINATE) == 0) return Fail(ERROR_ACCESS_DENIED, FALSE);
    const SimProcess* running = processes_.Find(record->processId);
    // A process that has already ended cannot be terminated again.
    if (running == nullptr || running->refuseTerminate) return Fail(ERROR_ACCESS_DENIED, FALSE);
    EndProcess(record->processId, exitCode);
    return TRUE;
}

namespace {

constexpr DWORD kQueryAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;

}  // namespace

bool SimPlatform::CanReadModules(const SimProcess& target) const {
    // A 32-bit program cannot read a 64-bit process's module list.
    const int targetBits = target.bits != 0 ? target.bits : settings_.machineBits;
    return settings_.programBits >= targetBits;
}

BOOL SimPlatform::EnumProcessModules(HANDLE process, HMODULE* modules, DWORD size, DWORD* needed) {
    if (auto error = Injected(FailableCall::EnumProcessModules, "")) return Fail(*error, FALSE);
    if (!settings_.psapiAvailable || settings_.platformId != VER_PLATFORM_WIN32_NT)
        return Fail(ERROR_MOD_NOT_FOUND, FALSE);
    const ProcessHandleRecord* record = processes_.FindProcessHandle(process);
    if (record == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
    if ((record->access & kQueryAccess) != kQueryAccess) return Fail(ERROR_ACCESS_DENIED, FALSE);
    const SimProcess* target = processes_.Find(record->processId);
    if (target == nullptr || !CanReadModules(*target)) return Fail(ERROR_PARTIAL_COPY, FALSE);
    if (needed == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    // One module, the executable. A buffer too small still succeeds; needed
    // tells how much room the whole list takes.
    *needed = sizeof(HMODULE);
    if (modules != nullptr && size >= sizeof(HMODULE)) modules[0] = kExeModule;
    return TRUE;
}

DWORD SimPlatform::GetModuleFileNameExA(HANDLE process, HMODULE module, char* buffer, DWORD size) {
    if (auto error = Injected(FailableCall::GetModuleFileNameExA, "")) return Fail(*error, DWORD{0});
    if (!settings_.psapiAvailable || settings_.platformId != VER_PLATFORM_WIN32_NT)
        return Fail(ERROR_MOD_NOT_FOUND, DWORD{0});
    const ProcessHandleRecord* record = processes_.FindProcessHandle(process);
    if (record == nullptr) return Fail(ERROR_INVALID_HANDLE, DWORD{0});
    if ((record->access & kQueryAccess) != kQueryAccess) return Fail(ERROR_ACCESS_DENIED, DWORD{0});
    const SimProcess* running = processes_.Find(record->processId);
    if (running == nullptr || !CanReadModules(*running)) return Fail(ERROR_PARTIAL_COPY, DWORD{0});
    if (module != 0 && module != kExeModule) return Fail(ERROR_INVALID_HANDLE, DWORD{0});
    if (buffer == nullptr || size == 0) return Fail(ERROR_INSUFFICIENT_BUFFER, DWORD{0});
    // A long path is cut to the buffer and still ended by a zero.
    const std::size_t length = std::min<std::size_t>(running->exePath.size(), size - 1);
    std::memcpy(buffer, running->exePath.data(), length);
    buffer[length] = '\0';
    return static_cast<DWORD>(length);
}

UINT SimPlatform::WinExec(const char* commandLine, UINT show) {
    const std::string line = commandLine != nullptr ? commandLine : "";
    if (auto error = Injected(FailableCall::WinExec, line)) return Fail(*error, SmallErrorCode<UINT>(*error, 31));
    winExecCalls_.push_back(WinExecCall{line, show});
    return 33;  // above 31: started
}

// ---- Modules ----

HMODULE SimPlatform::LoadLibraryA(const char* fileName) {
    const std::string given = fileName != nullptr ? fileName : "";
    if (auto error = Injected(FailableCall::LoadLibraryA, given)) return Fail(*error, HMODULE{0});
    if (given.empty()) return Fail(ERROR_INVALID_PARAMETER, HMODULE{0});

    // A name without extension means a ".dll"; a trailing dot means none.
    std::string name = given;
    const std::string_view base = FileNamePart(name);
    if (!base.empty() && base.back() == '.') {
        name.pop_back();
    } else if (base.find('.') == std::string_view::npos) {
        name += ".dll";
    }

    auto isFile = [this](const std::string& path) {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    };
    auto currentDirectory = [this] {
        char folder[MAX_PATH + 1] = {};
        const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
        std::string text(folder, length < sizeof folder ? length : 0);
        if (!text.empty() && text.back() == '\\') text.pop_back();
        return text;
    };

    // A bare name is looked for in the program's folder, the system and
    // Windows folders and the current folder; a path is taken as it is,
    // relative to the current folder when it does not start at a root.
    std::string path;
    if (name.find_first_of("\\/:") == std::string::npos) {
        for (const std::string& folder : {FolderOf(settings_.programPath), settings_.systemDirectory,
                                          settings_.windowsDirectory, currentDirectory()}) {
            if (isFile(folder + "\\" + name)) {
                path = folder + "\\" + name;
                break;
            }
        }
        if (path.empty()) return Fail(ERROR_MOD_NOT_FOUND, HMODULE{0});
    } else {
        const bool rooted = name.size() >= 2 && (name[1] == ':' || name[0] == '\\' || name[0] == '/');
        path = rooted ? name : currentDirectory() + "\\" + name;
        if (!isFile(path)) return Fail(ERROR_MOD_NOT_FOUND, HMODULE{0});
    }

    if (const HMODULE loaded = modules_.FindLoaded(path)) {
        modules_.AddReference(loaded);
        return loaded;
    }

    const std::optional<std::string> moduleName = ModuleNameOfFile(path);
    if (!moduleName && lastError_ != 0) return Fail(lastError_, HMODULE{0});
    if (!moduleName || modules_.Definition(*moduleName) == nullptr)
        return Fail(ERROR_BAD_EXE_FORMAT, HMODULE{0});
    // A 64-bit program cannot load a 32-bit module, nor the other way round.
    const int bits = modules_.Definition(*moduleName)->bits();
    if (settings_.machineBits == 64 && bits != 0 && bits != settings_.programBits)
        return Fail(ERROR_BAD_EXE_FORMAT, HMODULE{0});

    const HMODULE module = modules_.Map(path, *moduleName);
    if (module == 0) return Fail(ERROR_DLL_INIT_FAILED, HMODULE{0});
    // A loaded module's file cannot be deleted, as on Windows.
    disk_.MarkInUse(path, ERROR_ACCESS_DENIED);
    return module;
}

std::optional<std::string> SimPlatform::ModuleNameOfFile(const std::string& path) {
    lastError_ = 0;
    if (auto bound = modules_.BoundName(path)) return bound;
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == kInvalidHandle) {
        const bool missing = lastError_ == ERROR_FILE_NOT_FOUND || lastError_ == ERROR_PATH_NOT_FOUND;
        if (missing) lastError_ = ERROR_MOD_NOT_FOUND;
        return std::nullopt;
    }
    std::string head(ModuleTable::kHeaderReadSize, '\0');
    DWORD got = 0;
    const BOOL read = ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &got, nullptr);
    CloseHandle(file);
    lastError_ = 0;
    return read ? ModuleTable::NameFromContent(std::string_view(head.data(), got)) : std::nullopt;
}

FARPROC SimPlatform::GetProcAddress(HMODULE module, const char* procName) {
    if (auto error = Injected(FailableCall::GetProcAddress, "")) return Fail(*error, FARPROC{nullptr});
    const SimModule* definition = nullptr;
    if (module != 0) {  // 0 is the program itself, which exports nothing
        const LoadedModule* loaded = modules_.Loaded(module);
        if (loaded == nullptr) return Fail(ERROR_MOD_NOT_FOUND, FARPROC{nullptr});
        definition = modules_.Definition(loaded->name);
    }
    // Ordinals (values below 0x10000) are not simulated: no export has one.
    const bool byName = reinterpret_cast<std::uintptr_t>(procName) >= 0x10000;
    const SimExport address = definition != nullptr && byName ? definition->Find(procName) : nullptr;
    if (address == nullptr) return Fail(ERROR_PROC_NOT_FOUND, FARPROC{nullptr});
    return address;
}

BOOL SimPlatform::FreeLibrary(HMODULE module) {
    if (auto error = Injected(FailableCall::FreeLibrary, "")) return Fail(*error, FALSE);
    const LoadedModule* loaded = modules_.Loaded(module);
    const std::string path = loaded != nullptr ? loaded->path : std::string();
    if (!modules_.Free(module)) return Fail(ERROR_MOD_NOT_FOUND, FALSE);
    if (!modules_.IsFileLoaded(path)) disk_.ClearInUse(path);
    return TRUE;
}

// ---- Text in the system code page ----

namespace {

std::string_view CountedText(const char* text, int count) {
    return count < 0 ? std::string_view(text) : std::string_view(text, static_cast<std::size_t>(count));
}

// The case-sensitive order: the case-insensitive one, then, between texts
// equal but for case, the first difference with the small letter first.
int AnsiCompare(std::string_view a, std::string_view b) {
    if (const int order = AnsiCompareIgnoreCase(a, b); order != 0) return order;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] == b[i]) continue;
        const bool aSmall = AnsiUpper(a[i]) != a[i];
        return aSmall ? -1 : 1;
    }
    return 0;
}

}  // namespace

int SimPlatform::CompareStringA(LCID /*locale*/, DWORD flags, const char* string1, int count1,
                                const char* string2, int count2) {
    if (auto error = Injected(FailableCall::CompareStringA, "")) return Fail(*error, 0);
    if (string1 == nullptr || string2 == nullptr) return Fail(ERROR_INVALID_PARAMETER, 0);
    const std::string_view a = CountedText(string1, count1);
    const std::string_view b = CountedText(string2, count2);
    const int order = (flags & NORM_IGNORECASE) != 0 ? AnsiCompareIgnoreCase(a, b) : AnsiCompare(a, b);
    return order < 0 ? CSTR_LESS_THAN : order > 0 ? CSTR_GREATER_THAN : CSTR_EQUAL;
}

DWORD SimPlatform::CharUpperBuffA(char* text, DWORD length) {
    if (text == nullptr) return 0;
    std::transform(text, text + length, text, AnsiUpper);
    return length;
}

int SimPlatform::MultiByteToWideChar(UINT codePage, DWORD /*flags*/, const char* text, int count,
                                     WCHAR* wide, int wideCount) {
    if (auto error = Injected(FailableCall::MultiByteToWideChar, "")) return Fail(*error, 0);
    constexpr UINT kWestern = 1252;  // the simulated system code page
    if (codePage != CP_ACP && codePage != kWestern) return Fail(ERROR_INVALID_PARAMETER, 0);
    if (text == nullptr || count == 0 || wideCount < 0 || (wide == nullptr && wideCount != 0))
        return Fail(ERROR_INVALID_PARAMETER, 0);
    // A count of -1 converts the text with its ending zero.
    const std::string_view bytes = count < 0 ? std::string_view(text, std::strlen(text) + 1)
                                             : std::string_view(text, static_cast<std::size_t>(count));
    const std::u16string converted = AnsiToUtf16(bytes);
    const int needed = static_cast<int>(converted.size());
    if (wideCount == 0) return needed;
    if (wideCount < needed) return Fail(ERROR_INSUFFICIENT_BUFFER, 0);
    std::copy(converted.begin(), converted.end(), wide);
    return needed;
}

// ---- User interface ----

int SimPlatform::MessageBoxA(HWND /*owner*/, const char* text, const char* caption, UINT type) {
    if (auto error = Injected(FailableCall::MessageBoxA, "")) return Fail(*error, 0);
    messageBoxes_.push_back(MessageBoxCall{text != nullptr ? text : "",
                                           caption != nullptr ? caption : "Error", type});
    return settings_.messageBoxAnswer;
}

std::intptr_t SimPlatform::ShellExecuteA(HWND /*owner*/, const char* operation, const char* file,
                                         const char* parameters, const char* /*directory*/,
                                         int /*show*/) {
    if (auto error = Injected(FailableCall::ShellExecuteA, ""))
        return Fail(*error, SmallErrorCode<std::intptr_t>(*error, 32));
    shellExecutes_.push_back(ShellExecuteCall{operation != nullptr ? operation : "",
                                              file != nullptr ? file : "",
                                              parameters != nullptr ? parameters : ""});
    return 42;  // above 32: done
}

}  // namespace qm::sim
