// The launch decision: every pair of statuses with every answer the user
// (or a failed dialog) can give, and how programs are started.
#include <cstring>
#include <string>
#include <vector>

#include "dialogs.h"
#include "launcher.h"
#include "ids.h"
#include "sim_fixture.h"

namespace {

const char kRepair[] = "Setup is incomplete. Would you like to reinstall now?";
const char kAlphaBroken[] = "Alpha Setup is incomplete. You can reinstall it by pressing <Install> button. "
                            "Or you can run Beta by pressing <Run> button.";
const char kBetaBroken[] = "Beta Setup is incomplete. You can reinstall it by pressing <Install> button. "
                           "Or you can run Alpha by pressing <Run> button.";
const char kTwo[] = "You have 2 Orchard tests installed. Would you like to run the Paper or Computer Adaptive Test?";

const InstallStatus NI = NotInstalled, I = Installed, X = Incomplete;
enum Started { None, Installer, First, Second };
const INT_PTR kNoAnswer = -100;

struct Shown {
    const char *templ;
    const char *param;
};

struct DecisionCase {
    InstallStatus s1, s2;
    std::vector<INT_PTR> answers; // one per dialog, in order
    int box_answer;               // kNoAnswer: no message box expected
    std::vector<Shown> shown;
    Started started;
};

class Decision : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        Prepare();
    }
    void Prepare() {
        std::memset(&p1_, 0, sizeof p1_);
        std::memset(&p2_, 0, sizeof p2_);
        std::strcpy(p1_.programName, "Alpha");
        std::strcpy(p1_.commandLine, "C:\\ALPHA\\RUN.EXE /paper");
        std::strcpy(p2_.programName, "Beta");
        std::strcpy(p2_.commandLine, "C:\\BETA\\CAT.EXE");
        std::memset(&paths_, 0, sizeof paths_);
        std::strcpy(paths_.installer, "E:\\setup.exe");
        std::memset(g_launcher.message, 'J', sizeof g_launcher.message);
        g_launcher.instance = reinterpret_cast<HINSTANCE>(0x400000);
    }
    ProductEntry p1_, p2_;
    LauncherPaths paths_;
};

