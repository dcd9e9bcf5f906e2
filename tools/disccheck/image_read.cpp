// An ISO 9660 image as Windows reads it, laid out in a host folder so that
// the checks and the prediction run on the simulated drive as they do on a
// disc folder. libarchive reads the directory trees and the files; the
// volume descriptors (which tree Windows reads, the label) are read here.
//
// Windows reads the Joliet tree when the image has one, otherwise the plain
// ISO 9660 names; never Rock Ridge. libarchive prefers Rock Ridge, so the
// Windows view is read with Rock Ridge turned off, and the Rock Ridge view
// (names only) with the defaults, to tell authors where a missing file went.
#include "disccheck_internal.h"

#ifdef _WIN32
// libarchive's header names a type of the real <windows.h>; the checker is
// built on the simulated one.
typedef struct _BY_HANDLE_FILE_INFORMATION BY_HANDLE_FILE_INFORMATION;
#endif
#include <archive.h>
#include <archive_entry.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "sim.h"

namespace disccheck {
namespace {

namespace fs = std::filesystem;

const size_t kSector = 2048;
const int kFirstDescriptor = 16;
const int kMostDescriptors = 64; // a real image has a handful; junk stops here

std::string Trimmed(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.pop_back();
    return s;
}

// Whether the image has a Joliet tree, and the label Windows shows: the
// Joliet one where there is a Joliet tree, else the primary one.
void ReadDescriptors(const std::string &host, Image *image) {
    std::string primary, joliet;
    for (int n = kFirstDescriptor; n < kFirstDescriptor + kMostDescriptors; ++n) {
        std::string d;
        if (!ReadAt(host, static_cast<unsigned long long>(n) * kSector, kSector, &d) || d.size() < kSector ||
            d.compare(1, 5, "CD001") != 0)
            break;
        unsigned char type = static_cast<unsigned char>(d[0]);
        if (type == 255)
            break;
        if (type == 1 && primary.empty())
            primary = Trimmed(d.substr(40, 32));
        if (type == 1 && image->iso_label.empty())
            image->iso_label = primary;
        // A supplementary descriptor with a UCS-2 escape sequence (levels 1 to 3).
        if (type == 2 && !image->joliet && d[88] == '%' && d[89] == '/' &&
            (d[90] == '@' || d[90] == 'C' || d[90] == 'E')) {
            image->joliet = true;
            joliet = Trimmed(sim::Utf16BeToUtf8(d.substr(40, 32)));
        }
    }
    image->label = image->joliet ? joliet : primary;
}

// A path libarchive gives, as a relative path of plain names; false for
// one that would leave the folder or names no file ("..", "/x", "a//b").
bool SafeRelative(const std::string &path) {
    if (path.empty())
        return false;
    size_t start = 0;
    while (true) {
        size_t end = path.find('/', start);
        std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part.empty() || part == "." || part == ".." || part.find('\\') != std::string::npos)
            return false;
        if (end == std::string::npos)
            return true;
        start = end + 1;
        if (start == path.size()) // a folder's trailing "/"
            return true;
    }
}

bool ValidUtf8(const std::string &s) {
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t more = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 9;
        if (more == 9 || i + more >= s.size() + (more ? 0 : 1))
            return false;
        for (size_t k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += 1 + more;
    }
    return true;
}

// An entry's path as the host spells it (UTF-8 on every host). Joliet names
// come as UTF-16 and libarchive gives them as UTF-8; plain ISO 9660 names
// are bytes as they stand, which Windows takes in its ANSI code page.
std::string HostPathOf(const char *utf8, const char *native) {
    std::string path = utf8 ? utf8 : native ? native : "";
    if (!ValidUtf8(path))
        path = sim::AnsiToUtf8(path);
    return path;
}

std::string EntryPath(archive_entry *e) {
    std::string path = HostPathOf(archive_entry_pathname_utf8(e), archive_entry_pathname(e));
    if (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string LinkPath(archive_entry *e) {
    return HostPathOf(archive_entry_hardlink_utf8(e), archive_entry_hardlink(e));
}

std::string ArchiveProblem(archive *a, const char *fallback) {
    const char *text = archive_error_string(a);
    return text ? text : fallback;
}

// The files the checks read whole; every other file only needs to be there.
// A language section's picture may have any name: every bitmap is read.
bool ReadWholeByChecks(const std::string &path) {
    std::string name = Lower(path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1));
    return name == "autorun.inf" || name == "install.ini" || name == "launcher.exe" || name == "setup.exe" ||
           (name.size() > 4 && name.compare(name.size() - 4, 4, ".bmp") == 0);
}

bool CopyData(archive *a, const fs::path &host, std::string *problem) {
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    if (!out) {
        *problem = "cannot write " + Host(HostOf(host));
        return false;
    }
    const void *block;
    size_t size;
    la_int64_t offset;
    la_int64_t written = 0;
    int status;
    while ((status = archive_read_data_block(a, &block, &size, &offset)) == ARCHIVE_OK) {
        if (offset != written) { // a hole
            out.seekp(offset);
            written = offset;
        }
        out.write(static_cast<const char *>(block), static_cast<std::streamsize>(size));
        written += static_cast<la_int64_t>(size);
    }
    if (status != ARCHIVE_EOF) {
        *problem = "the image is damaged or cut short: " + Utf8(ArchiveProblem(a, "a file's data cannot be read"));
        return false;
    }
    return static_cast<bool>(out);
}

// An image opened for one pass over its Windows tree (Joliet, else ISO
// 9660) or its Rock Ridge tree; null, with the reason, when it is no image.
archive *OpenTree(const std::string &host, bool rock_ridge, std::string *problem) {
    archive *a = archive_read_new();
    archive_read_support_format_iso9660(a);
    if ((!rock_ridge && archive_read_set_options(a, "iso9660:!rockridge") != ARCHIVE_OK) ||
        archive_read_open_filename(a, host.c_str(), 64 * 1024) != ARCHIVE_OK) {
        *problem = "not an ISO 9660 image (" + Utf8(ArchiveProblem(a, "unreadable")) + ")";
        archive_read_free(a);
        return nullptr;
    }
    return a;
}

bool EndOfTree(archive *a, int status, std::string *problem) {
    if (status != ARCHIVE_EOF)
        *problem = "the image is damaged or cut short: " + Utf8(ArchiveProblem(a, "unreadable"));
    archive_read_free(a);
    return status == ARCHIVE_EOF;
}

// Files the checks read whole that share their data with a file read first
// and laid out without its bytes: a second pass copies that file's data to
// them (to: the first file's path, and where each sharer goes).
bool CopyShared(const std::string &host, const std::map<std::string, std::vector<fs::path>> &to,
                std::string *problem) {
    archive *a = OpenTree(host, false, problem);
    if (!a)
        return false;
    archive_entry *e;
    int status;
    bool ok = true;
    while (ok && ((status = archive_read_next_header(a, &e)) == ARCHIVE_OK || status == ARCHIVE_WARN)) {
        auto sharers = to.find(EntryPath(e));
        if (sharers == to.end() || archive_entry_hardlink(e))
            continue;
        ok = CopyData(a, sharers->second.front(), problem);
        std::error_code ec;
        for (size_t i = 1; ok && i < sharers->second.size(); ++i)
            fs::copy_file(sharers->second.front(), sharers->second[i], fs::copy_options::overwrite_existing, ec);
    }
    if (!ok) {
        archive_read_free(a);
        return false;
    }
    return EndOfTree(a, status, problem);
}

// One pass over a directory tree. With a folder, lays the tree out in it.
bool ReadTree(const std::string &host, bool rock_ridge, const std::string &folder, std::vector<DiscName> *names,
              std::vector<std::string> *unsafe, std::string *problem) {
    archive *a = OpenTree(host, rock_ridge, problem);
    if (!a)
        return false;
    std::map<std::string, std::vector<fs::path>> shared;
    archive_entry *e;
    int status;
    bool ok = true;
    while (ok && ((status = archive_read_next_header(a, &e)) == ARCHIVE_OK || status == ARCHIVE_WARN)) {
        std::string path = EntryPath(e);
        if (path == "." || path == "./")
            continue;
        if (!SafeRelative(path)) {
            if (unsafe)
                unsafe->push_back(path);
            continue;
        }
        names->push_back(DiscName{path, archive_entry_filetype(e) == AE_IFDIR});
        if (folder.empty())
            continue;
        std::error_code ec;
        fs::path where = FsPath(folder) / FsPath(path);
        if (archive_entry_filetype(e) == AE_IFDIR) {
            fs::create_directories(where, ec);
            continue;
        }
        fs::create_directories(where.parent_path(), ec);
        // Files that share their data are given as links to the first one.
        std::string target = LinkPath(e);
        if (!target.empty() && SafeRelative(target)) {
            fs::path from = FsPath(folder) / FsPath(target);
            uintmax_t size = fs::file_size(from, ec);
            if (ec)
                continue; // the first of them was not read either
            if (ReadWholeByChecks(path) && ReadWholeByChecks(target))
                fs::copy_file(from, where, fs::copy_options::overwrite_existing, ec);
            else if (ReadWholeByChecks(path))
                shared[target].push_back(where);
            else if (std::ofstream(where, std::ios::binary | std::ios::trunc))
                fs::resize_file(where, size, ec);
        } else if (ReadWholeByChecks(path)) {
            ok = CopyData(a, where, problem);
        } else if (std::ofstream(where, std::ios::binary | std::ios::trunc)) {
            // The size without the bytes: sparse, so a large disc costs no space.
            fs::resize_file(where, static_cast<uintmax_t>(archive_entry_size(e) > 0 ? archive_entry_size(e) : 0), ec);
        }
    }
    if (!ok) {
        archive_read_free(a);
        return false;
    }
    return EndOfTree(a, status, problem) && (shared.empty() || CopyShared(host, shared, problem));
}

} // namespace

ArchiveNames::ArchiveNames() {
#ifndef _WIN32
    const char *now = setlocale(LC_CTYPE, nullptr);
    saved = now ? now : "C";
    setlocale(LC_CTYPE, "C.UTF-8");
#endif
}

ArchiveNames::~ArchiveNames() {
#ifndef _WIN32
    setlocale(LC_CTYPE, saved.c_str());
#endif
}

bool ReadImage(const std::string &host, Image *image, std::string *problem) {
    ArchiveNames names;
    image->path = host;
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    std::string pattern = (ec ? fs::path("/tmp") : base).string() + "/disccheck-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) {
        *problem = "cannot make a temporary folder to read the image into";
        return false;
    }
    image->root = name.data();
    if (!ReadTree(host, false, image->root, &image->names, &image->unsafe, problem) ||
        !ReadTree(host, true, "", &image->rr_names, nullptr, problem))
        return false;
    ReadDescriptors(host, image);
    return true;
}

