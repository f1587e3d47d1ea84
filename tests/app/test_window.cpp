// The scanner window through its real widgets.
#include "engine/scanner_instance.h"
#include "engine/settings_store.h"
#include "tests/app/gui_harness.h"
#include "toolbox/files.h"
#include "toolbox/preferences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <sstream>

namespace {

// Chooses the popup's item by keyboard, as a user would.
void ChooseAction(int index) {
    QComboBox* popup = globals->actionPopup;
    popup->setFocus();
    while (popup->currentIndex() > index) QTest::keyClick(popup, Qt::Key_Up);
    while (popup->currentIndex() < index) QTest::keyClick(popup, Qt::Key_Down);
}

} // namespace

TEST_F(AppTest, TheChoicesAndThePlaceAreKeptAndADamagedFileIsSaid) {
    ChooseAction(3); // the script action shows the choose button at once
    EXPECT_FALSE(globals->chooseButton->isHidden());
    const std::string script = (config.path / "on-scan").string();
    globals->scriptPath = script; // as the choose button's file dialog sets it
    ChooseAction(2);              // the clipboard; the script stays chosen
    EXPECT_TRUE(globals->chooseButton->isHidden());
    globals->window->move(200, 150);
    ASSERT_TRUE(QTest::qWaitFor([] { return globals->window->pos() == QPoint(200, 150); }, 2000));
    globals->window->close(); // the close box quits the loop, the window stays
    EXPECT_TRUE(globals->window->isVisible());
    Restart();
    EXPECT_EQ(globals->window->pos(), QPoint(200, 150));
    EXPECT_EQ(globals->action, kActionClipboard);
    EXPECT_EQ(globals->actionPopup->currentIndex(), 2);
    EXPECT_EQ(globals->scriptPath, script);
    globals->window->move(5000, 4000); // on no screen: back on one at the next start
    ASSERT_TRUE(QTest::qWaitFor([] { return globals->window->pos() == QPoint(5000, 4000); }, 2000));
    Restart();
    EXPECT_TRUE(
        QGuiApplication::primaryScreen()->geometry().contains(globals->window->frameGeometry()));

    // A damaged file: the defaults, and said.
    StopApplication();
    const std::filesystem::path file = PreferencesFilePath(kApplicationIdentifier);
    std::vector<std::uint8_t> damaged;
    ASSERT_EQ(ReadWholeFile(file, 1 << 20, &damaged), noErr);
    damaged[damaged.size() / 2] ^= 0x01;
    ASSERT_EQ(WriteFileAtomically(file, damaged, 0600), noErr);
    Start();
    EXPECT_EQ(globals->action, kActionNone);
    EXPECT_TRUE(Note().contains("damaged")) << Note().toStdString();

    // A folder where the file should be: said at the start, and once.
    StopApplication();
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    Start();
    EXPECT_TRUE(Note().contains("cannot save its settings")) << Note().toStdString();
    globals->noteText->clear();
    ChooseAction(1);
    EXPECT_EQ(Note(), "");
}

TEST_F(AppTest, TheCommandLineIsTakenAndItsMistakesAreSaid) {
    const struct {
        std::vector<std::string> args;
        std::string said;
    } mistakes[] = {
        {{"stray"}, "kestrix: unexpected argument 'stray'"},
        {{"--enable", "c129"}, "kestrix: unknown symbology key 'c129'"},
        {{"--source="}, "kestrix: --source needs a value"},
    };
    for (const auto& c : mistakes) {
        AppOptions options;
        std::ostringstream out, err;
        EXPECT_EQ(ParseOptions(c.args, options, out, err), 2) << c.args[0];
        EXPECT_TRUE(err.str().starts_with(c.said)) << err.str();
    }
    AppOptions options;
    std::ostringstream out;
    ASSERT_EQ(ParseOptions({"--action=script", "--script", "on-scan", "--enable=c128"}, options,
                           out, out),
              std::nullopt);
    EXPECT_EQ(options.script, (std::filesystem::current_path() / "on-scan").string());
    Restart(options);
    EXPECT_EQ(globals->action, kActionScript);
    EXPECT_TRUE(GetBooleanInfo(globals->instance, kKeyCode128));
    EXPECT_EQ(globals->scriptName->text(), "on-scan"); // beside the action

    // The popup's choice counts only from its own menu, with the menu
    // attribute alone.
    const struct {
        HICommand command;
        OSType actionAfter;
    } choices[] = {
        {{kHICommandFromMenu | 2, kActionSend, globals->actionMenu}, kActionScript},
        {{0, kActionSend, globals->actionMenu}, kActionScript},
        {{kHICommandFromMenu, kActionSend, globals->window.get()}, kActionScript},
        {{kHICommandFromMenu, kActionSend, globals->actionMenu}, kActionSend},
    };
    for (const auto& c : choices) {
        EXPECT_EQ(SendCommand(&globals->windowTarget, c.command), eventNotHandledErr);
        EXPECT_EQ(globals->action, c.actionAfter) << c.command.attributes;
    }
}

TEST_F(AppTest, ASourceThatPlaysNothingIsSaidOnceAndHasNoCameraSettings) {
    AppOptions options;
    options.source = "filesrc location=/etc/passwd ! decodebin";
    Restart(options);
    ASSERT_TRUE(QTest::qWaitFor([] { return !Note().isEmpty(); }, 8000));
    const QString said = Note();
    globals->noteText->clear();
    QTest::qWait(6000); // a retry that fails alike says nothing new
    EXPECT_EQ(Note(), "") << said.toStdString();
    Command(kCommandVideoSettings);
    EXPECT_TRUE(Note().contains("no camera settings")) << Note().toStdString();
}

TEST_F(AppTest, AdvancedSheetShowsTheFocusInTruncatedHundredthsAndCancelChangesNothing) {
    auto openSheet = [] {
        Command(kCommandAdvanced); // shown at once, modal to the window
        return globals->window->findChild<QDialog*>(QStringLiteral("Advanced"));
    };
    // A stored focus is shown truncated to hundredths, and OK stores what is
    // shown.
    const struct {
        double stored;
        int shown;
    } cases[] = {{0.2, 20}, {0.29, 28}, {0.225, 22}, {0.58, 57}};
    for (const auto& c : cases) {
        SetDoubleInfo(globals->instance, kKeyFocusDistance, c.stored);
        QDialog* sheet = openSheet();
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(sheet->findChild<QSlider*>(QStringLiteral("focd"))->value(), c.shown) << c.stored;
        Click(sheet->findChild<QPushButton*>(QStringLiteral("ok")));
        EXPECT_DOUBLE_EQ(GetDoubleInfo(globals->instance, kKeyFocusDistance), c.shown / 100.0);
    }

    auto stored = [] { return FlattenCollection(SettingsToCollection(globals->instance)); };
    const std::vector<std::uint8_t> before = stored();
    QDialog* sheet = openSheet();
    ASSERT_NE(sheet, nullptr);
    for (QCheckBox* box : sheet->findChildren<QCheckBox*>()) Click(box);
    sheet->findChild<QSlider*>(QStringLiteral("focd"))->setValue(77);
    Click(sheet->findChild<QPushButton*>(QStringLiteral("cancel")));
    EXPECT_EQ(stored(), before);
}
