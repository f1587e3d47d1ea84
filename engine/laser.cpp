// Lasers and the starburst patterns. Each pattern is 37 lasers through the
// frame's centre; pattern k is turned by -k degrees, so ten frames try every
// direction at one-degree spacing while each frame samples only 37 lines.
#include "engine/laser.h"

#include "engine/scanner_instance.h"

#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>

namespace {

// The double nearest 1/180: an angle in degrees times pi times this is in radians.
constexpr double kReciprocal180 = 0.005555555555555556;
constexpr int kMaxRadius = 400;

bool InFrame(int x, int y) {
    return x >= 0 && x < kFrameWidth && y >= 0 && y < kFrameHeight;
}

int Clamp(int v, int lo, int hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

} // namespace

Laser* NewLaser(ScannerInstance* instance, std::int32_t listIndex, std::int32_t x1, std::int32_t y1,
                std::int32_t x2, std::int32_t y2) {
    Laser* laser = new (std::nothrow) Laser;
    if (!laser) return nullptr;
    SetLaserPosition(instance, laser, x1, y1, x2, y2);
    if (listIndex != -1) AddItem(instance, listIndex, laser);
    return laser;
}

void AddItem(ScannerInstance* instance, std::int32_t i, Laser* laser) {
    if (!laser || i < 0 || i >= kPatternCount) return;
    if (!instance->laserHeads[i]) instance->laserHeads[i] = laser;
    laser->prev = instance->laserTails[i];
    if (laser->prev) laser->prev->next = laser;
    instance->laserTails[i] = laser;
    laser->owner = instance;
}

void SetLaserPosition(ScannerInstance*, Laser* laser, std::int32_t x1, std::int32_t y1,
                      std::int32_t x2, std::int32_t y2) {
    x1 = Clamp(x1, 0, kFrameWidth - 1);
    x2 = Clamp(x2, 0, kFrameWidth - 1);
    y1 = Clamp(y1, 0, kFrameHeight - 1);
    y2 = Clamp(y2, 0, kFrameHeight - 1);
    laser->startX = x1;
    laser->startY = y1;
    laser->endX = x2;
    laser->endY = y2;
    double dx = x2 - x1, dy = y2 - y1;
    if (std::fabs(dx) > std::fabs(dy)) {
        laser->sampleCount = std::int32_t(std::fabs(dx));
        laser->stepX = x2 > x1 ? 1.0 : -1.0;
        laser->stepY = dy / std::fabs(dx);
    } else if (dy != 0) { // ties take the y axis
        laser->sampleCount = std::int32_t(std::fabs(dy));
        laser->stepY = y2 > y1 ? 1.0 : -1.0;
        laser->stepX = dx / std::fabs(dy);
    } else { // both ends coincide: nothing to sample
        laser->sampleCount = 0;
        laser->stepX = 0.0;
        laser->stepY = -1.0;
    }
}

Laser* NewStarburstLaserPattern(ScannerInstance* instance, double offX, double offY,
                                std::int32_t count, std::int32_t listIndex) {
    const double step = 360.0 / count;
    Laser* last = nullptr;
    double a = 0.0;
    for (;;) {
        double theta = (a - listIndex) * std::numbers::pi * kReciprocal180;
        double c = std::cos(theta), s = std::sin(theta);
        int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        for (int r = kMaxRadius; r >= 0; --r) {
            x1 = int(320.5 + offX - r * c);
            y1 = int(r * s + offY + 240.5);
            if (InFrame(x1, y1)) break;
        }
        for (int r = kMaxRadius; r >= 0; --r) {
            x2 = int(r * c + offX + 320.5);
            y2 = int(240.5 + offY - r * s);
            if (InFrame(x2, y2)) break;
        }
        a += step;
        last = NewLaser(instance, listIndex, x1, y1, x2, y2);
        if (a >= 360.0) return last;
        // The second half lies between the directions of the first half.
        if (a == 180.0) a = 180.0 - step / 2;
    }
}
