// The null video layer: the frame buffer is a plain vector of pixels; the
// rest does nothing.
#include "video/null_video.h"

#include "engine/laser.h"
#include "engine/scanner_instance.h"

#include <new>
#include <vector>

struct FrameWorld {
    std::vector<std::uint32_t> pixels;
};

namespace {

void Initialize(ScannerInstance* instance) {
    auto* world = new (std::nothrow) FrameWorld;
    if (!world) return;
    world->pixels.assign(std::size_t(kFrameWidth) * kFrameHeight, 0xFF000000u);
    instance->frameWorld = world;
}

void DisposeFrameWorld(ScannerInstance* instance) {
    delete instance->frameWorld;
    instance->frameWorld = nullptr;
}

std::uint8_t* FrameBase(const FrameWorld* world) {
    return world ? reinterpret_cast<std::uint8_t*>(const_cast<std::uint32_t*>(world->pixels.data()))
                 : nullptr;
}

std::int32_t FrameRowBytes(const FrameWorld* world) {
    return world ? kFrameWidth * 4 : 0;
}

void SetPreviewEnabled(ScannerInstance* instance, bool enabled) {
    instance->previewEnabled = enabled;
}

} // namespace

const VideoHooks& NullVideoHooks() {
    static constexpr VideoHooks hooks{
        .initialize = Initialize,
        .disposeFrameWorld = DisposeFrameWorld,
        .frameBase = FrameBase,
        .frameRowBytes = FrameRowBytes,
        .setPreviewEnabled = SetPreviewEnabled,
        .syncFocusSettings = [](ScannerInstance*) {},
        .drawOverlays = [](ScannerInstance*) {},
        .drawConfirmation = [](ScannerInstance*, Laser*) {},
        .getMovieFromBundle = [](const char*) -> Movie* { return nullptr; },
        .disposeMovie = [](Movie*) {},
        .playMovieAsync = [](Movie*) {},
    };
    return hooks;
}
