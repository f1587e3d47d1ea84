// Standard alerts through the presenter that the desktop program installs.
#include "toolbox/alerts.h"

#include "toolbox/resources.h"

namespace {

AlertPresenter presenter = nullptr;

} // namespace

void AppSetAlertPresenter(AlertPresenter p) {
    presenter = p;
}

OSStatus AppStandardAlert(std::int16_t alertType, const char* messageKey,
                          const char* explanationKey) {
    const std::string message = messageKey ? AppLocStr(messageKey) : std::string();
    const std::string explanation = explanationKey ? AppLocStr(explanationKey) : std::string();
    if (presenter) presenter(alertType, message, explanation);
    return noErr;
}
