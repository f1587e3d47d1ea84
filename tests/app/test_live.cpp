// The installed program from end to end, started as its own process on a
// GStreamer source.
#include "tests/app/gui_harness.h"
#include "tests/support/media.h"
#include "tests/support/render_barcode.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <zint.h>

namespace {

// Starts kestrix on the source and waits for its window; the window's id,
// 0 when none appeared.
WId StartKestrix(QProcess& kestrix, const std::string& source, const char* action) {
    kestrix.start(QStringLiteral(KESTRIX_PROGRAM), {"--source", QString::fromStdString(source),
                                                    "--action", action, "--enable=c128"});
    if (!kestrix.waitForStarted(5000)) return 0;
    const auto ids = RunTool("xdotool", {"search", "--sync", "--onlyvisible", "--pid",
                                         QString::number(kestrix.processId())});
    return ids ? WId(std::stoul(*ids)) : 0;
}

// Ends kestrix through the ordinary shut-down.
void Stop(QProcess& kestrix, const std::string& what) {
    kestrix.terminate();
    EXPECT_TRUE(kestrix.waitForFinished(10'000)) << what;
    EXPECT_EQ(kestrix.exitStatus(), QProcess::NormalExit) << what;
    EXPECT_EQ(kestrix.exitCode(), 0) << what;
}

} // namespace

// The demo's three codes typed by the program into a window of another
// (a still picture's read and Grüße typed on the layouts are the screenshot's
// and the delivery tests').
TEST(LiveProgram, TypesWhatTheVideoShowsIntoTheFocusedWindow) {
    REQUIRE_GUI();
    TempConfigHome config;
    // The target has the keyboard focus before the scanner starts, and takes
    // it back should the scanner's window take it when it appears (nothing is
    // typed while a Kestrix window is in front), so every line typed is
    // whole, the first too.
    TargetWindow target;
    ASSERT_TRUE(target.Focus());
    QProcess kestrix;
    EXPECT_NE(StartKestrix(kestrix, "demo", "type"), 0u) << "no scanner window";
    ASSERT_TRUE(target.Focus());
    EXPECT_TRUE(QTest::qWaitFor([&] { return target.toPlainText().contains('\n'); }, 15'000))
        << "typed '" << target.Text() << "'";
    QStringList lines = target.toPlainText().split('\n');
    lines.removeLast(); // what follows the last end key
    const QStringList demo = {"4006381333931", "0036000291452", "KESTRIX-DEMO-128"};
    for (const QString& line : lines)
        EXPECT_TRUE(demo.contains(line)) << "typed '" << target.Text() << "'";
    Stop(kestrix, "demo");
}

TEST(LiveProgram, ScreenshotShowsTheVideoTheTargetAndTheConfirmation) {
    REQUIRE_GUI();
    TempConfigHome config;
    // A still picture of Grüße in Code 128 (FNC4; zint takes Latin-1) as a
    // webcam sees it.
    const std::string picture = (config.path / "code128.png").string();
    RenderOptions look;
    look.pixelsPerModule = 3.5;
    look.angleDegrees = 3;
    look.blurSigma = 0.8;
    look.noiseSigma = 3;
    ASSERT_EQ(EncodePicture(RenderBarcode(BARCODE_CODE128, "Gr\374\337e", look), picture), "");
    QProcess kestrix;
    const WId window = StartKestrix(
        kestrix, "filesrc location=\"" + picture + "\" ! pngdec ! imagefreeze", "clipboard");
    ASSERT_NE(window, 0u) << "no scanner window";
    // The target is off at a first start; the user turns it on with its
    // shortcut.
    RunTool("xdotool", {"windowfocus", "--sync", QString::number(window), "key", "alt+t"});

    // The box fades two seconds after a read and comes back with the next
    // one, so keep looking until one shot has everything: the video (the
    // barcode's bars and its label), the green target and the box's 30% grey
    // (a little lighter while it fades over the video).
    QImage shot;
    int dark, light, green, grey;
    const bool complete = QTest::qWaitFor(
        [&] {
            shot = QGuiApplication::primaryScreen()->grabWindow(window).toImage();
            dark = light = green = grey = 0;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x) {
                    const QColor p = shot.pixelColor(x, y);
                    const int r = p.red(), g = p.green(), b = p.blue();
                    dark += r < 60 && g < 60 && b < 60;
                    light += r > 180 && g > 180 && b > 180;
                    green += g > 200 && r < 50 && b < 50;
                    grey += r > 65 && r < 105 && std::abs(r - g) < 6 && std::abs(g - b) < 6;
                }
            return dark > 2000 && light > 2000 && green > 20 && grey > 2000;
        },
        15'000);
    shot.save(KESTRIX_SCREENSHOT);
    EXPECT_TRUE(complete) << "see " << KESTRIX_SCREENSHOT << ": dark " << dark << ", light "
                          << light << ", green " << green << ", box " << grey;
    // The box and the window above say Grüße; so does the clipboard.
    EXPECT_EQ(ClipboardByXclip(), "Grüße");
    Stop(kestrix, "screenshot");
}
