// The four-character codes that name the symbologies: what a decoder writes
// into a laser's symbology field on a read.
#pragma once

#include "toolbox/fourcc.h"

constexpr OSType kSymbologyEAN8 = "ean8"_4cc;
constexpr OSType kSymbologyEAN13 = "ean1"_4cc;
constexpr OSType kSymbologyUPCA = "upca"_4cc;
constexpr OSType kSymbologyUPCE = "upce"_4cc;
constexpr OSType kSymbologyCodabar = "coda"_4cc;
constexpr OSType kSymbologyCode39 = "cd39"_4cc;
constexpr OSType kSymbologyCode32 = "cd32"_4cc; // Italian pharmacy code, a kind of Code 39
constexpr OSType kSymbologyCode128 = "c128"_4cc;
constexpr OSType kSymbologyGS1_128 = "g128"_4cc; // Code 128 with GS1 element strings
constexpr OSType kSymbologyInt2of5 = "i2o5"_4cc;
