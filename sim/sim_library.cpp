// Simulated module and library calls: KERNEL32 found by name, SHELL32 loaded
// and released, exports looked up by name (some of them missing, as on older
// Windows), the system folder, and the calls that set where DLLs are
// searched for.
#include "sim_internal.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <shellapi.h>

namespace sim {
namespace {

const HMODULE kKernel32 = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7B600000));
const char kSystemDirectory[] = "C:\\WINDOWS\\SYSTEM32";

std::set<std::string> g_hidden; // "dll!function", lower case
std::set<HMODULE> g_shell;      // loaded SHELL32 handles
std::vector<std::string> g_loads;
LANGID g_ui_language = 0x0409;     // the user's UI language
LANGID g_system_language = 0x0409; // the language of Windows itself

void ResetLibraries() {
    g_hidden.clear();
    g_shell.clear();
    g_loads.clear();
    g_ui_language = g_system_language = 0x0409;
}
internal::ResetHook g_hook(ResetLibraries);

// "KERNEL32", "kernel32.dll", "C:\\WINDOWS\\SYSTEM32\\SHELL32.DLL": the
// module's name alone, lower case, without ".dll".
std::string ModuleName(const char *name) {
    std::string s = internal::Lower(name ? name : "");
    size_t slash = s.find_last_of("\\/:");
    if (slash != std::string::npos)
        s = s.substr(slash + 1);
    if (s.size() > 4 && s.compare(s.size() - 4, 4, ".dll") == 0)
        s.resize(s.size() - 4);
    return s;
}

bool Hidden(const char *dll, const char *function) {
    return g_hidden.count(std::string(dll) + "!" + internal::Lower(function)) != 0;
}

BOOL WINAPI SimSetDefaultDllDirectories(DWORD flags) {
    char text[48];
    std::snprintf(text, sizeof text, "SetDefaultDllDirectories(%#x)", static_cast<unsigned>(flags));
    Log(text);
    return !ShouldFail("SetDefaultDllDirectories");
}

BOOL WINAPI SimSetDllDirectoryA(LPCSTR path) {
    Log(std::string("SetDllDirectoryA(") + (path ? "\"" + std::string(path) + "\"" : "null") + ")");
    return !ShouldFail("SetDllDirectoryA");
}

// A function as GetProcAddress hands it out; the caller casts it back.
template <typename F> FARPROC Export(F *function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)(void)>(function));
}

LANGID WINAPI SimGetUserDefaultUILanguage(void) {
    Log("GetUserDefaultUILanguage");
    return g_ui_language;
}

} // namespace

void SetUILanguage(LANGID language) { g_ui_language = g_system_language = language; }

void SetSystemLanguage(LANGID language) { g_system_language = language; }

void HideExport(const std::string &dll, const std::string &function) {
    g_hidden.insert(ModuleName(dll.c_str()) + "!" + internal::Lower(function));
}

const std::vector<std::string> &LibraryLoads() { return g_loads; }

} // namespace sim

using namespace sim;

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    Log(std::string("GetModuleHandleA(") + (name ? name : "null") + ")");
    if (name && ModuleName(name) == "kernel32" && !ShouldFail("GetModuleHandleA"))
        return kKernel32;
    internal::SetLastErrorCode(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

// The flags, which decide where the library's own DLLs are looked for, are
// logged with the name.
HMODULE WINAPI LoadLibraryExA(LPCSTR name, HANDLE, DWORD flags) {
    char text[16];
    std::snprintf(text, sizeof text, ",%#x)", static_cast<unsigned>(flags));
    g_loads.push_back(name ? name : "");
    Log(std::string("LoadLibraryExA(") + (name ? name : "null") + text);
    if (ShouldFail("LoadLibraryExA") || !name || ModuleName(name) != "shell32") {
        internal::SetLastErrorCode(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    HMODULE module = static_cast<HMODULE>(internal::NewHandle());
    g_shell.insert(module);
    LedgerAcquire("library", module);
    return module;
}

BOOL WINAPI FreeLibrary(HMODULE module) {
    Log("FreeLibrary");
    if (!g_shell.erase(module)) {
        LedgerRelease("library", module); // notes the bad release
        internal::SetLastErrorCode(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    LedgerRelease("library", module);
    return TRUE;
}

LANGID WINAPI GetSystemDefaultLangID(void) {
    Log("GetSystemDefaultLangID");
    return g_system_language;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    Log(std::string("GetProcAddress(") + (name ? name : "null") + ")");
    FARPROC found = nullptr;
    if (!ShouldFail("GetProcAddress") && name) {
        if (module == kKernel32 && !std::strcmp(name, "SetDefaultDllDirectories") &&
            !Hidden("kernel32", name))
            found = Export(&SimSetDefaultDllDirectories);
        else if (module == kKernel32 && !std::strcmp(name, "SetDllDirectoryA") && !Hidden("kernel32", name))
            found = Export(&SimSetDllDirectoryA);
        else if (module == kKernel32 && !std::strcmp(name, "GetUserDefaultUILanguage") &&
                 !Hidden("kernel32", name))
            found = Export(&SimGetUserDefaultUILanguage);
        else if (g_shell.count(module) && !std::strcmp(name, "ShellExecuteA") && !Hidden("shell32", name))
            found = Export(&ShellExecuteA);
    }
    if (!found)
        internal::SetLastErrorCode(ERROR_PROC_NOT_FOUND);
    return found;
}

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size) {
    UINT length = static_cast<UINT>(std::strlen(kSystemDirectory));
    if (ShouldFail("GetSystemDirectoryA"))
        return 0;
    // Too small a buffer is left alone; the size it needs comes back.
    if (!buffer || size <= length)
        return length + 1;
    std::memcpy(buffer, kSystemDirectory, length + 1);
    return length;
}
