// The launcher's texts: its own, the disc's [Texts] and the language section
// that the user's language chooses, and the placeholders of its messages.
#include "texts.h"

#include "chars.h"
#include "dib.h"
#include "launcher.h"
#include "profile.h"

LauncherTexts g_texts;

// The keys of [Texts], and the launcher's own texts for them: the messages
// with the placeholders it fills in.
// The first three keys are their captions without the "&".
static const char kInstallCaption[] = "&Install";
static const char kRunCaption[] = "&Run";
static const char kCancelCaption[] = "&Cancel";
const char *const kTextKeys[TextCount] = {kInstallCaption + 1, kRunCaption + 1,     kCancelCaption + 1,
                                          "RunFirst",          "RunSecond",         "RepairCaption",
                                          "BothInstalledText", "OneIncompleteText", "RepairText"};
const char *const kDefaultTexts[TextCount] = {
    kInstallCaption,
    kRunCaption,
    kCancelCaption,
    "Run &Paper",
    "Run CAT",
    "CD Launcher",
    "You have 2 {ProductName} tests installed. Would you like to run the Paper or Computer Adaptive Test?",
    ("{Incomplete} Setup is incomplete. You can reinstall it by pressing <Install> button. "
     "Or you can run {Runnable} by pressing <Run> button."),
    "Setup is incomplete. Would you like to reinstall now?"};
const char *const kPlaceholderNames[PlaceholderCount] = {"ProductName", "First", "Second", "Incomplete", "Runnable"};

// "Texts." and the language ID's four hex digits.
static const char kLanguageSection[] = "Texts.%04X";

typedef LANGID(WINAPI *LanguageProc)(void);

const char *DiscText(int which) {
    return g_texts.texts[which][0] ? g_texts.texts[which] : kDefaultTexts[which];
}

void FillInText(char *buffer, int size, const char *text, const char *const *values) {
    int used = 0;

    while (*text && used < size - 1) {
        const char *value = 0;
        int n = 0;
        if (*text == '{')
            for (int i = 0; i < PlaceholderCount && !value; ++i)
                if (values[i] && (n = MatchName(text + 1, kPlaceholderNames[i])) != 0 && text[n + 1] == '}')
                    value = values[i];
        if (!value) {
            // A character at a time: a '{' may be the second byte of one.
            for (const char *next = NextChar(text); text < next && used < size - 1;)
                buffer[used++] = *text++;
            continue;
        }
        while (*value && used < size - 1)
            buffer[used++] = *value++;
        text += n + 2;
    }
    buffer[used] = 0;
    // A cut where the buffer ends keeps no half of a character.
    CutText(buffer, size);
}

LANGID UserLanguage(void) {
    FARPROC uiLanguage = KernelProc("GetUserDefaultUILanguage");
    return uiLanguage ? ((LanguageProc)(AnyProc)uiLanguage)() : GetSystemDefaultLangID();
}

LANGID MainLanguageForm(LANGID language) {
    // Chinese of the PRC and of Singapore is written in Simplified
    // characters, every other Chinese in Traditional ones.
    if ((language & 0x3FF) == LANG_CHINESE)
        return language == 0x0804 || language == 0x1004 ? 0x0804 : 0x0404;
    return (LANGID)((language & 0x3FF) | (SUBLANG_DEFAULT << 10));
}

int CodePageNumber(const char *value) {
    int number = 0;
    for (const char *p = value; *p; ++p) {
        if (*p < '0' || *p > '9' || number > 99999)
            return -1;
        number = number * 10 + *p - '0';
    }
    return number;
}

// The code page the section listed last says it is written in: 0 when it
// names none (or an empty one), -1 when it is not a number.
static int DeclaredCodePage(const char *section, const char *config) {
    char value[CAPTION_SIZE];

    if (ReadOption(section, "CodePage", value, CAPTION_SIZE, config) <= 0)
        return 0;
    return CodePageNumber(value);
}

// The first section, of the language and then of its main form, that the
// disc has and that is written in the system's code page (its own CodePage,
// else [INSTALL]'s; a disc that names none is taken at its word).
static void ChooseLanguage(const char *config) {
    char *section = g_texts.section;
    LANGID language;

    // The user's language is asked for only on a disc with a section of
    // some language.
    for (const char *entry = ListKeys(0, config);; entry += lstrlenA(entry) + 1) {
        if (!*entry) {
            section[0] = 0;
            return;
        }
        if (MatchName(entry, "Texts.") == 6)
            break;
    }
    language = UserLanguage();
    for (int i = 0; i < 2; ++i, language = MainLanguageForm(language)) {
        int codePage;
        // A section without keys has nothing to show.
        wsprintfA(section, kLanguageSection, language);
        if (!*ListKeys(section, config))
            continue;
        codePage = DeclaredCodePage(section, config);
        if (!codePage) {
            ListKeys("INSTALL", config);
            codePage = DeclaredCodePage("INSTALL", config);
        }
        if (!codePage || codePage == (int)GetACP())
            return;
    }
    section[0] = 0;
}

// A picture of the section's own, in the launcher's folder, in place of
// Launcher.bmp: a plain name of a file the bitmap reader takes.
static void PlaceBitmap(LauncherPaths *paths, const char *name) {
    char path[MAX_PATH];
    HGLOBAL dib;

    if (InstallerProblem(name) || FindLastChar(name, '\\') || FindLastChar(name, '/') || !paths->bitmap[0])
        return;
    lstrcpyA(path, paths->bitmap);
    if (!PlaceName(path, MAX_PATH, FindLastChar(path, '\\') + 1, name) || !(dib = OpenDibFile(path)))
        return;
    FreeDib(dib);
    lstrcpyA(paths->bitmap, path);
}

// The texts a section words that are not worded yet.
static void ReadTexts(const char *section, const char *config) {
    ListKeys(section, config);
    for (int i = 0; i < TextCount; ++i)
        if (!g_texts.texts[i][0])
            ReadOption(section, kTextKeys[i], g_texts.texts[i], i < CaptionCount ? CAPTION_SIZE : TEXT_SIZE, config);
}

void ReadDiscTexts(LauncherPaths *paths, char *productName) {
    const char *config = paths->config;
    const char *section = g_texts.section;
    char value[MAX_PATH];

    ChooseLanguage(config);
    if (section[0]) {
        ReadTexts(section, config);
        if (ReadOption(section, "ProductName", value, CONFIG_VALUE_SIZE, config) > 0)
            lstrcpyA(productName, value);
        if (ReadOption(section, "Bitmap", value, MAX_PATH, config) > 0)
            PlaceBitmap(paths, value);
    }
    // What the section leaves out, or leaves empty, [Texts] words.
    ReadTexts("Texts", config);
}
