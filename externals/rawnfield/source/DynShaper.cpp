#include "DynShaper.h"

#include <algorithm>
#include <cmath>

#include "../DspLib/Lanes.h"
#include "CurveMath.h"
#include "Settling.h"
#include "UnitLanes.h"

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
      profile = CurveMath::sine(CurveMath::kPi * p);
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

#if defined(DSP_WIDE_LANES)
using UnitLanes::Eight;
using UnitLanes::Four;
#endif

// DynShaper::shape for the lanes of V, after the boost where the mode has
// it: the same operations lane by lane, the sine taken only where some lane
// is inside the window. All lanes share one amount, or each has its own.
template <class V>
struct Shaping {
  typedef UnitLanes::Mask<V> Mask;

  // Every lane at the amount e.
  RN_INLINE Shaping(const DynShaper& d, double e) : Shaping(d) {
    UnitLanes::splat(amount, e);
    derive(d.peakWidth);
    allPass = e == 0.0 || d.peakWidth == 0.0;
  }

  // Each lane at its own amount.
  RN_INLINE Shaping(const DynShaper& d, const V& e) : Shaping(d) {
    amount = e;
    derive(d.peakWidth);
    allPass = d.peakWidth == 0.0;
    perLane = true;
    UnitLanes::equal(pass, amount, zero);
  }

  // x boosted (clampUnit lane by lane, NaN passing) and shaped, in place.
  RN_INLINE void operator()(V& x) const {
    if (boost) {
      V v = x * boostGain;
      UnitLanes::larger(v, minusOne, v);
      UnitLanes::smaller(x, one, v);
    }
    if (allPass) return;
    V a, sign;
    UnitLanes::magnitude(a, x);
    Mask negative, above, below, inside;
    UnitLanes::lessThan(negative, x, zero);
    UnitLanes::select(sign, negative, minusOne, one);
    UnitLanes::lessThan(above, lo, a);
    UnitLanes::lessThan(below, a, hi);
    UnitLanes::both(inside, above, below);
    V profile = zero;
    if (UnitLanes::anyLane(inside)) {
      V p;
      UnitLanes::select(p, inside, (a - lo) / width, zero);
      Mask m, n;
      switch (type) {
        case kShaperSine:
          profile = pi * p;
          // Below 2^-27 the sine is its argument, bit for bit (the cube's
          // share stays under half an ulp): frames whose lanes are all that
          // small, as the full amount lets in, skip the library calls.
          UnitLanes::greaterEqual(m, profile, small);
          if (UnitLanes::anyLane(m)) UnitLanes::sine(profile);
          break;
        case kShaperTriangle:
          UnitLanes::lessThan(m, p, half);
          UnitLanes::select(profile, m, two * p, (p - half) * minusTwo + one);
          break;
        case kShaperPulse:
          UnitLanes::lessThan(m, zero, p);
          UnitLanes::lessThan(n, p, half);
          UnitLanes::both(m, m, n);
          UnitLanes::select(profile, m, one, zero);
          break;
        default:
          break;
      }
    }
    V bump = gain * profile;
    if (invert) bump = -bump;
    if (saturate) {
      const V limited = limit * bump;
      UnitLanes::lessThan(below, limited, one);
      UnitLanes::select(bump, below, limited, one);
    }
    V y = sign * (a + bump);
    Mask keep;
    if (applyMode == DynShaper::kApplyPositive) {
      UnitLanes::lessThan(keep, x, zero);
      UnitLanes::select(y, keep, x, y);
    } else if (applyMode == DynShaper::kApplyNegative) {
      UnitLanes::greaterEqual(keep, x, zero);
      UnitLanes::select(y, keep, x, y);
    }
    if (perLane) UnitLanes::select(y, pass, x, y);
    x = y;
  }