TEST_F(Decision, EveryCellAndEveryAnswer) {
    const DecisionCase cases[] = {
        // Nothing installed: offer to install.
        {NI, NI, {1}, kNoAnswer, {{"LAUNCHER", "&Install"}}, Installer},
        {NI, NI, {0}, kNoAnswer, {{"LAUNCHER", "&Install"}}, None},
        {NI, NI, {-1}, kNoAnswer, {{"LAUNCHER", "&Install"}}, Installer},
        // One product installed: run it.
        {NI, I, {1}, kNoAnswer, {{"LAUNCHER", "&Run"}}, Second},
        {NI, I, {0}, kNoAnswer, {{"LAUNCHER", "&Run"}}, None},
        {NI, I, {-1}, kNoAnswer, {{"LAUNCHER", "&Run"}}, Second},
        {I, NI, {1}, kNoAnswer, {{"LAUNCHER", "&Run"}}, First},
        {I, NI, {0}, kNoAnswer, {{"LAUNCHER", "&Run"}}, None},
        {I, NI, {-1}, kNoAnswer, {{"LAUNCHER", "&Run"}}, First},
        // Both installed: splash, then the choice between them.
        {I, I, {1, 101}, kNoAnswer, {{"LAUNCHER", "&Run"}, {"RunRun", kTwo}}, First},
        {I, I, {1, 102}, kNoAnswer, {{"LAUNCHER", "&Run"}, {"RunRun", kTwo}}, Second},
        {I, I, {1, 2}, kNoAnswer, {{"LAUNCHER", "&Run"}, {"RunRun", kTwo}}, None},
        {I, I, {1, 7}, kNoAnswer, {{"LAUNCHER", "&Run"}, {"RunRun", kTwo}}, None},
        {I, I, {1, -1}, kNoAnswer, {{"LAUNCHER", "&Run"}, {"RunRun", kTwo}}, None},
        {I, I, {-1, 102}, kNoAnswer, {{"LAUNCHER", "&Run"}, {"RunRun", kTwo}}, Second},
        {I, I, {0}, kNoAnswer, {{"LAUNCHER", "&Run"}}, None},
        // One incomplete, the other runnable: repair or run, no splash.
        {I, X, {101}, kNoAnswer, {{"InstallRun", kBetaBroken}}, Installer},
        {I, X, {102}, kNoAnswer, {{"InstallRun", kBetaBroken}}, First},
        {I, X, {2}, kNoAnswer, {{"InstallRun", kBetaBroken}}, None},
        {I, X, {-1}, kNoAnswer, {{"InstallRun", kBetaBroken}}, None},
        {X, I, {101}, kNoAnswer, {{"InstallRun", kAlphaBroken}}, Installer},
        {X, I, {102}, kNoAnswer, {{"InstallRun", kAlphaBroken}}, Second},
        {X, I, {2}, kNoAnswer, {{"InstallRun", kAlphaBroken}}, None},
        {X, I, {1}, kNoAnswer, {{"InstallRun", kAlphaBroken}}, None},
        // Incomplete and nothing runnable: the message box alone.
        {X, NI, {}, IDYES, {}, Installer},
        {X, NI, {}, IDNO, {}, None},
        {NI, X, {}, IDYES, {}, Installer},
        {NI, X, {}, IDNO, {}, None},
        {X, X, {}, IDYES, {}, Installer},
        {X, X, {}, IDNO, {}, None},
        {X, X, {}, 0, {}, None}, // the box could not be shown
    };
    for (const DecisionCase &c : cases) {
        sim::Reset();
        Prepare();
        std::string label = "S1=" + std::to_string(c.s1) + " S2=" + std::to_string(c.s2) + " answers";
        for (INT_PTR a : c.answers) {
            sim::QueueDialogResult(a);
            label += " " + std::to_string(static_cast<long long>(a));
        }
        if (c.box_answer != kNoAnswer)
            sim::QueueMessageBoxAnswer(c.box_answer);

        DecideAndLaunch(c.s1, c.s2, &p1_, &p2_, "Orchard", &paths_);

        const auto &dialogs = sim::Dialogs();
        ASSERT_EQ(dialogs.size(), c.shown.size()) << label;
        for (size_t k = 0; k < dialogs.size(); ++k) {
            EXPECT_EQ(dialogs[k].templ, c.shown[k].templ) << label;
            EXPECT_TRUE(dialogs[k].scripted) << label;
            EXPECT_FALSE(dialogs[k].has_owner) << label;
            EXPECT_EQ(dialogs[k].instance, g_launcher.instance) << label;
            bool splash = dialogs[k].templ == "LAUNCHER";
            EXPECT_EQ(dialogs[k].proc, splash ? &SplashDlgProc : &ChoiceDlgProc) << label;
            EXPECT_STREQ(reinterpret_cast<const char *>(dialogs[k].param), c.shown[k].param) << label;
        }
        if (c.box_answer == kNoAnswer) {
            EXPECT_TRUE(sim::MessageBoxes().empty()) << label;
        } else {
            ASSERT_EQ(sim::MessageBoxes().size(), 1u) << label;
            EXPECT_EQ(sim::MessageBoxes()[0].text, kRepair);
            EXPECT_EQ(sim::MessageBoxes()[0].caption, "CD Launcher");
            EXPECT_EQ(sim::MessageBoxes()[0].type, (UINT)MB_YESNO);
            EXPECT_FALSE(sim::MessageBoxes()[0].has_owner);
        }
        const char *expected = c.started == Installer    ? "E:\\setup.exe"
                               : c.started == First  ? "C:\\ALPHA\\RUN.EXE /paper"
                               : c.started == Second ? "C:\\BETA\\CAT.EXE"
                                                     : nullptr;
        if (!expected) {
            EXPECT_TRUE(sim::Starts().empty()) << label;
        } else {
            ASSERT_EQ(sim::Starts().size(), 1u) << label;
            EXPECT_EQ(sim::Starts()[0].api, "WinExec") << label;
            EXPECT_EQ(sim::Starts()[0].file, expected) << label;
            EXPECT_EQ(sim::Starts()[0].show, SW_SHOW) << label;
        }
    }
}

