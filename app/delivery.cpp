// The three delivery actions. Each runs on the main thread inside the frame
// that accepted the read; none waits for anything slow (the script runs in
// the background).
#include "app/delivery.h"

#include "app/app_globals.h"
#include "app/scanner_view.h"
#include "app/script_runner.h"
#include "engine/scan_event.h"
#include "engine/scanner_instance.h"
#include "engine/symbology.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMainWindow>

namespace {

// A read's text is UTF-8, from the decoder on.
QString Utf8(const Str255& text) {
    return QString::fromUtf8(text.View().data(), qsizetype(text.Length()));
}

bool IsKestrixWindow(const QWidget* widget) {
    if (!globals || !globals->window) return false;
    for (; widget; widget = widget->parentWidget())
        if (widget == globals->window.get()) return true;
    return false;
}

} // namespace

bool KestrixHasFocus() {
    if (IsKestrixWindow(QApplication::activeWindow())) return true;
    unsigned long focused = FocusedWindow(globals->typing);
    if (!focused) return false;
    const QWidget* owner = QWidget::find(WId(focused));
    return owner && IsKestrixWindow(owner->window());
}

OSStatus HandleScan(EventTarget&, Event& event) {
    const auto [code, symbology] = GetScanEventParameters(event);
    const Str255 name = GetSymbologyName(symbology);

    // The window shows what was read, control characters as they are
    // (a plain-text label prints them harmlessly).
    if (globals->codeText) globals->codeText->setText(Utf8(code));
    if (globals->symbologyText) globals->symbologyText->setText(Utf8(name));

    // A code taken moments ago is shown and recorded, not delivered twice.
    const bool repeat = HistoryIsRepeat(code.View());
    HistoryRecord(symbology, name.View(), code.View(),
                  repeat ? HistoryDelivery::kRepeat : DeliverRead(code, name));
    return noErr;
}

HistoryDelivery DeliverRead(const Str255& code, const Str255& name) {
    switch (globals->action) {
    case kActionSend:
        return ActionSendToApplication(code) == noErr ? HistoryDelivery::kTyped
                                                      : HistoryDelivery::kShown;
    case kActionClipboard:
        return ActionSendToClipboard(code) == noErr ? HistoryDelivery::kClipboard
                                                    : HistoryDelivery::kShown;
    case kActionScript:
        return ActionSendToScript(code, name) == noErr ? HistoryDelivery::kScript
                                                       : HistoryDelivery::kShown;
    default:
        return HistoryDelivery::kShown;
    }
}

OSStatus ActionSendToApplication(const Str255& code) {
    static const QString notTyped = QStringLiteral("Not typed: Kestrix is the window in front");
    if (KestrixHasFocus()) {
        ShowWindowNote(notTyped);
        return ioErr;
    }
    if (globals->noteText && globals->noteText->text() == notTyped) ShowWindowNote(QString());
    Typing& typing = globals->typing;
    if (typing.backEnd == TypingBackEnd::kNone) {
        if (!globals->typingNoteShown)
            ShowWindowNote(QString::fromStdString(typing.unavailableReason));
        globals->typingNoteShown = true;
        return ioErr;
    }
    OSType endKey = 0; // none
    if (GetBooleanInfo(globals->instance, kKeyAppendKey)) {
        endKey = GetOSTypeInfo(globals->instance, kKeyAppendKeyCode);
        if (endKey != kAppendTab && endKey != kAppendEnter) endKey = kAppendReturn;
    }
    return TypeText(typing, code.View(), endKey) ? noErr : ioErr;
}

OSStatus ActionSendToClipboard(const Str255& code) {
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard) return paramErr;
    clipboard->setText(Utf8(code), QClipboard::Clipboard);
    return noErr;
}

OSStatus ActionSendToScript(const Str255& code, const Str255& symbologyName) {
    if (globals->scriptPath.empty()) {
        ShowWindowNote(QStringLiteral("No script chosen: choose one with \"Choose Script…\"."));
        return fnfErr;
    }
    if (!globals->scripts) {
        globals->scripts = std::make_unique<ScriptRunner>(
            [](const QString& trouble) {
                // Said once per script: a read every 2 seconds need not repeat it.
                if (globals->scriptNoteShownFor == globals->scriptPath) return;
                globals->scriptNoteShownFor = globals->scriptPath;
                ShowWindowNote(QStringLiteral("The script was not run: %1.").arg(trouble));
            },
            [](const QString& path) {
                if (globals->scriptKillNoteShownFor == path.toStdString()) return;
                globals->scriptKillNoteShownFor = path.toStdString();
                ShowWindowNote(QStringLiteral("The script %1 was stopped: it ran longer than %2 "
                                              "seconds.")
                                   .arg(path)
                                   .arg(kScriptTimeLimitMs / 1000));
            });
    }
    globals->scripts->Run(QString::fromStdString(globals->scriptPath), Utf8(code),
                          Utf8(symbologyName));
    return noErr;
}
