#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

// Amplitude of the component at w (radians per frame) in y[from..], by a
// least-squares fit of a sine and a cosine, so a pure tone is measured
// exactly whatever the length.
inline double toneAmplitude(const std::vector<double>& y, double w, size_t from = 0) {
  double ss = 0, cc = 0, sc = 0, ys = 0, yc = 0;
  for (size_t n = from; n < y.size(); ++n) {
    const double s = std::sin(w * static_cast<double>(n)), c = std::cos(w * static_cast<double>(n));
    ss += s * s;
    cc += c * c;
    sc += s * c;
    ys += y[n] * s;
    yc += y[n] * c;
  }
  const double det = ss * cc - sc * sc;
  const double a = (ys * cc - yc * sc) / det;
  const double b = (yc * ss - ys * sc) / det;
  return std::hypot(a, b);
}
