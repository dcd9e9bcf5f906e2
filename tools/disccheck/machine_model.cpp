// Machines for ./demo.sh, written by disccheck --write-machines: one per
// machine state that makes the launcher show a different screen (nothing
// installed, product 1 installed, both, one incomplete, all incomplete), or
// the one machine given with --registry and --drive. Each product's record
// is made with the launcher's own code on the simulated platform: the key
// its probe opens, the values the probe reads, filled in until it finds the
// product installed, a program file where the record points and the disc's
// drive as the drive it names. The demo sets Wine up as each machine, and
// disccheck's prediction for it is made on the very same machine, so the two
// cannot drift apart.
#include "disccheck_internal.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "chars.h"
#include "sim.h"

namespace disccheck {
namespace {

namespace fs = std::filesystem;

// The probe reads a handful of values; more rounds than that mean it never
// finds the product, whatever the record holds.
const int kMostRounds = 6;

struct ProductRecord {
    bool made = false;
    std::string why; // when not made
    std::string key; // in the 32-bit view, where a 32-bit installer writes
    std::vector<std::pair<std::string, std::string>> values; // name and text, in the order the probe reads them
    std::string program; // the program the record points to
};

struct State {
    const char *name;
    const char *label;
    int status[2]; // 0 not installed, 1 installed, 2 incomplete
};

// A name Windows takes as a file name: no separators, wildcards or quotes,
// no blank or dot at its end. Walked by character: in a double-byte code
// page the second byte of a character may be "\\" or "|" (表 is 95 5C).
std::string SafeName(const std::string &ansi, const std::string &otherwise) {
    std::string out;
    for (const char *p = ansi.c_str(); *p;) {
        const char *next = NextChar(p);
        if (out.size() + (next - p) > 60)
            break;
        if (next - p == 1 && (static_cast<unsigned char>(*p) < 32 || std::string("\\/:*?\"<>|").find(*p) != std::string::npos))
            out += '_';
        else
            out.append(p, next);
        p = next;
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '.'))
        out.pop_back();
    while (!out.empty() && out[0] == ' ')
        out.erase(0, 1);
    return out.empty() ? otherwise : out;
}

std::vector<std::string> QueriedValues() {
    std::vector<std::string> names;
    for (const sim::RegQuery &q : sim::RegQueries())
        names.push_back(q.name);
    return names;
}

bool Has(const std::vector<std::pair<std::string, std::string>> &values, const std::string &name) {
    for (const auto &v : values)
        if (Lower(v.first) == Lower(name))
            return true;
    return false;
}

void PutRecord(RegImage *registry, const ProductRecord &record) {
    RegKey &key = registry->keys[0][Lower(record.key)];
    key.path = record.key;
    for (const auto &v : record.values)
        key.values[Lower(v.first)] = RegValue{v.first, REG_SZ, v.second + std::string(1, '\0')};
}

InstallStatus Probe(const Machine &m, const std::string &section, const LauncherPaths &paths,
                    std::vector<std::string> *queried, std::string *program_name) {
    SetUp(m);
    char name[PROGRAM_NAME_SIZE];
    char command[COMMAND_LINE_SIZE];
    InstallStatus status = ProbeProduct(section.c_str(), paths.config, name, command);
    *queried = QueriedValues();
    *program_name = name;
    return status;
}

bool MakeFile(const std::string &host) {
    std::error_code ec;
    fs::create_directories(FsPath(host).parent_path(), ec);
    return static_cast<bool>(std::ofstream(FsPath(host), std::ios::binary | std::ios::trunc));
}

// The record a product's installer would write, found by what the probe
// asks for: its key, then each value it reads, given the disc's drive or
// the program's quoted path, whichever lets the probe go on. base has the
// program's drive mapped to a folder the program file is made in.
ProductRecord MakeRecord(const Machine &base, char program_drive, const std::string &section,
                         const LauncherPaths &paths) {
    ProductRecord record;
    std::vector<std::string> queried;
    std::string program_name;
    Probe(base, section, paths, &queried, &program_name);
    if (sim::RegOpens().empty()) {
        record.why = "its registry key path is longer than the launcher reads";
        return record;
    }
    record.key = sim::RegOpens().front().path;
    record.program = std::string(1, program_drive) + ":\\Program Files\\" + SafeName(program_name, "Product") +
                     "\\" + SafeName(section, "Program") + ".exe";
    SetUp(base);
    if (!MakeFile(sim::HostPath(record.program.c_str()))) {
        record.why = "cannot write its program file " + record.program;
        return record;
    }
    const std::string fills[] = {std::string(1, base.disc) + ":\\", "\"" + record.program + "\""};
    for (int round = 0; round < kMostRounds; ++round) {
        Machine m = base;
        PutRecord(&m.registry, record);
        if (Probe(m, section, paths, &queried, &program_name) == Installed) {
            record.made = true;
            return record;
        }
        std::string next;
        for (const std::string &q : queried)
            if (next.empty() && !Has(record.values, q))
                next = q;
        if (next.empty())
            break;
        bool filled = false;
        for (const std::string &fill : fills) {
            ProductRecord tried = record;
            tried.values.push_back({next, fill});
            Machine t = base;
            PutRecord(&t.registry, tried);
            bool further = Probe(t, section, paths, &queried, &program_name) == Installed;
            for (const std::string &q : queried)
                further = further || !Has(tried.values, q);
            if (further) {
                record = tried;
                filled = true;
                break;
            }
        }
        if (!filled)
            break;
    }
    std::string read;
    for (const auto &v : record.values)
        read += (read.empty() ? "" : ", ") + Quote(v.first);
    record.why = "no record under " + record.key + (read.empty() ? "" : " with the values it reads (" + read + ")") +
                 " makes the launcher find it installed";
    return record;
}

// ---- Output

std::string Json(const std::string &utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\u%04x", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string JsonAnsi(const std::string &ansi) { return Json(sim::AnsiToUtf8(ansi)); }

void PutUtf16(std::string &out, uint32_t c) {
    if (c >= 0x10000) {
        c -= 0x10000;
        PutUtf16(out, 0xD800 + (c >> 10));
        c = 0xDC00 + (c & 0x3FF);
    }
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
}

std::string Utf16(const std::string &ansi) {
    std::string out;
    for (uint32_t c : sim::AnsiToUnicode(ansi))
        PutUtf16(out, c);
    return out;
}

// Text between an export's quotes, "\\" and '"' escaped where they stand as
// characters: the second byte of 表 (95 5C) is no backslash.
std::string RegQuoted(const std::string &ansi) {
    std::string out;
    for (const char *p = ansi.c_str(); *p;) {
        const char *next = NextChar(p);
        if (next - p == 1 && (*p == '\\' || *p == '"'))
            out += '\\';
        out.append(p, next);
        p = next;
    }
    return out;
}

// Keys in the Registry Editor's export form, "Windows Registry Editor
// Version 5.00" in UTF-16, which the Registry Editor and reg.exe import on
// every Windows from 2000 (and Wine) without regard to code pages. Text the
// launcher reads as ANSI is turned back into Unicode as Windows stores it.
std::string RegExport(const std::vector<const RegKey *> &keys) {
    std::string out = "\xFF\xFE" + Utf16("Windows Registry Editor Version 5.00\r\n");
    for (const RegKey *k : keys) {
        out += Utf16("\r\n[HKEY_LOCAL_MACHINE\\" + k->path + "]\r\n");
        for (const auto &entry : k->values) {
            const RegValue &v = entry.second;
            std::string name = v.name.empty() ? "@" : "\"" + RegQuoted(v.name) + "\"";
            const std::string &d = v.data;
            bool plain = v.type == REG_SZ && !d.empty() && d.back() == '\0' && d.find('\0') == d.size() - 1;
            if (plain) {
                out += Utf16(name + "=\"" + RegQuoted(d.substr(0, d.size() - 1)) + "\"\r\n");
                continue;
            }
            bool text_type = v.type == REG_SZ || v.type == REG_EXPAND_SZ || v.type == REG_MULTI_SZ;
            std::string bytes = text_type ? Utf16(d) : d;
            char head[24];
            std::snprintf(head, sizeof head, "=hex(%x):", static_cast<unsigned>(v.type));
            std::string line = name + head;
            for (size_t i = 0; i < bytes.size(); ++i) {
                char b[4];
                std::snprintf(b, sizeof b, "%02x", static_cast<unsigned char>(bytes[i]));
                line += (i ? "," : "") + std::string(b);
            }
            out += Utf16(line + "\r\n");
        }
    }
    return out;
}

bool WriteBytes(const std::string &host, const std::string &bytes) {
    std::error_code ec;
    fs::create_directories(FsPath(host).parent_path(), ec);
    std::ofstream out(FsPath(host), std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

struct Written {
    std::string name, label;
    Machine machine;
    std::vector<std::string> programs;
};

// One machine's entry of machines.json, with its registry files beside it.
bool WriteMachine(const std::string &dir, const Written &w, const DiscView &view, std::string *json,
                  std::string *problem) {
    const Machine &m = w.machine;
    std::vector<const RegKey *> views[2];
    std::vector<std::string> keys;
    // The keys the launcher opens, in the views it looks in.
    for (int i = 0; i < 2; ++i) {
        if (!view.looked_up || view.sections[i].empty())
            continue;
        SetUp(m);
        char name[PROGRAM_NAME_SIZE];
        char command[COMMAND_LINE_SIZE];
        ProbeProduct(view.sections[i].c_str(), view.paths.config, name, command);
        if (sim::RegOpens().empty())
            continue;
        std::string path = sim::RegOpens().front().path;
        keys.push_back(path);
        for (int v = 0; v < 2; ++v) {
            auto k = m.registry.keys[v].find(Lower(path));
            if (k == m.registry.keys[v].end())
                continue;
            bool known = false;
            for (const RegKey *seen : views[v])
                known = known || seen == &k->second;
            if (!known)
                views[v].push_back(&k->second);
        }
    }
    std::string files[2];
    for (int v = 0; v < 2; ++v) {
        if (views[v].empty())
            continue;
        files[v] = dir + "/" + w.name + (v ? "/view64.reg" : "/view32.reg");
        if (!WriteBytes(files[v], RegExport(views[v]))) {
            *problem = "cannot write " + Host(files[v]);
            return false;
        }
    }
    std::ostringstream prediction;
    Report r{prediction};
    Predict(r, m, view);

    std::string j = "    {\"state\": " + Json(w.name) + ", \"label\": " + JsonAnsi(w.label) + ",\n";
    j += "     \"reg32\": " + (files[0].empty() ? "null" : Json(sim::HostToUtf8(files[0]))) +
         ", \"reg64\": " + (files[1].empty() ? "null" : Json(sim::HostToUtf8(files[1]))) + ",\n";
    j += "     \"keys\": [";
    for (size_t i = 0; i < keys.size(); ++i)
        j += (i ? ", " : "") + JsonAnsi(keys[i]);
    j += "],\n     \"drives\": [";
    for (size_t i = 0; i < m.drives.size(); ++i)
        j += std::string(i ? ", " : "") + "{\"letter\": \"" + m.drives[i].first +
             "\", \"folder\": " + Json(sim::HostToUtf8(m.drives[i].second)) + "}";
    j += "],\n     \"programs\": [";
    for (size_t i = 0; i < w.programs.size(); ++i)
        j += (i ? ", " : "") + JsonAnsi(w.programs[i]);
    j += "],\n     \"screens\": [";
    std::vector<Screen> screens = ScreensOf(m);
    for (size_t i = 0; i < screens.size(); ++i) {
        const Screen &s = screens[i];
        j += std::string(i ? ",\n" : "\n") + "       {\"kind\": " + Json(s.kind) + ", \"template\": " + JsonAnsi(s.templ) +
             ", \"text\": " + JsonAnsi(s.text) + ", \"caption\": " + JsonAnsi(s.caption) +
             ",\n        \"enter_label\": " + Json(s.enter_label) + ", \"enter\": " + JsonAnsi(s.enter) +
             ", \"cancel_label\": " + Json(s.cancel_label) + ", \"cancel\": " + JsonAnsi(s.cancel) +
             ",\n        \"description\": " + JsonAnsi(s.description) + "}";
    }
    j += "],\n     \"prediction\": " + Json(prediction.str()) + "}";
    *json = j;
    return true;
}

// The language sections the launcher can choose, each with the code page
// it is written in (null where that is no number), and with --language the
// section chosen on the machine.
std::string LanguagesJson(const Machine &base, const DiscView &view) {
    std::string json = ", \"languages\": [";
    std::vector<LanguageSection> sections = LanguageSectionsOf(view.paths.config);
    for (size_t i = 0; i < sections.size(); ++i) {
        const LanguageSection &s = sections[i];
        const Language *l = FindLanguage(s.id);
        json += std::string(i ? ", " : "") + "{\"id\": \"" + LanguageId(s.id) + "\", \"section\": " + JsonAnsi(s.section) +
                ", \"name\": " + (l ? Json(l->name) : "null") +
                ", \"codepage\": " + (s.codepage && s.is_number ? std::to_string(s.codepage) : "null") + "}";
    }
    json += "]";
    if (base.language)
        json += ", \"language\": \"" + LanguageId(base.language) + "\", \"section\": " +
                JsonAnsi(ChosenSection(base, view));
    return json;
}

} // namespace

bool WriteMachines(const std::string &dir, const Machine &base, const DiscView &view, bool given,
                   const std::string &given_name, const std::vector<std::string> &findings, std::string *problem) {
    std::error_code ec;
    fs::create_directories(FsPath(dir), ec);
    if (ec) {
        *problem = "cannot make the folder " + Host(dir) + ": " + ec.message();
        return false;
    }
    std::vector<Written> machines;
    std::vector<std::pair<Written, std::string>> skipped;
    if (given) {
        machines.push_back(Written{given_name, "the machine given", base, {}});
    } else {
        char program_drive = base.disc == 'C' ? 'E' : 'C';
        Machine model = base;
        model.drives = {{program_drive, dir + "/model-drive-" + std::string(1, static_cast<char>(program_drive + 32))}};
        fs::remove_all(FsPath(model.drives[0].second), ec);
        ProductRecord records[2];
        int products = 0;
        for (int i = 0; i < 2; ++i)
            if (view.looked_up && !view.sections[i].empty()) {
                records[i] = MakeRecord(model, program_drive, view.sections[i], view.paths);
                products = i + 1;
            }
        const State two[] = {{"nothing-installed", "nothing installed", {0, 0}},
                             {"product-1-installed", "product 1 installed", {1, 0}},
                             {"both-installed", "both products installed", {1, 1}},
                             {"one-incomplete", "product 1 incomplete, product 2 installed", {2, 1}},
                             {"all-incomplete", "both products incomplete", {2, 2}}};
        const State one[] = {{"nothing-installed", "nothing installed", {0, 0}},
                             {"product-1-installed", "product 1 installed", {1, 0}},
                             {"all-incomplete", "product 1 incomplete", {2, 0}}};
        std::vector<State> states;
        if (products == 2)
            states.assign(two, two + 5);
        else if (products == 1)
            states.assign(one, one + 3);
        else
            states.push_back(one[0]);
        if (!products)
            skipped.push_back({Written{"installed", "any product installed", base, {}},
                               "the launcher looks up no product (see the findings on install.ini), so every machine "
                               "shows what nothing installed shows"});
        std::vector<std::pair<std::string, std::string>> shown; // screens, and the state that showed them
        for (const State &s : states) {
            Written w{s.name, s.label, base, {}};
            std::string folder = dir + "/" + s.name + "/drive-" + std::string(1, static_cast<char>(program_drive + 32));
            fs::remove_all(FsPath(dir + "/" + s.name), ec);
            fs::create_directories(FsPath(folder), ec);
            w.machine.drives = {{program_drive, folder}};
            w.machine.registry = RegImage();
            w.machine.registry.from64 = true; // a 32-bit installer's record, in the 32-bit view
            std::string missing;
            for (int i = 0; i < 2; ++i) {
                if (!s.status[i])
                    continue;
                if (!records[i].made) {
                    missing = "product " + Num(i + 1) + " [" + view.sections[i] + "]: " + records[i].why;
                    continue;
                }
                PutRecord(&w.machine.registry, records[i]);
                if (s.status[i] == 1) {
                    SetUp(w.machine);
                    if (!MakeFile(sim::HostPath(records[i].program.c_str()))) {
                        *problem = "cannot write a program file under " + Host(folder);
                        return false;
                    }
                    w.programs.push_back(records[i].program);
                }
            }
            if (!missing.empty()) {
                skipped.push_back({w, "no record can be made for " + missing});
                fs::remove_all(FsPath(dir + "/" + s.name), ec);
                continue;
            }
            std::string signature;
            for (const Screen &screen : ScreensOf(w.machine))
                signature += screen.description + "\n";
            std::string same;
            for (const auto &seen : shown)
                if (seen.first == signature)
                    same = seen.second;
            if (!same.empty()) {
                skipped.push_back({w, "the launcher shows the same as for " + same});
                fs::remove_all(FsPath(dir + "/" + s.name), ec);
                continue;
            }
            shown.push_back({signature, s.name});
            machines.push_back(w);
        }
        fs::remove_all(FsPath(model.drives[0].second), ec);
    }

    std::string languages = LanguagesJson(base, view);
    sim::SetCodePage(DiscCodePage()); // the disc's names, as it is written
    std::string json = "{\n  \"disc\": {\"root\": " + Json(sim::HostToUtf8(base.root)) +
                       ", \"folder\": " + JsonAnsi(base.folder) + ", \"letter\": \"" + std::string(1, base.disc) +
                       "\", \"launcher\": " + JsonAnsi(ModulePath(base)) +
                       ", \"codepage\": " + std::to_string(DiscCodePage()) + languages +
                       "},\n  \"findings\": [";
    for (size_t i = 0; i < findings.size(); ++i)
        json += (i ? ",\n    " : "\n    ") + Json(findings[i]);
    json += "],\n  \"machines\": [\n";
    for (size_t i = 0; i < machines.size(); ++i) {
        std::string entry;
        if (!WriteMachine(dir, machines[i], view, &entry, problem))
            return false;
        json += (i ? ",\n" : "") + entry;
    }
    json += "],\n  \"skipped\": [";
    for (size_t i = 0; i < skipped.size(); ++i)
        json += std::string(i ? ",\n    " : "\n    ") + "{\"state\": " + Json(skipped[i].first.name) +
                ", \"label\": " + JsonAnsi(skipped[i].first.label) + ", \"why\": " + JsonAnsi(skipped[i].second) + "}";
    json += "]\n}\n";
    if (!WriteBytes(dir + "/machines.json", json)) {
        *problem = "cannot write " + Host(dir + "/machines.json");
        return false;
    }
    return true;
}

} // namespace disccheck
