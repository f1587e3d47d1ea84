// Xvfb is started with -displayfd so that it picks a free display and says
// which; DISPLAY is set for this process and the programs it starts.
#include "tests/app/gui_harness.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <gst/gst.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

pid_t xvfbPid = -1;
QApplication* application = nullptr;

bool StartXvfb() {
    int fds[2];
    if (pipe(fds) != 0) return false;
    xvfbPid = fork();
    if (xvfbPid == 0) {
        close(fds[0]);
        std::freopen("/dev/null", "w", stderr);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
               "-nolisten", "tcp", "-noreset", nullptr);
        _exit(127);
    }
    close(fds[1]);
    // The number, or nothing once the pipe closes because Xvfb did not start.
    FILE* said = fdopen(fds[0], "r");
    int display = -1;
    if (xvfbPid < 0 || std::fscanf(said, "%d", &display) != 1) display = -1;
    std::fclose(said);
    if (display < 0) return false;
    setenv("DISPLAY", (":" + std::to_string(display)).c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    return true;
}

class GuiEnvironment final : public testing::Environment {
  public:
    void SetUp() override {
        if (!StartXvfb()) return;
        static int argc = 1;
        static char name[] = "gui_tests";
        static char* argv[] = {name, nullptr};
        gst_init(nullptr, nullptr);
        application = new QApplication(argc, argv);
        SetKeyboardLayout("us");
    }
    void TearDown() override {
        delete application;
        if (xvfbPid > 0) kill(xvfbPid, SIGTERM), waitpid(xvfbPid, nullptr, 0);
    }
};

[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace

bool GuiAvailable() {
    return application != nullptr;
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        usleep(5000);
    }
    return true;
}

std::optional<std::string> RunTool(const std::vector<std::string>& argv) {
    QProcess process;
    QStringList args;
    for (std::size_t i = 1; i < argv.size(); ++i) args << QString::fromStdString(argv[i]);
    process.start(QString::fromStdString(argv[0]), args);
    if (!WaitFor([&] { return process.state() == QProcess::NotRunning; }, 20'000)) {
        process.kill(), process.waitForFinished(1000);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput().toStdString();
}

TargetWindow::TargetWindow() {
    edit.setGeometry(700, 600, 300, 150);
    edit.show();
}

bool TargetWindow::Focus() {
    edit.activateWindow();
    edit.setFocus();
    return WaitFor([this] { return QApplication::activeWindow() == &edit && edit.hasFocus(); },
                   3000);
}
