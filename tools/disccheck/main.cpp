// disccheck: checks a disc image's launcher folder before the disc is pressed.
#include <cstring>
#include <iostream>

#include "disccheck.h"

int main(int argc, char **argv) {
    // The release this checker belongs to (the VERSION file's), the same in
    // the Linux and the Windows build; it stands in for whatever else is asked.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "disccheck " DISCCHECK_VERSION "\n";
            return 0;
        }
    return disccheck::Main(argc, argv, std::cout, std::cerr);
}
