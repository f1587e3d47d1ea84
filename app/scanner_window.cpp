// Commands of the scanner window, in the order they are matched.
#include "app/scanner_window.h"

#include "app/advanced_sheet.h"
#include "app/app_globals.h"
#include "app/commands.h"
#include "app/help_menu.h"
#include "app/preferences.h"
#include "engine/scanner_instance.h"
#include "toolbox/resources.h"
#include "video/video.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>

namespace {

constexpr double kFocusStep = 0.025; // one Focus Nearer / Farther step

// Says where a snapshot went when that is not the Desktop, and why one was
// not saved; a later snapshot on the Desktop takes back what was said.
void SaveSnapshot(ScannerInstance* instance) {
    std::filesystem::path written;
    const OSStatus status = VideoExportFrame(instance, &written);
    QString note;
    if (status == fnfErr)
        note = QStringLiteral("The snapshot was not saved: there is no Desktop, pictures or home "
                              "folder.");
    else if (status != noErr)
        note = QStringLiteral("The snapshot was not saved (error %1).").arg(status);
    else if (written.parent_path() != VideoDesktopFolder())
        note = QStringLiteral("There is no Desktop folder: the snapshot was saved as %1.")
                   .arg(QString::fromStdString(written.string()));
    if (!note.isEmpty()) {
        ShowWindowNote(note);
    } else if (globals->noteText && globals->noteText->text() == globals->snapshotNote) {
        ShowWindowNote(QString());
    }
    globals->snapshotNote = note;
}

} // namespace

OSStatus HandleScannerWindowClose(EventTarget&, Event&) {
    QCoreApplication::quit();
    return noErr;
}

void UpdateChooseButton() {
    const bool script = globals->action == kActionScript;
    if (globals->chooseButton) globals->chooseButton->setVisible(script);
    QLabel* name = globals->scriptName;
    if (!name) return;
    const QString path = QString::fromStdString(globals->scriptPath);
    name->setVisible(script);
    name->setText(path.isEmpty() ? QStringLiteral("No script chosen") : QFileInfo(path).fileName());
    name->setToolTip(path);
}

bool AppChooseFileWithMessage(std::string& path, const char* messageKey) {
    const QString chosen = QFileDialog::getOpenFileName(
        globals->window.get(), QString::fromStdString(AppLocStr(messageKey)),
        path.empty() ? QString() : QString::fromStdString(path));
    if (chosen.isEmpty()) return false;
    path = chosen.toStdString();
    globals->scriptNoteShownFor.clear(); // a new script gets its own say
    globals->scriptKillNoteShownFor.clear();
    return true;
}

OSStatus HandleScannerWindowCommand(EventTarget&, Event& event) {
    const HICommand command = GetCommand(event);
    ScannerInstance* instance = globals->instance;
    switch (command.commandID) {
    case kCommandScan:
        SetBooleanInfo(instance, kKeyScan, globals->scanCheckbox->isChecked() ? 1 : 0);
        return noErr;
    case kCommandTarget:
        SetBooleanInfo(instance, kKeyShowTarget, globals->targetCheckbox->isChecked() ? 1 : 0);
        SaveChoices();
        return noErr;
    case kCommandVideoSettings:
        if (globals->videoSource)
            ShowWindowNote(QStringLiteral("Kestrix is reading a video source (--source), which has "
                                          "no camera settings."));
        else
            VideoSettingsDialog(instance);
        return noErr;
    case kCommandChooseScript:
        if (AppChooseFileWithMessage(globals->scriptPath, "CHOOSE_SCRIPT")) {
            UpdateChooseButton();
            SaveChoices();
        }
        return noErr;
    case kCommandAdvanced:
        AppShowSheet(instance, "Advanced", HandleAdvancedSettingsCommand);
        return noErr;
    case kCommandFocusNearer:
        SetDoubleInfo(instance, kKeyFocusAdjust, -kFocusStep);
        SaveChoices();
        return noErr;
    case kCommandFocusFarther:
        SetDoubleInfo(instance, kKeyFocusAdjust, kFocusStep);
        SaveChoices();
        return noErr;
    case kCommandAbout:
        ShowAbout();
        return noErr;
    case kCommandUsage:
        if (!OpenUsage())
            ShowWindowNote(QStringLiteral("The README, which describes how to use Kestrix, was "
                                          "not found beside the program."));
        return noErr;
    case kCommandSnapshot:
        SaveSnapshot(instance);
        return noErr;
    default:
        if (command.attributes == kHICommandFromMenu && command.menu &&
            command.menu == globals->actionMenu) {
            globals->action = command.commandID;
            UpdateChooseButton();
            SaveChoices();
        }
        return eventNotHandledErr;
    }
}
