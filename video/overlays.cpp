// The aiming target and the confirmation box, drawn with Cairo into the
// frame buffer. The geometry is worked out in y-up coordinates with the
// origin at the frame's bottom-left corner; a flip puts it on Cairo's
// top-left origin. The frame world's one drawing context and glyph buffer
// serve every frame, so drawing allocates nothing.
#include "video/overlays.h"

#include "engine/laser.h"
#include "engine/scanner_instance.h"
#include "toolbox/utf8.h"
#include "video/frame_world.h"
#include "video/live_video.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kBoxGrey = 0.30000001192092896; // 0.3 as a float
constexpr double kCornerRadius = 8.0;
constexpr double kBaselineFactor = 0.14705882352941177; // 5/34
constexpr std::int32_t kFadeStart = 60, kFadeCap = 120;

constexpr std::array<char16_t, 128> macRomanHigh = {
    0xc4,   0xc5,   0xc7,   0xc9,   0xd1,   0xd6,  0xdc,   0xe1,   0xe0,   0xe2,   0xe4,   0xe3,
    0xe5,   0xe7,   0xe9,   0xe8,   0xea,   0xeb,  0xed,   0xec,   0xee,   0xef,   0xf1,   0xf3,
    0xf2,   0xf4,   0xf6,   0xf5,   0xfa,   0xf9,  0xfb,   0xfc,   0x2020, 0xb0,   0xa2,   0xa3,
    0xa7,   0x2022, 0xb6,   0xdf,   0xae,   0xa9,  0x2122, 0xb4,   0xa8,   0x2260, 0xc6,   0xd8,
    0x221e, 0xb1,   0x2264, 0x2265, 0xa5,   0xb5,  0x2202, 0x2211, 0x220f, 0x3c0,  0x222b, 0xaa,
    0xba,   0x3a9,  0xe6,   0xf8,   0xbf,   0xa1,  0xac,   0x221a, 0x192,  0x2248, 0x2206, 0xab,
    0xbb,   0x2026, 0xa0,   0xc0,   0xc3,   0xd5,  0x152,  0x153,  0x2013, 0x2014, 0x201c, 0x201d,
    0x2018, 0x2019, 0xf7,   0x25ca, 0xff,   0x178, 0x2044, 0x20ac, 0x2039, 0x203a, 0xfb01, 0xfb02,
    0x2021, 0xb7,   0x201a, 0x201e, 0x2030, 0xc2,  0xca,   0xc1,   0xcb,   0xc8,   0xcd,   0xce,
    0xcf,   0xcc,   0xd3,   0xd4,   0xf8ff, 0xd2,  0xda,   0xdb,   0xd9,   0x131,  0x2c6,  0x2dc,
    0xaf,   0x2d8,  0x2d9,  0x2da,  0xb8,   0x2dd, 0x2db,  0x2c7,
};

// y-up frame coordinates onto Cairo's.
void FlipToFrame(cairo_t* cr) {
    cairo_translate(cr, 0, kFrameHeight);
    cairo_scale(cr, 1, -1);
}

// Fits the text: the first of 48, 38, 28, ... 8 points at which its advance
// is at most 556 pixels. Leaves the font selected and the glyphs laid out
// from (0, 0) in glyphs; returns their count, the size and the advance.
struct FittedText {
    int glyphCount = 0;
    double size = 0;
    double advance = 0;
};
FittedText FitText(FrameWorld& world, const char* utf8) {
    cairo_t* cr = world.cr.get();
    cairo_select_font_face(cr, kConfirmFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    FittedText fit;
    for (fit.size = kConfirmFirstSize;; fit.size -= kConfirmSizeStep) {
        cairo_set_font_size(cr, fit.size);
        cairo_scaled_font_t* font = cairo_get_scaled_font(cr);
        cairo_glyph_t* glyphs = world.glyphs.data();
        fit.glyphCount = int(world.glyphs.size());
        if (cairo_scaled_font_text_to_glyphs(font, 0, 0, utf8, -1, &glyphs, &fit.glyphCount,
                                             nullptr, nullptr, nullptr) != CAIRO_STATUS_SUCCESS) {
            fit.glyphCount = 0;
        } else if (glyphs != world.glyphs.data()) { // longer than the buffer: keep what fits
            fit.glyphCount = std::min<int>(fit.glyphCount, int(world.glyphs.size()));
            std::copy_n(glyphs, fit.glyphCount, world.glyphs.begin());
            cairo_glyph_free(glyphs);
        }
        cairo_text_extents_t extents{};
        if (fit.glyphCount > 0)
            cairo_scaled_font_glyph_extents(font, world.glyphs.data(), fit.glyphCount, &extents);
        fit.advance = extents.x_advance;
        if (fit.advance <= kConfirmMaxTextWidth || fit.size <= kConfirmSmallestSize) return fit;
    }
}

} // namespace

