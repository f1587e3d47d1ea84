// Quoting of file names for the terminal and for JSON.
#include "cli/shown_name.h"

#include "cli/read_output.h"
#include "toolbox/utf8.h"

#include <cstdio>

namespace {

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

bool IsPlain(std::string_view name) {
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t n = Utf8SequenceLength(name, i);
        if (n == 0 || (n == 1 && IsControl(static_cast<unsigned char>(name[i])))) return false;
        i += n;
    }
    return true;
}

// One byte as ls writes it inside $'...'.
std::string Escaped(unsigned char c) {
    switch (c) {
    case '\a':
        return "\\a";
    case '\b':
        return "\\b";
    case '\t':
        return "\\t";
    case '\n':
        return "\\n";
    case '\v':
        return "\\v";
    case '\f':
        return "\\f";
    case '\r':
        return "\\r";
    default:
        break;
    }
    char octal[8];
    std::snprintf(octal, sizeof octal, "\\%03o", c);
    return octal;
}

} // namespace

std::string ShownFileName(std::string_view name) {
    if (IsPlain(name)) return std::string(name);
    std::string out;
    bool quoted = false; // inside '...'
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t n = Utf8SequenceLength(name, i);
        const auto c = static_cast<unsigned char>(name[i]);
        if (n == 0 || (n == 1 && IsControl(c))) {
            if (quoted) out += '\'';
            quoted = false;
            out += "$'";
            for (; i < name.size(); ++i) {
                const auto b = static_cast<unsigned char>(name[i]);
                const std::size_t m = Utf8SequenceLength(name, i);
                if (m != 0 && !(m == 1 && IsControl(b))) break;
                out += Escaped(b);
            }
            out += '\'';
            continue;
        }
        if (!quoted) out += '\'';
        quoted = true;
        if (c == '\'')
            out += "'\\''";
        else
            out.append(name.substr(i, n));
        i += n;
    }
    if (quoted) out += '\'';
    return out;
}

std::string JsonFileName(std::string_view name) {
    std::string out = "\"";
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t n = Utf8SequenceLength(name, i);
        if (n == 0) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\udc%02x", static_cast<unsigned char>(name[i]));
            out += escape;
            ++i;
            continue;
        }
        const std::string piece = JsonString(name.substr(i, n));
        out.append(piece, 1, piece.size() - 2);
        i += n;
    }
    return out + "\"";
}
