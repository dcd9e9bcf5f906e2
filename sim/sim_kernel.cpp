// Simulated kernel: module path, drives, file existence, program start and
// the string helpers the launcher takes from KERNEL32 and USER32.
#include "sim_internal.h"
#include "host_file.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace sim {
namespace {

struct Drive {
    UINT type = DRIVE_NO_ROOT_DIR;
    std::string folder;
    bool media = true;
};

std::string g_module_path;
Drive g_drives[26];
std::vector<Start> g_starts;
UINT g_winexec_result = 33;
UINT g_error_mode = 0;
std::vector<std::string> g_error_boxes;

void ResetKernel() {
    g_module_path = "C:\\LAUNCHER.EXE";
    for (auto &d : g_drives)
        d = Drive();
    g_starts.clear();
    g_winexec_result = 33;
    g_error_mode = 0;
    g_error_boxes.clear();
}
internal::ResetHook g_hook(ResetKernel);

int DriveIndex(char letter) {
    if (letter >= 'a' && letter <= 'z')
        return letter - 'a';
    if (letter >= 'A' && letter <= 'Z')
        return letter - 'A';
    return -1;
}

// Finds one path component (an ANSI name) in a host folder, exactly or else
// ignoring case as Windows does.
bool ResolveComponent(const std::string &folder, const std::string &name, std::string *out) {
    host::FileStatus st;
    std::string exact = folder + "/" + HostName(name);
    if (host::Stat(exact, &st)) {
        *out = exact;
        return true;
    }
    std::vector<std::string> names;
    if (!host::FolderNames(folder, &names))
        return false;
    std::string want = FoldAnsi(name);
    for (const std::string &n : names) {
        if (FoldAnsi(AnsiName(n)) == want) {
            *out = folder + "/" + n;
            return true;
        }
    }
    return false;
}

} // namespace

void SetModulePath(const std::string &path) { g_module_path = path; }

void MapDrive(char letter, UINT type, const std::string &host_folder) {
    int i = DriveIndex(letter);
    if (i < 0)
        return;
    g_drives[i].type = type;
    g_drives[i].folder = host_folder;
    g_drives[i].media = true;
}

void SetMediaPresent(char letter, bool present) {
    int i = DriveIndex(letter);
    if (i >= 0)
        g_drives[i].media = present;
}

const std::vector<std::string> &CriticalErrorBoxes() { return g_error_boxes; }
UINT ErrorMode() { return g_error_mode; }

std::string HostPath(const char *win_path) {
    if (!win_path || !win_path[0] || win_path[1] != ':')
        return "";
    int i = DriveIndex(win_path[0]);
    if (i < 0 || g_drives[i].folder.empty() || g_drives[i].type == DRIVE_NO_ROOT_DIR)
        return "";
    std::vector<std::string> parts;
    std::string cur;
    for (const char *p = win_path + 2;; ++p) {
        if (*p == '\\' || *p == '/' || *p == 0) {
            // Windows drops a last component's trailing dots and blanks
            // ("C:\Run.exe ." names C:\Run.exe: seen so under Wine).
            if (*p == 0 && cur != "." && cur != "..")
                while (!cur.empty() && (cur.back() == '.' || cur.back() == ' '))
                    cur.pop_back();
            if (cur == "..") {
                if (!parts.empty())
                    parts.pop_back();
            } else if (!cur.empty() && cur != ".") {
                parts.push_back(cur);
            }
            cur.clear();
            if (*p == 0)
                break;
        } else {
            // The second byte of a double-byte character may be a '\\'.
            if (IsLeadByte(static_cast<unsigned char>(*p)) && p[1])
                cur += *p++;
            cur += *p;
        }
    }
    std::string host = g_drives[i].folder;
    for (size_t k = 0; k < parts.size(); ++k) {
        std::string next;
        if (!ResolveComponent(host, parts[k], &next))
            next = host + "/" + HostName(parts[k]); // does not exist (yet): keep the name as given
        host = next;
    }
    return host;
}

const std::vector<Start> &Starts() { return g_starts; }
void SetWinExecResult(UINT result) { g_winexec_result = result; }

namespace internal {
void RecordStart(const Start &s) { g_starts.push_back(s); }

bool NoMedia(const char *win_path) {
    if (!win_path || !win_path[0] || win_path[1] != ':')
        return false;
    int i = DriveIndex(win_path[0]);
    if (i < 0 || g_drives[i].media || g_drives[i].type == DRIVE_NO_ROOT_DIR)
        return false;
    // The box waits for the user; this one is answered with Cancel, after
    // which the call fails as it does without the box.
    if (!(g_error_mode & SEM_FAILCRITICALERRORS)) {
        g_error_boxes.push_back(win_path);
        Log(std::string("critical-error box(") + win_path + ")");
    }
    SetLastErrorCode(ERROR_NOT_READY);
    return true;
}
} // namespace internal

} // namespace sim

using namespace sim;

DWORD WINAPI GetModuleFileNameA(HMODULE, LPSTR name, DWORD size) {
    if (ShouldFail("GetModuleFileNameA"))
        return 0;
    DWORD len = static_cast<DWORD>(g_module_path.size());
    if (len < size) {
        std::memcpy(name, g_module_path.c_str(), len + 1);
        return len;
    }
    // Windows XP's behaviour on truncation: the buffer is filled and left
    // without a terminator.
    std::memcpy(name, g_module_path.data(), size);
    internal::SetLastErrorCode(122);
    return size;
}

