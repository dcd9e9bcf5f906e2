// Checks on the built launcher.exe, read straight from its PE headers:
//
//   pe_check imports  FILE ALLOWED-LIST  only the four system DLLs, by name,
//                                         and every function on the list
//   pe_check header   FILE               GUI subsystem 4.0, OS version <= 4.0
//   pe_check manifest FILE               manifest resource 1: asInvoker, the
//                                         supported-OS entries, no DPI awareness
//   pe_check size     FILE LIMIT         file size within LIMIT bytes; prints
//                                         the sections and the resources
//   pe_check version  FILE VERSION-FILE  version resource 1, language 1033:
//                                         the numbers of VERSION-FILE, product
//                                         name, description, no build date
//   pe_check resources FILE RES-FILE     every resource of the compiled script
//                                         RES-FILE, byte for byte and in its
//                                         language, and nothing else but the
//                                         version resource
//
// Each prints what it found and exits 0 when the file passes, 1 when it does
// not, 2 when the file cannot be read as a 32-bit PE image, and 77 (a skip to
// ctest) when there is no such file: the win32 preset has not been built.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

struct Section {
    std::string name;
    uint32_t virtualSize, virtualAddress, rawSize, rawOffset, characteristics;
};

struct Image {
    std::vector<uint8_t> bytes;
    uint32_t pe = 0;       // offset of "PE\0\0"
    uint32_t optional = 0; // offset of the optional header
    uint16_t optionalSize = 0;
    std::vector<Section> sections;
};

int g_failures = 0;

void Fail(const std::string &what) {
    std::printf("FAIL: %s\n", what.c_str());
    ++g_failures;
}

[[noreturn]] void Unreadable(const std::string &what) {
    std::printf("UNREADABLE: %s\n", what.c_str());
    std::exit(2);
}

uint32_t Read(const Image &im, uint64_t offset, int width) {
    if (offset + width > im.bytes.size())
        Unreadable("reference past the end of the file at offset " + std::to_string(offset));
    uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = (v << 8) | im.bytes[offset + i];
    return v;
}
uint32_t U16(const Image &im, uint64_t offset) { return Read(im, offset, 2); }
uint32_t U32(const Image &im, uint64_t offset) { return Read(im, offset, 4); }

// File offset of an RVA, through the section table.
uint64_t Offset(const Image &im, uint32_t rva) {
    for (const Section &s : im.sections) {
        uint32_t span = std::max(s.virtualSize, s.rawSize);
        if (rva >= s.virtualAddress && rva - s.virtualAddress < span) {
            if (rva - s.virtualAddress >= s.rawSize)
                Unreadable("RVA in uninitialised data: " + std::to_string(rva));
            return uint64_t(s.rawOffset) + (rva - s.virtualAddress);
        }
    }
    Unreadable("RVA outside every section: " + std::to_string(rva));
}

std::string String(const Image &im, uint32_t rva) {
    uint64_t at = Offset(im, rva);
    std::string s;
    while (true) {
        char c = (char)Read(im, at++, 1);
        if (!c)
            return s;
        s += c;
        if (s.size() > 4096)
            Unreadable("unterminated string at RVA " + std::to_string(rva));
    }
}

std::string Lower(std::string s) {
    for (char &c : s)
        c = (char)std::tolower((unsigned char)c);
    return s;
}

Image Load(const char *path) {
    Image im;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::printf("SKIP: %s is missing: build the win32 preset first\n", path);
        std::exit(77);
    }
    im.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (U16(im, 0) != 0x5A4D)
        Unreadable("no MZ header");
    im.pe = U32(im, 0x3C);
    if (U32(im, im.pe) != 0x4550)
        Unreadable("no PE signature");
    uint32_t coff = im.pe + 4;
    if (U16(im, coff) != 0x14C)
        Unreadable("not an i386 image");
    uint32_t count = U16(im, coff + 2);
    im.optionalSize = (uint16_t)U16(im, coff + 16);
    im.optional = coff + 20;
    if (U16(im, im.optional) != 0x10B)
        Unreadable("not a PE32 optional header");
    uint32_t table = im.optional + im.optionalSize;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t at = table + i * 40;
        Section s;
        Read(im, at + 39, 1);
        s.name.assign((const char *)&im.bytes[at], 8);
        s.name.resize(s.name.find('\0') == std::string::npos ? 8 : s.name.find('\0'));
        s.virtualSize = U32(im, at + 8);
        s.virtualAddress = U32(im, at + 12);
        s.rawSize = U32(im, at + 16);
        s.rawOffset = U32(im, at + 20);
        s.characteristics = U32(im, at + 36);
        im.sections.push_back(s);
    }
    return im;
}

