// Registry Editor export files: decoding, the line syntax, and placing each
// key in the 32-bit view, the 64-bit view or both.
#include "regfile.h"

#include <cctype>
#include <set>

#include "sim.h"

namespace disccheck {
namespace {

const uint32_t kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4, kRegMultiSz = 7;

typedef std::u32string Text;

// ---- Decoding

// One Unicode code point in the ANSI code page; '?' (and *lossy) when it has none.
std::string ToAnsi(uint32_t c, bool *lossy) { return sim::UnicodeToAnsi(c, lossy); }

Text DecodeUtf16(const std::string &b, size_t from) {
    Text out;
    for (size_t i = from; i + 1 < b.size(); i += 2) {
        uint32_t u = static_cast<unsigned char>(b[i]) | (static_cast<unsigned char>(b[i + 1]) << 8);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < b.size()) {
            uint32_t v = static_cast<unsigned char>(b[i + 2]) | (static_cast<unsigned char>(b[i + 3]) << 8);
            if (v >= 0xDC00 && v < 0xE000) {
                out.push_back(0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
                i += 2;
                continue;
            }
        }
        out.push_back(u);
    }
    return out;
}

Text DecodeUtf8(const std::string &b, size_t from) {
    Text out;
    for (size_t i = from; i < b.size();) {
        unsigned char c = static_cast<unsigned char>(b[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || (extra > 0 && i + extra >= b.size())) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        uint32_t cp = extra == 0 ? c : (c & (0x3F >> extra));
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            unsigned char d = static_cast<unsigned char>(b[i + k]);
            if ((d & 0xC0) != 0x80)
                ok = false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += extra + 1;
    }
    return out;
}

// ---- Small text helpers

bool IsSpace(uint32_t c) { return c == ' ' || c == '\t'; }

Text TrimText(const Text &t) {
    size_t b = 0, e = t.size();
    while (b < e && IsSpace(t[b]))
        ++b;
    while (e > b && IsSpace(t[e - 1]))
        --e;
    return t.substr(b, e - b);
}

Text FromAscii(const char *s) {
    Text t;
    for (; *s; ++s)
        t.push_back(static_cast<unsigned char>(*s));
    return t;
}

bool EqualsNoCase(const Text &t, const char *ascii) {
    Text a = FromAscii(ascii);
    if (t.size() != a.size())
        return false;
    for (size_t i = 0; i < t.size(); ++i) {
        uint32_t x = t[i], y = a[i];
        if (x < 128)
            x = static_cast<uint32_t>(std::tolower(static_cast<int>(x)));
        if (y < 128)
            y = static_cast<uint32_t>(std::tolower(static_cast<int>(y)));
        if (x != y)
            return false;
    }
    return true;
}

std::string Num(size_t n) { return std::to_string(n); }

// ---- Operations read from the file, applied once every key is known

struct Op {
    enum Kind { AddKey, DeleteKey, SetValue, DeleteValue } kind;
    std::string path; // ANSI, without the root key
    RegValue value;
};

struct Parser {
    bool unicode_text = false; // the file's text is Unicode (UTF-16 or UTF-8), not ANSI bytes
    int version = 0;
    RegReadResult *result = nullptr;
    std::vector<Op> ops;
    bool have_key = false; // values go to current_key
    std::string current_key;
    std::set<std::string> ignored_roots;
    int line_no = 0;

    void Warn(const std::string &text) { result->warnings.push_back("line " + Num(line_no) + ": " + text); }

    // Text of the file to ANSI; lossy when a character has no ANSI form.
    std::string Ansi(const Text &t, bool *lossy) {
        std::string s;
        for (uint32_t c : t)
            s += unicode_text ? ToAnsi(c, lossy) : std::string(1, static_cast<char>(c & 0xFF));
        return s;
    }

    void KeyLine(const Text &line) {
        size_t close = line.rfind(U']');
        if (close == Text::npos) {
            Warn("a key line without its closing ']' is ignored");
            have_key = false;
            return;
        }
        Text inner = TrimText(line.substr(1, close - 1));
        bool remove = !inner.empty() && inner[0] == '-';
        if (remove)
            inner = TrimText(inner.substr(1));
        size_t slash = inner.find(U'\\');
        Text root = slash == Text::npos ? inner : inner.substr(0, slash);
        Text rest = slash == Text::npos ? Text() : inner.substr(slash + 1);
        while (!rest.empty() && rest.back() == '\\')
            rest.pop_back();
        have_key = false;
        if (!EqualsNoCase(root, "HKEY_LOCAL_MACHINE") && !EqualsNoCase(root, "HKLM")) {
            bool lossy = false;
            std::string name = Ansi(root, &lossy);
            static const char *const kKnown[] = {"HKEY_CURRENT_USER",   "HKEY_CLASSES_ROOT", "HKEY_USERS",
                                                 "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",     "HKEY_PERFORMANCE_DATA"};
            bool known = false;
            for (const char *k : kKnown)
                known = known || EqualsNoCase(root, k);
            if (!known)
                Warn("unknown root key \"" + name + "\": its keys are ignored");
            else if (ignored_roots.insert(Lower(name)).second)
                result->warnings.push_back("keys under " + name +
                                           " are ignored: the launcher reads only HKEY_LOCAL_MACHINE");
            return;
        }
        if (rest.empty()) {
            if (!remove)
                Warn("values directly under HKEY_LOCAL_MACHINE are ignored");
            return;
        }
        bool lossy = false;
        std::string path = Ansi(rest, &lossy);
        if (lossy)
            Warn("key name has characters outside the ANSI code page; they read as '?'");
        if (remove) {
            ops.push_back(Op{Op::DeleteKey, path, RegValue()});
            return;
        }
        ops.push_back(Op{Op::AddKey, path, RegValue()});
        have_key = true;
        current_key = path;
    }

    // A quoted string from pos (at the opening quote), with \\ and \" undone.
    bool QuotedString(const Text &line, size_t *pos, Text *out) {
        size_t i = *pos + 1;
        out->clear();
        for (; i < line.size(); ++i) {
            uint32_t c = line[i];
            if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '\\' || line[i + 1] == '"')) {
                out->push_back(line[++i]);
            } else if (c == '"') {
                *pos = i + 1;
                return true;
            } else {
                out->push_back(c);
            }
        }
        return false;
    }

