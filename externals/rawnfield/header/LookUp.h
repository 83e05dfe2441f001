#pragma once

#include <cstdint>
#include <string>

#include "CurveMath.h"
#include "DistoTypes.h"

namespace Rawnfield {

// One waveshaping curve over the input range [-1, 1]: entry i is the output
// for the input -1 + 2i/(size-1), negative half first. `base` is the curve as
// edited; `second` can replace one half of it (polarity); `working` is base
// with that half replaced, rebuilt on every call that reads it.
class LookUp {
public:
  struct Table {
    double* data = nullptr;
    int32_t capacity = 0;  // allocated entries (the array holds one more)
    int32_t length = 0;    // entries asked for at the last allocation
  };

  // Zero-crossing fade factors, from the centre outwards.
  static const double kSmoothLut[8];

  // All three tables start as the straight line; cosine interpolation.
  explicit LookUp(unsigned short size = 512);
  ~LookUp();
  LookUp(const LookUp&) = delete;
  LookUp& operator=(const LookUp&) = delete;

  // Grows any table whose capacity is below size (new arrays hold zeros; a
  // table large enough keeps its contents), then takes size as the length.
  void allocateMem(unsigned short size);

  // Shapes a stereo block in place through the working table.
  void process(double** io, int n);

  // working := base, with one half taken from second as polarity says; the
  // entry after the last repeats it.
  void buildWorking();

  // The table process() reads, ready for reading: base itself while
  // polarity takes nothing from second and base is at its full length (its
  // spare entry then repeats the last, as working's does), else working,
  // rebuilt. Null when there are no tables. Saves copying the whole curve
  // for every block.
  const double* tableForReading();

  // The curve value at input x read from table T with this curve's
  // interpolation; inputs beyond +-1 read the end entries, NaN reads entry 0.
  // T must hold `size` entries, and size must be at least 1.
  double read(const double* T, double x) const {
    switch (interpolation) {
      case Types::kNoInterpolation:
        return readAs<Types::kNoInterpolation>(T, x);
      case Types::kCosineInterpolation:
        return readAs<Types::kCosineInterpolation>(T, x);
      default:  // any other code reads linearly
        return readAs<Types::kLinearInterpolation>(T, x);
    }
  }

  template <uint32_t Mode>
  double readAs(const double* T, double x) const {
    const double xc = x >= -1.0 ? x : -1.0;
    const double p = xc > 1.0 ? 1.0 : (xc + 1.0) / 2.0;
    const double pos = p * sizeMinusOne;
    const unsigned i = static_cast<unsigned short>(static_cast<int>(pos));
    const double f = pos - i;
    const unsigned j = i + 1u < size ? i + 1u : size - 1u;
    if (Mode == Types::kNoInterpolation) return T[i];
    if (Mode == Types::kCosineInterpolation) {
      const double w = (1.0 - CurveMath::cosine(f * CurveMath::kPi)) / 2.0;
      return (1.0 - w) * T[i] + w * T[j];
    }
    return (1.0 - f) * T[i] + f * T[j];
  }

  // Sets base, second and working to the straight line from -1 to +1.
  void resetToRamp();

  // Fades the 16 base entries around the centre towards 0.
  void smoothZeroCrossing() { smoothZeroCrossing(base.data, size); }
  // The same on any curve array of n points (nothing when n < 4).
  static void smoothZeroCrossing(double* d, int n);

  uint16_t size = 0;
  double sizeMinusOne = 0.0;
  uint32_t interpolation = Types::kCosineInterpolation;
  uint32_t polarity = Types::kPolarityBaseOnly;
  Table base;
  Table second;
  Table working;
  std::string name;
};

}  // namespace Rawnfield
