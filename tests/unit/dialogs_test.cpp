// The splash and choice dialog procedures on the simulated window manager:
// the splash window's size and place, its run-time buttons, what each
// command does, the captions, and the repaint path.
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "bmp_writer.h"
#include "dialogs.h"
#include "dib_fixture.h"
#include "launcher.h"
#include "ids.h"

namespace {

const char kBitmapPath[] = "D:\\LAUNCH\\Launcher.bmp";
HINSTANCE Module() { return reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000)); }

class DialogTest : public DibTest {
protected:
    void SetUp() override {
        DibTest::SetUp();
        // Junk first, so a field the dialogs should not read shows up.
        std::memset(&g_launcher, 'J', sizeof g_launcher);
        g_launcher.instance = Module();
        g_launcher.productName[0] = 0;
        std::strcpy(g_launcher.paths.bitmap, kBitmapPath);
        sim::SetDialogTemplateTitle("LAUNCHER", "CD AutoPlay Launcher");
        sim::SetDialogTemplateTitle("RUNRUN", "Brindlemark");
        sim::SetDialogTemplateTitle("INSTALLRUN", "Vantorel");
    }

    // borderY < 0: the vertical border as wide as the horizontal one.
    void Screen(int width, int height, int border = 1, int captionHeight = 18, int borderY = -1) {
        sim::SetSystemMetric(SM_CXSCREEN, width);
        sim::SetSystemMetric(SM_CYSCREEN, height);
        sim::SetSystemMetric(SM_CXBORDER, border);
        sim::SetSystemMetric(SM_CYBORDER, borderY < 0 ? border : borderY);
        sim::SetSystemMetric(SM_CYCAPTION, captionHeight);
    }

    void PutBitmap(int width, int height) { PutFile(bmp::File(bmp::Simple(8, width, height))); }

    // Runs a dialog to its end with the scripted user; returns the result.
    INT_PTR Run(const char *templ, DLGPROC proc, const char *param, const std::vector<WORD> &ids) {
        sim::QueueDialogCommands(ids);
        return DialogBoxParamA(Module(), templ, 0, proc, reinterpret_cast<LPARAM>(param));
    }

    static sim::Window *LastDialog() {
        return sim::Dialogs().empty() ? nullptr : sim::FindWindowRecord(sim::Dialogs().back().hwnd);
    }

    static int Count(const std::string &prefix) {
        int n = 0;
        for (const std::string &e : sim::Events())
            if (e.compare(0, prefix.size(), prefix) == 0)
                ++n;
        return n;
    }
};

// ---- Splash geometry

struct Geometry {
    const char *label;
    int screenWidth, screenHeight, border, captionHeight;
    int bitmapWidth, bitmapHeight; // 0: no Launcher.bmp
    bool builtIn;                  // the DEFAULT resource is in the module
    int x, y, width, height;       // the window
    int actionX, cancelX, rowY;    // the buttons
    int borderY = -1;              // the vertical border, when it differs
};

const Geometry kGeometries[] = {
    // The built-in 300 x 144 bitmap on a 640 x 480 screen.
    {"built-in on 640x480", 640, 480, 1, 18, 0, 0, true, 169, 158, 302, 164, 33, 166, 99},
    // Nothing measurable: the 275 x 357 fallback; 261.5 and 111.5 truncate.
    {"fallback on 800x600", 800, 600, 1, 18, 0, 0, false, 261, 111, 277, 377, 25, 150, 312},
    // Wider than the screen: -2.5 truncates toward zero, not down.
    {"643 wide on 640", 640, 480, 1, 18, 643, 100, false, -2, 180, 645, 120, 147, 394, 55},
    {"645 wide on 640", 640, 480, 1, 18, 645, 100, false, -3, 180, 647, 120, 148, 396, 55},
    // Taller than the screen: a negative y as well.
    {"taller than the screen", 640, 480, 1, 18, 300, 501, false, 169, -20, 302, 521, 33, 166, 456},
    // x0 = -1/3 truncates to 0; x0 = -100/3 to -33.
    {"199 wide", 640, 480, 1, 18, 199, 144, false, 219, 158, 201, 164, 0, 100, 99},
    {"100 wide", 640, 480, 1, 18, 100, 144, false, 269, 158, 102, 164, -33, 34, 99},
    // Under 45 pixels high: the button row starts above the client area.
    {"40 high", 640, 480, 1, 18, 300, 40, false, 169, 210, 302, 60, 33, 166, -5},
    // Each metric counts on its own: borders 3, caption 25.
    {"thick frame, 1024x768", 1024, 768, 3, 25, 400, 300, false, 309, 218, 406, 331, 66, 232, 255},
    // A Launcher.bmp wins over the built-in bitmap.
    {"file over built-in", 800, 600, 1, 18, 400, 300, true, 199, 140, 402, 320, 66, 232, 255},
    // Borders 1 wide and 2 high: each side takes its own.
    {"borders 1 by 2", 800, 600, 1, 18, 400, 300, false, 199, 139, 402, 322, 66, 232, 255, 2},
};

