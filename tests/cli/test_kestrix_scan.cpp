// kestrix-scan end to end: the built program over PNG, JPEG and WebP
// pictures and AVI and MP4 videos made here by libzint and GStreamer, with its options, its
// JSON output, its messages for files it cannot read and its exit status.
#include "engine/settings_store.h"
#include "run_program.h"
#include "test_media.h"
#include "tests/support/temp_config_home.h"
#include "toolbox/collection.h"
#include "toolbox/preferences.h"
#include "video/capture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zint.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

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
constexpr const char* kUpceLine = "UPC-E:0012345000065";

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

// Each test makes only the files it names; they live in one scratch folder.
class KestrixScan : public ::testing::Test {
  protected:
    std::string Png(const std::string& name, int symbology, const std::string& data,
                    const BarcodeLook& look = {}) {
        const std::string path = dir_.File(name);
        EXPECT_EQ(WriteZintPng(symbology, data, path, look), "") << name;
        return path;
    }
    std::string PhotoFile(const std::string& name, int symbology, const std::string& data,
                          const BarcodeLook& barcode, const PhotoLook& look) {
        const std::string path = dir_.File(name);
        const RgbImage label = RenderBarcode(symbology, data, barcode);
        EXPECT_GT(label.width, 0) << name;
        EXPECT_EQ(EncodePicture(Photo(label, look), path), "") << name << " seed " << look.seed;
        return path;
    }
    std::string TextFile(const std::string& name, const std::string& content) {
        const std::string path = dir_.File(name);
        std::ofstream(path) << content;
        return path;
    }
    std::string Ean13() { return Png("ean13.png", BARCODE_EANX, "400638133393"); }
    std::string Ean8() { return Png("ean8.png", BARCODE_EANX, "5512345"); }
    std::string Upca() { return Png("upca.png", BARCODE_UPCA, "01234567890"); }
    std::string Upce() { return Png("upce.png", BARCODE_UPCE, "0123456"); }
    std::string UpcaWithAddOn() { return Png("upca-12.png", BARCODE_UPCA, "01234567890+12"); }
    std::string Code128() { return Png("c128.png", BARCODE_CODE128, "Kestrix-128"); }
    std::string Blank() {
        const std::string path = dir_.File("blank.png");
        EXPECT_EQ(EncodePicture(RgbImage::Filled(800, 600, 255), path), "");
        return path;
    }

    ProgramRun Run(const std::vector<std::string>& args) {
        return RunKestrixScan(args, dir_.Path());
    }

    TempDir dir_;
};

// ---- Reading pictures ----------------------------------------------------

