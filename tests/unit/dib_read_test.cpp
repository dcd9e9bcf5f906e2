// The bitmap file reader: what block each file gives, read in how many
// reads from where, and why each refused file is refused.
#include <climits>

#include "dib_fixture.h"

using bmp::Bitmap;

namespace {

uint32_t Field(const std::string &block, size_t at) { return bmp::Get32(block, at); }

std::vector<DWORD> Requested() {
    std::vector<DWORD> out;
    for (auto &r : sim::FileReads())
        out.push_back(r.requested);
    return out;
}

std::vector<DWORD> Offsets() {
    std::vector<DWORD> out;
    for (auto &r : sim::FileReads())
        out.push_back(r.offset);
    return out;
}

class DibReadTest : public DibTest {};

TEST_F(DibReadTest, MissingFileGivesNullWithTheArrowCursor) {
    DibRefusal why = DibTooLarge;
    EXPECT_EQ(OpenDibFileWithReason(Path(), &why), nullptr);
    EXPECT_EQ(why, DibCannotOpen);
    EXPECT_EQ(sim::CurrentCursor(), sim::CursorArrow);
    std::vector<std::string> want = {"SetCursor(IDC_WAIT)", "CreateFileA(D:\\LAUNCH\\Launcher.bmp)", "SetCursor(IDC_ARROW)"};
    EXPECT_EQ(sim::Events(), want);
    EXPECT_EQ(sim::CallCount("GlobalAlloc"), 0);
}

TEST_F(DibReadTest, OpensForSequentialReadingAndClosesAfter) {
    HGLOBAL dib = Read(bmp::File(bmp::Simple(8, 4, 2)));
    ASSERT_NE(dib, nullptr);
    ASSERT_EQ(sim::FileOpens().size(), 1u);
    const sim::FileOpen &o = sim::FileOpens()[0];
    EXPECT_EQ(o.access, GENERIC_READ);
    EXPECT_EQ(o.share, static_cast<DWORD>(FILE_SHARE_READ));
    EXPECT_EQ(o.creation, static_cast<DWORD>(OPEN_EXISTING));
    EXPECT_EQ(o.flags, static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN));
    EXPECT_EQ(sim::Outstanding("file"), 0);
    EXPECT_EQ(sim::Outstanding("global-lock"), 0); // handed back unlocked
    EXPECT_EQ(sim::Events().front(), "SetCursor(IDC_WAIT)");
    EXPECT_EQ(sim::Events().back(), "SetCursor(IDC_ARROW)");
    FreeDib(dib);
}

// The 300 x 144 8-bit file: the block has the built-in bitmap's size and
// layout, read in four reads straight into place, grown once.
TEST_F(DibReadTest, EightBitFileMatchesTheBuiltInLayout) {
    Bitmap s = bmp::Simple(8, 300, 144);
    HGLOBAL dib = Read(bmp::File(s));
    std::string block = Take(dib);
    ASSERT_EQ(block.size(), 44264u);
    EXPECT_EQ(Field(block, 0), 40u);
    EXPECT_EQ(Field(block, 20), 43200u);
    EXPECT_EQ(Field(block, 32), 256u);
    EXPECT_EQ(block.substr(40, 1024), s.table);
    EXPECT_EQ(block.substr(1064), s.pixels);
    EXPECT_EQ(Requested(), (std::vector<DWORD>{14, 40, 1024, 43200}));
    EXPECT_EQ(Offsets(), (std::vector<DWORD>{0, 14, 54, 1078}));
    EXPECT_EQ(sim::CallCount("GlobalAlloc"), 1);
    EXPECT_EQ(sim::CallCount("GlobalReAlloc"), 1);
    EXPECT_EQ(sim::LargestAllocation(), 44264u);
}

struct CountCase {
    const char *name;
    uint16_t bits;
    int32_t width, height;
    uint32_t clrUsed, sizeImage, compression;
    uint32_t wantColours, wantImage, wantBlock;
};

