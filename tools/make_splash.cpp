// Draws the sample disc's splash picture: a 400 x 300, 8 bits per pixel
// Windows bitmap with its own 256-colour palette. The lowest 45 rows stay a
// plain band because the launcher lays its two buttons over them.
//
//   make_splash OUT.bmp ["TITLE" ["SUBTITLE"]]
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kWidth = 400;
const int kHeight = 300;
const int kButtonBand = 45;

// Palette: 0..127 a deep-blue to teal ramp for the background, 128..191 a
// gold ramp for the emblem, and a few fixed colours at the top.
const int kWhite = 250;
const int kShadow = 251;
const int kBand = 252;
const int kBandLine = 253;

struct Rgb {
    uint8_t r, g, b;
};

std::vector<Rgb> MakePalette() {
    std::vector<Rgb> p(256, Rgb{0, 0, 0});
    for (int i = 0; i < 128; ++i)
        p[i] = Rgb{uint8_t(10 + i / 4), uint8_t(30 + i), uint8_t(90 + i)};
    for (int i = 0; i < 64; ++i)
        p[128 + i] = Rgb{uint8_t(150 + i * 1.6), uint8_t(110 + i * 1.7), uint8_t(20 + i)};
    p[kWhite] = Rgb{255, 255, 255};
    p[kShadow] = Rgb{8, 20, 50};
    p[kBand] = Rgb{224, 228, 236};
    p[kBandLine] = Rgb{120, 130, 150};
    return p;
}

// A 5 x 7 font for the letters the titles use.
struct Glyph {
    char c;
    uint8_t rows[7];
};
const Glyph kFont[] = {
    {'A', {14, 17, 17, 31, 17, 17, 17}}, {'B', {30, 17, 17, 30, 17, 17, 30}}, {'C', {14, 17, 16, 16, 16, 17, 14}},
    {'D', {30, 17, 17, 17, 17, 17, 30}}, {'E', {31, 16, 16, 30, 16, 16, 31}}, {'F', {31, 16, 16, 30, 16, 16, 16}},
    {'G', {14, 17, 16, 23, 17, 17, 15}}, {'H', {17, 17, 17, 31, 17, 17, 17}}, {'I', {14, 4, 4, 4, 4, 4, 14}},
    {'J', {7, 2, 2, 2, 2, 18, 12}},      {'K', {17, 18, 20, 24, 20, 18, 17}}, {'L', {16, 16, 16, 16, 16, 16, 31}},
    {'M', {17, 27, 21, 21, 17, 17, 17}}, {'N', {17, 17, 25, 21, 19, 17, 17}}, {'O', {14, 17, 17, 17, 17, 17, 14}},
    {'P', {30, 17, 17, 30, 16, 16, 16}}, {'Q', {14, 17, 17, 17, 21, 18, 13}}, {'R', {30, 17, 17, 30, 20, 18, 17}},
    {'S', {15, 16, 16, 14, 1, 1, 30}},   {'T', {31, 4, 4, 4, 4, 4, 4}},       {'U', {17, 17, 17, 17, 17, 17, 14}},
    {'V', {17, 17, 17, 17, 17, 10, 4}},  {'W', {17, 17, 17, 21, 21, 21, 10}}, {'X', {17, 17, 10, 4, 10, 17, 17}},
    {'Y', {17, 17, 10, 4, 4, 4, 4}},     {'Z', {31, 1, 2, 4, 8, 16, 31}},     {'0', {14, 17, 19, 21, 25, 17, 14}},
    {'1', {4, 12, 4, 4, 4, 4, 14}},      {'2', {14, 17, 1, 2, 4, 8, 31}},     {'3', {30, 1, 1, 14, 1, 1, 30}},
    {'.', {0, 0, 0, 0, 0, 12, 12}},      {'-', {0, 0, 0, 14, 0, 0, 0}},
};

const Glyph *FindGlyph(char c) {
    if (c >= 'a' && c <= 'z')
        c = char(c - 'a' + 'A');
    for (const Glyph &g : kFont)
        if (g.c == c)
            return &g;
    return nullptr;
}

struct Canvas {
    std::vector<uint8_t> px = std::vector<uint8_t>(kWidth * kHeight); // top row first
    void Set(int x, int y, int c) {
        if (x >= 0 && x < kWidth && y >= 0 && y < kHeight)
            px[y * kWidth + x] = uint8_t(c);
    }
};

int TextWidth(const std::string &s, int scale) { return int(s.size()) * 6 * scale - scale; }

