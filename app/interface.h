// The interface files: windows loaded from the program's resources with
// QUiLoader, their controls found by signature, their popups translated
// between item and code, and their buttons and menus sending commands.
#pragma once

#include "toolbox/events.h"
#include "toolbox/fourcc.h"

#include <QWidget>
#include <memory>

class QComboBox;

// Loads the window of that name (":/ui/NAME.ui"), null when the file is
// missing or broken. Popups get their item codes as item data.
std::unique_ptr<QWidget> LoadInterfaceWindow(const QString& name, QWidget* parent = nullptr);

// Makes every menu item, button, checkbox and popup of the window send its
// command to target. Menu items and popup choices carry kHICommandFromMenu
// and their menu; a popup's menu is reported as PopupMenuOf(popup).
void ConnectCommands(QWidget* window, EventTarget* target);

// The "menu" that a popup's choices name in their commands.
const void* PopupMenuOf(const QComboBox* popup);

// The control of that signature, or null (also when it is of another kind).
QWidget* FindControl(const QWidget* window, OSType signature);
template <class T>
OSStatus AppGetControl(const QWidget* window, OSType signature, T*& control) {
    control = dynamic_cast<T*>(FindControl(window, signature));
    return noErr;
}

// Selects the first item carrying the code, else the first item; paramErr
// for no popup.
OSStatus AppSetPopupMenuValue(QComboBox* popup, OSType code);
// The selected item's code; 0 for no popup or an item without one.
OSType AppGetPopupMenuValue(const QComboBox* popup);
