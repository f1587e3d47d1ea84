// kestrix-scan end to end: the built program over PNG, JPEG and WebP
// pictures and AVI and MP4 videos made here by libzint and GStreamer, with its options, its
// JSON output, its messages for files it cannot read and its exit status.
#include "engine/settings_store.h"
#include "test_media.h"
#include "tests/support/python_csv.h"
#include "tests/support/temp_config_home.h"
#include "toolbox/collection.h"
#include "toolbox/preferences.h"
#include "video/capture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zint.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::SizeIs;

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

// The pictures that "@name" stands for in the tests' arguments, saved as
// "name.png" the first time they are named.
const std::map<std::string, std::pair<int, std::string>> kSymbols = {
    {"ean13", {BARCODE_EANX, "400638133393"}},   {"ean8", {BARCODE_EANX, "5512345"}},
    {"odd \"name\"", {BARCODE_EANX, "5512345"}}, {"upca", {BARCODE_UPCA, "01234567890"}},
    {"upce", {BARCODE_UPCE, "0123456"}},         {"upca-12", {BARCODE_UPCA, "01234567890+12"}},
    {"c128", {BARCODE_CODE128, "Kestrix-128"}},  {"c39", {BARCODE_CODE39, "KESTRIX-39"}},
    {"coda", {BARCODE_CODABAR, "A40156B"}},      {"i25", {BARCODE_C25INTER, "12345678"}},
    {"c32", {BARCODE_CODE32, "12345678"}},
};

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

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The value of a field of one flat JSON object, quotes taken off; empty
// when the field is missing.
std::string JsonField(const std::string& object, const std::string& name) {
    const std::string key = "\"" + name + "\":";
    const auto at = object.find(key);
    if (at == std::string::npos) return "";
    const auto begin = at + key.size();
    if (object[begin] == '"')
        return object.substr(begin + 1, object.find('"', begin + 1) - begin - 1);
    return object.substr(begin, object.find_first_of(",}", begin) - begin);
}

// The width and height in a PNG file's header; 0 when it is no PNG.
std::pair<int, int> PngSize(const std::string& path) {
    const std::string head = Slurp(path).substr(0, 24);
    if (head.size() < 24 || head.substr(1, 3) != "PNG") return {0, 0};
    auto be32 = [&](int at) {
        return std::uint8_t(head[at]) << 24 | std::uint8_t(head[at + 1]) << 16 |
               std::uint8_t(head[at + 2]) << 8 | std::uint8_t(head[at + 3]);
    };
    return {be32(16), be32(20)};
}

struct ProgramRun {
    int status = -1; // exit status; -1 if the program did not exit normally
    std::string out, err;
    std::vector<std::string> OutLines() const { return Lines(out); }
};

// Each test works in a scratch folder that is also the configuration home.
class KestrixScan : public ::testing::Test {
  protected:
    std::string File(const std::string& name) const { return (config_.path / name).string(); }

    // "@name" becomes the picture of kSymbols, "{dir}" the scratch folder.
    std::string Expand(std::string text) {
        if (text.starts_with('@') && kSymbols.contains(text.substr(1))) {
            const auto& [symbology, data] = kSymbols.at(text.substr(1));
            const std::string path = File(text.substr(1) + ".png");
            if (!std::filesystem::exists(path)) {
                EXPECT_EQ(EncodePicture(RenderBarcode(symbology, data), path), "") << text;
            }
            return path;
        }
        for (auto at = text.find("{dir}"); at != std::string::npos; at = text.find("{dir}"))
            text.replace(at, 5, config_.path.string());
        return text;
    }

