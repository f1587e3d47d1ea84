// A virtual keyboard on /dev/uinput for sessions without an X display. It
// sends the keys of a US layout, so it types ASCII only.
#pragma once

#include "toolbox/fourcc.h"

#include <string>
#include <string_view>

// The device's descriptor, or -1 with the reason in trouble.
int OpenUInputKeyboard(std::string& trouble);
void CloseUInputKeyboard(int fd);

// Types the ASCII characters of text (others are skipped), then the end key.
bool TypeOnUInputKeyboard(int fd, std::string_view text, OSType endKey);
