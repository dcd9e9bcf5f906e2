// Builds bitmap files byte by byte for the tests, including files no editor
// would write: every field is set as given, nothing is checked or fixed up.
#ifndef TESTS_BMP_WRITER_H
#define TESTS_BMP_WRITER_H

#include <cstdint>
#include <string>

namespace bmp {

const uint32_t kAuto = 0xFFFFFFFFu;

struct Bitmap {
    uint16_t type = 0x4D42;
    uint32_t fileSize = 0;
    uint32_t offBits = kAuto; // kAuto: right after the table and the gap
    uint32_t headerSize = 40; // the header written has this many bytes
    int32_t width = 1;
    int32_t height = 1;
    uint16_t planes = 1;
    uint16_t bitCount = 8;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
    std::string table;  // colour table bytes as stored
    std::string gap;    // bytes between the table and the pixels
    std::string pixels; // pixel bytes as stored
};

inline void Put16(std::string &s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

inline void Put32(std::string &s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

inline uint32_t Get32(const std::string &s, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(s[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 3])) << 24;
}

// The information header alone (headerSize bytes; a 12 gives the core form
// with 16-bit width and height; any other size gets at least the 40
// standard bytes). Bytes past the 40 standard ones are 0x77.
inline std::string Header(const Bitmap &b) {
    std::string h;
    Put32(h, b.headerSize);
    if (b.headerSize == 12) {
        Put16(h, static_cast<uint32_t>(b.width));
        Put16(h, static_cast<uint32_t>(b.height));
        Put16(h, b.planes);
        Put16(h, b.bitCount);
        return h;
    }
    Put32(h, static_cast<uint32_t>(b.width));
    Put32(h, static_cast<uint32_t>(b.height));
    Put16(h, b.planes);
    Put16(h, b.bitCount);
    Put32(h, b.compression);
    Put32(h, b.sizeImage);
    Put32(h, 2835);
    Put32(h, 2835);
    Put32(h, b.clrUsed);
    Put32(h, b.clrImportant);
    // A size field below 40 still comes with the 40 standard bytes.
    while (h.size() < b.headerSize && h.size() < 4096)
        h += '\x77';
    return h;
}

inline std::string File(const Bitmap &b) {
    std::string header = Header(b);
    uint32_t off = b.offBits == kAuto ? static_cast<uint32_t>(14 + header.size() + b.table.size() + b.gap.size())
                                      : b.offBits;
    std::string f;
    Put16(f, b.type);
    Put32(f, b.fileSize);
    Put16(f, 0);
    Put16(f, 0);
    Put32(f, off);
    return f + header + b.table + b.gap + b.pixels;
}

inline uint32_t RowSize(uint32_t bits, uint32_t width) { return (bits * width + 31) / 32 * 4; }

// n distinct RGBQUAD entries: blue i, green 255 - i, red 3i + 1, reserved
// 0xA5 (which must never reach a palette).
inline std::string Table(uint32_t n) {
    std::string t;
    for (uint32_t i = 0; i < n; ++i) {
        t += static_cast<char>(i & 0xFF);
        t += static_cast<char>((255 - i) & 0xFF);
        t += static_cast<char>((3 * i + 1) & 0xFF);
        t += '\xA5';
    }
    return t;
}

// count pattern bytes, none of them 0 or 0xCD (the sim's junk), so both
// zero-filling and missing copies show.
inline std::string Pattern(size_t count, unsigned seed = 1) {
    std::string p;
    uint32_t x = seed * 2654435761u + 12345;
    for (size_t i = 0; i < count; ++i) {
        x = x * 1103515245u + 12345;
        unsigned char c = static_cast<unsigned char>(x >> 16);
        if (c == 0 || c == 0xCD)
            c = 0x5A;
        p += static_cast<char>(c);
    }
    return p;
}

// A complete, well-formed bottom-up bitmap: table of the colour count the
// reader works out, pattern pixels, biSizeImage as given.
inline Bitmap Simple(uint16_t bits, int32_t width, int32_t height, unsigned seed = 1) {
    Bitmap b;
    b.bitCount = bits;
    b.width = width;
    b.height = height;
    uint32_t n = bits == 24 ? 0 : (bits == 16 ? 65536 : (1u << (bits % 32)));
    b.table = Table(n);
    uint32_t rows = static_cast<uint32_t>(height < 0 ? -static_cast<int64_t>(height) : height);
    b.pixels = Pattern(static_cast<size_t>(RowSize(bits, static_cast<uint32_t>(width))) * rows, seed);
    return b;
}

} // namespace bmp

#endif
