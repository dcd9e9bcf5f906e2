// What an ISO 9660 image holds as Windows reads it: the tree of names it
// reads (Joliet, else plain ISO 9660, never Rock Ridge), the volume label,
// and the files the launcher and AutoPlay need, under those names.
#include "disccheck_internal.h"

#include <windows.h>

#include <string>
#include <vector>

#include "sim.h"

namespace disccheck {
namespace {

std::string OnDisc(std::string path) {
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string InImage(std::string path) {
    for (char &c : path)
        if (c == '\\')
            c = '/';
    while (!path.empty() && path[0] == '/')
        path.erase(0, 1);
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    return path == "." ? "" : path;
}

// The name the image gives a path, matched as Windows matches names
// (without regard to case); empty when it has none.
std::string Named(const std::vector<std::string> &names, const std::string &path) {
    std::string want = Lower(path);
    for (const std::string &n : names)
        if (n.size() == want.size() && Lower(n) == want)
            return n;
    return "";
}

std::string FolderOf(const std::string &path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

// The folders that hold a launcher.exe.
std::vector<std::string> LauncherFolders(const std::vector<std::string> &names) {
    std::vector<std::string> folders;
    for (const std::string &n : names) {
        size_t slash = n.rfind('/');
        if (Lower(n.substr(slash == std::string::npos ? 0 : slash + 1)) == "launcher.exe")
            folders.push_back(FolderOf(n));
    }
    return folders;
}

// The folder of the program autorun.inf's open= starts, when that program is
// launcher.exe on the disc.
bool FolderFromAutorun(const Image &image, std::string *folder) {
    if (Named(image.names, "autorun.inf").empty())
        return false;
    sim::Reset();
    sim::MapDrive('D', DRIVE_CDROM, image.root);
    std::string open = Profile("autorun", "open", "D:\\autorun.inf");
    sim::Reset();
    std::vector<char> program(open.size() + 1);
    SplitCommandLine(open.c_str(), program.data(), static_cast<int>(program.size()));
    std::string named = InImage(NormaliseDiscPath(program.data()));
    if (named.find(':') != std::string::npos || named.empty())
        return false;
    size_t slash = named.rfind('/');
    if (Lower(named.substr(slash == std::string::npos ? 0 : slash + 1)) != "launcher.exe")
        return false;
    *folder = FolderOf(named);
    return true;
}

} // namespace

bool FindLauncherFolder(const Image &image, const std::string &given, std::string *folder, std::string *how,
                        std::string *problem) {
    std::string found;
    if (!given.empty()) {
        found = InImage(given);
        if (!found.empty() && Named(image.names, found).empty() && Named(image.rr_names, found).empty()) {
            *problem = "the image has no folder " + Quote(OnDisc(found)) + " (given with --launcher-dir)";
            return false;
        }
        *how = "given with --launcher-dir";
    } else if (FolderFromAutorun(image, &found)) {
        *how = "named by autorun.inf's open=";
    } else {
        std::vector<std::string> folders = LauncherFolders(image.names);
        if (folders.empty())
            folders = LauncherFolders(image.rr_names);
        if (folders.size() != 1) {
            *problem = "cannot tell which folder of the image is the launcher's: autorun.inf's open= names no "
                       "launcher.exe, and " +
                       Num(static_cast<long long>(folders.size())) +
                       " folders hold one: name it with --launcher-dir NAME";
            return false;
        }
        found = folders[0];
        *how = "the one folder that holds launcher.exe";
    }
    std::string named = Named(image.names, found);
    *folder = OnDisc(named.empty() ? found : named);
    return true;
}

void CheckImage(Report &r, const Machine &m, const DiscView &view, const Image &image) {
    const std::string tree = image.joliet ? "Joliet" : "ISO 9660";
    r.Info("image: " + image.path + ": Windows reads its " + tree + " names; " +
           (image.label.empty() ? std::string("no volume label") : "volume label " + Quote(image.label)));
    if (!image.joliet)
        r.Warning("image: no Joliet tree: Windows shows the plain ISO 9660 names, in capitals and cut short where "
                  "they are long; make the image with Joliet (tools/make-image.sh does)");
    if (image.label.empty())
        r.Warning("image: no volume label: Explorer and AutoPlay show the disc with no name of its own; give the "
                  "image a label (tools/make-image.sh DISC-ROOT OUT.iso LABEL)");
    if (!image.unsafe.empty()) {
        std::string list;
        for (size_t i = 0; i < image.unsafe.size() && i < 3; ++i)
            list += (i ? ", " : "") + Quote(image.unsafe[i]);
        r.Error("image: holds names that no file can have (" + list + (image.unsafe.size() > 3 ? ", ..." : "") +
                "): the image is damaged, and Windows cannot open those entries");
    }

    struct Needed {
        const char *subject;
        std::string path;
        bool when_absent; // an error even when no tree of the image names it
        std::string then;
    };
    std::string folder = InImage(m.folder);
    std::string in_folder = folder.empty() ? "" : folder + "/";
    std::string installer = view.paths.installer;
    std::string setup = InImage(installer.size() > 2 && installer[1] == ':' ? installer.substr(2) : installer);
    const Needed needed[] = {
        {"autorun.inf", "autorun.inf", true, "AutoPlay does not start the launcher when the disc is inserted"},
        {"launcher.exe", in_folder + "launcher.exe", true, "there is no " + Quote(ModulePath(m)) + " to start"},
        {"install.ini", in_folder + "install.ini", true,
         "the launcher looks up no product and always offers to install"},
        // The launcher has a picture of its own: only a picture Windows cannot see is an error.
        {"Launcher.bmp", in_folder + "Launcher.bmp", false, "the launcher shows its built-in picture instead"},
        {view.installer_label.c_str(), setup, true,
         "the launcher cannot start " + Quote(installer)},
    };
    for (const Needed &n : needed) {
        if (n.path.empty() || !Named(image.names, n.path).empty())
            continue;
        std::string elsewhere = Named(image.rr_names, n.path);
        if (!n.when_absent && elsewhere.empty())
            continue;
        r.Error(std::string(n.subject) + ": " + Quote(OnDisc(n.path)) + " is not in the image under the " + tree +
                " names Windows reads" +
                (elsewhere.empty() ? "" : ", only under its Rock Ridge name " + Quote(OnDisc(elsewhere))) + ": " +
                n.then);
        r.settled.insert(n.subject);
    }
}

} // namespace disccheck
