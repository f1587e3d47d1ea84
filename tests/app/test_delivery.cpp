// Delivery for real: typing, the clipboard read back by xclip, scripts and
// the history of reads.
#include "app/delivery.h"
#include "app/history_panel.h"
#include "app/script_runner.h"
#include "app/typing.h"
#include "engine/accept.h"
#include "engine/scanner_instance.h"
#include "engine/symbology.h"
#include "tests/app/gui_harness.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QTableView>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>

namespace {

void SendScan(std::string_view text, OSType symbology = kSymbologyCode128) {
    Event event = CreateEvent(kEventClassKestrix, kEventKindScan);
    const Str255 code = Str255::From(text);
    SetEventParameter(event, kParamText, typePascalString, std::as_bytes(std::span(code.bytes)));
    SetEventParameterValue(event, kParamSymbology, typeType, symbology);
    SendEventToEventTarget(event, &globals->windowTarget);
}

std::string WriteScript(const std::filesystem::path& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path.string();
}

QTableView* HistoryList() {
    return globals->window->findChild<QTableView*>(QStringLiteral("hlst"));
}

// The history list's rows as it shows them: symbology, text, delivery.
std::vector<std::vector<std::string>> HistoryRows() {
    const QAbstractItemModel* model = HistoryList()->model();
    std::vector<std::vector<std::string>> rows(model->rowCount());
    for (int row = 0; row < model->rowCount(); ++row)
        for (int column = 1; column < 4; ++column)
            rows[row].push_back(model->data(model->index(row, column)).toString().toStdString());
    return rows;
}

// Chooses the row, as a click does, and gives the command.
void OnRow(int row, OSType command) {
    HistoryList()->setFocus();
    HistoryList()->setCurrentIndex(HistoryList()->model()->index(row, 0));
    Command(command);
}

using DeliveryTest = AppTest;

} // namespace

TEST_F(DeliveryTest, EachActionDeliversTheCodeUnderEachLayout) {
    const std::filesystem::path out = config.path / "got.txt";
    globals->scriptPath = WriteScript(config.path / "on-scan",
                                      "printf '%s|%s\\n' \"$1\" \"$2\" > '" + out.string() + "'\n");
    struct {
        OSType action;
        const char* layout;
        std::string code;
        OSType endKey; // typing: the key after the code, 0 for none
        std::string delivered;
    } const cases[] = {
        {kActionSend, "fr", "AZERTY-QW-42", kAppendEnter, "AZERTY-QW-42\n"}, // digits take Shift
        {kActionSend, "de", "ZY-yz-96385074", kAppendReturn, "ZY-yz-96385074\n"},
        {kActionSend, "fr", "(10)AB12(21)XY", kAppendTab, "(10)AB12(21)XY\t"},
        // ü and ß have no key on US, ü none on French: typed through keys
        // bound for them; German has keys of its own.
        {kActionSend, "us", "Grüße", kAppendReturn, "Grüße\n"},
        {kActionSend, "fr", "Grüße", kAppendReturn, "Grüße\n"},
        {kActionSend, "de", "Grüße", kAppendReturn, "Grüße\n"},
        // No control character is typed (C0, DEL, C1 alone and as UTF-8),
        // so a code cannot press Return or a shortcut in its middle; a byte
        // that begins no UTF-8 character is Latin-1.
        {kActionSend, "us", "12\r34\t5\0336\1777\2058\302\2059\003", 0, "123456789"},
        {kActionSend, "us", "A\xe9", 0, "Aé"},
        {kActionClipboard, "us", "Grüße", 0, "Grüße"},
        {kActionScript, "us", "Grüße", 0, "Grüße|Code 128\n"},
    };
    globals->history.repeatSeconds = 0; // the same code again sooner than the scanner reads it
    TargetWindow target;
    auto delivered = [&](OSType action) {
        if (action == kActionSend) return target.Text();
        return action == kActionClipboard ? ClipboardByXclip() : ReadText(out);
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SetKeyboardLayout(c.layout)) << c.layout;
        globals->action = c.action;
        target.clear();
        ASSERT_TRUE(target.Focus());
        SetBooleanInfo(globals->instance, kKeyAppendKey, c.endKey != 0);
        if (c.endKey) SetOSTypeInfo(globals->instance, kKeyAppendKeyCode, c.endKey);
        SendScan(c.code);
        // The target takes in the keyboard map's changes only after the
        // code was typed, as a program on a loaded machine does: a key bound
        // for the moment of the keystroke would be gone by then ("Gre").
        usleep(500'000);
        EXPECT_TRUE(QTest::qWaitFor([&] { return delivered(c.action) == c.delivered; }, 5000))
            << c.layout << ": delivered '" << delivered(c.action) << "'";
    }
}