TEST_F(Decision, MessagesFitWithTheLongestNames) {
    std::string name(127, 'N');
    std::strcpy(p1_.programName, name.c_str());
    std::strcpy(p2_.programName, std::string(127, 'M').c_str());
    sim::QueueDialogResult(2);
    DecideAndLaunch(X, I, &p1_, &p2_, name.c_str(), &paths_);
    std::string message = g_launcher.message;
    EXPECT_EQ(message.size(), std::strlen(kAlphaBroken) - 5 - 4 + 127 + 127);
    EXPECT_EQ(message.find(std::string(127, 'N')), 0u);

    sim::QueueDialogResult(1);
    sim::QueueDialogResult(2);
    DecideAndLaunch(I, I, &p1_, &p2_, name.c_str(), &paths_);
    EXPECT_EQ(std::string(g_launcher.message), "You have 2 " + name +
                                                   " tests installed. Would you like to run the Paper or "
                                                   "Computer Adaptive Test?");
    // A per-cent sign in a name is text, not a format.
    sim::QueueDialogResult(1);
    sim::QueueDialogResult(2);
    DecideAndLaunch(I, I, &p1_, &p2_, "100%s", &paths_);
    EXPECT_NE(std::string(g_launcher.message).find("You have 2 100%s tests"), std::string::npos);
}

// The disc's own wording for every dialog, set for one test and taken
// away again, however the test ends.
struct Wording {
    Wording(const std::vector<std::string> &captions, const std::vector<std::string> &messages) {
        std::memset(&g_texts, 0, sizeof g_texts);
        for (size_t i = 0; i < captions.size(); ++i)
            std::strcpy(g_texts.texts[i], captions[i].c_str());
        for (size_t i = 0; i < messages.size(); ++i)
            std::strcpy(g_texts.texts[CaptionCount + i], messages[i].c_str());
    }
    ~Wording() { std::memset(&g_texts, 0, sizeof g_texts); }
};

struct WordedCase {
    InstallStatus s1, s2;
    std::vector<INT_PTR> answers;
    int box_answer;
    std::vector<Shown> shown;
    std::vector<std::string> buttons; // the captions given to 101, 102 and Cancel of the choice shown
    Started started;
};

