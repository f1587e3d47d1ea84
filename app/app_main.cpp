// The desktop program from start to end.
//
// The road of a read, from a camera frame to a typed key:
//  1. StartApplication makes the instance with LiveVideoHooks (NewInstance),
//     installs the window's handlers (InstallWindowHandlers: HandleScan for
//     the Scan event) and turns the preview on: SetInstancePreviewEnabled
//     (video/idle_loop.cpp) opens the camera (VideoOpenDigitizer) and
//     installs VideoIdle as a repeating timer (InstallEventLoopTimer; here a
//     QTimer, QtEventLoop::Fire in app/qt_event_loop.cpp).
//  2. VideoIdle: the capture channel's Idle (video/gst_capture.cpp) copies a
//     pending camera sample into the frame buffer; a new frame goes to
//     VideoScan.
//  3. VideoScan, AnalyzeAllSensors, AnalyzeSensor, Decode1DBarcode, the
//     decoders, CountConsecutiveScans, ScanSuccessful: see the map in
//     engine/dispatch.cpp.
//  4. ScanSuccessful sends the Scan event (SendEventToEventTarget) to the
//     instance's event target, globals->windowTarget, whose handler is
//     HandleScan (app/delivery.cpp).
//  5. HandleScan shows the code, records it (HistoryRecord) and delivers it
//     (DeliverRead): ActionSendToApplication types it with TypeText
//     (app/typing.cpp), through libxdo or the uinput keyboard.
#include "app/app_main.h"

#include "app/app_globals.h"
#include "app/camera_dialog.h"
#include "app/commands.h"
#include "app/delivery.h"
#include "app/help_menu.h"
#include "app/history_panel.h"
#include "app/interface.h"
#include "app/preferences.h"
#include "app/qt_event_loop.h"
#include "app/scanner_view.h"
#include "app/scanner_window.h"
#include "app/script_runner.h"
#include "engine/dispatch.h"
#include "engine/scanner_instance.h"
#include "engine/settings_store.h"
#include "toolbox/alerts.h"
#include "toolbox/preferences.h"
#include "video/capture.h"
#include "video/live_video.h"
#include "video/video.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <gst/gst.h>
#include <iostream>
#include <unistd.h>

namespace {

// The oldest Qt and GStreamer that Kestrix runs on.
constexpr int kMinimumQtVersion = QT_VERSION_CHECK(6, 2, 0);
constexpr unsigned kMinimumGstMajor = 1, kMinimumGstMinor = 20;

bool VersionsSuffice() {
    const QString running = QString::fromLatin1(qVersion());
    const QStringList parts = running.split('.');
    const int qt =
        QT_VERSION_CHECK(parts.value(0).toInt(), parts.value(1).toInt(), parts.value(2).toInt());
    guint major = 0, minor = 0, micro = 0, nano = 0;
    gst_version(&major, &minor, &micro, &nano);
    return qt >= kMinimumQtVersion &&
           (major > kMinimumGstMajor || (major == kMinimumGstMajor && minor >= kMinimumGstMinor));
}

void PresentAlert(std::int16_t type, const std::string& message, const std::string& explanation) {
    QMessageBox box(type == kAlertStopAlert ? QMessageBox::Critical : QMessageBox::Warning,
                    QStringLiteral("Kestrix"), QString::fromStdString(message), QMessageBox::Ok,
                    globals && globals->window ? globals->window.get() : nullptr);
    box.setInformativeText(QString::fromStdString(explanation));
    box.exec();
}

constexpr int kCaptureWatchMs = 250;

// What the capture layer reports (a camera that failed, a source that
// cannot be played or never delivers a frame), each message once, under the
// video and on standard error. A camera that is simply missing is said by
// the video area itself.
void SayCaptureTrouble() {
    if (!globals || !globals->instance) return;
    std::string message;
    if (const CaptureEnd& end = VideoLastCaptureEnd(); end.failed && !end.message.empty())
        message = end.message;
    else if (globals->videoSource && !globals->instance->channel)
        message = VideoLastOpenError();
    if (message.empty() || message == globals->captureTroubleSaid) return;
    globals->captureTroubleSaid = message;
    std::cerr << "kestrix: " << message << "\n";
    QString said = QString::fromStdString(message);
    if (!said.isEmpty()) said[0] = said[0].toUpper();
    ShowWindowNote(said);
}

void RedrawView(ScannerView* view) {
    if (view) view->update();
}

// The window's close box goes to its handlers first; a close they take
// leaves the window standing.
class CloseFilter final : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Close || watched != globals->window.get()) return false;
        Event close = CreateEvent(kEventClassWindow, kEventWindowClose);
        if (SendEventToEventTarget(close, &globals->windowTarget) != noErr) return false;
        event->ignore();
        return true;
    }
};

