#include "Saturator.h"

#include <cstring>

#include "../DspLib/WideLanes.h"
#include "CurveLanes.h"
#include "CurveMath.h"
#include "Settling.h"

namespace Rawnfield {

namespace {

using namespace Dsp;

// Marks a curve without a table: every shaped value is +0.
constexpr uint32_t kNoTable = 0xffffffffu;

template <uint32_t Mode>
RN_INLINE double shapeOne(const LookUp& lut, const double* T, double x) {
  if (Mode == kNoTable) return 0.0;
  return lut.readAs<Mode>(T, x);
}

template <uint32_t Mode>
RN_INLINE Lanes shapeTwo(const CurveLanes::Table& table, Lanes x) {
  if (Mode == kNoTable) return splat(0.0);
  return CurveLanes::read<Mode>(table, x);
}

#if defined(DSP_WIDE_LANES)
// Four samples of one channel at a time, from..n: the operations of the
// two-sample loop below in the same order. Returns where it stopped.
template <uint32_t Mode, bool Mix>
DSP_WIDE int steadyWide(const CurveLanes::Table& lut, double* d, int from, int n, double s,
                        double g, double w) {
  const Quad S = splat4(s), G = splat4(g), W = splat4(w), dry = splat4(1.0 - w);
  const Quad lo = splat4(-1.0), one = splat4(1.0);
  const auto put = [&](int k, Quad x, Quad shaped) DSP_WIDE {
    const Quad y = minQuad(one, maxQuad(lo, shaped * G * S));
    _mm256_storeu_pd(d + k, Mix ? W * y + dry * x : y);
  };
  if (Mode == kNoTable) {
    int k = from;
    for (; k + 4 <= n; k += 4) put(k, _mm256_loadu_pd(d + k), _mm256_setzero_pd());
    return k;
  }
  return CurveLanes::forEachFour<Mode>(lut, d, from, n, put);
}

// The same eight samples at a time.
template <uint32_t Mode, bool Mix>
DSP_WIDEST int steadyWidest(const CurveLanes::Table& lut, double* d, int from, int n, double s,
                            double g, double w) {
  const Oct S = splat8(s), G = splat8(g), W = splat8(w), dry = splat8(1.0 - w);
  const Oct lo = splat8(-1.0), one = splat8(1.0);
  const auto put = [&](int k, Oct x, Oct shaped) DSP_WIDEST {
    const Oct y = minOct(one, maxOct(lo, shaped * G * S));
    _mm512_storeu_pd(d + k, Mix ? W * y + dry * x : y);
  };
  if (Mode == kNoTable) {
    int k = from;
    for (; k + 8 <= n; k += 8) put(k, _mm512_loadu_pd(d + k), _mm512_setzero_pd());
    return k;
  }
  return CurveLanes::forEachEight<Mode>(lut, d, from, n, put);
}
#endif

// Frames from..n of both channels with the smoothers settled at s and g.
template <uint32_t Mode, bool Mix>
void steady(const Saturator& sat, const double* T, double* const* out, int from, int n, double s,
            double g, double w) {
  const LookUp& lut = sat.curve;
  const Lanes S = splat(s), G = splat(g), W = splat(w), dry = splat(1.0 - w);
  const Lanes lo = splat(-1.0), hi = splat(1.0);
  const CurveLanes::Table table(lut, T);
  for (int c = 0; c < 2; ++c) {
    double* d = out[c];
    int k = from;
#if defined(DSP_WIDE_LANES)
    if (hasWidestLanes()) {
      k = steadyWidest<Mode, Mix>(table, d, k, n, s, g, w);
      leaveWideLanes();
    } else if (hasWideLanes()) {
      k = steadyWide<Mode, Mix>(table, d, k, n, s, g, w);
      leaveWideLanes();
    }
#endif
    for (; k + 2 <= n; k += 2) {
      const Lanes x = loadLanes(d + k);
      // clampUnit lane by lane, NaN passing.
      const Lanes y = minLanes(hi, maxLanes(lo, shapeTwo<Mode>(table, x) * G * S));
      storeLanes(d + k, Mix ? W * y + dry * x : y);
    }
    if (k < n) {
      const double y = CurveMath::clampUnit(shapeOne<Mode>(lut, T, d[k]) * g * s);
      d[k] = Mix ? w * y + (1.0 - w) * d[k] : y;
    }
  }
}

// Each frame: both channels through the curve, times the smoothed factor
// and amount, clipped to +-1, and mixed with the dry input while the
// smoothed amount is below the threshold. Frames are taken one by one
// while the smoothers move; once a step leaves both unchanged they stay
// put for good (the step is a function of the state alone), and the rest
// of the block, that frame included, runs several samples at a time with
// fixed gains.
template <uint32_t Mode>
void saturate(Saturator& sat, const double* T, double* left, double* right, int n) {
  const LookUp& lut = sat.curve;
  // A non-finite amount would poison the smoother for good; it glides
  // towards 0 instead.
  const double target = CurveMath::finiteOrZero(sat.amount);
  double* out[2] = {left, right};
  int i = 0;
  for (; i < n; ++i) {
    const double lastS = sat.amountSmoother.state;
    const double lastG = sat.factorSmoother.state;
    const double s = sat.amountSmoother.next(target);
    const double g = sat.factorSmoother.next(sat.saturationFactor);
    if (Settling::sameBits(s, lastS) && Settling::sameBits(g, lastG)) break;
    const bool mix = sat.dryWetThreshold > s;
    const double w = s * sat.inverseThreshold;
    for (int c = 0; c < 2; ++c) {
      const double y = CurveMath::clampUnit(shapeOne<Mode>(lut, T, out[c][i]) * g * s);
      out[c][i] = mix ? w * y + (1.0 - w) * out[c][i] : y;
    }
  }
  if (i >= n) return;
  const double s = sat.amountSmoother.state;
  const double g = sat.factorSmoother.state;
  const bool mix = sat.dryWetThreshold > s;
  const double w = s * sat.inverseThreshold;
  if (mix)
    steady<Mode, true>(sat, T, out, i, n, s, g, w);
  else
    steady<Mode, false>(sat, T, out, i, n, s, g, w);
}

}  // namespace

Saturator::Saturator(eSaturatorType t)
    : type(t), scratchLeft(kDefaultBlockSize), scratchRight(kDefaultBlockSize) {}

Saturator::~Saturator() {}

void Saturator::setBlockSize(int n) {
  scratchLeft.growCleared(n);
  scratchRight.growCleared(n);
}

void Saturator::init(DistortionDataProvider& provider) {
  const DistoData* source = nullptr;
  if (type == kOutputSaturation)
    source = &provider.getCurve(DistortionDataProvider::kOutputSaturationCurve);
  else if (type == kFuzzyFilterDrive)
    source = &provider.getCurve(DistortionDataProvider::kFuzzyFilterDriveCurve);
  if (source && source->data && source->size >= 512 && curve.size == 512)
    CurveMath::loadClamped(curve.base.data, source->data, 512);
  // Whatever happened above: an earlier setDryWetThreshold is overwritten.
  setDryWetThreshold(kDryWetThreshold);
  curve.interpolation = Types::kLinearInterpolation;
  amountSmoother.setCoefficient(0.9777);
  factorSmoother.setCoefficient(0.9777);
}

void Saturator::setDryWetThreshold(double t) {
  dryWetThreshold = t;
  inverseThreshold = 1.0 / t;
}

void Saturator::setMode(double) {
  mode = 1;
  saturationFactor = kStdSaturationFactor;
}

void Saturator::process(double** io, int n) {
  if (amount == 0.0) return;
  if (!UnitMath::isBlock(io, n)) return;
  const int capacity = scratchLeft.capacity;
  if (capacity < 1) return;
  for (int done = 0; done < n;) {
    const int m = n - done < capacity ? n - done : capacity;
    processPiece(io[0] + done, io[1] + done, m);
    done += m;
  }
}

void Saturator::processShared(double* left, double* right, int n) {
  std::memcpy(scratchLeft.data, left, sizeof(double) * n);
  std::memcpy(scratchRight.data, right, sizeof(double) * n);
  double* shaped[2] = {scratchLeft.data, scratchRight.data};
  curve.process(shaped, n);
  const double target = CurveMath::finiteOrZero(amount);
  double* out[2] = {left, right};
  for (int i = 0; i < n; ++i) {
    const double s = amountSmoother.next(target);
    const double g = factorSmoother.next(saturationFactor);
    const bool mix = dryWetThreshold > s;
    const double w = s * inverseThreshold;
    for (int c = 0; c < 2; ++c) {
      const double y = CurveMath::clampUnit(shaped[c][i] * g * s);
      out[c][i] = mix ? w * y + (1.0 - w) * out[c][i] : y;
    }
  }
}

void Saturator::processPiece(double* left, double* right, int n) {
  if (UnitMath::overlaps(left, right, n)) {
    processShared(left, right, n);
    return;
  }
  const double* T = curve.tableForReading();
  if (!T || curve.size == 0) {
    saturate<kNoTable>(*this, T, left, right, n);
    return;
  }
  switch (curve.interpolation) {
    case Types::kNoInterpolation:
      saturate<Types::kNoInterpolation>(*this, T, left, right, n);
      break;
    case Types::kCosineInterpolation:
      saturate<Types::kCosineInterpolation>(*this, T, left, right, n);
      break;
    default:
      saturate<Types::kLinearInterpolation>(*this, T, left, right, n);
      break;
  }
}

}  // namespace Rawnfield
