// Shared plumbing between the files of the simulated platform.
#ifndef SIM_SIM_INTERNAL_H
#define SIM_SIM_INTERNAL_H

#include "sim.h"

#include <string>

namespace sim {
namespace internal {

// Each part of the simulation registers how to forget its state; Reset()
// runs every hook. Use as: static ResetHook hook([] { ... });
struct ResetHook {
    explicit ResetHook(void (*fn)());
};

// Lower-case copy (ASCII), for Windows' case-insensitive names.
std::string Lower(const std::string &s);
// Integer resource ids and strings alike, as text ("#5" or the name).
std::string ResourceName(LPCSTR name);
// A fake, never dereferenced handle value, unique for the process.
void *NewHandle();
void SetLastErrorCode(DWORD code);
DWORD LastErrorCode();
void RecordStart(const Start &s);
// True when a file query on the path must fail because its drive has no
// disc in it (ERROR_NOT_READY is set); the critical-error box has then been
// raised and recorded, unless the error mode suppresses it.
bool NoMedia(const char *win_path);

} // namespace internal
} // namespace sim

#endif