void PrintTo(const Geometry &g, std::ostream *os) { *os << g.label; }

class SplashGeometry : public DialogTest, public ::testing::WithParamInterface<Geometry> {};

TEST_P(SplashGeometry, SizesCentresAndPlacesTheButtons) {
    const Geometry &g = GetParam();
    Screen(g.screenWidth, g.screenHeight, g.border, g.captionHeight, g.borderY);
    if (g.bitmapWidth)
        PutBitmap(g.bitmapWidth, g.bitmapHeight);
    if (g.builtIn)
        LoadDefaultResource();

    ASSERT_EQ(Run("LAUNCHER", SplashDlgProc, "&Install", {IDCANCEL}), 0);
    sim::Window *dlg = LastDialog();
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(dlg->moved);
    EXPECT_TRUE(dlg->repaint);
    EXPECT_EQ(dlg->x, g.x);
    EXPECT_EQ(dlg->y, g.y);
    EXPECT_EQ(dlg->width, g.width);
    EXPECT_EQ(dlg->height, g.height);

    struct Button {
        const char *text;
        int id;
        DWORD style;
        int x;
    } const expected[] = {{"&Install", IDOK, 0x50000001, g.actionX}, {"&Cancel", IDCANCEL, 0x50000000, g.cancelX}};
    std::vector<sim::Window *> buttons = sim::Children(dlg->hwnd);
    ASSERT_EQ(buttons.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(expected[i].text);
        EXPECT_EQ(buttons[i]->cls, "button");
        EXPECT_EQ(buttons[i]->text, expected[i].text);
        EXPECT_EQ(buttons[i]->id, expected[i].id);
        EXPECT_EQ(buttons[i]->style, expected[i].style);
        EXPECT_EQ(buttons[i]->exstyle, 0u);
        EXPECT_EQ(buttons[i]->x, expected[i].x);
        EXPECT_EQ(buttons[i]->y, g.rowY);
        EXPECT_EQ(buttons[i]->width, 100);
        EXPECT_EQ(buttons[i]->height, 30);
        EXPECT_EQ(buttons[i]->instance, Module());
    }
}

