// The installed program from end to end: kestrix started as its own process
// on a GStreamer source reads the barcode in the video and types it into a
// window of the test's own that has the keyboard focus; a screenshot of its
// window shows the video, the target and the confirmation box of a read of
// non-ASCII text, which is also on the clipboard, on X11 and as a Wayland
// client.
#include "tests/app/gui_harness.h"
#include "tests/support/media.h"
#include "tests/support/render_barcode.h"
#include "tests/support/temp_config_home.h"

#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QStringList>
#include <gtest/gtest.h>
#include <zint.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A still picture of a barcode as a webcam sees it, as a --source: an
// EAN-13, or a Code 128 of non-ASCII text (FNC4) with c128 enabled.
std::string PictureSource(const TempConfigHome& config, double angleDegrees, double blurSigma,
                          bool code128 = false) {
    RenderOptions look;
    look.pixelsPerModule = 3.5;
    look.angleDegrees = angleDegrees;
    look.blurSigma = blurSigma;
    look.noiseSigma = 3;
    const std::string picture = (config.path / (code128 ? "c128.png" : "ean13.png")).string();
    const Frame frame = code128 ? RenderBarcode(BARCODE_CODE128,
                                                "Gr\xfc\xdf"
                                                "e",
                                                look)
                                : RenderBarcode(BARCODE_EANX, "978020137962", look);
    EXPECT_EQ(EncodePicture(frame, picture), "");
    return "filesrc location=\"" + picture + "\" ! pngdec ! imagefreeze";
}

// Starts kestrix on the source and waits for its window; the window's id,
// 0 when none appeared.
WId StartKestrix(QProcess& kestrix, const std::string& source, const char* action) {
    kestrix.start(QStringLiteral(KESTRIX_PROGRAM), {"--source", QString::fromStdString(source),
                                                    "--action", action, "--enable=c128"});
    if (!kestrix.waitForStarted(5000)) return 0;
    int found = -1;
    const std::string ids = RunTool({"xdotool", "search", "--sync", "--onlyvisible", "--pid",
                                     std::to_string(kestrix.processId())},
                                    &found);
    return found == 0 ? WId(std::stoul(ids)) : 0;
}

struct LiveCase {
    const char* name;
    std::string source;         // --source
    std::vector<QString> reads; // what may be typed, each with the end key
};

} // namespace