// A position counts when the window's top-left corner lies on a screen.
QPoint WindowPosition(const Rect& bounds) {
    const QPoint stored(bounds.left, bounds.top);
    if (QGuiApplication::screenAt(stored)) return stored;
    return {AppGlobals{}.windowBounds.left, AppGlobals{}.windowBounds.top};
}

void InstallWindowHandlers(EventTarget& target) {
    const EventTypeSpec close{kEventClassWindow, kEventWindowClose};
    const EventTypeSpec command{kEventClassCommand, kEventCommandProcess};
    const EventTypeSpec scan{kEventClassKestrix, kEventKindScan};
    InstallEventHandler(target, std::span(&close, 1), HandleScannerWindowClose);
    InstallEventHandler(target, std::span(&command, 1), HandleScannerWindowCommand);
    InstallEventHandler(target, std::span(&scan, 1), HandleScan);
}

void FetchControls(QWidget* window) {
    AppGetControl(window, "view"_4cc, globals->viewControl);
    AppGetControl(window, "scan"_4cc, globals->scanCheckbox);
    AppGetControl(window, "targ"_4cc, globals->targetCheckbox);
    AppGetControl(window, "text"_4cc, globals->codeText);
    AppGetControl(window, "symb"_4cc, globals->symbologyText);
    AppGetControl(window, "acti"_4cc, globals->actionPopup);
    AppGetControl(window, "choo"_4cc, globals->chooseButton);
    AppGetControl(window, "scnm"_4cc, globals->scriptName);
    AppGetControl(window, "note"_4cc, globals->noteText);
    if (globals->actionPopup) globals->actionMenu = PopupMenuOf(globals->actionPopup);
}

// SIGTERM and SIGINT end the program through the ordinary shut-down, so
// that a session's logout keeps the user's choices.
int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = write(signalPipe[1], &byte, 1);
}

