// kestrix-scan --source: the live loop without a window, on the camera or
// any GStreamer source, at the source's own pace.
#pragma once

#include "cli/file_scan.h"

#include <string>

// Runs the capture loop until the source ends or the user presses Ctrl+C,
// calling onRead for every accepted read as it happens and saving the frame
// of each read in options.snapshotDir when one is given. False when the
// source could not be opened or failed, with the reason in error; reads
// before a failure have been reported all the same.
bool ScanLive(const ScanOptions& options, const ReadCallback& onRead, std::string& error);
