// disccheck --make-image: the ISO 9660 image to press, made of a disc folder
// with libarchive's writer: a Joliet tree (the names Windows reads), Rock
// Ridge, and a volume label. The disc is checked first and the image after,
// as it is pressed. The Linux and the Windows build write the same bytes:
// the same libarchive release, the entries in one order, one fixed time.
#include "disccheck.h"
#include "disccheck_internal.h"

#ifdef _WIN32
// libarchive's header names a type of the real <windows.h>; the checker is
// built on the simulated one.
typedef struct _BY_HANDLE_FILE_INFORMATION BY_HANDLE_FILE_INFORMATION;
#endif
#include <archive.h>
#include <archive_entry.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "sim.h"

extern "C" void DisccheckFixClock(long long seconds);
#ifdef _WIN32
// The real system's, which the simulated <windows.h> does not declare.
extern "C" __declspec(dllimport) int __stdcall MoveFileExW(const wchar_t *from, const wchar_t *to, unsigned long flags);
const unsigned long kReplaceExisting = 1; // MOVEFILE_REPLACE_EXISTING
#endif

namespace disccheck {
namespace {

namespace fs = std::filesystem;

// Every time in the image: 2000-01-01 00:00:00 UTC.
const long long kImageTime = 946684800;
const size_t kSector = 2048;
const size_t kMostLabel = 16; // UTF-16 units the Joliet label holds

// Code points of UTF-8 text (a byte that starts no character stands for itself).
std::vector<unsigned> CodePoints(const std::string &utf8) {
    std::vector<unsigned> out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        unsigned cp = more ? (c & (0x3F >> more)) : c;
        if (i + static_cast<size_t>(more) >= utf8.size() + (more ? 0 : 1))
            more = 0, cp = c;
        for (int k = 1; k <= more; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]) & 0x3F);
        out.push_back(cp);
        i += 1 + static_cast<size_t>(more);
    }
    return out;
}

std::string Utf8Of(unsigned cp) {
    return fs::path(std::u32string(1, static_cast<char32_t>(cp))).u8string();
}

std::string Utf16Be(const std::string &utf8) {
    std::string out;
    for (unsigned cp : CodePoints(utf8)) {
        auto unit = [&](unsigned u) {
            out += static_cast<char>(u >> 8);
            out += static_cast<char>(u & 0xFF);
        };
        if (cp >= 0x10000) {
            unit(0xD800 + ((cp - 0x10000) >> 10));
            unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            unit(cp);
        }
    }
    return out;
}

// The plain ISO 9660 label: Latin letters without their accents, in
// capitals; every other character "_".
std::string PlainLabel(const std::string &label) {
    static const char *const latin1[64] = {
        "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I", "I",
        "D", "N", "O", "O", "O", "O", "O", "_", "O", "U", "U", "U", "U", "Y", "TH", "SS",
        "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I", "I",
        "D", "N", "O", "O", "O", "O", "O", "_", "O", "U", "U", "U", "U", "Y", "TH", "Y"};
    std::string out;
    for (unsigned cp : CodePoints(label)) {
        if (cp >= 0xC0 && cp <= 0xFF)
            out += latin1[cp - 0xC0];
        else if (cp >= 'a' && cp <= 'z')
            out += static_cast<char>(cp - 'a' + 'A');
        else if ((cp >= 'A' && cp <= 'Z') || (cp >= '0' && cp <= '9'))
            out += static_cast<char>(cp);
        else
            out += '_';
    }
    return out.substr(0, 32);
}

// UTF-8 of a command-line argument: main() gives them so on every host.
std::string ArgUtf8(const std::string &arg) { return arg; }

struct Member {
    std::string path; // relative, "/" between folders, UTF-8
    fs::path host;
    bool folder;
    uintmax_t size;
};

