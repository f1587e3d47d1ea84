// Delivery for real: typing into a window of the test's own under several
// keyboard layouts, the clipboard read back by xclip, and scripts.
#include "app/commands.h"
#include "app/delivery.h"
#include "app/history_panel.h"
#include "app/script_runner.h"
#include "engine/dispatch.h"
#include "engine/scanner_instance.h"
#include "engine/symbology.h"
#include "tests/app/gui_harness.h"
#include "tests/support/python_csv.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
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
        {"fr", "AZERTY-QW-42", kSymbologyCode128, kAppendEnter, "AZERTY-QW-42\n"},
        {"de", "ZY-yz-96385074", kSymbologyCode128, kAppendReturn, "ZY-yz-96385074\n"},
        // Characters that the layout has no key for (ü and ß on US, ß on
        // French) are typed too, between fast ones.
        {"us", "Grüße", kSymbologyCode128, kAppendReturn, "Grüße\n"},
        {"fr", "Grüße", kSymbologyCode128, kAppendReturn, "Grüße\n"},
        {"de", "Grüße", kSymbologyCode128, kAppendReturn, "Grüße\n"}, // keys of its own
        {"fr", "(10)AB12(21)XY", kSymbologyGS1_128, kAppendTab, "(10)AB12(21)XY\t"},
    };
    globals->action = kActionSend;
    globals->history.repeatSeconds = 0; // the same code again sooner than the scanner reads it
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
    globals->history.repeatSeconds = 0; // the same code again sooner than the scanner reads it
    globals->scriptPath = WriteScript(config.path / "on-scan",
                                      "printf '%s|%s\\n' \"$1\" \"$2\" > '" + out.string() + "'\n");
    SendScan("4006381333931", kSymbologyEAN13);
    EXPECT_TRUE(WaitFor([&] { return ReadText(out) == "4006381333931|EAN-13\n"; }, 5000))
        << ReadText(out);
    SendScan("Grüße", kSymbologyCode128);
    EXPECT_TRUE(WaitFor([&] { return ReadText(out) == "Grüße|Code 128\n"; }, 5000))
        << ReadText(out);

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
    EXPECT_LT(clock.elapsed(), 1000); // the run does not wait for the script
    ASSERT_TRUE(WaitFor([&] { return !ReadText(pidFile).empty(); }, 5000));
    const pid_t pid = std::stoi(ReadText(pidFile));

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
    EXPECT_GT(frames, 60); // about 300 when idle; a loop that waited for the run turns once
    EXPECT_TRUE(globals->noteText->text().contains("was stopped"))
        << globals->noteText->text().toStdString();
    // HANG, still in view until the kill was seen, may start once more.
    auto ran = [&] { return ReadText(log).substr(0, 11); };
    EXPECT_TRUE(WaitFor([&] { return ran() == "HANG\nC\nD\nE\n"; }, 5000)) << ReadText(log);
    Pump(300);
    EXPECT_TRUE(ReadText(log).size() == 11 || ReadText(log).substr(11) == "HANG\n")
        << ReadText(log);
    globals->scripts.reset(); // ends the second HANG
}

namespace {

QTableView* HistoryList() {
    return globals->window->findChild<QTableView*>(QStringLiteral("hlst"));
}

// Row's cell as the list shows it.
std::string Cell(int row, int column) {
    const QAbstractItemModel* model = HistoryList()->model();
    return model->data(model->index(row, column)).toString().toStdString();
}

void ChooseRow(int row) {
    QTableView* list = HistoryList();
    list->setFocus();
    list->setCurrentIndex(list->model()->index(row, 0));
}

void Command(OSType command) {
    SendCommand(&globals->windowTarget, HICommand{0, command, nullptr});
}

} // namespace

