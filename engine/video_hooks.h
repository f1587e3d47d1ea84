// What the engine asks of the video layer, as a table of functions that the
// program hands to NewInstance: the live video (video/live_video.h,
// LiveVideoHooks) in the desktop program and kestrix-scan's live source, the
// null video (video/null_video.h, NullVideoHooks: a frame buffer and nothing
// else) in kestrix-scan's file reading, the benchmarks and the engine's tests.
// The engine never includes a platform header.
#pragma once

#include <cstdint>

struct ScannerInstance;
struct Laser;
struct Movie;
struct FrameWorld;

struct VideoHooks {
    // VideoInitialize: creates the 640x480 frame world and its picture; sets frameWorld.
    void (*initialize)(ScannerInstance* instance);
    // VideoDisposeFrameWorld: releases the frame world; sets frameWorld to null.
    void (*disposeFrameWorld)(ScannerInstance* instance);
    // VideoFrameBase, VideoFrameRowBytes: the frame world's top-left pixel and row length.
    std::uint8_t* (*frameBase)(const FrameWorld* world);
    std::int32_t (*frameRowBytes)(const FrameWorld* world);

    // SetInstancePreviewEnabled: starts or stops capture.
    void (*setPreviewEnabled)(ScannerInstance* instance, bool enabled);
    // VideoSyncFocusSettings: passes the focus settings to the camera.
    void (*syncFocusSettings)(ScannerInstance* instance);

    // VideoDrawOverlays, VideoDrawConfirmation: the aiming target and the
    // confirmation box, painted into the frame buffer.
    void (*drawOverlays)(ScannerInstance* instance);
    void (*drawConfirmation)(ScannerInstance* instance, Laser* laser);

    // AppGetMovieFromBundle (null when the resource is missing),
    // AppDisposeMovie, AppPlayMovieAsync: the confirmation sound.
    Movie* (*getMovieFromBundle)(const char* name);
    void (*disposeMovie)(Movie* movie);
    void (*playMovieAsync)(Movie* movie);
};
