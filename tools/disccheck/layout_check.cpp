// The disc's layout around the launcher: setup.exe in the disc root,
// launcher.exe beside install.ini, and autorun.inf naming the launcher.
#include "disccheck_internal.h"

#include <windows.h>

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

void CheckPrograms(Report &r, const Machine &m, const DiscView &view) {
    SetUp(m);
    if (!IsRegularFile(sim::HostPath(view.paths.installer)))
        r.Error("setup.exe: missing from the disc root: the launcher starts " + Quote(view.paths.installer));
    if (!IsRegularFile(sim::HostPath(ModulePath(m).c_str())))
        r.Error("launcher.exe: missing beside install.ini");
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
    if (!SectionsOf(bytes).count("autorun")) {
        r.Error("autorun.inf: no section [autorun]: AutoPlay does not start the launcher; add [autorun] with open=" +
                launcher);
        return;
    }
    std::string open = Profile("autorun", "open", win);
    if (open.empty()) {
        r.Error("autorun.inf: [autorun] has no open=: add open=" + launcher);
    } else {
        std::vector<char> program(open.size() + 1);
        SplitCommandLine(open.c_str(), program.data(), static_cast<int>(program.size()));
        std::string named = NormaliseDiscPath(program.data());
        if (named.size() >= 2 && named[1] == ':')
            r.Error("autorun.inf: [autorun] open=" + open +
                    " names a drive letter: write the path relative to the disc root, open=" + launcher);
        else if (Lower(named) != Lower(launcher))
            r.Error("autorun.inf: [autorun] open=" + open + " does not name the launcher: write open=" + launcher);
    }
    std::string icon = Profile("autorun", "icon", win);
    if (icon.empty()) {
        r.Warning("autorun.inf: [autorun] has no icon=: add icon=" + launcher +
                  " so that the disc shows the launcher's icon");
    } else {
        std::string file = NormaliseDiscPath(icon.substr(0, icon.find(',')));
        while (!file.empty() && (file.back() == ' ' || file.back() == '\t'))
            file.pop_back();
        std::string where = std::string(1, m.disc) + ":\\" + file;
        if (file.size() >= 2 && file[1] == ':')
            r.Warning("autorun.inf: [autorun] icon=" + icon + " names a drive letter: write the path relative to the "
                      "disc root");
        else if (!IsRegularFile(sim::HostPath(where.c_str())))
            r.Warning("autorun.inf: [autorun] icon=" + icon + " names a file that is not on the disc");
    }
}

} // namespace disccheck
