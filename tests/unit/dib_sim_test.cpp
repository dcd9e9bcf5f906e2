// The simulated file, resource and GDI calls the bitmap code relies on,
// pinned to what Windows does.
#include <cstring>

#include "dib_fixture.h"

namespace {

class DibSimTest : public DibTest {};

TEST_F(DibSimTest, ReadFileIsShortAtTheEndAndSeeksAreAbsolute) {
    sim::SetMemoryFile("D:\\a.bin", "0123456789");
    HANDLE f = CreateFileA("d:\\A.BIN", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    char buf[16];
    std::memset(buf, '#', sizeof buf);
    DWORD got = 99;
    EXPECT_TRUE(ReadFile(f, buf, 4, &got, nullptr));
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(std::string(buf, 5), "0123#");
    EXPECT_TRUE(ReadFile(f, buf, 16, &got, nullptr)); // runs into the end
    EXPECT_EQ(got, 6u);
    EXPECT_EQ(std::string(buf, 7), "456789#");
    EXPECT_TRUE(ReadFile(f, buf, 16, &got, nullptr)); // at the end: success, nothing
    EXPECT_EQ(got, 0u);

    EXPECT_EQ(SetFilePointer(f, 8, nullptr, FILE_BEGIN), 8u);
    EXPECT_TRUE(ReadFile(f, buf, 16, &got, nullptr));
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(SetFilePointer(f, 100, nullptr, FILE_BEGIN), 100u); // past the end is allowed
    EXPECT_TRUE(ReadFile(f, buf, 16, &got, nullptr));
    EXPECT_EQ(got, 0u);
    // A negative position fails and leaves the position alone.
    EXPECT_EQ(SetFilePointer(f, -5, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), 131u);
    LONG high = 0;
    EXPECT_EQ(SetFilePointer(f, static_cast<LONG>(0x80000000u), &high, FILE_BEGIN), 0x80000000u);
    EXPECT_EQ(high, 0);
    EXPECT_EQ(GetFileSize(f, nullptr), 10u);
    EXPECT_TRUE(CloseHandle(f));
    EXPECT_FALSE(CloseHandle(f));
    EXPECT_FALSE(sim::LedgerErrors().empty());
    check_ledger_ = false;
}

TEST_F(DibSimTest, RealFilesAndFailures) {
    WriteFile("LAUNCH/Launcher.bmp", "BMxyz");
    HANDLE f = CreateFileA("D:\\launch\\LAUNCHER.BMP", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    char buf[8];
    DWORD got = 0;
    sim::FailCall("ReadFile", 2);
    EXPECT_TRUE(ReadFile(f, buf, 8, &got, nullptr));
    EXPECT_EQ(std::string(buf, got), "BMxyz");
    got = 7;
    EXPECT_FALSE(ReadFile(f, buf, 8, &got, nullptr));
    EXPECT_EQ(got, 0u);
    CloseHandle(f);
    EXPECT_EQ(CreateFileA("D:\\none.bmp", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateFileA("D:\\LAUNCH", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    ASSERT_EQ(sim::FileReads().size(), 2u);
    EXPECT_FALSE(sim::FileReads()[1].ok);
}

TEST_F(DibSimTest, ResourcesByNameWithoutCaseAndReadOnly) {
    sim::SetResource("DEFAULT", RT_BITMAP, "abc");
    EXPECT_EQ(FindResourceA(Instance(), "Default", RT_DIALOG), nullptr);
    EXPECT_EQ(FindResourceA(Instance(), "Other", RT_BITMAP), nullptr);
    HRSRC r = FindResourceA(Instance(), "default", RT_BITMAP);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(SizeofResource(Instance(), r), 3u);
    HGLOBAL h = LoadResource(Instance(), r);
    char *p = static_cast<char *>(LockResource(h));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::string(p, 3), "abc");
    p[1] = 'X';
    FreeResource(h);
    EXPECT_EQ(sim::Events().back(), "resource written");
}

TEST_F(DibSimTest, PaletteObjects) {
    // Windows refuses a palette without entries.
    LOGPALETTE empty = {0x300, 0, {{0, 0, 0, 0}}};
    EXPECT_EQ(CreatePalette(&empty), nullptr);
    LOGPALETTE one = {0x300, 1, {{9, 8, 7, 0}}};
    HPALETTE p = CreatePalette(&one);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(SelectPalette(Dc(), p, FALSE), sim::StockPalette());
    EXPECT_FALSE(DeleteObject(p)); // still selected
    EXPECT_EQ(SelectPalette(Dc(), sim::StockPalette(), FALSE), p);
    EXPECT_TRUE(DeleteObject(p));
    EXPECT_TRUE(DeleteObject(sim::StockPalette())); // no effect
    EXPECT_EQ(sim::PaletteEntries(sim::StockPalette()).size(), 20u);
    EXPECT_EQ(SelectPalette(Dc(), p, FALSE), nullptr); // deleted
    EXPECT_FALSE(DeleteObject(p));
    EXPECT_FALSE(sim::LedgerErrors().empty()); // the second delete
    check_ledger_ = false;
}

// What SetDIBitsToDevice reads: the scan lines asked for within the
// bitmap's height, the whole compressed image, the core form's triples.
TEST_F(DibSimTest, DibCopyReadsWhatWindowsReads) {
    bmp::Bitmap s = bmp::Simple(8, 3, 4);
    s.clrUsed = 2;
    s.table = bmp::Table(2);
    std::string dib = bmp::File(s).substr(14);
    const BITMAPINFO *info = reinterpret_cast<const BITMAPINFO *>(dib.data());
    const char *bits = dib.data() + 48;
    EXPECT_EQ(SetDIBitsToDevice(Dc(), 0, 0, 3, 4, 0, 0, 1, 9, bits, info, DIB_RGB_COLORS), 3);
    EXPECT_EQ(sim::DibDraws().back().pixels, s.pixels.substr(4, 12));
    EXPECT_EQ(sim::DibDraws().back().colourTable, s.table);

    bmp::Bitmap rle = s;
    rle.compression = BI_RLE8;
    rle.sizeImage = 5;
    std::string rdib = bmp::File(rle).substr(14);
    EXPECT_EQ(SetDIBitsToDevice(Dc(), 0, 0, 3, 4, 0, 0, 0, 4, rdib.data() + 48,
                                reinterpret_cast<const BITMAPINFO *>(rdib.data()), DIB_RGB_COLORS),
              4);
    EXPECT_EQ(sim::DibDraws().back().pixels, rle.pixels.substr(0, 5));

    bmp::Bitmap core = bmp::Simple(4, 2, 2);
    core.headerSize = 12;
    core.table = std::string(48, 'c');
    std::string cdib = bmp::File(core).substr(14);
    EXPECT_EQ(SetDIBitsToDevice(Dc(), 0, 0, 2, 2, 0, 0, 0, 2, cdib.data() + 60,
                                reinterpret_cast<const BITMAPINFO *>(cdib.data()), DIB_RGB_COLORS),
              2);
    EXPECT_EQ(sim::DibDraws().back().colourTable, core.table);
    EXPECT_EQ(sim::DibDraws().back().pixels, core.pixels);
}

} // namespace