double ConfirmationOpacity(std::int32_t elapsed) {
    const double t = std::min<double>(elapsed, kFadeCap);
    if (t < kFadeStart) return 1.0;
    const double opacity = std::cos((t - kFadeStart) * 0.016666666666666666 * kPi);
    return std::clamp(double(float(opacity)), 0.0, 1.0);
}

void MacRomanToUtf8(std::string_view text, std::span<char> out) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (n + 5 > out.size()) break;
        if (const std::size_t length = Utf8SequenceLength(text, i); length > 1) {
            for (std::size_t k = 0; k < length; ++k) out[n++] = text[i + k];
            i += length - 1;
            continue;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        const char32_t u = c < 0x80 ? c : macRomanHigh[c - 0x80];
        if (u < 0x80) {
            out[n++] = char(u);
        } else if (u < 0x800) {
            out[n++] = char(0xC0 | (u >> 6));
            out[n++] = char(0x80 | (u & 0x3F));
        } else {
            out[n++] = char(0xE0 | (u >> 12));
            out[n++] = char(0x80 | ((u >> 6) & 0x3F));
            out[n++] = char(0x80 | (u & 0x3F));
        }
    }
    if (!out.empty()) out[std::min(n, out.size() - 1)] = '\0';
}

void VideoDrawOverlays(ScannerInstance* instance) {
    FrameWorld* world = instance->frameWorld;
    if (!world || !instance->showTarget) return;
    cairo_surface_mark_dirty(world->surface.get()); // a frame was copied in since
    cairo_t* cr = world->cr.get();
    cairo_save(cr);
    FlipToFrame(cr);
    cairo_set_line_width(cr, kOverlayLineWidth);
    if (instance->acceptedLaser)
        cairo_set_source_rgba(cr, 0, 1, 0, 1);
    else
        cairo_set_source_rgba(cr, 1, 0, 0, 1);
    const double fullTurn = float(2 * kPi);
    cairo_new_path(cr);
    cairo_arc_negative(cr, kTargetX, kTargetY, kRingRadius, fullTurn, 0.0);
    cairo_stroke(cr);
    cairo_arc_negative(cr, kTargetX, kTargetY, kDotRadius, fullTurn, 0.0);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_surface_flush(world->surface.get());
}

void VideoDrawConfirmation(ScannerInstance* instance, Laser* laser) {
    FrameWorld* world = instance->frameWorld;
    if (!world || !laser) return;
    const double alpha = ConfirmationOpacity(std::int32_t(TickCount() - instance->acceptedTick));
    if (alpha <= 0.0) return; // fully transparent draws nothing

    std::array<char, 256 * 3 + 1> utf8;
    MacRomanToUtf8(laser->text.View(), utf8);
    cairo_surface_mark_dirty(world->surface.get());
    cairo_t* cr = world->cr.get();
    cairo_save(cr);
    const FittedText fit = FitText(*world, utf8.data());
    const int w = int(fit.advance);
    const int halfText = w / 2;
    const int halfBox = (w + 64) / 2;
    const double top = fit.size + 20.5, bottom = 18.5;
    const double right = 320.5 + halfBox - kCornerRadius, left = 319.5 - halfBox + kCornerRadius;

    cairo_save(cr);
    FlipToFrame(cr);
    cairo_new_path(cr);
    cairo_arc_negative(cr, right, top - kCornerRadius, kCornerRadius, kPi / 2, 0);
    cairo_arc_negative(cr, right, bottom, kCornerRadius, 0, -kPi / 2);
    cairo_arc_negative(cr, left, bottom, kCornerRadius, -kPi / 2, -kPi);
    cairo_arc_negative(cr, left, top - kCornerRadius, kCornerRadius, -kPi, -3 * kPi / 2);
    cairo_close_path(cr);
    cairo_set_source_rgba(cr, kBoxGrey, kBoxGrey, kBoxGrey, alpha);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, kOverlayLineWidth);
    cairo_set_source_rgba(cr, 1, 1, 1, alpha);
    cairo_stroke(cr);
    cairo_restore(cr);

    // Text upright: glyphs laid out from (0, 0), moved to the baseline.
    const double baseline = kFrameHeight - (fit.size * kBaselineFactor + 15.0);
    cairo_translate(cr, 319.5 - halfText, baseline);
    cairo_set_source_rgba(cr, 1, 1, 1, alpha);
    cairo_show_glyphs(cr, world->glyphs.data(), fit.glyphCount);
    cairo_restore(cr);
    cairo_surface_flush(world->surface.get());
}
