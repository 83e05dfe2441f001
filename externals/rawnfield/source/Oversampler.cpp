#include "Oversampler.h"

#include <cstring>

#include "UnitMath.h"

namespace Rawnfield {

using UnitMath::flushTiny;

Oversampler::Oversampler() {
  // Usable even before the owner's reset: a designed filter, clear histories.
  reset();
}

void Oversampler::setBlockSize(int n) {
  blockSize = n;
  upLeft.grow(n * factor);
  upRight.grow(n * factor);
  downLeft.grow(n);
  downRight.grow(n);
  up[0] = upLeft.data;
  up[1] = upRight.data;
  down[0] = downLeft.data;
  down[1] = downRight.data;
}

void Oversampler::reset() {
  coefficients = KIT_BesselFilterCoeffs::Calc(0.5 / factor);
  std::memset(states, 0, sizeof states);
}

double Oversampler::filter(double* h, double x) const {
  const double* c = coefficients.c;
  double y = c[0] * x + c[1] * h[0] + c[2] * h[1] + c[3] * h[2] + c[4] * h[3] + c[5] * h[4] +
             c[6] * h[5] + c[7] * h[6] + c[8] * h[7];
  y = flushTiny(y);
  for (int k = kHistory - 1; k > 0; --k) h[k] = h[k - 1];
  h[0] = y;
  return y;
}

void Oversampler::upsample(double** in, double**, int n) {
  if (n < 1 || factor < 1 || !in || !in[0] || !in[1]) return;
  const int frames = upCapacity() / factor;
  if (n > frames) n = frames;
  const double gain = static_cast<double>(factor);
  for (int i = 0; i < n; ++i) {
    for (int k = 0; k < factor; ++k) {
      const int at = i * factor + k;
      const double xl = k == 0 ? in[0][i] : 0.0;
      const double xr = k == 0 ? in[1][i] : 0.0;
      up[0][at] = flushTiny(gain * filter(states[kUpLeft], xl));
      up[1][at] = flushTiny(gain * filter(states[kUpRight], xr));
    }
  }
}

void Oversampler::downsample(double** in, double**, int n) {
  if (n < 1 || factor < 1 || !in || !in[0] || !in[1]) return;
  const int kept = downCapacity();
  for (int j = 0; j < n; ++j) {
    const double yl = filter(states[kDownLeft], in[0][j]);
    const double yr = filter(states[kDownRight], in[1][j]);
    if (j % factor != 0) continue;
    const int at = j / factor;
    if (at >= kept) continue;
    down[0][at] = yl * outputGain;
    down[1][at] = yr * outputGain;
  }
}

void Oversampler::copyDown(double** io, int n) const {
  std::memcpy(io[0], down[0], sizeof(double) * n);
  std::memcpy(io[1], down[1], sizeof(double) * n);
}

}  // namespace Rawnfield
