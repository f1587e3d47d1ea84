// Finding the resource folder from the running binary, and the string table.
#include "toolbox/resources.h"

#include <fstream>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* kStringTable = "Kestrix.strings";
constexpr int kParentsSearched = 3; // build/tests/video/x finds build/resources

bool IsResourceDirectory(const fs::path& dir) {
    std::error_code ec;
    return fs::is_regular_file(dir / kStringTable, ec);
}

fs::path FindResourceDirectory() {
    std::error_code ec;
    const fs::path binary = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    fs::path dir = binary.parent_path();
    if (IsResourceDirectory(dir.parent_path() / "share" / "kestrix"))
        return dir.parent_path() / "share" / "kestrix";
    for (int i = 0; i <= kParentsSearched && !dir.empty(); ++i, dir = dir.parent_path()) {
        if (IsResourceDirectory(dir / "resources")) return dir / "resources";
        if (dir == dir.root_path()) break;
    }
    return {};
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

const std::string& StringTable() {
    static const std::string table = [] {
        const fs::path path = AppResourcePath(kStringTable);
        if (path.empty()) return std::string();
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }();
    return table;
}

} // namespace

const fs::path& AppResourceDirectory() {
    static const fs::path dir = FindResourceDirectory();
    return dir;
}

fs::path AppResourcePath(std::string_view name) {
    const fs::path& dir = AppResourceDirectory();
    if (dir.empty() || name.empty()) return {};
    std::error_code ec;
    fs::path path = dir / name;
    return fs::is_regular_file(path, ec) ? path : fs::path();
}

std::string LookUpString(std::string_view table, std::string_view key) {
    while (!table.empty()) {
        const auto end = table.find('\n');
        const std::string_view line = table.substr(0, end);
        table = end == std::string_view::npos ? std::string_view() : table.substr(end + 1);
        const std::string_view trimmed = Trim(line);
        if (trimmed.empty() || trimmed.front() == '#') continue;
        const auto equals = trimmed.find('=');
        if (equals == std::string_view::npos) continue;
        if (Trim(trimmed.substr(0, equals)) == key)
            return Unescape(Trim(trimmed.substr(equals + 1)));
    }
    return std::string(key);
}

std::string AppLocStr(std::string_view key) {
    return LookUpString(StringTable(), key);
}
