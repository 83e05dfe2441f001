#pragma once

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Distortion.h"
#include "DistortionDataProvider.h"

// One distortion unit for the whole run, built on first use. Every input
// starts from the straight line.
inline Rawnfield::Distortion& fuzzUnit() {
  static Rawnfield::DistortionDataProvider provider;
  static Rawnfield::Distortion unit(provider);
  static bool ready = false;
  if (!ready) {
    unit.init();
    ready = true;
  }
  unit.dataAction(Rawnfield::Types::kResetCurve);
  return unit;
}

// A broken promise is a crash, so the fuzzer reports it.
inline void fuzzCheck(bool ok) {
  if (!ok) abort();
}

// Either the curve is exactly as before, or every entry is a finite value
// in [-1, 1].
inline void checkCurveAfter(const Rawnfield::Distortion& unit, const double* before, bool loaded) {
  const double* now = unit.getLutData();
  for (int i = 0; i < 512; ++i) {
    if (loaded)
      fuzzCheck(std::isfinite(now[i]) && now[i] >= -1.0 && now[i] <= 1.0);
    else
      fuzzCheck(memcmp(&now[i], &before[i], sizeof(double)) == 0);
  }
}
