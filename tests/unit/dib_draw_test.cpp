// Measuring and drawing: the header queries, the palette, DrawDib's calls in
// order, GetBitmapSize and PaintBitmap from the file and from the built-in
// bitmap, and the built-in bitmap itself.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>

#include "dib_fixture.h"

using bmp::Bitmap;

namespace {

std::string Packed(const Bitmap &s) { return bmp::File(s).substr(14); }

Bitmap Info(uint16_t bits, int32_t width, int32_t height, uint32_t clrUsed, uint32_t size = 40) {
    Bitmap s;
    s.headerSize = size;
    s.bitCount = bits;
    s.width = width;
    s.height = height;
    s.clrUsed = clrUsed;
    return s;
}

class DibDrawTest : public DibTest {};

TEST_F(DibDrawTest, HeaderQueries) {
    struct Case {
        const char *name;
        Bitmap bitmap;
        WORD width, height;
        size_t bits;
    } cases[] = {
        {"built-in form", Info(8, 300, 144, 256), 300, 144, 1064},
        {"24-bit", Info(24, 3, 2, 0), 3, 2, 40},
        {"24-bit with 16 colours", Info(24, 3, 2, 16), 3, 2, 104},
        {"16-bit", Info(16, 2, 2, 0), 2, 2, 40 + 262144},
        {"32-bit", Info(32, 2, 2, 0), 2, 2, 44},
        {"1-bit", Info(1, 9, 1, 0), 9, 1, 48},
        {"core 4-bit", Info(4, 31, 17, 0, 12), 31, 17, 12 + 48},
        {"core 24-bit", Info(24, 5, 6, 0, 12), 5, 6, 12},
        {"core 8-bit", Info(8, 640, 480, 0, 12), 640, 480, 12 + 768},
        {"width 70000", Info(8, 70000, 70000, 2), 4464, 4464, 48},
        {"height -2", Info(8, 1, -2, 2), 1, 65534, 48},
        {"124-byte header", Info(8, 4, 4, 2, 124), 4, 4, 132},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string h = bmp::Header(c.bitmap);
        EXPECT_EQ(DibWidth(h.data()), c.width);
        EXPECT_EQ(DibHeight(h.data()), c.height);
        EXPECT_EQ(DibBits(h.data()), reinterpret_cast<const BYTE *>(h.data()) + c.bits);
    }
}

TEST_F(DibDrawTest, PaletteIsBuiltEntryByEntry) {
    for (uint32_t n : {1u, 5u, 256u}) {
        SCOPED_TRACE(n);
        sim::Reset();
        Bitmap s = Info(8, 1, 1, n);
        s.table = bmp::Table(n);
        std::string dib = Packed(s);
        HPALETTE pal = CreateDibPalette(dib.data());
        ASSERT_NE(pal, nullptr);
        ASSERT_EQ(sim::CreatedPalettes().size(), 1u);
        const sim::PaletteRecord &rec = sim::CreatedPalettes()[0];
        EXPECT_EQ(rec.handle, pal);
        EXPECT_EQ(rec.version, 0x300);
        ASSERT_EQ(rec.entries.size(), n);
        for (uint32_t i = 0; i < n; ++i) {
            EXPECT_EQ(rec.entries[i].peRed, static_cast<BYTE>(3 * i + 1));
            EXPECT_EQ(rec.entries[i].peGreen, static_cast<BYTE>(255 - i));
            EXPECT_EQ(rec.entries[i].peBlue, static_cast<BYTE>(i));
            EXPECT_EQ(rec.entries[i].peFlags, 0);
        }
        EXPECT_EQ(sim::LargestAllocation(), 8 + 4 * n); // room for one entry more
        EXPECT_EQ(sim::Outstanding("local"), 0);
        DeleteObject(pal);
    }
}

TEST_F(DibDrawTest, PaletteCountsOtherThanAnEntryList) {
    // No colour count: the stock palette, no scratch memory.
    std::string none = Packed(Info(24, 1, 1, 0));
    EXPECT_EQ(CreateDibPalette(none.data()), sim::StockPalette());
    EXPECT_EQ(sim::CallCount("LocalAlloc"), 0);

    // 65536 entries: the low 16 bits ask for an empty palette from 8 bytes,
    // which Windows refuses.
    Bitmap big = Info(16, 1, 1, 65536);
    big.table = bmp::Table(65536);
    std::string dib = Packed(big);
    EXPECT_EQ(CreateDibPalette(dib.data()), nullptr);
    EXPECT_EQ(sim::LargestAllocation(), 8u);
    EXPECT_EQ(sim::Events().back(), "CreatePalette(0)");

    // 65539 entries: three.
    Bitmap odd = Info(8, 1, 1, 65539);
    odd.table = bmp::Table(3);
    std::string odd_dib = Packed(odd);
    HPALETTE pal = CreateDibPalette(odd_dib.data());
    ASSERT_NE(pal, nullptr);
    EXPECT_EQ(sim::CreatedPalettes().back().entries.size(), 3u);
    DeleteObject(pal);
}

TEST_F(DibDrawTest, PaletteFailuresGiveNullAndFreeTheScratch) {
    Bitmap s = Info(8, 1, 1, 4);
    s.table = bmp::Table(4);
    std::string dib = Packed(s);
    sim::FailCall("LocalAlloc");
    EXPECT_EQ(CreateDibPalette(dib.data()), nullptr);
    EXPECT_EQ(sim::CallCount("CreatePalette"), 0);
    sim::FailCall("CreatePalette");
    EXPECT_EQ(CreateDibPalette(dib.data()), nullptr);
    EXPECT_EQ(sim::Acquired("local"), 1);
    EXPECT_EQ(sim::Outstanding("local"), 0);
}

struct Drawing {
    std::string dib; // header, table, pixels
    Bitmap bitmap;
};

Drawing EightBit(int32_t width, int32_t height, uint32_t colours) {
    Drawing d;
    d.bitmap = Info(8, width, height, colours);
    d.bitmap.table = bmp::Table(colours);
    d.bitmap.pixels = bmp::Pattern(bmp::RowSize(8, width) * height);
    d.dib = Packed(d.bitmap);
    return d;
}

TEST_F(DibDrawTest, DrawDibSelectsRealizesCopiesAndRestores) {
    for (BOOL background : {FALSE, TRUE}) {
        SCOPED_TRACE(background);
        sim::Reset();
        Drawing d = EightBit(6, 3, 4);
        DrawDib(Dc(), d.dib.data(), 7, 9, 1, 2, background);
        std::string bg = background ? ", background)" : ")";
        std::vector<std::string> want = {"CreatePalette(4)",
                                         "SelectPalette(palette" + bg,
                                         "RealizePalette(palette)",
                                         "SetStretchBltMode(COLORONCOLOR)",
                                         "SetDIBitsToDevice",
                                         "SelectPalette(stock" + bg,
                                         "DeleteObject(palette)"};
        EXPECT_EQ(sim::Events(), want);
        ASSERT_EQ(sim::DibDraws().size(), 1u);
        const sim::DibDraw &draw = sim::DibDraws()[0];
        EXPECT_EQ(draw.dc, Dc());
        EXPECT_EQ(draw.xDest, 7);
        EXPECT_EQ(draw.yDest, 9);
        EXPECT_EQ(draw.width, 6u);
        EXPECT_EQ(draw.height, 3u);
        EXPECT_EQ(draw.xSrc, 1);
        EXPECT_EQ(draw.ySrc, 2);
        EXPECT_EQ(draw.startScan, 0u);
        EXPECT_EQ(draw.lines, 3u);
        EXPECT_EQ(draw.usage, static_cast<UINT>(DIB_RGB_COLORS));
        EXPECT_EQ(draw.info, d.dib.data());
        EXPECT_EQ(draw.bits, d.dib.data() + 40 + 16);
        EXPECT_TRUE(draw.realized);
        EXPECT_EQ(draw.palette, sim::CreatedPalettes()[0].handle);
        ASSERT_EQ(draw.colours.size(), 4u);
        EXPECT_EQ(draw.colours[2].peRed, 7);
        EXPECT_EQ(draw.pixels, d.bitmap.pixels);
        EXPECT_EQ(draw.colourTable, d.bitmap.table);
        EXPECT_EQ(sim::SelectedPalette(Dc()), sim::StockPalette());
        EXPECT_EQ(sim::StretchMode(Dc()), COLORONCOLOR);
        EXPECT_EQ(sim::Outstanding(), 0) << sim::LedgerReport();
    }
}

TEST_F(DibDrawTest, TrueColourUsesTheStockPaletteOrItsOwn) {
    Bitmap s = Info(24, 2, 2, 0);
    s.pixels = bmp::Pattern(16);
    std::string dib = Packed(s);
    DrawDib(Dc(), dib.data(), 0, 0, 0, 0, FALSE);
    std::vector<std::string> want = {"SelectPalette(stock)", "RealizePalette(stock)",
                                     "SetStretchBltMode(COLORONCOLOR)", "SetDIBitsToDevice",
                                     "SelectPalette(stock)", "DeleteObject(stock)"};
    EXPECT_EQ(sim::Events(), want);
    ASSERT_EQ(sim::DibDraws().size(), 1u);
    EXPECT_TRUE(sim::DibDraws()[0].realized);
    EXPECT_EQ(sim::DibDraws()[0].pixels, s.pixels);
    EXPECT_EQ(GetStockObject(DEFAULT_PALETTE), sim::StockPalette()); // still there

    Bitmap t = Info(24, 2, 2, 16);
    t.table = bmp::Table(16);
    t.pixels = bmp::Pattern(16);
    std::string sixteen = Packed(t);
    DrawDib(Dc(), sixteen.data(), 0, 0, 0, 0, FALSE);
    EXPECT_EQ(sim::CreatedPalettes().back().entries.size(), 16u);
    EXPECT_EQ(sim::DibDraws().back().pixels, t.pixels);
}

TEST_F(DibDrawTest, TheDcsOwnPaletteIsSelectedAgain) {
    PALETTEENTRY e[2] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
    std::string desc(4 + sizeof e, '\0');
    LOGPALETTE *lp = reinterpret_cast<LOGPALETTE *>(&desc[0]);
    lp->palVersion = 0x300;
    lp->palNumEntries = 2;
    std::memcpy(lp->palPalEntry, e, sizeof e);
    HPALETTE mine = CreatePalette(lp);
    SelectPalette(Dc(), mine, FALSE);
    Drawing d = EightBit(2, 2, 3);
    DrawDib(Dc(), d.dib.data(), 0, 0, 0, 0, FALSE);
    EXPECT_EQ(sim::SelectedPalette(Dc()), mine);
    SelectPalette(Dc(), sim::StockPalette(), FALSE);
    EXPECT_TRUE(DeleteObject(mine));
}

TEST_F(DibDrawTest, NullHeaderDrawsNothingAndLeavesTheDcAlone) {
    DrawDib(Dc(), nullptr, 0, 0, 0, 0, FALSE);
    EXPECT_TRUE(sim::Events().empty());
    EXPECT_EQ(sim::StretchMode(Dc()), 1);
}

TEST_F(DibDrawTest, DrawsWithoutAPaletteWhenNoneCanBeMade) {
    Drawing d = EightBit(3, 2, 4);
    sim::FailCall("LocalAlloc");
    DrawDib(Dc(), d.dib.data(), 0, 0, 0, 0, FALSE);
    std::vector<std::string> want = {"SetStretchBltMode(COLORONCOLOR)", "SetDIBitsToDevice"};
    EXPECT_EQ(sim::Events(), want);
    EXPECT_EQ(sim::DibDraws()[0].pixels, d.bitmap.pixels);

    // 65536 colours: the empty palette is refused, drawn all the same.
    sim::Reset();
    Bitmap s = Info(16, 2, 1, 65536);
    s.table = bmp::Table(65536);
    s.pixels = bmp::Pattern(4);
    std::string dib = Packed(s);
    DrawDib(Dc(), dib.data(), 0, 0, 0, 0, FALSE);
    want = {"CreatePalette(0)", "SetStretchBltMode(COLORONCOLOR)", "SetDIBitsToDevice"};
    EXPECT_EQ(sim::Events(), want);
    EXPECT_EQ(sim::DibDraws()[0].pixels, s.pixels);
}

// ---- GetBitmapSize and PaintBitmap

TEST_F(DibDrawTest, SizeOfTheBuiltInBitmapWithoutAFile) {
    LoadDefaultResource();
    LONG size[2] = {-7, -7};
    EXPECT_EQ(GetBitmapSize(Instance(), Path(), size), 1);
    EXPECT_EQ(size[0], 300);
    EXPECT_EQ(size[1], 144);
    EXPECT_NE(std::find(sim::Events().begin(), sim::Events().end(), "FindResourceA(Default)"), sim::Events().end());
}

TEST_F(DibDrawTest, SizeOfTheFile) {
    LoadDefaultResource();
    Bitmap s = bmp::Simple(8, 640, 480);
    PutFile(bmp::File(s));
    LONG size[2] = {-7, -7};
    EXPECT_EQ(GetBitmapSize(Instance(), Path(), size), 1);
    EXPECT_EQ(size[0], 640);
    EXPECT_EQ(size[1], 480);
    EXPECT_EQ(sim::CallCount("FindResourceA"), 0);

    // A top-down file measures at its true height.
    s = bmp::Simple(24, 33, -21);
    PutFile(bmp::File(s));
    EXPECT_EQ(GetBitmapSize(Instance(), Path(), size), 1);
    EXPECT_EQ(size[0], 33);
    EXPECT_EQ(size[1], 21);
}

TEST_F(DibDrawTest, NoSizeWithoutFileOrBuiltInBitmap) {
    LONG size[2] = {-7, -7};
    EXPECT_EQ(GetBitmapSize(Instance(), Path(), size), 0);
    EXPECT_EQ(size[0], -7);
    EXPECT_EQ(size[1], -7);
    PaintBitmap(Dc(), Instance(), Path(), 0, 0, FALSE);
    EXPECT_TRUE(sim::DibDraws().empty());
}

TEST_F(DibDrawTest, PaintsTheBuiltInBitmapWithItsPalette) {
    LoadDefaultResource();
    std::string packed = DefaultPacked();
    PaintBitmap(Dc(), Instance(), Path(), 3, 4, FALSE);
    ASSERT_EQ(sim::DibDraws().size(), 1u);
    const sim::DibDraw &draw = sim::DibDraws()[0];
    EXPECT_EQ(draw.xDest, 3);
    EXPECT_EQ(draw.yDest, 4);
    EXPECT_EQ(draw.width, 300u);
    EXPECT_EQ(draw.height, 144u);
    EXPECT_EQ(draw.pixels, packed.substr(1064));
    ASSERT_EQ(draw.colours.size(), 256u);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(draw.colours[i].peBlue, static_cast<BYTE>(packed[40 + 4 * i]));
        EXPECT_EQ(draw.colours[i].peGreen, static_cast<BYTE>(packed[41 + 4 * i]));
        EXPECT_EQ(draw.colours[i].peRed, static_cast<BYTE>(packed[42 + 4 * i]));
        EXPECT_EQ(draw.colours[i].peFlags, 0);
    }
    EXPECT_EQ(sim::Acquired("resource"), 1);
    EXPECT_EQ(std::count(sim::Events().begin(), sim::Events().end(), "resource written"), 0);
}

