// Bitmap display: reads the splash bitmap file into one movable block (the
// 40-byte information header, bit fields' three masks, the colour table, the
// pixel rows), measures it and draws it with its own palette, falling back to
// the built-in bitmap.
//
// The reader trusts nothing in the file: every size it takes from there is
// checked against fixed limits and worked out in 64 bits before anything is
// allocated, the pixel area always holds every byte that drawing reads, and
// bytes the file did not supply are zero.
#include "dib.h"

#define FILE_HEADER_SIZE 14
#define INFO_HEADER_SIZE 40
#define FIRST_BLOCK_SIZE (INFO_HEADER_SIZE + 256 * 4)
#define BITMAP_SIGNATURE 0x4D42 // "BM"
#define MASKS_SIZE 12            // bit fields' red, green and blue masks

static const char kBuiltInBitmap[] = "Default";

// What the reader works out from a header it accepts.
struct DibLayout {
    DWORD headerSize; // as in the file; the block always gets 40
    DWORD masks;      // bytes of colour masks before the table: 16-bit
                      // pixels laid out by bit fields have three
    DWORD colours;    // colour-table entries
    DWORD imageSize;  // bytes of the block's pixel area
    DWORD rowSize;    // bytes per pixel row, uncompressed
    DWORD rows;       // number of pixel rows
    BOOL topDown;     // rows stored top row first
    DWORD blockSize;
};

static void SetReason(DibRefusal *reason, DibRefusal why) {
    if (reason)
        *reason = why;
}

// Header fields read byte by byte: the header may sit at any address.
static WORD Word(const void *header, DWORD offset) {
    const BYTE *p = (const BYTE *)header + offset;
    return (WORD)(p[0] | (p[1] << 8));
}

static DWORD Dword(const void *header, DWORD offset) {
    return (DWORD)Word(header, offset) | ((DWORD)Word(header, offset + 2) << 16);
}

