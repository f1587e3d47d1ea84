// The GUI tests' world: a private Xvfb server (never the user's desktop),
// the test's QApplication on it, helpers to wait, run tools and show a
// target window of the test's own, the desktop program started inside the
// test process with its own empty preferences folder, and a private
// headless Weston for the program as a Wayland client.
#pragma once

#include "app/app_globals.h"
#include "app/app_main.h"
#include "tests/support/temp_config_home.h"

#include <QImage>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTest>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// True once the private X server and the QApplication run; tests skip
// otherwise (the reason is printed once).
bool GuiAvailable();
#define REQUIRE_GUI()                                                                              \
    if (!GuiAvailable()) GTEST_SKIP() << "no private X server (is Xvfb installed?)"

// Processes events until done() or timeoutMs ran out; done()'s last answer.
bool WaitFor(const std::function<bool()>& done, int timeoutMs);
void Pump(int ms);

// Runs a program (no shell) and returns what it printed; status gets its
// exit status, -1 when it could not run or took longer than 20 seconds.
std::string RunTool(const std::vector<std::string>& argv, int* status = nullptr);

// The keyboard layout of the private server, by setxkbmap.
bool SetKeyboardLayout(const std::string& layout);

// A small window of the test's own with a text field that has the focus.
struct TargetWindow {
    TargetWindow();
    ~TargetWindow();
    bool Focus(); // gives it the keyboard focus; false if it would not take it
    QString Text() const { return edit->toPlainText(); }
    QWidget* window;
    QPlainTextEdit* edit;
};

// A headless Weston of the test's own, on a socket in a runtime folder of
// its own: a plain blue desktop without a panel drawn by pixman, so that a
// screenshot shows exactly what its clients drew.
class HeadlessWeston {
  public:
    HeadlessWeston();
    ~HeadlessWeston();
    bool Running() const { return running; }
    // A Wayland session's environment for a client; DISPLAY only withX.
    QProcessEnvironment ClientEnvironment(bool withX) const;
    QImage Screenshot(); // null when weston-screenshooter failed

  private:
    QProcess weston;
    std::filesystem::path runtime;
    bool running = false;
};

class AppTest : public testing::Test {
  protected:
    void SetUp() override {
        REQUIRE_GUI();
        Start();
    }
    void TearDown() override {
        if (globals && globals->instance) StopApplication();
        SetKeyboardLayout("us"); // the delivery tests change it
    }
    void Start(const AppOptions& options = BlankSource()) {
        int status = -1;
        ASSERT_TRUE(StartApplication(options, status));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(globals->window.get()));
    }
    void Restart() {
        StopApplication();
        Start();
    }
    // A source without a barcode, so that nothing is read by chance.
    static AppOptions BlankSource() {
        AppOptions options;
        options.source = "videotestsrc pattern=black is-live=true";
        return options;
    }

    TempConfigHome config;
};
