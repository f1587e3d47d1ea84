// Integer and floating-point rectangles, and the conversion between them.
#pragma once

#include <cstdint>

struct Rect {
    std::int16_t top = 0, left = 0, bottom = 0, right = 0;
};

// The toolbox interface's floating-point rectangle; nothing draws with it here.
struct HIRect {
    float x = 0, y = 0, width = 0, height = 0; // origin and size
};

// origin = (left, top), size = (right - left, bottom - top), the differences
// taken in 32-bit integers, so no 16-bit overflow.
constexpr void AppRectToHIRect(const Rect& in, HIRect& out) {
    out.x = float(in.left);
    out.y = float(in.top);
    out.width = float(std::int32_t(in.right) - std::int32_t(in.left));
    out.height = float(std::int32_t(in.bottom) - std::int32_t(in.top));
}
