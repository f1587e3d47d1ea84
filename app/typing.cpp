// Typing back ends. libxdo looks each character up in the keyboard map that
// is current when it connects, so a connection is made per read: a layout
// changed in the meantime (AZERTY digits need Shift, QWERTZ swaps Y and Z)
// is typed right. A character that has no key on the layout is typed by
// binding it to a spare key for the moment, and the focused program must
// see that change of the keyboard map before the key: such characters are
// typed slowly, the others fast.
#include "app/typing.h"

#include "app/uinput_keyboard.h"
#include "toolbox/owned.h"
#include "toolbox/utf8.h"

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>

extern "C" {
#include <xdo.h>
}

namespace {

constexpr useconds_t kKeyDelayMicroseconds = 2000; // between keystrokes
// Around a character that has no key on the layout: time for the focused
// program to take in the keyboard map changed for it and back.
constexpr useconds_t kRemappedKeyDelayMicroseconds = 100'000;
constexpr std::size_t kMaxQueuedCodes = 4;

using XdoPtr = Owned<xdo_t, xdo_free>;

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

char32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = Utf8SequenceLength(text, i);
    if (length <= 1) { // ASCII, or a byte that starts no character: taken alone
        ++i;
        return lead;
    }
    char32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k)
        code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += length;
    return code;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The X keysym of a character, as libxdo looks it up.
KeySym KeysymOf(char32_t c) {
    return c < 0x100 ? KeySym(c) : KeySym(0x01000000 | c);
}

// Types the text in runs of characters that the layout has a key for
// (fast) and of those it has none for (slowly).
void EnterText(xdo_t* xdo, const std::string& text) {
    std::string run;
    bool runOnLayout = true;
    auto flush = [&] {
        if (run.empty()) return;
        xdo_enter_text_window(xdo, CURRENTWINDOW, run.c_str(),
                              runOnLayout ? kKeyDelayMicroseconds : kRemappedKeyDelayMicroseconds);
        run.clear();
    };
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = NextCodePoint(text, i);
        const bool onLayout = XKeysymToKeycode(xdo->xdpy, KeysymOf(c)) != 0;
        if (onLayout != runOnLayout) flush();
        runOnLayout = onLayout;
        AppendUtf8(run, c);
    }
    flush();
}

void TypeOnX11(const std::string& display, const std::string& printable, const char* key) {
    XdoPtr xdo(xdo_new(display.c_str()));
    if (!xdo) return;
    if (!printable.empty()) EnterText(xdo.get(), printable);
    if (key) xdo_send_keysequence_window(xdo.get(), CURRENTWINDOW, key, kKeyDelayMicroseconds);
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

struct TypingQueue {
    struct Code {
        std::string printable;
        const char* key;
    };
    explicit TypingQueue(std::string display) : worker([this, display] { Work(display); }) {}
    ~TypingQueue() {
        {
            std::lock_guard lock(mutex);
            closing = true;
        }
        changed.notify_one();
        worker.join();
    }
    void Push(Code code) {
        {
            std::lock_guard lock(mutex);
            if (codes.size() >= kMaxQueuedCodes) codes.pop_front();
            codes.push_back(std::move(code));
        }
        changed.notify_one();
    }
    void Work(const std::string& display) {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return closing || !codes.empty(); });
            if (codes.empty()) return; // closing, and all typed
            Code code = std::move(codes.front());
            codes.pop_front();
            lock.unlock();
            TypeOnX11(display, code.printable, code.key);
            lock.lock();
        }
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Code> codes;
    bool closing = false;
    std::thread worker; // last: it starts once the rest is made
};

void OpenTyping(Typing& typing) {
    CloseTyping(typing);
    OpenBackEnd(typing);
    if (typing.backEnd == TypingBackEnd::kX11)
        typing.queue = std::make_shared<TypingQueue>(typing.display);
    std::cerr << "kestrix: " << typing.path << "\n";
}

void CloseTyping(Typing& typing) {
    if (typing.uinputFd >= 0) CloseUInputKeyboard(typing.uinputFd);
    typing = Typing{};
}

std::string PrintableText(std::string_view bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size();) {
        const char32_t c = NextCodePoint(bytes, i);
        if (c < 0x20 || (c >= 0x7F && c < 0xA0)) continue; // C0, DEL, C1
        AppendUtf8(text, c);
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
    case TypingBackEnd::kX11:
        if (!typing.queue) return false;
        typing.queue->Push({printable, key});
        return true;
    case TypingBackEnd::kUInput:
        return TypeOnUInputKeyboard(typing.uinputFd, printable, endKey);
    case TypingBackEnd::kNone:
        return false;
    }
    return false;
}
