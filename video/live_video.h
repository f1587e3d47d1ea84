// The live video operations that the engine reaches through its VideoHooks
// (engine/video_hooks.h): the frame world, capture on and off, focus, the
// overlays and the confirmation sound. The desktop program, kestrix-scan's
// live source and the video tests hand LiveVideoHooks to NewInstance and may
// call the operations themselves.
#pragma once

#include "engine/video_hooks.h"

// The table of the functions below, for NewInstance.
const VideoHooks& LiveVideoHooks();

// Creates the 640x480 frame world and its no-camera picture; sets frameWorld.
void VideoInitialize(ScannerInstance* instance);
// Releases the frame world; sets frameWorld to null.
void VideoDisposeFrameWorld(ScannerInstance* instance);
std::uint8_t* VideoFrameBase(const FrameWorld* world);
std::int32_t VideoFrameRowBytes(const FrameWorld* world);

// Starts or stops capture.
void SetInstancePreviewEnabled(ScannerInstance* instance, bool enabled);
// Passes the focus settings to the camera.
void VideoSyncFocusSettings(ScannerInstance* instance);

void VideoDrawOverlays(ScannerInstance* instance);
void VideoDrawConfirmation(ScannerInstance* instance, Laser* laser);

// The confirmation sound: null when the resource is missing.
Movie* AppGetMovieFromBundle(const char* name);
void AppDisposeMovie(Movie* movie);
void AppPlayMovieAsync(Movie* movie);