TEST(LiveProgram, TypesWhatTheVideoShowsIntoTheFocusedWindow) {
    REQUIRE_GUI();
    TempConfigHome config;
    const LiveCase cases[] = {
        {"picture", PictureSource(config, 4, 0.9), {"9780201379624\n"}},
        {"demo", "demo", {"4006381333931\n", "0036000291452\n", "KESTRIX-DEMO-128\n"}},
        // ü and ß have no key on the US layout: typed through a changed
        // keyboard map, slowly enough for the target to follow it.
        {"non-ASCII", PictureSource(config, 2, 0.8, true), {"Grüße\n"}},
    };
    for (const LiveCase& c : cases) {
        // The target has the keyboard focus before the scanner starts, and
        // takes it back should the scanner's window take it when it appears
        // (nothing is typed while a Kestrix window is in front), so every
        // line typed is whole, the first too.
        TargetWindow target;
        ASSERT_TRUE(target.Focus()) << c.name;
        QProcess kestrix;
        EXPECT_NE(StartKestrix(kestrix, c.source, "type"), 0u) << c.name << ": no scanner window";
        ASSERT_TRUE(target.Focus()) << c.name;
        auto lines = [&] {
            QStringList typed = target.Text().split('\n');
            typed.removeLast(); // what follows the last end key
            return typed;
        };
        auto whole = [&](const QString& line) {
            return std::find(c.reads.begin(), c.reads.end(), line + '\n') != c.reads.end();
        };
        EXPECT_TRUE(WaitFor([&] { return !lines().isEmpty(); }, 15'000))
            << c.name << ": typed '" << target.Text().toStdString() << "'";
        for (const QString& line : lines())
            EXPECT_TRUE(whole(line)) << c.name << ": typed '" << target.Text().toStdString() << "'";

        kestrix.terminate(); // ends through the ordinary shut-down
        EXPECT_TRUE(kestrix.waitForFinished(10'000)) << c.name;
        EXPECT_EQ(kestrix.exitStatus(), QProcess::NormalExit) << c.name;
        EXPECT_EQ(kestrix.exitCode(), 0) << c.name << "\n"
                                         << kestrix.readAllStandardError().toStdString();
    }
}

namespace {

// What a screenshot of the scanner window shows, counted in pixels.
struct ScreenshotCounts {
    int dark = 0, light = 0; // the video: the barcode's bars and its label
    int targetRed = 0, targetGreen = 0;
    int boxGrey = 0; // the confirmation box's 30% grey
};

ScreenshotCounts Count(const QImage& shot) {
    ScreenshotCounts n;
    const QImage image = shot.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int r = qRed(row[x]), g = qGreen(row[x]), b = qBlue(row[x]);
            if (r < 60 && g < 60 && b < 60) ++n.dark;
            if (r > 180 && g > 180 && b > 180) ++n.light;
            if (r > 200 && g < 50 && b < 50) ++n.targetRed;
            if (g > 200 && r < 50 && b < 50) ++n.targetGreen;
            // 30% grey, a little lighter while the box fades over the video
            if (r > 65 && r < 105 && std::abs(r - g) < 6 && std::abs(g - b) < 6) ++n.boxGrey;
        }
    }
    return n;
}

} // namespace

TEST(LiveProgram, ScreenshotShowsTheVideoTheTargetAndTheConfirmation) {
    REQUIRE_GUI();
    TempConfigHome config;
    QProcess kestrix;
    const WId window = StartKestrix(kestrix, PictureSource(config, 3, 0.8, true), "clipboard");
    ASSERT_NE(window, 0u) << "no scanner window";
    // The target is off at a first start; the user turns it on with its
    // shortcut.
    RunTool({"xdotool", "windowfocus", "--sync", std::to_string(window), "key", "alt+t"});

    // The box fades two seconds after a read and comes back with the next
    // one, so keep looking until one shot has everything.
    QImage shot;
    ScreenshotCounts n;
    const bool complete = WaitFor(
        [&] {
            shot = QGuiApplication::primaryScreen()->grabWindow(window).toImage();
            n = Count(shot);
            return n.dark > 2000 && n.light > 2000 && n.targetGreen > 20 && n.boxGrey > 2000;
        },
        15'000);
    const std::string saved = KESTRIX_SCREENSHOT;
    shot.save(QString::fromStdString(saved));
    EXPECT_TRUE(complete) << "see " << saved << ": dark " << n.dark << ", light " << n.light
                          << ", red " << n.targetRed << ", green " << n.targetGreen << ", box "
                          << n.boxGrey;
    // The box and the window above say Grüße; so does the clipboard.
    EXPECT_EQ(RunTool({"xclip", "-o", "-selection", "clipboard"}), "Grüße");

    kestrix.terminate();
    EXPECT_TRUE(kestrix.waitForFinished(10'000));
}

// In a Wayland session (a headless Weston here) the program is a Wayland
// client that shows the video and reads it, and says on standard error
// exactly how it types: through /dev/uinput where the test may open it
// (then its virtual keyboard exists while the program runs; nothing is
// typed), else why not, and whether XTest on an X display stands in.
TEST(LiveProgram, OnWaylandShowsTheVideoAndSaysHowItTypes) {
    REQUIRE_GUI();
    HeadlessWeston weston;
    if (!weston.Running()) GTEST_SKIP() << "no headless Weston (is weston installed?)";
    const int probe = open("/dev/uinput", O_WRONLY | O_CLOEXEC);
    const std::string uinputTrouble =
        std::string("/dev/uinput cannot be opened (") + std::strerror(errno) + ")";
    if (probe >= 0) close(probe);
    const std::string viaUInput =
        "types codes through a virtual keyboard on /dev/uinput (US key positions)";
    const struct {
        bool withX;
        std::string says;
    } cases[] = {
        {false, probe >= 0 ? viaUInput
                           : "cannot type codes here: there is no X display, and " + uinputTrouble},
        {true, probe >= 0 ? viaUInput
                          : std::string("types codes through XTest on the X display ") +
                                std::getenv("DISPLAY") +
                                ", which reaches X11 programs only: " + uinputTrouble},
    };
    for (const auto& c : cases) {
        TempConfigHome config;
        QProcess kestrix;
        kestrix.setProcessEnvironment(weston.ClientEnvironment(c.withX));
        kestrix.start(QStringLiteral(KESTRIX_PROGRAM), {"--source", "demo", "--action", "none"});
        ScreenshotCounts n;
        EXPECT_TRUE(WaitFor(
            [&] {
                n = Count(weston.Screenshot());
                return n.dark > 2000 && n.light > 2000 && n.boxGrey > 2000;
            },
            15'000))
            << "X display too: " << c.withX << ": dark " << n.dark << ", light " << n.light
            << ", box " << n.boxGrey;
        kestrix.terminate();
        EXPECT_TRUE(kestrix.waitForFinished(10'000));
        EXPECT_EQ(kestrix.exitCode(), 0);
        const QString said = QString::fromLocal8Bit(kestrix.readAllStandardError());
        EXPECT_TRUE(said.split('\n').contains(QString::fromStdString("kestrix: " + c.says)))
            << "X display too: " << c.withX << ": said\n"
            << said.toStdString();
    }
}
