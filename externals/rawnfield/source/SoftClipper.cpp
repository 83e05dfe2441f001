#include "SoftClipper.h"

#include <cmath>

#include "../DspLib/Lanes.h"
#include "../DspLib/WideLanes.h"
#include "Settling.h"

namespace Rawnfield {

namespace {

using namespace Dsp;

// SoftClipper::curve for two magnitudes with fixed settings. The divisions
// run only when a lane needs them (the knee is narrow and often empty).
struct LaneCurve {
  explicit LaneCurve(const SoftClipper& c)
      : low(splat(c.kneeLow)),
        high(splat(c.kneeHigh)),
        threshold(splat(c.threshold)),
        ratio(splat(c.ratio)),
        halfWidth(splat(c.kneeWidth / 2.0)),
        twiceWidth(splat(2.0 * c.kneeWidth)),
        slope(splat(1.0 / c.ratio - 1.0)) {}

  Lanes operator()(Lanes a) const {
    const LaneMask below = lessThan(a, low);
    const LaneMask knee = maskAnd(lessEqual(low, a), lessThan(a, high));
    // Above the knee, and NaN.
    const LaneMask above = maskNot(maskOr(below, knee));
    Lanes y = a;
    if (anyLane(above)) y = select(above, threshold + (a - threshold) / ratio, y);
    if (anyLane(knee)) {
      const Lanes d = (a - threshold) + halfWidth;
      y = select(knee, a + slope * d * d / twiceWidth, y);
    }
    return y;
  }

  Lanes low, high, threshold, ratio, halfWidth, twiceWidth, slope;
};

#if defined(DSP_WIDE_LANES)
// Four samples of one channel at a time, from..n, with LaneCurve's
// operations in the same order. Returns where it stopped.
DSP_WIDE int clipWide(const SoftClipper& c, const double* x, double* y, int from, int n,
                      bool makeUp, double gain) {
  const Quad low = splat4(c.kneeLow), high = splat4(c.kneeHigh), threshold = splat4(c.threshold);
  const Quad ratio = splat4(c.ratio), halfWidth = splat4(c.kneeWidth / 2.0);
  const Quad twiceWidth = splat4(2.0 * c.kneeWidth), slope = splat4(1.0 / c.ratio - 1.0);
  const Quad g = splat4(gain), zero = _mm256_setzero_pd();
  const Quad minus = splat4(-1.0), plus = splat4(1.0);
  int k = from;
  for (; k + 4 <= n; k += 4) {
    const Quad v = _mm256_loadu_pd(x + k);
    const Quad a = absQuad(v);
    const Quad below = _mm256_cmp_pd(a, low, _CMP_LT_OQ);
    const Quad knee =
        _mm256_and_pd(_mm256_cmp_pd(low, a, _CMP_LE_OQ), _mm256_cmp_pd(a, high, _CMP_LT_OQ));
    const Quad above =
        _mm256_xor_pd(_mm256_or_pd(below, knee), _mm256_castsi256_pd(_mm256_set1_epi64x(-1)));
    Quad r = a;
    if (anyQuad(above)) r = blendQuad(above, threshold + (a - threshold) / ratio, r);
    if (anyQuad(knee)) {
      const Quad d = (a - threshold) + halfWidth;
      r = blendQuad(knee, a + slope * d * d / twiceWidth, r);
    }
    r = blendQuad(_mm256_cmp_pd(v, zero, _CMP_LT_OQ), minus, plus) * r;
    _mm256_storeu_pd(y + k, makeUp ? r * g : r);
  }
  return k;
}

// The same eight samples at a time, the masks in mask registers.
DSP_WIDEST int clipWidest(const SoftClipper& c, const double* x, double* y, int from, int n,
                          bool makeUp, double gain) {
  const Oct low = splat8(c.kneeLow), high = splat8(c.kneeHigh), threshold = splat8(c.threshold);
  const Oct ratio = splat8(c.ratio), halfWidth = splat8(c.kneeWidth / 2.0);
  const Oct twiceWidth = splat8(2.0 * c.kneeWidth), slope = splat8(1.0 / c.ratio - 1.0);
  const Oct g = splat8(gain), zero = _mm512_setzero_pd();
  const Oct minus = splat8(-1.0), plus = splat8(1.0);
  int k = from;
  for (; k + 8 <= n; k += 8) {
    const Oct v = _mm512_loadu_pd(x + k);
    const Oct a = absOct(v);
    const __mmask8 below = _mm512_cmp_pd_mask(a, low, _CMP_LT_OQ);
    const __mmask8 knee =
        _mm512_cmp_pd_mask(low, a, _CMP_LE_OQ) & _mm512_cmp_pd_mask(a, high, _CMP_LT_OQ);
    const __mmask8 above = static_cast<__mmask8>(~(below | knee));
    Oct r = a;
    if (above) r = _mm512_mask_blend_pd(above, r, threshold + (a - threshold) / ratio);
    if (knee) {
      const Oct d = (a - threshold) + halfWidth;
      r = _mm512_mask_blend_pd(knee, r, a + slope * d * d / twiceWidth);
    }
    r = _mm512_mask_blend_pd(_mm512_cmp_pd_mask(v, zero, _CMP_LT_OQ), plus, minus) * r;
    _mm512_storeu_pd(y + k, makeUp ? r * g : r);
  }
  return k;
}
#endif

}  // namespace

void SoftClipper::setThreshold(double t) {
  if (std::isnan(t)) return;
  threshold = t < kMinThreshold ? kMinThreshold : (t > kMaxThreshold ? kMaxThreshold : t);
  if (autoMakeUp) updateMakeUpGain();
}

void SoftClipper::updateMakeUpGain() {
  const double m = kMaxAutoMakeUpSampleValue;
  makeUpGain = 1.0 / (UnitMath::signOf(m) * curve(std::fabs(m)));
}

double SoftClipper::curve(double a) const {
  if (a < kneeLow) return a;
  if (kneeLow <= a && a < kneeHigh) {
    const double d = a - threshold + kneeWidth / 2.0;
    return a + (1.0 / ratio - 1.0) * d * d / (2.0 * kneeWidth);
  }
  return threshold + (a - threshold) / ratio;
}

void SoftClipper::setLimiterBounds(double s) {
  ratio = kDefaultLimiterRatio;
  kneeWidth = kDefaultLimiterKneeWidth < s ? kDefaultLimiterKneeWidth : s;
  kneeLow = s - kneeWidth / 2.0;
  kneeHigh = s + kneeWidth / 2.0;
}

void SoftClipper::processFrames(double** in, double** out, int n) {
  const bool limiter = mode == kModeLimiter;
  for (int i = 0; i < n; ++i) {
    if (limiter) setLimiterBounds(thresholdSmoother.next(threshold));
    for (int c = 0; c < 2; ++c) {
      const double x = in[c][i];
      out[c][i] = UnitMath::signOf(x) * curve(std::fabs(x));
    }
  }
  if (!autoMakeUp) return;
  const double gain = makeUpGain * kMakeUpHeadRoomGainFactor;
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < n; ++i) out[c][i] *= gain;
}