// The section an RVA falls in, or null.
const Section *SectionAt(const Image &im, uint32_t rva) {
    for (const Section &s : im.sections)
        if (rva >= s.virtualAddress && rva - s.virtualAddress < std::max(s.virtualSize, s.rawSize))
            return &s;
    return nullptr;
}

// Data directory entry: {rva, size}; {0, 0} when absent.
std::pair<uint32_t, uint32_t> Directory(const Image &im, int index) {
    uint32_t count = U32(im, im.optional + 92);
    if ((uint32_t)index >= count)
        return {0, 0};
    uint32_t at = im.optional + 96 + index * 8;
    return {U32(im, at), U32(im, at + 4)};
}

// ---- imports

std::map<std::string, std::set<std::string>> LoadAllowed(const char *path) {
    std::map<std::string, std::set<std::string>> allowed;
    std::ifstream in(path);
    if (!in)
        Unreadable(std::string("cannot open the allowed list ") + path);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        size_t space = line.find(' ');
        if (space == std::string::npos || line.find(' ', space + 1) != std::string::npos)
            Unreadable("allowed list line " + std::to_string(lineNo) + " is not \"DLL Function\": " + line);
        allowed[Lower(line.substr(0, space))].insert(line.substr(space + 1));
    }
    return allowed;
}

int CheckImports(const Image &im, const char *listPath) {
    static const char *const kDlls[] = {"kernel32", "user32", "gdi32", "advapi32"};
    std::map<std::string, std::set<std::string>> allowed = LoadAllowed(listPath);
    auto dir = Directory(im, 1);
    if (!dir.first)
        Unreadable("no import directory");
    // Imports the loader resolves later would escape this check.
    if (Directory(im, 13).first)
        Fail("the file has delay-load imports");

    int functions = 0;
    for (uint64_t at = Offset(im, dir.first);; at += 20) {
        uint32_t lookup = U32(im, at), nameRva = U32(im, at + 12), thunk = U32(im, at + 16);
        if (!lookup && !nameRva && !thunk)
            break;
        std::string dll = String(im, nameRva);
        std::string key = Lower(dll);
        if (key.size() > 4 && key.compare(key.size() - 4, 4, ".dll") == 0)
            key.resize(key.size() - 4);
        bool known = std::find_if(std::begin(kDlls), std::end(kDlls),
                                  [&](const char *d) { return key == d; }) != std::end(kDlls);
        std::printf("%s\n", dll.c_str());
        if (!known)
            Fail(dll + " is not one of KERNEL32, USER32, GDI32, ADVAPI32");
        for (uint64_t entry = Offset(im, lookup ? lookup : thunk);; entry += 4) {
            uint32_t value = U32(im, entry);
            if (!value)
                break;
            ++functions;
            if (value & 0x80000000u) {
                // Ordinals differ between Windows versions: only names are safe.
                Fail(dll + " ordinal " + std::to_string(value & 0xFFFF) + " is imported by number");
                continue;
            }
            std::string name = String(im, value + 2);
            std::printf("  %s\n", name.c_str());
            if (known && !allowed[key].count(name))
                Fail(dll + " " + name + " is not on the Windows 95 list");
        }
    }
    std::printf("%d imported functions\n", functions);
    if (!functions)
        Fail("no imported function found");
    return g_failures ? 1 : 0;
}

// ---- header

