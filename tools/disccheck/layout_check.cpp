// The disc's layout around the launcher: setup.exe in the disc root,
// launcher.exe beside install.ini, and autorun.inf naming the launcher.
#include "disccheck_internal.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "sim.h"

namespace disccheck {

std::string NormaliseDiscPath(std::string p) {
    for (char &c : p)
        if (c == '/')
            c = '\\';
    while (p.compare(0, 2, ".\\") == 0)
        p = p.substr(2);
    while (!p.empty() && p[0] == '\\')
        p = p.substr(1);
    return p;
}

namespace {

const uint32_t kMachineI386 = 0x14C;

std::string MachineName(uint32_t machine) {
    switch (machine) {
    case 0x8664:
        return "x86-64";
    case 0xAA64:
        return "ARM64";
    case 0x1C4:
        return "ARM";
    case 0x200:
        return "Itanium";
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(machine));
    return std::string("machine type ") + hex;
}

// Why Windows would not start the file as a program; empty when it would.
// The machine type it is built for goes to *machine.
std::string ProgramProblem(const std::string &host, uint32_t *machine) {
    std::string head, pe;
    ReadAt(host, 0, 64, &head);
    if (head.empty())
        return "is empty";
    if (head.size() < 2 || head[0] != 'M' || head[1] != 'Z')
        return "is not a Windows program (it does not start with \"MZ\")";
    if (head.size() < 64 || !ReadAt(host, Le32(head, 0x3C), 6, &pe) || pe.size() < 6 ||
        pe.compare(0, 4, std::string("PE\0\0", 4)) != 0)
        return "is not a Windows program (it has no \"PE\" signature: an MS-DOS or 16-bit program at most)";
    *machine = Le16(pe, 4);
    return "";
}

const char kLauncherOrigin[] = "copy build/win32/launcher.exe there (the win32 preset builds it; "
                               "samples/prepare-disc.sh build/win32/launcher.exe DIR does both)";

} // namespace

void CheckPrograms(Report &r, const Machine &m, const DiscView &view) {
    SetUp(m);
    std::string setup = sim::HostPath(view.paths.installer);
    uint32_t machine = 0;
    const std::string &label = view.installer_label;
    if (!IsRegularFile(setup)) {
        r.Error(label + (label == "setup.exe" ? ": missing from the disc root" : ": missing from the disc") +
                ": the launcher starts " + Quote(view.paths.installer));
    } else {
        std::string problem = ProgramProblem(setup, &machine);
        if (!problem.empty())
            r.Error(label + ": " + problem + ": Windows refuses to start it, so " + Quote(DiscText(TextInstall)) +
                    " installs nothing");
    }
    std::string launcher = sim::HostPath(ModulePath(m).c_str());
    if (!IsRegularFile(launcher)) {
        r.Error("launcher.exe: missing beside install.ini: " + std::string(kLauncherOrigin));
        return;
    }
    std::string problem = ProgramProblem(launcher, &machine);
    if (!problem.empty())
        r.Error("launcher.exe: " + problem + ": Windows refuses to start it; " + kLauncherOrigin);
    else if (machine != kMachineI386)
        r.Error("launcher.exe: is not the 32-bit build (it is built for " + MachineName(machine) +
                "): 32-bit Windows cannot start it; " + kLauncherOrigin);
}

void CheckAutorun(Report &r, const Machine &m) {
    SetUp(m);
    std::string win = std::string(1, m.disc) + ":\\autorun.inf";
    std::string host = sim::HostPath(win.c_str());
    std::string bytes;
    if (!IsRegularFile(host) || !ReadWhole(host, &bytes)) {
        r.Warning("autorun.inf: missing from the disc root: AutoPlay does not start the launcher when the disc "
                  "is inserted");
        return;
    }
    std::string problem = TextProblem(bytes);
    if (!problem.empty()) {
        r.Error("autorun.inf: " + problem);
        return;
    }
    std::string launcher = (m.folder.empty() ? "" : m.folder + "\\") + "launcher.exe";
    // What to write: the path in quotes when it holds a blank.
    std::string write = launcher.find_first_of(" \t") == std::string::npos ? launcher : "\"" + launcher + "\"";
    if (!SectionsOf(bytes).count("autorun")) {
        r.Error("autorun.inf: no section [autorun]: AutoPlay does not start the launcher; add [autorun] with open=" +
                write);
        return;
    }
    std::string open = Profile("autorun", "open", win);
    auto on_disc = [&](const std::string &path) {
        return IsRegularFile(sim::HostPath((std::string(1, m.disc) + ":\\" + path).c_str()));
    };
    OpenLine line = ReadOpenLine(open, on_disc, launcher);
    std::string named = line.program;
    if (open.empty()) {
        r.Error("autorun.inf: [autorun] has no open=: add open=" + write);
    } else if (named.size() >= 2 && named[1] == ':') {
        r.Error("autorun.inf: [autorun] open=" + open +
                " names a drive letter: write the path relative to the disc root, open=" + write);
    } else if (!line.instead_of.empty()) {
        // Seen under Wine, as Windows documents it for a command line: the
        // part before the first blank is tried first. Quotes around the
        // whole value do not help: the profile reader drops them.
        r.Error("autorun.inf: [autorun] open=" + open + " starts " + Quote(named) +
                ", not the launcher: Windows tries the part of the line before each blank first, and that one names "
                "a file on the disc; rename that file or take it off the disc");
    } else if (Lower(named) != Lower(launcher)) {
        r.Error("autorun.inf: [autorun] open=" + open + " does not name the launcher: write open=" + write);
    } else if (Lower(open).substr(0, Lower(open).find(Lower(named.substr(named.rfind('\\') + 1)))).find('/') !=
               std::string::npos) {
        r.Warning("autorun.inf: [autorun] open=" + open + " has forward slashes: Windows starts a program so "
                  "named, but AutoPlay documents open= with backslashes only: write open=" + write);
    }
    std::string icon = Profile("autorun", "icon", win);
    if (icon.empty()) {
        r.Warning("autorun.inf: [autorun] has no icon=: add icon=" + launcher +
                  " so that the disc shows the launcher's icon");
    } else {
        std::string file = icon.substr(0, icon.find(','));
        while (!file.empty() && (file.back() == ' ' || file.back() == '\t'))
            file.pop_back();
        if (file.size() >= 2 && file[0] == '"' && file.back() == '"')
            file = file.substr(1, file.size() - 2);
        file = NormaliseDiscPath(file);
        std::string where = std::string(1, m.disc) + ":\\" + file;
        if (file.size() >= 2 && file[1] == ':')
            r.Warning("autorun.inf: [autorun] icon=" + icon + " names a drive letter: write the path relative to the "
                      "disc root");
        else if (!IsRegularFile(sim::HostPath(where.c_str())))
            r.Warning("autorun.inf: [autorun] icon=" + icon + " names a file that is not on the disc");
    }
}

} // namespace disccheck
