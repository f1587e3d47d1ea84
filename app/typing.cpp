// Typing back ends. libxdo looks each character up in the keyboard map that
// is current when it connects, so a connection is made per read: a layout
// changed in the meantime (AZERTY digits need Shift, QWERTZ swaps Y and Z)
// is typed right.
#include "app/typing.h"

#include "app/uinput_keyboard.h"

#include <cstdlib>
#include <iostream>
#include <memory>
#include <unistd.h>

extern "C" {
#include <xdo.h>
}

namespace {

constexpr useconds_t kKeyDelayMicroseconds = 2000; // between keystrokes

struct XdoDeleter {
    void operator()(xdo_t* xdo) const { xdo_free(xdo); }
};
using XdoPtr = std::unique_ptr<xdo_t, XdoDeleter>;

XdoPtr Connect(const Typing& typing) {
    return XdoPtr(xdo_new(typing.display.c_str()));
}

const char* KeyName(OSType endKey) {
    switch (endKey) {
    case 0:
        return nullptr;
    case "ctab"_4cc:
        return "Tab";
    case "cent"_4cc:
        return "KP_Enter";
    default:
        return "Return";
    }
}

// Chooses the back end. In a Wayland session XTest reaches only the X11 programs on Xwayland,
// while the uinput keyboard types into every window: it comes first.
void OpenBackEnd(Typing& typing) {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const bool waylandSession = wayland && *wayland;
    std::string uinputTrouble;
    auto openUInput = [&] {
        typing.uinputFd = OpenUInputKeyboard(uinputTrouble);
        if (typing.uinputFd < 0) return false;
        typing.backEnd = TypingBackEnd::kUInput;
        typing.path = "types codes through a virtual keyboard on /dev/uinput (US key positions)";
        return true;
    };
    const char* display = std::getenv("DISPLAY");
    if (waylandSession && openUInput()) return;
    if (display && *display) {
        typing.display = display;
        if (Connect(typing)) {
            typing.backEnd = TypingBackEnd::kX11;
            typing.path = std::string("types codes through XTest on the X display ") + display;
            if (waylandSession)
                typing.path += ", which reaches X11 programs only: " + uinputTrouble;
            return;
        }
    }
    if (!waylandSession && openUInput()) return;
    const std::string noX = display && *display
                                ? std::string("the X display ") + display + " cannot be reached"
                                : std::string("there is no X display");
    typing.path = "cannot type codes here: " + noX + ", and " + uinputTrouble;
    typing.unavailableReason =
        "Kestrix " + typing.path +
        ". Choose \"Copy it to the clipboard\", or let your session open /dev/uinput with the "
        "udev rule that comes with Kestrix (man kestrix).";
}

} // namespace

void OpenTyping(Typing& typing) {
    CloseTyping(typing);
    OpenBackEnd(typing);
    std::cerr << "kestrix: " << typing.path << "\n";
}

void CloseTyping(Typing& typing) {
    if (typing.uinputFd >= 0) CloseUInputKeyboard(typing.uinputFd);
    typing = Typing{};
}

std::string PrintableText(std::string_view bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        if (c < 0x20 || (c >= 0x7F && c < 0xA0)) continue; // C0, DEL, C1
        if (c < 0x80) {
            text += char(c);
        } else {
            text += char(0xC0 | (c >> 6));
            text += char(0x80 | (c & 0x3F));
        }
    }
    return text;
}

unsigned long FocusedWindow(const Typing& typing) {
    if (typing.backEnd != TypingBackEnd::kX11) return 0;
    XdoPtr xdo = Connect(typing);
    Window window = 0;
    if (!xdo || xdo_get_focused_window(xdo.get(), &window) != XDO_SUCCESS) return 0;
    return window;
}

bool TypeText(const Typing& typing, std::string_view code, OSType endKey) {
    const std::string printable = PrintableText(code);
    const char* key = KeyName(endKey);
    switch (typing.backEnd) {
    case TypingBackEnd::kX11: {
        XdoPtr xdo = Connect(typing);
        if (!xdo) return false;
        if (!printable.empty())
            xdo_enter_text_window(xdo.get(), CURRENTWINDOW, printable.c_str(),
                                  kKeyDelayMicroseconds);
        if (key) xdo_send_keysequence_window(xdo.get(), CURRENTWINDOW, key, kKeyDelayMicroseconds);
        return true;
    }
    case TypingBackEnd::kUInput:
        return TypeOnUInputKeyboard(typing.uinputFd, printable, endKey);
    case TypingBackEnd::kNone:
        return false;
    }
    return false;
}
