// The sensor noise along a laser. A webcam's sensor adds a few grey levels
// of noise to every sample, and the mean threshold, whose floor is made for
// clean pictures, then reads its flicker in a blank quiet zone or a wide bar
// as thin bars: on such a laser the mean threshold's floor is raised to the
// noise.
#pragma once

// The median step between neighbouring samples (0..1020 luminance), at most
// kMaxNoiseStep: about the noise's standard deviation, since most of a
// laser's steps lie inside bars, spaces and the background, not on edges.
constexpr int kMaxNoiseStep = 63;
int SampleNoise(const int* samples, int n);
