// Whether launcher.exe and setup.exe carry an Authenticode signature: the
// certificate table a signing tool appends, found through the PE headers.
// Windows 10 and 11 warn before they start an unsigned program from a disc,
// so this is told for information; it is not a finding, and the signature
// is not verified here: who its certificate is issued to and by, and whether
// it carries a time stamp, are read from it as they stand.
#include "disccheck_internal.h"

#include <cstdint>
#include <string>

#include "sim.h"

namespace disccheck {
namespace {

const uint16_t kPkcsSignedData = 2; // WIN_CERT_TYPE_PKCS_SIGNED_DATA
const int kSecurityDirectory = 4;
const uint32_t kLargestSignature = 1u << 20;

// ---- DER, as far as a signature's certificates and attributes need it

struct Der {
    const unsigned char *p = nullptr;
    size_t n = 0;
};

// The next element of a sequence: its tag and contents; false at the end
// or on bytes that are no DER.
bool Next(Der *in, unsigned char *tag, Der *content, Der *whole = nullptr) {
    if (in->n < 2)
        return false;
    const unsigned char *start = in->p;
    size_t at = 1, length = in->p[at++];
    if (length & 0x80) {
        size_t bytes = length & 0x7F;
        if (bytes == 0 || bytes > 4 || in->n < at + bytes)
            return false;
        length = 0;
        for (size_t i = 0; i < bytes; ++i)
            length = length << 8 | in->p[at++];
    }
    if (length > in->n - at)
        return false;
    *tag = in->p[0];
    content->p = in->p + at;
    content->n = length;
    if (whole) {
        whole->p = start;
        whole->n = at + length;
    }
    in->p += at + length;
    in->n -= at + length;
    return true;
}

// The contents of the first element of in, when it has that tag.
bool Into(Der in, unsigned char tag, Der *out) {
    unsigned char t;
    Der c;
    return Next(&in, &t, &c) && t == tag && (*out = c, true);
}

std::string Bytes(const Der &d) { return std::string(reinterpret_cast<const char *>(d.p), d.n); }

const std::string kCommonName("\x55\x04\x03", 3);                             // 2.5.4.3
const std::string kCounterSignature("\x2A\x86\x48\x86\xF7\x0D\x01\x09\x06", 9); // 1.2.840.113549.1.9.6
const std::string kRfc3161Stamp("\x2B\x06\x01\x04\x01\x82\x37\x03\x03\x01", 10); // 1.3.6.1.4.1.311.3.3.1

// A directory string as UTF-8.
std::string Text(unsigned char tag, const Der &d) {
    std::string out;
    if (tag == 0x1E) // BMPString: UCS-2, big-endian
        return sim::Utf16BeToUtf8(Bytes(d));
    if (tag == 0x0C) // UTF8String
        return Bytes(d);
    for (size_t i = 0; i < d.n; ++i) // PrintableString, IA5String, T61String: Latin-1 at most
        out += sim::AnsiToUtf8(std::string(1, static_cast<char>(d.p[i] < 0x80 || d.p[i] >= 0xA0 ? d.p[i] : '?')));
    return out;
}

// The common name of a Name (a sequence of sets of type and value).
std::string CommonName(Der name) {
    unsigned char tag;
    Der set, attribute;
    while (Next(&name, &tag, &set)) {
        while (Next(&set, &tag, &attribute)) {
            unsigned char t1, t2;
            Der type, value;
            if (Next(&attribute, &t1, &type) && t1 == 0x06 && Bytes(type) == kCommonName &&
                Next(&attribute, &t2, &value))
                return Text(t2, value);
        }
    }
    return "";
}

struct Signer {
    bool read = false;
    std::string issued_to, issued_by;
    bool self_signed = false;
    std::string stamp; // "", "RFC 3161" or "Authenticode"
};

// The certificate's issuer, serial number and subject, as DER.
bool CertificateNames(Der certificate, std::string *issuer, std::string *serial, std::string *subject) {
    unsigned char tag;
    Der body, tbs, field, whole;
    if (!Into(certificate, 0x30, &body) || !Into(body, 0x30, &tbs))
        return false;
    if (!Next(&tbs, &tag, &field))
        return false;
    if (tag == 0xA0 && !Next(&tbs, &tag, &field)) // the version, then the serial number
        return false;
    *serial = Bytes(field);
    if (!Next(&tbs, &tag, &field) || !Next(&tbs, &tag, &field, &whole)) // the algorithm, then the issuer
        return false;
    *issuer = Bytes(whole);
    if (!Next(&tbs, &tag, &field) || !Next(&tbs, &tag, &field, &whole)) // the validity, then the subject
        return false;
    *subject = Bytes(whole);
    return true;
}

// Who the signature's certificate is issued to and by, and whether it has
// a time stamp: read from the PKCS #7 signed data, nothing verified.
Signer ReadSigner(const std::string &blob) {
    Signer signer;
    Der all{reinterpret_cast<const unsigned char *>(blob.data()), blob.size()};
    unsigned char tag;
    Der content_info, oid, wrapped, signed_data, field;
    if (!Into(all, 0x30, &content_info) || !Next(&content_info, &tag, &oid) || !Next(&content_info, &tag, &wrapped) ||
        tag != 0xA0 || !Into(wrapped, 0x30, &signed_data))
        return signer;
    Der certificates, signer_infos;
    bool have_certificates = false, have_signers = false;
    while (Next(&signed_data, &tag, &field)) {
        if (tag == 0xA0) {
            certificates = field;
            have_certificates = true;
        } else if (tag == 0x31) {
            signer_infos = field;
            have_signers = true;
        }
    }
    Der info, item, whole;
    if (!have_certificates || !have_signers || !Into(signer_infos, 0x30, &info))
        return signer;
    // The signer: version, then the issuer and serial number of its certificate.
    std::string issuer, serial;
    Der issuer_serial;
    if (!Next(&info, &tag, &item) || !Next(&info, &tag, &issuer_serial) || tag != 0x30 ||
        !Next(&issuer_serial, &tag, &item, &whole))
        return signer;
    issuer = Bytes(whole);
    if (!Next(&issuer_serial, &tag, &item))
        return signer;
    serial = Bytes(item);
    while (Next(&info, &tag, &item)) {
        if (tag != 0xA1)
            continue;
        Der attribute;
        unsigned char t;
        while (Next(&item, &t, &attribute)) {
            Der type;
            if (Next(&attribute, &t, &type) && t == 0x06) {
                if (Bytes(type) == kRfc3161Stamp)
                    signer.stamp = "RFC 3161";
                else if (Bytes(type) == kCounterSignature && signer.stamp.empty())
                    signer.stamp = "Authenticode";
            }
        }
    }
    Der certificate;
    while (Next(&certificates, &tag, &certificate, &whole)) {
        std::string cert_issuer, cert_serial, subject;
        if (tag != 0x30 || !CertificateNames(whole, &cert_issuer, &cert_serial, &subject) || cert_issuer != issuer ||
            cert_serial != serial)
            continue;
        Der issuer_name{reinterpret_cast<const unsigned char *>(cert_issuer.data()), cert_issuer.size()}, name;
        Der subject_name{reinterpret_cast<const unsigned char *>(subject.data()), subject.size()};
        signer.issued_by = Into(issuer_name, 0x30, &name) ? CommonName(name) : "";
        signer.issued_to = Into(subject_name, 0x30, &name) ? CommonName(name) : "";
        signer.self_signed = cert_issuer == subject;
        signer.read = true;
        break;
    }
    return signer;
}

// What the file carries: "signed" (and its certificate table's signature
// in *blob), "unsigned", or why it is no program.
std::string Signature(const std::string &host, std::string *blob) {
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
    if (length <= kLargestSignature && ReadAt(host, offset + 8ull, length - 8, blob) && blob->size() != length - 8)
        blob->clear();
    return "signed";
}

void Tell(Report &r, const char *name, const std::string &host) {
    if (!IsRegularFile(host))
        return; // missing: a finding of its own
    std::string blob;
    std::string what = Signature(host, &blob);
    if (what == "unsigned") {
        r.Info(std::string(name) + ": carries no Authenticode signature: Windows 10 and 11 warn before they start "
               "it from the disc");
        return;
    }
    if (what != "signed") {
        r.Info(std::string(name) + ": carries no Authenticode signature (" + what + ")");
        return;
    }
    std::string line = std::string(name) + ": carries an Authenticode signature (not verified here)";
    Signer signer = ReadSigner(blob);
    if (!signer.read) {
        r.Info(line + "; its certificate cannot be read from it");
        return;
    }
    line += ", issued to " + Quote(Utf8(signer.issued_to));
    if (signer.self_signed)
        line += " by itself: a self-signed certificate, which Windows does not trust: it warns of an unknown "
                "publisher as for an unsigned program";
    else
        line += " by " + Quote(Utf8(signer.issued_by));
    if (signer.stamp.empty())
        line += "; no time stamp: the signature counts only while the certificate is valid (sign with "
                "osslsigncode -ts URL)";
    else
        line += "; time-stamped (" + signer.stamp + "): it stays valid after the certificate expires";
    r.Info(line);
}

} // namespace

void ReportSignatures(Report &r, const Machine &m, const DiscView &view) {
    SetUp(m);
    Tell(r, "launcher.exe", sim::HostPath(ModulePath(m).c_str()));
    Tell(r, view.installer_label.c_str(), sim::HostPath(view.paths.installer));
}

} // namespace disccheck
