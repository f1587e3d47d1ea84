// The GUI tests' world: a private Xvfb server (never the user's desktop),
// the test's QApplication on it, and helpers to wait, run tools and show a
// target window of the test's own.
#pragma once

#include <QPlainTextEdit>
#include <functional>
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