TEST_F(Decision, TheDiscsWordingInEveryDialog) {
    const char kDeTwo[] = "Auf diesem Computer sind Alpha und Beta installiert. Welches Programm m\xF6" "chten Sie starten?";
    const char kDeBroken[] = "Beta ist unvollst\xE4ndig: <Installieren> installiert Beta neu, <Starten> \xF6" "ffnet Alpha.";
    Wording wording({"&Installieren", "&Starten", "&Abbrechen", "&Grammatik", "&W\xF6rterbuch", "Orchard Setup"},
                    {"Auf diesem Computer sind {First} und {Second} installiert. Welches Programm m\xF6" "chten Sie "
                     "starten?",
                     "{incomplete} ist unvollst\xE4ndig: <Installieren> installiert {Incomplete} neu, <Starten> "
                     "\xF6" "ffnet {Runnable}.",
                     "{ProductName}: {First} oder {Second} ist unvollst\xE4ndig. Neu installieren?"});
    const std::vector<std::string> run_run = {"&Grammatik", "&W\xF6rterbuch", "&Abbrechen"};
    const std::vector<std::string> install_run = {"&Installieren", "&Starten", "&Abbrechen"};
    const WordedCase cases[] = {
        {NI, NI, {1}, kNoAnswer, {{"LAUNCHER", "&Installieren"}}, {}, Installer},
        {NI, I, {1}, kNoAnswer, {{"LAUNCHER", "&Starten"}}, {}, Second},
        {I, I, {1, 102}, kNoAnswer, {{"LAUNCHER", "&Starten"}, {"RunRun", kDeTwo}}, run_run, Second},
        {I, X, {102}, kNoAnswer, {{"InstallRun", kDeBroken}}, install_run, First},
        {I, X, {101}, kNoAnswer, {{"InstallRun", kDeBroken}}, install_run, Installer},
        {X, X, {}, IDYES, {}, {}, Installer},
    };
    for (const WordedCase &c : cases) {
        sim::Reset();
        Prepare();
        sim::SetDialogTemplateTitle("RunRun", "Brindlemark");
        std::string label = "S1=" + std::to_string(c.s1) + " S2=" + std::to_string(c.s2);
        for (INT_PTR a : c.answers)
            sim::QueueDialogResult(a);
        if (c.box_answer != kNoAnswer)
            sim::QueueMessageBoxAnswer(c.box_answer);

        DecideAndLaunch(c.s1, c.s2, &p1_, &p2_, "Orchard", &paths_);

        const auto &dialogs = sim::Dialogs();
        ASSERT_EQ(dialogs.size(), c.shown.size()) << label;
        for (size_t k = 0; k < dialogs.size(); ++k) {
            EXPECT_EQ(dialogs[k].templ, c.shown[k].templ) << label;
            EXPECT_STREQ(reinterpret_cast<const char *>(dialogs[k].param), c.shown[k].param) << label;
        }
        if (!c.buttons.empty()) {
            const sim::Window *choice = sim::FindWindowRecord(dialogs.back().hwnd);
            ASSERT_NE(choice, nullptr) << label;
            EXPECT_EQ(choice->item_text.at(IDC_FIRST_CHOICE), c.buttons[0]) << label;
            EXPECT_EQ(choice->item_text.at(IDC_SECOND_CHOICE), c.buttons[1]) << label;
            EXPECT_EQ(choice->item_text.at(IDCANCEL), c.buttons[2]) << label;
        }
        // Only while a choice dialog is up does it take the disc's captions.
        EXPECT_EQ(g_texts.choiceFirst, 0) << label;
        if (c.box_answer != kNoAnswer) {
            ASSERT_EQ(sim::MessageBoxes().size(), 1u) << label;
            EXPECT_EQ(sim::MessageBoxes()[0].text, "Orchard: Alpha oder Beta ist unvollst\xE4ndig. Neu installieren?");
            EXPECT_EQ(sim::MessageBoxes()[0].caption, "Orchard Setup");
            EXPECT_EQ(sim::MessageBoxes()[0].type, (UINT)MB_YESNO);
        }
        const char *expected = c.started == Installer ? "E:\\setup.exe"
                               : c.started == First   ? "C:\\ALPHA\\RUN.EXE /paper"
                                                      : "C:\\BETA\\CAT.EXE";
        ASSERT_EQ(sim::Starts().size(), 1u) << label;
        EXPECT_EQ(sim::Starts()[0].file, expected) << label;
    }

    // A disc that words only some texts keeps the launcher's own for the rest,
    // and leaves the template's buttons alone.
    std::memset(&g_texts, 0, sizeof g_texts);
    std::strcpy(g_texts.texts[TextRunSecond], "&Adaptive");
    sim::Reset();
    Prepare();
    sim::QueueDialogResult(1);
    sim::QueueDialogResult(2);
    DecideAndLaunch(I, I, &p1_, &p2_, "Orchard", &paths_);
    ASSERT_EQ(sim::Dialogs().size(), 2u);
    EXPECT_STREQ(reinterpret_cast<const char *>(sim::Dialogs()[0].param), "&Run");
    EXPECT_STREQ(reinterpret_cast<const char *>(sim::Dialogs()[1].param), kTwo);
    const sim::Window *choice = sim::FindWindowRecord(sim::Dialogs()[1].hwnd);
    ASSERT_NE(choice, nullptr);
    EXPECT_EQ(choice->item_text.size(), 2u); // the message and "&Adaptive"
    EXPECT_EQ(choice->item_text.at(IDC_SECOND_CHOICE), "&Adaptive");
    EXPECT_EQ(choice->item_text.count(IDC_FIRST_CHOICE), 0u);
}

struct FillCase {
    const char *text;
    const char *expected;
    UINT codepage = 1252;
    int size = 64;
};

