// Xvfb picks a free display and says which (-displayfd), and ends with its
// last client (-terminate): this process, whatever way it ends. DISPLAY is
// set for this process and the programs it starts.
#include "tests/app/gui_harness.h"

#include <QApplication>
#include <QProcess>
#include <cstdio>
#include <cstdlib>
#include <gst/gst.h>

namespace {

class GuiEnvironment final : public testing::Environment {
  public:
    void SetUp() override {
        FILE* xvfb = popen("Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -terminate "
                           "2>/dev/null",
                           "re");
        int display = -1;
        if (!xvfb || std::fscanf(xvfb, "%d", &display) != 1) return;
        setenv("DISPLAY", (":" + std::to_string(display)).c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        static int argc = 1;
        static char* argv[] = {const_cast<char*>("gui_tests"), nullptr};
        gst_init(nullptr, nullptr);
        new QApplication(argc, argv);
    }
    void TearDown() override { delete qApp; }
};

[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace

std::optional<std::string> RunTool(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 20'000)) {
        process.kill(), process.waitForFinished(1000);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput().toStdString();
}
