// The live video's table of the operations that the engine calls.
#include "video/live_video.h"

const VideoHooks& LiveVideoHooks() {
    static constexpr VideoHooks hooks{
        .initialize = VideoInitialize,
        .disposeFrameWorld = VideoDisposeFrameWorld,
        .frameBase = VideoFrameBase,
        .frameRowBytes = VideoFrameRowBytes,
        .setPreviewEnabled = SetInstancePreviewEnabled,
        .syncFocusSettings = VideoSyncFocusSettings,
        .drawOverlays = VideoDrawOverlays,
        .drawConfirmation = VideoDrawConfirmation,
        .getMovieFromBundle = AppGetMovieFromBundle,
        .disposeMovie = AppDisposeMovie,
        .playMovieAsync = AppPlayMovieAsync,
    };
    return hooks;
}