int CheckHeader(const Image &im) {
    uint32_t o = im.optional;
    uint32_t subsystem = U16(im, o + 68);
    uint32_t osMajor = U16(im, o + 40), osMinor = U16(im, o + 42);
    uint32_t subMajor = U16(im, o + 48), subMinor = U16(im, o + 50);
    uint32_t fileAlignment = U32(im, o + 36), sectionAlignment = U32(im, o + 32);
    std::printf("subsystem %u, version %u.%u; operating system version %u.%u\n", subsystem, subMajor, subMinor,
                osMajor, osMinor);
    std::printf("file alignment %u, section alignment %u\n", fileAlignment, sectionAlignment);
    if (subsystem != 2)
        Fail("subsystem " + std::to_string(subsystem) + " is not the Windows GUI (2)");
    if (subMajor != 4 || subMinor != 0)
        Fail("subsystem version " + std::to_string(subMajor) + "." + std::to_string(subMinor) + " is not 4.0");
    if (osMajor > 4 || (osMajor == 4 && osMinor > 0))
        Fail("operating system version " + std::to_string(osMajor) + "." + std::to_string(osMinor) +
             " is above 4.0");
    // The Windows 95 loader maps sections page by page from 512-byte file
    // sectors; smaller alignments that later loaders accept are refused.
    if (fileAlignment < 512 || sectionAlignment < 4096)
        Fail("file alignment below 512 or section alignment below 4096");
    if (!(U16(im, im.pe + 4 + 18) & 0x0002))
        Fail("the image is not marked executable");

    const uint32_t kExecute = 0x20000000, kWrite = 0x80000000;
    uint32_t entry = U32(im, o + 16);
    const Section *entrySection = SectionAt(im, entry);
    std::printf("entry point %#x in %s\n", entry, entrySection ? entrySection->name.c_str() : "no section");
    if (!entrySection || !(entrySection->characteristics & kExecute))
        Fail("the entry point is not in an executable section");
    // The loader fills the import address table in place; Windows 95 needs
    // the section that holds it writable.
    auto imports = Directory(im, 1);
    const Section *importSection = imports.first ? SectionAt(im, imports.first) : nullptr;
    if (!importSection || !(importSection->characteristics & kWrite))
        Fail("the import table is not in a writable section");
    // Windows 95 runs no TLS callbacks and gives an image's static TLS no
    // slot when it is loaded late: code that needs either needs a runtime
    // the launcher does not have.
    if (Directory(im, 9).first)
        Fail("the file has a TLS directory");
    return g_failures ? 1 : 0;
}

// ---- resources

struct Resource {
    std::string type, name;
    uint32_t language, rva, size;
};

std::string ResourceId(const Image &im, uint64_t base, uint32_t entry) {
    uint32_t id = U32(im, entry);
    if (!(id & 0x80000000u))
        return "#" + std::to_string(id);
    uint64_t at = base + (id & 0x7FFFFFFFu);
    uint32_t length = U16(im, at);
    std::string name;
    for (uint32_t i = 0; i < length; ++i)
        name += (char)U16(im, at + 2 + 2 * i); // names here are plain ASCII
    return name;
}

// The three levels: type, name, language.
std::vector<Resource> Resources(const Image &im) {
    std::vector<Resource> found;
    auto dir = Directory(im, 2);
    if (!dir.first)
        return found;
    uint64_t base = Offset(im, dir.first);
    auto entries = [&](uint64_t table) {
        std::vector<uint64_t> list;
        uint32_t count = U16(im, table + 12) + U16(im, table + 14);
        if (count > 4096)
            Unreadable("resource directory with " + std::to_string(count) + " entries");
        for (uint32_t i = 0; i < count; ++i)
            list.push_back(table + 16 + i * 8);
        return list;
    };
    auto child = [&](uint64_t entry, bool wantTable) {
        uint32_t v = U32(im, entry + 4);
        if (!!(v & 0x80000000u) != wantTable)
            Unreadable("resource directory out of shape");
        return base + (v & 0x7FFFFFFFu);
    };
    for (uint64_t t : entries(base))
        for (uint64_t n : entries(child(t, true)))
            for (uint64_t l : entries(child(n, true))) {
                uint64_t data = child(l, false);
                found.push_back(Resource{ResourceId(im, base, (uint32_t)t), ResourceId(im, base, (uint32_t)n),
                                         U32(im, l), U32(im, data), U32(im, data + 4)});
            }
    return found;
}