TEST_F(Decision, PlaceholdersAreFilledInNeverFormatted) {
    const char *values[PlaceholderCount] = {"Orchard", "Alpha", "Beta", nullptr, "Runner"};
    const FillCase cases[] = {
        {"{Second} vor {First}, {ProductName}", "Beta vor Alpha, Orchard"},
        {"{first}{FIRST}{fIrSt}", "AlphaAlphaAlpha"},
        // No value, or no such name: the text stays as it stands.
        {"{Incomplete} {Runnable} {Unknown} {Product Name}", "{Incomplete} Runner {Unknown} {Product Name}"},
        {"100%s %n%x%% {First%s}", "100%s %n%x%% {First%s}"},
        {"{{First}} {First {First", "{Alpha} {First {First"},
        {"{}{", "{}{"},
        {"", ""},
        // Code page 932: \x83\x7B (ボ) and \x83\x7D (マ) end in '{' and '}'.
        {"\x83\x7B" "First} \x83\x7B{First}", "\x83\x7B" "First} \x83\x7B" "Alpha", 932},
        {"{First\x83\x7D {First}\x83\x7D", "{First\x83\x7D Alpha\x83\x7D", 932},
        // The same bytes in 1252 are two characters each.
        {"\x83\x7B" "First}", "\x83" "Alpha"},
        // A cut never leaves half a character; a lone first byte stays alone.
        {"ab\x95\x5C", "ab", 932, 4},
        {"ab\x95\x5C", "ab\x95", 1252, 4},
    };
    for (const FillCase &c : cases) {
        char buffer[64];
        sim::SetCodePage(c.codepage);
        std::memset(buffer, 'J', sizeof buffer);
        FillInText(buffer, c.size, c.text, values);
        EXPECT_STREQ(buffer, c.expected) << c.text;
    }
    sim::SetCodePage(1252);
    // Cut where the buffer ends, a name included, and always terminated.
    char small[8];
    std::memset(small, 'J', sizeof small);
    FillInText(small, sizeof small, "ab{ProductName}", values);
    EXPECT_STREQ(small, "abOrcha");
    // The longest message with the longest names many times over: cut at
    // the message buffer, never beyond it.
    std::string name(127, 'N');
    const char *longest[PlaceholderCount] = {name.c_str(), name.c_str(), name.c_str(), name.c_str(), name.c_str()};
    std::string text;
    while (text.size() + 7 <= 511)
        text += "{First}";
    std::memset(g_launcher.message, 'J', sizeof g_launcher.message);
    FillInText(g_launcher.message, MESSAGE_SIZE, text.c_str(), longest);
    EXPECT_EQ(std::string(g_launcher.message), std::string(MESSAGE_SIZE - 1, 'N'));
}

struct StartCase {
    std::string line;
    BOOL installer;
    UINT winexec_result;
    const char *winexec;    // null: the line as given
    const char *shell_file; // null: no second try
    const char *shell_params;
    const char *fails = nullptr; // a call of the shell's loading that fails
};

