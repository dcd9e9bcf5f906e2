// Simulated resources of the launcher's own module: found by name and type
// without regard to case, loaded into an exact-size copy (so reading past
// the resource's end is caught) that must stay unchanged, and freed.
#include "sim_internal.h"

#include <cstdlib>
#include <cstring>
#include <map>

namespace sim {
namespace {

struct Resource {
    std::string bytes;
    HRSRC info; // fixed for the resource's life
};

struct Loaded {
    const Resource *resource;
    unsigned char *data;
    size_t size;
};

std::map<std::string, Resource> g_resources; // by lower-case "type/name"
std::map<HGLOBAL, Loaded> g_loaded;

std::string Key(LPCSTR type, LPCSTR name) {
    return internal::Lower(internal::ResourceName(type)) + "/" + internal::Lower(internal::ResourceName(name));
}

const Resource *ByInfo(HRSRC info) {
    for (auto &kv : g_resources)
        if (kv.second.info == info)
            return &kv.second;
    return nullptr;
}

void ResetResources() {
    for (auto &kv : g_loaded)
        std::free(kv.second.data);
    g_loaded.clear();
    g_resources.clear();
}
internal::ResetHook g_hook(ResetResources);

} // namespace

void SetResource(const std::string &name, LPCSTR type, const std::string &bytes) {
    Resource &r = g_resources[Key(type, name.c_str())];
    r.bytes = bytes;
    if (!r.info)
        r.info = static_cast<HRSRC>(internal::NewHandle());
}

} // namespace sim

using namespace sim;

HRSRC WINAPI FindResourceA(HMODULE, LPCSTR name, LPCSTR type) {
    Log(std::string("FindResourceA(") + (name ? internal::ResourceName(name) : "(null)") + ")");
    if (ShouldFail("FindResourceA") || !name || !type)
        return nullptr;
    auto it = g_resources.find(Key(type, name));
    if (it == g_resources.end()) {
        internal::SetLastErrorCode(1814); // ERROR_RESOURCE_NAME_NOT_FOUND
        return nullptr;
    }
    return it->second.info;
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC info) {
    const Resource *r = ByInfo(info);
    if (ShouldFail("LoadResource") || !r)
        return nullptr;
    size_t n = r->bytes.size();
    unsigned char *data = static_cast<unsigned char *>(std::malloc(n ? n : 1));
    if (!data)
        return nullptr;
    std::memcpy(data, r->bytes.data(), n);
    HGLOBAL h = internal::NewHandle();
    g_loaded[h] = Loaded{r, data, n};
    LedgerAcquire("resource", h);
    return h;
}

LPVOID WINAPI LockResource(HGLOBAL res) {
    auto it = g_loaded.find(res);
    if (ShouldFail("LockResource") || it == g_loaded.end())
        return nullptr;
    return it->second.data;
}

BOOL WINAPI FreeResource(HGLOBAL res) {
    auto it = g_loaded.find(res);
    if (it == g_loaded.end()) {
        LedgerRelease("resource", res); // notes the bad free
        return FALSE;
    }
    // Resources are read-only: a write through the locked pointer is a fault.
    const std::string &orig = it->second.resource->bytes;
    if (orig.size() != it->second.size || std::memcmp(it->second.data, orig.data(), orig.size()) != 0)
        Log("resource written");
    std::free(it->second.data);
    g_loaded.erase(it);
    LedgerRelease("resource", res);
    return FALSE; // as Win32 reports it: the call is obsolete
}

DWORD WINAPI SizeofResource(HMODULE, HRSRC info) {
    const Resource *r = ByInfo(info);
    return r ? static_cast<DWORD>(r->bytes.size()) : 0;
}
