// The uinput keyboard: one key table for printable ASCII on a US layout.
#include "app/uinput_keyboard.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

struct Key {
    unsigned short code = 0; // KEY_*; 0 for a character without a key
    bool shift = false;
};

constexpr std::array<Key, 128> usKeys = [] {
    std::array<Key, 128> keys{};
    constexpr char row1[] = "1234567890";
    constexpr unsigned short row1Codes[] = {KEY_1, KEY_2, KEY_3, KEY_4, KEY_5,
                                            KEY_6, KEY_7, KEY_8, KEY_9, KEY_0};
    constexpr char row1Shifted[] = "!@#$%^&*()";
    for (int i = 0; i < 10; ++i) {
        keys[std::size_t(row1[i])] = {row1Codes[i], false};
        keys[std::size_t(row1Shifted[i])] = {row1Codes[i], true};
    }
    constexpr unsigned short letterCodes[] = {
        KEY_A, KEY_B, KEY_C, KEY_D, KEY_E, KEY_F, KEY_G, KEY_H, KEY_I, KEY_J, KEY_K, KEY_L, KEY_M,
        KEY_N, KEY_O, KEY_P, KEY_Q, KEY_R, KEY_S, KEY_T, KEY_U, KEY_V, KEY_W, KEY_X, KEY_Y, KEY_Z};
    for (int i = 0; i < 26; ++i) {
        keys[std::size_t('a' + i)] = {letterCodes[i], false};
        keys[std::size_t('A' + i)] = {letterCodes[i], true};
    }
    constexpr struct {
        char plain, shifted;
        unsigned short code;
    } punctuation[] = {
        {'-', '_', KEY_MINUS},      {'=', '+', KEY_EQUAL},      {'[', '{', KEY_LEFTBRACE},
        {']', '}', KEY_RIGHTBRACE}, {';', ':', KEY_SEMICOLON},  {'\'', '"', KEY_APOSTROPHE},
        {'`', '~', KEY_GRAVE},      {'\\', '|', KEY_BACKSLASH}, {',', '<', KEY_COMMA},
        {'.', '>', KEY_DOT},        {'/', '?', KEY_SLASH}};
    for (const auto& p : punctuation) {
        keys[std::size_t(p.plain)] = {p.code, false};
        keys[std::size_t(p.shifted)] = {p.code, true};
    }
    keys[' '] = {KEY_SPACE, false};
    return keys;
}();

bool Emit(int fd, unsigned short type, unsigned short code, int value) {
    input_event event{};
    event.type = type;
    event.code = code;
    event.value = value;
    return write(fd, &event, sizeof event) == ssize_t(sizeof event);
}

bool Press(int fd, Key key) {
    bool ok = true;
    if (key.shift) ok &= Emit(fd, EV_KEY, KEY_LEFTSHIFT, 1);
    ok &= Emit(fd, EV_KEY, key.code, 1) && Emit(fd, EV_SYN, SYN_REPORT, 0);
    ok &= Emit(fd, EV_KEY, key.code, 0);
    if (key.shift) ok &= Emit(fd, EV_KEY, KEY_LEFTSHIFT, 0);
    return ok && Emit(fd, EV_SYN, SYN_REPORT, 0);
}

} // namespace

int OpenUInputKeyboard(std::string& trouble) {
    int fd = open("/dev/uinput", O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        trouble = std::string("/dev/uinput cannot be opened (") + std::strerror(errno) + ")";
        return -1;
    }
    bool ok = ioctl(fd, UI_SET_EVBIT, EV_KEY) == 0;
    for (const Key& key : usKeys)
        if (key.code) ok &= ioctl(fd, UI_SET_KEYBIT, key.code) == 0;
    for (int code : {KEY_LEFTSHIFT, KEY_ENTER, KEY_TAB, KEY_KPENTER})
        ok &= ioctl(fd, UI_SET_KEYBIT, code) == 0;
    uinput_setup setup{};
    setup.id.bustype = BUS_VIRTUAL;
    std::strncpy(setup.name, "Kestrix barcode keyboard", UINPUT_MAX_NAME_SIZE - 1);
    ok = ok && ioctl(fd, UI_DEV_SETUP, &setup) == 0 && ioctl(fd, UI_DEV_CREATE) == 0;
    if (!ok) {
        trouble =
            std::string("/dev/uinput refused a virtual keyboard (") + std::strerror(errno) + ")";
        close(fd);
        return -1;
    }
    return fd;
}

void CloseUInputKeyboard(int fd) {
    ioctl(fd, UI_DEV_DESTROY);
    close(fd);
}

bool TypeOnUInputKeyboard(int fd, std::string_view text, OSType endKey) {
    bool ok = true;
    for (unsigned char c : text)
        if (c < usKeys.size() && usKeys[c].code) ok &= Press(fd, usKeys[c]);
    if (endKey) {
        unsigned short code = endKey == "ctab"_4cc   ? KEY_TAB
                              : endKey == "cent"_4cc ? KEY_KPENTER
                                                     : KEY_ENTER;
        ok &= Press(fd, {code, false});
    }
    return ok;
}
