#pragma once

// Second-order designs from the closed formulas of the RBJ audio-equaliser cookbook. Each is
// one biquad; frequencies and the sample rate in Hz, gains in dB.

#include "Biquad.h"

namespace Dsp {
namespace RBJ {

class LowPass : public Biquad {
public:
  void setup(double sampleRate, double cutoffFrequency, double q);
};

class HighPass : public Biquad {
public:
  void setup(double sampleRate, double cutoffFrequency, double q);
};

// Peak gain q at the center frequency; the band width argument enters the formula as q.
class BandPass1 : public Biquad {
public:
  void setup(double sampleRate, double centerFrequency, double bandWidth);
};

// Peak gain 1.
class BandPass2 : public Biquad {
public:
  void setup(double sampleRate, double centerFrequency, double bandWidth);
};

class BandStop : public Biquad {
public:
  void setup(double sampleRate, double centerFrequency, double bandWidth);
};

class LowShelf : public Biquad {
public:
  void setup(double sampleRate, double cutoffFrequency, double gainDb, double shelfSlope);
};

class HighShelf : public Biquad {
public:
  void setup(double sampleRate, double cutoffFrequency, double gainDb, double shelfSlope);
};

// A peaking section; band width in octaves.
class BandShelf : public Biquad {
public:
  void setup(double sampleRate, double centerFrequency, double gainDb, double bandWidth);
};

class AllPass : public Biquad {
public:
  void setup(double sampleRate, double phaseFrequency, double q);
};

// Smallest value of the term under the shelves' square root. That term is 1/Q^2 of the
// shelf; with a slope above 1 and a large gain it turns negative (NaN coefficients), and at 0
// the poles sit on the unit circle. Holding it at 1/256 limits the slope so the shelf's
// resonance never exceeds 16, the largest Q the descriptors offer.
const double kMinShelfAlphaTerm = 1.0 / 256;

// Largest argument of the band shelf's hyperbolic sine. Wide bands near half the sample
// rate drive it into the thousands: the sine overflows, or the poles round onto the unit
// circle. Beyond 30 the section is already a flat gain across the band.
const double kMaxBandShelfSinhArgument = 30;

}  // namespace RBJ
}  // namespace Dsp