int CheckManifest(const Image &im) {
    const Resource *manifest = nullptr;
    std::vector<Resource> all = Resources(im);
    for (const Resource &r : all)
        if (r.type == "#24") {
            if (manifest || r.name != "#1")
                Fail("manifest resource " + r.name + " besides or instead of 1");
            else
                manifest = &r;
        }
    if (!manifest) {
        Fail("no manifest resource (type 24, id 1)");
        return 1;
    }
    uint64_t at = Offset(im, manifest->rva);
    Read(im, at + manifest->size - 1, 1);
    std::string text((const char *)&im.bytes[at], manifest->size);
    std::string lower = Lower(text);
    std::printf("manifest: %u bytes, language %u\n", manifest->size, manifest->language);

    if (lower.find("requestedexecutionlevel level=\"asinvoker\"") == std::string::npos)
        Fail("the manifest does not ask for asInvoker");
    if (lower.find("uiaccess=\"true\"") != std::string::npos)
        Fail("the manifest asks for UI access");
    // Vista, 7, 8, 8.1, 10 and 11.
    static const char *const kSupportedOs[] = {
        "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"};
    for (const char *id : kSupportedOs)
        if (lower.find(std::string("<supportedos id=\"") + id + "\"") == std::string::npos)
            Fail(std::string("the manifest lacks supportedOS ") + id);
    // The splash is sized in pixels: the system must scale the whole window.
    if (lower.find("dpiaware") != std::string::npos)
        Fail("the manifest declares DPI awareness");
    if (lower.find("<?xml") != 0)
        Fail("the manifest does not start with its XML declaration");
    return g_failures ? 1 : 0;
}

// ---- size

int CheckSize(const Image &im, const char *limitText) {
    char *end = nullptr;
    unsigned long limit = std::strtoul(limitText, &end, 10);
    if (!*limitText || *end)
        Unreadable(std::string("not a byte count: ") + limitText);
    std::printf("%-8s %10s %10s\n", "section", "in memory", "in file");
    uint32_t raw = 0;
    for (const Section &s : im.sections) {
        std::printf("%-8s %10u %10u\n", s.name.c_str(), s.virtualSize, s.rawSize);
        raw += s.rawSize;
    }
    std::printf("%-8s %10s %10u\n", "headers", "", U32(im, im.optional + 60));
    for (const Resource &r : Resources(im))
        std::printf("resource type %-6s %-12s %6u bytes\n", r.type.c_str(), r.name.c_str(), r.size);
    std::printf("file: %zu bytes (%.1f KiB), limit %lu\n", im.bytes.size(), im.bytes.size() / 1024.0, limit);
    if (im.bytes.size() > limit)
        Fail("the file is " + std::to_string(im.bytes.size()) + " bytes, over the limit of " + std::to_string(limit));
    if (raw > im.bytes.size())
        Unreadable("sections extend past the end of the file");
    return g_failures ? 1 : 0;
}

// ---- version resource

// One node of a version resource: a length, the length and type of its
// value, a UTF-16 key, the value and the child nodes, each on 4 bytes.
struct VersionNode {
    std::string key;
    uint32_t valueLength = 0, type = 0;
    uint64_t value = 0; // file offset of the value
    std::vector<VersionNode> children;
};

uint64_t Align4(uint64_t at, uint64_t base) { return base + ((at - base + 3) & ~uint64_t(3)); }

// Reads the node at `at`, which must end by `end`; `base` is where the
// resource starts (the alignment is counted from there).
VersionNode ReadVersionNode(const Image &im, uint64_t at, uint64_t end, uint64_t base, int depth) {
    VersionNode node;
    uint32_t length = U16(im, at);
    if (length < 6 || at + length > end || depth > 4)
        Unreadable("version resource out of shape at offset " + std::to_string(at));
    uint64_t stop = at + length;
    node.valueLength = U16(im, at + 2);
    node.type = U16(im, at + 4);
    uint64_t p = at + 6;
    for (uint32_t c; p + 2 <= stop && (c = U16(im, p)) != 0; p += 2)
        node.key += c < 0x80 ? (char)c : '?';
    p = Align4(p + 2, base);
    node.value = p;
    // Text values count UTF-16 units, binary ones bytes.
    uint64_t valueBytes = node.type == 1 ? 2ull * node.valueLength : node.valueLength;
    if (p + valueBytes > stop && !(node.type == 1 && node.valueLength == 0))
        Unreadable("version resource value past its node: " + node.key);
    p = Align4(p + valueBytes, base);
    while (p + 6 <= stop) {
        node.children.push_back(ReadVersionNode(im, p, stop, base, depth + 1));
        p = Align4(p + U16(im, p), base);
    }
    return node;
}

std::string VersionText(const Image &im, const VersionNode &n) {
    std::string text;
    for (uint32_t i = 0; i < n.valueLength; ++i) {
        uint32_t c = U16(im, n.value + 2 * i);
        if (!c)
            break;
        text += c < 0x80 ? (char)c : '?';
    }
    return text;
}

std::string Dotted(uint32_t ms, uint32_t ls) {
    return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." + std::to_string(ls >> 16) + "." +
           std::to_string(ls & 0xFFFF);
}

