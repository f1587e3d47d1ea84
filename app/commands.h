// Commands: what a menu item, button or checkbox asks the window to do, sent
// as a command event ('cmds', 1) whose direct parameter is an HICommand.
#pragma once

#include "toolbox/events.h"

#include <cstdint>

constexpr OSType kEventClassCommand = "cmds"_4cc;
constexpr OSType kEventCommandProcess = 1;
constexpr OSType kEventClassWindow = "wind"_4cc;
constexpr OSType kEventWindowClose = 72;

constexpr std::uint32_t kHICommandFromMenu = 1; // attributes of a menu choice

// Command IDs of the scanner window and of the sheets.
constexpr OSType kCommandScan = "scan"_4cc;
constexpr OSType kCommandTarget = "targ"_4cc;
constexpr OSType kCommandVideoSettings = "vide"_4cc;
constexpr OSType kCommandChooseScript = "choo"_4cc;
constexpr OSType kCommandAdvanced = "adva"_4cc;
constexpr OSType kCommandFocusNearer = "focn"_4cc;
constexpr OSType kCommandFocusFarther = "focf"_4cc;
constexpr OSType kCommandSnapshot = "snap"_4cc;
constexpr OSType kCommandAbout = "abou"_4cc;
constexpr OSType kCommandUsage = "usag"_4cc;
constexpr OSType kCommandOK = "ok  "_4cc;
constexpr OSType kCommandCancel = "not!"_4cc;

struct HICommand {
    std::uint32_t attributes = 0; // kHICommandFromMenu for a menu choice
    OSType commandID = 0;         // what to do
    const void* menu = nullptr;   // the menu the choice came from, or null
};

// Sends the command to the target; the status of the handler that took it,
// or eventNotHandledErr.
OSStatus SendCommand(EventTarget* target, const HICommand& command);

// The command of a command event; all zero when it has none.
HICommand GetCommand(const Event& event);