// The colour-count rule and the filled-in fields, case by case.
TEST_F(DibReadTest, ColourCountAndImageSizeRules) {
    const CountCase cases[] = {
        {"24-bit 3x2", 24, 3, 2, 0, 0, BI_RGB, 0, 24, 64},
        {"1-bit 1x1", 1, 1, 1, 0, 0, BI_RGB, 2, 4, 52},
        {"4-bit 5x3", 4, 5, 3, 0, 0, BI_RGB, 16, 12, 116},
        {"16-bit 2x2", 16, 2, 2, 0, 0, BI_RGB, 65536, 8, 40 + 262144 + 8},
        {"32-bit 1x1", 32, 1, 1, 0, 0, BI_RGB, 1, 4, 48},
        {"24-bit with 16 colours", 24, 2, 1, 16, 0, BI_RGB, 16, 8, 40 + 64 + 8},
        {"8-bit with 10 colours", 8, 4, 2, 10, 0, BI_RGB, 10, 8, 40 + 40 + 8},
        {"stated image larger", 8, 4, 2, 2, 20, BI_RGB, 2, 20, 40 + 8 + 20},
        {"stated image smaller", 8, 4, 4, 2, 3, BI_RGB, 2, 16, 40 + 8 + 16},
        {"RLE8 keeps its stated size", 8, 4, 4, 2, 6, BI_RLE8, 2, 6, 40 + 8 + 6},
        {"RLE8 without a size", 8, 4, 4, 2, 0, BI_RLE8, 2, 16, 40 + 8 + 16},
        {"RLE4 stated", 4, 7, 3, 0, 9, BI_RLE4, 16, 9, 40 + 64 + 9},
    };
    for (const CountCase &c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        sim::MapDrive('D', DRIVE_CDROM, Scratch());
        Bitmap s = bmp::Simple(c.bits, c.width, c.height);
        s.clrUsed = c.clrUsed;
        s.sizeImage = c.sizeImage;
        s.compression = c.compression;
        if (c.clrUsed)
            s.table = bmp::Table(c.clrUsed);
        s.pixels = bmp::Pattern(c.wantImage);
        DibRefusal why = DibTooLarge;
        std::string block = Take(Read(bmp::File(s), &why));
        EXPECT_EQ(why, DibAccepted);
        ASSERT_EQ(block.size(), c.wantBlock);
        EXPECT_EQ(Field(block, 0), 40u);
        EXPECT_EQ(Field(block, 32), c.wantColours);
        EXPECT_EQ(Field(block, 20), c.wantImage);
        EXPECT_EQ(Field(block, 16), c.compression);
        EXPECT_EQ(block.substr(40, 4 * c.wantColours), s.table.substr(0, 4 * c.wantColours));
        EXPECT_EQ(block.substr(40 + 4 * c.wantColours), s.pixels);
        EXPECT_LE(sim::FileReads().size(), 4u);
        EXPECT_EQ(sim::Outstanding(), 0) << sim::LedgerReport();
    }
}

TEST_F(DibReadTest, PixelsFollowTheTableWhenTheOffsetIsZero) {
    Bitmap s = bmp::Simple(4, 8, 2);
    s.offBits = 0;
    std::string block = Take(Read(bmp::File(s)));
    ASSERT_EQ(block.size(), 40u + 64 + 8);
    EXPECT_EQ(block.substr(104), s.pixels);
    EXPECT_EQ(Offsets(), (std::vector<DWORD>{0, 14, 54, 118}));
}

TEST_F(DibReadTest, GapBeforeThePixelsIsSkipped) {
    Bitmap s = bmp::Simple(1, 8, 3);
    s.gap = std::string(37, 'G');
    std::string block = Take(Read(bmp::File(s)));
    ASSERT_EQ(block.size(), 40u + 8 + 12);
    EXPECT_EQ(block.substr(48), s.pixels);
    EXPECT_EQ(block.find('G'), std::string::npos);
    EXPECT_EQ(sim::FileReads().back().offset, 14u + 40 + 8 + 37);
}

