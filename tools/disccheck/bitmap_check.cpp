// Launcher.bmp, or any bitmap: whether the launcher's reader takes it (and
// why not), its size, and whether the splash window and its buttons fit.
#include "disccheck_internal.h"

#include <windows.h>

#include <cstdint>
#include <string>

#include "dib.h"
#include "sim.h"

namespace disccheck {
namespace {

uint32_t Le32(const std::string &b, size_t at) {
    if (b.size() < at + 4)
        return 0;
    return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8) |
           (static_cast<unsigned char>(b[at + 2]) << 16) | (static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24);
}
uint32_t Le16(const std::string &b, size_t at) {
    if (b.size() < at + 2)
        return 0;
    return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}

std::string RefusalText(DibRefusal reason, const std::string &bytes) {
    switch (reason) {
    case DibAccepted:
        return "accepted";
    case DibCannotOpen:
        return "the file cannot be opened";
    case DibNoMemory:
        return "there is not enough memory to hold it";
    case DibReadFailed:
        return "reading the file failed";
    case DibNotBitmap:
        if (bytes.size() < 14)
            return "it is too short to be a bitmap file (" + Num(static_cast<long long>(bytes.size())) + " bytes)";
        return "it is not a Windows bitmap file (it does not start with \"BM\")";
    case DibShortHeader:
        return "the file ends inside its header (" + Num(static_cast<long long>(bytes.size())) + " bytes)";
    case DibCoreHeader:
        return "it has the old 12-byte OS/2 header: save it as a Windows bitmap";
    case DibUnsupportedHeaderSize:
        return "its header size " + Num(Le32(bytes, 14)) + " is not one of 40, 52, 56, 108 or 124";
    case DibUnsupportedCompression:
        return "its compression " + Num(Le32(bytes, 30)) +
               " is not drawn by the launcher (only uncompressed, RLE8 at 8 bits and RLE4 at 4 bits)";
    case DibBadDimensions:
        return "its size " + Num(static_cast<int32_t>(Le32(bytes, 18))) + " x " +
               Num(static_cast<int32_t>(Le32(bytes, 22))) + " is empty, mirrored or over " + Num(DIB_MAX_DIMENSION) +
               " pixels";
    case DibBadBitCount:
        return "its " + Num(Le16(bytes, 28)) + " bits per pixel are not one of 1, 4, 8, 16, 24 or 32";
    case DibTooManyColours:
        return "its colour table has more than " + Num(DIB_MAX_COLOURS) + " entries";
    case DibTooLarge:
        return "it would take more than " + Num(static_cast<long long>(DIB_MAX_BLOCK / (1024 * 1024))) +
               " MiB of memory";
    case DibTopDownCompressed:
        return "it is compressed and stored top-down, which Windows does not draw";
    }
    return "refused (reason " + Num(static_cast<int>(reason)) + ")";
}

} // namespace

// Reads the bitmap at a Windows path with the launcher's reader. Reports a
// refusal as an error; returns whether it was accepted.
bool CheckBitmap(Report &r, const std::string &label, const std::string &win_path, const std::string &host) {
    std::string bytes;
    ReadWhole(host, &bytes);
    DibRefusal reason = DibAccepted;
    HGLOBAL dib = OpenDibFileWithReason(win_path.c_str(), &reason);
    if (!dib) {
        if (reason == DibAccepted)
            reason = DibCannotOpen;
        r.Error(label + ": refused by the launcher's reader: " + RefusalText(reason, bytes) +
                "; the built-in picture shows instead");
        return false;
    }
    int bits = 0;
    DWORD compression = 0;
    LONG width = 0, height = 0;
    if (const BITMAPINFOHEADER *h = static_cast<const BITMAPINFOHEADER *>(GlobalLock(dib))) {
        bits = h->biBitCount;
        compression = h->biCompression;
        width = h->biWidth;
        height = h->biHeight;
        GlobalUnlock(dib);
    }
    FreeDib(dib);
    LONG size[2] = {width, height < 0 ? -height : height};
    GetBitmapSize(nullptr, win_path.c_str(), size); // the size the splash dialog uses
    const LONG w = size[0], h = size[1];
    const int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
    const LONG ww = w + 2 * GetSystemMetrics(SM_CXBORDER);
    const LONG wh = h + 2 * GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYCAPTION);
    std::string what = label + ": " + Num(w) + " x " + Num(h) + " pixels, " + Num(bits) + " bits per pixel";
    if (compression == 1 || compression == 2)
        what += compression == 1 ? ", RLE8" : ", RLE4";
    r.Info(what + "; the splash window is " + Num(ww) + " x " + Num(wh));
    if (ww > screen_w || wh > screen_h)
        r.Warning(label + ": the splash window (" + Num(ww) + " x " + Num(wh) + ") does not fit a " + Num(screen_w) +
                  " x " + Num(screen_h) + " screen");
    if (w < 200)
        r.Warning(label + ": narrower than 200 pixels: the two 100-pixel buttons do not fit side by side");
    if (h < 45)
        r.Warning(label + ": lower than 45 pixels: the buttons, 45 pixels above the bottom edge, stand partly "
                          "above the picture");
    return true;
}

void CheckLauncherBmp(Report &r, const Machine &m, const DiscView &view) {
    SetUp(m);
    std::string host = sim::HostPath(view.paths.bitmap);
    if (view.paths.bitmap[0] == 0 || !IsRegularFile(host)) {
        r.Warning("Launcher.bmp: missing from the launcher's folder: the built-in picture shows");
        return;
    }
    CheckBitmap(r, "Launcher.bmp", view.paths.bitmap, host);
}

} // namespace disccheck
