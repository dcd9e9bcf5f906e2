// The launcher's compiled resources, read back from the .res file that the
// resource compiler makes of res/launcher.rc: every field of the three
// dialog templates, the built-in bitmap, the icon group and its icon, and
// the language of each.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ids.h"

namespace {

std::string ReadWhole(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

uint16_t U16(const std::string &s, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(s.at(at)) |
                                 static_cast<unsigned char>(s.at(at + 1)) << 8);
}
uint32_t U32(const std::string &s, size_t at) { return U16(s, at) | static_cast<uint32_t>(U16(s, at + 2)) << 16; }

struct Resource {
    std::string type; // "#n" for a numbered type or name
    std::string name;
    uint16_t language;
    std::string data;
};

// A name or type in a resource header: 0xFFFF and a number, or a
// terminated UTF-16 string (ASCII here).
std::string ReadId(const std::string &s, size_t &at) {
    if (U16(s, at) == 0xFFFF) {
        std::string id = "#" + std::to_string(U16(s, at + 2));
        at += 4;
        return id;
    }
    std::string text;
    for (uint16_t c; (c = U16(s, at)) != 0; at += 2)
        text += static_cast<char>(c);
    at += 2;
    return text;
}

std::vector<Resource> ReadRes(const std::string &file) {
    std::vector<Resource> out;
    size_t at = 0;
    while (at + 8 <= file.size()) {
        uint32_t dataSize = U32(file, at);
        uint32_t headerSize = U32(file, at + 4);
        size_t p = at + 8;
        Resource r;
        r.type = ReadId(file, p);
        r.name = ReadId(file, p);
        p = (p + 3) & ~size_t(3);
        r.language = U16(file, p + 6);
        r.data = file.substr(at + headerSize, dataSize);
        if (dataSize || r.type != "#0") // the .res file's empty lead entry
            out.push_back(r);
        at = (at + headerSize + dataSize + 3) & ~size_t(3);
    }
    return out;
}

// Builds the bytes a standard dialog template must have.
struct Writer {
    std::string b;
    void W16(uint32_t v) {
        b += static_cast<char>(v & 0xFF);
        b += static_cast<char>((v >> 8) & 0xFF);
    }
    void W32(uint32_t v) {
        W16(v & 0xFFFF);
        W16(v >> 16);
    }
    void Text(const char *t) {
        for (; *t; ++t)
            W16(static_cast<unsigned char>(*t));
        W16(0);
    }
    void Align() {
        while (b.size() % 4)
            b += '\0';
    }
};

struct Item {
    uint16_t id;
    uint16_t cls; // predefined class number
    const char *caption;
    uint32_t style;
    int16_t x, y, cx, cy;
};

struct Template {
    const char *name;
    uint32_t style;
    int16_t x, y, cx, cy;
    const char *title;
    const char *font;
    std::vector<Item> items;
};

const uint16_t kButton = 0x0080;
const uint16_t kStatic = 0x0082;

const Template kTemplates[] = {
    {"LAUNCHER", 0x90C800C0, 68, 61, 199, 197, "CD AutoPlay Launcher", "Helv", {}},
    {"RUNRUN",
     0x90C808C0,
     41,
     15,
     172,
     73,
     "Brindlemark",
     "MS Sans Serif",
     {{IDC_FIRST_CHOICE, kButton, "Run &Paper", 0x50010001, 113, 6, 50, 14},
      {IDC_SECOND_CHOICE, kButton, "Run CAT", 0x50010000, 113, 24, 50, 14},
      {2, kButton, "&Cancel", 0x50010000, 113, 42, 50, 14},
      {IDC_MESSAGE, kStatic, "Text", 0x50020000, 7, 7, 97, 61}}},
    {"INSTALLRUN",
     0x90C808C0,
     6,
     15,
     194,
     119,
     "Vantorel",
     "MS Sans Serif",
     {{IDC_FIRST_CHOICE, kButton, "&Install", 0x50010001, 12, 96, 50, 14},
      {IDC_SECOND_CHOICE, kButton, "&Run", 0x50010000, 72, 96, 50, 14},
      {2, kButton, "&Cancel", 0x50010000, 132, 96, 50, 14},
      {IDC_MESSAGE, kStatic, "Text", 0x50020000, 6, 6, 182, 80}}},
};

std::string TemplateBytes(const Template &t) {
    Writer w;
    w.W32(t.style);
    w.W32(0); // extended style
    w.W16(static_cast<uint16_t>(t.items.size()));
    w.W16(static_cast<uint16_t>(t.x));
    w.W16(static_cast<uint16_t>(t.y));
    w.W16(static_cast<uint16_t>(t.cx));
    w.W16(static_cast<uint16_t>(t.cy));
    w.W16(0); // no menu
    w.W16(0); // the dialog class
    w.Text(t.title);
    w.W16(8); // points
    w.Text(t.font);
    for (const Item &i : t.items) {
        w.Align();
        w.W32(i.style);
        w.W32(0);
        w.W16(static_cast<uint16_t>(i.x));
        w.W16(static_cast<uint16_t>(i.y));
        w.W16(static_cast<uint16_t>(i.cx));
        w.W16(static_cast<uint16_t>(i.cy));
        w.W16(i.id);
        w.W16(0xFFFF);
        w.W16(i.cls);
        w.Text(i.caption);
        w.W16(0); // no creation data
    }
    return w.b;
}

class Resources : public ::testing::Test {
protected:
    static void SetUpTestSuite() { res_ = new std::vector<Resource>(ReadRes(ReadWhole(LAUNCHER_RES_FILE))); }
    static void TearDownTestSuite() {
        delete res_;
        res_ = nullptr;
    }

