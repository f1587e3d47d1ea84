// Photo benchmark: reads a folder of labelled photographs (one folder per
// sample set, NAME.EXT beside NAME.txt) as kestrix-scan does (decoded by
// GdkPixbuf and stretched to 640x480 by kestrix-scan's own reader), and
// scores each reader per folder: read, misread (a photograph given any
// wrong code), missed, false reads (any read in a folder of pictures
// without a barcode) and the decode time per picture (CPU time of the
// reading thread). zbar and zxing-cpp, when built in, get the very same
// frames.
//
//   kestrix_photo_bench [--disable hard] [--only kestrix|zbar|zxing] [-v] [FOLDER]
//   kestrix_photo_bench --video SECONDS [FOLDER]   each photograph as a webcam video
//   kestrix_photo_bench --clips FRAMES [FOLDER]    each photograph as a webcam clip
//   kestrix_photo_bench --only kestrix --require READ MISREAD FALSE [FOLDER]
//
// --clips makes each photograph into a Motion-JPEG clip of FRAMES frames at
// 30 a second (jitter of up to 1.5 pixels, gain within 7 %, sensor noise of
// sigma 5) and reads it as the camera path does: kestrix-scan with the clip
// as a live source ("filesrc location=CLIP ! decodebin"), its time being
// kestrix-scan's CPU time for the whole clip; beside it kestrix-scan's
// reading of the clip as a video file, and the peers reading every frame
// whole. With --only kestrix only the live source is read.
#include "bench/photo_clips.h"
#include "bench/photo_readers.h"
#include "cli/file_scan.h"
#include "engine/scanner_instance.h"
#include "video/file_frames.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
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

// One reader over a photograph: its still frame, or the clip made of it.
struct Reader {
    std::string name;
    std::function<std::vector<PhotoRead>(const Photo&, const Clip&, double& seconds)> read;
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
        auto reader = FileFrameReader::Open(file.string(), error);
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
    std::printf("| %-30s | %-18s | %4d | %7d | %6d | %11d | %9.2f |\n", reader.c_str(),
                folder.c_str(), s.read, s.misread, s.missed, s.falseReads,
                s.pictures ? 1000.0 * s.seconds / s.pictures : 0.0);
}

} // namespace