// A 16-bit file without a colour count reads 65,536 entries' worth of
// whatever follows the header, and its pixels from the offset.
TEST_F(DibReadTest, SixteenBitFileReadsTheLongTableThenSeeksToThePixels) {
    Bitmap s;
    s.bitCount = 16;
    s.width = 2;
    s.height = 1;
    s.table = std::string(20, 'T');
    s.pixels = "\x11\x22\x33\x44";
    std::string block = Take(Read(bmp::File(s)));
    ASSERT_EQ(block.size(), 40u + 262144 + 4);
    EXPECT_EQ(Requested(), (std::vector<DWORD>{14, 40, 262144, 4}));
    EXPECT_EQ(block.substr(40, 20), s.table);
    EXPECT_EQ(block.substr(60, 4), s.pixels); // the table read ran on into the pixels
    EXPECT_EQ(block.substr(64, 262144 - 24), std::string(262144 - 24, '\0'));
    EXPECT_EQ(block.substr(40 + 262144), s.pixels);
}

// Bytes the file did not supply are zero, never left as they were.
TEST_F(DibReadTest, TruncatedFilesReadAsZero) {
    Bitmap s = bmp::Simple(8, 4, 4);
    std::string whole = bmp::File(s);
    const size_t cuts[] = {54, 55, 54 + 1023, 54 + 1024, 54 + 1024 + 5, whole.size() - 1};
    for (size_t cut : cuts) {
        SCOPED_TRACE(cut);
        sim::Reset();
        sim::MapDrive('D', DRIVE_CDROM, Scratch());
        DibRefusal why = DibTooLarge;
        std::string block = Take(Read(whole.substr(0, cut), &why));
        EXPECT_EQ(why, DibAccepted);
        ASSERT_EQ(block.size(), 40u + 1024 + 16);
        std::string want = whole.substr(14, cut - 14);
        want.resize(block.size(), '\0');
        // The header's filled-in fields are the only bytes that differ.
        EXPECT_EQ(block.substr(40), want.substr(40));
    }
}

TEST_F(DibReadTest, OffsetPastTheEndGivesZeroPixels) {
    const uint32_t offsets[] = {5000, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFF0u};
    for (uint32_t off : offsets) {
        SCOPED_TRACE(off);
        sim::Reset();
        sim::MapDrive('D', DRIVE_CDROM, Scratch());
        Bitmap s = bmp::Simple(24, 2, 2);
        s.offBits = off;
        std::string block = Take(Read(bmp::File(s)));
        ASSERT_EQ(block.size(), 40u + 16);
        EXPECT_EQ(block.substr(40), std::string(16, '\0'));
        EXPECT_EQ(sim::FileReads().back().offset, off);
    }
}

