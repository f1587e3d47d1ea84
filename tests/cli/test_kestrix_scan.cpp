// kestrix-scan end to end, the built program run as a user runs it, over
// pictures made by independent encoders: libzint draws the barcodes,
// GStreamer's own encoders write them (tests/support/media.h) and
// ImageMagick's convert animates them.
#include "tests/support/media.h"
#include "tests/support/render_barcode.h"
#include "tests/support/temp_config_home.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zint.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <span>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

constexpr int kExitRead = 0;
constexpr int kExitUsage = 2;
constexpr int kExitNothingRead = 4;
constexpr std::uint32_t kPhotoSeed = 20240611;

// The expected texts are worked out by hand from the data given to libzint:
// its check digits, the UPC-E expansion 0-12345-00006-5, and the 13-digit
// form in which UPC-A and UPC-E are reported while EAN-13 is enabled.
constexpr const char* kEan13Line = "EAN-13:4006381333931";
constexpr const char* kEan8Line = "EAN-8:55123457";
constexpr const char* kUpcaLine = "UPC-A:0012345678905";
constexpr const char* kUpcaAddOnLine = "UPC-A:0012345678905 12";
constexpr const char* kUpceLine = "UPC-E:0012345000065";
constexpr const char* kCsvHeader = "time,symbology,text,delivery\r";
// A CSV line's time, the local time in ISO 8601 with its offset.
const std::string kCsvTime =
    "^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}[+-][0-9]{2}:[0-9]{2},";

// A photograph of a symbol: libzint's bars on a label, pixelsPerModule
// wide and turned by degrees, in a picture of width x height pixels (one
// that just fits the label when its size is left 0), unevenly lit, a little
// out of focus and with sensor noise drawn from seed.
struct PhotoLook {
    int width = 0;
    int height = 0;
    double degrees = 0;
    double pixelsPerModule = 4;
    double noise = 2; // standard deviation, grey levels
    std::uint64_t seed = 1;
};

Frame Photo(int symbology, const std::string& data, const PhotoLook& look) {
    RenderOptions o;
    o.width = look.width, o.height = look.height;
    if (o.width == 0) {
        const BarPattern pattern = EncodeBars(symbology, data);
        o.width = int((pattern.TotalWidth() + 8) * look.pixelsPerModule) + 20;
        o.height = int((pattern.height + 12) * look.pixelsPerModule) + 20;
    }
    o.angleDegrees = look.degrees, o.pixelsPerModule = look.pixelsPerModule;
    o.noiseSigma = look.noise, o.seed = look.seed;
    o.blurSigma = 0.7, o.lighting = 0.15;
    return RenderBarcode(symbology, data, o);
}

