// Where the checker is built without libarchive (disccheck.exe for Windows):
// it checks disc folders, and says so when it is given a file.
#include "disccheck_internal.h"

#include <string>

namespace disccheck {

bool ReadImage(const std::string &host, Image *image, std::string *problem) {
    image->path = host;
    *problem = "this build of disccheck reads disc folders, not images: check the folder the image is made from, "
               "or check the image with the Linux build";
    return false;
}

bool ReadImageFile(const Image &, const std::string &, std::string *) { return true; }

void RemoveImageFolder(const Image &) {}

} // namespace disccheck