TEST_F(DibReadTest, ReadDibFileLeavesTheFileOpen) {
    PutFile(bmp::File(bmp::Simple(8, 2, 2)));
    HANDLE f = CreateFileA(Path(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    HGLOBAL dib = ReadDibFile(f);
    EXPECT_NE(dib, nullptr);
    EXPECT_TRUE(sim::LedgerHolds("file", f));
    FreeDib(dib);
    CloseHandle(f);
}

// Headers saved by today's editors end up as the 40-byte form, the colour
// table taken from right after the file's header.
TEST_F(DibReadTest, ModernHeadersGiveTheSameBlockAsTheClassicOne) {
    Bitmap classic = bmp::Simple(8, 5, 3);
    classic.clrUsed = 7;
    classic.table = bmp::Table(7);
    std::string want = Take(Read(bmp::File(classic)));
    ASSERT_FALSE(want.empty());
    const uint32_t sizes[] = {52, 56, 108, 124};
    for (uint32_t size : sizes) {
        for (uint32_t off : {bmp::kAuto, 0u}) {
            SCOPED_TRACE(testing::Message() << size << " offset " << off);
            sim::Reset();
            sim::MapDrive('D', DRIVE_CDROM, Scratch());
            Bitmap s = classic;
            s.headerSize = size;
            s.offBits = off;
            std::string block = Take(Read(bmp::File(s)));
            EXPECT_EQ(block, want);
            EXPECT_LE(sim::FileReads().size(), 4u);
            EXPECT_EQ(sim::FileReads()[2].offset, 14 + size);
        }
    }
}

TEST_F(DibReadTest, ModernHeaderWithRunLengthEncoding) {
    Bitmap s = bmp::Simple(8, 4, 4);
    s.headerSize = 124;
    s.compression = BI_RLE8;
    s.sizeImage = 6;
    s.pixels = std::string("\x02\x05\x00\x00\x00\x01", 6);
    std::string block = Take(Read(bmp::File(s)));
    ASSERT_EQ(block.size(), 40u + 1024 + 6);
    EXPECT_EQ(Field(block, 0), 40u);
    EXPECT_EQ(block.substr(40, 1024), s.table);
    EXPECT_EQ(block.substr(1064), s.pixels);
}

// A top-down file gives the same block as the bottom-up file of the same
// picture: rows turned over, height positive.
TEST_F(DibReadTest, TopDownFilesAreTurnedBottomUp) {
    struct Case {
        uint16_t bits;
        int32_t width, height;
    } cases[] = {{8, 3, 4}, {24, 5, 3}, {1, 9, 2}, {32, 2, 1}, {4, 3, 5}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits " << c.width << "x" << c.height);
        Bitmap up = bmp::Simple(c.bits, c.width, c.height);
        Bitmap down = up;
        down.height = -c.height;
        uint32_t row = bmp::RowSize(c.bits, c.width);
        down.pixels.clear();
        for (int r = c.height - 1; r >= 0; --r)
            down.pixels += up.pixels.substr(r * row, row);
        sim::Reset();
        sim::MapDrive('D', DRIVE_CDROM, Scratch());
        std::string want = Take(Read(bmp::File(up)));
        sim::Reset();
        sim::MapDrive('D', DRIVE_CDROM, Scratch());
        HGLOBAL dib = Read(bmp::File(down));
        ASSERT_NE(dib, nullptr);
        const void *h = GlobalLock(dib);
        EXPECT_EQ(DibHeight(h), c.height);
        GlobalUnlock(dib);
        EXPECT_EQ(Take(dib), want);
    }
}

// 16-bit bit fields, as image editors save them: the three colour masks
// after a 40-byte header, or inside a larger one, then the colour table the
// header counts, if any. The block keeps the 40-byte form with the masks
// where the drawing call reads them, at the colour table's start, and the
// table after them; the drawing gets the masks and the pixel rows, and the
// palette for 256-colour screens is the table's.
TEST_F(DibReadTest, SixteenBitFieldsAsEditorsSaveThem) {
    auto masks = [](uint32_t red, uint32_t green, uint32_t blue) {
        std::string m;
        bmp::Put32(m, red);
        bmp::Put32(m, green);
        bmp::Put32(m, blue);
        return m;
    };
    auto table = [](uint32_t entries) {
        std::string t;
        for (uint32_t i = 0; i < entries; ++i)
            bmp::Put32(t, (i * 7 % 256) | (255 - i % 256) << 8 | (i % 256) << 16);
        return t;
    };
    const std::string m565 = masks(0xF800, 0x7E0, 0x1F), m555 = masks(0x7C00, 0x3E0, 0x1F);
    const struct {
        const char *name;
        uint32_t header;
        std::string masks;
        uint32_t clrUsed;
        int32_t height;
        DibRefusal why;
    } cases[] = {
        {"5-6-5 after a 40-byte header", 40, m565, 0, 3, DibAccepted},
        {"5-5-5 after a 40-byte header", 40, m555, 0, 3, DibAccepted},
        {"5-6-5 stored top-down", 40, m565, 0, -3, DibAccepted},
        {"5-6-5 with three colours after its masks", 40, m565, 3, 3, DibAccepted},
        {"5-6-5 with 256 colours after its masks", 40, m565, 256, -3, DibAccepted},
        {"5-6-5 in a 52-byte header", 52, m565, 0, 3, DibAccepted},
        {"5-6-5 in a 52-byte header, two colours after it", 52, m565, 2, 3, DibAccepted},
        {"5-5-5 in a 56-byte header", 56, m555, 0, 3, DibAccepted},
        {"5-6-5 in a 108-byte header", 108, m565, 0, 3, DibAccepted},
        {"5-5-5 in a 108-byte header, 16 colours after it", 108, m555, 16, 3, DibAccepted},
        {"5-5-5 in a 124-byte header", 124, m555, 0, -3, DibAccepted},
        {"4-4-4", 40, masks(0xF00, 0xF0, 0xF), 0, 3, DibBadMasks},
        {"blue and red swapped", 124, masks(0x1F, 0x7E0, 0xF800), 0, 3, DibBadMasks},
        {"no masks: the pixels right after the header", 40, "", 0, 3, DibBadMasks},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        sim::MapDrive('D', DRIVE_CDROM, Scratch());
        LoadDefaultResource();
        Bitmap s = bmp::Simple(16, 5, c.height);
        s.compression = BI_BITFIELDS;
        s.headerSize = c.header;
        s.clrUsed = c.clrUsed;
        const std::string colours = table(c.clrUsed);
        s.table = (c.header == 40 ? c.masks : "") + colours;
        std::string file = bmp::File(s);
        if (c.header > 40)
            file.replace(54, 12, c.masks);
        DibRefusal why = DibTooLarge;
        HGLOBAL dib = Read(file, &why);
        EXPECT_EQ(why, c.why);
        std::string block = Take(dib);
        EXPECT_EQ(sim::Outstanding(), 0) << sim::LedgerReport();
        if (c.why != DibAccepted) {
            EXPECT_EQ(dib, nullptr);
            continue;
        }
        const uint32_t entries = c.clrUsed ? c.clrUsed : 65536, row = bmp::RowSize(16, 5);
        ASSERT_EQ(block.size(), 40 + 12 + 4 * entries + 3 * row);
        EXPECT_EQ(Field(block, 0), 40u);
        EXPECT_EQ(Field(block, 16), static_cast<uint32_t>(BI_BITFIELDS));
        EXPECT_EQ(Field(block, 8), 3u);
        EXPECT_EQ(Field(block, 32), entries);
        EXPECT_EQ(block.substr(40, 12), c.masks);
        EXPECT_EQ(block.substr(52, colours.size()), colours);
        // Read from right after the first 40 header bytes, whatever the
        // header's size: no seek to the header's end.
        EXPECT_EQ(Offsets()[2], 54u);
        std::string bottomUp = s.pixels;
        if (c.height < 0)
            for (int r = 0; r < 3; ++r)
                bottomUp.replace(r * row, row, s.pixels.substr((2 - r) * row, row));
        EXPECT_EQ(block.substr(52 + 4 * entries), bottomUp);

        PutFile(file);
        PaintBitmap(Dc(), Instance(), Path(), 0, 0, FALSE);
        ASSERT_EQ(sim::DibDraws().size(), 1u);
        EXPECT_EQ(sim::DibDraws()[0].width, 5u); // the file, not the built-in bitmap
        EXPECT_EQ(sim::DibDraws()[0].colourTable, c.masks);
        EXPECT_EQ(sim::DibDraws()[0].pixels, bottomUp);
        std::string palette; // none without a table: Windows refuses one of 0 entries
        for (const sim::PaletteRecord &p : sim::CreatedPalettes())
            for (const PALETTEENTRY &e : p.entries)
                palette += std::string{static_cast<char>(e.peBlue), static_cast<char>(e.peGreen),
                                       static_cast<char>(e.peRed), static_cast<char>(e.peFlags)};
        EXPECT_EQ(palette, colours);
    }
}

struct RefusalCase {
    const char *name;
    std::string file;
    DibRefusal why;
    int failingRead = 0; // the ReadFile call that fails, 0 for none
};

Bitmap With(void (*edit)(Bitmap &)) {
    Bitmap s = bmp::Simple(8, 4, 2);
    edit(s);
    return s;
}

// Every refused file: null, the reason, nothing held, and never more than
// the first 1064-byte block asked for.
TEST_F(DibReadTest, RefusedFiles) {
    std::string good = bmp::File(bmp::Simple(8, 4, 2));
    std::string core = bmp::File(With([](Bitmap &s) { s.headerSize = 12; }));
    core += std::string(64, '\x01'); // long enough for 40 header bytes
    const RefusalCase cases[] = {
        {"empty", "", DibNotBitmap},
        {"13 bytes", good.substr(0, 13), DibNotBitmap},
        {"not BM", "BA" + good.substr(2), DibNotBitmap},
        {"MB", "MB" + good.substr(2), DibNotBitmap},
        {"14 bytes", good.substr(0, 14), DibShortHeader},
        {"30 bytes", good.substr(0, 30), DibShortHeader},
        {"53 bytes", good.substr(0, 53), DibShortHeader},
        {"core header", core, DibCoreHeader},
        {"header 0", bmp::File(With([](Bitmap &s) { s.headerSize = 0; })), DibUnsupportedHeaderSize},
        {"header 16", bmp::File(With([](Bitmap &s) { s.headerSize = 16; })), DibUnsupportedHeaderSize},
        {"header 39", bmp::File(With([](Bitmap &s) { s.headerSize = 39; })), DibUnsupportedHeaderSize},
        {"header 41", bmp::File(With([](Bitmap &s) { s.headerSize = 41; })), DibUnsupportedHeaderSize},
        {"header 64", bmp::File(With([](Bitmap &s) { s.headerSize = 64; })), DibUnsupportedHeaderSize},
        {"header 125", bmp::File(With([](Bitmap &s) { s.headerSize = 125; })), DibUnsupportedHeaderSize},
        {"bits 0", bmp::File(With([](Bitmap &s) { s.bitCount = 0; })), DibBadBitCount},
        {"bits 2", bmp::File(With([](Bitmap &s) { s.bitCount = 2; })), DibBadBitCount},
        {"bits 7", bmp::File(With([](Bitmap &s) { s.bitCount = 7; })), DibBadBitCount},
        {"bits 33", bmp::File(With([](Bitmap &s) { s.bitCount = 33; })), DibBadBitCount},
        {"bits 64", bmp::File(With([](Bitmap &s) { s.bitCount = 64; })), DibBadBitCount},
        {"32-bit bit fields", bmp::File(With([](Bitmap &s) { s.compression = BI_BITFIELDS; s.bitCount = 32; })),
         DibUnsupportedCompression},
        {"16-bit alpha bit fields", bmp::File(With([](Bitmap &s) { s.compression = 6; s.bitCount = 16; })),
         DibUnsupportedCompression},
        {"JPEG", bmp::File(With([](Bitmap &s) { s.compression = 4; })), DibUnsupportedCompression},
        {"PNG", bmp::File(With([](Bitmap &s) { s.compression = 5; })), DibUnsupportedCompression},
        {"RLE8 at 4 bits", bmp::File(With([](Bitmap &s) { s.compression = BI_RLE8; s.bitCount = 4; })),
         DibUnsupportedCompression},
        {"RLE4 at 8 bits", bmp::File(With([](Bitmap &s) { s.compression = BI_RLE4; })), DibUnsupportedCompression},
        {"124 with bit fields",
         bmp::File(With([](Bitmap &s) { s.headerSize = 124; s.compression = BI_BITFIELDS; s.bitCount = 32; })),
         DibUnsupportedCompression},
        {"width 0", bmp::File(With([](Bitmap &s) { s.width = 0; })), DibBadDimensions},
        {"width -4", bmp::File(With([](Bitmap &s) { s.width = -4; })), DibBadDimensions},
        {"width 16385", bmp::File(With([](Bitmap &s) { s.width = 16385; })), DibBadDimensions},
        {"width 70000", bmp::File(With([](Bitmap &s) { s.width = 70000; })), DibBadDimensions},
        {"width INT_MIN", bmp::File(With([](Bitmap &s) { s.width = INT_MIN; })), DibBadDimensions},
        {"height 0", bmp::File(With([](Bitmap &s) { s.height = 0; })), DibBadDimensions},
        {"height 16385", bmp::File(With([](Bitmap &s) { s.height = 16385; })), DibBadDimensions},
        {"height -16385", bmp::File(With([](Bitmap &s) { s.height = -16385; })), DibBadDimensions},
        {"height INT_MIN", bmp::File(With([](Bitmap &s) { s.height = INT_MIN; })), DibBadDimensions},
        {"65537 colours", bmp::File(With([](Bitmap &s) { s.clrUsed = 65537; })), DibTooManyColours},
        {"2^32-1 colours", bmp::File(With([](Bitmap &s) { s.clrUsed = 0xFFFFFFFFu; })), DibTooManyColours},
        {"16384 squared", bmp::File(With([](Bitmap &s) { s.width = 16384; s.height = 16384; })), DibTooLarge},
        {"image 4 GiB", bmp::File(With([](Bitmap &s) { s.sizeImage = 0xFFFFFFFFu; })), DibTooLarge},
        {"RLE image 4 GiB", bmp::File(With([](Bitmap &s) { s.compression = BI_RLE8; s.sizeImage = 0xFFFFFFF0u; })),
         DibTooLarge},
        {"one byte over 64 MiB",
         bmp::File(With([](Bitmap &s) { s.clrUsed = 65536; s.sizeImage = (64u << 20) - 40 - 262144 + 1; })),
         DibTooLarge},
        {"top-down RLE8", bmp::File(With([](Bitmap &s) { s.compression = BI_RLE8; s.height = -2; s.sizeImage = 4; })),
         DibTopDownCompressed},
        {"top-down RLE4",
         bmp::File(With([](Bitmap &s) { s.compression = BI_RLE4; s.bitCount = 4; s.height = -2; s.sizeImage = 4; })),
         DibTopDownCompressed},
        {"first read fails", good, DibReadFailed, 1},
        {"header read fails", good, DibReadFailed, 2},
    };
    for (const RefusalCase &c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        sim::MapDrive('D', DRIVE_CDROM, Scratch());
        if (c.failingRead)
            sim::FailCall("ReadFile", c.failingRead);
        DibRefusal why = DibAccepted;
        EXPECT_EQ(Read(c.file, &why), nullptr);
        EXPECT_EQ(why, c.why);
        EXPECT_EQ(sim::Outstanding(), 0) << sim::LedgerReport();
        EXPECT_TRUE(sim::LedgerErrors().empty()) << sim::LedgerReport();
        EXPECT_EQ(sim::CurrentCursor(), sim::CursorArrow);
        EXPECT_EQ(sim::CallCount("GlobalReAlloc"), 0);
        EXPECT_LE(sim::LargestAllocation(), 1064u);
        EXPECT_LE(sim::FileReads().size(), 2u);
    }
}

// The limits themselves are accepted.
TEST_F(DibReadTest, LimitsAreInclusive) {
    struct Case {
        const char *name;
        void (*edit)(Bitmap &);
        SIZE_T block;
    } cases[] = {
        {"width 16384", [](Bitmap &s) { s.width = 16384; s.height = 1; }, 40 + 1024 + 16384},
        {"height 16384", [](Bitmap &s) { s.width = 1; s.height = 16384; }, 40 + 1024 + 4 * 16384},
        {"height -16384", [](Bitmap &s) { s.width = 1; s.height = -16384; }, 40 + 1024 + 4 * 16384},
        {"65536 colours", [](Bitmap &s) { s.clrUsed = 65536; }, 40 + 262144 + 8},
        {"block of 64 MiB", [](Bitmap &s) { s.clrUsed = 65536; s.sizeImage = (64u << 20) - 40 - 262144; },
         SIZE_T(64) << 20},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        sim::MapDrive('D', DRIVE_CDROM, Scratch());
        Bitmap s = With(c.edit);
        s.pixels.clear(); // short file: the rest reads as zero
        DibRefusal why = DibTooLarge;
        HGLOBAL dib = Read(bmp::File(s), &why);
        EXPECT_EQ(why, DibAccepted);
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(GlobalSize(dib), c.block);
        FreeDib(dib);
    }
}

} // namespace
