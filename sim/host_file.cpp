// The host file calls by UTF-8 name (host_file.h): the one place the
// simulated platform and the checker reach the host's files by name.
#include "host_file.h"

#include "sim.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <dirent.h>
#else
#include <dirent.h>
#include <unistd.h>
#endif

namespace sim {
namespace host {

#ifdef _WIN32
std::wstring Wide(const std::string &utf8) {
    std::wstring out;
    for (uint32_t c : Utf8ToUnicode(utf8)) {
        if (c >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

std::string FromWide(const wchar_t *wide) {
    std::u32string text;
    for (; *wide; ++wide) {
        uint32_t u = static_cast<uint16_t>(*wide);
        if (u >= 0xD800 && u < 0xDC00 && wide[1] >= 0xDC00 && wide[1] < 0xE000) {
            u = 0x10000 + ((u - 0xD800) << 10) + (static_cast<uint16_t>(wide[1]) - 0xDC00);
            ++wide;
        } else if (u >= 0xD800 && u < 0xE000) {
            u = 0xFFFD; // half of a pair: no character
        }
        text += u;
    }
    return UnicodeToUtf8(text);
}

bool Stat(const std::string &name, FileStatus *status) {
    struct _stat64 st;
    if (_wstat64(Wide(name).c_str(), &st) != 0)
        return false;
    *status = FileStatus{(st.st_mode & _S_IFMT) == _S_IFDIR, (st.st_mode & _S_IFMT) == _S_IFREG,
                         static_cast<long long>(st.st_size)};
    return true;
}

int OpenRead(const std::string &name) { return _wopen(Wide(name).c_str(), _O_RDONLY | _O_BINARY); }

bool FolderNames(const std::string &folder, std::vector<std::string> *names) {
    _WDIR *dir = _wopendir(Wide(folder).c_str());
    if (!dir)
        return false;
    while (_wdirent *e = _wreaddir(dir)) {
        std::string n = FromWide(e->d_name);
        if (n != "." && n != "..")
            names->push_back(n);
    }
    _wclosedir(dir);
    return true;
}

std::filesystem::path Path(const std::string &name) { return std::filesystem::u8path(name); }
std::string NameOf(const std::filesystem::path &path) { return path.u8string(); }
#else
bool Stat(const std::string &name, FileStatus *status) {
    struct stat st;
    if (stat(name.c_str(), &st) != 0)
        return false;
    *status = FileStatus{S_ISDIR(st.st_mode), S_ISREG(st.st_mode), static_cast<long long>(st.st_size)};
    return true;
}

int OpenRead(const std::string &name) { return open(name.c_str(), O_RDONLY); }

bool FolderNames(const std::string &folder, std::vector<std::string> *names) {
    DIR *dir = opendir(folder.c_str());
    if (!dir)
        return false;
    while (dirent *e = readdir(dir)) {
        std::string n = e->d_name;
        if (n != "." && n != "..")
            names->push_back(n);
    }
    closedir(dir);
    return true;
}

// Linux names are bytes: kept as they are, whatever their encoding.
std::filesystem::path Path(const std::string &name) { return std::filesystem::path(name); }
std::string NameOf(const std::filesystem::path &path) { return path.string(); }
#endif

} // namespace host
} // namespace sim