TEST_F(Decision, FailedStartIsTriedOnceMoreThroughTheShell) {
    // A program with blanks in its path, and a file where the path first
    // breaks at a blank, which Windows would run given the path unquoted.
    WriteFile("c/Program Files/Orchard/run.exe", "MZ");
    WriteFile("c/Program", "MZ");
    // Unquoted lines of 509 to 511 characters whose program has a blank:
    // with the program quoted they take 511 to 513, which still fit.
    const std::string program = "C:\\Program Files\\Orchard\\run.exe";
    std::string longest[3], quoted[3];
    for (int i = 0; i < 3; ++i) {
        longest[i] = program + " /" + std::string(509 + i - program.size() - 2, 'x');
        quoted[i] = "\"" + program + "\"" + longest[i].substr(program.size());
    }
    // The longest installer path: the shell gets it whole.
    const std::string installer = "E:\\" + std::string(511 - 13, 'D') + "\\setup.exe";
    const StartCase cases[] = {
        {"C:\\PROD\\RUN.EXE /X", FALSE, 33, nullptr, nullptr, nullptr},
        {"C:\\PROD\\RUN.EXE /X", FALSE, 32, nullptr, nullptr, nullptr},
        {"C:\\PROD\\RUN.EXE /X", FALSE, 31, nullptr, "C:\\PROD\\RUN.EXE", "/X"},
        {"C:\\PROD\\RUN.EXE /X", FALSE, 0, nullptr, "C:\\PROD\\RUN.EXE", "/X"},
        {"C:\\PROD\\RUN.EXE", FALSE, 2, nullptr, "C:\\PROD\\RUN.EXE", nullptr},
        {"\"C:\\Program Files\\Orchard\\run.exe\" /x /y", FALSE, 5, nullptr, "C:\\Program Files\\Orchard\\run.exe",
         "/x /y"},
        // Unquoted: the program found whole goes inside quotes.
        {"C:\\Program Files\\Orchard\\run.exe  /x /y", FALSE, 5, "\"C:\\Program Files\\Orchard\\run.exe\" /x /y",
         "C:\\Program Files\\Orchard\\run.exe", "/x /y"},
        {"C:\\Program Files\\Orchard\\run.exe", FALSE, 33, "\"C:\\Program Files\\Orchard\\run.exe\"", nullptr,
         nullptr},
        {"E:\\setup.exe", TRUE, 5, nullptr, "E:\\setup.exe", nullptr},
        // The installer path is one file name, blanks and all.
        {"E:\\My Disc\\setup.exe", TRUE, 2, "\"E:\\My Disc\\setup.exe\"", "E:\\My Disc\\setup.exe", nullptr},
        {"", FALSE, 2, nullptr, nullptr, nullptr},
        {longest[0], FALSE, 33, quoted[0].c_str(), nullptr, nullptr},
        {longest[1], FALSE, 33, quoted[1].c_str(), nullptr, nullptr},
        {longest[2], FALSE, 2, quoted[2].c_str(), program.c_str(), longest[2].c_str() + program.size() + 1},
        {installer, TRUE, 5, nullptr, installer.c_str(), nullptr},
        // A quoted line goes to Windows exactly as recorded, never quoted again.
        {"\"C:\\Program Files\\Orchard\\run.exe\"  /x", FALSE, 33, nullptr, nullptr, nullptr},
        {"\"C:\\Program Files\\Orchard\\run.exe\"\t/x", FALSE, 33, nullptr, nullptr, nullptr},
        // The shell cannot be had: nothing more is started, nothing is left loaded.
        {"C:\\PROD\\RUN.EXE /X", FALSE, 5, nullptr, nullptr, nullptr, "LoadLibraryExA"},
        {"C:\\PROD\\RUN.EXE /X", FALSE, 5, nullptr, nullptr, nullptr, "GetProcAddress"},
        {"C:\\PROD\\RUN.EXE /X", FALSE, 5, nullptr, nullptr, nullptr, "GetSystemDirectoryA"},
    };
    for (const StartCase &c : cases) {
        SCOPED_TRACE(c.line.substr(0, 60) + " " + std::to_string(c.winexec_result) + (c.fails ? c.fails : ""));
        sim::Reset();
        sim::MapDrive('C', DRIVE_FIXED, Scratch() + "/c");
        sim::SetWinExecResult(c.winexec_result);
        if (c.fails)
            sim::FailCall(c.fails);
        StartProgram(c.line.c_str(), c.installer);
        const auto &starts = sim::Starts();
        // The shell is loaded only for the second try, from the system
        // folder by its full path, and released again.
        bool retried = c.winexec_result < 32 && !c.line.empty();
        EXPECT_EQ(sim::LibraryLoads(), retried && (!c.fails || std::strcmp(c.fails, "GetSystemDirectoryA"))
                                           ? std::vector<std::string>{"C:\\WINDOWS\\SYSTEM32\\SHELL32.DLL"}
                                           : std::vector<std::string>{});
        EXPECT_EQ(sim::Outstanding("library"), 0) << sim::LedgerReport();
        EXPECT_TRUE(sim::LedgerErrors().empty()) << sim::LedgerReport();
        if (c.line.empty()) {
            EXPECT_TRUE(starts.empty());
            continue;
        }
        ASSERT_EQ(starts.size(), c.shell_file ? 2u : 1u);
        EXPECT_EQ(starts[0].api, "WinExec");
        EXPECT_EQ(starts[0].file, c.winexec ? c.winexec : c.line);
        EXPECT_EQ(starts[0].show, SW_SHOW);
        if (!c.shell_file)
            continue;
        EXPECT_EQ(starts[1].api, "ShellExecuteA");
        EXPECT_EQ(starts[1].verb, "open");
        EXPECT_EQ(starts[1].file, c.shell_file);
        EXPECT_EQ(starts[1].null_params, c.shell_params == nullptr);
        if (c.shell_params)
            EXPECT_EQ(starts[1].params, c.shell_params);
        EXPECT_EQ(starts[1].show, SW_SHOW);
        EXPECT_FALSE(starts[1].has_owner);
        EXPECT_TRUE(starts[1].dir.empty());
    }
}

} // namespace
