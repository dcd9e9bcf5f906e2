// Reading install.ini: values cut as the profile call cuts them and never
// inside a character, and the optional keys, read only when a section
// gives them.
#ifndef LAUNCHER_PROFILE_H
#define LAUNCHER_PROFILE_H

#include <windows.h>

#define KEY_LIST_SIZE 32767

/* Returns the length the profile call gave: size - 1 when the value filled
   the buffer and may have been cut, which the text kept never shows as half
   a character. */
DWORD ReadProfile(const char *section, const char *key, char *buffer, int size, const char *file);

/* The length of name when text starts with it, ASCII letters matched
   without regard to case as Windows matches key names; else 0. */
int MatchName(const char *text, const char *name);

/* Lists the keys of a section ("key=value", each terminated), or with a
   null section the names of every section of the file. The list holds a
   section as long as Windows 95 lets one be; an entry beyond a longer one
   counts as not given. Returns the list. */
const char *ListKeys(const char *section, const char *file);

/* Reads an optional key of the section listed last, cut as the profile call
   cuts it. The length the profile call gave when the section gives the key
   ("key=", empty or not); otherwise -1, and the buffer keeps what it held. */
int ReadOption(const char *section, const char *key, char *buffer, int size, const char *file);

#endif
