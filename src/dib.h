// Bitmap display: reading a bitmap file into one movable block (a packed
// DIB: header, colour table, pixel rows), measuring it and drawing it.
#ifndef LAUNCHER_DIB_H
#define LAUNCHER_DIB_H

#include <windows.h>

HGLOBAL OpenDibFile(const char *path);
HGLOBAL ReadDibFile(HANDLE file);
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
