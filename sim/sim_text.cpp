// Text between the two sides of the simulated platform: the program's
// strings are in the ANSI code page (Windows-1252, as on a Western system),
// the host's file names are UTF-8 (on a Windows host, the ANSI code page
// itself), and Windows 2000 and later read a profile file saved as UTF-16
// (little-endian, with its byte-order mark) as text. Every conversion
// between them is made here.
#include "sim_internal.h"

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

uint32_t AnsiToUnicode(unsigned char c) {
    for (const auto &m : kCp1252)
        if (m.ansi == c)
            return m.unicode;
    return c;
}

char UnicodeToAnsi(uint32_t c, bool *lossy) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (const auto &m : kCp1252)
        if (m.unicode == c)
            return static_cast<char>(m.ansi);
    if (c >= 0x80 && c < 0xA0) {
        for (const auto &m : kCp1252)
            if (m.ansi == c) {
                *lossy = true; // that byte means something else
                return '?';
            }
        return static_cast<char>(c); // the five bytes 1252 leaves undefined
    }
    *lossy = true;
    return '?';
}

std::string AnsiToUtf8(const std::string &ansi) {
    std::string out;
    for (char c : ansi)
        PutUtf8(out, AnsiToUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ToAnsi(const std::string &utf8, bool *lossy) {
    std::string out;
    for (size_t at = 0; at < utf8.size();)
        out += UnicodeToAnsi(NextUtf8(utf8, &at), lossy);
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
    std::string out(ansi);
    for (char &ch : out) {
        unsigned char c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
            c = static_cast<unsigned char>(c + 0x20);
        else if (c == 0x8A || c == 0x8C || c == 0x8E)
            c = static_cast<unsigned char>(c + 0x10);
        else if (c == 0x9F)
            c = 0xFF;
        ch = static_cast<char>(c);
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
