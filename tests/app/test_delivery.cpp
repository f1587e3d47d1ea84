// Delivery for real: typing into a window of the test's own under several
// keyboard layouts, the clipboard read back by xclip, and scripts.
#include "app/delivery.h"
#include "app/script_runner.h"
#include "engine/dispatch.h"
#include "engine/scanner_instance.h"
#include "engine/symbology.h"
#include "tests/app/gui_harness.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

void SendScan(std::string_view text, OSType symbology) {
    Event event = CreateEvent(kEventClassKestrix, kEventKindScan);
    const Str255 code = Str255::From(text);
    SetEventParameter(event, kParamText, typePascalString, std::as_bytes(std::span(code.bytes)));
    SetEventParameterValue(event, kParamSymbology, typeType, symbology);
    SendEventToEventTarget(event, &globals->windowTarget);
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string WriteScript(const std::filesystem::path& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path.string();
}

using DeliveryTest = AppTest;

} // namespace

TEST_F(DeliveryTest, TypesTheCodeAndTheEndKeyUnderEachLayout) {
    struct {
        const char* layout;
        std::string code;
        OSType symbology;
        OSType endKey;
        QString typed;
    } const cases[] = {
        {"us", "4006381333931", kSymbologyEAN13, kAppendReturn, "4006381333931\n"},
        {"fr", "4006381333931", kSymbologyEAN13, kAppendTab, "4006381333931\t"},
        {"fr", "AZERTY-QW-42", kSymbologyCode128, kAppendEnter, "AZERTY-QW-42\n"},
        {"de", "ZY-yz-96385074", kSymbologyCode128, kAppendReturn, "ZY-yz-96385074\n"},
        // Characters that the layout has no key for (ü and ß on US, ß on
        // French) are typed too, between fast ones.
        {"us", "Grüße", kSymbologyCode128, kAppendReturn, "Grüße\n"},
        {"fr", "Grüße", kSymbologyCode128, kAppendReturn, "Grüße\n"},
        {"de", "Grüße", kSymbologyCode128, kAppendReturn, "Grüße\n"},
        {"fr", "(10)AB12(21)XY", kSymbologyGS1_128, kAppendTab, "(10)AB12(21)XY\t"},
    };
    globals->action = kActionSend;
    TargetWindow target;
    for (const auto& c : cases) {
        ASSERT_TRUE(SetKeyboardLayout(c.layout)) << c.layout;
        target.edit->clear();
        ASSERT_TRUE(target.Focus());
        SetOSTypeInfo(globals->instance, kKeyAppendKeyCode, c.endKey);
        SendScan(c.code, c.symbology);
        EXPECT_TRUE(WaitFor([&] { return target.Text() == c.typed; }, 5000))
            << c.layout << ": typed '" << target.Text().toStdString() << "'";
        EXPECT_EQ(globals->codeText->text().toStdString(), c.code);
        EXPECT_EQ(globals->symbologyText->text().toStdString(),
                  GetSymbologyName(c.symbology).ToString());
    }
}

TEST_F(DeliveryTest, ControlCharactersAreNeverTypedAndNothingGoesToAKestrixWindow) {
    globals->action = kActionSend;
    SetBooleanInfo(globals->instance, kKeyAppendKey, 0);
    TargetWindow target;
    ASSERT_TRUE(target.Focus());
    SendScan("12\r34\t5\x1b"
             "6\x7f"
             "7\x85"
             "8\x03",
             kSymbologyCode128);
    EXPECT_TRUE(WaitFor([&] { return target.Text() == "12345678"; }, 5000))
        << target.Text().toStdString();
    EXPECT_EQ(PrintableText("A\x9f\xe9"), "A\xc3\xa9");           // C1 dropped, Latin-1 kept
    EXPECT_EQ(PrintableText("\xc2\x85Gr\xc3\xbc"), "Gr\xc3\xbc"); // UTF-8: C1 dropped

    target.edit->clear();
    globals->window->activateWindow();
    ASSERT_TRUE(WaitFor([] { return KestrixHasFocus(); }, 3000));
    SendScan("4006381333931", kSymbologyEAN13);
    Pump(500);
    EXPECT_EQ(target.Text(), "");
    EXPECT_EQ(globals->codeText->text(), "4006381333931"); // still shown
    EXPECT_EQ(globals->noteText->text(), "Not typed: Kestrix is the window in front");
}

