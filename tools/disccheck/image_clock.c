/* The clock libarchive's ISO 9660 writer reads: it stamps the volume (its
 * descriptors, the root folder, a text block) with the time the writing
 * starts, and offers no setting for it. An image made twice of one disc
 * must be the same to the byte, so while an image is written the clock
 * stands at a fixed time; otherwise it is the system's. */
#ifdef _WIN32
#include <windows.h>

#include <time.h>
#else
#define _POSIX_C_SOURCE 200809L
#include <time.h>
#endif

static long long fixed_clock = -1;

void DisccheckFixClock(long long seconds) { fixed_clock = seconds; }

#ifdef _WIN32
/* The library calls msvcrt's _time32 through its import address: that
 * address is taken from here, before the import library is searched. */
static __time32_t __cdecl ClockTime32(__time32_t *out) {
    __time32_t now;
    if (fixed_clock >= 0) {
        now = (__time32_t)fixed_clock;
    } else {
        FILETIME ft;
        ULARGE_INTEGER t;
        GetSystemTimeAsFileTime(&ft);
        t.LowPart = ft.dwLowDateTime;
        t.HighPart = ft.dwHighDateTime;
        now = (__time32_t)((t.QuadPart - 116444736000000000ULL) / 10000000ULL);
    }
    if (out)
        *out = now;
    return now;
}
__time32_t(__cdecl *_imp___time32)(__time32_t *) = ClockTime32;
#else
/* The shared library's call of time() binds to this definition. */
time_t time(time_t *out) {
    time_t now;
    if (fixed_clock >= 0) {
        now = (time_t)fixed_clock;
    } else {
        struct timespec ts;
        clock_gettime(CLOCK_REALTIME, &ts);
        now = ts.tv_sec;
    }
    if (out)
        *out = now;
    return now;
}
#endif
