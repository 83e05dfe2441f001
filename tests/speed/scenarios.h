#pragma once

#include <string>
#include <vector>

// Fixed runs of the processing units: each drives one unit (or the whole
// chain) through several blocks of a fixed stereo signal, with settings
// changing between blocks, and returns every output frame as interleaved
// left/right values (followed by any unit state the run records).
//
// Their outputs were captured once into data/<name>.f64 (raw little-endian
// doubles) by speed_capture; the test reruns them and compares, so that
// faster processing can be shown to give the same results.
namespace SpeedScenarios {

struct Scenario {
  const char* name;
  std::vector<double> (*run)();
  // Largest difference allowed against the captured output, relative to
  // values above 1.
  double tolerance;
};

const std::vector<Scenario>& all();

// A deterministic test signal: tones, noise and level changes, a quiet
// stretch decaying towards zero and a few hot samples. `seed` varies it.
std::vector<double> signal(int n, unsigned seed, double level);

}  // namespace SpeedScenarios
