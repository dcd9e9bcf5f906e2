/* What libarchive's ISO 9660 writer takes from the C library and offers no
 * setting for, held steady while an image is written, so that one disc
 * gives the same bytes every time and in both builds:
 * - the clock: it stamps the volume (its descriptors, the root folder, a
 *   text block) with the time the writing starts; it stands at a fixed time;
 * - on Windows, the character set of the names it writes in the ISO 9660
 *   and Rock Ridge trees: that of the C library's locale, which msvcrt.dll
 *   cannot set to UTF-8; the library is told UTF-8, as on Linux. */
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

/* The library asks setlocale(LC_CTYPE, NULL) for its code page ("C" is
 * Latin-1 to it, "x.utf8" UTF-8); while the clock is fixed, an image is
 * being written, and the answer is UTF-8. Every other call goes to
 * msvcrt.dll's own setlocale. Both ways of calling it (the import address,
 * the plain call) are defined here, so that the import library's are not
 * linked in; <locale.h> is left out for that. */
#define NAMES_LC_CTYPE 2
__declspec(dllimport) void *__stdcall GetModuleHandleA(const char *name);
__declspec(dllimport) void *__stdcall GetProcAddress(void *module, const char *name);
typedef char *(__cdecl *SetLocale)(int, const char *);
static char *__cdecl NamesLocale(int category, const char *locale) {
    static SetLocale system_setlocale;
    static char utf8[] = "C.utf8";
    if (fixed_clock >= 0 && category == NAMES_LC_CTYPE && !locale)
        return utf8;
    if (!system_setlocale)
        system_setlocale = (SetLocale)GetProcAddress(GetModuleHandleA("msvcrt.dll"), "setlocale");
    return system_setlocale(category, locale);
}
char *(__cdecl *_imp__setlocale)(int, const char *) = NamesLocale;
char *__cdecl setlocale(int category, const char *locale) { return NamesLocale(category, locale); }
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
