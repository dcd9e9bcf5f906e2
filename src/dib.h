// Bitmap display: reading a bitmap file into one movable block (a packed
// DIB: header, bit fields' masks if any, colour table, pixel rows), measuring
// it and drawing it.
#ifndef LAUNCHER_DIB_H
#define LAUNCHER_DIB_H

#include <windows.h>

// Why the reader gave no block. DibAccepted when it gave one.
enum DibRefusal {
    DibAccepted = 0,
    DibCannotOpen,             // the file is missing or cannot be opened
    DibNoMemory,               // a block could not be allocated, grown or locked
    DibReadFailed,             // a read of the file reported an error
    DibNotBitmap,              // shorter than 14 bytes, or not starting with "BM"
    DibShortHeader,            // the file ends inside the information header
    DibCoreHeader,             // the 12-byte header of OS/2 and Windows 2 bitmaps
    DibUnsupportedHeaderSize,  // header size other than 40, 52, 56, 108 or 124
    DibUnsupportedCompression, // only uncompressed, RLE8 (8-bit), RLE4 (4-bit) and 16-bit bit fields are drawn
    DibBadDimensions,          // width or height 0, negative width, or beyond 16,384
    DibBadBitCount,            // bits per pixel other than 1, 4, 8, 16, 24 or 32
    DibTooManyColours,         // more than 65,536 colour-table entries
    DibTooLarge,               // the block would exceed 64 MiB
    DibTopDownCompressed,      // a compressed bitmap stored top-down
    DibBadMasks                // 16-bit bit fields without the 5-5-5 or 5-6-5 colour masks
};

// Limits a bitmap must keep to be read.
#define DIB_MAX_DIMENSION 16384
#define DIB_MAX_COLOURS 65536
#define DIB_MAX_BLOCK (64UL * 1024 * 1024)

HGLOBAL OpenDibFile(const char *path);
HGLOBAL ReadDibFile(HANDLE file);
// The same, saying why no block came back; reason may be null.
HGLOBAL OpenDibFileWithReason(const char *path, DibRefusal *reason);
HGLOBAL ReadDibFileWithReason(HANDLE file, DibRefusal *reason);
void FreeDib(HGLOBAL dib);

WORD DibWidth(const void *header);
WORD DibHeight(const void *header);
const BYTE *DibBits(const void *header);
HPALETTE CreateDibPalette(const void *header);
void DrawDib(HDC dc, const void *header, int xDest, int yDest, int xSrc, int ySrc, BOOL forceBackground);

// size receives width then height; 1 when found, 0 otherwise (size untouched).
int GetBitmapSize(HINSTANCE instance, const char *path, LONG *size);
void PaintBitmap(HDC dc, HINSTANCE instance, const char *path, int xDest, int yDest, BOOL forceBackground);

#endif
