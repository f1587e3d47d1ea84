// kestrix-scan: reads the barcodes in image and video files with the scan
// engine and prints each accepted read.
#include "cli/file_scan.h"
#include "cli/live_scan.h"
#include "cli/options.h"
#include "cli/read_output.h"
#include "cli/shown_name.h"
#include "toolbox/csv_writer.h"
#include "video/file_frames.h"

#include <iostream>
#include <span>

namespace {

constexpr int kExitRead = 0;
constexpr int kExitUsage = 2;
constexpr int kExitNothingRead = 4;

// Prints one read in the chosen format; true, for the exit status.
bool PrintRead(const ScanOptions& options, const std::string& file, const ScanRead& read) {
    switch (options.format) {
    case ReadFormat::kLine:
        std::cout << FormatReadLine(read) << std::endl;
        break;
    case ReadFormat::kJson:
        std::cout << FormatReadJson(file, read) << std::endl;
        break;
    case ReadFormat::kRaw:
        std::cout << read.text << std::endl;
        break;
    case ReadFormat::kCsv:
        std::cout << FormatReadCsv(read) << std::flush;
        break;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    SilenceLibraryWarnings();
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
    if (options.format == ReadFormat::kCsv) std::cout << HistoryCsvHeader() << std::flush;
    bool anyRead = false;
    if (options.source) {
        std::string error;
        const bool ok = ScanLive(
            options, [&](const ScanRead& read) { anyRead = PrintRead(options, "", read); }, error);
        if (!ok) std::cerr << "kestrix-scan: " << error << "\n";
        return anyRead ? kExitRead : kExitNothingRead;
    }
    for (const std::string& file : options.files) {
        std::string error, detail;
        const bool scanned = ScanFile(
            file, options, [&](const ScanRead& read) { anyRead = PrintRead(options, file, read); },
            error, &detail);
        if (scanned && error.empty()) continue;
        std::cerr << "kestrix-scan: " << ShownFileName(file) << ": " << error;
        if (options.verbose && !detail.empty()) std::cerr << " [" << ShownFileName(detail) << "]";
        std::cerr << (scanned ? "\n" : "; skipped\n");
    }
    return anyRead ? kExitRead : kExitNothingRead;
}
