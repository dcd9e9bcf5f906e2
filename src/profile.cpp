// Reading install.ini through the system's profile calls.
#include "profile.h"

#include "chars.h"

// The keys of the section listed last, as GetPrivateProfileSectionA gives
// them, or the section names.
static char s_keyList[KEY_LIST_SIZE];

DWORD ReadProfile(const char *section, const char *key, char *buffer, int size, const char *file) {
    DWORD length;
    buffer[0] = 0;
    length = GetPrivateProfileStringA(section, key, "", buffer, size, file);
    buffer[size - 1] = 0;
    CutText(buffer, size);
    return length;
}

int MatchName(const char *text, const char *name) {
    int n = 0;
    for (; name[n]; ++n)
        if (text[n] != name[n] &&
            ((text[n] ^ name[n]) != 0x20 || (unsigned char)((name[n] | 0x20) - 'a') > 'z' - 'a'))
            return 0;
    return n;
}

const char *ListKeys(const char *section, const char *file) {
    s_keyList[0] = 0;
    s_keyList[1] = 0;
    if (section)
        GetPrivateProfileSectionA(section, s_keyList, KEY_LIST_SIZE, file);
    else
        GetPrivateProfileSectionNamesA(s_keyList, KEY_LIST_SIZE, file);
    s_keyList[KEY_LIST_SIZE - 2] = 0;
    s_keyList[KEY_LIST_SIZE - 1] = 0;
    return s_keyList;
}

int ReadOption(const char *section, const char *key, char *buffer, int size, const char *file) {
    for (const char *entry = s_keyList; *entry; entry += lstrlenA(entry) + 1) {
        const char *p = entry;
        int n;
        while (*p == ' ' || *p == '\t')
            ++p;
        if ((n = MatchName(p, key)) == 0)
            continue;
        for (p += n; *p == ' ' || *p == '\t'; ++p)
            ;
        if (*p == '=')
            return (int)ReadProfile(section, key, buffer, size, file);
    }
    return -1;
}
