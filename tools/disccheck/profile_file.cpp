// Profile files (install.ini, autorun.inf): their values as the launcher
// reads them, their sections, and whether they are text at all.
#include "disccheck_internal.h"

#include <windows.h>

#include "chars.h"

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace disccheck {

// A profile value read whole, through the same call the launcher makes.
std::string Profile(const char *section, const char *key, const std::string &file) {
    std::vector<char> buffer(65536);
    GetPrivateProfileStringA(section, key, "", buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    buffer.back() = 0;
    return std::string(buffer.data());
}

std::string AsRead(const std::string &value, size_t size) {
    std::vector<char> buffer(value.begin(), value.end());
    buffer.resize(std::max(buffer.size() + 1, size), 0);
    CutText(buffer.data(), static_cast<int>(size));
    return buffer.data();
}

std::vector<ProfileKey> KeysOf(const char *section, const std::string &file) {
    std::vector<char> buffer(1 << 20);
    DWORD length = GetPrivateProfileSectionA(section, buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    std::vector<ProfileKey> keys;
    for (size_t at = 0; at < length && at < buffer.size() && buffer[at];) {
        std::string line(buffer.data() + at);
        at += line.size() + 1;
        size_t eq = line.find('=');
        std::string name = line.substr(0, eq);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
            name.pop_back();
        keys.push_back(ProfileKey{name, eq != std::string::npos});
    }
    return keys;
}

std::vector<std::string> SectionNames(const std::string &file) {
    std::vector<char> buffer(1 << 20);
    DWORD length = GetPrivateProfileSectionNamesA(buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    std::vector<std::string> names;
    for (size_t at = 0; at < length && at < buffer.size() && buffer[at];) {
        names.emplace_back(buffer.data() + at);
        at += names.back().size() + 1;
    }
    return names;
}

// Section names of a profile file, lower-case, as the profile reader finds them.
std::set<std::string> SectionsOf(const std::string &bytes) {
    std::set<std::string> names;
    std::istringstream lines(bytes);
    std::string line;
    while (std::getline(lines, line)) {
        size_t b = line.find_first_not_of(" \t\r\v\f");
        if (b == std::string::npos || line[b] != '[')
            continue;
        size_t close = line.rfind(']');
        std::string name = close == std::string::npos || close < b ? line.substr(b + 1) : line.substr(b + 1, close - b - 1);
        size_t s = name.find_first_not_of(" \t");
        size_t e = name.find_last_not_of(" \t\r");
        names.insert(Lower(s == std::string::npos ? "" : name.substr(s, e - s + 1)));
    }
    return names;
}

// Why a profile file cannot be read as ANSI text; empty when it can.
std::string TextProblem(const std::string &bytes) {
    if (bytes.size() >= 2 && ((static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) ||
                              (static_cast<unsigned char>(bytes[0]) == 0xFE && static_cast<unsigned char>(bytes[1]) == 0xFF)))
        return "saved as UTF-16 (Unicode) text, which Windows 95, 98 and Me read as empty: save it as ANSI text";
    if (bytes.find('\0') != std::string::npos)
        return "holds binary data (NUL bytes), not text: it is not a profile file the launcher can read";
    return "";
}

} // namespace disccheck
