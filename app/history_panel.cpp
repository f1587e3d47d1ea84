// The history panel: a dock widget from the interface file "History", its
// model, its commands, and the kept reads, saved a second after a change on
// the saver's thread.
#include "app/history_panel.h"

#include "app/app_globals.h"
#include "app/commands.h"
#include "app/delivery.h"
#include "app/history_model.h"
#include "app/history_saver.h"
#include "app/interface.h"
#include "toolbox/csv_writer.h"
#include "toolbox/files.h"
#include "toolbox/preferences.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDate>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QHeaderView>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <chrono>

struct HistoryPanel {
    QDockWidget* dock = nullptr;
    QTableView* list = nullptr;
    HistoryModel* model = nullptr;
    QCheckBox* keep = nullptr;
    QTimer* saveTimer = nullptr;
    QTimer* retypeTimer = nullptr;
    RepeatFilter repeats;
    std::filesystem::path file;
    bool fileStuck = false; // a damaged file that could not be moved aside stays untouched
    bool dirty = false;     // rows changed since the last save
    bool saveTroubleSaid = false;
    std::unique_ptr<HistorySaver> saver;
    std::vector<HistoryEntry> toType; // delivered again once the focus leaves Kestrix
    int typeWaits = 0;
};

void DeleteHistoryPanel(HistoryPanel* panel) {
    delete panel;
}

namespace {

constexpr int kSaveDelayMs = 1000;   // changes within a second are saved together
constexpr int kTypeWaitStepMs = 100; // how often the focus is looked at
constexpr int kTypeWaitSteps = 150;  // 15 seconds for the user to click elsewhere

HistoryPanel* Panel() {
    HistoryPanel* panel = globals ? globals->historyPanel.get() : nullptr;
    return panel && panel->model ? panel : nullptr;
}

std::int64_t SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t RepeatWindowMs() {
    return std::int64_t(globals->history.repeatSeconds) * 1000;
}

void SaveNow(HistoryPanel* panel) {
    if (panel->saver->Failed() && !panel->saveTroubleSaid) {
        panel->saveTroubleSaid = true;
        ShowWindowNote(QStringLiteral("The scan history could not be saved in %1.")
                           .arg(QString::fromStdString(panel->file.parent_path().string())));
    }
    if (!panel->dirty || !globals->history.keep || panel->fileStuck) return;
    panel->dirty = false;
    panel->saver->Save(SerializeHistory(panel->model->Newest(kHistoryKeptReads)));
}

void RowsChanged(HistoryPanel* panel) {
    panel->dirty = true;
    if (globals->history.keep && !panel->fileStuck && !panel->saveTimer->isActive())
        panel->saveTimer->start(kSaveDelayMs);
}

// The chosen rows' entries, oldest first.
std::vector<HistoryEntry> ChosenEntries(const HistoryPanel* panel) {
    std::vector<int> rows;
    for (const QModelIndex& index : panel->list->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end(), std::greater<>());
    std::vector<HistoryEntry> entries;
    for (int row : rows) entries.push_back(panel->model->At(row));
    return entries;
}

void Deliver(const HistoryEntry& e) {
    HistoryRecord(e.symbology, e.name, e.text,
                  DeliverRead(Str255::From(e.text), Str255::From(e.name)));
}

// Typing goes to the window that has the focus, which is Kestrix's own
// after a click on a row: the reads wait until the user clicks elsewhere.
void DeliverAgain(HistoryPanel* panel, std::vector<HistoryEntry> entries) {
    if (entries.empty()) return;
    if (globals->action != kActionSend || !KestrixHasFocus()) {
        for (const HistoryEntry& e : entries) Deliver(e);
        return;
    }
    panel->toType.insert(panel->toType.end(), entries.begin(), entries.end());
    panel->typeWaits = 0;
    ShowWindowNote(QStringLiteral("Click into the window to type into: Kestrix types %1 "
                                  "code(s) there.")
                       .arg(panel->toType.size()));
    panel->retypeTimer->start(kTypeWaitStepMs);
}

void TypeWhenFocusLeaves(HistoryPanel* panel) {
    if (KestrixHasFocus()) {
        if (++panel->typeWaits < kTypeWaitSteps) return;
        panel->retypeTimer->stop();
        panel->toType.clear();
        ShowWindowNote(QStringLiteral("Nothing was typed again: the keyboard focus stayed in "
                                      "Kestrix."));
        return;
    }
    panel->retypeTimer->stop();
    ShowWindowNote(QString());
    std::vector<HistoryEntry> entries = std::move(panel->toType);
    panel->toType.clear();
    for (const HistoryEntry& e : entries) Deliver(e);
}

void CopyReads(const HistoryPanel* panel) {
    std::string texts;
    for (const HistoryEntry& e : ChosenEntries(panel)) {
        if (!texts.empty()) texts += '\n';
        texts += AsUtf8(e.text);
    }
    if (!texts.empty()) QApplication::clipboard()->setText(QString::fromStdString(texts));
}

void DeleteReads(HistoryPanel* panel) {
    std::vector<int> rows;
    for (const QModelIndex& index : panel->list->selectionModel()->selectedRows())
        rows.push_back(index.row());
    if (rows.empty()) return;
    panel->model->RemoveRows(std::move(rows));
    RowsChanged(panel);
}

void ClearHistory(HistoryPanel* panel) {
    const int count = panel->model->rowCount();
    if (count == 0) return;
    const auto answer =
        QMessageBox::question(globals->window.get(), QStringLiteral("Clear the History"),
                              QStringLiteral("Remove all %1 reads from the history?").arg(count),
                              QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Cancel);
    if (answer != QMessageBox::Yes) return;
    panel->model->Clear();
    RowsChanged(panel);
}

void ExportWithDialog() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString name =
        QStringLiteral("Kestrix history %1.csv").arg(QDate::currentDate().toString(Qt::ISODate));
    const QString path = QFileDialog::getSaveFileName(
        globals->window.get(), QStringLiteral("Export History as CSV"),
        QDir(folder.isEmpty() ? QDir::homePath() : folder).filePath(name),
        QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty()) return;
    if (ExportHistory(path.toStdString()) != noErr)
        ShowWindowNote(
            QStringLiteral("The history was not exported: %1 could not be written.").arg(path));
}

