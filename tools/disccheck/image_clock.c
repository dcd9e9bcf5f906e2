/* The clock libarchive's ISO 9660 writer reads: it stamps the volume (its
 * descriptors, the root folder, a text block) with the time the writing
 * starts, and offers no setting for it. An image made twice of one disc
 * must be the same to the byte, so while an image is written the clock
 * stands at a fixed time; otherwise it is the system's. */
#ifdef _WIN32
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
        now = (__time32_t)_time64(NULL);
    }
    if (out)
        *out = now;
    return now;
}
__time32_t(__cdecl *_imp___time32)(__time32_t *) = ClockTime32;

/* The reader turns an image's dates into times with _mkgmtime64, which
 * Windows XP's msvcrt.dll lacks (it came with later systems): the
 * library's import of it is answered here, and the program still starts
 * on XP. Only the fields are read; the days from 1970-01-01 by the
 * proleptic Gregorian calendar. */
static __time64_t __cdecl MakeUtcTime64(struct tm *t) {
    long long year = (long long)t->tm_year + 1900 + t->tm_mon / 12;
    long long month = t->tm_mon % 12;
    if (month < 0) {
        month += 12;
        year -= 1;
    }
    /* March-based year, so that the leap day ends it. */
    long long y = month < 2 ? year - 1 : year;
    long long era = (y >= 0 ? y : y - 399) / 400;
    long long yoe = y - era * 400;
    long long mp = (month + 9) % 12;
    long long doy = (153 * mp + 2) / 5 + t->tm_mday - 1;
    long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    long long days = era * 146097 + doe - 719468;
    return (__time64_t)(days * 86400 + t->tm_hour * 3600LL + t->tm_min * 60LL + t->tm_sec);
}
__time64_t(__cdecl *_imp___mkgmtime64)(struct tm *) = MakeUtcTime64;
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
