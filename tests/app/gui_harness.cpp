// Xvfb is started with -displayfd so that it picks a free display and says
// which; DISPLAY is set for this process and the programs it starts.
#include "tests/app/gui_harness.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QVBoxLayout>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

pid_t xvfbPid = -1;
bool available = false;
QApplication* application = nullptr;

bool StartXvfb() {
    int fds[2];
    if (pipe(fds) != 0) return false;
    const std::string fd = std::to_string(fds[1]);
    std::vector<std::string> args = {"Xvfb",         "-displayfd", fd,    "-screen", "0",
                                     "1280x1024x24", "-nolisten",  "tcp", "-noreset"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addclose(&files, fds[0]);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    int rc = posix_spawnp(&xvfbPid, "Xvfb", &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        xvfbPid = -1;
        return false;
    }
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 10'000) > 0) {
        char c;
        if (read(fds[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    close(fds[0]);
    if (number.empty()) return false;
    setenv("DISPLAY", (":" + number).c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    return true;
}

class GuiEnvironment final : public testing::Environment {
  public:
    void SetUp() override {
        if (!StartXvfb()) {
            std::fprintf(stderr, "GUI tests skipped: Xvfb could not be started\n");
            return;
        }
        static int argc = 1;
        static char name[] = "gui_tests";
        static char* argv[] = {name, nullptr};
        gst_init(nullptr, nullptr);
        application = new QApplication(argc, argv);
        available = true;
        SetKeyboardLayout("us");
    }
    void TearDown() override {
        delete application;
        application = nullptr;
        if (xvfbPid > 0) {
            kill(xvfbPid, SIGTERM);
            waitpid(xvfbPid, nullptr, 0);
        }
    }
};

[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace

bool GuiAvailable() {
    return available;
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

void Pump(int ms) {
    WaitFor([] { return false; }, ms);
}

std::string RunTool(const std::vector<std::string>& argv, int* status) {
    QProcess process;
    QStringList args;
    for (std::size_t i = 1; i < argv.size(); ++i) args << QString::fromStdString(argv[i]);
    process.start(QString::fromStdString(argv[0]), args);
    // The tool may need this process's X connection served (xclip asks us
    // for the clipboard), so keep the event loop turning while it runs.
    bool finished = WaitFor([&] { return process.state() == QProcess::NotRunning; }, 20'000);
    if (!finished) process.kill(), process.waitForFinished(1000);
    if (status)
        *status =
            finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return process.readAllStandardOutput().toStdString();
}

bool SetKeyboardLayout(const std::string& layout) {
    int status = -1;
    RunTool({"setxkbmap", layout}, &status);
    Pump(100); // let clients see the new map
    return status == 0;
}

TargetWindow::TargetWindow() : window(new QWidget), edit(new QPlainTextEdit(window)) {
    window->setWindowTitle(QStringLiteral("Test target"));
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(edit);
    window->setGeometry(700, 600, 300, 150);
    window->show();
}

TargetWindow::~TargetWindow() {
    delete window;
}

bool TargetWindow::Focus() {
    window->activateWindow();
    edit->setFocus();
    return WaitFor([this] { return QApplication::activeWindow() == window && edit->hasFocus(); },
                   3000);
}

namespace {
constexpr const char* kWestonSocket = "kestrix-weston";
}

HeadlessWeston::HeadlessWeston() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrix-wl-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return;
    runtime = pattern;
    std::ofstream(runtime / "weston.ini") << "[shell]\nbackground-image=none\n"
                                             "background-color=0xff0000ff\npanel-position=none\n";
    weston.setProcessEnvironment(ClientEnvironment(false));
    weston.setStandardOutputFile(QProcess::nullDevice());
    weston.setStandardErrorFile(QString::fromStdString((runtime / "weston.log").string()));
    // --debug lets weston-screenshooter take the screen.
    weston.start(QStringLiteral("weston"),
                 {"--backend=headless-backend.so", "--use-pixman", "--width=1024", "--height=768",
                  "--idle-time=0", "--debug", QStringLiteral("--socket=") + kWestonSocket,
                  QString::fromStdString("--config=" + (runtime / "weston.ini").string())});
    running = weston.waitForStarted(5000) &&
              WaitFor([this] { return std::filesystem::exists(runtime / kWestonSocket); }, 10'000);
}

HeadlessWeston::~HeadlessWeston() {
    if (weston.state() != QProcess::NotRunning) {
        weston.terminate();
        if (!weston.waitForFinished(5000)) weston.kill(), weston.waitForFinished(1000);
    }
    std::error_code ignored;
    if (!runtime.empty()) std::filesystem::remove_all(runtime, ignored);
}

QProcessEnvironment HeadlessWeston::ClientEnvironment(bool withX) const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.string()));
    environment.insert("WAYLAND_DISPLAY", kWestonSocket);
    environment.insert("XDG_SESSION_TYPE", "wayland");
    environment.remove("QT_QPA_PLATFORM"); // the program chooses as in a real session
    if (!withX) environment.remove("DISPLAY");
    return environment;
}

QImage HeadlessWeston::Screenshot() {
    QProcess shooter;
    shooter.setProcessEnvironment(ClientEnvironment(false));
    shooter.setWorkingDirectory(QString::fromStdString(runtime.string()));
    shooter.start(QStringLiteral("weston-screenshooter"), {});
    if (!shooter.waitForFinished(10'000)) return {};
    QImage shot;
    for (const auto& entry : std::filesystem::directory_iterator(runtime)) {
        if (entry.path().extension() != ".png") continue;
        shot.load(QString::fromStdString(entry.path().string()));
        std::filesystem::remove(entry.path());
    }
    return shot;
}
