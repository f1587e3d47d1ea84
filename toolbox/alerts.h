// Standard alerts. Showing one needs a window, so the desktop program
// installs the presenter; without one an alert shows nothing.
#pragma once

#include "toolbox/fourcc.h"

#include <cstdint>
#include <string>

constexpr std::int16_t kAlertStopAlert = 0;
constexpr std::int16_t kAlertCautionAlert = 2;

// Shows an alert of the type with the localised message and explanation and
// returns when the user has dismissed it.
using AlertPresenter = void (*)(std::int16_t alertType, const std::string& message,
                                const std::string& explanation);
void AppSetAlertPresenter(AlertPresenter presenter);

// Localises both keys (a null key gives no text) and shows the alert.
// Returns noErr whatever happens.
OSStatus AppStandardAlert(std::int16_t alertType, const char* messageKey,
                          const char* explanationKey);
