// Typing a read into the focused window: XTest through libxdo on X11, a
// virtual keyboard on /dev/uinput where there is no X display, else nothing
// (with the reason, for the window to show once).
#pragma once

#include "toolbox/fourcc.h"

#include <memory>
#include <string>
#include <string_view>

enum class TypingBackEnd { kNone, kX11, kUInput };

struct TypingQueue;

struct Typing {
    TypingBackEnd backEnd = TypingBackEnd::kNone;
    std::string display;           // the X display typed on
    int uinputFd = -1;             // the virtual keyboard, or -1
    std::string unavailableReason; // why nothing can be typed, when backEnd is None
    std::string path;              // for the user: how codes are typed, or why they cannot be
    // X11: the codes still to type, typed in order on a thread of their own,
    // so that neither the video nor the focused program waits.
    std::shared_ptr<TypingQueue> queue;
};

// Chooses and opens the back end and says which on standard error; call
// before the window shows.
void OpenTyping(Typing& typing);
// Types what is still queued, then closes the back end.
void CloseTyping(Typing& typing);

// The text that a barcode may type: its printable characters as UTF-8 (a
// byte that begins no UTF-8 character taken as Latin-1), without C0 and C1
// controls and DEL, so that no code can press Return, Tab or a shortcut in
// its middle.
std::string PrintableText(std::string_view bytes);

// The X window that has the keyboard focus, 0 when none or not on X11.
unsigned long FocusedWindow(const Typing& typing);

// Types the printable characters of the code's bytes into the focused
// window, then the end-of-entry key 'cret', 'ctab' or 'cent' (0 for none).
// On X11 the code is queued and typed in the background; a few codes at
// most wait, the oldest giving way. False when nothing can be typed.
bool TypeText(const Typing& typing, std::string_view code, OSType endKey);
