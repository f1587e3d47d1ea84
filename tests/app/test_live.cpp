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

// A still picture of a barcode as a webcam sees it, as a --source.
std::string PictureSource(const TempConfigHome& config, int symbology, const char* data,
                          double angleDegrees, double blurSigma) {
    RenderOptions look;
    look.pixelsPerModule = 3.5;
    look.angleDegrees = angleDegrees;
    look.blurSigma = blurSigma;
    look.noiseSigma = 3;
    const std::string picture = (config.path / (std::to_string(symbology) + ".png")).string();
    EXPECT_EQ(EncodePicture(RenderBarcode(symbology, data, look), picture), "");
    return "filesrc location=\"" + picture + "\" ! pngdec ! imagefreeze";
}

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

TEST(LiveProgram, TypesWhatTheVideoShowsIntoTheFocusedWindow) {
    REQUIRE_GUI();
    TempConfigHome config;
    const struct {
        const char* name;
        std::string source;
        QStringList reads; // what may be typed, each line whole
        const char* layout = "us";
    } cases[] = {
        {"picture", PictureSource(config, BARCODE_EANX, "978020137962", 4, 0.9), {"9780201379624"}},
        {"demo", "demo", {"4006381333931", "0036000291452", "KESTRIX-DEMO-128"}},
        // Non-ASCII text (FNC4 in Code 128; zint takes Latin-1): ü has no
        // key on French (the other layouts are the delivery test's).
        {"Grüße, French",
         PictureSource(config, BARCODE_CODE128, "Gr\374\337e", 2, 0.8),
         {"Grüße"},
         "fr"},
    };
    for (const auto& c : cases) {
        // The target has the keyboard focus before the scanner starts, and
        // takes it back should the scanner's window take it when it appears
        // (nothing is typed while a Kestrix window is in front), so every
        // line typed is whole, the first too.
        ASSERT_TRUE(SetKeyboardLayout(c.layout));
        TargetWindow target;
        ASSERT_TRUE(target.Focus()) << c.name;
        QProcess kestrix;
        EXPECT_NE(StartKestrix(kestrix, c.source, "type"), 0u) << c.name << ": no scanner window";
        ASSERT_TRUE(target.Focus()) << c.name;
        EXPECT_TRUE(QTest::qWaitFor([&] { return target.toPlainText().contains('\n'); }, 15'000))
            << c.name << ": typed '" << target.Text() << "'";
        QStringList lines = target.toPlainText().split('\n');
        lines.removeLast(); // what follows the last end key
        for (const QString& line : lines)
            EXPECT_TRUE(c.reads.contains(line)) << c.name << ": typed '" << target.Text() << "'";
        Stop(kestrix, c.name);
    }
    SetKeyboardLayout("us");
}

TEST(LiveProgram, ScreenshotShowsTheVideoTheTargetAndTheConfirmation) {
    REQUIRE_GUI();
    TempConfigHome config;
    QProcess kestrix;
    const WId window = StartKestrix(
        kestrix, PictureSource(config, BARCODE_CODE128, "Gr\374\337e", 3, 0.8), "clipboard");
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
            for (int y = 0; y < shot.height(); ++y) {
                for (int x = 0; x < shot.width(); ++x) {
                    const QColor p = shot.pixelColor(x, y);
                    const int r = p.red(), g = p.green(), b = p.blue();
                    dark += r < 60 && g < 60 && b < 60;
                    light += r > 180 && g > 180 && b > 180;
                    green += g > 200 && r < 50 && b < 50;
                    grey += r > 65 && r < 105 && std::abs(r - g) < 6 && std::abs(g - b) < 6;
                }
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
