// The scanner window through its real widgets: start-up and shut-down with
// the preferences, the commands, and the Advanced sheet.
#include "app/commands.h"
#include "app/interface.h"
#include "app/scanner_view.h"
#include "engine/scanner_instance.h"
#include "engine/settings_store.h"
#include "tests/app/gui_harness.h"
#include "toolbox/files.h"
#include "toolbox/preferences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Chooses the menu item of that command, as the menu does.
void Menu(const char* command) {
    auto* item = globals->window->findChild<QAction*>(QString::fromLatin1(command));
    ASSERT_NE(item, nullptr) << command;
    item->trigger();
}

QDialog* OpenSheet() {
    Menu("adva");
    QDialog* sheet = nullptr;
    WaitFor(
        [&] {
            sheet = globals->window->findChild<QDialog*>(QStringLiteral("Advanced"));
            return sheet && sheet->isVisible();
        },
        3000);
    return sheet;
}

template <class T>
T* Control(QWidget* window, const char* signature) {
    T* control = nullptr;
    AppGetControl(window, FourCCFromString(signature), control);
    return control;
}

void Click(QWidget* window, const char* name) {
    auto* control = window->findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_NE(control, nullptr) << name;
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(8, control->height() / 2));
}

// Chooses the popup's item by keyboard, as a user would.
void ChooseAction(int index) {
    QComboBox* popup = globals->actionPopup;
    popup->setFocus();
    while (popup->currentIndex() > index) QTest::keyClick(popup, Qt::Key_Up);
    while (popup->currentIndex() < index) QTest::keyClick(popup, Qt::Key_Down);
}

std::vector<std::uint8_t> StoredSettings() {
    return FlattenCollection(SettingsToCollection(globals->instance));
}

} // namespace

TEST_F(AppTest, FirstStartThenEverythingRestoredAtTheNextStart) {
    EXPECT_EQ(globals->window->frameGeometry().topLeft(), QPoint(16, 32));
    EXPECT_EQ(globals->action, kActionNone);
    EXPECT_EQ(globals->actionPopup->currentIndex(), 0);
    EXPECT_TRUE(globals->chooseButton->isHidden());

    ChooseAction(3); // the script action shows the choose button at once
    EXPECT_EQ(globals->action, kActionScript);
    EXPECT_FALSE(globals->chooseButton->isHidden());
    const std::string script = (config.path / "on-scan").string();
    std::ofstream(script) << "#!/bin/sh\n";
    globals->scriptPath = script; // as the choose button's file dialog sets it
    EXPECT_EQ(globals->scriptPath, script);

    ChooseAction(2); // the clipboard; the script stays chosen
    EXPECT_EQ(globals->action, kActionClipboard);
    EXPECT_TRUE(globals->chooseButton->isHidden());
    globals->window->move(200, 150);
    ASSERT_TRUE(WaitFor([] { return globals->window->pos() == QPoint(200, 150); }, 2000));
    globals->window->close(); // the close box quits the loop, the window stays
    EXPECT_TRUE(globals->window->isVisible());

    Restart();
    EXPECT_EQ(globals->window->frameGeometry().topLeft(), QPoint(200, 150));
    EXPECT_EQ(globals->action, kActionClipboard);
    EXPECT_EQ(globals->actionPopup->currentIndex(), 2);
    EXPECT_EQ(globals->scriptPath, script);

    globals->window->move(5000, 4000); // on no screen
    ASSERT_TRUE(WaitFor([] { return globals->window->pos() == QPoint(5000, 4000); }, 2000));
    Restart();
    EXPECT_EQ(globals->window->frameGeometry().topLeft(), QPoint(16, 32));
}

