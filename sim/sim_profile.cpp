// Simulated profile reading over real files, with the rules of Windows'
// GetPrivateProfileStringA: section and key names match without regard to
// case, blanks around names and values are dropped, a value wrapped in a pair
// of matching quotes loses them, the result is cut to capacity minus one, and
// a missing file, section or key gives the default. A file saved as UTF-16
// is read as Windows 2000 to 11 read it (sim_text.cpp).
//
// Blanks, as Wine 8 showed them with a small program: space, tab, vertical
// tab, form feed and Ctrl-Z (0x1A), around names in the file and around the
// section and key names asked for; a carriage return ends a line as a line
// feed does. Other control characters and the no-break space (0xA0) are part
// of the name.
#include "sim_internal.h"
#include "host_file.h"

#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a'; }

std::string Trim(const std::string &s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// The lines of a section, blanks around each dropped: only the first
// section of that name counts. False when the file or section is missing.
bool SectionLines(const std::string &host, const std::string &section, std::vector<std::string> *out) {
    std::ifstream in(sim::host::Path(host), std::ios::binary);
    if (!in)
        return false;
    std::stringstream all;
    all << in.rdbuf();
    std::string text = sim::ProfileText(all.str());
    std::string want_section = sim::internal::Lower(Trim(section));
    bool in_section = false, seen_section = false;
    for (char &c : text)
        if (c == '\r')
            c = '\n';
    std::string line;
    std::istringstream lines(text);
    while (std::getline(lines, line)) {
        std::string t = Trim(line);
        if (t.empty())
            continue;
        if (t[0] == '[') {
            if (seen_section && in_section)
                break;
            size_t close = t.rfind(']');
            std::string name = close == std::string::npos ? t.substr(1) : t.substr(1, close - 1);
            in_section = sim::internal::Lower(Trim(name)) == want_section;
            seen_section = seen_section || in_section;
            continue;
        }
        if (in_section)
            out->push_back(t);
    }
    return seen_section;
}

// Looks the key up; false when the file, section or key is missing.
bool FindValue(const std::string &host, const std::string &section, const std::string &key, std::string *value) {
    std::vector<std::string> lines;
    SectionLines(host, section, &lines);
    std::string want_key = sim::internal::Lower(Trim(key));
    for (const std::string &t : lines) {
        size_t eq = t.find('=');
        if (eq == std::string::npos)
            continue;
        if (sim::internal::Lower(Trim(t.substr(0, eq))) != want_key)
            continue;
        std::string v = Trim(t.substr(eq + 1));
        if (v.size() > 1 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
            v = v.substr(1, v.size() - 2);
        *value = v;
        return true;
    }
    return false;
}

// A list of terminated entries as the profile calls give one: ended by one
// more terminator, cut to size - 2 characters when it does not fit.
DWORD Listed(const std::string &list, char *ret, DWORD size) {
    if (size < 2) {
        ret[0] = 0;
        return 0;
    }
    if (list.size() + 1 > size) {
        std::memcpy(ret, list.data(), size - 2);
        ret[size - 2] = 0;
        ret[size - 1] = 0;
        return size - 2;
    }
    std::memcpy(ret, list.data(), list.size());
    ret[list.size()] = 0;
    if (list.empty())
        ret[1] = 0;
    return static_cast<DWORD>(list.size());
}

// The names of every section in the file's order, each terminated, cut as a
// section's list is cut.
DWORD SectionNames(const std::string &host, char *ret, DWORD size) {
    std::string list;
    std::ifstream in(sim::host::Path(host), std::ios::binary);
    std::stringstream all;
    if (!host.empty() && in)
        all << in.rdbuf();
    std::string text = sim::ProfileText(all.str());
    for (char &c : text)
        if (c == '\r')
            c = '\n';
    std::string line;
    std::istringstream lines(text);
    while (std::getline(lines, line)) {
        std::string t = Trim(line);
        if (t.empty() || t[0] != '[')
            continue;
        size_t close = t.rfind(']');
        list += Trim(close == std::string::npos ? t.substr(1) : t.substr(1, close - 1));
        list.push_back('\0');
    }
    return Listed(list, ret, size);
}

} // namespace

DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR ret, DWORD size, LPCSTR file) {
    sim::Log(std::string("GetPrivateProfileStringA(") + (section ? section : "(null)") + "," +
             (key ? key : "(null)") + ")");
    if (!ret || size == 0)
        return 0;
    // Windows drops the default's trailing blanks, not its leading ones.
    std::string value = def ? def : "";
    while (!value.empty() && IsBlank(value.back()))
        value.pop_back();
    if (!sim::ShouldFail("GetPrivateProfileStringA") && section && key && file &&
        !sim::internal::NoMedia(file)) {
        std::string host = sim::HostPath(file);
        std::string found;
        if (!host.empty() && FindValue(host, section, key, &found))
            value = found;
    }
    DWORD n = static_cast<DWORD>(value.size());
    if (n > size - 1)
        n = size - 1;
    std::memcpy(ret, value.data(), n);
    ret[n] = 0;
    return n;
}

// The keys of a section as "key=value" lines, blanks around key and value
// dropped, quotes kept, comment lines left out; each line terminated and
// the list ended by one more terminator; the result counts the lines'
// characters with their terminators. A list that does not fit is cut, still
// ended by two terminators, and the result is then size - 2, as Windows
// documents it. A missing file or section gives the empty list; a call that
// fails leaves the buffer as it was.
DWORD WINAPI GetPrivateProfileSectionA(LPCSTR section, LPSTR ret, DWORD size, LPCSTR file) {
    sim::Log(std::string("GetPrivateProfileSectionA(") + (section ? section : "(null)") + ")");
    if (!ret || size == 0 || sim::ShouldFail("GetPrivateProfileSectionA"))
        return 0;
    std::string list;
    std::vector<std::string> lines;
    if (section && file) {
        std::string host = sim::HostPath(file);
        if (!host.empty())
            SectionLines(host, section, &lines);
    }
    for (const std::string &t : lines) {
        if (t[0] == ';')
            continue;
        size_t eq = t.find('=');
        list += eq == std::string::npos ? t : Trim(t.substr(0, eq)) + "=" + Trim(t.substr(eq + 1));
        list.push_back('\0');
    }
    return Listed(list, ret, size);
}

// A missing file gives the empty list, as a file without sections does.
DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR ret, DWORD size, LPCSTR file) {
    sim::Log("GetPrivateProfileSectionNamesA");
    if (!ret || size == 0 || sim::ShouldFail("GetPrivateProfileSectionNamesA"))
        return 0;
    return SectionNames(file && !sim::internal::NoMedia(file) ? sim::HostPath(file) : std::string(), ret, size);
}
