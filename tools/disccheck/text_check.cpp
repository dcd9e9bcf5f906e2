// The launcher's texts: what [Texts] of install.ini gives, its placeholders
// and access keys, and whether every caption fits its button and every
// message its box, with the names the disc gives filled in by the launcher's
// own code.
#include "disccheck_internal.h"

#include <string>
#include <vector>

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

std::string Key(int which) { return "[Texts] " + std::string(kTextKeys[which]); }

// The access key of a caption (the character after its first lone "&"),
// letters of Windows-1252 in upper case; 0 when it has none.
unsigned char AccessKey(const std::string &caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(caption[i + 1]);
        if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
            c = static_cast<unsigned char>(c - 0x20);
        return c;
    }
    return 0;
}

// A message with the names filled in as the launcher fills them in.
std::string Filled(const std::string &text, const char *const *values) {
    std::vector<char> buffer(MESSAGE_SIZE);
    FillInText(buffer.data(), MESSAGE_SIZE, text.c_str(), values);
    return buffer.data();
}

void CheckPlaceholders(Report &r, int which, const std::string &text) {
    for (size_t open = text.find('{'); open != std::string::npos; open = text.find('{', open + 1)) {
        size_t close = text.find('}', open);
        if (close == std::string::npos)
            break;
        std::string name = text.substr(open + 1, close - open - 1);
        if (name.empty() || name.find('{') != std::string::npos)
            continue;
        int place = -1;
        for (int p = 0; p < PlaceholderCount; ++p)
            if (Lower(name) == Lower(kPlaceholderNames[p]))
                place = p;
        std::string shown = "{" + name + "}";
        if (IsCaption(which)) {
            if (place >= 0)
                r.Warning("install.ini: " + Key(which) + " " + Quote(text) + ": the launcher fills in " + shown +
                          " only in the three messages; in a caption it shows as it stands");
        } else if (place < 0) {
            r.Warning("install.ini: " + Key(which) + " holds " + shown + ", which the launcher does not know, so it "
                      "shows as it stands; it fills in {ProductName}, {First}, {Second}, {Incomplete} and {Runnable}");
        } else if ((place == PlaceIncomplete || place == PlaceRunnable) && which != TextOneIncomplete) {
            r.Warning("install.ini: " + Key(which) + " holds " + shown + ", which the launcher fills in only in "
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
                unsigned char key = AccessKey(Text(view, x));
                if (!key || key != AccessKey(Text(view, y)) || (view.texts[x].empty() && view.texts[y].empty()))
                    continue;
                bool again = false;
                for (const auto &t : told)
                    again = again || (t.first == x && t.second == y);
                if (again)
                    continue;
                told.push_back({x, y});
                r.Warning("install.ini: " + Key(x) + " " + Quote(Text(view, x)) + " and " + kTextKeys[y] + " " +
                          Quote(Text(view, y)) + " have the same access key in " + d.name + ": Alt+" +
                          std::string(1, static_cast<char>(key)) +
                          " then moves between the two buttons instead of pressing one; give each its own \"&\" "
                          "letter");
            }
    }
}

void CheckCaptionFits(Report &r, const DiscView &view, bool two) {
    for (int which = 0; which < CaptionCount; ++which) {
        if (which == TextRepairCaption)
            continue; // a message box's title, which Windows shortens with "..."
        std::string shown = Shown(Text(view, which));
        std::vector<std::string> misfits;
        int widest = 0, room = 0;
        bool on_splash = which == TextInstall || which == TextRun || which == TextCancel;
        if (on_splash && TextWidth(shown, Font::System) > kSplashButtonWidth - 2 * kButtonMargin) {
            misfits.push_back("the splash (" + Num(kSplashButtonWidth) + " pixels, System font)");
            widest = TextWidth(shown, Font::System);
            room = kSplashButtonWidth - 2 * kButtonMargin;
        }
        int choice = DialogX(kChoiceButtonWidth);
        if (two && which != TextRepairCaption && TextWidth(shown, Font::SansSerif8) > choice - 2 * kButtonMargin) {
            misfits.push_back(std::string(which == TextRunFirst || which == TextRunSecond ? "the two-products dialog"
                                          : which == TextCancel ? "both choice dialogs"
                                                                : "the repair-or-run dialog") +
                              " (" + Num(choice) + " pixels, MS Sans Serif 8 point)");
            if (!widest) {
                widest = TextWidth(shown, Font::SansSerif8);
                room = choice - 2 * kButtonMargin;
            }
        }
        if (misfits.empty())
            continue;
        std::string where = misfits[0] + (misfits.size() > 1 ? " and in " + misfits[1] : "");
        r.Warning("install.ini: " + Key(which) + " " + Quote(Text(view, which)) + " is " + Num(widest) +
                  " pixels wide, and its button in " + where + " leaves " + Num(room) +
                  " for it: Windows cuts it off at both ends; shorten it");
    }
}

// A message in a choice dialog's fixed box: word-wrapped and cut off at
// the box's bottom edge.
void CheckMessageFits(Report &r, const DiscView &view, const std::string &dialog, int which, const std::string &message,
                      const int box[2], const std::string &names) {
    int width = DialogX(box[0]);
    int fits = DialogY(box[1]) / LineHeight(Font::SansSerif8);
    std::vector<std::string> lines = WrapText(Shown(message), width, Font::SansSerif8);
    if (static_cast<int>(lines.size()) <= fits)
        return;
    std::string last = lines[static_cast<size_t>(fits) - 1];
    std::string shorten = view.texts[which].empty()
                              ? std::string(which == TextBothInstalled ? "[INSTALL] ProductName" : "the ProgramName") +
                                    ", or word the message with [Texts] " + kTextKeys[which]
                              : "[Texts] " + std::string(kTextKeys[which]) + " or the names it holds";
    r.Warning("install.ini: " + dialog + "'s message needs " + Num(static_cast<long long>(lines.size())) +
              " lines, and its box (" + Num(box[0]) + " x " + Num(box[1]) + " dialog units, MS Sans Serif 8 point) "
              "shows " + Num(fits) + ": Windows cuts it off after " + Quote(last) + names + "; shorten " + shorten + ": " +
              Quote(message));
}

} // namespace

