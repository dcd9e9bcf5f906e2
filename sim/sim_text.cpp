// Text between the two sides of the simulated platform: the program's
// strings are in the machine's ANSI code page (Windows-1252 unless set
// otherwise), the host's file names are UTF-8 (on a Windows host, the ANSI
// code page itself), and Windows 2000 and later read a profile file saved
// as UTF-16 (little-endian, with its byte-order mark) as text. Every
// conversion between them is made here. Code pages other than 1252 are
// converted by the host: iconv on Linux, the wide-character API on Windows.
#include "sim_internal.h"

#include <cstring>
#include <map>

#ifdef _WIN32
extern "C" __declspec(dllimport) int __stdcall MultiByteToWideChar(unsigned, unsigned long, const char *, int,
                                                                   wchar_t *, int);
extern "C" __declspec(dllimport) int __stdcall WideCharToMultiByte(unsigned, unsigned long, const wchar_t *, int,
                                                                   char *, int, const char *, int *);
#else
#include <iconv.h>
#endif

namespace sim {
namespace {

// Windows-1252 for the bytes 0x80..0x9F that differ from Latin-1.
const struct {
    uint32_t unicode;
    unsigned char ansi;
} kCp1252[] = {{0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
               {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
               {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
               {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
               {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F}};

void PutUtf8(std::string &out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The next code point of UTF-8 text; a byte that starts no well-formed
// sequence stands for itself as U+FFFD.
uint32_t NextUtf8(const std::string &s, size_t *at) {
    unsigned char c = static_cast<unsigned char>(s[*at]);
    int extra = c >= 0xC2 && c <= 0xDF ? 1 : c >= 0xE0 && c <= 0xEF ? 2 : c >= 0xF0 && c <= 0xF4 ? 3 : 0;
    if (c < 0x80 || !extra || *at + extra >= s.size()) {
        ++*at;
        return c < 0x80 ? c : 0xFFFD;
    }
    uint32_t cp = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        unsigned char d = static_cast<unsigned char>(s[*at + k]);
        if ((d & 0xC0) != 0x80) {
            ++*at;
            return 0xFFFD;
        }
        cp = (cp << 6) | (d & 0x3F);
    }
    *at += extra + 1;
    return cp;
}

} // namespace

namespace {

UINT g_codepage = 1252;
internal::ResetHook g_text_hook([] { g_codepage = 1252; });

const UINT kCodePages[] = {874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};

bool IsDoubleByte(UINT cp) { return cp == 932 || cp == 936 || cp == 949 || cp == 950; }

// Windows-1252, byte for byte as the launcher has always been checked.
uint32_t From1252(unsigned char c, bool *invalid) {
    for (const auto &m : kCp1252)
        if (m.ansi == c)
            return m.unicode;
    if (c >= 0x80 && c < 0xA0 && invalid)
        *invalid = true; // one of the five bytes 1252 leaves undefined
    return c;
}

// One character's bytes in a code page other than 1252 as a code point, by
// the host's own tables; 0xFFFFFFFF when the code page does not define them.
uint32_t HostDecode(UINT cp, const std::string &bytes) {
    static std::map<std::pair<UINT, std::string>, uint32_t> cache;
    auto at = cache.find({cp, bytes});
    if (at != cache.end())
        return at->second;
    uint32_t c = 0xFFFFFFFF;
#ifdef _WIN32
    wchar_t w[2];
    // MB_ERR_INVALID_CHARS
    int n = MultiByteToWideChar(cp, 8, bytes.data(), static_cast<int>(bytes.size()), w, 2);
    if (n == 1)
        c = w[0];
    else if (n == 2 && w[0] >= 0xD800 && w[0] < 0xDC00)
        c = 0x10000 + ((w[0] - 0xD800u) << 10) + (w[1] - 0xDC00u);
#else
    std::string name = "CP" + std::to_string(cp);
    iconv_t cd = iconv_open("UTF-32LE", name.c_str());
    if (cd != reinterpret_cast<iconv_t>(-1)) {
        char in[4], out[8];
        std::memcpy(in, bytes.data(), bytes.size());
        char *ip = in, *op = out;
        size_t il = bytes.size(), ol = sizeof out;
        // Code page 1258 holds a letter back until it knows whether a
        // combining mark follows: flushed, it comes out.
        if (iconv(cd, &ip, &il, &op, &ol) != static_cast<size_t>(-1) && il == 0 &&
            iconv(cd, nullptr, nullptr, &op, &ol) != static_cast<size_t>(-1) && ol == 4)
            c = static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8 |
                static_cast<unsigned char>(out[2]) << 16 | static_cast<uint32_t>(static_cast<unsigned char>(out[3])) << 24;
        iconv_close(cd);
    }
#endif
    cache[{cp, bytes}] = c;
    return c;
}

// A code point in a code page other than 1252; empty when it has none.
std::string HostEncode(UINT cp, uint32_t c) {
    static std::map<std::pair<UINT, uint32_t>, std::string> cache;
    auto at = cache.find({cp, c});
    if (at != cache.end())
        return at->second;
    std::string bytes;
#ifdef _WIN32
    wchar_t w[2];
    int wn = 1;
    if (c >= 0x10000) {
        w[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        w[1] = static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        wn = 2;
    } else {
        w[0] = static_cast<wchar_t>(c);
    }
    char out[8];
    int used = 0;
    // WC_NO_BEST_FIT_CHARS: a character the code page lacks is lacking.
    int n = WideCharToMultiByte(cp, 0x400, w, wn, out, sizeof out, nullptr, &used);
    if (n > 0 && !used)
        bytes.assign(out, static_cast<size_t>(n));
#else
    std::string name = "CP" + std::to_string(cp);
    iconv_t cd = iconv_open(name.c_str(), "UTF-32LE");
    if (cd != reinterpret_cast<iconv_t>(-1)) {
        char in[4] = {static_cast<char>(c & 0xFF), static_cast<char>((c >> 8) & 0xFF),
                      static_cast<char>((c >> 16) & 0xFF), static_cast<char>(c >> 24)};
        char out[8];
        char *ip = in, *op = out;
        size_t il = sizeof in, ol = sizeof out;
        if (iconv(cd, &ip, &il, &op, &ol) != static_cast<size_t>(-1) && il == 0)
            bytes.assign(out, sizeof out - ol);
        iconv_close(cd);
    }
#endif
    // The conversion must come back: a byte that decodes as something else
    // is no encoding of c.
    if (!bytes.empty() && HostDecode(cp, bytes) != c)
        bytes.clear();
    cache[{cp, c}] = bytes;
    return bytes;
}

// Windows' lower case for the letters the ANSI code pages hold: Latin,
// Greek, Cyrillic, and the full-width Latin of the East Asian ones.
uint32_t LowerOf(uint32_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F) || (c >= 0xFF21 && c <= 0xFF3A))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    if (c == 0x178)
        return 0xFF;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return c & 1 ? c + 1 : c;
    if (c >= 0x100 && c <= 0x177 && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149)
        return c & 1 ? c : c + 1;
    return c;
}

} // namespace

bool IsSupportedCodePage(UINT codepage) {
    for (UINT cp : kCodePages)
        if (cp == codepage)
            return cp == 1252 || HostDecode(cp, "A") == 'A';
    return false;
}

const char *SupportedCodePages() { return "874, 932, 936, 949, 950, 1250 to 1258"; }

bool SetCodePage(UINT codepage) {
    if (!IsSupportedCodePage(codepage))
        return false;
    g_codepage = codepage;
    return true;
}

UINT CodePage() { return g_codepage; }

bool IsLeadByte(unsigned char c) {
    switch (g_codepage) {
    case 932:
        return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    case 936:
    case 949:
    case 950:
        return c >= 0x81 && c <= 0xFE;
    }
    return false;
}

std::u32string AnsiToUnicode(const std::string &ansi, bool *invalid) {
    std::u32string out;
    for (size_t i = 0; i < ansi.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(ansi[i]);
        if (g_codepage == 1252) {
            out += From1252(c, invalid);
            continue;
        }
        if (c < 0x80) {
            out += c;
            continue;
        }
        size_t n = IsLeadByte(c) && i + 1 < ansi.size() ? 2 : 1;
        uint32_t u = HostDecode(g_codepage, ansi.substr(i, n));
        if (u == 0xFFFFFFFF) {
            if (invalid)
                *invalid = true;
            // A single byte Windows leaves undefined keeps its value, as in 1252.
            u = n == 1 && !IsDoubleByte(g_codepage) ? c : 0xFFFD;
        }
        out += u;
        i += n - 1;
    }
    return out;
}

std::string UnicodeToAnsi(uint32_t c, bool *lossy) {
    if (c < 0x80)
        return std::string(1, static_cast<char>(c));
    if (g_codepage == 1252) {
        if (c >= 0xA0 && c <= 0xFF)
            return std::string(1, static_cast<char>(c));
        for (const auto &m : kCp1252)
            if (m.unicode == c)
                return std::string(1, static_cast<char>(m.ansi));
        if (c < 0xA0) {
            bool undefined = true;
            for (const auto &m : kCp1252)
                undefined = undefined && m.ansi != c;
            if (undefined)
                return std::string(1, static_cast<char>(c)); // the five bytes 1252 leaves undefined
        }
    } else {
        std::string bytes = HostEncode(g_codepage, c);
        if (!bytes.empty())
            return bytes;
    }
    *lossy = true;
    return "?";
}

std::string AnsiToUtf8(const std::string &ansi) { return UnicodeToUtf8(AnsiToUnicode(ansi)); }

std::string Utf8ToAnsi(const std::string &utf8, bool *lossy) {
    std::string out;
    for (uint32_t c : Utf8ToUnicode(utf8))
        out += UnicodeToAnsi(c, lossy);
    return out;
}

std::u32string Utf8ToUnicode(const std::string &utf8) {
    std::u32string out;
    for (size_t at = 0; at < utf8.size();)
        out += NextUtf8(utf8, &at);
    return out;
}

std::string UnicodeToUtf8(const std::u32string &text) {
    std::string out;
    for (uint32_t c : text)
        PutUtf8(out, c);
    return out;
}

#ifdef _WIN32
std::string HostName(const std::string &ansi) { return ansi; }
std::string AnsiName(const std::string &host) { return host; }
std::string HostToUtf8(const std::string &host) { return AnsiToUtf8(host); }
#else
std::string HostName(const std::string &ansi) { return AnsiToUtf8(ansi); }
std::string AnsiName(const std::string &host) {
    bool lossy = false;
    return Utf8ToAnsi(host, &lossy);
}
std::string HostToUtf8(const std::string &host) { return host; }
#endif

std::string Utf16BeToUtf8(const std::string &bytes) {
    std::string out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t u = static_cast<unsigned char>(bytes[i]) << 8 | static_cast<unsigned char>(bytes[i + 1]);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
            uint32_t v = static_cast<unsigned char>(bytes[i + 2]) << 8 | static_cast<unsigned char>(bytes[i + 3]);
            if (v >= 0xDC00 && v < 0xE000) {
                u = 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00);
                i += 2;
            }
        }
        PutUtf8(out, u >= 0xD800 && u < 0xE000 ? 0xFFFD : u);
    }
    return out;
}

std::string FoldAnsi(const std::string &ansi) {
    std::string out;
    for (size_t i = 0; i < ansi.size();) {
        size_t n = IsLeadByte(static_cast<unsigned char>(ansi[i])) && i + 1 < ansi.size() ? 2 : 1;
        std::string bytes = ansi.substr(i, n);
        std::u32string c = AnsiToUnicode(bytes);
        bool lossy = false;
        std::string lower = c.size() == 1 && LowerOf(c[0]) != c[0] ? UnicodeToAnsi(LowerOf(c[0]), &lossy) : "";
        out += lower.empty() || lossy ? bytes : lower;
        i += n;
    }
    return out;
}

std::string ProfileText(const std::string &bytes) {
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF || static_cast<unsigned char>(bytes[1]) != 0xFE)
        return bytes;
    std::string out;
    bool lossy = false;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        uint32_t u = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
            uint32_t v = static_cast<unsigned char>(bytes[i + 2]) | (static_cast<unsigned char>(bytes[i + 3]) << 8);
            if (v >= 0xDC00 && v < 0xE000) {
                u = 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00);
                i += 2;
            }
        }
        out += UnicodeToAnsi(u, &lossy);
    }
    return out;
}

} // namespace sim

// The calls that split text by the machine's code page, as Windows makes
// them: a lead byte right before the terminator is one character.
UINT WINAPI GetACP(void) { return sim::CodePage(); }

BOOL WINAPI IsDBCSLeadByte(BYTE c) { return sim::IsLeadByte(c); }

LPSTR WINAPI CharNextA(LPCSTR p) {
    if (!*p)
        return const_cast<LPSTR>(p);
    return const_cast<LPSTR>(sim::IsLeadByte(static_cast<unsigned char>(*p)) && p[1] ? p + 2 : p + 1);
}

LPSTR WINAPI CharPrevA(LPCSTR start, LPCSTR p) {
    const char *prev = start;
    while (start < p) {
        prev = start;
        start = CharNextA(start);
        if (start == prev)
            break;
    }
    return const_cast<LPSTR>(prev);
}
