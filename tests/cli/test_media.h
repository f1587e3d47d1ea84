// Test pictures and videos for kestrix-scan, made by independent encoders:
// libzint draws the barcodes, GStreamer's own encoders write PNG, JPEG,
// WebP, a Motion-JPEG AVI video and an H.264 MP4 video.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// 8-bit RGB, rows top to bottom without padding.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    static RgbImage Filled(int width, int height, std::uint8_t grey);
};

struct BarcodeLook {
    float scale = 2;     // libzint scale: 1 draws a module 2 pixels wide
    int whitespace = 10; // quiet zone left and right, modules
};

// libzint writes the symbol straight to a PNG file. Empty on success, else
// libzint's message.
std::string WriteZintPng(int symbology, const std::string& data, const std::string& path,
                         const BarcodeLook& look = {});

// libzint's raster of the symbol (white background, human-readable text).
RgbImage RenderBarcode(int symbology, const std::string& data, const BarcodeLook& look = {});

// The symbol as a camera might see it: placed at the centre of a larger
// unevenly lit grey canvas, turned by degrees, scaled by zoom and overlaid
// with sensor noise drawn from seed.
struct PhotoLook {
    int width = 1600;
    int height = 1200;
    double degrees = 6;
    double zoom = 2;
    double noise = 6; // standard deviation, grey levels
    std::uint32_t seed = 1;
};
RgbImage Photo(const RgbImage& label, const PhotoLook& look);

// Writes one picture with GStreamer's pngenc, jpegenc or webpenc, chosen by
// the path's extension. Empty on success, else GStreamer's message.
std::string EncodePicture(const RgbImage& image, const std::string& path);

// Writes frameCount frames of 30 frames a second: H.264 in MP4 when the
// path ends in ".mp4", else Motion-JPEG in AVI; frameAt(i) gives frame i (all of one size). Empty
// on success.
std::string EncodeVideo(int frameCount, const std::function<const RgbImage&(int)>& frameAt,
                        const std::string& path);
