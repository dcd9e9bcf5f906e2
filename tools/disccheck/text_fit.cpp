// How wide the dialogs' texts are and how their messages wrap, measured with
// the character widths of the fonts Windows draws them in for the machine's
// ANSI code page.
#include "disccheck_internal.h"

#include <cstdint>
#include <string>
#include <vector>

#include "sim.h"

namespace disccheck {
namespace {

// The widths in pixels of the characters 0x20 to 0xFF of each single-byte
// code page in the bitmap fonts at 96 dots per inch, MS Sans Serif 8 point
// (13 pixels high) and System (16 pixels, bold), read from the character
// tables of Wine's font files for that code page by tools/font_widths.py.
// Control characters take no room.
struct FontTable {
    UINT codepage;
    const char *rough; // why these widths are only an estimate; null when measured
    int base_x;        // the dialog base unit: the 52 letters' average width
    uint8_t sans[224];
    uint8_t system[224];
};
#include "font_widths.inc"

// The double-byte code pages: their fonts draw every double-byte character
// in a full-width cell and every single-byte one in a half-width cell.
struct CellFont {
    UINT codepage;
    const char *script;
};
const CellFont kCellFonts[] = {
    {932, "Japanese"}, {936, "Simplified Chinese"}, {949, "Korean"}, {950, "Traditional Chinese"}};
const int kSansHalf = 6, kSansFull = 12, kSystemHalf = 8, kSystemFull = 16;

const FontTable &Table() {
    for (const FontTable &t : kFontTables)
        if (t.codepage == sim::CodePage())
            return t;
    return kFontTables[0]; // not reached: the tables hold every code page disccheck reads
}

const CellFont *Cells() {
    for (const CellFont &c : kCellFonts)
        if (c.codepage == sim::CodePage())
            return &c;
    return nullptr;
}

int CharWidth(const std::string &text, size_t i, Font font) {
    unsigned char u = static_cast<unsigned char>(text[i]);
    if (u < 0x20)
        return 0;
    if (Cells())
        return CharLength(text, i) == 2 ? (font == Font::System ? kSystemFull : kSansFull)
                                        : (font == Font::System ? kSystemHalf : kSansHalf);
    return (font == Font::System ? Table().system : Table().sans)[u - 0x20];
}

// Dialog base units of MS Sans Serif 8 point: the average width of the 52
// letters, rounded as Windows rounds it, and the height.
int BaseX() { return Cells() ? kSansHalf : Table().base_x; }
const int kBaseY = 13;

int MulDiv(int a, int b, int c) { return (a * b * 2 + c) / (2 * c); }

} // namespace

int LineHeight(Font font) { return font == Font::System ? 16 : 13; }

int DialogX(int units) { return MulDiv(units, BaseX(), 4); }
int DialogY(int units) { return MulDiv(units, kBaseY, 8); }

std::string RoughFit() {
    const CellFont *cells = Cells();
    if (cells)
        return "the widths of the texts in code page " + Num(cells->codepage) + " are estimated with the " +
               cells->script + " fonts' cells (" + Num(kSansHalf) + " pixels a single-byte character and " +
               Num(kSansFull) + " a double-byte one in the choice dialogs, " + Num(kSystemHalf) + " and " +
               Num(kSystemFull) + " on the splash), not measured: a text near the edge of its button or box may "
               "fit where disccheck says it does not, or the reverse; see it under Windows set to that language";
    if (!Table().rough)
        return "";
    return "the widths of the texts in code page " + Num(Table().codepage) + " are estimated (" + Table().rough +
           "), not measured: a text near the edge of its button or box may fit where disccheck says it does not, or "
           "the reverse; see it under Windows set to that language";
}

// Text is walked a character at a time: in the double-byte code pages a
// trail byte may be any byte from 0x40 up, and is never a character of its
// own. An "&" or a blank is always a whole character.
std::string Shown(const std::string &text) {
    std::string out;
    for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&')
                out += text[++i];
            continue;
        }
        out += text.substr(i, CharLength(text, i));
    }
    return out;
}

int TextWidth(const std::string &shown, Font font) {
    int width = 0;
    for (size_t i = 0; i < shown.size(); i += CharLength(shown, i))
        width += CharWidth(shown, i, font);
    return width;
}

// Lines break after blanks and, as the double-byte code pages' text has no
// blanks between words, before and after every double-byte character.
std::vector<std::string> WrapText(const std::string &shown, int width, Font font) {
    std::vector<std::string> lines;
    size_t pos = 0, n = shown.size();
    auto wide = [&](size_t k) { return CharLength(shown, k) == 2; };
    while (pos < n) {
        size_t end = pos, i = pos;
        int used = 0;
        while (i < n) {
            size_t k = i;
            while (k < n && shown[k] == ' ')
                ++k;
            if (k < n && wide(k))
                k += 2;
            else
                while (k < n && shown[k] != ' ' && !wide(k))
                    ++k;
            int w = TextWidth(shown.substr(i, k - i), font);
            if (used + w > width)
                break;
            used += w;
            i = end = k;
        }
        if (end == pos) {
            // A word wider than the line: as much of it as fits, at least one character.
            used = 0;
            while (end < n && (end == pos || used + CharWidth(shown, end, font) <= width)) {
                used += CharWidth(shown, end, font);
                end += CharLength(shown, end);
            }
        }
        lines.push_back(shown.substr(pos, end - pos));
        pos = end;
        while (pos < n && shown[pos] == ' ')
            ++pos;
    }
    return lines;
}

} // namespace disccheck
