// Simulated registry: HKEY_LOCAL_MACHINE in two views (32- and 64-bit), keys
// and value names matched without regard to case, values stored as raw bytes
// so tests can store strings without their terminator.
#include "sim_internal.h"

#include <cstring>
#include <map>

namespace sim {
namespace {

struct Value {
    std::string bytes;
    DWORD type;
};
struct Key {
    std::map<std::string, Value> values; // by lower-case name
};

struct OpenKey {
    Key *key;
    std::string path; // as opened
};

std::map<std::string, Key> g_keys[2]; // by lower-case path, per view
std::map<HKEY, OpenKey> g_open;
std::vector<RegOpen> g_opens;
std::vector<RegQuery> g_queries;

void ResetRegistry() {
    g_keys[0].clear();
    g_keys[1].clear();
    g_open.clear();
    g_opens.clear();
    g_queries.clear();
}
internal::ResetHook g_hook(ResetRegistry);

std::string Normalize(const std::string &path) {
    std::string p = internal::Lower(path);
    while (!p.empty() && p.back() == '\\')
        p.pop_back();
    return p;
}

} // namespace

void AddRegKey(const std::string &path, View view) { g_keys[view][Normalize(path)]; }

void SetRegValue(const std::string &path, const std::string &name, const std::string &bytes, DWORD type, View view) {
    g_keys[view][Normalize(path)].values[internal::Lower(name)] = Value{bytes, type};
}

void SetRegString(const std::string &path, const std::string &name, const std::string &text, View view) {
    SetRegValue(path, name, std::string(text.c_str(), text.size() + 1), REG_SZ, view);
}

const std::vector<RegOpen> &RegOpens() { return g_opens; }
const std::vector<RegQuery> &RegQueries() { return g_queries; }

} // namespace sim

using namespace sim;

LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subkey, DWORD, REGSAM sam, PHKEY result) {
    LSTATUS rc = ERROR_FILE_NOT_FOUND;
    std::string path = subkey ? subkey : "";
    if (ShouldFail("RegOpenKeyExA")) {
        rc = ERROR_ACCESS_DENIED;
    } else if (key == HKEY_LOCAL_MACHINE && result) {
        int view = (sam & KEY_WOW64_64KEY) ? View64 : View32;
        auto it = g_keys[view].find(Normalize(path));
        if (it != g_keys[view].end()) {
            HKEY h = static_cast<HKEY>(internal::NewHandle());
            g_open[h] = OpenKey{&it->second, path};
            LedgerAcquire("key", h);
            *result = h;
            rc = ERROR_SUCCESS;
        }
    }
    g_opens.push_back(RegOpen{path, sam, rc});
    Log("RegOpenKeyExA(" + path + ")");
    return rc;
}

namespace {

LSTATUS QueryValue(Key *key, const std::string &name, LPDWORD type, LPBYTE data, LPDWORD size) {
    if (ShouldFail("RegQueryValueExA"))
        return ERROR_ACCESS_DENIED;
    auto v = key->values.find(internal::Lower(name));
    if (v == key->values.end())
        return ERROR_FILE_NOT_FOUND; // buffer and size left alone
    DWORD need = static_cast<DWORD>(v->second.bytes.size());
    if (type)
        *type = v->second.type;
    if (!data) {
        if (size)
            *size = need;
        return ERROR_SUCCESS;
    }
    if (!size)
        return 87;
    if (*size < need) {
        // The contents of a too-small buffer are undefined: scribble on it so
        // a caller that reads it anyway is caught.
        std::memset(data, 'J', *size);
        *size = need;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, v->second.bytes.data(), need);
    *size = need;
    return ERROR_SUCCESS;
}

} // namespace

LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
    auto it = g_open.find(key);
    if (it == g_open.end())
        return ERROR_INVALID_HANDLE;
    if (reserved)
        return 87; // ERROR_INVALID_PARAMETER
    std::string value = name ? name : "";
    LSTATUS rc = QueryValue(it->second.key, value, type, data, size);
    g_queries.push_back(RegQuery{it->second.path, value, rc});
    return rc;
}

LSTATUS WINAPI RegCloseKey(HKEY key) {
    auto it = g_open.find(key);
    if (it == g_open.end()) {
        LedgerRelease("key", key); // notes the bad close
        return ERROR_INVALID_HANDLE;
    }
    g_open.erase(it);
    LedgerRelease("key", key);
    return ERROR_SUCCESS;
}
