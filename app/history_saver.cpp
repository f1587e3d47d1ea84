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
    {
        std::lock_guard lock(mutex_);
        pending_ = std::move(bytes);
        removePending_ = false;
    }
    wake_.notify_one();
}

void HistorySaver::Remove() {
    {
        std::lock_guard lock(mutex_);
        pending_.reset();
        removePending_ = true;
    }
    wake_.notify_one();
}

void HistorySaver::Flush() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return !pending_ && !removePending_ && !busy_; });
}

void HistorySaver::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || pending_ || removePending_; });
        if (!pending_ && !removePending_) return; // stopped with nothing left to do
        std::optional<std::vector<std::uint8_t>> bytes = std::move(pending_);
        const bool remove = removePending_;
        pending_.reset();
        removePending_ = false;
        busy_ = true;
        lock.unlock();
        if (bytes) {
            failed_ = SaveHistoryFile(path_, *bytes) != noErr;
        } else if (remove) {
            std::error_code ignored;
            std::filesystem::remove(path_, ignored);
        }
        lock.lock();
        busy_ = false;
        done_.notify_all();
    }
}