  V zero, one, minusOne, half, two, minusTwo, pi, small;
  V amount, width, lo, hi, gain, limit, boostGain;
  Mask pass;  // lanes at amount 0, which keep their input as shape's do
  uint32_t type;
  int32_t applyMode;
  bool invert, saturate, boost, allPass, perLane = false;

private:
  RN_INLINE explicit Shaping(const DynShaper& d)
      : type(d.type),
        applyMode(d.applyMode),
        invert(d.invert),
        saturate(saturates(d.mode)),
        boost(boosts(d.mode)) {
    UnitLanes::splat(zero, 0.0);
    UnitLanes::splat(one, 1.0);
    UnitLanes::splat(minusOne, -1.0);
    UnitLanes::splat(half, 0.5);
    UnitLanes::splat(two, 2.0);
    UnitLanes::splat(minusTwo, -2.0);
    UnitLanes::splat(pi, CurveMath::kPi);
    UnitLanes::splat(small, 0x1p-27);
    UnitLanes::splat(width, d.peakWidth);
  }

  // shape's window and factors from the amounts.
  RN_INLINE void derive(double w) {
    V halfWidth, rest, k;
    UnitLanes::splat(halfWidth, w / 2.0);
    UnitLanes::splat(rest, 1.0 - w);
    const V mid = halfWidth + (one - amount) * rest;
    lo = mid - halfWidth;
    hi = mid + halfWidth;
    UnitLanes::splat(k, DynShaper::kShapeGain);
    gain = amount * k;
    UnitLanes::splat(k, DynShaper::kMaxShapeSat);
    limit = amount * k;
    UnitLanes::splat(k, DynShaper::kMaxBoostGain);
    boostGain = amount * k;
  }
};

// The amount's step for frame i as DynShaper::process takes it: false when
// the amount has settled there (nothing changed), otherwise the frame's
// effective amount in e, the switching ramp one step on.
RN_INLINE bool nextAmount(DynShaper& d, const double* mod, int i, double& e) {
  const double last = d.amountSmoother.state;
  const bool ramp = d.fadeGain != 0.0 && d.fadeGain != 1.0;
  const double smoothed = d.amountSmoother.next(d.amount);
  if (!mod && !ramp && Settling::sameBits(smoothed, last)) return false;
  e = smoothed * d.fadeGain;
  if (mod) e = e * mod[i];
  d.advanceFade();
  return true;
}

// The amounts of frames i..i + N - 1 in e, or false, with the smoother and
// the ramp as they were, when the amount settles within them.
template <int N>
RN_INLINE bool nextAmounts(DynShaper& d, const double* mod, int i, double* e) {
  const double state = d.amountSmoother.state, fade = d.fadeGain;
  for (int j = 0; j < N; ++j) {
    if (!nextAmount(d, mod, i + j, e[j])) {
      d.amountSmoother.state = state;
      d.fadeGain = fade;
      return false;
    }
  }
  return true;
}

#if defined(DSP_WIDE_LANES)
// Samples from..n of one channel at the settled amount e, four (eight) at
// a time. Returns where it stopped.
DSP_WIDE int settledFour(const DynShaper& d, double e, double* x, int from, int n) {
  const Shaping<Four> s(d, e);
  int k = from;
  for (; k + 4 <= n; k += 4) {
    Four v = _mm256_loadu_pd(x + k);
    s(v);
    _mm256_storeu_pd(x + k, v);
  }
  return k;
}

DSP_WIDEST int settledEight(const DynShaper& d, double e, double* x, int from, int n) {
  const Shaping<Eight> s(d, e);
  int k = from;
  for (; k + 8 <= n; k += 8) {
    Eight v = _mm512_loadu_pd(x + k);
    s(v);
    _mm512_storeu_pd(x + k, v);
  }
  return k;
}

// Frames k..k + 3 of two channels apart, each lane at its own frame's
// amount in e.
RN_INLINE DSP_WIDE void movingStep(const DynShaper& d, const double* e, double* left, double* right,
                                   int k) {
  const Shaping<Four> s(d, _mm256_loadu_pd(e));
  Four l = _mm256_loadu_pd(left + k), r = _mm256_loadu_pd(right + k);
  s(l);
  s(r);
  _mm256_storeu_pd(left + k, l);
  _mm256_storeu_pd(right + k, r);
}

