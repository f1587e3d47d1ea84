// Spawns kestrix-scan with standard output and error sent to files.
#include "run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

extern char** environ;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct FileActions {
    posix_spawn_file_actions_t actions;
    FileActions() { posix_spawn_file_actions_init(&actions); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
};

} // namespace

std::vector<std::string> ProgramRun::OutLines() const {
    return Lines(out);
}
std::vector<std::string> ProgramRun::ErrLines() const {
    return Lines(err);
}

ProgramRun RunKestrixScan(const std::vector<std::string>& args, const std::string& scratchDir,
                          const std::string& stdinPath) {
    const std::string outPath = scratchDir + "/stdout.txt";
    const std::string errPath = scratchDir + "/stderr.txt";
    FileActions files;
    constexpr int kMode = 0644;
    posix_spawn_file_actions_addopen(&files.actions, 0, stdinPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files.actions, 1, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, kMode);
    posix_spawn_file_actions_addopen(&files.actions, 2, errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, kMode);

    std::vector<char*> argv;
    std::string program = KESTRIX_SCAN_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);

    ProgramRun run;
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &files.actions, nullptr, argv.data(), environ) != 0)
        return run;
    int wstatus = 0;
    if (waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus)) run.status = WEXITSTATUS(wstatus);
    run.out = Slurp(outPath);
    run.err = Slurp(errPath);
    return run;
}
