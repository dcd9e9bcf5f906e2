// The launcher's texts: what [Texts] of install.ini gives, its placeholders
// and access keys, and whether every caption fits its button and every
// message its box, with the names the disc gives filled in by the launcher's
// own code.
#include "disccheck_internal.h"

#include <string>
#include <vector>

#include "sim.h"

namespace disccheck {
namespace {

// Push buttons leave their edges and a margin free of text.
const int kButtonMargin = 3;
const int kSplashButtonWidth = 100; // pixels
const int kChoiceButtonWidth = 50;  // dialog units
const int kTwoProductsBox[2] = {97, 61};
const int kRepairOrRunBox[2] = {182, 80};

std::string Text(const DiscView &view, int which) {
    return view.texts[which].empty() ? kDefaultTexts[which] : view.texts[which];
}

bool IsCaption(int which) { return which < CaptionCount; }

// The key as findings name it: in the language section that gives it, else in [Texts].
std::string Key(const DiscView &view, int which) {
    return "[" + (view.own_text[which] ? view.text_section : std::string("Texts")) + "] " + kTextKeys[which];
}

// A language section's check leaves what [Texts] gives to [Texts]'s own.
bool Checked(const DiscView &view, int which) { return view.text_section == "Texts" || view.own_text[which]; }

// The access key as the warning names it: the letter as the caption has it
// when it is upper case, else in upper case where the code page has that.
std::string Upper(const std::vector<std::string> &chars, const std::string &key) {
    for (const std::string &c : chars)
        if (c != key && sim::FoldAnsi(c) == key)
            return c;
    std::u32string u = sim::AnsiToUnicode(key);
    if (u.size() == 1 && u[0] < 0x80 && u[0] >= 'a' && u[0] <= 'z')
        return std::string(1, static_cast<char>(u[0] - 0x20));
    if (u.size() == 1 && ((u[0] >= 0xE0 && u[0] <= 0xFE && u[0] != 0xF7) || (u[0] >= 0x3B1 && u[0] <= 0x3CB) ||
                          (u[0] >= 0x430 && u[0] <= 0x44F))) {
        bool lossy = false;
        std::string upper = sim::UnicodeToAnsi(u[0] - 0x20, &lossy);
        if (!lossy)
            return upper;
    }
    return key;
}

// The access key of a caption (the character after its first lone "&", a
// whole character of the disc's code page), folded as Windows matches
// letters without regard to case; empty when it has none.
std::string AccessKey(const std::string &caption) {
    std::vector<std::string> chars = CharsOf(caption);
    for (size_t i = 0; i + 1 < chars.size(); ++i) {
        if (chars[i] != "&")
            continue;
        if (chars[i + 1] == "&") {
            ++i;
            continue;
        }
        return sim::FoldAnsi(chars[i + 1]);
    }
    return "";
}

// A message with the names filled in as the launcher fills them in.
std::string Filled(const std::string &text, const char *const *values) {
    std::vector<char> buffer(MESSAGE_SIZE);
    FillInText(buffer.data(), MESSAGE_SIZE, text.c_str(), values);
    return buffer.data();
}

void CheckPlaceholders(Report &r, const std::string &key, int which, const std::string &text) {
    for (size_t open = FindWhole(text, '{'); open != std::string::npos; open = FindWhole(text, '{', open + 1)) {
        size_t close = FindWhole(text, '}', open);
        if (close == std::string::npos)
            break;
        std::string name = text.substr(open + 1, close - open - 1);
        if (name.empty() || FindWhole(name, '{') != std::string::npos)
            continue;
        int place = -1;
        for (int p = 0; p < PlaceholderCount; ++p)
            if (Lower(name) == Lower(kPlaceholderNames[p]))
                place = p;
        std::string shown = "{" + name + "}";
        if (IsCaption(which)) {
            if (place >= 0)
                r.Warning("install.ini: " + key + " " + Quote(text) + ": the launcher fills in " + shown +
                          " only in the three messages; in a caption it shows as it stands");
        } else if (place < 0) {
            r.Warning("install.ini: " + key + " holds " + shown + ", which the launcher does not know, so it "
                      "shows as it stands; it fills in {ProductName}, {First}, {Second}, {Incomplete} and {Runnable}");
        } else if ((place == PlaceIncomplete || place == PlaceRunnable) && which != TextOneIncomplete) {
            r.Warning("install.ini: " + key + " holds " + shown + ", which the launcher fills in only in "
                      "OneIncompleteText; here it shows as it stands");
        }
    }
}

struct Dialog {
    const char *name;
    std::vector<int> buttons;
    bool needs_two; // shown only when Product names two sections
};

const Dialog kDialogs[] = {
    {"the splash", {TextInstall, TextCancel}, false},
    {"the splash", {TextRun, TextCancel}, false},
    {"the two-products dialog", {TextRunFirst, TextRunSecond, TextCancel}, true},
    {"the repair-or-run dialog", {TextInstall, TextRun, TextCancel}, true},
};

void CheckAccessKeys(Report &r, const DiscView &view, bool two) {
    std::vector<std::pair<int, int>> told;
    for (const Dialog &d : kDialogs) {
        if (d.needs_two && !two)
            continue;
        for (size_t a = 0; a < d.buttons.size(); ++a)
            for (size_t b = a + 1; b < d.buttons.size(); ++b) {
                int x = d.buttons[a], y = d.buttons[b];
                std::string key = AccessKey(Text(view, x));
                if (key.empty() || key != AccessKey(Text(view, y)) || (view.texts[x].empty() && view.texts[y].empty()) ||
                    (!Checked(view, x) && !Checked(view, y)))
                    continue;
                bool again = false;
                for (const auto &t : told)
                    again = again || (t.first == x && t.second == y);
                if (again)
                    continue;
                told.push_back({x, y});
                r.Warning("install.ini: " + Key(view, x) + " " + Quote(Text(view, x)) + " and " +
                          (Key(view, x).substr(0, Key(view, x).find(']')) == Key(view, y).substr(0, Key(view, y).find(']'))
                               ? std::string(kTextKeys[y])
                               : Key(view, y)) +
                          " " +
                          Quote(Text(view, y)) + " have the same access key in " + d.name + ": Alt+" +
                          Upper(CharsOf(Text(view, x)), key) +
                          " then moves between the two buttons instead of pressing one; give each its own \"&\" "
                          "letter");
            }
    }
}

void CheckCaptionFits(Report &r, const DiscView &view, bool two) {
    for (int which = 0; which < CaptionCount; ++which) {
        if (which == TextRepairCaption || !Checked(view, which))
            continue; // a message box's title, which Windows shortens with "..."
        std::string shown = Shown(Text(view, which));
        // Each button it does not fit, with the width in that button's font.
        std::string told;
        bool on_splash = which == TextInstall || which == TextRun || which == TextCancel;
        int wide = TextWidth(shown, Font::System);
        if (on_splash && wide > kSplashButtonWidth - 2 * kButtonMargin)
            told = " is " + Num(wide) + " pixels wide, and its button in the splash (" + Num(kSplashButtonWidth) +
                   " pixels, System font) leaves " + Num(kSplashButtonWidth - 2 * kButtonMargin) + " for it";
        int choice = DialogX(kChoiceButtonWidth);
        wide = TextWidth(shown, Font::SansSerif8);
        if (two && wide > choice - 2 * kButtonMargin) {
            std::string dialog = which == TextRunFirst || which == TextRunSecond ? "the two-products dialog"
                                 : which == TextCancel                          ? "both choice dialogs"
                                                                                : "the repair-or-run dialog";
            std::string room = " leaves " + Num(choice - 2 * kButtonMargin) + " for it";
            told += told.empty() ? " is " + Num(wide) + " pixels wide, and its button in " + dialog + " (" +
                                       Num(choice) + " pixels, MS Sans Serif 8 point)" + room
                                 : "; in MS Sans Serif 8 point it is " + Num(wide) + " pixels wide, and its button "
                                   "in " + dialog + " (" + Num(choice) + " pixels)" + room;
        }
        if (!told.empty())
            r.Warning("install.ini: " + Key(view, which) + " " + Quote(Text(view, which)) + told +
                      ": Windows cuts it off at both ends; shorten it");
    }
}

// A message in a choice dialog's fixed box: word-wrapped and cut off at
// the box's bottom edge.
void CheckMessageFits(Report &r, const DiscView &view, const std::string &dialog, int which, const std::string &message,
                      const int box[2], const std::string &names) {
    int width = DialogX(box[0]);
    int fits = DialogY(box[1]) / LineHeight(Font::SansSerif8);
    std::vector<std::string> lines = WrapText(Shown(message), width, Font::SansSerif8);
    if (static_cast<int>(lines.size()) <= fits || (!Checked(view, which) && !view.own_product_name))
        return;
    std::string last = lines[static_cast<size_t>(fits) - 1];
    std::string shorten = view.texts[which].empty()
                              ? std::string(which == TextBothInstalled ? "[INSTALL] ProductName" : "the ProgramName") +
                                    ", or word the message with [Texts] " + kTextKeys[which]
                              : Key(view, which) + " or the names it holds";
    r.Warning("install.ini: " + dialog + "'s message needs " + Num(static_cast<long long>(lines.size())) +
              " lines, and its box (" + Num(box[0]) + " x " + Num(box[1]) + " dialog units, MS Sans Serif 8 point) "
              "shows " + Num(fits) + ": Windows cuts it off after " + Quote(last) + names + "; shorten " + shorten + ": " +
              Quote(message));
}

} // namespace

void CheckTexts(Report &r, const DiscView &view) {
    const std::string &config = view.paths.config;
    const std::string &section = view.text_section;
    const bool language = section != "Texts";
    bool any = false;
    std::vector<ProfileKey> listed = KeysOf(section.c_str(), config);
    for (int which = 0; which < TextCount; ++which) {
        bool given = false;
        for (const ProfileKey &k : listed)
            given = given || (k.has_value && Lower(k.name) == Lower(kTextKeys[which]));
        if (!given)
            continue;
        std::string raw = Profile(section.c_str(), kTextKeys[which], config);
        size_t capacity = IsCaption(which) ? CAPTION_SIZE : TEXT_SIZE;
        std::string key = "[" + section + "] " + kTextKeys[which];
        if (raw.empty())
            r.Warning("install.ini: " + key + " is empty: the launcher shows " +
                      (language ? Quote(Text(view, which)) + " instead"
                                : "its own " + Quote(kDefaultTexts[which])));
        if (raw.size() > capacity - 1)
            r.Error("install.ini: " + key + " is " + Num(static_cast<long long>(raw.size())) +
                    " characters long; the launcher reads only the first " + Num(static_cast<long long>(capacity - 1)) +
                    ": " + Quote(raw.substr(0, capacity - 1)));
        if (!raw.empty() || !language)
            CheckPlaceholders(r, key, which, view.texts[which]);
        any = any || !view.texts[which].empty();
    }

    bool two = !view.sections[0].empty() && !view.sections[1].empty();
    CheckAccessKeys(r, view, two);
    if (!RoughFit().empty())
        r.Info("install.ini: " + (language ? "[" + section + "]: " : std::string()) + RoughFit());
    CheckCaptionFits(r, view, two);
    const char *values[PlaceholderCount] = {view.product_name.c_str(), view.program_names[0].c_str(),
                                            view.program_names[1].c_str(), nullptr, nullptr};
    std::string both = Filled(Text(view, TextBothInstalled), values);
    std::string one[2];
    for (int broken = 0; broken < 2; ++broken) {
        values[PlaceIncomplete] = view.program_names[broken].c_str();
        values[PlaceRunnable] = view.program_names[1 - broken].c_str();
        one[broken] = Filled(Text(view, TextOneIncomplete), values);
    }
    values[PlaceIncomplete] = values[PlaceRunnable] = nullptr;
    std::string repair = Filled(Text(view, TextRepair), values);
    if (two) {
        CheckMessageFits(r, view, "the two-products dialog", TextBothInstalled, both, kTwoProductsBox,
                         view.texts[TextBothInstalled].empty()
                             ? " (with ProductName " + Quote(view.product_name) + ")"
                             : "");
        // The longer of the two ways round.
        int longer = WrapText(Shown(one[1]), DialogX(kRepairOrRunBox[0]), Font::SansSerif8).size() >
                             WrapText(Shown(one[0]), DialogX(kRepairOrRunBox[0]), Font::SansSerif8).size()
                         ? 1
                         : 0;
        CheckMessageFits(r, view, "the repair-or-run dialog", TextOneIncomplete, one[longer], kRepairOrRunBox,
                         " (product " + Num(longer + 1) + " incomplete)");
    }
    if (!any && !language)
        return;

    const std::string lead = language ? "install.ini: [" + section + "]'s texts: " : "install.ini: the disc's texts: ";
    r.Info(lead + "the splash: " + Quote(Text(view, TextInstall)) + " (nothing installed) or " +
           Quote(Text(view, TextRun)) + ", and " + Quote(Text(view, TextCancel)));
    if (two) {
        r.Info(lead + "the two-products dialog: " + Quote(both) + "; buttons " + Quote(Text(view, TextRunFirst)) +
               ", " + Quote(Text(view, TextRunSecond)) + ", " + Quote(Text(view, TextCancel)));
        r.Info(lead + "the repair-or-run dialog (product 1 incomplete): " + Quote(one[0]) + "; buttons " +
               Quote(Text(view, TextInstall)) + ", " + Quote(Text(view, TextRun)) + ", " +
               Quote(Text(view, TextCancel)));
    }
    r.Info(lead + "the repair message box: " + Quote(repair) + " (caption " + Quote(Text(view, TextRepairCaption)) +
           "); its buttons are Windows' own Yes and No, in the language of Windows");
}

} // namespace disccheck
