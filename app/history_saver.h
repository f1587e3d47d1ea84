// Writes the history file on a thread of its own, so that the disk's fsync
// never holds up the video: the newest bytes given win, older ones not yet
// written are dropped.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

class HistorySaver {
  public:
    explicit HistorySaver(std::filesystem::path path);
    ~HistorySaver(); // writes what is pending first
    HistorySaver(const HistorySaver&) = delete;
    HistorySaver& operator=(const HistorySaver&) = delete;

    void Save(std::vector<std::uint8_t> bytes);
    void Remove();                          // the file goes (keeping was turned off)
    void Flush();                           // returns when everything given is done
    bool Failed() const { return failed_; } // the last write did not happen

  private:
    // Replaces what is pending with bytes to write, or with the removal.
    void Post(std::vector<std::uint8_t> bytes, bool remove);
    void Run();

    std::filesystem::path path_;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::vector<std::uint8_t> pending_; // the bytes to write, while savePending_
    bool savePending_ = false, removePending_ = false, busy_ = false, stop_ = false;
    std::atomic<bool> failed_ = false;
    std::thread thread_;
};
