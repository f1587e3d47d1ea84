// Symbology codes, display names and check-digit property.
#include "engine/symbology.h"

#include <array>
#include <string_view>

namespace {

struct SymbologyInfo {
    OSType code;
    std::string_view name;
    bool hasChecksum;
};

constexpr std::array<SymbologyInfo, 10> symbologyTable = {{
    {kSymbologyEAN8, "EAN-8", true},
    {kSymbologyEAN13, "EAN-13", true},
    {kSymbologyUPCA, "UPC-A", true},
    {kSymbologyUPCE, "UPC-E", true},
    {kSymbologyCodabar, "Codabar", false},
    {kSymbologyCode39, "Code 39", false},
    // Its check digit is one in ten: its reads are confirmed as Code 39's are.
    {kSymbologyCode32, "Code 32", false},
    {kSymbologyCode128, "Code 128", true},
    {kSymbologyGS1_128, "GS1-128", true},
    {kSymbologyInt2of5, "2 of 5", false},
}};

const SymbologyInfo* Find(OSType code) {
    for (const SymbologyInfo& info : symbologyTable)
        if (info.code == code) return &info;
    return nullptr;
}

} // namespace

bool SymbologyHasChecksum(OSType code) {
    const SymbologyInfo* info = Find(code);
    return !info || info->hasChecksum;
}

Str255 GetSymbologyName(OSType code) {
    const SymbologyInfo* info = Find(code);
    return Str255::From(info ? info->name : "Unknown");
}
