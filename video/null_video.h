// The null video layer: a 640x480 frame buffer cleared to black, and no
// drawing, sound or camera. kestrix-scan's reading of files, the benchmarks
// and the engine's tests hand it to NewInstance.
#pragma once

#include "engine/video_hooks.h"

const VideoHooks& NullVideoHooks();
