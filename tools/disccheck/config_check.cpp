// install.ini: what the launcher makes of it, its sections and keys, values
// longer than the launcher reads, and the registry key each product is looked
// up under.
#include "disccheck_internal.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "chars.h"
#include "sim.h"

namespace disccheck {
namespace {

bool HasUtf8Mark(const std::string &bytes) {
    return bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
           static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF;
}

std::vector<std::string> Tokens(const std::string &list) {
    std::vector<char> buffer(list.begin(), list.end());
    buffer.push_back(0);
    std::vector<std::string> out;
    for (char *t = NextToken(buffer.data(), " ,\t\n"); t; t = NextToken(nullptr, " ,\t\n"))
        out.push_back(t);
    return out;
}

std::string WowPath(const std::string &key) {
    const std::string prefix = "SOFTWARE\\";
    if (Lower(key.substr(0, prefix.size())) != Lower(prefix))
        return "";
    return "SOFTWARE\\Wow6432Node\\" + key.substr(prefix.size());
}

// The registry key path ProbeProduct opens for a section; empty when the
// launcher opens none (the path does not fit its buffer).
std::string KeyPathOf(const Machine &m, const std::string &section, const LauncherPaths &paths) {
    Machine bare = m;
    bare.registry = RegImage();
    SetUp(bare);
    char name[PROGRAM_NAME_SIZE];
    char command[COMMAND_LINE_SIZE];
    ProbeProduct(section.c_str(), paths.config, name, command);
    const auto &opens = sim::RegOpens();
    return opens.empty() ? "" : opens.front().path;
}

// The keys the launcher reads, by section; [Texts] has kTextKeys.
const char *const kInstallKeys[] = {"ConfigFile", "ProductName", "Product", "RegistryRoot", "Installer"};
const char *const kProductKeys[] = {"ProgramName", "Version", "RegistryKey", "CommandValue", "DriveValue"};
const char kProductSections[] = "each product's section";
// Read in a language section beside the keys of [Texts].
const char *const kLanguageKeys[] = {"ProductName", "Bitmap", "CodePage"};
const char kLanguageSections[] = "a language section";

struct KnownKey {
    std::string where; // "[INSTALL]", "[Texts]" or kProductSections
    std::string name;
};

std::vector<KnownKey> KnownKeys(bool language) {
    std::vector<KnownKey> keys;
    // Only where they are read: elsewhere a typo is named with the nearest
    // key of the other sections, as before language sections were read.
    if (language)
        for (const char *k : kLanguageKeys)
            keys.push_back({kLanguageSections, k});
    for (const char *k : kInstallKeys)
        keys.push_back({"[INSTALL]", k});
    for (const char *k : kProductKeys)
        keys.push_back({kProductSections, k});
    for (const char *k : kTextKeys)
        keys.push_back({"[Texts]", k});
    return keys;
}

// Edits that turn one name into the other, letters compared without regard to case.
size_t Distance(const std::string &a, const std::string &b) {
    std::string x = Lower(a), y = Lower(b);
    std::vector<size_t> row(y.size() + 1);
    for (size_t j = 0; j <= y.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= x.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= y.size(); ++j) {
            size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[y.size()];
}

// Leading and trailing backslashes, which the launcher drops from a key path.
std::string WithoutBackslashes(std::string path) {
    size_t start = path.find_first_not_of('\\');
    if (start == std::string::npos)
        return "";
    // The last character that is not a backslash, walked by character.
    size_t end = start;
    for (size_t at = start; at < path.size();) {
        size_t n = CharLength(path, at);
        if (path[at] != '\\' || n == 2)
            end = at + n;
        at += n;
    }
    return path.substr(start, end - start);
}



// Text the launcher reads byte for byte as ANSI: UTF-8 in it names other
// registry keys and shows other characters than the author wrote.
void CheckUtf8Lines(Report &r, const std::string &bytes, bool marked) {
    std::istringstream lines(bytes);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (IsUtf8BeyondAscii(line))
            r.Warning("install.ini: line " + Num(number) + " holds non-ASCII text saved as UTF-8, which the launcher "
                      "reads as ANSI: " + Quote(line) +
                      "; it does not match what an ANSI installer writes" +
                      (marked ? " (Wine reads it as UTF-8 after the byte-order mark, so ./demo.sh shows what Windows "
                                "does not)"
                              : "") +
                      ": save install.ini as ANSI (" + AnsiLabel() + ")");
    }
}

// What each family of Windows makes of a file saved as Unicode, as
// Microsoft documents the profile functions (Wine reads every one of these
// as text whatever Windows version it plays, so ./demo.sh cannot show the
// difference). A file Windows 2000 and later read is checked as they read
// it (bytes becomes that text); false when it is not checked further.
bool CheckEncoding(Report &r, std::string *bytes) {
    const std::string &b = *bytes;
    auto starts = [&](const char *mark, size_t n) { return b.size() >= n && b.compare(0, n, mark) == 0; };
    const std::string kAnsi = ": save it as ANSI text (" + AnsiLabel() + "), which every Windows reads alike";
    if (starts("\xFF\xFE", 2)) {
        r.Error(std::string("install.ini: saved as UTF-16 (little-endian, with a byte-order mark). Windows 95/98/Me: "
                            "read it as empty, so the launcher looks up no product and always offers to install; "
                            "Windows NT to 11: Windows 2000 and later read it as text (checked below as they read "
                            "it), NT 4.0 as empty. Wine reads it as text") +
                kAnsi);
        *bytes = sim::ProfileText(b);
        return true;
    }
    if (starts("\xFE\xFF", 2)) {
        r.Error(std::string("install.ini: saved as UTF-16 big-endian. Windows 95/98/Me: read it as empty; Windows NT "
                            "to 11: read it as empty too (they read UTF-16 only little-endian), so the launcher "
                            "looks up no product and always offers to install; Wine reads it as text") +
                kAnsi + "; not checked further");
        return false;
    }
    if (!HasUtf8Mark(b))
        return true;
    std::string first = b.substr(3, b.find('\n') == std::string::npos ? std::string::npos : b.find('\n') - 3);
    size_t at = first.find_first_not_of(" \t");
    std::string families = "Windows 95/98/Me and Windows NT to 11 alike read the mark as three characters "
                           "(\"\xEF\xBB\xBF\") of the first line";
    if (at != std::string::npos && first[at] == '[') {
        size_t close = first.find(']', at);
        std::string section = first.substr(at + 1, close == std::string::npos ? std::string::npos : close - at - 1);
        r.Error("install.ini: starts with a UTF-8 byte-order mark on the line of section [" + section + "]. " +
                families + ", so that line is no section header and the keys under it are not found; Wine skips the "
                "mark, so ./demo.sh finds them" + kAnsi);
    } else {
        r.Warning("install.ini: starts with a UTF-8 byte-order mark. " + families +
                  " (harmless on this one, which holds no section); Wine skips the mark" + kAnsi);
    }
    return true;
}

// A backslash in a name that goes into the registry key path makes keys of
// its own there.
void CheckBackslash(Report &r, const std::string &where, const std::string &value, const std::string &key) {
    if (FindWhole(value, '\\') != std::string::npos)
        r.Warning("install.ini: " + where + " " + Quote(value) +
                  " holds \"\\\", which separates keys in the registry: the product is looked up under " + key +
                  ", and its installer must write exactly that key");
}

} // namespace

// Keys of a section the launcher does not read there: a typo, or a key of
// another section. Each is named with the nearest key the launcher reads.
void CheckKeys(Report &r, const std::string &config, const std::string &section, const std::string &where) {
    bool language = Lower(where.substr(0, 7)) == "[texts.";
    std::vector<KnownKey> known = KnownKeys(language);
    for (const ProfileKey &key : KeysOf(section.c_str(), config)) {
        if (!key.has_value) {
            r.Warning("install.ini: " + where + " line " + Quote(key.name) +
                      " has no \"=\": the launcher reads nothing from it");
            continue;
        }
        // Read by the tools alone: the code page the disc is written in.
        if (where == "[INSTALL]" && Lower(key.name) == "codepage")
            continue;
        const KnownKey *nearest = nullptr;
        size_t best = 0;
        for (const KnownKey &k : known) {
            size_t d = Distance(key.name, k.name);
            bool here = language ? k.where == kLanguageSections || k.where == "[Texts]"
                                 : k.where == where || (k.where == kProductSections && where[0] == '[' &&
                                                        where != "[INSTALL]" && where != "[Texts]");
            if (d == 0 && here) {
                nearest = nullptr;
                best = 0;
                break;
            }
            if (!nearest || d < best || (d == best && here)) {
                nearest = &k;
                best = d;
            }
        }
        if (!nearest)
            continue;
        std::string named = nearest->where;
        if (language && (named == kLanguageSections || named == "[Texts]"))
            named = where; // a key of [Texts] is read in the language section too
        if (best == 0)
            r.Warning("install.ini: " + where + " " + key.name + " is read only in " + nearest->where +
                      ": here the launcher ignores it");
        else
            r.Warning("install.ini: " + where + " " + key.name + " is not a key the launcher reads, and it ignores "
                      "it; the nearest key it reads is " + named + " " + nearest->name);
    }
}


void CheckLength(Report &r, const std::string &where, const std::string &value, size_t capacity) {
    if (value.size() > capacity - 1)
        r.Error("install.ini: " + where + " is " + Num(static_cast<long long>(value.size())) +
                " characters long; the launcher reads only the first " + Num(static_cast<long long>(capacity - 1)) +
                ": " + Quote(value.substr(0, capacity - 1)));
}

void CheckAmpersand(Report &r, const std::string &where, const std::string &value, const char *dialog) {
    if (value.find('&') != std::string::npos)
        r.Warning("install.ini: " + where + " " + Quote(value) + " holds \"&\": the " + dialog +
                  " shows it as an underline under the next character");
}

// Installer= cut as the launcher's read cuts it.
std::string InstallerAsRead(const std::string &config) {
    return AsRead(Profile("INSTALL", "Installer", config), MAX_PATH);
}

ProductLookup LookupOf(const Machine &m, const std::string &section, const LauncherPaths &paths) {
    ProductLookup out;
    out.key_path = KeyPathOf(m, section, paths);
    RecordPlace place;
    char name[PROGRAM_NAME_SIZE];
    LocateRecord(section.c_str(), paths.config, name, &place);
    out.drive_value = place.driveValue;
    out.command_value = place.commandValue;
    out.program_name = name;
    out.installer = paths.installer;
    return out;
}

// What the launcher itself makes of install.ini: its paths, the products it
// looks up, its texts and its installer.
void ReadLauncherView(const Machine &m, DiscView *view) {
    SetUp(m);
    RunLauncher(nullptr);
    const LauncherState &s = g_launcher;
    view->paths = s.paths;
    view->looked_up = s.products[0].section != nullptr;
    view->product_name = s.productName;
    for (int i = 0; i < 2; ++i)
        view->sections[i] = s.products[i].section ? s.products[i].section : "";
    for (int i = 0; i < TextCount; ++i)
        view->texts[i] = g_texts.texts[i];
    // Installer= as the launcher reads it, where it takes it.
    std::string installer = InstallerAsRead(view->paths.config);
    if (!installer.empty() && InstallerProblem(installer.c_str()) == InstallerFine)
        view->installer_label = installer;
}

void CheckInstallIni(Report &r, const Machine &m, DiscView *view) {
    const std::string &config = view->paths.config;
    std::string host = sim::HostPath(config.c_str());
    std::string bytes;
    if (config.empty()) {
        r.Error("install.ini: the launcher's folder name is too long for the launcher to form the path of install.ini");
        return;
    }
    if (!IsRegularFile(host) || !ReadWhole(host, &bytes)) {
        r.Error("install.ini: missing from the launcher's folder: the launcher looks up no product and always "
                "offers to install");
        return;
    }
    if (!CheckEncoding(r, &bytes))
        return;
    std::string problem = TextProblem(bytes);
    if (!problem.empty()) {
        r.Error("install.ini: " + problem + "; not checked further");
        return;
    }
    CheckUtf8Lines(r, HasUtf8Mark(bytes) ? bytes.substr(3) : bytes, HasUtf8Mark(bytes));

    std::set<std::string> sections = SectionsOf(bytes);
    bool has_install = sections.count("install") != 0;
    std::string marker = Profile("INSTALL", "ConfigFile", config);
    std::string name = Profile("INSTALL", "ProductName", config);
    std::string list = Profile("INSTALL", "Product", config);
    std::vector<std::string> tokens = Tokens(list);

    if (!has_install) {
        r.Error("install.ini: no section [INSTALL]: the launcher looks up no product and always offers to install");
    } else {
        if (marker.empty() && !tokens.empty())
            r.Error("install.ini: [INSTALL] ConfigFile is empty or missing: the launcher looks up none of the "
                    "products that Product names and always offers to install; any text will do, for example "
                    "ConfigFile=install.ini");
        if (tokens.empty())
            r.Error("install.ini: [INSTALL] Product names no section: the launcher looks up no product and always "
                    "offers to install");
        if (name.empty())
            r.Warning("install.ini: [INSTALL] ProductName is empty: the dialogs keep their template captions and "
                      "the two-products message reads \"You have 2  tests installed\"");
    }
    CheckLength(r, "[INSTALL] ProductName", name, CONFIG_VALUE_SIZE);
    CheckAmpersand(r, "[INSTALL] ProductName", name, "two-products dialog");
    CheckLength(r, "[INSTALL] Product", list, CONFIG_VALUE_SIZE);
    if (tokens.size() > 2) {
        std::string ignored;
        for (size_t i = 2; i < tokens.size(); ++i)
            ignored += (i > 2 ? ", " : "") + std::string("[") + tokens[i] + "]";
        r.Warning("install.ini: [INSTALL] Product names " + Num(static_cast<long long>(tokens.size())) +
                  " sections; the launcher looks up only the first two and ignores " + ignored);
    }

    std::string root = Profile("INSTALL", "RegistryRoot", config);
    CheckLength(r, "[INSTALL] RegistryRoot", root, KEY_PATH_SIZE);
    root = WithoutBackslashes(root.substr(0, KEY_PATH_SIZE - 1)); // as much as the launcher reads
    if (root.empty())
        root = "SOFTWARE\\Vantorel";
    // The launcher's own verdict on Installer=, as it reads the value.
    std::string installer = Profile("INSTALL", "Installer", config);
    int refusal = installer.empty() ? InstallerFine : InstallerProblem(InstallerAsRead(config).c_str());
    if (refusal != InstallerFine) {
        std::string why;
        if (refusal == InstallerTooLong)
            why = "is " + Num(static_cast<long long>(installer.size())) + " characters long; the launcher takes at most " +
                  Num(MAX_PATH - 2);
        else if (refusal == InstallerOutside)
            why = "names a path outside the disc (a drive, a leading backslash or a network path)";
        else if (refusal == InstallerClimbs)
            why = "holds \"..\", which may climb out of the disc";
        else if (FindWhole(installer, '"') != std::string::npos)
            why = "holds a quote, which would hand what follows it to the installer as arguments";
        else
            for (const std::string &c : CharsOf(installer))
                if (why.empty() && c.size() == 1 && std::string("<>|*?").find(c[0]) != std::string::npos)
                    why = "holds \"" + c + "\", which no file name holds";
        r.Error("install.ini: [INSTALL] Installer=" + installer + " " + why +
                ": the launcher starts setup.exe instead; write the installer's path below the disc root, for "
                "example Installer=Install\\Setup.exe");
    }
    if (has_install)
        CheckKeys(r, config, "INSTALL", "[INSTALL]");
    if (sections.count("texts"))
        CheckKeys(r, config, "Texts", "[Texts]");

    if (!view->looked_up)
        for (int i = 0; i < 2 && i < static_cast<int>(tokens.size()); ++i)
            view->sections[i] = tokens[i];
    for (int i = 0; i < 2; ++i)
        if (view->looked_up && i < static_cast<int>(tokens.size()) && Lower(view->sections[i]) != Lower(tokens[i]))
            r.Error("install.ini: [INSTALL] Product is cut, so the launcher looks up section [" + view->sections[i] +
                    "] instead of [" + tokens[i] + "]");
    if (!view->sections[0].empty() && !view->sections[1].empty() && Lower(view->sections[0]) == Lower(view->sections[1]))
        r.Warning("install.ini: [INSTALL] Product names [" + view->sections[0] +
                  "] twice: both products are the same one");

    for (int i = 0; i < 2; ++i) {
        const std::string &section = view->sections[i];
        if (section.empty())
            continue;
        std::string label = "product " + Num(i + 1) + " [" + section + "]";
        if (!sections.count(Lower(section)))
            r.Error("install.ini: section [" + section + "] named by Product is missing: " + label +
                    " is looked up with an empty program name and version");
        std::string program = Profile(section.c_str(), "ProgramName", config);
        std::string version = Profile(section.c_str(), "Version", config);
        if (sections.count(Lower(section))) {
            if (program.empty())
                r.Error("install.ini: [" + section + "] ProgramName is empty or missing");
            if (version.empty())
                r.Error("install.ini: [" + section + "] Version is empty or missing");
        }
        CheckLength(r, "[" + section + "] ProgramName", program, PROGRAM_NAME_SIZE);
        CheckLength(r, "[" + section + "] Version", version, COMMAND_LINE_SIZE);
        CheckAmpersand(r, "[" + section + "] ProgramName", program, "repair-or-run dialog");
        if (sections.count(Lower(section)))
            CheckKeys(r, config, section, "[" + section + "]");
        std::string given_key = Profile(section.c_str(), "RegistryKey", config);
        std::string command_value = Profile(section.c_str(), "CommandValue", config);
        CheckLength(r, "[" + section + "] CommandValue", command_value, VALUE_NAME_SIZE);
        CheckLength(r, "[" + section + "] DriveValue", Profile(section.c_str(), "DriveValue", config),
                    VALUE_NAME_SIZE);
        for (const ProfileKey &k : KeysOf(section.c_str(), config))
            if (k.has_value && Lower(k.name) == "commandvalue" && command_value.empty())
                r.Warning("install.ini: [" + section + "] CommandValue is empty: the launcher reads the value "
                          "\"CommandLine\"");
        // A value that fills the launcher's buffer is never looked up at all.
        size_t given_length = given_key.size();
        bool cut_after_backslashes = given_length >= KEY_PATH_SIZE && given_key[0] == '\\';
        if (given_length < KEY_PATH_SIZE && !given_key.empty() && given_key[0] == '\\' &&
            !WithoutBackslashes(given_key).empty())
            r.Warning("install.ini: [" + section + "] RegistryKey " + Quote(given_key) +
                      " starts with \"\\\": the launcher drops it and looks up " +
                      WithoutBackslashes(given_key) + " (Windows NT refuses a key path that starts with one): "
                      "write RegistryKey=" + WithoutBackslashes(given_key));
        given_key = WithoutBackslashes(given_key);

        ProductLookup lookup = LookupOf(m, section, view->paths);
        std::string key = lookup.key_path;
        view->key_paths[i] = key;
        view->program_names[i] = lookup.program_name;
        if (key.empty() && cut_after_backslashes) {
            r.Error("install.ini: [" + section + "] RegistryKey is " + Num(static_cast<long long>(given_length)) +
                    " characters long, backslashes included; the launcher's limit is " + Num(KEY_PATH_SIZE - 1) +
                    ", and it never looks up a key path that may have been cut, so it never finds the product");
            continue;
        }
        if (key.empty()) {
            size_t length = given_key.empty()
                                ? root.size() + 1 + std::min<size_t>(program.size(), PROGRAM_NAME_SIZE - 1) + 1 +
                                      std::min<size_t>(version.size(), COMMAND_LINE_SIZE - 1) + 1 + section.size()
                                : given_key.size();
            r.Error("install.ini: " + label + ": its registry key path would be " + Num(static_cast<long long>(length)) +
                    " characters long; the launcher's limit is " + Num(KEY_PATH_SIZE - 1) +
                    ", so it never finds the product");
            continue;
        }
        std::string line = "install.ini: " + label;
        if (!program.empty())
            line += " " + Quote(program.substr(0, PROGRAM_NAME_SIZE - 1));
        line += " is looked up under HKEY_LOCAL_MACHINE\\" + key;
        std::string wow = WowPath(key);
        if (!given_key.empty())
            line += " (its RegistryKey" + (wow.empty() ? ")" : "; on 64-bit Windows: " + wow + " first)");
        else if (!wow.empty())
            line += " (on 64-bit Windows: " + wow + " first)";
        if (lookup.drive_value.empty())
            line += "; it reads the value " + Quote(lookup.command_value) + " and checks no drive (DriveValue is empty)";
        else if (lookup.drive_value != "CD" || lookup.command_value != "CommandLine")
            line += "; it reads the values " + Quote(lookup.drive_value) + " and " + Quote(lookup.command_value);
        if (!view->looked_up)
            line += "; not looked up while ConfigFile is empty";
        r.Info(line);
        if (given_key.empty()) {
            CheckBackslash(r, "[" + section + "] ProgramName", program, key);
            CheckBackslash(r, "[" + section + "] Version", version, key);
        }
    }
    CheckTexts(r, *view);
    CheckLanguageSections(r, *view);
}

} // namespace disccheck
