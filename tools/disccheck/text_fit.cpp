// How wide the dialogs' texts are and how their messages wrap, measured with
// the character widths of the fonts Windows draws them in.
#include "disccheck_internal.h"

#include <cstdint>
#include <string>
#include <vector>

namespace disccheck {
namespace {

// Widths in pixels of the characters 0x20 to 0xFF (Windows-1252) of the
// bitmap fonts at 96 dots per inch, read from the character tables of the
// font files (sserife.fon, MS Sans Serif 8 point, 13 pixels high; and
// vgasys.fon, System, 16 pixels, bold). Control characters take no room.
const uint8_t kSansSerif8Widths[224] = {
    3, 3, 5, 7, 6, 8, 6, 2, 3, 3, 4, 6, 3, 3, 3, 5,
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 3, 3, 6, 6, 6, 6,
    11, 7, 7, 7, 8, 7, 6, 8, 8, 3, 5, 7, 6, 9, 8, 8,
    7, 8, 8, 7, 7, 8, 7, 11, 7, 7, 7, 3, 5, 3, 6, 6,
    3, 6, 6, 6, 6, 6, 3, 6, 6, 2, 2, 6, 2, 8, 6, 6,
    6, 6, 3, 5, 3, 6, 6, 8, 5, 5, 5, 4, 2, 4, 7, 3,
    6, 3, 3, 3, 5, 6, 5, 5, 3, 11, 7, 6, 10, 3, 7, 3,
    3, 3, 3, 4, 4, 6, 5, 6, 3, 9, 5, 6, 10, 3, 5, 7,
    3, 3, 6, 6, 6, 6, 2, 6, 3, 9, 4, 6, 6, 3, 8, 6,
    4, 6, 3, 3, 3, 6, 6, 3, 3, 3, 4, 6, 8, 8, 8, 6,
    7, 7, 7, 7, 7, 7, 10, 7, 7, 7, 7, 7, 3, 3, 3, 3,
    8, 8, 8, 8, 8, 8, 8, 6, 8, 8, 8, 8, 8, 7, 7, 6,
    6, 6, 6, 6, 6, 6, 10, 6, 6, 6, 6, 6, 2, 4, 4, 4,
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 5, 6, 5,
};
const uint8_t kSystemWidths[224] = {
    4, 4, 6, 8, 8, 11, 9, 4, 4, 4, 6, 8, 4, 4, 4, 4,
    8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 4, 4, 8, 8, 8, 8,
    14, 8, 10, 9, 10, 9, 8, 10, 10, 4, 7, 9, 8, 12, 10, 10,
    9, 10, 10, 9, 8, 10, 8, 14, 9, 10, 9, 4, 4, 4, 5, 8,
    5, 8, 8, 7, 8, 8, 4, 8, 8, 4, 4, 7, 4, 12, 8, 8,
    8, 8, 5, 8, 4, 8, 8, 10, 8, 8, 8, 5, 4, 5, 5, 4,
    4, 4, 5, 4, 6, 8, 10, 10, 4, 15, 9, 8, 4, 4, 9, 4,
    4, 4, 4, 7, 7, 7, 6, 9, 4, 9, 8, 7, 4, 4, 8, 4,
    9, 4, 8, 8, 8, 8, 4, 8, 5, 10, 5, 7, 8, 4, 10, 8,
    5, 8, 4, 4, 5, 8, 7, 4, 5, 4, 5, 7, 11, 11, 11, 8,
    8, 8, 8, 8, 8, 8, 13, 9, 9, 9, 9, 9, 4, 4, 4, 4,
    10, 10, 10, 10, 10, 10, 10, 8, 10, 10, 10, 10, 10, 10, 9, 8,
    8, 8, 8, 8, 8, 8, 12, 7, 8, 8, 8, 8, 4, 4, 4, 4,
    8, 8, 8, 8, 8, 8, 8, 6, 8, 8, 8, 8, 8, 8, 8, 8,
};

int CharWidth(char c, Font font) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20)
        return 0;
    return (font == Font::System ? kSystemWidths : kSansSerif8Widths)[u - 0x20];
}

// Dialog base units of MS Sans Serif 8 point: the average width of the 52
// letters, rounded as Windows rounds it, and the height.
const int kBaseX = 6;
const int kBaseY = 13;

int MulDiv(int a, int b, int c) { return (a * b * 2 + c) / (2 * c); }

} // namespace

int LineHeight(Font font) { return font == Font::System ? 16 : 13; }

int DialogX(int units) { return MulDiv(units, kBaseX, 4); }
int DialogY(int units) { return MulDiv(units, kBaseY, 8); }

std::string Shown(const std::string &text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&')
                out += text[++i];
            continue;
        }
        out += text[i];
    }
    return out;
}

int TextWidth(const std::string &shown, Font font) {
    int width = 0;
    for (char c : shown)
        width += CharWidth(c, font);
    return width;
}

std::vector<std::string> WrapText(const std::string &shown, int width, Font font) {
    std::vector<std::string> lines;
    size_t pos = 0, n = shown.size();
    while (pos < n) {
        size_t end = pos, i = pos;
        int used = 0;
        while (i < n) {
            size_t k = i;
            while (k < n && shown[k] == ' ')
                ++k;
            while (k < n && shown[k] != ' ')
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
            while (end < n && (end == pos || used + CharWidth(shown[end], font) <= width))
                used += CharWidth(shown[end++], font);
        }
        lines.push_back(shown.substr(pos, end - pos));
        pos = end;
        while (pos < n && shown[pos] == ' ')
            ++pos;
    }
    return lines;
}

} // namespace disccheck