// The pictures that "@name" stands for in the tests' arguments, saved as
// "name.png" the first time they are named.
const std::map<std::string, std::pair<int, std::string>> kSymbols = {
    {"ean13", {BARCODE_EANX, "400638133393"}},
    {"ean8", {BARCODE_EANX, "5512345"}},
    {"upca", {BARCODE_UPCA, "01234567890"}},
    {"upce", {BARCODE_UPCE, "0123456"}},
    {"upca-12", {BARCODE_UPCA, "01234567890+12"}},
    {"c128", {BARCODE_CODE128, "Kestrix-128"}},
    {"c39", {BARCODE_CODE39, "KESTRIX-39"}},
    {"coda", {BARCODE_CODABAR, "A40156B"}},
    {"i25", {BARCODE_C25INTER, "12345678"}},
    {"c32", {BARCODE_CODE32, "12345678"}},
    {"gs1", {BARCODE_GS1_128, "[10]AB12[21]XY"}},
    {"grusse", {BARCODE_CODE128, "Gr\xFC\xDF\x65"}}, // "Grüße" in Latin-1
};

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string BigEndian32(std::uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

// The chunks of an 8-bit grey PNG that says width x height and holds no
// pixels: a decoder learns the size before it reads any.
std::string PngHeader(std::uint32_t width, std::uint32_t height) {
    auto chunk = [](const std::string& type, const std::string& data) {
        std::uint32_t crc = 0xFFFFFFFFu;
        for (unsigned char c : type + data) {
            crc ^= c;
            for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
        }
        return BigEndian32(std::uint32_t(data.size())) + type + data + BigEndian32(~crc);
    };
    const std::string size = BigEndian32(width) + BigEndian32(height);
    return "\x89PNG\r\n\x1A\n" + chunk("IHDR", size + std::string("\x08\0\0\0\0", 5)) +
           chunk("IDAT", "") + chunk("IEND", "");
}

// A run of kestrix-scan: its arguments ("@name" and "{dir}" as Expand takes
// them), exit status, lines of standard output (a line that starts with ^
// is a regular expression) and a part of each line of standard error.
struct RunCase {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> out;
    std::vector<std::string> err = {};
    std::string input = "/dev/null";
};

// Each test works in a scratch folder that is also the configuration home.
class KestrixScan : public ::testing::Test {
  protected:
    std::string File(const std::string& name) const { return (config_.path / name).string(); }
    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(File(name), std::ios::binary) << bytes;
    }

    // "@name" becomes the picture of kSymbols, "{dir}" the scratch folder.
    std::string Expand(std::string text) {
        if (text.starts_with('@') && kSymbols.contains(text.substr(1))) {
            const auto& [symbology, data] = kSymbols.at(text.substr(1));
            const std::string name = text.substr(1) + ".png";
            if (!std::filesystem::exists(File(name))) PhotoFile(name, symbology, data, {});
            return File(name);
        }
        for (auto at = text.find("{dir}"); at != std::string::npos; at = text.find("{dir}"))
            text.replace(at, 5, config_.path.string());
        return text;
    }

    // Runs each case as a user would, input on standard input, within a
    // bound that catches a hang and in at most memoryKiB of address space.
    void ExpectRuns(std::span<const RunCase> cases, long memoryKiB = 0) {
#ifdef __SANITIZE_ADDRESS__ // its shadow memory needs terabytes of address space
        memoryKiB = 0;
#endif
        auto lines = [](const std::string& path) {
            std::vector<std::string> read;
            std::ifstream in(path);
            for (std::string line; std::getline(in, line);) read.push_back(line);
            return read;
        };
        for (const RunCase& c : cases) {
            SCOPED_TRACE(::testing::PrintToString(c.args));
            std::string command = "timeout 15 " KESTRIX_SCAN_PATH; // 124 after a hang
            if (memoryKiB > 0) command = "ulimit -v " + std::to_string(memoryKiB) + "; " + command;
            for (const std::string& a : c.args) command += " " + ShellQuoted(Expand(a));
            command += " <" + ShellQuoted(Expand(c.input)) + " >" + ShellQuoted(File("stdout")) +
                       " 2>" + ShellQuoted(File("stderr"));
            const int status = std::system(command.c_str());
            EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.status)
                << ReadText(File("stderr"));
            std::vector<::testing::Matcher<std::string>> out;
            for (const std::string& line : c.out) {
                if (line.starts_with('^'))
                    out.push_back(::testing::MatchesRegex(line));
                else
                    out.push_back(Expand(line));
            }
            EXPECT_THAT(lines(File("stdout")), ::testing::ElementsAreArray(out));
            std::vector<::testing::Matcher<std::string>> err;
            for (const std::string& part : c.err) err.push_back(::testing::HasSubstr(Expand(part)));
            EXPECT_THAT(lines(File("stderr")), ::testing::ElementsAreArray(err));
        }
    }

    void PhotoFile(const std::string& name, int symbology, const std::string& data,
                   const PhotoLook& look) {
        EXPECT_EQ(EncodePicture(Photo(symbology, data, look), File(name)), "") << name;
    }

    // Blank frames, an EAN-13, blank frames, an EAN-8, as many of each as
    // counts says, at 30 frames a second.
    void Video(const std::string& name, std::array<int, 4> counts) {
        const PhotoLook look{800, 600, 4, 6, 3, kPhotoSeed};
        const Frame blank(look.width, look.height, GreyWord(200));
        const Frame first = Photo(BARCODE_EANX, "400638133393", look);
        const Frame second = Photo(BARCODE_EANX, "5512345", look);
        const std::array<const Frame*, 4> shown = {&blank, &first, &blank, &second};
        EXPECT_EQ(Encode(File(name), counts[0] + counts[1] + counts[2] + counts[3],
                         [&](int i) -> const Frame& {
                             int part = 0;
                             for (; part < 3 && i >= counts[part]; ++part) i -= counts[part];
                             return *shown[part];
                         }),
                  "");
    }

    TempConfigHome config_;
};

