// The laser record as the decoders read it: the run table of bars and spaces
// that sensor analysis found along one virtual scan line, the samples it was
// made from, how strictly to judge it, and the result fields the decoders
// write. The engine lays the lasers out and fills their tables (engine/laser.h).
#pragma once

#include "toolbox/fourcc.h"
#include "toolbox/str255.h"

#include <cstdint>
#include <span>

struct ScannerInstance;

constexpr int kMaxElements = 656; // room for the at most 640 runs of a 639-sample laser

// How strictly the decoders judge a laser's run table.
enum ReadingRules : std::uint8_t {
    kRulesPrinted = 0,    // the printed symbol's rules: quiet zones, proportions over the symbol
    kRulesHard = 1,       // the frame's border is a quiet zone, proportions measured locally,
                          //   minimum lengths for codes without a check digit
    kRulesSecondLook = 2, // as kRulesHard, on a run table of a second analysis: stricter digits
    kRulesNoisyLook = 3,  // as kRulesSecondLook, on the mean threshold with its floor raised
                          //   to the sensor noise: only symbologies with a check digit
};

// One bar or space run along a laser. No default values: a laser's table is
// only read up to its elementCount, and a new laser's 656 entries are left
// as they are rather than cleared.
struct Element {
    double start;        // first edge, in samples from the laser's first end
    double width;        // length of the run in samples (fractional)
    std::uint32_t isBar; // 1 for a dark run, 0 for a light run
};

struct Laser {
    ScannerInstance* owner = nullptr; // instance whose pattern list holds it (kept by the record
                                      //   layout; only AddItem writes it)
    double startX = 0, startY = 0;    // first end point, frame pixels
    double endX = 0, endY = 0;        // second end point (never sampled)
    double stepX = 0, stepY = 0;      // advance per sample; the long axis moves by exactly 1
    std::int32_t sampleCount = 0;     // samples taken along the laser, at most 639
    Element elements[kMaxElements];   // run table, valid up to elementCount
    std::int32_t elementCount = 0;
    int samples[kMaxElements];          // luminance samples of the last AnalyzeSensor,
    std::int32_t samplesTaken = 0;      //   for the further analyses of the same frame
    OSType symbology = 0;               // code of the last decode on this laser
    Str255 text;                        // text of the last decode
    std::int32_t lastBarWidth = 0;      // EAN/UPC digit matchers: width carried between digits,
    std::int32_t lastSpaceWidth = 0;    //   in modules
    std::uint32_t looseDigits = 0;      // EAN/UPC: bit p set when the digit at text position p
                                        //   matched only within the looser score of a second look
    ReadingRules rules = kRulesPrinted; // how the decoders judge the run table
    Laser* prev = nullptr;              // neighbours in the pattern list
    Laser* next = nullptr;

    std::span<const Element> Runs() const { return {elements, std::size_t(elementCount)}; }
};