void KeepChanged(HistoryPanel* panel) {
    globals->history.keep = panel->keep->isChecked();
    panel->dirty = true;
    if (globals->history.keep) {
        RowsChanged(panel);
    } else {
        panel->saveTimer->stop();
        if (!panel->fileStuck) panel->saver->Remove();
    }
}

void AddMenuItems(QMainWindow* window, HistoryPanel* panel) {
    // File > Export History as CSV, after the snapshot.
    if (auto* file = window->findChild<QMenu*>(QStringLiteral("fileMenu"))) {
        const QList<QAction*> items = file->actions();
        auto* exportItem = panel->dock->findChild<QAction*>(QStringLiteral("hexp"));
        int at = 0;
        while (at < items.size() && items[at]->objectName() != QLatin1String("snap")) ++at;
        file->insertAction(at + 1 < items.size() ? items[at + 1] : nullptr, exportItem);
    }
    // View > History, after the Scanner menu.
    QMenuBar* bar = window->menuBar();
    auto* view = new QMenu(QStringLiteral("&View"), bar);
    view->setObjectName(QStringLiteral("viewMenu"));
    QAction* shown = panel->dock->toggleViewAction();
    shown->setText(QStringLiteral("&History"));
    shown->setShortcut(QKeySequence(QStringLiteral("Ctrl+H")));
    view->addAction(shown);
    const QList<QAction*> menus = bar->actions();
    int at = 0;
    while (at < menus.size() &&
           !(menus[at]->menu() && menus[at]->menu()->objectName() == QLatin1String("scannerMenu")))
        ++at;
    bar->insertMenu(at + 1 < menus.size() ? menus[at + 1] : nullptr, view);
}

void SetUpList(HistoryPanel* panel) {
    QTableView* list = panel->list;
    list->setModel(panel->model);
    // Rows of one fixed height: adding one costs the same however many there are.
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->setShowGrid(false);
    list->setWordWrap(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->horizontalHeader()->setStretchLastSection(true);
    list->horizontalHeader()->resizeSection(HistoryModel::kTime, 135);
    list->horizontalHeader()->resizeSection(HistoryModel::kSymbology, 75);
    list->horizontalHeader()->resizeSection(HistoryModel::kText, 120);
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const char* name : {"hcpy", "hagn", "hdel", "hsel", "", "hclr"}) {
        QAction* item = nullptr;
        if (*name) {
            item = panel->dock->findChild<QAction*>(QString::fromLatin1(name));
        } else {
            item = new QAction(list);
            item->setSeparator(true);
        }
        if (!item) continue;
        item->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        list->addAction(item);
    }
}

void LoadKept(HistoryPanel* panel) {
    if (!globals->history.keep) {
        panel->saver->Remove(); // left by a run that ended without its shut-down
        return;
    }
    HistoryLoad load = LoadHistoryFile(panel->file);
    panel->model->Reset(load.entries);
    switch (load.state) {
    case HistoryFileState::kLoaded:
        break;
    case HistoryFileState::kKeptAside:
        ShowWindowNote(QStringLiteral("The scan history could not be read; it was kept aside "
                                      "as %1.damaged and the history starts empty.")
                           .arg(QString::fromStdString(panel->file.string())));
        break;
    case HistoryFileState::kStuck:
        panel->fileStuck = true;
        ShowWindowNote(QStringLiteral("The scan history %1 could not be read and is left as it "
                                      "is; this session's reads are not kept.")
                           .arg(QString::fromStdString(panel->file.string())));
        break;
    }
}

} // namespace

