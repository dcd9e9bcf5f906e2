// Where the launcher sits on a disc given as its root folder, the launcher's
// own folder or an image: the one way disccheck, ./demo.sh and
// tools/make-image.sh find it (the scripts ask disccheck --where). And how
// autorun.inf's open= names a program, as Windows takes the line.
#include "disccheck_internal.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "sim.h"

namespace disccheck {
namespace {

namespace fs = std::filesystem;

// Enough for any disc; a folder given by mistake (a home folder) is not
// walked to its end.
const size_t kMostNames = 50000;
const int kDeepest = 8;


std::string FolderOf(const std::string &path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

std::string LeafOf(const std::string &path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether two host names name the same file for Windows.
bool Same(const std::string &a, const std::string &b) {
    return sim::FoldAnsi(sim::AnsiName(a)) == sim::FoldAnsi(sim::AnsiName(b));
}

// The entry of names (host names, "/" between folders) that Windows takes
// for path; empty when there is none.
std::string Lookup(const std::vector<DiscName> &names, const std::string &path, bool folder) {
    for (const DiscName &n : names)
        if (n.folder == folder && Same(n.path, path))
            return n.path;
    return "";
}

// Folders that hold launcher.exe or, on a disc not yet laid out, install.ini.
std::vector<std::string> LauncherFolders(const std::vector<DiscName> &names) {
    std::vector<std::string> folders;
    for (const DiscName &n : names) {
        if (n.folder || !(Same(LeafOf(n.path), "launcher.exe") || Same(LeafOf(n.path), "install.ini")))
            continue;
        std::string folder = FolderOf(n.path);
        bool known = false;
        for (const std::string &f : folders)
            known = known || Same(f, folder);
        if (!known)
            folders.push_back(folder);
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

// The launcher's folder that autorun.inf's open= names, when it names a
// launcher.exe in a folder of the disc.
bool FolderFromAutorun(const std::string &root, const std::vector<DiscName> &names, std::string *folder) {
    if (Lookup(names, "autorun.inf", false).empty())
        return false;
    ResetMachine();
    sim::MapDrive('D', DRIVE_CDROM, root);
    std::string open = Profile("autorun", "open", "D:\\autorun.inf");
    ResetMachine();
    OpenLine line = ReadOpenLine(open, [&](const std::string &p) { return !Lookup(names, sim::HostName(Slashed(p)), false).empty(); }, "");
    std::string program = Slashed(line.program);
    if (program.empty() || program.find(':') != std::string::npos || !Same(LeafOf(program), "launcher.exe"))
        return false;
    std::string found = FolderOf(program);
    if (!found.empty() && Lookup(names, sim::HostName(found), true).empty())
        return false;
    *folder = found.empty() ? "" : Lookup(names, sim::HostName(found), true);
    return true;
}

} // namespace

std::vector<DiscName> ListFolder(const std::string &root) {
    std::vector<DiscName> names;
    std::error_code ec;
    fs::recursive_directory_iterator it(FsPath(root), fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end && names.size() < kMostNames; it.increment(ec)) {
        if (it.depth() >= kDeepest)
            it.disable_recursion_pending();
        std::string relative = HostOf(it->path().lexically_relative(FsPath(root)));
        for (char &c : relative)
            if (c == '\\')
                c = '/';
        std::error_code type_ec;
        bool folder = it->is_directory(type_ec);
        if (folder || it->is_regular_file(type_ec))
            names.push_back(DiscName{relative, folder});
    }
    return names;
}

OpenLine ReadOpenLine(const std::string &open, const std::function<bool(const std::string &)> &exists,
                      const std::string &launcher) {
    OpenLine line;
    size_t start = open.find_first_not_of(" \t");
    if (start == std::string::npos)
        return line;
    std::string text = open.substr(start);
    if (text[0] == '"') {
        line.program = NormaliseDiscPath(text.substr(1, text.find('"', 1) == std::string::npos ? std::string::npos
                                                                                                : text.find('"', 1) - 1));
        return line;
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    // Windows tries the part before each blank in turn, the shortest first,
    // adding ".exe" to a name without an extension.
    std::vector<std::string> parts;
    for (size_t i = 1; i <= text.size(); ++i)
        if (i == text.size() || ((text[i] == ' ' || text[i] == '\t') && text[i - 1] != ' ' && text[i - 1] != '\t'))
            parts.push_back(NormaliseDiscPath(text.substr(0, i)));
    auto named = [&](const std::string &part) -> std::string {
        if (exists(part))
            return part;
        std::string leaf = part.substr(part.find_last_of("\\/") == std::string::npos ? 0 : part.find_last_of("\\/") + 1);
        if (leaf.find('.') == std::string::npos && exists(part + ".exe"))
            return part + ".exe";
        return "";
    };
    for (const std::string &part : parts) {
        line.program = named(part);
        if (!line.program.empty())
            break;
    }
    std::string meant;
    for (const std::string &part : parts)
        if (meant.empty() && (launcher.empty() ? Lower(LeafOf(Slashed(part))) == "launcher.exe"
                                               : Lower(Slashed(part)) == Lower(Slashed(launcher))))
            meant = part;
    if (line.program.empty())
        line.program = meant.empty() ? parts.front() : meant;
    else if (!meant.empty() && Lower(Slashed(meant)) != Lower(Slashed(line.program)))
        line.instead_of = meant;
    return line;
}

bool PlaceLauncher(const std::string &given, const Image *image, const std::string &launcher_dir, Machine *m,
                   std::string *how, std::string *problem) {
    const std::string what = image ? "the image" : "the disc root " + Host(given);
    std::string root = image ? image->root : given;
    std::vector<DiscName> names = image ? image->names : ListFolder(root);
    std::string folder;
    bool found = false;
    if (!launcher_dir.empty()) {
        std::string wanted = Slashed(NormaliseDiscPath(launcher_dir));
        while (!wanted.empty() && wanted.back() == '/')
            wanted.pop_back();
        folder = wanted.empty() ? "" : Lookup(names, sim::HostName(wanted), true);
        if (!wanted.empty() && folder.empty() && image)
            folder = Lookup(image->rr_names, sim::HostName(wanted), true);
        if (!wanted.empty() && folder.empty()) {
            *problem = what + " has no folder " + Quote(Backslashed(launcher_dir)) + " (given with --launcher-dir)";
            return false;
        }
        *how = "given with --launcher-dir";
        found = true;
    } else if (FolderFromAutorun(root, names, &folder)) {
        *how = "named by autorun.inf's open=";
        found = true;
    } else if (!image) {
        // The launcher's own folder, given as it is.
        for (const char *own : {"launcher.exe", "install.ini"})
            if (!Lookup(names, own, false).empty() && !found) {
                fs::path p = FsPath(given);
                fs::path parent = p.parent_path();
                if (!parent.empty() && parent != p) {
                    m->root = HostOf(parent);
                    m->folder = sim::AnsiName(HostOf(p.filename()));
                    *how = "the folder given holds " + std::string(own);
                    return true;
                }
            }
    }
    if (!found) {
        std::vector<std::string> folders = LauncherFolders(names);
        if (folders.empty() && image)
            folders = LauncherFolders(image->rr_names);
        if (folders.size() != 1) {
            std::string list;
            for (size_t i = 0; i < folders.size() && i < 4; ++i)
                list += (i ? ", " : "") + Quote(Backslashed(sim::AnsiName(folders[i])));
            *problem = "cannot tell which folder is the launcher's: expected " +
                       std::string(image ? "an image whose autorun.inf names launcher.exe with open=, or where one "
                                           "folder holds launcher.exe or install.ini; "
                                         : "a disc root whose autorun.inf names launcher.exe with open=, or where one "
                                           "folder holds launcher.exe or install.ini, or the launcher's own folder; ") +
                       (folders.empty() ? std::string("no folder holds one")
                                        : Num(static_cast<long long>(folders.size())) + " folders hold one (" + list +
                                              (folders.size() > 4 ? ", ..." : "") + ")") +
                       ": name it with --launcher-dir NAME";
            return false;
        }
        folder = folders[0];
        *how = "the one folder that holds launcher.exe or install.ini";
    }
    m->root = root;
    m->folder = Backslashed(sim::AnsiName(folder));
    return true;
}

// A character at a time: in the double-byte code pages the second byte of
// a character may be a backslash (and in UTF-8 a byte of a character never
// is one, so host names come through alike).
std::string Slashed(std::string path) {
    for (size_t at = FindWhole(path, '\\'); at != std::string::npos; at = FindWhole(path, '\\', at + 1))
        path[at] = '/';
    return path;
}

std::string Backslashed(std::string path) {
    for (size_t at = FindWhole(path, '/'); at != std::string::npos; at = FindWhole(path, '/', at + 1))
        path[at] = '\\';
    return path;
}

} // namespace disccheck
