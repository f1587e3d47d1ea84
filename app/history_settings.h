// The history's settings, kept with the application's preferences: whether
// the last reads are kept across restarts, how soon the same code again is
// a repeat, and whether the history shows beside the video.
#pragma once

#include <cstdint>

struct Collection;

constexpr std::int32_t kMaxRepeatSeconds = 3600;

struct HistorySettings {
    bool keep = true;               // 'hkep': the history file is written
    std::int32_t repeatSeconds = 2; // 'hdup': 0 never ignores; 2 is the scanner's own hold
    bool panelShown = true;         // 'hvis'
};

// Items 'hkep', 'hdup', 'hvis', id 1, each a big-endian 32-bit number; what
// is absent keeps its value, a repeat time beyond the bounds is clamped.
void GetHistorySettings(const Collection& collection, HistorySettings& settings);
void AddHistorySettings(Collection& collection, const HistorySettings& settings);
