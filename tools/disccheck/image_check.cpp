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

// A host path (UTF-8, whose bytes of a character are never a slash) with
// backslashes between its folders.
std::string HostBackslashed(std::string path) {
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
std::string Named(const std::vector<DiscName> &names, const std::string &path) {
    std::string want = sim::FoldAnsi(sim::AnsiName(path));
    for (const DiscName &n : names)
        if (!n.folder && sim::FoldAnsi(sim::AnsiName(n.path)) == want)
            return n.path;
    return "";
}

// What ISO 9660 does not allow in its plain label (A-Z, 0-9 and "_" only; a
// blank is taken by Windows and most tools), in words; empty when nothing.
std::string LabelProblem(const std::string &label) {
    std::vector<std::string> kinds;
    std::string signs;
    bool lower = false, beyond = false;
    for (unsigned char c : label) {
        if (c >= 'a' && c <= 'z')
            lower = true;
        else if (c >= 0x80)
            beyond = true;
        else if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ' ') &&
                 signs.find(Quote(std::string(1, static_cast<char>(c)))) == std::string::npos)
            signs += (signs.empty() ? "" : ", ") + Quote(std::string(1, static_cast<char>(c)));
    }
    if (lower)
        kinds.push_back("lower-case letters");
    if (beyond)
        kinds.push_back("characters beyond ASCII");
    if (!signs.empty())
        kinds.push_back(signs);
    std::string text;
    for (size_t i = 0; i < kinds.size(); ++i)
        text += (i == 0 ? "" : i + 1 == kinds.size() ? " and " : ", ") + kinds[i];
    return text;
}

} // namespace

void CheckImage(Report &r, const Machine &m, const DiscView &view, const Image &image) {
    const std::string tree = image.joliet ? "Joliet" : "ISO 9660";
    r.Info("image: " + Host(image.path) + ": Windows reads its " + tree + " names; " +
           (image.label.empty() ? std::string("no volume label") : "volume label " + Quote(Utf8(image.label))));
    if (!image.joliet)
        r.Warning("image: no Joliet tree: Windows shows the plain ISO 9660 names, in capitals and cut short where "
                  "they are long; make the image with Joliet (tools/make-image.sh does)");
    if (image.label.empty())
        r.Warning("image: no volume label: Explorer and AutoPlay show the disc with no name of its own; give the "
                  "image a label (tools/make-image.sh DISC-ROOT OUT.iso LABEL)");
    // Windows 95, 98 and Me show the Joliet label in the ANSI code page: a
    // character the disc's code page lacks shows as "?" there.
    for (uint32_t c : sim::Utf8ToUnicode(image.label)) {
        bool lossy = false;
        sim::UnicodeToAnsi(c, &lossy);
        if (!lossy)
            continue;
        r.Warning("image: the volume label " + Quote(Utf8(image.label)) + " holds " +
                  Utf8(sim::UnicodeToUtf8(std::u32string(1, c))) + ", which " + CodePageName(DiscCodePage()) +
                  " cannot hold: Windows 95, 98 and Me of that code page show \"?\" in its place");
        break;
    }
    std::string bad = LabelProblem(image.iso_label);
    if (!bad.empty())
        // Its bytes as a Western system takes them, whatever made the image.
        r.Warning("image: the plain ISO 9660 volume label holds " + bad +
                  ", which ISO 9660 does not allow in a label (only A-Z, 0-9 and \"_\"): a system that reads no "
                  "Joliet tree shows the disc as " + Quote(image.iso_label) +
                  (image.joliet ? " (Windows shows the Joliet label " + Quote(Utf8(image.label)) + ")" : "") +
                  "; tools/make-image.sh writes that label in capitals");
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
    std::string folder = InImage(sim::HostName(m.folder));
    std::string in_folder = folder.empty() ? "" : folder + "/";
    std::string installer = view.paths.installer;
    std::string setup =
        InImage(sim::HostName(installer.size() > 2 && installer[1] == ':' ? installer.substr(2) : installer));
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
        r.Error(std::string(n.subject) + ": " + Quote(Host(HostBackslashed(n.path))) + " is not in the image under the " + tree +
                " names Windows reads" +
                (elsewhere.empty() ? "" : ", only under its Rock Ridge name " + Quote(Host(HostBackslashed(elsewhere)))) + ": " +
                n.then);
        r.settled.insert(n.subject);
    }
}

} // namespace disccheck