void CheckTexts(Report &r, const DiscView &view) {
    const std::string &config = view.paths.config;
    bool any = false;
    std::vector<ProfileKey> listed = KeysOf("Texts", config);
    for (int which = 0; which < TextCount; ++which) {
        bool given = false;
        for (const ProfileKey &k : listed)
            given = given || (k.has_value && Lower(k.name) == Lower(kTextKeys[which]));
        if (!given)
            continue;
        std::string raw = Profile("Texts", kTextKeys[which], config);
        size_t capacity = IsCaption(which) ? CAPTION_SIZE : TEXT_SIZE;
        if (raw.empty())
            r.Warning("install.ini: " + Key(which) + " is empty: the launcher shows its own " +
                      Quote(kDefaultTexts[which]));
        if (raw.size() > capacity - 1)
            r.Error("install.ini: " + Key(which) + " is " + Num(static_cast<long long>(raw.size())) +
                    " characters long; the launcher reads only the first " + Num(static_cast<long long>(capacity - 1)) +
                    ": " + Quote(raw.substr(0, capacity - 1)));
        CheckPlaceholders(r, which, view.texts[which]);
        any = any || !view.texts[which].empty();
    }

    bool two = !view.sections[0].empty() && !view.sections[1].empty();
    CheckAccessKeys(r, view, two);
    if (!RoughFit().empty())
        r.Info("install.ini: " + RoughFit());
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
    if (!any)
        return;

    const std::string lead = "install.ini: the disc's texts: ";
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
