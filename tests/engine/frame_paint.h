// Painting test frames straight into an instance's frame buffer.
#pragma once

#include "engine/laser.h"
#include "engine/scanner_instance.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>

// A grey pixel whose luminance (red + 2 green + blue) is exactly lum.
inline std::uint32_t PixelOfLuminance(int lum) {
    int g = std::clamp(lum / 4, std::max(0, (lum - 510 + 1) / 2), std::min(255, lum / 2));
    int rest = lum - 2 * g, r = std::min(255, rest), b = rest - r;
    return 0xFF000000u | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b);
}

inline std::uint32_t* Pixels(ScannerInstance* s) {
    return reinterpret_cast<std::uint32_t*>(s->frameBase);
}

inline void Fill(ScannerInstance* s, std::uint32_t pixel) {
    std::fill_n(Pixels(s), kFrameWidth * kFrameHeight, pixel);
}

// Sets the luminances of row y from x = 0 on.
inline void PaintRow(ScannerInstance* s, int y, std::span<const int> lums) {
    for (std::size_t x = 0; x < lums.size() && x < std::size_t(kFrameWidth); ++x)
        Pixels(s)[y * kFrameWidth + x] = PixelOfLuminance(lums[x]);
}

// Vertical bars over the whole frame height: modules "1" dark, "0" light,
// centred, each module the given number of pixels (whole pixels).
inline void PaintBars(ScannerInstance* s, const std::string& modules, int pixelsPerModule,
                      std::uint32_t dark = 0xFF202020, std::uint32_t light = 0xFFE8E8E8) {
    Fill(s, light);
    int width = int(modules.size()) * pixelsPerModule;
    int left = (kFrameWidth - width) / 2;
    for (int x = 0; x < width; ++x) {
        if (modules[x / pixelsPerModule] != '1') continue;
        for (int y = 0; y < kFrameHeight; ++y) Pixels(s)[y * kFrameWidth + left + x] = dark;
    }
}
