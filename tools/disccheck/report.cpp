// The checker's output: one finding or fact a line, errors and warnings
// counted for the summary and the exit status.
#include "disccheck_internal.h"

#include <cstdint>

#include "sim.h"

namespace disccheck {
namespace {

// Host() and Utf8() wrap their text in this byte, which no text the launcher
// reads can hold (it reads C strings), followed by the kind of text.
const char kMark = '\0';
const char kHostText = 'H';
const char kUtf8Text = 'U';

} // namespace

// The launcher's ANSI text turned into UTF-8, and so the host's names; text
// already in UTF-8 as it is.
std::string ToUtf8(const std::string &text) {
    std::string line, run;
    char kind = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != kMark) {
            run += text[i];
            continue;
        }
        line += kind == kHostText ? sim::HostToUtf8(run) : kind == kUtf8Text ? run : sim::AnsiToUtf8(run);
        run.clear();
        kind = kind ? 0 : (i + 1 < text.size() ? text[++i] : 0);
    }
    line += kind == kHostText ? sim::HostToUtf8(run) : kind == kUtf8Text ? run : sim::AnsiToUtf8(run);
    return line;
}

namespace {

void Emit(std::ostream &out, const char *prefix, const std::string &text) { out << prefix << ToUtf8(text) << "\n"; }

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

std::string Host(const std::string &text) { return std::string(1, kMark) + kHostText + text + kMark; }
std::string Utf8(const std::string &text) { return std::string(1, kMark) + kUtf8Text + text + kMark; }

} // namespace disccheck