UINT WINAPI GetDriveTypeA(LPCSTR root) {
    Log(std::string("GetDriveTypeA(") + (root ? root : "(null)") + ")");
    if (!root || !root[0])
        return DRIVE_NO_ROOT_DIR;
    // Only a root path of the form "X:\" names a drive.
    if (root[1] != ':' || root[2] != '\\' || root[3] != 0)
        return DRIVE_NO_ROOT_DIR;
    int i = DriveIndex(root[0]);
    if (i < 0)
        return DRIVE_NO_ROOT_DIR;
    return g_drives[i].type;
}

namespace {
bool IsRegularFile(const char *win_path) {
    std::string host = HostPath(win_path);
    host::FileStatus st;
    return !host.empty() && host::Stat(host, &st) && st.file;
}

// Where OpenFile looks for a bare file name: the program's own folder, then
// the system folders (the current folder and the path are left out here).
std::string FindBareName(const std::string &name) {
    std::string own = g_module_path.substr(0, g_module_path.rfind('\\') + 1);
    for (const std::string &folder : {own, std::string("C:\\WINDOWS\\SYSTEM32\\"), std::string("C:\\WINDOWS\\")})
        if (!internal::NoMedia(folder.c_str()) && IsRegularFile((folder + name).c_str()))
            return folder + name;
    return "";
}
} // namespace

UINT WINAPI SetErrorMode(UINT mode) {
    UINT previous = g_error_mode;
    g_error_mode = mode;
    char text[32];
    std::snprintf(text, sizeof text, "SetErrorMode(%#x)", mode);
    Log(text);
    return previous;
}

HFILE WINAPI OpenFile(LPCSTR name, LPOFSTRUCT of, UINT style) {
    Log(std::string("OpenFile(") + (name ? name : "(null)") + ")");
    if (of) {
        std::memset(of, 0, sizeof *of);
        of->cBytes = sizeof *of;
    }
    if (ShouldFail("OpenFile") || !name || style != OF_EXIST)
        return HFILE_ERROR;
    // The found path goes to the record's 128-character szPathName, so a
    // name of 128 characters or more fails even when the file is there
    // (ERROR_INVALID_DATA): seen so under Wine, at 127 and 128 characters.
    if (std::strlen(name) >= sizeof of->szPathName) {
        if (of)
            of->nErrCode = ERROR_INVALID_DATA;
        return HFILE_ERROR;
    }
    bool path = std::strpbrk(name, "\\/:") != nullptr;
    if (path && internal::NoMedia(name)) {
        if (of)
            of->nErrCode = ERROR_NOT_READY;
        return HFILE_ERROR;
    }
    std::string found = path ? (IsRegularFile(name) ? name : "") : FindBareName(name);
    if (found.empty()) {
        if (of)
            of->nErrCode = ERROR_FILE_NOT_FOUND;
        return HFILE_ERROR;
    }
    if (of) {
        std::strncpy(of->szPathName, found.c_str(), sizeof of->szPathName - 1);
    }
    return 1; // OF_EXIST closes the file again; the value is only non-negative.
}

// Any path up to MAX_PATH, unlike OpenFile. A new file reads as
// FILE_ATTRIBUTE_ARCHIVE, a folder as FILE_ATTRIBUTE_DIRECTORY (seen so under
// Wine).
DWORD WINAPI GetFileAttributesA(LPCSTR name) {
    Log(std::string("GetFileAttributesA(") + (name ? name : "(null)") + ")");
    if (ShouldFail("GetFileAttributesA") || !name) {
        internal::SetLastErrorCode(ERROR_FILE_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (internal::NoMedia(name))
        return INVALID_FILE_ATTRIBUTES;
    std::string host = HostPath(name);
    host::FileStatus st;
    if (host.empty() || !host::Stat(host, &st)) {
        internal::SetLastErrorCode(ERROR_FILE_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    return st.folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
}

UINT WINAPI WinExec(LPCSTR cmdline, UINT show) {
    Start s{};
    s.api = "WinExec";
    s.file = cmdline ? cmdline : "";
    s.show = static_cast<int>(show);
    internal::RecordStart(s);
    Log("WinExec(" + s.file + ")");
    if (ShouldFail("WinExec"))
        return ERROR_FILE_NOT_FOUND;
    return g_winexec_result;
}

LPSTR WINAPI lstrcpyA(LPSTR dst, LPCSTR src) {
    if (!dst || !src)
        return nullptr;
    return std::strcpy(dst, src);
}

LPSTR WINAPI lstrcpynA(LPSTR dst, LPCSTR src, int n) {
    if (!dst || !src || n <= 0)
        return dst;
    int i = 0;
    for (; i < n - 1 && src[i]; ++i)
        dst[i] = src[i];
    dst[i] = 0;
    return dst;
}

LPSTR WINAPI lstrcatA(LPSTR dst, LPCSTR src) {
    if (!dst || !src)
        return nullptr;
    return std::strcat(dst, src);
}

int WINAPI lstrlenA(LPCSTR s) { return s ? static_cast<int>(std::strlen(s)) : 0; }

int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b) {
    std::string la = internal::Lower(a ? a : ""), lb = internal::Lower(b ? b : "");
    return la < lb ? -1 : (la > lb ? 1 : 0);
}

int WINAPI wvsprintfA(LPSTR buf, LPCSTR format, va_list args) {
    // USER32's formatter writes at most 1024 bytes, terminator included.
    int n = std::vsnprintf(buf, 1024, format, args);
    if (n < 0)
        n = 0;
    return n > 1023 ? 1023 : n;
}

int WINAPIV wsprintfA(LPSTR buf, LPCSTR format, ...) {
    va_list args;
    va_start(args, format);
    int n = wvsprintfA(buf, format, args);
    va_end(args);
    return n;
}
