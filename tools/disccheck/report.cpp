// The checker's output: one finding or fact a line, errors and warnings
// counted for the summary and the exit status.
#include "disccheck_internal.h"

namespace disccheck {
namespace {

bool IsSettled(const Report &r, const std::string &text) {
    return !r.settled.empty() && r.settled.count(text.substr(0, text.find(':'))) != 0;
}

} // namespace

void Report::Error(const std::string &text) {
    if (IsSettled(*this, text))
        return;
    out << "error: " << text << "\n";
    ++errors;
}

void Report::Warning(const std::string &text) {
    if (IsSettled(*this, text))
        return;
    out << "warning: " << text << "\n";
    ++warnings;
}

void Report::Info(const std::string &text) { out << text << "\n"; }

std::string Quote(const std::string &s) { return "\"" + s + "\""; }
std::string Num(long long n) { return std::to_string(n); }

} // namespace disccheck
