// What the simulated platform takes from POSIX and MinGW's C library lacks,
// for building the checker as a Windows program. Forced in with -include.
#ifndef DISCCHECK_MINGW_COMPAT_H
#define DISCCHECK_MINGW_COMPAT_H
#if defined(__cplusplus) && defined(__MINGW32__)
#include <direct.h>
#include <io.h>
#include <stdlib.h>
#include <sys/types.h>

static inline long pread(int fd, void *buffer, unsigned count, long long offset) {
    if (_lseeki64(fd, offset, 0) < 0)
        return -1;
    return _read(fd, buffer, count);
}

static inline char *mkdtemp(char *pattern) {
    if (!_mktemp(pattern) || _mkdir(pattern) != 0)
        return 0;
    return pattern;
}
#endif
#endif
