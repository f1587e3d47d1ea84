// Laser geometry and the ten starburst patterns.
#include "engine/laser.h"
#include "engine/scanner_instance.h"

#include <gtest/gtest.h>

namespace {
InstancePtr Instance() {
    return InstancePtr(NewInstance(nullptr, nullptr));
}

struct Row {
    int startX, startY, endX, endY, samples;
};

Row RowOf(const Laser* l) {
    return {int(l->startX), int(l->startY), int(l->endX), int(l->endY), l->sampleCount};
}

bool operator==(const Row& a, const Row& b) {
    return a.startX == b.startX && a.startY == b.startY && a.endX == b.endX && a.endY == b.endY &&
           a.samples == b.samples;
}
std::ostream& operator<<(std::ostream& o, const Row& r) {
    return o << "(" << r.startX << "," << r.startY << ")->(" << r.endX << "," << r.endY << ") "
             << r.samples;
}
} // namespace

TEST(Lasers, EveryPatternHas37LinkedLasers) {
    auto s = Instance();
    for (int p = 0; p < kPatternCount; ++p) {
        int count = 0;
        Laser* prev = nullptr;
        for (Laser* l = s->laserHeads[p]; l; l = l->next) {
            EXPECT_EQ(l->prev, prev);
            EXPECT_EQ(l->owner, s.get());
            prev = l;
            ++count;
        }
        EXPECT_EQ(count, 37) << "pattern " << p;
        EXPECT_EQ(s->laserTails[p], prev);
    }
}

TEST(Lasers, StarburstGeometry) {
    auto s = Instance();
    std::vector<Laser*> pattern0;
    for (Laser* l = s->laserHeads[0]; l; l = l->next) pattern0.push_back(l);
    // Angles 0, 10, ..., 170, then 175, 185, ..., 355.
    auto at = [&](int angle) {
        return pattern0[angle < 175 ? angle / 10 : 18 + (angle - 175) / 10];
    };
    const std::pair<int, Row> rows[] = {
        {0, {0, 240, 639, 240, 639}},   {10, {0, 297, 639, 184, 639}},
        {40, {35, 479, 607, 0, 572}},   {90, {320, 479, 320, 0, 479}},
        {170, {639, 296, 0, 183, 639}}, {175, {639, 268, 0, 212, 639}},
        {185, {639, 212, 0, 268, 639}}, {225, {561, 0, 81, 479, 480}},
        {355, {0, 212, 639, 268, 639}}};
    for (const auto& [angle, row] : rows) EXPECT_EQ(RowOf(at(angle)), row) << "angle " << angle;
    EXPECT_EQ(RowOf(s->laserHeads[1]), (Row{0, 234, 639, 246, 639}));
}

TEST(Lasers, PositionIsClampedAndStepsAlongTheLongAxis) {
    auto s = Instance();
    std::unique_ptr<Laser> l(NewLaser(s.get(), -1, -5, 10, 700, 10));
    EXPECT_EQ(l->owner, nullptr);
    EXPECT_EQ(l->prev, nullptr);
    EXPECT_EQ(RowOf(l.get()), (Row{0, 10, 639, 10, 639}));
    EXPECT_EQ(l->stepX, 1.0);
    EXPECT_EQ(l->stepY, 0.0);

    SetLaserPosition(s.get(), l.get(), 320, 479, 320, 0);
    EXPECT_EQ(l->sampleCount, 479);
    EXPECT_EQ(l->stepY, -1.0);
    EXPECT_EQ(l->stepX, 0.0);

    SetLaserPosition(s.get(), l.get(), 10, 10, 110, 110); // a tie takes y
    EXPECT_EQ(l->stepY, 1.0);
    EXPECT_EQ(l->stepX, 1.0);
    EXPECT_EQ(l->sampleCount, 100);

    SetLaserPosition(s.get(), l.get(), 50, 60, 50, 60);
    EXPECT_EQ(l->sampleCount, 0);
}
