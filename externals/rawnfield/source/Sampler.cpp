#include "Sampler.h"

#include <cmath>
#include <cstring>

namespace Rawnfield {

void SampleObject::setData(const double* values, int n, double rate) {
  if (n < 0 || (n > 0 && !values) || !(rate > 0.0) || !std::isfinite(rate)) return;
  if (allocated < n) {
    data.reset(new double[n]());
    allocated = n;
  }
  if (n > 0) std::memcpy(data.get(), values, sizeof(double) * n);
  // Reads stop at the new data's end, whatever an earlier, longer call left
  // behind in the array.
  count = n;
  dataRate = rate;
  duration = n / rate;
}

double SampleObject::getSample(double t) const {
  if (!(t >= 0.0) || !(t < duration) || count < 1) return 0.0;
  const double x = t * dataRate;
  int i = static_cast<int>(x);
  // t just below the duration can round to the end.
  if (i > count - 1) i = count - 1;
  const double f = x - i;
  const int j = i + 1 < count ? i + 1 : count - 1;
  return f * data[j] + (1.0 - f) * data[i];
}

}  // namespace Rawnfield
