// Failure of every platform call that acquires something while the bitmap
// is read, measured or drawn: what is drawn instead, and that nothing is
// left held, the file closed and the arrow cursor back.
#include <algorithm>

#include "dib_fixture.h"

namespace {

enum Source { FromFile, FromBuiltIn, Nothing };
enum Palette { OwnPalette, NoPalette, ZeroPalette };

struct FaultCase {
    const char *api;
    int nth;
    bool file; // Launcher.bmp present
    Source source;
    Palette palette;
};

// A 4 x 2 file with four colours, told from the 300 x 144 built-in bitmap
// by its width.
bmp::Bitmap SmallFile() {
    bmp::Bitmap s = bmp::Simple(8, 4, 2);
    s.clrUsed = 4;
    s.table = bmp::Table(4);
    return s;
}

const FaultCase kPaintCases[] = {
    {"CreateFileA", 1, true, FromBuiltIn, OwnPalette},
    {"GlobalAlloc", 1, true, FromBuiltIn, OwnPalette},
    {"GlobalLock", 1, true, FromBuiltIn, OwnPalette},
    {"ReadFile", 1, true, FromBuiltIn, OwnPalette},
    {"ReadFile", 2, true, FromBuiltIn, OwnPalette},
    {"GlobalReAlloc", 1, true, FromBuiltIn, OwnPalette},
    {"GlobalLock", 2, true, FromBuiltIn, OwnPalette},
    {"ReadFile", 3, true, FromFile, ZeroPalette}, // the colour-table read is not examined
    {"ReadFile", 4, true, FromBuiltIn, OwnPalette},
    {"GlobalLock", 3, true, Nothing, OwnPalette}, // the file's block: no fall-back
    {"LocalAlloc", 1, true, FromFile, NoPalette},
    {"CreatePalette", 1, true, FromFile, NoPalette},
    {"FindResourceA", 1, false, Nothing, OwnPalette},
    {"LoadResource", 1, false, Nothing, OwnPalette},
    {"LockResource", 1, false, Nothing, OwnPalette},
    {"LocalAlloc", 1, false, FromBuiltIn, NoPalette},
    {"CreatePalette", 1, false, FromBuiltIn, NoPalette},
};

class DibFaultTest : public DibTest {
protected:
    void Prepare(bool file) {
        sim::Reset();
        sim::MapDrive('D', DRIVE_CDROM, Scratch());
        LoadDefaultResource();
        if (file)
            PutFile(bmp::File(SmallFile()));
        else
            RemoveFile("LAUNCH/Launcher.bmp");
    }