TEST_F(DibDrawTest, PaintsTheFileNotTheBuiltInBitmap) {
    LoadDefaultResource();
    Bitmap s = bmp::Simple(8, 640, 480);
    PutFile(bmp::File(s));
    PaintBitmap(Dc(), Instance(), Path(), 0, 0, FALSE);
    ASSERT_EQ(sim::DibDraws().size(), 1u);
    EXPECT_EQ(sim::DibDraws()[0].width, 640u);
    EXPECT_EQ(sim::DibDraws()[0].height, 480u);
    EXPECT_EQ(sim::DibDraws()[0].pixels, s.pixels);
    EXPECT_EQ(sim::CallCount("FindResourceA"), 0);
    EXPECT_EQ(sim::CurrentCursor(), sim::CursorArrow);
}

// Files the reader fixes up draw whole and the right way up.
TEST_F(DibDrawTest, DrawsWhatTheReaderFixedUp) {
    struct Case {
        const char *name;
        Bitmap file;
        std::string wantPixels;
    };
    Bitmap understated = bmp::Simple(8, 4, 4);
    understated.sizeImage = 3;
    Bitmap up = bmp::Simple(24, 3, 3);
    Bitmap down = up;
    down.height = -3;
    down.pixels = up.pixels.substr(24) + up.pixels.substr(12, 12) + up.pixels.substr(0, 12);
    Bitmap modern = bmp::Simple(4, 5, 2);
    modern.headerSize = 108;
    Bitmap truncated = bmp::Simple(8, 8, 2);
    std::string truncatedFile = bmp::File(truncated);
    truncatedFile.resize(truncatedFile.size() - 5);
    Case cases[] = {
        {"image size understated", understated, understated.pixels},
        {"top-down", down, up.pixels},
        {"108-byte header", modern, modern.pixels},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        sim::MapDrive('D', DRIVE_CDROM, Scratch());
        PutFile(bmp::File(c.file));
        PaintBitmap(Dc(), Instance(), Path(), 0, 0, FALSE);
        ASSERT_EQ(sim::DibDraws().size(), 1u);
        EXPECT_EQ(sim::DibDraws()[0].header.biSize, 40u);
        EXPECT_GT(sim::DibDraws()[0].header.biHeight, 0);
        EXPECT_EQ(sim::DibDraws()[0].pixels, c.wantPixels);
    }
    sim::Reset();
    sim::MapDrive('D', DRIVE_CDROM, Scratch());
    PutFile(truncatedFile);
    PaintBitmap(Dc(), Instance(), Path(), 0, 0, FALSE);
    ASSERT_EQ(sim::DibDraws().size(), 1u);
    EXPECT_EQ(sim::DibDraws()[0].pixels, truncated.pixels.substr(0, 11) + std::string(5, '\0'));
}

