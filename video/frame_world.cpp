// The frame world: its creation, the no-camera picture and its release.
#include "video/frame_world.h"

#include "engine/scanner_instance.h"
#include "toolbox/resources.h"
#include "video/live_video.h"

#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr double kNoCameraFontSize = 16.0;
constexpr const char* kSystemFont = "sans-serif";

const std::string& NoCameraText() {
    static const std::string text = AppLocStr("NO_CAMERA");
    return text;
}

// Drops characters from the end (keeping UTF-8 sequences whole) and adds an
// ellipsis until the text fits maxWidth.
std::string TruncateToWidth(cairo_t* cr, std::string text, double maxWidth) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    if (extents.x_advance <= maxWidth) return text;
    while (!text.empty()) {
        do text.pop_back();
        while (!text.empty() && (std::uint8_t(text.back()) & 0xC0) == 0x80);
        const std::string shown = text + "\u2026";
        cairo_text_extents(cr, shown.c_str(), &extents);
        if (extents.x_advance <= maxWidth) return shown;
    }
    return text;
}

} // namespace

void VideoPaintNoCameraPicture(FrameWorld& world) {
    cairo_surface_mark_dirty(world.surface.get());
    cairo_t* cr = world.cr.get();
    cairo_save(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    cairo_paint(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 1);
    cairo_select_font_face(cr, kSystemFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kNoCameraFontSize);
    // Line by line, each centred, the block in the middle of the frame.
    std::vector<std::string> lines;
    for (std::string_view rest = NoCameraText();;) {
        const std::size_t end = rest.find('\n');
        lines.push_back(TruncateToWidth(cr, std::string(rest.substr(0, end)), kFrameWidth));
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    double baseline = kFrameHeight / 2.0 + (font.ascent - font.descent) / 2.0 -
                      font.height * double(lines.size() - 1) / 2.0;
    for (const std::string& line : lines) {
        cairo_text_extents_t extents;
        cairo_text_extents(cr, line.c_str(), &extents);
        cairo_move_to(cr, kFrameWidth / 2.0 - extents.x_advance / 2.0, baseline);
        cairo_show_text(cr, line.c_str());
        baseline += font.height;
    }
    cairo_restore(cr);
    cairo_surface_flush(world.surface.get());
}

std::span<std::uint32_t> FramePixels(const FrameWorld* world) {
    if (!world) return {};
    return std::span(const_cast<std::uint32_t*>(world->pixels.data()), world->pixels.size());
}

void VideoInitialize(ScannerInstance* instance) {
    if (!instance->frameWorld) {
        auto* world = new (std::nothrow) FrameWorld;
        if (!world) return;
        world->pixels.assign(std::size_t(kFrameWidth) * kFrameHeight, 0xFF000000u);
        world->surface.reset(cairo_image_surface_create_for_data(
            reinterpret_cast<unsigned char*>(world->pixels.data()), CAIRO_FORMAT_RGB24, kFrameWidth,
            kFrameHeight, kFrameStride));
        world->cr.reset(cairo_create(world->surface.get()));
        if (cairo_status(world->cr.get()) != CAIRO_STATUS_SUCCESS) {
            delete world;
            return;
        }
        instance->frameWorld = world;
    }
    VideoPaintNoCameraPicture(*instance->frameWorld);
}

void VideoDisposeFrameWorld(ScannerInstance* instance) {
    delete instance->frameWorld;
    instance->frameWorld = nullptr;
}

std::uint8_t* VideoFrameBase(const FrameWorld* world) {
    return world ? reinterpret_cast<std::uint8_t*>(FramePixels(world).data()) : nullptr;
}

std::int32_t VideoFrameRowBytes(const FrameWorld* world) {
    return world ? kFrameStride : 0;
}
