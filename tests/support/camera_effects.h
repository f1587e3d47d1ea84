// What the camera does to a scene: defocus blur, uneven lighting, sensor
// noise and quantisation into the 0xAARRGGBB words of a frame.
#pragma once

#include "tests/support/frame.h"

#include <cstdint>

// Separable Gaussian blur; a sigma below 0.05 pixels leaves the image alone.
void GaussianBlur(GrayImage& image, double sigma);

// Multiplies the scene by a light ramp: 1 + strength at one edge of the
// frame, 1 - strength at the other, along the direction angleDegrees.
void ApplyLighting(GrayImage& image, double strength, double angleDegrees);

struct SensorOptions {
    double noiseSigma = 2.0; // additive Gaussian noise per channel, grey levels
    std::uint64_t seed = 1;  // draws the noise
};

// Quantises the scene into a frame with a faint paper tint (red a little
// above, blue a little below the grey level) and the sensor's noise.
Frame ToFrame(const GrayImage& scene, const SensorOptions& sensor);
