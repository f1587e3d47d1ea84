// Runs kestrix-scan as a user would and collects what it printed.
#pragma once

#include <string>
#include <vector>

struct ProgramRun {
    int status = -1; // exit status; -1 if the program did not exit normally
    std::string out; // standard output
    std::string err; // standard error

    std::vector<std::string> OutLines() const;
    std::vector<std::string> ErrLines() const;
};

// Runs the built kestrix-scan with args and stdinPath on standard input; its
// output goes through files in scratchDir.
ProgramRun RunKestrixScan(const std::vector<std::string>& args, const std::string& scratchDir,
                          const std::string& stdinPath = "/dev/null");