void DrawText(Canvas &cv, const std::string &s, int x, int y, int scale, int colour) {
    for (char ch : s) {
        if (const Glyph *g = FindGlyph(ch)) {
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (g->rows[row] & (16 >> col))
                        for (int dy = 0; dy < scale; ++dy)
                            for (int dx = 0; dx < scale; ++dx)
                                cv.Set(x + col * scale + dx, y + row * scale + dy, colour);
        }
        x += 6 * scale;
    }
}

void DrawCentred(Canvas &cv, const std::string &s, int y, int scale, int colour, bool shadow) {
    int x = (kWidth - TextWidth(s, scale)) / 2;
    if (shadow)
        DrawText(cv, s, x + scale / 2 + 1, y + scale / 2 + 1, scale, kShadow);
    DrawText(cv, s, x, y, scale, colour);
}

void Paint(Canvas &cv, const std::string &title, const std::string &subtitle) {
    const int art = kHeight - kButtonBand;
    // Background: a diagonal ramp.
    for (int y = 0; y < art; ++y)
        for (int x = 0; x < kWidth; ++x)
            cv.Set(x, y, (x * 60 / kWidth + (art - y) * 67 / art));
    // Emblem: a gold ring with a bar, left of centre, under the title.
    const int cx = kWidth / 2, cy = 160, outer = 46, inner = 34;
    for (int y = cy - outer; y <= cy + outer; ++y)
        for (int x = cx - outer; x <= cx + outer; ++x) {
            int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            if (d2 <= outer * outer && d2 >= inner * inner)
                cv.Set(x, y, 128 + (y - (cy - outer)) * 63 / (2 * outer));
            else if (d2 < inner * inner && x > cx - 6 && x < cx + 6 && y > cy - 24 && y < cy + 24)
                cv.Set(x, y, 128 + (y - (cy - 24)) * 63 / 48);
        }
    DrawCentred(cv, title, 34, 4, kWhite, true);
    DrawCentred(cv, subtitle, 76, 2, 190, true);
    // The button band.
    for (int y = art; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            cv.Set(x, y, y == art ? kBandLine : kBand);
}

void Put16(std::vector<uint8_t> &v, uint16_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
void Put32(std::vector<uint8_t> &v, uint32_t x) {
    Put16(v, uint16_t(x));
    Put16(v, uint16_t(x >> 16));
}

std::vector<uint8_t> Encode(const Canvas &cv, const std::vector<Rgb> &palette) {
    const uint32_t row = (kWidth + 3) & ~3u;
    const uint32_t image = row * kHeight;
    const uint32_t offBits = 14 + 40 + 256 * 4;
    std::vector<uint8_t> f;
    Put16(f, 0x4D42);
    Put32(f, offBits + image);
    Put32(f, 0);
    Put32(f, offBits);
    Put32(f, 40);
    Put32(f, kWidth);
    Put32(f, kHeight);
    Put16(f, 1);
    Put16(f, 8);
    Put32(f, 0); // BI_RGB
    Put32(f, image);
    Put32(f, 2835);
    Put32(f, 2835);
    Put32(f, 256);
    Put32(f, 0);
    for (const Rgb &c : palette) {
        f.push_back(c.b);
        f.push_back(c.g);
        f.push_back(c.r);
        f.push_back(0);
    }
    for (int y = kHeight - 1; y >= 0; --y) { // bottom row first
        for (int x = 0; x < kWidth; ++x)
            f.push_back(cv.px[y * kWidth + x]);
        for (uint32_t pad = kWidth; pad < row; ++pad)
            f.push_back(0);
    }
    return f;
}

const char kUsage[] = "usage: make_splash OUT.bmp [TITLE [SUBTITLE]]\n";

const char kHelp[] =
    "\n"
    "Draws a splash picture for the launcher: a 400 x 300 Windows bitmap, 8 bits\n"
    "per pixel with its own 256-colour palette, TITLE (by default BRINDLEMARK) and\n"
    "SUBTITLE (PRACTICE TESTS) over an emblem, and a plain band along the bottom\n"
    "where the launcher lays its two buttons. It draws the letters A to Z, the\n"
    "digits 0 to 3, \".\" and \"-\"; any other character leaves a gap. Save it as\n"
    "Launcher.bmp in the launcher's folder on the disc.\n";

} // namespace

int main(int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            std::printf("%s%s", kUsage, kHelp);
            return 0;
        }
        // An output file whose name starts with "-" is given as ./-name.
        if (i == 1 && a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "make_splash: unknown option %s\n%s", argv[i], kUsage);
            return 2;
        }
    }
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    std::string title = argc > 2 ? argv[2] : "BRINDLEMARK";
    std::string subtitle = argc > 3 ? argv[3] : "PRACTICE TESTS";
    Canvas cv;
    Paint(cv, title, subtitle);
    std::vector<uint8_t> bytes = Encode(cv, MakePalette());
    FILE *out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "make_splash: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
