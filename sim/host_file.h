// The host's files by their host names, which are UTF-8 on every host. On
// Linux these are the plain calls; on Windows each name becomes UTF-16 for
// the wide-character calls, so a name in any script reaches its file
// whatever the ANSI code page of the machine running the program (the
// narrow calls would read it in that code page and find "?" in its place).
#ifndef SIM_HOST_FILE_H
#define SIM_HOST_FILE_H

#include <filesystem>
#include <string>
#include <vector>

namespace sim {
namespace host {

struct FileStatus {
    bool folder;
    bool file; // a regular file
    long long size;
};

// False (errno set) when the name cannot be reached.
bool Stat(const std::string &name, FileStatus *status);
// A read-only descriptor for read(2)/pread, or -1.
int OpenRead(const std::string &name);
// The names in a folder ("." and ".." left out); false when it cannot be
// opened.
bool FolderNames(const std::string &folder, std::vector<std::string> *names);
// std::filesystem's path for a host name (for its calls and for the
// file streams, which take a path), and back.
std::filesystem::path Path(const std::string &name);
std::string NameOf(const std::filesystem::path &path);

#ifdef _WIN32
std::wstring Wide(const std::string &utf8);
std::string FromWide(const wchar_t *wide);
#endif

} // namespace host
} // namespace sim

#endif
