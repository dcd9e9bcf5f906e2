// The checker's output: one finding or fact a line, errors and warnings
// counted for the summary and the exit status.
#include "disccheck_internal.h"

#include <cstdint>

namespace disccheck {
namespace {

// Host() wraps its text in this byte, which no text the launcher reads can
// hold (it reads C strings).
const char kHostMark = '\0';

void PutUtf8(std::ostream &out, uint32_t c) {
    if (c < 0x80) {
        out << static_cast<char>(c);
    } else if (c < 0x800) {
        out << static_cast<char>(0xC0 | (c >> 6)) << static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out << static_cast<char>(0xE0 | (c >> 12)) << static_cast<char>(0x80 | ((c >> 6) & 0x3F))
            << static_cast<char>(0x80 | (c & 0x3F));
    }
}

// One line, Windows-1252 turned into UTF-8 except where Host() marked it.
void Emit(std::ostream &out, const char *prefix, const std::string &text) {
    out << prefix;
    bool host = false;
    for (char ch : text) {
        if (ch == kHostMark)
            host = !host;
        else if (host)
            out << ch;
        else
            PutUtf8(out, FromAnsi(static_cast<unsigned char>(ch)));
    }
    out << "\n";
}

bool IsSettled(const Report &r, const std::string &text) {
    return !r.settled.empty() && r.settled.count(text.substr(0, text.find(':'))) != 0;
}

} // namespace

void Report::Error(const std::string &text) {
    if (IsSettled(*this, text))
        return;
    Emit(out, "error: ", text);
    ++errors;
}

void Report::Warning(const std::string &text) {
    if (IsSettled(*this, text))
        return;
    Emit(out, "warning: ", text);
    ++warnings;
}

void Report::Info(const std::string &text) { Emit(out, "", text); }

std::string Quote(const std::string &s) { return "\"" + s + "\""; }
std::string Num(long long n) { return std::to_string(n); }

std::string Counted(long long n, const char *one, const char *many) { return Num(n) + " " + (n == 1 ? one : many); }

std::string Host(const std::string &text) { return kHostMark + text + kHostMark; }

} // namespace disccheck
