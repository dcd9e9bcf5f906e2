// What the launcher does on one machine: each product's status with its
// reason, and every way through its dialogs with what each starts.
#include "disccheck_internal.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "sim.h"

namespace disccheck {
namespace {

const char *StatusName(InstallStatus s) {
    switch (s) {
    case NotInstalled:
        return "NotInstalled";
    case Installed:
        return "Installed";
    case Incomplete:
        return "Incomplete";
    }
    return "unknown";
}

struct Interaction {
    bool message_box = false;
    std::string templ; // dialog template name
    std::string text;  // the dialog's parameter text, or the message box's text
    std::string caption;
};

struct Option {
    std::string label;
    int id;
};

std::vector<Option> OptionsFor(const Interaction &i) {
    if (i.message_box)
        return {{"Yes", IDYES}, {"No", IDNO}};
    // The buttons as the disc words them (the launcher's texts of the run).
    std::string t = Lower(i.templ);
    if (t == "runrun")
        return {{"Enter (" + Quote(DiscText(TextRunFirst)) + ")", 101}, {Quote(DiscText(TextRunSecond)), 102},
                {"Cancel", IDCANCEL}};
    if (t == "installrun")
        return {{"Enter (" + Quote(DiscText(TextInstall)) + ")", 101}, {Quote(DiscText(TextRun)), 102},
                {"Cancel", IDCANCEL}};
    return {{"Enter", IDOK}, {"Cancel", IDCANCEL}};
}

std::string Describe(const Interaction &i) {
    if (i.message_box)
        return "message box " + Quote(i.text) + " (caption " + Quote(i.caption) + ")";
    if (Lower(i.templ) == "launcher")
        return "splash " + Quote(i.text);
    return "choice " + Quote(i.templ) + " (" + Quote(i.text) + ")";
}

struct Run {
    std::vector<Interaction> seq;
    std::vector<sim::Start> starts;
    InstallStatus status[2] = {NotInstalled, NotInstalled};
};

// Runs the launcher once, answering the nth dialog or message box with the
// nth choice (the first option beyond the given ones).
Run RunWith(const Machine &m, const std::vector<std::pair<bool, int>> &choices) {
    SetUp(m);
    // Shared with the scripts, some of which stay queued after the run.
    struct Script {
        std::vector<std::pair<bool, int>> choices;
        std::vector<std::string> dialog_texts;
    };
    auto script = std::make_shared<Script>();
    script->choices = choices;
    std::vector<std::string> &dialog_texts = script->dialog_texts;
    auto step_now = [] {
        int n = 0;
        for (const std::string &e : sim::Events())
            if (e.compare(0, 16, "DialogBoxParamA(") == 0 || e.compare(0, 12, "MessageBoxA(") == 0)
                ++n;
        return n - 1;
    };
    const int kMostSteps = 8;
    for (int k = 0; k < kMostSteps; ++k) {
        sim::QueueDialogScript([script, step_now](HWND dlg, DLGPROC proc) {
            const std::vector<std::pair<bool, int>> &choices = script->choices;
            const sim::DialogCall &call = sim::Dialogs().back();
            Interaction i;
            i.templ = call.templ;
            i.text = call.param ? reinterpret_cast<const char *>(call.param) : "";
            script->dialog_texts.push_back(i.text);
            int step = step_now();
            size_t choice = step >= 0 && step < static_cast<int>(choices.size()) ? choices[step].second : 0;
            std::vector<Option> options = OptionsFor(i);
            if (choice >= options.size())
                choice = 0;
            sim::Send(dlg, proc, WM_COMMAND, MAKEWPARAM(options[choice].id, 0), 0);
        });
    }
    for (const auto &c : choices)
        if (c.first)
            sim::QueueMessageBoxAnswer(OptionsFor(Interaction{true, "", "", ""})[c.second].id);
    for (int k = 0; k < kMostSteps; ++k)
        sim::QueueMessageBoxAnswer(IDYES);

    RunLauncher(nullptr);

    Run run;
    size_t dialog = 0, box = 0;
    for (const std::string &e : sim::Events()) {
        if (e.compare(0, 16, "DialogBoxParamA(") == 0 && dialog < sim::Dialogs().size()) {
            Interaction i;
            i.templ = sim::Dialogs()[dialog].templ;
            i.text = dialog < dialog_texts.size() ? dialog_texts[dialog] : "";
            ++dialog;
            run.seq.push_back(i);
        } else if (e.compare(0, 12, "MessageBoxA(") == 0 && box < sim::MessageBoxes().size()) {
            const sim::MessageBoxCall &call = sim::MessageBoxes()[box++];
            run.seq.push_back(Interaction{true, "", call.text, call.caption});
        }
    }
    run.starts = sim::Starts();
    for (int i = 0; i < 2; ++i)
        run.status[i] = g_launcher.products[i].status;
    return run;
}

struct Branch;
struct Tree {
    bool leaf = true;
    Interaction what;
    std::vector<sim::Start> starts;
    std::vector<Branch> branches;
};
struct Branch {
    std::string label;
    Tree tree;
};

Tree Explore(const Machine &m, std::vector<std::pair<bool, int>> choices) {
    Run run = RunWith(m, choices);
    Tree tree;
    if (run.seq.size() <= choices.size() || choices.size() >= 6) {
        tree.starts = run.starts;
        return tree;
    }
    tree.leaf = false;
    tree.what = run.seq[choices.size()];
    std::vector<Option> options = OptionsFor(tree.what);
    for (size_t k = 0; k < options.size(); ++k) {
        std::vector<std::pair<bool, int>> next = choices;
        next.push_back({tree.what.message_box, static_cast<int>(k)});
        tree.branches.push_back(Branch{options[k].label, Explore(m, next)});
    }
    return tree;
}

// A command line is quoted whole in the prediction's lines; a screen's
// caption shows it as typed, since one that quotes its program's path would
// otherwise show two quotes at either end.
std::string StartText(const sim::Start &s, bool as_typed) {
    if (s.api == "WinExec")
        return as_typed ? s.file : Quote(s.file);
    return "(through the shell) " + Quote(s.file) + (s.params.empty() ? "" : " with " + Quote(s.params));
}

std::string StartsText(const std::vector<sim::Start> &starts, bool as_typed = false) {
    if (starts.empty())
        return "starts nothing";
    std::string text = "starts " + StartText(starts[0], as_typed);
    for (size_t i = 1; i < starts.size(); ++i)
        text += ", then " + StartText(starts[i], as_typed);
    return text;
}

void Render(Report &r, const Tree &t, const std::string &indent, const std::string &lead) {
    if (t.leaf) {
        r.Info(indent + lead + "shows nothing and " + StartsText(t.starts));
        return;
    }
    bool flat = true;
    for (const Branch &b : t.branches)
        flat = flat && b.tree.leaf;
    if (flat) {
        std::string line = indent + lead + Describe(t.what) + " -> ";
        for (size_t k = 0; k < t.branches.size(); ++k)
            line += (k ? "; " : "") + t.branches[k].label + " " + StartsText(t.branches[k].tree.starts);
        r.Info(line);
        return;
    }
    r.Info(indent + lead + Describe(t.what) + " ->");
    for (const Branch &b : t.branches) {
        if (b.tree.leaf)
            r.Info(indent + "  " + b.label + " " + StartsText(b.tree.starts));
        else
            Render(r, b.tree, indent + "  ", b.label + ": ");
    }
}

bool EventStarts(const std::string &e, const char *prefix) { return e.compare(0, std::strlen(prefix), prefix) == 0; }

std::string Inside(const std::string &e) {
    size_t open = e.find('(');
    return open == std::string::npos || e.size() < open + 2 ? "" : e.substr(open + 1, e.size() - open - 2);
}

const RegValue *FindValue(const Machine &m, int view, const std::string &key, const char *name) {
    auto k = m.registry.keys[view].find(Lower(key));
    if (k == m.registry.keys[view].end())
        return nullptr;
    auto v = k->second.values.find(Lower(name));
    return v == k->second.values.end() ? nullptr : &v->second;
}

// Other versions of the same program recorded in the registry, as a hint.
std::string OtherRecords(const Machine &m, const std::string &key) {
    size_t last = key.rfind('\\');
    size_t version = last == std::string::npos ? std::string::npos : key.rfind('\\', last - 1);
    if (version == std::string::npos || version == 0)
        return "";
    std::string program_prefix = Lower(key.substr(0, version + 1));
    std::set<std::string> found;
    for (int view = 0; view < 2; ++view)
        for (const auto &k : m.registry.keys[view])
            if (k.first.compare(0, program_prefix.size(), program_prefix) == 0 &&
                k.first.find('\\', program_prefix.size()) != std::string::npos)
                found.insert(k.second.path);
    if (found.empty())
        return "";
    std::string text = " (the registry has ";
    int n = 0;
    for (const std::string &f : found) {
        if (n == 3) {
            text += ", ...";
            break;
        }
        text += (n++ ? ", " : "") + f;
    }
    return text + ")";
}

// The program of an unquoted command line when it holds a blank: the
// launcher found it only as the longest part of the line that names a file.
// Empty otherwise. Run on the machine the probe saw.
std::string UnquotedProgramWithBlanks(const char *command) {
    char program[COMMAND_LINE_SIZE];
    const char *p = command + std::strspn(command, " \t\n");
    if (*p == '"' || !SplitCommandLine(command, program, COMMAND_LINE_SIZE) || !std::strpbrk(program, " \t\n"))
        return "";
    return program;
}

// The status of one product on the machine, with the reason read from what the
// launcher's probe did there.
std::string ProbeReason(const Machine &m, const std::string &section, const LauncherPaths &paths) {
    ProductLookup lookup = LookupOf(m, section, paths);
    const std::string drive_value = Quote(lookup.drive_value), command_value = Quote(lookup.command_value);
    SetUp(m);
    char name[PROGRAM_NAME_SIZE];
    char command[COMMAND_LINE_SIZE];
    InstallStatus status = ProbeProduct(section.c_str(), paths.config, name, command);
    std::vector<std::string> events = sim::Events();
    std::vector<sim::RegOpen> opens = sim::RegOpens();
    std::string result = StatusName(status);

    if (status == NotInstalled) {
        if (opens.empty())
            return result + ": the registry key path is longer than the launcher's " + Num(KEY_PATH_SIZE - 1) +
                   " characters";
        return result + ": no key " + opens.front().path + OtherRecords(m, opens.front().path);
    }
    std::string key;
    int view = 0;
    for (const sim::RegOpen &o : opens)
        if (o.result == ERROR_SUCCESS) {
            key = o.path;
            view = (o.sam & KEY_WOW64_64KEY) ? 1 : 0;
        }
    std::string where = view ? " (in the 64-bit registry view)" : "";
    if (status == Installed) {
        if (UnquotedProgramWithBlanks(command).empty())
            return result + where + ": runs " + Quote(command);
        StartProgram(command, FALSE);
        return result + where + ": runs " + Quote(sim::Starts().back().file) + " (the recorded " + Quote(command) +
               " is unquoted: its program is the longest part before a blank that names a file)";
    }

    std::string drive, program;
    for (const std::string &e : events) {
        if (EventStarts(e, "GetDriveTypeA("))
            drive = Inside(e);
        else if (EventStarts(e, "GetFileAttributesA(") || EventStarts(e, "OpenFile("))
            program = Inside(e); // the last one is the program's own test
    }
    if (drive.empty() && !lookup.drive_value.empty()) {
        const RegValue *cd = FindValue(m, view, key, lookup.drive_value.c_str());
        return result + ": " + (cd ? "value " + drive_value + " is empty" : "no value " + drive_value) + " under " +
               key + where;
    }
    if (program.empty()) {
        UINT type = GetDriveTypeA(drive.c_str());
        if (!drive.empty() && !IsUsableDrive(drive.c_str())) {
            std::string letter = drive.substr(0, 2);
            if (type == DRIVE_NO_ROOT_DIR)
                return result + ": drive " + letter + " (from " + drive_value + ") is not present";
            if (type == DRIVE_RAMDISK)
                return result + ": drive " + letter + " (from " + drive_value +
                       ") is a RAM disk, which the launcher does not accept";
            return result + ": drive " + letter + " (from " + drive_value + ") is of an unknown type";
        }
        const RegValue *line = FindValue(m, view, key, lookup.command_value.c_str());
        if (!line)
            return result + ": no value " + command_value + " under " + key + where;
        std::string text(line->data.c_str());
        if (text.empty())
            return result + ": value " + command_value + " is empty under " + key + where;
        if (text.size() > COMMAND_LINE_SIZE - 1)
            return result + ": value " + command_value + " is " + Num(static_cast<long long>(text.size())) +
                   " characters long; the launcher reads at most " + Num(COMMAND_LINE_SIZE - 1);
        return result + ": " + command_value + " names no program: " + Quote(text);
    }
    std::string detail;
    if (program.size() >= 2 && program[1] == ':') {
        std::string host = sim::HostPath(program.c_str());
        if (host.empty())
            detail = " (drive " + program.substr(0, 2) + " is absent: map it with --drive " + program.substr(0, 2) +
                     "=FOLDER)";
        else if (IsFolder(host))
            return result + ": program " + Quote(program) + " is a folder, not a program (" + Host(host) + ")";
        else
            detail = " (looked for " + Host(host) + ")";
    } else {
        detail = " (the command line does not start with a full path)";
    }
    // An unquoted path that goes on past a blank ("C:\Program Files\...").
    const char *line = command + std::strspn(command, " \t\n");
    const char *next = line + std::strcspn(line, " \t\n");
    next += std::strspn(next, " \t\n");
    if (*line != '"' && std::string(next, std::strcspn(next, " \t\n")).find('\\') != std::string::npos)
        detail += "; the line is unquoted, and no longer part of it before a blank names a file either";
    return result + ": program " + Quote(program) + " is not present" + detail;
}

// A recorded command line whose program path holds blanks should quote that
// path: this launcher finds the program as the longest start of the line
// that names a file, but launchers before it take the first word for the
// program. Says what to write instead, with the path the launcher finds on
// the machine, or else the first start that ends in ".exe".
void AdviseQuoting(Report &r, const Machine &m, const std::string &label, const std::string &section,
                   const LauncherPaths &paths) {
    const std::string value_name = LookupOf(m, section, paths).command_value;
    SetUp(m);
    char name[PROGRAM_NAME_SIZE];
    char command[COMMAND_LINE_SIZE];
    ProbeProduct(section.c_str(), paths.config, name, command);
    std::string key;
    int view = 0;
    for (const sim::RegOpen &o : sim::RegOpens())
        if (o.result == ERROR_SUCCESS) {
            key = o.path;
            view = (o.sam & KEY_WOW64_64KEY) ? 1 : 0;
        }
    const RegValue *value = key.empty() ? nullptr : FindValue(m, view, key, value_name.c_str());
    if (!value)
        return;
    std::string line(value->data.c_str());
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '"')
        return;
    line = line.substr(start);
    std::vector<size_t> ends; // where the program path may end: before a blank, or at the end
    for (size_t i = 1; i < line.size(); ++i)
        if ((line[i] == ' ' || line[i] == '\t') && line[i - 1] != ' ' && line[i - 1] != '\t')
            ends.push_back(i);
    if (line.back() != ' ' && line.back() != '\t')
        ends.push_back(line.size());
    if (ends.size() < 2)
        return; // one word: nothing to quote
    size_t end = UnquotedProgramWithBlanks(line.c_str()).size();
    bool found = end != 0;
    if (!found && IsRegularFile(sim::HostPath(line.substr(0, ends[0]).c_str())))
        return; // the first word is the program
    for (size_t k = 0; end == 0 && k < ends.size(); ++k)
        if (ends[k] >= 4 && Lower(line.substr(ends[k] - 4, 4)) == ".exe")
            end = ends[k];
    if (end == ends[0])
        return; // the first word is the program, though not on this machine
    if (end == 0) {
        // A first word without an extension looks like a path cut at a blank.
        std::string first = line.substr(0, ends[0]);
        if (first.find('.', first.find_last_of("\\:") + 1) != std::string::npos)
            return;
        r.Warning(label + ": " + Quote(value_name) + " " + Quote(line) +
                  " is not quoted and holds blanks: if the program's path holds blanks, write it in quotes, as in "
                  "\"C:\\Program Files\\Name\\Program.exe\" /option");
        return;
    }
    std::string quoted = "\"" + line.substr(0, end) + "\"" + line.substr(end);
    std::string reg;
    for (char c : quoted)
        reg += c == '\\' || c == '"' ? std::string("\\") + c : std::string(1, c);
    std::string reg_name;
    for (char c : value_name)
        reg_name += c == '\\' || c == '"' ? std::string("\\") + c : std::string(1, c);
    r.Warning(label + ": " + Quote(value_name) + " " + Quote(line) + " is not quoted, and its program's path holds blanks: " +
              (found ? "this launcher finds the program, older ones call the product incomplete; " : "") +
              "write the path in quotes, " + quoted + " (in a .reg file: \"" + reg_name + "\"=\"" + reg + "\")");
}

} // namespace