int CheckVersion(const Image &im, const char *path, const char *versionPath) {
    std::ifstream in(versionPath);
    std::string wanted;
    if (!in || !std::getline(in, wanted))
        Unreadable(std::string("cannot read the version from ") + versionPath);
    while (!wanted.empty() && std::isspace((unsigned char)wanted.back()))
        wanted.pop_back();
    unsigned major = 0, minor = 0, patch = 0;
    char tail = 0;
    if (std::sscanf(wanted.c_str(), "%u.%u.%u%c", &major, &minor, &patch, &tail) != 3)
        Unreadable(std::string(versionPath) + " holds \"" + wanted + "\", not MAJOR.MINOR.PATCH");
    std::string wantedFour = wanted + ".0";

    std::vector<Resource> found;
    for (const Resource &r : Resources(im))
        if (r.type == "#16")
            found.push_back(r);
    if (found.empty()) {
        Fail("no version resource (type 16)");
        return 1;
    }
    if (found.size() > 1)
        Fail(std::to_string(found.size()) + " version resources, not one");
    const Resource &r = found[0];
    std::printf("version resource %s, language %u, %u bytes\n", r.name.c_str(), r.language, r.size);
    if (r.name != "#1")
        Fail("the version resource is named " + r.name + ", not 1");
    if (r.language != 1033)
        Fail("the version resource is in language " + std::to_string(r.language) + ", not 1033");

    if (r.size < 6)
        Unreadable("a version resource of " + std::to_string(r.size) + " bytes");
    uint64_t base = Offset(im, r.rva);
    Read(im, base + r.size - 1, 1);
    VersionNode root = ReadVersionNode(im, base, base + r.size, base, 0);
    if (root.key != "VS_VERSION_INFO" || root.valueLength != 52)
        Unreadable("the version resource does not start with VS_VERSION_INFO and its fixed part");
    uint64_t f = root.value;
    if (U32(im, f) != 0xFEEF04BDu)
        Unreadable("the fixed part of the version resource lacks its signature");
    std::string fileVersion = Dotted(U32(im, f + 8), U32(im, f + 12));
    std::string productVersion = Dotted(U32(im, f + 16), U32(im, f + 20));
    std::printf("file version %s, product version %s (VERSION: %s)\n", fileVersion.c_str(), productVersion.c_str(),
                wanted.c_str());
    if (fileVersion != wantedFour)
        Fail("file version " + fileVersion + " is not " + wantedFour);
    if (productVersion != wantedFour)
        Fail("product version " + productVersion + " is not " + wantedFour);
    // A build date would make two builds of one commit differ.
    if (U32(im, f + 44) || U32(im, f + 48))
        Fail("the version resource carries a file date");

    std::map<std::string, std::string> strings;
    bool english = false;
    for (const VersionNode &block : root.children) {
        if (block.key == "StringFileInfo") {
            for (const VersionNode &table : block.children) {
                std::printf("string table %s\n", table.key.c_str());
                if (Lower(table.key).compare(0, 4, "0409") != 0) {
                    Fail("string table " + table.key + " is not English (United States), 0409");
                    continue;
                }
                for (const VersionNode &value : table.children)
                    strings[value.key] = VersionText(im, value);
            }
        } else if (block.key == "VarFileInfo") {
            for (const VersionNode &var : block.children)
                if (var.key == "Translation")
                    for (uint32_t i = 0; i + 4 <= var.valueLength; i += 4) {
                        std::printf("translation %#06x, code page %u\n", U16(im, var.value + i),
                                    U16(im, var.value + i + 2));
                        english = english || U16(im, var.value + i) == 0x409;
                    }
        }
    }
    for (const auto &kv : strings)
        std::printf("  %s: %s\n", kv.first.c_str(), kv.second.c_str());
    if (!english)
        Fail("the version resource's translation does not name English (United States), 0x0409");
    for (const char *key : {"ProductName", "FileDescription"})
        if (strings[key].empty())
            Fail(std::string("no ") + key + " in the version resource");
    for (const char *key : {"FileVersion", "ProductVersion"})
        if (strings[key] != wanted)
            Fail(std::string(key) + " \"" + strings[key] + "\" is not " + wanted);
    std::string name = path;
    name = name.substr(name.find_last_of("/\\") + 1);
    if (Lower(strings["OriginalFilename"]) != Lower(name))
        Fail("OriginalFilename \"" + strings["OriginalFilename"] + "\" is not " + name);
    return g_failures ? 1 : 0;
}

