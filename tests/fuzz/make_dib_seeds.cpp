// Writes the fuzzer's seed bitmaps into the folder given: one small file of
// each kind the reader takes or refuses, so the fuzzer starts from every
// branch. Usage: make_dib_seeds FOLDER
#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

#include "bmp_writer.h"

namespace {

struct Seed {
    const char *name;
    std::string bytes;
};

bmp::Bitmap Small(uint16_t bits, int32_t w, int32_t h) {
    bmp::Bitmap s = bmp::Simple(bits, w, h);
    if (bits == 16) { // keep the seed small: a short table is read as zero
        s.table.resize(64);
    }
    return s;
}

// A run-length image: a run, an absolute stretch, end of line, end of bitmap.
std::string Rle8() { return std::string("\x03\x01\x00\x03\x02\x03\x04\x00\x00\x00\x02\x05\x00\x01", 14); }
std::string Rle4() { return std::string("\x04\x12\x00\x04\x34\x56\x00\x00\x00\x01", 10); }

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    std::vector<Seed> seeds;
    for (uint16_t bits : {1, 4, 8, 16, 24, 32})
        seeds.push_back({"bits", bmp::File(Small(bits, 5, 3))});
    bmp::Bitmap s = Small(8, 4, 2);
    s.clrUsed = 3;
    s.table = bmp::Table(3);
    seeds.push_back({"clrused", bmp::File(s)});
    s.offBits = 0;
    seeds.push_back({"offbits0", bmp::File(s)});
    s = Small(8, 4, 2);
    s.gap = "GAPGAP";
    seeds.push_back({"gap", bmp::File(s)});
    s = Small(24, 3, -2);
    seeds.push_back({"topdown", bmp::File(s)});
    for (uint32_t size : {52u, 56u, 108u, 124u}) {
        s = Small(8, 3, 2);
        s.headerSize = size;
        seeds.push_back({"modern", bmp::File(s)});
    }
    s = Small(8, 3, 3);
    s.compression = BI_RLE8;
    s.pixels = Rle8();
    s.sizeImage = static_cast<uint32_t>(s.pixels.size());
    seeds.push_back({"rle8", bmp::File(s)});
    s.headerSize = 124;
    seeds.push_back({"rle8v5", bmp::File(s)});
    s = Small(4, 8, 2);
    s.compression = BI_RLE4;
    s.pixels = Rle4();
    s.sizeImage = static_cast<uint32_t>(s.pixels.size());
    seeds.push_back({"rle4", bmp::File(s)});
    s = Small(8, 4, 4);
    s.sizeImage = 3;
    seeds.push_back({"understated", bmp::File(s)});
    std::string cut = bmp::File(Small(8, 6, 4));
    seeds.push_back({"truncated", cut.substr(0, cut.size() - 7)});
    seeds.push_back({"tableonly", cut.substr(0, 60)});
    s = Small(4, 3, 2);
    s.headerSize = 12;
    seeds.push_back({"core", bmp::File(s)});
    s = Small(16, 2, 2);
    s.compression = BI_BITFIELDS;
    seeds.push_back({"bitfields", bmp::File(s)});
    // 5-6-5 masks after a 40-byte header, 5-5-5 inside a 124-byte one.
    s = Small(16, 3, 2);
    s.compression = BI_BITFIELDS;
    s.table.clear();
    for (uint32_t mask : {0xF800u, 0x7E0u, 0x1Fu})
        bmp::Put32(s.table, mask);
    seeds.push_back({"bitfields565", bmp::File(s)});
    s.headerSize = 124;
    s.table.clear();
    std::string v5 = bmp::File(s), masks;
    for (uint32_t mask : {0x7C00u, 0x3E0u, 0x1Fu})
        bmp::Put32(masks, mask);
    seeds.push_back({"bitfields555v5", v5.replace(54, 12, masks)});
    seeds.push_back({"header", bmp::File(Small(8, 1, 1)).substr(0, 54)});

    for (size_t i = 0; i < seeds.size(); ++i) {
        char path[4096];
        std::snprintf(path, sizeof path, "%s/%02u-%s.bmp", argv[1], static_cast<unsigned>(i), seeds[i].name);
        FILE *f = std::fopen(path, "wb");
        if (!f || std::fwrite(seeds[i].bytes.data(), 1, seeds[i].bytes.size(), f) != seeds[i].bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", path);
            return 1;
        }
        std::fclose(f);
    }
    std::printf("%u seeds in %s\n", static_cast<unsigned>(seeds.size()), argv[1]);
    return 0;
}