// In a Wayland session codes are typed through a virtual keyboard on
// /dev/uinput where it may be opened (it reaches every window), else through
// XTest on Xwayland's X display (X11 programs only), else not at all; the
// program says which way, and why.
TEST(TypingPath, OnWaylandUInputComesFirstAndTheWayIsSaid) {
    REQUIRE_GUI();
    const std::string x = std::getenv("DISPLAY");
    const int probe = open("/dev/uinput", O_WRONLY | O_CLOEXEC);
    const std::string trouble =
        std::string("/dev/uinput cannot be opened (") + std::strerror(errno) + ")";
    if (probe >= 0) close(probe);
    setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    for (const bool withX : {false, true}) {
        if (!withX) unsetenv("DISPLAY");
        Typing typing;
        OpenTyping(typing);
        EXPECT_EQ(typing.path,
                  probe >= 0 ? "types codes through a virtual keyboard on /dev/uinput (US key "
                               "positions)"
                  : withX    ? "types codes through XTest on the X display " + x +
                                ", which reaches X11 programs only: " + trouble
                          : "cannot type codes here: there is no X display, and " + trouble);
        CloseTyping(typing);
        setenv("DISPLAY", x.c_str(), 1);
    }
    unsetenv("WAYLAND_DISPLAY");
}

TEST_F(DeliveryTest, AHangingScriptIsKilledAfterTenSecondsWhileTheLoopGoesOn) {
    // The script hangs on the code HANG, left in view and read again every
    // frame meanwhile; of the other codes read during the hang only the
    // three latest different ones run after it, each once.
    const std::filesystem::path pidFile = config.path / "pid", log = config.path / "log";
    globals->action = kActionScript;
    SendScan("1"); // first, no script at all, and one that is missing: each said once
    EXPECT_TRUE(Note().startsWith("No script chosen")) << Note().toStdString();
    globals->scriptPath = (config.path / "missing").string();
    SendScan("2");
    EXPECT_TRUE(Note().contains("does not exist")) << Note().toStdString();
    globals->noteText->clear();
    SendScan("3");
    EXPECT_EQ(Note(), "");
    globals->scriptPath =
        WriteScript(config.path / "hang", "echo \"$1\" >> '" + log.string() + "'\n" +
                                              "[ \"$1\" = HANG ] || exit 0\n" + "echo $$ > '" +
                                              pidFile.string() + "'\nsleep 60\n");
    QElapsedTimer clock;
    clock.start();
    SendScan("HANG");
    EXPECT_LT(clock.elapsed(), 1000); // the run does not wait for the script
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ReadText(pidFile).empty(); }, 5000));
    const pid_t pid = std::stoi(ReadText(pidFile));

    int frames = 0; // the loop keeps turning meanwhile, reading codes
    const char* const reads[] = {"A", "B", "HANG", "A", "C", "D", "E", "D"};
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            SendScan(frames < 8 ? reads[frames] : "HANG");
            ++frames;
            return ::kill(pid, 0) != 0;
        },
        14'000));
    const qint64 ms = clock.elapsed();
    EXPECT_GE(ms, kScriptTimeLimitMs - 200);
    EXPECT_LE(ms, kScriptTimeLimitMs + 1500);
    EXPECT_GT(frames, 60); // hundreds when idle; a loop that waited for the run turns once
    EXPECT_TRUE(Note().contains("was stopped")) << Note().toStdString();
    // HANG, still in view until the kill was seen, may start once more.
    auto ran = [&] { return ReadText(log).substr(0, 11); };
    EXPECT_TRUE(QTest::qWaitFor([&] { return ran() == "HANG\nC\nD\nE\n"; }, 5000)) << ReadText(log);
    QTest::qWait(300);
    EXPECT_TRUE(ReadText(log).size() == 11 || ReadText(log).substr(11) == "HANG\n")
        << ReadText(log);
    globals->scripts.reset(); // ends the second HANG
}

TEST_F(DeliveryTest, HistoryListsEachReadDeliversAgainAndIsKept) {
    using Rows = std::vector<std::vector<std::string>>;
    globals->action = kActionClipboard;
    SendScan("96385074", kSymbologyEAN8);
    SendScan("96385074", kSymbologyEAN8); // within 2 seconds: a repeat
    // Nothing is typed into a Kestrix window; delivered again from the
    // list, it is typed once the focus leaves Kestrix.
    globals->action = kActionSend;
    TargetWindow target;
    globals->window->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor(KestrixHasFocus, 3000));
    SendScan("=1+2,\"x\"");
    EXPECT_EQ(Note(), "Not typed: Kestrix is the window in front");
    OnRow(0, kCommandDeliverAgain);
    QTest::qWait(300);
    EXPECT_EQ(target.Text(), "");
    ASSERT_TRUE(target.Focus());
    EXPECT_TRUE(QTest::qWaitFor([&] { return target.Text() == "=1+2,\"x\"\n"; }, 5000))
        << target.Text();
    OnRow(3, kCommandDeleteReads);
    const Rows kept = {{"Code 128", "=1+2,\"x\"", "typed"},
                       {"Code 128", "=1+2,\"x\"", "shown"},
                       {"EAN-8", "96385074", "repeat, not delivered"}};
    EXPECT_EQ(HistoryRows(), kept);

    // Kept across a restart; not once keeping is off (the file goes at
    // once).
    Restart();
    EXPECT_EQ(HistoryRows(), kept);
    const std::filesystem::path file = config.path / "com.vondrel.kestrix" / "history";
    ASSERT_TRUE(std::filesystem::exists(file));
    Click(globals->window->findChild<QCheckBox*>(QStringLiteral("hkep"))); // keeping off
    EXPECT_TRUE(QTest::qWaitFor([&] { return !std::filesystem::exists(file); }, 3000));
    Restart();
    EXPECT_EQ(HistoryRows(), Rows{});
}
