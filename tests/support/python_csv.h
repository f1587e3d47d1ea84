// Reads a CSV file back with Python's csv module, an independent reader:
// each record's cells as UTF-8; empty when python3 failed on the file.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

inline std::vector<std::vector<std::string>> ReadCsvWithPython(const std::filesystem::path& file) {
    // Every cell as hex, so that commas, quotes and newlines come back as
    // they were; strict UTF-8 decoding fails on anything else.
    const std::string command =
        "python3 -c \"import csv,sys\n"
        "for r in csv.reader(open(sys.argv[1], newline='', encoding='utf-8')):\n"
        "  print(' '.join('x' + c.encode('utf-8').hex() for c in r))\" '" +
        file.string() + "'";
    std::vector<std::vector<std::string>> records;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return records;
    std::string line;
    for (int c; (c = std::fgetc(pipe)) != EOF;) {
        if (c != '\n') {
            line += char(c);
            continue;
        }
        std::vector<std::string>& cells = records.emplace_back();
        for (std::size_t at = 0; at < line.size();) {
            std::size_t end = line.find(' ', at);
            if (end == std::string::npos) end = line.size();
            std::string cell;
            for (std::size_t i = at + 1; i + 1 < end; i += 2)
                cell += char(std::stoi(line.substr(i, 2), nullptr, 16));
            cells.push_back(cell);
            at = end + 1;
        }
        line.clear();
    }
    if (::pclose(pipe) != 0) records.clear();
    return records;
}