    // Runs kestrix-scan as a user would, input on standard input.
    ProgramRun Run(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
        std::string command = KESTRIX_SCAN_PATH;
        for (const std::string& a : args) command += " " + ShellQuoted(Expand(a));
        command += " <" + ShellQuoted(Expand(input)) + " >" + ShellQuoted(File("stdout")) + " 2>" +
                   ShellQuoted(File("stderr"));
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(File("stdout")),
                Slurp(File("stderr"))};
    }

    std::string PhotoFile(const std::string& name, int symbology, const std::string& data,
                          const BarcodeLook& barcode, const PhotoLook& look) {
        const std::string path = File(name);
        const RgbImage label = RenderBarcode(symbology, data, barcode);
        EXPECT_GT(label.width, 0) << name;
        EXPECT_EQ(EncodePicture(Photo(label, look), path), "") << name << " seed " << look.seed;
        return path;
    }

    // Blank frames, an EAN-13, blank frames, an EAN-8, as many of each as
    // counts says, at 30 frames a second.
    std::string Video(const std::string& name, std::array<int, 4> counts) {
        PhotoLook look{800, 600, 4, 1.5, 3, kPhotoSeed};
        const RgbImage blank = RgbImage::Filled(look.width, look.height, 200);
        const RgbImage first = Photo(RenderBarcode(BARCODE_EANX, "400638133393"), look);
        const RgbImage second = Photo(RenderBarcode(BARCODE_EANX, "5512345"), look);
        const std::array<const RgbImage*, 4> shown = {&blank, &first, &blank, &second};
        const std::string path = File(name);
        EXPECT_EQ(Encode(path, counts[0] + counts[1] + counts[2] + counts[3],
                         [&](int i) -> const RgbImage& {
                             int part = 0;
                             for (; part < 3 && i >= counts[part]; ++part) i -= counts[part];
                             return *shown[part];
                         }),
                  "");
        return path;
    }

    TempConfigHome config_;
};

// ---- Pictures, options and files that cannot be read ----------------------