void OpenHistory(QMainWindow* window, EventTarget* target) {
    globals->historyPanel.reset(new HistoryPanel);
    HistoryPanel* panel = globals->historyPanel.get();
    std::unique_ptr<QWidget> loaded = LoadInterfaceWindow(QStringLiteral("History"), window);
    panel->dock = qobject_cast<QDockWidget*>(loaded.get());
    if (!panel->dock) return;
    loaded.release();
    panel->list = panel->dock->findChild<QTableView*>(QStringLiteral("hlst"));
    panel->keep = panel->dock->findChild<QCheckBox*>(QStringLiteral("hkep"));
    auto* repeat = panel->dock->findChild<QSpinBox*>(QStringLiteral("hdup"));
    if (!panel->list || !panel->keep || !repeat) return;
    window->addDockWidget(Qt::RightDockWidgetArea, panel->dock);
    panel->model = new HistoryModel(panel->dock);
    SetUpList(panel);
    AddMenuItems(window, panel);
    ConnectCommands(panel->dock, target);
    const EventTypeSpec command{kEventClassCommand, kEventCommandProcess};
    InstallEventHandler(*target, std::span(&command, 1), HandleHistoryCommand);

    HistorySettings& settings = globals->history;
    panel->dock->setVisible(settings.panelShown);
    QObject::connect(panel->dock->toggleViewAction(), &QAction::toggled, panel->dock,
                     [](bool shown) { globals->history.panelShown = shown; });
    panel->keep->setChecked(settings.keep);
    repeat->setValue(settings.repeatSeconds);
    QObject::connect(repeat, &QSpinBox::valueChanged, panel->dock,
                     [](int seconds) { globals->history.repeatSeconds = seconds; });

    panel->saveTimer = new QTimer(panel->dock);
    panel->saveTimer->setSingleShot(true);
    QObject::connect(panel->saveTimer, &QTimer::timeout, panel->dock, [panel] { SaveNow(panel); });
    panel->retypeTimer = new QTimer(panel->dock);
    QObject::connect(panel->retypeTimer, &QTimer::timeout, panel->dock,
                     [panel] { TypeWhenFocusLeaves(panel); });

    panel->file = HistoryFilePath(kApplicationIdentifier);
    panel->saver = std::make_unique<HistorySaver>(panel->file);
    LoadKept(panel);
}

void CloseHistory() {
    HistoryPanel* panel = Panel();
    if (!panel) return;
    panel->saveTimer->stop();
    panel->retypeTimer->stop();
    SaveNow(panel);
    panel->saver->Flush();
}

bool HistoryIsRepeat(std::string_view text) {
    const HistoryPanel* panel = Panel();
    return panel && panel->repeats.IsRepeat(text, SteadyMs(), RepeatWindowMs());
}

void HistoryRecord(OSType symbology, std::string_view name, std::string_view text,
                   HistoryDelivery delivery) {
    HistoryPanel* panel = Panel();
    if (!panel) return;
    if (delivery != HistoryDelivery::kRepeat)
        panel->repeats.Take(text, SteadyMs(), RepeatWindowMs());
    panel->model->Add(HistoryEntryNow(symbology, name, text, delivery));
    RowsChanged(panel);
}

OSStatus HandleHistoryCommand(EventTarget&, Event& event) {
    HistoryPanel* panel = Panel();
    if (!panel) return eventNotHandledErr;
    switch (GetCommand(event).commandID) {
    case kCommandExportHistory:
        ExportWithDialog();
        return noErr;
    case kCommandCopyReads:
        CopyReads(panel);
        return noErr;
    case kCommandDeliverAgain:
        DeliverAgain(panel, ChosenEntries(panel));
        return noErr;
    case kCommandDeleteReads:
        DeleteReads(panel);
        return noErr;
    case kCommandSelectAllReads:
        panel->list->selectAll();
        return noErr;
    case kCommandClearHistory:
        ClearHistory(panel);
        return noErr;
    case kCommandKeepHistory:
        KeepChanged(panel);
        return noErr;
    default:
        return eventNotHandledErr;
    }
}

OSStatus ExportHistory(const std::string& path) {
    const HistoryPanel* panel = Panel();
    if (!panel) return paramErr;
    std::string csv = HistoryCsvHeader();
    for (const HistoryEntry& e : panel->model->Newest(std::size_t(kHistoryListRows)))
        csv += HistoryCsvRecord(e);
    return WriteFileAtomically(
        path, std::span(reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size()), 0644);
}
