#include "LookUp.h"

#include <cstring>

#include "CurveLanes.h"

namespace Rawnfield {

const double LookUp::kSmoothLut[8] = {0.0, 0.125, 0.25, 0.375, 0.5, 0.625, 0.75, 0.875};

namespace {

// One entry more than asked for: buildWorking repeats the last point of
// the working table there, so that a read can always take the entry after
// the one below its input.
void growTable(LookUp::Table& t, unsigned short size) {
  if (t.capacity >= size) return;
  delete[] t.data;
  t.data = nullptr;
  t.capacity = t.length = 0;
  t.data = new double[size + 1]();
  t.capacity = t.length = size;
}

template <uint32_t Mode>
void shapeBlock(const LookUp& lut, const double* T, double** io, int n) {
  for (int c = 0; c < 2; ++c)
    if (io[c]) CurveLanes::shape<Mode>(lut, T, io[c], n);
}

}  // namespace

LookUp::LookUp(unsigned short n) {
  try {
    allocateMem(n);
  } catch (...) {
    // The destructor does not run for a half-built object.
    delete[] base.data;
    delete[] second.data;
    delete[] working.data;
    throw;
  }
  if (n > 0) resetToRamp();
}

LookUp::~LookUp() {
  delete[] base.data;
  delete[] second.data;
  delete[] working.data;
}

void LookUp::allocateMem(unsigned short n) {
  growTable(base, n);
  growTable(second, n);
  growTable(working, n);
  size = n;
  sizeMinusOne = static_cast<double>(n) - 1.0;
}

void LookUp::resetToRamp() {
  CurveMath::fillRamp(base.data, size);
  CurveMath::fillRamp(second.data, size);
  CurveMath::fillRamp(working.data, size);
}

void LookUp::buildWorking() {
  if (!working.data || !base.data) return;
  memcpy(working.data, base.data, sizeof(double) * size);
  const int half = size / 2;
  if (polarity == Types::kPolaritySecondNegative)
    memcpy(working.data, second.data, sizeof(double) * half);
  else if (polarity == Types::kPolaritySecondPositive)
    memcpy(working.data + half, second.data + half, sizeof(double) * half);
  if (size > 0) working.data[size] = working.data[size - 1];
}

const double* LookUp::tableForReading() {
  if (!working.data || !base.data) return nullptr;
  if (polarity == Types::kPolaritySecondNegative || polarity == Types::kPolaritySecondPositive) {
    buildWorking();
    return working.data;
  }
  // Only the spare entry after a full-length table is free to write: below
  // the capacity, the entries past the length still hold the longer curve.
  if (size == 0 || size != base.capacity) {
    buildWorking();
    return working.data;
  }
  base.data[size] = base.data[size - 1];
  return base.data;
}

void LookUp::process(double** io, int n) {
  if (!io || n < 1) return;
  const double* T = tableForReading();
  if (!T || size == 0) {
    for (int c = 0; c < 2; ++c)
      if (io[c]) memset(io[c], 0, sizeof(double) * n);
    return;
  }
  switch (interpolation) {
    case Types::kNoInterpolation:
      shapeBlock<Types::kNoInterpolation>(*this, T, io, n);
      break;
    case Types::kCosineInterpolation:
      shapeBlock<Types::kCosineInterpolation>(*this, T, io, n);
      break;
    default:
      shapeBlock<Types::kLinearInterpolation>(*this, T, io, n);
      break;
  }
}

void LookUp::smoothZeroCrossing(double* d, int n) {
  if (!d || n < 4) return;
  const int h = n / 2;
  const int k = h < 8 ? h : 8;
  for (int j = 0; j < k; ++j) {
    d[h - 1 - j] *= kSmoothLut[j];
    d[h + j] *= kSmoothLut[j];
  }
}

}  // namespace Rawnfield
