// Simulated GDI: the stock palette, logical palettes, palette selection and
// realization, the stretch mode and SetDIBitsToDevice. The DIB copy reads
// every byte the real call reads (the header, the colour table or bit masks,
// and each scan line it copies, or the whole compressed image), with one
// bounds-checked copy per area, so AddressSanitizer reports any of them that
// lies outside the caller's memory.
#include "sim_internal.h"

#include <cstring>
#include <map>
#include <set>

namespace sim {
namespace {

struct DcState {
    HPALETTE palette;
    bool realized = false;
    int mode = 1; // BLACKONWHITE
};

// Stock objects end in 8: handles the simulation makes are multiples of 0x10
// and count up without end, so in a long fuzzing run one would otherwise
// come out equal to a stock object and never be freed.
const HPALETTE kStockPalette = reinterpret_cast<HPALETTE>(static_cast<uintptr_t>(0x8000F8));

std::map<HPALETTE, std::vector<PALETTEENTRY>> g_palettes;
std::set<HPALETTE> g_deleted;
std::vector<PaletteRecord> g_created;
std::map<HDC, DcState> g_dcs;
std::vector<DibDraw> g_draws;
std::string g_surface;
bool g_keep_pixels = true;

void ResetGdi() {
    g_palettes.clear();
    g_deleted.clear();
    g_created.clear();
    g_dcs.clear();
    g_draws.clear();
    g_surface.clear();
    g_keep_pixels = true;
}
internal::ResetHook g_hook(ResetGdi);

DcState &Dc(HDC dc) {
    auto it = g_dcs.find(dc);
    if (it == g_dcs.end()) {
        DcState s;
        s.palette = kStockPalette;
        it = g_dcs.emplace(dc, s).first;
    }
    return it->second;
}

// The 20 reserved system colours of the default palette.
std::vector<PALETTEENTRY> StockEntries() {
    static const BYTE rgb[20][3] = {
        {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
        {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
        {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
        {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
    std::vector<PALETTEENTRY> out;
    for (auto &c : rgb)
        out.push_back(PALETTEENTRY{c[0], c[1], c[2], 0});
    return out;
}

bool IsPalette(HGDIOBJ obj) {
    return obj == kStockPalette || g_palettes.count(static_cast<HPALETTE>(obj)) != 0;
}

std::string PaletteName(HPALETTE pal) { return pal == kStockPalette ? "stock" : "palette"; }

} // namespace

const std::vector<PaletteRecord> &CreatedPalettes() { return g_created; }

std::vector<PALETTEENTRY> PaletteEntries(HPALETTE palette) {
    if (palette == kStockPalette)
        return StockEntries();
    auto it = g_palettes.find(palette);
    return it == g_palettes.end() ? std::vector<PALETTEENTRY>() : it->second;
}

HPALETTE StockPalette() { return kStockPalette; }
HPALETTE SelectedPalette(HDC dc) { return Dc(dc).palette; }
int StretchMode(HDC dc) { return Dc(dc).mode; }
const std::vector<DibDraw> &DibDraws() { return g_draws; }
void KeepDrawnPixels(bool keep) { g_keep_pixels = keep; }

} // namespace sim

using namespace sim;

HGDIOBJ WINAPI GetStockObject(int object) {
    if (object == DEFAULT_PALETTE)
        return kStockPalette;
    if (object < 0 || object > 19)
        return nullptr;
    // Other stock objects: distinct fixed values, never freed.
    return reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(0x800008 + object * 0x10));
}

HPALETTE WINAPI CreatePalette(const LOGPALETTE *pal) {
    if (ShouldFail("CreatePalette") || !pal)
        return nullptr;
    WORD count = pal->palNumEntries;
    Log("CreatePalette(" + std::to_string(count) + ")");
    // Windows refuses a palette without entries.
    if (count == 0) {
        internal::SetLastErrorCode(87);
        return nullptr;
    }
    PaletteRecord rec;
    rec.handle = static_cast<HPALETTE>(internal::NewHandle());
    rec.version = pal->palVersion;
    // Read the whole entry array as the real call does, so a description
    // shorter than its count is an overrun.
    const PALETTEENTRY *entries = pal->palPalEntry;
    rec.entries.assign(entries, entries + count);
    g_palettes[rec.handle] = rec.entries;
    g_created.push_back(rec);
    LedgerAcquire("palette", rec.handle);
    return rec.handle;
}

HPALETTE WINAPI SelectPalette(HDC dc, HPALETTE pal, BOOL background) {
    if (!dc || !IsPalette(pal)) {
        Log("SelectPalette(invalid)");
        return nullptr;
    }
    DcState &s = Dc(dc);
    HPALETTE prev = s.palette;
    s.palette = pal;
    s.realized = false;
    Log("SelectPalette(" + PaletteName(pal) + (background ? ", background)" : ")"));
    return prev;
}

UINT WINAPI RealizePalette(HDC dc) {
    if (!dc)
        return static_cast<UINT>(-1); // GDI_ERROR
    DcState &s = Dc(dc);
    s.realized = true;
    Log("RealizePalette(" + PaletteName(s.palette) + ")");
    return static_cast<UINT>(PaletteEntries(s.palette).size());
}

int WINAPI SetStretchBltMode(HDC dc, int mode) {
    if (!dc || mode < 1 || mode > 4)
        return 0;
    DcState &s = Dc(dc);
    int prev = s.mode;
    s.mode = mode;
    Log(mode == COLORONCOLOR ? "SetStretchBltMode(COLORONCOLOR)" : "SetStretchBltMode(" + std::to_string(mode) + ")");
    return prev;
}

BOOL WINAPI DeleteObject(HGDIOBJ obj) {
    if (obj == kStockPalette) {
        // Deleting a stock object is allowed and does nothing.
        Log("DeleteObject(stock)");
        return TRUE;
    }
    HPALETTE pal = static_cast<HPALETTE>(obj);
    auto it = g_palettes.find(pal);
    if (it == g_palettes.end()) {
        if (g_deleted.count(pal))
            LedgerRelease("palette", pal); // notes the second delete
        Log("DeleteObject(unknown)");
        return FALSE;
    }
    for (auto &kv : g_dcs) {
        if (kv.second.palette == pal) {
            Log("DeleteObject of a selected palette");
            return FALSE;
        }
    }
    g_palettes.erase(it);
    g_deleted.insert(pal);
    LedgerRelease("palette", pal);
    Log("DeleteObject(palette)");
    return TRUE;
}

int WINAPI SetDIBitsToDevice(HDC dc, int xdst, int ydst, DWORD width, DWORD height, int xsrc, int ysrc,
                             UINT startscan, UINT lines, const void *bits, const BITMAPINFO *info, UINT usage) {
    if (!dc || !bits || !info)
        return 0;
    const unsigned char *head = reinterpret_cast<const unsigned char *>(info);
    DibDraw rec{};
    rec.dc = dc;
    rec.xDest = xdst;
    rec.yDest = ydst;
    rec.width = width;
    rec.height = height;
    rec.xSrc = xsrc;
    rec.ySrc = ysrc;
    rec.startScan = startscan;
    rec.lines = lines;
    rec.usage = usage;
    rec.bits = bits;
    rec.info = info;
    DcState &s = Dc(dc);
    rec.palette = s.palette;
    rec.realized = s.realized;
    rec.colours = PaletteEntries(s.palette);

    // The header: the core form or an information header of 40 to 124 bytes.
    DWORD size = info->bmiHeader.biSize;
    long long w, h;
    unsigned bitcount, compression = BI_RGB;
    unsigned long long colours;
    unsigned entry = usage == DIB_RGB_COLORS ? 4 : 2;
    unsigned long long masks = 0;
    if (size == 12) {
        std::string core(reinterpret_cast<const char *>(head), 12);
        const BITMAPCOREHEADER *c = reinterpret_cast<const BITMAPCOREHEADER *>(core.data());
        w = c->bcWidth;
        h = c->bcHeight;
        bitcount = c->bcBitCount;
        colours = bitcount <= 8 ? (1ull << bitcount) : 0;
        if (usage == DIB_RGB_COLORS)
            entry = 3;
    } else if (size >= 40 && size <= 124) {
        std::string whole(reinterpret_cast<const char *>(head), size);
        std::memcpy(&rec.header, whole.data(), sizeof rec.header);
        w = rec.header.biWidth;
        h = rec.header.biHeight;
        bitcount = rec.header.biBitCount;
        compression = rec.header.biCompression;
        if (rec.header.biClrUsed)
            colours = rec.header.biClrUsed < 256 ? rec.header.biClrUsed : 256;
        else
            colours = bitcount <= 8 ? (1ull << bitcount) : 0;
        // Bit fields: the three masks where the colour table would start
        // (inside a larger header), and no colour table (seen so in Wine's
        // GDI, which copies only the masks).
        if (compression == BI_BITFIELDS) {
            masks = size == 40 ? 12 : 0;
            colours = 0;
        }
    } else {
        Log("SetDIBitsToDevice(bad header)");
        return 0;
    }
    if (bitcount != 1 && bitcount != 4 && bitcount != 8 && bitcount != 16 && bitcount != 24 && bitcount != 32) {
        Log("SetDIBitsToDevice(bad bit count)");
        return 0;
    }
    if (w <= 0 || h == 0) {
        Log("SetDIBitsToDevice(bad size)");
        return 0;
    }
    rec.colourTable.assign(reinterpret_cast<const char *>(head) + size, masks + colours * entry);

    unsigned long long rows = 0;
    const char *src = static_cast<const char *>(bits);
    if (compression == BI_RGB || compression == BI_BITFIELDS) {
        unsigned long long row = ((static_cast<unsigned long long>(bitcount) * w + 31) / 32) * 4;
        unsigned long long total = h < 0 ? -h : h;
        rows = startscan < total ? total - startscan : 0;
        if (lines < rows)
            rows = lines;
        g_surface.assign(src + startscan * row, rows * row);
    } else if (compression == BI_RLE8 || compression == BI_RLE4) {
        // The run-length decoder stays within biSizeImage bytes of input.
        if (h < 0 || (compression == BI_RLE8 && bitcount != 8) || (compression == BI_RLE4 && bitcount != 4)) {
            Log("SetDIBitsToDevice(bad compressed bitmap)");
            return 0;
        }
        g_surface.assign(src, rec.header.biSizeImage);
        rows = static_cast<unsigned long long>(h);
        if (lines < rows)
            rows = lines;
    } else {
        // JPEG and PNG pass only to printers; a display refuses them unread.
        Log("SetDIBitsToDevice(unsupported compression)");
        return 0;
    }
    if (g_keep_pixels)
        rec.pixels = g_surface;
    g_draws.push_back(rec);
    Log("SetDIBitsToDevice");
    return static_cast<int>(rows);
}
