// Builds a laser's run table from edges found in order along it, for the
// analyses that find edges rather than levels. The table keeps the shape of
// the first analysis: it starts at 0.0 with a space (of width 0.0 when the
// laser starts on a bar), runs alternate, and the last run ends at the
// laser's sampleCount, a space too (of width 0.0 when it ends on a bar).
#pragma once

#include "engine/laser.h"

class RunBuilder {
  public:
    explicit RunBuilder(Laser* laser) : laser_(laser) { laser_->elementCount = 0; }

    // An edge at position: a bar begins there (barStarts) or ends there. An
    // edge that does not change the run is ignored, as is one behind the last.
    void Edge(double position, bool barStarts) {
        if (barStarts == inBar_) {
            if (barStarts || count_ > 0) return;
            // The laser starts on a bar: a space of no width comes first.
            Append(0.0);
        }
        if (position < lastEdge_) position = lastEdge_;
        if (count_ >= kMaxElements - 1) return;
        Append(position);
    }

    // The closing run; a laser without edges keeps an empty table.
    void Finish() {
        if (count_ == 0) return;
        double end = laser_->sampleCount;
        if (end < lastEdge_) end = lastEdge_;
        Append(end);
        if (!inBar_) Append(end); // it ended on a bar: a space of no width closes it
        laser_->elementCount = count_;
    }

  private:
    void Append(double edge) {
        laser_->elements[count_++] = {lastEdge_, edge - lastEdge_, inBar_ ? 1u : 0u};
        lastEdge_ = edge;
        inBar_ = !inBar_;
    }

    Laser* laser_;
    int count_ = 0;
    double lastEdge_ = 0.0;
    bool inBar_ = false;
};
