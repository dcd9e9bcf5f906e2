// install.ini's language sections, [Texts.XXXX]: which language and code
// page each is for, its texts in that code page checked as [Texts]'s are,
// the keys it leaves to [Texts], and its own picture.
#include "disccheck_internal.h"

#include <windows.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "chars.h"
#include "launcher.h"
#include "sim.h"
#include "texts.h"

namespace disccheck {
namespace {

const char kPrefix[] = "texts.";

std::string LanguageName(const LanguageSection &s) {
    const Language *l = FindLanguage(s.id);
    return l ? l->name : "no language";
}

// Where a section's code page comes from, as findings name it.
std::string CodePageSource(const LanguageSection &s) {
    return s.own_codepage ? "[" + s.section + "] CodePage=" + s.codepage_text
                          : "[" + s.section + "] takes [INSTALL] CodePage=" + s.codepage_text + ", which";
}

void CheckCodePage(Report &r, const LanguageSection &s) {
    const Language *l = FindLanguage(s.id);
    std::string where = CodePageSource(s);
    if (!s.is_number) {
        r.Warning("install.ini: " + where + " is not a number: the launcher never shows this section");
        return;
    }
    if (s.codepage_text.empty() || !l)
        return;
    UINT known = 0;
    if (s.own_codepage && !ParseCodePage(s.codepage_text, &known))
        r.Warning("install.ini: [" + s.section + "] CodePage=" + s.codepage_text + ": " +
                  UnknownCodePage(s.codepage_text) + "; its texts are read in " + CodePageName(DiscCodePage()));
    if (l->codepage == 0)
        r.Info("install.ini: [" + s.section + "]: " + l->name + " has no ANSI code page of its own (Windows runs it "
               "in Unicode only): the launcher shows this section where the machine's ANSI code page is " +
               s.codepage_text);
    else if (s.codepage != l->codepage)
        r.Warning("install.ini: " + where + " is not " + l->name + "'s usual ANSI code page, " + Num(l->codepage) +
                  ": the launcher shows this section only where the machine's ANSI code page is " + s.codepage_text);
}

void CheckSectionBitmap(Report &r, const DiscView &view, const LanguageSection &s) {
    const std::string &config = view.paths.config;
    std::string name = AsRead(Profile(s.section.c_str(), "Bitmap", config), MAX_PATH);
    if (name.empty())
        return;
    std::string key = "install.ini: [" + s.section + "] Bitmap=" + name;
    std::string folder = config.substr(0, LastWhole(config, '\\') + 1);
    if (InstallerProblem(name.c_str()) != InstallerFine || FindWhole(name, '\\') != std::string::npos ||
        FindWhole(name, '/') != std::string::npos) {
        r.Warning(key + " is not a plain file name in the launcher's folder: the launcher refuses it and shows "
                  "Launcher.bmp");
        return;
    }
    if (folder.size() + name.size() > MAX_PATH - 1) {
        r.Warning(key + " makes a path of " + Num(static_cast<long long>(folder.size() + name.size())) +
                  " characters with the launcher's folder, over the launcher's " + Num(MAX_PATH - 1) +
                  ": it refuses it and shows Launcher.bmp");
        return;
    }
    std::string path = folder + name;
    std::string host = sim::HostPath(path.c_str());
    if (host.empty() || !IsRegularFile(host)) {
        r.Warning(key + " is missing from the launcher's folder: the launcher shows Launcher.bmp");
        return;
    }
    long size[2] = {0, 0};
    std::string refusal = BitmapRefusal(path, host, size);
    if (!refusal.empty()) {
        r.Warning(key + " is refused by the launcher's reader: " + refusal + "; the launcher shows Launcher.bmp");
        return;
    }
    CheckBitmap(r, name, path, host);
    long base[2] = {0, 0};
    std::string base_host = sim::HostPath(view.paths.bitmap);
    if (view.paths.bitmap[0] == 0 || !IsRegularFile(base_host) ||
        !BitmapRefusal(view.paths.bitmap, base_host, base).empty())
        return; // the built-in picture, whose size no author chose
    if (size[0] != base[0] || size[1] != base[1])
        r.Warning(key + " is " + Num(size[0]) + " x " + Num(size[1]) + " pixels and Launcher.bmp " + Num(base[0]) +
                  " x " + Num(base[1]) + ": the splash window and its buttons move on the machines that show this "
                  "section; make both the same size");
}

// The view of the disc a machine that shows the section has: its texts, and
// [Texts]'s where it gives none.
DiscView SectionView(const DiscView &view, const LanguageSection &s) {
    DiscView v = view;
    v.text_section = s.section;
    for (int which = 0; which < TextCount; ++which) {
        std::string text = AsRead(Profile(s.section.c_str(), kTextKeys[which], view.paths.config),
                                  which < CaptionCount ? CAPTION_SIZE : TEXT_SIZE);
        if (!text.empty()) {
            v.texts[which] = text;
            v.own_text[which] = true;
        }
    }
    std::string name = AsRead(Profile(s.section.c_str(), "ProductName", view.paths.config), CONFIG_VALUE_SIZE);
    if (!name.empty()) {
        v.product_name = name;
        v.own_product_name = true;
    }
    return v;
}

void CheckSection(Report &r, const DiscView &view, const LanguageSection &s) {
    const std::string &config = view.paths.config;
    const Language *l = FindLanguage(s.id);
    std::string codepage = !s.is_number     ? "code page " + Quote(s.codepage_text)
                           : s.codepage == 0 ? std::string("no code page")
                                             : "code page " + Num(s.codepage);
    std::string from = s.own_codepage            ? "its CodePage"
                       : !s.codepage_text.empty() ? "[INSTALL] CodePage"
                       : s.codepage              ? "the language's usual one; the section names none, so it shows "
                                                   "whatever the machine's code page"
                                                 : "the section names none, so it shows whatever the machine's "
                                                   "code page";
    r.Info("install.ini: [" + s.section + "]: " + LanguageName(s) + " (" + LanguageId(s.id) + "), " + codepage + " (" +
           from + ")");
    if (!l)
        r.Warning("install.ini: [" + s.section + "]: " + LanguageId(s.id) +
                  " names no Windows language, so no machine's language chooses this section");
    CheckCodePage(r, s);
    CheckKeys(r, config, s.section, "[" + s.section + "]");

    std::string lacks;
    for (int which = 0; which < TextCount; ++which)
        if (!view.texts[which].empty() && Profile(s.section.c_str(), kTextKeys[which], config).empty())
            lacks += (lacks.empty() ? "" : ", ") + std::string(kTextKeys[which]);
    if (!lacks.empty())
        r.Warning("install.ini: [" + s.section + "] lacks " + lacks + ", which [Texts] gives: where the launcher "
                  "shows this section, it shows [Texts]'s text for " + (lacks.find(',') == std::string::npos ? "it" : "them"));

    DiscView v = SectionView(view, s);
    CheckLength(r, "[" + s.section + "] ProductName", Profile(s.section.c_str(), "ProductName", config),
                CONFIG_VALUE_SIZE);
    if (v.own_product_name)
        CheckAmpersand(r, "[" + s.section + "] ProductName", v.product_name, "two-products dialog");
    CheckTexts(r, v);
    CheckSectionBitmap(r, view, s);
}

} // namespace

std::vector<LanguageSection> LanguageSectionsOf(const std::string &config, std::vector<std::string> *bad) {
    std::vector<LanguageSection> sections;
    std::string install = Profile("INSTALL", "CodePage", config);
    for (const std::string &name : SectionNames(config)) {
        if (Lower(name.substr(0, sizeof kPrefix - 1)) != kPrefix)
            continue;
        LanguageSection s;
        if (!ParseLanguageId(name.substr(sizeof kPrefix - 1), &s.id)) {
            if (bad)
                bad->push_back(name);
            continue;
        }
        bool again = false;
        for (const LanguageSection &seen : sections)
            again = again || Lower(seen.section) == Lower(name);
        if (again)
            continue;
        s.section = name;
        s.codepage_text = Profile(name.c_str(), "CodePage", config);
        s.own_codepage = !s.codepage_text.empty();
        if (!s.own_codepage)
            s.codepage_text = install;
        // A number as the launcher reads one.
        int number = CodePageNumber(s.codepage_text.c_str());
        s.is_number = s.codepage_text.empty() || number >= 0;
        const Language *l = FindLanguage(s.id);
        if (!s.codepage_text.empty() && s.is_number)
            s.codepage = static_cast<UINT>(number);
        else if (s.codepage_text.empty() && l)
            s.codepage = l->codepage;
        sections.push_back(s);
    }
    return sections;
}

void CheckLanguageSections(Report &r, const DiscView &view) {
    std::vector<std::string> bad;
    std::vector<LanguageSection> sections = LanguageSectionsOf(view.paths.config, &bad);
    for (const std::string &name : bad)
        r.Warning("install.ini: [" + name + "] is no language section: the launcher reads only [Texts.XXXX] with "
                  "XXXX a language ID of exactly 4 hex digits, such as [Texts.0415], and ignores this one");
    const UINT disc = DiscCodePage();
    for (const LanguageSection &s : sections) {
        // The section's text is read, measured and quoted in its own code
        // page, as the machines that show it have it.
        UINT codepage = disc;
        ParseCodePage(s.codepage ? Num(s.codepage) : "", &codepage);
        SetDiscCodePage(codepage);
        CheckSection(r, view, s);
        SetDiscCodePage(disc);
    }
}

std::string ChosenSection(const Machine &m, const DiscView &view) {
    SetUp(m);
    RunLauncher(nullptr);
    std::string chosen = g_texts.section;
    // Named as install.ini spells it, as the list of its sections names it.
    for (const LanguageSection &s : LanguageSectionsOf(view.paths.config))
        if (Lower(s.section) == Lower(chosen))
            return s.section;
    return chosen;
}

std::string LanguageLine(const Machine &m, const DiscView &view) {
    const Language *l = FindLanguage(m.language);
    std::string section = ChosenSection(m, view);
    return "language: " + std::string(l ? l->name : "no language Windows has") + " (" + LanguageId(m.language) +
           "), code page " + Num(m.codepage) + ": the launcher shows " +
           (section.empty() ? "no language section ([Texts] and its own texts)" : "[" + section + "]");
}

} // namespace disccheck