INSTANTIATE_TEST_SUITE_P(Table, SplashGeometry, ::testing::ValuesIn(kGeometries),
                         [](const ::testing::TestParamInfo<Geometry> &info) {
                             std::string name;
                             for (const char *p = info.param.label; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

TEST_F(DialogTest, SplashMeasuresTheBitmapOnceAndKeepsNothingOpen) {
    PutBitmap(400, 300);
    ASSERT_EQ(Run("LAUNCHER", SplashDlgProc, "&Run", {IDOK}), 1);
    // One open of the file for the size; no repaint happened.
    ASSERT_EQ(sim::FileOpens().size(), 1u);
    EXPECT_EQ(sim::FileOpens()[0].path, kBitmapPath);
    EXPECT_EQ(Count("SetDIBitsToDevice"), 0);
    EXPECT_EQ(sim::Outstanding(), 0) << sim::LedgerReport();
}

TEST_F(DialogTest, SplashFallsBackWhenTheBuiltInBitmapIsMissingToo) {
    // A file that is no bitmap, and no resource: the 275 x 357 fallback.
    PutFile("not a bitmap at all, just text");
    Screen(640, 480);
    ASSERT_EQ(Run("LAUNCHER", SplashDlgProc, "&Run", {IDCANCEL}), 0);
    sim::Window *dlg = LastDialog();
    EXPECT_EQ(dlg->width, 277);
    EXPECT_EQ(dlg->height, 377);
    EXPECT_EQ(dlg->x, 181);
    EXPECT_EQ(dlg->y, 51);
    EXPECT_EQ(sim::Children(dlg->hwnd).size(), 2u);
}

TEST_F(DialogTest, SplashWorksWithoutItsButtons) {
    // Neither button can be made: the dialog still comes up and Esc ends it.
    sim::FailAlways("CreateWindowExA");
    LoadDefaultResource();
    ASSERT_EQ(Run("LAUNCHER", SplashDlgProc, "&Run", {IDCANCEL}), 0);
    EXPECT_TRUE(sim::Children(LastDialog()->hwnd).empty());
    EXPECT_TRUE(LastDialog()->moved);
}

// ---- Commands

struct Command {
    WORD id;
    WORD code;
    bool ends;
    INT_PTR splashResult; // what the splash dialog ends with
};

const Command kCommands[] = {
    {IDOK, 0, true, 1},     {IDCANCEL, 0, true, 0},  {IDOK, 1, true, 1},    {IDCANCEL, 0xFFFF, true, 0},
    {0, 0, false, 0},       {3, 0, false, 0},        {IDC_FIRST_CHOICE, 0, false, 0},
    {IDC_SECOND_CHOICE, 0, false, 0},                {IDC_MESSAGE, 0, false, 0},
    {0xFFFF, 0, false, 0},  {0x0101, 0, false, 0}, // 257: 1 in its low byte only
};

TEST_F(DialogTest, SplashCommands) {
    LoadDefaultResource();
    for (const Command &c : kCommands) {
        SCOPED_TRACE(testing::Message() << "id " << c.id << " code " << c.code);
        INT_PTR handled = -7;
        sim::QueueDialogScript([&](HWND dlg, DLGPROC proc) {
            handled = sim::Send(dlg, proc, WM_COMMAND, MAKEWPARAM(c.id, c.code), 0);
            if (!sim::FindWindowRecord(dlg)->ended)
                EndDialog(dlg, 77); // the test's own marker: still open
        });
        INT_PTR result = DialogBoxParamA(Module(), "LAUNCHER", 0, SplashDlgProc, (LPARAM) "&Run");
        EXPECT_EQ(handled, TRUE);
        EXPECT_EQ(result, c.ends ? c.splashResult : 77);
    }
}

TEST_F(DialogTest, ChoiceCommandsEndWithTheCommandId) {
    const WORD ids[] = {IDC_FIRST_CHOICE, IDC_SECOND_CHOICE, IDCANCEL, IDOK, 0, IDC_MESSAGE, 0xFFFF, 0x8001};
    const WORD codes[] = {0, 1, 0xFFFF};
    for (const char *templ : {"RUNRUN", "INSTALLRUN"})
        for (WORD id : ids)
            for (WORD code : codes) {
                SCOPED_TRACE(testing::Message() << templ << " id " << id << " code " << code);
                INT_PTR handled = -7;
                sim::QueueDialogScript([&](HWND dlg, DLGPROC proc) {
                    handled = sim::Send(dlg, proc, WM_COMMAND, MAKEWPARAM(id, code), 0);
                });
                INT_PTR result = DialogBoxParamA(Module(), templ, 0, ChoiceDlgProc, (LPARAM) "message");
                EXPECT_EQ(handled, TRUE);
                EXPECT_EQ(result, static_cast<INT_PTR>(id));
            }
}

TEST_F(DialogTest, OtherMessagesAreLeftToTheDialogManager) {
    LoadDefaultResource();
    const UINT messages[] = {WM_CLOSE, WM_ERASEBKGND, 0x0200 /* mouse move */, 0x0201 /* button down */,
                             0x0100 /* key down */, 0x0000};
    struct {
        const char *templ;
        DLGPROC proc;
    } const dialogs[] = {{"LAUNCHER", SplashDlgProc}, {"RUNRUN", ChoiceDlgProc}, {"INSTALLRUN", ChoiceDlgProc}};
    for (const auto &d : dialogs)
        for (UINT m : messages) {
            SCOPED_TRACE(testing::Message() << d.templ << " message " << m);
            INT_PTR handled = -7;
            bool ended = true;
            sim::QueueDialogScript([&](HWND dlg, DLGPROC proc) {
                handled = sim::Send(dlg, proc, m, 1, 1);
                ended = sim::FindWindowRecord(dlg)->ended;
                EndDialog(dlg, 5);
            });
            EXPECT_EQ(DialogBoxParamA(Module(), d.templ, 0, d.proc, (LPARAM) "&Run"), 5);
            EXPECT_EQ(handled, FALSE);
            EXPECT_FALSE(ended);
        }
    // The choice procedure paints nothing: WM_PAINT is the dialog manager's.
    sim::QueueDialogScript([&](HWND dlg, DLGPROC proc) {
        EXPECT_EQ(sim::Send(dlg, proc, WM_PAINT, 0, 0), FALSE);
        EndDialog(dlg, 2);
    });
    DialogBoxParamA(Module(), "RUNRUN", 0, ChoiceDlgProc, (LPARAM) "m");
    EXPECT_EQ(Count("BeginPaint"), 0);
}

// ---- Captions and the message

TEST_F(DialogTest, CaptionsAndMessage) {
    struct {
        const char *product;
        const char *templ;
        DLGPROC proc;
        const char *caption;
        const char *cancel = ""; // the disc's [Texts] Cancel
    } const cases[] = {
        {"", "LAUNCHER", SplashDlgProc, "CD AutoPlay Launcher"},
        {"", "RUNRUN", ChoiceDlgProc, "Brindlemark"},
        {"", "INSTALLRUN", ChoiceDlgProc, "Vantorel"},
        {"Harbour Tests 2", "LAUNCHER", SplashDlgProc, "Harbour Tests 2"},
        {"Harbour Tests 2", "RUNRUN", ChoiceDlgProc, "Harbour Tests 2"},
        {"Harbour Tests 2", "INSTALLRUN", ChoiceDlgProc, "Harbour Tests 2"},
        {" ", "RUNRUN", ChoiceDlgProc, " "},
        // The disc's wording of the splash's own button; a choice dialog
        // shown outside the launch decision keeps its template's buttons.
        {"Harbour Tests 2", "LAUNCHER", SplashDlgProc, "Harbour Tests 2", "&Abbrechen"},
        {"Harbour Tests 2", "RUNRUN", ChoiceDlgProc, "Harbour Tests 2", "&Abbrechen"},
    };
    LoadDefaultResource();
    const char message[] = "You have 2 & tests installed.";
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.templ << " '" << c.product << "'");
        std::strcpy(g_launcher.productName, c.product);
        sim::Reset();
        LoadDefaultResource();
        sim::SetDialogTemplateTitle("LAUNCHER", "CD AutoPlay Launcher");
        sim::SetDialogTemplateTitle("RUNRUN", "Brindlemark");
        sim::SetDialogTemplateTitle("INSTALLRUN", "Vantorel");
        std::strcpy(g_texts.texts[TextCancel], c.cancel);
        EXPECT_EQ(Run(c.templ, c.proc, c.proc == ChoiceDlgProc ? message : "&Run", {IDCANCEL}),
                  c.proc == ChoiceDlgProc ? IDCANCEL : 0);
        g_texts.texts[TextCancel][0] = 0;
        // TRUE: the dialog manager puts the focus on the first button.
        EXPECT_EQ(sim::Dialogs().back().init_result, TRUE);
        sim::Window *dlg = LastDialog();
        EXPECT_EQ(dlg->text, c.caption);
        EXPECT_EQ(Count("SetWindowTextA"), c.product[0] ? 1 : 0);
        if (c.proc == ChoiceDlgProc) {
            ASSERT_EQ(dlg->item_text.size(), 1u);
            EXPECT_EQ(dlg->item_text[IDC_MESSAGE], message);
            EXPECT_FALSE(dlg->moved); // the dialog manager centres these
            EXPECT_TRUE(sim::Children(dlg->hwnd).empty());
        } else {
            std::vector<sim::Window *> buttons = sim::Children(dlg->hwnd);
            ASSERT_EQ(buttons.size(), 2u);
            EXPECT_EQ(buttons[0]->text, "&Run");
            EXPECT_EQ(buttons[1]->text, c.cancel[0] ? c.cancel : "&Cancel");
        }
    }
}

// ---- Repaints

TEST_F(DialogTest, EveryRepaintDrawsTheFileAfreshAtTheOrigin) {
    PutBitmap(320, 200);
    std::vector<HDC> paintDcs;
    sim::QueueDialogScript([&](HWND dlg, DLGPROC proc) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(sim::Send(dlg, proc, WM_PAINT, 0, 0), FALSE);
            EXPECT_EQ(sim::Outstanding(), 0) << sim::LedgerReport(); // nothing kept between repaints
        }
        sim::Send(dlg, proc, WM_COMMAND, IDOK, 0);
    });
    ASSERT_EQ(DialogBoxParamA(Module(), "LAUNCHER", 0, SplashDlgProc, (LPARAM) "&Run"), 1);
    // Once for the size, once per repaint.
    EXPECT_EQ(sim::FileOpens().size(), 4u);
    ASSERT_EQ(sim::DibDraws().size(), 3u);
    for (const sim::DibDraw &d : sim::DibDraws()) {
        EXPECT_EQ(d.xDest, 0);
        EXPECT_EQ(d.yDest, 0);
        EXPECT_EQ(d.width, 320u);
        EXPECT_EQ(d.height, 200u);
        EXPECT_TRUE(d.realized);
    }
    EXPECT_EQ(Count("BeginPaint"), 3);
    EXPECT_EQ(Count("EndPaint"), 3);
    // The bitmap's own palette goes in as a foreground palette every time.
    EXPECT_EQ(Count("SelectPalette(palette)"), 3);
    EXPECT_EQ(Count("SelectPalette(palette, background)"), 0);
}