void QuitOnSignals(QObject* parent) {
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, parent, [] {
        char byte;
        while (read(signalPipe[0], &byte, 1) > 0) {
        }
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace

bool StartApplication(const AppOptions& options, int& status) {
    status = 0;
    AppSetAlertPresenter(PresentAlert);
    if (!VersionsSuffice()) {
        AppStandardAlert(kAlertStopAlert, "10.3_REQUIRED_MSG", "10.3_REQUIRED_EXP");
        return false;
    }
    delete globals; // a second start in the same process begins afresh
    globals = new AppGlobals;
    OpenTyping(globals->typing);
    globals->selfProcess = getpid();

    static QtEventLoop eventLoop;
    SetCurrentEventLoop(&eventLoop);
    VideoSetNeedsDisplayProc(RedrawView);
    VideoSetSettingsDialogProc(RunCameraSettingsDialog);

    if (!QFile::exists(QStringLiteral(":/ui/Scanner.ui"))) return false;
    LoadPreferences();

    std::unique_ptr<QWidget> loaded = LoadInterfaceWindow(QStringLiteral("Scanner"));
    globals->window.reset(qobject_cast<QMainWindow*>(loaded.get()));
    if (!globals->window) {
        std::cerr << "kestrix: the scanner window cannot be made from its interface file\n";
        status = 1;
        return false;
    }
    loaded.release();
    globals->window->installEventFilter(new CloseFilter(globals->window.get()));
    globals->window->setWindowIcon(KestrixIcon());
    globals->window->move(WindowPosition(globals->windowBounds));
    InstallWindowHandlers(globals->windowTarget);
    FetchControls(globals->window.get());
    ConnectCommands(globals->window.get(), &globals->windowTarget);
    OpenHistory(globals->window.get(), &globals->windowTarget);

    globals->instance = NewInstance(globals->viewControl, &globals->windowTarget, LiveVideoHooks());
    if (!globals->instance) return false;
    SetScannerViewInstance(globals->viewControl, globals->instance);
    LoadSettings(globals->instance, kScannerSettingsKey);

    globals->scanCheckbox->setChecked(GetBooleanInfo(globals->instance, kKeyScan) != 0);
    globals->targetCheckbox->setChecked(GetBooleanInfo(globals->instance, kKeyShowTarget) != 0);
    if (options.action) globals->action = *options.action;
    if (options.script) globals->scriptPath = *options.script;
    for (const AppSwitch& s : options.switches)
        SetBooleanInfo(globals->instance, s.key, s.on ? 1 : 0);
    AppSetPopupMenuValue(globals->actionPopup, globals->action);
    UpdateChooseButton();

    VideoSetSourceDescription(options.source == "demo" ? DemoSourceDescription() : options.source);
    globals->window->show();
    SetInstancePreviewEnabled(globals->instance, true);
    if (globals->settingsWereReset) {
        const std::filesystem::path kept =
            PreferencesFilePath(kApplicationIdentifier).parent_path() / kDamagedPreferencesName;
        ShowWindowNote(QStringLiteral("The settings file was damaged, so the settings are back "
                                      "to their defaults; the damaged file is kept as %1.")
                           .arg(QString::fromStdString(kept.string())));
    }
    CheckChoicesCanBeSaved();
    globals->videoSource = !options.source.empty();
    if (globals->videoSource) {
        // A video source has no camera to focus.
        for (const char* name : {"focn", "focf"})
            if (auto* action = globals->window->findChild<QAction*>(QString::fromLatin1(name)))
                action->setEnabled(false);
    }
    SayCaptureTrouble();
    auto* captureWatch = new QTimer(globals->window.get());
    QObject::connect(captureWatch, &QTimer::timeout, captureWatch, SayCaptureTrouble);
    captureWatch->start(kCaptureWatchMs);
    return true;
}

void StopApplication() {
    if (!globals || !globals->instance) return;
    CloseHistory();
    if (SaveSettings(globals->instance, kScannerSettingsKey) != noErr ||
        SavePreferences() != noErr) {
        const std::string trouble = PreferencesWriteTrouble(kApplicationIdentifier);
        std::cerr << "kestrix: the settings could not be saved"
                  << (trouble.empty() ? std::string() : ": " + trouble) << "\n";
    }
    globals->scripts.reset(); // a script still running is ended
    SetScannerViewInstance(globals->viewControl, nullptr);
    DisposeInstance(globals->instance);
    globals->instance = nullptr;
    CloseTyping(globals->typing);
}

int KestrixMain(int argc, char** argv) {
    AppOptions options;
    if (std::optional<int> exit =
            ParseOptions({argv + 1, argv + argc}, options, std::cout, std::cerr))
        return *exit;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!display || !*display) && (!wayland || !*wayland) && !std::getenv("QT_QPA_PLATFORM")) {
        std::cerr << "kestrix: no display to show the window on (neither DISPLAY nor "
                     "WAYLAND_DISPLAY is set).\nTo read barcodes from pictures without a "
                     "display, use kestrix-scan.\n";
        return 1;
    }
    // OpenAL, one of the audio outputs that GStreamer may try for the beep,
    // writes a line to standard error at every beep on a machine without
    // sound, where silence is no error. Set before any thread starts.
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    gst_init(nullptr, nullptr);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrix"));
    QApplication::setDesktopFileName(QStringLiteral("com.vondrel.kestrix"));
    QuitOnSignals(&application);

    int status = 0;
    if (StartApplication(options, status)) {
        QApplication::exec();
        StopApplication();
    }
    return status;
}
