// kestrix-scan: reads the barcodes in image and video files with the scan
// engine and prints each accepted read.
#include "cli/file_scan.h"
#include "cli/live_scan.h"
#include "cli/options.h"
#include "cli/read_output.h"

#include <iostream>
#include <span>

namespace {

constexpr int kExitRead = 0;
constexpr int kExitUsage = 2;
constexpr int kExitNothingRead = 4;

} // namespace

int main(int argc, char** argv) {
    const ParsedCommand command =
        ParseCommandLine(std::span<const char* const>(argv + 1, argc - 1));
    switch (command.action) {
    case CommandAction::kHelp:
        std::cout << HelpText();
        return kExitRead;
    case CommandAction::kVersion:
        std::cout << "kestrix-scan " KESTRIX_VERSION "\n";
        return kExitRead;
    case CommandAction::kUsageError:
        std::cerr << "kestrix-scan: " << command.error << "\n"
                  << "Try 'kestrix-scan --help' for the options.\n";
        return kExitUsage;
    case CommandAction::kScan:
        break;
    }

    const ScanOptions& options = command.options;
    bool anyRead = false;
    if (options.source) {
        std::string error;
        const bool ok = ScanLive(
            options,
            [&](const ScanRead& read) {
                anyRead = true;
                std::cout << (options.json ? FormatReadJson("", read) : FormatReadLine(read))
                          << std::endl;
            },
            error);
        if (!ok) std::cerr << "kestrix-scan: " << error << "\n";
        return anyRead ? kExitRead : kExitNothingRead;
    }
    for (const std::string& file : options.files) {
        const auto print = [&](const ScanRead& read) {
            anyRead = true;
            std::cout << (options.json ? FormatReadJson(file, read) : FormatReadLine(read))
                      << std::endl;
        };
        std::string error;
        if (!ScanFile(file, options, print, error))
            std::cerr << "kestrix-scan: " << file << ": " << error << "; skipped\n";
    }
    return anyRead ? kExitRead : kExitNothingRead;
}
