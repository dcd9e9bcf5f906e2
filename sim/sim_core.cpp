// Ledger, failure injection, event log and reset for the simulated platform.
#include "sim_internal.h"

#include <cctype>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <vector>

namespace sim {
namespace internal {

namespace {
std::vector<void (*)()> &Hooks() {
    static std::vector<void (*)()> hooks;
    return hooks;
}
} // namespace

ResetHook::ResetHook(void (*fn)()) { Hooks().push_back(fn); }

std::string Lower(const std::string &s) {
    std::string out(s);
    for (char &c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string ResourceName(LPCSTR name) {
    if (IS_INTRESOURCE(name))
        return "#" + std::to_string(static_cast<unsigned>(reinterpret_cast<uintptr_t>(name)));
    return name;
}

namespace {
// Handles stay unique across resets so a stale one is never mistaken for a live one.
const uintptr_t kHandleStep = 0x10;
uintptr_t g_last_handle = 0x10000;
} // namespace

void *NewHandle() {
    g_last_handle += kHandleStep;
    return reinterpret_cast<void *>(g_last_handle);
}

namespace {
DWORD g_last_error = 0;
}
void SetLastErrorCode(DWORD code) { g_last_error = code; }
DWORD LastErrorCode() { return g_last_error; }

} // namespace internal

namespace {

struct Ledger {
    std::map<std::string, std::set<const void *>> held;
    std::map<std::string, int> acquired;
    std::vector<std::string> errors;
};
Ledger g_ledger;

struct FailPlan {
    std::set<int> at; // call numbers that fail
    bool always = false;
};
std::map<std::string, int> g_calls;
std::map<std::string, FailPlan> g_fail;
std::vector<std::string> g_events;

std::string HandleText(const void *h) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%p", h);
    return buf;
}

} // namespace

void Reset() {
    g_ledger = Ledger();
    g_calls.clear();
    g_fail.clear();
    g_events.clear();
    internal::SetLastErrorCode(0);
    for (auto fn : internal::Hooks())
        fn();
}

void LedgerAcquire(const char *kind, const void *handle) {
    auto &set = g_ledger.held[kind];
    if (!set.insert(handle).second)
        g_ledger.errors.push_back(std::string("acquired twice: ") + kind + " " + HandleText(handle));
    g_ledger.acquired[kind]++;
}

bool LedgerRelease(const char *kind, const void *handle) {
    auto &set = g_ledger.held[kind];
    if (set.erase(handle) == 0) {
        g_ledger.errors.push_back(std::string("released but not held: ") + kind + " " + HandleText(handle));
        return false;
    }
    return true;
}

bool LedgerHolds(const char *kind, const void *handle) {
    auto it = g_ledger.held.find(kind);
    return it != g_ledger.held.end() && it->second.count(handle) != 0;
}

int Outstanding() {
    int n = 0;
    for (auto &kv : g_ledger.held)
        n += static_cast<int>(kv.second.size());
    return n;
}

int Outstanding(const char *kind) {
    auto it = g_ledger.held.find(kind);
    return it == g_ledger.held.end() ? 0 : static_cast<int>(it->second.size());
}

int Acquired(const char *kind) {
    auto it = g_ledger.acquired.find(kind);
    return it == g_ledger.acquired.end() ? 0 : it->second;
}

const std::vector<std::string> &LedgerErrors() { return g_ledger.errors; }

std::string LedgerReport() {
    std::ostringstream out;
    for (auto &kv : g_ledger.held)
        for (const void *h : kv.second)
            out << "still held: " << kv.first << " " << HandleText(h) << "\n";
    for (auto &e : g_ledger.errors)
        out << e << "\n";
    return out.str();
}

void FailCall(const std::string &api, int nth) { g_fail[api].at.insert(g_calls[api] + nth); }

void FailAlways(const std::string &api) { g_fail[api].always = true; }

bool ShouldFail(const char *api) {
    int n = ++g_calls[api];
    auto it = g_fail.find(api);
    if (it == g_fail.end())
        return false;
    return it->second.always || it->second.at.count(n) != 0;
}

int CallCount(const std::string &api) {
    auto it = g_calls.find(api);
    return it == g_calls.end() ? 0 : it->second;
}

void SkipHandlesTo(uintptr_t value) {
    if (value > internal::g_last_handle)
        internal::g_last_handle += (value - internal::g_last_handle) / internal::kHandleStep * internal::kHandleStep;
}

void Log(const std::string &event) { g_events.push_back(event); }

const std::vector<std::string> &Events() { return g_events; }

} // namespace sim

DWORD WINAPI GetLastError(void) { return sim::internal::LastErrorCode(); }
