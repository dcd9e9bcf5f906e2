// The code page the disc is written in: --codepage, else [INSTALL]
// CodePage= of install.ini, else Windows-1252. Everything the checker reads
// of the disc (install.ini, autorun.inf, registry exports, file names) is
// decoded with it, and its text is walked a character at a time.
#include "disccheck_internal.h"

#include <cstdio>
#include <sstream>

#include "sim.h"

namespace disccheck {
namespace {

UINT g_codepage = 1252;

} // namespace

void ResetMachine() {
    sim::Reset();
    sim::SetCodePage(g_codepage);
}

void SetDiscCodePage(UINT codepage) {
    g_codepage = codepage;
    sim::SetCodePage(codepage);
}

UINT DiscCodePage() { return g_codepage; }

bool ParseCodePage(const std::string &text, UINT *codepage) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    UINT cp = 0;
    for (char c : text)
        cp = cp * 10 + static_cast<UINT>(c - '0');
    if (!sim::IsSupportedCodePage(cp))
        return false;
    *codepage = cp;
    return true;
}

std::string UnknownCodePage(const std::string &text) {
    return Quote(text) + " is no code page the checker knows: give one of " + sim::SupportedCodePages();
}

size_t CharLength(const std::string &ansi, size_t at) {
    return sim::IsLeadByte(static_cast<unsigned char>(ansi[at])) && at + 1 < ansi.size() ? 2 : 1;
}

std::vector<std::string> CharsOf(const std::string &ansi) {
    std::vector<std::string> chars;
    for (size_t i = 0; i < ansi.size();) {
        size_t n = CharLength(ansi, i);
        chars.push_back(ansi.substr(i, n));
        i += n;
    }
    return chars;
}

size_t FindWhole(const std::string &ansi, char c, size_t from) {
    for (size_t i = 0; i < ansi.size();) {
        if (i >= from && ansi[i] == c)
            return i;
        i += CharLength(ansi, i);
    }
    return std::string::npos;
}

std::string CodePageName(UINT codepage) { return "code page " + Num(codepage); }

std::string AnsiLabel() { return g_codepage == 1252 ? "Windows-1252" : CodePageName(g_codepage); }

void CheckCodePageText(Report &r, const std::string &file, const std::string &bytes,
                       const std::vector<LanguageSection> &sections) {
    std::istringstream lines(bytes);
    std::string line;
    std::string section;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos && line[first] == '[' && line.find(']') != std::string::npos)
            section = line.substr(first, line.find(']') - first + 1);
        UINT codepage = g_codepage;
        for (const LanguageSection &s : sections)
            if ("[" + Lower(s.section) + "]" == Lower(section) && sim::IsSupportedCodePage(s.codepage))
                codepage = s.codepage;
        bool invalid = false;
        sim::SetCodePage(codepage);
        sim::AnsiToUnicode(line, &invalid);
        if (!invalid) {
            sim::SetCodePage(g_codepage);
            continue;
        }
        size_t eq = line.find('=');
        std::string key = eq == std::string::npos ? "" : line.substr(0, eq);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t'))
            key.pop_back();
        r.Warning(file + ": line " + Num(number) + (key.empty() ? "" : " (" + section + " " + key + ")") +
                  " holds bytes that are no character in " + CodePageName(codepage) + ": " + Quote(line) +
                  "; Windows shows them as something else or not at all");
        sim::SetCodePage(g_codepage);
    }
}

} // namespace disccheck

namespace disccheck {
namespace {

bool BeyondAscii(const std::string &bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

std::string CodePoint(uint32_t c) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(c));
    return hex;
}

} // namespace

size_t LastWhole(const std::string &ansi, char c) {
    size_t last = std::string::npos;
    for (size_t at = FindWhole(ansi, c); at != std::string::npos; at = FindWhole(ansi, c, at + 1))
        last = at;
    return last;
}

std::string CodePageKey(const Machine &m) {
    SetUp(m);
    std::string module = ModulePath(m);
    return Profile("INSTALL", "CodePage", module.substr(0, LastWhole(module, '\\') + 1) + "install.ini");
}

void ReportCodePage(Report &r, const Machine &m, const std::string &given, const std::string &declared) {
    std::string module = ModulePath(m);
    std::string config = sim::HostPath((module.substr(0, LastWhole(module, '\\') + 1) + "install.ini").c_str());
    std::string autorun = sim::HostPath((std::string(1, m.disc) + ":\\autorun.inf").c_str());
    std::string ini_bytes, autorun_bytes;
    bool has_ini = IsRegularFile(config) && ReadWhole(config, &ini_bytes);
    bool has_autorun = IsRegularFile(autorun) && ReadWhole(autorun, &autorun_bytes);
    UINT key = 0;
    bool known = ParseCodePage(declared, &key);
    std::string read_as = CodePageName(DiscCodePage());

    if (!declared.empty() && !known)
        r.Error("install.ini: [INSTALL] CodePage=" + declared + ": " + UnknownCodePage(declared) +
                "; the disc is read in " + read_as);
    if (!given.empty())
        r.Info("code page: " + Num(DiscCodePage()) + " (--codepage" +
               (known && key != DiscCodePage() ? ", over install.ini's CodePage=" + declared : "") + ")");
    else if (known)
        r.Info("code page: " + Num(DiscCodePage()) + " ([INSTALL] CodePage of install.ini)");

    std::vector<DiscName> names = ListFolder(m.root);
    bool beyond = BeyondAscii(ini_bytes) || BeyondAscii(autorun_bytes);
    for (const DiscName &n : names)
        beyond = beyond || BeyondAscii(n.path);
    if (given.empty() && declared.empty() && beyond)
        r.Info("code page: the disc holds text beyond ASCII and names no code page, so it is read as Windows-1252 "
               "(code page 1252); a disc written in another one says so in install.ini, [INSTALL] CodePage=N "
               "(1250 Central European, 1251 Cyrillic, 932 Japanese, ...), or give --codepage N");

    // A name the code page cannot hold reaches a Windows of that code page
    // with '?' in its place: the launcher cannot name it.
    for (const DiscName &n : names) {
        // Each name once: a folder's, not again in the paths of its files.
        std::string leaf = n.path.substr(n.path.rfind('/') == std::string::npos ? 0 : n.path.rfind('/') + 1);
        for (uint32_t c : sim::Utf8ToUnicode(sim::HostToUtf8(leaf))) {
            bool lossy = false;
            sim::UnicodeToAnsi(c, &lossy);
            if (!lossy)
                continue;
            r.Warning(Host(n.path) + ": the name holds " + Utf8(sim::UnicodeToUtf8(std::u32string(1, c))) + " (" +
                      CodePoint(c) + "), which " + read_as +
                      " cannot hold: the launcher and Windows of that code page read \"?\" in its place");
            break;
        }
    }
    if (has_ini)
        CheckCodePageText(r, "install.ini", ini_bytes,
                          LanguageSectionsOf(module.substr(0, LastWhole(module, '\\') + 1) + "install.ini"));
    if (has_autorun)
        CheckCodePageText(r, "autorun.inf", autorun_bytes);
}

} // namespace disccheck
