// Photo benchmark: reads a folder of labelled photographs (one folder per
// sample set, NAME.EXT beside NAME.txt) as kestrix-scan does, every picture
// stretched to 640x480, and scores each reader per folder: read, misread,
// missed, false reads (any read in a folder of pictures without a barcode)
// and the decode time per picture (CPU time of the reading thread). zbar and zxing-cpp, when built
// in, get the very same frames.
//
//   kestrix_photo_bench [--disable hard] [--only kestrix|zbar|zxing] [-v] [FOLDER]
//   kestrix_photo_bench --video SECONDS [FOLDER]   each photograph as a webcam video
//   kestrix_photo_bench --only kestrix --require READ MISREAD FALSE [FOLDER]
#include "bench/photo_readers.h"
#include "cli/file_scan.h"
#include "engine/scanner_instance.h"
#include "video/gst_frames.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The CPU time of this thread: the readers decode on it alone, and other work
// on a shared machine does not count against them.
double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

struct Photo {
    std::string folder, name, expected;
    std::vector<std::uint32_t> frame;
};

struct Score {
    int read = 0, misread = 0, missed = 0, falseReads = 0, pictures = 0;
    double seconds = 0;
};

bool IsPicture(const fs::path& path) {
    static const std::vector<std::string> kinds = {".png", ".jpg", ".jpeg", ".webp",
                                                   ".gif", ".bmp", ".tif",  ".tiff"};
    std::string ext = path.extension().string();
    std::ranges::transform(ext, ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return std::ranges::find(kinds, ext) != kinds.end();
}

std::vector<Photo> LoadPhotos(const fs::path& root) {
    std::vector<Photo> photos;
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file() && IsPicture(entry.path())) files.push_back(entry.path());
    std::ranges::sort(files);
    for (const fs::path& file : files) {
        Photo photo;
        photo.folder = file.parent_path().filename().string();
        photo.name = file.filename().string();
        fs::path label = file;
        label.replace_extension(".txt");
        if (std::ifstream in(label); in) {
            std::ostringstream text;
            text << in.rdbuf();
            photo.expected = text.str();
        }
        std::string error;
        auto reader = GstFrameReader::OpenFile(file.string(), {}, error);
        photo.frame.resize(std::size_t(kFrameWidth) * kFrameHeight);
        if (!reader || reader->PullFrame(photo.frame) != GstPullResult::kFrame) {
            std::cerr << "photo_bench: " << file << ": cannot decode " << error << "\n";
            continue;
        }
        photos.push_back(std::move(photo));
    }
    return photos;
}

// --require READ MISREAD FALSE: Kestrix's totals must be at least READ read
// and at most MISREAD misread and FALSE false reads, or the run fails; with
// no photographs it is skipped (for the test suite on a machine without them).
struct Requirement {
    int read = 0, misread = 0, falseReads = 0;
};
constexpr int kSkipped = 77;

// A folder of pictures without any barcode.
bool IsFalsePositiveFolder(const std::string& folder) {
    return folder.starts_with("falsepositives");
}

void PrintRow(const std::string& reader, const std::string& folder, const Score& s) {
    std::printf("| %-26s | %-18s | %4d | %7d | %6d | %11d | %9.2f |\n", reader.c_str(),
                folder.c_str(), s.read, s.misread, s.missed, s.falseReads,
                s.pictures ? 1000.0 * s.seconds / s.pictures : 0.0);
}

} // namespace

int main(int argc, char** argv) {
    std::string root = KESTRIX_PHOTOS_DIR;
    std::string only;
    bool verbose = false, hard = true;
    int videoSeconds = 0;
    std::optional<Requirement> require;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--disable" && i + 1 < argc && std::string(argv[i + 1]) == "hard") {
            hard = false;
            ++i;
        } else if (arg == "--only" && i + 1 < argc) {
            only = argv[++i];
        } else if (arg == "--video" && i + 1 < argc) {
            videoSeconds = std::max(1, std::atoi(argv[++i]));
            only = "kestrix";
        } else if (arg == "--require" && i + 3 < argc) {
            require = {std::atoi(argv[i + 1]), std::atoi(argv[i + 2]), std::atoi(argv[i + 3])};
            i += 3;
        } else if (arg == "-v") {
            verbose = true;
        } else {
            root = arg;
        }
    }
    if (!fs::is_directory(root)) {
        std::cerr << "photo_bench: no folder " << root << "\n";
        return require ? kSkipped : 1;
    }
    std::vector<Photo> photos = LoadPhotos(root);

    std::vector<PhotoReader> readers;
    if (videoSeconds > 0)
        readers.push_back(KestrixVideoReader(hard, videoSeconds));
    else if (only.empty() || only == "kestrix")
        readers.push_back(KestrixReader(hard));
    if (only.empty() || only == "zbar")
        if (auto r = ZbarReader()) readers.push_back(std::move(*r));
    if (only.empty() || only == "zxing")
        if (auto r = ZxingReader()) readers.push_back(std::move(*r));

    std::printf("| %-26s | %-18s | %4s | %7s | %6s | %11s | %9s |\n", "reader", "folder", "read",
                "misread", "missed", "false reads", "ms/photo");
    std::printf("|%s|%s|%s|%s|%s|%s|%s|\n", std::string(28, '-').c_str(),
                std::string(20, '-').c_str(), "------", "---------", "--------", "-------------",
                "-----------");
    bool failed = false;
    for (PhotoReader& reader : readers) {
        std::map<std::string, Score> folders;
        Score total;
        for (const Photo& photo : photos) {
            const bool addOns = photo.folder.find("extension") != std::string::npos;
            const double start = ThreadSeconds();
            std::vector<PhotoRead> reads = reader.read(photo.frame);
            const double seconds = ThreadSeconds() - start;
            Score& s = folders[photo.folder];
            s.seconds += seconds;
            ++s.pictures;
            std::string verdict;
            if (IsFalsePositiveFolder(photo.folder)) {
                if (!reads.empty()) ++s.falseReads, verdict = "FALSE";
            } else if (std::ranges::any_of(reads, [&](const PhotoRead& r) {
                           return MatchesLabel(r, photo.expected, addOns);
                       })) {
                ++s.read, verdict = "read";
            } else if (!reads.empty()) {
                ++s.misread, verdict = "MISREAD";
            } else {
                ++s.missed, verdict = "missed";
            }
            if (verbose) {
                std::printf("%s %s/%s [%s]:", reader.name.c_str(), photo.folder.c_str(),
                            photo.name.c_str(), verdict.c_str());
                for (const PhotoRead& r : reads)
                    std::printf(" %s:%s%s%s", r.symbology.c_str(), r.main.c_str(),
                                r.addOn.empty() ? "" : "+", r.addOn.c_str());
                std::printf("\n");
            }
        }
        for (const auto& [folder, s] : folders) {
            PrintRow(reader.name, folder, s);
            total.read += s.read, total.misread += s.misread, total.missed += s.missed;
            total.falseReads += s.falseReads, total.pictures += s.pictures;
            total.seconds += s.seconds;
        }
        PrintRow(reader.name, "TOTAL", total);
        if (require && reader.name.starts_with("Kestrix") &&
            (total.read < require->read || total.misread > require->misread ||
             total.falseReads > require->falseReads)) {
            std::printf("below the required %d read, at most %d misread, at most %d false\n",
                        require->read, require->misread, require->falseReads);
            failed = true;
        }
    }
    return failed ? 1 : 0;
}