// ---- The built-in bitmap

TEST_F(DibDrawTest, BuiltInBitmapHasTheFixedLayout) {
    std::string file = DefaultBmpFile();
    ASSERT_EQ(file.size(), 14u + 44264);
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(bmp::Get32(file, 2), 44278u);
    EXPECT_EQ(bmp::Get32(file, 10), 14u + 1064);
    std::string p = file.substr(14);
    const struct {
        size_t at;
        uint32_t value;
    } fields[] = {{0, 40}, {4, 300}, {8, 144}, {20, 43200}, {24, 0}, {28, 0}, {32, 256}, {36, 256}};
    for (auto &f : fields)
        EXPECT_EQ(bmp::Get32(p, f.at), f.value) << "offset " << f.at;
    EXPECT_EQ(p[12] | p[13] << 8, 1);   // planes
    EXPECT_EQ(p[14] | p[15] << 8, 8);   // bits per pixel
    EXPECT_EQ(bmp::Get32(p, 16), 0u);    // BI_RGB

    // Read through the launcher's own reader, it is the same block.
    EXPECT_EQ(Take(Read(file)), p);
}

// A picture, not noise: many colours, in smooth areas.
TEST_F(DibDrawTest, BuiltInBitmapIsASmoothPicture) {
    std::string pixels = DefaultPacked().substr(1064);
    std::set<unsigned char> used(pixels.begin(), pixels.end());
    EXPECT_GE(used.size(), 100u);
    int smooth = 0, pairs = 0;
    for (int y = 0; y < 144; ++y) {
        for (int x = 0; x + 1 < 300; ++x) {
            int a = static_cast<unsigned char>(pixels[y * 300 + x]);
            int b = static_cast<unsigned char>(pixels[y * 300 + x + 1]);
            smooth += std::abs(a - b) <= 2;
            ++pairs;
        }
    }
    EXPECT_GT(smooth, pairs * 9 / 10);
}

} // namespace
