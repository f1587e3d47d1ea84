// The GUI tests' world: a private Xvfb server (never the user's desktop)
// with the test's QApplication on it, waiting, tools, a target window, and
// the desktop program in the test process with an empty preferences folder.
#pragma once

#include "app/app_globals.h"
#include "app/app_main.h"
#include "app/commands.h"
#include "app/options.h"
#include "tests/support/temp_config_home.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>
#include <string>

// Skips the test unless the private X server and the QApplication run.
#define REQUIRE_GUI()                                                                              \
    if (!qApp) GTEST_SKIP() << "no private X server (is Xvfb installed?)"

// Runs a program (no shell), serving this process's X connection meanwhile
// (xclip asks us for the clipboard); what it printed, nothing when it failed
// or took over 20 seconds.
std::optional<std::string> RunTool(const QString& program, const QStringList& args);

// The clipboard as another X client reads it.
inline std::string ClipboardByXclip() {
    return RunTool("xclip", {"-o", "-selection", "clipboard"}).value_or("");
}

// The keyboard layout of the private server.
inline bool SetKeyboardLayout(const char* layout) {
    return RunTool("setxkbmap", {layout}).has_value();
}

// A small window of the test's own, a text field, to type into.
struct TargetWindow : QPlainTextEdit {
    TargetWindow() {
        setGeometry(700, 600, 300, 150);
        show();
    }
    // Gives it the keyboard focus; false if it would not take it.
    bool Focus() {
        activateWindow();
        setFocus();
        return QTest::qWaitFor(
            [this] { return QApplication::activeWindow() == this && hasFocus(); }, 3000);
    }
    std::string Text() const { return toPlainText().toStdString(); }
};

// A click on a button or checkbox, as a user's.
inline void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// What the window says under the video, and a command given to it.
inline QString Note() {
    return globals->noteText->text();
}
inline void Command(OSType command) {
    SendCommand(&globals->windowTarget, {0, command, nullptr});
}

// The desktop program in this process, on a source without a barcode so
// that nothing is read by chance.
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
    void Start(AppOptions options = {}) {
        if (options.source.empty()) options.source = "videotestsrc pattern=black is-live=true";
        int status = -1;
        ASSERT_TRUE(StartApplication(options, status));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(globals->window.get()));
    }
    void Restart(AppOptions options = {}) {
        StopApplication();
        Start(options);
    }

    TempConfigHome config;
};
