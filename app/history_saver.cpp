// The history file's writer thread.
#include "app/history_saver.h"

#include "toolbox/scan_history.h"

#include <system_error>

HistorySaver::HistorySaver(std::filesystem::path path)
    : path_(std::move(path)), thread_([this] { Run(); }) {}

HistorySaver::~HistorySaver() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void HistorySaver::Save(std::vector<std::uint8_t> bytes) {
    Post(std::move(bytes), false);
}

void HistorySaver::Remove() {
    Post({}, true);
}

void HistorySaver::Post(std::vector<std::uint8_t> bytes, bool remove) {
    {
        std::lock_guard lock(mutex_);
        pending_ = std::move(bytes);
        savePending_ = !remove;
        removePending_ = remove;
    }
    wake_.notify_one();
}

void HistorySaver::Flush() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return !savePending_ && !removePending_ && !busy_; });
}

void HistorySaver::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || savePending_ || removePending_; });
        if (!savePending_ && !removePending_) return; // stopped with nothing left to do
        std::vector<std::uint8_t> bytes;
        bytes.swap(pending_);
        const bool save = savePending_;
        savePending_ = removePending_ = false;
        busy_ = true;
        lock.unlock();
        if (save) {
            failed_ = SaveHistoryFile(path_, bytes) != noErr;
        } else {
            std::error_code ignored;
            std::filesystem::remove(path_, ignored);
        }
        lock.lock();
        busy_ = false;
        done_.notify_all();
    }
}
