// disccheck: checks a disc image's launcher folder before the disc is pressed.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "disccheck.h"

#ifdef _WIN32
#include "host_file.h"

// The C runtime's arguments as UTF-16. The narrow argv is in the ANSI code
// page of the machine, where a name outside it (a Polish folder on a Western
// Windows) has become "?".
struct WideStartupInfo {
    int newmode;
};
extern "C" int __wgetmainargs(int *argc, wchar_t ***argv, wchar_t ***env, int wildcards, WideStartupInfo *info);
#endif

int main(int argc, char **argv) {
    std::vector<std::string> args(argv, argv + argc);
#ifdef _WIN32
    int wargc = 0;
    wchar_t **wargv = nullptr, **wenv = nullptr;
    WideStartupInfo info{0};
    if (__wgetmainargs(&wargc, &wargv, &wenv, 0, &info) == 0 && wargv && wargc == argc)
        for (int i = 0; i < argc; ++i)
            args[i] = sim::host::FromWide(wargv[i]); // UTF-8, as the host's names are
#endif
    std::vector<const char *> utf8;
    for (const std::string &a : args)
        utf8.push_back(a.c_str());
    utf8.push_back(nullptr);
    // The release this checker belongs to (the VERSION file's), the same in
    // the Linux and the Windows build; it stands in for whatever else is asked.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(utf8[i], "--version") == 0) {
            std::cout << "disccheck " DISCCHECK_VERSION "\n";
            return 0;
        }
    return disccheck::Main(argc, utf8.data(), std::cout, std::cerr);
}
