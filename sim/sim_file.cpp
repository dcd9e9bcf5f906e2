// Simulated file reading: CreateFileA over real files (found through the
// mapped drives) or in-memory files, ReadFile with Windows' short reads at
// the end of a file, SetFilePointer, GetFileSize and CloseHandle.
#include "sim_internal.h"
#include "host_file.h"

#include <cstring>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace sim {
namespace {

struct SimFile {
    int fd;                    // -1 for an in-memory file
    const std::string *memory; // the in-memory file's bytes
    long long position;
};

std::map<std::string, std::string> g_memory_files; // by lower-case Windows path
std::map<HANDLE, SimFile> g_files;
std::vector<FileOpen> g_opens;
std::vector<FileRead> g_reads;

void ResetFiles() {
    for (auto &kv : g_files)
        if (kv.second.fd >= 0)
            close(kv.second.fd);
    g_files.clear();
    g_memory_files.clear();
    g_opens.clear();
    g_reads.clear();
}
internal::ResetHook g_hook(ResetFiles);

long long FileLength(const SimFile &f) {
    if (f.memory)
        return static_cast<long long>(f.memory->size());
    struct stat st;
    return fstat(f.fd, &st) == 0 ? static_cast<long long>(st.st_size) : 0;
}

} // namespace

void SetMemoryFile(const std::string &win_path, const std::string &bytes) {
    g_memory_files[internal::Lower(win_path)] = bytes;
}

const std::vector<FileOpen> &FileOpens() { return g_opens; }
const std::vector<FileRead> &FileReads() { return g_reads; }

} // namespace sim

using namespace sim;

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD creation,
                          DWORD flags, HANDLE) {
    FileOpen rec{name ? name : "", access, share, creation, flags, false};
    g_opens.push_back(rec);
    Log(std::string("CreateFileA(") + rec.path + ")");
    if (ShouldFail("CreateFileA") || !name) {
        internal::SetLastErrorCode(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (internal::NoMedia(name))
        return INVALID_HANDLE_VALUE;
    // The launcher only ever reads existing files.
    if (creation != OPEN_EXISTING || (access & ~GENERIC_READ) != 0) {
        internal::SetLastErrorCode(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    SimFile f{-1, nullptr, 0};
    auto mem = g_memory_files.find(internal::Lower(name));
    if (mem != g_memory_files.end()) {
        f.memory = &mem->second;
    } else {
        std::string host = HostPath(name);
        host::FileStatus st;
        if (host.empty() || !host::Stat(host, &st) || !st.file) {
            internal::SetLastErrorCode(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        f.fd = host::OpenRead(host);
        if (f.fd < 0) {
            internal::SetLastErrorCode(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
    }
    HANDLE h = internal::NewHandle();
    g_files[h] = f;
    g_opens.back().opened = true;
    LedgerAcquire("file", h);
    return h;
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED) {
    if (read)
        *read = 0;
    auto it = g_files.find(file);
    if (it == g_files.end()) {
        internal::SetLastErrorCode(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    SimFile &f = it->second;
    FileRead rec{file, static_cast<DWORD>(f.position), count, 0, false};
    if (ShouldFail("ReadFile")) {
        g_reads.push_back(rec);
        internal::SetLastErrorCode(30); // ERROR_READ_FAULT
        return FALSE;
    }
    // Windows NT probes the whole buffer before reading: a buffer shorter
    // than count fails even when the file has fewer bytes left. Touching its
    // first and last byte (and one in each page) lets AddressSanitizer see it.
    volatile unsigned char *probe = static_cast<volatile unsigned char *>(buffer);
    if (count > 0) {
        for (DWORD i = 0; i < count; i += 4096)
            probe[i] = probe[i];
        probe[count - 1] = probe[count - 1];
    }
    long long length = FileLength(f);
    long long left = length > f.position ? length - f.position : 0;
    DWORD want = left < static_cast<long long>(count) ? static_cast<DWORD>(left) : count;
    DWORD got = 0;
    if (f.memory) {
        std::memcpy(buffer, f.memory->data() + f.position, want);
        got = want;
    } else {
        while (got < want) {
            ssize_t n = pread(f.fd, static_cast<unsigned char *>(buffer) + got, want - got, f.position + got);
            if (n <= 0)
                break;
            got += static_cast<DWORD>(n);
        }
    }
    f.position += got;
    rec.got = got;
    rec.ok = true;
    g_reads.push_back(rec);
    if (read)
        *read = got;
    return TRUE;
}

DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, PLONG high, DWORD method) {
    auto it = g_files.find(file);
    if (it == g_files.end()) {
        internal::SetLastErrorCode(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    SimFile &f = it->second;
    // Without a high part the distance is a signed 32-bit value; with one,
    // the two make a signed 64-bit distance.
    long long move = high ? static_cast<long long>((static_cast<unsigned long long>(static_cast<DWORD>(*high)) << 32) |
                                                   static_cast<DWORD>(distance))
                          : static_cast<long long>(distance);
    long long base = method == FILE_BEGIN ? 0 : method == FILE_CURRENT ? f.position : FileLength(f);
    if (method > FILE_END) {
        internal::SetLastErrorCode(87); // ERROR_INVALID_PARAMETER
        return INVALID_SET_FILE_POINTER;
    }
    long long target = base + move;
    if (target < 0) {
        internal::SetLastErrorCode(131); // ERROR_NEGATIVE_SEEK
        return INVALID_SET_FILE_POINTER;
    }
    if (!high && target > 0xFFFFFFFELL) {
        internal::SetLastErrorCode(87);
        return INVALID_SET_FILE_POINTER;
    }
    f.position = target;
    internal::SetLastErrorCode(0);
    if (high)
        *high = static_cast<LONG>(target >> 32);
    return static_cast<DWORD>(target);
}

DWORD WINAPI GetFileSize(HANDLE file, LPDWORD high) {
    auto it = g_files.find(file);
    if (it == g_files.end()) {
        internal::SetLastErrorCode(ERROR_INVALID_HANDLE);
        return INVALID_FILE_ATTRIBUTES;
    }
    long long length = FileLength(it->second);
    if (high)
        *high = static_cast<DWORD>(length >> 32);
    return static_cast<DWORD>(length);
}

BOOL WINAPI CloseHandle(HANDLE h) {
    auto it = g_files.find(h);
    if (it == g_files.end()) {
        LedgerRelease("file", h); // notes the bad close
        internal::SetLastErrorCode(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (it->second.fd >= 0)
        close(it->second.fd);
    g_files.erase(it);
    LedgerRelease("file", h);
    Log("CloseHandle(file)");
    return TRUE;
}