    // The one resource of that type and name; fails the test otherwise.
    static const Resource *Find(const std::string &type, const std::string &name) {
        const Resource *found = nullptr;
        int count = 0;
        for (const Resource &r : *res_)
            if (r.type == type && r.name == name) {
                found = &r;
                ++count;
            }
        EXPECT_EQ(count, 1) << type << " " << name;
        return found;
    }

    static std::vector<Resource> *res_;
};
std::vector<Resource> *Resources::res_;

TEST_F(Resources, ExactlyTheExpectedSetAllInEnglishUs) {
    std::multimap<std::string, std::string> seen;
    for (const Resource &r : *res_) {
        EXPECT_EQ(r.language, 1033) << r.type << " " << r.name;
        seen.emplace(r.type, r.name);
    }
    const std::multimap<std::string, std::string> expected = {
        {"#2", "DEFAULT"}, {"#3", "#1"}, {"#5", "INSTALLRUN"}, {"#5", "LAUNCHER"},
        {"#5", "RUNRUN"},  {"#14", "QLMLOGO"}, {"#24", "#1"},
    };
    EXPECT_EQ(seen, expected);
}

TEST_F(Resources, DialogTemplatesByteForByte) {
    for (const Template &t : kTemplates) {
        SCOPED_TRACE(t.name);
        const Resource *r = Find("#5", t.name);
        ASSERT_NE(r, nullptr);
        std::string want = TemplateBytes(t);
        ASSERT_EQ(r->data.size(), want.size());
        // Field by field first, for a readable failure, then every byte.
        EXPECT_EQ(U32(r->data, 0), t.style);
        EXPECT_EQ(U32(r->data, 4), 0u);
        EXPECT_EQ(U16(r->data, 8), t.items.size());
        EXPECT_NE(U16(r->data, 0), 0xFFFF) << "an extended template";
        for (size_t i = 0; i < want.size(); ++i)
            ASSERT_EQ(static_cast<unsigned char>(r->data[i]), static_cast<unsigned char>(want[i]))
                << "byte " << i;
    }
}

TEST_F(Resources, BuiltInBitmapIsDefaultBmpWithoutItsFileHeader) {
    std::string file = ReadWhole(std::string(LAUNCHER_SOURCE_DIR) + "/res/default.bmp");
    ASSERT_GT(file.size(), 14u);
    const Resource *r = Find("#2", "DEFAULT");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->data.size(), 44264u);
    EXPECT_TRUE(r->data == file.substr(14)) << "the resource differs from res/default.bmp";
    EXPECT_EQ(U32(r->data, 0), 40u);
    EXPECT_EQ(U32(r->data, 4), 300u);
    EXPECT_EQ(U32(r->data, 8), 144u);
}

TEST_F(Resources, IconGroupAndItsOneIcon) {
    const Resource *group = Find("#14", "QLMLOGO");
    ASSERT_NE(group, nullptr);
    // Header: reserved, type 1 (icon), one entry; then the entry.
    const unsigned char want[] = {0, 0, 1, 0, 1, 0,                  // reserved, icon, count
                                  32, 32, 16, 0, 1, 0, 4, 0,          // 32 x 32, 16 colours, planes, bits
                                  0xE8, 0x02, 0, 0, 1, 0};            // 744 bytes, icon id 1
    ASSERT_EQ(group->data.size(), sizeof want);
    for (size_t i = 0; i < sizeof want; ++i)
        EXPECT_EQ(static_cast<unsigned char>(group->data[i]), want[i]) << "byte " << i;

    const Resource *icon = Find("#3", "#1");
    ASSERT_NE(icon, nullptr);
    const std::string &d = icon->data;
    ASSERT_EQ(d.size(), 744u);
    const uint32_t header[] = {40, 32, 64};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(U32(d, 4 * i), header[i]);
    EXPECT_EQ(U16(d, 12), 1);   // planes
    EXPECT_EQ(U16(d, 14), 4);   // bits per pixel
    EXPECT_EQ(U32(d, 16), 0u);  // no compression
    EXPECT_EQ(U32(d, 20), 512u);
    // A real picture: several colours used, and some pixels both opaque and
    // transparent in the mask.
    std::map<int, int> colours;
    for (size_t i = 40 + 64; i < 40 + 64 + 512; ++i) {
        colours[static_cast<unsigned char>(d[i]) >> 4]++;
        colours[static_cast<unsigned char>(d[i]) & 15]++;
    }
    EXPECT_GE(colours.size(), 5u);
    int transparent = 0;
    for (size_t i = 40 + 64 + 512; i < 744; ++i)
        for (int bit = 0; bit < 8; ++bit)
            transparent += (static_cast<unsigned char>(d[i]) >> bit) & 1;
    EXPECT_GT(transparent, 32);
    EXPECT_LT(transparent, 32 * 32 - 256);
    // The same image as the icon file the script names.
    std::string ico = ReadWhole(std::string(LAUNCHER_SOURCE_DIR) + "/res/launcher.ico");
    ASSERT_EQ(ico.size(), 6u + 16u + 744u);
    EXPECT_TRUE(ico.substr(22) == d);
}

} // namespace
