// The sheet mechanism and the Advanced sheet. Its controls are filled and
// written in one order, that of advancedControls; the focus distance shows in
// hundredths, truncated toward zero.
#include "app/advanced_sheet.h"

#include "app/preferences.h"

#include "app/app_globals.h"
#include "app/commands.h"
#include "app/interface.h"
#include "engine/scanner_instance.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QMainWindow>
#include <QSlider>
#include <array>
#include <cstdint>
#include <memory>

namespace {

enum class ControlKind { kCheckbox, kHundredthsSlider, kPopup };

struct AdvancedControl {
    OSType key; // the control's signature and the setting it edits
    ControlKind kind;
};

constexpr std::array advancedControls = {
    AdvancedControl{kKeyManualFocus, ControlKind::kCheckbox}, // before 'focd'
    AdvancedControl{kKeyFocusDistance, ControlKind::kHundredthsSlider},
    AdvancedControl{kKeyShowTarget, ControlKind::kCheckbox},
    AdvancedControl{kKeyUPCA, ControlKind::kCheckbox},
    AdvancedControl{kKeyUPCE, ControlKind::kCheckbox},
    AdvancedControl{kKeyEAN8, ControlKind::kCheckbox},
    AdvancedControl{kKeyEAN13, ControlKind::kCheckbox},
    AdvancedControl{kKeyCodabar, ControlKind::kCheckbox},
    AdvancedControl{kKeyCode39, ControlKind::kCheckbox},
    AdvancedControl{kKeyCode128, ControlKind::kCheckbox},
    AdvancedControl{kKeyInt2of5, ControlKind::kCheckbox},
    AdvancedControl{kKeySupplement, ControlKind::kPopup},
    AdvancedControl{kKeyAppendKey, ControlKind::kCheckbox},
    AdvancedControl{kKeyAppendKeyCode, ControlKind::kPopup},
    AdvancedControl{kKeyBeep, ControlKind::kCheckbox},
    AdvancedControl{kKeyTryHarder, ControlKind::kCheckbox},
    AdvancedControl{kKeyCode32, ControlKind::kCheckbox},
};

void FillControl(QWidget* window, const AdvancedControl& c, const ScannerInstance* instance) {
    QWidget* control = FindControl(window, c.key);
    switch (c.kind) {
    case ControlKind::kCheckbox:
        if (auto* box = qobject_cast<QCheckBox*>(control))
            box->setChecked(GetBooleanInfo(instance, c.key) != 0);
        break;
    case ControlKind::kHundredthsSlider:
        if (auto* slider = qobject_cast<QSlider*>(control))
            slider->setValue(std::int16_t(GetDoubleInfo(instance, c.key) * 100.0));
        break;
    case ControlKind::kPopup:
        AppSetPopupMenuValue(qobject_cast<QComboBox*>(control), GetOSTypeInfo(instance, c.key));
        break;
    }
}

void WriteSetting(const QWidget* window, const AdvancedControl& c, ScannerInstance* instance) {
    QWidget* control = FindControl(window, c.key);
    switch (c.kind) {
    case ControlKind::kCheckbox:
        if (auto* box = qobject_cast<QCheckBox*>(control))
            SetBooleanInfo(instance, c.key, box->isChecked() ? 1 : 0);
        break;
    case ControlKind::kHundredthsSlider:
        if (auto* slider = qobject_cast<QSlider*>(control))
            SetDoubleInfo(instance, c.key, slider->value() * 0.01);
        break;
    case ControlKind::kPopup:
        if (auto* popup = qobject_cast<QComboBox*>(control))
            SetOSTypeInfo(instance, c.key, AppGetPopupMenuValue(popup));
        break;
    }
}

} // namespace

AppSheet* AppNewSheet(void* userData, const char* windowName, AppSheetHandler handler) {
    std::unique_ptr<QWidget> loaded = LoadInterfaceWindow(windowName, globals->window.get());
    auto* dialog = qobject_cast<QDialog*>(loaded.get());
    if (!dialog) return nullptr;
    loaded.release();

    auto* sheet = new AppSheet{dialog, userData, handler, windowName, {}};
    const EventTypeSpec commandEvent{kEventClassCommand, kEventCommandProcess};
    InstallEventHandler(
        sheet->target, std::span(&commandEvent, 1),
        [sheet](EventTarget&, Event& event) { return sheet->handler(&event, sheet); });
    ConnectCommands(dialog, &sheet->target);
    // Escape and the close box cancel, as the Cancel button does.
    QObject::connect(dialog, &QDialog::rejected, dialog, [sheet] {
        SendCommand(&sheet->target, HICommand{0, kCommandCancel, nullptr});
    });
    return sheet;
}

AppSheet* AppShowSheet(void* userData, const char* windowName, AppSheetHandler handler) {
    AppSheet* sheet = AppNewSheet(userData, windowName, handler);
    if (!sheet) return nullptr;
    sheet->handler(nullptr, sheet);
    sheet->sheetWindow->setWindowModality(Qt::WindowModal);
    sheet->sheetWindow->show();
    return sheet;
}

void AppHideSheet(AppSheet* sheet) {
    sheet->sheetWindow->hide();
    AppDisposeSheet(sheet);
}

void AppDisposeSheet(AppSheet* sheet) {
    // The sheet may be inside one of its own signals: let Qt free it after.
    sheet->sheetWindow->disconnect();
    sheet->sheetWindow->setObjectName(QString()); // no longer found as the open sheet
    sheet->sheetWindow->deleteLater();
    delete sheet;
}

OSStatus HandleAdvancedSettingsCommand(const Event* event, AppSheet* sheet) {
    auto* instance = static_cast<ScannerInstance*>(sheet->userData);
    QWidget* window = sheet->sheetWindow;
    if (!event) {
        for (const AdvancedControl& c : advancedControls) FillControl(window, c, instance);
        return noErr;
    }
    switch (GetCommand(*event).commandID) {
    case kCommandOK:
        for (const AdvancedControl& c : advancedControls) WriteSetting(window, c, instance);
        if (globals->scanCheckbox)
            globals->scanCheckbox->setChecked(GetBooleanInfo(instance, kKeyScan) != 0);
        if (globals->targetCheckbox)
            globals->targetCheckbox->setChecked(GetBooleanInfo(instance, kKeyShowTarget) != 0);
        AppHideSheet(sheet);
        SaveChoices();
        return noErr;
    case kCommandCancel:
        AppHideSheet(sheet);
        return noErr;
    default:
        return eventNotHandledErr;
    }
}