// Every file and folder below the root, links followed, in the order of
// their names' bytes.
bool ListDisc(const fs::path &root, std::vector<Member> *members, std::string *problem) {
    std::error_code ec;
    fs::recursive_directory_iterator it(root, fs::directory_options::follow_directory_symlink, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code sec;
        fs::file_status st = fs::status(it->path(), sec);
        std::string rel = it->path().lexically_relative(root).generic_u8string();
        if (sec || (!fs::is_directory(st) && !fs::is_regular_file(st))) {
            *problem = Quote(rel) + " is neither a file nor a folder (a link to nothing?)";
            return false;
        }
        uintmax_t size = fs::is_directory(st) ? 0 : fs::file_size(it->path(), sec);
        members->push_back(Member{rel, it->path(), fs::is_directory(st), size});
    }
    if (ec) {
        *problem = "cannot read the disc folder: " + ec.message();
        return false;
    }
    std::sort(members->begin(), members->end(), [](const Member &a, const Member &b) { return a.path < b.path; });
    return true;
}

bool Fail(archive *a, std::string *problem) {
    const char *text = archive_error_string(a);
    *problem = "libarchive: " + std::string(text ? text : "failed");
    return false;
}

bool AddMember(archive *a, const Member &m, std::string *problem) {
    archive_entry *e = archive_entry_new();
#ifdef _WIN32
    archive_entry_copy_pathname_w(e, fs::u8path(m.path).generic_wstring().c_str());
#else
    archive_entry_copy_pathname(e, m.path.c_str());
#endif
    archive_entry_set_filetype(e, m.folder ? AE_IFDIR : AE_IFREG);
    archive_entry_set_perm(e, m.folder ? 0555 : 0444);
    archive_entry_set_nlink(e, m.folder ? 2 : 1);
    archive_entry_set_uid(e, 0);
    archive_entry_set_gid(e, 0);
    archive_entry_set_size(e, m.folder ? 0 : static_cast<la_int64_t>(m.size));
    archive_entry_set_mtime(e, kImageTime, 0);
    archive_entry_set_atime(e, kImageTime, 0);
    archive_entry_set_ctime(e, kImageTime, 0);
    int status = archive_write_header(a, e);
    archive_entry_free(e);
    if (status != ARCHIVE_OK)
        return Fail(a, problem);
    if (m.folder)
        return true;
    std::ifstream in(m.host, std::ios::binary);
    std::vector<char> block(64 * 1024);
    uintmax_t left = m.size;
    while (left > 0 && in) {
        in.read(block.data(), static_cast<std::streamsize>(std::min<uintmax_t>(left, block.size())));
        std::streamsize got = in.gcount();
        if (got <= 0)
            break;
        if (archive_write_data(a, block.data(), static_cast<size_t>(got)) != got)
            return Fail(a, problem);
        left -= static_cast<uintmax_t>(got);
    }
    if (left > 0) {
        *problem = "cannot read " + Quote(m.path);
        return false;
    }
    return true;
}

