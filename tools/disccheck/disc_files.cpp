// Files as the checker itself reads them (the disc's, the folders given as
// drives, the registry file): from folders on the host. What the launcher's
// own code reads goes through the simulated drives SetUp maps (machine.cpp).
#include "disccheck_internal.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace disccheck {
namespace {

namespace fs = std::filesystem;

} // namespace

bool IsRegularFile(const std::string &host) {
    struct stat st;
    return !host.empty() && stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string &host) {
    std::error_code ec;
    return fs::is_directory(host, ec) && !ec;
}

bool ReadWhole(const std::string &host, std::string *bytes) {
    std::ifstream in(host, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream all;
    all << in.rdbuf();
    *bytes = all.str();
    return !in.bad();
}

bool ReadPart(const std::string &host, unsigned long long offset, size_t count, std::string *bytes) {
    bytes->clear();
    std::ifstream in(host, std::ios::binary);
    if (!in || !in.seekg(static_cast<std::streamoff>(offset)))
        return false;
    bytes->resize(count);
    in.read(&(*bytes)[0], static_cast<std::streamsize>(count));
    bytes->resize(static_cast<size_t>(in.gcount()));
    return !in.bad();
}

} // namespace disccheck