static BOOL IsValidBitCount(WORD bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

static BOOL IsSupportedHeaderSize(DWORD size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// Only what every Windows from 95 on draws to the screen: uncompressed rows,
// run-length encoding at the bit count it is defined for, and 16-bit colour
// laid out by bit fields (image editors save 16-bit pictures so). 32-bit bit
// fields are left out: their masks do not fit the one colour-table entry a
// 32-bit header implies.
static BOOL IsSupportedCompression(DWORD compression, WORD bits) {
    return compression == BI_RGB || (compression == BI_RLE8 && bits == 8) || (compression == BI_RLE4 && bits == 4) ||
           (compression == BI_BITFIELDS && bits == 16);
}

// The red, green and blue masks of 16-bit bit fields are the two layouts
// Windows 95 draws: 5-5-5 and 5-6-5.
static BOOL HasDrawnMasks(const BYTE *masks) {
    DWORD red = Dword(masks, 0), green = Dword(masks, 4), blue = Dword(masks, 8);
    return blue == 0x001F && ((red == 0x7C00 && green == 0x03E0) || (red == 0xF800 && green == 0x07E0));
}

// Colour-table entries a header implies when it does not say: none for 24
// bits, otherwise two to the power of the bit count taken modulo 32 (so one
// for 32 bits).
static DWORD ImpliedColours(WORD bits) { return bits == 24 ? 0 : (DWORD)1 << (bits % 32); }

// Checks the information header just read and works out the block's layout.
static DibRefusal CheckHeader(const BITMAPINFOHEADER *info, DibLayout *layout) {
    LONGLONG width = info->biWidth;
    LONGLONG height = info->biHeight;
    WORD bits = info->biBitCount;
    BOOL compressed;
    ULONGLONG rows, rowSize, computed, image, block;

    if (info->biSize == 12)
        return DibCoreHeader;
    if (!IsSupportedHeaderSize(info->biSize))
        return DibUnsupportedHeaderSize;
    if (!IsValidBitCount(bits))
        return DibBadBitCount;
    if (!IsSupportedCompression(info->biCompression, bits))
        return DibUnsupportedCompression;
    rows = (ULONGLONG)(height < 0 ? -height : height);
    if (width <= 0 || width > DIB_MAX_DIMENSION || rows == 0 || rows > DIB_MAX_DIMENSION)
        return DibBadDimensions;
    if (info->biClrUsed > DIB_MAX_COLOURS)
        return DibTooManyColours;
    compressed = info->biCompression == BI_RLE8 || info->biCompression == BI_RLE4;
    if (compressed && height < 0)
        return DibTopDownCompressed;

    layout->colours = info->biClrUsed != 0 ? info->biClrUsed : ImpliedColours(bits);
    layout->masks = info->biCompression == BI_BITFIELDS ? MASKS_SIZE : 0;

    rowSize = (((ULONGLONG)bits * (ULONGLONG)width + 31) >> 5) << 2;
    computed = rowSize * rows;
    if (compressed)
        image = info->biSizeImage != 0 ? info->biSizeImage : computed;
    else
        image = info->biSizeImage > computed ? info->biSizeImage : computed;
    block = INFO_HEADER_SIZE + layout->masks + (ULONGLONG)layout->colours * 4 + image;
    if (block > DIB_MAX_BLOCK)
        return DibTooLarge;

    layout->headerSize = info->biSize;
    layout->imageSize = (DWORD)image;
    layout->rowSize = (DWORD)rowSize;
    layout->rows = (DWORD)rows;
    layout->topDown = height < 0;
    layout->blockSize = (DWORD)block;
    return DibAccepted;
}

static void ZeroBytes(BYTE *bytes, DWORD count) {
    DWORD i;
    for (i = 0; i < count; ++i)
        bytes[i] = 0;
}

// Reads count bytes where the file stands; what it does not supply is zero.
// FALSE when the read reported an error.
static BOOL ReadPart(HANDLE file, BYTE *bytes, DWORD count) {
    DWORD got = 0;
    BOOL read = ReadFile(file, bytes, count, &got, 0);
    if (!read)
        got = 0;
    ZeroBytes(bytes + got, count - got);
    return read;
}

// Turns rows stored top row first into the bottom-up order every header
// with a positive height means.
static void FlipRows(BYTE *pixels, DWORD rowSize, DWORD rows) {
    BYTE *top = pixels;
    BYTE *bottom = pixels + (rows - 1) * rowSize;
    DWORD i;
    BYTE t;
    while (top < bottom) {
        for (i = 0; i < rowSize; ++i) {
            t = top[i];
            top[i] = bottom[i];
            bottom[i] = t;
        }
        top += rowSize;
        bottom -= rowSize;
    }
}

// Refusing a file once the block is locked: unlock it, free it, say why.
static HGLOBAL Refuse(HGLOBAL block, DibRefusal why, DibRefusal *reason) {
    GlobalUnlock(block);
    GlobalFree(block);
    SetReason(reason, why);
    return 0;
}

HGLOBAL ReadDibFileWithReason(HANDLE file, DibRefusal *reason) {
    BITMAPFILEHEADER fileHeader;
    BITMAPINFOHEADER *info;
    DibLayout layout;
    DibRefusal why;
    HGLOBAL block, grown;
    BYTE *bytes, *pixels;
    DWORD got;
    LONG high;

    SetReason(reason, DibAccepted);
    block = GlobalAlloc(GMEM_MOVEABLE, FIRST_BLOCK_SIZE);
    if (!block) {
        SetReason(reason, DibNoMemory);
        return 0;
    }
    bytes = (BYTE *)GlobalLock(block);
    if (!bytes) {
        GlobalFree(block);
        SetReason(reason, DibNoMemory);
        return 0;
    }

    got = 0;
    if (!ReadFile(file, &fileHeader, FILE_HEADER_SIZE, &got, 0))
        return Refuse(block, DibReadFailed, reason);
    if (got != FILE_HEADER_SIZE || fileHeader.bfType != BITMAP_SIGNATURE)
        return Refuse(block, DibNotBitmap, reason);
    got = 0;
    if (!ReadFile(file, bytes, INFO_HEADER_SIZE, &got, 0))
        return Refuse(block, DibReadFailed, reason);
    if (got != INFO_HEADER_SIZE)
        return Refuse(block, DibShortHeader, reason);

    info = (BITMAPINFOHEADER *)bytes;
    why = CheckHeader(info, &layout);
    if (why != DibAccepted)
        return Refuse(block, why, reason);
    // The block keeps the 40-byte form whatever header the file had.
    info->biSize = INFO_HEADER_SIZE;
    info->biClrUsed = layout.colours;
    info->biSizeImage = layout.imageSize;

    GlobalUnlock(block);
    grown = GlobalReAlloc(block, layout.blockSize, 0);
    if (!grown) {
        GlobalFree(block);
        SetReason(reason, DibNoMemory);
        return 0;
    }
    block = grown;
    bytes = (BYTE *)GlobalLock(block);
    if (!bytes) {
        GlobalFree(block);
        SetReason(reason, DibNoMemory);
        return 0;
    }

    // Bit fields' three masks come first, where the drawing call reads
    // them: they follow a 40-byte header in the file, and a larger header
    // holds them in its bytes 40 to 51, where the read has got to. The
    // colour table follows the file's own header, and the masks after a
    // 40-byte one. These reads are not examined: masks the file did not
    // supply are no masks, and entries it did not supply are black.
    if (layout.masks) {
        ReadPart(file, bytes + INFO_HEADER_SIZE, MASKS_SIZE);
        if (!HasDrawnMasks(bytes + INFO_HEADER_SIZE))
            return Refuse(block, DibBadMasks, reason);
    }
    if (layout.headerSize != INFO_HEADER_SIZE)
        SetFilePointer(file, FILE_HEADER_SIZE + layout.headerSize, 0, FILE_BEGIN);
    pixels = bytes + INFO_HEADER_SIZE + layout.masks; // the table, then the rows
    ReadPart(file, pixels, layout.colours * 4);
    pixels += layout.colours * 4;

    // The pixel rows start at the file header's offset, or right after the
    // colour table when it gives 0. The offset is unsigned: one beyond 2 GiB
    // lies past the end of any bitmap file, and reads nothing.
    if (fileHeader.bfOffBits != 0) {
        high = 0;
        SetFilePointer(file, (LONG)fileHeader.bfOffBits, &high, FILE_BEGIN);
    }
    if (!ReadPart(file, pixels, layout.imageSize))
        return Refuse(block, DibReadFailed, reason);

    if (layout.topDown) {
        FlipRows(pixels, layout.rowSize, layout.rows);
        ((BITMAPINFOHEADER *)bytes)->biHeight = (LONG)layout.rows;
    }
    GlobalUnlock(block);
    return block;
}

HGLOBAL ReadDibFile(HANDLE file) { return ReadDibFileWithReason(file, 0); }

HGLOBAL OpenDibFileWithReason(const char *path, DibRefusal *reason) {
    HANDLE file;
    HGLOBAL dib;

    SetCursor(LoadCursorA(0, IDC_WAIT));
    file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, 0);
    if (file == INVALID_HANDLE_VALUE) {
        SetCursor(LoadCursorA(0, IDC_ARROW));
        SetReason(reason, DibCannotOpen);
        return 0;
    }
    dib = ReadDibFileWithReason(file, reason);
    CloseHandle(file);
    SetCursor(LoadCursorA(0, IDC_ARROW));
    return dib;
}

HGLOBAL OpenDibFile(const char *path) { return OpenDibFileWithReason(path, 0); }

void FreeDib(HGLOBAL dib) { GlobalFree(dib); }

static BOOL IsCoreHeader(const void *header) { return Dword(header, 0) == 12; }

// Where an information header's colour table starts: after the header,
// and after the three masks that bit fields put first.
static const BYTE *ColourTable(const void *header) {
    return (const BYTE *)header + Dword(header, 0) + (Dword(header, 16) == BI_BITFIELDS ? MASKS_SIZE : 0);
}

WORD DibWidth(const void *header) { return Word(header, 4); }

WORD DibHeight(const void *header) { return IsCoreHeader(header) ? Word(header, 6) : Word(header, 8); }

const BYTE *DibBits(const void *header) {
    DWORD entries;
    if (IsCoreHeader(header))
        return (const BYTE *)header + 12 + ImpliedColours(Word(header, 10)) * 3;
    entries = Dword(header, 32);
    if (entries == 0)
        entries = ImpliedColours(Word(header, 14));
    return ColourTable(header) + entries * 4;
}

HPALETTE CreateDibPalette(const void *header) {
    const BYTE *table;
    LOGPALETTE *description;
    PALETTEENTRY *entries;
    HPALETTE palette;
    WORD count, i;

    if (Dword(header, 32) == 0)
        return (HPALETTE)GetStockObject(DEFAULT_PALETTE);
    count = LOWORD(Dword(header, 32));
    description = (LOGPALETTE *)LocalAlloc(LMEM_FIXED, 8 + 4 * (SIZE_T)count);
    if (!description)
        return 0;
    description->palVersion = 0x300;
    description->palNumEntries = count;
    entries = description->palPalEntry;
    table = ColourTable(header);
    for (i = 0; i < count; ++i) {
        entries[i].peRed = table[4 * i + 2];
        entries[i].peGreen = table[4 * i + 1];
        entries[i].peBlue = table[4 * i];
        entries[i].peFlags = 0;
    }
    palette = CreatePalette(description);
    LocalFree(description);
    return palette;
}

void DrawDib(HDC dc, const void *header, int xDest, int yDest, int xSrc, int ySrc, BOOL forceBackground) {
    const BYTE *bits;
    WORD width, height;
    HPALETTE palette, previous = 0;

    if (!header)
        return;
    bits = DibBits(header);
    width = DibWidth(header);
    height = DibHeight(header);
    palette = CreateDibPalette(header);
    if (palette) {
        previous = SelectPalette(dc, palette, forceBackground);
        RealizePalette(dc);
    }
    SetStretchBltMode(dc, COLORONCOLOR);
    SetDIBitsToDevice(dc, xDest, yDest, width, height, xSrc, ySrc, 0, height, bits, (const BITMAPINFO *)header,
                      DIB_RGB_COLORS);
    if (palette) {
        if (previous)
            SelectPalette(dc, previous, forceBackground);
        DeleteObject(palette);
    }
}

// Loads and locks the built-in bitmap. Null when it cannot be had, with
// nothing left loaded; otherwise *resource is to be freed after use.
static const void *LockBuiltInBitmap(HINSTANCE instance, HGLOBAL *resource) {
    HRSRC found;
    const void *header;

    found = FindResourceA(instance, kBuiltInBitmap, RT_BITMAP);
    if (!found)
        return 0;
    *resource = LoadResource(instance, found);
    if (!*resource)
        return 0;
    header = LockResource(*resource);
    if (!header) {
        FreeResource(*resource);
        return 0;
    }
    return header;
}

static void StoreSize(const void *header, LONG *size) {
    size[0] = (LONG)DibWidth(header);
    size[1] = (LONG)DibHeight(header);
}

int GetBitmapSize(HINSTANCE instance, const char *path, LONG *size) {
    HGLOBAL dib, resource;
    const void *header;

    dib = OpenDibFile(path);
    if (dib) {
        header = GlobalLock(dib);
        if (!header) {
            FreeDib(dib);
            return 0;
        }
        StoreSize(header, size);
        GlobalUnlock(dib);
        FreeDib(dib);
        return 1;
    }
    header = LockBuiltInBitmap(instance, &resource);
    if (!header)
        return 0;
    StoreSize(header, size);
    FreeResource(resource);
    return 1;
}

void PaintBitmap(HDC dc, HINSTANCE instance, const char *path, int xDest, int yDest, BOOL forceBackground) {
    HGLOBAL dib, resource;
    const void *header;

    dib = OpenDibFile(path);
    if (dib) {
        header = GlobalLock(dib);
        if (header) {
            DrawDib(dc, header, xDest, yDest, 0, 0, forceBackground);
            GlobalUnlock(dib);
        }
        FreeDib(dib);
        return;
    }
    header = LockBuiltInBitmap(instance, &resource);
    if (!header)
        return;
    DrawDib(dc, header, xDest, yDest, 0, 0, forceBackground);
    FreeResource(resource);
}
