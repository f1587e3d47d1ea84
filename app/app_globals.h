// The application's globals: the scanner window, its controls, the scanner
// instance and the chosen delivery action and script. Made once at start-up
// and reached through `globals`.
#pragma once

#include "app/history_panel.h"
#include "app/history_settings.h"
#include "app/typing.h"
#include "toolbox/events.h"
#include "toolbox/fourcc.h"
#include "toolbox/rect.h"

#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <sys/types.h>

class QCheckBox;
class QComboBox;
class QLabel;
class QMainWindow;
class QPushButton;
struct ScannerInstance;
struct ScannerView;
class ScriptRunner;

// Delivery actions.
constexpr OSType kActionNone = 0;
constexpr OSType kActionSend = "send"_4cc;
constexpr OSType kActionClipboard = "clip"_4cc;
constexpr OSType kActionScript = "scpt"_4cc;

struct AppGlobals {
    // First field of the globals record; the frontmost test asks for keyboard focus instead.
    pid_t selfProcess = 0;                 // this process
    std::unique_ptr<QMainWindow> window;   // the scanner window
    EventTarget windowTarget;              // the scanner window's handlers
    Rect windowBounds{32, 16, 0, 0};       // outer bounds, screen; top-left is the position
    ScannerInstance* instance = nullptr;   // shown in the window; owned
    ScannerView* viewControl = nullptr;    // 'view'
    QCheckBox* targetCheckbox = nullptr;   // 'targ'
    QCheckBox* scanCheckbox = nullptr;     // 'scan'
    QLabel* codeText = nullptr;            // 'text': the last code
    QLabel* symbologyText = nullptr;       // 'symb': its symbology's name
    QComboBox* actionPopup = nullptr;      // 'acti'
    QPushButton* chooseButton = nullptr;   // 'choo'
    QLabel* scriptName = nullptr;          // 'scnm': the chosen script's file name
    const void* actionMenu = nullptr;      // the popup's menu, as commands name it
    QLabel* noteText = nullptr;            // 'note': what the user should know once
    OSType action = kActionNone;           // 'send', 'clip', 'scpt' or none
    std::string scriptPath;                // the chosen script, absolute; empty for none
    Typing typing;                         // the typing back end
    std::unique_ptr<ScriptRunner> scripts; // the script being run, if any
    bool typingNoteShown = false;          // "typing unavailable" said
    std::string scriptNoteShownFor;        // script path whose trouble was said
    bool videoSource = false;              // --source: no camera, no camera settings
    std::string captureTroubleSaid;        // the capture layer's last message said
    bool settingsWereReset = false;        // a damaged preferences file was set aside
    bool saveNoteShown = false;            // "settings cannot be saved" said
    QString snapshotNote;                  // what the last snapshot said, if anything
    std::string scriptKillNoteShownFor;    // script path whose run killed for its time was said
    HistorySettings history;               // keeping, the repeat time, the panel shown
    HistoryPanelPtr historyPanel;          // the list of reads beside the video
};

extern AppGlobals* globals;

// Shows a message under the video (once per cause; the callers keep track).
void ShowWindowNote(const QString& text);
