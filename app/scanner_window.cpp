// Commands of the scanner window, in the order they are matched.
#include "app/scanner_window.h"

#include "app/advanced_sheet.h"
#include "app/app_globals.h"
#include "app/commands.h"
#include "engine/scanner_instance.h"
#include "toolbox/resources.h"
#include "video/video.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QMainWindow>
#include <QPushButton>

namespace {

constexpr double kFocusStep = 0.025; // one Focus Nearer / Farther step

} // namespace

OSStatus HandleScannerWindowClose(EventTarget&, Event&) {
    QCoreApplication::quit();
    return noErr;
}

void UpdateChooseButton() {
    if (globals->chooseButton) globals->chooseButton->setVisible(globals->action == kActionScript);
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
        return noErr;
    case kCommandVideoSettings:
        VideoSettingsDialog(instance);
        return noErr;
    case kCommandChooseScript:
        AppChooseFileWithMessage(globals->scriptPath, "CHOOSE_SCRIPT");
        return noErr;
    case kCommandAdvanced:
        AppShowSheet(instance, "Advanced", HandleAdvancedSettingsCommand);
        return noErr;
    case kCommandFocusNearer:
        SetDoubleInfo(instance, kKeyFocusAdjust, -kFocusStep);
        return noErr;
    case kCommandFocusFarther:
        SetDoubleInfo(instance, kKeyFocusAdjust, kFocusStep);
        return noErr;
    case kCommandSnapshot:
        if (OSStatus status = VideoExportFrame(instance); status != noErr)
            ShowWindowNote(status == fnfErr ? QStringLiteral("The snapshot was not saved: there is "
                                                             "no Desktop folder.")
                                            : QStringLiteral("The snapshot was not saved "
                                                             "(error %1).")
                                                  .arg(status));
        return noErr;
    default:
        if (command.attributes == kHICommandFromMenu && command.menu &&
            command.menu == globals->actionMenu) {
            globals->action = command.commandID;
            UpdateChooseButton();
        }
        return eventNotHandledErr;
    }
}