TEST_F(AppTest, ADamagedOrUnwritableSettingsFileIsSaidOnce) {
    ChooseAction(2); // saved at once
    StopApplication();
    const std::filesystem::path file = PreferencesFilePath(kApplicationIdentifier);
    std::vector<std::uint8_t> damaged;
    ASSERT_EQ(ReadWholeFile(file, 1 << 20, &damaged), noErr);
    damaged[damaged.size() / 2] ^= 0x01;
    ASSERT_EQ(WriteFileAtomically(file, damaged, 0600), noErr);
    Start();
    EXPECT_EQ(globals->action, kActionNone);
    EXPECT_TRUE(globals->noteText->text().contains("damaged"))
        << globals->noteText->text().toStdString();
    std::vector<std::uint8_t> kept;
    ASSERT_EQ(ReadWholeFile(file.parent_path() / kDamagedPreferencesName, 1 << 20, &kept), noErr);
    EXPECT_EQ(kept, damaged);

    // A folder where the file should be: said at the start, and once.
    StopApplication();
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    Start();
    EXPECT_TRUE(globals->noteText->text().contains("cannot save its settings"))
        << globals->noteText->text().toStdString();
    globals->noteText->clear();
    ChooseAction(1);
    EXPECT_EQ(globals->noteText->text(), "");
}

TEST_F(AppTest, SnapshotsArePngFilesOnTheDesktopOrWhereTheWindowSays) {
    const std::filesystem::path desktop = config.path / "Desktop",
                                pictures = config.path / "Pictures";
    std::filesystem::create_directories(desktop);
    std::filesystem::create_directories(pictures);
    ::setenv("XDG_PICTURES_DIR", pictures.c_str(), 1);
    ::setenv("XDG_DESKTOP_DIR", (config.path / "none").c_str(), 1);
    Menu("snap");
    EXPECT_TRUE(std::filesystem::exists(pictures / "Kestrix Image 1.png"));
    EXPECT_TRUE(globals->noteText->text().contains((pictures / "Kestrix Image 1.png").c_str()))
        << globals->noteText->text().toStdString();
    ::setenv("XDG_DESKTOP_DIR", desktop.c_str(), 1);
    Menu("snap");
    EXPECT_TRUE(std::filesystem::exists(desktop / "Kestrix Image 1.png"));
    EXPECT_EQ(globals->noteText->text(), ""); // taken back
    ::unsetenv("XDG_DESKTOP_DIR");
    ::unsetenv("XDG_PICTURES_DIR");
}

TEST(AppOptions, TheCommandLineAsKestrixScanTakesIt) {
    const struct {
        std::vector<std::string> args;
        std::optional<int> exit;
        std::string said; // the start of what is printed
    } cases[] = {
        {{"-h"}, 0, "Usage: kestrix"},
        {{"--action=clipboard", "--enable", "c128,cd39", "--disable=ean8"}, std::nullopt, ""},
        {{"--script", "on-scan"}, std::nullopt, ""},
        {{"stray"}, 2, "kestrix: unexpected argument 'stray'"},
        {{"--bogus=1"}, 2, "kestrix: unknown option '--bogus'"},
        {{"--enable", "c129"}, 2, "kestrix: unknown symbology key 'c129'"},
        {{"--source="}, 2, "kestrix: --source needs a value"},
    };
    for (const auto& c : cases) {
        AppOptions options;
        std::ostringstream out, err;
        EXPECT_EQ(ParseOptions(c.args, options, out, err), c.exit) << c.args[0];
        EXPECT_TRUE((out.str() + err.str()).starts_with(c.said)) << out.str() << err.str();
        if (c.args[0] == "--action=clipboard") {
            EXPECT_EQ(options.action, kActionClipboard);
            ASSERT_EQ(options.switches.size(), 3u);
            EXPECT_EQ(options.switches[1].key, kKeyCode39);
            EXPECT_FALSE(options.switches[2].on);
        }
        if (c.args[0] == "--script") {
            EXPECT_EQ(options.script, (std::filesystem::current_path() / "on-scan").string());
        }
    }
}

TEST_F(AppTest, TheChosenScriptIsShownBesideTheAction) {
    StopApplication();
    AppOptions options = BlankSource();
    options.action = kActionScript;
    options.script = (config.path / "on-scan").string();
    options.switches = {{kKeyCode128, true}};
    Start(options);
    EXPECT_TRUE(GetBooleanInfo(globals->instance, kKeyCode128));
    EXPECT_TRUE(globals->scriptName->isVisibleTo(globals->window.get()));
    EXPECT_EQ(globals->scriptName->text(), "on-scan");
    EXPECT_EQ(globals->scriptName->toolTip().toStdString(), *options.script);
    globals->scriptPath.clear();
    ChooseAction(1);
    EXPECT_FALSE(globals->scriptName->isVisibleTo(globals->window.get()));
    ChooseAction(3);
    EXPECT_EQ(globals->scriptName->text(), "No script chosen");
}

