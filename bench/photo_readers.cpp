// Label conventions of the photo benchmark and the Kestrix reader.
#include "bench/photo_readers.h"

#include "cli/file_scan.h"
#include "engine/scanner_instance.h"
#include "engine/symbology.h"
#include "symbologies/gs1_128.h"
#include "toolbox/fourcc.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// UPC-E's 6 digits (with number system and check digit when 8) as UPC-A.
std::string ExpandUPCEDigits(const std::string& digits) {
    std::string e = digits;
    if (e.size() == 6) e = "0" + e + "?";
    if (e.size() != 8) return digits;
    const char ns = e[0], c = e[7];
    const std::string d = e.substr(1, 6);
    std::string upca;
    switch (d[5]) {
    case '0':
    case '1':
    case '2':
        upca = d.substr(0, 2) + d[5] + "0000" + d.substr(2, 3);
        break;
    case '3':
        upca = d.substr(0, 3) + "00000" + d.substr(3, 2);
        break;
    case '4':
        upca = d.substr(0, 4) + "00000" + d[4];
        break;
    default:
        upca = d.substr(0, 5) + "0000" + d[5];
        break;
    }
    return std::string("0") + ns + upca + c;
}

std::string Lower(std::string s) {
    std::ranges::transform(s, s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

} // namespace

PhotoRead NormalisedRead(std::string symbology, PhotoKind kind, std::string text,
                         std::string addOn) {
    PhotoRead read{std::move(symbology), std::move(text), std::move(addOn)};
    if (kind == PhotoKind::kEANUPC || kind == PhotoKind::kUPCE) {
        if (auto space = read.main.find(' '); space != std::string::npos) {
            read.addOn = read.main.substr(space + 1);
            read.main.resize(space);
        }
        if (kind == PhotoKind::kUPCE && read.main.size() <= 8)
            read.main = ExpandUPCEDigits(read.main);
        if (read.main.size() == 12) read.main = "0" + read.main;
    }
    if (kind == PhotoKind::kCode39) std::ranges::replace(read.main, '_', ' ');
    if (kind == PhotoKind::kCodabar) read.caseless = true;
    // The labels write a GS1-128 as its element string without FNC1s, where
    // Kestrix reports the printed form "(10)AB12(21)XY".
    // kestrix-scan's output names it "GS1-128".
    if (read.symbology == FourCCToString(kSymbologyGS1_128) || read.symbology == "GS1-128")
        if (std::optional<std::string> elements = Gs1ElementString(read.main)) {
            std::erase(*elements, kGs1Separator);
            read.main = std::move(*elements);
        }
    return read;
}

bool MatchesLabel(const PhotoRead& read, const std::string& label, bool addOnFolder) {
    if (addOnFolder) return read.main + read.addOn == label;
    if (read.caseless) return Lower(read.main) == Lower(label);
    return read.main == label;
}

std::vector<std::uint8_t> FrameLuminance(std::span<const std::uint32_t> frame) {
    std::vector<std::uint8_t> gray(frame.size());
    for (std::size_t i = 0; i < frame.size(); ++i) {
        const std::uint32_t p = frame[i];
        gray[i] = std::uint8_t((((p >> 16) & 0xFF) + 2 * ((p >> 8) & 0xFF) + (p & 0xFF)) / 4);
    }
    return gray;
}

namespace {

ScanOptions KestrixOptions(bool tryHarder) {
    ScanOptions options;
    for (OSType key : {kKeyEAN8, kKeyEAN13, kKeyUPCA, kKeyUPCE, kKeyCodabar, kKeyCode39,
                       kKeyCode128, kKeyInt2of5, kKeyCode32})
        options.switches.push_back({key, true});
    options.switches.push_back({kKeyTryHarder, tryHarder});
    options.supplement = kSupplementOptional;
    return options;
}

ReadCallback CollectInto(std::vector<PhotoRead>& reads) {
    return [&reads](const ScanRead& r) {
        PhotoKind kind = PhotoKind::kOther;
        if (r.symbology == kSymbologyEAN13 || r.symbology == kSymbologyUPCA ||
            r.symbology == kSymbologyEAN8)
            kind = PhotoKind::kEANUPC;
        if (r.symbology == kSymbologyUPCE) kind = PhotoKind::kUPCE;
        if (r.symbology == kSymbologyCode39) kind = PhotoKind::kCode39;
        if (r.symbology == kSymbologyCodabar) kind = PhotoKind::kCodabar;
        reads.push_back(NormalisedRead(FourCCToString(r.symbology), kind, r.text));
    };
}

// Webcam-like frame i of a still: the picture moved by up to 2 pixels either
// way (a hand's jitter) and sensor noise of about 6 levels on each channel.
void WebcamFrame(std::span<const std::uint32_t> still, std::span<std::uint32_t> out,
                 std::mt19937& random) {
    std::uniform_int_distribution<int> shift(-2, 2);
    std::normal_distribution<double> noise(0.0, 6.0);
    const int dx = shift(random), dy = shift(random);
    for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x) {
            const int sx = std::clamp(x + dx, 0, kFrameWidth - 1);
            const int sy = std::clamp(y + dy, 0, kFrameHeight - 1);
            const std::uint32_t p = still[std::size_t(sy) * kFrameWidth + std::size_t(sx)];
            std::uint32_t q = 0xFF000000u;
            for (int shiftBits : {0, 8, 16}) {
                const int v = int((p >> shiftBits) & 0xFF) + int(std::lround(noise(random)));
                q |= std::uint32_t(std::clamp(v, 0, 255)) << shiftBits;
            }
            out[std::size_t(y) * kFrameWidth + std::size_t(x)] = q;
        }
}

} // namespace

