// Files as the checker itself reads them (the disc's, the folders given as
// drives, the registry file): from folders on the host. What the launcher's
// own code reads goes through the simulated drives SetUp maps (machine.cpp).
#include "disccheck_internal.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "host_file.h"
#include "sim.h"

namespace disccheck {
namespace {

namespace fs = std::filesystem;

} // namespace

uint32_t Le32(const std::string &b, size_t at) {
    if (b.size() < at + 4)
        return 0;
    return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8) |
           (static_cast<unsigned char>(b[at + 2]) << 16) | (static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24);
}
uint32_t Le16(const std::string &b, size_t at) {
    if (b.size() < at + 2)
        return 0;
    return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}

std::filesystem::path FsPath(const std::string &host) { return sim::host::Path(host); }
std::string HostOf(const std::filesystem::path &path) { return sim::host::NameOf(path); }

bool IsRegularFile(const std::string &host) {
    sim::host::FileStatus st;
    return !host.empty() && sim::host::Stat(host, &st) && st.file;
}

bool IsFolder(const std::string &host) {
    std::error_code ec;
    return fs::is_directory(FsPath(host), ec) && !ec;
}

std::string FolderProblem(const std::string &host) {
    sim::host::FileStatus st;
    if (!sim::host::Stat(host, &st))
        return errno == EACCES ? "no permission to reach it" : "it does not exist";
    if (!st.folder)
        return "it is not a folder";
    std::error_code ec;
    fs::directory_iterator it(FsPath(host), ec);
    if (ec)
        return ec == std::errc::permission_denied ? "no permission to read it" : ec.message();
    return "";
}

std::string FileProblem(const std::string &host) {
    sim::host::FileStatus st;
    if (!sim::host::Stat(host, &st))
        return errno == EACCES ? "no permission to reach it" : "it does not exist";
    if (st.folder)
        return "it is a folder, not a file";
    if (!st.file)
        return "it is not a file";
    std::ifstream in(FsPath(host), std::ios::binary);
    if (!in)
        return "no permission to read it";
    return "";
}

bool ReadAt(const std::string &host, unsigned long long offset, size_t count, std::string *bytes) {
    bytes->clear();
    std::ifstream in(FsPath(host), std::ios::binary);
    if (!in || !in.seekg(static_cast<std::streamoff>(offset)))
        return false;
    bytes->resize(count);
    in.read(&(*bytes)[0], static_cast<std::streamsize>(count));
    bytes->resize(static_cast<size_t>(in.gcount()));
    return !in.bad();
}

bool ReadWhole(const std::string &host, std::string *bytes) {
    std::ifstream in(FsPath(host), std::ios::binary);
    if (!in)
        return false;
    std::ostringstream all;
    all << in.rdbuf();
    *bytes = all.str();
    return !in.bad();
}

} // namespace disccheck
