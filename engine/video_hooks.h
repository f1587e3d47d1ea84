// What the engine asks of the video layer. The engine declares these and
// never includes a platform header; the video library defines them, and the
// null video library (frame buffer only) defines them for tests and for the
// command-line scanner.
#pragma once

#include <cstdint>

struct ScannerInstance;
struct Laser;
struct Movie;
struct FrameWorld;

// Creates the 640x480 frame world and its picture; sets frameWorld.
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
