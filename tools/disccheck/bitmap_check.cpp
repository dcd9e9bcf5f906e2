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

// Compression 6: bit fields with an alpha mask.
const uint32_t kAlphaBitFields = 6;

const char kSaveAs[] = "save it as an 8-bit bitmap with its own palette (convert in.png -type Palette BMP3:Launcher.bmp) "
                       "or as a 24-bit one (convert in.png -type TrueColor BMP3:Launcher.bmp)";

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
            return "it is too short to be a bitmap file (" + Counted(static_cast<long long>(bytes.size()), "byte", "bytes") +
                   ")";
        return "it is not a Windows bitmap file (it does not start with \"BM\")";
    case DibShortHeader:
        return "the file ends inside its header (" + Counted(static_cast<long long>(bytes.size()), "byte", "bytes") + ")";
    case DibCoreHeader:
        return "it has the old 12-byte OS/2 header: save it as a Windows bitmap";
    case DibUnsupportedHeaderSize:
        return "its header size " + Num(Le32(bytes, 14)) + " is not one of 40, 52, 56, 108 or 124";
    case DibUnsupportedCompression:
        if (Le32(bytes, 30) == BI_BITFIELDS || Le32(bytes, 30) == kAlphaBitFields)
            return "it is a bit-field bitmap (" + Num(Le16(bytes, 28)) +
                   " bits per pixel with colour masks), as image editors save 32-bit pictures by default, "
                   "which the launcher does not draw (it draws 16-bit ones): " +
                   kSaveAs;
        return "its compression " + Num(Le32(bytes, 30)) +
               " is not drawn by the launcher (only uncompressed, RLE8 at 8 bits and RLE4 at 4 bits): " + kSaveAs;
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
    case DibBadMasks:
        // A 40-byte header is followed by the masks; the larger ones hold them.
        return "it is a 16-bit bit-field bitmap without the 5-5-5 or 5-6-5 colour masks, the only ones Windows 95 "
               "draws (" +
               (Le32(bytes, 14) == 40 ? std::string("the masks must follow its header")
                                      : "the masks must be in bytes 40 to 51 of its " + Num(Le32(bytes, 14)) +
                                            "-byte header") +
               "): " + kSaveAs + ", or as a 16-bit one (convert in.png -define bmp:subtype=RGB565 Launcher.bmp)";
    }
    return "refused (reason " + Num(static_cast<int>(reason)) + ")";
}

// The reader fills the pixel rows the file does not hold with zeros: black,
// or the palette's first colour. Run-length data simply ends early.
void CheckPixelData(Report &r, const std::string &label, const std::string &bytes, bool compressed, uint64_t image,
                    uint64_t colours, uint64_t row_size, uint64_t rows, bool top_down, const std::string &zero) {
    const uint64_t offset = Le32(bytes, 10);
    // Without an offset the rows follow the colour table, which the reader
    // takes from after the header and, for bit fields, after the masks: a
    // 40-byte header is followed by them, a larger one holds them.
    uint64_t header = Le32(bytes, 14);
    if (Le32(bytes, 30) == BI_BITFIELDS && header < 52)
        header = 52;
    const uint64_t table = 14 + header;
    const uint64_t start = offset != 0 ? offset : table + colours * 4;
    // Uncompressed, only whole rows are drawn, whatever biSizeImage adds.
    const uint64_t needed = compressed ? image : row_size * rows;
    const uint64_t held = bytes.size() > start ? bytes.size() - start : 0;
    if (held >= needed || (!compressed && row_size == 0))
        return;
    const uint64_t missing = needed - held;
    std::string drawn = "the launcher draws the picture only as far as its data goes";
    if (!compressed) {
        const uint64_t lost = (missing + row_size - 1) / row_size;
        drawn = "the launcher draws " +
                (lost >= rows ? std::string("the whole picture")
                              : std::string(top_down ? "the bottom " : "the top ") +
                                    Counted(static_cast<long long>(lost), "row", "rows")) +
                " " + zero;
    }
    r.Warning(label + ": its pixel data is " + Counted(static_cast<long long>(missing), "byte", "bytes") +
              " shorter than its header says: " + drawn);
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
    uint32_t image = 0, colours = 0;
    std::string zero = "black";
    if (const BITMAPINFOHEADER *h = static_cast<const BITMAPINFOHEADER *>(GlobalLock(dib))) {
        bits = h->biBitCount;
        compression = h->biCompression;
        width = h->biWidth;
        height = h->biHeight;
        image = h->biSizeImage; // the reader's own count of pixel bytes
        colours = h->biClrUsed;
        const BYTE *first = reinterpret_cast<const BYTE *>(h) + h->biSize;
        if (bits <= 8 && colours && (first[0] || first[1] || first[2]))
            zero = "in the palette's first colour";
        GlobalUnlock(dib);
    }
    const uint64_t row_size = ((static_cast<uint64_t>(bits) * static_cast<uint64_t>(width) + 31) / 32) * 4;
    const uint64_t rows = static_cast<uint64_t>(height < 0 ? -static_cast<int64_t>(height) : height);
    const bool top_down = static_cast<int32_t>(Le32(bytes, 22)) < 0;
    FreeDib(dib);
    LONG size[2] = {width, height < 0 ? -height : height};
    GetBitmapSize(nullptr, win_path.c_str(), size); // the size the splash dialog uses
    const LONG w = size[0], h = size[1];
    const int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
    const LONG ww = w + 2 * GetSystemMetrics(SM_CXBORDER);
    const LONG wh = h + 2 * GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYCAPTION);
    std::string what = label + ": " + Num(w) + " x " + Num(h) + " pixels, " + Num(bits) + " bits per pixel";
    if (compression == BI_RLE8 || compression == BI_RLE4)
        what += compression == BI_RLE8 ? ", RLE8" : ", RLE4";
    if (compression == BI_BITFIELDS)
        what += ", bit fields";
    r.Info(what + "; the splash window is " + Num(ww) + " x " + Num(wh));
    CheckPixelData(r, label, bytes, compression == BI_RLE8 || compression == BI_RLE4, image, colours, row_size, rows,
                   top_down, zero);
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

std::string BitmapRefusal(const std::string &win_path, const std::string &host, long size[2]) {
    std::string bytes;
    ReadWhole(host, &bytes);
    DibRefusal reason = DibAccepted;
    HGLOBAL dib = OpenDibFileWithReason(win_path.c_str(), &reason);
    if (!dib)
        return RefusalText(reason == DibAccepted ? DibCannotOpen : reason, bytes);
    FreeDib(dib);
    LONG got[2] = {0, 0};
    GetBitmapSize(nullptr, win_path.c_str(), got);
    size[0] = got[0];
    size[1] = got[1];
    return "";
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
