#include "tests/support/png_writer.h"

#include <cairo.h>

#include <memory>

namespace {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

} // namespace

bool WritePng(const Frame& frame, const std::string& path) {
    // Frame words are 0xAARRGGBB in native order, as CAIRO_FORMAT_RGB24 keeps them.
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, kFrameWidth);
    if (stride != kFrameWidth * 4) return false;
    SurfacePtr surface(cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(frame.pixels.data())),
        CAIRO_FORMAT_RGB24, kFrameWidth, kFrameHeight, stride));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return false;
    return cairo_surface_write_to_png(surface.get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}