TEST_F(DeliveryTest, HistoryListsEachReadDeliversAgainExportsCsvAndKeepsItsFile) {
    QTableView* list = HistoryList();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isVisibleTo(globals->window.get()));
    globals->action = kActionClipboard;
    SendScan("96385074", kSymbologyEAN8);
    SendScan("96385074", kSymbologyEAN8); // within 2 seconds: a repeat
    SendScan("=1+2,\"x\"", kSymbologyCode128);
    ASSERT_EQ(list->model()->rowCount(), 3);
    struct {
        int row;
        std::string symbology, text, delivery;
    } const rows[] = {
        {0, "Code 128", "=1+2,\"x\"", "clipboard"},
        {1, "EAN-8", "96385074", "repeat, not delivered"},
        {2, "EAN-8", "96385074", "clipboard"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(Cell(r.row, 1), r.symbology);
        EXPECT_EQ(Cell(r.row, 2), r.text);
        EXPECT_EQ(Cell(r.row, 3), r.delivery);
    }

    // Delivered again: to the clipboard at once, typed once the focus leaves
    // Kestrix (a click on the row gave it to Kestrix).
    ChooseRow(2);
    auto* again = globals->window->findChild<QWidget*>(QStringLiteral("againButton"));
    ASSERT_NE(again, nullptr);
    QTest::mouseClick(again, Qt::LeftButton, {}, QPoint(8, again->height() / 2));
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "96385074");
    globals->action = kActionSend;
    TargetWindow target;
    globals->window->activateWindow();
    ASSERT_TRUE(WaitFor([] { return KestrixHasFocus(); }, 3000));
    ChooseRow(1); // the row of the Code 128 read, below the new one
    Command(kCommandDeliverAgain);
    Pump(300);
    EXPECT_EQ(target.Text(), "");
    ASSERT_TRUE(target.Focus());
    EXPECT_TRUE(WaitFor([&] { return target.Text() == "=1+2,\"x\"\n"; }, 5000))
        << target.Text().toStdString();
    ASSERT_EQ(list->model()->rowCount(), 5);
    EXPECT_EQ(Cell(0, 3), "typed");

    // Deleted, then exported through the save dialog, oldest first.
    ChooseRow(2);
    Command(kCommandDeleteReads);
    const std::filesystem::path csv = config.path / "reads.csv";
    // The save dialog, answered as a user would once it shows.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (!dialog || !dialog->isVisible()) continue;
            answer.stop();
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (name) name->setText(QString::fromStdString(csv.string()));
            static_cast<QDialog*>(dialog)->accept(); // as the Save button does
        }
    });
    answer.start(100);
    auto* exportItem = globals->window->findChild<QAction*>(QStringLiteral("hexp"));
    ASSERT_NE(exportItem, nullptr);
    exportItem->trigger(); // File > Export History as CSV
    const auto records = ReadCsvWithPython(csv);
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0], (std::vector<std::string>{"time", "symbology", "text", "delivery"}));
    const std::vector<std::vector<std::string>> expected = {
        {"EAN-8", "96385074", "clipboard"},
        {"EAN-8", "96385074", "repeat"},
        {"EAN-8", "96385074", "clipboard"},
        {"Code 128", "'=1+2,\"x\"", "typed"},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(records[i + 1].size(), 4u);
        EXPECT_EQ(std::vector<std::string>(records[i + 1].begin() + 1, records[i + 1].end()),
                  expected[i])
            << i;
        EXPECT_EQ(records[i + 1][0].size(), 25u) << records[i + 1][0]; // 2026-12-08T01:46:45+00:00
    }

    // Kept across a restart; not kept once keeping is off (the file goes at
    // once); a damaged file is kept aside and said.
    Restart();
    ASSERT_EQ(HistoryList()->model()->rowCount(), 4);
    EXPECT_EQ(Cell(0, 3), "typed");
    const std::filesystem::path kept = config.path / "com.vondrel.kestrix" / "history";
    ASSERT_TRUE(std::filesystem::exists(kept));
    auto* keep = globals->window->findChild<QCheckBox*>(QStringLiteral("hkep"));
    ASSERT_NE(keep, nullptr);
    QTest::mouseClick(keep, Qt::LeftButton, {}, QPoint(8, keep->height() / 2));
    EXPECT_TRUE(WaitFor([&] { return !std::filesystem::exists(kept); }, 3000));
    Restart();
    EXPECT_EQ(HistoryList()->model()->rowCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(kept));
    keep = globals->window->findChild<QCheckBox*>(QStringLiteral("hkep"));
    QTest::mouseClick(keep, Qt::LeftButton, {}, QPoint(8, keep->height() / 2)); // on again
    StopApplication();
    ASSERT_TRUE(std::filesystem::exists(kept));
    std::ofstream(kept, std::ios::trunc) << "damaged";
    Start();
    EXPECT_EQ(HistoryList()->model()->rowCount(), 0);
    EXPECT_TRUE(globals->noteText->text().contains("kept aside"))
        << globals->noteText->text().toStdString();
    EXPECT_EQ(ReadText(kept.string() + ".damaged"), "damaged");
}
