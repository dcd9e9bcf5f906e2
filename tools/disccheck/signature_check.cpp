// Whether launcher.exe and setup.exe carry an Authenticode signature: the
// certificate table a signing tool appends, found through the PE headers.
// Windows 10 and 11 warn before they start an unsigned program from a disc,
// so this is told for information; it is not a finding, and the signature
// is not verified here.
#include "disccheck_internal.h"

#include <cstdint>
#include <string>

#include "sim.h"

namespace disccheck {
namespace {

const uint16_t kPkcsSignedData = 2; // WIN_CERT_TYPE_PKCS_SIGNED_DATA
const int kSecurityDirectory = 4;

// What the file carries: "signed", "unsigned", or why it is no program.
std::string Signature(const std::string &host) {
    std::string dos, nt, cert;
    if (!ReadAt(host, 0, 64, &dos) || dos.size() < 64 || dos.compare(0, 2, "MZ") != 0)
        return "it is no Windows program";
    uint32_t pe = Le32(dos, 0x3C);
    // Signature, file header (20 bytes), optional header up to the security entry.
    if (!ReadAt(host, pe, 4 + 20 + 112 + 16 * 8, &nt) || nt.size() < 24 || nt.compare(0, 4, std::string("PE\0\0", 4)))
        return "it is no Windows program";
    size_t opt = 24;
    uint16_t magic = nt.size() >= opt + 2 ? Le16(nt, opt) : 0;
    size_t count_at = magic == 0x20B ? opt + 108 : opt + 92;
    size_t dirs_at = magic == 0x20B ? opt + 112 : opt + 96;
    size_t entry = dirs_at + kSecurityDirectory * 8;
    if ((magic != 0x10B && magic != 0x20B) || nt.size() < entry + 8 || Le32(nt, count_at) <= kSecurityDirectory)
        return "unsigned";
    uint32_t offset = Le32(nt, entry), size = Le32(nt, entry + 4);
    if (!offset || size < 8 || !ReadAt(host, offset, 8, &cert) || cert.size() < 8)
        return "unsigned";
    uint32_t length = Le32(cert, 0);
    if (length < 8 || length > size || Le16(cert, 6) != kPkcsSignedData)
        return "unsigned";
    return "signed";
}

void Tell(Report &r, const char *name, const std::string &host) {
    if (!IsRegularFile(host))
        return; // missing: a finding of its own
    std::string what = Signature(host);
    if (what == "signed")
        r.Info(std::string(name) + ": carries an Authenticode signature (not verified here)");
    else if (what == "unsigned")
        r.Info(std::string(name) + ": carries no Authenticode signature: Windows 10 and 11 warn before they start "
               "it from the disc");
    else
        r.Info(std::string(name) + ": carries no Authenticode signature (" + what + ")");
}

} // namespace

void ReportSignatures(Report &r, const Machine &m, const DiscView &view) {
    SetUp(m);
    Tell(r, "launcher.exe", sim::HostPath(ModulePath(m).c_str()));
    Tell(r, view.installer_label.c_str(), sim::HostPath(view.paths.installer));
}

} // namespace disccheck