TEST_F(KestrixScan, ReadsPicturesAsTheOptionsSayAndReportsWhatItCannotRead) {
    Write("notes.txt", "shopping list: milk, eggs\n");
    Write("empty.jpg", "");
    const std::string png = ReadText(Expand("@upca"));
    Write("cut.png", png.substr(0, png.size() / 2));
    ASSERT_EQ(mkfifo(File("pipe").c_str(), 0600), 0); // nobody writes to it
    const std::string zeros(4 << 20, '\0');
    Write("thin.png", PngHeader(1, 400000));
    Write("claims.png", PngHeader(16384, 16384));
    Write("claims.pgm", "P5 60000 4000 255\n" + std::string(1000, '\0'));
    // A 1-bit bitmap whose header counts 4 billion colours.
    Write("colours.bmp",
          std::string("BM\x46\0\0\0\0\0\0\0\x3E\0\0\0\x28\0\0\0\x08\0\0\0\x01\0\0\0"
                      "\x01\0\x01\0\0\0\0\0\x04\0\0\0\0\0\0\0\0\0\0\0\0\0\xF3\xF3\0\0\0\0",
                      54) +
              std::string(8, '\xFF') + std::string(4, '\0'));
    Write("zeros.gif", "GIF89a" + zeros);
    Write("zeros.jpg", "\xFF\xD8\xFF" + zeros);
    ASSERT_EQ(EncodePicture(Photo(BARCODE_EANX, "5512345", {}), File("ean8.tga")), "");
    // Large photographs shrink to 640x480. In the second one a module ends
    // up 1.2 pixels wide: only a shrink that averages keeps those bars
    // (picking the nearest pixel loses them).
    PhotoFile("ean8-photo.jpg", BARCODE_EANX, "5512345", {2400, 1800, 9, 12, 6, kPhotoSeed});
    PhotoFile("ean13-photo.jpg", BARCODE_EANX, "400638133393", {3200, 2400, -4, 6, 6, kPhotoSeed});
    PhotoFile("ean13-photo.webp", BARCODE_EANX, "400638133393", {1280, 960, 5, 8, 5, kPhotoSeed});
    const std::string photo = ReadText(File("ean13-photo.jpg"));
    Write("cut.jpg", photo.substr(0, photo.size() * 4 / 5));
    // An animation of a blank picture, then the code, a second each.
    ASSERT_EQ(EncodePicture(Frame(640, 480, GreyWord(200)), File("first.png")), "");
    PhotoFile("second.png", BARCODE_EANX, "400638133393", {640, 480, 2, 6, 3, kPhotoSeed});
    const std::string animate = "cd " + ShellQuoted(config_.path.string()) +
                                " && convert -delay 100 first.png second.png -loop 1 animated.gif";
    ASSERT_EQ(std::system(animate.c_str()), 0);
    Write("ctl\n\x1B]0;title\a.gif", "GIF8");
    Write("odd \"name\"\xE9.png", ReadText(Expand("@ean8")));

    // What is wrong, then where to look.
    const std::vector<std::string> kUsage = {"kestrix-scan: ", "--help"};
    const RunCase cases[] = {
        {{"@ean13", "@ean8", "@upca", "@upce"},
         kExitRead,
         {kEan13Line, kEan8Line, kUpcaLine, kUpceLine}},
        {{"{dir}/ean8-photo.jpg", "{dir}/ean13-photo.jpg", "{dir}/ean13-photo.webp"},
         kExitRead,
         {kEan8Line, kEan13Line, kEan13Line}},
        {{"{dir}/missing.png", "@ean13", "{dir}/notes.txt", "{dir}/empty.jpg", "{dir}/cut.png",
          "{dir}/pipe", "@ean8"},
         kExitRead,
         {kEan13Line, kEan8Line},
         {"{dir}/missing.png: file not found", "{dir}/notes.txt: not an image or video file",
          "{dir}/empty.jpg: the file is empty", "{dir}/cut.png: damaged PNG file",
          "{dir}/pipe: a named pipe that nothing writes to"}},
        {{"{dir}"}, kExitNothingRead, {}, {"{dir}: is a folder, not a file"}},
        // JSON escapes a name's quotes and keeps its bytes that are no UTF-8.
        {{"--json", "@ean13", "{dir}/odd \"name\"\xE9.png"},
         kExitRead,
         {"{\"file\":\"{dir}/ean13.png\",\"frame\":0,\"symbology\":\"ean1\",\"name\":\"EAN-13\","
          "\"text\":\"4006381333931\"}",
          "{\"file\":\"{dir}/odd \\\"name\\\"\\udce9.png\",\"frame\":0,\"symbology\":\"ean8\","
          "\"name\":\"EAN-8\",\"text\":\"55123457\"}"}},
        {{"--raw", "@ean8", "-"}, kExitRead, {"55123457", "4006381333931"}, {}, "@ean13"},
        // The columns of the history's CSV export.
        {{"--csv", "@ean13", "@ean8"},
         kExitRead,
         {kCsvHeader, kCsvTime + "EAN-13,4006381333931,shown\r",
          kCsvTime + "EAN-8,55123457,shown\r"}},
        {{"--csv", "{dir}/none.png"}, kExitNothingRead, {kCsvHeader}, {"none.png: file not found"}},
        // Symbologies on and off; FNC4's Latin-1 as UTF-8.
        {{"--disable=ean1,upca,upce", "@ean13", "@upca", "@upce"}, kExitNothingRead, {}},
        {{"--disable", "all", "--enable", "c128", "@ean13", "@c128", "@grusse"},
         kExitRead,
         {"Code 128:Kestrix-128", "Code 128:Grüße"}},
        // GS1-128 as printed under its bars, JSON with its element string too.
        {{"--enable=c128", "--json", "@gs1"},
         kExitRead,
         {"{\"file\":\"{dir}/gs1.png\",\"frame\":0,\"symbology\":\"g128\",\"name\":\"GS1-128\","
          "\"text\":\"(10)AB12(21)XY\",\"elements\":\"10AB12\\u001d21XY\"}"}},
        // A read without check digit must repeat before it is accepted; a
        // still image is shown long enough for that.
        {{"--enable", "cd39,coda,i2o5", "@c39", "@coda", "@i25"},
         kExitRead,
         {"Code 39:KESTRIX-39", "Codabar:A40156B", "2 of 5:12345678"}},
        // "all" includes Code 32, which reads Italian pharmacy codes as their numbers.
        {{"--enable", "all", "@c32", "@c39"},
         kExitRead,
         {"Code 32:A123456788", "Code 39:KESTRIX-39"}},
        {{"--enable", "cd39", "@c32"}, kExitRead, {"Code 39:3PRM8N"}},
        // The supplement mode decides about add-ons.
        {{"--supplement", "igno", "@upca-12"}, kExitRead, {kUpcaLine}},
        {{"--supplement", "opti", "@upca-12", "@ean13"}, kExitRead, {kUpcaAddOnLine, kEan13Line}},
        {{"--supplement=requ", "@upca-12", "@ean13"}, kExitRead, {kUpcaAddOnLine}},
        // Bad usage says what is wrong and points to --help.
        {{}, kExitUsage, {}, kUsage},
        {{"--frobnicate", "a.png"}, kExitUsage, {}, kUsage},
        {{"--supplement", "maybe", "a.png"}, kExitUsage, {}, kUsage},
        {{"--csv", "--raw", "a.png"}, kExitUsage, {}, kUsage},
        {{"--source", "videotestsrc", "a.png"}, kExitUsage, {}, kUsage},
        // Odd files cost one line each, in bounded time and memory.
        {{"{dir}/thin.png", "{dir}/claims.png", "{dir}/claims.pgm", "{dir}/zeros.gif",
          "{dir}/zeros.jpg", "{dir}/colours.bmp"},
         kExitNothingRead,
         {},
         {"thin.png: PNG picture too large (1 x 400000 pixels); skipped",
          "claims.png: damaged PNG file (its header claims 16384 x 16384 pixels, more than the "
          "file holds); skipped",
          "claims.pgm: damaged PNM file (its header claims 60000 x 4000 pixels, more than the "
          "file holds); skipped",
          "zeros.gif: damaged GIF file; skipped", "zeros.jpg: damaged JPEG file; skipped",
          "colours.bmp: damaged BMP file; skipped"}},
        // A Targa picture, which has no signature; the code in the part of a
        // cut file that came; the code in the animation's second picture only.
        {{"{dir}/ean8.tga", "{dir}/cut.jpg", "{dir}/animated.gif"},
         kExitRead,
         {kEan8Line, kEan13Line, kEan13Line},
         {"cut.jpg: the file is incomplete; scanned what it holds"}},
        // Names are shown as ls quotes them.
        {{"{dir}/ctl\n\x1B]0;title\a.gif"},
         kExitNothingRead,
         {},
         {"kestrix-scan: '{dir}/ctl'$'\\n\\033'']0;title'$'\\a''.gif': damaged GIF file; skipped"}},
    };
    constexpr long kMemoryKiB = 1536 * 1024; // far below what decoding the thin PNG would take
    ExpectRuns(cases, kMemoryKiB);
}

