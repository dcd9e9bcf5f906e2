// The launcher's texts: its own, the disc's [Texts], and the language
// section the user's language chooses; the placeholders of its messages.
#ifndef LAUNCHER_TEXTS_H
#define LAUNCHER_TEXTS_H

#include <windows.h>

#define CAPTION_SIZE 64
#define TEXT_SIZE 512
/* "Texts.0415" and its terminator. */
#define LANGUAGE_SECTION_SIZE 11

/* The launcher's texts that [Texts] of install.ini may reword, keyed by
   kTextKeys: the captions first, then the three messages. TextRun follows
   TextInstall, and TextRunSecond TextRunFirst: a choice dialog's two
   buttons. */
enum {
    TextInstall,
    TextRun,
    TextCancel,
    TextRunFirst,
    TextRunSecond,
    TextRepairCaption,
    TextBothInstalled,
    TextOneIncomplete,
    TextRepair,
    TextCount,
    CaptionCount = TextBothInstalled
};
/* What {ProductName}, {First}, {Second}, {Incomplete} and {Runnable} of a
   message stand for, in this order. */
enum { PlaceProductName, PlaceFirst, PlaceSecond, PlaceIncomplete, PlaceRunnable, PlaceholderCount };

extern const char *const kTextKeys[TextCount];
extern const char *const kDefaultTexts[TextCount]; /* the messages with placeholders */
extern const char *const kPlaceholderNames[PlaceholderCount];

struct LauncherTexts {
    /* Empty: the launcher's own. A caption holds up to CAPTION_SIZE - 1
       characters, a message up to TEXT_SIZE - 1. */
    char texts[TextCount][TEXT_SIZE];
    /* While a choice dialog is shown: 1 + the text of its button 101
       (TextInstall or TextRunFirst); button 102 has the next one, and
       Cancel TextCancel. 0 otherwise. */
    int choiceFirst;
    /* The language section the texts come from first ("Texts.0415",
       its digits in upper case); empty when none applies. */
    char section[LANGUAGE_SECTION_SIZE];
};

extern LauncherTexts g_texts;

/* A text as the launcher shows it: the disc's, or the launcher's own. */
const char *DiscText(int which);

/* Copies text into buffer (capacity size, cut where it ends) with each
   placeholder whose value is not null replaced by that value; any other
   "{...}" stays as it stands. The text is never a format. */
void FillInText(char *buffer, int size, const char *text, const char *const *values);
struct LauncherPaths;

/* The user's language: the UI language where Windows has one (2000 and
   later), else the language of Windows itself. */
LANGID UserLanguage(void);

/* The form of a language that stands in for it when a disc has no section
   of its own: SUBLANG_DEFAULT (0x0807 gives 0x0407), but Chinese Simplified
   and Traditional each keep to their own. */
LANGID MainLanguageForm(LANGID language);

/* A CodePage value as a number: its decimal digits, or -1 when it holds
   anything else or passes 999,999. */
int CodePageNumber(const char *value);

/* Chooses the language section of config for the user's language, into
   g_texts.section; then reads the texts (the section's first, then
   [Texts]'s), and the section's ProductName into productName (capacity
   CONFIG_VALUE_SIZE) and its Bitmap into paths->bitmap where they are
   usable. */
void ReadDiscTexts(LauncherPaths *paths, char *productName);

#endif