void Predict(Report &r, const Machine &m, const DiscView &view) {
    std::string machine = "machine: " + std::string(1, m.disc) + ": is the disc (CD-ROM)";
    for (const auto &d : m.drives)
        machine += "; " + std::string(1, d.first) + ": is a fixed disk (" + Host(d.second) + ")";
    r.Info(machine + "; every other drive is absent");
    if (m.language)
        r.Info(LanguageLine(m, view));

    Run first = RunWith(m, {});
    for (int i = 0; i < 2; ++i) {
        std::string label = "product " + Num(i + 1);
        if (!view.looked_up || view.sections[i].empty()) {
            const char *why = !view.looked_up ? "the launcher looks up no product" : "Product names no second section";
            r.Info(label + ": NotInstalled: not looked up (" + why + ")");
            continue;
        }
        std::string reason = ProbeReason(m, view.sections[i], view.paths);
        if (reason.compare(0, std::strlen(StatusName(first.status[i])), StatusName(first.status[i])) != 0)
            reason = std::string(StatusName(first.status[i])) + " (alone: " + reason + ")";
        r.Info(label + " [" + view.sections[i] + "]: " + reason);
        AdviseQuoting(r, m, label + " [" + view.sections[i] + "]", view.sections[i], view.paths);
    }
    Tree tree = Explore(m, {});
    Render(r, tree, "", "the launcher: ");
}

std::vector<Screen> ScreensOf(const Machine &m) {
    std::vector<Screen> screens;
    Tree tree = Explore(m, {});
    for (const Tree *t = &tree; !t->leaf && !t->branches.empty(); t = &t->branches.front().tree) {
        Screen s;
        s.kind = t->what.message_box ? "message box" : Lower(t->what.templ) == "launcher" ? "splash" : "choice";
        s.templ = t->what.templ;
        s.text = t->what.text;
        s.caption = t->what.caption;
        s.enter_label = t->what.message_box ? "Yes" : "Enter";
        s.cancel_label = t->what.message_box ? "No" : "Cancel";
        const Tree &enter = t->branches.front().tree, &cancel = t->branches.back().tree;
        s.enter = enter.leaf ? StartsText(enter.starts, true) : "shows the next window";
        s.cancel = cancel.leaf ? StartsText(cancel.starts, true) : "shows the next window";
        s.description = Describe(t->what);
        screens.push_back(s);
    }
    return screens;
}

} // namespace disccheck