TEST_F(KestrixScan, ReadsEachEanUpcPngWithDefaultSettings) {
    const ProgramRun run = Run({Ean13(), Ean8(), Upca(), Upce()});
    EXPECT_EQ(run.status, kExitRead);
    EXPECT_THAT(run.OutLines(), ElementsAre(kEan13Line, kEan8Line, kUpcaLine, kUpceLine));
    EXPECT_EQ(run.err, "");
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

TEST_F(KestrixScan, ReadsMotionJpegAndPhoneVideosFrameByFrame) {
    // 10 blank frames, then an EAN-13 for 90 frames, then an EAN-8 for 80.
    // At 2 ticks a frame the hold of 120 ticks after an accepted read ends 61
    // frames later; the EAN-13 still in view is then read again.
    PhotoLook look{800, 600, 4, 1.5, 3, kPhotoSeed};
    const RgbImage blank = RgbImage::Filled(look.width, look.height, 200);
    const RgbImage first = Photo(RenderBarcode(BARCODE_EANX, "400638133393"), look);
    const RgbImage second = Photo(RenderBarcode(BARCODE_EANX, "5512345"), look);
    for (const char* name : {"two-codes.avi", "two-codes.mp4"}) {
        SCOPED_TRACE(name);
        const std::string video = dir_.File(name);
        ASSERT_EQ(EncodeVideo(
                      180,
                      [&](int i) -> const RgbImage& {
                          return i < 10 ? blank : i < 100 ? first : second;
                      },
                      video),
                  "");

        const ProgramRun run = Run({"--json", video});
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

// ---- Files that cannot be read -------------------------------------------

TEST_F(KestrixScan, BlankPictureReadsNothing) {
    const ProgramRun run = Run({Blank()});
    EXPECT_EQ(run.status, kExitNothingRead);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
}

TEST_F(KestrixScan, UnreadableFilesAreReportedAndTheOthersStillScanned) {
    const std::string missing = dir_.File("missing.png");
    const std::string notes = TextFile("notes.txt", "shopping list: milk, eggs\n");
    const std::string empty = TextFile("empty.jpg", "");
    std::ifstream whole(Upca(), std::ios::binary);
    const std::string png{std::istreambuf_iterator<char>(whole), {}};
    const std::string cut = TextFile("cut.png", png.substr(0, png.size() / 2));
    const std::string pipe = dir_.File("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0); // nobody writes to it
    const ProgramRun run = Run({missing, Ean13(), notes, empty, cut, pipe, Ean8()});
    EXPECT_EQ(run.status, kExitRead);
    EXPECT_THAT(run.OutLines(), ElementsAre(kEan13Line, kEan8Line));
    const auto errors = run.ErrLines();
    ASSERT_EQ(errors.size(), 5u) << run.err;
    EXPECT_THAT(errors[0], HasSubstr(missing + ": file not found"));
    EXPECT_THAT(errors[1], HasSubstr(notes + ": not an image or video file"));
    EXPECT_THAT(errors[2], HasSubstr(empty + ": the file is empty"));
    EXPECT_THAT(errors[3], HasSubstr(cut + ": damaged PNG file"));
    EXPECT_THAT(errors[4], HasSubstr(pipe + ": a named pipe that nothing writes to"));
}

TEST_F(KestrixScan, OnlyUnreadableFilesReadNothing) {
    const ProgramRun run = Run({dir_.File("missing.png"), dir_.Path()});
    EXPECT_EQ(run.status, kExitNothingRead);
    EXPECT_EQ(run.out, "");
    const auto errors = run.ErrLines();
    ASSERT_EQ(errors.size(), 2u) << run.err;
    EXPECT_THAT(errors[1], HasSubstr(dir_.Path() + ": is a folder, not a file"));
}

// ---- Command line ----------------------------------------------------------

TEST_F(KestrixScan, BadUsageExitsWithStatus2AndPointsToHelp) {
    const std::vector<std::vector<std::string>> commands = {
        {},
        {"--frobnicate", "a.png"},
        {"--enable", "qr", "a.png"},
        {"--disable"},
        {"--supplement", "maybe", "a.png"},
        {"--json"},
        {"--snapshot-dir", "shots", "a.png"},
        {"--source", "videotestsrc", "a.png"},
    };
    for (const auto& args : commands) {
        const ProgramRun run = Run(args);
        EXPECT_EQ(run.status, kExitUsage) << ::testing::PrintToString(args);
        EXPECT_EQ(run.out, "");
        EXPECT_THAT(run.err, HasSubstr("--help"));
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

TEST_F(KestrixScan, JsonPrintsOneObjectPerRead) {
    const std::string quoted = Png("odd \"name\".png", BARCODE_EANX, "5512345");
    const ProgramRun run = Run({"--json", Ean13(), quoted});
    EXPECT_EQ(run.status, kExitRead);
    EXPECT_THAT(run.OutLines(),
                ElementsAre("{\"file\":\"" + Ean13() +
                                "\",\"frame\":0,\"symbology\":\"ean1\",\"name\":\"EAN-13\","
                                "\"text\":\"4006381333931\"}",
                            "{\"file\":\"" + dir_.File("odd \\\"name\\\".png") +
                                "\",\"frame\":0,\"symbology\":\"ean8\",\"name\":\"EAN-8\","
                                "\"text\":\"55123457\"}"));
}

TEST_F(KestrixScan, RawPrintsTheTextAloneAndDashReadsStandardInput) {
    const ProgramRun run = RunKestrixScan({"--raw", Ean8(), "-"}, dir_.Path(), Ean13());
    EXPECT_EQ(run.status, kExitRead);
    EXPECT_THAT(run.OutLines(), ElementsAre("55123457", "4006381333931"));
    EXPECT_EQ(run.err, "");
}

// ---- Scanner settings from the command line ------------------------------

TEST_F(KestrixScan, DisableTurnsSymbologiesOff) {
    EXPECT_EQ(Run({"--disable", "upce", Upce()}).status, kExitNothingRead);
    EXPECT_EQ(Run({"--disable=ean1,upca", Ean13(), Upca()}).status, kExitNothingRead);
    const ProgramRun run = Run({"--disable", "ean8", Ean8(), Ean13()});
    EXPECT_THAT(run.OutLines(), ElementsAre(kEan13Line));
}

TEST_F(KestrixScan, EnableTurnsSymbologiesOn) {
    const std::string code128 = Code128();
    EXPECT_EQ(Run({code128}).status, kExitNothingRead); // off by default
    const ProgramRun run = Run({"--disable", "all", "--enable", "c128", Ean13(), code128});
    EXPECT_EQ(run.status, kExitRead);
    EXPECT_THAT(run.OutLines(), ElementsAre("Code 128:Kestrix-128"));
}

TEST_F(KestrixScan, SymbologiesWithoutCheckDigitAreConfirmedWithinOneStillImage) {
    // A read without check digit must repeat before it is accepted; a still
    // image is shown long enough for that.
    const ProgramRun run =
        Run({"--enable", "cd39,coda,i2o5", Png("c39.png", BARCODE_CODE39, "KESTRIX-39"),
             Png("coda.png", BARCODE_CODABAR, "A40156B"),
             Png("i25.png", BARCODE_C25INTER, "12345678")});
    EXPECT_EQ(run.status, kExitRead);
    EXPECT_THAT(run.OutLines(),
                ElementsAre("Code 39:KESTRIX-39", "Codabar:A40156B", "2 of 5:12345678"));
}

TEST_F(KestrixScan, SupplementModeDecidesAboutAddOns) {
    const std::string withAddOn = UpcaWithAddOn();
    const std::string without = Ean13();
    EXPECT_THAT(Run({withAddOn, without}).OutLines(), ElementsAre(kUpcaLine, kEan13Line));
    EXPECT_THAT(Run({"--supplement", "igno", withAddOn}).OutLines(), ElementsAre(kUpcaLine));
    EXPECT_THAT(Run({"--supplement", "opti", withAddOn, without}).OutLines(),
                ElementsAre(std::string(kUpcaLine) + " 12", kEan13Line));
    const ProgramRun required = Run({"--supplement=requ", withAddOn, without});
    EXPECT_EQ(required.status, kExitRead);
    EXPECT_THAT(required.OutLines(), ElementsAre(std::string(kUpcaLine) + " 12"));
    EXPECT_EQ(Run({"--supplement", "requ", without}).status, kExitNothingRead);
}

// ---- Live sources ----------------------------------------------------------

// The width and height in a PNG file's header; 0 when it is no PNG.
std::pair<int, int> PngSize(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char head[24] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    if (!in || head[1] != 'P' || head[2] != 'N' || head[3] != 'G') return {0, 0};
    auto be32 = [&](int at) {
        return head[at] << 24 | head[at + 1] << 16 | head[at + 2] << 8 | head[at + 3];
    };
    return {be32(16), be32(20)};
}

TEST_F(KestrixScan, SourcePlaysAVideoLiveAndEndsWithIt) {
    // 5 blank frames, an EAN-13 for 30, blank for 35 (beyond the 2-second
    // hold), an EAN-8 for 30: 3.3 seconds at the video's own pace.
    PhotoLook look{800, 600, 4, 1.5, 3, kPhotoSeed};
    const RgbImage blank = RgbImage::Filled(look.width, look.height, 200);
    const RgbImage first = Photo(RenderBarcode(BARCODE_EANX, "400638133393"), look);
    const RgbImage second = Photo(RenderBarcode(BARCODE_EANX, "5512345"), look);
    const std::string video = dir_.File("live.avi");
    ASSERT_EQ(EncodeVideo(
                  100,
                  [&](int i) -> const RgbImage& {
                      return i < 5 ? blank : i < 35 ? first : i < 70 ? blank : second;
                  },
                  video),
              "");
    const std::string shots = dir_.File("shots");
    std::filesystem::create_directory(shots);

    const ProgramRun run = Run({"--source", "filesrc location=" + video + " ! avidemux ! jpegdec",
                                "--snapshot-dir", shots});
    EXPECT_EQ(run.status, kExitRead) << run.err;
    EXPECT_THAT(run.OutLines(), ElementsAre(kEan13Line, kEan8Line));
    for (const char* name : {"Kestrix Image 1.png", "Kestrix Image 2.png"})
        EXPECT_EQ(PngSize(shots + "/" + name), std::pair(640, 480)) << name;

    const ProgramRun missing =
        Run({"--source", "filesrc location=" + dir_.File("none.avi") + " ! avidemux ! jpegdec"});
    EXPECT_EQ(missing.status, kExitNothingRead);
    EXPECT_THAT(missing.err, HasSubstr("none.avi"));
}

TEST_F(KestrixScan, WithoutACameraTheLiveScanSaysSoAndEnds) {
    // The desktop program's stored camera, which is not connected either.
    TempConfigHome config;
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
