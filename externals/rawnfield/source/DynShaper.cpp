#include "DynShaper.h"

#include <algorithm>
#include <cmath>

#include "../DspLib/Lanes.h"
#include "CurveMath.h"
#include "Settling.h"

namespace Rawnfield {

namespace {

// floor(k x min(v, 1) + 0.5), 0 for negative (or NaN) settings.
uint32_t selection(double v, int k) {
  const double c = std::min(v, 1.0);
  if (!(c >= 0.0)) return 0;
  return static_cast<uint32_t>(std::floor(k * c + 0.5));
}

bool saturates(uint32_t mode) {
  return mode == kShaperSaturated || mode == kShaperBoostSaturated;
}

bool boosts(uint32_t mode) {
  return mode == kShaperBoost || mode == kShaperBoostSaturated;
}

}  // namespace

DynShaper::~DynShaper() {}

void DynShaper::setAmount(double v) {
  amount = std::isfinite(v) ? v * v : 0.0;
}

void DynShaper::setType(double v) {
  type = selection(v, 2);
}

void DynShaper::setMode(double v) {
  mode = selection(v, 3);
}

void DynShaper::setApplyMode(double v) {
  applyMode = static_cast<int32_t>(selection(v, 2));
}

const char* DynShaper::getShaperText() const {
  switch (type) {
    case kShaperTriangle:
      return "Triangle";
    case kShaperPulse:
      return "Pulse";
    default:
      return "Sine";
  }
}

const char* DynShaper::getModeText() const {
  switch (mode) {
    case kShaperSaturated:
      return "Sat.Shaper";
    case kShaperBoost:
      return "Boost Shaper";
    case kShaperBoostSaturated:
      return "Boost+Sat.Shaper";
    default:
      return "Shaper";
  }
}

double DynShaper::shape(double x, double e) const {
  const double w = peakWidth;
  if (e == 0.0 || w == 0.0) return x;
  if (x < 0.0 && applyMode == kApplyPositive) return x;
  if (x >= 0.0 && applyMode == kApplyNegative) return x;
  const double a = std::fabs(x);
  const double s = UnitMath::signOf(x);
  const double mid = w / 2.0 + (1.0 - e) * (1.0 - w);
  const double lo = mid - w / 2.0;
  const double hi = mid + w / 2.0;
  const double p = lo < a && a < hi ? (a - lo) / w : 0.0;
  double profile;
  switch (type) {
    case kShaperSine:
      profile = std::sin(CurveMath::kPi * p);
      break;
    case kShaperTriangle:
      profile = p < 0.5 ? 2.0 * p : (p - 0.5) * -2.0 + 1.0;
      break;
    case kShaperPulse:
      profile = 0.0 < p && p < 0.5 ? 1.0 : 0.0;
      break;
    default:
      profile = 0.0;
      break;
  }
  double bump = e * kShapeGain * profile;
  if (invert) bump = -bump;
  if (saturates(mode)) {
    // Limited from above only: an inverted bump passes as it is.
    const double limited = e * kMaxShapeSat * bump;
    bump = limited < 1.0 ? limited : 1.0;
  }
  return s * (a + bump);
}

namespace {

using namespace Dsp;

// DynShaper::shape for two samples of one channel at a fixed amount e: the
// same operations lane by lane, the sine taken only where a lane is inside
// the window.
struct LaneShape {
  LaneShape(const DynShaper& d, double amount)
      : e(amount),
        w(d.peakWidth),
        pass(e == 0.0 || w == 0.0),
        type(d.type),
        invert(d.invert),
        saturate(saturates(d.mode)),
        applyMode(d.applyMode) {
    const double mid = w / 2.0 + (1.0 - e) * (1.0 - w);
    lo = mid - w / 2.0;
    hi = mid + w / 2.0;
  }

