// Typing back ends. libxdo looks each character up in the keyboard map that
// is current when it connects, so a connection is made per read: a layout
// changed in the meantime (AZERTY digits need Shift, QWERTZ swaps Y and Z)
// is typed right. A character that has no key on the layout is bound to a
// spare key (one without symbols) before the code is typed, and stays bound
// while Kestrix runs: the focused program looks the key up in the map that
// is current when it takes in the change, which under load can be long
// after the key was pressed. (libxdo's own binding is undone right after
// each keystroke; a busy program then saw a key without a character, and
// "Grüße" arrived as "Gre".)
#include "app/typing.h"

#include "app/uinput_keyboard.h"
#include "toolbox/owned.h"
#include "toolbox/utf8.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

extern "C" {
#include <xdo.h>
}

namespace {

constexpr useconds_t kKeyDelayMicroseconds = 2000; // between keystrokes
constexpr std::size_t kMaxQueuedCodes = 4;
// How long the bound keys stay after the last code typed when they are given
// back at the end, for the focused program to take that code in.
constexpr auto kBindingHold = std::chrono::seconds(1);

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

// The spare keys Kestrix has bound to characters that the layout has no key
// for, the oldest binding first.
struct BoundKeys {
    struct Key {
        KeyCode code;
        KeySym symbol;
    };
    std::vector<Key> keys;
    std::chrono::steady_clock::time_point lastTyped; // the last code typed

    // Binds each symbol to a key without symbols, or else to the oldest of
    // those bound before (a symbol left without a key is then bound by
    // libxdo for each keystroke).
    void Bind(Display* display, const std::vector<KeySym>& symbols) {
        int low = 0, high = 0, perKey = 0;
        XDisplayKeycodes(display, &low, &high);
        KeySym* map = XGetKeyboardMapping(display, KeyCode(low), high - low + 1, &perKey);
        if (!map) return;
        auto unused = [&](int code) {
            for (int k = 0; k < perKey; ++k)
                if (map[(code - low) * perKey + k] != NoSymbol) return false;
            return std::none_of(keys.begin(), keys.end(),
                                [&](const Key& key) { return key.code == code; });
        };
        std::size_t thisCode = 0; // the keys bound for this code, last in keys
        for (const KeySym wanted : symbols) {
            int code = high;
            while (code >= low && !unused(code)) --code;
            // Reused, a key bound for an earlier code; never one of this code's.
            if (code < low && keys.size() > thisCode) code = keys.front().code;
            if (code < low) continue;
            std::erase_if(keys, [&](const Key& key) { return key.code == code; });
            KeySym symbol = wanted;
            XChangeKeyboardMapping(display, code, 1, &symbol, 1);
            keys.push_back({KeyCode(code), symbol});
            ++thisCode;
        }
        XFree(map);
        XSync(display, False);
    }

    // Gives the keys back, those a layout change has not already taken.
    void Release(const std::string& displayName) {
        if (keys.empty()) return;
        std::this_thread::sleep_until(lastTyped + kBindingHold);
        XdoPtr xdo(xdo_new(displayName.c_str()));
        if (!xdo) return;
        for (const Key& key : keys) {
            int perKey = 0;
            KeySym* now = XGetKeyboardMapping(xdo->xdpy, key.code, 1, &perKey);
            KeySym none = NoSymbol;
            if (now && perKey > 0 && now[0] == key.symbol)
                XChangeKeyboardMapping(xdo->xdpy, key.code, 1, &none, 1);
            if (now) XFree(now);
        }
        XSync(xdo->xdpy, False);
        keys.clear();
    }
};

void TypeOnX11(const std::string& display, const std::string& printable, const char* key,
               BoundKeys& bound) {
    XdoPtr xdo(xdo_new(display.c_str()));
    if (!xdo) return;
    std::vector<KeySym> missing;
    for (std::size_t i = 0; i < printable.size();) {
        const KeySym symbol = KeysymOf(NextCodePoint(printable, i));
        if (XKeysymToKeycode(xdo->xdpy, symbol) == 0 &&
            std::ranges::find(missing, symbol) == missing.end())
            missing.push_back(symbol);
    }
    if (!missing.empty()) {
        bound.Bind(xdo->xdpy, missing);
        xdo.reset(xdo_new(display.c_str())); // libxdo reads the map as it connects
        if (!xdo) return;
    }
    if (!printable.empty())
        xdo_enter_text_window(xdo.get(), CURRENTWINDOW, printable.c_str(), kKeyDelayMicroseconds);
    if (key) xdo_send_keysequence_window(xdo.get(), CURRENTWINDOW, key, kKeyDelayMicroseconds);
    bound.lastTyped = std::chrono::steady_clock::now();
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
            if (codes.empty()) break; // closing, and all typed
            Code code = std::move(codes.front());
            codes.pop_front();
            lock.unlock();
            TypeOnX11(display, code.printable, code.key, bound);
            lock.lock();
        }
        lock.unlock();
        bound.Release(display);
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Code> codes;
    bool closing = false;
    BoundKeys bound;    // the worker's alone
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