TEST_F(KestrixScan, ReadsVideosAndLiveSourcesThatSayWhyTheyEnd) {
    // 10 blank frames, then an EAN-13 for 90 frames, then an EAN-8 for 80.
    // The hold of 2 seconds after an accepted read ends within the 90
    // frames: the EAN-13 still in view is read again, once.
    for (const char* name : {"two-codes.avi", "two-codes.mp4"}) Video(name, {10, 90, 0, 80});
    // Played live: 5 blank frames, an EAN-13 for 30, blank for 35 (beyond the 2-second
    // hold), an EAN-8 for 30: 3.3 seconds at the video's own pace.
    Video("live.avi", {5, 30, 35, 30});
    const std::string live = "filesrc location={dir}/live.avi ! avidemux ! jpegdec";
    std::filesystem::create_directory(File("shots"));

    const RunCase cases[] = {
        {{"{dir}/two-codes.avi"}, kExitRead, {kEan13Line, kEan13Line, kEan8Line}},
        {{"--json", "{dir}/two-codes.mp4"},
         kExitRead,
         {"^.*\"frame\":1[0-9],\"symbology\":\"ean1\".*",
          "^.*\"frame\":[7-8][0-9],\"symbology\":\"ean1\".*",
          "^.*\"frame\":1[0-9][0-9],\"symbology\":\"ean8\".*"}},
        {{"--source", live, "--snapshot-dir", "{dir}/shots"},
         kExitRead,
         {kEan13Line, kEan8Line},
         {"saved {dir}/shots/Kestrix Image 1.png", "saved {dir}/shots/Kestrix Image 2.png"}},
        // A snapshot folder that cannot be written is said once, with why.
        {{"--source", live, "--snapshot-dir", "{dir}/no-such-folder"},
         kExitRead,
         {kEan13Line, kEan8Line},
         {"no-such-folder: the folder does not exist"}},
        // Sources that cannot give frames say so in plain words.
        {{"--source", "filesrc location={dir}/none.avi ! avidemux ! jpegdec"},
         kExitNothingRead,
         {},
         {"none.avi ! avidemux ! jpegdec\" could not be started: not found"}},
        {{"--source", "audiotestsrc"},
         kExitNothingRead,
         {},
         {"the source \"audiotestsrc\" gives no video"}},
        {{"--source", "videotestsrc ! valve drop=true"},
         kExitNothingRead,
         {},
         {"no picture came from it for 5 seconds"}},
        // A source that fails while it plays, as a camera that is unplugged.
        {{"--source", "videotestsrc is-live=true ! identity error-after=5"},
         kExitNothingRead,
         {},
         {"it failed"}},
        // --source alone opens the camera; none is connected here.
        {{"--source"}, kExitNothingRead, {}, {"no camera found; connect a camera"}},
    };
    ExpectRuns(cases);
}

} // namespace
