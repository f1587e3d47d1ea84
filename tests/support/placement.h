// Where a symbol lies in the frame: the affine map between symbol
// coordinates (u along the reading direction, v across it, in modules) and
// frame pixels (x right, y down).
#pragma once

#include <cmath>

struct Placement {
    double centreX = 320; // frame point where the symbol's centre lies, pixels
    double centreY = 240;
    double symbolU = 0; // symbol point placed there, modules
    double symbolV = 0;
    double pixelsPerModule = 3;
    double angleDegrees = 0; // reading direction, counter-clockwise on screen

    // Reading direction in the frame: (cos a, -sin a), since y grows down.
    double DirX() const { return std::cos(Radians()); }
    double DirY() const { return -std::sin(Radians()); }
    // Across the bars, from their top to their bottom: (sin a, cos a).
    double AcrossX() const { return std::sin(Radians()); }
    double AcrossY() const { return std::cos(Radians()); }

    double FrameX(double u, double v) const {
        return centreX + ((u - symbolU) * DirX() + (v - symbolV) * AcrossX()) * pixelsPerModule;
    }
    double FrameY(double u, double v) const {
        return centreY + ((u - symbolU) * DirY() + (v - symbolV) * AcrossY()) * pixelsPerModule;
    }
    double SymbolU(double x, double y) const {
        return symbolU + ((x - centreX) * DirX() + (y - centreY) * DirY()) / pixelsPerModule;
    }
    double SymbolV(double x, double y) const {
        return symbolV + ((x - centreX) * AcrossX() + (y - centreY) * AcrossY()) / pixelsPerModule;
    }

  private:
    double Radians() const { return angleDegrees * 3.141592653589793 / 180.0; }
};