    void ExpectNothingHeld() {
        EXPECT_EQ(sim::Outstanding(), 0) << sim::LedgerReport();
        EXPECT_TRUE(sim::LedgerErrors().empty()) << sim::LedgerReport();
        EXPECT_EQ(sim::CurrentCursor(), sim::CursorArrow);
        EXPECT_EQ(std::count(sim::Events().begin(), sim::Events().end(), "resource written"), 0);
        EXPECT_EQ(std::count(sim::Events().begin(), sim::Events().end(), "DeleteObject of a selected palette"), 0);
    }
};

TEST_F(DibFaultTest, PaintFallsBack) {
    for (const FaultCase &c : kPaintCases) {
        SCOPED_TRACE(testing::Message() << c.api << " #" << c.nth << (c.file ? " with file" : " without file"));
        Prepare(c.file);
        sim::FailCall(c.api, c.nth);
        PaintBitmap(Dc(), Instance(), Path(), 0, 0, FALSE);
        ExpectNothingHeld();
        if (c.source == Nothing) {
            EXPECT_TRUE(sim::DibDraws().empty());
            if (c.file)
                EXPECT_EQ(sim::CallCount("FindResourceA"), 0);
            continue;
        }
        ASSERT_EQ(sim::DibDraws().size(), 1u);
        const sim::DibDraw &draw = sim::DibDraws()[0];
        if (c.source == FromFile) {
            EXPECT_EQ(draw.width, 4u);
            EXPECT_EQ(draw.pixels, SmallFile().pixels);
        } else {
            EXPECT_EQ(draw.width, 300u);
            EXPECT_EQ(draw.pixels, DefaultPacked().substr(1064));
        }
        switch (c.palette) {
        case OwnPalette:
            EXPECT_EQ(draw.colours.size(), c.source == FromFile ? 4u : 256u);
            EXPECT_TRUE(draw.realized);
            break;
        case NoPalette:
            EXPECT_EQ(draw.palette, sim::StockPalette()); // the DC's own, untouched
            EXPECT_FALSE(draw.realized);
            break;
        case ZeroPalette:
            ASSERT_EQ(draw.colours.size(), 4u);
            for (const PALETTEENTRY &e : draw.colours)
                EXPECT_EQ(e.peRed | e.peGreen | e.peBlue, 0);
            break;
        }
    }
}

TEST_F(DibFaultTest, SizeFallsBack) {
    struct Case {
        const char *api;
        int nth;
        bool file;
        int result;
        LONG width;
    } cases[] = {
        {"CreateFileA", 1, true, 1, 300},    {"GlobalAlloc", 1, true, 1, 300}, {"GlobalLock", 1, true, 1, 300},
        {"ReadFile", 1, true, 1, 300},       {"ReadFile", 2, true, 1, 300},    {"GlobalReAlloc", 1, true, 1, 300},
        {"GlobalLock", 2, true, 1, 300},     {"ReadFile", 3, true, 1, 4},      {"ReadFile", 4, true, 1, 300},
        {"GlobalLock", 3, true, 0, -7},      {"FindResourceA", 1, false, 0, -7},
        {"LoadResource", 1, false, 0, -7},   {"LockResource", 1, false, 0, -7},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.api << " #" << c.nth);
        Prepare(c.file);
        sim::FailCall(c.api, c.nth);
        LONG size[2] = {-7, -7};
        EXPECT_EQ(GetBitmapSize(Instance(), Path(), size), c.result);
        EXPECT_EQ(size[0], c.width);
        EXPECT_EQ(size[1], c.width == 300 ? 144 : c.width == 4 ? 2 : -7);
        ExpectNothingHeld();
    }
}

TEST_F(DibFaultTest, NothingWhenFileAndBuiltInBothFail) {
    Prepare(true);
    sim::FailCall("ReadFile", 4);
    sim::FailCall("FindResourceA");
    LONG size[2] = {-7, -7};
    EXPECT_EQ(GetBitmapSize(Instance(), Path(), size), 0);
    EXPECT_EQ(size[0], -7);
    Prepare(true);
    sim::FailCall("CreateFileA");
    sim::FailCall("LockResource");
    PaintBitmap(Dc(), Instance(), Path(), 0, 0, FALSE);
    EXPECT_TRUE(sim::DibDraws().empty());
    ExpectNothingHeld();
}

// Every acquiring call failed at each of its first calls, for every kind of
// file the reader takes: nothing is ever left held.
TEST_F(DibFaultTest, EveryFailureReleasesEverything) {
    const char *apis[] = {"GlobalAlloc", "GlobalLock",    "GlobalReAlloc", "CreateFileA",   "ReadFile",
                          "LocalAlloc",  "CreatePalette", "FindResourceA", "LoadResource", "LockResource"};
    bmp::Bitmap top = bmp::Simple(24, 3, -2);
    bmp::Bitmap modern = bmp::Simple(8, 3, 2);
    modern.headerSize = 124;
    bmp::Bitmap sixteen = bmp::Simple(16, 2, 2);
    const std::string files[] = {"", bmp::File(SmallFile()), bmp::File(top), bmp::File(modern), bmp::File(sixteen),
                                 "BM garbage"};
    int runs = 0;
    for (const std::string &file : files) {
        for (const char *api : apis) {
            for (int nth = 1; nth <= 4; ++nth) {
                for (int op = 0; op < 2; ++op) {
                    SCOPED_TRACE(testing::Message() << api << " #" << nth << " op " << op << " file of "
                                                    << file.size());
                    Prepare(false);
                    if (!file.empty())
                        PutFile(file);
                    sim::FailCall(api, nth);
                    LONG size[2];
                    if (op == 0)
                        PaintBitmap(Dc(), Instance(), Path(), 0, 0, TRUE);
                    else
                        GetBitmapSize(Instance(), Path(), size);
                    ExpectNothingHeld();
                    EXPECT_EQ(sim::SelectedPalette(Dc()), sim::StockPalette());
                    ++runs;
                }
            }
        }
    }
    EXPECT_EQ(runs, 6 * 10 * 4 * 2);
}

} // namespace