// ---- resources against the compiled resource script

// The entries of a .res file: a data size, a header size, the type and the
// name (a number after 0xFFFF, or a UTF-16 string), then on 4 bytes the data
// version, the memory flags and the language; the data follows the header.
std::vector<std::pair<Resource, std::string>> ReadResFile(const char *path) {
    Image res;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        Unreadable(std::string("cannot open ") + path);
    res.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    auto id = [&](uint64_t &at) {
        if (U16(res, at) == 0xFFFF) {
            at += 4;
            return "#" + std::to_string(U16(res, at - 2));
        }
        std::string text;
        for (uint32_t c; (c = U16(res, at)) != 0; at += 2)
            text += c < 0x80 ? (char)c : '?';
        at += 2;
        return text;
    };
    std::vector<std::pair<Resource, std::string>> out;
    uint64_t at = 0;
    while (at + 8 <= res.bytes.size()) {
        uint32_t dataSize = U32(res, at), headerSize = U32(res, at + 4);
        uint64_t p = at + 8;
        Resource r;
        r.type = id(p);
        r.name = id(p);
        p = (p + 3) & ~uint64_t(3);
        r.language = U16(res, p + 6);
        r.rva = 0;
        r.size = dataSize;
        if (dataSize)
            Read(res, at + headerSize + dataSize - 1, 1);
        if (dataSize || r.type != "#0") // the lead entry that marks a .res file
            out.emplace_back(r, std::string((const char *)res.bytes.data() + at + headerSize, dataSize));
        at = (at + headerSize + dataSize + 3) & ~uint64_t(3);
    }
    return out;
}

int CheckResources(const Image &im, const char *resPath) {
    std::vector<std::pair<Resource, std::string>> script = ReadResFile(resPath);
    std::vector<Resource> file = Resources(im);
    if (script.empty())
        Unreadable(std::string("no resource in ") + resPath);
    for (const auto &entry : script) {
        const Resource &want = entry.first;
        int matches = 0;
        for (const Resource &r : file)
            if (r.type == want.type && r.name == want.name) {
                ++matches;
                if (r.language != want.language) {
                    Fail("resource type " + want.type + " " + want.name + " is in language " +
                         std::to_string(r.language) + ", not " + std::to_string(want.language));
                    continue;
                }
                uint64_t at = r.size ? Offset(im, r.rva) : 0;
                if (r.size)
                    Read(im, at + r.size - 1, 1);
                bool same = r.size == want.size && (!r.size || !std::memcmp(&im.bytes[at], entry.second.data(), r.size));
                std::printf("resource type %-6s %-12s %5u: %u bytes, %s\n", want.type.c_str(), want.name.c_str(),
                            r.language, r.size, same ? "as compiled" : "DIFFERENT");
                if (!same)
                    Fail("resource type " + want.type + " " + want.name + " differs from the compiled script's");
            }
        if (matches == 0)
            Fail("resource type " + want.type + " " + want.name + " is missing");
        else if (matches > 1)
            Fail("resource type " + want.type + " " + want.name + " is there in " + std::to_string(matches) +
                 " languages");
    }
    for (const Resource &r : file) {
        bool known = r.type == "#16"; // the version resource, which "version" checks
        for (const auto &entry : script)
            known = known || (entry.first.type == r.type && entry.first.name == r.name);
        if (!known)
            Fail("resource type " + r.type + " " + r.name + " is not in the compiled script");
    }
    return g_failures ? 1 : 0;
}

} // namespace

int main(int argc, char **argv) {
    std::string command = argc > 2 ? argv[1] : "";
    if (command == "imports" && argc == 4)
        return CheckImports(Load(argv[2]), argv[3]);
    if (command == "header" && argc == 3)
        return CheckHeader(Load(argv[2]));
    if (command == "manifest" && argc == 3)
        return CheckManifest(Load(argv[2]));
    if (command == "size" && argc == 4)
        return CheckSize(Load(argv[2]), argv[3]);
    if (command == "version" && argc == 4)
        return CheckVersion(Load(argv[2]), argv[2], argv[3]);
    if (command == "resources" && argc == 4)
        return CheckResources(Load(argv[2]), argv[3]);
    std::fprintf(stderr, "usage: pe_check imports FILE LIST | header FILE | manifest FILE | size FILE LIMIT |\n"
                         "                version FILE VERSION-FILE | resources FILE RES-FILE\n");
    return 2;
}
