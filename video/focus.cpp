// Camera focus on the V4L2 controls, addressed by ID: automatic focus off
// and the absolute position set for manual focus, automatic focus on
// otherwise. A camera without the controls gets no focus control.
#include "engine/scanner_instance.h"
#include "video/capture.h"
#include "video/live_video.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cmath>

std::int32_t MapFocusDistance(double distance, const CameraControlRange& range) {
    if (range.maximum <= range.minimum) return range.minimum;
    const double d = std::isnan(distance) ? 0.0 : std::clamp(distance, 0.0, 1.0);
    const double span = double(range.maximum) - double(range.minimum);
    const double step = std::max(1, range.step);
    const double steps = std::round((1.0 - d) * span / step); // 0.0 is nearest: the top
    return std::int32_t(std::min<double>(range.maximum, range.minimum + steps * step));
}

void VideoSyncFocusSettings(ScannerInstance* instance) {
    if (!instance || !instance->channel) return;
    CameraControls* controls = instance->channel->Controls();
    if (!controls) return;
    CameraControlRange autoRange, absoluteRange;
    const bool hasAuto = controls->Query(V4L2_CID_FOCUS_AUTO, autoRange);
    const bool hasAbsolute = controls->Query(V4L2_CID_FOCUS_ABSOLUTE, absoluteRange);
    if (instance->manualFocus && hasAbsolute) {
        if (hasAuto) controls->Set(V4L2_CID_FOCUS_AUTO, 0);
        controls->Set(V4L2_CID_FOCUS_ABSOLUTE,
                      MapFocusDistance(instance->focusDistance, absoluteRange));
    } else if (hasAuto) {
        controls->Set(V4L2_CID_FOCUS_AUTO, 1);
    }
}