TEST_F(AppTest, ASourceThatPlaysNothingIsSaidInTheWindowOnce) {
    StopApplication();
    AppOptions options;
    options.source = "filesrc location=/etc/passwd ! decodebin";
    Start(options);
    ASSERT_TRUE(WaitFor([] { return !globals->noteText->text().isEmpty(); }, 8000));
    const QString said = globals->noteText->text();
    globals->noteText->clear();
    Pump(6000); // a retry that fails alike says nothing new
    EXPECT_EQ(globals->noteText->text(), "") << said.toStdString();
}

// The mnemonic letters of the window's buttons, labels and menus (or of the
// sheet's), each of which must be taken once.
std::vector<QChar> Mnemonics(QWidget* window) {
    QStringList texts;
    for (auto* button : window->findChildren<QAbstractButton*>())
        if (button->window() == window) texts << button->text();
    for (auto* label : window->findChildren<QLabel*>())
        if (label->buddy() && label->window() == window) texts << label->text();
    if (auto* main = qobject_cast<QMainWindow*>(window))
        for (QAction* menu : main->menuBar()->actions()) texts << menu->text();
    std::vector<QChar> letters;
    for (const QString& text : texts)
        for (qsizetype i = text.indexOf('&'); i >= 0 && i + 1 < text.size();
             i = text.indexOf('&', i + 2))
            if (text[i + 1] != '&') letters.push_back(text[i + 1].toLower());
    std::sort(letters.begin(), letters.end());
    return letters;
}

TEST_F(AppTest, IconMnemonicsAndTheVideoInItsProportions) {
    StopApplication();
    AppOptions options;
    options.source = "videotestsrc pattern=white is-live=true";
    Start(options);
    for (QWidget* window :
         {static_cast<QWidget*>(globals->window.get()), static_cast<QWidget*>(OpenSheet())}) {
        ASSERT_NE(window, nullptr);
        const std::vector<QChar> letters = Mnemonics(window);
        EXPECT_EQ(std::adjacent_find(letters.begin(), letters.end()), letters.end())
            << window->objectName().toStdString() << ": "
            << QString(letters.data(), letters.size()).toStdString();
    }
    Click(globals->window->findChild<QDialog*>(QStringLiteral("Advanced")), "cancel");

    EXPECT_FALSE(globals->window->windowIcon().isNull());
    const std::string wid = std::to_string(globals->window->winId());
    EXPECT_NE(RunTool({"xprop", "-id", wid, "_NET_WM_ICON"}).find("_NET_WM_ICON(CARDINAL)"),
              std::string::npos);

    // A wide window shows the picture 4:3, centred between black bars.
    globals->window->resize(1200, 500);
    ScannerView* view = globals->viewControl;
    ASSERT_TRUE(WaitFor([&] { return view->width() > view->height() * 4 / 3 + 40; }, 3000));
    Pump(300);
    const QImage shown = view->grab().toImage();
    const int y = shown.height() / 2;
    EXPECT_EQ(shown.pixel(2, y) & 0xFFFFFFu, 0u);
    EXPECT_EQ(shown.pixel(shown.width() - 3, y) & 0xFFFFFFu, 0u);
    EXPECT_GT(qGray(shown.pixel(shown.width() / 2, y)), 200);
    int light = 0; // the width of the picture on that row
    for (int x = 0; x < shown.width(); ++x) light += qGray(shown.pixel(x, y)) > 128;
    EXPECT_NEAR(light, view->height() * 4 / 3, 3);
}

