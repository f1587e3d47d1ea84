// The null video layer: a 640x480 frame buffer cleared to black, and no
// drawing, sound or camera. The engine's tests and kestrix-scan use it.
#include "engine/laser.h"
#include "engine/scanner_instance.h"
#include "engine/video_hooks.h"

#include <new>
#include <vector>

struct FrameWorld {
    std::vector<std::uint32_t> pixels;
};

void VideoInitialize(ScannerInstance* instance) {
    auto* world = new (std::nothrow) FrameWorld;
    if (!world) return;
    world->pixels.assign(std::size_t(kFrameWidth) * kFrameHeight, 0xFF000000u);
    instance->frameWorld = world;
}

void VideoDisposeFrameWorld(ScannerInstance* instance) {
    delete instance->frameWorld;
    instance->frameWorld = nullptr;
}

std::uint8_t* VideoFrameBase(const FrameWorld* world) {
    return world ? reinterpret_cast<std::uint8_t*>(const_cast<std::uint32_t*>(world->pixels.data()))
                 : nullptr;
}

std::int32_t VideoFrameRowBytes(const FrameWorld* world) {
    return world ? kFrameWidth * 4 : 0;
}

void SetInstancePreviewEnabled(ScannerInstance* instance, bool enabled) {
    instance->previewEnabled = enabled;
}
void VideoSyncFocusSettings(ScannerInstance*) {}
void VideoDrawOverlays(ScannerInstance*) {}
void VideoDrawConfirmation(ScannerInstance*, Laser*) {}

Movie* AppGetMovieFromBundle(const char*) {
    return nullptr;
}
void AppDisposeMovie(Movie*) {}
void AppPlayMovieAsync(Movie*) {}