    static int HexDigit(uint32_t c) {
        if (c >= '0' && c <= '9')
            return static_cast<int>(c - '0');
        if (c >= 'a' && c <= 'f')
            return static_cast<int>(c - 'a' + 10);
        if (c >= 'A' && c <= 'F')
            return static_cast<int>(c - 'A' + 10);
        return -1;
    }

    // One to eight hex digits.
    static bool HexNumber(const Text &digits, uint32_t *out) {
        if (digits.empty() || digits.size() > 8)
            return false;
        uint32_t n = 0;
        for (uint32_t c : digits) {
            int d = HexDigit(c);
            if (d < 0)
                return false;
            n = n * 16 + static_cast<uint32_t>(d);
        }
        *out = n;
        return true;
    }

    // "01,ab, 2f" into bytes; false on anything else.
    static bool HexBytes(const Text &list, std::string *out) {
        Text t = TrimText(list);
        out->clear();
        if (t.empty())
            return true;
        size_t i = 0;
        while (true) {
            while (i < t.size() && IsSpace(t[i]))
                ++i;
            int value = 0, digits = 0;
            while (i < t.size() && HexDigit(t[i]) >= 0 && digits < 3) {
                value = value * 16 + HexDigit(t[i++]);
                ++digits;
            }
            if (digits == 0 || digits > 2)
                return false;
            out->push_back(static_cast<char>(value));
            while (i < t.size() && IsSpace(t[i]))
                ++i;
            if (i == t.size())
                return true;
            if (t[i] != ',')
                return false;
            ++i;
            if (i == t.size())
                return true; // a trailing comma before a continuation that never came
        }
    }

    // UTF-16LE bytes of a text value in a version 5 file, as the A function returns them.
    std::string Utf16BytesToAnsi(const std::string &bytes, bool *lossy) {
        std::string s;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            uint32_t u = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
            s += ToAnsi(u, lossy);
        }
        return s;
    }

