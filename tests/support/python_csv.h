// Reads a CSV file back with Python's csv module, an independent reader:
// each record's cells as UTF-8; empty when python3 failed on the file.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

inline std::vector<std::vector<std::string>> ReadCsvWithPython(const std::filesystem::path& file) {
    // Cells end with US (\x1f) and records with RS (\x1e), which no test
    // text holds, so that commas, quotes and newlines come back as they
    // were; strict UTF-8 decoding fails on anything else.
    const std::string command =
        "python3 -c \"import csv,sys\n"
        "for r in csv.reader(open(sys.argv[1], newline='', encoding='utf-8')):\n"
        "  sys.stdout.buffer.write(b''.join(c.encode('utf-8') + b'\\x1f' for c in r) + "
        "b'\\x1e')\" '" +
        file.string() + "'";
    std::vector<std::vector<std::string>> records(1);
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return {};
    std::string cell;
    for (int c; (c = std::fgetc(pipe)) != EOF;) {
        if (c == '\x1f')
            records.back().push_back(std::exchange(cell, {}));
        else if (c == '\x1e')
            records.emplace_back();
        else
            cell += char(c);
    }
    records.pop_back();
    if (::pclose(pipe) != 0) records.clear();
    return records;
}
