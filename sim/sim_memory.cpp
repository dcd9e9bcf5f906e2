// Simulated global and local memory. Every block is its own exact-size heap
// allocation, so AddressSanitizer catches a read or write one byte past it;
// new bytes are filled with junk (0xCD) unless zeroing was asked for, so code
// that relies on their value is caught too.
#include "sim_internal.h"

#include <cstdlib>
#include <cstring>
#include <map>

namespace sim {
namespace {

struct Block {
    unsigned char *data;
    SIZE_T size;
    UINT flags;
    int locks;
};

std::map<HGLOBAL, Block> g_blocks;
std::map<void *, SIZE_T> g_locals;
SIZE_T g_largest;
SIZE_T g_limit;

void FreeAll() {
    for (auto &kv : g_blocks)
        std::free(kv.second.data);
    for (auto &kv : g_locals)
        std::free(kv.first);
}

void ResetMemory() {
    FreeAll();
    g_blocks.clear();
    g_locals.clear();
    g_largest = 0;
    g_limit = SIZE_T(256) << 20;
}
internal::ResetHook g_hook(ResetMemory);

unsigned char *Allocate(SIZE_T bytes, bool zero) {
    unsigned char *p = static_cast<unsigned char *>(std::malloc(bytes ? bytes : 1));
    if (p)
        std::memset(p, zero ? 0 : 0xCD, bytes);
    return p;
}

} // namespace

SIZE_T LargestAllocation() { return g_largest; }
void SetMemoryLimit(SIZE_T bytes) { g_limit = bytes; }

} // namespace sim

using namespace sim;

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
    if (ShouldFail("GlobalAlloc") || bytes > g_limit)
        return nullptr;
    if (bytes > g_largest)
        g_largest = bytes;
    unsigned char *data = Allocate(bytes, (flags & GMEM_ZEROINIT) != 0);
    if (!data)
        return nullptr;
    HGLOBAL h = (flags & GMEM_MOVEABLE) ? internal::NewHandle() : static_cast<HGLOBAL>(data);
    g_blocks[h] = Block{data, bytes, flags, 0};
    LedgerAcquire("global", h);
    return h;
}

HGLOBAL WINAPI GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags) {
    auto it = g_blocks.find(mem);
    if (it == g_blocks.end())
        return nullptr;
    if (ShouldFail("GlobalReAlloc") || bytes > g_limit)
        return nullptr;
    // A locked block cannot move unless the caller allows it.
    if (it->second.locks > 0 && !(flags & GMEM_MOVEABLE)) {
        Log("GlobalReAlloc of a locked block");
        return nullptr;
    }
    if (bytes > g_largest)
        g_largest = bytes;
    unsigned char *data = Allocate(bytes, (flags & GMEM_ZEROINIT) != 0);
    if (!data)
        return nullptr;
    Block old = it->second;
    std::memcpy(data, old.data, old.size < bytes ? old.size : bytes);
    std::free(old.data);
    g_blocks.erase(it);
    LedgerRelease("global", mem);
    // The block always moves, to catch callers that keep the old handle.
    HGLOBAL h = (old.flags & GMEM_MOVEABLE) ? internal::NewHandle() : static_cast<HGLOBAL>(data);
    g_blocks[h] = Block{data, bytes, old.flags, 0};
    LedgerAcquire("global", h);
    return h;
}

LPVOID WINAPI GlobalLock(HGLOBAL mem) {
    auto it = g_blocks.find(mem);
    if (it == g_blocks.end())
        return nullptr;
    if (ShouldFail("GlobalLock"))
        return nullptr;
    if (it->second.locks++ == 0)
        LedgerAcquire("global-lock", mem);
    return it->second.data;
}

BOOL WINAPI GlobalUnlock(HGLOBAL mem) {
    auto it = g_blocks.find(mem);
    if (it == g_blocks.end() || it->second.locks == 0) {
        internal::SetLastErrorCode(158); // ERROR_NOT_LOCKED
        return FALSE;
    }
    if (--it->second.locks == 0) {
        LedgerRelease("global-lock", mem);
        internal::SetLastErrorCode(0);
        return FALSE;
    }
    return TRUE;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL mem) {
    auto it = g_blocks.find(mem);
    if (it == g_blocks.end()) {
        LedgerRelease("global", mem); // notes the bad free
        return mem;
    }
    if (it->second.locks > 0) {
        // Windows frees it anyway; the launcher never means to.
        Log("GlobalFree of a locked block");
        LedgerRelease("global-lock", mem);
        LedgerAcquire("freed-while-locked", mem);
    }
    std::free(it->second.data);
    g_blocks.erase(it);
    LedgerRelease("global", mem);
    return nullptr;
}

SIZE_T WINAPI GlobalSize(HGLOBAL mem) {
    auto it = g_blocks.find(mem);
    return it == g_blocks.end() ? 0 : it->second.size;
}

HLOCAL WINAPI LocalAlloc(UINT flags, SIZE_T bytes) {
    if (ShouldFail("LocalAlloc") || bytes > g_limit || (flags & ~LMEM_ZEROINIT) != LMEM_FIXED)
        return nullptr;
    if (bytes > g_largest)
        g_largest = bytes;
    unsigned char *data = Allocate(bytes, (flags & LMEM_ZEROINIT) != 0);
    if (!data)
        return nullptr;
    g_locals[data] = bytes;
    LedgerAcquire("local", data);
    return data;
}

HLOCAL WINAPI LocalFree(HLOCAL mem) {
    auto it = g_locals.find(mem);
    if (it == g_locals.end()) {
        LedgerRelease("local", mem);
        return mem;
    }
    std::free(it->first);
    g_locals.erase(it);
    LedgerRelease("local", mem);
    return nullptr;
}