    void ValueLine(const Text &line) {
        size_t pos = 0;
        Text name;
        if (line[0] == '@') {
            pos = 1;
        } else if (!QuotedString(line, &pos, &name)) {
            Warn("a value name without its closing quote is ignored");
            return;
        }
        while (pos < line.size() && IsSpace(line[pos]))
            ++pos;
        if (pos >= line.size() || line[pos] != '=') {
            Warn("a value without '=' is ignored");
            return;
        }
        ++pos;
        Text data = TrimText(line.substr(pos));
        if (!have_key)
            return; // under an ignored or missing key

        bool lossy = false;
        RegValue v;
        v.name = Ansi(name, &lossy);
        if (data.size() == 1 && data[0] == '-') {
            ops.push_back(Op{Op::DeleteValue, current_key, v});
            return;
        }
        if (!data.empty() && data[0] == '"') {
            size_t p = 0;
            Text text;
            if (!QuotedString(data, &p, &text) || !TrimText(data.substr(p)).empty()) {
                Warn("value \"" + v.name + "\": string not understood, ignored");
                return;
            }
            v.type = kRegSz;
            v.data = Ansi(text, &lossy);
            v.data.push_back('\0');
        } else if (data.size() >= 6 && EqualsNoCase(data.substr(0, 6), "dword:")) {
            Text digits = TrimText(data.substr(6));
            uint32_t n = 0;
            if (!HexNumber(digits, &n)) {
                Warn("value \"" + v.name + "\": dword not understood, ignored");
                return;
            }
            v.type = kRegDword;
            for (int k = 0; k < 4; ++k)
                v.data.push_back(static_cast<char>((n >> (8 * k)) & 0xFF));
        } else if (data.size() >= 3 && EqualsNoCase(data.substr(0, 3), "hex")) {
            size_t p = 3;
            uint32_t type = kRegBinary;
            if (p < data.size() && data[p] == '(') {
                size_t close = data.find(U')', p);
                Text digits = close == Text::npos ? Text() : data.substr(p + 1, close - p - 1);
                if (!HexNumber(digits, &type)) {
                    Warn("value \"" + v.name + "\": hex type not understood, ignored");
                    return;
                }
                p = close + 1;
            }
            if (p >= data.size() || data[p] != ':' || !HexBytes(data.substr(p + 1), &v.data)) {
                Warn("value \"" + v.name + "\": hex data not understood, ignored");
                return;
            }
            v.type = type;
            bool text_type = type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
            if (text_type && version == 5)
                v.data = Utf16BytesToAnsi(v.data, &lossy);
        } else {
            Warn("value \"" + v.name + "\": data not understood, ignored");
            return;
        }
        if (lossy)
            Warn("value \"" + v.name + "\" has characters outside the ANSI code page; they read as '?'");
        ops.push_back(Op{Op::SetValue, current_key, v});
    }

    // A file without a byte-order mark is ANSI text to the Registry Editor,
    // so UTF-8 in it gives other characters than an ANSI installer writes.
    void CheckAnsiLine(const Text &raw) {
        Text line = TrimText(raw);
        if (line.empty() || line[0] == ';')
            return;
        bool lossy = false;
        std::string bytes = Ansi(line, &lossy);
        if (IsUtf8BeyondAscii(bytes))
            Warn("non-ASCII text saved as UTF-8, which the Registry Editor reads as ANSI: \"" + bytes +
                 "\"; it does not match what an ANSI installer writes: save the file as ANSI (" +
                 (sim::CodePage() == 1252 ? std::string("Windows-1252") : "code page " + Num(sim::CodePage())) + ")");
    }

    void Line(const Text &raw) {
        Text line = TrimText(raw);
        if (line.empty() || line[0] == ';')
            return;
        if (line[0] == '[')
            KeyLine(line);
        else if (line[0] == '"' || line[0] == '@')
            ValueLine(line);
        else
            Warn("not understood, ignored");
    }
};

bool IsWowPath(const std::string &lower) {
    static const std::string kWow = "software\\wow6432node";
    return lower == kWow || lower.compare(0, kWow.size() + 1, kWow + "\\") == 0;
}

bool IsSoftwarePath(const std::string &lower) {
    return lower == "software" || lower.compare(0, 9, "software\\") == 0;
}

// Where a key of the file lives: (view, path) pairs.
std::vector<std::pair<int, std::string>> Route(const std::string &path, bool from64) {
    std::string lower = Lower(path);
    std::vector<std::pair<int, std::string>> out;
    if (IsWowPath(lower)) {
        out.push_back({0, "SOFTWARE" + path.substr(20)});
        out.push_back({1, path});
    } else if (IsSoftwarePath(lower) && from64) {
        out.push_back({1, path});
    } else {
        out.push_back({0, path});
        out.push_back({1, path});
    }
    return out;
}

} // namespace

