// Fuzz target: arbitrary bytes as Launcher.bmp through OpenDibFile, the
// header queries and DrawDib. The simulated SetDIBitsToDevice reads every
// byte the real one would (header, colour table, each scan line or the whole
// compressed image) out of the exact-size block, so AddressSanitizer stops
// at any byte outside it; the checks below state the block's invariants.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "dib.h"
#include "sim.h"

namespace {

const char kPath[] = "D:\\LAUNCH\\Launcher.bmp";
// Blocks beyond this fail as on a machine short of memory: the reader's
// paths are the same for a 1 MiB and a 64 MiB block, and the small limit
// keeps the fuzzer fast (and runs the failed re-allocation path too).
const SIZE_T kMemoryLimit = SIZE_T(1) << 20;

void Check(bool ok) {
    if (!ok)
        __builtin_trap();
}

DWORD Colours(const BITMAPINFOHEADER *h) {
    if (h->biClrUsed)
        return h->biClrUsed;
    return h->biBitCount == 24 ? 0 : (DWORD)1 << (h->biBitCount % 32);
}

} // namespace

// Blocks of up to a megabyte come and go at every input: a small
// quarantine keeps AddressSanitizer from spending the run unmapping them,
// while still catching a block used just after it was freed.
extern "C" const char *__asan_default_options() { return "quarantine_size_mb=16"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    sim::Reset();
    sim::KeepDrawnPixels(false);
    sim::SetMemoryLimit(kMemoryLimit);
    sim::SetMemoryFile(kPath, std::string(reinterpret_cast<const char *>(data), size));

    DibRefusal why = DibTooLarge;
    HGLOBAL dib = OpenDibFileWithReason(kPath, &why);
    Check((dib != nullptr) == (why == DibAccepted));
    Check(sim::Outstanding("file") == 0);
    Check(sim::FileReads().size() <= 5); // bit fields read their masks apart
    Check(sim::LargestAllocation() <= DIB_MAX_BLOCK);
    if (dib) {
        SIZE_T blockSize = GlobalSize(dib);
        const BYTE *block = static_cast<const BYTE *>(GlobalLock(dib));
        Check(block != nullptr);
        const BITMAPINFOHEADER *h = reinterpret_cast<const BITMAPINFOHEADER *>(block);
        WORD width = DibWidth(block);
        WORD height = DibHeight(block);
        const BYTE *bits = DibBits(block);
        const SIZE_T masks = h->biCompression == BI_BITFIELDS ? 12 : 0;
        // The block: the 40-byte form, the filled-in counts, a bottom-up
        // bitmap within the limits, and room for everything drawing reads.
        Check(h->biSize == 40);
        Check(h->biWidth >= 1 && h->biWidth <= DIB_MAX_DIMENSION && width == h->biWidth);
        Check(h->biHeight >= 1 && h->biHeight <= DIB_MAX_DIMENSION && height == h->biHeight);
        Check(h->biClrUsed == Colours(h) && h->biClrUsed <= DIB_MAX_COLOURS);
        Check(bits == block + 40 + masks + 4 * (SIZE_T)h->biClrUsed);
        Check(blockSize == 40 + masks + 4 * (SIZE_T)h->biClrUsed + h->biSizeImage);
        if (h->biCompression == BI_RGB || h->biCompression == BI_BITFIELDS) {
            uint64_t row = ((uint64_t)h->biBitCount * (uint64_t)h->biWidth + 31) / 32 * 4;
            Check(row * (uint64_t)h->biHeight <= h->biSizeImage);
            // Bit fields: 16 bits, the three masks before the colour table.
            Check(h->biCompression == BI_RGB || h->biBitCount == 16);
        } else {
            Check(h->biCompression == BI_RLE8 || h->biCompression == BI_RLE4);
        }
        HDC dc = reinterpret_cast<HDC>(static_cast<uintptr_t>(0x5DC0));
        DrawDib(dc, block, 0, 0, 0, 0, FALSE);
        Check(sim::DibDraws().size() == 1);
        Check(sim::SelectedPalette(dc) == sim::StockPalette());
        GlobalUnlock(dib);
        FreeDib(dib);
    }
    Check(sim::Outstanding() == 0);
    Check(sim::LedgerErrors().empty());
    return 0;
}