PhotoReader KestrixReader(bool tryHarder) {
    ScanOptions options = KestrixOptions(tryHarder);
    return {tryHarder ? "Kestrix (hard on)" : "Kestrix (hard off)",
            [options](std::span<const std::uint32_t> frame) {
                std::vector<PhotoRead> reads;
                ScanStillPicture(frame, options, CollectInto(reads));
                return reads;
            }};
}

namespace {

PhotoKind KindOfName(std::string_view name) {
    if (name == "EAN-13" || name == "UPC-A" || name == "EAN-8") return PhotoKind::kEANUPC;
    if (name == "UPC-E") return PhotoKind::kUPCE;
    if (name == "Code 39") return PhotoKind::kCode39;
    if (name == "Codabar") return PhotoKind::kCodabar;
    return PhotoKind::kOther;
}

double ChildrenSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           1e-6 * double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

} // namespace

std::vector<PhotoRead> ReadClipLive(const std::string& scanPath, const std::string& clipFile,
                                    double& cpuSeconds) {
    std::vector<PhotoRead> reads;
    int out[2];
    if (pipe(out) != 0) return reads;
    const std::string source = "filesrc location=\"" + clipFile + "\" ! decodebin";
    const double before = ChildrenSeconds();
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]), close(out[1]);
        execl(scanPath.c_str(), scanPath.c_str(), "--enable", "all,cd32", "--supplement", "opti",
              "--source", source.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, std::size_t(n));
    close(out[0]);
    if (child > 0) waitpid(child, nullptr, 0);
    cpuSeconds += ChildrenSeconds() - before;
    // One read a line, NAME:TEXT.
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string name = line.substr(0, colon);
        reads.push_back(NormalisedRead(name, KindOfName(name), line.substr(colon + 1)));
    }
    return reads;
}

std::vector<PhotoRead> ReadClipAsFile(std::span<const std::vector<std::uint32_t>> frames) {
    std::vector<PhotoRead> reads;
    std::size_t next = 0;
    ScanFrames(
        [&](std::span<std::uint32_t> out) {
            if (next == frames.size()) return false;
            std::ranges::copy(frames[next++], out.begin());
            return true;
        },
        KestrixOptions(true), CollectInto(reads));
    return reads;
}

PhotoReader KestrixVideoReader(bool tryHarder, int seconds) {
    ScanOptions options = KestrixOptions(tryHarder);
    return {"Kestrix video " + std::to_string(seconds) + " s",
            [options, seconds](std::span<const std::uint32_t> still) {
                std::vector<PhotoRead> reads;
                std::mt19937 random(7);
                int frames = 30 * seconds;
                ScanFrames(
                    [&](std::span<std::uint32_t> out) {
                        if (frames-- <= 0) return false;
                        WebcamFrame(still, out, random);
                        return true;
                    },
                    options, CollectInto(reads));
                return reads;
            }};
}