int main(int argc, char** argv) {
    std::string root = KESTRIX_PHOTOS_DIR;
    std::string only;
    bool verbose = false, hard = true;
    int videoSeconds = 0, clipFrames = 0;
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
        } else if (arg == "--clips" && i + 1 < argc) {
            clipFrames = std::max(1, std::atoi(argv[++i]));
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

    // Still readers are timed on this thread; clip readers time themselves.
    auto still = [](PhotoReader r) {
        return Reader{r.name, [r](const Photo& photo, const Clip&, double& seconds) {
                          const double start = ThreadSeconds();
                          std::vector<PhotoRead> reads = r.read(photo.frame);
                          seconds += ThreadSeconds() - start;
                          return reads;
                      }};
    };
    auto everyFrame = [](PhotoReader r) {
        return Reader{r.name + ", every frame",
                      [r](const Photo&, const Clip& clip, double& seconds) {
                          const double start = ThreadSeconds();
                          std::vector<PhotoRead> reads;
                          for (const auto& frame : clip.frames) {
                              std::vector<PhotoRead> got = r.read(frame);
                              reads.insert(reads.end(), got.begin(), got.end());
                          }
                          seconds += ThreadSeconds() - start;
                          return reads;
                      }};
    };
    std::vector<Reader> readers;
    if (clipFrames > 0) {
        readers.push_back(
            {"Kestrix live (--source)", [](const Photo&, const Clip& clip, double& seconds) {
                 return ReadClipLive(KESTRIX_SCAN_PATH, clip.file.string(), seconds);
             }});
        if (only.empty() || only == "file")
            readers.push_back(
                {"Kestrix, clip as a file", [](const Photo&, const Clip& clip, double& seconds) {
                     const double start = ThreadSeconds();
                     std::vector<PhotoRead> reads = ReadClipAsFile(clip.frames);
                     seconds += ThreadSeconds() - start;
                     return reads;
                 }});
    } else if (videoSeconds > 0) {
        readers.push_back(still(KestrixVideoReader(hard, videoSeconds)));
    } else if (only.empty() || only == "kestrix") {
        readers.push_back(still(KestrixReader(hard)));
    }
    auto peer = [&](std::optional<PhotoReader> r) {
        if (r) readers.push_back(clipFrames > 0 ? everyFrame(*r) : still(*r));
    };
    if (only.empty() || only == "zbar") peer(ZbarReader());
    if (only.empty() || only == "zxing") peer(ZxingReader());

    std::vector<std::map<std::string, Score>> scores(readers.size());
    const fs::path clipFile =
        fs::temp_directory_path() / ("kestrix-photo-clip-" + std::to_string(getpid()) + ".avi");
    for (const Photo& photo : photos) {
        Clip clip;
        if (clipFrames > 0) {
            std::string error;
            ClipLook look;
            look.frames = clipFrames;
            look.decodeBack = only != "kestrix"; // only the live source reads the clip
            if (!MakeClip(photo.frame, look, clipFile, clip, error)) {
                std::cerr << "photo_bench: " << photo.name << ": " << error << "\n";
                continue;
            }
        }
        const bool addOns = photo.folder.find("extension") != std::string::npos;
        for (std::size_t k = 0; k < readers.size(); ++k) {
            Score& s = scores[k][photo.folder];
            std::vector<PhotoRead> reads = readers[k].read(photo, clip, s.seconds);
            ++s.pictures;
            auto right = [&](const PhotoRead& r) {
                return MatchesLabel(r, photo.expected, addOns);
            };
            std::string verdict;
            if (IsFalsePositiveFolder(photo.folder)) {
                if (!reads.empty()) ++s.falseReads, verdict = "FALSE";
            } else if (!std::ranges::all_of(reads, right)) {
                ++s.misread, verdict = "MISREAD";
            } else if (!reads.empty()) {
                ++s.read, verdict = "read";
            } else {
                ++s.missed, verdict = "missed";
            }
            if (verbose) {
                std::printf("%s %s/%s [%s]:", readers[k].name.c_str(), photo.folder.c_str(),
                            photo.name.c_str(), verdict.c_str());
                for (const PhotoRead& r : reads)
                    std::printf(" %s:%s%s%s", r.symbology.c_str(), r.main.c_str(),
                                r.addOn.empty() ? "" : "+", r.addOn.c_str());
                std::printf("\n");
                std::fflush(stdout);
            }
        }
    }
    std::error_code ignored;
    fs::remove(clipFile, ignored);

    std::printf("| %-30s | %-18s | %4s | %7s | %6s | %11s | %9s |\n", "reader", "folder", "read",
                "misread", "missed", "false reads", "ms/photo");
    std::printf("|%s|%s|%s|%s|%s|%s|%s|\n", std::string(32, '-').c_str(),
                std::string(20, '-').c_str(), "------", "---------", "--------", "-------------",
                "-----------");
    bool failed = false;
    for (std::size_t k = 0; k < readers.size(); ++k) {
        Score total;
        for (const auto& [folder, s] : scores[k]) {
            PrintRow(readers[k].name, folder, s);
            total.read += s.read, total.misread += s.misread, total.missed += s.missed;
            total.falseReads += s.falseReads, total.pictures += s.pictures;
            total.seconds += s.seconds;
        }
        PrintRow(readers[k].name, "TOTAL", total);
        if (require && readers[k].name.starts_with("Kestrix") &&
            (total.read < require->read || total.misread > require->misread ||
             total.falseReads > require->falseReads)) {
            std::printf("below the required %d read, at most %d misread, at most %d false\n",
                        require->read, require->misread, require->falseReads);
            failed = true;
        }
    }
    return failed ? 1 : 0;
}