TEST_F(AppTest, CommandsFromTheWidgetsChangeTheInstance) {
    ScannerInstance* s = globals->instance;
    const std::uint8_t scan = s->scanEnabled, target = s->showTarget;
    Click(globals->window.get(), "scan");
    EXPECT_EQ(s->scanEnabled, !scan);
    Click(globals->window.get(), "targ");
    EXPECT_EQ(s->showTarget, !target);

    SetDoubleInfo(s, kKeyFocusDistance, 0.5);
    struct {
        const char* command;
        double distance;
    } const focusSteps[] = {{"focf", 0.525}, {"focf", 0.55}, {"focn", 0.525}};
    for (const auto& step : focusSteps) {
        // A video source has no focus to step: the menu items are off.
        auto* item = globals->window->findChild<QAction*>(QString::fromLatin1(step.command));
        ASSERT_NE(item, nullptr);
        EXPECT_FALSE(item->isEnabled());
        SendCommand(&globals->windowTarget, {0, FourCCFromString(step.command), nullptr});
        EXPECT_NEAR(s->focusDistance, step.distance, 1e-9) << step.command;
    }
    Menu("vide"); // and no camera settings, as the window says
    EXPECT_TRUE(globals->noteText->text().contains("no camera settings"));

    // The popup's choice counts only from its own menu, attributes exactly 1.
    struct {
        HICommand command;
        OSType actionAfter;
    } const choices[] = {
        {{kHICommandFromMenu | 2, kActionSend, globals->actionMenu}, kActionNone},
        {{0, kActionSend, globals->actionMenu}, kActionNone},
        {{kHICommandFromMenu, kActionSend, globals->window.get()}, kActionNone},
        {{kHICommandFromMenu, kActionSend, globals->actionMenu}, kActionSend},
    };
    for (const auto& c : choices) {
        EXPECT_EQ(SendCommand(&globals->windowTarget, c.command), eventNotHandledErr);
        EXPECT_EQ(globals->action, c.actionAfter);
    }
    EXPECT_EQ(SendCommand(&globals->windowTarget, {0, "what"_4cc, nullptr}), eventNotHandledErr);
}

TEST_F(AppTest, AdvancedSheetShowsTheFocusInTruncatedHundredths) {
    // A stored focus is shown truncated to hundredths, and OK stores what
    // is shown; a slider position is stored as it stands.
    struct {
        double stored;
        int shown;
        double afterOK;
    } const cases[] = {{0.2, 20, 0.2}, {0.29, 28, 0.28}, {0.225, 22, 0.22}, {0.58, 57, 0.57}};
    for (const auto& c : cases) {
        SetDoubleInfo(globals->instance, kKeyFocusDistance, c.stored);
        QDialog* sheet = OpenSheet();
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(Control<QSlider>(sheet, "focd")->value(), c.shown) << c.stored;
        Click(sheet, "ok");
        EXPECT_DOUBLE_EQ(GetDoubleInfo(globals->instance, kKeyFocusDistance), c.afterOK);
    }
    QDialog* sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    Control<QSlider>(sheet, "focd")->setValue(30);
    Click(sheet, "ok");
    EXPECT_DOUBLE_EQ(GetDoubleInfo(globals->instance, kKeyFocusDistance), 0.3);
}

TEST_F(AppTest, AdvancedSheetCancelChangesNothingAndOKSetsTheWindowsTarget) {
    const std::vector<std::uint8_t> before = StoredSettings();
    QDialog* sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    for (QCheckBox* box : sheet->findChildren<QCheckBox*>())
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    Control<QSlider>(sheet, "focd")->setValue(77);
    Click(sheet, "cancel");
    EXPECT_EQ(StoredSettings(), before);
    EXPECT_EQ(globals->window->findChild<QDialog*>(QStringLiteral("Advanced")), nullptr);

    if (!globals->targetCheckbox->isChecked()) Click(globals->window.get(), "targ");
    ASSERT_TRUE(globals->instance->showTarget);
    sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(Control<QCheckBox>(sheet, "targ")->isChecked());
    Click(sheet, "targ");
    EXPECT_TRUE(globals->instance->showTarget); // nothing is written before OK
    Click(sheet, "ok");
    EXPECT_FALSE(globals->instance->showTarget);
    EXPECT_FALSE(globals->targetCheckbox->isChecked());
}