// What libarchive writes differently on each system, made the same: the
// system identifier of both volume descriptors ("LINUX", "Windows") left
// blank, and the writing time in its text block as Linux's ctime() gives it
// (Windows' pads the day with "0"). And the Joliet label, written over the
// one libarchive gives both trees (it takes the label in the C library's
// character set and holds 32 bytes of it): the label as given, in UTF-16,
// padded with blanks.
bool SettleDescriptors(const fs::path &file, const std::string &label, std::string *problem) {
    std::fstream f(file, std::ios::binary | std::ios::in | std::ios::out);
    std::string utf16 = Utf16Be(label);
    for (size_t i = utf16.size(); i < 32; i += 2)
        utf16 += std::string("\0 ", 2);
    auto put = [&](size_t at, const std::string &bytes) {
        f.seekp(static_cast<std::streamoff>(at));
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    };
    bool labelled = false;
    for (size_t n = 16; f && n < 16 + 64; ++n) {
        std::string d(kSector, '\0');
        f.seekg(static_cast<std::streamoff>(n * kSector));
        if (!f.read(&d[0], static_cast<std::streamsize>(kSector)))
            break;
        if (d.compare(0, 5, "INFO ") == 0) { // the block after the descriptors
            time_t t = static_cast<time_t>(kImageTime);
            const std::tm *tm = std::gmtime(&t);
            static const char days[] = "SunMonTueWedThuFriSat", months[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
            char text[32];
            std::snprintf(text, sizeof text, "%.3s %.3s %2d %02d:%02d:%02d %d", days + 3 * tm->tm_wday,
                          months + 3 * tm->tm_mon, tm->tm_mday, tm->tm_hour, tm->tm_min, tm->tm_sec, tm->tm_year + 1900);
            put(n * kSector + 5, std::string(text, 24));
            break;
        }
        if (d.compare(1, 5, "CD001") != 0)
            break;
        if (d[0] == 1)
            put(n * kSector + 8, std::string(32, ' '));
        if (d[0] == 2 && d.compare(88, 3, "%/E") == 0) {
            std::string blanks;
            for (int i = 0; i < 16; ++i)
                blanks += std::string("\0 ", 2);
            put(n * kSector + 8, blanks);
            put(n * kSector + 40, utf16);
            labelled = true;
        }
    }
    if (!f.flush() || !labelled) {
        *problem = labelled ? "cannot write " + Host(HostOf(file)) : "the image has no Joliet volume descriptor to label";
        return false;
    }
    return true;
}

bool WriteImage(const std::vector<Member> &members, const fs::path &out, const std::string &plain_label,
                const std::string &label, std::string *problem) {
    // Names go through the C library's character set: UTF-8 on Linux, as
    // the host's names are. The volume's times are in UTC.
    ArchiveNames names;
    std::string tz = getenv("TZ") ? getenv("TZ") : "";
    bool had_tz = getenv("TZ") != nullptr;
#ifdef _WIN32
    _putenv("TZ=UTC0");
    _tzset();
#else
    setenv("TZ", "UTC0", 1);
    tzset();
#endif
    DisccheckFixClock(kImageTime);
    archive *a = archive_write_new();
    bool ok = archive_write_set_format_iso9660(a) == ARCHIVE_OK &&
              archive_write_set_format_option(a, "iso9660", "joliet", "1") == ARCHIVE_OK &&
              archive_write_set_format_option(a, "iso9660", "rockridge", "strict") == ARCHIVE_OK &&
              archive_write_set_format_option(a, "iso9660", "volume-id", plain_label.c_str()) == ARCHIVE_OK &&
              archive_write_set_bytes_in_last_block(a, 1) == ARCHIVE_OK &&
#ifdef _WIN32
              archive_write_open_filename_w(a, out.wstring().c_str()) == ARCHIVE_OK;
#else
              archive_write_open_filename(a, out.c_str()) == ARCHIVE_OK;
#endif
    if (!ok)
        Fail(a, problem);
    for (size_t i = 0; ok && i < members.size(); ++i)
        ok = AddMember(a, members[i], problem);
    if (ok && archive_write_close(a) != ARCHIVE_OK)
        ok = Fail(a, problem);
    archive_write_free(a);
    DisccheckFixClock(-1);
#ifdef _WIN32
    _putenv(("TZ=" + (had_tz ? tz : std::string())).c_str());
    _tzset();
#else
    if (had_tz)
        setenv("TZ", tz.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
#endif
    return ok && SettleDescriptors(out, label, problem);
}

int Refuse(std::ostream &err, const std::string &text) {
    err << "make-image: " << ToUtf8(text) << "\n";
    return 2;
}

bool Inside(const fs::path &file, const fs::path &folder) {
    std::string f = file.generic_u8string(), d = folder.generic_u8string();
    if (!d.empty() && d.back() != '/')
        d += '/';
    return f.compare(0, d.size(), d) == 0;
}

} // namespace

int MakeImageMain(const std::string &disc, const std::string &launcher_dir, const std::string &image,
                  const std::string &label_arg, bool has_label, std::ostream &out, std::ostream &err) {
    if (IsRegularFile(disc))
        return Refuse(err, Host(disc) + " is a file, not a disc folder: give the folder the image is made of (its "
                                        "root or the launcher's folder); check an image with disccheck " +
                               Host(disc));
    if (!IsFolder(disc))
        return Refuse(err, Host(disc) + " does not exist: give the disc's root folder or the launcher's folder on it");
    if (IsFolder(image))
        return Refuse(err, Host(image) + " is a folder: give the image's file name, such as " + Host(image) +
                               "/disc.iso");
    fs::path given = FsPath(image);
    std::string out_dir = given.has_parent_path() ? HostOf(given.parent_path()) : ".";
    if (!IsFolder(out_dir))
        return Refuse(err, "the folder " + Host(out_dir) + " (for " + Host(image) +
                               ") does not exist: make it first, or write the image elsewhere");
    if (access(out_dir.c_str(), W_OK) != 0)
        return Refuse(err, "no permission to write into " + Host(out_dir) + " (for " + Host(image) + ")");
    std::error_code ec;
    fs::path target = fs::canonical(FsPath(out_dir), ec) / given.filename();

    Machine m;
    std::string how, problem;
    std::string dir = HostOf(fs::canonical(FsPath(disc), ec));
    if (!PlaceLauncher(dir, nullptr, launcher_dir, &m, &how, &problem))
        return Refuse(err, Host(disc) + ": " + problem);
    if (Inside(target, FsPath(m.root)))
        return Refuse(err, Host(HostOf(target)) + " is inside the disc root " + Host(m.root) +
                               ": the image would hold itself; write it elsewhere");
    std::string label = has_label ? ArgUtf8(label_arg) : "";
    if (!has_label) {
        std::vector<unsigned> name = CodePoints(sim::HostToUtf8(HostOf(FsPath(m.root).filename())));
        for (size_t i = 0; i < name.size() && i < kMostLabel; ++i)
            label += Utf8Of(name[i] >= 'a' && name[i] <= 'z' ? name[i] - 'a' + 'A' : name[i]);
    }
    size_t units = Utf16Be(label).size() / 2;
    if (units == 0 || units > kMostLabel)
        return Refuse(err, "the label must be 1 to 16 characters, not \"" + Utf8(label) + "\" (" +
                               Num(static_cast<long long>(CodePoints(label).size())) + ")");
    std::string plain = PlainLabel(label);

    out << ToUtf8("make-image: checking the disc " + Host(m.root) + " (the launcher's folder " +
                  (m.folder.empty() ? std::string("\\") : m.folder) + ")")
        << "\n";
    std::vector<std::string> args = {"disccheck", m.root};
    if (!launcher_dir.empty())
        args.insert(args.end(), {"--launcher-dir", launcher_dir});
    std::vector<const char *> argv;
    for (const std::string &s : args)
        argv.push_back(s.c_str());
    out.flush();
    if (Main(static_cast<int>(argv.size()), argv.data(), out, err) != 0) {
        out.flush();
        err << "make-image: disccheck finds the disc folder wrong (above): no image written\n";
        return 1;
    }

    std::vector<Member> members;
    fs::path part = target;
    part += ".part";
    fs::remove(part, ec);
    if (!ListDisc(FsPath(m.root), &members, &problem) || !WriteImage(members, part, plain, label, &problem)) {
        fs::remove(part, ec);
        err << ToUtf8("make-image: " + problem) << ": no image written\n";
        return 1;
    }
#ifdef _WIN32
    bool moved = MoveFileExW(part.wstring().c_str(), target.wstring().c_str(), kReplaceExisting) != 0;
#else
    fs::rename(part, target, ec);
    bool moved = !ec;
#endif
    if (!moved) {
        fs::remove(part, ec);
        err << ToUtf8("make-image: cannot write " + Host(HostOf(target))) << ": no image written\n";
        return 1;
    }
    out << ToUtf8("make-image: wrote " + Host(HostOf(target)) + " (" + Num(static_cast<long long>(fs::file_size(target, ec))) +
                  " bytes, label " + Quote(Utf8(label)) + ", plain ISO 9660 label " + Quote(plain) + "); checking it")
        << "\n";
    args[1] = HostOf(target);
    argv.clear();
    for (const std::string &s : args)
        argv.push_back(s.c_str());
    out.flush();
    int status = Main(static_cast<int>(argv.size()), argv.data(), out, err);
    if (status != 0) {
        out.flush();
        err << "make-image: disccheck finds the image wrong (above)\n";
    }
    return status;
}

} // namespace disccheck
