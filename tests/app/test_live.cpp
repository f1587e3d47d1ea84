// The installed program from end to end: kestrix started as its own process
// on a GStreamer source reads the barcode in the video and types it into a
// window of the test's own that has the keyboard focus.
#include "tests/app/gui_harness.h"
#include "tests/support/png_writer.h"
#include "tests/support/render_barcode.h"
#include "tests/support/temp_config_home.h"

#include <QProcess>
#include <gtest/gtest.h>
#include <zint.h>

namespace {

struct LiveCase {
    const char* name;
    std::string source;         // --source
    std::vector<QString> reads; // what may arrive first, each with the end key
};

} // namespace

TEST(LiveProgram, TypesWhatTheVideoShowsIntoTheFocusedWindow) {
    REQUIRE_GUI();
    TempConfigHome config;
    RenderOptions look;
    look.pixelsPerModule = 3.5;
    look.angleDegrees = 4;
    look.blurSigma = 0.9;
    look.noiseSigma = 3;
    const std::string picture = (config.path / "ean13.png").string();
    ASSERT_TRUE(WritePng(RenderBarcode(BARCODE_EANX, "978020137962", look), picture));

    const LiveCase cases[] = {
        {"picture",
         "filesrc location=\"" + picture + "\" ! pngdec ! imagefreeze",
         {"9780201379624\n"}},
        {"demo", "demo", {"4006381333931\n", "0036000291452\n"}},
    };
    for (const LiveCase& c : cases) {
        TargetWindow target;
        QProcess kestrix;
        kestrix.start(QStringLiteral(KESTRIX_PROGRAM),
                      {"--source", QString::fromStdString(c.source), "--action", "type"});
        ASSERT_TRUE(kestrix.waitForStarted(5000)) << c.name;
        // The scanner window may take the focus when it appears; the target
        // takes it back. A code held in view is typed again after each hold.
        int found = -1;
        RunTool({"xdotool", "search", "--sync", "--onlyvisible", "--pid",
                 std::to_string(kestrix.processId())},
                &found);
        EXPECT_EQ(found, 0) << c.name << ": no scanner window";
        ASSERT_TRUE(target.Focus()) << c.name;
        EXPECT_TRUE(WaitFor([&] { return target.Text().endsWith('\n'); }, 15'000)) << c.name;
        const QString first = target.Text().section('\n', 0, 0) + '\n';
        EXPECT_NE(std::find(c.reads.begin(), c.reads.end(), first), c.reads.end())
            << c.name << ": typed '" << target.Text().toStdString() << "'";

        kestrix.terminate(); // ends through the ordinary shut-down
        EXPECT_TRUE(kestrix.waitForFinished(10'000)) << c.name;
        EXPECT_EQ(kestrix.exitStatus(), QProcess::NormalExit) << c.name;
        EXPECT_EQ(kestrix.exitCode(), 0) << c.name << "\n"
                                         << kestrix.readAllStandardError().toStdString();
    }
}
