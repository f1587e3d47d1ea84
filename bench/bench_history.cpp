// The history list while scanning all day: reads sent to the scanner
// window's Scan handler as the scanner sends them, each shown, recorded,
// listed at the top and painted, with the list already holding its 10,000
// rows (the oldest goes as each new one comes) and the kept reads saved a
// second after a change, as in the program. The worst iteration must stay
// well inside a video frame (33 ms at 30 frames a second).
#include "app/app_globals.h"
#include "app/app_main.h"
#include "app/history_model.h"
#include "engine/dispatch.h"
#include "engine/symbology.h"
#include "tests/support/temp_config_home.h"

#include <QApplication>
#include <QMainWindow>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <gst/gst.h>
#include <string>

namespace {

int serial = 0;

void SendRead() {
    // EAN-13-like texts, each one new, so that no read is a repeat.
    const std::string text = "400638" + std::to_string(1'000'000 + serial++);
    Event event = CreateEvent(kEventClassKestrix, kEventKindScan);
    const Str255 code = Str255::From(text);
    SetEventParameter(event, kParamText, typePascalString, std::as_bytes(std::span(code.bytes)));
    SetEventParameterValue(event, kParamSymbology, typeType, kSymbologyEAN13);
    SendEventToEventTarget(event, &globals->windowTarget);
}

void BM_ReadIntoAFullHistoryList(benchmark::State& state) {
    auto* list = globals->window->findChild<QTableView*>(QStringLiteral("hlst"));
    static_cast<HistoryModel*>(list->model())->Clear();
    while (list->model()->rowCount() < state.range(0)) SendRead();
    QCoreApplication::processEvents();
    double worst = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        SendRead();
        QCoreApplication::processEvents(); // the list lays itself out and the window paints
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        worst = std::max(worst, took.count());
    }
    state.counters["rows"] = list->model()->rowCount();
    state.counters["worst_ms"] = worst;
}
BENCHMARK(BM_ReadIntoAFullHistoryList)
    ->Arg(0)
    ->Arg(kHistoryListRows)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(3.0);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    gst_init(nullptr, nullptr);
    TempConfigHome config; // the kept reads go to a folder of its own
    QApplication application(argc, argv);
    AppOptions options;
    options.source = "videotestsrc pattern=black is-live=true";
    int status = 0;
    if (!StartApplication(options, status)) return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    StopApplication();
    return 0;
}