TEST_F(DialogTest, ARepaintAfterTheFileGoesBadDrawsTheBuiltInBitmapUnresized) {
    LoadDefaultResource();
    PutBitmap(400, 300);
    sim::QueueDialogScript([&](HWND dlg, DLGPROC proc) {
        sim::Send(dlg, proc, WM_PAINT, 0, 0);
        PutFile("BM broken");
        sim::Send(dlg, proc, WM_PAINT, 0, 0);
        RemoveFile("LAUNCH/Launcher.bmp");
        sim::Send(dlg, proc, WM_PAINT, 0, 0);
        sim::Send(dlg, proc, WM_COMMAND, IDCANCEL, 0);
    });
    ASSERT_EQ(DialogBoxParamA(Module(), "LAUNCHER", 0, SplashDlgProc, (LPARAM) "&Run"), 0);
    sim::Window *dlg = LastDialog();
    EXPECT_EQ(dlg->width, 402);
    EXPECT_EQ(dlg->height, 320);
    ASSERT_EQ(sim::DibDraws().size(), 3u);
    EXPECT_EQ(sim::DibDraws()[0].width, 400u);
    EXPECT_EQ(sim::DibDraws()[1].width, 300u);
    EXPECT_EQ(sim::DibDraws()[1].height, 144u);
    EXPECT_EQ(sim::DibDraws()[2].width, 300u);
}

TEST_F(DialogTest, ARepaintWithNothingToDrawLeavesTheBackground) {
    sim::QueueDialogScript([&](HWND dlg, DLGPROC proc) {
        EXPECT_EQ(sim::Send(dlg, proc, WM_PAINT, 0, 0), FALSE);
        sim::Send(dlg, proc, WM_COMMAND, IDCANCEL, 0);
    });
    ASSERT_EQ(DialogBoxParamA(Module(), "LAUNCHER", 0, SplashDlgProc, (LPARAM) "&Run"), 0);
    EXPECT_TRUE(sim::DibDraws().empty());
    EXPECT_EQ(Count("BeginPaint"), 1);
    EXPECT_EQ(Count("EndPaint"), 1);
}

} // namespace
