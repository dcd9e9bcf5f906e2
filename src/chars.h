// Walking text in the system's ANSI code page a character at a time. In the
// double-byte code pages (932, 936, 949, 950) the second byte of a character
// may be '\\', '{', '}' or '|', so any scan for those, and any cut of a
// text, goes through here.
#ifndef LAUNCHER_CHARS_H
#define LAUNCHER_CHARS_H

#include <windows.h>

/* The character after the one at p (p itself at the terminator). A lead
   byte right before the terminator stands alone, one byte long. */
char *NextChar(const char *p);

/* The last place where the character c (ASCII) stands as a whole
   character; null when it does not. */
char *FindLastChar(const char *text, char c);

/* Cuts text to at most size - 1 bytes, never inside a character: a lead
   byte left alone at the end goes too. Returns the length kept. */
int CutText(char *text, int size);

#endif
