// Reading a file exported by the Registry Editor ("REGEDIT4" in the ANSI
// code page, or "Windows Registry Editor Version 5.00" in UTF-16LE) into the
// local-machine keys a 32-bit program would see on that machine.
#ifndef DISCCHECK_REGFILE_H
#define DISCCHECK_REGFILE_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace disccheck {

struct RegValue {
    std::string name; // as written; "" for the default value "@"
    uint32_t type;    // REG_SZ, REG_DWORD, ...
    std::string data; // the bytes RegQueryValueExA hands back (ANSI for text types)
};

struct RegKey {
    std::string path;                       // without the root key, as written
    std::map<std::string, RegValue> values; // by lower-case name
};

// The two views of HKEY_LOCAL_MACHINE: [0] the 32-bit view, [1] the 64-bit one.
struct RegImage {
    std::map<std::string, RegKey> keys[2]; // by lower-case path
    bool from64 = false;                   // keys outside Wow6432Node are the 64-bit view
};

// Which machine the file was exported on, for keys under SOFTWARE outside
// Wow6432Node: 32-bit Windows has one view, so they belong to both; on 64-bit
// Windows they are the 64-bit view. Auto takes 64-bit when the file holds any
// Wow6432Node key.
enum class RegSource { Auto, Windows32, Windows64 };

struct RegReadResult {
    bool ok = false;
    std::string error;                 // why the file was not read at all
    std::vector<std::string> warnings; // "line N: ..." and the like
    int version = 0;                   // 4 or 5
    bool utf16 = false;
};

// Text is converted to the Windows-1252 ANSI code page, as a 32-bit program's
// RegQueryValueExA on a Western system returns it.
RegReadResult ReadRegFile(const std::string &bytes, RegSource source, RegImage *image);

std::string Lower(const std::string &s);

// Whether the bytes hold text beyond ASCII that is all well-formed UTF-8:
// most likely saved as UTF-8 where ANSI was meant.
bool IsUtf8BeyondAscii(const std::string &bytes);

} // namespace disccheck

#endif
