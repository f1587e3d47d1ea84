// Sheets: windows of the interface file shown modal to the scanner window,
// with a command handler of the opener's choosing; and the Advanced sheet,
// which edits the scanner settings.
#pragma once

#include "toolbox/events.h"

#include <string>

class QDialog;
struct AppSheet;

// The sheet's command handler; a null event asks it to fill its controls.
using AppSheetHandler = OSStatus (*)(const Event* event, AppSheet* sheet);

struct AppSheet {
    QDialog* sheetWindow = nullptr; // the sheet; freed with the record
    void* userData = nullptr;       // the opener's; the ScannerInstance for Advanced
    AppSheetHandler handler = nullptr;
    // Kept in the sheet record's layout; nothing reads it once the sheet is loaded.
    std::string windowName; // its name in the interface files
    EventTarget target;     // the sheet's commands arrive here
};

// Makes the sheet and installs the handler; null when the window cannot be
// loaded.
AppSheet* AppNewSheet(void* userData, const char* windowName, AppSheetHandler handler);
// Makes the sheet, lets the handler fill it and shows it modal to the
// scanner window; null (nothing shown) when it cannot be made.
AppSheet* AppShowSheet(void* userData, const char* windowName, AppSheetHandler handler);
// Hides and disposes of the sheet; the record is gone afterwards.
void AppHideSheet(AppSheet* sheet);
void AppDisposeSheet(AppSheet* sheet);

// Fills the Advanced sheet's controls from the settings (null event), writes
// them on OK ('ok  '), discards them on Cancel ('not!'); eventNotHandledErr
// for any other command.
OSStatus HandleAdvancedSettingsCommand(const Event* event, AppSheet* sheet);
