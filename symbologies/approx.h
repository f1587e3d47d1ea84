// The width comparisons that the decoders share.
#pragma once

// True when the smaller of a and b is at least 0.75 of the larger.
inline bool Approx(double a, double b) {
    if (a > b) return !(b / a < 0.75);
    if (b > a) return !(a / b < 0.75);
    return true;
}
// The smaller divided by the larger, 1.0 for equal values.
inline double ApproxScore(double a, double b) {
    if (a > b) return b / a;
    if (b > a) return a / b;
    return 1.0;
}