// Frames from..n of two channels apart while the amount moves, four (eight,
// then four) at a time. Stops before the frames in which the amount
// settles, or which the block does not fill; returns where.
DSP_WIDE int movingFour(DynShaper& d, const double* mod, double* left, double* right, int from,
                        int n) {
  int k = from;
  double e[4];
  for (; k + 4 <= n && nextAmounts<4>(d, mod, k, e); k += 4) movingStep(d, e, left, right, k);
  return k;
}

DSP_WIDEST int movingEight(DynShaper& d, const double* mod, double* left, double* right, int from,
                           int n) {
  int k = from;
  double e[8];
  for (; k + 8 <= n && nextAmounts<8>(d, mod, k, e); k += 8) {
    const Shaping<Eight> s(d, _mm512_loadu_pd(e));
    Eight l = _mm512_loadu_pd(left + k), r = _mm512_loadu_pd(right + k);
    s(l);
    s(r);
    _mm512_storeu_pd(left + k, l);
    _mm512_storeu_pd(right + k, r);
  }
  if (k + 4 <= n && nextAmounts<4>(d, mod, k, e)) {
    movingStep(d, e, left, right, k);
    k += 4;
  }
  return k;
}
#endif

}  // namespace

void DynShaper::process(double** io, double* mod, int n) {
  if (isFadedOut() || amount == 0.0 || n < 1) return;
  if (!UnitMath::isBlock(io, n)) return;
  const bool boost = boosts(mode);
  double* left = io[0];
  double* right = io[1];
  // Channels that share memory keep to one sample after the other.
  const bool apart = !UnitMath::overlaps(left, right, n);
  // Frame by frame while the amount or the switching ramp moves, or with a
  // modulation, both channels side by side where they lie apart, and where
  // the processor has the registers several frames at once after the first
  // (a settled amount costs no more than one step then). The frame whose
  // step leaves the amount unchanged already goes with the rest of the
  // block: it takes the same value there.
  int i = 0;
#if defined(DSP_WIDE_LANES)
  const LaneWidth width = apart ? laneWidth() : kNarrowLanes;
#endif
  while (i < n) {
    double e;
    if (!nextAmount(*this, mod, i, e)) break;
    if (apart) {
      Lanes v = lanes(left[i], right[i]);
      Shaping<Lanes>(*this, e)(v);
      left[i] = lane0(v);
      right[i] = lane1(v);
    } else {
      if (boost) {
        const double g = e * kMaxBoostGain;
        left[i] = CurveMath::clampUnit(left[i] * g);
        right[i] = CurveMath::clampUnit(right[i] * g);
      }
      left[i] = shape(left[i], e);
      right[i] = shape(right[i], e);
    }
    ++i;
#if defined(DSP_WIDE_LANES)
    if (width == kWidestLanes) {
      i = movingEight(*this, mod, left, right, i, n);
      leaveWideLanes();
    } else if (width == kWideLanes) {
      i = movingFour(*this, mod, left, right, i, n);
      leaveWideLanes();
    }
#endif
  }
  if (i >= n) return;
  const double e = amountSmoother.state * fadeGain;
  const Shaping<Lanes> shapeTwo(*this, e);
  for (double* x : {left, right}) {
    int k = i;
#if defined(DSP_WIDE_LANES)
    if (hasWidestLanes()) {
      k = settledEight(*this, e, x, k, n);
      leaveWideLanes();
    } else if (hasWideLanes()) {
      k = settledFour(*this, e, x, k, n);
      leaveWideLanes();
    }
#endif
    for (; k + 2 <= n; k += 2) {
      Lanes v = loadLanes(x + k);
      shapeTwo(v);
      storeLanes(x + k, v);
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