TEST_F(DeliveryTest, ClipboardHoldsExactlyTheCodeAfterKestrixLosesFocus) {
    globals->action = kActionClipboard;
    TargetWindow target;
    for (const char* code : {"96385074", "Grüße"}) {
        globals->window->activateWindow();
        SendScan(code, kSymbologyEAN8);
        ASSERT_TRUE(target.Focus());
        int status = -1;
        EXPECT_EQ(RunTool({"xclip", "-o", "-selection", "clipboard"}, &status), code);
        EXPECT_EQ(status, 0);
    }
}

TEST_F(DeliveryTest, ScriptGetsTheCodeAndNameAndAMissingOneIsSaidOnce) {
    const std::filesystem::path out = config.path / "got.txt";
    globals->action = kActionScript;
    globals->scriptPath = WriteScript(config.path / "on-scan",
                                      "printf '%s|%s\\n' \"$1\" \"$2\" > '" + out.string() + "'\n");
    SendScan("4006381333931", kSymbologyEAN13);
    EXPECT_TRUE(WaitFor([&] { return ReadFile(out) == "4006381333931|EAN-13\n"; }, 5000))
        << ReadFile(out);
    SendScan("Grüße", kSymbologyCode128);
    EXPECT_TRUE(WaitFor([&] { return ReadFile(out) == "Grüße|Code 128\n"; }, 5000))
        << ReadFile(out);

    globals->scriptPath.clear();
    SendScan("4006381333931", kSymbologyEAN13);
    EXPECT_TRUE(globals->noteText->text().startsWith("No script chosen"));

    globals->scriptPath = (config.path / "missing").string();
    SendScan("4006381333931", kSymbologyEAN13);
    EXPECT_TRUE(globals->noteText->isVisibleTo(globals->window.get()));
    EXPECT_TRUE(globals->noteText->text().contains("does not exist"));
    globals->noteText->clear();
    SendScan("4006381333931", kSymbologyEAN13);
    EXPECT_EQ(globals->noteText->text(), ""); // said once
}

TEST_F(DeliveryTest, AHangingScriptIsKilledAfterTenSecondsWhileTheLoopGoesOn) {
    // The script hangs on the code HANG, left in view and read again every
    // frame meanwhile; of the other codes read during the hang only the
    // three latest different ones run after it, each once.
    const std::filesystem::path pidFile = config.path / "pid", log = config.path / "log";
    globals->action = kActionScript;
    globals->scriptPath = WriteScript(config.path / "hang", "echo \"$1\" >> '" + log.string() +
                                                                "'\n"
                                                                "[ \"$1\" = HANG ] || exit 0\n"
                                                                "echo $$ > '" +
                                                                pidFile.string() + "'\nsleep 60\n");
    QElapsedTimer clock;
    clock.start();
    SendScan("HANG", kSymbologyCode128);
    EXPECT_LT(clock.elapsed(), 34); // no longer than a frame
    ASSERT_TRUE(WaitFor([&] { return !ReadFile(pidFile).empty(); }, 5000));
    const pid_t pid = std::stoi(ReadFile(pidFile));

    int frames = 0; // the 30 Hz loop keeps turning meanwhile, reading codes
    const char* const reads[] = {"A", "B", "HANG", "A", "C", "D", "E", "D"};
    QTimer frameCounter;
    QObject::connect(&frameCounter, &QTimer::timeout, [&] {
        SendScan(frames < 8 ? reads[frames] : "HANG", kSymbologyCode128);
        ++frames;
    });
    frameCounter.start(33);
    ASSERT_TRUE(WaitFor([&] { return ::kill(pid, 0) != 0; }, 14'000));
    const qint64 ms = clock.elapsed();
    frameCounter.stop();
    EXPECT_GE(ms, kScriptTimeLimitMs - 200);
    EXPECT_LE(ms, kScriptTimeLimitMs + 1500);
    EXPECT_GT(frames, 200);
    EXPECT_TRUE(globals->noteText->text().contains("was stopped"))
        << globals->noteText->text().toStdString();
    // HANG, still in view until the kill was seen, may start once more.
    auto ran = [&] { return ReadFile(log).substr(0, 11); };
    EXPECT_TRUE(WaitFor([&] { return ran() == "HANG\nC\nD\nE\n"; }, 5000)) << ReadFile(log);
    Pump(300);
    EXPECT_TRUE(ReadFile(log).size() == 11 || ReadFile(log).substr(11) == "HANG\n")
        << ReadFile(log);
    globals->scripts.reset(); // ends the second HANG
}