bool ReadImageFile(const Image &image, const std::string &path, std::string *problem) {
    ArchiveNames names;
    std::string name;
    for (const DiscName &n : image.names)
        if (!n.folder && sim::FoldAnsi(sim::AnsiName(n.path)) == sim::FoldAnsi(path))
            name = n.path;
    if (name.empty())
        return true; // not in the image: a finding of the checks
    const std::string stored = name;
    // A file that shares its data with one before it gives that one's data.
    for (int pass = 0; pass < 2; ++pass) {
        archive *a = OpenTree(image.path, false, problem);
        if (!a)
            return false;
        archive_entry *e;
        int status;
        while ((status = archive_read_next_header(a, &e)) == ARCHIVE_OK || status == ARCHIVE_WARN) {
            if (EntryPath(e) != name)
                continue;
            std::string link = LinkPath(e);
            if (!link.empty() && SafeRelative(link)) {
                name = link;
                break;
            }
            bool ok = CopyData(a, FsPath(image.root) / FsPath(stored), problem);
            archive_read_free(a);
            return ok;
        }
        archive_read_free(a);
    }
    return true;
}

void RemoveImageFolder(const Image &image) {
    std::error_code ec;
    if (!image.root.empty())
        fs::remove_all(FsPath(image.root), ec);
}

} // namespace disccheck
