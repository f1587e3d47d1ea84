// A fresh, empty $XDG_CONFIG_HOME for one test: made under the system's
// temporary folder, removed with everything in it afterwards; and a file's
// bytes as text, to look at what a test made there.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

struct TempConfigHome {
    std::filesystem::path path;
    std::optional<std::string> previous;

    TempConfigHome() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrix-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path = pattern;
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) previous = old;
        ::setenv("XDG_CONFIG_HOME", path.c_str(), 1);
    }
    ~TempConfigHome() {
        if (previous)
            ::setenv("XDG_CONFIG_HOME", previous->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TempConfigHome(const TempConfigHome&) = delete;
    TempConfigHome& operator=(const TempConfigHome&) = delete;
};

inline std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