  Lanes operator()(Lanes x) const {
    if (pass) return x;
    const Lanes zero = splat(0.0), one = splat(1.0);
    const Lanes a = absLanes(x);
    const Lanes sign = select(lessThan(x, zero), splat(-1.0), one);
    const LaneMask inside = maskAnd(lessThan(splat(lo), a), lessThan(a, splat(hi)));
    Lanes profile = zero;
    if (anyLane(inside)) {
      const Lanes p = select(inside, (a - splat(lo)) / splat(w), zero);
      switch (type) {
        case kShaperSine:
          profile = lanes(std::sin(CurveMath::kPi * lane0(p)), std::sin(CurveMath::kPi * lane1(p)));
          break;
        case kShaperTriangle:
          profile =
              select(lessThan(p, splat(0.5)), splat(2.0) * p, (p - splat(0.5)) * splat(-2.0) + one);
          break;
        case kShaperPulse:
          profile = select(maskAnd(lessThan(zero, p), lessThan(p, splat(0.5))), one, zero);
          break;
        default:
          break;
      }
    }
    Lanes bump = splat(e * DynShaper::kShapeGain) * profile;
    if (invert) bump = -bump;
    if (saturate) {
      const Lanes limited = splat(e * DynShaper::kMaxShapeSat) * bump;
      bump = select(lessThan(limited, one), limited, one);
    }
    const Lanes y = sign * (a + bump);
    if (applyMode == DynShaper::kApplyPositive) return select(lessThan(x, zero), x, y);
    if (applyMode == DynShaper::kApplyNegative) return select(greaterEqual(x, zero), x, y);
    return y;
  }

  double e, w, lo, hi;
  bool pass;
  uint32_t type;
  bool invert, saturate;
  int32_t applyMode;
};

}  // namespace

void DynShaper::process(double** io, double* mod, int n) {
  if (isFadedOut() || amount == 0.0 || n < 1) return;
  if (!UnitMath::isBlock(io, n)) return;
  const bool boost = boosts(mode);
  double* left = io[0];
  double* right = io[1];
  // Frame by frame while the amount or the switching ramp moves, or with a
  // modulation. The frame whose step leaves the amount unchanged already
  // goes with the rest of the block: it takes the same value there.
  int i = 0;
  while (i < n) {
    const double last = amountSmoother.state;
    const bool ramp = fadeGain != 0.0 && fadeGain != 1.0;
    const double smoothed = amountSmoother.next(amount);
    if (!mod && !ramp && Settling::sameBits(smoothed, last)) break;
    double e = smoothed * fadeGain;
    if (mod) e = e * mod[i];
    if (boost) {
      const double g = e * kMaxBoostGain;
      left[i] = CurveMath::clampUnit(left[i] * g);
      right[i] = CurveMath::clampUnit(right[i] * g);
    }
    left[i] = shape(left[i], e);
    right[i] = shape(right[i], e);
    advanceFade();
    ++i;
  }
  if (i >= n) return;
  const double e = amountSmoother.state * fadeGain;
  const LaneShape shapeTwo(*this, e);
  const Lanes g = splat(e * kMaxBoostGain);
  const Lanes lo = splat(-1.0), hi = splat(1.0);
  for (double* x : {left, right}) {
    int k = i;
    for (; k + 2 <= n; k += 2) {
      Lanes v = loadLanes(x + k);
      // clampUnit lane by lane, NaN passing.
      if (boost) v = minLanes(hi, maxLanes(lo, v * g));
      storeLanes(x + k, shapeTwo(v));
    }
    if (k < n) {
      if (boost) x[k] = CurveMath::clampUnit(x[k] * (e * kMaxBoostGain));
      x[k] = shape(x[k], e);
    }
  }
}

void DynShaper::updateGUIData(double* curve, int nCurve, double* wave, int nWave) const {
  const double e = amount;
  if (curve)
    for (int i = 0; i < nCurve; ++i)
      curve[i] = shape((static_cast<double>(i) / nCurve - 0.5) * 2.0, e);
  if (wave)
    for (int j = 0; j < nWave; ++j) wave[j] = shape(std::sin(CurveMath::kTwoPi * j / nWave), e);
}

}  // namespace Rawnfield