void SoftClipper::process(double** in, double** out, int n) {
  if (mode == kModeOff) return;
  if (!UnitMath::isBlock(in, n) || !UnitMath::isBlock(out, n)) return;
  const bool limiter = mode == kModeLimiter;
  if (UnitMath::overlaps(in[0], out[1], n) || UnitMath::overlaps(in[1], out[0], n) ||
      UnitMath::overlaps(out[0], out[1], n)) {
    processFrames(in, out, n);
    return;
  }
  // The make-up gain multiplies each finished sample, as a pass of its own
  // over the block would.
  const bool makeUp = autoMakeUp;
  const double gain = makeUpGain * kMakeUpHeadRoomGainFactor;
  // The limiter's bounds follow the smoothed threshold frame by frame
  // until a step leaves it unchanged; from that frame on they stay put, and
  // the rest of the block runs several samples at a time.
  int i = 0;
  if (limiter) {
    for (; i < n; ++i) {
      const double last = thresholdSmoother.state;
      const double s = thresholdSmoother.next(threshold);
      setLimiterBounds(s);
      if (Settling::sameBits(s, last)) break;
      for (int c = 0; c < 2; ++c) {
        const double x = in[c][i];
        const double y = UnitMath::signOf(x) * curve(std::fabs(x));
        out[c][i] = makeUp ? y * gain : y;
      }
    }
  }
  if (i >= n) return;
  const LaneCurve shape(*this);
  const Lanes g = splat(gain);
  const Lanes zero = splat(0.0), minus = splat(-1.0), plus = splat(1.0);
  for (int c = 0; c < 2; ++c) {
    const double* x = in[c];
    double* y = out[c];
    int k = i;
#if defined(DSP_WIDE_LANES)
    if (hasWidestLanes()) {
      k = clipWidest(*this, x, y, k, n, makeUp, gain);
      leaveWideLanes();
    } else if (hasWideLanes()) {
      k = clipWide(*this, x, y, k, n, makeUp, gain);
      leaveWideLanes();
    }
#endif
    for (; k + 2 <= n; k += 2) {
      const Lanes v = loadLanes(x + k);
      const Lanes r = select(lessThan(v, zero), minus, plus) * shape(absLanes(v));
      storeLanes(y + k, makeUp ? r * g : r);
    }
    for (; k < n; ++k) {
      const double r = UnitMath::signOf(x[k]) * curve(std::fabs(x[k]));
      y[k] = makeUp ? r * gain : r;
    }
  }
}

}  // namespace Rawnfield
