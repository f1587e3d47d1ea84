// The application's globals record, and the note under the video that every
// part of the window writes to.
#include "app/app_globals.h"

#include <QLabel>

AppGlobals* globals = nullptr;

void ShowWindowNote(const QString& text) {
    if (!globals || !globals->noteText) return;
    globals->noteText->setText(text);
    globals->noteText->setVisible(!text.isEmpty());
}
