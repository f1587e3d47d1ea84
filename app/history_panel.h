// The scan history in the scanner window: a list beside the video of every
// read with its time, symbology, text and delivery (View > History shows
// and hides it); copying, delivering again and deleting rows; clearing;
// File > Export History as CSV; the last reads kept across restarts; and
// the repeat rule that keeps a code read again too soon from being
// delivered twice.
#pragma once

#include "toolbox/events.h"
#include "toolbox/owned.h"
#include "toolbox/scan_history.h"

#include <memory>
#include <string_view>

class QMainWindow;
struct HistoryPanel;

// Commands of the history.
constexpr OSType kCommandExportHistory = "hexp"_4cc;
constexpr OSType kCommandCopyReads = "hcpy"_4cc;
constexpr OSType kCommandDeliverAgain = "hagn"_4cc;
constexpr OSType kCommandDeleteReads = "hdel"_4cc;
constexpr OSType kCommandSelectAllReads = "hsel"_4cc;
constexpr OSType kCommandClearHistory = "hclr"_4cc;
constexpr OSType kCommandKeepHistory = "hkep"_4cc;

// Adds the history to the window, after its own controls and commands:
// the panel and its menu items, the kept reads (a damaged file is kept
// aside and said in the window), the command handler on target.
void OpenHistory(QMainWindow* window, EventTarget* target);
// Writes what is not yet written and waits for it; before the preferences
// are saved.
void CloseHistory();

// True when the code was taken less than the chosen time ago: it is then
// recorded as a repeat and not delivered.
bool HistoryIsRepeat(std::string_view text);
// Adds a read at the top of the list (and to the kept reads).
void HistoryRecord(OSType symbology, std::string_view name, std::string_view text,
                   HistoryDelivery delivery);

// The history's commands; eventNotHandledErr for any other.
OSStatus HandleHistoryCommand(EventTarget& target, Event& event);

// Writes every row, oldest first, as CSV to path; noErr or ioErr.
OSStatus ExportHistory(const std::string& path);

// The panel's state, owned by the globals.
void DeleteHistoryPanel(HistoryPanel* panel);
using HistoryPanelPtr = Owned<HistoryPanel, DeleteHistoryPanel>;