bool IsUtf8BeyondAscii(const std::string &bytes) {
    bool beyond = false;
    for (size_t i = 0; i < bytes.size();) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        // Lead bytes of two to four bytes, without overlong forms or surrogates.
        int extra = c >= 0xC2 && c <= 0xDF ? 1 : c >= 0xE0 && c <= 0xEF ? 2 : c >= 0xF0 && c <= 0xF4 ? 3 : 0;
        if (!extra || i + extra >= bytes.size())
            return false;
        for (int k = 1; k <= extra; ++k) {
            unsigned char d = static_cast<unsigned char>(bytes[i + k]);
            unsigned char low = k == 1 && c == 0xE0 ? 0xA0 : k == 1 && c == 0xF0 ? 0x90 : 0x80;
            unsigned char high = k == 1 && c == 0xED ? 0x9F : k == 1 && c == 0xF4 ? 0x8F : 0xBF;
            if (d < low || d > high)
                return false;
        }
        beyond = true;
        i += extra + 1;
    }
    return beyond;
}

std::string Lower(const std::string &s) {
    std::string out(s);
    for (char &c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

RegReadResult ReadRegFile(const std::string &bytes, RegSource source, RegImage *image) {
    RegReadResult result;
    Parser parser;
    parser.result = &result;

    Text text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text = DecodeUtf16(bytes, 2);
        parser.unicode_text = true;
        result.utf16 = true;
    } else if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
               static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF) {
        text = DecodeUtf8(bytes, 3);
        parser.unicode_text = true;
    } else {
        if (bytes.find('\0') != std::string::npos) {
            result.error = "not a registry export: it holds binary data";
            return result;
        }
        for (unsigned char c : bytes)
            text.push_back(c);
    }

    // Lines, with a trailing backslash joining the next one (long hex data).
    std::vector<std::pair<int, Text>> lines;
    {
        Text cur;
        int number = 1, start = 1;
        bool joining = false;
        for (size_t i = 0; i <= text.size(); ++i) {
            bool end = i == text.size();
            uint32_t c = end ? 0 : text[i];
            if (!end && c != '\n' && c != '\r') {
                cur.push_back(c);
                continue;
            }
            if (!end && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            Text piece = joining ? TrimText(cur) : cur;
            if (joining)
                lines.back().second += piece;
            else
                lines.push_back({start, piece});
            Text trimmed = TrimText(lines.back().second);
            joining = !trimmed.empty() && trimmed.back() == '\\' && trimmed[0] != '[' && trimmed[0] != ';' && !end;
            if (joining) {
                Text &whole = lines.back().second;
                whole = TrimText(whole);
                whole.pop_back();
            }
            cur.clear();
            ++number;
            if (!joining)
                start = number;
        }
    }

    size_t first = 0;
    while (first < lines.size() && TrimText(lines[first].second).empty())
        ++first;
    Text header = first < lines.size() ? TrimText(lines[first].second) : Text();
    if (EqualsNoCase(header, "REGEDIT4")) {
        parser.version = 4;
    } else if (EqualsNoCase(header, "Windows Registry Editor Version 5.00")) {
        parser.version = 5;
    } else {
        result.error = "not a registry export: it must start with \"REGEDIT4\" or "
                       "\"Windows Registry Editor Version 5.00\"";
        return result;
    }
    result.version = parser.version;

    for (size_t i = first + 1; i < lines.size(); ++i) {
        parser.line_no = lines[i].first;
        if (!parser.unicode_text)
            parser.CheckAnsiLine(lines[i].second);
        parser.Line(lines[i].second);
    }

    bool from64 = source == RegSource::Windows64;
    if (source == RegSource::Auto)
        for (const Op &op : parser.ops)
            from64 = from64 || IsWowPath(Lower(op.path));
    image->from64 = from64;

    for (const Op &op : parser.ops) {
        for (const auto &target : Route(op.path, from64)) {
            auto &keys = image->keys[target.first];
            std::string lower = Lower(target.second);
            switch (op.kind) {
            case Op::AddKey:
                keys[lower].path = target.second;
                break;
            case Op::DeleteKey:
                for (auto it = keys.begin(); it != keys.end();) {
                    if (it->first == lower || it->first.compare(0, lower.size() + 1, lower + "\\") == 0)
                        it = keys.erase(it);
                    else
                        ++it;
                }
                break;
            case Op::SetValue: {
                RegKey &key = keys[lower];
                key.path = target.second;
                key.values[Lower(op.value.name)] = op.value;
                break;
            }
            case Op::DeleteValue: {
                auto it = keys.find(lower);
                if (it != keys.end())
                    it->second.values.erase(Lower(op.value.name));
                break;
            }
            }
        }
    }
    result.ok = true;
    return result;
}

} // namespace disccheck