TEST_F(KestrixScan, ReadsPicturesAsTheOptionsSayAndReportsWhatItCannotRead) {
    std::ofstream(File("notes.txt")) << "shopping list: milk, eggs\n";
    std::ofstream(File("empty.jpg")).flush();
    const std::string png = Slurp(Expand("@upca"));
    std::ofstream(File("cut.png"), std::ios::binary) << png.substr(0, png.size() / 2);
    ASSERT_EQ(mkfifo(File("pipe").c_str(), 0600), 0); // nobody writes to it
    ASSERT_EQ(EncodePicture(RgbImage::Filled(800, 600, 255), File("blank.png")), "");

    // What is wrong, then where to look.
    const std::vector<std::string> kUsage = {"kestrix-scan: ", "--help"};
    const struct {
        std::vector<std::string> args;
        int status;
        std::vector<std::string> out;
        std::vector<std::string> err = {}; // in the lines of standard error, one each
        std::string input = "/dev/null";
    } cases[] = {
        {{"@ean13", "@ean8", "@upca", "@upce"},
         kExitRead,
         {kEan13Line, kEan8Line, kUpcaLine, kUpceLine}},
        {{"{dir}/blank.png"}, kExitNothingRead, {}},
        {{"{dir}/missing.png", "@ean13", "{dir}/notes.txt", "{dir}/empty.jpg", "{dir}/cut.png",
          "{dir}/pipe", "@ean8"},
         kExitRead,
         {kEan13Line, kEan8Line},
         {"{dir}/missing.png: file not found", "{dir}/notes.txt: not an image or video file",
          "{dir}/empty.jpg: the file is empty", "{dir}/cut.png: damaged PNG file",
          "{dir}/pipe: a named pipe that nothing writes to"}},
        {{"{dir}/missing.png", "{dir}"},
         kExitNothingRead,
         {},
         {"missing.png: file not found", "{dir}: is a folder, not a file"}},
        {{"--json", "@ean13", "@odd \"name\""},
         kExitRead,
         {"{\"file\":\"{dir}/ean13.png\",\"frame\":0,\"symbology\":\"ean1\",\"name\":\"EAN-13\","
          "\"text\":\"4006381333931\"}",
          "{\"file\":\"{dir}/odd \\\"name\\\".png\",\"frame\":0,\"symbology\":\"ean8\","
          "\"name\":\"EAN-8\",\"text\":\"55123457\"}"}},
        {{"--raw", "@ean8", "-"}, kExitRead, {"55123457", "4006381333931"}, {}, "@ean13"},
        // Symbologies on and off; Code 128 is off by default.
        {{"--disable", "upce", "@upce"}, kExitNothingRead, {}},
        {{"--disable=ean1,upca", "@ean13", "@upca"}, kExitNothingRead, {}},
        {{"--disable", "ean8", "@ean8", "@ean13"}, kExitRead, {kEan13Line}},
        {{"@c128"}, kExitNothingRead, {}},
        {{"--disable", "all", "--enable", "c128", "@ean13", "@c128"},
         kExitRead,
         {"Code 128:Kestrix-128"}},
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
        {{"@upca-12", "@ean13"}, kExitRead, {kUpcaLine, kEan13Line}},
        {{"--supplement", "igno", "@upca-12"}, kExitRead, {kUpcaLine}},
        {{"--supplement", "opti", "@upca-12", "@ean13"}, kExitRead, {kUpcaAddOnLine, kEan13Line}},
        {{"--supplement=requ", "@upca-12", "@ean13"}, kExitRead, {kUpcaAddOnLine}},
        {{"--supplement", "requ", "@ean13"}, kExitNothingRead, {}},
        // Bad usage says what is wrong and points to --help.
        {{}, kExitUsage, {}, kUsage},
        {{"--frobnicate", "a.png"}, kExitUsage, {}, kUsage},
        {{"--enable", "qr", "a.png"}, kExitUsage, {}, kUsage},
        {{"--disable"}, kExitUsage, {}, kUsage},
        {{"--supplement", "maybe", "a.png"}, kExitUsage, {}, kUsage},
        {{"--json"}, kExitUsage, {}, kUsage},
        {{"--csv", "--raw", "a.png"}, kExitUsage, {}, kUsage},
        {{"--snapshot-dir", "shots", "a.png"}, kExitUsage, {}, kUsage},
        {{"--source", "videotestsrc", "a.png"}, kExitUsage, {}, kUsage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const ProgramRun run = Run(c.args, c.input);
        EXPECT_EQ(run.status, c.status) << run.err;
        std::vector<std::string> out;
        for (const std::string& line : c.out) out.push_back(Expand(line));
        EXPECT_THAT(run.OutLines(), ElementsAreArray(out));
        const std::vector<std::string> errors = Lines(run.err);
        ASSERT_EQ(errors.size(), c.err.size()) << run.err;
        for (std::size_t i = 0; i < errors.size(); ++i)
            EXPECT_THAT(errors[i], HasSubstr(Expand(c.err[i])));
    }
}

TEST_F(KestrixScan, HelpDocumentsOptionsOutputAndExitStatus) {
    const ProgramRun run = Run({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* topic :
         {"--enable", "--disable", "--supplement", "igno", "requ", "opti", "--json", "\"frame\"",
          "c128", "i2o5", "--source", "--snapshot-dir", "Exit status"})
        EXPECT_THAT(run.out, HasSubstr(topic));
}

TEST_F(KestrixScan, ReadsJpegAndWebpPhotographsOfBarcodes) {
    // Large photographs shrink to 640x480. In the second one a module ends
    // up 1.2 pixels wide: only a shrink that averages keeps those bars
    // (picking the nearest pixel loses them).
    const std::string plain = PhotoFile("ean8-photo.jpg", BARCODE_EANX, "5512345", {2},
                                        {2400, 1800, 9, 3, 6, kPhotoSeed});
    const std::string fine = PhotoFile("ean13-photo.jpg", BARCODE_EANX, "400638133393", {1},
                                       {3200, 2400, -4, 3.2, 6, kPhotoSeed});
    const std::string webp = PhotoFile("ean13-photo.webp", BARCODE_EANX, "400638133393", {2},
                                       {1280, 960, 5, 2, 5, kPhotoSeed});
    const ProgramRun run = Run({plain, fine, webp});
    EXPECT_EQ(run.status, kExitRead) << "seed " << kPhotoSeed;
    EXPECT_THAT(run.OutLines(), ElementsAre(kEan8Line, kEan13Line, kEan13Line))
        << "seed " << kPhotoSeed << "\n"
        << run.err;
}

// ---- Videos ------------------------------------------------------------------

TEST_F(KestrixScan, ReadsMotionJpegAndPhoneVideosFrameByFrame) {
    // 10 blank frames, then an EAN-13 for 90 frames, then an EAN-8 for 80.
    // At 2 ticks a frame the hold of 120 ticks after an accepted read ends 61
    // frames later; the EAN-13 still in view is then read again.
    for (const char* name : {"two-codes.avi", "two-codes.mp4"}) {
        SCOPED_TRACE(name);
        const ProgramRun run = Run({"--json", Video(name, {10, 90, 0, 80})});
        EXPECT_EQ(run.status, kExitRead) << run.err;
        std::vector<std::string> texts;
        std::vector<int> frames;
        for (const std::string& l : run.OutLines()) {
            texts.push_back(JsonField(l, "symbology") + ":" + JsonField(l, "text"));
            frames.push_back(std::stoi(JsonField(l, "frame")));
        }
        ASSERT_THAT(texts,
                    ElementsAre("ean1:4006381333931", "ean1:4006381333931", "ean8:55123457"));
        EXPECT_GE(frames[0], 10);
        EXPECT_LT(frames[0], 20); // within one turn of the patterns
        EXPECT_GE(frames[1] - frames[0], 61);
        EXPECT_LT(frames[1] - frames[0], 71);
        EXPECT_GE(frames[2], 100);
    }
}

TEST_F(KestrixScan, SourcePlaysAVideoLiveAndEndsWithIt) {
    // 5 blank frames, an EAN-13 for 30, blank for 35 (beyond the 2-second
    // hold), an EAN-8 for 30: 3.3 seconds at the video's own pace.
    const std::string video = Video("live.avi", {5, 30, 35, 30});
    const std::string shots = File("shots");
    std::filesystem::create_directory(shots);
    const ProgramRun run = Run({"--source", "filesrc location=" + video + " ! avidemux ! jpegdec",
                                "--snapshot-dir", shots});
    EXPECT_EQ(run.status, kExitRead) << run.err;
    EXPECT_THAT(run.OutLines(), ElementsAre(kEan13Line, kEan8Line));
    for (const char* name : {"Kestrix Image 1.png", "Kestrix Image 2.png"})
        EXPECT_EQ(PngSize(shots + "/" + name), std::pair(640, 480)) << name;

    const ProgramRun missing =
        Run({"--source", "filesrc location=" + File("none.avi") + " ! avidemux ! jpegdec"});
    EXPECT_EQ(missing.status, kExitNothingRead);
    EXPECT_THAT(missing.err, HasSubstr("none.avi"));
}

TEST_F(KestrixScan, CsvHasTheHistoryColumnsForFilesAndTheLiveSource) {
    const std::string video = Video("live.avi", {5, 30});
    const struct {
        std::vector<std::string> args;
        std::vector<std::vector<std::string>> rows; // symbology, text
    } cases[] = {
        {{"--csv", "@ean13", "@ean8"}, {{"EAN-13", "4006381333931"}, {"EAN-8", "55123457"}}},
        {{"--csv", "{dir}/none.png"}, {}},
        {{"--csv", "--source", "filesrc location=" + video + " ! avidemux ! jpegdec"},
         {{"EAN-13", "4006381333931"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const ProgramRun run = Run(c.args);
        const auto records = ReadCsvWithPython(File("stdout"));
        ASSERT_EQ(records.size(), c.rows.size() + 1) << run.out << run.err;
        EXPECT_THAT(records[0], ElementsAre("time", "symbology", "text", "delivery"));
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            EXPECT_THAT(records[i + 1],
                        ElementsAre(SizeIs(25), c.rows[i][0], c.rows[i][1], "shown"));
            EXPECT_EQ(records[i + 1][0][10], 'T') << records[i + 1][0];
        }
    }
}

TEST_F(KestrixScan, WithoutACameraTheLiveScanSaysSoAndEnds) {
    // The desktop program's stored camera, which is not connected either.
    Collection settings;
    AddCollectionItem(
        settings, kKeyChannelSettings, 1,
        FlattenChannelSettings({"/dev/v4l/by-id/usb-Absent_Camera-video-index0", {}}));
    ASSERT_EQ(SetPreferencesValue(kScannerSettingsKey, FlattenCollection(settings),
                                  kApplicationIdentifier),
              noErr);
    const ProgramRun run = Run({"--source"});
    EXPECT_EQ(run.status, kExitNothingRead);
    EXPECT_THAT(run.err, HasSubstr("connect a camera"));
}

} // namespace
