// Walking ANSI text a character at a time, as the system's code page
// splits it.
#include "chars.h"

char *NextChar(const char *p) {
    return CharNextA(p);
}

char *FindLastChar(const char *text, char c) {
    char *found = 0;
    for (; *text; text = NextChar(text))
        if (*text == c)
            found = (char *)text;
    return found;
}

int CutText(char *text, int size) {
    char *p = text;
    char *next;

    // Whole characters only, and a lone lead byte is half of one.
    for (; *p; p = next) {
        next = NextChar(p);
        if (next - text > size - 1 || (next - p == 1 && IsDBCSLeadByte((BYTE)*p)))
            break;
    }
    *p = 0;
    return (int)(p - text);
}
