// Block fill and copy. The launcher is linked without the C runtime, yet the
// compiler may still call these two for a structure copy or clear; this is
// all it gets. Built without loop-to-call rewriting, so neither calls itself.
#include <stddef.h>

extern "C" void *memset(void *dest, int value, size_t count) {
    unsigned char *d = (unsigned char *)dest;
    while (count--)
        *d++ = (unsigned char)value;
    return dest;
}

extern "C" void *memcpy(void *dest, const void *source, size_t count) {
    unsigned char *d = (unsigned char *)dest;
    const unsigned char *s = (const unsigned char *)source;
    while (count--)
        *d++ = *s++;
    return dest;
}
